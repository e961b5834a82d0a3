#include "sheet.h"

#include "address.h"

#include <algorithm>

namespace dmx {

namespace {

constexpr Remark kUnsettableRemark{"hors interrupteurs",
                             "l'adresse de départ dépasse 511 : les neuf interrupteurs ne "
                             "peuvent pas la donner, aucun réglage n'est dessiné."};
constexpr Remark kPastLineRemark{"dépasse le canal 512",
                           "les derniers canaux de l'appareil tombent hors de la ligne DMX."};
constexpr Remark kTerminatorRemark{"bouchon 120R",
                             "interrupteur 10 sur ON : cet appareil ferme la ligne DMX."};

std::string outOfRange(const char *what, std::int64_t low, std::int64_t high, std::int64_t got)
{
    return std::string(what) + " doit aller de " + std::to_string(low) + " à "
           + std::to_string(high) + " (reçu : " + std::to_string(got) + ").";
}

// The remarks a row may carry, in the order the sheet prints them.
std::array<std::pair<bool, Remark>, 3> remarksOf(const SheetRow &row)
{
    return {{{!row.settable, kUnsettableRemark},
             {row.pastLine, kPastLineRemark},
             {row.terminated(), kTerminatorRemark}}};
}

} // namespace

std::variant<Plan, PlanError> makePlan(const Run &run)
{
    if (run.first < 0 || run.first > kLargestAddress)
        return PlanError{outOfRange("la première adresse", 0, kLargestAddress, run.first)};
    if (run.channels < 1 || run.channels > kMostChannels)
        return PlanError{outOfRange("le nombre de canaux", 1, kMostChannels, run.channels)};
    if (run.fixtures < 1 || run.fixtures > kMostFixtures)
        return PlanError{outOfRange("le nombre d'appareils", 1, kMostFixtures, run.fixtures)};

    // Within these bounds the last channel stays below 2^19: int holds every row.
    Plan plan{run, {}};
    plan.rows.reserve(static_cast<std::size_t>(run.fixtures));
    for (int k = 1; k <= run.fixtures; ++k) {
        SheetRow row{};
        row.fixture = k;
        row.start = static_cast<int>(run.first + (k - 1) * run.channels);
        row.last = static_cast<int>(row.start + run.channels - 1);
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
    for (std::size_t i = 0; i < 3; ++i)
        if (std::any_of(plan.rows.begin(), plan.rows.end(),
                        [i](const SheetRow &r) { return remarksOf(r)[i].first; }))
            out.push_back(remarksOf(plan.rows.front())[i].second);
    return out;
}

std::string separatedTable(const Plan &plan, char sep)
{
    std::string out = "Appareil";
    out += sep;
    out += "Adresse";
    out += sep;
    out += "Dernier canal";
    for (int k = 1; k <= kTerminatorSwitch; ++k)
        out += sep + std::to_string(k);
    out += sep;
    out += "Remarques\n";
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
    const auto pad = [](std::string s, std::size_t width) {
        s.resize(std::max(width, s.size() + 1), ' ');
        return s;
    };
    const auto line = [&pad](std::string number, std::string start, std::string channels,
                             const std::array<std::string, kTerminatorSwitch> &switches,
                             const std::string &notes) {
        std::string out = pad(std::move(number), 9) + pad(std::move(start), 8)
                          + pad(std::move(channels), 10);
        for (const std::string &s : switches)
            out += pad(s, 4);
        out += notes;
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        return out + '\n';
    };

    std::string out = title.empty() ? std::string() : title + '\n';
    out += weightOrder(plan.run.bank) + '\n';
    std::array<std::string, kTerminatorSwitch> numbers;
    for (int k = 1; k <= kTerminatorSwitch; ++k)
        numbers[k - 1] = std::to_string(k);
    out += line("Appareil", "Adresse", "Canaux", numbers, "Remarques");
    for (const SheetRow &row : plan.rows) {
        std::array<std::string, kTerminatorSwitch> switches;
        for (int k = 1; k <= kTerminatorSwitch; ++k)
            switches[k - 1] = settingWord(row, k);
        out += line(std::to_string(row.fixture), std::to_string(row.start),
                    std::to_string(row.start) + "-" + std::to_string(row.last), switches,
                    remarks(row));
    }
    return out;
}

} // namespace dmx
