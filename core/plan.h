#pragma once

#include "rig.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The plan of a rig: every fixture with the switches that set its start
// address under its own profile, line by line, and what is wrong or worth
// knowing about it. The addressing sheet's run of identical fixtures is a rig
// of one line (sheet.h); the sheets, their tables and the patch window all
// show this one plan. Texts are UTF-8, in French.
namespace dmx {

// What a row may say, in the order the rows say it. Each kind has its word
// and, for a legend, what it means.
enum class RemarkKind {
    BadAddress,    // the patch's address is unreadable, missing or off the line: shown, not set
    Shared,        // channels that another fixture of the line takes too
    AtZero,        // the start is 0, where no DMX channel is
    Unsettable,    // the bank cannot give the start
    PastLine,      // the last channels fall past channel 512
    UnknownCount,  // neither the patch nor a library gave the channel count
    Slots,         // the fixture's channels start past its address (a GDTF break)
    Terminator,    // switch 10 ON: this fixture ends the line
    TerminatorToFit, // the line's last fixture has no terminator switch
};

struct Remark
{
    RemarkKind kind;
    std::string text; // as the row prints it: the word, and who or why where it says more

    bool problem() const; // the fixture is set wrong or cannot be set as it stands
    std::string meaning() const; // the legend's sentence
};

struct Row
{
    Fixture fixture;            // a copy: a plan holds together on its own
    std::size_t profile = 0;    // into Plan::profiles
    std::optional<int> last;    // the last channel, when the count is known
    bool settable = false;      // the profile's bank can give the start
    // Switch 1 .. 10 as the bank reads them, ON = true: the terminator, the
    // 512 bit or the function switch at its fixed position last. All address
    // switches off when the row is not settable.
    std::array<bool, kTerminatorSwitch> on{};
    std::vector<Remark> remarks;

    bool problem() const;
};

// A DMX line is a universe: a technician's "ligne 3" is universe 3, and the
// window, the sheet, the tables and --ligne all number it so.
struct Line
{
    int universe = 1;
    std::vector<Row> rows;      // in address order

    std::string title() const;  // "Ligne 3"
};

// The addressing sheet: a run of identical fixtures on one DMX line, each
// starting where the one before ends.
inline constexpr int kMostChannels = 512;
inline constexpr int kMostFixtures = 512;

struct Run
{
    std::int64_t first = 1;    // 0 .. 511
    std::int64_t channels = 1; // 1 .. 512
    std::int64_t fixtures = 1; // 1 .. 512
    BankProfile bank = kColourDriverBank;
    bool terminator = true;    // the tenth switch on for the last fixture
};

struct Plan
{
    std::vector<Line> lines;    // in universe order
    // Every profile the rig uses, the most used first.
    std::vector<SwitchProfile> profiles;
    int problems = 0;           // rows with a problem
    std::string summary;        // one or two sentences
    // The addressing sheet's run when the plan is one: its rows are numbered
    // fixtures of one kind, and its forms are the sheet's.
    std::optional<Run> run;

    const SwitchProfile &profileOf(const Row &row) const { return profiles[row.profile]; }
    std::size_t rowCount() const;
    // The rows of one universe (0: every line), in the lines' order; with
    // problemsFirst, the rows with a problem come first, each group in order.
    std::vector<const Row *> rows(int universe = 0, bool problemsFirst = false) const;
};

struct PlanOptions
{
    // Switch 10 ON on each line's last fixture, when its bank has a terminator.
    bool terminateLines = true;
};

Plan makePlan(const Rig &rig, const Profiles &choices, const PlanOptions &options = {});

// The plan of one line alone; none when no fixture is on that universe.
std::optional<Plan> makeLinePlan(const Rig &rig, int universe, const Profiles &choices);

// "ON" or "OFF" for switch k (1 .. 10) of a row; nothing for an address
// switch of a row that cannot be set, or past the profile's switches.
std::string settingWord(const Plan &plan, const Row &row, int k);
// The switches to set ON by their number, "ON : 1 4 9 10", "tout OFF", or
// "pas de réglage possible": short enough for a table cell, and read out
// plainly by a screen reader.
std::string switchesText(const Plan &plan, const Row &row);
// The channels a row takes, "5-8", or its start alone for one channel or an
// unknown count.
std::string span(const Row &row);
// A fixture's type and its mode as the sheets and the window name them,
// "Wash — Standard"; the terminal's table puts a comma between them.
std::string typeAndMode(const Fixture &f, const char *between = " — ");
// The row's remarks as one text, ", " between them.
std::string remarksText(const Row &row);
// The kinds of remark the plan uses, each once, in the rows' order of kinds.
std::vector<Remark> legend(const Plan &plan);

// Switch k's heading: "1 (256)", "10 (120R)", "10 (512)", "10 (mode)".
std::string switchHeading(const SwitchProfile &profile, int k);

} // namespace dmx
