#include "paper.h"
#include "fixturewindow.h"
#include "profilefile.h"
#include "rigwindow.h"
#include "sheetpage.h"
#include "shell.h"
#include "windowprobe.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

// The rig sheet: its pages, the patch window, and --patch run as a script
// runs it. The patches are written here.
class RigTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void bankFollowsEachProfileField_data();
    void bankFollowsEachProfileField();
    void pagesByLine_data();
    void pagesByLine();
    void windowTable_data();
    void windowTable();
    void chosenProfileIsRemembered();
    void ownProfileEditedInTheWindow();
    void brokenProfilesFileIsSaid();
    void brokenProfilesFileKeptAside_data();
    void brokenProfilesFileKeptAside();
    void everyKeyTypesInTheNames_data();
    void everyKeyTypesInTheNames();
    void takenNameIsSaid();
    void twoWindowsKeepEachOthersProfiles();
    void linkedProfilesFileStaysALink_data();
    void linkedProfilesFileStaysALink();
    void plantedLinkNotWrittenThrough();
    void commandLineLeavesABrokenProfilesFile();
    void droppedFileOpens_data();
    void droppedFileOpens();
    void opensFromEitherWindow_data();
    void opensFromEitherWindow();
    void commandLine_data();
    void commandLine();
    void commandLineBadInput_data();
    void commandLineBadInput();
    void windowFitsTheScreen();
    void keys_data();
    void keys();
    void everyControlHasAKey();
    void recentPatches();
    void droppedOnAnAddressWindow();
    void titleNamesTheFiles();
    void profilesExplainThemselves();

private:
    struct Run
    {
        int status;
        QByteArray out, err;
    };
    Run tool(const QStringList &args) const
    {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ADRESSE_DMX), args);
        const bool ended = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
        return {ended ? p.exitCode() : -1, p.readAllStandardOutput(), p.readAllStandardError()};
    }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("could not write %s", qPrintable(name));
        return f.fileName();
    }
    QByteArray read(const QString &name) const
    {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(absent)");
    }
    QString pdfText(const QString &name, const QStringList &args = {}) const
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), args + QStringList{dir.filePath(name), QStringLiteral("-")});
        return p.waitForFinished() ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
    }

    QTemporaryDir dir;
};

