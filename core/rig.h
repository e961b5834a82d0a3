#pragma once

#include "profiles.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A rig: every fixture of a show's patch, on several DMX lines, each with the
// switch convention of its own bank. Texts are UTF-8.
namespace dmx {

struct Fixture
{
    std::string label;
    std::string type;               // maker and model, as the patch names it
    std::string mode;
    int universe = 1;               // DMX line, from 1
    int address = 1;                // start address, 1 to 512 as consoles number them
    std::optional<int> channels;    // unknown when neither the patch nor a library gives it
    std::string where;              // where the patch holds it, for messages ("ligne 12")
    std::string channelsNote;       // why the count is unknown, when the patch says
    // Slots between the address and the first one the fixture takes: a GDTF
    // mode's later break may start past its break's first slot.
    int offset = 0;
    // Why the patch's address cannot be set, as the row's remark says it:
    // "adresse 600 hors de 1 à 512", "univers absent". The fixture is still
    // shown, without switches.
    std::string addressProblem;
};

// Past this, a patch is refused before it fills the memory: the largest real
// rigs hold a few thousand fixtures.
inline constexpr std::size_t kMostRigFixtures = 100000;

struct Rig
{
    std::vector<Fixture> fixtures;
    std::size_t unpatched = 0;      // fixtures the patch lists without an address, left out
};

// A patch that cannot be read: one French sentence naming the file and where.
struct ReadError
{
    std::string message;
};

} // namespace dmx
