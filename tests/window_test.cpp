#include "announcer.h"
#include "shell.h"
#include "windowprobe.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QWheelEvent>

// Every behaviour test runs on both windows: 0 is the colour-driver window,
// 1 the other-fixture window.
class WindowTest : public QObject
{
    Q_OBJECT

private slots:
    void layoutRows_data();
    void layoutRows();
    void looks();
    void tabOrder_data();
    void tabOrder();
    void focusWhenShown_data();
    void focusWhenShown();
    void startsAllOff_data();
    void startsAllOff();

    void typing_data();
    void typing();
    void typedLengthAgainstProgramWrites_data();
    void typedLengthAgainstProgramWrites();
    void userEdits_data();
    void userEdits();

    void clicks_data();
    void clicks();
    void clickRedrawsInsideTheWrite_data();
    void clickRedrawsInsideTheWrite();
    void spaceOnACellIsAClick_data();
    void spaceOnACellIsAClick();

    void countList_data();
    void countList();
    void stepping_data();
    void stepping();

    void reset_data();
    void reset();

    void frenchContextMenu();
    void accessibleNames();

    void keys_data();
    void keys();
    void wheelAndFocusRing_data();
    void wheelAndFocusRing();
    void addressCue_data();
    void addressCue();
    void switchesToScreenReaders_data();
    void switchesToScreenReaders();
    void saidAfterAChange_data();
    void saidAfterAChange();
};

void WindowTest::layoutRows_data()
{
    // Twips as the layout gives them; each row holds both windows' names.
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("other");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("colourText");
    QTest::addColumn<QString>("otherText");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("bold");
    auto row = [](const char *colour, const char *other, QRect twips, const QString &text,
                  const QString &otherText, int px, bool bold) {
        QTest::newRow(colour) << QString::fromUtf8(colour) << QString::fromUtf8(other) << twips
                              << text << otherText << px << bold;
    };
    row("Label100", "Label100", {480, 480, 1815, 255}, "Adresse DMX:", "Adresse DMX:", 16, true);
    row("Text100", "Text1000", {480, 840, 1815, 615}, "", "", 32, false);
    row("Combo1", "Combo100", {480, 1680, 735, 315}, "", "", 11, false);
    row("suivant", "suivant100", {1320, 1560, 975, 255}, "suivant", "suivant", 11, false);
    row("précédent", "précédent100", {1320, 1800, 975, 255}, "précédent", "précédent", 11, false);
    row("Quittercolordriver", "Quitterstandard", {4680, 480, 975, 495}, "Quitter", "Quitter", 11, false);
    row("RAZcolordriver", "RAZstandard", {4680, 1200, 975, 495}, "Remise à zéro", "Remise à zéro", 11, false);
    row("Retourstandard", "Retourcolordriver", {4680, 1920, 975, 375}, "Autre", "Corvane", 11, false);
    row("Text120R", "Text120R", {3120, 2040, 975, 405}, "", "", 24, true);
    row("Label21", "Label21", {480, 2280, 1455, 255}, "Réglage dip switch", "Réglage dip switch", 11, false);
    row("Label101", "Label101", {1080, 0, 3615, 255}, QString(), QString(), 13, false);
    row("Image2", "Image2", {2760, 360, 1500, 1605}, QString(), QString(), -1, false);
    const char *colourWeights[] = {"256", "128", "64", "32", "16", "8", "4", "2", "1", "120R"};
    const char *otherWeights[] = {"1", "2", "4", "8", "16", "32", "64", "128", "256", "120R"};
    for (int k = 1; k <= dmx::kTerminatorSwitch; ++k) {
        const int left = 480 * k;
        const QByteArray number = "Label" + QByteArray::number(k);
        row(number, k == 1 ? "Label22" : number.constData(), {left, 2520, 495, 375},
            QString::number(k), QString::number(k), 16, false);
        const QByteArray up = "Text" + QByteArray::number(k), down = "Text" + QByteArray::number(k + layout::kColumns);
        row(up, "Text" + QByteArray::number(100 + k), {left, 2880, 495, 375}, "", "", 11, true);
        row(down, "Text" + QByteArray::number(110 + k), {left, 3240, 495, 375}, "OFF", "OFF", 11, true);
        const QByteArray weight = "Label" + QByteArray::number(k + layout::kColumns);
        row(weight, weight, {left, 3720, 495, 375}, colourWeights[k - 1], otherWeights[k - 1],
            k == dmx::kTerminatorSwitch ? 11 : 13, false);
    }
}

void WindowTest::layoutRows()
{
    QFETCH(QString, colour);
    QFETCH(QString, other);
    QFETCH(QRect, twips);
    QFETCH(QString, colourText);
    QFETCH(QString, otherText);
    QFETCH(int, pixelSize);
    QFETCH(bool, bold);

    for (int which : {0, 1}) {
        FixtureWindow w(profileOf(which));
        QCOMPARE(w.size(), QSize(386, 283));
        QWidget *c = w.findChild<QWidget *>(which == 0 ? colour : other);
        QVERIFY2(c, qPrintable(which == 0 ? colour : other));
        QCOMPARE(c->geometry(), QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15,
                                      twips.height() / 15));
        const QString expected = which == 0 ? colourText : otherText;
        if (!expected.isNull()) {
            QString shown;
            if (auto *l = qobject_cast<QLabel *>(c))
                shown = l->text();
            else if (auto *e = qobject_cast<QLineEdit *>(c))
                shown = e->text();
            else if (auto *b = qobject_cast<QPushButton *>(c))
                shown = b->text();
            QCOMPARE(shown, expected);
        }
        if (pixelSize > 0) {
            QCOMPARE(c->font().pixelSize(), pixelSize);
            QCOMPARE(c->font().bold(), bold);
        }
    }
}

