// Renders both windows, as a technician would see them mid-use, the
// addressing sheet's dialog and, given a patch, the patch window, into PNG
// files for the README: screenshot <output folder> [<patch>].
// screenshot --screen <file.png> <patch> shows the patch window as it opens
// on a real screen under a window manager and takes the whole screen, frame
// and all, to see it fit.

#include "fixturewindow.h"
#include "profilefile.h"
#include "rigwindow.h"
#include "savefile.h"
#include "sheetdialog.h"
#include "shell.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>

namespace {

void save(QWidget &window, const QString &path)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !window.grab().save(path))
        qFatal("could not write %s", qPrintable(path));
}

} // namespace

void chooseCyclorama(RigWindow &rig)
{
    auto *table = rig.findChild<QTableWidget *>(QStringLiteral("appareils"));
    for (int r = 0; r < table->rowCount(); ++r)
        if (table->item(r, 2)->text() == u"Cyclo 2")
            table->selectRow(r);
}

// The patch window as it opens, with a cyclorama chosen, on the whole screen.
int wholeScreen(const QString &file, const QString &patch)
{
    RigWindow rig;
    if (!rig.openFile(patch))
        qFatal("could not read the patch");
    chooseCyclorama(rig);
    rig.show();
    if (!QTest::qWaitForWindowActive(&rig))
        qFatal("the patch window did not show");
    QTest::qWait(500); // the window manager's frame
    if (!rig.screen()->grabWindow(0).save(file))
        qFatal("could not write %s", qPrintable(file));
    return 0;
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    if (argc == 4 && qstrcmp(argv[1], "--screen") == 0)
        return wholeScreen(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    FixtureWindow colour(layout::colourDriver());
    QTest::keyClicks(colour.findChild<QLineEdit *>(QStringLiteral("Text100")), QStringLiteral("100"));
    QTest::mouseClick(colour.findChild<QLineEdit *>(QStringLiteral("Text10")), Qt::LeftButton);
    save(colour, out.filePath(QStringLiteral("colour-driver.png")));

    FixtureWindow other(layout::otherFixture());
    QTest::keyClicks(other.findChild<QLineEdit *>(QStringLiteral("Text1000")), QStringLiteral("100"));
    save(other, out.filePath(QStringLiteral("other-fixture.png")));

    // As Ctrl+P opens it from the colour-driver window above.
    colour.activateWindow();
    if (!QTest::qWaitForWindowActive(&colour))
        qFatal("the colour-driver window did not come back");
    auto *count = colour.findChild<QComboBox *>(QStringLiteral("Combo1"));
    QTest::keyClick(count, Qt::Key_Home);
    for (int i = 1; i < 7; ++i)
        QTest::keyClick(count, Qt::Key_Down);
    QTest::keyClick(&colour, Qt::Key_P, Qt::ControlModifier);
    auto *sheet = colour.findChild<SheetDialog *>();
    if (!sheet)
        qFatal("Ctrl+P opened no sheet dialog");
    QTest::keyClicks(sheet->findChild<QLineEdit *>(QStringLiteral("titre")), QStringLiteral("Perche 2, PAR LED"));
    save(*sheet, out.filePath(QStringLiteral("sheet-dialog.png")));
    if (argc < 3)
        return 0;

    // The cycloramas read their bank upside down and have a mode switch: a
    // profile of the user's own, kept where the window keeps it, so that the
    // command line draws the page with it too.
    dmx::Profiles choices;
    dmx::SwitchProfile cyclo = dmx::otherFixtureProfile();
    cyclo.name = "Cycliode (ON en bas, mode)";
    cyclo.onIsUp = false;
    cyclo.tenth = dmx::TenthSwitch::Function;
    cyclo.functionName = "Mode";
    cyclo.functionOn = true;
    choices.add(cyclo);
    choices.choose("Cycliode", {}, cyclo.name);
    choices.choose("Lyre wash", {}, dmx::colourDriverProfile().name);
    QDir().mkpath(QFileInfo(profilefile::path()).path());
    if (const QString error = savefile::saveBytes(profilefile::path(), QByteArray::fromStdString(choices.text()));
        !error.isEmpty())
        qFatal("%s", qPrintable(error));
    RigWindow rig;
    if (!rig.openFile(QString::fromLocal8Bit(argv[2])))
        qFatal("could not read the patch");
    rig.resize(1000, 760);
    chooseCyclorama(rig);
    save(rig, out.filePath(QStringLiteral("rig-window.png")));
    return 0;
}
