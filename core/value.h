#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace dmx {

// Texts are UTF-16 so that "character i" and exact comparison count the same
// code units the windows show.
using Text = std::u16string;
using TextView = std::u16string_view;

// The forms runtime's dynamically typed value: unset until first written,
// then a 16-bit integer, a double or a text.
class Value
{
public:
    Value() = default;
    static Value integer(std::int16_t n) { return Value(Store(n)); }
    static Value number(double d) { return Value(Store(d)); }
    static Value text(Text t) { return Value(Store(std::move(t))); }

    bool isUnset() const { return std::holds_alternative<std::monostate>(store_); }
    bool isInteger() const { return std::holds_alternative<std::int16_t>(store_); }
    bool isText() const { return std::holds_alternative<Text>(store_); }

    // What a text box shows when the value is written into it: unset gives
    // the empty text, a number its plain decimal form.
    Text toText() const;
    // Unset counts as 0; a text that is not a number gives nothing.
    std::optional<double> toNumber() const;

    friend bool operator==(const Value &a, const Value &b) { return a.store_ == b.store_; }
    friend bool operator!=(const Value &a, const Value &b) { return !(a == b); }

private:
    using Store = std::variant<std::monostate, std::int16_t, double, Text>;
    explicit Value(Store s) : store_(std::move(s)) {}
    Store store_;
};

// Arithmetic of the runtime. Adding an unset operand gives the other operand
// unchanged, text included; subtracting counts unset as 0. Text operands are
// converted to numbers; a text that is not a number gives no result, which
// the caller has to handle.
[[nodiscard]] std::optional<Value> operator+(const Value &a, const Value &b);
[[nodiscard]] std::optional<Value> operator-(const Value &a, const Value &b);

// Accepts optional blanks (space, tab), an optional "+" or "-", at least one
// ASCII digit and optional blanks again: " 12", "-2", "007". Anything else,
// the empty text included, is not a number.
std::optional<double> textToNumber(TextView text);

// Plain decimal form: "112", "-2", "0"; no blank, no leading zero.
Text numberToText(double value);

} // namespace dmx
