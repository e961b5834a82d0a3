#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

// Says a sentence to a screen reader. Qt 6.4 has no announcement event, but
// Orca speaks a notification the moment it appears, and names no role for
// one inside a status bar: so the announcer is an empty status bar of its
// window, and each sentence a notification shown in it. Nothing of either
// is seen.
class Announcer : public QWidget
{
    Q_OBJECT
public:
    // The announcer of the window that `window` is or belongs to, made on
    // first use.
    static Announcer &of(QWidget *window);

    // Said once the changes have paused for half a second, so that typing
    // "100" is heard once; a later sentence takes the place of one not yet
    // said. A hidden window says nothing.
    void say(const QString &sentence);

private:
    explicit Announcer(QWidget *window);
    void sayNow();

    QTimer pause_;
    QString pending_;
    QWidget *shown_ = nullptr;
};

// One sentence, as a screen reader sees it: a notification.
class Announcement : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};
