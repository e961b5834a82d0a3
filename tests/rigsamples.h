#pragma once

// Sample patches made on the spot: zip archives built with minizip, GDTF
// fixture types and MVR scenes around them. The tests, the fuzz seeds and the
// bench's generator (tools/make_rig) share them.

#include <minizip/zip.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace samples {

using Entries = std::vector<std::pair<std::string, std::string>>;

// An archive being written, in memory: minizip writes through these.
struct ZipBuffer
{
    std::string bytes;
    std::size_t at = 0;
};

// The archive's bytes; MVR scenes are stored, GDTF types deflated; with a
// password, every entry is encrypted.
inline std::string zipOf(const Entries &entries, bool deflate = true, const char *password = nullptr)
{
    ZipBuffer buffer;
    zlib_filefunc64_def f{};
    f.zopen64_file = [](voidpf, const void *b, int) -> voidpf { return const_cast<void *>(b); };
    f.zread_file = [](voidpf, voidpf, void *, uLong) -> uLong { return 0; };
    f.zwrite_file = [](voidpf, voidpf b, const void *from, uLong n) -> uLong {
        auto *z = static_cast<ZipBuffer *>(b);
        if (z->bytes.size() < z->at + n)
            z->bytes.resize(z->at + n);
        std::copy_n(static_cast<const char *>(from), n, z->bytes.begin() + static_cast<std::ptrdiff_t>(z->at));
        z->at += n;
        return n;
    };
    f.ztell64_file = [](voidpf, voidpf b) -> ZPOS64_T { return static_cast<ZipBuffer *>(b)->at; };
    f.zseek64_file = [](voidpf, voidpf b, ZPOS64_T offset, int origin) -> long {
        auto *z = static_cast<ZipBuffer *>(b);
        z->at = (origin == ZLIB_FILEFUNC_SEEK_SET ? 0 : origin == ZLIB_FILEFUNC_SEEK_CUR ? z->at : z->bytes.size())
                + static_cast<std::size_t>(offset);
        return 0;
    };
    f.zclose_file = [](voidpf, voidpf) { return 0; };
    f.zerror_file = [](voidpf, voidpf) { return 0; };
    zipFile archive = zipOpen2_64(&buffer, APPEND_STATUS_CREATE, nullptr, &f);
    if (!archive)
        throw std::runtime_error("zipOpen2_64");
    for (const auto &[name, bytes] : entries) {
        // Bit 11: the name is UTF-8.
        if (zipOpenNewFileInZip4_64(archive, name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr,
                                    deflate ? Z_DEFLATED : 0, Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS,
                                    DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, password,
                                    crc32(0, reinterpret_cast<const Bytef *>(bytes.data()),
                                          static_cast<uInt>(bytes.size())),
                                    0, 1 << 11, 0) != ZIP_OK
            || zipWriteInFileInZip(archive, bytes.data(), static_cast<unsigned>(bytes.size())) != ZIP_OK
            || zipCloseFileInZip(archive) != ZIP_OK)
            throw std::runtime_error("zip entry " + name);
    }
    if (zipClose(archive, nullptr) != ZIP_OK)
        throw std::runtime_error("zipClose");
    return std::move(buffer.bytes);
}

// A GDTF file: description.xml with the given geometries and modes.
inline std::string gdtf(const std::string &maker, const std::string &model,
                        const std::string &geometries, const std::string &modes)
{
    return zipOf({{"description.xml",
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<GDTF DataVersion=\"1.2\">\n"
                   "<FixtureType Name=\"" + model + "\" Manufacturer=\"" + maker + "\">\n"
                   "<Geometries>" + geometries + "</Geometries>\n"
                   "<DMXModes>" + modes + "</DMXModes>\n</FixtureType>\n</GDTF>\n"}});
}

inline std::string channel(const std::string &offset, const std::string &geometry,
                           const std::string &dmxBreak = "")
{
    return "<DMXChannel" + (dmxBreak.empty() ? "" : " DMXBreak=\"" + dmxBreak + "\"")
           + " Offset=\"" + offset + "\" Geometry=\"" + geometry + "\"><LogicalChannel/></DMXChannel>\n";
}

// A spot: dimmer, 16-bit pan, a virtual channel, colour; four slots.
inline std::string spotType()
{
    return gdtf("Acme", "Spot 4", "<Geometry Name=\"Base\"><Geometry Name=\"Head\"/></Geometry>",
                "<DMXMode Name=\"Standard\" Geometry=\"Base\"><DMXChannels>\n" + channel("1", "Base")
                    + channel("2,3", "Head") + channel("None", "Head") + channel("4", "Head")
                    + "</DMXChannels></DMXMode>"
                    + "<DMXMode Name=\"Basic\" Geometry=\"Base\"><DMXChannels>" + channel("1", "Base")
                    + "</DMXChannels></DMXMode>");
}

