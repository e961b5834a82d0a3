#include "sheetdialog.h"
#include "sheetpage.h"
#include "shell.h"
#include "windowprobe.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QVersionNumber>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace {

// A tmpfs of its own for one test, a disk to fill or to make read-only;
// mounting it needs root, as the tests have in CI, and Linux. Unmounted when
// it goes.
struct SmallDisk
{
    explicit SmallDisk(const QString &folder) : path(QFile::encodeName(folder))
    {
        QDir().mkpath(folder);
#ifdef Q_OS_LINUX
        mounted = ::geteuid() == 0 && ::mount("tmpfs", path.constData(), "tmpfs", 0, "size=256k") == 0;
#endif
    }
#ifdef Q_OS_LINUX
    ~SmallDisk() { ::umount2(path.constData(), MNT_DETACH); }
    // A node of the tmpfs's own, like /dev/full: a fault that replaced it
    // must not take the system's.
    bool addFullDevice(const char *name) const
    {
        return ::mknod(path + '/' + name, S_IFCHR | 0666, makedev(1, 7)) == 0;
    }
    bool makeReadOnly() const
    {
        return ::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
#else
    bool addFullDevice(const char *) const { return false; }
    bool makeReadOnly() const { return false; }
#endif
    void fill() const
    {
        QFile filler(QFile::decodeName(path) + QStringLiteral("/remplissage"));
        for (filler.open(QIODevice::WriteOnly); filler.write(QByteArray(4096, 'x')) > 0 && filler.flush();) {
        }
    }
    QByteArray path;
    bool mounted = false;
};

} // namespace

// The addressing sheet: the command line run as a script runs it, and the
// dialog as the windows open it.
class SheetTest : public QObject
{
    Q_OBJECT

public:
    // The file dialog the tests drive is Qt's own: Windows' native one is
    // out of their reach.
    SheetTest() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

private slots:
    void writes_data();
    void writes();
    void badInputWritesNothing_data();
    void badInputWritesNothing();
    void pdfOfThreePages();
    void dialogStartsFromTheWindow_data();
    void dialogStartsFromTheWindow();
    void writeFails_data();
    void writeFails();
    void fifoIsWrittenAsAStream();
    void pdfTitleOnOneLine_data();
    void pdfTitleOnOneLine();
    void printerPaginatesAsThePdf_data();
    void printerPaginatesAsThePdf();
    void dialogSaves_data();
    void dialogSaves();
    void dialogFitsAndTabsInReadingOrder();

private:
    struct Run
    {
        int status;
        QByteArray out, err;
    };
    // The built program, in a scratch folder and without a display.
    Run tool(const QStringList &args, const std::function<void(QProcess &)> &setUp = {}) const
    {
        QProcess p;
        if (setUp)
            setUp(p);
        p.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ADRESSE_DMX), args);
        const bool ended = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
        return {ended ? p.exitCode() : -1, p.readAllStandardOutput(), p.readAllStandardError()};
    }
    static QString oneFrenchLine(const QByteArray &bytes)
    {
        const QString err = QString::fromUtf8(bytes);
        return err.startsWith(u"adresse-dmx : ") && err.count(u'\n') == 1 && err.endsWith(u'\n') ? err : QString();
    }
    // Acts on the next modal dialog, from inside its own event loop.
    void whenModal(const std::function<void(QDialog *)> &act)
    {
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [timer, act] {
            if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                act(modal);
            }
        });
        timer->start(20);
    }
    // Under Wine there is none: the Windows stage reads the program's PDF
    // on the build machine.
    static bool canReadPdfs() { return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(); }
    // The words of a PDF of the scratch folder, pages ended by form feeds.
    QString pdfText(const QString &name, const QStringList &options = {}) const
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), options + QStringList{dir.filePath(name), QStringLiteral("-")});
        return p.waitForFinished() ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
    }
    int pages(const QString &name) const { return int(pdfText(name).count(u'\f')); }
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
                            // No address to set, but the terminator still closes the line.
                            "3        512     512-512                                       ON  "
                            "hors interrupteurs, bouchon 120R\n";
    const QStringList run{"--feuille", "510,1,3", "--titre", "Essai"};
    QTest::newRow("text on standard output") << run << QString() << text;
    QTest::newRow("text on -o -") << run + QStringList{"-o", "-"} << QString() << text;
    QTest::newRow(".txt file") << run + QStringList{"-o", "ligne.txt"} << "ligne.txt" << text;
    QTest::newRow(".csv, other order, no terminator")
        << QStringList{"--feuille", "510,1,3", "--autre", "--sans-bouchon", "-o", "ligne.CSV"} << "ligne.CSV"
        << QByteArray("\xEF\xBB\xBF"
                      "Feuille d'adressage DMX\n"
                      "Appareil;Adresse;Dernier canal;1 (1);2 (2);3 (4);4 (8);5 (16);6 (32);7 (64);8 (128);9 (256);"
                      "10 (120R);Remarques\n"
                      "1;510;510;OFF;ON;ON;ON;ON;ON;ON;ON;ON;OFF;\n"
                      "2;511;511;ON;ON;ON;ON;ON;ON;ON;ON;ON;OFF;\n"
                      "3;512;512;;;;;;;;;;OFF;hors interrupteurs\n");
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
    QTest::newRow("unknown option") << into({"--feuille", "1,7,3", "--couleur"}) << "option inconnue « --couleur »";
    QTest::newRow("long option with one dash") << into({"-feuille", "1,7,3"}) << "option inconnue « -feuille »";
    QTest::newRow("no --feuille") << into({"--titre", "Perche"}) << "il manque --feuille";
    QTest::newRow("two numbers") << into({"--feuille", "1,7"}) << "PREMIERE,CANAUX,NOMBRE";
    QTest::newRow("a word") << into({"--feuille", "1,sept,3"}) << "« sept » n'est pas un nombre entier";
    QTest::newRow("number too long") << into({"--feuille", "1,99999999999999999999,3"})
                                     << "canaux doit aller de 1 à 512 (reçu : 99999999999999999999)";
    QTest::newRow("first -1") << into({"--feuille", "-1,7,3"}) << "première adresse doit aller de 0 à 511";
    QTest::newRow("stray argument") << into({"--feuille", "1,7,3", "encore"}) << "argument inattendu";
    QTest::newRow("-o twice") << QStringList{"--feuille", "1,7,3", "-o", "x.pdf", "-o", "ancien.pdf"}
                              << "plusieurs fois";
    QTest::newRow("unknown ending") << QStringList{"--feuille", "1,7,3", "-o", "ancien.doc"} << ".pdf, .csv ou .txt";
    QTest::newRow("-o without a name") << QStringList{"--feuille", "1,7,3", "-o"} << "« -o » attend une valeur";
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
    QVERIFY2(oneFrenchLine(r.err).contains(says), r.err.constData());
    QCOMPARE(read(QStringLiteral("ancien.pdf")) + read(QStringLiteral("ancien.doc")), QByteArray("ancienancien"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);
}

