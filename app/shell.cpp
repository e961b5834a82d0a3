#include "shell.h"

#include "fixturewindow.h"

#include <QApplication>
#include <QLocale>
#include <QStyleFactory>
#include <QTranslator>
#include <QWindow>

void setUpApplication(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Corvane adresse DMX"));
    QApplication::setApplicationVersion(QStringLiteral("3.00"));
    QApplication::setOrganizationName(QStringLiteral("Corvane"));
    // The desktop finds our menu entry, and through it the theme's plain
    // program icon, by this name. The windows set no icon of their own:
    // looking one up in the icon themes would cost a few milliseconds at
    // every start.
    QGuiApplication::setDesktopFileName(QStringLiteral(ADRESSE_DMX_APP_ID));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    app.setQuitOnLastWindowClosed(false); // the shell decides when the tool ends

    // French whatever the user's locale: the windows are French, and so must
    // be Qt's own texts (the address box's context menu).
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral(":/i18n/qtbase_fr.qm")))
        QApplication::installTranslator(translator);
}

WindowShell::WindowShell(QObject *parent)
    : QObject(parent)
{
}

WindowShell::~WindowShell()
{
    for (auto &w : windows_)
        delete w.data();
}

FixtureWindow *WindowShell::window(Which which) const
{
    return windows_[which];
}

void WindowShell::start()
{
    open(ColourDriver).show();
}

FixtureWindow &WindowShell::open(Which which)
{
    if (!windows_[which]) {
        const auto &profile = which == ColourDriver ? layout::colourDriver() : layout::otherFixture();
        auto *w = new FixtureWindow(profile);
        connect(w, &FixtureWindow::switchRequested, this, [this, which] { switchFrom(which); });
        connect(w, &FixtureWindow::quitRequested, this, [this, which] { quitFrom(which); });
        connect(w, &FixtureWindow::closed, this, [this, which] { quitFrom(which); });
        windows_[which] = w;
    }
    return *windows_[which];
}

// Shows the other window first, then hides this one: exactly one stays on
// screen. A window shown again goes back where the user left it: a window
// manager may place it anew each time it is shown (openbox puts it lower
// every time), and a position set before showing is taken for the frame by
// some and for the window by others. Set just after showing, it holds.
void WindowShell::switchFrom(Which which)
{
    const Which other = which == ColourDriver ? OtherFixture : ColourDriver;
    FixtureWindow &next = open(other);
    next.show();
    if (places_[other])
        next.windowHandle()->setFramePosition(*places_[other]);
    places_[which] = windows_[which]->pos();
    windows_[which]->hide();
}

void WindowShell::quitFrom(Which which)
{
    unload(which);
    unload(which == ColourDriver ? OtherFixture : ColourDriver);
    emit finished();
}

// The window's object goes only once control is back in the event loop, so
// the handler that asked for this can still finish.
void WindowShell::unload(Which which)
{
    FixtureWindow *w = windows_[which];
    if (!w)
        return;
    windows_[which] = nullptr;
    w->hide();
    w->deleteLater();
}
