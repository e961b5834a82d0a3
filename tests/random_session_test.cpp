#include "fixturemodel.h"
#include "shell.h"
#include "windowprobe.h"

#include <QApplication>
#include <QClipboard>
#include <QPointer>
#include <QSignalSpy>

#include <algorithm>
#include <array>
#include <deque>
#include <optional>
#include <random>

// Random user sessions across both windows. After every event everything the
// windows show is compared with a model written here from the tool's rules,
// never with the tool's own code: a fault in a rule shows up as a difference.
// The same events also drive the tool's own model of each window, bare, which
// must show what its window shows: a fault in the wiring shows up too.
//
// Fixed seeds by default. To run longer by hand (sessions take the seeds
// DMX_SEED, DMX_SEED + 1, ... and kSessionEvents events each):
//   DMX_SEED=1000 DMX_EVENTS=1000000 build/tests/random_session_test
// A failure prints the pair that replays it.

namespace {

constexpr int kSessionEvents = 600;
constexpr int kDefaultEvents = 24000;
constexpr std::size_t kEventsShown = 20;

QString quoted(QString s)
{
    return u'"' + s.replace(u'\t', QStringLiteral("\\t")) + u'"';
}

// The address box as Qt's line edit keeps it.
struct Box
{
    QString text;
    qsizetype caret = 0;
    qsizetype selStart = 0, selEnd = 0; // nothing selected when equal

    bool hasSelection() const { return selStart < selEnd; }
    void deselect() { selStart = selEnd = 0; }
};

struct Window
{
    Box box;
    // Unset until the program first sets the switch; unset counts as 0 in a sum.
    std::array<std::optional<int>, dmx::kAddressSwitches> weightValue;
    bool terminator = false;
    // The channel count is comboIndex + 1 once the user has chosen an entry.
    int comboIndex = -1;
};

int weightOf(int which, int k)
{
    return kWindowNames[which].weight[k - 1];
}

// "0" to "511", written plainly, give their nine-character binary pattern;
// any other text stands for itself.
QString patternOf(const QString &text)
{
    const bool digits = !text.isEmpty() && text.size() <= 3
        && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (digits && (text.size() == 1 || text.front() != u'0') && text.toInt() <= 511)
        return QString::number(text.toInt(), 2).rightJustified(dmx::kAddressSwitches, u'0');
    return text;
}

// Blanks, an optional sign, ASCII digits, blanks: anything else is no number.
std::optional<long long> numberOf(const QString &text)
{
    qsizetype i = 0;
    const auto blank = [&] { return i < text.size() && (text[i] == u' ' || text[i] == u'\t'); };
    while (blank())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    const qsizetype first = i;
    long long n = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
        n = n * 10 + (text[i++].unicode() - u'0');
    if (i == first)
        return std::nullopt;
    while (blank())
        ++i;
    if (i != text.size())
        return std::nullopt;
    return negative ? -n : n;
}

class Model
{
public:
    std::array<std::optional<Window>, 2> windows;
    int shown = 0;
    // Left on a selection: Qt either drops it at its start or steps left
    // from the caret, depending on the platform's key scheme.
    bool leftCollapsesSelection = true;

    Model() { windows[0].emplace(); }
    Window &current() { return *windows[shown]; }

    // Typing and pasting insert at the caret, in place of the selection, and
    // only as much as leaves three characters in the box; when nothing fits,
    // the box stays as it was, selection and all. (What is inserted here is
    // one UTF-16 unit a character, with no line break.)
    void insert(const QString &s)
    {
        Box &b = current().box;
        const QString before = b.text;
        const qsizetype kept = b.text.size() - (b.selEnd - b.selStart);
        const QString fits = s.left(std::max<qsizetype>(0, 3 - kept));
        if (fits.isEmpty())
            return;
        removeSelection(b);
        b.text.insert(b.caret, fits);
        b.caret += fits.size();
        userEdited(before);
    }

    void backspace()
    {
        Box &b = current().box;
        const QString before = b.text;
        if (b.hasSelection())
            removeSelection(b);
        else if (b.caret > 0)
            b.text.remove(--b.caret, 1);
        userEdited(before);
    }

    void home() { moveCaret(0); }
    void end() { moveCaret(current().box.text.size()); }
    void left()
    {
        const Box &b = current().box;
        moveCaret(b.hasSelection() && leftCollapsesSelection ? b.selStart : std::max<qsizetype>(0, b.caret - 1));
    }
    void selectAll()
    {
        Box &b = current().box;
        b.selStart = 0;
        b.selEnd = b.caret = b.text.size();
    }

