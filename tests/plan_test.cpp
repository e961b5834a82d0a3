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
