// Every text the windows can show must fit its control, at every screen scale.
#include "fixturewindow.h"
#include "layout.h"
#include "look.h"
#include "rigwindow.h"
#include "shell.h"
#include "switchbank.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOption>
#include <QTableWidget>
#include <QScopeGuard>
#include <QtTest>

using layout::Kind;
using layout::Role;

namespace {

const layout::WindowProfile &profileAt(int which)
{
    return which == 0 ? layout::colourDriver() : layout::otherFixture();
}

QString fromText(dmx::TextView t)
{
    return QString::fromUtf16(t.data(), static_cast<qsizetype>(t.size()));
}

// The scale the test runs at: CTest runs it once per screen scale.
qreal expectedScale()
{
    return qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble();
}

// Where a control lays out its text, from the style's own geometry.
QRect textRoom(QWidget *w)
{
    QStyle *style = w->style();
    if (auto *label = qobject_cast<QLabel *>(w)) {
        const int m = label->margin();
        return label->contentsRect().adjusted(m, m, -m, -m);
    }
    if (auto *button = qobject_cast<QPushButton *>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        if (button->autoDefault() || button->isDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        return style->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    }
    if (auto *box = qobject_cast<QLineEdit *>(w)) {
        QStyleOptionFrame option;
        option.initFrom(box);
        option.lineWidth = box->hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
        option.state |= QStyle::State_Sunken;
        const QRect clip = style->subElementRect(QStyle::SE_LineEditContents, &option, box)
                               .marginsRemoved(box->textMargins());
        // A line edit keeps two pixels either side free for its cursor; a text
        // that needs them is scrolled, and then cut at the edge.
        return clip.adjusted(2, 0, -2, 0);
    }
    auto *combo = qobject_cast<QComboBox *>(w);
    Q_ASSERT(combo);
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    option.frame = combo->hasFrame();
    return style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
}

void showText(QWidget *w, const QString &text)
{
    if (auto *label = qobject_cast<QLabel *>(w))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(w))
        button->setText(text);
    else if (auto *box = qobject_cast<QLineEdit *>(w))
        box->setText(text);
    else if (auto *combo = qobject_cast<QComboBox *>(w))
        combo->setCurrentIndex(combo->findText(text));
}

QImage render(QWidget *w, qreal ratio)
{
    QPixmap pixmap(QSizeF(QSizeF(w->size()) * ratio).toSize());
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    w->render(&pixmap);
    return pixmap.toImage();
}

// The text's ink, in logical pixels: what the control draws with the text
// and not without it.
QRectF inkOf(QWidget *w, const QString &text, qreal ratio)
{
    showText(w, QString());
    const QImage blank = render(w, ratio);
    showText(w, text);
    const QImage shown = render(w, ratio);
    QRect box;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (shown.pixel(x, y) != blank.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return QRectF(QPointF(box.topLeft()) / ratio, QSizeF(box.size()) / ratio);
}

// A text box's background, read at the right end of its text's room, and by
// how many grey levels the ink in that room stands out from it at most.
std::pair<QColor, int> backgroundAndInk(QLineEdit *box)
{
    const QImage shot = box->grab().toImage();
    const qreal r = shot.devicePixelRatio();
    const QRect room = textRoom(box);
    const QRgb background = shot.pixel((QPointF(room.right() - 1, room.center().y()) * r).toPoint());
    int ink = 0;
    for (int y = int(room.top() * r); y < int(room.bottom() * r); ++y)
        for (int x = int(room.left() * r); x < int(room.right() * r); ++x)
            ink = qMax(ink, qAbs(qGray(shot.pixel(x, y)) - qGray(background)));
    return {QColor(background), ink};
}

QString describe(const QRectF &r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class LookTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void textFits_data();
    void textFits();
    void windowScales_data();
    void windowScales();
    void darkTheme_data();
    void darkTheme();
    void everyControlShowsTheFace();
    void problemRowsReadOnBothThemes_data();
    void problemRowsReadOnBothThemes();
};

void LookTest::initTestCase()
{
    setUpApplication(*qApp);
}

void LookTest::textFits_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<int>("role");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");

    for (int which : {0, 1}) {
        FixtureWindow window(profileAt(which));
        auto add = [&](const layout::Control &c, int column, const QString &text) {
            QWidget *w = window.control({c.role, column});
            QTest::addRow("%s %s \"%s\"", qPrintable(window.objectName()), qPrintable(w->objectName()),
                          qPrintable(text))
                << which << int(c.role) << column << text;
        };
        auto addTexts = [&](const layout::Control &c, int column) {
            QWidget *w = window.control({c.role, column});
            switch (c.kind) {
            case Kind::Picture:
                break;
            case Kind::Label:
                add(c, column, static_cast<QLabel *>(w)->text());
                break;
            case Kind::Button:
                add(c, column, static_cast<QPushButton *>(w)->text());
                break;
            case Kind::TextBox:
                if (c.role == Role::Indicator) {
                    add(c, column, fromText(dmx::kTerminated));
                } else {
                    add(c, column, fromText(dmx::kOn));
                    add(c, column, fromText(dmx::kOff));
                }
                break;
            case Kind::AddressBox:
                add(c, column, QStringLiteral("511"));
                add(c, column, QStringLiteral("-30")); // stepped back from an empty box
                break;
            case Kind::List: {
                auto *combo = static_cast<QComboBox *>(w);
                const QFontMetricsF metrics(combo->font());
                QString widest;
                for (int i = 0; i < combo->count(); ++i)
                    if (metrics.horizontalAdvance(combo->itemText(i)) >= metrics.horizontalAdvance(widest))
                        widest = combo->itemText(i);
                add(c, column, widest);
                break;
            }
            }
        };
        for (const layout::Control &c : layout::controls()) {
            if (!layout::isBankRole(c.role)) {
                addTexts(c, 0);
                continue;
            }
            for (int k = 1; k <= layout::kColumns; ++k)
                addTexts(c, k);
        }
    }
}

void LookTest::textFits()
{
    QFETCH(int, which);
    QFETCH(int, role);
    QFETCH(int, column);
    QFETCH(QString, text);

    FixtureWindow window(profileAt(which));
    QWidget *w = window.control({Role(role), column});
    QVERIFY(w);
    QVERIFY2(QFontInfo(w->font()).exactMatch(), "no face on this machine matches the font asked for");

    const QRect room = textRoom(w);
    const qreal width = QFontMetricsF(w->font()).horizontalAdvance(text);
    QVERIFY2(width <= room.width(),
             qPrintable(QStringLiteral("%1 px wide, room for %2").arg(width).arg(room.width())));

    // What the screen shows: the ink stays inside the room, and grows with
    // the screen's scale as the controls do.
    const qreal ratio = w->devicePixelRatio();
    const QRectF ink = inkOf(w, text, ratio);
    QVERIFY2(!ink.isEmpty(), "nothing drawn");
    QVERIFY2(QRectF(room).contains(ink),
             qPrintable(QStringLiteral("ink %1 outside %2").arg(describe(ink), describe(room))));
    if (ratio != 1) {
        const QRectF plain = inkOf(w, text, 1);
        const QSizeF growth = ink.size() - plain.size();
        const QPointF shift = ink.center() - plain.center();
        // Within a pixel and a half, or a twentieth of a long caption: glyphs
        // snap to whole device pixels, differently at each scale.
        auto near = [](qreal a, qreal size) { return qAbs(a) <= qMax(1.5, size / 20); };
        QVERIFY2(near(growth.width(), plain.width()) && near(growth.height(), plain.height())
                     && near(shift.x(), plain.width()) && near(shift.y(), plain.height()),
                 qPrintable(QStringLiteral("ink %1 at %2x, %3 at 1x")
                                .arg(describe(ink)).arg(ratio).arg(describe(plain))));
    }
}

void LookTest::windowScales_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("Corvanecolordriver") << 0;
    QTest::newRow("Corvanestandard") << 1;
}

