#include "shell.h"
#include "windowprobe.h"

#include <QSignalSpy>
#include <QWheelEvent>

// The windows from the keyboard and the wheel, both windows each time:
// 0 is the colour-driver window, 1 the other-fixture window.
class KeyboardTest : public QObject
{
    Q_OBJECT

private slots:
    void steppingKeys_data();
    void steppingKeys();
    void arrows_data();
    void arrows();
    void enter_data();
    void enter();
    void wheel_data();
    void wheel();
    void focusFrame_data();
    void focusFrame();
};

// Each key is checked against the button it stands for, in a twin window
// that got the same text and count.
void KeyboardTest::steppingKeys_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("count"); // 0: no entry chosen
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("forward");
    struct Case { const char *name, *typed; int count; };
    const Case cases[] = {
        {"no count", "100", 0}, {"no count, leading zeros", "007", 0}, {"twelve", "100", 12},
        {"past the range", "500", 30}, {"below zero", "3", 5}, {"letters", "abc", 5},
        {"empty box", "", 5},
    };
    const std::pair<int, const char *> keys[] = {
        {Qt::Key_Up, "Up"}, {Qt::Key_PageUp, "PageUp"}, {Qt::Key_Down, "Down"}, {Qt::Key_PageDown, "PageDown"}};
    for (int which : {0, 1})
        for (const Case &c : cases)
            for (const auto &[key, name] : keys)
                QTest::addRow("%s: %s: %s", kWindowNames[which].window, c.name, name)
                    << which << c.typed << c.count << key
                    << (key == Qt::Key_Up || key == Qt::Key_PageUp);
}

void KeyboardTest::steppingKeys()
{
    QFETCH(int, which);
    QFETCH(QString, typed);
    QFETCH(int, count);
    QFETCH(int, key);
    QFETCH(bool, forward);
    FixtureWindow byKey(profileOf(which)), byButton(profileOf(which));
    WindowProbe k(byKey, which), b(byButton, which);
    for (const WindowProbe *p : {&k, &b}) {
        p->type(typed);
        if (count)
            p->chooseCount(count);
    }
    QTest::keyClick(k.address(), Qt::Key(key));
    b.press(forward ? kWindowNames[which].next : kWindowNames[which].previous);
    QCOMPARE(k.address()->text(), b.address()->text());
    QCOMPARE(k.bankState(), b.bankState());
}

// Cells as "U1" or "L10"; where the focus goes from a cell with each arrow.
void KeyboardTest::arrows_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("to");
    struct Row { const char *name, *from; Qt::Key key; const char *to; };
    const Row rows[] = {
        {"right", "U1", Qt::Key_Right, "U2"},
        {"left", "L5", Qt::Key_Left, "L4"},
        {"left stops at the first switch", "U1", Qt::Key_Left, "U1"},
        {"right reaches the terminator", "L9", Qt::Key_Right, "L10"},
        {"right stops at the terminator", "L10", Qt::Key_Right, "L10"},
        {"down", "U7", Qt::Key_Down, "L7"},
        {"up", "L10", Qt::Key_Up, "U10"},
        {"up stays on an upper cell", "U3", Qt::Key_Up, "U3"},
        {"down stays on a lower cell", "L3", Qt::Key_Down, "L3"},
    };
    for (int which : {0, 1})
        for (const Row &r : rows)
            QTest::addRow("%s: %s", kWindowNames[which].window, r.name) << which << r.from << int(r.key) << r.to;
}

void KeyboardTest::arrows()
{
    QFETCH(int, which);
    QFETCH(QString, from);
    QFETCH(int, key);
    QFETCH(QString, to);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    auto cell = [&](const QString &name) {
        return name.front() == u'U' ? p.upper(name.mid(1).toInt()) : p.lower(name.mid(1).toInt());
    };
    cell(from)->setFocus();
    QTest::keyClick(cell(from), Qt::Key(key));
    QCOMPARE(w.focusWidget(), cell(to));
    QCOMPARE(p.bankState(), QStringLiteral("---------")); // moving sets nothing
}

