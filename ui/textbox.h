#pragma once

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

// The address box: the user types at most three characters, but a text the
// program writes (a sum, a stepped "1010") is kept whole.
class AddressBox : public TextBox
{
    Q_OBJECT
public:
    static constexpr int kTypedLength = 3;
    explicit AddressBox(QWidget *parent = nullptr);

    // The program's write; the box's change handling runs inside it.
    void assign(const QString &text);

private:
    void fitLimit();
};