// A scaled screen shows the same window, larger and at its own density.
void LookTest::windowScales()
{
    QFETCH(int, which);
    FixtureWindow window(profileAt(which));
    const qreal ratio = window.devicePixelRatio();
    QCOMPARE(ratio, expectedScale());

    const QPixmap shot = window.grab();
    QCOMPARE(shot.devicePixelRatio(), ratio);
    QCOMPARE(shot.size(), QSizeF(QSizeF(window.size()) * ratio).toSize());

    const auto *mark = window.findChild<QLabel *>(QStringLiteral("Image2"));
    QVERIFY(mark);
    QCOMPARE(mark->pixmap().devicePixelRatio(), ratio);
}

void LookTest::darkTheme_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<int>("group");
    const char *groups[] = {"active", "disabled", "inactive"}; // QPalette::ColorGroup
    for (int which : {0, 1})
        for (int group : {0, 1, 2})
            QTest::addRow("%s, %s", which ? "Corvanestandard" : "Corvanecolordriver", groups[group]) << which << group;
}

// Under a dark desktop theme the colours the layout gives hold, and every
// text stands out from its background.
void LookTest::darkTheme()
{
    QFETCH(int, which);
    QFETCH(int, group);
    const QPalette light = QApplication::palette();
    QPalette dark(QColor(0x35, 0x35, 0x35)); // light text on dark grey, as GTK's Adwaita dark
    dark.setColor(QPalette::Text, QColor(0xf2, 0xf2, 0xf2));
    QApplication::setPalette(dark);
    const auto restore = qScopeGuard([&] { QApplication::setPalette(light); });

    FixtureWindow window(profileAt(which));
    auto box = [&](Role role, int column) { return static_cast<QLineEdit *>(window.control({role, column})); };
    QTest::mouseClick(box(Role::Upper, 1), Qt::LeftButton); // "ON", and the sum in the address box
    if (group == QPalette::Active) {
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    window.setEnabled(group != QPalette::Disabled);

    for (QLineEdit *cell : {box(Role::Upper, 1), box(Role::Lower, 2)}) {
        const auto [background, ink] = backgroundAndInk(cell);
        QCOMPARE(background, QColor(Qt::white));
        QVERIFY2(ink > 200, qPrintable(cell->objectName() + QStringLiteral(": %1").arg(ink)));
    }
    QCOMPARE(box(Role::Indicator, 0)->palette().color(QPalette::ColorGroup(group), QPalette::Text), QColor(Qt::red));
    const int address = backgroundAndInk(box(Role::AddressBox, 0)).second;
    QVERIFY2(address > 100, qPrintable(QString::number(address)));
}

// The face comes from the system: Liberation Sans Narrow wherever
// fonts-liberation is installed, else the closest face and one line saying so
// (CTest runs this once more on a font configuration without it).
void LookTest::everyControlShowsTheFace()
{
    const bool missing = qEnvironmentVariableIsSet("DMX_FACE_MISSING");
    if (missing)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "« Liberation Sans Narrow » introuvable \\(paquet fonts-liberation\\)")));
    QTest::failOnWarning(QRegularExpression(QStringLiteral("."))); // one line, not one per window or control
    for (int which : {0, 1}) {
        FixtureWindow window(profileAt(which));
        for (const QWidget *w : window.findChildren<QWidget *>()) {
            const QString face = QFontInfo(w->font()).family();
            if (!w->isWindow()) // the list's popup is drawn in the desktop's menu font
                QVERIFY2(missing ? !face.isEmpty() : face == QStringLiteral("Liberation Sans Narrow"),
                         qPrintable(w->objectName() + QStringLiteral(" shows ") + face));
        }
    }
}

