#include "shell.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    const auto app = applicationOnScreen(argc, argv);
    setUpApplication(*app);

    WindowShell shell;
    QObject::connect(&shell, &WindowShell::finished, app.get(), &QCoreApplication::quit,
                     Qt::QueuedConnection);
    shell.start();
    return QApplication::exec();
}
