#pragma once

#include "text.h"

#include <QClipboard>
#include <QLineEdit>

#include <optional>

class QMenu;

// A core text as the widgets show it.
inline QString fromText(dmx::TextView t)
{
    return QString::fromUtf16(t.data(), static_cast<qsizetype>(t.size()));
}

// A text box as the windows use it: it reports a left-button click even when
// read-only, and shows the arrow pointer rather than the text cursor. Space on
// a focused read-only box counts as a click, so the switch cells work from
// the keyboard too.
class TextBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent = nullptr);

    // Draws the text in `colour` rather than the layout's, a cue that it
    // does not hold; no colour draws it as the layout made it again.
    void setCue(const QColor &colour);
    bool cued() const { return own_.has_value(); }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::optional<QPalette> own_; // the layout's colours, while a cue is shown
};

// The address box: whatever the user types or pastes, the characters kept
// and the characters inserted make at most three; a text the program writes
// (a sum, a stepped "1029") is kept whole. Qt's own editing does the rest, so
// the caret and the undo history are the user's as in any text box.
class AddressBox : public TextBox
{
    Q_OBJECT
public:
    explicit AddressBox(QWidget *parent = nullptr);

    // While the switches cannot show the text, it is red and the tooltip
    // says why.
    void setUnshown(bool unshown);

signals:
    // Up and Page Up step to the next fixture, Down and Page Down to the
    // previous one, as the buttons do.
    void stepRequested(bool forward);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QString fitting(const QString &inserted, qsizetype replaced) const;
    void pasteFrom(QClipboard::Mode mode);
    QAction *pasteEntry(QMenu *menu) const;

    std::optional<QString> ownTip_; // the layout's tooltip, while the text is unshown
};
