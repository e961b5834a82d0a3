// The redraw that follows every change of an address box, on any text: the
// input is a run of texts, one a line, entered one after another into the
// same window, so that each redraw starts from what the one before left.

#include "address.h"
#include "checks.h"
#include "switchbank.h"

#include <algorithm>

namespace {

using dmx::Text;
using dmx::Value;

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
    explicit Redraws(const Window &window) : window_(window), bank_(window.profile) {}

    // What the address box's change handler does with the text, checked
    // against the state this side keeps for each switch.
    void enter(const Text &text)
    {
        dmx::DmxPattern = Value::text(text);
        dmx::AddressToPattern();
        const Text pattern = dmx::DmxPattern.toText();
        const auto drawn = bank_.follow(pattern);

        int expectedSum = 0;
        for (int k = 1; k <= dmx::kAddressSwitches; ++k) {
            const auto i = static_cast<std::size_t>(window_.character(k));
            if (i <= pattern.size() && (pattern[i - 1] == u'0' || pattern[i - 1] == u'1')) {
                FUZZ_CHECK(drawn[k - 1] == (pattern[i - 1] == u'1'), text);
                on_[k - 1] = pattern[i - 1] == u'1';
            } else {
                FUZZ_CHECK(!drawn[k - 1], text);
            }
            const Value weight = !on_[k - 1] ? Value()
                                             : Value::integer(*on_[k - 1] ? window_.weight(k)
                                                                          : std::int16_t{0});
            FUZZ_CHECK(bank_.weightValue(k) == weight, text);
            if (on_[k - 1].value_or(false))
                expectedSum += window_.weight(k);
        }
        FUZZ_CHECK(bank_.sum() == Value::integer(static_cast<std::int16_t>(expectedSum)), text);

        if (const auto address = fuzz::addressOf(text)) {
            for (const auto &switchDrawn : drawn)
                FUZZ_CHECK(switchDrawn.has_value(), text);
            FUZZ_CHECK(bank_.sum() == Value::integer(static_cast<std::int16_t>(*address)), text);
        }
    }

private:
    const Window &window_;
    dmx::SwitchBank bank_;
    // Unset until a redraw first sets the switch, as in a fresh window.
    std::array<std::optional<bool>, dmx::kAddressSwitches> on_;
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
