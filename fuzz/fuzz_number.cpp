// Text to number and back, and the stepping arithmetic on address texts:
// no crash or hang on any text, exact results for plain digit texts, and
// every stepped address written back as plain decimal digits.

#include "checks.h"
#include "fixturemodel.h"
#include "text.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

using dmx::Text;

// The texts that are numbers, told as a shape rather than a scan: once the
// blanks are cut off both ends, an optional sign and nothing but digits.
// Gives the digits with a "-" in front for a minus ("-007"), or nothing.
std::optional<std::string> signedDigits(dmx::TextView text)
{
    const auto s = fuzz::ascii(text);
    if (!s)
        return std::nullopt;
    const auto first = s->find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::nullopt;
    std::string body = s->substr(first, s->find_last_not_of(" \t") + 1 - first);
    std::string sign;
    if (body[0] == '+' || body[0] == '-') {
        sign = body[0] == '-' ? "-" : "";
        body.erase(0, 1);
    }
    if (body.empty() || body.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return sign + body;
}

// Up to 15 significant digits a double holds the number exactly; beyond, the
// sum of the digits may round; from 310 digits on no double holds it at all.
void checkConversion(const Text &text)
{
    const auto number = dmx::textToNumber(text);
    const auto digits = signedDigits(text);
    if (!digits) {
        FUZZ_CHECK(!number, text);
        return;
    }
    const auto lead = digits->find_first_not_of("-0");
    const std::size_t significant = lead == std::string::npos ? 0 : digits->size() - lead;
    if (significant <= 15) {
        FUZZ_CHECK(number == static_cast<double>(std::stoll(*digits)), text);
    } else if (significant <= 308) {
        const double expected = std::strtod(digits->c_str(), nullptr);
        FUZZ_CHECK(number && std::fabs(*number - expected) <= 1e-12 * std::fabs(expected), text);
    } else if (significant >= 310) {
        FUZZ_CHECK(!number, text);
    }
}

// What a step writes into the address box: plain decimal digits that convert
// to the same value again. From 1e15 on the written form has an exponent,
// and no typed address comes near that.
void checkWritten(const Text &written, double expected, const Text &text)
{
    FUZZ_CHECK(dmx::textToNumber(written) == expected || std::fabs(expected) >= 1e15, text);
    if (std::fabs(expected) >= 1e15)
        return;
    FUZZ_CHECK(written == fuzz::widen(std::to_string(static_cast<long long>(expected))), text);
}

void checkStepping(const Text &text, std::int16_t count)
{
    const auto number = dmx::textToNumber(text);

    // No count chosen yet: next gives the text back untouched, previous its number.
    FUZZ_CHECK(dmx::stepped(text, std::nullopt, true) == text, text);
    const auto back = dmx::stepped(text, std::nullopt, false);
    FUZZ_CHECK(back.has_value() == number.has_value(), text);
    if (back)
        checkWritten(*back, *number, text);

    const auto next = dmx::stepped(text, count, true);
    const auto previous = dmx::stepped(text, count, false);
    FUZZ_CHECK(next.has_value() == number.has_value(), text);
    FUZZ_CHECK(previous.has_value() == number.has_value(), text);
    if (!number)
        return;
    checkWritten(*next, *number + count, text);
    checkWritten(*previous, *number - count, text);
}

// A number the program wrote, stepped by any count: a result beyond 16 bits
// must not wrap.
void checkIntegers(std::int16_t a, std::int16_t b)
{
    const Text written = fuzz::widen(std::to_string(a));
    const Text what = fuzz::widen(std::to_string(a) + " and " + std::to_string(b));
    const auto sum = dmx::stepped(written, b, true);
    const auto difference = dmx::stepped(written, b, false);
    FUZZ_CHECK(sum && difference, what);
    checkWritten(*sum, a + b, what);
    checkWritten(*difference, a - b, what);
}

void checkFormatting(double d)
{
    const Text written = dmx::numberToText(d);
    if (std::isfinite(d) && std::trunc(d) == d && std::fabs(d) < 1e15)
        FUZZ_CHECK(written == fuzz::widen(std::to_string(static_cast<long long>(d))), written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Counts: the first two bytes give one of the fuzzer's own choosing, the
    // others are the ends of the channel-count list and of 16 bits.
    std::int16_t own = 0;
    std::int16_t other = 0;
    if (size >= 2)
        std::memcpy(&own, data, 2);
    if (size >= 4)
        std::memcpy(&other, data + 2, 2);
    constexpr auto lowest = std::numeric_limits<std::int16_t>::min();
    constexpr auto highest = std::numeric_limits<std::int16_t>::max();

    for (const Text &text : fuzz::textsOf(data, size)) {
        checkConversion(text);
        for (const std::int16_t count : {own, std::int16_t{1}, std::int16_t{30}, lowest, highest})
            checkStepping(text, count);
    }
    checkIntegers(own, other);
    if (size >= sizeof(double)) {
        double d;
        std::memcpy(&d, data, sizeof d);
        checkFormatting(d);
    }
    return 0;
}
