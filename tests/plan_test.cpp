#include "sheet.h"
#include "table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

using namespace dmx;

namespace {

const auto byName = [](const auto &row) { return std::string(row.param.name); };

bool says(const Row &row, RemarkKind kind)
{
    return std::any_of(row.remarks.begin(), row.remarks.end(), [kind](const Remark &r) { return r.kind == kind; });
}

// One fixture of a run, as "fixture: start-last", "zero" when it starts where
// no DMX channel is, "hors" when nine switches
// cannot give its start, "past 512" when its channels run past the line, then
// its switches: "1" for ON, switch 1 first, the terminator last.
struct RowCase
{
    const char *name;
    Run run;
    int fixture;
    const char *row;
};

class PlanRows : public testing::TestWithParam<RowCase> {};

TEST_P(PlanRows, Row)
{
    const RowCase &c = GetParam();
    const auto made = makePlan(c.run);
    ASSERT_TRUE(std::holds_alternative<Plan>(made));
    const auto rows = std::get<Plan>(made).rows();
    ASSERT_EQ(rows.size(), std::size_t(c.run.fixtures));
    const Row &row = *rows[std::size_t(c.fixture - 1)];
    std::string seen = row.fixture.label + ": " + std::to_string(row.fixture.address) + "-"
        + std::to_string(row.last.value_or(-1)) + (says(row, RemarkKind::AtZero) ? " zero" : "")
        + (row.settable ? "" : " hors") + (says(row, RemarkKind::PastLine) ? " past 512" : "") + " ";
    for (bool on : row.on)
        seen += on ? '1' : '0';
    EXPECT_EQ(seen, c.row);
}

const RowCase kRows[] = {
    {"StartZeroAlone", {0, 1, 1}, 1, "1: 0-0 zero 0000000001"},
    {"OnlyTheFirstStartsAtZero", {0, 7, 2}, 2, "2: 7-13 0000001111"},
    {"Address256_ColourDriver", {256, 4, 1}, 1, "1: 256-259 1000000001"},
    {"Address256_OtherFixture", {256, 4, 1, kOtherFixtureBank}, 1, "1: 256-259 0000000011"},
    {"StepsByTheChannelCount", {1, 7, 12}, 5, "5: 29-35 0000111010"},
    {"Address511BeforeTheCrossing", {510, 1, 3}, 2, "2: 511-511 1111111110"},
    {"Address512CannotBeSet_ColourDriver", {510, 1, 3}, 3, "3: 512-512 hors 0000000001"},
    {"Address512CannotBeSet_OtherFixture", {510, 1, 3, kOtherFixtureBank}, 3, "3: 512-512 hors 0000000001"},
    {"LastChannelExactly512_Fits", {507, 6, 1}, 1, "1: 507-512 1111110111"},
    {"ChannelsRunPast512", {500, 7, 2}, 2, "2: 507-513 past 512 1111110111"},
    {"TerminatorOffWhenAsked", {0, 1, 1, kColourDriverBank, false}, 1, "1: 0-0 zero 0000000000"},
    {"TerminatorOnlyOnTheLast", {1, 7, 12}, 11, "11: 71-77 0010001110"},
    {"LongestRun", {511, 512, 512}, 512, "512: 262143-262654 hors past 512 0000000001"},
};

INSTANTIATE_TEST_SUITE_P(Sheet, PlanRows, testing::ValuesIn(kRows), byName);

struct BadCase
{
    const char *name;
    Run run;
    const char *says;
};

class PlanErrors : public testing::TestWithParam<BadCase> {};

TEST_P(PlanErrors, IsAValueWithAFrenchReason)
{
    const auto made = makePlan(GetParam().run);
    ASSERT_TRUE(std::holds_alternative<PlanError>(made));
    EXPECT_NE(std::get<PlanError>(made).message.find(GetParam().says), std::string::npos)
        << std::get<PlanError>(made).message;
}

constexpr auto kHuge = std::numeric_limits<std::int64_t>::max();

const BadCase kBad[] = {
    {"FirstNegative", {-1, 1, 1}, "la première adresse doit aller de 0 à 511 (reçu : -1)"},
    {"First512", {512, 1, 1}, "(reçu : 512)"},
    {"FirstLeast", {std::numeric_limits<std::int64_t>::min(), 1, 1}, "première adresse"},
    {"NoChannel", {0, 0, 1}, "le nombre de canaux doit aller de 1 à 512"},
    {"Channels513", {0, 513, 1}, "nombre de canaux"},
    {"HugeChannels", {1, kHuge, 2}, "nombre de canaux"},
    {"NoFixture", {0, 1, 0}, "le nombre d'appareils doit aller de 1 à 512"},
    {"Fixtures513", {0, 1, 513}, "nombre d'appareils"},
    {"HugeFixtures", {1, 1, kHuge}, "nombre d'appareils"},
};

INSTANTIATE_TEST_SUITE_P(Sheet, PlanErrors, testing::ValuesIn(kBad), byName);

// "PREMIERE,CANAUX,NOMBRE" as typed: the run read, or the start of the reason.
struct TypedCase
{
    const char *name, *typed, *read;
};

class TypedRun : public testing::TestWithParam<TypedCase> {};

TEST_P(TypedRun, ReadOrOneLineWhy)
{
    const auto made = readRun(GetParam().typed);
    std::string seen;
    if (const auto *run = std::get_if<dmx::Run>(&made))
        seen = std::to_string(run->first) + "," + std::to_string(run->channels) + "," + std::to_string(run->fixtures);
    else
        seen = std::get<PlanError>(made).message;
    EXPECT_EQ(seen.find('\n'), std::string::npos);
    EXPECT_EQ(seen.substr(0, std::string(GetParam().read).size()), GetParam().read) << seen;
}

const TypedCase kTyped[] = {
    {"Plain", "1,7,12", "1,7,12"},
    {"BlanksAndSigns", " 1,\t+7 , -3", "1,7,-3"},
    {"TwoNumbers", "1,7", "trois nombres attendus, PREMIERE,CANAUX,NOMBRE"},
    {"AWord", "1,sept,3", "« sept » n'est pas un nombre entier."},
    {"LineBreakShownAsASpace", "1\n2,7,3", "« 1 2 » n'est pas"},
    {"TwentyDigits", "1,99999999999999999999,3", "le nombre de canaux doit aller de 1 à 512 (reçu : 99999999999999999999)."},
};

INSTANTIATE_TEST_SUITE_P(Sheet, TypedRun, testing::ValuesIn(kTyped), byName);

// Channel ranges of ten characters and more ("9728-10239") once pushed the
// remarks of their rows to the right.
TEST(Sheet, TextTableStaysAligned)
{
    const std::string text = textTable(std::get<Plan>(makePlan({500, 512, 40})), "");
    const auto column = text.find("Remarques") - text.find("Appareil");
    for (std::size_t at = text.find('\n', text.find("Remarques")); at + 1 < text.size(); at = text.find('\n', at + 1))
        EXPECT_EQ(text.find_first_of("hd", at + column), at + 1 + column) << text.substr(at + 1, 80);
}

} // namespace

