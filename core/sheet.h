#pragma once

#include "plan.h"

#include <string>
#include <variant>

// The addressing sheet: a run of identical fixtures on one DMX line, each
// with its start address and the switch settings that give it. It is the
// plan of a rig of one line whose fixtures share the window's profile.
namespace dmx {

// Bad input is a value with a French message for the user, never a throw.
struct PlanError
{
    std::string message; // UTF-8
};

// The fixtures are numbered from 1 and labelled by their number.
std::variant<Plan, PlanError> makePlan(const Run &run);

// "PREMIERE,CANAUX,NOMBRE" as typed ("1,7,12", " 1, +7 ,12"): three whole
// numbers, each with an optional sign and blanks around it. A number too
// long for any machine word is out of range like any other, not unreadable.
std::variant<Run, PlanError> readRun(const std::string &text);

// The two windows' weight orders, the colour drivers' first, as the sheet
// offers them; and the built-in profile of the one a bank has.
inline constexpr BankProfile kWeightOrders[] = {kColourDriverBank, kOtherFixtureBank};
const SwitchProfile &windowProfile(const BankProfile &bank);

// "adresses 1 à 78, dernier canal 84", or "adresse 42, dernier canal 48" for
// a single fixture.
std::string addressSpan(const Plan &plan);
// What the sheet will hold and what is wrong with it, before it is printed:
// "Adresses 1 à 78, dernier canal 84. 2 appareils hors de la ligne ou des
// interrupteurs."
std::string runSummary(const Plan &plan);
// "12 appareils de 7 canaux : adresses 1 à 78, dernier canal 84".
std::string runLine(const Plan &plan);
// The words the sheet prints for the weight order ("interrupteur 1 = 256").
std::string weightOrder(const BankProfile &bank);

} // namespace dmx
