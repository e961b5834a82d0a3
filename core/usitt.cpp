#include "patch.h"

#include "patchtext.h"

#include <algorithm>
#include <cctype>

namespace dmx {

namespace {

// A line's words: the format's fields are separated by blanks, commas or the
// level's marks ("1<100", "1@FL"); "!" starts a comment.
std::vector<std::string_view> words(std::string_view line)
{
    line = line.substr(0, line.find('!'));
    std::vector<std::string_view> out;
    const auto separator = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == ',' || c == '<' || c == '@' || c == '/';
    };
    for (std::size_t at = 0; at < line.size();) {
        while (at < line.size() && separator(line[at]))
            ++at;
        std::size_t end = at;
        while (end < line.size() && !separator(line[end]))
            ++end;
        if (end > at)
            out.push_back(line.substr(at, end - at));
        at = end;
    }
    return out;
}

bool is(std::string_view word, std::string_view keyword)
{
    return word.size() == keyword.size()
           && std::equal(word.begin(), word.end(), keyword.begin(),
                         [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
}

} // namespace

std::variant<Rig, ReadError> readUsittAscii(std::string_view bytes, const std::string &name,
                                            const ReadOptions &)
{
    const auto fail = [&name](const std::string &what) { return cannotRead(name, what); };
    if (bytes.size() > kMostPatchBytes)
        return fail("le fichier est trop grand pour un fichier USITT ASCII");
    if (const auto what = notText(bytes))
        return fail(*what);
    const std::string text = utf8Text(bytes);
    Rig rig;
    bool patch = false;
    int lineNumber = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const auto line = words(std::string_view(text).substr(at, end - at));
        at = end + 1;
        ++lineNumber;
        if (line.empty())
            continue;
        if (is(line[0], "ENDDATA"))
            break;
        // Cues, groups, submasters and every console's own keywords ("$...")
        // are not the patch.
        if (!is(line[0], "PATCH"))
            continue;
        patch = true;
        // PATCH page channel dimmer level [dimmer level] ...: dimmers are
        // DMX slots counted on from line to line (513 is line 2's first).
        const std::string channel = line.size() > 2 ? std::string(line[2]) : "";
        for (std::size_t k = 3; k < line.size(); k += 2) {
            const AddressRead address = readAddress(line[k]);
            if (address.problem.empty() && address.at.address == 0) {
                ++rig.unpatched;
                continue;
            }
            Fixture f;
            f.label = "Circuit " + channel;
            f.universe = address.at.universe;
            f.address = address.at.address;
            f.addressProblem = address.problem;
            f.channels = 1; // a dimmer is one slot
            f.where = "ligne " + std::to_string(lineNumber);
            rig.fixtures.push_back(std::move(f));
            if (const auto tooMany = tooManyFixtures(rig))
                return fail(*tooMany);
        }
    }
    if (!patch)
        return fail("pas de patch dans ce fichier USITT ASCII (aucune ligne PATCH)");
    if (rig.fixtures.empty() && rig.unpatched == 0)
        return fail("les lignes PATCH ne donnent aucun gradateur");
    return rig;
}

} // namespace dmx
