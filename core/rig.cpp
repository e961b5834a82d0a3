#include "rig.h"

#include "sheet.h"

#include <algorithm>
#include <map>
#include <set>

namespace dmx {

namespace {

SwitchProfile builtIn(const char *name, const BankProfile &bank)
{
    SwitchProfile p;
    p.name = name;
    p.order = bank;
    return p;
}

} // namespace

std::array<std::int16_t, 10> SwitchProfile::weights() const
{
    std::array<std::int16_t, 10> w{};
    std::copy(order.weights.begin(), order.weights.end(), w.begin());
    w[9] = tenth == TenthSwitch::Weight512 ? 512 : 0;
    return w;
}

std::optional<std::array<bool, 10>> SwitchProfile::switchesFor(int address) const
{
    // Past the line no bank sets anything; a start of 0 is set as the bank
    // gives it, and the plan says that no channel is there.
    if (address < 0 || address > kLastChannel)
        return std::nullopt;
    return switchesOf(address - offset, weights());
}

std::string SwitchProfile::description() const
{
    std::string out = weightOrder(order) + (onIsUp ? ", ON en haut" : ", ON en bas")
                      + (offset == 0 ? ", adresse telle quelle" : ", adresse moins un");
    switch (tenth) {
    case TenthSwitch::None: return out + ", neuf interrupteurs";
    case TenthSwitch::Terminator: return out + ", interrupteur 10 = bouchon";
    case TenthSwitch::Weight512: return out + ", interrupteur 10 = 512";
    case TenthSwitch::Function:
        return out + ", interrupteur 10 = " + functionName + (functionOn ? " (ON)" : " (OFF)");
    }
    return out;
}

bool operator==(const SwitchProfile &a, const SwitchProfile &b)
{
    return a.name == b.name && a.order.weights == b.order.weights && a.onIsUp == b.onIsUp
           && a.offset == b.offset && a.tenth == b.tenth && a.functionName == b.functionName
           && a.functionOn == b.functionOn;
}

const std::vector<SwitchProfile> &builtInProfiles()
{
    static const std::vector<SwitchProfile> profiles{
        builtIn("Standard (interrupteur 1 = 1)", kOtherFixtureBank),
        builtIn("Pilote de LED Corvane (interrupteur 1 = 256)", kColourDriverBank),
    };
    return profiles;
}

const SwitchProfile &otherFixtureProfile() { return builtInProfiles()[0]; }
const SwitchProfile &colourDriverProfile() { return builtInProfiles()[1]; }

std::vector<SwitchProfile> ProfileChoices::all() const
{
    std::vector<SwitchProfile> out = builtInProfiles();
    out.insert(out.end(), own.begin(), own.end());
    return out;
}

const SwitchProfile *ProfileChoices::find(const std::string &name) const
{
    for (const SwitchProfile &p : builtInProfiles())
        if (p.name == name)
            return &p;
    for (const SwitchProfile &p : own)
        if (p.name == name)
            return &p;
    return nullptr;
}

const SwitchProfile &ProfileChoices::profileFor(const std::string &type,
                                                const std::string &mode) const
{
    const SwitchProfile *byType = nullptr;
    for (const Choice &c : choices) {
        if (c.type != type)
            continue;
        if (c.mode == mode)
            if (const SwitchProfile *p = find(c.profile))
                return *p;
        if (c.mode.empty() && !byType)
            byType = find(c.profile);
    }
    return byType ? *byType : otherFixtureProfile();
}

void ProfileChoices::choose(const std::string &type, const std::string &mode,
                            const std::string &profile)
{
    for (Choice &c : choices)
        if (c.type == type && c.mode == mode) {
            c.profile = profile;
            return;
        }
    choices.push_back({type, mode, profile});
}

} // namespace dmx
