#include "address.h"
#include "fixturemodel.h"
#include "switchbank.h"
#include "text.h"

#include <gtest/gtest.h>

#include <bitset>
#include <sstream>
#include <string>
#include <vector>

using namespace dmx;

namespace {

Text u(const std::string &ascii) { return Text(ascii.begin(), ascii.end()); }
std::string ascii(TextView t) { return std::string(t.begin(), t.end()); }

// Switches 1 to 9 from the left, '1' on and '0' off; the terminator last
// when asked for.
std::string switches(const FixtureModel &m, bool terminator = false)
{
    std::string out;
    for (int k = 1; k <= (terminator ? kTerminatorSwitch : kAddressSwitches); ++k)
        out += m.isOn(k) ? '1' : '0';
    return out;
}

// What a user does, one action a word: "=text" leaves the box holding the
// text (an edit in the box), "+text" types it at the end, "U3" and "L3"
// click the upper and lower cell of switch 3, "c12" chooses 12 channels, "n"
// and "p" step, "R" resets.
void play(FixtureModel &m, const std::string &actions)
{
    std::istringstream words(actions);
    for (std::string w; words >> w;) {
        const std::string rest = w.substr(1);
        switch (w[0]) {
        case '=': m.edited(u(rest)); break;
        case '+': m.edit(m.text().size(), 0, u(rest)); break;
        case 'U': m.click(std::stoi(rest), true); break;
        case 'L': m.click(std::stoi(rest), false); break;
        case 'c': m.chooseCount(std::stoi(rest)); break;
        case 'n': m.step(true); break;
        case 'p': m.step(false); break;
        case 'R': m.reset(); break;
        default: FAIL() << "no action " << w;
        }
    }
}

// Switches set on by clicks, one character a switch as switches() gives.
void clickOn(FixtureModel &m, const std::string &on)
{
    for (std::size_t i = 0; i < on.size(); ++i)
        if (on[i] == '1')
            m.click(static_cast<int>(i) + 1, true);
}

std::string mirrored(std::string s) { return {s.rbegin(), s.rend()}; }

template <typename Row>
std::string rowName(const testing::TestParamInfo<Row> &row) { return row.param.name; }

} // namespace

TEST(AddressOf, EveryAddressShowsItsBinaryForm)
{
    for (int n = 0; n <= 511; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(addressOf(u(std::to_string(n))), n);
        FixtureModel colour(kColourDriverBank), other(kOtherFixtureBank);
        colour.edited(u(std::to_string(n)));
        other.edited(u(std::to_string(n)));
        EXPECT_EQ(switches(colour), std::bitset<9>(n).to_string());
        EXPECT_EQ(switches(other), mirrored(std::bitset<9>(n).to_string()));
    }
}

TEST(AddressOf, ListedRows)
{
    for (const auto &[text, pattern] : {std::pair{"0", "000000000"}, {"9", "000001001"}, {"100", "001100100"},
                                        {"255", "011111111"}, {"256", "100000000"}, {"300", "100101100"},
                                        {"511", "111111111"}}) {
        FixtureModel colour(kColourDriverBank);
        colour.edited(u("511"));
        colour.edited(u(text));
        EXPECT_EQ(switches(colour), pattern) << text;
    }
}

struct NonAddressCase { const char *name; const char16_t *text; };

class NonAddress : public testing::TestWithParam<NonAddressCase> {};

TEST_P(NonAddress, IsNoAddressAndStaysInTheBox)
{
    const Text text = GetParam().text;
    EXPECT_FALSE(addressOf(text));
    FixtureModel m(kColourDriverBank);
    m.edited(text);
    EXPECT_EQ(m.text(), text);
    EXPECT_FALSE(m.address());
    EXPECT_EQ(m.switchesShowText(), text.empty());
}

