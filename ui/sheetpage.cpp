#include "sheetpage.h"

#include "paper.h"
#include "savefile.h"
#include "sheet.h"
#include "table.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace sheet {

namespace {

using paper::font;

constexpr int kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr qreal kRowHeight = 150, kLineHeight = 100;

// Where a page's columns stand, in tenths of a millimetre. A run's rows are
// numbered fixtures with the start beside the number; a rig's are named
// fixtures with the start first. The remarks take what is left of the line.
struct Columns
{
    qreal startLeft, startWidth, fixtureLeft, fixtureWidth, channelsLeft, channelsWidth, bankLeft, bankWidth;
    qreal headingHeight, bankTop;
    qreal remarksLeft() const { return bankLeft + bankWidth; }
};
constexpr Columns kRunColumns{160, 170, 10, 150, 330, 230, 560, 900, 80, 18};
constexpr Columns kRigColumns{10, 140, 150, 330, 480, 170, 650, 920, 70, 14};
constexpr qreal kNarrowestRemarks = 240;

// What a page holds, in order: a line's title (again, "suite", when the line
// goes on from the page before), the column headings, a fixture.
struct Block
{
    enum Kind { LineTitle, Headings, Fixture } kind;
    const dmx::Line *line;
    const dmx::Row *row = nullptr;
    bool continued = false;
};

class SheetPainter
{
public:
    SheetPainter(QPagedPaintDevice &device, const dmx::Plan &plan, const QString &title)
        : device_(device)
        , p_(&device)
        , plan_(plan)
        , columns_(plan.run ? kRunColumns : kRigColumns)
        , name_(fromUtf8(dmx::heading(plan, title.toStdString())))
    {
        const QSizeF page = paper::setUpPage(p_, device, columns_.remarksLeft() + kNarrowestRemarks);
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
            paper::footer(p_, device_, {width_, height_}, name_, static_cast<int>(n) + 1,
                          static_cast<int>(pages.size()));
        }
    }

private:
    qreal heightOf(const Block &b) const
    {
        return b.kind == Block::LineTitle ? kLineHeight : b.kind == Block::Headings ? columns_.headingHeight : kRowHeight;
    }

    // Pages are cut before the drawing, so that each footer knows the count.
    // A run is one line without a title, cut where a page is full; a rig's
    // lines are cut by core's rule, which leaves no row alone on a page.
    std::vector<std::vector<Block>> layOut(qreal introHeight) const
    {
        std::vector<std::vector<Block>> pages(1);
        const qreal bottom = height_ - paper::kFooterHeight;
        qreal y = introHeight;
        const bool titled = !plan_.run;
        const auto put = [&](Block b) {
            pages.back().push_back(b);
            y += heightOf(b);
        };
        const auto newPage = [&] {
            pages.emplace_back();
            y = 0;
        };
        const auto top = [&](const dmx::Line &line, bool continued) {
            if (titled)
                put({Block::LineTitle, &line, nullptr, continued});
            put({Block::Headings, &line});
        };
        const qreal topHeight = (titled ? kLineHeight : 0) + columns_.headingHeight;
        for (const dmx::Line &line : plan_.lines) {
            if (!titled) {
                top(line, false);
                for (const dmx::Row &row : line.rows) {
                    if (y + kRowHeight > bottom) {
                        newPage();
                        top(line, true);
                    }
                    put({Block::Fixture, &line, &row});
                }
                continue;
            }
            const qreal left = bottom - y;
            std::size_t next = 0;
            const auto pieces = dmx::linePieces(line.rows.size(), left, bottom, topHeight, kRowHeight);
            for (std::size_t i = 0; i < pieces.size(); ++i) {
                if (i > 0 || pieces[i] == 0)
                    newPage();
                if (pieces[i] == 0)
                    continue;
                top(line, next > 0);
                for (std::size_t k = 0; k < pieces[i]; ++k)
                    put({Block::Fixture, &line, &line.rows[next++]});
            }
        }
        return pages;
    }

