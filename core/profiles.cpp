#include "profiles.h"

#include "sheet.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <iterator>
#include <map>
#include <set>

namespace dmx {

namespace {

using nlohmann::json;

constexpr char kBlanks[] = " \t\r\n";

SwitchProfile builtIn(const char *name, const BankProfile &bank)
{
    SwitchProfile p;
    p.name = name;
    p.order = bank;
    return p;
}

std::string inQuotes(const std::string &name) { return "« " + name + " »"; }

// A name is trimmed where it is stored, never while it is typed.
void trimNames(SwitchProfile &p)
{
    p.name = trimmed(p.name, kBlanks);
    p.functionName = trimmed(p.functionName, kBlanks);
}

// Case aside for the letters a profile's name may hold: ASCII and the
// accented capitals of Latin-1 (É is C3 89 in UTF-8, é C3 A9).
std::string folded(std::string s)
{
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 'A' && c <= 'Z')
            s[i] = static_cast<char>(c - 'A' + 'a');
        else if (c == 0xC3 && i + 1 < s.size()) {
            const auto d = static_cast<unsigned char>(s[i + 1]);
            if (d >= 0x80 && d <= 0x9E && d != 0x97)
                s[i + 1] = static_cast<char>(d + 0x20);
            ++i;
        }
    }
    return s;
}

// The tenth switch's word in the file.
constexpr std::pair<TenthSwitch, const char *> kTenthWords[] = {
    {TenthSwitch::None, "aucun"},
    {TenthSwitch::Terminator, "bouchon"},
    {TenthSwitch::Weight512, "512"},
    {TenthSwitch::Function, "fonction"},
};

// The nine weights must be 1, 2, 4 ... 256, each once, or the bank could not
// give every address.
bool everyWeightOnce(const BankProfile &bank)
{
    std::set<int> seen(bank.weights.begin(), bank.weights.end());
    int w = 1;
    for (const int s : seen) {
        if (s != w)
            return false;
        w <<= 1;
    }
    return seen.size() == kAddressSwitches;
}

SwitchProfile profileFrom(const json &j)
{
    SwitchProfile p;
    p.name = j.at("nom").get<std::string>();
    if (p.name.empty())
        throw std::invalid_argument("un profil sans nom");
    const json &weights = j.at("poids");
    if (!weights.is_array() || weights.size() != kAddressSwitches)
        throw std::invalid_argument("il faut neuf poids");
    for (std::size_t k = 0; k < kAddressSwitches; ++k) {
        // Checked as the file writes it: a bank holds no 65537 nor 1.9.
        const json &w = weights[k];
        if (!w.is_number_integer() || w.get<long long>() < 1 || w.get<long long>() > 256)
            throw std::invalid_argument("« poids » " + std::to_string(k + 1) + " vaut " + w.dump()
                                        + ", pas un poids d'interrupteur (1, 2, 4 … 256)");
        p.order.weights[k] = static_cast<std::int16_t>(w.get<int>());
    }
    if (!everyWeightOnce(p.order))
        throw std::invalid_argument("les poids doivent être 1, 2, 4 … 256, chacun une fois");
    p.onIsUp = j.value("onEnHaut", true);
    p.offset = j.value("adresseMoinsUn", false) ? 1 : 0;
    const std::string tenth = j.value("interrupteur10", "bouchon");
    const auto it = std::find_if(std::begin(kTenthWords), std::end(kTenthWords),
                                 [&tenth](const auto &w) { return tenth == w.second; });
    if (it == std::end(kTenthWords))
        throw std::invalid_argument("interrupteur10 inconnu : " + tenth);
    p.tenth = it->first;
    p.functionName = j.value("fonction", "");
    p.functionOn = j.value("fonctionOn", false);
    return p;
}

json toJson(const SwitchProfile &p)
{
    json j;
    j["nom"] = p.name;
    j["poids"] = std::vector<int>(p.order.weights.begin(), p.order.weights.end());
    j["onEnHaut"] = p.onIsUp;
    j["adresseMoinsUn"] = p.offset != 0;
    for (const auto &[t, word] : kTenthWords)
        if (t == p.tenth)
            j["interrupteur10"] = word;
    if (p.tenth == TenthSwitch::Function) {
        j["fonction"] = p.functionName;
        j["fonctionOn"] = p.functionOn;
    }
    return j;
}

} // namespace

std::array<std::int16_t, kTerminatorSwitch> SwitchProfile::weights() const
{
    std::array<std::int16_t, kTerminatorSwitch> w{};
    std::copy(order.weights.begin(), order.weights.end(), w.begin());
    // One more address bit: the weight after 256.
    w[kTerminatorSwitch - 1] = tenth == TenthSwitch::Weight512 ? std::int16_t{1 << kAddressSwitches} : std::int16_t{0};
    return w;
}

