#pragma once

#include "rig.h"
#include "sheet.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Reading a console's or a plan's patch into a rig: CSV lists, QLC+
// workspaces (.qxw) and MVR scenes. Every failure is one French sentence
// naming the file and where; nothing is ever written to disk. Paths are
// UTF-8 on every system, Windows included.
namespace dmx {

// Channel counts by fixture type and mode, from QLC+ fixture definitions
// (.qxf). Files are found by name and read only when a type is asked for, so
// pointing at the thousand-odd definitions of a QLC+ install costs a folder
// listing.
class FixtureLibrary
{
public:
    FixtureLibrary() = default;
    // The folders' .qxf files, recursively; missing folders are skipped.
    explicit FixtureLibrary(const std::vector<std::string> &folders);

    // Where Debian's qlcplus-data puts its definitions, and QLC+'s user folder.
    static std::vector<std::string> standardFolders();

    // The mode's channel count; a type names maker and model ("Martin MAC
    // 250"), or the model alone when one maker has it. An empty mode matches
    // a definition with a single mode.
    std::optional<int> channels(const std::string &type, const std::string &mode) const;
    std::size_t files() const { return files_.size(); }

private:
    struct Definition
    {
        std::string maker, model;
        std::vector<std::pair<std::string, int>> modes;
    };
    const Definition *definition(const std::string &path) const;

    std::vector<std::pair<std::string, std::string>> files_; // folded file name, path
    mutable std::map<std::string, std::optional<Definition>> read_;
};

// Largest file read: a patch is small; MVR scenes are opened in place and
// only the entries needed are read, each within its own limit.
inline constexpr int kMostUniverses = 32768;
inline constexpr std::size_t kMostPatchBytes = 64u << 20;
inline constexpr std::size_t kMostEntryBytes = 64u << 20;  // one entry of a zip, unpacked
inline constexpr std::size_t kMostUnpackedBytes = 256u << 20; // all entries of one file

struct ReadOptions
{
    // Where a patch gives a type but no channel count; none by default.
    const FixtureLibrary *library = nullptr;
    // What an archive may unpack, counted as the bytes come out.
    std::size_t mostEntryBytes = kMostEntryBytes;
    std::size_t mostUnpackedBytes = kMostUnpackedBytes;
};

// A CSV list: ';', ',' or tab between fields, UTF-8 (with or without its
// mark), UTF-16 with its mark, or Windows-1252. The first line with text
// names the columns, in French or English, case and accents aside:
//   Nom, Name, Label, Libellé             the fixture's label
//   Fabricant, Marque, Manufacturer       joined before the type
//   Type, Fixture, Modèle, Model, Appareil
//   Mode, Personality
//   Univers, Universe, Ligne DMX          when the address is within one
//   Adresse, Address, DMX, Patch          required; any notation below
//   Canaux, Channels, Footprint           else the library's count
// A plan's Dimmer column is the address when there is no Address; console
// heads (Headno, Headname, Dmxno, Headtype) and plan units (Position, Unit
// Number, Purpose, Instrument Type, Num Channels) name the rest. Rows
// without an address are counted (Rig::unpatched) and left out; a row whose
// address is unreadable or off the line is kept, with the reason. A list
// without headings is read when its two columns are a label and an address.
//
// Chooses the reader by extension (.csv .txt .tsv, .qxw, .mvr, .asc), else
// by the first bytes (a zip, XML, USITT ASCII's IDENT, text).
std::variant<Rig, ReadError> readPatch(const std::string &path, const ReadOptions &options = {});
// The same choice for a file's bytes already in memory (a page given a file
// by the browser); name is the file's name, for its ending and for messages.
std::variant<Rig, ReadError> readPatchBytes(std::string_view bytes, const std::string &name,
                                            const ReadOptions &options = {});
// As the tool reads a patch a user opens: the counts a patch lacks come from
// the fixture definitions installed on this machine.
std::variant<Rig, ReadError> readInstalledPatch(const std::string &path);

// The same readers on bytes in memory; name is the file's name for messages.
std::variant<Rig, ReadError> readCsvPatch(std::string_view bytes, const std::string &name,
                                          const ReadOptions &options = {});
std::variant<Rig, ReadError> readQxw(std::string_view bytes, const std::string &name,
                                     const ReadOptions &options = {});
std::variant<Rig, ReadError> readMvr(std::string_view bytes, const std::string &name,
                                     const ReadOptions &options = {});
// A USITT ASCII show file (.asc), as Eos, Vectorworks and WYSIWYG export it:
// its PATCH lines only, each dimmer a one-slot fixture named after its
// console channel ("Circuit 12"); cues and the consoles' own keywords aside.
std::variant<Rig, ReadError> readUsittAscii(std::string_view bytes, const std::string &name,
                                            const ReadOptions &options = {});

// One address as patch lists write it: "101", "2.101", "2/101", "2-101",
// "2:101", or absolute ("613" = universe 2, address 101). Universe from 1,
// address 0 to 512 (0 is kept, for the checks to name).
struct PatchAddress
{
    int universe = 1;
    int address = 1;
};
std::optional<PatchAddress> parsePatchAddress(std::string_view text);

// A GDTF mode's slots on one DMX break, counted from that break's address
// (1 is the address itself): the lowest and the highest its channels take.
struct BreakSlots
{
    int first = 1, last = 1;
    bool operator==(const BreakSlots &o) const { return first == o.first && last == o.last; }
};

// A GDTF file's (description.xml's) mode footprint, per DMX break (from 1).
std::variant<std::map<int, BreakSlots>, ReadError> gdtfFootprint(std::string_view descriptionXml,
                                                                 const std::string &mode,
                                                                 const std::string &name);

} // namespace dmx