    // A paragraph wrapped to the page's width, or a line of a fixed height;
    // returns the height it took.
    qreal paragraph(qreal y, const QString &s, const QFont &f, bool draw, qreal height = 0)
    {
        const qreal h = height > 0 ? height
                                   : QFontMetricsF(f).boundingRect(QRectF(0, y, width_, height_), Qt::TextWordWrap, s).height() + 8;
        if (draw)
            paper::text(p_, QRectF(0, y, width_, h),
                        height > 0 ? kLeft : Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, s, f);
        return h;
    }

    // The first page opens with the title; then a run's weight order, its
    // fixtures and what its remarks mean, or a rig's checks and every profile
    // its banks are drawn by.
    qreal intro(bool draw)
    {
        if (draw)
            paper::text(p_, QRectF(0, 0, width_, 80), kLeft, paper::fitted(name_, font(64, true), width_, &device_),
                        font(64, true));
        qreal y = 90;
        if (const auto &run = plan_.run) {
            y += paragraph(y,
                           QStringLiteral("Ordre des interrupteurs : %1 (de gauche à droite, interrupteur 9 = %2)")
                               .arg(fromUtf8(dmx::weightOrder(run->bank)))
                               .arg(run->bank.weight(dmx::kAddressSwitches)),
                           font(34, true), draw, 50);
            y += paragraph(y, fromUtf8(dmx::runLine(plan_)), font(34), draw, 50);
            for (const dmx::Remark &r : dmx::legend(plan_))
                y += paragraph(y, QStringLiteral("« %1 » : %2").arg(fromUtf8(r.text), fromUtf8(r.meaning())), font(30),
                               draw, 48);
            return y + 40;
        }
        y += paragraph(y, fromUtf8(plan_.summary), font(34, true), draw);
        for (const dmx::SwitchProfile &profile : plan_.profiles)
            y += paragraph(y, QStringLiteral("Profil « %1 » : %2").arg(fromUtf8(profile.name), fromUtf8(profile.description())),
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
        case Block::Fixture:
            return row(y, *b.row);
        }
        return y;
    }

    qreal headings(qreal y)
    {
        const Columns &c = columns_;
        const QString bank = plan_.run ? QStringLiteral("Interrupteurs (%1)").arg(fromUtf8(dmx::weightOrder(plan_.run->bank)))
                                       : QStringLiteral("Interrupteurs");
        const paper::Heading start{c.startLeft, QStringLiteral("Adresse")}, fixture{c.fixtureLeft, QStringLiteral("Appareil")};
        const bool startFirst = c.startLeft < c.fixtureLeft;
        return paper::headings(p_, y, c.headingHeight, width_,
                               {startFirst ? start : fixture, startFirst ? fixture : start,
                                {c.channelsLeft, QStringLiteral("Canaux")},
                                {c.bankLeft + paper::kSideLabels, bank},
                                {c.remarksLeft(), QStringLiteral("Remarques")}});
    }

    // A run's fixture is its number; a rig's its label, its type and mode
    // and its profile, each cut to the column.
    void fixture(qreal y, const dmx::Row &row)
    {
        const Columns &c = columns_;
        const QFont bold = font(34, true);
        if (plan_.run) {
            paper::text(p_, QRectF(c.fixtureLeft, y, c.fixtureWidth, kRowHeight), kLeft, fromUtf8(row.fixture.label), bold);
            return;
        }
        const qreal w = c.fixtureWidth - 20;
        const auto line = [&](qreal top, qreal height, const std::string &s, const QFont &f) {
            paper::text(p_, QRectF(c.fixtureLeft, y + top, w, height), kLeft,
                        QFontMetricsF(f).elidedText(fromUtf8(s), Qt::ElideRight, w), f);
        };
        QFont italic = font(24);
        italic.setItalic(true);
        const dmx::Fixture &f = row.fixture;
        line(12, 44, f.label, bold);
        line(56, 40, dmx::typeAndMode(f), font(26));
        line(96, 40, plan_.profileOf(row).name, italic);
    }

