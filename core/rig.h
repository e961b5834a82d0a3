#pragma once

#include "switchbank.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A rig: every fixture of a show's patch, on several DMX lines, each with the
// switch convention of its own bank. Texts are UTF-8.
namespace dmx {

// What the tenth switch of a bank is, when the bank has one.
enum class TenthSwitch {
    None,       // a bank of nine switches
    Terminator, // the DMX line terminator, ON on the last fixture of a line
    Weight512,  // one more address bit
    Function,   // a switch of the fixture's own (a mode), at a fixed position
};

// How one kind of fixture reads its bank.
struct SwitchProfile
{
    std::string name;               // shown in the legend and chosen by this name
    BankProfile order;              // the weights of switches 1 to 9, switch 1 first
    bool onIsUp = true;             // the lever up means ON
    int offset = 0;                 // 0: the bank holds the address; 1: the address minus one
    TenthSwitch tenth = TenthSwitch::Terminator;
    std::string functionName;       // TenthSwitch::Function: what the switch is called
    bool functionOn = false;        // TenthSwitch::Function: its fixed position

    int switchCount() const { return tenth == TenthSwitch::None ? 9 : 10; }
};

// The two windows' banks.
const SwitchProfile &colourDriverProfile(); // switch 1 = 256, terminator
const SwitchProfile &otherFixtureProfile(); // switch 1 = 1, terminator

struct Fixture
{
    std::string label;
    std::string type;               // maker and model, as the patch names it
    std::string mode;
    int universe = 1;               // DMX line, from 1
    int address = 1;                // start address, 1 to 512 as consoles number them
    std::optional<int> channels;    // unknown when neither the patch nor a library gives it
    std::string where;              // where the patch holds it, for messages ("ligne 12")
};

struct Rig
{
    std::vector<Fixture> fixtures;
};

// A patch that cannot be read: one French sentence naming the file and where.
struct ReadError
{
    std::string message;
};

} // namespace dmx
