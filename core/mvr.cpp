#include "patch.h"

#include "patchtext.h"

#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <memory>

namespace dmx {

namespace {

using Archive = std::unique_ptr<zip_t, decltype(&zip_discard)>;

// What a scene may unpack, counted as the bytes come out rather than taken
// from the archive's own record of sizes.
struct Budget
{
    std::size_t perEntry, left;
};

// libzip's reason in French, from its code: its own words are English.
std::string reason(const zip_error_t *error)
{
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_OK: return "aucune erreur";
    case ZIP_ER_MULTIDISK: return "archive en plusieurs volumes";
    case ZIP_ER_RENAME:
    case ZIP_ER_CLOSE:
    case ZIP_ER_WRITE:
    case ZIP_ER_TMPOPEN:
    case ZIP_ER_REMOVE:
    case ZIP_ER_RDONLY: return "écriture impossible";
    case ZIP_ER_SEEK:
    case ZIP_ER_READ:
    case ZIP_ER_OPEN:
    case ZIP_ER_NOENT: return "fichier illisible";
    case ZIP_ER_CRC: return "somme de contrôle fausse : fichier abîmé";
    case ZIP_ER_ZIPCLOSED:
    case ZIP_ER_INTERNAL:
    case ZIP_ER_INUSE:
    case ZIP_ER_CANCELLED: return "erreur interne du lecteur zip";
    case ZIP_ER_EXISTS: return "un même nom y figure deux fois";
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA: return "données compressées abîmées";
    case ZIP_ER_MEMORY: return "mémoire insuffisante";
    case ZIP_ER_CHANGED:
    case ZIP_ER_INVAL:
    case ZIP_ER_OPNOTSUPP:
        return "opération refusée par le lecteur zip";
    case ZIP_ER_COMPNOTSUPP: return "méthode de compression inconnue";
    case ZIP_ER_EOF: return "fichier coupé avant la fin";
    case ZIP_ER_NOZIP: return "pas une archive zip";
    case ZIP_ER_INCONS: return "archive incohérente";
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD: return "archive chiffrée";
    case ZIP_ER_DELETED: return "entrée effacée";
    case ZIP_ER_TELL: return "position illisible dans le fichier";
    default: return "archive zip illisible";
    }
}

// One entry of an archive into memory, or the reason in French it cannot be.
struct Entry
{
    std::string bytes, problem;
};

Entry readEntry(zip_t *archive, zip_int64_t index, Budget &budget)
{
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0),
                                                           &zip_fclose);
    if (!file)
        return {{}, "entrée illisible (" + reason(zip_get_error(archive)) + ")"};
    std::string out;
    char chunk[1 << 16];
    for (;;) {
        const zip_int64_t got = zip_fread(file.get(), chunk, sizeof chunk);
        if (got < 0)
            return {{}, "entrée abîmée (" + reason(zip_file_get_error(file.get())) + ")"};
        if (got == 0)
            return {std::move(out), {}};
        const auto n = static_cast<std::size_t>(got);
        if (out.size() + n > budget.perEntry || n > budget.left)
            return {{}, "entrée trop grande une fois décompressée"};
        budget.left -= n;
        out.append(chunk, n);
    }
}

Archive openArchive(std::string_view bytes, std::string &why)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t *archive = source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
    if (!archive) {
        why = reason(&error);
        if (source)
            zip_source_free(source);
    }
    zip_error_fini(&error);
    return Archive(archive, &zip_discard);
}

using Span = std::pair<int, int>; // lowest, highest

void widen(std::map<int, Span> &spans, int key, int low, int high)
{
    auto [it, added] = spans.try_emplace(key, low, high);
    it->second.first = std::min(it->second.first, low);
    it->second.second = std::max(it->second.second, high);
}

