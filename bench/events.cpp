// How long the user waits for each kind of event in the real windows: the
// handlers alone, then with the paint that follows. The events go through
// QApplication as the user's would; the clock runs on this thread only.
#include "fixturewindow.h"
#include "shell.h"
#include "textbox.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using layout::Role;

struct Case
{
    const char *name;
    std::function<void(int)> prepare; // untimed, before event i
    std::function<void()> event;
    std::function<QWidget *()> shown; // the window on screen after the event
};

enum class Paint {
    None,
    // What the event loop does next: deliver the expose and update requests
    // the event left, which paint what changed.
    EventLoop,
    // The whole window painted once, whatever changed.
    Whole,
};

double percentile(const std::vector<double> &sorted, double q)
{
    const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(sorted.size())));
    return sorted[std::max<std::size_t>(rank, 1) - 1];
}

// A window just shown cannot paint before its expose, and that expose paints
// all of it.
void paintWhole(QWidget *window)
{
    if (window->windowHandle()->isExposed())
        window->repaint();
    else
        QCoreApplication::processEvents();
}

std::vector<double> measure(const Case &c, Paint paint, int iterations, int warmUp)
{
    std::vector<double> us;
    us.reserve(static_cast<std::size_t>(iterations));
    for (int i = 0; i < warmUp + iterations; ++i) {
        c.prepare(i);
        QCoreApplication::processEvents(); // nothing left over from the last round
        const auto start = std::chrono::steady_clock::now();
        c.event();
        if (paint == Paint::EventLoop)
            QCoreApplication::processEvents();
        else if (paint == Paint::Whole)
            paintWhole(c.shown());
        const auto end = std::chrono::steady_clock::now();
        if (i >= warmUp)
            us.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(us.begin(), us.end());
    return us;
}

template<typename T>
T *control(FixtureWindow *w, Role role, int column = 0)
{
    auto *c = qobject_cast<T *>(w->control({role, column}));
    if (!c)
        std::abort();
    return c;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpApplication(app);
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int warmUp = 50;

    WindowShell shell;
    shell.start();
    FixtureWindow *colour = shell.window(WindowShell::ColourDriver);
    QCoreApplication::processEvents();

    // The other window is built on its first use only: once, not per event.
    const auto firstStart = std::chrono::steady_clock::now();
    QTest::mouseClick(control<QPushButton>(colour, Role::OtherWindow), Qt::LeftButton);
    QCoreApplication::processEvents();
    const double firstSwitchUs =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - firstStart).count();
    FixtureWindow *other = shell.window(WindowShell::OtherFixture);
    QTest::mouseClick(control<QPushButton>(other, Role::OtherWindow), Qt::LeftButton);
    QCoreApplication::processEvents();

    auto *address = control<AddressBox>(colour, Role::AddressBox);
    auto *count = control<QComboBox>(colour, Role::Combo);
    for (int n = 0; n < 4; ++n)
        QTest::keyClick(count, Qt::Key_Down);
    if (count->currentText() != QLatin1String("4"))
        std::abort();
    auto shownColour = [colour] { return colour; };
    auto shownOther = [other] { return other; };
    auto showColour = [&] {
        if (!colour->isVisible())
            QTest::mouseClick(control<QPushButton>(other, Role::OtherWindow), Qt::LeftButton);
    };
    auto setSwitches = [&] {
        address->setText(QStringLiteral("311"));
        QTest::mouseClick(control<TextBox>(colour, Role::Upper, dmx::kTerminatorSwitch), Qt::LeftButton);
    };
    int digit = 0;

    const std::vector<Case> cases = {
        {"type a digit into the address box",
         [&](int i) {
             if (i % 3 == 0)
                 address->clear();
             address->setFocus();
         },
         [&] { QTest::keyClick(address, "256"[digit++ % 3]); }, shownColour},
        {"click a switch cell",
         [&](int) {},
         [&, i = 0]() mutable {
             const int k = i % dmx::kAddressSwitches + 1;
             const Role role = i++ / dmx::kAddressSwitches % 2 ? Role::Lower : Role::Upper;
             QTest::mouseClick(control<TextBox>(colour, role, k), Qt::LeftButton);
         },
         shownColour},
        {"suivant (4 channels)",
         [&](int i) {
             if (i % 100 == 0)
                 address->setText(QStringLiteral("1"));
         },
         [&] { QTest::mouseClick(control<QPushButton>(colour, Role::Next), Qt::LeftButton); }, shownColour},
        {"Remise à zéro",
         [&](int) { setSwitches(); },
         [&] { QTest::mouseClick(control<QPushButton>(colour, Role::Reset), Qt::LeftButton); }, shownColour},
        {"Autre (to the other window)",
         [&](int) {
             showColour();
             setSwitches();
         },
         [&] { QTest::mouseClick(control<QPushButton>(colour, Role::OtherWindow), Qt::LeftButton); }, shownOther},
        {"Corvane (back)",
         [&](int) {
             if (!other->isVisible())
                 QTest::mouseClick(control<QPushButton>(colour, Role::OtherWindow), Qt::LeftButton);
         },
         [&] { QTest::mouseClick(control<QPushButton>(other, Role::OtherWindow), Qt::LeftButton); }, shownColour},
    };

    std::printf("Events in the real windows (QPA %s), %d of each, microseconds\n\n",
                qPrintable(QGuiApplication::platformName()), iterations);
    std::printf("| event | handlers p50 | p99 | + loop's paint p50 | p99 | + whole window p50 | p99 |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
    for (const Case &c : cases) {
        std::printf("| %s", c.name);
        for (Paint paint : {Paint::None, Paint::EventLoop, Paint::Whole}) {
            showColour();
            const std::vector<double> us = measure(c, paint, iterations, warmUp);
            std::printf(" | %.0f | %.0f", percentile(us, 0.5), percentile(us, 0.99));
        }
        std::printf(" |\n");
        std::fflush(stdout);
    }
    std::printf("\nhandlers: the event delivered, its handlers run, nothing painted; + loop's paint:\n"
                "then the pending expose and update requests, which paint what changed, as the\n"
                "event loop would; + whole window: then the window painted whole (repaint()).\n"
                "The first Autre, which builds the other window: %.0f us, loop's paint included.\n",
                firstSwitchUs);
    return 0;
}