    // The user's focus goes elsewhere: the box drops its selection.
    void leaveBox() { current().box.deselect(); }

    void click(int k, bool upper)
    {
        Window &w = current();
        if (k == dmx::kTerminatorSwitch) {
            w.terminator = upper;
            return;
        }
        w.weightValue[k - 1] = upper ? weightOf(shown, k) : 0;
        int sum = 0;
        for (const auto &v : w.weightValue)
            sum += v.value_or(0);
        write(QString::number(sum));
    }

    void comboKey(Qt::Key key)
    {
        int &index = current().comboIndex;
        const int next = key == Qt::Key_Home ? 0
                       : key == Qt::Key_End  ? 29
                       : key == Qt::Key_Down ? index + 1
                                             : index - 1;
        if (next >= 0 && next < 30)
            index = next;
    }

    void step(bool forward)
    {
        const Window &w = current();
        const auto number = numberOf(w.box.text);
        const std::optional<int> count = w.comboIndex >= 0 ? std::optional(w.comboIndex + 1) : std::nullopt;
        if (forward && !count)
            write(w.box.text); // text plus nothing is the text itself
        else if (number)
            write(QString::number(*number + (forward ? 1 : -1) * count.value_or(0)));
    }

    void reset()
    {
        Window &w = current();
        for (auto &v : w.weightValue)
            v = 0;
        w.terminator = false;
        write(QString());
    }

    void switchWindow()
    {
        reset();
        shown = 1 - shown;
        if (!windows[shown])
            windows[shown].emplace();
    }

private:
    static void removeSelection(Box &b)
    {
        if (!b.hasSelection())
            return;
        b.text.remove(b.selStart, b.selEnd - b.selStart);
        if (b.caret > b.selStart)
            b.caret -= std::min(b.caret, b.selEnd) - b.selStart;
        b.deselect();
    }

    void moveCaret(qsizetype to)
    {
        Box &b = current().box;
        b.caret = to;
        b.deselect();
    }

    void userEdited(const QString &before)
    {
        if (current().box.text != before)
            redraw();
    }

    // The program's write: the caret goes to the end, and a new text redraws.
    void write(const QString &text)
    {
        Box &b = current().box;
        if (b.text != text) {
            b.text = text;
            redraw();
        }
        b.caret = text.size();
        b.deselect();
    }

    // Switch k follows the pattern character of its own weight: "1" on,
    // "0" off, anything else or nothing leaves it alone.
    void redraw()
    {
        Window &w = current();
        const QString pattern = patternOf(w.box.text);
        for (int k = 1; k <= dmx::kAddressSwitches; ++k) {
            const int position = shown == 0 ? k : dmx::kAddressSwitches + 1 - k;
            const QChar c = position <= pattern.size() ? pattern[position - 1] : QChar();
            if (c == u'1')
                w.weightValue[k - 1] = weightOf(shown, k);
            else if (c == u'0')
                w.weightValue[k - 1] = 0;
        }
    }
};

enum class Kind { Type, Backspace, Home, End, Left, SelectAll, Paste, Click, Space, Combo, Next, Previous, Reset, Switch };

// How often a user does what, roughly.
constexpr std::pair<Kind, int> kWeights[] = {
    {Kind::Type, 30}, {Kind::Backspace, 8}, {Kind::Home, 3}, {Kind::End, 2}, {Kind::Left, 4},
    {Kind::SelectAll, 3}, {Kind::Paste, 6}, {Kind::Click, 22}, {Kind::Space, 5}, {Kind::Combo, 6},
    {Kind::Next, 6}, {Kind::Previous, 5}, {Kind::Reset, 2}, {Kind::Switch, 3},
};

// Digits first of all, "0" and "1" most, since they set switches.
constexpr char kTyped[] = "0011123456789 -aZ";
const QString kPasted = QStringLiteral("0011123456789 \t-+aé\uFF11");

class Session
{
public:
    Session(quint32 seed, bool leftCollapsesSelection) : seed_(seed), random_(seed)
    {
        model_.leftCollapsesSelection = leftCollapsesSelection;
    }

    // Plays the events; returns what went wrong, or nothing.
    QString play(int events)
    {
        shell_.start();
        if (QString trouble = waitUntilActive(); !trouble.isEmpty())
            return trouble;
        for (int i = 0; i < events; ++i) {
            playOne(i);
            QCoreApplication::processEvents();
            if (QString trouble = waitUntilActive(); !trouble.isEmpty())
                return trouble;
            if (const QStringList differences = compare(); !differences.isEmpty())
                return report(i, differences);
        }
        return QString();
    }

