// The address of a text: the 512 address texts give their number, any other
// text none; a window shows an address's binary form on its switches and
// keeps any text exactly as it was, and the same text again changes nothing.

#include "checks.h"
#include "fixturemodel.h"

#include <bitset>

namespace {

void check(const dmx::Text &text)
{
    const auto expected = fuzz::addressOf(text);
    FUZZ_CHECK(dmx::addressOf(text) == expected, text);

    dmx::FixtureModel colour(dmx::kColourDriverBank);
    colour.edited(text);
    FUZZ_CHECK(colour.text() == text, text);
    if (expected) {
        const std::string pattern = std::bitset<dmx::kAddressSwitches>(*expected).to_string();
        for (int k = 1; k <= dmx::kAddressSwitches; ++k)
            FUZZ_CHECK(colour.isOn(k) == (pattern[static_cast<std::size_t>(k - 1)] == '1'), text);
    }
    colour.edited(text);
    FUZZ_CHECK(!colour.changed().any(), text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    for (const dmx::Text &text : fuzz::textsOf(data, size))
        check(text);
    return 0;
}
