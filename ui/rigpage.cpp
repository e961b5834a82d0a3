#include "rigpage.h"

#include "paper.h"
#include "savefile.h"
#include "sheetpage.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace rigsheet {

namespace {

using paper::font;
using sheet::fromUtf8;

// Tenths of a millimetre, as on the addressing sheet.
constexpr qreal kStartWidth = 150, kFixtureWidth = 330, kChannelsWidth = 170;
constexpr qreal kBankWidth = 920, kNarrowestRemarks = 240;
constexpr qreal kRowHeight = 150, kLineHeight = 100, kHeadingHeight = 70;
constexpr qreal kFixtureLeft = kStartWidth, kChannelsLeft = kFixtureLeft + kFixtureWidth;
constexpr qreal kBankLeft = kChannelsLeft + kChannelsWidth, kRemarksLeft = kBankLeft + kBankWidth;
constexpr int kLeft = Qt::AlignLeft | Qt::AlignVCenter;

// What a page holds, in order: a line's title (again, "suite", when the line
// goes on from the page before), the column headings, a fixture.
struct Block
{
    enum Kind { LineTitle, Headings, Row } kind;
    const dmx::RigLine *line;
    const dmx::RigRow *row = nullptr;
    bool continued = false;
};

class RigPainter
{
public:
    RigPainter(QPagedPaintDevice &device, const dmx::RigPlan &plan, const QString &title)
        : device_(device)
        , p_(&device)
        , plan_(plan)
        , name_(title.simplified().isEmpty() ? kDefaultTitle : title.simplified())
    {
        const QSizeF page = paper::setUpPage(p_, device, kRemarksLeft + kNarrowestRemarks);
        width_ = page.width();
        height_ = page.height();
    }

    void paint()
    {
        const std::vector<std::vector<Block>> pages = layOut(intro(false));
        for (std::size_t n = 0; n < pages.size(); ++n) {
            if (n > 0)
                device_.newPage();
            qreal y = n == 0 ? intro(true) : 0;
            for (const Block &b : pages[n])
                y = draw(y, b);
            paper::footer(p_, device_, {width_, height_}, name_, static_cast<int>(n) + 1, static_cast<int>(pages.size()));
        }
    }

private:
    static qreal heightOf(const Block &b)
    {
        return b.kind == Block::LineTitle ? kLineHeight : b.kind == Block::Headings ? kHeadingHeight : kRowHeight;
    }

    // Pages are cut before the drawing, so that each footer knows the count.
    // A line starts on a page with room for its title, headings and one row.
    std::vector<std::vector<Block>> layOut(qreal introHeight) const
    {
        std::vector<std::vector<Block>> pages(1);
        const qreal bottom = height_ - paper::kFooterHeight;
        qreal y = introHeight;
        const auto room = [&](qreal h) { return y + h <= bottom || pages.back().empty(); };
        const auto put = [&](Block b) {
            pages.back().push_back(b);
            y += heightOf(b);
        };
        for (const dmx::RigLine &line : plan_.lines) {
            if (!room(kLineHeight + kHeadingHeight + kRowHeight)) {
                pages.emplace_back();
                y = 0;
            }
            put({Block::LineTitle, &line});
            put({Block::Headings, &line});
            for (const dmx::RigRow &row : line.rows) {
                if (!room(kRowHeight)) {
                    pages.emplace_back();
                    y = 0;
                    put({Block::LineTitle, &line, nullptr, true});
                    put({Block::Headings, &line});
                }
                put({Block::Row, &line, &row});
            }
        }
        return pages;
    }

    // A paragraph wrapped to the page's width; returns the height it took.
    qreal paragraph(qreal y, const QString &s, const QFont &f, bool draw)
    {
        const QRectF room(0, y, width_, height_);
        const qreal h = QFontMetricsF(f).boundingRect(room, Qt::TextWordWrap, s).height() + 8;
        if (draw)
            paper::text(p_, QRectF(0, y, width_, h), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, s, f);
        return h;
    }

    // The first page opens with the title, what the checks found and every
    // profile the banks are drawn by.
    qreal intro(bool draw)
    {
        if (draw)
            paper::text(p_, QRectF(0, 0, width_, 80), kLeft, paper::fitted(name_, font(64, true), width_, &device_),
                 font(64, true));
        qreal y = 90;
        y += paragraph(y, fromUtf8(plan_.summary), font(34, true), draw);
        for (const dmx::SwitchProfile &profile : plan_.profiles)
            y += paragraph(y,
                           QStringLiteral("Profil « %1 » : %2")
                               .arg(fromUtf8(profile.name), fromUtf8(profile.description())),
                           font(30), draw);
        return y + 30;
    }