void WindowTest::looks()
{
    for (int which : {0, 1}) {
        FixtureWindow w(profileOf(which));
        WindowProbe p(w, which);
        QCOMPARE(w.objectName(), QString::fromUtf8(kWindowNames[which].window));
        QCOMPARE(w.windowTitle(), which == 0 ? QStringLiteral("Corvane Adresse DMX Corvane V 0.3")
                                            : QStringLiteral("Corvane Adresse DMX Autre V 0.3"));
        QCOMPARE(p.indicator()->palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(p.indicator()->palette().color(QPalette::Base), w.palette().color(QPalette::Button));
        QVERIFY(p.indicator()->isReadOnly());
        QCOMPARE(p.indicator()->focusPolicy(), Qt::ClickFocus);
        for (int k = 1; k <= dmx::kTerminatorSwitch; ++k) {
            for (QLineEdit *cell : {p.upper(k), p.lower(k)}) {
                QVERIFY(cell->isReadOnly());
                QCOMPARE(cell->palette().color(QPalette::Base), QColor(Qt::white));
                QCOMPARE(cell->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
                QCOMPARE(cell->cursor().shape(), Qt::ArrowCursor);
            }
            QCOMPARE(p.upper(k)->palette().color(QPalette::Text), QColor(Qt::black));
        }
        QCOMPARE(p.upper(dmx::kTerminatorSwitch)->toolTip(), QStringLiteral("Bouchon DMX ON"));
        QCOMPARE(p.lower(dmx::kTerminatorSwitch)->toolTip(), QStringLiteral("Bouchon DMX OFF"));
        QVERIFY(!p.address()->isReadOnly());
        QCOMPARE(p.address()->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(p.address()->toolTip(), QStringLiteral("Entrer une valeur DMX"));
        QCOMPARE(p.combo()->toolTip(), QStringLiteral("Nombre de circuit"));
        QVERIFY(!p.combo()->isEditable());
        const char *tips[2][3] = {
            {"Alimentation suivante", "Alimentation précédente", ""},
            {"Projecteur ou gradateur suivant", "Projecteur ou gradateur précédent",
             "Alimentation Corvane"}};
        QCOMPARE(p.button(kWindowNames[which].next)->toolTip(), QString::fromUtf8(tips[which][0]));
        QCOMPARE(p.button(kWindowNames[which].previous)->toolTip(), QString::fromUtf8(tips[which][1]));
        QCOMPARE(p.button(kWindowNames[which].switchButton)->toolTip(), QString::fromUtf8(tips[which][2]));
        for (auto *b : w.findChildren<QPushButton *>()) {
            QVERIFY(!b->isDefault());
            QVERIFY(!b->autoDefault());
        }
        // 52 controls: the logo picture that lies wholly off the window is left out.
        QCOMPARE(w.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly).size(), 52);
    }
}

void WindowTest::tabOrder_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("colour driver") << 0
        << QStringList{"Text100", "Quittercolordriver", "Text1", "Text11", "Text2", "Text12",
                       "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9", "Text10",
                       "Text13", "Text14", "Text15", "Text16", "Text17", "Text18", "Text19", "Text20",
                       "RAZcolordriver", "Retourstandard", "Combo1", "suivant", "précédent"};
    QTest::newRow("other fixture") << 1
        << QStringList{"RAZstandard", "Quitterstandard", "Text1000", "Retourcolordriver",
                       "Text120", "Text119", "Text118", "Text117", "Text116", "Text115", "Text114", "Text113",
                       "Text110", "Text109", "Text108", "Text107", "Text106", "Text105", "Text104", "Text103",
                       "Text112", "Text102", "Text111", "Text101", "Combo100", "suivant100", "précédent100"};
}

void WindowTest::tabOrder()
{
    QFETCH(int, which);
    QFETCH(QStringList, order);
    FixtureWindow w(profileOf(which));
    QStringList seen;
    QWidget *c = w.findChild<QWidget *>(order.front());
    do {
        if (c->focusPolicy() & Qt::TabFocus)
            seen << c->objectName();
        c = c->nextInFocusChain();
    } while (c != w.findChild<QWidget *>(order.front()) && seen.size() < 100);
    QCOMPARE(seen, order);
}

void WindowTest::focusWhenShown_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("focus");
    QTest::newRow("colour driver: address box") << 0 << "Text100";
    QTest::newRow("other fixture: reset button") << 1 << "RAZstandard";
}

void WindowTest::focusWhenShown()
{
    QFETCH(int, which);
    QFETCH(QString, focus);
    FixtureWindow w(profileOf(which));
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTRY_VERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
}

static void bothWindows()
{
    QTest::addColumn<int>("which");
    QTest::newRow("colour driver") << 0;
    QTest::newRow("other fixture") << 1;
}

