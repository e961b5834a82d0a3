#include "textbox.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

TextBox::TextBox(QWidget *parent)
    : QLineEdit(parent)
{
    setCursor(Qt::ArrowCursor);
}

void TextBox::mouseReleaseEvent(QMouseEvent *event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void TextBox::keyPressEvent(QKeyEvent *event)
{
    if (isReadOnly() && event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        emit clicked();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

AddressBox::AddressBox(QWidget *parent)
    : TextBox(parent)
{
    // Qt's own length limit refuses typed characters and cuts pastes the way
    // users expect; it is widened only while a longer program text is shown.
    setMaxLength(kTypedLength);
    connect(this, &QLineEdit::textChanged, this, &AddressBox::fitLimit);
}

void AddressBox::assign(const QString &text)
{
    if (text.size() > maxLength())
        setMaxLength(static_cast<int>(text.size()));
    setText(text);
}

// Once the user shortens a long program text, typing is back to three
// characters. The limit only changes when it must: each change resets the
// box's undo history and cursor.
void AddressBox::fitLimit()
{
    const int limit = std::max(kTypedLength, static_cast<int>(text().size()));
    if (limit != maxLength())
        setMaxLength(limit);
}
