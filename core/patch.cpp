#include "patch.h"

#include "patchtext.h"
#include "text.h"

#include <csv.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

namespace dmx {

namespace {

namespace fs = std::filesystem;

enum class Column { Label, Maker, Type, Mode, Universe, Address, Channels };

// Headings as spreadsheets and consoles write them, folded (lower case, no
// accents, letters and digits only).
const std::map<std::string, Column> &headingWords()
{
    static const std::map<std::string, Column> words{
        {"nom", Column::Label}, {"name", Column::Label}, {"label", Column::Label},
        {"libelle", Column::Label}, {"etiquette", Column::Label}, {"projecteur", Column::Label},
        {"fabricant", Column::Maker}, {"marque", Column::Maker}, {"manufacturer", Column::Maker},
        {"maker", Column::Maker}, {"constructeur", Column::Maker},
        {"type", Column::Type}, {"fixture", Column::Type}, {"fixturetype", Column::Type},
        {"modele", Column::Type}, {"model", Column::Type}, {"appareil", Column::Type},
        {"mode", Column::Mode}, {"personality", Column::Mode}, {"personnalite", Column::Mode},
        {"dmxmode", Column::Mode},
        {"univers", Column::Universe}, {"universe", Column::Universe}, {"univ", Column::Universe},
        {"lignedmx", Column::Universe}, {"dmxline", Column::Universe},
        {"adresse", Column::Address}, {"address", Column::Address}, {"dmx", Column::Address},
        {"adr", Column::Address}, {"addr", Column::Address}, {"adressedmx", Column::Address},
        {"dmxaddress", Column::Address}, {"patch", Column::Address}, {"startaddress", Column::Address},
        {"canaux", Column::Channels}, {"channels", Column::Channels}, {"nbcanaux", Column::Channels},
        {"nombredecanaux", Column::Channels}, {"footprint", Column::Channels},
        {"chans", Column::Channels}, {"ch", Column::Channels}, {"channelcount", Column::Channels},
    };
    return words;
}

const char *columnName(Column c)
{
    switch (c) {
    case Column::Label: return "Nom";
    case Column::Maker: return "Fabricant";
    case Column::Type: return "Type";
    case Column::Mode: return "Mode";
    case Column::Universe: return "Univers";
    case Column::Address: return "Adresse";
    case Column::Channels: return "Canaux";
    }
    return "";
}

// Spreadsheets may put a title or two above the headings.
constexpr std::size_t kMostLinesBeforeHeadings = 10;

// The separator the first lines use most, outside quotes.
char separatorOf(std::string_view text)
{
    std::map<char, int> counts{{';', 0}, {'\t', 0}, {',', 0}};
    bool quoted = false;
    std::size_t lines = 0;
    for (const char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && counts.count(c))
            ++counts[c];
        else if (c == '\n' && ++lines > kMostLinesBeforeHeadings)
            break;
    }
    char best = ';';
    for (const char c : {'\t', ','})
        if (counts[c] > counts[best])
            best = c;
    return best;
}

struct CsvReader
{
    std::vector<std::vector<std::string>> records;
    std::vector<int> lines; // the line each record ends on
    std::vector<std::string> fields;
    int line = 1;
};

void onField(void *data, std::size_t size, void *reader)
{
    auto *r = static_cast<CsvReader *>(reader);
    r->fields.emplace_back(data ? static_cast<const char *>(data) : "", data ? size : 0);
}

void onRecord(int, void *reader)
{
    auto *r = static_cast<CsvReader *>(reader);
    r->records.push_back(std::move(r->fields));
    r->lines.push_back(r->line);
    r->fields.clear();
}

int onlySpace(unsigned char c) { return c == CSV_SPACE; }

// Splits the text into records with libcsv, fed a line at a time so that each
// record knows the line it ends on.
std::optional<CsvReader> records(std::string_view text, char sep)
{
    csv_parser parser;
    if (csv_init(&parser, 0) != 0)
        return std::nullopt;
    csv_set_delim(&parser, static_cast<unsigned char>(sep));
    if (sep == '\t')
        csv_set_space_func(&parser, onlySpace);
    CsvReader reader;
    bool ok = true;
    for (std::size_t at = 0; at < text.size() && ok;) {
        const std::size_t end = std::min(text.find('\n', at), text.size() - 1) + 1;
        ok = csv_parse(&parser, text.data() + at, end - at, onField, onRecord, &reader) == end - at;
        at = end;
        ++reader.line;
    }
    --reader.line;
    ok = ok && csv_fini(&parser, onField, onRecord, &reader) == 0;
    csv_free(&parser);
    if (!ok)
        return std::nullopt;
    return reader;
}

std::string trimmed(std::string_view s)
{
    return dmx::trimmed(s, " \t\r");
}

} // namespace

