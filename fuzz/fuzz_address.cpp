// The address pattern: an address text gives its nine-character binary form,
// any other text stays exactly as it was, and a second conversion of the
// result changes nothing.

#include "address.h"
#include "checks.h"

#include <bitset>

namespace {

void check(const dmx::Text &text)
{
    std::optional<dmx::Text> expected;
    if (const auto n = fuzz::addressOf(text))
        expected = fuzz::widen(std::bitset<dmx::kAddressSwitches>(*n).to_string());
    FUZZ_CHECK(dmx::patternOf(text) == expected, text);

    dmx::DmxPattern = dmx::Value::text(text);
    dmx::AddressToPattern();
    const dmx::Value once = dmx::DmxPattern;
    FUZZ_CHECK(once == dmx::Value::text(expected.value_or(text)), text);

    dmx::AddressToPattern();
    FUZZ_CHECK(dmx::DmxPattern == once, text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    for (const dmx::Text &text : fuzz::textsOf(data, size))
        check(text);
    return 0;
}
