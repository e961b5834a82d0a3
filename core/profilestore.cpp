#include "rig.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace dmx {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

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
    return seen.size() == 9;
}

SwitchProfile profileFrom(const json &j)
{
    SwitchProfile p;
    p.name = j.at("nom").get<std::string>();
    if (p.name.empty())
        throw std::invalid_argument("un profil sans nom");
    const auto weights = j.at("poids").get<std::vector<int>>();
    if (weights.size() != 9)
        throw std::invalid_argument("il faut neuf poids");
    for (std::size_t k = 0; k < 9; ++k)
        p.order.weights[k] = static_cast<std::int16_t>(weights[k]);
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

std::variant<ProfileChoices, ReadError> loadProfileChoices(const std::string &path)
{
    const fs::path file = fs::u8path(path);
    std::error_code ec;
    if (!fs::exists(file, ec))
        return ProfileChoices{};
    const auto size = fs::file_size(file, ec);
    if (ec || size > (1u << 20))
        return ReadError{"Le fichier des profils " + path + " est trop grand ou illisible."};
    std::ifstream in(file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const json j = json::parse(text, nullptr, false);
    if (j.is_discarded())
        return ReadError{"Le fichier des profils " + path + " n'est pas du JSON valable."};
    ProfileChoices out;
    std::string where = "début";
    try {
        for (const json &p : j.value("profils", json::array())) {
            where = "profil " + std::to_string(out.own.size() + 1);
            SwitchProfile profile = profileFrom(p);
            if (out.find(profile.name))
                throw std::invalid_argument("le nom " + profile.name + " est déjà pris");
            out.own.push_back(std::move(profile));
        }
        for (const json &c : j.value("choix", json::array())) {
            where = "choix " + std::to_string(out.choices.size() + 1);
            out.choices.push_back({c.at("type").get<std::string>(), c.value("mode", ""),
                                   c.at("profil").get<std::string>()});
        }
    } catch (const std::exception &e) {
        return ReadError{"Le fichier des profils " + path + " est incorrect (" + where + ") : "
                         + e.what() + "."};
    }
    return out;
}

std::optional<std::string> saveProfileChoices(const ProfileChoices &choices,
                                              const std::string &path)
{
    json j;
    j["version"] = 1;
    j["profils"] = json::array();
    for (const SwitchProfile &p : choices.own)
        j["profils"].push_back(toJson(p));
    j["choix"] = json::array();
    for (const auto &c : choices.choices)
        j["choix"].push_back({{"type", c.type}, {"mode", c.mode}, {"profil", c.profile}});

    const fs::path file = fs::u8path(path);
    const fs::path scratch = fs::u8path(path + ".nouveau");
    std::error_code ec;
    if (file.has_parent_path())
        fs::create_directories(file.parent_path(), ec);
    {
        std::ofstream out(scratch, std::ios::binary | std::ios::trunc);
        // Invalid UTF-8 in a name is replaced rather than thrown on.
        out << j.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
        if (!out.flush())
            return "Impossible d'écrire " + path + ".";
    }
    fs::rename(scratch, file, ec);
    if (ec) {
        fs::remove(scratch, ec);
        return "Impossible de remplacer " + path + ".";
    }
    return std::nullopt;
}

} // namespace dmx
