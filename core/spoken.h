#pragma once

#include "address.h"
#include "fixturemodel.h"
#include "switchbank.h"
#include "text.h"

#include <array>
#include <optional>

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

// What a window says after the model's last operation: what "Remise à zéro"
// did, or what the bank shows once the address or a switch changed; nothing
// otherwise (a new count is said by its list).
std::optional<Text> spokenAfter(const FixtureModel &model);

// Why the switches do not show a text, after what stands for it: the text
// itself when said after a change ("600 n'est pas une adresse…"), "Ce" where
// the box is in view (its tooltip, its description).
Text spokenNotAnAddress(TextView what = u"Ce");

// What a greyed address switch adds to its cell's description: the cell
// shows an earlier address than the box's text.
Text spokenStaleSwitch();

// A switch as a whole, "Interrupteur 3" or "Bouchon DMX": a front end that
// shows each switch as one toggle names it so.
Text spokenSwitchName(int k);

// A switch cell as a screen reader names it, "Interrupteur 3, ON" or
// "Bouchon DMX, OFF", and describes it: its weight, or that the terminator
// is no part of the address.
Text spokenCellName(int k, bool upper);
Text spokenCellDescription(const BankProfile &bank, int k);

// A list's choice, after its label as the window shows it: "&Ordre des
// poids :" reads "Ordre des poids : <choice>".
Text spokenChoice(TextView label, TextView choice);

} // namespace dmx