    WindowShell &shell() { return shell_; }

    // The quit comes from either window: the one shown, or the other after
    // a switch.
    QString chooseWindowToQuitFrom(int events)
    {
        if (pick(2) == 0)
            return QString();
        press(kWindowNames[model_.shown].switchButton);
        switchWindow();
        recent_.push_back(QStringLiteral("#%1 switch before quitting").arg(events));
        QCoreApplication::processEvents();
        const QStringList differences = compare();
        return differences.isEmpty() ? QString() : report(events, differences);
    }
    void quit() { press(kWindowNames[model_.shown].quit); }

private:
    int pick(int n) { return static_cast<int>(random_() % static_cast<quint32>(n)); }

    Kind pickKind()
    {
        int total = 0;
        for (const auto &[kind, weight] : kWeights)
            total += weight;
        int r = pick(total);
        for (const auto &[kind, weight] : kWeights) {
            if (r < weight)
                return kind;
            r -= weight;
        }
        Q_UNREACHABLE();
    }

    QString pasteText()
    {
        if (pick(4) == 0) { // a number, now and then with a leading zero or blank
            const char *prefix[] = {"", "", "0", " "};
            return QString::fromLatin1(prefix[pick(4)]) + QString::number(pick(1100) - 100);
        }
        QString s;
        for (int n = pick(3) == 0 ? 4 + pick(6) : 1 + pick(3); n > 0; --n)
            s += kPasted[pick(static_cast<int>(kPasted.size()))];
        return s;
    }

    void switchWindow()
    {
        bare().reset();
        model_.switchWindow();
        auto &other = bare_[static_cast<std::size_t>(model_.shown)];
        if (!other)
            other.emplace(model_.shown == 0 ? dmx::kColourDriverBank : dmx::kOtherFixtureBank);
    }

    WindowProbe probe() const { return WindowProbe(*shell_.window(which()), model_.shown); }
    WindowShell::Which which() const { return static_cast<WindowShell::Which>(model_.shown); }

    // The user puts the caret back into the box where it was.
    void focusBox()
    {
        QLineEdit *box = probe().address();
        if (!box->hasFocus())
            box->setFocus(Qt::OtherFocusReason);
    }

    void press(const char *button)
    {
        QTest::mouseClick(probe().button(button), Qt::LeftButton);
    }

    dmx::FixtureModel &bare() { return *bare_[static_cast<std::size_t>(model_.shown)]; }

    // The user's edit as the bare model takes it: in place of the selection,
    // or at the caret.
    void editBare(const QString &inserted, bool backspace = false)
    {
        const Box &b = model_.current().box;
        std::size_t at = static_cast<std::size_t>(b.hasSelection() ? b.selStart : b.caret);
        std::size_t replaced = static_cast<std::size_t>(b.selEnd - b.selStart);
        if (backspace && !replaced && at > 0)
            replaced = 1, --at;
        bare().edit(at, replaced, inserted.toStdU16String());
    }