namespace {

dmx::Fixture fixture(const char *label, const char *type, int universe, int address, std::optional<int> channels)
{
    dmx::Fixture f;
    f.label = label;
    f.type = type;
    f.mode = "Standard";
    f.universe = universe;
    f.address = address;
    f.channels = channels;
    return f;
}

// Two lines, the first holding two fixtures that share channels 6 and 7.
dmx::Rig smallRig()
{
    return {{fixture("Face 1", "Wash", 1, 1, 7), fixture("Face 2", "Wash", 1, 6, 7),
             fixture("Contre", "Spot", 1, 20, 16), fixture("Douche", "Spot", 3, 1, 16),
             fixture("Sol", "Par", 3, 100, std::nullopt)}};
}

const QByteArray kCsv = "Nom;Type;Mode;Adresse;Canaux\n"
                        "Face 1;Wash;Standard;1.1;7\n"
                        "Face 2;Wash;Standard;1.8;7\n"
                        "Douche;Spot;Standard;2/1;16\n";

QImage drawn(const dmx::SwitchProfile &profile, const std::array<bool, 10> &on)
{
    QImage image(500, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.scale(0.5, 0.5);
    paper::drawBank(p, {}, profile, on);
    return image;
}

QTableWidget *tableOf(RigWindow &w)
{
    return w.findChild<QTableWidget *>(QStringLiteral("appareils"));
}

// The table's columns: line, address, name, switches, type, channels, profile, remarks.
constexpr int kProfileColumn = 6;

QString cell(RigWindow &w, int row, int column)
{
    return tableOf(w)->item(row, column)->text();
}

} // namespace

void RigTest::initTestCase()
{
    QVERIFY(dir.isValid());
    QStandardPaths::setTestModeEnabled(true);
}

void RigTest::init()
{
    QDir(QFileInfo(profilefile::path()).path()).removeRecursively(); // the test mode's own folder
}

// The same fixture drawn by a profile and by the same profile with one field
// changed: the picture changes, through the plan's switches or the drawing.
void RigTest::bankFollowsEachProfileField_data()
{
    QTest::addColumn<dmx::SwitchProfile>("base");
    QTest::addColumn<dmx::SwitchProfile>("changed");
    dmx::SwitchProfile p = dmx::otherFixtureProfile();
    const auto row = [&p](const char *name, auto change) {
        dmx::SwitchProfile q = p;
        change(q);
        QTest::newRow(name) << p << q;
    };
    row("switch 1 = 256", [](auto &q) { q.order = dmx::kColourDriverBank; });
    row("ON down", [](auto &q) { q.onIsUp = false; });
    row("address minus one", [](auto &q) { q.offset = 1; });
    row("nine switches", [](auto &q) { q.tenth = dmx::TenthSwitch::None; });
    row("switch 10 weighs 512", [](auto &q) { q.tenth = dmx::TenthSwitch::Weight512; });
    row("function switch", [](auto &q) {
        q.tenth = dmx::TenthSwitch::Function;
        q.functionName = "mode";
    });
    p.tenth = dmx::TenthSwitch::Function;
    p.functionName = "mode";
    row("function renamed", [](auto &q) { q.functionName = "auto"; });
    row("function ON", [](auto &q) { q.functionOn = true; });
}

void RigTest::bankFollowsEachProfileField()
{
    QFETCH(dmx::SwitchProfile, base);
    QFETCH(dmx::SwitchProfile, changed);
    const dmx::Rig rig{{fixture("A", "Wash", 1, 5, 7)}};
    const auto picture = [&rig](dmx::SwitchProfile profile) {
        profile.name = "Essai";
        dmx::Profiles choices;
        choices.add(profile);
        choices.choose("Wash", {}, profile.name);
        const dmx::Plan plan = dmx::makePlan(rig, choices);
        const dmx::Row &row = plan.lines.at(0).rows.at(0);
        return drawn(plan.profileOf(row), row.on);
    };
    QVERIFY(picture(base) != picture(changed));
}

void RigTest::pagesByLine_data()
{
    QTest::addColumn<int>("fixtures"); // on line 2, besides smallRig's
    QTest::addColumn<QStringList>("words");
    QTest::newRow("small rig")
        << 0
        << QStringList{"Ligne 1", "Ligne 3", "Face 2", "Wash — Standard", "6 à 12",
                       "Standard (interrupteur 1 = 1)", "120R", "ON : 3 5 10", "Page 1 sur 1"};
    QTest::newRow("a line over three pages") << 35 << QStringList{"Ligne 3 (suite)", "Page 2 sur 3", "Page 3 sur 3"};
}

void RigTest::pagesByLine()
{
    QFETCH(int, fixtures);
    QFETCH(QStringList, words);
    dmx::Rig rig = smallRig();
    for (int k = 0; k < fixtures; ++k)
        rig.fixtures.push_back(fixture("Rampe", "Par", 3, 200 + 4 * k, 4));
    const dmx::Plan plan = dmx::makePlan(rig, {});
    QCOMPARE(sheet::save(dir.filePath(QStringLiteral("rig.pdf")), plan, QStringLiteral("Essai")), QString());
    const QString text = pdfText(QStringLiteral("rig.pdf"));
    for (const QString &w : words)
        QVERIFY2(text.contains(w), qPrintable(w));
    // The checks' summary heads the first page.
    QVERIFY2(text.contains(sheet::fromUtf8(plan.summary).left(20)), qPrintable(text.left(400)));
}

void RigTest::windowTable_data()
{
    QTest::addColumn<int>("line"); // the filter's entry
    QTest::addColumn<bool>("problemsFirst");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("every line") << 0 << false << QStringList{"Face 1", "Face 2", "Contre", "Douche", "Sol"};
    QTest::newRow("second line") << 2 << false << QStringList{"Douche", "Sol"};
    QTest::newRow("problems first") << 0 << true << QStringList{"Face 1", "Face 2", "Sol", "Contre", "Douche"};
}

void RigTest::windowTable()
{
    QFETCH(int, line);
    QFETCH(bool, problemsFirst);
    QFETCH(QStringList, labels);
    RigWindow w;
    w.setRig(smallRig(), QStringLiteral("petit.csv"));
    w.findChild<QComboBox *>(QStringLiteral("ligne"))->setCurrentIndex(line);
    w.findChild<QCheckBox *>(QStringLiteral("problemes"))->setChecked(problemsFirst);
    QStringList shown;
    for (int r = 0; r < tableOf(w)->rowCount(); ++r)
        shown << cell(w, r, 2);
    QCOMPARE(shown, labels);
    // A line is numbered by its universe, in the filter and in the table.
    auto *lines = w.findChild<QComboBox *>(QStringLiteral("ligne"));
    QCOMPARE(lines->itemText(2), QStringLiteral("Ligne 3"));
    QCOMPARE(cell(w, static_cast<int>(labels.indexOf(u"Douche")), 0), QStringLiteral("3"));
    // Copied, the table holds the rows shown.
    for (QPushButton *b : w.findChildren<QPushButton *>())
        if (b->text().remove(u'&') == u"Copier le tableau")
            QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text().count(u'\n') >= labels.size(), true);
    for (const QString &label : labels)
        QVERIFY2(QApplication::clipboard()->text().contains(label), qPrintable(label));
}

