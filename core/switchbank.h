#pragma once

#include "address.h"
#include "text.h"

#include <array>
#include <cstdint>
#include <optional>

namespace dmx {

// The tenth switch is the DMX line terminator: it has no weight and never
// enters the address.
inline constexpr int kTerminatorSwitch = 10;

inline constexpr char16_t kOn[] = u"ON";
inline constexpr char16_t kOff[] = u"OFF";
inline constexpr char16_t kTerminated[] = u"120R";

// Cell words for a switch: an "on" switch shows "ON" above and nothing below,
// an "off" switch nothing above and "OFF" below.
inline TextView upperCellText(bool on) { return on ? TextView(kOn) : TextView(); }
inline TextView lowerCellText(bool on) { return on ? TextView() : TextView(kOff); }

// What tells one window's bank from the other's: the weight of each address
// switch, switch 1 (the leftmost) first.
struct BankProfile
{
    std::array<std::int16_t, kAddressSwitches> weights;

    std::int16_t weight(int k) const { return weights[k - 1]; }
    // The character of a text that sets switch k when the text is no
    // address: the one that stands for the switch's weight in a binary
    // address, most significant first (1 = weight 256 ... 9 = weight 1).
    int drivingCharacter(int k) const;

    friend bool operator==(const BankProfile &a, const BankProfile &b) { return a.weights == b.weights; }
};

// The one rule from an address to a bank's switches, whatever the order or
// number of its weights (each a different power of two, switch 1 first):
// switch k is on when the address holds the bit of switch k's weight.
// Nothing when the switches cannot give the address (negative, or a bit that
// no switch weighs).
template <std::size_t N>
std::optional<std::array<bool, N>> switchesOf(std::int64_t address,
                                              const std::array<std::int16_t, N> &weights)
{
    std::int64_t all = 0;
    for (const std::int16_t w : weights)
        all |= w;
    if (address < 0 || (address & ~all) != 0)
        return std::nullopt;
    std::array<bool, N> on{};
    for (std::size_t k = 0; k < N; ++k)
        on[k] = (address & weights[k]) != 0;
    return on;
}

inline constexpr BankProfile kColourDriverBank{{256, 128, 64, 32, 16, 8, 4, 2, 1}};
inline constexpr BankProfile kOtherFixtureBank{{1, 2, 4, 8, 16, 32, 64, 128, 256}};

} // namespace dmx
