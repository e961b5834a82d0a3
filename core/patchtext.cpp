#include "patchtext.h"
#include "text.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace dmx {

namespace {

bool validUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size() || (n == 2 && b < 0xC2))
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

// Windows-1252's 0x80 to 0x9F; the rest of the bytes are Latin-1. Five holes
// are read as their Latin-1 control characters.
constexpr std::uint16_t kCp1252[32] = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

std::string fromUtf16(std::string_view s, bool little)
{
    Text text;
    text.reserve(s.size() / 2);
    for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
        const auto a = static_cast<unsigned char>(s[i]), b = static_cast<unsigned char>(s[i + 1]);
        text += static_cast<char16_t>(little ? (b << 8 | a) : (a << 8 | b));
    }
    return toUtf8(text);
}

} // namespace

std::string utf8Text(std::string_view bytes)
{
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
        bytes.remove_prefix(3);
    else if (bytes.rfind("\xFF\xFE", 0) == 0)
        return fromUtf16(bytes.substr(2), true);
    else if (bytes.rfind("\xFE\xFF", 0) == 0)
        return fromUtf16(bytes.substr(2), false);
    if (validUtf8(bytes))
        return std::string(bytes);
    Text text;
    text.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        text += static_cast<char16_t>(b >= 0x80 && b < 0xA0 ? kCp1252[b - 0x80] : b);
    }
    return toUtf8(text);
}

std::string folded(std::string_view text)
{
    // The accented letters of French and its neighbours, by their second
    // UTF-8 byte after 0xC3.
    static constexpr char kLatin[] = "aaaaaaaceeeeiiiidnooooo/ouuuuyps"
                                     "aaaaaaaceeeeiiiidnooooo/ouuuuypy";
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == 0xC3 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[++i]);
            if (next >= 0x80 && next < 0xC0)
                out += kLatin[next - 0x80];
        } else if (b == 0xC5 && i + 1 < text.size()
                   && (text[i + 1] == '\x92' || text[i + 1] == '\x93')) {
            out += "oe";
            ++i;
        } else if (std::isalnum(b) && b < 0x80) {
            out += static_cast<char>(std::tolower(b));
        }
    }
    out.erase(std::remove(out.begin(), out.end(), '/'), out.end());
    return out;
}

std::string visible(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b != 0x7F) {
            out += c;
            continue;
        }
        switch (c) {
        case '\0': out += "\\0"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
        }
    }
    return out;
}

ReadError cannotRead(const std::string &name, const std::string &what)
{
    const std::string first = folded(std::string_view(name).substr(0, 2)).substr(0, 1);
    const bool vowel = !first.empty() && std::string_view("aeiouy").find(first[0]) != std::string_view::npos;
    return ReadError{visible((vowel ? "Lecture d'" : "Lecture de ") + name + " impossible : " + what + ".")};
}

std::string xmlReason(int status)
{
    switch (static_cast<pugi::xml_parse_status>(status)) {
    case pugi::status_ok: return "aucune erreur";
    case pugi::status_file_not_found:
    case pugi::status_io_error: return "fichier illisible";
    case pugi::status_out_of_memory: return "mémoire insuffisante";
    case pugi::status_internal_error: return "erreur interne du lecteur XML";
    case pugi::status_unrecognized_tag: return "balise incompréhensible";
    case pugi::status_bad_pi: return "instruction de traitement mal formée";
    case pugi::status_bad_comment: return "commentaire mal formé";
    case pugi::status_bad_cdata: return "section CDATA mal formée";
    case pugi::status_bad_doctype: return "déclaration DOCTYPE mal formée";
    case pugi::status_bad_pcdata: return "texte mal formé";
    case pugi::status_bad_start_element: return "balise ouvrante mal formée";
    case pugi::status_bad_attribute: return "attribut mal formé";
    case pugi::status_bad_end_element: return "balise fermante mal formée";
    case pugi::status_end_element_mismatch: return "balise fermante qui ne correspond pas à la balise ouverte";
    case pugi::status_append_invalid_root: return "élément racine impossible";
    case pugi::status_no_document_element: return "aucun élément : ce n'est pas un document XML";
    }
    return "XML illisible";
}

