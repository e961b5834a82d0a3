#include "patch.h"

#include "patchtext.h"

#include <minizip/unzip.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

namespace dmx {

namespace {

// What a scene may unpack, counted as the bytes come out rather than taken
// from the archive's own record of sizes.
struct Budget
{
    std::size_t perEntry, left;
};

// An archive's names: past this many, it is no scene.
constexpr std::size_t kMostEntries = 100000;

// A zip's bytes as minizip reads them: in memory, or from a file opened by
// its UTF-8 name on every system. minizip is zlib's own zip reader: it needs
// no cryptography library, which a reader loaded with the windows should not
// bring along.
struct Stream
{
    std::string_view memory;
    std::ifstream file;
    std::uint64_t size = 0, at = 0;
    bool failed = false;

    uLong read(void *to, uLong n)
    {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(n, size - std::min(at, size)));
        if (file.is_open()) {
            file.seekg(static_cast<std::streamoff>(at));
            if (!file.read(static_cast<char *>(to), static_cast<std::streamsize>(count))) {
                failed = true;
                file.clear();
                return 0;
            }
        } else {
            std::copy_n(memory.data() + at, count, static_cast<char *>(to));
        }
        at += count;
        return static_cast<uLong>(count);
    }
};

zlib_filefunc64_def streamFunctions()
{
    zlib_filefunc64_def f{};
    f.zopen64_file = [](voidpf, const void *stream, int) -> voidpf { return const_cast<void *>(stream); };
    f.zread_file = [](voidpf, voidpf s, void *to, uLong n) { return static_cast<Stream *>(s)->read(to, n); };
    f.zwrite_file = [](voidpf, voidpf, const void *, uLong) -> uLong { return 0; };
    f.ztell64_file = [](voidpf, voidpf s) -> ZPOS64_T { return static_cast<Stream *>(s)->at; };
    f.zseek64_file = [](voidpf, voidpf s, ZPOS64_T offset, int origin) -> long {
        auto *stream = static_cast<Stream *>(s);
        const std::uint64_t base = origin == ZLIB_FILEFUNC_SEEK_SET   ? 0
                                   : origin == ZLIB_FILEFUNC_SEEK_CUR ? stream->at
                                                                      : stream->size;
        if (offset > stream->size - std::min(base, stream->size))
            return -1;
        stream->at = base + offset;
        return 0;
    };
    f.zclose_file = [](voidpf, voidpf) { return 0; };
    f.zerror_file = [](voidpf, voidpf s) { return static_cast<Stream *>(s)->failed ? 1 : 0; };
    return f;
}

// One entry of an archive into memory, or the reason in French it cannot be.
struct Entry
{
    std::string bytes, problem;
};

// minizip's codes in French: it has no words of its own.
std::string reason(int code)
{
    switch (code) {
    case UNZ_CRCERROR: return "somme de contrôle fausse : fichier abîmé";
    case UNZ_BADZIPFILE: return "archive incohérente";
    case UNZ_ERRNO: return "fichier illisible";
    case Z_DATA_ERROR: return "données compressées abîmées";
    case Z_MEM_ERROR: return "mémoire insuffisante";
    default: return "archive zip illisible";
    }
}

class Archive
{
public:
    // Nothing when the bytes are no zip; why says so.
    static std::unique_ptr<Archive> open(std::unique_ptr<Stream> stream, std::string &why)
    {
        std::unique_ptr<Archive> a(new Archive(std::move(stream)));
        zlib_filefunc64_def functions = streamFunctions();
        a->zip_ = unzOpen2_64(a->stream_.get(), &functions);
        if (!a->zip_) {
            why = "pas une archive zip";
            return nullptr;
        }
        // A name given twice could be read one way here and another way
        // elsewhere: such an archive is refused.
        std::set<std::string> names;
        for (int at = unzGoToFirstFile(a->zip_); at == UNZ_OK; at = unzGoToNextFile(a->zip_)) {
            unz_file_info64 info;
            char name[1024];
            if (unzGetCurrentFileInfo64(a->zip_, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) {
                why = "archive incohérente";
                return nullptr;
            }
            if (names.size() >= kMostEntries) {
                why = "plus de 100 000 entrées";
                return nullptr;
            }
            if (!names.insert(name).second) {
                why = "un même nom y figure deux fois";
                return nullptr;
            }
        }
        return a;
    }
    static std::unique_ptr<Archive> open(std::string_view bytes, std::string &why)
    {
        auto stream = std::make_unique<Stream>();
        stream->memory = bytes;
        stream->size = bytes.size();
        return open(std::move(stream), why);
    }
    static std::unique_ptr<Archive> openFile(const std::string &path, std::string &why)
    {
        auto stream = std::make_unique<Stream>();
        stream->file.open(std::filesystem::u8path(path), std::ios::binary);
        std::error_code ec;
        stream->size = std::filesystem::file_size(std::filesystem::u8path(path), ec);
        if (!stream->file || ec) {
            why = "fichier illisible";
            return nullptr;
        }
        return open(std::move(stream), why);
    }
    ~Archive()
    {
        if (zip_)
            unzClose(zip_);
    }

    bool has(const std::string &name) { return unzLocateFile(zip_, name.c_str(), 1) == UNZ_OK; }

    // The entry has() found last.
    Entry read(Budget &budget)
    {
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            return {{}, "entrée illisible (archive incohérente)"};
        if (info.flag & 1)
            return {{}, "entrée illisible (archive chiffrée)"};
        if (info.compression_method != 0 && info.compression_method != Z_DEFLATED)
            return {{}, "entrée illisible (méthode de compression inconnue)"};
        if (const int opened = unzOpenCurrentFile(zip_); opened != UNZ_OK)
            return {{}, "entrée illisible (" + reason(opened) + ")"};
        std::string out;
        char chunk[1 << 16];
        for (;;) {
            const int got = unzReadCurrentFile(zip_, chunk, sizeof chunk);
            if (got < 0) {
                unzCloseCurrentFile(zip_);
                return {{}, "entrée abîmée (" + reason(got) + ")"};
            }
            if (got == 0)
                break;
            const auto n = static_cast<std::size_t>(got);
            if (out.size() + n > budget.perEntry || n > budget.left) {
                unzCloseCurrentFile(zip_);
                return {{}, "entrée trop grande une fois décompressée"};
            }
            budget.left -= n;
            out.append(chunk, n);
        }
        if (const int closed = unzCloseCurrentFile(zip_); closed != UNZ_OK)
            return {{}, "entrée abîmée (" + reason(closed) + ")"};
        return {std::move(out), {}};
    }

private:
    explicit Archive(std::unique_ptr<Stream> stream) : stream_(std::move(stream)) {}
    std::unique_ptr<Stream> stream_;
    unzFile zip_ = nullptr;
};

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
    Scene(Archive &archive, std::string name, const ReadOptions &options)
        : archive_(archive), name_(std::move(name)),
          budget_{options.mostEntryBytes, options.mostUnpackedBytes} {}

