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
    // The weights the one rule reads: switch 10 weighs 512 on a Weight512
    // bank and nothing otherwise.
    std::array<std::int16_t, 10> weights() const;
    // What the bank holds for a start address, and the switches it sets
    // (switch 1 first; switch 10 left off unless it weighs 512). Nothing when
    // the bank cannot hold it.
    std::optional<std::array<bool, 10>> switchesFor(int address) const;
    // "interrupteur 1 = 256, ON en haut, adresse, bouchon": the legend's line.
    std::string description() const;
    // Where switch lever stands for a setting: up when ON on an ON-up bank.
    bool leverUp(bool on) const { return on == onIsUp; }
};

bool operator==(const SwitchProfile &a, const SwitchProfile &b);
inline bool operator!=(const SwitchProfile &a, const SwitchProfile &b) { return !(a == b); }

// The two windows' banks.
const SwitchProfile &colourDriverProfile(); // switch 1 = 256, terminator
const SwitchProfile &otherFixtureProfile(); // switch 1 = 1, terminator
// Both, the other-fixture bank first: it is the usual convention and the
// profile a fixture gets when nothing chose one.
const std::vector<SwitchProfile> &builtInProfiles();

struct Fixture
{
    std::string label;
    std::string type;               // maker and model, as the patch names it
    std::string mode;
    int universe = 1;               // DMX line, from 1
    int address = 1;                // start address, 1 to 512 as consoles number them
    std::optional<int> channels;    // unknown when neither the patch nor a library gives it
    std::string where;              // where the patch holds it, for messages ("ligne 12")
    std::string channelsNote;       // why the count is unknown, when the patch says
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

// Which profile each fixture type and mode uses, and the user's own
// profiles besides the built-in ones. A choice for a type alone ("" as
// mode) covers every mode of that type.
struct ProfileChoices
{
    std::vector<SwitchProfile> own;
    struct Choice
    {
        std::string type, mode, profile;
    };
    std::vector<Choice> choices;

    // The built-in profiles, then the user's own.
    std::vector<SwitchProfile> all() const;
    const SwitchProfile *find(const std::string &name) const;
    // The type and mode's choice, else the type's, else the other-fixture bank.
    const SwitchProfile &profileFor(const std::string &type, const std::string &mode) const;
    // Replaces the choice for that type and mode.
    void choose(const std::string &type, const std::string &mode, const std::string &profile);
};

// Reads and writes the choices as a small JSON file. A missing file is an
// empty store; a broken one is a French message, never a throw.
std::variant<ProfileChoices, ReadError> loadProfileChoices(const std::string &path);
// Nothing on success, else the French reason. Writes beside and renames, so a
// failed write leaves the old file as it was.
std::optional<std::string> saveProfileChoices(const ProfileChoices &choices,
                                              const std::string &path);

} // namespace dmx