// What a GDTF description says of its geometries and modes, gathered once per
// file whatever the number of modes the scene uses.
struct TypeIndex
{
    std::map<std::string, pugi::xml_node> modes;
    // Each geometry's top-level geometry.
    std::map<std::string, std::string> topOf;
    // References under a top-level geometry repeat another top-level
    // geometry's channels at their own offsets, per break: only the lowest
    // and highest offset matter to a footprint. (top, referenced) -> break -> offsets
    std::map<std::pair<std::string, std::string>, std::map<int, Span>> repeats;
};

TypeIndex indexOf(const pugi::xml_document &doc)
{
    TypeIndex index;
    const pugi::xml_node type = doc.child("GDTF").child("FixtureType");
    for (const pugi::xml_node &mode : type.child("DMXModes").children("DMXMode"))
        index.modes.emplace(mode.attribute("Name").value(), mode);
    for (const pugi::xml_node &top : type.child("Geometries").children()) {
        const std::string topName = top.attribute("Name").value();
        index.topOf[topName] = topName;
        for (const pugi::xpath_node &d : top.select_nodes(".//*[@Name]")) {
            const pugi::xml_node g = d.node();
            index.topOf.emplace(g.attribute("Name").value(), topName);
            if (std::string(g.name()) != "GeometryReference")
                continue;
            auto &spans = index.repeats[{topName, g.attribute("Geometry").value()}];
            for (const pugi::xml_node &b : g.children("Break")) {
                const int offset = wholeNumber(b.attribute("DMXOffset").value()).value_or(1);
                widen(spans, wholeNumber(b.attribute("DMXBreak").value()).value_or(1), offset, offset);
            }
        }
    }
    return index;
}

// A mode's slots per break.
std::variant<std::map<int, BreakSlots>, ReadError> footprintOf(const TypeIndex &index, const std::string &mode,
                                                               const std::string &name)
{
    const auto found = index.modes.find(mode);
    if (found == index.modes.end())
        return ReadError{"fichier GDTF « " + name + " » : pas de mode « " + mode + " »"};
    const pugi::xml_node dmxMode = found->second;
    const std::string modeTop = dmxMode.attribute("Geometry").value();

    std::map<int, Span> slots; // per break
    for (const pugi::xml_node &channel : dmxMode.child("DMXChannels").children("DMXChannel")) {
        const int dmxBreak = wholeNumber(channel.attribute("DMXBreak").value()).value_or(1);
        // "None" (or nothing) is a virtual channel: no slot at all.
        std::optional<Span> offsets;
        const std::string list = channel.attribute("Offset").value();
        for (std::size_t at = 0; at < list.size();) {
            const std::size_t comma = std::min(list.find(',', at), list.size());
            if (const auto n = wholeNumber(list.substr(at, comma - at)); n && *n >= 1)
                offsets = Span(std::min(offsets ? offsets->first : *n, *n), std::max(offsets ? offsets->second : *n, *n));
            at = comma + 1;
        }
        if (!offsets)
            continue;
        const auto top = index.topOf.find(channel.attribute("Geometry").value());
        const std::map<int, Span> *repeat = nullptr;
        if (top != index.topOf.end() && top->second != modeTop)
            if (const auto r = index.repeats.find({modeTop, top->second}); r != index.repeats.end())
                repeat = &r->second;
        const auto span = repeat ? repeat->find(dmxBreak) : std::map<int, Span>::const_iterator();
        if (!repeat || span == repeat->end())
            widen(slots, dmxBreak, offsets->first, offsets->second);
        else
            widen(slots, dmxBreak, span->second.first + offsets->first - 1, span->second.second + offsets->second - 1);
    }
    std::map<int, BreakSlots> footprint;
    for (const auto &[b, range] : slots)
        footprint[b] = {range.first, range.second};
    return footprint;
}


// A fixture type's modes, from the GDTF file inside the scene; read once per file.
struct FixtureType
{
    std::string name;    // maker and model
    std::string problem; // why no footprint can come from it
    pugi::xml_document doc; // parsed once, whatever the number of modes used
    TypeIndex index;
};

class Scene
{
public:
    Scene(zip_t *archive, std::string name, const ReadOptions &options)
        : archive_(archive), name_(std::move(name)),
          budget_{options.mostEntryBytes, options.mostUnpackedBytes} {}

