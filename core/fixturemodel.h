#pragma once

#include "address.h"
#include "switchbank.h"
#include "text.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>

namespace dmx {

// What one operation changed: what a window draws again, and what a screen
// reader may announce.
struct Change
{
    bool text = false; // the address box's text
    // The program wrote the box, the text it held perhaps: a text box puts
    // its caret at the end of what is written.
    bool written = false;
    // Switch k moved at [k - 1]; the last is the terminator, with "120R".
    std::array<bool, kTerminatorSwitch> switches{};
    bool count = false;
    bool cue = false; // the text became an address, or stopped being one
    // "Remise à zéro" ran, even on a window already reset: the user hears
    // that it did. An empty text written by anything else is no reset.
    bool reset = false;

    bool any() const;
};

// Where a text may be cut: the last character boundary at or before `at`.
// A character may take more than one code unit: a surrogate pair, a letter
// and its combining accent.
using Boundary = std::function<std::size_t(TextView text, std::size_t at)>;
// Keeps surrogate pairs whole; telling a letter from its accent needs the
// Unicode tables, which the front end has.
std::size_t codeUnitBoundary(TextView text, std::size_t at);

// What the address box takes of a text the user types or pastes in place of
// `replaced` characters of `current`: the text up to its first line break,
// as any one-line box, then as much as leaves three characters at most, cut
// at a boundary. A text the program writes (a sum, a stepped "1029") is
// never cut.
inline constexpr std::size_t kTypedLength = 3;
Text fitting(TextView current, std::size_t replaced, TextView inserted,
             const Boundary &boundary = codeUnitBoundary);

// One step from `text` by the channel count. Without a count, next gives the
// text back as it is and previous gives its number ("007" becomes "7"); a
// text that is no number cannot be stepped.
std::optional<Text> stepped(TextView text, std::optional<int> count, bool forward);

// One address window's behaviour, whatever draws it: the address box's text,
// the switches and the terminator, the channel count, and what each thing
// the user does makes of them. Both windows run it; only the weights differ.
class FixtureModel
{
public:
    static constexpr int kLargestCount = 30; // the list offers 1 to 30 channels

    explicit FixtureModel(const BankProfile &bank) : bank_(bank) {}

    // The user types or pastes `inserted` in place of `replaced` characters
    // at `at`, cut by the box's rule; when nothing fits, nothing changes.
    void edit(std::size_t at, std::size_t replaced, TextView inserted,
              const Boundary &boundary = codeUnitBoundary);
    // The box's text as an edit made in the box itself left it (a deletion,
    // an undo): the switches follow it.
    void edited(TextView text);
    // A click on the upper (on) or lower (off) cell of switch k, 1 to
    // kTerminatorSwitch.
    void click(int k, bool upper);
    void chooseCount(int count);
    void step(bool forward);
    void reset();

    const BankProfile &bank() const { return bank_; }
    const Text &text() const { return text_; }
    bool isOn(int k) const { return on_[static_cast<std::size_t>(k - 1)]; }
    TextView indicator() const { return isOn(kTerminatorSwitch) ? TextView(kTerminated) : TextView(); }
    std::optional<int> count() const { return count_; }
    std::optional<int> address() const { return addressOf(text_); }
    // The switches show the text: it is an address, or empty. Any other text
    // ("600", "007", a stepped "-2") leaves some of them showing an earlier
    // one, which the window says.
    bool switchesShowText() const { return text_.empty() || address(); }
    // What the last operation changed.
    const Change &changed() const { return changed_; }

private:
    template <typename Steps>
    void operation(Steps steps);
    void write(Text text);
    void setSwitch(int k, bool on);
    void showText();

    BankProfile bank_;
    Text text_;
    std::array<bool, kTerminatorSwitch> on_{};
    std::optional<int> count_;
    Change changed_;
};

} // namespace dmx
