#include "sheetdialog.h"
#include "shell.h"
#include "windowprobe.h"

#include <QCheckBox>
#include <QDir>
#include <QMenu>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QVersionNumber>

// The addressing sheet: the command line run as a script runs it, and the
// dialog as the windows open it.
class SheetTest : public QObject
{
    Q_OBJECT

private slots:
    void writes_data();
    void writes();
    void badInputWritesNothing_data();
    void badInputWritesNothing();
    void pdfOfThreePages();
    void dialogStartsFromTheWindow_data();
    void dialogStartsFromTheWindow();

private:
    struct Run
    {
        int status;
        QByteArray out, err;
    };
    // The built program, in a scratch folder and without a display.
    Run tool(const QStringList &args) const
    {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ADRESSE_DMX), args);
        const bool ended = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
        return {ended ? p.exitCode() : -1, p.readAllStandardOutput(), p.readAllStandardError()};
    }
    QByteArray read(const QString &name) const
    {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(absent)");
    }

    QTemporaryDir dir;
};

void SheetTest::writes_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("file"); // empty: standard output
    QTest::addColumn<QByteArray>("expected");
    const QByteArray text = "Essai\n"
                            "interrupteur 1 = 256\n"
                            "Appareil Adresse Canaux    1   2   3   4   5   6   7   8   9   10  Remarques\n"
                            "1        510     510-510   ON  ON  ON  ON  ON  ON  ON  ON  OFF OFF\n"
                            "2        511     511-511   ON  ON  ON  ON  ON  ON  ON  ON  ON  OFF\n"
                            "3        512     512-512                                           "
                            "hors interrupteurs, bouchon 120R\n";
    const QStringList run{"--feuille", "510,1,3", "--titre", "Essai"};
    QTest::newRow("text on standard output") << run << QString() << text;
    QTest::newRow("text on -o -") << run + QStringList{"-o", "-"} << QString() << text;
    QTest::newRow(".txt file") << run + QStringList{"-o", "ligne.txt"} << "ligne.txt" << text;
    QTest::newRow(".csv, other order, no terminator")
        << QStringList{"--feuille", "510,1,3", "--autre", "--sans-bouchon", "-o", "ligne.CSV"} << "ligne.CSV"
        << QByteArray("\xEF\xBB\xBF"
                      "Appareil;Adresse;Dernier canal;1;2;3;4;5;6;7;8;9;10;Remarques\n"
                      "1;510;510;OFF;ON;ON;ON;ON;ON;ON;ON;ON;OFF;\n"
                      "2;511;511;ON;ON;ON;ON;ON;ON;ON;ON;ON;OFF;\n"
                      "3;512;512;;;;;;;;;;;hors interrupteurs\n");
    // The version written once in CMakeLists.txt, shown as the tool always has: 3.0.0 is "3.00".
    const QVersionNumber v = QVersionNumber::fromString(QStringLiteral(DMX_PROJECT_VERSION));
    QTest::newRow("version") << QStringList{"--version"} << QString()
                             << QStringLiteral("%1 %2.%3\n").arg(QCoreApplication::applicationName()).arg(v.majorVersion())
                                    .arg(v.minorVersion(), 2, 10, QChar(u'0')).toUtf8();
}

void SheetTest::writes()
{
    QFETCH(QStringList, args);
    QFETCH(QString, file);
    QFETCH(QByteArray, expected);
    const Run r = tool(args);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.status, 0);
    QByteArray out = r.out;
#ifdef Q_OS_WIN
    out.replace("\r\n", "\n"); // the console's line ends; the files keep \n
#endif
    QCOMPARE(file.isEmpty() ? out : read(file), expected);
}

// The values out of range are the plan's own errors: one row shows they reach
// the command line.
void SheetTest::badInputWritesNothing_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("says");
    const auto into = [](QStringList args) { return args << "-o" << "ancien.pdf"; };
    QTest::newRow("unknown option") << into({"--feuille", "1,7,3", "--couleur"}) << "couleur";
    QTest::newRow("no --feuille") << into({"--titre", "Perche"}) << "il manque --feuille";
    QTest::newRow("two numbers") << into({"--feuille", "1,7"}) << "PREMIERE,CANAUX,NOMBRE";
    QTest::newRow("a word") << into({"--feuille", "1,sept,3"}) << "« sept » n'est pas un nombre entier";
    QTest::newRow("number too long") << into({"--feuille", "1,99999999999999999999,3"}) << "nombre entier";
    QTest::newRow("first -1") << into({"--feuille", "-1,7,3"}) << "première adresse doit aller de 0 à 511";
    QTest::newRow("stray argument") << into({"--feuille", "1,7,3", "encore"}) << "argument inattendu";
    QTest::newRow("-o twice") << QStringList{"--feuille", "1,7,3", "-o", "x.pdf", "-o", "ancien.pdf"}
                              << "plusieurs fois";
    QTest::newRow("unknown ending") << QStringList{"--feuille", "1,7,3", "-o", "ancien.doc"} << ".pdf, .csv ou .txt";
    QTest::newRow("-o without a name") << QStringList{"--feuille", "1,7,3", "-o"} << "-o";
    QTest::newRow("-o empty") << QStringList{"--feuille", "1,7,3", "-o", ""} << "vide";
}