const NonAddressCase kNonAddresses[] = {
    {"empty", u""}, {"512", u"512"}, {"999", u"999"}, {"1000", u"1000"}, {"01", u"01"}, {"00", u"00"},
    {"007", u"007"}, {"blankBefore", u" 1"}, {"blankAfter", u"1 "}, {"minusOne", u"-1"}, {"plusOne", u"+1"},
    {"decimalPoint", u"1.0"}, {"comma", u"1,"}, {"letters", u"abc"}, {"pattern5", u"000000101"},
    {"pattern511", u"111111111"}, {"fullWidthOne", u"\uff11"}, {"digitLetter", u"1a"}, {"65536", u"65536"},
    {"5110", u"5110"}};

INSTANTIATE_TEST_SUITE_P(AddressOf, NonAddress, testing::ValuesIn(kNonAddresses), rowName<NonAddressCase>);

TEST(FixtureModel, TheSameTextAgainChangesNothing)
{
    for (int n = 0; n <= 511; n += 7) {
        FixtureModel m(kOtherFixtureBank);
        m.edited(u(std::to_string(n)));
        const std::string once = switches(m);
        m.edited(u(std::to_string(n)));
        EXPECT_EQ(switches(m), once);
        EXPECT_FALSE(m.changed().any());
    }
}

TEST(FixtureModel, StartsEmptyAndAllOff)
{
    const FixtureModel m(kColourDriverBank);
    EXPECT_EQ(m.text(), u"");
    EXPECT_EQ(switches(m, true), "0000000000");
    EXPECT_EQ(m.indicator(), u"");
    EXPECT_FALSE(m.count());
    EXPECT_FALSE(m.address());
    EXPECT_TRUE(m.switchesShowText());
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
    std::vector<int> on; // upper cells clicked
    std::vector<int> off; // lower cells clicked first; the other switches are never touched
    int colourDriver;
    int other;
};

class Sum : public testing::TestWithParam<SumCase> {};

