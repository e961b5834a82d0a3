#include "address.h"
#include "spoken.h"
#include "switchbank.h"
#include "value.h"

#include <gtest/gtest.h>

#include <array>
#include <bitset>
#include <string>
#include <vector>

using namespace dmx;

namespace {

Text u(const std::string &ascii) { return Text(ascii.begin(), ascii.end()); }
std::string ascii(const Text &t) { return std::string(t.begin(), t.end()); }

// Runs the shared routine the way the windows do: store, convert, read back.
std::string convert(const Text &text)
{
    DmxPattern = Value::text(text);
    AddressToPattern();
    return ascii(DmxPattern.toText());
}

} // namespace

TEST(AddressToPattern, EveryKeyGivesItsBinaryForm)
{
    for (int n = 0; n <= 511; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(convert(u(std::to_string(n))), std::bitset<9>(n).to_string());
    }
}

TEST(AddressToPattern, ListedRows)
{
    EXPECT_EQ(convert(u"0"), "000000000");
    EXPECT_EQ(convert(u"9"), "000001001");
    EXPECT_EQ(convert(u"100"), "001100100");
    EXPECT_EQ(convert(u"255"), "011111111");
    EXPECT_EQ(convert(u"256"), "100000000");
    EXPECT_EQ(convert(u"300"), "100101100");
    EXPECT_EQ(convert(u"511"), "111111111");
}

struct NonKeyCase { const char *name; const char16_t *text; };

class NonKey : public testing::TestWithParam<NonKeyCase> {};

TEST_P(NonKey, IsLeftExactlyAsItWas)
{
    const Text text = GetParam().text;
    DmxPattern = Value::text(text);
    AddressToPattern();
    EXPECT_EQ(DmxPattern, Value::text(text));
    EXPECT_FALSE(patternOf(text));
}

const NonKeyCase kNonKeys[] = {
    {"empty", u""}, {"512", u"512"}, {"999", u"999"}, {"1000", u"1000"}, {"01", u"01"}, {"00", u"00"},
    {"007", u"007"}, {"blankBefore", u" 1"}, {"blankAfter", u"1 "}, {"minusOne", u"-1"}, {"plusOne", u"+1"},
    {"decimalPoint", u"1.0"}, {"comma", u"1,"}, {"letters", u"abc"}, {"pattern5", u"000000101"},
    {"pattern511", u"111111111"}, {"fullWidthOne", u"\uff11"}, {"digitLetter", u"1a"}, {"65536", u"65536"},
    {"5110", u"5110"}};

INSTANTIATE_TEST_SUITE_P(AddressToPattern, NonKey, testing::ValuesIn(kNonKeys),
                         [](const auto &row) { return std::string(row.param.name); });

TEST(AddressToPattern, SecondCallChangesNothing)
{
    for (int n = 0; n <= 511; n += 7) {
        const std::string once = convert(u(std::to_string(n)));
        AddressToPattern();
        EXPECT_EQ(ascii(DmxPattern.toText()), once);
    }
}

TEST(AddressToPattern, UnsetStaysUnset)
{
    DmxPattern = Value();
    AddressToPattern();
    EXPECT_TRUE(DmxPattern.isUnset());
}

TEST(BankProfile, WeightsAndDrivingCharacters)
{
    for (int k = 1; k <= 9; ++k) {
        EXPECT_EQ(kColourDriverBank.weight(k), 1 << (9 - k));
        EXPECT_EQ(kOtherFixtureBank.weight(k), 1 << (k - 1));
        EXPECT_EQ(kColourDriverBank.drivingCharacter(k), k);
        EXPECT_EQ(kOtherFixtureBank.drivingCharacter(k), 10 - k);
    }
}

TEST(CellWords, OnAndOff)
{
    EXPECT_EQ(Text(upperCellText(true)), u"ON");
    EXPECT_EQ(Text(lowerCellText(true)), u"");
    EXPECT_EQ(Text(upperCellText(false)), u"");
    EXPECT_EQ(Text(lowerCellText(false)), u"OFF");
}

struct SumCase
{
    const char *name;
    std::vector<int> on; // switches set on
    std::vector<int> off; // switches set off; the rest stay unset
    int colourDriver;
    int other;
};

class Sum : public testing::TestWithParam<SumCase> {};

