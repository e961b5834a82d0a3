#include "fixturemodel.h"

#include <algorithm>

namespace dmx {

bool Change::any() const
{
    return text || written || count || cue || reset || std::find(switches.begin(), switches.end(), true) != switches.end();
}

std::size_t codeUnitBoundary(TextView text, std::size_t at)
{
    const auto high = [](char16_t c) { return c >= 0xD800 && c <= 0xDBFF; };
    const auto low = [](char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; };
    if (at > 0 && at < text.size() && high(text[at - 1]) && low(text[at]))
        return at - 1;
    return at;
}

Text fitting(TextView current, std::size_t replaced, TextView inserted, const Boundary &boundary)
{
    const auto lineBreak = std::find_if(inserted.begin(), inserted.end(), [](char16_t c) {
        return c == u'\n' || c == u'\r' || c == u'\u2028' || c == u'\u2029';
    });
    inserted = inserted.substr(0, static_cast<std::size_t>(lineBreak - inserted.begin()));
    const std::size_t kept = current.size() - std::min(replaced, current.size());
    const std::size_t room = kept < kTypedLength ? kTypedLength - kept : 0;
    if (inserted.size() <= room)
        return Text(inserted);
    return Text(inserted.substr(0, std::min(room, boundary(inserted, room))));
}

std::optional<Text> stepped(TextView text, std::optional<int> count, bool forward)
{
    if (forward && !count)
        return Text(text);
    const auto number = textToNumber(text);
    if (!number)
        return std::nullopt;
    return numberToText(*number + (forward ? 1 : -1) * count.value_or(0));
}

// Every operation starts with nothing changed and ends knowing whether the
// cue turned.
template <typename Steps>
void FixtureModel::operation(Steps steps)
{
    const bool shown = switchesShowText();
    changed_ = Change();
    steps();
    changed_.cue = shown != switchesShowText();
}

void FixtureModel::edit(std::size_t at, std::size_t replaced, TextView inserted, const Boundary &boundary)
{
    at = std::min(at, text_.size());
    replaced = std::min(replaced, text_.size() - at);
    const Text fits = fitting(text_, replaced, inserted, boundary);
    if (!inserted.empty() && fits.empty()) {
        changed_ = Change();
        return;
    }
    edited(text_.substr(0, at) + fits + text_.substr(at + replaced));
}

void FixtureModel::edited(TextView text)
{
    operation([&] {
        write(Text(text));
        changed_.written = false;
    });
}

// An address switch stores its position and writes the sum of the weights
// into the box, which then shows every switch from it, the clicked one
// included. The terminator only shows or clears "120R".
void FixtureModel::click(int k, bool upper)
{
    operation([&] {
        setSwitch(k, upper);
        if (k == kTerminatorSwitch)
            return;
        int sum = 0;
        for (int s = 1; s <= kAddressSwitches; ++s)
            sum += isOn(s) ? bank_.weight(s) : 0;
        write(numberToText(sum));
    });
}

// Only the user's choice sets the count, and nothing sets it back.
void FixtureModel::chooseCount(int count)
{
    operation([&] {
        changed_.count = count_ != count;
        count_ = count;
    });
}

void FixtureModel::step(bool forward)
{
    operation([&] {
        if (auto next = stepped(text_, count_, forward))
            write(std::move(*next));
    });
}

// Every switch off, the box and "120R" emptied; the count stays.
void FixtureModel::reset()
{
    operation([&] {
        for (int k = 1; k <= kTerminatorSwitch; ++k)
            setSwitch(k, false);
        write(Text());
        changed_.reset = true;
    });
}

// Whoever writes the box, a new text is shown on the switches.
void FixtureModel::write(Text text)
{
    changed_.written = true;
    if (text == text_)
        return;
    text_ = std::move(text);
    changed_.text = true;
    showText();
}

void FixtureModel::setSwitch(int k, bool on)
{
    auto &state = on_[static_cast<std::size_t>(k - 1)];
    changed_.switches[static_cast<std::size_t>(k - 1)] |= state != on;
    state = on;
}

// An address sets every address switch. Any other text is read as it stands:
// a "1" at the character of a switch's weight turns the switch on, a "0"
// turns it off, and anything else, or no character that far, leaves it as
// it was. The terminator is never touched.
void FixtureModel::showText()
{
    if (const auto address = addressOf(text_)) {
        const auto on = switchesOf(*address, bank_.weights);
        for (int k = 1; k <= kAddressSwitches; ++k)
            setSwitch(k, (*on)[static_cast<std::size_t>(k - 1)]);
        return;
    }
    for (int k = 1; k <= kAddressSwitches; ++k) {
        const auto i = static_cast<std::size_t>(bank_.drivingCharacter(k) - 1);
        if (i < text_.size() && (text_[i] == u'0' || text_[i] == u'1'))
            setSwitch(k, text_[i] == u'1');
    }
}

} // namespace dmx
