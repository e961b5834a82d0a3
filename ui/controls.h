#pragma once

#include "layout.h"

#include <QComboBox>
#include <QPushButton>

#include <array>
#include <utility>
#include <vector>

class AddressBox;
class SwitchCell;
class TextBox;

// A button that Enter presses as Space does.
class Button : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// The channel-count list. A wheel turned in passing takes neither the focus
// nor the count: the wheel turns the list only once the user has put the
// focus there.
class CountList : public QComboBox
{
public:
    explicit CountList(QWidget *parent = nullptr);

protected:
    void wheelEvent(QWheelEvent *event) override;
};

// The controls of one window as the layout table and the window's profile
// make them, each under its given name.
struct WindowControls
{
    AddressBox *address = nullptr;
    TextBox *indicator = nullptr;
    CountList *count = nullptr;
    Button *next = nullptr, *previous = nullptr, *quit = nullptr, *reset = nullptr, *otherWindow = nullptr;
    std::array<SwitchCell *, layout::kColumns> upper{}, lower{};
    std::vector<std::pair<layout::Place, QWidget *>> all;

    QWidget *at(layout::Place place) const;
};

WindowControls buildControls(QWidget &window, const layout::WindowProfile &profile);
