#include "switchbank.h"

namespace dmx {

int BankProfile::drivingCharacter(int k) const
{
    int character = kAddressSwitches;
    for (int w = weight(k); w > 1; w >>= 1)
        --character;
    return character;
}

} // namespace dmx