    qreal draw(qreal y, const Block &b)
    {
        switch (b.kind) {
        case Block::LineTitle:
            paper::text(p_, QRectF(0, y + 20, width_, kLineHeight - 20), kLeft,
                 fromUtf8(b.line->title()) + (b.continued ? QStringLiteral(" (suite)") : QString()),
                 font(44, true));
            return y + kLineHeight;
        case Block::Headings:
            return headings(y);
        case Block::Row:
            return row(y, *b.row);
        }
        return y;
    }

    qreal headings(qreal y)
    {
        return paper::headings(p_, y, kHeadingHeight, width_,
                               {{10, QStringLiteral("Adresse")},
                                {kFixtureLeft, QStringLiteral("Appareil")},
                                {kChannelsLeft, QStringLiteral("Canaux")},
                                {kBankLeft + paper::kSideLabels, QStringLiteral("Interrupteurs")},
                                {kRemarksLeft, QStringLiteral("Remarques")}});
    }

    qreal row(qreal y, const dmx::RigRow &row)
    {
        const dmx::Fixture &f = plan_.fixture(row);
        const QFont bold = font(34, true), small = font(26);
        paper::text(p_, QRectF(10, y, kStartWidth - 10, kRowHeight), kLeft, QString::number(f.address), bold);
        const qreal w = kFixtureWidth - 20;
        const auto elided = [w](const QString &s, const QFont &font) {
            return QFontMetricsF(font).elidedText(s, Qt::ElideRight, w);
        };
        QString type = fromUtf8(f.type);
        if (!f.mode.empty())
            type += QStringLiteral(" — ") + fromUtf8(f.mode);
        paper::text(p_, QRectF(kFixtureLeft, y + 12, w, 44), kLeft, elided(fromUtf8(f.label), bold), bold);
        paper::text(p_, QRectF(kFixtureLeft, y + 56, w, 40), kLeft, elided(type, small), small);
        QFont italic = font(24);
        italic.setItalic(true);
        paper::text(p_, QRectF(kFixtureLeft, y + 96, w, 40), kLeft, elided(fromUtf8(row.profile->name), italic), italic);
        paper::text(p_, QRectF(kChannelsLeft, y, kChannelsWidth, kRowHeight), kLeft,
             row.last ? QStringLiteral("%1 à %2").arg(f.address).arg(*row.last) : QStringLiteral("?"),
             font(34));
        if (row.settable)
            paper::drawBank(p_, {kBankLeft, y + 14}, *row.profile, row.on);
        else
            paper::text(p_, QRectF(kBankLeft, y, kBankWidth, kRowHeight), kLeft, QStringLiteral("pas de réglage possible"),
                 bold);
        QStringList remarks;
        for (const std::string &r : row.remarks)
            remarks << fromUtf8(r);
        paper::text(p_, QRectF(kRemarksLeft, y + 6, width_ - kRemarksLeft, kRowHeight - 12),
             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, remarks.join(QStringLiteral(", ")),
             row.problem ? font(26, true) : font(26));
        paper::rule(p_, width_, y + kRowHeight, 2);
        return y + kRowHeight;
    }


    QPagedPaintDevice &device_;
    QPainter p_;
    const dmx::RigPlan &plan_;
    const QString name_;
    qreal width_ = 0, height_ = 0;
};

} // namespace

void paint(QPagedPaintDevice &device, const dmx::RigPlan &plan, const QString &title)
{
    RigPainter(device, plan, title).paint();
}

QString save(const QString &path, const dmx::RigPlan &plan, const QString &title)
{
    if (const QString problem = sheet::unknownFormat(path); !problem.isEmpty())
        return problem;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"pdf")
        return savefile::savePdf(path, [&](QPdfWriter &pdf) {
            pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                          QMarginsF(paper::kMarginMm, paper::kMarginMm, paper::kMarginMm, paper::kMarginMm), QPageLayout::Millimeter));
            pdf.setTitle(title.isEmpty() ? kDefaultTitle : title);
            pdf.setCreator(QCoreApplication::applicationName());
            paint(pdf, plan, title);
        });
    if (suffix == u"csv") // the byte order mark tells a spreadsheet the file is UTF-8
        return savefile::saveBytes(path, QByteArray("\xEF\xBB\xBF") + QByteArray::fromStdString(dmx::separatedTable(plan, ';')));
    return savefile::saveBytes(path, QByteArray::fromStdString(dmx::textTable(plan, title.toStdString())));
}

} // namespace rigsheet