std::optional<PatchAddress> parsePatchAddress(std::string_view text)
{
    const std::string s = trimmed(std::string(text));
    const auto split = s.find_first_of("./-:");
    if (split == std::string::npos) {
        const auto absolute = wholeNumber(s);
        if (!absolute || *absolute > kMostUniverses * kLastChannel)
            return std::nullopt;
        if (*absolute == 0)
            return PatchAddress{1, 0};
        return PatchAddress{(*absolute - 1) / kLastChannel + 1, (*absolute - 1) % kLastChannel + 1};
    }
    const auto universe = wholeNumber(trimmed(s.substr(0, split)));
    const auto address = wholeNumber(trimmed(s.substr(split + 1)));
    if (!universe || !address || *universe < 1 || *universe > kMostUniverses
        || *address > kLastChannel)
        return std::nullopt;
    return PatchAddress{*universe, *address};
}

std::variant<Rig, ReadError> readCsvPatch(std::string_view bytes, const std::string &name,
                                          const ReadOptions &options)
{
    const auto fail = [&name](const std::string &what) { return cannotRead(name, what); };
    if (bytes.size() > kMostPatchBytes)
        return fail("le fichier est trop grand pour une liste de patch");
    const std::string text = utf8Text(bytes);
    const char sep = separatorOf(text);
    const auto parsed = records(text, sep);
    if (!parsed)
        return fail("le texte n'est pas une liste CSV lisible");

    const auto blank = [](const std::vector<std::string> &r) {
        return std::all_of(r.begin(), r.end(), [](const std::string &f) { return trimmed(f).empty(); });
    };
    if (std::all_of(parsed->records.begin(), parsed->records.end(), blank))
        return fail("le fichier est vide");
    // The headings are on the first record that names an address column.
    std::map<Column, std::size_t> columns;
    std::size_t at = 0;
    for (; at < parsed->records.size() && parsed->lines[at] <= int(kMostLinesBeforeHeadings); ++at) {
        const auto &heading = parsed->records[at];
        columns.clear();
        for (std::size_t i = 0; i < heading.size(); ++i) {
            const auto word = headingWords().find(folded(heading[i]));
            if (word != headingWords().end() && !columns.count(word->second))
                columns[word->second] = i;
        }
        if (columns.count(Column::Address))
            break;
    }
    if (!columns.count(Column::Address))
        return fail("pas de colonne d'adresse dans les " + std::to_string(kMostLinesBeforeHeadings)
                    + " premières lignes (en-têtes attendus : Adresse, Address ou DMX)");

    Rig rig;
    for (++at; at < parsed->records.size(); ++at) {
        const auto &record = parsed->records[at];
        if (blank(record))
            continue;
        const std::string where = "ligne " + std::to_string(parsed->lines[at]);
        const auto cell = [&](Column c) {
            const auto it = columns.find(c);
            return it == columns.end() || it->second >= record.size() ? std::string()
                                                                      : trimmed(record[it->second]);
        };
        const std::string addressText = cell(Column::Address);
        if (addressText.empty() || addressText == "-")
            continue; // not patched
        auto address = parsePatchAddress(addressText);
        const std::string universeText = cell(Column::Universe);
        if (address && !universeText.empty()
            && addressText.find_first_of("./-:") == std::string::npos) {
            // A universe column: the address counts within it.
            const auto universe = wholeNumber(universeText);
            const auto within = wholeNumber(addressText);
            if (!universe || *universe < 1 || *universe > kMostUniverses)
                return fail("univers « " + universeText + " » illisible, " + where
                            + " (colonne " + columnName(Column::Universe) + ")");
            address = within && *within <= kLastChannel
                          ? std::optional<PatchAddress>({*universe, *within})
                          : std::nullopt;
        }
        if (!address)
            return fail("adresse « " + addressText + " » illisible, " + where + " (colonne "
                        + columnName(Column::Address) + ")");

        Fixture f;
        f.where = where;
        f.universe = address->universe;
        f.address = address->address;
        const std::string maker = cell(Column::Maker);
        f.type = cell(Column::Type);
        if (!maker.empty())
            f.type = f.type.empty() ? maker : maker + " " + f.type;
        f.mode = cell(Column::Mode);
        f.label = cell(Column::Label);
        if (f.label.empty())
            f.label = (f.type.empty() ? "Appareil" : f.type) + " " + std::to_string(rig.fixtures.size() + 1);
        const std::string channelsText = cell(Column::Channels);
        if (!channelsText.empty()) {
            // "16", "16 ch", "16 canaux"
            const auto digits = channelsText.find_first_not_of("0123456789");
            const bool unit = digits != std::string::npos && digits > 0
                              && std::all_of(channelsText.begin() + static_cast<std::ptrdiff_t>(digits),
                                             channelsText.end(),
                                             [](unsigned char c) { return std::isalpha(c) || c == ' ' || c == '.'; });
            const auto n = wholeNumber(unit ? channelsText.substr(0, digits) : channelsText);
            if (!n || *n < 1 || *n > kMostChannels)
                return fail("nombre de canaux « " + channelsText + " » illisible, " + where
                            + " (colonne " + columnName(Column::Channels) + ")");
            f.channels = *n;
        } else if (options.library && !f.type.empty()) {
            f.channels = options.library->channels(f.type, f.mode);
        }
        rig.fixtures.push_back(std::move(f));
    }
    return rig;
}

