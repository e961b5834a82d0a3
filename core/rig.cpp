#include "rig.h"

#include "sheet.h"

#include <algorithm>
#include <map>
#include <set>

namespace dmx {

namespace {

// Past this many, a row's overlap remark counts the others instead of naming them.
constexpr int kMostNamedOverlaps = 3;

std::string quoted(const std::string &label) { return "« " + label + " »"; }

std::string range(int first, std::optional<int> last)
{
    if (!last || *last == first)
        return std::to_string(first);
    return std::to_string(first) + "-" + std::to_string(*last);
}

} // namespace

std::string RigLine::title() const
{
    return "Ligne " + std::to_string(number) + " — univers " + std::to_string(universe);
}

RigPlan::RigPlan(const RigPlan &other) { *this = other; }

RigPlan &RigPlan::operator=(const RigPlan &other)
{
    if (this == &other)
        return *this;
    rig = other.rig;
    lines = other.lines;
    profiles = other.profiles;
    problems = other.problems;
    summary = other.summary;
    for (RigLine &line : lines)
        for (RigRow &row : line.rows)
            row.profile = &profiles[static_cast<std::size_t>(row.profile - other.profiles.data())];
    return *this;
}

RigPlan makeRigPlan(const Rig &rig, const Profiles &choices)
{
    RigPlan plan;
    plan.rig = &rig;

    // Profiles by use, the most used first; a tie keeps the rig's order.
    std::vector<const SwitchProfile *> chosen;
    std::map<std::string, int> uses;
    for (const Fixture &f : rig.fixtures) {
        const SwitchProfile &p = choices.profileFor(f.type, f.mode);
        chosen.push_back(&p);
        if (uses[p.name]++ == 0)
            plan.profiles.push_back(p);
    }
    std::stable_sort(plan.profiles.begin(), plan.profiles.end(),
                     [&uses](const SwitchProfile &a, const SwitchProfile &b) { return uses[a.name] > uses[b.name]; });
    const auto profileOf = [&plan](const SwitchProfile &p) {
        return &*std::find_if(plan.profiles.begin(), plan.profiles.end(),
                              [&p](const SwitchProfile &q) { return q.name == p.name; });
    };

    std::map<int, std::vector<std::size_t>> byUniverse;
    for (std::size_t i = 0; i < rig.fixtures.size(); ++i)
        byUniverse[rig.fixtures[i].universe].push_back(i);

    int overlaps = 0, unsettable = 0, pastLine = 0, unknown = 0;
    for (auto &[universe, indices] : byUniverse) {
        std::stable_sort(indices.begin(), indices.end(), [&rig](std::size_t a, std::size_t b) {
            return rig.fixtures[a].address < rig.fixtures[b].address;
        });
        RigLine line;
        line.number = static_cast<int>(plan.lines.size()) + 1;
        line.universe = universe;
        for (const std::size_t i : indices) {
            const Fixture &f = rig.fixtures[i];
            RigRow row;
            row.fixture = i;
            row.profile = profileOf(*chosen[i]);
            if (f.channels)
                row.last = f.address + *f.channels - 1;
            if (const auto on = row.profile->switchesFor(f.address)) {
                row.settable = true;
                row.on = *on;
            }
            if (row.profile->tenth == TenthSwitch::Function)
                row.on[9] = row.profile->functionOn;
            line.rows.push_back(std::move(row));
        }

        // A row's problems, then what it merely tells.
        const std::size_t n = line.rows.size();
        std::vector<std::vector<std::size_t>> sharing(n);
        for (std::size_t a = 0; a < n; ++a) {
            const int end = line.rows[a].last.value_or(rig.fixtures[line.rows[a].fixture].address);
            for (std::size_t b = a + 1;
                 b < n && rig.fixtures[line.rows[b].fixture].address <= end; ++b) {
                sharing[a].push_back(b);
                sharing[b].push_back(a);
            }
        }
        for (std::size_t r = 0; r < n; ++r) {
            RigRow &row = line.rows[r];
            const Fixture &f = plan.fixture(row);
            auto &notes = row.remarks;
            if (!sharing[r].empty()) {
                ++overlaps;
                std::string note = "partage des canaux avec ";
                for (std::size_t k = 0; k < sharing[r].size(); ++k) {
                    if (k == kMostNamedOverlaps) {
                        note += " et " + std::to_string(sharing[r].size() - k) + " autres";
                        break;
                    }
                    const RigRow &other = line.rows[sharing[r][k]];
                    const Fixture &g = plan.fixture(other);
                    note += (k ? ", " : "") + quoted(g.label) + " ("
                            + range(g.address, other.last) + ")";
                }
                notes.push_back(note);
            }
            if (f.address < 1 || f.address > kLastChannel) {
                ++unsettable;
                notes.push_back("adresse " + std::to_string(f.address)
                                + " impossible : une ligne DMX va de 1 à 512");
            } else if (!row.settable) {
                ++unsettable;
                notes.push_back("le profil " + quoted(row.profile->name)
                                + " ne peut pas régler l'adresse " + std::to_string(f.address));
            }
            if (row.last && *row.last > kLastChannel) {
                ++pastLine;
                notes.push_back("dépasse le canal 512 (jusqu'à " + std::to_string(*row.last) + ")");
            }
            if (!f.channels) {
                ++unknown;
                notes.push_back(f.channelsNote.empty() ? "nombre de canaux inconnu"
                                                       : "nombre de canaux inconnu (" + f.channelsNote + ")");
            }
            row.problem = !notes.empty();
            if (row.problem)
                ++plan.problems;
            if (row.profile != &plan.profiles.front())
                notes.push_back("autre profil : " + row.profile->name);
        }
        RigRow &last = line.rows.back();
        if (last.profile->tenth == TenthSwitch::Terminator) {
            last.on[9] = true;
            last.remarks.push_back("bouchon 120R : fin de ligne");
        } else {
            last.remarks.push_back("fin de ligne sans interrupteur de bouchon : bouchon 120R à poser");
        }
        plan.lines.push_back(std::move(line));
    }

    const auto count = [](int n, const char *one, const char *many) {
        return std::to_string(n) + " " + (n > 1 ? many : one);
    };
    plan.summary = count(static_cast<int>(rig.fixtures.size()), "appareil", "appareils") + " sur "
                   + count(static_cast<int>(plan.lines.size()), "ligne", "lignes") + ", "
                   + count(static_cast<int>(plan.profiles.size()), "profil", "profils") + ". ";
    if (plan.problems == 0) {
        plan.summary += "Aucun problème.";
    } else {
        plan.summary += count(plan.problems, "appareil à revoir", "appareils à revoir") + " :";
        std::string sep = " ";
        const std::pair<int, const char *> kinds[] = {
            {overlaps, "canaux partagés"},
            {unsettable, "adresse impossible à régler"},
            {pastLine, "au-delà du canal 512"},
            {unknown, "canaux inconnus"},
        };
        for (const auto &[n, what] : kinds)
            if (n > 0) {
                plan.summary += sep + what + " (" + std::to_string(n) + ")";
                sep = ", ";
            }
        plan.summary += ".";
    }
    return plan;
}

std::optional<RigPlan> makeLinePlan(Rig &rig, int universe, const Profiles &choices)
{
    std::set<int> universes;
    for (const Fixture &f : rig.fixtures)
        universes.insert(f.universe);
    const auto line = universes.find(universe);
    if (line == universes.end())
        return std::nullopt;
    auto &all = rig.fixtures;
    all.erase(std::remove_if(all.begin(), all.end(), [universe](const Fixture &f) { return f.universe != universe; }),
              all.end());
    RigPlan plan = makeRigPlan(rig, choices);
    plan.lines.front().number = static_cast<int>(std::distance(universes.begin(), line)) + 1;
    return plan;
}

std::string settingWord(const RigRow &row, int k)
{
    if (k < 1 || k > row.profile->switchCount())
        return {};
    const bool addressSwitch = k <= 9 || row.profile->tenth == TenthSwitch::Weight512;
    if (addressSwitch && !row.settable)
        return {};
    return row.on[k - 1] ? "ON" : "OFF";
}

std::string switchHeading(const SwitchProfile &profile, int k)
{
    const std::string n = std::to_string(k);
    if (k <= 9)
        return n + " (" + std::to_string(profile.order.weight(k)) + ")";
    switch (profile.tenth) {
    case TenthSwitch::None: return n;
    case TenthSwitch::Terminator: return n + " (bouchon)";
    case TenthSwitch::Weight512: return n + " (512)";
    case TenthSwitch::Function:
        return n + " (" + (profile.functionName.empty() ? "fonction" : profile.functionName) + ")";
    }
    return n;
}

namespace {

std::string joined(const std::vector<std::string> &parts, const char *sep)
{
    std::string out;
    for (const std::string &p : parts)
        out += (out.empty() ? "" : sep) + p;
    return out;
}

// A field as a spreadsheet reads it back: quoted when it holds the
// separator, a quote or a line break; a tab-separated paste has no quoting,
// so there those become spaces.
std::string field(std::string text, char sep)
{
    if (sep == '\t') {
        std::replace_if(text.begin(), text.end(),
                        [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
        return text;
    }
    if (text.find_first_of(std::string(1, sep) + "\"\n\r") == std::string::npos)
        return text;
    std::string out = "\"";
    for (const char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + '"';
}

// Width on a terminal: one column per UTF-8 character.
std::size_t columns(const std::string &s)
{
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string padded(const std::string &s, std::size_t width)
{
    return s + std::string(width > columns(s) ? width - columns(s) + 1 : 1, ' ');
}

} // namespace

std::string separatedTable(const RigPlan &plan, char sep)
{
    std::vector<std::string> heading{"Ligne", "Univers", "Adresse", "Dernier canal", "Nom",
                                     "Type", "Mode", "Canaux", "Profil"};
    const SwitchProfile *main = plan.profiles.empty() ? &otherFixtureProfile() : &plan.profiles[0];
    for (int k = 1; k <= 10; ++k)
        heading.push_back(switchHeading(*main, k));
    heading.push_back("Remarques");
    const auto record = [sep](const std::vector<std::string> &cells) {
        std::string text;
        for (std::size_t i = 0; i < cells.size(); ++i)
            text += (i ? std::string(1, sep) : "") + field(cells[i], sep);
        return text + '\n';
    };
    std::string out = record(heading);
    for (const RigLine &line : plan.lines)
        for (const RigRow &row : line.rows) {
            const Fixture &f = plan.fixture(row);
            std::vector<std::string> cells{std::to_string(line.number),
                                           std::to_string(line.universe),
                                           std::to_string(f.address),
                                           row.last ? std::to_string(*row.last) : "",
                                           f.label,
                                           f.type,
                                           f.mode,
                                           f.channels ? std::to_string(*f.channels) : "",
                                           row.profile->name};
            for (int k = 1; k <= 10; ++k)
                cells.push_back(settingWord(row, k));
            cells.push_back(joined(row.remarks, " ; "));
            out += record(cells);
        }
    return out;
}

namespace {

std::string typeAndMode(const Fixture &f)
{
    return f.type + (f.mode.empty() ? "" : ", " + f.mode);
}

} // namespace

std::string textTable(const RigPlan &plan, const std::string &title)
{
    std::size_t nameWidth = 3, typeWidth = 4;
    for (const Fixture &f : plan.rig->fixtures) {
        nameWidth = std::max(nameWidth, columns(f.label));
        typeWidth = std::max(typeWidth, columns(typeAndMode(f)));
    }
    const auto line = [&](const std::string &address, const std::string &channels,
                          const std::string &name, const std::string &type,
                          const std::array<std::string, 10> &switches, const std::string &notes) {
        std::string out = padded(address, 7) + padded(channels, 9) + padded(name, nameWidth)
                          + padded(type, typeWidth);
        for (const std::string &s : switches)
            out += padded(s, 4);
        out += notes;
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        return out + '\n';
    };

    std::string out = title.empty() ? std::string() : title + '\n';
    out += plan.summary + '\n';
    for (const SwitchProfile &p : plan.profiles)
        out += "Profil " + quoted(p.name) + " : " + p.description() + '\n';
    std::array<std::string, 10> numbers;
    for (int k = 1; k <= 10; ++k)
        numbers[k - 1] = std::to_string(k);
    for (const RigLine &l : plan.lines) {
        out += '\n' + l.title() + '\n';
        out += line("Adresse", "Canaux", "Nom", "Type", numbers, "Remarques");
        for (const RigRow &row : l.rows) {
            const Fixture &f = plan.fixture(row);
            std::array<std::string, 10> switches;
            for (int k = 1; k <= 10; ++k)
                switches[k - 1] = settingWord(row, k);
            out += line(std::to_string(f.address),
                        f.channels ? range(f.address, row.last) : "?", f.label,
                        typeAndMode(f), switches,
                        joined(row.remarks, " ; "));
        }
    }
    return out;
}

} // namespace dmx