// Enter and Return press the focused button; elsewhere they do nothing.
void KeyboardTest::enter_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("control"); // a button's name, or "address", "cell"
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("signal");
    for (int which : {0, 1}) {
        const WindowNames &n = kWindowNames[which];
        auto row = [&](const char *name, const char *control, Qt::Key key, const char *box,
                       const char *signal = "") {
            QTest::addRow("%s: %s", n.window, name)
                << which << QString::fromUtf8(control) << int(key) << box << signal;
        };
        row("Enter on next", n.next, Qt::Key_Enter, "112");
        row("Return on previous", n.previous, Qt::Key_Return, "88");
        row("Return on reset", n.reset, Qt::Key_Return, "");
        row("Enter on the switch button", n.switchButton, Qt::Key_Enter, "", "switchRequested()");
        row("Return on quit", n.quit, Qt::Key_Return, "100", "quitRequested()");
        row("Return in the address box", "address", Qt::Key_Return, "100");
        row("Enter on a cell", "cell", Qt::Key_Enter, "100");
    }
}

void KeyboardTest::enter()
{
    QFETCH(int, which);
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(QString, box);
    QFETCH(QString, signal);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    p.type("100");
    p.chooseCount(12);
    QSignalSpy switched(&w, &FixtureWindow::switchRequested), quit(&w, &FixtureWindow::quitRequested);
    QWidget *target = control == u"address" ? p.address()
                      : control == u"cell"  ? static_cast<QWidget *>(p.upper(1))
                                            : p.button(control.toUtf8());
    QTest::keyClick(target, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(p.address()->text(), box);
    QCOMPARE(switched.size(), int(signal == u"switchRequested()"));
    QCOMPARE(quit.size(), int(signal == u"quitRequested()"));
}

void KeyboardTest::wheel_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<bool>("focused");
    QTest::addColumn<int>("index");
    for (int which : {0, 1}) {
        QTest::addRow("%s: focused list turns", kWindowNames[which].window) << which << true << 4;
        QTest::addRow("%s: list passed over stays", kWindowNames[which].window) << which << false << 2;
    }
}

void KeyboardTest::wheel()
{
    QFETCH(int, which);
    QFETCH(bool, focused);
    QFETCH(int, index);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    p.chooseCount(3);
    (focused ? static_cast<QWidget *>(p.combo()) : p.address())->setFocus();
    for (int notch = 0; notch < 2; ++notch) {
        const QPointF at = QRectF(p.combo()->rect()).center();
        QWheelEvent event(at, p.combo()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(p.combo(), &event);
    }
    QCOMPARE(p.combo()->currentIndex(), index);
    QCOMPARE(w.channelCount(), dmx::Value::integer(static_cast<std::int16_t>(index + 1)));
    QCOMPARE(p.combo()->hasFocus(), focused); // passing over does not take the focus either
}

void KeyboardTest::focusFrame_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<bool>("upper");
    for (int which : {0, 1}) {
        QTest::addRow("%s: empty upper cell", kWindowNames[which].window) << which << true;
        QTest::addRow("%s: lower cell with OFF", kWindowNames[which].window) << which << false;
    }
}

// Seen at a glance: focusing a cell changes the three outermost pixels at
// the middle of each side, where the style's own focus line changes two.
void KeyboardTest::focusFrame()
{
    QFETCH(int, which);
    QFETCH(bool, upper);
    FixtureWindow w(profileOf(which));
    WindowProbe p(w, which);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QLineEdit *cell = upper ? p.upper(4) : p.lower(4);
    const QImage plain = cell->grab().toImage();
    cell->setFocus();
    QTRY_VERIFY(cell->hasFocus());
    const QImage focused = cell->grab().toImage();
    const int right = plain.width() - 1, bottom = plain.height() - 1;
    const int midX = plain.width() / 2, midY = plain.height() / 2;
    for (int d = 0; d < 3; ++d)
        for (const QPoint at : {QPoint(d, midY), QPoint(right - d, midY), QPoint(midX, d), QPoint(midX, bottom - d)})
            QVERIFY2(plain.pixel(at) != focused.pixel(at), qPrintable(QStringLiteral("(%1,%2)").arg(at.x()).arg(at.y())));
    QCOMPARE(cell->selectedText(), QString()); // the word is not highlighted as text to edit
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    KeyboardTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "keyboard_test.moc"
