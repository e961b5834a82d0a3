#include "shell.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    provideRuntimeDir();
    QApplication app(argc, argv);
    setUpApplication(app);

    WindowShell shell;
    QObject::connect(&shell, &WindowShell::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    shell.start();
    return QApplication::exec();
}