std::optional<std::array<bool, kTerminatorSwitch>> SwitchProfile::switchesFor(int address) const
{
    // Past the line no bank sets anything; a start of 0 is set as the bank
    // gives it, and the plan says that no channel is there.
    if (address < 0 || address > kLastChannel)
        return std::nullopt;
    return switchesOf(address - offset, weights());
}

std::string SwitchProfile::description() const
{
    std::string out = weightOrder(order) + (onIsUp ? ", ON en haut" : ", ON en bas")
                      + (offset == 0 ? ", adresse telle quelle" : ", adresse moins un");
    switch (tenth) {
    case TenthSwitch::None: return out + ", neuf interrupteurs";
    case TenthSwitch::Terminator: return out + ", interrupteur 10 = bouchon";
    case TenthSwitch::Weight512: return out + ", interrupteur 10 = 512";
    case TenthSwitch::Function:
        return out + ", interrupteur 10 = " + functionName + (functionOn ? " (ON)" : " (OFF)");
    }
    return out;
}

bool operator==(const SwitchProfile &a, const SwitchProfile &b)
{
    return a.name == b.name && a.order.weights == b.order.weights && a.onIsUp == b.onIsUp
           && a.offset == b.offset && a.tenth == b.tenth && a.functionName == b.functionName
           && a.functionOn == b.functionOn;
}

const std::vector<SwitchProfile> &builtInProfiles()
{
    static const std::vector<SwitchProfile> profiles{
        builtIn("Standard (interrupteur 1 = 1)", kOtherFixtureBank),
        builtIn("Pilote de LED Corvane (interrupteur 1 = 256)", kColourDriverBank),
    };
    return profiles;
}

const SwitchProfile &otherFixtureProfile() { return builtInProfiles()[0]; }
const SwitchProfile &colourDriverProfile() { return builtInProfiles()[1]; }

std::vector<SwitchProfile> Profiles::all() const
{
    std::vector<SwitchProfile> out = builtInProfiles();
    out.insert(out.end(), own_.begin(), own_.end());
    return out;
}

const SwitchProfile *Profiles::find(const std::string &name) const
{
    for (const SwitchProfile &p : builtInProfiles())
        if (p.name == name)
            return &p;
    for (const SwitchProfile &p : own_)
        if (p.name == name)
            return &p;
    return nullptr;
}

bool Profiles::builtIn(const std::string &name)
{
    const auto &all = builtInProfiles();
    return std::any_of(all.begin(), all.end(), [&name](const SwitchProfile &p) { return p.name == name; });
}

const SwitchProfile &Profiles::profileFor(const std::string &type, const std::string &mode) const
{
    const SwitchProfile *byType = nullptr;
    for (const Choice &c : choices_) {
        if (c.type != type)
            continue;
        if (c.mode == mode)
            if (const SwitchProfile *p = find(c.profile))
                return *p;
        if (c.mode.empty() && !byType)
            byType = find(c.profile);
    }
    return byType ? *byType : otherFixtureProfile();
}

std::variant<const SwitchProfile *, std::string> Profiles::named(const std::string &start) const
{
    const std::string want = trimmed(start, kBlanks);
    if (const SwitchProfile *p = find(want))
        return p;
    const std::string prefix = folded(want);
    const SwitchProfile *found = nullptr;
    std::string names;
    for (const auto *list : {&builtInProfiles(), &own_})
        for (const SwitchProfile &p : *list) {
            names += (names.empty() ? "" : ", ") + inQuotes(p.name);
            if (folded(p.name).compare(0, prefix.size(), prefix) == 0) {
                if (found)
                    return inQuotes(want) + " désigne plusieurs profils.";
                found = &p;
            }
        }
    if (!found)
        return "pas de profil " + inQuotes(want) + " (profils : " + names + ").";
    return found;
}

void Profiles::choose(const std::string &type, const std::string &mode, const std::string &profile)
{
    const auto it = std::find_if(choices_.begin(), choices_.end(),
                                 [&](const Choice &c) { return c.type == type && c.mode == mode; });
    if (it != choices_.end() && it->profile == profile)
        return;
    changes_.push_back({{}, {}, Choice{type, mode, profile}});
    if (it != choices_.end())
        it->profile = profile;
    else
        choices_.push_back({type, mode, profile});
}

std::string Profiles::freeName(const std::string &stem, int from) const
{
    for (int n = from;; ++n)
        if (const std::string name = stem + " " + std::to_string(n); !find(name))
            return name;
}

void Profiles::rename(const std::string &from, const std::string &to)
{
    for (Choice &c : choices_)
        if (c.profile == from)
            c.profile = to;
}

const SwitchProfile &Profiles::copyFor(const SwitchProfile &from, const std::string &type, const std::string &mode)
{
    SwitchProfile p = from;
    p.name = freeName("Profil", 1);
    own_.push_back(p);
    changes_.push_back({{}, p, {}});
    choose(type, mode, p.name);
    return own_.back();
}

