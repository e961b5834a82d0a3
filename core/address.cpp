#include "address.h"

namespace dmx {

std::optional<int> addressOf(TextView text)
{
    // A lone "0", or "1".."9" followed by at most two ASCII digits, at most
    // 511: exactly the texts the tool itself writes for an address.
    if (text.empty() || text.size() > 3)
        return std::nullopt;
    int value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    if ((text.size() > 1 && text.front() == u'0') || value > kLargestAddress)
        return std::nullopt;
    return value;
}

} // namespace dmx