void SheetTest::pdfOfThreePages()
{
    if (!canReadPdfs())
        QSKIP("pdftotext (poppler-utils) reads the PDFs back");
    QCOMPARE(tool({"--feuille", "480,10,40", "--titre", "Perche 2", "-o", "perche.pdf"}).status, 0);
    QCOMPARE(pages(QStringLiteral("perche.pdf")), 3);
    const QString words = pdfText(QStringLiteral("perche.pdf"));
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
    const QString firstRow = QApplication::clipboard()->text().section(u'\n', 2, 2);
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

// Every way a write can fail: exit 1, one French line, the old files byte for
// byte as they were, no new file and nothing left beside them.
void SheetTest::writeFails_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("name"); // in the folder; "-": standard output
    QTest::addColumn<QString>("says");
    QTest::newRow("csv over a file, full disk") << "plein" << "ancien.csv" << "« %1 » : disque plein.";
    QTest::newRow("new csv, full disk") << "plein" << "neuf.csv" << "disque plein";
    QTest::newRow("txt over a file, full disk") << "plein" << "ancien.txt" << "disque plein";
    QTest::newRow("pdf over a file, full disk") << "plein" << "ancien.pdf" << "disque plein";
    QTest::newRow("csv, read-only disk") << "lecture seule" << "ancien.csv" << "système de fichiers en lecture seule";
    QTest::newRow("link to a device that is always full") << "lien" << "lien.csv" << "disque plein";
    QTest::newRow("missing folder") << "" << "absent/neuf.csv" << "dossier introuvable";
    QTest::newRow("a folder named .csv") << "" << "dossier.csv" << "c'est un dossier";
    QTest::newRow("full standard output") << "" << "/dev/full" << "sortie standard : disque plein";
    QTest::newRow("closed standard output") << "" << "" << "sortie standard : sortie fermée";
}

