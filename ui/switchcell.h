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
    // Where the arrow keys lead: the same row of the switch on either side
    // (none past either end of the bank), and the two cells of this switch.
    void setNeighbours(SwitchCell *left, SwitchCell *right, SwitchCell *upper, SwitchCell *lower);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void announceMove(const QString &text);

    bool checked_ = false;
    SwitchCell *left_ = nullptr, *right_ = nullptr, *upper_ = nullptr, *lower_ = nullptr;
};