    void playOne(int index)
    {
        const WindowProbe p = probe();
        const WindowNames &names = kWindowNames[model_.shown];
        QString what;
        const Kind kind = pickKind();
        switch (kind) {
        case Kind::Type: {
            const char c = kTyped[pick(static_cast<int>(sizeof kTyped) - 1)];
            focusBox();
            QTest::keyClick(p.address(), c);
            editBare(QString(QChar::fromLatin1(c)));
            model_.insert(QString(QChar::fromLatin1(c)));
            what = QStringLiteral("type '%1'").arg(c);
            break;
        }
        case Kind::Backspace:
            focusBox();
            QTest::keyClick(p.address(), Qt::Key_Backspace);
            editBare(QString(), true);
            model_.backspace();
            what = QStringLiteral("Backspace");
            break;
        case Kind::Home:
            focusBox();
            QTest::keyClick(p.address(), Qt::Key_Home);
            model_.home();
            what = QStringLiteral("Home");
            break;
        case Kind::End:
            focusBox();
            QTest::keyClick(p.address(), Qt::Key_End);
            model_.end();
            what = QStringLiteral("End");
            break;
        case Kind::Left:
            focusBox();
            QTest::keyClick(p.address(), Qt::Key_Left);
            model_.left();
            what = QStringLiteral("Left");
            break;
        case Kind::SelectAll:
            focusBox();
            QTest::keyClick(p.address(), Qt::Key_A, Qt::ControlModifier);
            model_.selectAll();
            what = QStringLiteral("Ctrl+A");
            break;
        case Kind::Paste: {
            const QString text = pasteText();
            focusBox();
            QApplication::clipboard()->setText(text);
            QTest::keySequence(p.address(), QKeySequence::Paste);
            editBare(text);
            model_.insert(text);
            what = QStringLiteral("paste %1").arg(quoted(text));
            break;
        }
        case Kind::Click:
        case Kind::Space: {
            const int k = 1 + pick(dmx::kTerminatorSwitch);
            const bool upper = pick(2) == 0;
            QLineEdit *cell = upper ? p.upper(k) : p.lower(k);
            model_.leaveBox();
            if (kind == Kind::Space) {
                cell->setFocus(Qt::TabFocusReason); // reached with Tab
                QTest::keyClick(cell, Qt::Key_Space);
                what = QStringLiteral("Space on ");
            } else {
                QTest::mouseClick(cell, Qt::LeftButton);
                what = QStringLiteral("click ");
            }
            model_.click(k, upper);
            bare().click(k, upper);
            what += cell->objectName();
            break;
        }
        case Kind::Combo: {
            static const std::pair<Qt::Key, const char *> keys[] = {
                {Qt::Key_Home, "Home"}, {Qt::Key_Down, "Down"}, {Qt::Key_Down, "Down"},
                {Qt::Key_Up, "Up"}, {Qt::Key_End, "End"}};
            const auto &[key, name] = keys[pick(static_cast<int>(std::size(keys)))];
            model_.leaveBox();
            p.combo()->setFocus(Qt::TabFocusReason); // reached with Tab
            QTest::keyClick(p.combo(), key);
            model_.comboKey(key);
            if (model_.current().comboIndex >= 0)
                bare().chooseCount(model_.current().comboIndex + 1);
            what = QStringLiteral("%1 on %2").arg(QString::fromLatin1(name), p.combo()->objectName());
            break;
        }
        case Kind::Next:
        case Kind::Previous: {
            const bool forward = kind == Kind::Next;
            model_.leaveBox();
            press(forward ? names.next : names.previous);
            model_.step(forward);
            bare().step(forward);
            what = QStringLiteral("click ") + QString::fromUtf8(forward ? names.next : names.previous);
            break;
        }
        case Kind::Reset:
            model_.leaveBox();
            press(names.reset);
            model_.reset();
            bare().reset();
            what = QStringLiteral("click ") + QString::fromUtf8(names.reset);
            break;
        case Kind::Switch:
            model_.leaveBox();
            press(names.switchButton);
            switchWindow();
            what = QStringLiteral("click ") + QString::fromUtf8(names.switchButton);
            break;
        }
        recent_.push_back(QStringLiteral("#%1 %2: %3").arg(index).arg(QString::fromUtf8(names.window), what));
        if (recent_.size() > kEventsShown)
            recent_.pop_front();
    }

    // A shown window takes the keyboard once Qt has activated it; until then
    // focus changes would not reach the address box.
    QString waitUntilActive()
    {
        FixtureWindow *w = shell_.window(which());
        if (w && !w->isActiveWindow() && !QTest::qWaitForWindowActive(w))
            return QStringLiteral("%1 was shown but never became active").arg(w->objectName());
        return QString();
    }

