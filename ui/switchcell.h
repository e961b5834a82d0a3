#pragma once

#include "textbox.h"

// A cell of the switch bank. The upper cell shows "ON" and the lower "OFF"
// while their switch is in that position, so a cell that shows its word is
// the chosen one of its pair: assistive technology sees the pair as two
// radio buttons and is told whenever the choice moves.
class SwitchCell : public TextBox
{
    Q_OBJECT
public:
    explicit SwitchCell(QWidget *parent = nullptr);

    bool isChecked() const { return checked_; }
    // What a click does, for assistive technology's press action.
    void press() { emit clicked(); }

protected:
    void focusInEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void follow(const QString &text);

    bool checked_ = false;
};
