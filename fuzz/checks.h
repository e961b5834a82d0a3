#pragma once

// What the fuzz targets share: turning raw bytes into texts, and expectations
// worked out with the standard library rather than with the code under test.

#include "text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace fuzz {

// Two readings of the same bytes: each byte widened as Latin-1, so that a
// short ASCII input such as "511" is at once the text it looks like; and
// pairs of bytes as UTF-16 code units (little-endian, an odd last byte
// dropped), so that every code unit, lone surrogates included, turns up.
inline std::array<dmx::Text, 2> textsOf(const std::uint8_t *data, std::size_t size)
{
    dmx::Text latin1(data, data + size);
    dmx::Text utf16;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        utf16.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    return {latin1, utf16};
}

// The text as plain chars, or nothing when it holds a code unit beyond ASCII.
inline std::optional<std::string> ascii(dmx::TextView text)
{
    std::string out;
    for (const char16_t c : text) {
        if (c > 0x7f)
            return std::nullopt;
        out.push_back(static_cast<char>(c));
    }
    return out;
}

inline dmx::Text widen(const std::string &s) { return dmx::Text(s.begin(), s.end()); }

// The address a text stands for when it is one of the 512 address texts: the
// very form std::to_string gives for 0 to 511, and nothing else.
inline std::optional<int> addressOf(dmx::TextView text)
{
    const auto s = ascii(text);
    if (!s || s->empty() || s->size() > 3 || s->find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int n = std::stoi(*s);
    if (n > 511 || std::to_string(n) != *s)
        return std::nullopt;
    return n;
}

// Prints the failed expectation with the text in a readable form and aborts,
// so that libFuzzer keeps the input as a crash artifact.
[[noreturn]] inline void fail(const char *expectation, int line, dmx::TextView text)
{
    std::fprintf(stderr, "line %d: expected %s\n  text (%zu code units): \"", line, expectation,
                 text.size());
    for (const char16_t c : text) {
        if (c >= 0x20 && c < 0x7f)
            std::fputc(c, stderr);
        else
            std::fprintf(stderr, "\\u%04x", static_cast<unsigned>(c));
    }
    std::fputs("\"\n", stderr);
    std::abort();
}

} // namespace fuzz

#define FUZZ_CHECK(condition, text) \
    ((condition) ? void() : fuzz::fail(#condition, __LINE__, text))
