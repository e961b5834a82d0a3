#include "value.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace dmx {

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

Text fromAscii(const char *s)
{
    Text out;
    for (; *s; ++s)
        out.push_back(static_cast<char16_t>(*s));
    return out;
}

// Integer results stay 16-bit while they fit, like the runtime's Integer;
// beyond that they carry on as doubles, which hold them exactly.
Value numeric(double d, bool integral)
{
    if (integral && d >= std::numeric_limits<std::int16_t>::min()
        && d <= std::numeric_limits<std::int16_t>::max())
        return Value::integer(static_cast<std::int16_t>(d));
    return Value::number(d);
}

std::optional<Value> combine(const Value &a, const Value &b, int sign)
{
    const auto x = a.toNumber();
    const auto y = b.toNumber();
    if (!x || !y)
        return std::nullopt;
    const bool integral = (a.isInteger() || a.isUnset()) && (b.isInteger() || b.isUnset());
    return numeric(*x + sign * *y, integral);
}

} // namespace

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

Text Value::toText() const
{
    if (const auto *t = std::get_if<Text>(&store_))
        return *t;
    if (const auto *n = std::get_if<std::int16_t>(&store_))
        return numberToText(*n);
    if (const auto *d = std::get_if<double>(&store_))
        return numberToText(*d);
    return {};
}

std::optional<double> Value::toNumber() const
{
    if (const auto *t = std::get_if<Text>(&store_))
        return textToNumber(*t);
    if (const auto *n = std::get_if<std::int16_t>(&store_))
        return *n;
    if (const auto *d = std::get_if<double>(&store_))
        return *d;
    return 0.0;
}

std::optional<Value> operator+(const Value &a, const Value &b)
{
    if (a.isUnset())
        return b;
    if (b.isUnset())
        return a;
    return combine(a, b, +1);
}

std::optional<Value> operator-(const Value &a, const Value &b)
{
    return combine(a, b, -1);
}

} // namespace dmx
