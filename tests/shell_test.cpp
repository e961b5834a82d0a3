#include "shell.h"
#include "windowprobe.h"

#include <QApplication>
#include <QSignalSpy>
#include <QScreen>
#include <QTimer>
#include <QWindow>

// The application's life: which window exists, which is shown, when the
// tool ends.
class ShellTest : public QObject
{
    Q_OBJECT

private slots:
    void startsWithTheColourDriverWindowOnly();
    void switchingThereAndBack();
    void windowComesBackWhereItWasLeft();
    void otherWindowFirstOpensWhereTheFirstStands_data();
    void otherWindowFirstOpensWhereTheFirstStands();
    void quit_data();
    void quit();
    void quitEndsTheEventLoopWithExitCodeZero();

private:
    static WindowProbe probe(const WindowShell &shell, WindowShell::Which which)
    {
        return WindowProbe(*shell.window(which), which);
    }
};

void ShellTest::startsWithTheColourDriverWindowOnly()
{
    WindowShell shell;
    shell.start();
    QVERIFY(shell.window(WindowShell::ColourDriver));
    QVERIFY(shell.window(WindowShell::ColourDriver)->isVisible());
    QVERIFY(!shell.window(WindowShell::OtherFixture));
}

void ShellTest::switchingThereAndBack()
{
    WindowShell shell;
    shell.start();
    FixtureWindow *colour = shell.window(WindowShell::ColourDriver);
    const WindowProbe c = probe(shell, WindowShell::ColourDriver);
    c.chooseCount(8);
    c.type("100");
    c.clickCells("U10");

    c.press("Retourstandard");
    FixtureWindow *other = shell.window(WindowShell::OtherFixture);
    QVERIFY(other);
    QVERIFY(other->isVisible());
    QVERIFY(!colour->isVisible());
    QCOMPARE(c.bankState(), QStringLiteral("000000000")); // left reset
    QCOMPARE(c.terminatorState(), QStringLiteral("off"));
    QCOMPARE(c.address()->text(), QString());

    const WindowProbe s = probe(shell, WindowShell::OtherFixture);
    QCOMPARE(s.combo()->currentText(), QString()); // each window has its own count
    s.chooseCount(3);
    s.type("7");
    for (int round = 0; round < 2; ++round) {
        s.press("Retourcolordriver");
        QVERIFY(colour->isVisible());
        QVERIFY(!other->isVisible());
        QCOMPARE(c.combo()->currentText(), QStringLiteral("8"));
        QCOMPARE(s.address()->text(), QString());
        c.type("100");
        c.press("suivant"); // the window's own count steps it
        QCOMPARE(c.address()->text(), QStringLiteral("108"));
        c.press("Retourstandard");
        QCOMPARE(shell.window(WindowShell::OtherFixture), other); // the same instance
        QVERIFY(other->isVisible());
        QCOMPARE(s.combo()->count(), 30); // loaded once, never 60
        QCOMPARE(s.combo()->currentText(), QStringLiteral("3"));
        s.type("7");
        s.press("suivant100");
        QCOMPARE(s.address()->text(), QStringLiteral("10"));
    }
}

namespace {
// Plays a window manager that moves a window while it is hidden.
struct MovesHidden : QObject
{
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (QWindow *w = static_cast<QWidget *>(watched)->windowHandle(); event->type() == QEvent::Hide)
            w->setPosition(w->position() + QPoint(0, 40));
        return false;
    }
};
} // namespace

// Each window comes back where it was first placed. CTest also runs this on
// Xvfb under openbox, which places a window shown again anew.
void ShellTest::windowComesBackWhereItWasLeft()
{
    WindowShell shell;
    shell.start();
    MovesHidden windowManager; // headless, there is none to do it
    QPoint places[2];
    for (int round = 0; round < 3; ++round)
        for (const auto which : {WindowShell::ColourDriver, WindowShell::OtherFixture}) {
            const auto from = WindowShell::Which(1 - which);
            if (round > 0 || which != WindowShell::ColourDriver)
                probe(shell, from).press(kWindowNames[from].switchButton);
            FixtureWindow *w = shell.window(which);
            QVERIFY(QTest::qWaitForWindowActive(w));
            if (round > 0) {
                QTRY_COMPARE(w->pos(), places[which]);
            } else {
                places[which] = w->pos();
                if (QGuiApplication::platformName() == u"offscreen")
                    w->installEventFilter(&windowManager);
            }
        }
}