// A profile chosen for a type is the type's in the next window, and in the
// next run.
void RigTest::chosenProfileIsRemembered()
{
    {
        RigWindow w;
        w.setRig(smallRig(), QStringLiteral("petit.csv"));
        tableOf(w)->selectRow(3); // Douche, a Spot
        auto *profile = w.findChild<QComboBox *>(QStringLiteral("profil"));
        QVERIFY(profile->isEnabled());
        profile->setFocus();
        QTest::keyClick(profile, Qt::Key_Down);
        QCOMPARE(cell(w, 3, kProfileColumn), sheet::fromUtf8(dmx::colourDriverProfile().name));
    }
    RigWindow again;
    again.setRig(smallRig(), QStringLiteral("petit.csv"));
    QCOMPARE(cell(again, 2, kProfileColumn), sheet::fromUtf8(dmx::colourDriverProfile().name)); // Contre, a Spot too
    QCOMPARE(cell(again, 0, kProfileColumn), sheet::fromUtf8(dmx::otherFixtureProfile().name));
}

void RigTest::ownProfileEditedInTheWindow()
{
    RigWindow w;
    w.setRig(smallRig(), QStringLiteral("petit.csv"));
    tableOf(w)->selectRow(0);
    auto *down = w.findChild<QComboBox *>(QStringLiteral("sens"));
    QVERIFY(!down->isEnabled()); // a built-in profile is shown, not edited
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("nouveauProfil")), Qt::LeftButton);
    QCOMPARE(cell(w, 0, kProfileColumn), QStringLiteral("Profil 1"));
    QCOMPARE(cell(w, 1, kProfileColumn), QStringLiteral("Profil 1")); // Face 2, a Wash too
    QVERIFY(down->isEnabled());
    down->setCurrentIndex(1);
    auto *name = w.findChild<QLineEdit *>(QStringLiteral("nom"));
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Wash"));
    QCOMPARE(cell(w, 0, kProfileColumn), QStringLiteral("Wash"));
    // The fixture drawn again by its edited profile.
    tableOf(w)->selectRow(2);
    tableOf(w)->selectRow(0);
    QCOMPARE(down->currentIndex(), 1);
    QVERIFY(QFile::exists(profilefile::path()));
}

void RigTest::brokenProfilesFileIsSaid()
{
    QDir().mkpath(QFileInfo(profilefile::path()).path());
    QFile f(profilefile::path());
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("{ pas du JSON") > 0);
    f.close();
    RigWindow w;
    w.setRig(smallRig(), QStringLiteral("petit.csv"));
    QVERIFY2(w.findChild<QLabel *>(QStringLiteral("resume"))->text().contains(u"profils"),
             qPrintable(w.findChild<QLabel *>(QStringLiteral("resume"))->text()));
}

namespace {

QLabel *summaryOf(RigWindow &w)
{
    return w.findChild<QLabel *>(QStringLiteral("resume"));
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(absent)");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("could not write %s", qPrintable(path));
}

// The first fixture's type gets a new profile, which saves the file.
void newProfileFor(RigWindow &w, int row)
{
    tableOf(w)->selectRow(row);
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("nouveauProfil")), Qt::LeftButton);
}

QStringList savedNames()
{
    const auto read = profilefile::load(profilefile::path());
    QStringList names;
    if (const auto *profiles = std::get_if<dmx::Profiles>(&read))
        for (const dmx::SwitchProfile &p : profiles->own())
            names << sheet::fromUtf8(p.name);
    else
        names << std::get<QString>(read);
    return names;
}

} // namespace

// A file that could not be read is said, and kept byte for byte beside
// under a free name before the first save writes a new one.
void RigTest::brokenProfilesFileKeptAside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("asideTaken"); // profils.illisible.json is there already
    QTest::addColumn<QString>("aside");
    QTest::newRow("a typo") << QByteArray("{ \"profils\": [ }") << false << "profils.illisible.json";
    QTest::newRow("a field from a newer version")
        << QByteArray(R"({"profils":[{"nom":"Lyre","poids":[1,2,4,8,16,32,64,128,256],"interrupteur10":"double"}]})")
        << false << "profils.illisible.json";
    QTest::newRow("an array instead of an object") << QByteArray("[]") << false << "profils.illisible.json";
    QTest::newRow("the first name aside taken") << QByteArray("{") << true << "profils.illisible-2.json";
}

void RigTest::brokenProfilesFileKeptAside()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, asideTaken);
    QFETCH(QString, aside);
    const QDir folder = QFileInfo(profilefile::path()).dir();
    writeFile(profilefile::path(), bytes);
    if (asideTaken)
        writeFile(folder.filePath(QStringLiteral("profils.illisible.json")), "plus ancien");
    RigWindow w;
    w.setRig(smallRig(), QStringLiteral("petit.csv"));
    QVERIFY2(summaryOf(w)->text().contains(u"ne sera pas remplacé"), qPrintable(summaryOf(w)->text()));
    newProfileFor(w, 0);
    QVERIFY2(summaryOf(w)->text().contains(QStringLiteral("%1 »").arg(aside)), qPrintable(summaryOf(w)->text()));
    QCOMPARE(fileBytes(folder.filePath(aside)), bytes);
    QCOMPARE(savedNames(), QStringList{QStringLiteral("Profil 1")});
    if (asideTaken)
        QCOMPARE(fileBytes(folder.filePath(QStringLiteral("profils.illisible.json"))), QByteArray("plus ancien"));
}