TEST_P(Sum, InBothWeightOrders)
{
    const SumCase &c = GetParam();
    for (const auto &[profile, expected] :
         {std::pair{kColourDriverBank, c.colourDriver}, std::pair{kOtherFixtureBank, c.other}}) {
        SwitchBank bank(profile);
        for (int k : c.off)
            bank.set(k, false);
        for (int k : c.on)
            bank.set(k, true);
        EXPECT_EQ(bank.sum(), Value::integer(static_cast<std::int16_t>(expected)));
        EXPECT_EQ(ascii(bank.sum().toText()), std::to_string(expected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    SwitchBank, Sum,
    testing::Values(SumCase{"allUnset", {}, {}, 0, 0},
                    SumCase{"allOff", {}, {1, 2, 3, 4, 5, 6, 7, 8, 9}, 0, 0},
                    SumCase{"switch1", {1}, {}, 256, 1},
                    SumCase{"switch9", {9}, {}, 1, 256},
                    SumCase{"switches1and9", {1, 9}, {2, 3}, 257, 257},
                    SumCase{"switches1and2", {1, 2}, {}, 384, 3},
                    SumCase{"allOn", {1, 2, 3, 4, 5, 6, 7, 8, 9}, {}, 511, 511}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(SwitchBank, FollowSetsOnlyTheSwitchesWithABinaryCharacter)
{
    SwitchBank bank(kColourDriverBank);
    bank.set(1, true);
    const auto settings = bank.follow(u"512"); // "5" leaves switch 1, "1" turns 2 on, "2" leaves 3
    EXPECT_FALSE(settings[0]);
    EXPECT_EQ(settings[1], true);
    EXPECT_FALSE(settings[2]);
    for (int k = 4; k <= 9; ++k)
        EXPECT_FALSE(settings[k - 1]) << k;
    EXPECT_EQ(bank.sum(), Value::integer(256 + 128));
}

TEST(SwitchBank, FollowReadsThePatternInEachWindowsOrder)
{
    SwitchBank colour(kColourDriverBank);
    SwitchBank other(kOtherFixtureBank);
    for (SwitchBank *bank : {&colour, &other}) {
        const auto settings = bank->follow(u"100000000");
        for (int k = 1; k <= 9; ++k)
            EXPECT_TRUE(settings[k - 1]);
        EXPECT_EQ(bank->sum(), Value::integer(256));
    }
    EXPECT_EQ(colour.weightValue(1), Value::integer(256));
    EXPECT_EQ(other.weightValue(9), Value::integer(256));
    EXPECT_EQ(other.weightValue(1), Value::integer(0));
}

TEST(SwitchesOf, AgreesWithTheRedrawOfEveryAddressInBothOrders)
{
    for (const BankProfile *profile : {&kColourDriverBank, &kOtherFixtureBank}) {
        for (int n = 0; n <= 511; ++n) {
            SwitchBank bank(*profile);
            const auto drawn = bank.follow(*patternOf(u(std::to_string(n))));
            const auto on = switchesOf(n, profile->weights);
            ASSERT_TRUE(on) << n;
            for (int k = 1; k <= 9; ++k)
                EXPECT_EQ((*on)[k - 1], *drawn[k - 1]) << n << " switch " << k;
        }
        EXPECT_FALSE(switchesOf(512, profile->weights));
        EXPECT_FALSE(switchesOf(-1, profile->weights));
    }
    const std::array<std::int16_t, 10> tenSwitches{1, 2, 4, 8, 16, 32, 64, 128, 256, 512};
    EXPECT_EQ(switchesOf(513, tenSwitches)->back(), true);
    EXPECT_FALSE(switchesOf(1024, tenSwitches));
}

TEST(SwitchBank, FollowLeavesEverythingForTextWithoutBinaryCharacters)
{
    for (const char16_t *text : {u"", u"abc", u"-5", u"2345678923"}) {
        SwitchBank bank(kOtherFixtureBank);
        for (const auto &s : bank.follow(text))
            EXPECT_FALSE(s);
        for (int k = 1; k <= 9; ++k)
            EXPECT_TRUE(bank.weightValue(k).isUnset());
    }
}

struct StepCase
{
    const char *name;
    const char16_t *address;
    std::optional<std::int16_t> count; // nothing: no entry chosen yet
    bool next;
    std::optional<const char16_t *> expected; // nothing: not a number
};

class Stepping : public testing::TestWithParam<StepCase> {};

TEST_P(Stepping, ByTheValueRules)
{
    const StepCase &c = GetParam();
    const Value address = Value::text(c.address);
    const Value count = c.count ? Value::integer(*c.count) : Value();
    const auto result = c.next ? address + count : address - count;
    ASSERT_EQ(result.has_value(), c.expected.has_value());
    if (result) {
        EXPECT_EQ(result->toText(), Text(*c.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Value, Stepping,
    testing::Values(
        StepCase{"nextUnsetKeepsText", u"100", {}, true, u"100"},
        StepCase{"nextUnsetKeepsLeadingZeros", u"007", {}, true, u"007"},
        StepCase{"nextUnsetKeepsEmpty", u"", {}, true, u""},
        StepCase{"nextUnsetKeepsNonNumber", u"abc", {}, true, u"abc"},
        StepCase{"previousUnsetGivesNumber", u"007", {}, false, u"7"},
        StepCase{"previousUnsetSameText", u"100", {}, false, u"100"},
        StepCase{"nextTwelve", u"100", 12, true, u"112"},
        StepCase{"nextTwelveAgain", u"112", 12, true, u"124"},
        StepCase{"previousTwelve", u"100", 12, false, u"88"},
        StepCase{"pastTheRange", u"500", 30, true, u"530"},
        StepCase{"belowZero", u"3", 5, false, u"-2"},
        StepCase{"negativeBack", u"-2", 5, true, u"3"},
        StepCase{"toZero", u"5", 5, false, u"0"},
        StepCase{"longProgramText", u"1010", 30, true, u"1040"},
        StepCase{"blanksAround", u" 12 ", 1, true, u"13"},
        StepCase{"plusSign", u"+7", 1, false, u"6"},
        StepCase{"emptyWithCount", u"", 5, true, {}},
        StepCase{"emptyPrevious", u"", {}, false, {}},
        StepCase{"letters", u"abc", 5, true, {}},
        StepCase{"loneMinus", u"-", 5, true, {}},
        StepCase{"loneMinusPrevious", u"-", {}, false, {}},
        StepCase{"decimalPoint", u"1.5", 1, true, {}},
        StepCase{"innerBlank", u"1 2", 1, true, {}},
        StepCase{"doubleSign", u"--1", 1, true, {}},
        StepCase{"fullWidthDigit", u"\uff11", 1, true, {}},
        StepCase{"hugeDigits", u"9999999999999999999999999999999999999999999999999999999999999999"
                               u"9999999999999999999999999999999999999999999999999999999999999999"
                               u"9999999999999999999999999999999999999999999999999999999999999999"
                               u"9999999999999999999999999999999999999999999999999999999999999999"
                               u"9999999999999999999999999999999999999999999999999999999999999999",
                 1, true, {}}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(Value, AdditionWithUnsetGivesTheOtherOperandUnchanged)
{
    EXPECT_EQ(*(Value() + Value::integer(5)), Value::integer(5));
    EXPECT_EQ(*(Value::text(u"x") + Value()), Value::text(u"x"));
    EXPECT_TRUE((Value() + Value())->isUnset());
}

TEST(Value, SubtractionCountsUnsetAsZero)
{
    EXPECT_EQ(*(Value() - Value()), Value::integer(0));
    EXPECT_EQ(*(Value() - Value::integer(3)), Value::integer(-3));
}

TEST(Value, IntegersStayIntegersWhileTheyFit)
{
    EXPECT_EQ(*(Value::integer(256) + Value::integer(255)), Value::integer(511));
    const auto big = Value::integer(32767) + Value::integer(1);
    EXPECT_FALSE(big->isInteger());
    EXPECT_EQ(big->toText(), u"32768");
}

TEST(Value, NumbersToText)
{
    EXPECT_EQ(Value().toText(), u"");
    EXPECT_EQ(Value::integer(-2).toText(), u"-2");
    EXPECT_EQ(Value::number(7.0).toText(), u"7");
    EXPECT_EQ(Value::number(-0.0).toText(), u"0");
    EXPECT_EQ(numberToText(1e20), u"1E+20");
    EXPECT_EQ(numberToText(2.5), u"2.5");
}

// Rows: the address text, the switches drawn ON (1..9, 10 for the terminator).
struct SpokenCase { const char *name; const char16_t *address; std::vector<int> on; const char16_t *said; };

class Spoken : public testing::TestWithParam<SpokenCase> {};

TEST_P(Spoken, TheBankInOneSentence)
{
    std::array<bool, kAddressSwitches> on{};
    bool terminated = false;
    for (const int k : GetParam().on)
        (k == kTerminatorSwitch ? terminated : on[k - 1]) = true;
    EXPECT_EQ(spokenBank(GetParam().address, on, terminated), Text(GetParam().said));
}

INSTANTIATE_TEST_SUITE_P(
    Speech, Spoken,
    testing::Values(
        SpokenCase{"threeSwitches", u"100", {3, 4, 7}, u"Adresse 100 : interrupteurs 3, 4 et 7 sur ON"},
        SpokenCase{"oneSwitchAndTerminator", u"256", {1, 10}, u"Adresse 256 : interrupteur 1 et bouchon sur ON"},
        SpokenCase{"twoAndTerminator", u"3", {8, 9, 10}, u"Adresse 3 : interrupteurs 8, 9 et bouchon sur ON"},
        SpokenCase{"zero", u"0", {}, u"Adresse 0 : tous les interrupteurs sur OFF"},
        SpokenCase{"terminatorAlone", u"0", {10}, u"Adresse 0 : bouchon seul sur ON"},
        SpokenCase{"emptyKeepsTheSwitches", u"", {3, 4, 7}, u"Adresse vide : interrupteurs 3, 4 et 7 sur ON"},
        SpokenCase{"aboveTheBank", u"600", {3, 4, 7},
                   u"600 n'est pas une adresse de 0 à 511 : les interrupteurs ne l'affichent pas"}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(Speech, ChoiceAfterItsLabel)
{
    EXPECT_EQ(spokenChoice(u"&Ordre des poids :", u"Interrupteur 1 = 1"), u"Ordre des poids : Interrupteur 1 = 1");
    EXPECT_EQ(spokenChoice(u"Nombre de circuit", u"5"), u"Nombre de circuit : 5");
    EXPECT_EQ(spokenChoice(u"Son && lumi&ère", u"2"), u"Son & lumière : 2");
}