    std::variant<Rig, ReadError> read();

private:
    const FixtureType &type(const std::string &typeFile);
    ReadError fail(const std::string &what) const { return cannotRead(name_, what); }

    zip_t *archive_;
    std::string name_;
    Budget budget_;
    std::map<std::string, FixtureType> types_;
    std::map<std::pair<std::string, std::string>, std::variant<std::map<int, BreakSlots>, ReadError>> footprints_;
};

const FixtureType &Scene::type(const std::string &typeFile)
{
    auto [it, added] = types_.try_emplace(typeFile);
    FixtureType &t = it->second;
    if (!added)
        return t;
    // Only looked up by name inside the archive: nothing is unpacked to disk,
    // so a name climbing out with "../" leads nowhere.
    zip_int64_t index = zip_name_locate(archive_, typeFile.c_str(), 0);
    if (index < 0)
        index = zip_name_locate(archive_, (typeFile + ".gdtf").c_str(), 0);
    if (index < 0) {
        t.problem = "fichier GDTF « " + typeFile + " » absent de la scène";
        return t;
    }
    const Entry gdtf = readEntry(archive_, index, budget_);
    if (!gdtf.problem.empty()) {
        t.problem = "fichier GDTF « " + typeFile + " » : " + gdtf.problem;
        return t;
    }
    std::string why;
    const Archive inner = openArchive(gdtf.bytes, why);
    const zip_int64_t description = inner ? zip_name_locate(inner.get(), "description.xml", 0) : -1;
    if (description < 0) {
        t.problem = "fichier GDTF « " + typeFile + " » illisible (" + (inner ? "pas de description.xml" : why) + ")";
        return t;
    }
    Entry xml = readEntry(inner.get(), description, budget_);
    if (!xml.problem.empty()) {
        t.problem = "fichier GDTF « " + typeFile + " » : " + xml.problem;
        return t;
    }
    const std::string &text = xml.bytes;
    if (const auto dense = tooManyMarks(text)) {
        t.problem = "fichier GDTF « " + typeFile + " » : " + *dense;
        return t;
    }
    const pugi::xml_parse_result parsed = t.doc.load_buffer(text.data(), text.size());
    if (!parsed) {
        t.problem = "fichier GDTF « " + typeFile + " » : description.xml, XML incorrect à la ligne "
                    + std::to_string(lineAt(text, parsed.offset)) + " (" + xmlReason(parsed.status) + ")";
        return t;
    }
    t.index = indexOf(t.doc);
    const pugi::xml_node ft = t.doc.child("GDTF").child("FixtureType");
    const std::string maker = ft.attribute("Manufacturer").value();
    const std::string model = ft.attribute("Name").value();
    t.name = maker.empty() ? model : maker + " " + model;
    return t;
}