// The name fields are a draft: a space typed stays, and the stored name is
// the text trimmed.
void RigTest::everyKeyTypesInTheNames_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::newRow("profile's name") << "nom" << "Lyre Spot";
    QTest::newRow("function's name") << "fonction" << "Mode auto";
}

void RigTest::everyKeyTypesInTheNames()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    RigWindow w;
    w.setRig(smallRig(), QStringLiteral("petit.csv"));
    newProfileFor(w, 0);
    w.findChild<QComboBox *>(QStringLiteral("dixieme"))->setCurrentIndex(3); // a function switch
    auto *edit = w.findChild<QLineEdit *>(field);
    QVERIFY(edit->isEnabled());
    edit->selectAll();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), typed);
    // What the window keeps: the fixture drawn again by its profile.
    const auto shownAgain = [&] {
        tableOf(w)->selectRow(2);
        tableOf(w)->selectRow(0);
        return edit->text();
    };
    if (field == u"nom") {
        QCOMPARE(cell(w, 0, kProfileColumn), typed);
        QCOMPARE(w.findChild<QComboBox *>(QStringLiteral("profil"))->currentText(), typed);
        QCOMPARE(savedNames(), QStringList{typed});
    }
    // A blank at the end stays in the field, not in the name.
    QTest::keyClick(edit, Qt::Key_Space);
    QCOMPARE(edit->text(), typed + u' ');
    if (field == u"nom")
        QCOMPARE(cell(w, 0, kProfileColumn), typed);
    QCOMPARE(shownAgain(), typed);
}

void RigTest::takenNameIsSaid()
{
    RigWindow w;
    w.setRig(smallRig(), QStringLiteral("petit.csv"));
    newProfileFor(w, 0);
    auto *name = w.findChild<QLineEdit *>(QStringLiteral("nom"));
    name->selectAll();
    const QString taken = sheet::fromUtf8(dmx::otherFixtureProfile().name);
    QTest::keyClicks(name, taken);
    QCOMPARE(name->text(), taken);
    QCOMPARE(cell(w, 0, kProfileColumn), taken.chopped(1)); // the last free name typed
    QVERIFY(w.findChild<QLabel *>(QStringLiteral("remarqueProfil"))->text().contains(u"déjà"));
    QTest::keyClicks(name, QStringLiteral("X"));
    QCOMPARE(cell(w, 0, kProfileColumn), sheet::fromUtf8(dmx::otherFixtureProfile().name) + u'X');
    QCOMPARE(w.findChild<QLabel *>(QStringLiteral("remarqueProfil"))->text(), QString());
}

// Both windows read the file before either saves: each one's save keeps the
// other's profile, and its own "Profil 1" made twice becomes "Profil 2".
void RigTest::twoWindowsKeepEachOthersProfiles()
{
    RigWindow first, second;
    first.setRig(smallRig(), QStringLiteral("petit.csv"));
    second.setRig(smallRig(), QStringLiteral("petit.csv"));
    newProfileFor(first, 0);  // Wash
    newProfileFor(second, 2); // Contre, a Spot
    QCOMPARE(savedNames(), (QStringList{QStringLiteral("Profil 1"), QStringLiteral("Profil 2")}));
    QCOMPARE(cell(second, 2, kProfileColumn), QStringLiteral("Profil 2"));
    QCOMPARE(cell(second, 0, kProfileColumn), QStringLiteral("Profil 1")); // the first window's choice
    RigWindow third;
    third.setRig(smallRig(), QStringLiteral("petit.csv"));
    QCOMPARE(cell(third, 0, kProfileColumn) + u',' + cell(third, 2, kProfileColumn), QStringLiteral("Profil 1,Profil 2"));
}

void RigTest::linkedProfilesFileStaysALink_data()
{
    QTest::addColumn<bool>("targetThere");
    QTest::newRow("to a file") << true;
    QTest::newRow("to a file not made yet") << false;
}

void RigTest::linkedProfilesFileStaysALink()
{
#ifdef Q_OS_WIN
    QSKIP("links are a POSIX matter here");
#endif
    QFETCH(bool, targetThere);
    const QString target = dir.filePath(QStringLiteral("mes-profils.json"));
    QFile::remove(target);
    if (targetThere)
        writeFile(target, "{}");
    QDir().mkpath(QFileInfo(profilefile::path()).path());
    QVERIFY(QFile::link(target, profilefile::path()));
    RigWindow w;
    w.setRig(smallRig(), QStringLiteral("petit.csv"));
    newProfileFor(w, 0);
    QVERIFY(QFileInfo(profilefile::path()).isSymLink());
    QVERIFY(fileBytes(target).contains("Profil 1"));
}

