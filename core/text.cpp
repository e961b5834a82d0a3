#include "text.h"

#include <cmath>
#include <cstdio>

namespace dmx {

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

} // namespace

Text fromAscii(std::string_view s)
{
    return Text(s.begin(), s.end());
}

std::string toUtf8(TextView text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (c >= 0xD800 && c < 0xE000)
            c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

Text fromUtf8(std::string_view text)
{
    Text out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        // The sequence's length and the smallest code point it may hold, so
        // that an overlong form is refused.
        const int length = b < 0x80 ? 1 : b >= 0xC2 && b < 0xE0 ? 2 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xF0 && b < 0xF5 ? 4 : 0;
        char32_t c = length == 1 ? b : length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
        int taken = 1;
        while (length > 1 && taken < length && i + taken < text.size()
               && (static_cast<unsigned char>(text[i + taken]) & 0xC0) == 0x80)
            c = (c << 6) | (static_cast<unsigned char>(text[i + taken++]) & 0x3F);
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (length == 0 || taken < length || c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
            out += u'\uFFFD';
        } else if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += static_cast<std::size_t>(taken);
    }
    return out;
}

std::optional<double> textToNumber(TextView text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    const std::size_t firstDigit = i;
    double value = 0;
    while (i < n && text[i] >= u'0' && text[i] <= u'9')
        value = value * 10 + (text[i++] - u'0');
    if (i == firstDigit)
        return std::nullopt;
    while (i < n && isBlank(text[i]))
        ++i;
    if (i != n || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

Text numberToText(double value)
{
    char buffer[40];
    if (value == 0) // also turns -0 into "0"
        return u"0";
    if (std::trunc(value) == value && std::fabs(value) < 1e15)
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
    else
        std::snprintf(buffer, sizeof buffer, "%.15G", value);
    return fromAscii(buffer);
}

std::string trimmed(std::string_view s, const char *blanks)
{
    const auto first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return std::string(s.substr(first, s.find_last_not_of(blanks) - first + 1));
}

namespace {

// Length of the line break or other control character at s[i] in UTF-8
// (U+0085, U+2028 and U+2029 included), 0 if there is none.
std::size_t breakAt(const std::string &s, std::size_t i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 || c == 0x7f)
        return 1;
    if (s.compare(i, 2, "\xC2\x85") == 0)
        return 2;
    if (s.compare(i, 3, "\xE2\x80\xA8") == 0 || s.compare(i, 3, "\xE2\x80\xA9") == 0)
        return 3;
    return 0;
}

} // namespace

std::string oneLine(const std::string &s)
{
    std::string out;
    bool broken = false;
    for (std::size_t i = 0; i < s.size();) {
        if (const std::size_t n = breakAt(s, i)) {
            broken = true;
            i += n;
        } else if (broken && s[i] == ' ') {
            ++i;
        } else {
            if (broken) {
                while (!out.empty() && out.back() == ' ')
                    out.pop_back();
                out += ' ';
                broken = false;
            }
            out += s[i++];
        }
    }
    if (broken) {
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        out += ' ';
    }
    return out;
}

std::string counted(long long n, std::string_view one, std::string_view many)
{
    return std::to_string(n) + ' ' + std::string(n > 1 || n < -1 ? many : one);
}

std::string agreed(long long n, std::string_view one, std::string_view many)
{
    const std::string said = counted(n, one, many);
    return said.substr(said.find(' ') + 1);
}

} // namespace dmx
