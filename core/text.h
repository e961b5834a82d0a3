#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dmx {

// Texts are UTF-16 so that "character i" and exact comparison count the same
// code units the windows show.
using Text = std::u16string;
using TextView = std::u16string_view;

// Accepts optional blanks (space, tab), an optional "+" or "-", at least one
// ASCII digit and optional blanks again: " 12", "-2", "007". Anything else,
// the empty text included, is not a number.
std::optional<double> textToNumber(TextView text);

// A text of ASCII characters, as the windows show it.
Text fromAscii(std::string_view s);

// Between the UTF-16 of the windows and the UTF-8 of files and of a web
// page's messages. A byte sequence or a lone surrogate that encodes nothing
// becomes U+FFFD.
std::string toUtf8(TextView text);
Text fromUtf8(std::string_view text);

// Plain decimal form: "112", "-2", "0"; no blank, no leading zero.
Text numberToText(double value);

// The text without any of `blanks` at either end.
std::string trimmed(std::string_view s, const char *blanks);

// Each line break or control character, with the blanks around it, becomes
// one space, so that what the user typed never splits a line of ours.
std::string oneLine(const std::string &s);

// A count and its noun in French: "1 appareil", "0 appareil", "12 appareils".
// French puts 0 and 1 in the singular. The one plural rule of the program.
std::string counted(long long n, std::string_view one, std::string_view many);
// The noun alone, as counted() agrees it with n: "interrupteurs" before a
// list of the switches themselves.
std::string agreed(long long n, std::string_view one, std::string_view many);

} // namespace dmx
