#include "announcer.h"

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
