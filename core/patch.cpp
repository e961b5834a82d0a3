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

enum class Column { Label, Number, Position, Purpose, Maker, Type, Mode, Universe, Address, Dimmer, Channels };

// Headings as spreadsheets, consoles and plans write them, folded (lower
// case, no accents, letters and digits only). A plan's "Channel" is the
// console's channel, never a channel count: it is not here.
const std::map<std::string, Column> &headingWords()
{
    static const std::map<std::string, Column> words{
        {"nom", Column::Label}, {"name", Column::Label}, {"label", Column::Label},
        {"libelle", Column::Label}, {"etiquette", Column::Label}, {"projecteur", Column::Label},
        {"headname", Column::Label},
        {"headno", Column::Number}, {"unitnumber", Column::Number}, {"unit", Column::Number},
        {"numero", Column::Number}, {"no", Column::Number}, {"n", Column::Number},
        {"position", Column::Position}, {"emplacement", Column::Position}, {"perche", Column::Position},
        {"purpose", Column::Purpose}, {"usage", Column::Purpose},
        {"fabricant", Column::Maker}, {"marque", Column::Maker}, {"manufacturer", Column::Maker},
        {"maker", Column::Maker}, {"constructeur", Column::Maker},
        {"type", Column::Type}, {"fixture", Column::Type}, {"fixturetype", Column::Type},
        {"modele", Column::Type}, {"model", Column::Type}, {"appareil", Column::Type},
        {"headtype", Column::Type}, {"instrumenttype", Column::Type},
        {"mode", Column::Mode}, {"personality", Column::Mode}, {"personnalite", Column::Mode},
        {"dmxmode", Column::Mode},
        {"univers", Column::Universe}, {"universe", Column::Universe}, {"univ", Column::Universe},
        {"lignedmx", Column::Universe}, {"dmxline", Column::Universe},
        {"adresse", Column::Address}, {"address", Column::Address}, {"dmx", Column::Address},
        {"adr", Column::Address}, {"addr", Column::Address}, {"adressedmx", Column::Address},
        {"dmxaddress", Column::Address}, {"patch", Column::Address}, {"startaddress", Column::Address},
        {"dmxno", Column::Address},
        {"dimmer", Column::Dimmer}, {"gradateur", Column::Dimmer},
        {"canaux", Column::Channels}, {"channels", Column::Channels}, {"nbcanaux", Column::Channels},
        {"nombredecanaux", Column::Channels}, {"footprint", Column::Channels},
        {"chans", Column::Channels}, {"ch", Column::Channels}, {"channelcount", Column::Channels},
        {"numchannels", Column::Channels}, {"numberofchannels", Column::Channels},
    };
    return words;
}

// Spreadsheets may put a title or two above the headings.
constexpr std::size_t kMostLinesBeforeHeadings = 10;
// Fields a record keeps: a patch list has a dozen columns, and a line of
// separators alone must not fill the memory.
constexpr std::size_t kMostFields = 256;

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

std::string trimmed(std::string_view s)
{
    return dmx::trimmed(s, " \t\r");
}

using Record = std::vector<std::string>;

bool blank(const Record &r)
{
    return std::all_of(r.begin(), r.end(), [](const std::string &f) { return trimmed(f).empty(); });
}

// An address alone in a cell, in any notation: how a list without headings
// shows its address column.
bool looksLikeAddress(std::string_view cell)
{
    const std::string s = trimmed(cell);
    const auto split = s.find_first_of("./-:");
    const auto digits = [](std::string_view d) {
        return !d.empty() && d.find_first_not_of("0123456789") == std::string_view::npos;
    };
    return split == std::string::npos ? digits(s)
                                      : digits(std::string_view(s).substr(0, split))
                                            && digits(std::string_view(s).substr(split + 1));
}

// The rows of a list, record by record as libcsv gives them: the headings are
// looked for in the first lines, then each record becomes a fixture, so that
// only the rig grows with the file.
class CsvList
{
public:
    CsvList(std::string name, const ReadOptions &options) : name_(std::move(name)), options_(options) {}

    void field(std::string_view text)
    {
        if (fields_.size() < kMostFields)
            fields_.emplace_back(text);
    }
    void record(int line);
    // After the last record: the rig, or why there is none.
    std::variant<Rig, ReadError> finish();
    bool stopped() const { return !problem_.empty(); }

private:
    bool headings(const Record &r);
    bool withoutHeadings();
    void row(const Record &r, int line);
    ReadError fail(const std::string &what) const { return cannotRead(name_, what); }

    std::string name_;
    const ReadOptions &options_;
    Record fields_;
    std::map<Column, std::size_t> columns_;
    bool reading_ = false; // past the headings
    std::vector<std::pair<Record, int>> before_; // the first lines, while no heading is found
    bool anyText_ = false;
    Rig rig_;
    std::string problem_;
};

