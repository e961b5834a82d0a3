#include "switchbank.h"

#include "address.h"

namespace dmx {

int BankProfile::drivingCharacter(int k) const
{
    int character = kAddressSwitches;
    for (int w = weight(k); w > 1; w >>= 1)
        --character;
    return character;
}

void SwitchBank::set(int k, bool on)
{
    values_[k - 1] = Value::integer(on ? profile_.weight(k) : std::int16_t{0});
}

Value SwitchBank::sum() const
{
    Value total;
    for (const Value &v : values_)
        total = (total + v).value_or(total); // integers always add
    return total.isUnset() ? Value::integer(0) : total;
}

std::array<std::optional<bool>, kAddressSwitches> SwitchBank::follow(TextView pattern)
{
    std::array<std::optional<bool>, kAddressSwitches> settings;
    for (int k = 1; k <= kAddressSwitches; ++k) {
        const auto i = static_cast<std::size_t>(profile_.drivingCharacter(k) - 1);
        if (i >= pattern.size())
            continue;
        if (pattern[i] == u'1' || pattern[i] == u'0') {
            settings[k - 1] = pattern[i] == u'1';
            set(k, *settings[k - 1]);
        }
    }
    return settings;
}

} // namespace dmx