// A table's rows, each once per window, as the columns "which" and "row".
template <typename Row, std::size_t N>
static void rowsInBothWindows(const Row (&rows)[N])
{
    QTest::addColumn<int>("which");
    QTest::addColumn<Row>("row");
    for (const Row &r : rows)
        for (int which : {0, 1})
            QTest::addRow("%s: %s", which ? "other fixture" : "colour driver", r.name) << which << r;
}

void WindowTest::startsAllOff_data() { bothWindows(); }

void WindowTest::startsAllOff()
{
    QFETCH(int, which);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    QCOMPARE(p.bankState(), QStringLiteral("000000000"));
    QCOMPARE(p.terminatorState(), QStringLiteral("off"));
    QCOMPARE(p.address()->text(), QString());
}

// The state strings read switches 1 to 9 from the left (see WindowProbe).
void WindowTest::typing_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("state");
    struct Row { const char *name, *keys, *box, *colour, *other; };
    const Row rows[] = {
        {"zero turns all off", "0", "0", "000000000", "000000000"},
        {"one", "1", "1", "000000001", "100000000"},
        {"256", "256", "256", "100000000", "000000001"},
        {"511 all on", "511", "511", "111111111", "111111111"},
        {"typed one key at a time", "123", "123", "001111011", "110111100"},
        {"fourth typed key refused", "1234", "123", "001111011", "110111100"},
        // "51" is an address; the "2" of "512" then sets nothing new.
        {"512 typed", "512", "512", "010110011", "110011010"},
        {"deleting to empty keeps the switches", "511\b\b\b", "", "000000101", "101000000"},
        {"600 typed after 3", "3\b600", "600", "000111100", "001111000"},
        // Pasted in one piece, a text that is no address sets only the
        // switches its own "0" and "1" characters drive.
        {"512 pasted", "=512", "512", "010000000", "000000010"},
        {"01 pasted", "=01", "01", "010000000", "000000010"},
        {"007 pasted", "=007", "007", "000000000", "000000000"},
        {"1000 pasted is cut to 100", "=1000", "100", "001100100", "001001100"},
        {"letters change nothing", "=abc", "abc", "000000000", "000000000"},
        {"negative changes nothing", "=-5", "-5", "000000000", "000000000"},
        {"blank before digits", "= 5", " 5", "000000000", "000000000"},
    };
    for (const Row &r : rows) {
        QTest::addRow("colour driver: %s", r.name) << 0 << r.keys << r.box << r.colour;
        QTest::addRow("other fixture: %s", r.name) << 1 << r.keys << r.box << r.other;
    }
}

void WindowTest::typing()
{
    QFETCH(int, which);
    QFETCH(QString, keys);
    QFETCH(QString, box);
    QFETCH(QString, state);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    p.click(p.upper(dmx::kTerminatorSwitch));
    p.type(keys);
    QCOMPARE(p.address()->text(), box);
    QCOMPARE(p.bankState(), state);
    QCOMPARE(p.terminatorState(), QStringLiteral("on")); // typing never touches the terminator
}

void WindowTest::typedLengthAgainstProgramWrites_data() { bothWindows(); }

void WindowTest::typedLengthAgainstProgramWrites()
{
    QFETCH(int, which);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    p.type("999");
    p.chooseCount(30);
    p.press(kWindowNames[which].next);
    QCOMPARE(p.address()->text(), QStringLiteral("1029")); // the program's text stays whole
    p.press(kWindowNames[which].next);
    QCOMPARE(p.address()->text(), QStringLiteral("1059"));
    p.address()->end(false);
    p.type("7");
    QCOMPARE(p.address()->text(), QStringLiteral("1059")); // but typing adds nothing to it
    p.type("\b");
    QCOMPARE(p.address()->text(), QStringLiteral("105")); // deleting is allowed
    p.type("7");
    QCOMPARE(p.address()->text(), QStringLiteral("105")); // and three is the limit again
    p.address()->selectAll();
    p.type(QStringLiteral("=12345"));
    QCOMPARE(p.address()->text(), QStringLiteral("123")); // a paste is cut to fit, like typing
}

// Each edit starts from a text the program wrote, with a selection (or the
// caret alone when its length is 0); Ctrl+Z then brings that text back.
struct Edit { const char *name, *written; int start, length; const char *how, *text, *box; int caret; };

void WindowTest::userEdits_data()
{
    const Edit rows[] = {
        {"typing over the selected 0 is refused", "1029", 1, 1, "type", "5", "1029", 2},
        {"typing over the selected 02", "1029", 1, 2, "type", "5", "159", 2},
        {"paste over everything is cut to three", "1029", 0, 4, "paste", "5678", "567", 3},
        {"paste over 02 takes one character", "1029", 1, 2, "paste", "5678", "159", 2},
        {"Backspace in the middle", "1029", 2, 0, "Backspace", "", "129", 1},
        {"Delete in the middle", "1029", 2, 0, "Delete", "", "109", 2},
        {"paste ends at a line break", "", 0, 0, "paste", "5\n", "5", 1},
        {"paste ends at a Windows line break", "", 0, 0, "paste", "1\r\n2", "1", 1},
        {"paste of a line break alone is refused", "1029", 0, 4, "paste", "\n5", "1029", 4},
        {"emoji never split", "", 0, 0, "paste", "\U0001F600\U0001F600", "\U0001F600", 2},
        {"emoji with no room is refused", "12", 2, 0, "paste", "\U0001F600", "12", 2},
        {"accent stays with its letter", "1", 1, 0, "paste", "2e\u0301", "12", 2},
        {"context menu paste is cut", "1029", 0, 4, "menu", "5678", "567", 3},
        {"input method text is cut", "1029", 0, 4, "commit", "5678", "567", 3},
    };
    rowsInBothWindows(rows);
}

