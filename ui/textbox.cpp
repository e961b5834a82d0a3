#include "textbox.h"

#include "fixturemodel.h"
#include "look.h"
#include "spoken.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QTextBoundaryFinder>


TextBox::TextBox(QWidget *parent)
    : QLineEdit(parent)
{
    setCursor(Qt::ArrowCursor);
}

void TextBox::setCue(const QColor &colour)
{
    if (!colour.isValid()) {
        if (own_)
            setPalette(*std::exchange(own_, std::nullopt));
        return;
    }
    if (!own_)
        own_ = palette();
    else if (palette().color(QPalette::Text) == colour)
        return; // each redraw asks again
    QPalette cue = *own_;
    cue.setColor(QPalette::Text, colour);
    setPalette(cue);
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

// Qt's length limit is no use here: it would cut the program's longer texts,
// and changing it resets the caret and the undo history. So every way a user
// inserts text is cut to fit before Qt sees it. The box takes no drops: an
// address is typed or pasted.
AddressBox::AddressBox(QWidget *parent)
    : TextBox(parent)
{
    setAcceptDrops(false);
}

// "600", "007" or a stepped "-2" would leave the switches showing an earlier
// address, and a technician reading the bank would set the fixture wrong.
void AddressBox::setUnshown(bool unshown)
{
    if (unshown == ownTip_.has_value())
        return;
    if (!unshown) {
        setToolTip(*std::exchange(ownTip_, std::nullopt));
        setAccessibleDescription(QString()); // a screen reader reads the tooltip again
        setCue(QColor());
        return;
    }
    ownTip_ = toolTip();
    const QString why = fromText(dmx::spokenNotAnAddress());
    setToolTip(why);
    setAccessibleDescription(why);
    setCue(look::kUnshownAddress);
}

// The box's rule, with Qt's idea of a character: a letter and its accent, or
// an emoji, are never split.
QString AddressBox::fitting(const QString &inserted, qsizetype replaced) const
{
    const auto boundary = [](dmx::TextView text, std::size_t at) {
        QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme,
                                       QStringView(text.data(), static_cast<qsizetype>(text.size())));
        characters.setPosition(static_cast<qsizetype>(at));
        if (!characters.isAtBoundary())
            characters.toPreviousBoundary();
        return static_cast<std::size_t>(characters.position());
    };
    const dmx::Text fits = dmx::fitting(text().toStdU16String(), static_cast<std::size_t>(replaced),
                                        inserted.toStdU16String(), boundary);
    return QString::fromStdU16String(fits);
}

void AddressBox::pasteFrom(QClipboard::Mode mode)
{
    const QString fits = fitting(QGuiApplication::clipboard()->text(mode), selectedText().size());
    if (!fits.isEmpty())
        insert(fits);
}

// A key's text is cut before Qt inserts it; a key whose text does not fit at
// all reaches Qt without one, which leaves the box as it was.
void AddressBox::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool up = key == Qt::Key_Up || key == Qt::Key_PageUp;
    if ((up || key == Qt::Key_Down || key == Qt::Key_PageDown) && !(event->modifiers() & ~Qt::KeypadModifier)) {
        emit stepRequested(up);
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        const bool selection = event->key() == Qt::Key_Insert
            && event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier);
        pasteFrom(selection ? QClipboard::Selection : QClipboard::Clipboard);
        return;
    }
    const QString fits = fitting(event->text(), selectedText().size());
    if (fits == event->text()) {
        TextBox::keyPressEvent(event);
        return;
    }
    QKeyEvent cut(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                  event->nativeVirtualKey(), event->nativeModifiers(), fits, event->isAutoRepeat(),
                  static_cast<quint16>(event->count()), event->device());
    TextBox::keyPressEvent(&cut);
    event->setAccepted(cut.isAccepted());
}

// What an input method commits (a composed or dictated character).
void AddressBox::inputMethodEvent(QInputMethodEvent *event)
{
    const QString commit = event->commitString();
    if (!commit.isEmpty())
        event->setCommitString(fitting(commit, selectedText().size() + event->replacementLength()),
                               event->replacementStart(), event->replacementLength());
    TextBox::inputMethodEvent(event);
}

// The middle button pastes the X11 selection where it was pressed.
void AddressBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        deselect();
        pasteFrom(QClipboard::Selection);
        return;
    }
    TextBox::mouseReleaseEvent(event);
}

// Qt's own menu, its paste cut like any other, then the box's own actions.
void AddressBox::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    if (QAction *paste = pasteEntry(menu)) {
        disconnect(paste, nullptr, this, nullptr);
        connect(paste, &QAction::triggered, this, [this] { pasteFrom(QClipboard::Clipboard); });
    }
    if (!actions().isEmpty()) { // the window's own entries come last
        menu->addSeparator();
        menu->addActions(actions());
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// Qt names its paste entry "edit-paste". Qt 6.4, Debian 12's, gives it no
// name and wires it to paste() by signature, so only that signature finds it
// there.
QAction *AddressBox::pasteEntry(QMenu *menu) const
{
    if (auto *named = menu->findChild<QAction *>(QStringLiteral("edit-paste"), Qt::FindDirectChildrenOnly))
        return named;
    static const QMetaMethod triggered = QMetaMethod::fromSignal(&QAction::triggered);
    static const QMetaMethod paste =
        QLineEdit::staticMetaObject.method(QLineEdit::staticMetaObject.indexOfSlot("paste()"));
    for (QAction *action : menu->actions())
        if (QObject::disconnect(action, triggered, this, paste))
            return action;
    return nullptr;
}