std::optional<std::string> notText(std::string_view b)
{
    const auto starts = [&b](std::string_view magic) { return b.substr(0, magic.size()) == magic; };
    const auto holds = [&b](std::string_view part) { return b.find(part) != std::string_view::npos; };
    if (starts("PK\x03\x04")) {
        // Office documents are zips; their members' names are in the clear.
        if (holds("opendocument.spreadsheet") || holds("xl/workbook"))
            return "c'est un classeur (Excel ou OpenDocument), pas une liste CSV : enregistrez-le en CSV depuis "
                   "le tableur";
        if (holds("opendocument.text") || holds("word/document"))
            return "c'est un document de traitement de texte (Word ou OpenDocument), pas une liste CSV";
        if (holds("GeneralSceneDescription.xml"))
            return "c'est une scène MVR, pas une liste CSV : donnez-lui l'extension .mvr";
        return "c'est une archive zip, pas une liste CSV";
    }
    if (starts("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return "c'est un document Word ou Excel d'ancien format (.doc, .xls), pas une liste CSV";
    if (starts("%PDF"))
        return "c'est un document PDF, pas une liste CSV";
    if (starts("{\\rtf"))
        return "c'est un document RTF, pas une liste CSV";
    if (starts("\x89PNG") || starts("\xFF\xD8\xFF") || starts("GIF8"))
        return "c'est une image, pas une liste CSV";
    if (!starts("\xFF\xFE") && !starts("\xFE\xFF") && holds(std::string_view("\0", 1)))
        return "le fichier n'est pas du texte (il contient des octets nuls)";
    return std::nullopt;
}

AddressRead readAddress(std::string_view text)
{
    const std::string s = trimmed(text, " \t\r");
    const auto split = s.find_first_of("./-:");
    AddressRead out{{1, 0}, {}};
    if (split == std::string::npos) {
        const auto absolute = wholeNumber(s);
        // Six digits at most: always within the last universe.
        if (!absolute)
            out.problem = "adresse « " + visible(s) + " » illisible";
        else if (*absolute > 0)
            out.at = {(*absolute - 1) / kLastChannel + 1, (*absolute - 1) % kLastChannel + 1};
        return out;
    }
    const std::string_view universe = std::string_view(s).substr(0, split), address = std::string_view(s).substr(split + 1);
    if (!wholeNumber(trimmed(universe, " ")) || !wholeNumber(trimmed(address, " "))) {
        out.problem = "adresse « " + visible(s) + " » illisible";
        return out;
    }
    return readAddress(universe, address);
}

AddressRead readAddress(std::string_view universeText, std::string_view addressText)
{
    const std::string u = trimmed(universeText, " \t\r"), a = trimmed(addressText, " \t\r");
    const auto universe = wholeNumber(u);
    const auto address = wholeNumber(a);
    AddressRead out{{1, address.value_or(0)}, {}};
    if (!universe || !address)
        out.problem = universe || u.empty() ? "adresse « " + visible(a) + " » illisible"
                                            : "univers « " + visible(u) + " » illisible";
    else if (*universe < 1 || *universe > kMostUniverses)
        out.problem = "univers " + u + " hors de 1 à " + std::to_string(kMostUniverses);
    else if (*address > kLastChannel)
        out.problem = "adresse " + a + " hors de 1 à " + std::to_string(kLastChannel);
    if (universe && *universe >= 1 && *universe <= kMostUniverses)
        out.at.universe = *universe;
    return out;
}

std::optional<std::string> tooManyMarks(std::string_view xml)
{
    std::size_t marks = 0;
    for (const char c : xml)
        if ((c == '<' || c == '=') && ++marks > kMostXmlMarks)
            return "plus de 2 000 000 éléments et attributs XML : trop pour un patch";
    return std::nullopt;
}

std::optional<std::string> tooManyFixtures(const Rig &rig)
{
    if (rig.fixtures.size() + rig.unpatched <= kMostRigFixtures)
        return std::nullopt;
    return "plus de 100 000 appareils : ce n'est pas le patch d'un spectacle, la lecture s'arrête là";
}

std::optional<int> wholeNumber(std::string_view s)
{
    if (s.empty() || s.size() > 6 || s.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    int n = 0;
    for (const char c : s)
        n = n * 10 + (c - '0');
    return n;
}

int lineAt(std::string_view text, std::ptrdiff_t offset) { return LineCounter(text).at(offset); }

int LineCounter::at(std::ptrdiff_t offset)
{
    const auto end = std::min<std::size_t>(text_.size(), static_cast<std::size_t>(std::max<std::ptrdiff_t>(offset, 0)));
    if (end < counted_) {
        counted_ = 0;
        line_ = 1;
    }
    line_ += static_cast<int>(std::count(text_.begin() + static_cast<std::ptrdiff_t>(counted_),
                                         text_.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
    counted_ = end;
    return line_;
}

} // namespace dmx
