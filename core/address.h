#pragma once

#include "text.h"

#include <optional>

namespace dmx {

// The nine address switches give the addresses 0 to 511.
inline constexpr int kAddressSwitches = 9;
inline constexpr int kLargestAddress = (1 << kAddressSwitches) - 1;
// A DMX line's channels run from 1 to 512.
inline constexpr int kLastChannel = 512;

// The address a text stands for when it is one of the 512 address texts, "0"
// to "511" written plainly (no blank, sign or leading zero); nothing for any
// other text.
std::optional<int> addressOf(TextView text);

} // namespace dmx