// A bar of four cells, one cell's channels repeated by four references, and a
// master: five slots from two DMXChannel elements; a second break for a
// scroller.
inline std::string barType()
{
    std::string refs;
    for (int k = 1; k <= 4; ++k)
        refs += "<GeometryReference Name=\"Cell" + std::to_string(k) + "\" Geometry=\"Cell\">"
                "<Break DMXOffset=\"" + std::to_string(k + 1) + "\"/><Break DMXBreak=\"2\" DMXOffset=\"1\"/>"
                "</GeometryReference>";
    return gdtf("Acme", "Bar 4", "<Geometry Name=\"Cell\"><Beam Name=\"Lens\"/></Geometry>"
                "<Geometry Name=\"Body\">" + refs + "</Geometry>",
                "<DMXMode Name=\"Cells\" Geometry=\"Body\"><DMXChannels>\n" + channel("1", "Body")
                    + channel("1", "Lens") + channel("1", "Body", "2") + "</DMXChannels></DMXMode>");
}

// A wash on two breaks: slots 1 to 33 on the first, and on the second its
// channels at offsets 34 to 90 of that break's address.
inline std::string washType()
{
    return gdtf("Acme", "Wash 2", "<Geometry Name=\"Body\"/>",
                "<DMXMode Name=\"Full\" Geometry=\"Body\"><DMXChannels>\n" + channel("1", "Body")
                    + channel("32,33", "Body") + channel("34", "Body", "2") + channel("89,90", "Body", "2")
                    + "</DMXChannels></DMXMode>");
}

inline std::string fixture(const std::string &name, const std::string &typeFile, const std::string &mode,
                           const std::string &addresses)
{
    return "<Fixture name=\"" + name + "\" uuid=\"0\"><GDTFSpec>" + typeFile + "</GDTFSpec><GDTFMode>" + mode
           + "</GDTFMode><Addresses>" + addresses + "</Addresses><FixtureID>1</FixtureID>"
           "<UnitNumber>0</UnitNumber></Fixture>\n";
}

inline std::string address(const std::string &value, int dmxBreak = 0)
{
    return "<Address break=\"" + std::to_string(dmxBreak) + "\">" + value + "</Address>";
}

inline std::string sceneXml(const std::string &childList, const std::string &doctype = "")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + doctype
           + "<GeneralSceneDescription verMajor=\"1\" verMinor=\"5\"><Scene><Layers>"
             "<Layer name=\"Salle\" uuid=\"1\"><ChildList>\n" + childList
           + "</ChildList></Layer></Layers></Scene></GeneralSceneDescription>\n";
}

inline std::string mvr(const std::string &childList, Entries more = {})
{
    more.insert(more.begin(), {{"GeneralSceneDescription.xml", sceneXml(childList)},
                               {"Acme@Spot4.gdtf", spotType()},
                               {"Acme@Bar4.gdtf", barType()},
                               {"Acme@Wash2.gdtf", washType()}});
    return zipOf(more, false);
}

// A large rig for the bench: spots and bars in turn, packed line after line,
// each line's fixtures inside a group, every other group under a truss.
inline std::string benchScene(int fixtures, int lines)
{
    std::string children;
    const int perLine = (fixtures + lines - 1) / lines;
    for (int line = 1, made = 0; line <= lines && made < fixtures; ++line) {
        std::string group;
        for (int k = 0, next = 1; k < perLine && made < fixtures; ++k, ++made) {
            const bool spot = made % 2 == 0;
            group += fixture((spot ? "Spot " : "Barre ") + std::to_string(made + 1),
                             spot ? "Acme@Spot4.gdtf" : "Acme@Bar4", spot ? "Standard" : "Cells",
                             address(std::to_string(line) + "." + std::to_string(next)));
            next += spot ? 4 : 5;
        }
        group = "<GroupObject name=\"Ligne " + std::to_string(line) + "\" uuid=\"g\"><ChildList>" + group
                + "</ChildList></GroupObject>\n";
        if (line % 2 == 0)
            group = "<Truss name=\"Pont\" uuid=\"t\"><ChildList>" + group + "</ChildList></Truss>\n";
        children += group;
    }
    return mvr(children);
}

} // namespace samples
