#pragma once

#include "switchbank.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// The switch profiles: how each kind of fixture reads its bank, the built-in
// ones and the user's own, and which one each fixture type uses. Texts are
// UTF-8.
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

    int switchCount() const { return tenth == TenthSwitch::None ? kAddressSwitches : kTerminatorSwitch; }
    // The weights the one rule reads: switch 10 weighs 512 on a Weight512
    // bank and nothing otherwise.
    std::array<std::int16_t, kTerminatorSwitch> weights() const;
    // What the bank holds for a start address, and the switches it sets
    // (switch 1 first; switch 10 left off unless it weighs 512). Nothing when
    // the bank cannot hold it.
    std::optional<std::array<bool, kTerminatorSwitch>> switchesFor(int address) const;
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

// The built-in profiles, the user's own and which profile each fixture type
// and mode uses. A choice for a type alone ("" as mode) covers every mode of
// that type. No two profiles share a name; a name given here is stored
// trimmed.
//
// The store remembers what was changed since it was read, so that saving
// makes those changes again onto the file as another run may have left it.
class Profiles
{
public:
    struct Choice
    {
        std::string type, mode, profile;
    };

    const std::vector<SwitchProfile> &own() const { return own_; }
    const std::vector<Choice> &choices() const { return choices_; }
    // The built-in profiles, then the user's own.
    std::vector<SwitchProfile> all() const;
    const SwitchProfile *find(const std::string &name) const;
    static bool builtIn(const std::string &name);
    // The type and mode's choice, else the type's, else the other-fixture bank.
    const SwitchProfile &profileFor(const std::string &type, const std::string &mode) const;
    // A profile by its whole name, or by the start of one name alone
    // ("pilote de LED"), whatever the case; else the French reason.
    std::variant<const SwitchProfile *, std::string> named(const std::string &start) const;

    // Replaces the choice for that type and mode.
    void choose(const std::string &type, const std::string &mode, const std::string &profile);
    // A copy of from under the first free "Profil n", chosen for the type and
    // mode: the new profile.
    const SwitchProfile &copyFor(const SwitchProfile &from, const std::string &type, const std::string &mode);
    // The user's own profile, under its name trimmed. Nothing when added,
    // else the French reason.
    std::optional<std::string> add(SwitchProfile profile);
    // The user's profile `name` becomes `changed`, under its name trimmed;
    // every choice of the old name follows a new one. Nothing when done, else
    // the French reason (a built-in profile, a name taken or empty).
    std::optional<std::string> change(const std::string &name, SwitchProfile changed);

    // The file's JSON. A text that cannot be read is the French sentence
    // naming path, never a throw.
    static std::variant<Profiles, std::string> read(const std::string &text, const std::string &path);
    // The sentence for a file too big or that cannot be opened.
    static std::string unreadable(const std::string &path);
    std::string text() const;
    // Whether anything was changed since the store was read or merged.
    bool changed() const { return !changes_.empty(); }
    // What the file holds now with this store's changes made again onto it:
    // another run's profiles and choices stay, a profile added here under a
    // name taken there gets a free one. The result has no changes of its own.
    Profiles mergedInto(Profiles onDisk) const;

    // Past this, a profile file is refused unread.
    static constexpr std::size_t kMostBytes = std::size_t(1) << 20;

private:
    struct Change
    {
        std::string was;        // the profile changed; empty: added, or a choice
        SwitchProfile profile;  // as added or changed
        std::optional<Choice> choice;
    };

    std::string freeName(const std::string &stem, int from) const;
    void rename(const std::string &from, const std::string &to);

    std::vector<SwitchProfile> own_;
    std::vector<Choice> choices_;
    std::vector<Change> changes_;
};

} // namespace dmx