    qreal row(qreal y, const dmx::Row &row)
    {
        const Columns &c = columns_;
        const QFont bold = font(34, true);
        const int start = row.fixture.address;
        paper::text(p_, QRectF(c.startLeft, y, c.startWidth, kRowHeight), kLeft, QString::number(start), bold);
        fixture(y, row);
        paper::text(p_, QRectF(c.channelsLeft, y, c.channelsWidth, kRowHeight), kLeft,
                    row.last ? QStringLiteral("%1 à %2").arg(start).arg(*row.last) : QStringLiteral("?"), font(34));
        if (row.settable)
            paper::drawBank(p_, {c.bankLeft, y + c.bankTop}, plan_.profileOf(row), row.on);
        else
            paper::text(p_, QRectF(c.bankLeft + paper::kSideLabels, y, c.bankWidth - paper::kSideLabels, kRowHeight),
                        kLeft, QStringLiteral("pas de réglage possible"), bold);
        // A run's remarks are few and short; a rig's may name other fixtures,
        // under the switches to set ON in words, read more easily in a dim
        // place than the drawing.
        const QRectF remarksBox(c.remarksLeft(), y + 6, width_ - c.remarksLeft(), kRowHeight - 12);
        if (plan_.run) {
            paper::text(p_, remarksBox, kLeft | Qt::TextWordWrap, fromUtf8(dmx::remarksText(row)), bold);
        } else {
            const QString on = row.settable ? fromUtf8(dmx::switchesText(plan_, row)) : QString();
            const QFont onFont = font(28, true);
            const int wrap = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
            const qreal onHeight = on.isEmpty() ? 0 : QFontMetricsF(onFont, &device_).boundingRect(remarksBox, wrap, on).height() + 4;
            paper::text(p_, remarksBox, wrap, on, onFont);
            paper::text(p_, remarksBox.adjusted(0, onHeight, 0, 0), on.isEmpty() ? kLeft | Qt::TextWordWrap : wrap,
                        fromUtf8(dmx::remarksText(row)), font(26, row.problem()));
        }
        paper::rule(p_, width_, y + kRowHeight, 2);
        return y + kRowHeight;
    }

    QPagedPaintDevice &device_;
    QPainter p_;
    const dmx::Plan &plan_;
    const Columns &columns_;
    const QString name_;
    qreal width_ = 0, height_ = 0;
};

} // namespace

QString fromUtf8(const std::string &s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

void paint(QPagedPaintDevice &device, const dmx::Plan &plan, const QString &title)
{
    SheetPainter(device, plan, title).paint();
}

QString save(const QString &path, const dmx::Plan &plan, const QString &title)
{
    const std::string typed = title.toStdString();
    const auto format = dmx::formatOf(path.toStdString());
    if (!format)
        return fromUtf8(dmx::unknownFormat(path.toStdString()));
    switch (*format) {
    case dmx::Format::Pdf:
        return savefile::savePdf(path, [&](QPdfWriter &pdf) {
            const qreal m = paper::kMarginMm;
            pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(m, m, m, m),
                                          QPageLayout::Millimeter));
            pdf.setTitle(fromUtf8(dmx::heading(plan, typed)));
            pdf.setCreator(QCoreApplication::applicationName());
            paint(pdf, plan, title);
        });
    case dmx::Format::Csv:
        return savefile::saveBytes(path, QByteArray::fromStdString(dmx::csvBytes(plan, typed)));
    case dmx::Format::Plain:
        return savefile::saveBytes(path, QByteArray::fromStdString(dmx::textTable(plan, typed)));
    }
    return {};
}

} // namespace sheet
