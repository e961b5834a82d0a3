#include "address.h"
#include "fixturemodel.h"
#include "spoken.h"
#include "switchbank.h"
#include "text.h"

#include <gtest/gtest.h>

#include <array>
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

std::string mirrored(std::string s) { return {s.rbegin(), s.rend()}; }

// The colour-driver window's switches once the text is entered after "511".
std::string convert(const Text &text)
{
    FixtureModel m(kColourDriverBank);
    m.edited(u"511");
    m.edited(text);
    return switches(m);
}

template <typename Row>
std::string rowName(const testing::TestParamInfo<Row> &row) { return row.param.name; }

} // namespace

TEST(AddressOf, EveryKeyGivesItsBinaryForm)
{
    for (int n = 0; n <= 511; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(convert(u(std::to_string(n))), std::bitset<9>(n).to_string());
        EXPECT_EQ(addressOf(u(std::to_string(n))), n);
        FixtureModel other(kOtherFixtureBank);
        other.edited(u(std::to_string(n)));
        EXPECT_EQ(switches(other), mirrored(std::bitset<9>(n).to_string()));
    }
}

TEST(AddressOf, ListedRows)
{
    EXPECT_EQ(convert(u"0"), "000000000");
    EXPECT_EQ(convert(u"9"), "000001001");
    EXPECT_EQ(convert(u"100"), "001100100");
    EXPECT_EQ(convert(u"255"), "011111111");
    EXPECT_EQ(convert(u"256"), "100000000");
    EXPECT_EQ(convert(u"300"), "100101100");
    EXPECT_EQ(convert(u"511"), "111111111");
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
        SessionCase{"fresh", "", "", "0000000000", "", "0000000000", 0, false},
        // The sum of the weights clicked on, lower cells first; switches never touched count as off.
        SessionCase{"oneLowerCell", "L5", "0", "0000000000", "0", "0000000000", 0, false},
        SessionCase{"allOff", "L1 L2 L3 L4 L5 L6 L7 L8 L9", "0", "0000000000", "0", "0000000000", 0, false},
        SessionCase{"switch1", "U1", "256", "1000000000", "1", "1000000000", 0, false},
        SessionCase{"switch9", "U9", "1", "0000000010", "256", "0000000010", 0, false},
        SessionCase{"switches1and9", "L2 L3 U1 U9", "257", "1000000010", "257", "1000000010", 0, false},
        SessionCase{"switches1and2", "U1 U2", "384", "1100000000", "3", "1100000000", 0, false},
        SessionCase{"allOn", "U5 U1 U9 U3 U7 U2 U8 U4 U6", "511", "1111111110", "511", "1111111110", 0, false},
        SessionCase{"terminatorOutOfTheSum", "U10 U1", "256", "1000000001", "1", "1000000001", 0, false},
        SessionCase{"onThenOffBringsTheAddressBack", "=100 U1 L1", "100", "0011001000", "100", "0010011000", 0, false},
        SessionCase{"upperOfASwitchAlreadyOn", "=511 U3", "511", "1111111110", "511", "1111111110", 0, false},
        SessionCase{"textWithoutAddressReplacedByTheSum", "=600 U3", "64", "0010000000", "4", "0010000000", 0, false},
        SessionCase{"terminatorOnThenOff", "=12 U10 L10", "12", "0000011000", "12", "0011000000", 0, false},
        // A text that is no address drives only the switches its own "0" and
        // "1" point at, each window reading them in the order of its weights;
        // the terminator stays.
        SessionCase{"512", "U1 U3 U9 U10 =512", "512", "1110000011", "512", "1010000111", 0, true},
        SessionCase{"01", "=511 U10 =01", "01", "0111111111", "01", "1111111101", 0, true},
        SessionCase{"007", "=511 U10 =007", "007", "0011111111", "007", "1111111001", 0, true},
        SessionCase{"600", "=511 U10 =600", "600", "1001111111", "600", "1111110011", 0, true},
        SessionCase{"patternText", "=511 U10 =100000000", "100000000", "1000000001", "100000000", "0000000011", 0, true},
        SessionCase{"empty", "=511 U10 =", "", "1111111111", "", "1111111111", 0, false},
        SessionCase{"letters", "=341 U10 =abc", "abc", "1010101011", "abc", "1010101011", 0, true},
        SessionCase{"minusFive", "=341 U10 =-5", "-5", "1010101011", "-5", "1010101011", 0, true},
        SessionCase{"noBinaryCharacter", "=341 U10 =2345678923", "2345678923", "1010101011", "2345678923", "1010101011", 0, true},
        SessionCase{"typingStopsAtThree", "+1 +2 +3 +4", "123", "0011110110", "123", "1101111000", 0, false},
        SessionCase{"noCountNextKeeps007", "+007 n", "007", "0000000000", "007", "0000000000", 0, true},
        SessionCase{"noCountPreviousGivesTheNumber", "+007 p", "7", "0000001110", "7", "1110000000", 0, false},
        SessionCase{"countTwelveNextTwice", "=100 c12 n n", "124", "0011111000", "124", "0011111000", 12, false},
        SessionCase{"thirtyPastTheRange", "=500 c30 n", "530", "1101101000", "530", "0010110110", 30, true},
        SessionCase{"belowZeroAndBack", "=3 c5 p n", "3", "0000000110", "3", "1100000000", 5, false},
        SessionCase{"lettersCannotStep", "=abc c5 n p", "abc", "0000000000", "abc", "0000000000", 5, true},
        SessionCase{"programTextKeptWhole", "=999 c30 n +7", "1029", "1000000000", "1029", "0000000010", 30, true},
        SessionCase{"resetKeepsTheCount", "=511 U10 c8 R", "", "0000000000", "", "0000000000", 8, false}),
    rowName<SessionCase>);