namespace {

// A rig's CSV read back as a spreadsheet reader would: each row's switches
// under its own profile give back its address, whatever the other rows use.
TEST(RigTable, EachRowSetByItsOwnProfile)
{
    Rig rig;
    for (int k = 0; k < 6; ++k) {
        Fixture f;
        f.label = "F" + std::to_string(k);
        f.type = k % 2 ? "Pilote" : "Par";
        f.address = 1 + 37 * k;
        f.channels = 4;
        rig.fixtures.push_back(f);
    }
    Profiles choices;
    choices.choose("Pilote", {}, colourDriverProfile().name);
    const Plan plan = makePlan(rig, choices);
    std::vector<std::vector<std::string>> cells;
    const std::string csv = separatedTable(plan, ';', "");
    for (std::size_t at = 0; at < csv.size();) {
        const std::size_t end = csv.find('\n', at);
        cells.emplace_back(1);
        for (std::size_t i = at; i < end; ++i)
            if (csv[i] == ';')
                cells.back().emplace_back();
            else
                cells.back().back() += csv[i];
        at = end + 1;
    }
    const auto column = [&](const std::string &name) {
        return std::size_t(std::find(cells[0].begin(), cells[0].end(), name) - cells[0].begin());
    };
    // The orders disagree on every address switch: no heading names a weight.
    EXPECT_EQ(cells[0][column("Profil") + 1], "1");
    for (std::size_t r = 1; r < cells.size(); ++r) {
        const std::string &name = cells[r][column("Profil")];
        const SwitchProfile &p = name == colourDriverProfile().name ? colourDriverProfile() : otherFixtureProfile();
        int address = 0;
        for (int k = 1; k <= kAddressSwitches; ++k)
            address += cells[r][column("Profil") + std::size_t(k)] == "ON" ? p.order.weight(k) : 0;
        EXPECT_EQ(std::to_string(address), cells[r][column("Adresse")]) << cells[r][column("Nom")];
    }
    EXPECT_EQ(cells.size(), 7u);
}

// Twenty thousand fixtures at one address: each says with whom it shares,
// the first few by name and the others counted.
TEST(RigPlan, ManyAtOneAddressNameAFewAndCountTheRest)
{
    Rig rig;
    for (int k = 0; k < 20000; ++k) {
        Fixture f;
        f.label = "F" + std::to_string(k);
        f.address = 1;
        f.channels = 4;
        rig.fixtures.push_back(f);
    }
    const Plan plan = makePlan(rig, {});
    EXPECT_EQ(plan.lines[0].rows[0].remarks[0].text,
              "partage des canaux avec « F1 » (1-4), « F2 » (1-4), « F3 » (1-4) et 19996 autres");
    EXPECT_EQ(plan.lines[0].rows[19999].remarks[0].text,
              "partage des canaux avec « F0 » (1-4), « F1 » (1-4), « F2 » (1-4) et 19996 autres");
    EXPECT_EQ(plan.problems, 20000);
}

// What a cell becomes in a CSV file and in the copied table.
struct CellCase
{
    const char *name, *text, *csv, *copied;
};

class Cells : public testing::TestWithParam<CellCase> {};

TEST_P(Cells, ReadAsText)
{
    EXPECT_EQ(cell(GetParam().text, ';'), GetParam().csv);
    EXPECT_EQ(cell(GetParam().text, '\t'), GetParam().copied);
}

const CellCase kCells[] = {
    {"Plain", "Face 1", "Face 1", "Face 1"},
    {"Separator", "Face; jardin", "\"Face; jardin\"", "Face; jardin"},
    {"Quote", "Le \"gros\"", "\"Le \"\"gros\"\"\"", "Le \"gros\""},
    {"LineBreak", "a\nb", "\"a\nb\"", "a b"},
    {"Formula", "=SOMME(A1:A9)", "'=SOMME(A1:A9)", "'=SOMME(A1:A9)"},
    {"Plus", "+33 6", "'+33 6", "'+33 6"},
    {"Minus", "-2", "'-2", "'-2"},
    {"At", "@cmd", "'@cmd", "'@cmd"},
    {"FormulaWithSeparator", "=A1;B1", "\"'=A1;B1\"", "'=A1;B1"},
};
INSTANTIATE_TEST_SUITE_P(Table, Cells, testing::ValuesIn(kCells), byName);

// A label or title a spreadsheet would run reaches every table as text.
TEST(Table, FormulaLabelAndTitleStayText)
{
    Rig rig;
    Fixture f;
    f.label = "=HYPERLINK(\"x\")";
    rig.fixtures.push_back(f);
    EXPECT_NE(separatedTable(makePlan(rig, {}), ';', "").find(";\"'=HYPERLINK(\"\"x\"\")\";"), std::string::npos);
    const std::string sheet = separatedTable(std::get<Plan>(makePlan(dmx::Run{1, 7, 2})), '\t', "@titre");
    EXPECT_EQ(sheet.substr(0, sheet.find('\n')), "'@titre");
}

// The name a save dialog offers and the form a typed name asks for.
struct NameCase
{
    const char *name;
    bool run;
    const char *title, *patch;
    Format format;
    const char *file;
};

class FileNames : public testing::TestWithParam<NameCase> {};

TEST_P(FileNames, Offered)
{
    const NameCase &c = GetParam();
    Rig rig;
    rig.fixtures.emplace_back();
    const Plan plan = c.run ? std::get<Plan>(makePlan(dmx::Run{})) : makePlan(rig, {});
    EXPECT_EQ(fileName(plan, c.title, c.patch, c.format), c.file);
    EXPECT_EQ(formatOf(c.file), c.format);
}

const NameCase kNames[] = {
    {"RunTitle", true, "Perche 2", "", Format::Pdf, "Perche 2.pdf"},
    {"RunNoTitle", true, "  ", "", Format::Csv, "feuille-adressage.csv"},
    {"RunRefusedCharacters", true, "A/B: C?", "", Format::Pdf, "A-B- C-.pdf"},
    {"RunLeadingDots", true, "..cachée", "", Format::Plain, "cachée.txt"},
    {"RigFromPatch", false, "Patch — salle.mvr", "salle.mvr", Format::Pdf, "salle-interrupteurs.pdf"},
    {"RigTwoDots", false, "", "a.b.csv", Format::Csv, "a.b-interrupteurs.csv"},
    {"RigNoPatch", false, "", "", Format::Pdf, "patch-interrupteurs.pdf"},
    {"RigTitleTyped", false, "Tournée: été", "salle.mvr", Format::Pdf, "Tournée- été.pdf"},
    {"RigTitleBlank", false, "   ", "salle.mvr", Format::Csv, "salle-interrupteurs.csv"},
};
INSTANTIATE_TEST_SUITE_P(Table, FileNames, testing::ValuesIn(kNames), byName);

// A line of `rows` rows of 10 under a heading of 15, with `left` of a page
// of 100 free: the rows on each page, "-" before a new page.
struct PiecesCase
{
    const char *name;
    std::size_t rows;
    double left;
    const char *pieces;
};

class Pieces : public testing::TestWithParam<PiecesCase> {};

TEST_P(Pieces, NoRowAlone)
{
    const PiecesCase &c = GetParam();
    std::string seen;
    for (const std::size_t n : linePieces(c.rows, c.left, 100, 15, 10))
        seen += (seen.empty() ? "" : " ") + (n == 0 ? std::string("-") : std::to_string(n));
    EXPECT_EQ(seen, c.pieces);
}

const PiecesCase kPieces[] = {
    {"FitsHere", 3, 50, "3"},
    {"FitsExactly", 3, 45, "3"},
    {"OneRowHereStartsOnTheNextPage", 5, 30, "- 5"},
    {"TwoRowsHereStart", 5, 35, "2 3"},
    {"LastRowGetsACompanion", 9, 95, "7 2"},
    {"TwoHereAndOneThereAllGoThere", 3, 35, "- 3"},
    {"OverFourPages", 20, 45, "3 8 7 2"},
    {"LoneFixtureMovesWhole", 1, 20, "- 1"},
    {"FullPagesAndALastRow", 17, 100, "8 7 2"},
    {"WholePageThenTwo", 10, 100, "8 2"},
};
INSTANTIATE_TEST_SUITE_P(Table, Pieces, testing::ValuesIn(kPieces), byName);

TEST(Table, RecentPatchesNewestFirstAndFew)
{
    std::vector<std::string> recent;
    for (int i = 1; i <= int(kRecentPatches) + 2; ++i)
        recent = recentAfter(recent, "p" + std::to_string(i));
    ASSERT_EQ(recent.size(), kRecentPatches);
    EXPECT_EQ(recent.front(), "p" + std::to_string(kRecentPatches + 2));
    EXPECT_EQ(recent.back(), "p3");
    recent = recentAfter(recent, "p5");
    EXPECT_EQ(recent.front(), "p5");
    EXPECT_EQ(std::count(recent.begin(), recent.end(), "p5"), 1);
    EXPECT_EQ(recent.size(), kRecentPatches);
}

// A DMX line is numbered by its universe everywhere: its section, the CSV and --ligne's plan.
TEST(Table, OneNumberForALine)
{
    Rig rig;
    for (const int universe : {7, 3}) {
        Fixture f;
        f.label = "U" + std::to_string(universe);
        f.universe = universe;
        f.channels = 4;
        rig.fixtures.push_back(f);
    }
    const Plan plan = makePlan(rig, {});
    EXPECT_EQ(plan.lines[0].title(), "Ligne 3");
    EXPECT_NE(textTable(plan, "").find("\nLigne 7\n"), std::string::npos);
    const std::string csv = separatedTable(plan, ';', "");
    EXPECT_EQ(csv.substr(0, csv.find(';')), "Ligne DMX");
    EXPECT_NE(csv.find("\n7;1;4;U7;"), std::string::npos) << csv;
    const auto line = makeLinePlan(rig, 7, {});
    ASSERT_TRUE(line);
    EXPECT_EQ(line->lines.at(0).title(), "Ligne 7");
}

TEST(Table, FormByEnding)
{
    EXPECT_EQ(formatOf("FEUILLE.CSV"), Format::Csv);
    EXPECT_EQ(formatOf("a.pdf.doc"), std::nullopt);
    EXPECT_EQ(formatOf("dossier.pdf/nom"), std::nullopt);
    EXPECT_EQ(formatOf("pdf"), std::nullopt);
    EXPECT_EQ(unknownFormat("x.doc"), "« x.doc » : le nom doit finir par .pdf, .csv ou .txt.");
}

} // namespace
