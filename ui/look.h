#pragma once

#include "layout.h"

#include <QFont>
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
// The product word mark shown at the top of both windows.
QPixmap wordMark();

} // namespace look
