#pragma once

#include "switchbank.h"

#include <vector>

// What a window is made of: one table of controls shared by both windows,
// and a small profile per window for what differs between them.
namespace layout {

// Positions and sizes are in twips, converted once: 15 twips make a pixel.
constexpr int kTwipsPerPixel = 15;
constexpr int toPixels(int twips) { return twips / kTwipsPerPixel; }

constexpr int kClientWidth = 5790;
constexpr int kClientHeight = 4245;
// Column k of the switch bank stands at Left = kColumnStep * k.
constexpr int kColumnStep = 480;
constexpr int kColumns = dmx::kTerminatorSwitch;

enum class Role {
    Notice, WordMark, AddressLabel, AddressBox, Combo, Next, Previous,
    Quit, Reset, OtherWindow, Indicator, BankCaption,
    // One control per bank column:
    Number, Upper, Lower, Weight,
};
constexpr bool isBankRole(Role r) { return r >= Role::Number; }

enum class Kind { Label, TextBox, AddressBox, Button, List, Picture };

enum Look : unsigned {
    Plain = 0,
    Centred = 1 << 0,
    Border = 1 << 1,
    ReadOnly = 1 << 2,
    NoTabStop = 1 << 3,
    WhiteCell = 1 << 4,   // white background
    BlackText = 1 << 5,
    Indicator = 1 << 6,   // red text on the button face
};

struct Font
{
    double points = 8.25; // the window's font when not given
    bool bold = false;
    friend bool operator==(Font a, Font b) { return a.points == b.points && a.bold == b.bold; }
};

struct Control
{
    Role role;
    Kind kind;
    int left, top, width, height; // twips; for bank roles, column 1
    Font font;
    unsigned look;
    const char *name;    // nullptr: the profile's
    const char *text;    // nullptr: the profile's, or computed for the bank
    const char *toolTip; // nullptr: the profile's, if any
    const char *accessibleName = nullptr; // for screen readers, where the text is not enough
};

const std::vector<Control> &controls();

// Where a control sits in a window: its role and, for the bank, its column
// (1 to 10).
struct Place
{
    Role role;
    int column = 0;
    friend bool operator==(Place a, Place b) { return a.role == b.role && a.column == b.column; }
};

// The names, captions and tooltips that one window gives its own controls.
struct Own
{
    Role role;
    const char *name;
    const char *text = nullptr;
    const char *toolTip = nullptr;
};

struct WindowProfile
{
    const char *name;
    const char *caption;
    dmx::BankProfile bank;
    int cellBase;                 // cells are Text<base+k> above, Text<base+10+k> below
    const char *firstNumberLabel; // the number "1" over column 1
    std::vector<Own> own;
    std::vector<Place> tabOrder;   // the focus starts on the first

    const Own *find(Role role) const;
};

const WindowProfile &colourDriver();
const WindowProfile &otherFixture();

} // namespace layout
