#include "sheet.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using namespace dmx;

namespace {

// One row of a run: which fixture, and what the sheet says about it. The
// switches read "1" for ON, switch 1 first, the terminator last.
struct RowCase
{
    const char *name;
    Run run;
    int fixture;
    int start, last;
    bool settable, pastLine;
    const char *switches;
};

Run run(std::int64_t first, std::int64_t channels, std::int64_t fixtures,
        const BankProfile &bank = kColourDriverBank, bool terminator = true)
{
    return {first, channels, fixtures, bank, terminator};
}

std::string switchesOf(const SheetRow &row)
{
    std::string out;
    for (bool on : row.on)
        out += on ? '1' : '0';
    return out;
}

class PlanRows : public testing::TestWithParam<RowCase> {};

TEST_P(PlanRows, Row)
{
    const RowCase &c = GetParam();
    const auto made = makePlan(c.run);
    ASSERT_TRUE(std::holds_alternative<Plan>(made));
    const auto &rows = std::get<Plan>(made).rows;
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(c.run.fixtures));
    const SheetRow &row = rows[static_cast<std::size_t>(c.fixture - 1)];
    EXPECT_EQ(row.fixture, c.fixture);
    EXPECT_EQ(row.start, c.start);
    EXPECT_EQ(row.last, c.last);
    EXPECT_EQ(row.settable, c.settable);
    EXPECT_EQ(row.pastLine, c.pastLine);
    EXPECT_EQ(switchesOf(row), c.switches);
}

const RowCase kRows[] = {
    {"StartZeroAlone_ColourDriver", run(0, 1, 1), 1, 0, 0, true, false, "0000000001"},
    {"StartZeroAlone_OtherFixture", run(0, 1, 1, kOtherFixtureBank), 1, 0, 0, true, false, "0000000001"},
    {"Address256_ColourDriver", run(256, 4, 1), 1, 256, 259, true, false, "1000000001"},
    {"Address256_OtherFixture", run(256, 4, 1, kOtherFixtureBank), 1, 256, 259, true, false, "0000000011"},
    {"Address6_OtherFixture", run(6, 1, 1, kOtherFixtureBank), 1, 6, 6, true, false, "0110000001"},
    {"StepsByTheChannelCount", run(1, 7, 12), 5, 29, 35, true, false, "0000111010"},
    {"Address511BeforeTheCrossing", run(510, 1, 3), 2, 511, 511, true, false, "1111111110"},
    {"Address512CannotBeSet_ColourDriver", run(510, 1, 3), 3, 512, 512, false, false, "0000000001"},
    {"Address512CannotBeSet_OtherFixture", run(510, 1, 3, kOtherFixtureBank), 3, 512, 512, false, false,
     "0000000001"},
    {"LastChannelExactly512", run(500, 6, 3), 2, 506, 511, true, false, "1111110100"},
    {"LastChannelExactly512_Fits", run(507, 6, 1), 1, 507, 512, true, false, "1111110111"},
    {"ChannelsRunPast512", run(500, 7, 2), 2, 507, 513, true, true, "1111110111"},
    {"TerminatorOffWhenAsked", run(0, 1, 1, kColourDriverBank, false), 1, 0, 0, true, false, "0000000000"},
    {"TerminatorOnlyOnTheLast", run(1, 7, 12), 11, 71, 77, true, false, "0010001110"},
    {"LongestRun", run(511, 512, 512), 512, 262143, 262654, false, true, "0000000001"},
};

INSTANTIATE_TEST_SUITE_P(Sheet, PlanRows, testing::ValuesIn(kRows),
                         [](const auto &row) { return std::string(row.param.name); });

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
constexpr auto kLeast = std::numeric_limits<std::int64_t>::min();

const BadCase kBad[] = {
    {"FirstNegative", run(-1, 1, 1), "la première adresse doit aller de 0 à 511 (reçu : -1)"},
    {"First512", run(512, 1, 1), "(reçu : 512)"},
    {"FirstLeast", run(kLeast, 1, 1), "première adresse"},
    {"NoChannel", run(0, 0, 1), "le nombre de canaux doit aller de 1 à 512"},
    {"NegativeChannels", run(0, -7, 1), "(reçu : -7)"},
    {"Channels513", run(0, 513, 1), "nombre de canaux"},
    {"HugeChannels", run(1, kHuge, 2), "nombre de canaux"},
    {"NoFixture", run(0, 1, 0), "le nombre d'appareils doit aller de 1 à 512"},
    {"Fixtures513", run(0, 1, 513), "nombre d'appareils"},
    {"HugeFixtures", run(1, 1, kHuge), "nombre d'appareils"},
};

INSTANTIATE_TEST_SUITE_P(Sheet, PlanErrors, testing::ValuesIn(kBad),
                         [](const auto &row) { return std::string(row.param.name); });

} // namespace