// A link planted where a fixed temporary name would be, pointing at a file
// of the user's: the save never writes through it.
void RigTest::plantedLinkNotWrittenThrough()
{
#ifdef Q_OS_WIN
    QSKIP("links are a POSIX matter here");
#endif
    const QString victim = dir.filePath(QStringLiteral("victime.txt"));
    writeFile(victim, "intact");
    QDir().mkpath(QFileInfo(profilefile::path()).path());
    for (const QString &planted : {QStringLiteral(".nouveau"), QStringLiteral(".tmp"), QStringLiteral("~")})
        QVERIFY(QFile::link(victim, profilefile::path() + planted));
    RigWindow w;
    w.setRig(smallRig(), QStringLiteral("petit.csv"));
    newProfileFor(w, 0);
    QCOMPARE(savedNames(), QStringList{QStringLiteral("Profil 1")});
    QCOMPARE(fileBytes(victim), QByteArray("intact"));
    QVERIFY(!QFileInfo(profilefile::path()).isSymLink());
}

void RigTest::droppedFileOpens_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("rows"); // -1: a message, the window as it was
    QTest::newRow("CSV patch") << "depose.csv" << kCsv << 3;
    QTest::newRow("broken MVR") << "depose.mvr" << QByteArray("PK\x03\x04 pas un zip") << -1;
}

void RigTest::droppedFileOpens()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, rows);
    RigWindow w;
    w.setRig(smallRig(), QStringLiteral("petit.csv"));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(write(name, bytes))});
    QString said;
    QObject watch; // the box's watcher ends with the case, whether a box came or not
    QTimer::singleShot(0, &watch, [&said] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            said = box->text();
            box->close();
        }
    });
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    static_cast<QObject &>(w).event(&drop); // as the window's drop handler receives it from Qt's drag
    QCOMPARE(tableOf(w)->rowCount(), rows < 0 ? 5 : rows);
    QCOMPARE(said.contains(u"depose"), rows < 0);
}

void RigTest::opensFromEitherWindow_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<bool>("byMenu");
    QTest::newRow("colour driver, Ctrl+O") << 0 << false;
    QTest::newRow("other fixture, menu") << 1 << true;
}

void RigTest::opensFromEitherWindow()
{
    QFETCH(int, which);
    QFETCH(bool, byMenu);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    if (byMenu) {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, {4, 4}, p.address()->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(p.address(), &event);
        QMenu *menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
        QAction *patch = nullptr;
        for (QAction *a : menu->actions())
            if (a->text() == u"Patch…")
                patch = a;
        QVERIFY(patch);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(patch).center());
    } else {
        QTest::keyClick(p.address(), Qt::Key_O, Qt::ControlModifier);
    }
    RigWindow *patch = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->objectName() == u"Patch" && top->isVisible())
            patch = qobject_cast<RigWindow *>(top);
    QVERIFY(patch);
    QCOMPARE(patch->windowTitle(), QStringLiteral("Patch"));
    // It opens with its open dialog, which does not wait.
    QTRY_VERIFY(patch->findChild<QFileDialog *>(QStringLiteral("ouvrirPatch")));
    patch->close();
}

void RigTest::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("file"); // empty: standard output
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QStringList>("absent");
    const QStringList patch{"--patch", "rig.csv"};
    QTest::newRow("text") << patch << QString() << QStringList{"Ligne 1\n", "Ligne 2\n", "Douche"}
                          << QStringList{"univers"};
    QTest::newRow("one line") << patch + QStringList{"--ligne", "2"} << QString()
                              << QStringList{"Ligne 2\n", "Douche"} << QStringList{"Face 1"};
    QTest::newRow("csv") << patch + QStringList{"-o", "rig.csv.csv"} << "rig.csv.csv"
                         << QStringList{"\xEF\xBB\xBF", "Face 2", "1 (1)"} << QStringList();
    QTest::newRow("profile by its name's start")
        << patch + QStringList{"--profil", "Wash=pilote de LED", "-o", "rig.txt"} << "rig.txt"
        << QStringList{sheet::fromUtf8(dmx::colourDriverProfile().name)} << QStringList();
    QTest::newRow("pdf") << patch + QStringList{"--titre", "Tournée", "-o", "rig.pdf"} << "rig.pdf"
                         << QStringList{"%PDF"} << QStringList();
}

void RigTest::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(QString, file);
    QFETCH(QStringList, words);
    QFETCH(QStringList, absent);
    write(QStringLiteral("rig.csv"), kCsv);
    const Run r = tool(args);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.status, 0);
    const QString out = QString::fromUtf8(file.isEmpty() ? r.out : read(file));
    for (const QString &w : words)
        QVERIFY2(out.contains(w), qPrintable(out.left(300)));
    for (const QString &w : absent)
        QVERIFY2(!out.contains(w), qPrintable(w));
    if (file.endsWith(u".pdf"))
        QVERIFY(pdfText(file).contains(u"Tournée"));
}

