#include "commandline.h"
#include "console.h"
#include "shell.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    provideRuntimeDir();
    const bool commandLine = wantsCommandLine(argc, argv);
    if (commandLine) {
        useParentConsole();
        prepareCommandLine();
    }
    const auto app = applicationOnScreen(argc, argv);
    setUpApplication(*app);
    if (commandLine)
        return runCommandLine();

    WindowShell shell;
    QObject::connect(&shell, &WindowShell::finished, app.get(), &QCoreApplication::quit,
                     Qt::QueuedConnection);
    shell.start();
    return QApplication::exec();
}
