#include "sheet.h"

#include "address.h"
#include "text.h"

#include <algorithm>
#include <charconv>

namespace dmx {

namespace {

constexpr Remark kZeroRemark{"commence à 0",
                             "les canaux DMX commencent à 1 : l'adresse 0 n'est pas un canal de la ligne."};
constexpr Remark kUnsettableRemark{"hors interrupteurs",
                             "l'adresse de départ dépasse 511 : les neuf interrupteurs ne "
                             "peuvent pas la donner, aucun réglage n'est dessiné."};
constexpr Remark kPastLineRemark{"dépasse le canal 512",
                           "les derniers canaux de l'appareil tombent hors de la ligne DMX."};
constexpr Remark kTerminatorRemark{"bouchon 120R",
                             "interrupteur 10 sur ON : cet appareil ferme la ligne DMX."};

// The three numbers of a run, in the order they are typed.
struct Field
{
    const char *what;
    std::int64_t low, high;
};
constexpr Field kFields[3] = {{"la première adresse", 0, kLargestAddress},
                              {"le nombre de canaux", 1, kMostChannels},
                              {"le nombre d'appareils", 1, kMostFixtures}};

std::string outOfRange(const Field &field, const std::string &got)
{
    return std::string(field.what) + " doit aller de " + std::to_string(field.low) + " à "
           + std::to_string(field.high) + " (reçu : " + got + ").";
}

// The remarks a row may carry, in the order the sheet prints them.
std::array<std::pair<bool, Remark>, 4> remarksOf(const SheetRow &row)
{
    return {{{row.atZero, kZeroRemark},
             {!row.settable, kUnsettableRemark},
             {row.pastLine, kPastLineRemark},
             {row.terminated(), kTerminatorRemark}}};
}

// Length of the line break or other control character at s[i] in UTF-8
// (U+0085, U+2028 and U+2029 included), 0 if there is none.
std::size_t breakAt(const std::string &s, std::size_t i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 || c == 0x7f)
        return 1;
    if (s.compare(i, 2, "\xC2\x85") == 0)
        return 2;
    if (s.compare(i, 3, "\xE2\x80\xA8") == 0 || s.compare(i, 3, "\xE2\x80\xA9") == 0)
        return 3;
    return 0;
}

// Each line break or control character, with the blanks around it, becomes
// one space, so that what the user typed never splits a line of ours.
std::string oneLine(const std::string &s)
{
    std::string out;
    bool broken = false;
    for (std::size_t i = 0; i < s.size();) {
        if (const std::size_t n = breakAt(s, i)) {
            broken = true;
            i += n;
        } else if (broken && s[i] == ' ') {
            ++i;
        } else {
            if (broken) {
                while (!out.empty() && out.back() == ' ')
                    out.pop_back();
                out += ' ';
                broken = false;
            }
            out += s[i++];
        }
    }
    if (broken) {
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        out += ' ';
    }
    return out;
}

// Quoted as CSV quotes a field, only where it must be.
std::string field(const std::string &s, char sep)
{
    if (s.find(sep) == std::string::npos && s.find('"') == std::string::npos)
        return s;
    std::string out = "\"";
    for (const char c : s)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + '"';
}

} // namespace

std::variant<Plan, PlanError> makePlan(const Run &run)
{
    const std::int64_t given[3] = {run.first, run.channels, run.fixtures};
    for (std::size_t i = 0; i < 3; ++i)
        if (given[i] < kFields[i].low || given[i] > kFields[i].high)
            return PlanError{outOfRange(kFields[i], std::to_string(given[i]))};

    // Within these bounds the last channel stays below 2^19: int holds every row.
    Plan plan{run, {}};
    plan.rows.reserve(static_cast<std::size_t>(run.fixtures));
    for (int k = 1; k <= run.fixtures; ++k) {
        SheetRow row{};
        row.fixture = k;
        row.start = static_cast<int>(run.first + (k - 1) * run.channels);
        row.last = static_cast<int>(row.start + run.channels - 1);
        row.atZero = row.start == 0;
        row.pastLine = row.last > kLastChannel;
        const auto switches = switchesOf(row.start, run.bank.weights);
        row.settable = switches.has_value();
        if (switches)
            std::copy(switches->begin(), switches->end(), row.on.begin());
        row.on[kTerminatorSwitch - 1] = run.terminator && k == run.fixtures;
        plan.rows.push_back(row);
    }
    return plan;
}

