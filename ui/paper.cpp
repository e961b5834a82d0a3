#include "paper.h"

#include "look.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace paper {

namespace {

// Nine or ten slots in one body; a terminator or a function switch in a body
// of its own, as the parts are built.
constexpr qreal kBodyPad = 20, kSlotWidth = 50, kSlotGap = 14;
constexpr qreal kBodyHeight = 86, kSeparateGap = 60, kNumbersHeight = 36;
// A function switch's name may run wider than its body.
constexpr qreal kNameWidth = 220;

int slotsInMainBody(const dmx::SwitchProfile &profile)
{
    return profile.tenth == dmx::TenthSwitch::Weight512 ? dmx::kTerminatorSwitch : dmx::kAddressSwitches;
}

bool separateTenth(const dmx::SwitchProfile &profile)
{
    return profile.tenth == dmx::TenthSwitch::Terminator || profile.tenth == dmx::TenthSwitch::Function;
}

qreal mainBodyWidth(const dmx::SwitchProfile &profile)
{
    const int n = slotsInMainBody(profile);
    return 2 * kBodyPad + n * kSlotWidth + (n - 1) * kSlotGap;
}

// One switch slot: the lever is the solid block, on the side it was pushed to.
void slot(QPainter &p, qreal x, qreal y, bool leverUp)
{
    const QRectF hole(x, y, kSlotWidth, kBodyHeight - 2 * kBodyPad + 20);
    p.setPen(QPen(Qt::black, 3));
    p.setBrush(QColor(0xdd, 0xdd, 0xdd));
    p.drawRect(hole);
    const qreal lever = hole.height() / 2 - 4;
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(QRectF(x + 6, leverUp ? y + 6 : hole.bottom() - 6 - lever, kSlotWidth - 12, lever - 2));
}

} // namespace

void text(QPainter &p, const QRectF &r, int flags, const QString &s, const QFont &f)
{
    p.setPen(Qt::black);
    p.setFont(f);
    p.drawText(r, flags, s);
}

void rule(QPainter &p, qreal width, qreal y, qreal thickness)
{
    p.setPen(QPen(Qt::black, thickness));
    p.drawLine(QPointF(0, y), QPointF(width, y));
}

qreal headings(QPainter &p, qreal y, qreal height, qreal width, std::initializer_list<Heading> columns)
{
    const QFont f = font(30, true);
    for (auto c = columns.begin(); c != columns.end(); ++c) {
        const qreal right = std::next(c) == columns.end() ? width : std::next(c)->left;
        text(p, QRectF(c->left, y, right - c->left, height), Qt::AlignLeft | Qt::AlignVCenter, c->label, f);
    }
    rule(p, width, y + height, 6);
    return y + height;
}

void footer(QPainter &p, QPaintDevice &device, QSizeF page, const QString &name, int n, int pages)
{
    const QRectF band(0, page.height() - kFooterHeight + 20, page.width(), kFooterHeight - 20);
    const QString count = QStringLiteral("Page %1 sur %2").arg(n).arg(pages);
    const QFont f = font(28);
    const qreal countWidth = QFontMetricsF(f, &device).horizontalAdvance(count);
    text(p, band, Qt::AlignLeft | Qt::AlignBottom, fitted(name, f, page.width() - countWidth - 60, &device), f);
    text(p, band, Qt::AlignRight | Qt::AlignBottom, count, f);
}

QSizeF setUpPage(QPainter &p, QPagedPaintDevice &device, qreal narrowest)
{
    constexpr qreal kUnitsPerInch = 254;
    p.setRenderHint(QPainter::Antialiasing);
    const QPageLayout page = device.pageLayout();
    const QRectF full = page.fullRect(QPageLayout::Millimeter);
    const QRectF area = page.paintRect(QPageLayout::Millimeter);
    const auto more = [](qreal given) { return std::max<qreal>(0, kMarginMm - given); };
    const qreal left = more(area.left() - full.left()), top = more(area.top() - full.top());
    const qreal right = more(full.right() - area.right()), bottom = more(full.bottom() - area.bottom());
    QSizeF size((area.width() - left - right) * 10, (area.height() - top - bottom) * 10);
    p.scale(device.logicalDpiX() / kUnitsPerInch, device.logicalDpiY() / kUnitsPerInch);
    p.translate(left * 10, top * 10);
    const qreal shrink = std::min<qreal>(1, size.width() / narrowest);
    p.scale(shrink, shrink);
    return size / shrink;
}

