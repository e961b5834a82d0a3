#include "plan.h"

#include "text.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <queue>
#include <set>

namespace dmx {

namespace {

// Past this many, a row's shared-channels remark counts the others instead of naming them.
constexpr std::size_t kMostNamedOverlaps = 3;

struct KindText
{
    RemarkKind kind;
    const char *word, *meaning;
    bool problem;
};

constexpr KindText kKinds[] = {
    {RemarkKind::BadAddress, "adresse inutilisable",
     "l'adresse que donne le patch est illisible, absente ou hors de 1 à 512 : l'appareil est montré sans "
     "réglage.", true},
    {RemarkKind::Shared, "partage des canaux", "un autre appareil de la ligne prend aussi de ces canaux.", true},
    {RemarkKind::AtZero, "commence à 0",
     "les canaux DMX commencent à 1 : l'adresse 0 n'est pas un canal de la ligne.", true},
    {RemarkKind::Unsettable, "hors interrupteurs",
     "l'adresse de départ dépasse 511 : les neuf interrupteurs ne peuvent pas la donner, aucun réglage "
     "n'est dessiné.", true},
    {RemarkKind::PastLine, "dépasse le canal 512", "les derniers canaux de l'appareil tombent hors de la ligne DMX.",
     true},
    {RemarkKind::UnknownCount, "nombre de canaux inconnu",
     "ni le patch ni la bibliothèque d'appareils ne donnent le nombre de canaux.", true},
    {RemarkKind::Slots, "canaux",
     "les canaux de l'appareil ne commencent pas à son adresse : le fichier GDTF place ceux de cette partie "
     "plus loin.", false},
    {RemarkKind::Terminator, "bouchon 120R", "interrupteur 10 sur ON : cet appareil ferme la ligne DMX.", false},
    {RemarkKind::TerminatorToFit, "fin de ligne sans interrupteur de bouchon : bouchon 120R à poser",
     "le dernier appareil de la ligne n'a pas d'interrupteur de bouchon : un bouchon 120R se pose sur sa "
     "sortie DMX.", false},
};

const KindText &textOf(RemarkKind kind) { return kKinds[static_cast<std::size_t>(kind)]; }

Remark remark(RemarkKind kind, const std::string &more = {})
{
    return {kind, textOf(kind).word + more};
}

std::string quoted(const std::string &label) { return "« " + label + " »"; }

// The first slot a row's fixture takes.
int firstSlot(const Row &row) { return row.fixture.address + row.fixture.offset; }

// Each of a line's first n rows, in slot order, with whom it shares channels:
// the first few by name, the others counted. One pass with the rows still
// open at each start, so that a thousand fixtures at one address cost a
// thousand entries, not a million pairs.
void markShared(Line &line, std::size_t n)
{
    const auto start = [&](std::size_t i) { return firstSlot(line.rows[i]); };
    const auto end = [&](std::size_t i) { return line.rows[i].last.value_or(start(i)); };
    const auto named = [&](std::size_t i) {
        return quoted(line.rows[i].fixture.label) + " (" + span(line.rows[i]) + ")";
    };
    std::set<std::size_t> open; // earlier rows whose channels reach this row's start
    std::priority_queue<std::pair<int, std::size_t>, std::vector<std::pair<int, std::size_t>>, std::greater<>> ends;
    std::vector<Remark> shared(n);
    for (std::size_t a = 0; a < n; ++a) {
        while (!ends.empty() && ends.top().first < start(a)) {
            open.erase(ends.top().second);
            ends.pop();
        }
        std::size_t later = a + 1;
        while (later < n && start(later) <= end(a))
            ++later;
        const std::size_t count = open.size() + (later - a - 1);
        if (count > 0) {
            std::string who;
            std::size_t k = 0;
            const auto add = [&](std::size_t i) {
                if (k++ < kMostNamedOverlaps)
                    who += (who.empty() ? " avec " : ", ") + named(i);
            };
            for (auto it = open.begin(); it != open.end() && k < kMostNamedOverlaps; ++it)
                add(*it);
            for (std::size_t b = a + 1; b < later && k < kMostNamedOverlaps; ++b)
                add(b);
            if (count > kMostNamedOverlaps)
                who += " et " + counted(static_cast<long long>(count - kMostNamedOverlaps), "autre", "autres");
            line.rows[a].remarks.push_back(remark(RemarkKind::Shared, who));
        }
        open.insert(a);
        ends.emplace(end(a), a);
    }
}

} // namespace

bool Remark::problem() const { return textOf(kind).problem; }
std::string Remark::meaning() const { return textOf(kind).meaning; }

bool Row::problem() const
{
    return std::any_of(remarks.begin(), remarks.end(), [](const Remark &r) { return r.problem(); });
}

std::string Line::title() const
{
    return "Ligne " + std::to_string(universe);
}

std::size_t Plan::rowCount() const
{
    std::size_t n = 0;
    for (const Line &line : lines)
        n += line.rows.size();
    return n;
}

std::vector<const Row *> Plan::rows(int universe, bool problemsFirst) const
{
    std::vector<const Row *> out;
    for (const Line &line : lines)
        if (universe == 0 || line.universe == universe)
            for (const Row &row : line.rows)
                out.push_back(&row);
    if (problemsFirst)
        std::stable_partition(out.begin(), out.end(), [](const Row *r) { return r->problem(); });
    return out;
}

Plan makePlan(const Rig &rig, const Profiles &choices, const PlanOptions &options)
{
    Plan plan;

    // Profiles by use, the most used first; a tie keeps the rig's order.
    std::vector<const SwitchProfile *> chosen;
    chosen.reserve(rig.fixtures.size());
    std::map<std::string, int> uses;
    for (const Fixture &f : rig.fixtures) {
        const SwitchProfile &p = choices.profileFor(f.type, f.mode);
        chosen.push_back(&p);
        if (uses[p.name]++ == 0)
            plan.profiles.push_back(p);
    }
    std::stable_sort(plan.profiles.begin(), plan.profiles.end(),
                     [&uses](const SwitchProfile &a, const SwitchProfile &b) { return uses[a.name] > uses[b.name]; });
    std::map<std::string, std::size_t> indexOf;
    for (std::size_t i = 0; i < plan.profiles.size(); ++i)
        indexOf[plan.profiles[i].name] = i;

    std::map<int, std::vector<std::size_t>> byUniverse;
    for (std::size_t i = 0; i < rig.fixtures.size(); ++i)
        byUniverse[rig.fixtures[i].universe].push_back(i);

    int badAddress = 0, shared = 0, unsettable = 0, pastLine = 0, unknown = 0;
    for (auto &[universe, indices] : byUniverse) {
        // Fixtures whose address cannot be set come last: they take no slot.
        const auto key = [&rig](std::size_t i) {
            const Fixture &f = rig.fixtures[i];
            return std::pair(!f.addressProblem.empty(), f.address + f.offset);
        };
        std::stable_sort(indices.begin(), indices.end(),
                         [&key](std::size_t a, std::size_t b) { return key(a) < key(b); });
        Line line;
        line.universe = universe;
        line.rows.reserve(indices.size());
        for (const std::size_t i : indices) {
            Row row;
            row.fixture = rig.fixtures[i];
            row.profile = indexOf[chosen[i]->name];
            const SwitchProfile &p = plan.profiles[row.profile];
            const Fixture &f = row.fixture;
            if (f.channels && f.addressProblem.empty())
                row.last = f.address + f.offset + *f.channels - 1;
            if (const auto on = f.addressProblem.empty() ? p.switchesFor(f.address) : std::nullopt) {
                row.settable = true;
                row.on = *on;
            }
            if (p.tenth == TenthSwitch::Function)
                row.on[kTerminatorSwitch - 1] = p.functionOn;
            line.rows.push_back(std::move(row));
        }

        const auto placed = static_cast<std::size_t>(
            std::find_if(line.rows.begin(), line.rows.end(),
                         [](const Row &r) { return !r.fixture.addressProblem.empty(); })
            - line.rows.begin());
        markShared(line, placed);
        for (Row &row : line.rows) {
            const Fixture &f = row.fixture;
            auto &notes = row.remarks;
            if (!f.addressProblem.empty()) {
                ++badAddress;
                notes.push_back({RemarkKind::BadAddress, f.addressProblem});
            } else {
                shared += !notes.empty();
                if (f.address == 0)
                    notes.push_back(remark(RemarkKind::AtZero));
                if (!row.settable)
                    notes.push_back(remark(RemarkKind::Unsettable));
                unsettable += f.address == 0 || !row.settable;
                if (row.last.value_or(f.address) > kLastChannel) {
                    ++pastLine;
                    notes.push_back(remark(RemarkKind::PastLine));
                }
            }
            if (!f.channels) {
                ++unknown;
                notes.push_back(remark(RemarkKind::UnknownCount, f.channelsNote.empty() ? "" : " (" + f.channelsNote + ")"));
            }
            if (f.offset > 0 && row.last)
                notes.push_back(remark(RemarkKind::Slots, " " + std::to_string(firstSlot(row)) + " à "
                                                              + std::to_string(*row.last)));
            plan.problems += row.problem();
        }
        if (placed == 0) {
            plan.lines.push_back(std::move(line));
            continue; // no fixture of the line is set: none ends it
        }
        Row &last = line.rows[placed - 1];
        if (options.terminateLines) {
            if (plan.profileOf(last).tenth == TenthSwitch::Terminator) {
                last.on[kTerminatorSwitch - 1] = true;
                last.remarks.push_back(remark(RemarkKind::Terminator));
            } else {
                last.remarks.push_back(remark(RemarkKind::TerminatorToFit));
            }
        }
        plan.lines.push_back(std::move(line));
    }

    plan.summary = counted(static_cast<long long>(rig.fixtures.size()), "appareil", "appareils") + " sur "
                   + counted(static_cast<long long>(plan.lines.size()), "ligne", "lignes") + ", "
                   + counted(static_cast<long long>(plan.profiles.size()), "profil", "profils") + ". ";
    if (plan.problems == 0) {
        if (!rig.fixtures.empty() || rig.unpatched == 0)
            plan.summary += "Aucun problème.";
    } else {
        plan.summary += counted(plan.problems, "appareil à revoir", "appareils à revoir") + " :";
        std::string sep = " ";
        const std::pair<int, const char *> kinds[] = {
            {badAddress, "adresse du patch inutilisable"},
            {shared, "canaux partagés"},
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
    if (rig.unpatched > 0)
        plan.summary += (rig.fixtures.empty() ? "" : " ")
                        + counted(static_cast<long long>(rig.unpatched), "appareil sans adresse, non repris",
                                  "appareils sans adresse, non repris")
                        + ".";
    return plan;
}

std::optional<Plan> makeLinePlan(const Rig &rig, int universe, const Profiles &choices)
{
    Rig line;
    std::copy_if(rig.fixtures.begin(), rig.fixtures.end(), std::back_inserter(line.fixtures),
                 [universe](const Fixture &f) { return f.universe == universe; });
    if (line.fixtures.empty())
        return std::nullopt;
    return makePlan(line, choices);
}

std::string settingWord(const Plan &plan, const Row &row, int k)
{
    const SwitchProfile &p = plan.profileOf(row);
    if (k < 1 || k > p.switchCount())
        return {};
    const bool addressSwitch = k <= kAddressSwitches || p.tenth == TenthSwitch::Weight512;
    if (addressSwitch && !row.settable)
        return {};
    return row.on[k - 1] ? "ON" : "OFF";
}

std::string switchesText(const Plan &plan, const Row &row)
{
    if (!row.settable)
        return "pas de réglage possible";
    std::string on;
    for (int k = 1; k <= plan.profileOf(row).switchCount(); ++k)
        if (settingWord(plan, row, k) == "ON")
            on += ' ' + std::to_string(k);
    return on.empty() ? "tout OFF" : "ON :" + on;
}

std::string span(const Row &row)
{
    const int first = firstSlot(row);
    if (!row.last || *row.last == first)
        return std::to_string(first);
    return std::to_string(first) + "-" + std::to_string(*row.last);
}

std::string typeAndMode(const Fixture &f, const char *between)
{
    return f.mode.empty() ? f.type : f.type + between + f.mode;
}

std::string remarksText(const Row &row)
{
    std::string out;
    for (const Remark &r : row.remarks)
        out += (out.empty() ? "" : ", ") + r.text;
    return out;
}

std::vector<Remark> legend(const Plan &plan)
{
    std::set<RemarkKind> used;
    for (const Line &line : plan.lines)
        for (const Row &row : line.rows)
            for (const Remark &r : row.remarks)
                used.insert(r.kind);
    std::vector<Remark> out;
    for (const RemarkKind kind : used)
        out.push_back(remark(kind));
    return out;
}

std::string switchHeading(const SwitchProfile &profile, int k)
{
    const std::string n = std::to_string(k);
    if (k <= kAddressSwitches)
        return n + " (" + std::to_string(profile.order.weight(k)) + ")";
    switch (profile.tenth) {
    case TenthSwitch::None: return n;
    case TenthSwitch::Terminator: return n + " (120R)";
    case TenthSwitch::Weight512: return n + " (512)";
    case TenthSwitch::Function:
        return n + " (" + (profile.functionName.empty() ? "fonction" : profile.functionName) + ")";
    }
    return n;
}

} // namespace dmx
