#include "look.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QLineEdit>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iterator>

namespace look {

namespace {

// The layout's captions were sized for "MS Sans Serif". Linux desktops lack
// it, and the copy Wine brings is a bitmap that cannot scale; the usual
// stand-ins are too wide ("Remise à zéro" in a 65-pixel button). Arial
// Narrow's metrics fit every caption, so the windows ask for its free clone,
// which Debian's fonts-liberation package installs (the .deb depends on it).
// Without it fontconfig picks the closest face, and the user is told once
// why some captions may be cut. Windows has the layout's own face: every
// Windows maps "MS Sans Serif" to its sans-serif face for dialogs.
QString family()
{
    static const QString name = [] {
#ifdef Q_OS_WIN
        return QStringLiteral("MS Sans Serif");
#else
        const QString wanted = QStringLiteral("Liberation Sans Narrow");
        if (!QFontDatabase::families().contains(wanted))
            qWarning("adresse-dmx : police « %s » introuvable (paquet fonts-liberation), "
                     "la plus proche la remplace", qPrintable(wanted));
        return wanted;
#endif
    }();
    return name;
}

} // namespace

QFont font(const layout::Font &f)
{
    QFont font(family());
    // Pixel sizes at 96 dpi keep the text in proportion with the layout's
    // pixel geometry whatever dpi the desktop reports.
    font.setPixelSize(static_cast<int>(std::lround(f.points * 96 / 72)));
    font.setBold(f.bold);
    // Widths from the outlines alone: a desktop set to full hinting would
    // otherwise widen the captions, and unevenly at each screen scale.
    font.setHintingPreference(QFont::PreferVerticalHinting);
    return font;
}

void styleLabel(QLabel *label, unsigned look)
{
    // Labels draw their caption from the top, like the window's text boxes.
    label->setAlignment(Qt::AlignTop | (look & layout::Centred ? Qt::AlignHCenter : Qt::AlignLeft));
    if (look & layout::Border)
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
}

void styleTextBox(QLineEdit *box, unsigned look)
{
    box->setAlignment(look & layout::Centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    box->setReadOnly(look & layout::ReadOnly);
    box->setCursor(Qt::ArrowCursor); // read-only state changes the pointer
    if (look & layout::NoTabStop)
        box->setFocusPolicy(Qt::ClickFocus);
    // Each colour is set in every colour group, so that the desktop's theme
    // changes none of them, active, inactive or disabled. A white cell also
    // keeps a text box's classic black text where the layout leaves the text
    // colour to the system: a dark theme's light text would vanish on it.
    QPalette palette = box->palette();
    if (look & layout::WhiteCell)
        palette.setColor(QPalette::Base, Qt::white);
    if (look & (layout::BlackText | layout::WhiteCell))
        palette.setColor(QPalette::Text, Qt::black);
    if (look & layout::Indicator) {
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        palette.setColor(QPalette::Text, Qt::red);
    }
    box->setPalette(palette);
}

qreal contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto linear = [](qreal v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const qreal x = luminance(a), y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

namespace {

// `from` taken toward `to` by tenths until it reads at kLeastContrast on each background.
QColor readable(const QColor &from, const QColor &to, std::initializer_list<QColor> backs)
{
    QColor c = from;
    for (int step = 1; step <= 10; ++step) {
        if (std::all_of(backs.begin(), backs.end(), [&c](const QColor &b) { return contrast(c, b) >= kLeastContrast; }))
            break;
        const float t = static_cast<float>(step) / 10;
        c = QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * t, from.greenF() + (to.greenF() - from.greenF()) * t,
                             from.blueF() + (to.blueF() - from.blueF()) * t);
    }
    return c;
}

} // namespace

QColor problemText(const QPalette &palette)
{
    return readable(Qt::red, palette.color(QPalette::Text),
                    {palette.color(QPalette::Base), palette.color(QPalette::AlternateBase)});
}

QPalette readableWhenDisabled(QPalette palette)
{
    constexpr auto off = QPalette::Disabled;
    const std::pair<QPalette::ColorRole, QPalette::ColorRole> pairs[] = {
        {QPalette::Text, QPalette::Base}, {QPalette::ButtonText, QPalette::Button}, {QPalette::WindowText, QPalette::Window}};
    for (const auto &[ink, back] : pairs)
        palette.setColor(off, ink, readable(palette.color(off, ink), palette.color(QPalette::Active, ink),
                                            {palette.color(off, back)}));
    return palette;
}

QPixmap wordMark()
{
    static const QPixmap mark = [] {
        // Drawn at the screen's density, so that a scaled screen shows it
        // sharp rather than blown up.
        const qreal ratio = qGuiApp->devicePixelRatio();
        QPixmap pixmap(QSizeF(QSizeF(100, 107) * ratio).toSize());
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::white);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient bar(0, 4, 0, 103);
        bar.setColorAt(0.0, Qt::red);
        bar.setColorAt(0.25, Qt::yellow);
        bar.setColorAt(0.5, Qt::green);
        bar.setColorAt(0.75, Qt::cyan);
        bar.setColorAt(1.0, Qt::blue);
        p.fillRect(QRect(6, 4, 10, 99), bar);
        QFont name = font({18, true});
        name.setPixelSize(30);
        p.setFont(name);
        p.setPen(Qt::black);
        p.drawText(QRect(20, 8, 80, 46), Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("cor"));
        p.drawText(QRect(20, 52, 80, 46), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("vane"));
        return pixmap;
    }();
    return mark;
}

} // namespace look
