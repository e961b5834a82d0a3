#pragma once

#include "layout.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QPixmap>

class QLabel;
class QLineEdit;

// How the layout's fonts, colours and borders look on this desktop.
namespace look {

QFont font(const layout::Font &font);
void styleLabel(QLabel *label, unsigned look);
void styleTextBox(QLineEdit *box, unsigned look);
// While the address box holds a text the switches cannot show: its text in
// red, the address switches' "ON" and "OFF" in grey, as stale words are.
inline constexpr Qt::GlobalColor kUnshownAddress = Qt::red;
inline constexpr Qt::GlobalColor kStaleSwitch = Qt::gray;
// The contrast ratio of two colours as WCAG measures it, 1 to 21: body text
// wants 4.5 at least.
inline constexpr qreal kLeastContrast = 4.5;
qreal contrast(const QColor &a, const QColor &b);
// The red of a row with a problem in a table drawn with this palette: red,
// taken toward the palette's text until it reads at kLeastContrast on both
// the table's backgrounds, light theme or dark.
QColor problemText(const QPalette &palette);
// The palette with its greyed texts dark enough (light enough on a dark
// theme) to read at kLeastContrast: a built-in profile's fields are greyed,
// not hidden, and are read in a dim place.
QPalette readableWhenDisabled(QPalette palette);

// The product word mark shown at the top of both windows.
QPixmap wordMark();

} // namespace look