void SheetTest::writeFails()
{
    QFETCH(QString, where);
    QFETCH(QString, name);
    QFETCH(QString, says);
    const QString folder = dir.filePath(QString::number(qHash(QTest::currentDataTag())));
    const SmallDisk disk(folder);
    if (!where.isEmpty() && !disk.mounted)
        QSKIP("a full or read-only disk, or a device, is on a tmpfs this test mounts: run it as root, as CI does");
    for (const char *old : {"ancien.csv", "ancien.txt", "ancien.pdf"}) {
        QFile f(folder + u'/' + QLatin1String(old));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("ancien") == 6);
    }
    QVERIFY(QDir(folder).mkdir(QStringLiteral("dossier.csv")));
    if (where == u"lien")
        QVERIFY(disk.addFullDevice("plein") && QFile::link(QStringLiteral("plein"), folder + QStringLiteral("/lien.csv")));
    if (where == u"plein")
        disk.fill();
    if (where == u"lecture seule")
        QVERIFY(disk.makeReadOnly());
    const auto listing = [&] {
        QStringList all;
        for (const QFileInfo &f : QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::Hidden)) {
            QFile file(f.filePath());
            all << f.fileName() + u' '
                       + (f.isSymLink() ? f.symLinkTarget()
                                        : f.isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QString());
        }
        return all;
    };
    const QStringList before = listing();

    const bool toFile = !name.startsWith(u'/') && !name.isEmpty();
    const QString path = toFile ? folder + u'/' + name : QStringLiteral("-");
#ifdef Q_OS_LINUX
    const Run r = tool({"--feuille", "1,7,3", "-o", path}, [&](QProcess &p) {
        if (name.startsWith(u'/'))
            p.setStandardOutputFile(name);
        if (name.isEmpty())
            p.setChildProcessModifier([] { ::close(STDOUT_FILENO); });
    });
#else
    if (!toFile)
        QSKIP("/dev/full and a closed standard output are Linux's");
    const Run r = tool({"--feuille", "1,7,3", "-o", path});
#endif
    QCOMPARE(r.status, 1);
    QVERIFY2(oneFrenchLine(r.err).contains(says.replace(QStringLiteral("%1"), path)), r.err.constData());
    QCOMPARE(listing(), before);
}

