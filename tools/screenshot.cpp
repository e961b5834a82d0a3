// Renders both windows, as a technician would see them mid-use, into PNG
// files for the README: screenshot <output folder>.

#include "fixturewindow.h"
#include "shell.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

void save(FixtureWindow &window, const QString &path)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !window.grab().save(path))
        qFatal("could not write %s", qPrintable(path));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    FixtureWindow colour(layout::colourDriver());
    QTest::keyClicks(colour.findChild<QLineEdit *>(QStringLiteral("Text100")), QStringLiteral("100"));
    QTest::mouseClick(colour.findChild<QLineEdit *>(QStringLiteral("Text10")), Qt::LeftButton);
    save(colour, out.filePath(QStringLiteral("colour-driver.png")));

    FixtureWindow other(layout::otherFixture());
    QTest::keyClicks(other.findChild<QLineEdit *>(QStringLiteral("Text1000")), QStringLiteral("100"));
    save(other, out.filePath(QStringLiteral("other-fixture.png")));
    return 0;
}
