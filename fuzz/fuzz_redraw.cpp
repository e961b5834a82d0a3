// The redraw that follows every change of an address box, on any text: the
// input is a run of texts, one a line, entered one after another into the
// same window, so that each redraw starts from what the one before left.

#include "checks.h"
#include "fixturemodel.h"

#include <algorithm>
#include <bitset>

namespace {

using dmx::Text;

// From the windows' tables: in the colour-driver window switch k weighs
// 2^(9-k) and follows character k of the pattern; the other window has the
// weights mirrored, switch k weighing 2^(k-1) and following character 10-k.
struct Window
{
    const dmx::BankProfile &profile;
    bool mirrored;

    int character(int k) const { return mirrored ? 10 - k : k; }
    std::int16_t weight(int k) const
    {
        return static_cast<std::int16_t>(1 << (mirrored ? k - 1 : 9 - k));
    }
};

const Window windows[] = {{dmx::kColourDriverBank, false}, {dmx::kOtherFixtureBank, true}};

class Redraws
{
public:
    explicit Redraws(const Window &window) : window_(window), model_(window.profile) {}

    // What the window does with a new text in its address box, checked
    // against the state this side keeps for each switch.
    void enter(const Text &text)
    {
        model_.edited(text);
        const auto address = fuzz::addressOf(text);
        const Text pattern = address ? fuzz::widen(std::bitset<dmx::kAddressSwitches>(*address).to_string()) : text;

        int sum = 0;
        for (int k = 1; k <= dmx::kAddressSwitches; ++k) {
            const auto i = static_cast<std::size_t>(window_.character(k));
            const bool driven = i <= pattern.size() && (pattern[i - 1] == u'0' || pattern[i - 1] == u'1');
            if (driven)
                on_[k - 1] = pattern[i - 1] == u'1';
            FUZZ_CHECK(model_.changed().switches[k - 1] == (driven && on_[k - 1] != was_[k - 1]), text);
            FUZZ_CHECK(model_.isOn(k) == on_[k - 1], text);
            if (on_[k - 1])
                sum += window_.weight(k);
        }
        FUZZ_CHECK(!model_.isOn(dmx::kTerminatorSwitch), text);
        if (address)
            FUZZ_CHECK(sum == *address, text);
        was_ = on_;
    }

private:
    const Window &window_;
    dmx::FixtureModel model_;
    std::array<bool, dmx::kAddressSwitches> on_{}, was_{}; // all off in a fresh window
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    for (const Text &input : fuzz::textsOf(data, size)) {
        for (const Window &window : windows) {
            Redraws redraws(window);
            std::size_t start = 0;
            for (;;) {
                const std::size_t end = std::min(input.find(u'\n', start), input.size());
                redraws.enter(input.substr(start, end - start));
                if (end == input.size())
                    break;
                start = end + 1;
            }
        }
    }
    return 0;
}