void ShellTest::otherWindowFirstOpensWhereTheFirstStands_data()
{
    QTest::addColumn<bool>("pastTheCorner"); // the first window stands partly off the screen
    QTest::newRow("whole on the screen") << false;
    QTest::newRow("past the bottom right corner") << true;
}

// CTest also runs this under openbox, at 100 % and 200 %.
void ShellTest::otherWindowFirstOpensWhereTheFirstStands()
{
    QFETCH(bool, pastTheCorner);
    WindowShell shell;
    shell.start();
    FixtureWindow *colour = shell.window(WindowShell::ColourDriver);
    QVERIFY(QTest::qWaitForWindowExposed(colour));
    const QRect screen = colour->screen()->availableGeometry();
    const QPoint at = pastTheCorner ? screen.bottomRight() - QPoint(100, 100) : screen.topLeft() + QPoint(60, 80);
    colour->windowHandle()->setPosition(at);
    QTRY_COMPARE(colour->geometry().topLeft(), at);

    probe(shell, WindowShell::ColourDriver).press(kWindowNames[0].switchButton);
    FixtureWindow *other = shell.window(WindowShell::OtherFixture);
    QVERIFY(QTest::qWaitForWindowExposed(other));
    // Both windows wear the same frame; the new one's may not be known to Qt
    // yet, so the first one's is measured.
    const QRect outer = colour->frameGeometry(), inner = colour->geometry();
    const auto framed = [&](const QRect &r) {
        return r.adjusted(outer.left() - inner.left(), outer.top() - inner.top(),
                          outer.right() - inner.right(), outer.bottom() - inner.bottom());
    };
    if (pastTheCorner) {
        // Moved no further than needed; openbox's frames may differ by a pixel.
        QTRY_VERIFY((screen.bottomRight() - framed(other->geometry()).bottomRight()).manhattanLength() <= 2);
    } else {
        QTRY_COMPARE(other->geometry().topLeft(), at);
    }
    QVERIFY(screen.contains(framed(other->geometry())));
}

void ShellTest::quit_data()
{
    QTest::addColumn<bool>("visitOther");
    QTest::addColumn<int>("from");   // the window whose button or title bar is used
    QTest::addColumn<bool>("titleBar");
    QTest::newRow("quit before the other window ever existed") << false << 0 << false;
    QTest::newRow("quit from the colour driver with the other hidden") << true << 0 << false;
    QTest::newRow("quit from the other window") << true << 1 << false;
    QTest::newRow("title bar before the other window existed") << false << 0 << true;
    QTest::newRow("title bar of the other window, colour driver hidden") << true << 1 << true;
}

void ShellTest::quit()
{
    QFETCH(bool, visitOther);
    QFETCH(int, from);
    QFETCH(bool, titleBar);
    WindowShell shell;
    QSignalSpy finished(&shell, &WindowShell::finished);
    shell.start();
    QPointer<FixtureWindow> colour = shell.window(WindowShell::ColourDriver);
    if (visitOther) {
        probe(shell, WindowShell::ColourDriver).press("Retourstandard");
        if (from == 0)
            probe(shell, WindowShell::OtherFixture).press("Retourcolordriver");
    }
    QPointer<FixtureWindow> other = shell.window(WindowShell::OtherFixture);
    const auto which = static_cast<WindowShell::Which>(from);
    if (titleBar)
        shell.window(which)->close();
    else
        probe(shell, which).press(kWindowNames[from].quit);

    QCOMPARE(finished.count(), 1);
    QVERIFY(!shell.window(WindowShell::ColourDriver));
    QVERIFY(!shell.window(WindowShell::OtherFixture));
    if (!visitOther)
        QVERIFY(!other); // never created just to be closed
    QTRY_VERIFY(!colour && !other); // released once the handler has returned
}

void ShellTest::quitEndsTheEventLoopWithExitCodeZero()
{
    WindowShell shell;
    connect(&shell, &WindowShell::finished, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    shell.start();
    QTimer::singleShot(0, &shell, [&] {
        probe(shell, WindowShell::ColourDriver).press("Retourstandard");
        probe(shell, WindowShell::OtherFixture).press("Quitterstandard");
    });
    QCOMPARE(QApplication::exec(), 0);
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    ShellTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "shell_test.moc"
