// The floor the tool's start-up is measured against: Qt's own cost of one
// window with the tool's client size and one line of text, nothing else.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(386, 283);
    QLabel label(QStringLiteral("Adressage DMX par dip switch"), &window);
    window.show();
    return QApplication::exec();
}