void CsvList::record(int line)
{
    Record r = std::move(fields_);
    fields_.clear();
    if (blank(r))
        return;
    anyText_ = true;
    if (reading_) {
        row(r, line);
        return;
    }
    if (headings(r)) {
        reading_ = true;
        before_.clear();
        return;
    }
    before_.emplace_back(std::move(r), line);
    if (line >= int(kMostLinesBeforeHeadings) && !withoutHeadings())
        problem_ = "pas de colonne d'adresse dans les " + std::to_string(kMostLinesBeforeHeadings)
                   + " premières lignes (en-têtes attendus : Adresse, Address, DMX ou Dimmer)";
}

bool CsvList::headings(const Record &r)
{
    columns_.clear();
    for (std::size_t i = 0; i < r.size(); ++i) {
        const auto word = headingWords().find(folded(r[i]));
        if (word != headingWords().end() && !columns_.count(word->second))
            columns_[word->second] = i;
    }
    return columns_.count(Column::Address) || columns_.count(Column::Dimmer);
}

// A list without headings whose columns are clearly a label and an address
// ("Face 1;2.101"): two fields on every line, one of them always an address.
bool CsvList::withoutHeadings()
{
    if (before_.empty() || reading_)
        return reading_;
    bool first = true, second = true;
    for (const auto &[r, line] : before_) {
        if (r.size() != 2)
            return false;
        first = first && looksLikeAddress(r[0]);
        second = second && looksLikeAddress(r[1]);
    }
    if (!first && !second)
        return false;
    // Both columns numbers: a console's channel, then its address.
    columns_ = {{Column::Label, second ? 0 : 1}, {Column::Address, second ? 1 : 0}};
    reading_ = true;
    auto rows = std::move(before_);
    for (const auto &[r, line] : rows)
        row(r, line);
    return true;
}

void CsvList::row(const Record &record, int line)
{
    if (stopped())
        return;
    const std::string where = "ligne " + std::to_string(line);
    const auto cell = [&](Column c) {
        const auto it = columns_.find(c);
        return it == columns_.end() || it->second >= record.size() ? std::string() : trimmed(record[it->second]);
    };
    std::string addressText = cell(Column::Address);
    if (addressText.empty() || addressText == "-")
        addressText = cell(Column::Dimmer); // a plan's dimmer is its DMX address
    if (addressText.empty() || addressText == "-") {
        ++rig_.unpatched;
    } else {
        const std::string universeText = cell(Column::Universe);
        // A universe column: a plain address counts within it.
        const AddressRead address = !universeText.empty() && addressText.find_first_of("./-:") == std::string::npos
                                        ? readAddress(universeText, addressText)
                                        : readAddress(addressText);
        Fixture f;
        f.where = where;
        f.universe = address.at.universe;
        f.address = address.at.address;
        f.addressProblem = address.problem;
        const std::string maker = cell(Column::Maker);
        f.type = cell(Column::Type);
        if (!maker.empty())
            f.type = f.type.empty() ? maker : maker + " " + f.type;
        f.mode = cell(Column::Mode);
        // A console numbers its heads and a plan its units within a position.
        std::string number = cell(Column::Number);
        number.erase(0, std::min(number.find_first_not_of('0'), number.size() - 1));
        f.label = cell(Column::Label);
        for (const Column c : {Column::Position, Column::Purpose})
            if (f.label.empty())
                f.label = cell(c);
        if (!number.empty())
            f.label = f.label.empty() ? number : f.label + " n° " + number;
        if (f.label.empty())
            f.label = (f.type.empty() ? "Appareil" : f.type) + " " + std::to_string(rig_.fixtures.size() + 1);
        const std::string channelsText = cell(Column::Channels);
        if (!channelsText.empty()) {
            // "16", "16 ch", "16 canaux"
            const auto digits = channelsText.find_first_not_of("0123456789");
            const bool unit = digits != std::string::npos && digits > 0
                              && std::all_of(channelsText.begin() + static_cast<std::ptrdiff_t>(digits),
                                             channelsText.end(),
                                             [](unsigned char c) { return std::isalpha(c) || c == ' ' || c == '.'; });
            const auto n = wholeNumber(unit ? channelsText.substr(0, digits) : channelsText);
            if (n && *n >= 1 && *n <= kMostChannels)
                f.channels = *n;
            else
                f.channelsNote = "« " + visible(channelsText) + " » illisible, colonne Canaux";
        } else if (options_.library && !f.type.empty()) {
            f.channels = options_.library->channels(f.type, f.mode);
        }
        rig_.fixtures.push_back(std::move(f));
    }
    if (const auto tooMany = tooManyFixtures(rig_))
        problem_ = *tooMany;
}