void WindowTest::userEdits()
{
    QFETCH(int, which);
    QFETCH(Edit, row);
    FixtureWindow w(profileOf(which));
    QLineEdit *b = WindowProbe(w, which).address();
    const QString written = QString::fromUtf8(row.written), text = QString::fromUtf8(row.text);
    const QByteArray how = row.how;
    b->setText(written);
    b->setSelection(row.start, row.length);
    QApplication::clipboard()->setText(text);
    if (how == "type") {
        QTest::keyClicks(b, text);
    } else if (how == "paste") {
        QTest::keySequence(b, QKeySequence::Paste);
    } else if (how == "menu") {
        QContextMenuEvent open(QContextMenuEvent::Keyboard, {5, 5}, b->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(b, &open);
        auto *menu = b->findChild<QMenu *>();
        QVERIFY(menu);
        for (QAction *a : menu->actions())
            if (a->text().remove(u'&').startsWith(QStringLiteral("Coller")))
                a->trigger();
        menu->close();
    } else if (how == "commit") {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(b, &commit);
    } else {
        QTest::keyClick(b, how == "Delete" ? Qt::Key_Delete : Qt::Key_Backspace);
    }
    QCOMPARE(b->text(), QString::fromUtf8(row.box));
    QCOMPARE(b->cursorPosition(), row.caret);
    QTest::keySequence(b, QKeySequence::Undo);
    QCOMPARE(b->text(), written);
}

void WindowTest::clicks_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("terminator");
    struct Row { const char *name, *typed, *clicks, *colourBox, *colourState, *otherBox, *otherState, *terminator; };
    const Row rows[] = {
        {"first upper cell", "", "U1", "256", "100000000", "1", "100000000", "off"},
        {"ninth upper cell", "", "U9", "1", "000000001", "256", "000000001", "off"},
        {"a lower cell writes 0", "", "L4", "0", "000000000", "0", "000000000", "off"},
        {"switches 1 and 9", "", "U1 U9", "257", "100000001", "257", "100000001", "off"},
        {"switches 1 and 2", "", "U1 U2", "384", "110000000", "3", "110000000", "off"},
        {"nine upper cells in any order", "", "U5 U1 U9 U3 U7 U2 U8 U4 U6", "511", "111111111", "511", "111111111", "off"},
        {"nine lower cells", "511", "L5 L1 L9 L3 L7 L2 L8 L4 L6", "0", "000000000", "0", "000000000", "off"},
        {"upper of a switch already on", "511", "U3", "511", "111111111", "511", "111111111", "off"},
        {"lower of a switch already off", "0", "L3", "0", "000000000", "0", "000000000", "off"},
        {"on then off brings the address back", "100", "U1 L1", "100", "001100100", "100", "001001100", "off"},
        {"text without pattern replaced by the sum", "=600", "U3", "64", "001000000", "4", "001000000", "off"},
        {"letters replaced by the sum", "=abc", "U2", "128", "010000000", "2", "010000000", "off"},
        {"terminator on", "12", "U10", "12", "000001100", "12", "001100000", "on"},
        {"terminator on then off", "12", "U10 L10", "12", "000001100", "12", "001100000", "off"},
        {"terminator leaves the weights", "", "U10 U1", "256", "100000000", "1", "100000000", "on"},
    };
    for (const Row &r : rows) {
        QTest::addRow("colour driver: %s", r.name) << 0 << r.typed << r.clicks << r.colourBox << r.colourState << r.terminator;
        QTest::addRow("other fixture: %s", r.name) << 1 << r.typed << r.clicks << r.otherBox << r.otherState << r.terminator;
    }
}

void WindowTest::clicks()
{
    QFETCH(int, which);
    QFETCH(QString, typed);
    QFETCH(QString, clicks);
    QFETCH(QString, box);
    QFETCH(QString, state);
    QFETCH(QString, terminator);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    p.type(typed);
    p.clickCells(clicks);
    QCOMPARE(p.address()->text(), box);
    QCOMPARE(p.bankState(), state);
    QCOMPARE(p.terminatorState(), terminator);
}

void WindowTest::clickRedrawsInsideTheWrite_data() { bothWindows(); }

// The sum is written and the whole bank redrawn before the click returns,
// with no event processed in between.
void WindowTest::clickRedrawsInsideTheWrite()
{
    QFETCH(int, which);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    QStringList seenDuringWrite;
    p.type("511");
    connect(p.address(), &QLineEdit::textChanged, &w,
            [&] { seenDuringWrite << p.address()->text() + ' ' + p.bankState(); });
    // Then the window says what moved, once, for a screen reader to announce.
    QList<dmx::Change> said;
    connect(&w, &FixtureWindow::changed, &w, [&](const dmx::Change &what) { said << what; });
    p.click(p.lower(3));
    QCOMPARE(seenDuringWrite, QStringList{QStringLiteral("") + (which == 0 ? "447 110111111" : "507 110111111")});
    QCOMPARE(said.size(), 1);
    QVERIFY(said[0].text && said[0].switches[2] && !said[0].switches[1]);
}

