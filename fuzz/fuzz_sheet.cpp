// The sheet's command-line values, "PREMIERE,CANAUX,NOMBRE" and the title,
// and the plan they give: a run is read exactly when the C library reads
// three whole numbers, every refusal is one line, and every table made from
// a plan keeps its shape (one line per fixture, every field in place, the
// remarks lined up), whatever the title holds.
// The input is the run's text, then optionally a NUL byte and the title.

#include "checks.h"
#include "sheet.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string input; // for the failure report

void check(bool condition, const char *expectation, int line)
{
    if (!condition)
        fuzz::fail(expectation, line, fuzz::widen(input));
}
#define CHECK(condition) check((condition), #condition, __LINE__)

// What a number field should read as: blanks and tabs around an optional
// sign and decimal digits, read by strtoll; out of range is its own answer.
enum class Field { Number, TooLarge, NotANumber };
Field expectedField(std::string s, long long &value)
{
    s.erase(0, s.find_first_not_of(" \t"));
    s.erase(s.find_last_not_of(" \t") + 1);
    const std::size_t digits = s.empty() || (s[0] != '+' && s[0] != '-') ? 0 : 1;
    if (s.size() == digits || s.find_first_not_of("0123456789", digits) != std::string::npos)
        return Field::NotANumber;
    errno = 0;
    value = std::strtoll(s.c_str(), nullptr, 10);
    return errno == ERANGE ? Field::TooLarge : Field::Number;
}

std::vector<std::string> split(const std::string &s, char sep)
{
    std::vector<std::string> parts(1);
    for (const char c : s)
        if (c == sep)
            parts.emplace_back();
        else
            parts.back() += c;
    return parts;
}

bool oneLine(const std::string &s)
{
    return std::none_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

void checkTables(const dmx::Plan &plan, const std::string &title)
{
    const std::size_t rows = plan.rows.size();
    std::vector<std::string> lines = split(dmx::textTable(plan, title), '\n');
    CHECK(lines.back().empty());
    lines.pop_back();
    const std::size_t top = dmx::titleLine(title).empty() ? 1 : 2; // the title, the weight order
    CHECK(lines.size() == top + 1 + rows);
    const std::size_t remarks = lines[top].find("Remarques");
    for (std::size_t i = top + 1; i < lines.size(); ++i) {
        const std::string said = dmx::remarks(plan.rows[i - top - 1]);
        CHECK(said.empty() ? lines[i].size() < remarks : lines[i].compare(remarks, std::string::npos, said) == 0);
    }

    const std::vector<std::string> csv = split(dmx::separatedTable(plan, ';', title), '\n');
    CHECK(csv.size() == 2 + rows + 1 && csv.back().empty());
    std::string heading = csv[0]; // unquoted as a spreadsheet reads it
    if (!heading.empty() && heading.front() == '"') {
        CHECK(heading.size() >= 2 && heading.back() == '"');
        heading = heading.substr(1, heading.size() - 2);
        for (std::size_t at = heading.find("\"\""); at != std::string::npos; at = heading.find("\"\"", at + 1))
            heading.erase(at, 1);
    }
    CHECK(heading == dmx::heading(title) && oneLine(heading) && !heading.empty());
    for (std::size_t i = 1; i < csv.size() - 1; ++i)
        CHECK(split(csv[i], ';').size() == 3 + dmx::kTerminatorSwitch + 1);
}

void checkPlan(const dmx::Run &run, const std::string &title)
{
    const auto made = dmx::makePlan(run);
    const bool inRange = run.first >= 0 && run.first <= 511 && run.channels >= 1 && run.channels <= 512
                         && run.fixtures >= 1 && run.fixtures <= 512;
    CHECK(std::holds_alternative<dmx::Plan>(made) == inRange);
    if (!inRange) {
        CHECK(oneLine(std::get<dmx::PlanError>(made).message));
        return;
    }
    const dmx::Plan &plan = std::get<dmx::Plan>(made);
    CHECK(plan.rows.size() == static_cast<std::size_t>(run.fixtures));
    for (const dmx::SheetRow &row : plan.rows) {
        CHECK(row.start == run.first + (row.fixture - 1) * run.channels);
        CHECK(row.settable == (row.start <= 511) && row.atZero == (row.start == 0));
        int sum = 0;
        for (int k = 1; k <= dmx::kAddressSwitches; ++k)
            sum += row.on[k - 1] ? run.bank.weight(k) : 0;
        CHECK(sum == (row.settable ? row.start : 0));
        CHECK(row.terminated() == (run.terminator && row.fixture == run.fixtures));
    }
    checkTables(plan, title);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    input.assign(reinterpret_cast<const char *>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string typed = input.substr(0, nul);
    const std::string title = nul == std::string::npos ? std::string() : input.substr(nul + 1);

    const auto read = dmx::readRun(typed);
    const std::vector<std::string> parts = split(typed, ',');
    Field fields[3] = {Field::NotANumber, Field::NotANumber, Field::NotANumber};
    long long values[3] = {};
    if (parts.size() == 3)
        for (std::size_t i = 0; i < 3; ++i)
            fields[i] = expectedField(parts[i], values[i]);
    const bool numbers = parts.size() == 3 && std::all_of(std::begin(fields), std::end(fields),
                                                          [](Field f) { return f == Field::Number; });
    CHECK(std::holds_alternative<dmx::Run>(read) == numbers);
    if (const auto *error = std::get_if<dmx::PlanError>(&read)) {
        CHECK(oneLine(error->message) && !error->message.empty());
        return 0;
    }
    dmx::Run run = std::get<dmx::Run>(read);
    CHECK(run.first == values[0] && run.channels == values[1] && run.fixtures == values[2]);
    // Both orders and both terminator choices, picked by the title's length.
    run.bank = title.size() % 2 ? dmx::kOtherFixtureBank : dmx::kColourDriverBank;
    run.terminator = title.size() % 4 < 2;
    checkPlan(run, title);
    return 0;
}