QString fitted(const QString &s, const QFont &f, qreal room, QPaintDevice *device)
{
    const QFontMetricsF metrics(f, device);
    if (metrics.horizontalAdvance(s) <= room)
        return s;
    const QString ellipsis = QStringLiteral("…");
    QString cut = metrics.elidedText(s, Qt::ElideRight, room);
    cut.chop(ellipsis.size());
    if (cut.size() < s.size() && !s.at(cut.size()).isSpace()) {
        const qsizetype space = cut.lastIndexOf(u' ');
        if (space > 0) // one long word is cut where it must be
            cut.truncate(space);
    }
    while (!cut.isEmpty() && (cut.back().isSpace() || cut.back().isPunct()))
        cut.chop(1);
    return cut + ellipsis;
}

QFont font(int height, bool bold)
{
    QFont f = look::font({});
#ifdef Q_OS_WIN
    // The windows' "MS Sans Serif" is a bitmap that cannot go into a PDF.
    // Arial Narrow, where Office brought it, keeps the Linux sheet's widths.
    f.setFamilies({QStringLiteral("Arial Narrow"), QStringLiteral("Arial")});
#endif
    f.setPixelSize(height);
    f.setBold(bold);
    return f;
}

QSizeF bankSize(const dmx::SwitchProfile &profile)
{
    qreal width = kSideLabels + mainBodyWidth(profile);
    if (separateTenth(profile))
        width += kSeparateGap + kSlotWidth + 2 * kBodyPad;
    if (profile.tenth == dmx::TenthSwitch::Function)
        width += (kNameWidth - kSlotWidth - 2 * kBodyPad) / 2;
    return {width, kBodyHeight + kNumbersHeight};
}

void drawBank(QPainter &p, QPointF at, const dmx::SwitchProfile &profile,
              const std::array<bool, dmx::kTerminatorSwitch> &on)
{
    const qreal x = at.x(), y = at.y();
    const QFont small = font(28), tiny = font(24, true);
    const bool up = profile.onIsUp;
    const QRectF top(x, y, kSideLabels - 10, 30), bottom(x, y + kBodyHeight - 30, kSideLabels - 10, 30);
    text(p, top, Qt::AlignRight | Qt::AlignTop, up ? QStringLiteral("ON") : QStringLiteral("OFF"), tiny);
    text(p, bottom, Qt::AlignRight | Qt::AlignBottom, up ? QStringLiteral("OFF") : QStringLiteral("ON"), tiny);
    // The arrow points the way a lever goes for ON, as printed on the parts.
    QPainterPath arrow;
    if (up) {
        arrow.moveTo(x + 14, y + 4);
        arrow.lineTo(x + 2, y + 22);
        arrow.lineTo(x + 26, y + 22);
    } else {
        arrow.moveTo(x + 14, y + kBodyHeight - 4);
        arrow.lineTo(x + 2, y + kBodyHeight - 22);
        arrow.lineTo(x + 26, y + kBodyHeight - 22);
    }
    arrow.closeSubpath();
    p.fillPath(arrow, Qt::black);

    const qreal left = x + kSideLabels;
    const qreal body = mainBodyWidth(profile);
    const QRectF separate(left + body + kSeparateGap, y, kSlotWidth + 2 * kBodyPad, kBodyHeight);
    p.setPen(QPen(Qt::black, 5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(left, y, body, kBodyHeight), 8, 8);
    if (separateTenth(profile))
        p.drawRoundedRect(separate, 8, 8);

    for (int k = 1; k <= profile.switchCount(); ++k) {
        const bool apart = k == dmx::kTerminatorSwitch && separateTenth(profile);
        const qreal slotLeft = apart ? separate.left() + kBodyPad : left + kBodyPad + (k - 1) * (kSlotWidth + kSlotGap);
        slot(p, slotLeft, y + kBodyPad - 10, profile.leverUp(on[k - 1]));
        QString name = QString::number(k);
        qreal nameWidth = kSlotWidth + 60;
        if (apart && profile.tenth == dmx::TenthSwitch::Terminator) {
            name = QStringLiteral("120R");
        } else if (apart) {
            nameWidth = kNameWidth;
            name = QFontMetricsF(small).elidedText(QString::fromStdString(profile.functionName), Qt::ElideRight,
                                                   nameWidth);
        }
        text(p, QRectF(slotLeft + kSlotWidth / 2 - nameWidth / 2, y + kBodyHeight + 2, nameWidth, kNumbersHeight - 2),
             Qt::AlignHCenter | Qt::AlignTop, name, small);
    }
}

} // namespace paper