std::optional<std::string> Profiles::add(SwitchProfile profile)
{
    trimNames(profile);
    if (profile.name.empty())
        return "Un profil a besoin d'un nom.";
    if (find(profile.name))
        return "Le nom " + inQuotes(profile.name) + " est déjà celui d'un autre profil.";
    own_.push_back(profile);
    changes_.push_back({{}, std::move(profile), {}});
    return std::nullopt;
}

std::optional<std::string> Profiles::change(const std::string &name, SwitchProfile changed)
{
    if (builtIn(name))
        return "Le profil " + inQuotes(name) + " vient avec le programme et ne change pas : "
               "faites-en un nouveau profil.";
    const auto it = std::find_if(own_.begin(), own_.end(), [&name](const SwitchProfile &p) { return p.name == name; });
    if (it == own_.end())
        return "Pas de profil " + inQuotes(name) + ".";
    trimNames(changed);
    if (changed.name.empty())
        return "Un profil a besoin d'un nom.";
    // Two profiles of one name could not be told apart.
    if (changed.name != name && find(changed.name))
        return "Le nom " + inQuotes(changed.name) + " est déjà celui d'un autre profil.";
    if (*it == changed)
        return std::nullopt;
    rename(name, changed.name);
    *it = changed;
    changes_.push_back({name, std::move(changed), {}});
    return std::nullopt;
}

std::string Profiles::unreadable(const std::string &path)
{
    return "Le fichier des profils " + path + " est trop grand ou illisible.";
}

std::variant<Profiles, std::string> Profiles::read(const std::string &text, const std::string &path)
{
    if (text.size() > kMostBytes)
        return unreadable(path);
    const json j = json::parse(text, nullptr, false);
    if (j.is_discarded())
        return "Le fichier des profils " + path + " n'est pas du JSON valable.";
    if (!j.is_object())
        return "Le fichier des profils " + path + " n'a pas la forme d'un fichier de profils "
               "(un objet JSON avec « profils » et « choix »).";
    Profiles out;
    std::string where = "début";
    try {
        for (const json &p : j.value("profils", json::array())) {
            where = "profil " + std::to_string(out.own_.size() + 1);
            SwitchProfile profile = profileFrom(p);
            if (out.find(profile.name))
                throw std::invalid_argument("le nom " + profile.name + " est déjà pris");
            out.own_.push_back(std::move(profile));
        }
        for (const json &c : j.value("choix", json::array())) {
            where = "choix " + std::to_string(out.choices_.size() + 1);
            out.choices_.push_back({c.at("type").get<std::string>(), c.value("mode", ""),
                                    c.at("profil").get<std::string>()});
        }
    } catch (const json::exception &) {
        // The library's own words are English.
        return "Le fichier des profils " + path + " est incorrect (" + where
               + ") : un champ manque ou n'est pas du type attendu.";
    } catch (const std::exception &e) {
        return "Le fichier des profils " + path + " est incorrect (" + where + ") : " + e.what() + ".";
    }
    return out;
}

std::string Profiles::text() const
{
    nlohmann::json j;
    j["version"] = 1;
    j["profils"] = nlohmann::json::array();
    for (const SwitchProfile &p : own_)
        j["profils"].push_back(toJson(p));
    j["choix"] = nlohmann::json::array();
    for (const Choice &c : choices_)
        j["choix"].push_back({{"type", c.type}, {"mode", c.mode}, {"profil", c.profile}});
    // Invalid UTF-8 in a name is replaced rather than thrown on.
    return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
}

Profiles Profiles::mergedInto(Profiles out) const
{
    // This store's names for its profiles, and theirs in the merged store
    // when a name was taken there.
    std::map<std::string, std::string> merged;
    const auto there = [&merged](const std::string &name) {
        const auto it = merged.find(name);
        return it == merged.end() ? name : it->second;
    };
    for (const Change &c : changes_) {
        if (c.choice) {
            out.choose(c.choice->type, c.choice->mode, there(c.choice->profile));
            continue;
        }
        SwitchProfile p = c.profile;
        const std::string was = c.was.empty() ? std::string() : there(c.was);
        const auto it = std::find_if(out.own_.begin(), out.own_.end(),
                                     [&](const SwitchProfile &q) { return !was.empty() && q.name == was; });
        if (p.name != was && out.find(p.name)) {
            // "Profil 1" made in both runs: this one becomes "Profil 2".
            std::string stem = p.name;
            int from = 2;
            const std::size_t space = stem.find_last_not_of("0123456789");
            if (space != std::string::npos && stem[space] == ' ' && stem.size() - space - 1 <= 6
                && space + 1 < stem.size()) {
                from = std::stoi(stem.substr(space + 1)) + 1;
                stem.resize(space);
            }
            p.name = out.freeName(stem, from);
        }
        merged[c.profile.name] = p.name;
        if (it == out.own_.end()) {
            out.own_.push_back(std::move(p));
        } else {
            out.rename(was, p.name);
            *it = std::move(p);
        }
    }
    out.changes_.clear();
    return out;
}

} // namespace dmx