void WindowTest::spaceOnACellIsAClick_data() { bothWindows(); }

void WindowTest::spaceOnACellIsAClick()
{
    QFETCH(int, which);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    QTest::keyClick(p.upper(2), Qt::Key_Space);
    QCOMPARE(p.address()->text(), which == 0 ? QStringLiteral("128") : QStringLiteral("2"));
    QTest::keyClick(p.upper(dmx::kTerminatorSwitch), Qt::Key_Space);
    QCOMPARE(p.terminatorState(), QStringLiteral("on"));
    QTest::keyClick(p.lower(2), Qt::Key_Space);
    QCOMPARE(p.address()->text(), QStringLiteral("0"));
    QTest::keyClick(p.lower(2), Qt::Key_A); // no other key does anything
    QTest::keyClick(p.lower(2), Qt::Key_Return);
    QCOMPARE(p.address()->text(), QStringLiteral("0"));
    QCOMPARE(p.bankState(), QStringLiteral("000000000"));
}

void WindowTest::countList_data() { bothWindows(); }

void WindowTest::countList()
{
    QFETCH(int, which);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    QCOMPARE(p.combo()->count(), 30);
    for (int i = 0; i < 30; ++i)
        QCOMPARE(p.combo()->itemText(i), QString::number(i + 1));
    QCOMPARE(p.combo()->currentIndex(), -1);
    QCOMPARE(p.combo()->currentText(), QString());

    // A change by the program is no choice: without a count, "suivant"
    // leaves the address as it is.
    p.type("100");
    p.combo()->setCurrentIndex(4);
    p.press(kWindowNames[which].next);
    QCOMPARE(p.address()->text(), QStringLiteral("100"));

    p.chooseCount(12);
    QCOMPARE(p.combo()->currentText(), QStringLiteral("12"));
    QCOMPARE(p.address()->text(), QStringLiteral("100")); // choosing steps nothing
    QTest::keyClick(p.combo(), Qt::Key_End);
    QCOMPARE(p.combo()->currentText(), QStringLiteral("30"));
    p.press(kWindowNames[which].next);
    QCOMPARE(p.address()->text(), QStringLiteral("130"));
}

void WindowTest::stepping_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("count"); // 0: no entry chosen
    QTest::addColumn<QString>("presses");
    QTest::addColumn<QString>("box");
    struct Row { const char *name, *typed; int count; const char *presses, *box; };
    const Row rows[] = {
        {"no count: next keeps the text", "100", 0, "n", "100"},
        {"no count: previous writes it back", "100", 0, "p", "100"},
        {"no count: previous gives the number", "007", 0, "p", "7"},
        {"no count: next keeps leading zeros", "007", 0, "n", "007"},
        {"no count: next keeps the empty box", "", 0, "n", ""},
        {"no count: next keeps letters", "abc", 0, "n", "abc"},
        {"twelve: next", "100", 12, "n", "112"},
        {"twelve: next twice", "100", 12, "nn", "124"},
        {"twelve: previous", "100", 12, "p", "88"},
        {"thirty past the range", "500", 30, "n", "530"},
        {"five below zero", "3", 5, "p", "-2"},
        {"below zero and back", "3", 5, "pn", "3"},
        {"blanks around digits", " 5", 1, "n", "6"},
        {"empty box with a count", "", 5, "n", ""},
        {"empty box, previous", "", 0, "p", ""},
        {"letters with a count", "abc", 5, "np", "abc"},
        {"lone minus", "-", 5, "np", "-"},
    };
    // The stepping keys in the address box stand for the buttons.
    QTest::addColumn<int>("keys"); // 0: the buttons, 1: Up and Down, 2: Page Up and Page Down
    const char *const ways[] = {"", ", arrow keys", ", page keys"};
    for (const Row &r : rows)
        for (int which : {0, 1})
            for (int keys : {0, 1, 2})
                QTest::addRow("%s%s: %s", which ? "other fixture" : "colour driver", ways[keys], r.name)
                    << which << r.typed << r.count << r.presses << r.box << keys;
}

void WindowTest::stepping()
{
    QFETCH(int, which);
    QFETCH(QString, typed);
    QFETCH(int, count);
    QFETCH(QString, presses);
    QFETCH(QString, box);
    QFETCH(int, keys);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    p.type(typed);
    if (count)
        p.chooseCount(count);
    for (const QChar c : presses) {
        if (keys)
            QTest::keyClick(p.address(), c == u'n' ? (keys == 1 ? Qt::Key_Up : Qt::Key_PageUp)
                                                   : (keys == 1 ? Qt::Key_Down : Qt::Key_PageDown));
        else
            p.press(c == u'n' ? kWindowNames[which].next : kWindowNames[which].previous);
    }
    QCOMPARE(p.address()->text(), box);

    // The switches follow the stepped address when it is one.
    bool ok = false;
    const int n = box.toInt(&ok);
    if (ok && n >= 0 && n <= 511 && box == QString::number(n)) {
        QString expected;
        for (int k = 1; k <= dmx::kAddressSwitches; ++k)
            expected += n & kWindowNames[which].weight[k - 1] ? u'1' : u'0';
        QCOMPARE(p.bankState(), expected);
    }
}

void WindowTest::reset_data() { bothWindows(); }