TEST_P(Sum, InBothWeightOrders)
{
    const SumCase &c = GetParam();
    for (const auto &[profile, expected] :
         {std::pair{kColourDriverBank, c.colourDriver}, std::pair{kOtherFixtureBank, c.other}}) {
        FixtureModel m(profile);
        for (int k : c.off)
            m.click(k, false);
        for (int k : c.on)
            m.click(k, true);
        EXPECT_EQ(ascii(m.text()), std::to_string(expected));
        EXPECT_EQ(m.address(), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    FixtureModel, Sum,
    testing::Values(SumCase{"oneLowerCell", {}, {5}, 0, 0},
                    SumCase{"allOff", {}, {1, 2, 3, 4, 5, 6, 7, 8, 9}, 0, 0},
                    SumCase{"switch1", {1}, {}, 256, 1},
                    SumCase{"switch9", {9}, {}, 1, 256},
                    SumCase{"switches1and9", {1, 9}, {2, 3}, 257, 257},
                    SumCase{"switches1and2", {1, 2}, {}, 384, 3},
                    SumCase{"allOn", {1, 2, 3, 4, 5, 6, 7, 8, 9}, {}, 511, 511},
                    SumCase{"terminatorOutOfTheSum", {10, 1}, {}, 256, 1}),
    rowName<SumCase>);

// A text that is no address drives only the switches its own "0" and "1"
// point at, each window reading the characters in the order of its weights.
struct RedrawCase { const char *name, *before, *text, *colour, *other; };

class Redraw : public testing::TestWithParam<RedrawCase> {};

TEST_P(Redraw, OnlyTheSwitchesOfTheTextsOwnBinaryCharacters)
{
    const RedrawCase &c = GetParam();
    for (const auto &[profile, expected] : {std::pair{kColourDriverBank, c.colour}, std::pair{kOtherFixtureBank, c.other}}) {
        FixtureModel m(profile);
        clickOn(m, c.before);
        m.click(kTerminatorSwitch, true);
        m.edited(u(c.text));
        EXPECT_EQ(switches(m, true), std::string(expected) + "1"); // the terminator stays
    }
}

INSTANTIATE_TEST_SUITE_P(
    FixtureModel, Redraw,
    testing::Values(RedrawCase{"512", "101000001", "512", "111000001", "101000011"},
                    RedrawCase{"01", "111111111", "01", "011111111", "111111110"},
                    RedrawCase{"007", "111111111", "007", "001111111", "111111100"},
                    RedrawCase{"600", "111111111", "600", "100111111", "111111001"},
                    RedrawCase{"patternText", "111111111", "100000000", "100000000", "000000001"},
                    RedrawCase{"empty", "111111111", "", "111111111", "111111111"},
                    RedrawCase{"letters", "101010101", "abc", "101010101", "101010101"},
                    RedrawCase{"minusFive", "101010101", "-5", "101010101", "101010101"},
                    RedrawCase{"noBinaryCharacter", "101010101", "2345678923", "101010101", "101010101"}),
    rowName<RedrawCase>);

TEST(SwitchesOf, AgreesWithTheBinaryCharactersOfEveryAddressInBothOrders)
{
    for (const BankProfile *profile : {&kColourDriverBank, &kOtherFixtureBank}) {
        for (int n = 0; n <= 511; ++n) {
            const std::string pattern = std::bitset<9>(n).to_string();
            const auto on = switchesOf(n, profile->weights);
            ASSERT_TRUE(on) << n;
            for (int k = 1; k <= 9; ++k)
                EXPECT_EQ((*on)[k - 1], pattern[profile->drivingCharacter(k) - 1] == '1') << n << " switch " << k;
        }
        EXPECT_FALSE(switchesOf(512, profile->weights));
        EXPECT_FALSE(switchesOf(-1, profile->weights));
    }
    const std::array<std::int16_t, 10> tenSwitches{1, 2, 4, 8, 16, 32, 64, 128, 256, 512};
    EXPECT_EQ(switchesOf(513, tenSwitches)->back(), true);
    EXPECT_FALSE(switchesOf(1024, tenSwitches));
}

// A whole session in each window: the box, the ten switches, the count and
// whether the box shows the cue.
struct SessionCase
{
    const char *name, *actions;
    const char *colourText, *colourSwitches, *otherText, *otherSwitches;
    int count; // 0: none chosen
    bool cue;
};

class Session : public testing::TestWithParam<SessionCase> {};

TEST_P(Session, ShowsWhatTheWindowShows)
{
    const SessionCase &c = GetParam();
    for (const auto &[profile, text, on] : {std::tuple{kColourDriverBank, c.colourText, c.colourSwitches},
                                            std::tuple{kOtherFixtureBank, c.otherText, c.otherSwitches}}) {
        FixtureModel m(profile);
        play(m, c.actions);
        EXPECT_EQ(ascii(m.text()), text);
        EXPECT_EQ(switches(m, true), on);
        EXPECT_EQ(m.indicator(), on[9] == '1' ? TextView(u"120R") : TextView());
        EXPECT_EQ(m.count().value_or(0), c.count);
        EXPECT_EQ(!m.switchesShowText(), c.cue);
    }
}

INSTANTIATE_TEST_SUITE_P(
    FixtureModel, Session,
    testing::Values(
        SessionCase{"aLowerCellWritesZero", "L4", "0", "0000000000", "0", "0000000000", 0, false},
        SessionCase{"onThenOffBringsTheAddressBack", "=100 U1 L1", "100", "0011001000", "100", "0010011000", 0, false},
        SessionCase{"upperOfASwitchAlreadyOn", "=511 U3", "511", "1111111110", "511", "1111111110", 0, false},
        SessionCase{"textWithoutAddressReplacedByTheSum", "=600 U3", "64", "0010000000", "4", "0010000000", 0, false},
        SessionCase{"terminatorLeavesTheAddress", "=12 U10", "12", "0000011001", "12", "0011000001", 0, false},
        SessionCase{"terminatorOnThenOff", "=12 U10 L10", "12", "0000011000", "12", "0011000000", 0, false},
        SessionCase{"typingStopsAtThree", "+1 +2 +3 +4", "123", "0011110110", "123", "1101111000", 0, false},
        SessionCase{"noCountNextKeeps007", "+007 n", "007", "0000000000", "007", "0000000000", 0, true},
        SessionCase{"noCountPreviousGivesTheNumber", "+007 p", "7", "0000001110", "7", "1110000000", 0, false},
        SessionCase{"countTwelveNextTwice", "=100 c12 n n", "124", "0011111000", "124", "0011111000", 12, false},
        SessionCase{"thirtyPastTheRange", "=500 c30 n", "530", "1101101000", "530", "0010110110", 30, true},
        SessionCase{"belowZero", "=3 c5 p", "-2", "0000000110", "-2", "1100000000", 5, true},
        SessionCase{"belowZeroAndBack", "=3 c5 p n", "3", "0000000110", "3", "1100000000", 5, false},
        SessionCase{"emptyBoxCannotStep", "c5 n p", "", "0000000000", "", "0000000000", 5, false},
        SessionCase{"lettersCannotStep", "=abc c5 n p", "abc", "0000000000", "abc", "0000000000", 5, true},
        SessionCase{"programTextKeptWhole", "=999 c30 n +7", "1029", "1000000000", "1029", "0000000010", 30, true},
        SessionCase{"resetKeepsTheCount", "=511 U10 c8 R", "", "0000000000", "", "0000000000", 8, false},
        SessionCase{"afterResetAClickWritesItsWeight", "=511 R U9", "1", "0000000010", "256", "0000000010", 0, false}),
    rowName<SessionCase>);

// What the last action changed, for the drawing and for a screen reader:
// "text", "written", the switches that moved, "count", "cue".
struct ChangeCase { const char *name, *before, *action, *changed; };

class Changes : public testing::TestWithParam<ChangeCase> {};

TEST_P(Changes, SaysWhatTheLastActionChanged)
{
    const ChangeCase &c = GetParam();
    FixtureModel m(kColourDriverBank);
    play(m, c.before);
    play(m, c.action);
    const Change &what = m.changed();
    std::string said;
    const auto add = [&](bool yes, const std::string &word) { said += yes ? (said.empty() ? "" : " ") + word : ""; };
    add(what.text, "text");
    add(what.written, "written");
    std::string moved;
    for (const bool s : what.switches)
        moved += s ? '1' : '0';
    add(moved != "0000000000", moved);
    add(what.count, "count");
    add(what.cue, "cue");
    EXPECT_EQ(said, c.changed);
    EXPECT_EQ(what.any(), !said.empty());
}

INSTANTIATE_TEST_SUITE_P(
    FixtureModel, Changes,
    testing::Values(ChangeCase{"click", "", "U1", "text written 1000000000"},
                    ChangeCase{"clickOnASwitchAlreadyOn", "=256", "U1", "written"},
                    ChangeCase{"terminator", "", "U10", "0000000001"},
                    ChangeCase{"typedNoAddress", "=51", "+2", "text 0100000000 cue"},
                    ChangeCase{"backToAnAddress", "=600", "=6", "text 0000001100 cue"},
                    ChangeCase{"nextWithoutCount", "=7", "n", "written"},
                    ChangeCase{"count", "", "c3", "count"},
                    ChangeCase{"sameCountAgain", "c3", "c3", ""},
                    ChangeCase{"fourthCharacterRefused", "=123", "+4", ""},
                    ChangeCase{"reset", "=511 U10", "R", "text written 1111111111"}),
    rowName<ChangeCase>);

TEST(FixtureModel, EditsAtTheCaretInPlaceOfTheSelection)
{
    FixtureModel m(kColourDriverBank);
    m.edit(0, 0, u"12");
    m.edit(1, 0, u"5");
    EXPECT_EQ(m.text(), u"152");
    m.edit(1, 1, u"0");
    EXPECT_EQ(m.text(), u"102");
    m.edit(0, 3, u"");
    EXPECT_EQ(m.text(), u"");
}

// The box's rule for what the user adds; Qt's own idea of a character (a
// letter and its accent) is the window test's.
struct FitCase { const char *name; const char16_t *current; std::size_t replaced; const char16_t *inserted, *fits; };

class Fitting : public testing::TestWithParam<FitCase> {};

TEST_P(Fitting, AtMostThreeCharacters)
{
    const FitCase &c = GetParam();
    EXPECT_EQ(fitting(c.current, c.replaced, c.inserted), Text(c.fits));
}

INSTANTIATE_TEST_SUITE_P(
    AddressBox, Fitting,
    testing::Values(FitCase{"intoAnEmptyBox", u"", 0, u"5", u"5"},
                    FitCase{"fourthRefused", u"123", 0, u"4", u""},
                    FitCase{"programTextLeavesNoRoom", u"1029", 0, u"7", u""},
                    FitCase{"overOneOfFour", u"1029", 1, u"5", u""},
                    FitCase{"overTwoOfFour", u"1029", 2, u"5", u"5"},
                    FitCase{"pasteCutToThree", u"1029", 4, u"5678", u"567"},
                    FitCase{"pasteOverTwoTakesOne", u"1029", 2, u"5678", u"5"},
                    FitCase{"endsAtALineBreak", u"", 0, u"5\n", u"5"},
                    FitCase{"endsAtAWindowsLineBreak", u"", 0, u"1\r\n2", u"1"},
                    FitCase{"endsAtAParagraphSeparator", u"", 0, u"12\u20293", u"12"},
                    FitCase{"lineBreakAlone", u"1029", 4, u"\n5", u""},
                    FitCase{"surrogatePairNeverSplit", u"", 0, u"\U0001F600\U0001F600", u"\U0001F600"},
                    FitCase{"surrogatePairWithoutRoom", u"12", 0, u"\U0001F600", u""},
                    FitCase{"moreReplacedThanHeld", u"1", 5, u"abcd", u"abc"}),
    rowName<FitCase>);

struct StepCase
{
    const char *name;
    const char16_t *address;
    std::optional<int> count; // nothing: no entry chosen yet
    bool next;
    std::optional<const char16_t *> expected; // nothing: not a number
};

class Stepping : public testing::TestWithParam<StepCase> {};

TEST_P(Stepping, FromTheTextByTheCount)
{
    const StepCase &c = GetParam();
    const auto result = stepped(c.address, c.count, c.next);
    ASSERT_EQ(result.has_value(), c.expected.has_value());
    if (result) {
        EXPECT_EQ(*result, Text(*c.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    FixtureModel, Stepping,
    testing::Values(
        StepCase{"nextUnsetKeepsText", u"100", {}, true, u"100"},
        StepCase{"nextUnsetKeepsLeadingZeros", u"007", {}, true, u"007"},
        StepCase{"nextUnsetKeepsEmpty", u"", {}, true, u""},
        StepCase{"nextUnsetKeepsNonNumber", u"abc", {}, true, u"abc"},
        StepCase{"nextUnsetKeepsAnyText", u"x", {}, true, u"x"},
        StepCase{"previousUnsetGivesNumber", u"007", {}, false, u"7"},
        StepCase{"previousUnsetSameText", u"100", {}, false, u"100"},
        StepCase{"previousUnsetCountsZero", u"0", {}, false, u"0"},
        StepCase{"zeroMinusThree", u"0", 3, false, u"-3"},
        StepCase{"nextTwelve", u"100", 12, true, u"112"},
        StepCase{"nextTwelveAgain", u"112", 12, true, u"124"},
        StepCase{"previousTwelve", u"100", 12, false, u"88"},
        StepCase{"pastTheRange", u"500", 30, true, u"530"},
        StepCase{"sumOfWeights", u"256", 255, true, u"511"},
        StepCase{"past16Bits", u"32767", 1, true, u"32768"},
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
    rowName<StepCase>);

TEST(NumberToText, PlainDecimal)
{
    EXPECT_EQ(numberToText(-2), u"-2");
    EXPECT_EQ(numberToText(7.0), u"7");
    EXPECT_EQ(numberToText(-0.0), u"0");
    EXPECT_EQ(numberToText(1e20), u"1E+20");
    EXPECT_EQ(numberToText(2.5), u"2.5");
}
