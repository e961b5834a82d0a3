#pragma once

#include "patch.h"

#include <string>
#include <string_view>

// What the patch readers share, not for the front end.
namespace dmx {

// "Lecture de NAME impossible : WHAT.", every reader's one message.
ReadError cannotRead(const std::string &name, const std::string &what);

// A whole number of at most six digits, nothing else around it.
std::optional<int> wholeNumber(std::string_view text);

// The bytes as UTF-8: a byte-order mark dropped, UTF-16 (with its mark)
// converted, and text that is not UTF-8 read as Windows-1252, as French
// spreadsheets save it.
std::string utf8Text(std::string_view bytes);

// For matching names: lower case, accents dropped, letters and digits only.
std::string folded(std::string_view text);

// The line (from 1) of a byte offset, for messages on XML files.
int lineAt(std::string_view text, std::ptrdiff_t offset);

// The same for offsets asked in increasing order, as a reader walks a
// document: each newline is counted once.
class LineCounter
{
public:
    explicit LineCounter(std::string_view text) : text_(text) {}
    int at(std::ptrdiff_t offset);

private:
    std::string_view text_;
    std::size_t counted_ = 0;
    int line_ = 1;
};

// An MVR scene read in place: only the entries it needs leave the file.
std::variant<Rig, ReadError> readMvrFile(const std::string &path, const std::string &name,
                                         const ReadOptions &options);

} // namespace dmx