void SheetTest::badInputWritesNothing()
{
    QFETCH(QStringList, args);
    QFETCH(QString, says);
    for (const char *old : {"ancien.pdf", "ancien.doc"}) {
        QFile f(dir.filePath(QString::fromLatin1(old)));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("ancien") == 6);
    }
    const auto before = QDir(dir.path()).entryList(QDir::Files);
    const Run r = tool(args);
    QCOMPARE(r.status, 2);
    QCOMPARE(r.out, QByteArray());
    const QString err = QString::fromUtf8(r.err);
    QVERIFY2(err.startsWith(u"adresse-dmx : ") && err.count(u'\n') == 1 && err.endsWith(u'\n'), qPrintable(err));
    QVERIFY2(err.contains(says), qPrintable(err));
    QCOMPARE(read(QStringLiteral("ancien.pdf")) + read(QStringLiteral("ancien.doc")), QByteArray("ancienancien"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);
}

void SheetTest::pdfOfThreePages()
{
#ifdef Q_OS_WIN
    QSKIP("pdfinfo and pdftotext are Linux programs: the Windows stage reads this PDF on the build machine");
#endif
    QCOMPARE(tool({"--feuille", "480,10,40", "--titre", "Perche 2", "-o", "perche.pdf"}).status, 0);
    auto output = [&](const char *program, QStringList args) {
        QProcess p;
        p.start(QString::fromLatin1(program), QStringList{dir.filePath(QStringLiteral("perche.pdf"))} + args);
        return p.waitForFinished() ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
    };
    QVERIFY(output("pdfinfo", {}).contains(QStringLiteral("\nPages:           3\n")));
    const QString words = output("pdftotext", {QStringLiteral("-")});
    for (const char *expected : {"Perche 2", "interrupteur 1 = 256", "480 à 489", "870 à 879", "hors interrupteurs",
                                 "dépasse le canal 512", "bouchon 120R", "Page 1 sur 3", "Page 3 sur 3"})
        QVERIFY2(words.contains(QString::fromUtf8(expected)), expected);
}

void SheetTest::dialogStartsFromTheWindow_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("count"); // 0: none chosen
    QTest::addColumn<bool>("byMenu");
    QTest::addColumn<int>("first");
    QTest::newRow("colour driver, Ctrl+P") << 0 << "100" << 7 << false << 100;
    QTest::newRow("other fixture, menu") << 1 << "42" << 12 << true << 42;
    QTest::newRow("colour driver, empty, menu") << 0 << "" << 0 << true << 1;
    QTest::newRow("other fixture, not an address, Ctrl+P") << 1 << "600" << 3 << false << 1;
}

void SheetTest::dialogStartsFromTheWindow()
{
    QFETCH(int, which);
    QFETCH(QString, typed);
    QFETCH(int, count);
    QFETCH(bool, byMenu);
    QFETCH(int, first);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    if (count)
        p.chooseCount(count);
    p.clickCells(QStringLiteral("U10"));
    p.address()->setFocus();
    p.type(typed);
    const QString before = p.address()->text() + p.bankState() + p.terminatorState();
    const int countIndex = p.combo()->currentIndex();
    QWidget *focus = QApplication::focusWidget();

    if (byMenu) { // the menu's last entry
        QContextMenuEvent event(QContextMenuEvent::Keyboard, {4, 4}, p.address()->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(p.address(), &event);
        QMenu *menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().constLast()).center());
    } else {
        QTest::keyClick(focus, Qt::Key_P, Qt::ControlModifier);
    }
    auto *dialog = w.findChild<SheetDialog *>();
    QVERIFY(dialog && dialog->isVisible());
    auto *start = dialog->findChild<QSpinBox *>(QStringLiteral("premiere"));
    QCOMPARE(start->value(), first);
    QCOMPARE(dialog->findChild<QSpinBox *>(QStringLiteral("canaux"))->value(), std::max(count, 1));
    QCOMPARE(dialog->findChild<QComboBox *>(QStringLiteral("ordre"))->currentIndex(), which);
    QVERIFY(dialog->findChild<QCheckBox *>(QStringLiteral("bouchon"))->isChecked());

    // Used with another start: the table copied as a spreadsheet takes it.
    start->setValue(300);
    for (QPushButton *b : dialog->findChildren<QPushButton *>())
        if (b->text().remove(u'&') == u"Copier le tableau")
            QTest::mouseClick(b, Qt::LeftButton);
    const QString firstRow = QApplication::clipboard()->text().section(u'\n', 1, 1);
    QVERIFY2(firstRow.startsWith(QStringLiteral("1\t300\t%1\t").arg(299 + std::max(count, 1))), qPrintable(firstRow));

    // Closed, it leaves the window as it was, the focus where it was.
    QTest::keyClick(dialog, Qt::Key_Escape);
    QTRY_VERIFY(!w.findChild<SheetDialog *>());
    QCOMPARE(p.address()->text() + p.bankState() + p.terminatorState(), before);
    QCOMPARE(p.combo()->currentIndex(), countIndex);
    QCOMPARE(w.focusWidget(), focus);
    w.activateWindow();
    QTRY_COMPARE(QApplication::focusWidget(), focus);
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    SheetTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "sheet_test.moc"