void RigTest::commandLineBadInput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    const auto into = [](QStringList args) { return args << "-o" << "ancien.pdf"; };
    QTest::newRow("no such file") << into({"--patch", "absent.csv"}) << 2 << "absent.csv";
    QTest::newRow("broken MVR") << into({"--patch", "casse.mvr"}) << 2 << "casse.mvr";
    QTest::newRow("line not in the patch") << into({"--patch", "rig.csv", "--ligne", "9"}) << 2 << "univers 9";
    QTest::newRow("line 0") << into({"--patch", "rig.csv", "--ligne", "0"}) << 2 << "--ligne";
    QTest::newRow("profile without =") << into({"--patch", "rig.csv", "--profil", "Wash"}) << 2 << "TYPE=PROFIL";
    QTest::newRow("unknown profile") << into({"--patch", "rig.csv", "--profil", "Wash=Martin"}) << 2
                                     << "pas de profil « Martin »";
    QTest::newRow("--patch twice") << into({"--patch", "rig.csv", "--patch", "rig.csv"}) << 2 << "plusieurs fois";
    QTest::newRow("--patch and --feuille") << into({"--patch", "rig.csv", "--feuille", "1,7,3"}) << 2 << "--feuille";
    QTest::newRow("unknown ending") << QStringList{"--patch", "rig.csv", "-o", "ancien.doc"} << 2
                                    << ".pdf, .csv ou .txt";
    QTest::newRow("missing folder") << QStringList{"--patch", "rig.csv", "-o", "absent/x.pdf"} << 1 << "absent/x.pdf";
    QTest::newRow("-o empty") << QStringList{"--patch", "rig.csv", "-o", ""} << 2 << "vide";
    QTest::newRow("long option with one dash") << into({"-patch", "rig.csv"}) << 2 << "« -patch »";
    QTest::newRow("--ligne without a value") << QStringList{"--patch", "rig.csv", "--ligne"} << 2
                                             << "« --ligne » attend une valeur";
}

void RigTest::commandLineBadInput()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, says);
    write(QStringLiteral("rig.csv"), kCsv);
    write(QStringLiteral("casse.mvr"), "PK\x03\x04 coupé");
    write(QStringLiteral("ancien.pdf"), "ancien");
    write(QStringLiteral("ancien.doc"), "ancien");
    const auto before = QDir(dir.path()).entryList(QDir::Files);
    const Run r = tool(args);
    QCOMPARE(r.status, status);
    QCOMPARE(r.out, QByteArray());
    const QString err = QString::fromUtf8(r.err);
    QVERIFY2(err.startsWith(u"adresse-dmx : ") && err.count(u'\n') == 1, qPrintable(err));
    QVERIFY2(err.contains(says), qPrintable(err));
    QCOMPARE(read(QStringLiteral("ancien.pdf")) + read(QStringLiteral("ancien.doc")), QByteArray("ancienancien"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);
}

// The command line never saves: a broken file is refused, and stays where
// and as it is.
void RigTest::commandLineLeavesABrokenProfilesFile()
{
    write(QStringLiteral("rig.csv"), kCsv);
    const QString folder = QStringLiteral("config/Corvane/Corvane adresse DMX");
    QDir(dir.path()).mkpath(folder);
    write(folder + QStringLiteral("/profils.json"), "{ pas du JSON");
    const Run r = tool({QStringLiteral("--patch"), QStringLiteral("rig.csv")});
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.contains("n'est pas du JSON valable"), r.err.constData());
    QCOMPARE(QDir(dir.filePath(folder)).entryList(QDir::Files), QStringList{QStringLiteral("profils.json")});
    QCOMPARE(read(folder + QStringLiteral("/profils.json")), QByteArray("{ pas du JSON"));
    QDir(dir.filePath(QStringLiteral("config"))).removeRecursively();
}

namespace {

// A line of twenty fixtures: more rows than any screen shows at once.
dmx::Rig longRig()
{
    dmx::Rig rig = smallRig();
    for (int k = 0; k < 15; ++k)
        rig.fixtures.push_back(fixture("Rampe", "Par", 3, 200 + 4 * k, 4));
    return rig;
}

// What a key brings: the class of the dialog it opens (noted and closed, its
// file dialog's proposed file in `file`), "closed" when it closes the window.
QString afterKey(RigWindow &w, const QKeySequence &key, QString *file = nullptr)
{
    QString seen;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        seen = QString::fromLatin1(modal->metaObject()->className());
        if (auto *d = qobject_cast<QFileDialog *>(modal); d && file)
            *file = d->selectedFiles().value(0);
        modal->close();
    });
    poll.start();
    QTest::keySequence(w.focusWidget() ? w.focusWidget() : &w, key);
    (void)QTest::qWaitFor([&] { return !seen.isEmpty() || !w.isVisible(); }, 3000);
    return seen.isEmpty() && !w.isVisible() ? QStringLiteral("closed") : seen;
}

} // namespace