std::variant<Rig, ReadError> CsvList::finish()
{
    if (!problem_.empty())
        return fail(problem_);
    if (!anyText_)
        return fail("le fichier est vide");
    if (!withoutHeadings())
        return fail("pas de colonne d'adresse dans les " + std::to_string(kMostLinesBeforeHeadings)
                    + " premières lignes (en-têtes attendus : Adresse, Address, DMX ou Dimmer)");
    if (!problem_.empty())
        return fail(problem_);
    if (rig_.fixtures.empty() && rig_.unpatched == 0)
        return fail("aucune ligne d'appareil sous les en-têtes");
    return std::move(rig_);
}

struct Feed
{
    CsvList *list;
    int line;
};

void onRecord(int, void *feed)
{
    auto *f = static_cast<Feed *>(feed);
    f->list->record(f->line);
}

void onField(void *data, std::size_t size, void *feed)
{
    static_cast<Feed *>(feed)->list->field(data ? std::string_view(static_cast<const char *>(data), size)
                                                : std::string_view());
}

int onlySpace(unsigned char c) { return c == CSV_SPACE; }

// Splits the text into records with libcsv, fed a line at a time so that each
// record knows the line it ends on.
bool parse(std::string_view text, char sep, CsvList &list)
{
    csv_parser parser;
    if (csv_init(&parser, 0) != 0)
        return false;
    csv_set_delim(&parser, static_cast<unsigned char>(sep));
    if (sep == '\t')
        csv_set_space_func(&parser, onlySpace);
    Feed feed{&list, 1};
    bool ok = true;
    for (std::size_t at = 0; at < text.size() && ok && !list.stopped();) {
        const std::size_t end = std::min(text.find('\n', at), text.size() - 1) + 1;
        ok = csv_parse(&parser, text.data() + at, end - at, onField, onRecord, &feed) == end - at;
        at = end;
        ++feed.line;
    }
    --feed.line;
    ok = ok && csv_fini(&parser, onField, onRecord, &feed) == 0;
    csv_free(&parser);
    return ok;
}

// ".csv" of "Plan.CSV".
std::string extensionOf(const std::string &name)
{
    std::string extension = fs::u8path(name).extension().u8string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

} // namespace

std::optional<PatchAddress> parsePatchAddress(std::string_view text)
{
    const AddressRead read = readAddress(text);
    if (!read.problem.empty())
        return std::nullopt;
    return read.at;
}

std::variant<Rig, ReadError> readCsvPatch(std::string_view bytes, const std::string &name,
                                          const ReadOptions &options)
{
    if (bytes.size() > kMostPatchBytes)
        return cannotRead(name, "le fichier est trop grand pour une liste de patch");
    if (const auto what = notText(bytes))
        return cannotRead(name, *what);
    const std::string text = utf8Text(bytes);
    CsvList list(name, options);
    if (!parse(text, separatorOf(text), list) && !list.stopped())
        return cannotRead(name, "le texte n'est pas une liste CSV lisible");
    return list.finish();
}

std::variant<Rig, ReadError> readPatch(const std::string &path, const ReadOptions &options)
{
    const fs::path file = fs::u8path(path);
    const std::string name = file.filename().u8string();
    const std::string extension = extensionOf(name);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return cannotRead(name, "le fichier est introuvable");
    // An MVR scene carries its 3D models: only the entries needed are read.
    if (extension == ".mvr")
        return readMvrFile(path, name, options);
    const auto size = fs::file_size(file, ec);
    if (ec || size > kMostPatchBytes)
        return cannotRead(name, "le fichier est trop grand pour une liste de patch");
    std::ifstream in(file, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0'); // within kMostPatchBytes
    if (!in.read(bytes.data(), static_cast<std::streamsize>(size)))
        return cannotRead(name, "le fichier ne se lit pas");
    return readPatchBytes(bytes, name, options);
}

std::variant<Rig, ReadError> readPatchBytes(std::string_view bytes, const std::string &name,
                                            const ReadOptions &options)
{
    const std::string extension = extensionOf(name);
    if (extension == ".mvr")
        return readMvr(bytes, name, options);
    if (extension == ".qxw")
        return readQxw(bytes, name, options);
    if (extension == ".csv" || extension == ".txt" || extension == ".tsv")
        return readCsvPatch(bytes, name, options);
    if (extension == ".asc")
        return readUsittAscii(bytes, name, options);
    if (bytes.substr(0, 4) == "PK\x03\x04")
        return readMvr(bytes, name, options);
    if (bytes.find("<Workspace") != std::string::npos)
        return readQxw(bytes, name, options);
    const auto start = bytes.find_first_not_of(" \t\r\n");
    if (start != std::string::npos && folded(bytes.substr(start, 5)) == "ident")
        return readUsittAscii(bytes, name, options);
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
