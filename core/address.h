#pragma once

#include "value.h"

#include <optional>

namespace dmx {

// The one value both windows share. Each address entry writes the address
// box's text into it, calls AddressToPattern and reads the result back.
extern Value DmxPattern;

// Replaces DmxPattern by its nine-character switch pattern when it holds one
// of the 512 address texts "0" to "511"; any other content is left exactly
// as it was.
void AddressToPattern();

// The same rule as a pure function: the pattern of an address text, most
// significant switch first ("100" gives "001100100"), or nothing when the
// text is not one of the 512 addresses.
std::optional<Text> patternOf(TextView address);

// The nine address switches, one per character of a pattern.
inline constexpr int kAddressSwitches = 9;
inline constexpr int kLargestAddress = (1 << kAddressSwitches) - 1;

} // namespace dmx
