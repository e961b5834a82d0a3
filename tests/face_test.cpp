// The windows' face comes from the system: Liberation Sans Narrow wherever
// fonts-liberation is installed, else the closest face and one line saying so.
#include "fixturewindow.h"
#include "layout.h"
#include "shell.h"

#include <QApplication>
#include <QFontInfo>
#include <QRegularExpression>
#include <QtTest>

class FaceTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setUpApplication(*qApp); }
    void everyControlShowsTheFace();
};

void FaceTest::everyControlShowsTheFace()
{
    // CTest runs this once more on a font configuration without the face.
    const bool missing = qEnvironmentVariableIsSet("DMX_FACE_MISSING");
    if (missing)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "« Liberation Sans Narrow » introuvable \\(paquet fonts-liberation\\)")));
    QTest::failOnWarning(QRegularExpression(QStringLiteral("."))); // one line, not one per window or control

    for (const layout::WindowProfile *profile : {&layout::colourDriver(), &layout::otherFixture()}) {
        FixtureWindow window(*profile);
        for (const QWidget *w : window.findChildren<QWidget *>()) {
            if (w->isWindow())
                continue; // the list's popup is drawn in the desktop's menu font
            const QString face = QFontInfo(w->font()).family();
            const QByteArray where = window.objectName().toUtf8() + ' ' + w->objectName().toUtf8();
            if (missing)
                QVERIFY2(!face.isEmpty(), where);
            else
                QVERIFY2(face == QStringLiteral("Liberation Sans Narrow"), where + " shows " + face.toUtf8());
        }
    }
}

QTEST_MAIN(FaceTest)
#include "face_test.moc"
