#include "spoken.h"

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

Text switchesOn(const std::array<bool, kAddressSwitches> &on, bool terminated)
{
    std::vector<Text> items;
    for (int k = 1; k <= kAddressSwitches; ++k)
        if (on[k - 1])
            items.push_back(numberToText(k));
    if (items.empty())
        return terminated ? u"bouchon seul sur ON" : u"tous les interrupteurs sur OFF";
    const Text word = items.size() == 1 ? u"interrupteur " : u"interrupteurs ";
    if (terminated)
        items.push_back(u"bouchon");
    return word + listed(items) + u" sur ON";
}

} // namespace

Text spokenBank(TextView address, const std::array<bool, kAddressSwitches> &on, bool terminated)
{
    if (!address.empty() && !addressOf(address))
        return Text(address) + u" n'est pas une adresse de 0 à 511 : les interrupteurs ne l'affichent pas";
    const Text shown = address.empty() ? Text(u"vide") : Text(address);
    return u"Adresse " + shown + u" : " + switchesOn(on, terminated);
}

Text spokenReset()
{
    return u"Remise à zéro : adresse vide, tous les interrupteurs et le bouchon sur OFF";
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
