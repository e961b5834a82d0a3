#include "announcer.h"

#include "fixturewindow.h"
#include "spoken.h"
#include "switchcell.h"

#include <QPushButton>

namespace {

QString fromText(const dmx::Text &t)
{
    return QString::fromStdU16String(t);
}

} // namespace

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
    using layout::Role;
    auto *box = static_cast<QLineEdit *>(window.control({Role::AddressBox}));
    const auto bank = [&window, box] {
        const auto on = [&window](int k) {
            return static_cast<SwitchCell *>(window.control({Role::Upper, k}))->isChecked();
        };
        std::array<bool, dmx::kAddressSwitches> address{};
        for (int k = 1; k <= dmx::kAddressSwitches; ++k)
            address[k - 1] = on(k);
        Announcer::of(&window).say(
            fromText(dmx::spokenBank(box->text().toStdU16String(), address, on(dmx::kTerminatorSwitch))));
    };
    // Connected after the window's own handlers, so the bank is redrawn first.
    QObject::connect(box, &QLineEdit::textChanged, &window, bank);
    QObject::connect(static_cast<QLineEdit *>(window.control({Role::Indicator})), &QLineEdit::textChanged,
                     &window, bank);
    QObject::connect(static_cast<QPushButton *>(window.control({Role::Reset})), &QPushButton::clicked, &window,
                     [&window] { Announcer::of(&window).say(fromText(dmx::spokenReset())); });
}
