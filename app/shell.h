#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <array>
#include <memory>
#include <optional>

class QApplication;
class QWidget;
class FixtureWindow;

// Gives Qt a private runtime folder when the session has none, so that it
// starts without a warning. Runs before the QApplication is made.
void provideRuntimeDir();
// The application the windows are shown with. Where Qt cannot open a screen
// (DISPLAY names no server, an unknown -platform), it says so in one French
// line on stderr and ends the program with status 1, where Qt would abort.
std::unique_ptr<QApplication> applicationOnScreen(int &argc, char **argv);

// What every run of the tool sets up before its first window: the style,
// French for Qt's own texts, the application's identity, and how assistive
// technology sees the windows. Called once: a test that builds windows calls
// it as the program does.
void setUpApplication(QApplication &app);

// The application: one instance of each window, created and loaded on first
// use, shown and hidden by the other-window buttons, unloaded by either quit
// button or the title bar's close, which end the application.
class WindowShell : public QObject
{
    Q_OBJECT
public:
    enum Which { ColourDriver, OtherFixture };

    explicit WindowShell(QObject *parent = nullptr);
    ~WindowShell() override;

    // Shows the colour-driver window, the one the tool starts with.
    void start();
    // The window while it is loaded, shown or hidden; nullptr otherwise.
    FixtureWindow *window(Which which) const;

signals:
    // No window is left: the application ends.
    void finished();

private:
    FixtureWindow &open(Which which);
    void switchFrom(Which which);
    static QPoint firstPlace(const QWidget &from, const QWidget &next);
    void quitFrom(Which which);
    void unload(Which which);

    std::array<QPointer<FixtureWindow>, 2> windows_;
    // Where each window stood when it was last hidden.
    std::array<std::optional<QPoint>, 2> places_;
};
