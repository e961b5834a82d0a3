#include "announcer.h"

#include "fixturewindow.h"
#include "spoken.h"
#include "textbox.h"

#include <algorithm>

Announcer::Announcer(QWidget *window)
    : QWidget(window)
{
    setGeometry(0, 0, 0, 0);
    pause_.setSingleShot(true);
    pause_.setInterval(500);
    connect(&pause_, &QTimer::timeout, this, &Announcer::sayNow);
    show();
}

// Orca says a dialog's title and text again before each notification in it,
// so a dialog's sentences are said by the window it belongs to.
Announcer &Announcer::of(QWidget *window)
{
    while (window->parentWidget())
        window = window->parentWidget()->window();
    if (auto *own = window->findChild<Announcer *>(QString(), Qt::FindDirectChildrenOnly))
        return *own;
    return *new Announcer(window);
}

void Announcer::say(const QString &sentence)
{
    pending_ = sentence;
    pause_.start();
}

// A new notification each time: a screen reader may have kept the name of
// the last one, and Qt 6.4 does not send it a changed name it can read.
void Announcer::sayNow()
{
    if (!window()->isVisible())
        return;
    delete shown_;
    shown_ = new Announcement(this);
    shown_->setAccessibleName(pending_);
    shown_->setGeometry(0, 0, 0, 0);
    shown_->show();
}

void announceChanges(FixtureWindow &window)
{
    QObject::connect(&window, &FixtureWindow::changed, &window, [&window](const dmx::Change &what) {
        const dmx::FixtureModel &model = window.model();
        // Only "Remise à zéro" writes an empty box.
        if (what.written && model.text().empty()) {
            Announcer::of(&window).say(fromText(dmx::spokenReset()));
            return;
        }
        if (!what.text && std::none_of(what.switches.begin(), what.switches.end(), [](bool b) { return b; }))
            return; // a new count is said by its list
        std::array<bool, dmx::kAddressSwitches> address{};
        for (int k = 1; k <= dmx::kAddressSwitches; ++k)
            address[k - 1] = model.isOn(k);
        Announcer::of(&window).say(
            fromText(dmx::spokenBank(model.text(), address, model.isOn(dmx::kTerminatorSwitch))));
    });
}