// A FIFO is written to as a stream and stays a FIFO.
void SheetTest::fifoIsWrittenAsAStream()
{
#ifndef Q_OS_LINUX
    QSKIP("a FIFO in a folder is Linux's");
#else
    const QString fifo = dir.filePath(QStringLiteral("tube.csv"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QProcess reader;
    reader.start(QStringLiteral("cat"), {fifo});
    QCOMPARE(tool({"--feuille", "1,7,3", "-o", fifo}).status, 0);
    if (!reader.waitForFinished(10000))
        reader.kill(); // nothing ever opened the FIFO
    const QByteArray got = reader.readAllStandardOutput();
    QVERIFY2(got.startsWith("\xEF\xBB\xBF" "Feuille d'adressage DMX\n") && got.endsWith(";bouchon 120R\n"), got.constData());
    QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
#endif
}

void SheetTest::pdfTitleOnOneLine_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("heading");
    QTest::newRow("line break") << "Perche\n 2" << "Perche 2";
    QTest::newRow("blank") << " \t " << "Feuille d'adressage DMX";
    QTest::newRow("long: cut after a word") << "Perche de face, côté jardin, PAR LED de la salle des fêtes, "
                                               "deuxième série avant le rideau de fond"
                                            << "Perche de face, côté jardin, PAR LED de la salle des fêtes, deuxième…";
}

void SheetTest::pdfTitleOnOneLine()
{
    QFETCH(QString, title);
    QFETCH(QString, heading);
    if (!canReadPdfs())
        QSKIP("pdftotext (poppler-utils) reads the PDFs back");
    const dmx::Plan plan = std::get<dmx::Plan>(dmx::makePlan({1, 7, 3}));
    QCOMPARE(sheet::save(dir.filePath(QStringLiteral("titre.pdf")), plan, title), QString());
    QCOMPARE(pdfText(QStringLiteral("titre.pdf")).section(u'\n', 0, 0), heading);
}

// A printer that reports no margin, or the 3 mm of a PDF printer, still gets
// 10 mm at least, and as many pages as the saved PDF.
void SheetTest::printerPaginatesAsThePdf_data()
{
    QTest::addColumn<qreal>("margin");
    QTest::newRow("no margin") << qreal(0);
    QTest::newRow("3 mm") << qreal(3);
}

void SheetTest::printerPaginatesAsThePdf()
{
    QFETCH(qreal, margin);
    if (!canReadPdfs())
        QSKIP("pdftotext (poppler-utils) reads the PDFs back");
    const dmx::Plan plan = std::get<dmx::Plan>(dmx::makePlan({1, 1, 512}));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFileName(dir.filePath(QStringLiteral("imprime.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(margin, margin, margin, margin), QPageLayout::Millimeter);
    sheet::paint(printer, plan, {});
    QCOMPARE(sheet::save(dir.filePath(QStringLiteral("enregistre.pdf")), plan, {}), QString());
    QCOMPARE(pages(QStringLiteral("imprime.pdf")), pages(QStringLiteral("enregistre.pdf")));

    // Each word's box, in points from the page's corner (A4: 595 × 842).
    const QString boxes = pdfText(QStringLiteral("imprime.pdf"), {QStringLiteral("-bbox")});
    qreal nearest = 1e9;
    for (const auto &w : QRegularExpression(QStringLiteral(
             R"re(xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)")re")).globalMatch(boxes))
        nearest = std::min({nearest, w.captured(1).toDouble(), w.captured(2).toDouble(),
                            595.28 - w.captured(3).toDouble(), 841.89 - w.captured(4).toDouble()});
    QVERIFY2(nearest >= 10 / 25.4 * 72, qPrintable(QString::number(nearest)));
}

// Saved from the dialog under the title's name and said on the status line;
// a failure says why in a box and the old file stays.
void SheetTest::dialogSaves_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<bool>("full");
    QTest::newRow("CSV") << "CSV" << false;
    QTest::newRow("CSV on a full disk") << "CSV" << true;
    QTest::newRow("PDF on a full disk") << "PDF" << true;
}

void SheetTest::dialogSaves()
{
    QFETCH(QString, form);
    QFETCH(bool, full);
    const QString folder = dir.filePath(QString::number(qHash(QTest::currentDataTag())));
    const SmallDisk disk(folder);
    if (full && !disk.mounted)
        QSKIP("a full disk is a tmpfs this test mounts: run it as root, as CI does");
    // The name the dialog offers: the file dialog may come back to it once
    // it has read the folder.
    QFile file(folder + QStringLiteral("/Perche 2.") + form.toLower());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("ancien") == 6);
    file.close();
    if (full)
        disk.fill();

    SheetDialog dialog(42, 7, dmx::kColourDriverBank);
    dialog.findChild<QLineEdit *>(QStringLiteral("titre"))->setText(QStringLiteral("Perche 2"));
    QString suggested, box;
    whenModal([&](QDialog *files) {
        suggested = qobject_cast<QFileDialog *>(files)->selectedFiles().value(0);
        qobject_cast<QFileDialog *>(files)->selectFile(file.fileName());
        if (full)
            whenModal([&](QDialog *message) {
                box = qobject_cast<QMessageBox *>(message)->text();
                message->done(0);
            });
        files->done(QDialog::Accepted);
    });
    for (QPushButton *b : dialog.findChildren<QPushButton *>())
        if (b->text().remove(u'&') == QStringLiteral("Enregistrer en %1…").arg(form))
            b->click();

    QVERIFY2(suggested.endsWith(QStringLiteral("/Perche 2.") + form.toLower()), qPrintable(suggested));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("resume"))->text(),
             full ? QStringLiteral("Rien n'a été enregistré.")
                  : QStringLiteral("Enregistré : « %1 », 12 appareils.").arg(QDir::toNativeSeparators(file.fileName())));
    QVERIFY2(full ? box.contains(u"disque plein") && written == "ancien"
                  : box.isEmpty() && written.startsWith("\xEF\xBB\xBF" "Perche 2\nAppareil;"), qPrintable(box));
}

void SheetTest::dialogFitsAndTabsInReadingOrder()
{
    SheetDialog(1, 1, dmx::kColourDriverBank).findChild<QLineEdit *>(QStringLiteral("titre"))->setText(u"Perche 3"_qs);
    SheetDialog dialog(42, 7, dmx::kColourDriverBank);
    auto *title = dialog.findChild<QLineEdit *>(QStringLiteral("titre"));
    QCOMPARE(title->text(), QStringLiteral("Perche 3")); // kept from the last opening
    // At 200 % on a 1280 × 1024 screen, with room for the window's frame.
    const QSize size = dialog.sizeHint() * 2;
    QVERIFY2(size.width() + 20 <= 1280 && size.height() + 60 <= 1024, qPrintable(QString::number(size.width())));
    dialog.findChild<QSpinBox *>(QStringLiteral("nombre"))->setValue(1);
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("resume"))->text(), QStringLiteral("Adresse 42, dernier canal 48."));

    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    title->setFocus();
    QStringList order;
    for (int i = 0; i < 12; ++i) {
        QWidget *focus = QApplication::focusWidget();
        auto *button = qobject_cast<QPushButton *>(focus);
        order << (button ? button->text().remove(u'&') : focus->objectName());
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QCOMPARE(order, QStringList({"titre", "premiere", "canaux", "nombre", "ordre", "bouchon", "Imprimer…",
                                 "Enregistrer en PDF…", "Enregistrer en CSV…", "Copier le tableau", "Fermer", "titre"}));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    SheetTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "sheet_test.moc"