void WindowTest::reset()
{
    QFETCH(int, which);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    p.press(kWindowNames[which].reset);
    QCOMPARE(p.bankState(), QStringLiteral("000000000"));

    p.type("511");
    p.clickCells("U10");
    p.chooseCount(8);
    p.press(kWindowNames[which].reset);
    QCOMPARE(p.bankState(), QStringLiteral("000000000"));
    QCOMPARE(p.terminatorState(), QStringLiteral("off"));
    QCOMPARE(p.address()->text(), QString());
    QCOMPARE(p.combo()->currentText(), QStringLiteral("8"));
    p.type("100");
    p.press(kWindowNames[which].next); // the count stays
    QCOMPARE(p.address()->text(), QStringLiteral("108"));

    p.press(kWindowNames[which].reset);
    p.clickCells("L1");
    QCOMPARE(p.address()->text(), QStringLiteral("0"));
    p.press(kWindowNames[which].reset);
    p.clickCells("U9");
    QCOMPARE(p.address()->text(), QString::number(kWindowNames[which].weight[8]));
}

void WindowTest::frenchContextMenu()
{
    FixtureWindow w(profileOf(0));
    WindowProbe p(w, 0);
    std::unique_ptr<QMenu> menu(p.address()->createStandardContextMenu());
    QStringList texts;
    for (QAction *a : menu->actions())
        texts << a->text().remove(u'&').section(u'\t', 0, 0);
    QVERIFY2(texts.contains(QStringLiteral("Coller")), qPrintable(texts.join(u'|')));
    QVERIFY2(texts.contains(QStringLiteral("Copier")), qPrintable(texts.join(u'|')));
}

void WindowTest::accessibleNames()
{
    for (int which : {0, 1}) {
        FixtureWindow w(profileOf(which));
        WindowProbe p(w, which);
        QCOMPARE(p.upper(3)->accessibleName(), QStringLiteral("Interrupteur 3, ON"));
        QCOMPARE(p.lower(3)->accessibleName(), QStringLiteral("Interrupteur 3, OFF"));
        QCOMPARE(p.upper(1)->accessibleDescription(),
                 QStringLiteral("Poids %1").arg(kWindowNames[which].weight[0]));
        QCOMPARE(p.address()->accessibleName(), QStringLiteral("Adresse DMX"));

        // Qt's own texts for the list, as a screen reader announces them.
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(p.combo());
        QVERIFY(list && list->actionInterface());
        QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Nombre de circuit"));
        QStringList actions;
        for (const QString &a : list->actionInterface()->actionNames())
            actions << list->actionInterface()->localizedActionName(a);
        QVERIFY2(actions.contains(QStringLiteral("Afficher le menu")), qPrintable(actions.join(u'|')));
    }
}

// A key on a control of a window holding "100" with a count of 12: where the
// focus goes, what the box shows, which request the window makes.
struct KeyPress { const char *name; layout::Place from; Qt::Key key; layout::Place to; const char *box; };

void WindowTest::keys_data()
{
    using layout::Role;
    const layout::Place box{Role::AddressBox}, next{Role::Next}, previous{Role::Previous}, reset{Role::Reset},
        switchButton{Role::OtherWindow}, quit{Role::Quit}, u1{Role::Upper, 1}, l3{Role::Lower, 3}, l10{Role::Lower, dmx::kTerminatorSwitch};
    const KeyPress rows[] = {
        {"Right along the row", u1, Qt::Key_Right, {Role::Upper, 2}, "100"},
        {"Left along the row", {Role::Lower, 5}, Qt::Key_Left, {Role::Lower, 4}, "100"},
        {"Left stops at switch 1", u1, Qt::Key_Left, u1, "100"},
        {"Right onto the terminator", {Role::Lower, dmx::kAddressSwitches}, Qt::Key_Right, l10, "100"},
        {"Right stops at the terminator", l10, Qt::Key_Right, l10, "100"},
        {"Down to the lower cell", {Role::Upper, 7}, Qt::Key_Down, {Role::Lower, 7}, "100"},
        {"Up to the upper cell", l10, Qt::Key_Up, {Role::Upper, dmx::kTerminatorSwitch}, "100"},
        {"Up stays on the upper cell", {Role::Upper, 3}, Qt::Key_Up, {Role::Upper, 3}, "100"},
        {"Down stays on the lower cell", l3, Qt::Key_Down, l3, "100"},
        {"Return presses next", next, Qt::Key_Return, next, "112"},
        {"Enter presses previous", previous, Qt::Key_Enter, previous, "88"},
        {"Return presses reset", reset, Qt::Key_Return, reset, ""},
        {"Enter presses switch", switchButton, Qt::Key_Enter, switchButton, ""},
        {"Return presses quit", quit, Qt::Key_Return, quit, "100"},
        {"Return in the box", box, Qt::Key_Return, box, "100"},
        {"Enter on a cell", u1, Qt::Key_Enter, u1, "100"},
    };
    rowsInBothWindows(rows);
}

