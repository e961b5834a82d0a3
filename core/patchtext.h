#pragma once

#include "patch.h"

#include <string>
#include <string_view>

// What the patch readers share, not for the front end.
namespace dmx {

// "Lecture de NAME impossible : WHAT." ("d'" before a vowel), every reader's
// one message, its control characters shown as escapes.
ReadError cannotRead(const std::string &name, const std::string &what);

// Control characters and NUL as visible escapes ("\n", "\0", "\x1B"), so
// that a message prints whole on one line.
std::string visible(std::string_view text);

// What pugixml's status means, in French.
std::string xmlReason(int status);

// What bytes that are not text seem to be ("un document PDF"), or nothing.
std::optional<std::string> notText(std::string_view bytes);

// An address as a patch writes it (parsePatchAddress), or why it cannot be
// set: problem is the row's remark, "adresse 600 hors de 1 à 512"; universe
// and address then keep what could be read, for the sheet to show.
struct AddressRead
{
    PatchAddress at;
    std::string problem;
};
AddressRead readAddress(std::string_view text);
// The same for an address within a universe that another field gives.
AddressRead readAddress(std::string_view universe, std::string_view address);

// A parsed XML element or attribute takes some 64 bytes where the file may
// spend 4: past this many, a document is refused before it is parsed, which
// keeps a reader within ten times its input.
inline constexpr std::size_t kMostXmlMarks = 2000000;
// Why the XML text is too dense to parse ("trop d'éléments …"), or nothing.
std::optional<std::string> tooManyMarks(std::string_view xml);

// "plus de 100 000 appareils" past kMostRigFixtures, else nothing.
std::optional<std::string> tooManyFixtures(const Rig &rig);

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
