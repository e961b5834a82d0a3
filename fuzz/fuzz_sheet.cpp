// The sheet's command-line values, "PREMIERE,CANAUX,NOMBRE" and the title:
// a run is read exactly when the C library reads three whole numbers, every
// refusal is one line, and every table made from the plan keeps its shape
// (one line per fixture, every field in place, the remarks lined up, the
// title on one line), whatever the title holds.
// The input is the run's text, then optionally a NUL byte and the title.

#include "checks.h"
#include "sheet.h"
#include "table.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string input; // for the failure report

void check(bool condition, const char *expectation, int line)
{
    if (!condition)
        fuzz::fail(expectation, line, fuzz::widen(input));
}
#define CHECK(condition) check((condition), #condition, __LINE__)

// A number field as it should read: blanks and tabs around an optional sign
// and decimal digits, read by strtoll, and in its range.
std::optional<long long> numberOf(std::string s)
{
    s.erase(0, s.find_first_not_of(" \t"));
    s.erase(s.find_last_not_of(" \t") + 1);
    const std::size_t sign = !s.empty() && (s[0] == '+' || s[0] == '-');
    if (s.size() == sign || s.find_first_not_of("0123456789", sign) != std::string::npos)
        return std::nullopt;
    errno = 0;
    const long long value = std::strtoll(s.c_str(), nullptr, 10);
    return errno == ERANGE ? std::nullopt : std::optional(value);
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
    const auto all = plan.rows();
    const std::size_t rows = all.size();
    std::vector<std::string> lines = split(dmx::textTable(plan, title), '\n');
    CHECK(lines.back().empty());
    lines.pop_back();
    const std::size_t top = dmx::titleLine(title).empty() ? 1 : 2; // the title, the weight order
    CHECK(lines.size() == top + 1 + rows);
    const std::size_t remarks = lines[top].find("Remarques");
    for (std::size_t i = top + 1; i < lines.size(); ++i) {
        const std::string said = dmx::remarksText(*all[i - top - 1]);
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
    // A title a spreadsheet would run as a formula is led by an apostrophe.
    std::string expected = dmx::heading(plan, title);
    if (std::string_view("=+-@").find(expected.front()) != std::string_view::npos)
        expected = "'" + expected;
    CHECK(heading == expected && oneLine(heading) && !heading.empty());
    for (std::size_t i = 1; i < csv.size() - 1; ++i)
        CHECK(split(csv[i], ';').size() == 3 + dmx::kTerminatorSwitch + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    input.assign(reinterpret_cast<const char *>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string typed = input.substr(0, nul);
    const std::string title = nul == std::string::npos ? std::string() : input.substr(nul + 1);

    const auto read = dmx::readRun(typed);
    std::vector<std::optional<long long>> numbers;
    for (const std::string &part : split(typed, ','))
        numbers.push_back(numberOf(part));
    const bool readable = numbers.size() == 3 && std::all_of(numbers.begin(), numbers.end(),
                                                             [](const auto &n) { return n.has_value(); });
    CHECK(std::holds_alternative<dmx::Run>(read) == readable);
    if (const auto *error = std::get_if<dmx::PlanError>(&read)) {
        CHECK(oneLine(error->message) && !error->message.empty());
        return 0;
    }
    dmx::Run run = std::get<dmx::Run>(read);
    CHECK(run.first == numbers[0] && run.channels == numbers[1] && run.fixtures == numbers[2]);
    // Both orders and both terminator choices, picked by the title's length.
    run.bank = title.size() % 2 ? dmx::kOtherFixtureBank : dmx::kColourDriverBank;
    run.terminator = title.size() % 4 < 2;
    const auto made = dmx::makePlan(run);
    if (const auto *error = std::get_if<dmx::PlanError>(&made))
        CHECK(oneLine(error->message));
    else
        checkTables(std::get<dmx::Plan>(made), title);
    return 0;
}
