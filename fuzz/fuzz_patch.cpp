// A patch reader on any bytes: it returns a rig or a French message, never
// crashes, and what it returns keeps the rig's bounds, so the plan and its
// tables can be made from it. Built once per reader (PATCH_READER).

#include "patch.h"
#include "table.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    dmx::ReadOptions options;
    options.mostEntryBytes = 1 << 20; // a bomb shows as well at a megabyte
    const auto read = dmx::PATCH_READER(bytes, "fuzz", options);
    if (const auto *error = std::get_if<dmx::ReadError>(&read)) {
        if (error->message.rfind("Lecture de fuzz impossible : ", 0) != 0)
            std::abort();
        return 0;
    }
    const dmx::Rig &rig = std::get<dmx::Rig>(read);
    for (const dmx::Fixture &f : rig.fixtures)
        if (f.universe < 1 || f.universe > dmx::kMostUniverses
            || (f.addressProblem.empty() && (f.address < 0 || f.address > 512))
            || (f.channels && (*f.channels < 1 || *f.channels > 999999)) || f.offset < 0
            || f.addressProblem.find('\0') != std::string::npos)
            std::abort();
    const dmx::Plan plan = dmx::makePlan(rig, dmx::Profiles{});
    if (rig.fixtures.size() + rig.unpatched > dmx::kMostRigFixtures || plan.rowCount() != rig.fixtures.size() || dmx::separatedTable(plan, ';', "").empty())
        std::abort();
    return 0;
}