// What the last action changed, for the drawing and for a screen reader:
// "text", "written", the switches that moved, "count", "cue", "reset".
struct ChangeCase { const char *name, *before, *action, *changed; };

class Changes : public testing::TestWithParam<ChangeCase> {};

TEST_P(Changes, SaysWhatTheLastActionChanged)
{
    const ChangeCase &c = GetParam();
    FixtureModel m(kColourDriverBank);
    play(m, c.before);
    play(m, c.action);
    const Change &what = m.changed();
    std::string said, moved;
    for (const bool s : what.switches)
        moved += s ? '1' : '0';
    for (const auto &[yes, word] : {std::pair{what.text, "text"}, {what.written, "written"},
                                    {moved != "0000000000", moved.c_str()}, {what.count, "count"}, {what.cue, "cue"},
                                    {what.reset, "reset"}})
        said += yes ? (said.empty() ? "" : " ") + std::string(word) : "";
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
                    ChangeCase{"count", "", "c3", "count"},
                    ChangeCase{"sameCountAgain", "c3", "c3", ""},
                    ChangeCase{"reset", "=511 U10", "R", "text written 1111111111 reset"},
                    ChangeCase{"resetAgain", "R", "R", "written reset"},
                    // Nothing but "Remise à zéro" is a reset, whatever leaves the box empty.
                    ChangeCase{"nextInAnEmptyBox", "U10", "n", "written"},
                    ChangeCase{"previousInAnEmptyBox", "U10", "p", ""},
                    ChangeCase{"nextInAnEmptyBoxWithACount", "U10 c5", "n", ""},
                    ChangeCase{"emptiedByTheUser", "=5", "=", "text"}),
    rowName<ChangeCase>);

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
    testing::Values(FitCase{"fourthRefused", u"123", 0, u"4", u""},
                    FitCase{"programTextLeavesNoRoom", u"1029", 0, u"7", u""},
                    FitCase{"overOneOfFour", u"1029", 1, u"5", u""},
                    FitCase{"pasteOverTwoTakesOne", u"1029", 2, u"5678", u"5"},
                    FitCase{"endsAtAWindowsLineBreak", u"", 0, u"1\r\n2", u"1"},
                    FitCase{"endsAtAParagraphSeparator", u"", 0, u"12\u20293", u"12"},
                    FitCase{"lineBreakAlone", u"1029", 4, u"\n5", u""},
                    FitCase{"surrogatePairNeverSplit", u"", 0, u"\U0001F600\U0001F600", u"\U0001F600"},
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

// Rows: UTF-8 bytes and the UTF-16 they stand for; a round trip gives the
// bytes back when they encode something, U+FFFD where they do not.
struct Utf8Case { const char *name; std::string bytes; std::u16string text; bool roundTrip; };

class Utf8 : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8, BothWays)
{
    const auto &row = GetParam();
    EXPECT_EQ(fromUtf8(row.bytes), row.text);
    if (row.roundTrip) {
        EXPECT_EQ(toUtf8(row.text), row.bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Text, Utf8,
    testing::Values(Utf8Case{"ascii", "Perche 1", u"Perche 1", true},
                    Utf8Case{"accents", "R\xC3\xA9gl\xC3\xA9 \xE2\x80\x94 fa\xC3\xA7" "ade", u"Réglé — façade", true},
                    Utf8Case{"beyondTheBasicPlane", "\xF0\x9F\x8E\xAD", u"\U0001F3AD", true},
                    Utf8Case{"nulKept", std::string("a\0b", 3), std::u16string(u"a\0b", 3), true},
                    Utf8Case{"overlongSlash", "\xC0\xAF", u"\uFFFD\uFFFD", false},
                    Utf8Case{"cutSequence", "\xE2\x80", u"\uFFFD", false},
                    Utf8Case{"encodedSurrogate", "\xED\xA0\x80", u"\uFFFD", false},
                    Utf8Case{"pastUnicode", "\xF4\x90\x80\x80", u"\uFFFD", false},
                    Utf8Case{"strayContinuation", "\x80x", u"\uFFFDx", false}),
    rowName<Utf8Case>);

TEST(Utf8, LoneSurrogateBecomesReplacement)
{
    EXPECT_EQ(toUtf8(std::u16string(1, char16_t(0xD83C)) + u"x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(toUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
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

// What the colour-driver window says after the last of the actions; no
// sentence where it says nothing.
struct AfterCase { const char *name, *actions; const char16_t *said; };

class SaidAfter : public testing::TestWithParam<AfterCase> {};

TEST_P(SaidAfter, TheLastAction)
{
    FixtureModel m(kColourDriverBank);
    play(m, GetParam().actions);
    EXPECT_EQ(spokenAfter(m), GetParam().said ? std::optional<Text>(GetParam().said) : std::nullopt);
}

constexpr char16_t kResetSaid[] = u"Remise à zéro : adresse vide, tous les interrupteurs et le bouchon sur OFF";

INSTANTIATE_TEST_SUITE_P(
    Speech, SaidAfter,
    testing::Values(
        AfterCase{"typed", "+100", u"Adresse 100 : interrupteurs 3, 4 et 7 sur ON"},
        AfterCase{"terminator", "U10", u"Adresse vide : bouchon seul sur ON"},
        AfterCase{"noAddress", "=600", u"600 n'est pas une adresse de 0 à 511 : les interrupteurs ne l'affichent pas"},
        AfterCase{"reset", "=100 U10 R", kResetSaid},
        AfterCase{"resetOfAFreshWindow", "R", kResetSaid},
        AfterCase{"count", "c3", nullptr},
        // An empty box stepped, or emptied by the user, is no reset.
        AfterCase{"nextInAnEmptyBox", "U10 n", nullptr},
        AfterCase{"previousInAnEmptyBox", "U10 p", nullptr},
        AfterCase{"emptiedByTheUser", "=100 =", u"Adresse vide : interrupteurs 3, 4 et 7 sur ON"}),
    rowName<AfterCase>);

TEST(Speech, NotAnAddressAfterWhatStandsForIt)
{
    EXPECT_EQ(spokenNotAnAddress(), u"Ce n'est pas une adresse de 0 à 511 : les interrupteurs ne l'affichent pas");
    EXPECT_EQ(spokenStaleSwitch(), u"ancien réglage : le texte de la case Adresse DMX n'est pas une adresse");
}

TEST(Speech, CellsByTheirSwitch)
{
    EXPECT_EQ(spokenSwitchName(3), u"Interrupteur 3");
    EXPECT_EQ(spokenSwitchName(kTerminatorSwitch), u"Bouchon DMX");
    EXPECT_EQ(spokenCellName(3, true), u"Interrupteur 3, ON");
    EXPECT_EQ(spokenCellName(kTerminatorSwitch, false), u"Bouchon DMX, OFF");
    EXPECT_EQ(spokenCellDescription(kOtherFixtureBank, kAddressSwitches), u"Poids 256");
    EXPECT_EQ(spokenCellDescription(kOtherFixtureBank, kTerminatorSwitch), u"Bouchon DMX, hors adresse");
}

TEST(Agreed, TheNounAsCountedSaysIt)
{
    EXPECT_EQ(agreed(0, "interrupteur", "interrupteurs"), "interrupteur");
    EXPECT_EQ(agreed(1, "interrupteur", "interrupteurs"), "interrupteur");
    EXPECT_EQ(agreed(2, "interrupteur", "interrupteurs"), "interrupteurs");
}

TEST(Speech, ChoiceAfterItsLabel)
{
    EXPECT_EQ(spokenChoice(u"&Ordre des poids :", u"Interrupteur 1 = 1"), u"Ordre des poids : Interrupteur 1 = 1");
    EXPECT_EQ(spokenChoice(u"Nombre de circuit", u"5"), u"Nombre de circuit : 5");
    EXPECT_EQ(spokenChoice(u"Son && lumi&ère", u"2"), u"Son & lumière : 2");
}
