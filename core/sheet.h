#pragma once

#include "switchbank.h"

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// The addressing sheet: a run of identical fixtures on one DMX line, each
// with its start address and the switch settings that give it.
namespace dmx {

inline constexpr int kLastChannel = 512;
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

struct SheetRow
{
    int fixture;  // counted from 1
    int start;
    int last;     // start + channels - 1
    bool settable; // false above 511: nine switches cannot hold the start
    bool pastLine; // the channels run past 512
    bool atZero;   // starts at 0, where no DMX channel is: they run from 1
    // Switch 1 .. 10 in the bank's order, ON = true; all off when not settable.
    std::array<bool, kTerminatorSwitch> on{};

    bool terminated() const { return on[kTerminatorSwitch - 1]; }
};

struct Plan
{
    Run run;
    std::vector<SheetRow> rows;
};

// Bad input is a value with a French message for the user, never a throw.
struct PlanError
{
    std::string message; // UTF-8
};

std::variant<Plan, PlanError> makePlan(const Run &run);

// "PREMIERE,CANAUX,NOMBRE" as typed ("1,7,12", " 1, +7 ,12"): three whole
// numbers, each with an optional sign and blanks around it. A number too
// long for any machine word is out of range like any other, not unreadable.
std::variant<Run, PlanError> readRun(const std::string &text);

// The title as one line (a line break or tab becomes a space, blanks around
// it dropped), or the sheet's own heading when nothing is left.
inline constexpr char kDefaultTitle[] = "Feuille d'adressage DMX";
std::string titleLine(const std::string &typed);
std::string heading(const std::string &typed);

// "adresses 1 à 78, dernier canal 84", or "adresse 42, dernier canal 48" for
// a single fixture.
std::string addressSpan(const Plan &plan);

// French, UTF-8: the words the sheet prints for the weight order
// ("interrupteur 1 = 256"), a row's remarks and what each remark means.
std::string weightOrder(const BankProfile &bank);
std::string remarks(const SheetRow &row);
// "ON" or "OFF" for switch k; nothing at all on a row that cannot be set.
std::string settingWord(const SheetRow &row, int k);
struct Remark
{
    const char *word, *meaning;
};
std::vector<Remark> legend(const Plan &plan); // only the remarks the plan uses

// The table as text, UTF-8: the heading (the title or the sheet's own) on a
// line of its own, then the column headings, each switch with its weight
// ("1 (256)") so that a file read later cannot be set backwards, then one
// line per fixture. Fields separated by sep (';' for CSV, '\t' to paste into
// a spreadsheet), quoted where they hold sep or '"'.
std::string separatedTable(const Plan &plan, char sep, const std::string &title);
// Lined-up columns for a terminal, the title (if any) and weight order first;
// the columns widen so that every row stays aligned.
std::string textTable(const Plan &plan, const std::string &title);

} // namespace dmx