std::variant<Rig, ReadError> Scene::read()
{
    const zip_int64_t index = zip_name_locate(archive_, "GeneralSceneDescription.xml", 0);
    if (index < 0)
        return fail("pas de GeneralSceneDescription.xml dans l'archive : ce n'est pas une scène MVR");
    const Entry entry = readEntry(archive_, index, budget_);
    if (!entry.problem.empty())
        return fail("GeneralSceneDescription.xml : " + entry.problem);
    const std::string &xml = entry.bytes;
    if (const auto dense = tooManyMarks(xml))
        return fail("GeneralSceneDescription.xml : " + *dense);
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer(xml.data(), xml.size());
    if (!parsed)
        return fail("GeneralSceneDescription.xml, XML incorrect à la ligne "
                    + std::to_string(lineAt(xml, parsed.offset)) + " (" + xmlReason(parsed.status) + ")");
    const pugi::xml_node scene = doc.child("GeneralSceneDescription").child("Scene");
    if (!scene)
        return fail("GeneralSceneDescription.xml sans élément Scene");

    Rig rig;
    LineCounter lines(xml);
    // Fixtures may sit in layers, groups or under trusses: every one counts.
    for (const pugi::xpath_node &found : scene.select_nodes(".//Fixture")) {
        const pugi::xml_node node = found.node();
        const std::string where = "GeneralSceneDescription.xml, ligne "
                                  + std::to_string(lines.at(node.offset_debug()));
        std::string label = node.attribute("name").value();
        if (label.empty())
            label = node.child_value("FixtureID");
        const std::string typeFile = node.child_value("GDTFSpec");
        const std::string mode = node.child_value("GDTFMode");
        const FixtureType &t = type(typeFile);
        if (label.empty())
            label = (t.name.empty() ? "Appareil" : t.name) + " " + std::to_string(rig.fixtures.size() + 1);
        std::optional<std::map<int, BreakSlots>> footprint;
        std::string problem = t.problem;
        if (problem.empty()) {
            auto [cached, added] = footprints_.try_emplace({typeFile, mode}, std::map<int, BreakSlots>{});
            if (added)
                cached->second = footprintOf(t.index, mode, typeFile);
            if (auto *f = std::get_if<0>(&cached->second))
                footprint = *f;
            else
                problem = std::get<1>(cached->second).message;
        }
        bool patched = false;
        for (const pugi::xml_node &a : node.child("Addresses").children("Address")) {
            const std::string text = a.text().get();
            const AddressRead address = readAddress(text);
            const auto dmxBreak = wholeNumber(a.attribute("break").value()).value_or(0);
            if (address.problem.empty() && address.at.address == 0)
                continue; // not patched
            patched = true;
            Fixture f;
            f.label = dmxBreak == 0 ? label : label + " (partie " + std::to_string(dmxBreak + 1) + ")";
            f.type = t.name.empty() ? typeFile : t.name;
            f.mode = mode;
            f.universe = address.at.universe;
            f.address = address.at.address;
            f.addressProblem = address.problem;
            f.where = where;
            if (footprint) {
                // Address breaks count from 0, the GDTF's DMX breaks from 1.
                const auto slots = footprint->find(dmxBreak + 1);
                if (slots != footprint->end()) {
                    f.channels = slots->second.last - slots->second.first + 1;
                    f.offset = slots->second.first - 1;
                }
            }
            f.channelsNote = problem;
            rig.fixtures.push_back(std::move(f));
        }
        rig.unpatched += !patched;
        if (const auto tooMany = tooManyFixtures(rig))
            return fail(*tooMany);
    }
    if (rig.fixtures.empty() && rig.unpatched == 0)
        return fail("aucun appareil dans la scène");
    return rig;
}

std::variant<Rig, ReadError> readScene(Archive archive, const std::string &why,
                                       const std::string &name, const ReadOptions &options)
{
    if (!archive)
        return cannotRead(name, "ce n'est pas une archive MVR lisible (" + why + ")");
    return Scene(archive.get(), name, options).read();
}

} // namespace

std::variant<std::map<int, BreakSlots>, ReadError> gdtfFootprint(std::string_view descriptionXml,
                                                                 const std::string &mode,
                                                                 const std::string &name)
{
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer(descriptionXml.data(), descriptionXml.size());
    if (!parsed)
        return ReadError{"fichier GDTF « " + name + " » : description.xml, XML incorrect à la ligne "
                         + std::to_string(lineAt(descriptionXml, parsed.offset))};
    return footprintOf(indexOf(doc), mode, name);
}


std::variant<Rig, ReadError> readMvr(std::string_view bytes, const std::string &name,
                                     const ReadOptions &options)
{
    std::string why;
    Archive archive = openArchive(bytes, why);
    return readScene(std::move(archive), why, name, options);
}

std::variant<Rig, ReadError> readMvrFile(const std::string &path, const std::string &name,
                                         const ReadOptions &options)
{
    int error = 0;
    zip_t *archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    std::string why;
    if (!archive) {
        zip_error_t e;
        zip_error_init_with_code(&e, error);
        why = reason(&e);
        zip_error_fini(&e);
    }
    return readScene(Archive(archive, &zip_discard), why, name, options);
}

} // namespace dmx
