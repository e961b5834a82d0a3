#pragma once

#include <QClipboard>
#include <QLineEdit>

// A text box as the windows use it: it reports a left-button click even when
// read-only, and shows the arrow pointer rather than the text cursor. Space on
// a focused read-only box counts as a click, so the switch cells work from
// the keyboard too.
class TextBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

// The address box: whatever the user types or pastes, the characters kept
// and the characters inserted make at most three; a text the program writes
// (a sum, a stepped "1029") is kept whole. Qt's own editing does the rest, so
// the caret and the undo history are the user's as in any text box.
class AddressBox : public TextBox
{
    Q_OBJECT
public:
    static constexpr int kTypedLength = 3;
    explicit AddressBox(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QString fitting(QString inserted, qsizetype replaced) const;
    void pasteFrom(QClipboard::Mode mode);
};
