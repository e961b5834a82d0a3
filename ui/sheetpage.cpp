#include "sheetpage.h"

#include "look.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>

namespace sheet {

namespace {

// The page is laid out in tenths of a millimetre whatever the device's
// resolution, so a printer and the PDF writer give the same sheet.
constexpr qreal kUnitsPerInch = 254;

// Column widths; the remarks take what is left of the line.
constexpr qreal kNumberWidth = 160, kStartWidth = 170, kChannelsWidth = 230;
constexpr qreal kBankWidth = 900, kNarrowestRemarks = 300;
constexpr qreal kRowHeight = 150, kHeadingHeight = 80, kFooterHeight = 70;

// The drawn bank: nine slots in one body, the terminator in a body of its own.
constexpr qreal kSideLabels = 90, kBodyPad = 20, kSlotWidth = 50, kSlotGap = 14;
constexpr qreal kBodyHeight = 86, kTerminatorGap = 60;

QFont font(qreal height, bool bold = false)
{
    QFont f = look::font({});
    f.setPixelSize(static_cast<int>(height));
    f.setBold(bold);
    return f;
}

struct Page
{
    QPainter &p;
    qreal width;

    void text(const QRectF &r, int flags, const QString &s, const QFont &f)
    {
        p.setFont(f);
        p.drawText(r, flags, s);
    }

    // One switch slot: the lever is the solid block, at the top for ON.
    void slot(qreal x, qreal y, bool on)
    {
        const QRectF hole(x, y, kSlotWidth, kBodyHeight - 2 * kBodyPad + 20);
        p.setPen(QPen(Qt::black, 3));
        p.setBrush(QColor(0xdd, 0xdd, 0xdd));
        p.drawRect(hole);
        const qreal lever = hole.height() / 2 - 4;
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRect(QRectF(x + 6, on ? y + 6 : hole.bottom() - 6 - lever, kSlotWidth - 12, lever - 2));
    }

    void bank(qreal x, qreal y, const dmx::SheetRow &row)
    {
        const QFont small = font(28), tiny = font(24, true);
        text(QRectF(x, y, kSideLabels - 10, 30), Qt::AlignRight | Qt::AlignTop, QStringLiteral("ON"), tiny);
        text(QRectF(x, y + kBodyHeight - 30, kSideLabels - 10, 30), Qt::AlignRight | Qt::AlignBottom,
             QStringLiteral("OFF"), tiny);
        // The arrow points the way a lever goes for ON, as printed on the parts.
        QPainterPath arrow;
        const qreal ax = x + 14, ay = y + 4;
        arrow.moveTo(ax, ay);
        arrow.lineTo(ax - 12, ay + 18);
        arrow.lineTo(ax + 12, ay + 18);
        arrow.closeSubpath();
        p.fillPath(arrow, Qt::black);

        x += kSideLabels;
        const qreal body = 2 * kBodyPad + dmx::kAddressSwitches * kSlotWidth
                           + (dmx::kAddressSwitches - 1) * kSlotGap;
        p.setPen(QPen(Qt::black, 5));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(x, y, body, kBodyHeight), 8, 8);
        const QRectF terminatorBody(x + body + kTerminatorGap, y, kSlotWidth + 2 * kBodyPad, kBodyHeight);
        p.drawRoundedRect(terminatorBody, 8, 8);

        for (int k = 1; k <= dmx::kTerminatorSwitch; ++k) {
            const qreal left = k == dmx::kTerminatorSwitch
                                   ? terminatorBody.left() + kBodyPad
                                   : x + kBodyPad + (k - 1) * (kSlotWidth + kSlotGap);
            slot(left, y + kBodyPad - 10, row.on[k - 1]);
            const QString caption = k == dmx::kTerminatorSwitch ? QStringLiteral("120R") : QString::number(k);
            p.setPen(Qt::black);
            text(QRectF(left - 30, y + kBodyHeight + 2, kSlotWidth + 60, 34),
                 Qt::AlignHCenter | Qt::AlignTop, caption, small);
        }
    }
};

qreal bankLeft() { return kNumberWidth + kStartWidth + kChannelsWidth; }

} // namespace

