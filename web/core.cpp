// The page's way into core: each request is JSON text, each answer JSON text
// too, through plain C functions, so that the page's glue needs neither
// embind nor eval. Every rule stays in core; this file only says what the
// models and the plan hold.

#include "fixturemodel.h"
#include "patch.h"
#include "plan.h"
#include "profiles.h"
#include "sheet.h"
#include "spoken.h"
#include "text.h"

#include <emscripten/emscripten.h>
#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <unordered_map>

namespace {

using nlohmann::json;

struct Page
{
    dmx::FixtureModel colourDriver{dmx::kColourDriverBank};
    dmx::FixtureModel other{dmx::kOtherFixtureBank};
    bool showingOther = false;
    dmx::Profiles profiles;
    std::optional<dmx::Rig> rig;
    std::optional<dmx::Plan> plan;
    std::vector<const dmx::Row *> rows; // the plan's rows in order: a row's id is its place here
    std::unordered_map<const dmx::Row *, std::size_t> ids;
    std::string answer;                 // the last answer, alive until the next call
};

Page &page()
{
    static Page p;
    return p;
}

dmx::FixtureModel &model()
{
    return page().showingOther ? page().other : page().colourDriver;
}

json bank(const dmx::FixtureModel &m)
{
    json on = json::array(), stale = json::array(), names = json::array(), descriptions = json::array(),
         weights = json::array();
    for (int k = 1; k <= dmx::kTerminatorSwitch; ++k) {
        on.push_back(m.isOn(k));
        // The address switches show an earlier address than the box's text.
        stale.push_back(!m.switchesShowText() && k <= dmx::kAddressSwitches);
        names.push_back(dmx::toUtf8(dmx::spokenSwitchName(k)));
        descriptions.push_back(dmx::toUtf8(dmx::spokenCellDescription(m.bank(), k)));
        weights.push_back(k == dmx::kTerminatorSwitch ? dmx::toUtf8(dmx::kTerminated)
                                                      : std::to_string(m.bank().weight(k)));
    }
    const auto said = dmx::spokenAfter(m);
    return {{"other", &m == &page().other},
            {"order", dmx::weightOrder(m.bank())},
            {"text", dmx::toUtf8(m.text())},
            {"on", on},
            {"stale", stale},
            {"names", names},
            {"descriptions", descriptions},
            {"weights", weights},
            {"indicator", dmx::toUtf8(m.indicator())},
            {"count", m.count().value_or(0)},
            {"largestCount", dmx::FixtureModel::kLargestCount},
            {"showsText", m.switchesShowText()},
            {"cue", m.switchesShowText() ? std::string() : dmx::toUtf8(dmx::spokenNotAnAddress())},
            {"spoken", said ? dmx::toUtf8(*said) : std::string()}};
}

// The box now holds `now`: the edit is what lies between the text's common
// start and end, as a text box reports a keystroke, a paste or a deletion.
void input(dmx::FixtureModel &m, const dmx::Text &now)
{
    const dmx::Text &was = m.text();
    std::size_t start = 0;
    while (start < was.size() && start < now.size() && was[start] == now[start])
        ++start;
    std::size_t end = 0;
    while (end < was.size() - start && end < now.size() - start
           && was[was.size() - 1 - end] == now[now.size() - 1 - end])
        ++end;
    const dmx::Text inserted = now.substr(start, now.size() - start - end);
    if (inserted.empty())
        m.edited(now);
    else
        m.edit(start, was.size() - start - end, inserted);
}

json plan()
{
    const dmx::Plan &p = *page().plan;
    json profiles = json::array();
    for (const dmx::SwitchProfile &profile : p.profiles) {
        json headings = json::array();
        for (int k = 1; k <= profile.switchCount(); ++k)
            headings.push_back(dmx::switchHeading(profile, k));
        profiles.push_back({{"name", profile.name}, {"description", profile.description()}, {"headings", headings}});
    }
    json lines = json::array();
    for (const dmx::Line &line : p.lines)
        lines.push_back({{"universe", line.universe}, {"title", line.title()}, {"rows", line.rows.size()}});
    json rows = json::array();
    for (const dmx::Row *row : page().rows) {
        const dmx::Fixture &f = row->fixture;
        const dmx::SwitchProfile &profile = p.profileOf(*row);
        json settings = json::array(), up = json::array(), remarks = json::array();
        for (int k = 1; k <= profile.switchCount(); ++k) {
            settings.push_back(dmx::settingWord(p, *row, k));
            up.push_back(profile.leverUp(row->on[static_cast<std::size_t>(k - 1)]));
        }
        for (const dmx::Remark &r : row->remarks)
            remarks.push_back({{"text", r.text}, {"problem", r.problem()}});
        rows.push_back({{"universe", f.universe},
                        {"address", f.address},
                        {"label", f.label},
                        {"kind", dmx::typeAndMode(f)},
                        {"span", dmx::span(*row)},
                        {"switches", dmx::switchesText(p, *row)},
                        {"settable", row->settable},
                        {"profile", row->profile},
                        {"settings", settings},
                        {"up", up},
                        {"remarks", remarks},
                        {"problem", row->problem()}});
    }
    json legend = json::array();
    for (const dmx::Remark &r : dmx::legend(p))
        legend.push_back({{"text", r.text}, {"meaning", r.meaning()}});
    return {{"summary", p.summary}, {"problems", p.problems}, {"lines", lines},
            {"profiles", profiles}, {"rows", rows}, {"legend", legend}};
}

void makePlan()
{
    Page &pg = page();
    pg.plan = dmx::makePlan(*pg.rig, pg.profiles);
    pg.rows = pg.plan->rows();
    pg.ids.clear();
    for (std::size_t i = 0; i < pg.rows.size(); ++i)
        pg.ids[pg.rows[i]] = i;
}

// The ids of a line's rows (0: every line), the problems first if asked.
json order(int universe, bool problemsFirst)
{
    json ids = json::array();
    for (const dmx::Row *row : page().plan->rows(universe, problemsFirst))
        ids.push_back(page().ids.at(row));
    return ids;
}

json answer(const json &request)
{
    const std::string op = request.value("op", "");
    dmx::FixtureModel &m = model();
    if (op == "window") {
        page().showingOther = request.value("other", false);
        return bank(model());
    }
    if (op == "bank")
        return bank(m);
    if (op == "input")
        input(m, dmx::fromUtf8(request.value("text", "")));
    else if (op == "click") {
        const int k = request.value("k", 0);
        if (k < 1 || k > dmx::kTerminatorSwitch)
            return {{"error", "pas d'interrupteur " + std::to_string(k)}};
        m.click(k, !m.isOn(k));
    } else if (op == "count") {
        const int count = request.value("count", 0);
        if (count < 1 || count > dmx::FixtureModel::kLargestCount)
            return {{"error", "pas de choix de " + std::to_string(count) + " canaux"}};
        m.chooseCount(count);
    }
    else if (op == "step")
        m.step(request.value("forward", true));
    else if (op == "reset")
        m.reset();
    else if (op == "profiles") {
        auto read = dmx::Profiles::read(request.value("text", ""), request.value("name", "profils.json"));
        if (auto *why = std::get_if<std::string>(&read))
            return {{"error", *why}};
        page().profiles = std::get<dmx::Profiles>(std::move(read));
        if (page().rig)
            makePlan();
        return {{"own", page().profiles.own().size()}, {"choices", page().profiles.choices().size()}};
    } else if (op == "counted") {
        return {{"text", dmx::counted(request.value("n", 0), request.value("one", ""), request.value("many", ""))}};
    } else if (op == "plan") {
        if (!page().plan)
            return {{"error", "Aucun patch ouvert."}};
        return plan();
    } else if (op == "order") {
        if (!page().plan)
            return json::array();
        return order(request.value("universe", 0), request.value("problemsFirst", false));
    } else {
        return {{"error", "demande inconnue : " + op}};
    }
    return bank(m);
}

const char *give(const json &j)
{
    // Replaced, not refused: a label in Windows-1252 that reached here raw
    // must not cost the whole answer.
    page().answer = j.dump(-1, ' ', false, json::error_handler_t::replace);
    return page().answer.c_str();
}

} // namespace

extern "C" {

// One request, {"op": "...", ...}; the answer stays valid until the next call.
EMSCRIPTEN_KEEPALIVE const char *dmx_call(const char *request)
{
    const json parsed = json::parse(request, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object())
        return give({{"error", "demande illisible"}});
    try {
        return give(answer(parsed));
    } catch (const json::exception &) { // a field of the wrong kind
        return give({{"error", "demande illisible"}});
    }
}

// A patch file's bytes, as the page's file picker gives them, and its name:
// the plan, or {"error": the French sentence}.
EMSCRIPTEN_KEEPALIVE const char *dmx_open(const char *bytes, std::size_t size, const char *name)
{
    auto read = dmx::readPatchBytes(std::string_view(bytes, size), name);
    if (const auto *error = std::get_if<dmx::ReadError>(&read))
        return give({{"error", error->message}});
    page().rig = std::get<dmx::Rig>(std::move(read));
    makePlan();
    return give(plan());
}

} // extern "C"
