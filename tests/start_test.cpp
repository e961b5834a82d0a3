// The tool started where no screen can be opened: one French line, status 1.
#include <QProcess>
#include <QtTest>

class StartTest : public QObject
{
    Q_OBJECT
private slots:
    void withoutScreen_data();
    void withoutScreen();
};

void StartTest::withoutScreen_data()
{
    QTest::addColumn<QString>("display"); // empty: unset
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("line");
    QTest::newRow("DISPLAY names no server") << ":65000" << QStringList()
        << "adresse-dmx : l'écran DISPLAY=:65000 ne répond pas ; lancez l'outil depuis une session graphique.";
    QTest::newRow("DISPLAY unset") << "" << QStringList()
        << "adresse-dmx : pas d'écran où ouvrir les fenêtres (DISPLAY n'est pas défini) ; "
           "lancez l'outil depuis une session graphique.";
    QTest::newRow("unknown platform") << ":65000" << QStringList{"-platform", "nonexistent"}
        << "adresse-dmx : la plateforme d'affichage « nonexistent » est introuvable ou ne s'ouvre pas.";
}

void StartTest::withoutScreen()
{
    QFETCH(QString, display);
    QFETCH(QStringList, arguments);
    QFETCH(QString, line);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    if (!display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), display);
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(ADRESSE_DMX_BIN), arguments);
    QVERIFY(tool.waitForFinished());
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(tool.readAllStandardError()), line + u'\n');
}

QTEST_GUILESS_MAIN(StartTest)
#include "start_test.moc"