std::variant<Run, PlanError> readRun(const std::string &text)
{
    std::vector<std::string> parts(1);
    for (const char c : text)
        if (c == ',')
            parts.emplace_back();
        else
            parts.back() += c;
    if (parts.size() != 3)
        return PlanError{"trois nombres attendus, PREMIERE,CANAUX,NOMBRE, par exemple 1,7,12 (reçu : « "
                         + oneLine(text) + " »)."};

    std::int64_t numbers[3];
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string number = trimmed(parts[i], " \t");
        const char *begin = number.data(), *end = begin + number.size();
        // from_chars reads a minus but no plus.
        if (begin != end && *begin == '+' && end - begin > 1 && begin[1] != '-')
            ++begin;
        const auto [stop, error] = std::from_chars(begin, end, numbers[i]);
        if (begin == end || stop != end)
            return PlanError{"« " + oneLine(parts[i]) + " » n'est pas un nombre entier."};
        if (error == std::errc::result_out_of_range)
            return PlanError{outOfRange(kFields[i], number)};
    }
    Run run;
    run.first = numbers[0];
    run.channels = numbers[1];
    run.fixtures = numbers[2];
    return run;
}

std::string titleLine(const std::string &typed)
{
    return trimmed(oneLine(typed), " ");
}

std::string heading(const std::string &typed)
{
    const std::string line = titleLine(typed);
    return line.empty() ? kDefaultTitle : line;
}

std::string addressSpan(const Plan &plan)
{
    const SheetRow &first = plan.rows.front(), &last = plan.rows.back();
    const std::string starts = plan.rows.size() == 1
        ? "adresse " + std::to_string(first.start)
        : "adresses " + std::to_string(first.start) + " à " + std::to_string(last.start);
    return starts + ", dernier canal " + std::to_string(last.last);
}

std::string weightOrder(const BankProfile &bank)
{
    return "interrupteur 1 = " + std::to_string(bank.weight(1));
}

std::string remarks(const SheetRow &row)
{
    std::string out;
    for (const auto &[flag, remark] : remarksOf(row)) {
        if (!flag)
            continue;
        if (!out.empty())
            out += ", ";
        out += remark.word;
    }
    return out;
}

std::string settingWord(const SheetRow &row, int k)
{
    if (!row.settable)
        return {};
    return row.on[k - 1] ? "ON" : "OFF";
}

std::vector<Remark> legend(const Plan &plan)
{
    std::vector<Remark> out;
    for (std::size_t i = 0; i < remarksOf(plan.rows.front()).size(); ++i)
        if (std::any_of(plan.rows.begin(), plan.rows.end(),
                        [i](const SheetRow &r) { return remarksOf(r)[i].first; }))
            out.push_back(remarksOf(plan.rows.front())[i].second);
    return out;
}

std::string separatedTable(const Plan &plan, char sep, const std::string &title)
{
    std::string out = field(heading(title), sep) + '\n';
    out += std::string("Appareil") + sep + "Adresse" + sep + "Dernier canal";
    for (int k = 1; k <= kAddressSwitches; ++k)
        out += sep + std::to_string(k) + " (" + std::to_string(plan.run.bank.weight(k)) + ")";
    out += sep + std::to_string(kTerminatorSwitch) + " (120R)" + sep + "Remarques\n";
    for (const SheetRow &row : plan.rows) {
        out += std::to_string(row.fixture) + sep + std::to_string(row.start) + sep
               + std::to_string(row.last);
        for (int k = 1; k <= kTerminatorSwitch; ++k)
            out += sep + settingWord(row, k);
        out += sep + remarks(row) + '\n';
    }
    return out;
}

std::string textTable(const Plan &plan, const std::string &title)
{
    // Fixture, address, channels, the ten switches, the remarks.
    using Line = std::array<std::string, 3 + kTerminatorSwitch + 1>;
    std::vector<Line> lines;
    lines.reserve(plan.rows.size() + 1);
    Line head{"Appareil", "Adresse", "Canaux"};
    for (int k = 1; k <= kTerminatorSwitch; ++k)
        head[2 + k] = std::to_string(k);
    head.back() = "Remarques";
    lines.push_back(head);
    for (const SheetRow &row : plan.rows) {
        Line line{std::to_string(row.fixture), std::to_string(row.start),
                  std::to_string(row.start) + "-" + std::to_string(row.last)};
        for (int k = 1; k <= kTerminatorSwitch; ++k)
            line[2 + k] = settingWord(row, k);
        line.back() = remarks(row);
        lines.push_back(line);
    }

    // Each column as wide as its longest field and a space, and no narrower
    // than the usual run needs, so that short sheets always look the same.
    std::array<std::size_t, 3 + kTerminatorSwitch> widths;
    widths.fill(4);
    widths[0] = 9;
    widths[1] = 8;
    widths[2] = 10;
    for (const Line &line : lines)
        for (std::size_t i = 0; i < widths.size(); ++i)
            widths[i] = std::max(widths[i], line[i].size() + 1);

    const std::string named = titleLine(title);
    std::string out = named.empty() ? std::string() : named + '\n';
    out += weightOrder(plan.run.bank) + '\n';
    for (Line &line : lines) {
        std::string text;
        for (std::size_t i = 0; i < widths.size(); ++i)
            text += line[i].append(widths[i] - line[i].size(), ' ');
        text += line.back();
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        out += text + '\n';
    }
    return out;
}

} // namespace dmx
