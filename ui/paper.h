#pragma once

#include "rig.h"

#include <QFont>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <array>
#include <initializer_list>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class QRectF;

// What the sheets share on paper: the page, the face, and a bank of switches
// as the sheets print it and the patch window shows it. Pages are laid out in
// tenths of a millimetre whatever the device's resolution, so a printer and
// the PDF writer give the same sheet.
namespace paper {

// A printer may report no margin at all, or the 3 mm of a PDF printer: the
// sheets keep this much on every side whatever it reports, so the preview,
// the printer and the PDF give the same pages.
inline constexpr qreal kMarginMm = 15;

// Sets the painter up for a page in tenths of a millimetre from the top left
// corner inside the margins: what the device's own margins leave short of
// ours is added on each side. A page narrower than `narrowest` gets the whole
// sheet smaller. Returns the width and height to lay out in.
QSizeF setUpPage(QPainter &p, QPagedPaintDevice &device, qreal narrowest);

// The windows' face at a height in tenths of a millimetre: it travels inside
// the program, so every machine prints the same sheet.
QFont font(int height, bool bold = false);

// A title on one line: cut after a whole word, with "…", when it is wider
// than the room left for it on the device.
QString fitted(const QString &s, const QFont &f, qreal room, QPaintDevice *device);

// Black text in a box, as QPainter::drawText lays it out.
void text(QPainter &p, const QRectF &r, int flags, const QString &s, const QFont &f);

// A black rule across the page's width.
void rule(QPainter &p, qreal width, qreal y, qreal thickness);

// A column heading: it starts at `left`, and the next one's left ends it.
struct Heading
{
    qreal left;
    QString label;
};
// The headings in bold across the page, ruled below; returns the y under them.
qreal headings(QPainter &p, qreal y, qreal height, qreal width, std::initializer_list<Heading> columns);

// Every page ends with the sheet's name on the left, cut to leave room, and
// "Page n sur m" on the right, in the bottom band of this height.
inline constexpr qreal kFooterHeight = 70;
void footer(QPainter &p, QPaintDevice &device, QSizeF page, const QString &name, int n, int pages);

// The "ON"/"OFF" labels left of the switches: a column's heading starts past them.
inline constexpr qreal kSideLabels = 90;

// The room the bank takes, the side labels and the names under it included.
QSizeF bankSize(const dmx::SwitchProfile &profile);

// Switch 1 .. 10 in the bank's order, true where the switch is ON; the tenth
// is drawn only when the profile has one, in its own body unless it weighs 512.
void drawBank(QPainter &p, QPointF at, const dmx::SwitchProfile &profile,
              const std::array<bool, dmx::kTerminatorSwitch> &on);

} // namespace paper
