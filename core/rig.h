#pragma once

#include "profiles.h"

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

// One fixture on the rig sheet.
struct RigRow
{
    std::size_t fixture = 0;       // index into Rig::fixtures
    const SwitchProfile *profile = nullptr; // into RigPlan::profiles
    std::optional<int> last;       // the last channel, when the count is known
    bool settable = false;         // the profile's bank can hold the start
    // Switch 1 .. 10 as the bank reads them, ON = true; switch 10 is the
    // terminator, the 512 bit or the function switch at its fixed position.
    // All address switches off when not settable.
    std::array<bool, 10> on{};
    std::vector<std::string> remarks; // French, the problems first
    bool problem = false;          // at least one remark is a problem
};

struct RigLine
{
    int number = 1;                // counted from 1 in universe order
    int universe = 1;
    std::vector<RigRow> rows;      // in address order

    std::string title() const;     // "Ligne 2 — univers 5"
};

struct RigPlan
{
    RigPlan() = default;
    // Copies point their rows at their own profiles.
    RigPlan(const RigPlan &other);
    RigPlan &operator=(const RigPlan &other);
    RigPlan(RigPlan &&) = default;
    RigPlan &operator=(RigPlan &&) = default;

    const Rig *rig = nullptr;
    std::vector<RigLine> lines;    // in universe order
    // Every profile the rig uses, the most used first (the main profile,
    // whose weights head the tables' switch columns).
    std::vector<SwitchProfile> profiles;
    int problems = 0;              // rows with a problem
    std::string summary;           // French, one or two sentences

    const Fixture &fixture(const RigRow &row) const { return rig->fixtures[row.fixture]; }
};

// The plan keeps pointers into the rig: keep the rig alive and unchanged.
RigPlan makeRigPlan(const Rig &rig, const Profiles &choices);

// The plan of one line alone: the rig keeps only that universe's fixtures,
// and the line keeps the number it has in the whole rig. None when no
// fixture is on that universe.
std::optional<RigPlan> makeLinePlan(Rig &rig, int universe, const Profiles &choices);

// "ON"/"OFF" for switch k (1 .. 10) of a row, nothing for an address switch
// of a row that cannot be set or past the profile's switch count.
std::string settingWord(const RigRow &row, int k);
// Switch k's heading: "1 (256)", "10 (bouchon)", "10 (512)", "10 (mode)".
std::string switchHeading(const SwitchProfile &profile, int k);

// The rig's table as text, UTF-8: universe and address columns, switch
// headings with the main profile's weights; a row on another profile names
// it. sep is ';' for CSV, '\t' to paste into a spreadsheet.
std::string separatedTable(const RigPlan &plan, char sep);
// Lined-up columns for a terminal, line by line, the summary first.
std::string textTable(const RigPlan &plan, const std::string &title);

} // namespace dmx
