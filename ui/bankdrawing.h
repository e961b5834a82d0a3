#pragma once

#include "rig.h"

#include <QFont>
#include <QPointF>
#include <QSizeF>

#include <array>

class QPainter;

// A bank of switches as the sheets print it and the patch window shows it,
// in tenths of a millimetre from the painter's origin.
namespace paper {

// The windows' face at a height in tenths of a millimetre: it travels inside
// the program, so every machine prints the same sheet.
QFont font(int height, bool bold = false);

// The "ON"/"OFF" labels left of the switches: a column's heading starts past them.
inline constexpr qreal kSideLabels = 90;

// The room the bank takes, the side labels and the names under it included.
QSizeF bankSize(const dmx::SwitchProfile &profile);

// Switch 1 .. 10 in the bank's order, true where the switch is ON; the tenth
// is drawn only when the profile has one, in its own body unless it weighs 512.
void drawBank(QPainter &p, QPointF at, const dmx::SwitchProfile &profile,
              const std::array<bool, dmx::kTerminatorSwitch> &on);

} // namespace paper
