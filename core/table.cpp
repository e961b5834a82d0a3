#include "table.h"

#include "sheet.h"
#include "text.h"

#include <csv.h>

#include <algorithm>
#include <cctype>
#include <functional>

namespace dmx {

namespace {

using Cells = std::vector<std::string>;

// Switch k's heading over every row: with its weight where all rows' profiles
// agree on it, the number alone where they do not.
std::string switchHeading(const Plan &plan, int k)
{
    if (plan.profiles.empty())
        return switchHeading(otherFixtureProfile(), k);
    const std::string first = switchHeading(plan.profiles.front(), k);
    for (const SwitchProfile &p : plan.profiles)
        if (switchHeading(p, k) != first)
            return std::to_string(k);
    return first;
}

// One table: its headings, then each row's cells with the line it is on.
struct Columns
{
    Cells heading;
    std::function<Cells(const Line &, const Row &)> cells;
};

Cells settings(const Plan &plan, const Row &row)
{
    Cells out;
    for (int k = 1; k <= kTerminatorSwitch; ++k)
        out.push_back(settingWord(plan, row, k));
    return out;
}

Columns separatedColumns(const Plan &plan)
{
    Columns c;
    c.heading = plan.run ? Cells{"Appareil", "Adresse", "Dernier canal"}
                         : Cells{"Ligne DMX", "Adresse", "Dernier canal", "Nom", "Type", "Mode", "Canaux",
                                 "Profil"};
    for (int k = 1; k <= kTerminatorSwitch; ++k)
        c.heading.push_back(switchHeading(plan, k));
    c.heading.push_back("Remarques");
    c.cells = [&plan](const Line &line, const Row &row) {
        const Fixture &f = row.fixture;
        const std::string last = row.last ? std::to_string(*row.last) : "";
        Cells out = plan.run ? Cells{f.label, std::to_string(f.address), last}
                             : Cells{std::to_string(line.universe), std::to_string(f.address), last, f.label, f.type, f.mode,
                                     f.channels ? std::to_string(*f.channels) : "", plan.profileOf(row).name};
        const Cells on = settings(plan, row);
        out.insert(out.end(), on.begin(), on.end());
        out.push_back(remarksText(row));
        return out;
    };
    return c;
}

std::string record(const Cells &cells, char sep)
{
    std::string text;
    for (std::size_t i = 0; i < cells.size(); ++i)
        text += (i ? std::string(1, sep) : "") + cell(cells[i], sep);
    return text + '\n';
}

// Width on a terminal: one column per UTF-8 character.
std::size_t columnsOf(const std::string &s)
{
    return static_cast<std::size_t>(std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// Lined-up columns, each as wide as its longest cell and a space and no
// narrower than `least`, so that short tables always look the same; the
// last column is not padded. Sections are printed under their own title
// line, with the headings again, all at the same widths.
std::string aligned(const Cells &heading, const std::vector<std::size_t> &least,
                    const std::vector<std::pair<std::string, std::vector<Cells>>> &sections)
{
    std::vector<std::size_t> widths = least;
    const auto widen = [&widths](const Cells &cells) {
        for (std::size_t i = 0; i < widths.size(); ++i)
            widths[i] = std::max(widths[i], columnsOf(cells[i]) + 1);
    };
    widen(heading);
    for (const auto &section : sections)
        std::for_each(section.second.begin(), section.second.end(), widen);
    const auto line = [&widths](const Cells &cells) {
        std::string text;
        for (std::size_t i = 0; i < widths.size(); ++i)
            text += cells[i] + std::string(widths[i] - columnsOf(cells[i]), ' ');
        text += cells.back();
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        return text + '\n';
    };
    std::string out;
    for (const auto &[title, rows] : sections) {
        out += title.empty() ? "" : '\n' + title + '\n';
        out += line(heading);
        for (const Cells &cells : rows)
            out += line(cells);
    }
    return out;
}

} // namespace

std::string titleLine(const std::string &typed)
{
    return trimmed(oneLine(typed), " ");
}

std::string heading(const Plan &plan, const std::string &typed)
{
    const std::string line = titleLine(typed);
    return !line.empty() ? line : plan.run ? kDefaultTitle : kPatchTitle;
}

std::string patchTitle(const std::string &fileName)
{
    return fileName.empty() ? std::string() : "Patch — " + fileName;
}

std::optional<Format> formatOf(const std::string &path)
{
    const auto dot = path.find_last_of("./\\");
    if (dot == std::string::npos || path[dot] != '.')
        return std::nullopt;
    std::string suffix = path.substr(dot + 1);
    std::transform(suffix.begin(), suffix.end(), suffix.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const Format f : {Format::Pdf, Format::Csv, Format::Plain})
        if (suffix == suffixOf(f))
            return f;
    return std::nullopt;
}

std::string unknownFormat(const std::string &path)
{
    return "« " + path + " » : le nom doit finir par .pdf, .csv ou .txt.";
}

const char *suffixOf(Format format)
{
    switch (format) {
    case Format::Pdf: return "pdf";
    case Format::Csv: return "csv";
    case Format::Plain: return "txt";
    }
    return "";
}

std::string fileName(const Plan &plan, const std::string &title, const std::string &patchName, Format format)
{
    std::string stem = titleLine(title);
    if (!plan.run && (stem.empty() || stem == patchTitle(patchName))) {
        const auto dot = patchName.rfind('.');
        stem = (dot == std::string::npos || dot == 0 ? patchName : patchName.substr(0, dot));
        stem = (stem.empty() ? "patch" : titleLine(stem)) + "-interrupteurs";
    }
    for (char &c : stem)
        if (std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            c = '-';
    stem.erase(0, stem.find_first_not_of(".-"));
    return (stem.empty() ? "feuille-adressage" : stem) + '.' + suffixOf(format);
}

std::vector<std::string> recentAfter(std::vector<std::string> recent, const std::string &opened)
{
    recent.erase(std::remove(recent.begin(), recent.end(), opened), recent.end());
    recent.insert(recent.begin(), opened);
    if (recent.size() > kRecentPatches)
        recent.resize(kRecentPatches);
    return recent;
}

std::vector<std::size_t> linePieces(std::size_t rows, double left, double page, double top, double row)
{
    if (top + static_cast<double>(rows) * row <= left)
        return {rows};
    const auto fitting = [&](double room) {
        return room < top + row ? std::size_t(0) : static_cast<std::size_t>((room - top) / row);
    };
    const std::size_t perPage = std::max<std::size_t>(1, fitting(page));
    const auto split = [&](std::size_t here) {
        std::vector<std::size_t> out{here};
        for (std::size_t rest = rows - here; rest > 0;) {
            out.push_back(std::min(perPage, rest));
            rest -= out.back();
        }
        // The page before gives the last one a row, when it keeps two itself.
        if (out.size() >= 2 && out.back() == 1 && out[out.size() - 2] >= 3) {
            --out[out.size() - 2];
            ++out.back();
        }
        return out;
    };
    const bool fresh = left >= page; // a new page would leave no more room
    std::size_t here = std::min(rows, fitting(left));
    if (here < std::min<std::size_t>(2, rows) && !fresh)
        here = 0;
    std::vector<std::size_t> out = split(here);
    if (here > 0 && out.size() == 2 && out.back() == 1 && !fresh)
        out = split(0); // two here and one alone there: all three there
    return out;
}

std::string cell(const std::string &text, char sep)
{
    std::string s = !text.empty() && std::string_view("=+-@").find(text.front()) != std::string_view::npos
        ? "'" + text : text;
    if (sep == '\t') {
        std::replace_if(s.begin(), s.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
        return s;
    }
    if (s.find_first_of(std::string(1, sep) + "\"\n\r") == std::string::npos)
        return s;
    std::string quoted(2 * s.size() + 2, '\0');
    quoted.resize(csv_write(quoted.data(), quoted.size(), s.data(), s.size()));
    return quoted;
}

std::string separatedTable(const Plan &plan, char sep, const std::string &title)
{
    const Columns columns = separatedColumns(plan);
    std::string out = plan.run ? cell(heading(plan, title), sep) + '\n' : std::string();
    out += record(columns.heading, sep);
    for (const Line &line : plan.lines)
        for (const Row &row : line.rows)
            out += record(columns.cells(line, row), sep);
    return out;
}

std::string csvBytes(const Plan &plan, const std::string &title)
{
    return "\xEF\xBB\xBF" + separatedTable(plan, ';', title);
}

std::string textTable(const Plan &plan, const std::string &title)
{
    const std::string named = titleLine(title);
    std::string out = named.empty() ? std::string() : named + '\n';
    Cells heading;
    std::vector<std::size_t> least;
    std::function<Cells(const Row &)> cells;
    if (plan.run) {
        out += weightOrder(plan.run->bank) + '\n';
        heading = {"Appareil", "Adresse", "Canaux"};
        least = {9, 8, 10};
        cells = [](const Row &row) {
            const int start = row.fixture.address;
            return Cells{row.fixture.label, std::to_string(start),
                         std::to_string(start) + "-" + std::to_string(row.last.value_or(start))};
        };
    } else {
        out += plan.summary + '\n';
        for (const SwitchProfile &p : plan.profiles)
            out += "Profil « " + p.name + " » : " + p.description() + '\n';
        heading = {"Adresse", "Canaux", "Nom", "Type"};
        least = {8, 10, 4, 5};
        cells = [](const Row &row) {
            const Fixture &f = row.fixture;
            return Cells{std::to_string(f.address), f.channels ? span(row) : "?", f.label,
                         typeAndMode(f, ", ")};
        };
    }
    for (int k = 1; k <= kTerminatorSwitch; ++k) {
        heading.push_back(std::to_string(k));
        least.push_back(plan.run ? 4 : 5);
    }
    heading.push_back("Remarques");

    std::vector<std::pair<std::string, std::vector<Cells>>> sections;
    for (const Line &line : plan.lines) {
        auto &[name, rows] = sections.emplace_back(plan.run ? std::string() : line.title(), std::vector<Cells>{});
        for (const Row &row : line.rows) {
            Cells c = cells(row);
            const Cells on = settings(plan, row);
            c.insert(c.end(), on.begin(), on.end());
            c.push_back(remarksText(row));
            rows.push_back(std::move(c));
        }
    }
    return out + aligned(heading, least, sections);
}

} // namespace dmx