    QStringList compare() const
    {
        QStringList out;
        auto check = [&out](const QString &what, const QString &model, const QString &shown) {
            if (model != shown)
                out << QStringLiteral("%1: model %2, window %3").arg(what, model, shown);
        };
        for (int which : {0, 1}) {
            const WindowNames &names = kWindowNames[which];
            const QString window = QString::fromUtf8(names.window);
            FixtureWindow *w = shell_.window(static_cast<WindowShell::Which>(which));
            const std::optional<Window> &m = model_.windows[which];
            check(window + QStringLiteral(" exists"), m ? "yes" : "no", w ? "yes" : "no");
            if (!m || !w)
                continue;
            check(window + QStringLiteral(" visible"), which == model_.shown ? "yes" : "no",
                  w->isVisible() ? "yes" : "no");
            const WindowProbe p(*w, which);
            QLineEdit *box = p.address();
            check(box->objectName(), quoted(m->box.text), quoted(box->text()));
            check(box->objectName() + QStringLiteral(" caret"), QString::number(m->box.caret),
                  QString::number(box->cursorPosition()));
            const auto selection = [](qsizetype start, qsizetype length) {
                return length ? QStringLiteral("%1+%2").arg(start).arg(length) : QStringLiteral("none");
            };
            check(box->objectName() + QStringLiteral(" selection"),
                  selection(m->box.selStart, m->box.selEnd - m->box.selStart),
                  selection(box->selectionStart(), box->selectionLength()));
            check(p.combo()->objectName(), QString::number(m->comboIndex), QString::number(p.combo()->currentIndex()));
            check(p.combo()->objectName() + QStringLiteral(" entries"), QStringLiteral("30"),
                  QString::number(p.combo()->count()));
            for (int k = 1; k <= dmx::kTerminatorSwitch; ++k) {
                const bool on = k == dmx::kTerminatorSwitch ? m->terminator : m->weightValue[k - 1] == weightOf(which, k);
                check(p.upper(k)->objectName(), quoted(on ? "ON" : ""), quoted(p.upper(k)->text()));
                check(p.lower(k)->objectName(), quoted(on ? "" : "OFF"), quoted(p.lower(k)->text()));
            }
            check(window + QStringLiteral(" Text120R"), quoted(m->terminator ? "120R" : ""),
                  quoted(p.indicator()->text()));
            // The bare model shows what its window shows.
            const dmx::FixtureModel &b = *bare_[static_cast<std::size_t>(which)];
            check(window + QStringLiteral(" bare model's text"), quoted(QString::fromStdU16String(b.text())),
                  quoted(box->text()));
            for (int k = 1; k <= dmx::kTerminatorSwitch; ++k)
                check(QStringLiteral("%1 bare model's switch %2").arg(window).arg(k), b.isOn(k) ? "ON" : "OFF",
                      p.upper(k)->text() == u"ON" ? "ON" : "OFF");
            check(window + QStringLiteral(" bare model's count"), QString::number(b.count().value_or(0)),
                  QString::number(p.combo()->currentIndex() + 1));
            check(window + QStringLiteral(" bare model's cue"), b.switchesShowText() ? "no cue" : "cue",
                  box->accessibleDescription().isEmpty() ? "no cue" : "cue");
        }
        return out;
    }

    QString report(int index, const QStringList &differences) const
    {
        QString s = QStringLiteral("seed %1 diverged at event #%2 (replay: DMX_SEED=%1 DMX_EVENTS=%3)\nlast events:\n")
                        .arg(seed_).arg(index).arg(index + 1);
        for (const QString &e : recent_)
            s += QStringLiteral("  ") + e + u'\n';
        s += QStringLiteral("differences:\n");
        for (const QString &d : differences)
            s += QStringLiteral("  ") + d + u'\n';
        return s;
    }

    quint32 seed_;
    std::mt19937 random_;
    WindowShell shell_;
    Model model_;
    std::deque<QString> recent_;
    std::array<std::optional<dmx::FixtureModel>, 2> bare_{dmx::FixtureModel(dmx::kColourDriverBank)};
};

} // namespace

class RandomSessionTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void session_data();
    void session();

private:
    bool leftCollapsesSelection_ = true;
};

// What Left does to a selection is the platform's choice; ask Qt once.
void RandomSessionTest::initTestCase()
{
    QLineEdit probe(QStringLiteral("ab"));
    probe.selectAll();
    QTest::keyClick(&probe, Qt::Key_Left);
    leftCollapsesSelection_ = probe.cursorPosition() == 0;
}

void RandomSessionTest::session_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("events");
    bool ok = false;
    const int first = qEnvironmentVariableIntValue("DMX_SEED", &ok);
    quint32 seed = ok ? static_cast<quint32>(first) : 1;
    const int given = qEnvironmentVariableIntValue("DMX_EVENTS", &ok);
    for (int left = ok ? given : kDefaultEvents; left > 0; left -= kSessionEvents, ++seed) {
        const int events = std::min(left, kSessionEvents);
        QTest::addRow("seed %u, %d events", seed, events) << seed << events;
    }
}

void RandomSessionTest::session()
{
    QFETCH(quint32, seed);
    QFETCH(int, events);
    Session s(seed, leftCollapsesSelection_);
    QSignalSpy finished(&s.shell(), &WindowShell::finished);
    const QString trouble = s.play(events);
    if (!trouble.isEmpty())
        QFAIL(qPrintable(trouble));

    if (const QString beforeQuit = s.chooseWindowToQuitFrom(events); !beforeQuit.isEmpty())
        QFAIL(qPrintable(beforeQuit));
    QPointer<FixtureWindow> colour = s.shell().window(WindowShell::ColourDriver);
    QPointer<FixtureWindow> other = s.shell().window(WindowShell::OtherFixture);
    s.quit();
    QCOMPARE(finished.count(), 1);
    QVERIFY(!s.shell().window(WindowShell::ColourDriver));
    QVERIFY(!s.shell().window(WindowShell::OtherFixture));
    QTRY_VERIFY(!colour && !other);
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    RandomSessionTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "random_session_test.moc"
