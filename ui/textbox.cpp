#include "textbox.h"

#include "address.h"
#include "look.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QTextBoundaryFinder>

#include <algorithm>

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
    connect(this, &QLineEdit::textChanged, this, &AddressBox::follow);
}

// The switches show the box's text only when it is an address: "600",
// "007" or a stepped "-2" would leave them showing an earlier one, and a
// technician reading the bank would set the fixture wrong.
void AddressBox::follow(const QString &text)
{
    const bool showable = text.isEmpty() || dmx::patternOf(text.toStdU16String());
    if (showable == !ownTip_)
        return;
    if (showable) {
        setToolTip(*std::exchange(ownTip_, std::nullopt));
        setAccessibleDescription(QString()); // a screen reader reads the tooltip again
        setCue(QColor());
        return;
    }
    ownTip_ = toolTip();
    const QString why = QStringLiteral("Ce n'est pas une adresse de 0 à 511 : "
                                       "les interrupteurs ne l'affichent pas");
    setToolTip(why);
    setAccessibleDescription(why);
    setCue(look::kUnshownAddress);
}

// What the box takes of a text inserted in place of `replaced` characters:
// the text up to its first line break, as any one-line box, then as much as
// leaves three characters at most, never cutting inside a character (a
// surrogate pair, a letter and its accent). Nothing, if nothing fits.
QString AddressBox::fitting(QString inserted, qsizetype replaced) const
{
    const auto lineBreak = std::find_if(inserted.cbegin(), inserted.cend(), [](QChar c) {
        return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
    });
    inserted.truncate(lineBreak - inserted.cbegin());
    const qsizetype room = kTypedLength - (text().size() - replaced);
    if (inserted.size() <= room)
        return inserted;
    if (room <= 0)
        return QString();
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, inserted);
    characters.setPosition(room);
    if (!characters.isAtBoundary())
        characters.toPreviousBoundary();
    return inserted.left(characters.position());
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

// Qt's own menu, its paste cut like any other, then the box's own actions. The paste entry is the one Qt
// wired to QLineEdit::paste: by signature in Qt 6.4, by member pointer later.
void AddressBox::contextMenuEvent(QContextMenuEvent *event)
{
    static const QMetaMethod triggered =
        QAction::staticMetaObject.method(QAction::staticMetaObject.indexOfSignal("triggered()"));
    static const QMetaMethod paste =
        QLineEdit::staticMetaObject.method(QLineEdit::staticMetaObject.indexOfSlot("paste()"));
    QMenu *menu = createStandardContextMenu();
    for (QAction *action : menu->actions())
        if (disconnect(action, triggered, this, paste)
            || disconnect(action, &QAction::triggered, this, &QLineEdit::paste))
            connect(action, &QAction::triggered, this, [this] { pasteFrom(QClipboard::Clipboard); });
    if (!actions().isEmpty()) { // the window's own entries come last
        menu->addSeparator();
        menu->addActions(actions());
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
