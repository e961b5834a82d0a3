#include "switchcell.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>

SwitchCell::SwitchCell(QWidget *parent)
    : TextBox(parent)
{
    connect(this, &QLineEdit::textChanged, this, &SwitchCell::announceMove);
}

// Called for a click, a redraw and a reset alike: whatever wrote the word,
// a screen reader hears the switch move.
void SwitchCell::announceMove(const QString &text)
{
    if (checked_ == !text.isEmpty())
        return;
    checked_ = !text.isEmpty();
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void SwitchCell::setNeighbours(SwitchCell *left, SwitchCell *right, SwitchCell *upper, SwitchCell *lower)
{
    left_ = left;
    right_ = right;
    upper_ = upper;
    lower_ = lower;
}

// The arrows move between the cells; they stop at either end of the bank.
// With a modifier (bar the keypad's) they are the line edit's again.
void SwitchCell::keyPressEvent(QKeyEvent *event)
{
    SwitchCell *to = nullptr;
    const bool plain = !(event->modifiers() & ~Qt::KeypadModifier);
    switch (plain ? event->key() : 0) {
    case Qt::Key_Left:
        to = left_;
        break;
    case Qt::Key_Right:
        to = right_;
        break;
    case Qt::Key_Up:
        to = upper_;
        break;
    case Qt::Key_Down:
        to = lower_;
        break;
    default:
        TextBox::keyPressEvent(event);
        return;
    }
    if (to)
        to->setFocus(Qt::OtherFocusReason);
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
