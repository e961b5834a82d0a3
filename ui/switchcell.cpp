#include "switchcell.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QPainter>

SwitchCell::SwitchCell(QWidget *parent)
    : TextBox(parent)
{
    connect(this, &QLineEdit::textChanged, this, &SwitchCell::follow);
}

// Called for a click, a redraw and a reset alike: whatever wrote the word,
// a screen reader hears the switch move.
void SwitchCell::follow(const QString &text)
{
    if (checked_ == !text.isEmpty())
        return;
    checked_ = !text.isEmpty();
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

// Reached with Tab, a line edit selects its text; a cell's word is no text
// to edit, and the focus frame already shows where the focus is.
void SwitchCell::focusInEvent(QFocusEvent *event)
{
    TextBox::focusInEvent(event);
    deselect();
}

// The style's focus line is one pixel of the frame, lost on an empty white
// cell; a thick ring inside it is seen at a glance.
void SwitchCell::paintEvent(QPaintEvent *event)
{
    TextBox::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter p(this);
    constexpr int kRing = 3;
    p.setPen(QPen(palette().color(QPalette::Highlight), kRing, Qt::SolidLine, Qt::SquareCap,
                  Qt::MiterJoin));
    p.drawRect(QRectF(rect()).adjusted(kRing / 2.0, kRing / 2.0, -kRing / 2.0, -kRing / 2.0));
}
