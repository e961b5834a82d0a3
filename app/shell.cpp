#include "shell.h"

#include "fixturewindow.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QStyleFactory>
#include <QTranslator>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// Started from a console (as root, say), no session gives the tool a runtime
// folder, and Qt would warn at every start before falling back on
// <tmp>/runtime-<user>. We make that same folder and point Qt at it, but only
// if it is a real folder of ours that nobody else may enter; otherwise Qt's
// own warning says what is wrong.
void provideRuntimeDir()
{
#ifdef Q_OS_LINUX
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const passwd *user = getpwuid(geteuid());
    if (!user)
        return;
    const QByteArray dir = QFile::encodeName(QDir::tempPath()) + "/runtime-" + user->pw_name;
    struct stat info{};
    if ((mkdir(dir.constData(), 0700) == 0 || errno == EEXIST) && lstat(dir.constData(), &info) == 0
        && S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 077) == 0)
        qputenv("XDG_RUNTIME_DIR", dir);
#endif
}

void setUpApplication(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Corvane adresse DMX"));
    QApplication::setApplicationVersion(QStringLiteral(ADRESSE_DMX_VERSION));
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

// Shows the other window first, then hides this one: exactly one stays on screen.
void WindowShell::switchFrom(Which which)
{
    open(which == ColourDriver ? OtherFixture : ColourDriver).show();
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
