#include "shell.h"

#include "access.h"
#include "fixturewindow.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QScreen>
#include <QStyleFactory>
#include <QTranslator>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

struct HeldMessage
{
    QtMsgType type;
    int line;
    const char *file, *function, *category;
    QString text;
};

std::mutex heldLock;
std::vector<HeldMessage> held;
QByteArray noScreenLine;

// What went wrong, for a user who started the tool from a terminal.
QByteArray noScreen(int argc, char **argv)
{
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i)
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0)
            platform = argv[i + 1];
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return QStringLiteral("adresse-dmx : la plateforme d'affichage « %1 » est introuvable ou ne s'ouvre pas.\n")
            .arg(QString::fromLocal8Bit(platform)).toUtf8();
    const char *variable = platform.startsWith("wayland") ? "WAYLAND_DISPLAY" : "DISPLAY";
    const QByteArray display = qgetenv(variable);
    const QString why = display.isEmpty()
        ? QStringLiteral("pas d'écran où ouvrir les fenêtres (%1 n'est pas défini)").arg(QLatin1String(variable))
        : QStringLiteral("l'écran %1=%2 ne répond pas").arg(QLatin1String(variable), QString::fromLocal8Bit(display));
    return QStringLiteral("adresse-dmx : %1 ; lancez l'outil depuis une session graphique.\n").arg(why).toUtf8();
}

// While the application is created, Qt's messages wait: a start that fails
// shows only the line that says why, one that succeeds shows them after.
void holdMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg) {
        std::fputs(noScreenLine.constData(), stderr);
        std::_Exit(1); // no clean-up: the application is half made
    }
    const std::lock_guard lock(heldLock);
    held.push_back({type, context.line, context.file, context.function, context.category, text});
}

// The checks under Wine have no screen reader to ask which switches typing
// set: with ADRESSE_DMX_SWITCHES in the environment, the closing window says
// it on standard output ("switches on: 3 4 7").
void reportSwitches(const FixtureWindow &w)
{
    if (!qEnvironmentVariableIsSet("ADRESSE_DMX_SWITCHES"))
        return;
    QString on;
    for (int k = 1; k <= dmx::kAddressSwitches; ++k)
        if (w.model().isOn(k))
            on += QStringLiteral(" %1").arg(k);
    std::printf("switches on:%s\n", qPrintable(on));
    std::fflush(stdout);
}

} // namespace

std::unique_ptr<QApplication> applicationOnScreen(int &argc, char **argv)
{
    noScreenLine = noScreen(argc, argv);
    const QtMessageHandler previous = qInstallMessageHandler(holdMessage);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    const std::lock_guard lock(heldLock);
    for (const HeldMessage &m : held)
        qt_message_output(m.type, QMessageLogContext(m.file, m.line, m.function, m.category), m.text);
    held.clear();
    return app;
}

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

    accessibility::install();
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
        connect(w, &FixtureWindow::otherWindowRequested, this, [this, which] { switchFrom(which); });
        connect(w, &FixtureWindow::quitRequested, this, [this, which] { quitFrom(which); });
        connect(w, &FixtureWindow::closed, this, [this, which] { quitFrom(which); });
        windows_[which] = w;
    }
    return *windows_[which];
}

// Shows the other window first, then hides this one: exactly one stays on
// screen. A window shown again goes back where the user left it: without a
// position asked for, a window manager may place it anew each time it is
// shown (openbox puts it lower every time). The position is the window's
// own, frame left out: a frame position asked for before showing comes out
// a title bar too high under openbox.
void WindowShell::switchFrom(Which which)
{
    const Which other = which == ColourDriver ? OtherFixture : ColourDriver;
    FixtureWindow &next = open(other);
    next.winId(); // a position is asked of the native window
    next.windowHandle()->setPosition(places_[other] ? *places_[other] : firstPlace(*windows_[which], next));
    next.show();
    places_[which] = windows_[which]->geometry().topLeft();
    windows_[which]->hide();
}

// A window shown for the first time takes the place of the one it replaces,
// where the user is looking; a window manager would put it elsewhere (in a
// corner, under openbox). Moved up and left as needed so that it shows
// whole, title bar included, on that window's screen.
QPoint WindowShell::firstPlace(const QWidget &from, const QWidget &next)
{
    // The widget keeps the frame it last saw; the native window may answer
    // none while the window manager updates its frame.
    const QRect outer = from.frameGeometry(), inner = from.geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    const QRect screen = from.screen()->availableGeometry().marginsRemoved(frame);
    const QPoint at = from.geometry().topLeft();
    return {std::max(screen.left(), std::min(at.x(), screen.right() + 1 - next.width())),
            std::max(screen.top(), std::min(at.y(), screen.bottom() + 1 - next.height()))};
}

void WindowShell::quitFrom(Which which)
{
    if (windows_[which])
        reportSwitches(*windows_[which]);
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
