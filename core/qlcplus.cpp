#include "patch.h"

#include "patchtext.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace dmx {

namespace {

namespace fs = std::filesystem;

// A definition file is a few tens of kilobytes; anything far larger is not one.
constexpr std::uintmax_t kMostDefinitionBytes = 4u << 20;

std::optional<int> number(const pugi::xml_node &node, const char *child)
{
    return wholeNumber(node.child_value(child));
}

} // namespace

std::variant<Rig, ReadError> readQxw(std::string_view bytes, const std::string &name,
                                     const ReadOptions &options)
{
    const auto fail = [&name](const std::string &what) { return cannotRead(name, what); };
    if (bytes.size() > kMostPatchBytes)
        return fail("le fichier est trop grand pour un espace de travail QLC+");
    if (const auto dense = tooManyMarks(bytes))
        return fail(*dense);
    // pugixml keeps entity declarations unexpanded: a document cannot grow
    // while it is read.
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer(bytes.data(), bytes.size());
    if (!parsed)
        return fail("XML incorrect à la ligne " + std::to_string(lineAt(bytes, parsed.offset)) + " ("
                    + xmlReason(parsed.status) + ")");
    const pugi::xml_node engine = doc.child("Workspace").child("Engine");
    if (!engine)
        return fail("pas d'élément Workspace/Engine : ce n'est pas un espace de travail QLC+");

    Rig rig;
    LineCounter lines(bytes);
    int n = 0;
    for (const pugi::xml_node &node : engine.children("Fixture")) {
        ++n;
        Fixture f;
        f.label = node.child_value("Name");
        f.where = "élément Fixture n° " + std::to_string(n) + ", ligne "
                  + std::to_string(lines.at(node.offset_debug()));
        const std::string maker = node.child_value("Manufacturer");
        const std::string model = node.child_value("Model");
        f.type = maker.empty() ? model : model.empty() ? maker : maker + " " + model;
        f.mode = node.child_value("Mode");
        // The file counts universes and addresses from 0.
        const auto universe = number(node, "Universe");
        const auto address = number(node, "Address");
        if (!universe || *universe >= kMostUniverses)
            f.addressProblem = node.child("Universe") ? "univers « " + visible(node.child_value("Universe"))
                                                            + " » illisible"
                                                      : "univers absent";
        else
            f.universe = *universe + 1;
        if (!address)
            f.addressProblem = node.child("Address") ? "adresse « " + visible(node.child_value("Address"))
                                                           + " » illisible"
                                                     : "adresse absente";
        else if (*address >= kLastChannel)
            f.addressProblem = "adresse " + std::to_string(*address + 1) + " hors de 1 à 512";
        f.address = address.value_or(-1) + 1;
        if (node.child("Channels")) {
            const auto channels = number(node, "Channels");
            if (channels && *channels >= 1 && *channels <= kMostChannels)
                f.channels = channels;
            else
                f.channelsNote = "élément Channels « " + visible(node.child_value("Channels")) + " » illisible";
        } else if (options.library) {
            f.channels = options.library->channels(f.type, f.mode);
        }
        if (f.label.empty())
            f.label = f.type + " " + std::to_string(n);
        rig.fixtures.push_back(std::move(f));
        if (const auto tooMany = tooManyFixtures(rig))
            return fail(*tooMany);
    }
    if (rig.fixtures.empty())
        return fail("aucun appareil dans l'espace de travail");
    return rig;
}

FixtureLibrary::FixtureLibrary(const std::vector<std::string> &folders)
{
    for (const std::string &folder : folders) {
        std::error_code ec;
        fs::recursive_directory_iterator it(fs::u8path(folder),
                                            fs::directory_options::skip_permission_denied, ec);
        for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            const fs::path &p = it->path();
            if (p.extension() == ".qxf")
                files_.emplace_back(folded(p.stem().u8string()), p.u8string());
        }
    }
}

std::vector<std::string> FixtureLibrary::standardFolders()
{
    std::vector<std::string> folders;
#if defined(_WIN32)
    // QLC+'s own installer and its user folder on Windows.
    folders.push_back("C:/QLC+/Fixtures");
    if (const char *home = std::getenv("USERPROFILE"))
        folders.push_back(std::string(home) + "/QLC+/Fixtures");
#elif !defined(__EMSCRIPTEN__) // a page has no installed definitions and no home
    folders.push_back("/usr/share/qlcplus/fixtures");
    if (const char *home = std::getenv("HOME"))
        folders.push_back(std::string(home) + "/.qlcplus/fixtures");
#endif
    return folders;
}

const FixtureLibrary::Definition *FixtureLibrary::definition(const std::string &path) const
{
    auto [it, added] = read_.try_emplace(path);
    if (!added)
        return it->second ? &*it->second : nullptr;
    std::error_code ec;
    const fs::path file = fs::u8path(path);
    if (fs::file_size(file, ec) > kMostDefinitionBytes || ec)
        return nullptr;
    pugi::xml_document doc;
    if (!doc.load_file(file.c_str()))
        return nullptr;
    const pugi::xml_node root = doc.child("FixtureDefinition");
    Definition d{root.child_value("Manufacturer"), root.child_value("Model"), {}};
    for (const pugi::xml_node &mode : root.children("Mode")) {
        const auto channels = std::distance(mode.children("Channel").begin(), mode.children("Channel").end());
        d.modes.emplace_back(mode.attribute("Name").value(), static_cast<int>(channels));
    }
    it->second = std::move(d);
    return &*it->second;
}

std::optional<int> FixtureLibrary::channels(const std::string &type, const std::string &mode) const
{
    const std::string wanted = folded(type);
    if (wanted.empty())
        return std::nullopt;
    // Files are named maker-model: the full name, or its end for a model alone.
    for (const auto &[stem, path] : files_) {
        if (stem.size() < wanted.size() || stem.compare(stem.size() - wanted.size(), wanted.size(), wanted) != 0)
            continue;
        const Definition *d = definition(path);
        if (!d || (folded(d->maker + d->model) != wanted && folded(d->model) != wanted))
            continue;
        if (mode.empty() && d->modes.size() == 1 && d->modes.front().second > 0)
            return d->modes.front().second;
        for (const auto &[modeName, count] : d->modes)
            if (folded(modeName) == folded(mode) && count > 0)
                return count;
    }
    return std::nullopt;
}

} // namespace dmx
