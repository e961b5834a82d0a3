#include "sheet.h"

#include "text.h"

#include <algorithm>
#include <charconv>

namespace dmx {

namespace {

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

} // namespace

std::variant<Plan, PlanError> makePlan(const Run &run)
{
    const std::int64_t given[3] = {run.first, run.channels, run.fixtures};
    for (std::size_t i = 0; i < 3; ++i)
        if (given[i] < kFields[i].low || given[i] > kFields[i].high)
            return PlanError{outOfRange(kFields[i], std::to_string(given[i]))};

    // Within these bounds the last channel stays below 2^19: int holds every row.
    Rig rig;
    rig.fixtures.reserve(static_cast<std::size_t>(run.fixtures));
    for (int k = 1; k <= run.fixtures; ++k) {
        Fixture f;
        f.label = std::to_string(k);
        f.address = static_cast<int>(run.first + (k - 1) * run.channels);
        f.channels = static_cast<int>(run.channels);
        rig.fixtures.push_back(std::move(f));
    }
    Profiles one;
    one.choose({}, {}, windowProfile(run.bank).name);
    Plan plan = makePlan(rig, one, {run.terminator});
    plan.run = run;
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

const SwitchProfile &windowProfile(const BankProfile &bank)
{
    return bank == kColourDriverBank ? colourDriverProfile() : otherFixtureProfile();
}

std::string addressSpan(const Plan &plan)
{
    const Row &first = plan.lines.front().rows.front(), &last = plan.lines.front().rows.back();
    const int from = first.fixture.address, to = last.fixture.address;
    const std::string starts = plan.rowCount() == 1
        ? "adresse " + std::to_string(from)
        : "adresses " + std::to_string(from) + " à " + std::to_string(to);
    return starts + ", dernier canal " + std::to_string(last.last.value_or(to));
}

std::string runSummary(const Plan &plan)
{
    std::string text = addressSpan(plan) + '.';
    text[0] = 'A';
    long long off = 0;
    for (const Row *row : plan.rows())
        off += std::any_of(row->remarks.begin(), row->remarks.end(), [](const Remark &r) {
            return r.kind == RemarkKind::Unsettable || r.kind == RemarkKind::PastLine;
        });
    if (off)
        text += " " + counted(off, "appareil", "appareils") + " hors de la ligne ou des interrupteurs.";
    return text;
}

std::string runLine(const Plan &plan)
{
    const long long channels = plan.run ? plan.run->channels : 0;
    return counted(static_cast<long long>(plan.rowCount()), "appareil", "appareils") + " de "
           + counted(channels, "canal", "canaux") + " : " + addressSpan(plan);
}

std::string weightOrder(const BankProfile &bank)
{
    return "interrupteur 1 = " + std::to_string(bank.weight(1));
}

} // namespace dmx