void WindowTest::keys()
{
    QFETCH(int, which);
    QFETCH(KeyPress, row);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    p.type("100");
    p.chooseCount(12);
    QSignalSpy switched(&w, &FixtureWindow::otherWindowRequested), quit(&w, &FixtureWindow::quitRequested);
    w.control(row.from)->setFocus();
    QTest::keyClick(w.control(row.from), row.key, row.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(w.focusWidget(), w.control(row.to));
    QCOMPARE(p.address()->text(), QString::fromUtf8(row.box));
    QCOMPARE(switched.size(), int(row.from.role == layout::Role::OtherWindow));
    QCOMPARE(quit.size(), int(row.from.role == layout::Role::Quit));
}

void WindowTest::wheelAndFocusRing_data() { bothWindows(); }

void WindowTest::wheelAndFocusRing()
{
    QFETCH(int, which);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto turnWheel = [&] {
        QWheelEvent e({10, 10}, p.combo()->mapToGlobal(QPointF(10, 10)), {}, {0, -120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(p.combo(), &e);
    };
    p.chooseCount(3);
    p.address()->setFocus();
    turnWheel(); // passing over the list
    QCOMPARE(p.combo()->currentText(), QStringLiteral("3"));
    // Nor does a wheel over it take the focus, which Qt gives a WheelFocus widget first.
    QCOMPARE(p.combo()->focusPolicy(), Qt::StrongFocus);
    p.combo()->setFocus();
    turnWheel();
    QCOMPARE(p.combo()->currentText(), QStringLiteral("4"));
    p.type("100");
    p.press(kWindowNames[which].next); // the wheel's count is the window's
    QCOMPARE(p.address()->text(), QStringLiteral("104"));

    // Focusing a cell changes the three outermost pixels at the middle of each
    // side, where the style's own focus line changes two; the word is not
    // highlighted as text to edit.
    QLineEdit *cell = p.lower(4);
    const QImage plain = cell->grab().toImage();
    cell->setFocus();
    const QImage focused = cell->grab().toImage();
    const int right = plain.width() - 1, bottom = plain.height() - 1, midX = right / 2, midY = bottom / 2;
    for (int d = 0; d < 3; ++d)
        for (const QPoint at : {QPoint(d, midY), QPoint(right - d, midY), QPoint(midX, d), QPoint(midX, bottom - d)})
            QVERIFY2(plain.pixel(at) != focused.pixel(at), qPrintable(QStringLiteral("(%1,%2)").arg(at.x()).arg(at.y())));
    QCOMPARE(cell->selectedText(), QString());
}

// Keys as WindowProbe::type takes them, then "n" and "p" for the stepping
// buttons, "c" for a click on the upper cell of switch 1; each row under a
// light and a dark desktop palette.
struct Cue { const char *name, *keys; int count; const char *actions; bool cue; };

void WindowTest::addressCue_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<int>("which");
    QTest::addColumn<Cue>("row");
    const Cue rows[] = {
        {"600", "600", 0, "", true}, {"abc", "=abc", 0, "", true}, {"01", "=01", 0, "", true},
        {"stepped to 530", "500", 30, "n", true}, {"stepped to -2", "3", 5, "p", true},
        {"600 then 511", "600\b\b\b511", 0, "", false}, {"600 then emptied", "600\b\b\b", 0, "", false},
        {"600 then a click", "600", 0, "c", false}, {"-2 stepped back to 3", "3", 5, "pn", false},
    };
    for (const Cue &r : rows)
        for (int which : {0, 1})
            for (bool dark : {false, true})
                QTest::addRow("%s, %s: %s", which ? "other fixture" : "colour driver", dark ? "dark" : "light", r.name)
                    << dark << which << r;
}

void WindowTest::addressCue()
{
    QFETCH(bool, dark);
    QFETCH(int, which);
    QFETCH(Cue, row);
    const QPalette light = QApplication::palette();
    const auto restore = qScopeGuard([&] { QApplication::setPalette(light); });
    if (dark) {
        QPalette palette(QColor(0x35, 0x35, 0x35));
        palette.setColor(QPalette::Base, QColor(0x2d, 0x2d, 0x2d));
        palette.setColor(QPalette::Text, QColor(0xf2, 0xf2, 0xf2));
        QApplication::setPalette(palette);
    }
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    p.type(QString::fromUtf8(row.keys));
    if (row.count)
        p.chooseCount(row.count);
    for (const char *a = row.actions; *a; ++a)
        *a == 'c' ? p.click(p.upper(1)) : p.press(*a == 'n' ? kWindowNames[which].next : kWindowNames[which].previous);

    // Red ink in the box, and the darkest ink inside each switch's word, frame left out.
    auto inks = [](QWidget *box) {
        const QImage shot = box->grab().toImage();
        bool red = false;
        int darkest = 255;
        for (int y = 3; y < shot.height() - 3; ++y)
            for (int x = 3; x < shot.width() - 3; ++x) {
                const QColor c = shot.pixelColor(x, y);
                red = red || (c.red() > 200 && c.green() < 90 && c.blue() < 90);
                darkest = std::min(darkest, c.lightness());
            }
        return std::pair{red, darkest};
    };
    QLineEdit *box = p.address();
    QCOMPARE(inks(box).first, row.cue);
    for (int k = 1; k <= dmx::kTerminatorSwitch; ++k) {
        const int darkest = inks(p.upper(k)->text().isEmpty() ? p.lower(k) : p.upper(k)).second;
        QVERIFY2(row.cue && k != dmx::kTerminatorSwitch ? darkest > 100 : darkest < 60, qPrintable(QStringLiteral("switch %1: %2").arg(k).arg(darkest)));
    }
    // The tooltip says why, and a screen reader hears it; back to an address,
    // the box is exactly as one that never showed the cue.
    FixtureWindow fresh(profileOf(which));
    const WindowProbe f(fresh, which);
    QCOMPARE(box->toolTip() != f.address()->toolTip(), row.cue);
    QCOMPARE(box->accessibleDescription(), row.cue ? box->toolTip() : QString());
    if (!row.cue) {
        f.type(QStringLiteral("=") + box->text());
        QCOMPARE(box->grab().toImage(), f.address()->grab().toImage());
    }
}

// Each cell is a radio button of its switch, checked when the switch is in
// its position, after anything that moves switches ("R" presses reset). The
// names and the press action are read over AT-SPI by the screen_reader test.
struct Moves { const char *name, *typed, *clicks; };

void WindowTest::switchesToScreenReaders_data()
{
    const Moves rows[] = {{"typed non-address", "=01", ""}, {"clicks", "100", "U1 L3"}, {"terminator", "", "U10"},
                          {"reset", "100", "U10 R"}};
    rowsInBothWindows(rows);
}

void WindowTest::switchesToScreenReaders()
{
    QFETCH(int, which);
    QFETCH(Moves, row);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    p.type(QString::fromUtf8(row.typed));
    for (const QString &c : QString::fromUtf8(row.clicks).split(u' ', Qt::SkipEmptyParts))
        c == u"R" ? p.press(kWindowNames[which].reset) : p.clickCells(c);
    const QString state = p.bankState() + (p.terminatorState() == u"on" ? u'1' : u'0');
    QVERIFY(!state.contains(u'?'));
    for (int k = 1; k <= dmx::kTerminatorSwitch; ++k)
        for (bool upper : {true, false}) {
            QAccessibleInterface *cell = QAccessible::queryAccessibleInterface(upper ? p.upper(k) : p.lower(k));
            QCOMPARE(cell->role(), QAccessible::RadioButton);
            QVERIFY(cell->state().checkable);
            QCOMPARE(cell->state().checked, upper == (state[k - 1] == u'1'));
            const bool greyed = !p.address()->text().isEmpty() && !dmx::addressOf(p.address()->text().toStdU16String());
            QCOMPARE(cell->text(QAccessible::Description).contains(u"pas une adresse"), greyed && k != dmx::kTerminatorSwitch);
        }
}

// What a screen reader is told, once the changes pause: one notification.
// Moves as above, and "C3" chooses the count 3 from the keyboard, "N" steps,
// "^" is Up in the address box.
struct Said { const char *name, *typed, *moves, *colour, *other; };

void WindowTest::saidAfterAChange_data()
{
    const char *cue = "600 n'est pas une adresse de 0 à 511 : les interrupteurs ne l'affichent pas";
    const char *reset = "Remise à zéro : adresse vide, tous les interrupteurs et le bouchon sur OFF";
    const Said rows[] = {
        {"typed", "100", "", "Adresse 100 : interrupteurs 3, 4 et 7 sur ON", "Adresse 100 : interrupteurs 3, 6 et 7 sur ON"},
        {"no address", "600", "", cue, cue},
        {"clicks", "", "U1 U10", "Adresse 256 : interrupteur 1 et bouchon sur ON", "Adresse 1 : interrupteur 1 et bouchon sur ON"},
        {"step", "100", "C2 N", "Adresse 102 : interrupteurs 3, 4, 7 et 8 sur ON", "Adresse 102 : interrupteurs 2, 3, 6 et 7 sur ON"},
        {"count", "", "C3", "Nombre de circuit : 3", "Nombre de circuit : 3"},
        {"reset", "100", "U10 R", reset, reset},
        // Stepping an empty box without a count writes it again, empty: no reset.
        {"next in an empty box", "", "U10 N", "Adresse vide : bouchon seul sur ON", "Adresse vide : bouchon seul sur ON"},
        {"Up in an empty box", "", "U10 ^", "Adresse vide : bouchon seul sur ON", "Adresse vide : bouchon seul sur ON"},
    };
    rowsInBothWindows(rows);
}

void WindowTest::saidAfterAChange()
{
    QFETCH(int, which);
    QFETCH(Said, row);
    FixtureWindow w(profileOf(which));
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    WindowProbe p(w, which);
    p.type(QString::fromUtf8(row.typed));
    for (const QString &m : QString::fromUtf8(row.moves).split(u' ', Qt::SkipEmptyParts)) {
        if (m == u"R" || m == u"N") {
            p.press(m == u"R" ? kWindowNames[which].reset : kWindowNames[which].next);
        } else if (m == u"^") {
            QTest::keyClick(p.address(), Qt::Key_Up);
        } else if (m.startsWith(u'C')) {
            p.combo()->setFocus();
            p.chooseCount(m.mid(1).toInt());
        } else {
            p.clickCells(m);
        }
    }
    const auto said = [&w] {
        const auto shown = w.findChildren<Announcement *>();
        QAccessibleInterface *a = shown.isEmpty() ? nullptr : QAccessible::queryAccessibleInterface(shown.front());
        return shown.size() == 1 && a->role() == QAccessible::Notification ? a->text(QAccessible::Name) : QString();
    };
    QTRY_COMPARE(said(), QString::fromUtf8(which == 0 ? row.colour : row.other));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_test.moc"