    std::variant<Rig, ReadError> read();

private:
    const FixtureType &type(const std::string &typeFile);
    ReadError fail(const std::string &what) const { return cannotRead(name_, what); }

    Archive &archive_;
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
    const bool found = archive_.has(typeFile) || archive_.has(typeFile + ".gdtf");
    if (!found) {
        t.problem = "fichier GDTF « " + typeFile + " » absent de la scène";
        return t;
    }
    const Entry gdtf = archive_.read(budget_);
    if (!gdtf.problem.empty()) {
        t.problem = "fichier GDTF « " + typeFile + " » : " + gdtf.problem;
        return t;
    }
    std::string why;
    const auto inner = Archive::open(gdtf.bytes, why);
    if (!inner || !inner->has("description.xml")) {
        t.problem = "fichier GDTF « " + typeFile + " » illisible (" + (inner ? "pas de description.xml" : why) + ")";
        return t;
    }
    Entry xml = inner->read(budget_);
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
    if (!archive_.has("GeneralSceneDescription.xml"))
        return fail("pas de GeneralSceneDescription.xml dans l'archive : ce n'est pas une scène MVR");
    const Entry entry = archive_.read(budget_);
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

std::variant<Rig, ReadError> readScene(const std::unique_ptr<Archive> &archive, const std::string &why,
                                       const std::string &name, const ReadOptions &options)
{
    if (!archive)
        return cannotRead(name, "ce n'est pas une archive MVR lisible (" + why + ")");
    return Scene(*archive, name, options).read();
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
    const auto archive = Archive::open(bytes, why);
    return readScene(archive, why, name, options);
}

std::variant<Rig, ReadError> readMvrFile(const std::string &path, const std::string &name,
                                         const ReadOptions &options)
{
    std::string why;
    const auto archive = Archive::openFile(path, why);
    return readScene(archive, why, name, options);
}

} // namespace dmx
