#include "spoken.h"

#include <algorithm>
#include <string>
#include <vector>

namespace dmx {

namespace {

// "3", "3 et 7", "3, 4 et 7": the way the items are said in French.
Text listed(const std::vector<Text> &items)
{
    Text out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += i + 1 == items.size() ? u" et " : u", ";
        out += items[i];
    }
    return out;
}

constexpr char16_t kNotAnAddress[] = u" n'est pas une adresse";

Text switchesOn(const std::array<bool, kAddressSwitches> &on, bool terminated)
{
    std::vector<Text> items;
    for (int k = 1; k <= kAddressSwitches; ++k)
        if (on[k - 1])
            items.push_back(numberToText(k));
    if (items.empty())
        return terminated ? u"bouchon seul sur ON" : u"tous les interrupteurs sur OFF";
    const Text word = fromAscii(agreed(static_cast<long long>(items.size()), "interrupteur", "interrupteurs")) + u' ';
    if (terminated)
        items.push_back(u"bouchon");
    return word + listed(items) + u" sur ON";
}

} // namespace

Text spokenBank(TextView address, const std::array<bool, kAddressSwitches> &on, bool terminated)
{
    if (!address.empty() && !addressOf(address))
        return spokenNotAnAddress(address);
    const Text shown = address.empty() ? Text(u"vide") : Text(address);
    return u"Adresse " + shown + u" : " + switchesOn(on, terminated);
}

Text spokenReset()
{
    return u"Remise à zéro : adresse vide, tous les interrupteurs et le bouchon sur OFF";
}

std::optional<Text> spokenAfter(const FixtureModel &model)
{
    const Change &changed = model.changed();
    if (changed.reset)
        return spokenReset();
    if (!changed.text && std::find(changed.switches.begin(), changed.switches.end(), true) == changed.switches.end())
        return std::nullopt;
    std::array<bool, kAddressSwitches> address{};
    for (int k = 1; k <= kAddressSwitches; ++k)
        address[static_cast<std::size_t>(k - 1)] = model.isOn(k);
    return spokenBank(model.text(), address, model.isOn(kTerminatorSwitch));
}

Text spokenNotAnAddress(TextView what)
{
    return Text(what) + kNotAnAddress + u" de 0 à " + numberToText(kLargestAddress)
        + u" : les interrupteurs ne l'affichent pas";
}

Text spokenStaleSwitch()
{
    return Text(u"ancien réglage : le texte de la case Adresse DMX") + kNotAnAddress;
}

Text spokenSwitchName(int k)
{
    return k == kTerminatorSwitch ? Text(u"Bouchon DMX") : u"Interrupteur " + numberToText(k);
}

Text spokenCellName(int k, bool upper)
{
    return spokenSwitchName(k) + u", " + (upper ? kOn : kOff);
}

Text spokenCellDescription(const BankProfile &bank, int k)
{
    return k == kTerminatorSwitch ? Text(u"Bouchon DMX, hors adresse") : u"Poids " + numberToText(bank.weight(k));
}

Text spokenChoice(TextView label, TextView choice)
{
    // A single "&" marks the shortcut letter, "&&" is a plain "&".
    Text name;
    for (std::size_t i = 0; i < label.size(); ++i) {
        if (label[i] == u'&' && i + 1 < label.size())
            ++i;
        name += label[i];
    }
    while (!name.empty() && (name.back() == u' ' || name.back() == u':'))
        name.pop_back();
    return name + u" : " + Text(choice);
}

} // namespace dmx
