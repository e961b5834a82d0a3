#include "layout.h"

namespace layout {

const std::vector<Control> &controls()
{
    static const std::vector<Control> table = {
        // role, kind, left, top, width, height, font, look, name, text, tooltip
        {Role::Notice, Kind::Label, 1080, 0, 3615, 255, {9.75}, Centred,
         "Label101", "Adressage DMX par dip switch", ""},
        {Role::WordMark, Kind::Picture, 2760, 360, 1500, 1605, {}, Plain, "Image2", "", "",
         "Logo Corvane"},
        {Role::AddressLabel, Kind::Label, 480, 480, 1815, 255, {12, true}, Plain,
         "Label100", "Adresse DMX:", ""},
        {Role::AddressBox, Kind::AddressBox, 480, 840, 1815, 615, {24}, Centred,
         nullptr, "", "Entrer une valeur DMX", "Adresse DMX"},
        {Role::Combo, Kind::List, 480, 1680, 735, 315, {}, Plain, nullptr, "", "Nombre de circuit",
         "Nombre de circuit"},
        {Role::Next, Kind::Button, 1320, 1560, 975, 255, {}, Plain, nullptr, "suivant", nullptr},
        {Role::Previous, Kind::Button, 1320, 1800, 975, 255, {}, Plain,
         nullptr, "précédent", nullptr},
        {Role::Quit, Kind::Button, 4680, 480, 975, 495, {}, Plain, nullptr, "Quitter", ""},
        {Role::Reset, Kind::Button, 4680, 1200, 975, 495, {}, Plain, nullptr, "Remise à zéro", ""},
        {Role::OtherWindow, Kind::Button, 4680, 1920, 975, 375, {}, Plain, nullptr, nullptr, nullptr},
        {Role::Indicator, Kind::TextBox, 3120, 2040, 975, 405, {18, true},
         ReadOnly | NoTabStop | Indicator, "Text120R", "", "", "Bouchon DMX"},
        {Role::BankCaption, Kind::Label, 480, 2280, 1455, 255, {}, Plain,
         "Label21", "Réglage dip switch", ""},
        {Role::Number, Kind::Label, kColumnStep, 2520, 495, 375, {12}, Centred | Border,
         nullptr, nullptr, ""},
        {Role::Upper, Kind::TextBox, kColumnStep, 2880, 495, 375, {8.25, true},
         Centred | ReadOnly | WhiteCell | BlackText, nullptr, "", nullptr},
        {Role::Lower, Kind::TextBox, kColumnStep, 3240, 495, 375, {8.25, true},
         Centred | ReadOnly | WhiteCell, nullptr, "OFF", nullptr},
        {Role::Weight, Kind::Label, kColumnStep, 3720, 495, 375, {9.75}, Centred | Border,
         nullptr, nullptr, ""},
    };
    return table;
}

const Own *WindowProfile::find(Role role) const
{
    for (const Own &o : own)
        if (o.role == role)
            return &o;
    return nullptr;
}

namespace {

std::vector<Place> cells(Role role, std::initializer_list<int> columns)
{
    std::vector<Place> out;
    for (int k : columns)
        out.push_back({role, k});
    return out;
}

std::vector<Place> concat(std::initializer_list<std::vector<Place>> parts)
{
    std::vector<Place> out;
    for (const auto &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

} // namespace

const WindowProfile &colourDriver()
{
    static const WindowProfile profile{
        "Corvanecolordriver",
        "Corvane Adresse DMX Corvane V 0.3",
        dmx::kColourDriverBank,
        0,
        "Label1",
        {
            {Role::AddressBox, "Text100"},
            {Role::Combo, "Combo1"},
            {Role::Next, "suivant", nullptr, "Alimentation suivante"},
            {Role::Previous, "précédent", nullptr, "Alimentation précédente"},
            {Role::Quit, "Quittercolordriver"},
            {Role::Reset, "RAZcolordriver"},
            {Role::OtherWindow, "Retourstandard", "Autre", ""},
        },
        concat({
            {{Role::AddressBox}, {Role::Quit}},
            {{Role::Upper, 1}, {Role::Lower, 1}, {Role::Upper, 2}, {Role::Lower, 2}},
            cells(Role::Upper, {3, 4, 5, 6, 7, 8, 9, 10}),
            cells(Role::Lower, {3, 4, 5, 6, 7, 8, 9, 10}),
            {{Role::Reset}, {Role::OtherWindow}, {Role::Combo}, {Role::Next}, {Role::Previous}},
        }),
    };
    return profile;
}

const WindowProfile &otherFixture()
{
    static const WindowProfile profile{
        "Corvanestandard",
        "Corvane Adresse DMX Autre V 0.3",
        dmx::kOtherFixtureBank,
        100,
        "Label22",
        {
            {Role::AddressBox, "Text1000"},
            {Role::Combo, "Combo100"},
            {Role::Next, "suivant100", nullptr, "Projecteur ou gradateur suivant"},
            {Role::Previous, "précédent100", nullptr, "Projecteur ou gradateur précédent"},
            {Role::Quit, "Quitterstandard"},
            {Role::Reset, "RAZstandard"},
            {Role::OtherWindow, "Retourcolordriver", "Corvane", "Alimentation Corvane"},
        },
        concat({
            {{Role::Reset}, {Role::Quit}, {Role::AddressBox}, {Role::OtherWindow}},
            cells(Role::Lower, {10, 9, 8, 7, 6, 5, 4, 3}),
            cells(Role::Upper, {10, 9, 8, 7, 6, 5, 4, 3}),
            {{Role::Lower, 2}, {Role::Upper, 2}, {Role::Lower, 1}, {Role::Upper, 1}},
            {{Role::Combo}, {Role::Next}, {Role::Previous}},
        }),
    };
    return profile;
}

} // namespace layout