// On any screen the window opens inside the free area with every button in
// reach and at least eight rows of the table in view. CTest runs it under
// openbox on 1024 x 600 at 100 % and 1600 x 1000 at 200 % too.
void RigTest::windowFitsTheScreen()
{
    RigWindow w;
    w.setRig(longRig(), QStringLiteral("grand.csv"));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QRect screen = w.screen()->availableGeometry();
    QTRY_VERIFY2(screen.contains(w.frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4 on %5x%6").arg(w.frameGeometry().x()).arg(w.frameGeometry().y())
                                .arg(w.frameGeometry().width()).arg(w.frameGeometry().height())
                                .arg(screen.width()).arg(screen.height())));
    const auto buttons = w.findChildren<QPushButton *>();
    QVERIFY(buttons.size() >= 8);
    for (QPushButton *b : buttons) {
        if (!b->isVisibleTo(&w))
            continue;
        const QRect at(b->mapTo(&w, QPoint()), b->size());
        QVERIFY2(w.rect().contains(at), qPrintable(b->text()));
    }
    QTableWidget *table = tableOf(w);
    const int bottom = table->viewport()->height();
    int whole = table->rowAt(bottom - 1) + 1;
    if (table->rowViewportPosition(whole - 1) + table->rowHeight(whole - 1) > bottom)
        --whole; // cut by the edge
    QVERIFY2(whole >= 8, qPrintable(QString::number(whole)));
}

void RigTest::keys_data()
{
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<QString>("focus"); // the control the key is pressed in
    QTest::addColumn<QString>("brings");
    QTest::newRow("Ctrl+P prints") << QKeySequence(QKeySequence::Print) << "appareils" << "QPrintPreviewDialog";
    QTest::newRow("Ctrl+S saves as PDF") << QKeySequence(QKeySequence::Save) << "appareils" << "QFileDialog";
    QTest::newRow("Ctrl+W closes") << QKeySequence(Qt::CTRL | Qt::Key_W) << "titre" << "closed";
    QTest::newRow("Escape closes") << QKeySequence(Qt::Key_Escape) << "appareils" << "closed";
}

void RigTest::keys()
{
    QFETCH(QKeySequence, key);
    QFETCH(QString, focus);
    QFETCH(QString, brings);
    const QString patch = write(QStringLiteral("salle.csv"), kCsv);
    RigWindow w;
    QVERIFY(w.openFile(patch));
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.findChild<QWidget *>(focus)->setFocus();
    QString file;
    QCOMPARE(afterKey(w, key, &file), brings);
    if (brings == u"QFileDialog") // beside the patch, named after it
        QCOMPARE(file, dir.filePath(QStringLiteral("salle-interrupteurs.pdf")));
}

// Every control is reached by Alt and its own letter, no letter twice, and
// Tab goes down the window in reading order.
void RigTest::everyControlHasAKey()
{
    RigWindow w;
    w.setRig(smallRig(), QStringLiteral("petit.csv"));
    tableOf(w)->selectRow(0);
    QHash<QWidget *, QChar> keyOf;
    const auto letter = [](const QString &text) {
        const qsizetype at = text.indexOf(QRegularExpression(QStringLiteral("&[^&]")));
        return at < 0 ? QChar() : text.at(at + 1).toLower();
    };
    for (QLabel *label : w.findChildren<QLabel *>())
        if (label->buddy())
            keyOf[label->buddy()] = letter(label->text());
    for (QAbstractButton *b : w.findChildren<QAbstractButton *>())
        if (b->focusPolicy() != Qt::NoFocus)
            keyOf[b] = letter(b->text());
    QSet<QChar> letters;
    for (QWidget *control : w.findChildren<QWidget *>()) {
        const bool input = qobject_cast<QAbstractButton *>(control) || qobject_cast<QComboBox *>(control)
                           || qobject_cast<QLineEdit *>(control) || qobject_cast<QTableWidget *>(control);
        if (!input || control->focusPolicy() == Qt::NoFocus || qobject_cast<QComboBox *>(control->parentWidget()))
            continue;
        const QChar key = keyOf.value(control);
        QVERIFY2(!key.isNull(), qPrintable(control->objectName() + u' ' + control->metaObject()->className()));
        QVERIFY2(!letters.contains(key), qPrintable(QString(key) + u' ' + control->objectName()));
        letters << key;
    }
    QStringList order;
    QWidget *at = w.findChild<QWidget *>(QStringLiteral("ouvrir"));
    for (int i = 0; i < 6; ++i, at = at->nextInFocusChain()) {
        while (!(at->focusPolicy() & Qt::TabFocus))
            at = at->nextInFocusChain();
        order << at->objectName();
    }
    QCOMPARE(order, (QStringList{"ouvrir", "recents", "ligne", "problemes", "titre", "appareils"}));
}

