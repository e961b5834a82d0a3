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
};

struct Rig
{
    std::vector<Fixture> fixtures;
};

// A patch that cannot be read: one French sentence naming the file and where.
struct ReadError
{
    std::string message;
};

} // namespace dmx
