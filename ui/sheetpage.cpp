#include "sheetpage.h"

#include "paper.h"
#include "savefile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace sheet {

namespace {

// Column widths; the remarks take what is left of the line.
constexpr qreal kNumberWidth = 160, kStartWidth = 170, kChannelsWidth = 230;
constexpr qreal kBankWidth = 900, kNarrowestRemarks = 300;
constexpr qreal kRowHeight = 150, kHeadingHeight = 80;

using paper::font;
using paper::kSideLabels;

constexpr int kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr qreal kStartLeft = kNumberWidth, kChannelsLeft = kStartLeft + kStartWidth;
constexpr qreal kBankLeft = kChannelsLeft + kChannelsWidth, kRemarksLeft = kBankLeft + kBankWidth;

// Draws one plan page after page, in tenths of a millimetre from the top left
// corner of the printable area.
class SheetPainter
{
public:
    SheetPainter(QPagedPaintDevice &device, const dmx::Plan &plan, const QString &title)
        : device_(device)
        , p_(&device)
        , plan_(plan)
        , name_(fromUtf8(dmx::heading(title.toStdString())))
    {
        const QSizeF page = paper::setUpPage(p_, device, kRemarksLeft + kNarrowestRemarks);
        width_ = page.width();
        height_ = page.height();
    }

    void paint()
    {
        const auto legend = dmx::legend(plan_);
        const qreal introHeight = 90 + 50 + 50 + 48 * static_cast<qreal>(legend.size()) + 40;
        const auto fit = [this](qreal top) {
            return std::max(1, static_cast<int>((height_ - top - kHeadingHeight - paper::kFooterHeight) / kRowHeight));
        };
        const int rows = static_cast<int>(plan_.rows.size());
        const int firstRows = fit(introHeight), otherRows = fit(0);
        const int pages = rows <= firstRows ? 1 : 1 + (rows - firstRows + otherRows - 1) / otherRows;

        int next = 0;
        for (int n = 1; n <= pages; ++n) {
            if (n > 1)
                device_.newPage();
            qreal y = n == 1 ? intro(legend) : 0;
            y = headings(y);
            for (const int end = std::min(rows, next + (n == 1 ? firstRows : otherRows)); next < end; ++next)
                y = row(y, plan_.rows[static_cast<std::size_t>(next)]);
            paper::footer(p_, device_, {width_, height_}, name_, n, pages);
        }
    }

private:

    // The first page opens with the title, the weight order, the run and what
    // the remarks used on the sheet mean.
    qreal intro(const std::vector<dmx::Remark> &legend)
    {
        const dmx::Run &run = plan_.run;
        const auto rows = plan_.rows.size();
        paper::text(p_, QRectF(0, 0, width_, 80), kLeft, paper::fitted(name_, font(64, true), width_, &device_), font(64, true));
        paper::text(p_, QRectF(0, 90, width_, 50), kLeft,
             QStringLiteral("Ordre des interrupteurs : %1 (de gauche à droite, interrupteur 9 = %2)")
                 .arg(fromUtf8(dmx::weightOrder(run.bank)))
                 .arg(run.bank.weight(dmx::kAddressSwitches)),
             font(34, true));
        paper::text(p_, QRectF(0, 140, width_, 50), kLeft,
             QStringLiteral("%1 %2 de %3 %4 : %5")
                 .arg(rows)
                 .arg(rows == 1 ? u"appareil" : u"appareils")
                 .arg(run.channels)
                 .arg(run.channels == 1 ? u"canal" : u"canaux")
                 .arg(fromUtf8(dmx::addressSpan(plan_))),
             font(34));
        qreal y = 190;
        for (const dmx::Remark &r : legend) {
            paper::text(p_, QRectF(0, y, width_, 48), kLeft,
                 QStringLiteral("« %1 » : %2").arg(QString::fromUtf8(r.word), QString::fromUtf8(r.meaning)),
                 font(30));
            y += 48;
        }
        return y + 40;
    }

    qreal headings(qreal y)
    {
        return paper::headings(
            p_, y, kHeadingHeight, width_,
            {{10, QStringLiteral("Appareil")},
             {kStartLeft, QStringLiteral("Adresse")},
             {kChannelsLeft, QStringLiteral("Canaux")},
             {kBankLeft + kSideLabels,
              QStringLiteral("Interrupteurs (%1)").arg(fromUtf8(dmx::weightOrder(plan_.run.bank)))},
             {kRemarksLeft, QStringLiteral("Remarques")}});
    }

    qreal row(qreal y, const dmx::SheetRow &row)
    {
        const QFont bold = font(34, true);
        paper::text(p_, QRectF(10, y, kNumberWidth - 10, kRowHeight), kLeft, QString::number(row.fixture), bold);
        paper::text(p_, QRectF(kStartLeft, y, kStartWidth, kRowHeight), kLeft, QString::number(row.start), bold);
        paper::text(p_, QRectF(kChannelsLeft, y, kChannelsWidth, kRowHeight), kLeft,
             QStringLiteral("%1 à %2").arg(row.start).arg(row.last), font(34));
        if (row.settable)
            paper::drawBank(p_, {kBankLeft, y + 18}, profile_, row.on);
        else
            paper::text(p_, QRectF(kBankLeft + kSideLabels, y, kBankWidth - kSideLabels, kRowHeight), kLeft,
                 QStringLiteral("pas de réglage possible"), bold);
        paper::text(p_, QRectF(kRemarksLeft, y, width_ - kRemarksLeft, kRowHeight), kLeft | Qt::TextWordWrap,
             fromUtf8(dmx::remarks(row)), bold);
        paper::rule(p_, width_, y + kRowHeight, 2);
        return y + kRowHeight;
    }


    QPagedPaintDevice &device_;
    QPainter p_;
    const dmx::Plan &plan_;
    // The windows' own banks: the weights, ON up, the terminator apart.
    const dmx::SwitchProfile &profile_ = plan_.run.bank.weight(1) == dmx::kColourDriverBank.weight(1)
                                             ? dmx::colourDriverProfile()
                                             : dmx::otherFixtureProfile();
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

QByteArray csv(const dmx::Plan &plan, const QString &title)
{
    // The byte order mark tells a spreadsheet the file is UTF-8 ("à").
    return QByteArray("\xEF\xBB\xBF") + QByteArray::fromStdString(dmx::separatedTable(plan, ';', title.toStdString()));
}

QString unknownFormat(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"pdf" || suffix == u"csv" || suffix == u"txt")
        return {};
    return QStringLiteral("« %1 » : le nom doit finir par .pdf, .csv ou .txt.").arg(path);
}

QString save(const QString &path, const dmx::Plan &plan, const QString &title)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"pdf")
        return savefile::savePdf(path, [&](QPdfWriter &pdf) {
            pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                          QMarginsF(paper::kMarginMm, paper::kMarginMm, paper::kMarginMm, paper::kMarginMm),
                                          QPageLayout::Millimeter));
            pdf.setTitle(fromUtf8(dmx::heading(title.toStdString())));
            pdf.setCreator(QCoreApplication::applicationName());
            paint(pdf, plan, title);
        });
    if (suffix == u"csv")
        return savefile::saveBytes(path, csv(plan, title));
    if (suffix == u"txt")
        return savefile::saveBytes(path, QByteArray::fromStdString(dmx::textTable(plan, title.toStdString())));
    return unknownFormat(path);
}

} // namespace sheet