// The last patches are offered again, the newest first, in the next run too;
// one whose file has gone says so when chosen, and goes from the list.
void RigTest::recentPatches()
{
    const QString first = write(QStringLiteral("premier.csv"), kCsv), gone = write(QStringLiteral("parti.csv"), kCsv),
                  last = write(QStringLiteral("dernier.csv"), kCsv);
    {
        RigWindow w;
        for (const QString &p : {first, gone, last})
            QVERIFY(w.openFile(p));
    }
    QFile::remove(gone);
    RigWindow w;
    auto *menu = w.findChild<QPushButton *>(QStringLiteral("recents"))->menu();
    const auto offered = [menu] {
        emit menu->aboutToShow();
        QStringList names;
        for (QAction *a : menu->actions())
            names << a->text().section(u' ', 1, 1);
        return names;
    };
    QCOMPARE(offered(), (QStringList{"dernier.csv", "parti.csv", "premier.csv"}));
    QVERIFY(w.findChild<QFileDialog *>() == nullptr);
    menu->actions().at(1)->trigger();
    QVERIFY2(summaryOf(w)->text().contains(u"n'est plus à sa place"), qPrintable(summaryOf(w)->text()));
    QCOMPARE(tableOf(w)->rowCount(), 0);
    QCOMPARE(offered(), (QStringList{"dernier.csv", "premier.csv"}));
    menu->actions().at(1)->trigger();
    QCOMPARE(tableOf(w)->rowCount(), 3);
    QCOMPARE(offered(), (QStringList{"premier.csv", "dernier.csv"}));
    // The open dialog starts where the patch is.
    w.chooseFile();
    auto *dialog = w.findChild<QFileDialog *>(QStringLiteral("ouvrirPatch"));
    QVERIFY(dialog);
    QCOMPARE(dialog->directory().absolutePath(), QDir(dir.path()).absolutePath());
    dialog->close();
}

// A patch dropped on an address window opens in the patch window.
void RigTest::droppedOnAnAddressWindow()
{
    FixtureWindow w(profileOf(1));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(write(QStringLiteral("depose.csv"), kCsv))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    static_cast<QObject &>(w).event(&enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    static_cast<QObject &>(w).event(&drop);
    RigWindow *patch = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->objectName() == u"Patch" && top->isVisible())
            patch = qobject_cast<RigWindow *>(top);
    QVERIFY(patch);
    QCOMPARE(tableOf(*patch)->rowCount(), 3);
    QCOMPARE(patch->title(), QStringLiteral("Patch — depose.csv"));
    patch->close();
}

// The sheet's title is a field, the patch's name until one is typed; the
// file names proposed follow it.
void RigTest::titleNamesTheFiles()
{
    RigWindow w;
    QVERIFY(w.openFile(write(QStringLiteral("salle.csv"), kCsv)));
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto *title = w.findChild<QLineEdit *>(QStringLiteral("titre"));
    QCOMPARE(title->placeholderText(), QStringLiteral("Patch — salle.csv"));
    QCOMPARE(w.title(), title->placeholderText());
    title->setFocus();
    QTest::keyClicks(title, QStringLiteral("Tournee 2027"));
    QCOMPARE(w.title(), QStringLiteral("Tournee 2027"));
    QString file;
    QCOMPARE(afterKey(w, QKeySequence::Save, &file), QStringLiteral("QFileDialog"));
    QCOMPARE(file, dir.filePath(QStringLiteral("Tournee 2027.pdf")));
    // Another patch starts from its own name.
    QVERIFY(w.openFile(write(QStringLiteral("autre.csv"), kCsv)));
    QCOMPARE(w.title(), QStringLiteral("Patch — autre.csv"));
}

// A built-in profile says why its fields are greyed and what to do; "Nouveau
// profil" says which type it is for.
void RigTest::profilesExplainThemselves()
{
    RigWindow w;
    w.setRig(smallRig(), QStringLiteral("petit.csv"));
    tableOf(w)->selectRow(0);
    auto *note = w.findChild<QLabel *>(QStringLiteral("remarqueProfil"));
    QVERIFY2(note->text().contains(u"ne peut pas être changé") && note->text().contains(u"Nouveau profil"),
             qPrintable(note->text()));
    auto *make = w.findChild<QPushButton *>(QStringLiteral("nouveauProfil"));
    QVERIFY2(make->toolTip().contains(u"« Wash — Standard »"), qPrintable(make->toolTip()));
    QTest::mouseClick(make, Qt::LeftButton);
    QVERIFY2(note->text().contains(u"« Profil 1 »") && note->text().contains(u"« Wash — Standard »"),
             qPrintable(note->text()));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    RigTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "rigsheet_test.moc"
