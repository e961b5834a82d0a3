#pragma once

#include "address.h"
#include "text.h"

#include <array>

namespace dmx {

// The one short French sentence a screen reader says after a change, so that
// a technician who cannot see the bank hears what it shows without visiting
// the cells one by one.

// What the bank shows: the address when the box holds one (or "vide"), and
// the switches drawn ON, the terminator counted as "bouchon". A text that is
// not an address gives the warning instead: the switches do not show it.
Text spokenBank(TextView address, const std::array<bool, kAddressSwitches> &on, bool terminated);

// What "Remise à zéro" did.
Text spokenReset();

// A list's choice, after its label as the window shows it: "&Ordre des
// poids :" reads "Ordre des poids : <choice>".
Text spokenChoice(TextView label, TextView choice);

} // namespace dmx