void LookTest::problemRowsReadOnBothThemes_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("light (Fusion)") << QApplication::style()->standardPalette();
    QPalette adwaita(QColor(0x35, 0x35, 0x35)); // as darkTheme's
    adwaita.setColor(QPalette::Text, QColor(0xf2, 0xf2, 0xf2));
    QTest::newRow("dark (Adwaita)") << adwaita;
    QPalette breeze(QColor(0xef, 0xf0, 0xf1), QColor(0x31, 0x36, 0x3b)); // KDE's Breeze Dark
    breeze.setColor(QPalette::Base, QColor(0x1b, 0x1e, 0x20));
    breeze.setColor(QPalette::AlternateBase, QColor(0x23, 0x26, 0x29));
    breeze.setColor(QPalette::Text, QColor(0xfc, 0xfc, 0xfc));
    QTest::newRow("dark (Breeze)") << breeze;
}

// The patch window's rows with a problem stay red and read at 4.5:1 on the
// table's both backgrounds, where plain red does not on a dark theme.
void LookTest::problemRowsReadOnBothThemes()
{
    QFETCH(QPalette, palette);
    const QPalette was = QApplication::palette();
    QApplication::setPalette(palette);
    const auto restore = qScopeGuard([&] { QApplication::setPalette(was); });
    dmx::Fixture f;
    f.label = "Sans canaux"; // its count unknown: a problem
    RigWindow window;
    window.setRig({{f}}, QStringLiteral("essai.csv"));
    auto *table = window.findChild<QTableWidget *>(QStringLiteral("appareils"));
    const QColor ink = table->item(0, 0)->foreground().color();
    for (const auto role : {QPalette::Base, QPalette::AlternateBase}) {
        const qreal ratio = look::contrast(ink, table->palette().color(role));
        QVERIFY2(ratio >= look::kLeastContrast, qPrintable(QStringLiteral("%1 on %2: %3").arg(ink.name(),
                 table->palette().color(role).name()).arg(ratio)));
    }
    QVERIFY2(ink.red() > ink.green() + 40 && ink.red() > ink.blue() + 40, qPrintable(ink.name()));
    // A built-in profile's greyed fields read as well.
    window.findChild<QTableWidget *>(QStringLiteral("appareils"))->selectRow(0);
    auto *name = window.findChild<QLineEdit *>(QStringLiteral("nom"));
    QVERIFY(!name->isEnabled());
    const QPalette greyed = name->palette();
    QVERIFY2(look::contrast(greyed.color(QPalette::Disabled, QPalette::Text), greyed.color(QPalette::Disabled, QPalette::Base))
                 >= look::kLeastContrast,
             qPrintable(greyed.color(QPalette::Disabled, QPalette::Text).name()));
    QCOMPARE(look::contrast(Qt::black, Qt::white), 21.0);
}

QTEST_MAIN(LookTest)
#include "look_test.moc"