std::variant<Rig, ReadError> readPatch(const std::string &path, const ReadOptions &options)
{
    const fs::path file = fs::u8path(path);
    const std::string name = file.filename().u8string();
    std::string extension = file.extension().u8string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return cannotRead(name, "le fichier est introuvable");
    // An MVR scene carries its 3D models: libzip reads only the entries needed.
    if (extension == ".mvr")
        return readMvrFile(path, name, options);
    const auto size = fs::file_size(file, ec);
    if (ec || size > kMostPatchBytes)
        return cannotRead(name, "le fichier est trop grand pour une liste de patch");
    std::ifstream in(file, std::ios::binary);
    std::string bytes(size, '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(size)))
        return cannotRead(name, "le fichier ne se lit pas");
    if (extension == ".qxw")
        return readQxw(bytes, name, options);
    if (extension == ".csv" || extension == ".txt" || extension == ".tsv")
        return readCsvPatch(bytes, name, options);
    if (bytes.rfind("PK\x03\x04", 0) == 0)
        return readMvr(bytes, name, options);
    if (bytes.find("<Workspace") != std::string::npos)
        return readQxw(bytes, name, options);
    return readCsvPatch(bytes, name, options);
}

std::variant<Rig, ReadError> readInstalledPatch(const std::string &path)
{
    const FixtureLibrary library(FixtureLibrary::standardFolders());
    ReadOptions options;
    options.library = &library;
    return readPatch(path, options);
}

} // namespace dmx
