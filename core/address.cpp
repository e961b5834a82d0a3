#include "address.h"

namespace dmx {

Value DmxPattern;

std::optional<Text> patternOf(TextView address)
{
    // A strict check of the text rather than a stored 512-row table: a lone
    // "0", or "1".."9" followed by at most two ASCII digits, at most 511.
    // That is exactly the set of keys (no blank, sign or leading zero) and
    // costs no table to build or keep.
    if (address.empty() || address.size() > 3)
        return std::nullopt;
    int value = 0;
    for (const char16_t c : address) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    if ((address.size() > 1 && address.front() == u'0') || value > kLargestAddress)
        return std::nullopt;

    Text pattern(kAddressSwitches, u'0');
    for (int i = 0; i < kAddressSwitches; ++i)
        if (value & (1 << (kAddressSwitches - 1 - i)))
            pattern[i] = u'1';
    return pattern;
}

void AddressToPattern()
{
    if (!DmxPattern.isText())
        return;
    if (auto pattern = patternOf(DmxPattern.toText()))
        DmxPattern = Value::text(std::move(*pattern));
}

} // namespace dmx