QString fromUtf8(const std::string &s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

void paint(QPagedPaintDevice &device, const dmx::Plan &plan, const QString &title)
{
    QPainter p(&device);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal toDevice = device.logicalDpiX() / kUnitsPerInch;
    qreal width = device.width() / toDevice;
    qreal height = device.height() / (device.logicalDpiY() / kUnitsPerInch);
    // A page too narrow for the columns gets the whole sheet smaller.
    const qreal narrowest = bankLeft() + kBankWidth + kNarrowestRemarks;
    const qreal shrink = std::min<qreal>(1, width / narrowest);
    p.scale(toDevice * shrink, toDevice * shrink);
    width /= shrink;
    height /= shrink;

    Page page{p, width};
    const QFont body = font(34), bold = font(34, true), heading = font(30, true), big = font(64, true);
    const QString name = title.isEmpty() ? QStringLiteral("Feuille d'adressage DMX") : title;
    const auto legend = dmx::legend(plan);
    const auto &run = plan.run;
    const int rows = static_cast<int>(plan.rows.size());

    // The first page opens with the title, the weight order, the run and what
    // the remarks mean; the others start at the headings.
    const qreal intro = 90 + 50 + 50 + 48 * static_cast<qreal>(legend.size()) + 40;
    const auto fit = [&](qreal top) {
        return std::max(1, static_cast<int>((height - top - kHeadingHeight - kFooterHeight) / kRowHeight));
    };
    const int firstRows = fit(intro), otherRows = fit(0);
    const int pages = rows <= firstRows ? 1 : 1 + (rows - firstRows + otherRows - 1) / otherRows;

    const qreal remarksLeft = bankLeft() + kBankWidth;
    int next = 0;
    for (int n = 1; n <= pages; ++n) {
        if (n > 1)
            device.newPage();
        qreal y = 0;
        p.setPen(Qt::black);
        if (n == 1) {
            page.text(QRectF(0, y, width, 80), Qt::AlignLeft | Qt::AlignVCenter, name, big);
            y += 90;
            page.text(QRectF(0, y, width, 50), Qt::AlignLeft | Qt::AlignVCenter,
                      QStringLiteral("Ordre des interrupteurs : %1 (de gauche à droite, interrupteur 9 = %2)")
                          .arg(fromUtf8(dmx::weightOrder(run.bank)))
                          .arg(run.bank.weight(dmx::kAddressSwitches)),
                      bold);
            y += 50;
            const dmx::SheetRow &last = plan.rows.back();
            page.text(QRectF(0, y, width, 50), Qt::AlignLeft | Qt::AlignVCenter,
                      QStringLiteral("%1 %2 de %3 %4 : adresses %5 à %6, dernier canal %7")
                          .arg(rows)
                          .arg(rows == 1 ? u"appareil" : u"appareils")
                          .arg(run.channels)
                          .arg(run.channels == 1 ? u"canal" : u"canaux")
                          .arg(run.first)
                          .arg(last.start)
                          .arg(last.last),
                      body);
            y += 50;
            for (const dmx::Remark &r : legend) {
                page.text(QRectF(0, y, width, 48), Qt::AlignLeft | Qt::AlignVCenter,
                          QStringLiteral("« %1 » : %2").arg(QString::fromUtf8(r.word), QString::fromUtf8(r.meaning)),
                          font(30));
                y += 48;
            }
            y += 40;
        }

        const int flags = Qt::AlignLeft | Qt::AlignVCenter;
        page.text(QRectF(10, y, kNumberWidth, kHeadingHeight), flags, QStringLiteral("Appareil"), heading);
        page.text(QRectF(kNumberWidth, y, kStartWidth, kHeadingHeight), flags, QStringLiteral("Adresse"), heading);
        page.text(QRectF(kNumberWidth + kStartWidth, y, kChannelsWidth, kHeadingHeight), flags,
                  QStringLiteral("Canaux"), heading);
        page.text(QRectF(bankLeft() + kSideLabels, y, kBankWidth, kHeadingHeight), flags,
                  QStringLiteral("Interrupteurs (%1)").arg(fromUtf8(dmx::weightOrder(run.bank))), heading);
        page.text(QRectF(remarksLeft, y, width - remarksLeft, kHeadingHeight), flags,
                  QStringLiteral("Remarques"), heading);
        y += kHeadingHeight;
        p.setPen(QPen(Qt::black, 6));
        p.drawLine(QPointF(0, y), QPointF(width, y));

        const int end = std::min(rows, next + (n == 1 ? firstRows : otherRows));
        for (; next < end; ++next) {
            const dmx::SheetRow &row = plan.rows[static_cast<std::size_t>(next)];
            const QRectF line(0, y, width, kRowHeight);
            p.setPen(Qt::black);
            page.text(QRectF(10, y, kNumberWidth - 10, kRowHeight), flags, QString::number(row.fixture), bold);
            page.text(QRectF(kNumberWidth, y, kStartWidth, kRowHeight), flags, QString::number(row.start), bold);
            page.text(QRectF(kNumberWidth + kStartWidth, y, kChannelsWidth, kRowHeight), flags,
                      QStringLiteral("%1 à %2").arg(row.start).arg(row.last), body);
            if (row.settable)
                page.bank(bankLeft(), y + 18, row);
            else
                page.text(QRectF(bankLeft() + kSideLabels, y, kBankWidth - kSideLabels, kRowHeight),
                          Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("pas de réglage possible"),
                          font(34, true));
            p.setPen(Qt::black);
            page.text(QRectF(remarksLeft, y, width - remarksLeft, kRowHeight),
                      flags | Qt::TextWordWrap, fromUtf8(dmx::remarks(row)), bold);
            y += kRowHeight;
            p.setPen(QPen(Qt::black, 2));
            p.drawLine(line.bottomLeft(), line.bottomRight());
        }

        p.setPen(Qt::black);
        const QRectF footer(0, height - kFooterHeight + 20, width, kFooterHeight - 20);
        page.text(footer, Qt::AlignLeft | Qt::AlignBottom, name, font(28));
        page.text(footer, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("Page %1 sur %2").arg(n).arg(pages),
                  font(28));
    }
}

QByteArray csv(const dmx::Plan &plan)
{
    // The byte order mark tells a spreadsheet the file is UTF-8 ("à").
    return QByteArray("\xEF\xBB\xBF") + QByteArray::fromStdString(dmx::separatedTable(plan, ';'));
}

bool knownFormat(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"pdf" || suffix == u"csv" || suffix == u"txt";
}

QString save(const QString &path, const dmx::Plan &plan, const QString &title)
{
    if (!knownFormat(path))
        return QStringLiteral("« %1 » : le nom doit finir par .pdf, .csv ou .txt.").arg(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("impossible d'écrire « %1 » : %2").arg(path, file.errorString());

    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"pdf") {
        QPdfWriter pdf(&file);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        pdf.setTitle(title.isEmpty() ? QStringLiteral("Feuille d'adressage DMX") : title);
        pdf.setCreator(QCoreApplication::applicationName());
        paint(pdf, plan, title);
    } else if (suffix == u"csv") {
        file.write(csv(plan));
    } else {
        file.write(QByteArray::fromStdString(dmx::textTable(plan, title.toStdString())));
    }
    if (!file.commit())
        return QStringLiteral("impossible d'écrire « %1 » : %2").arg(path, file.errorString());
    return {};
}

} // namespace sheet
