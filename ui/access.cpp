#include "access.h"

#include "announcer.h"
#include "fixturewindow.h"
#include "spoken.h"
#include "switchcell.h"
#include "textbox.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPointer>

namespace accessibility {

namespace {

// A cell is a line edit underneath, and Qt tells assistive technology of
// every caret move in one: without a text interface to go with them, each
// move prints a warning. The cell's word is its text, read-only.
class CellInterface : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit CellInterface(SwitchCell *cell)
        : QAccessibleWidget(cell, QAccessible::RadioButton)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // A greyed cell shows an earlier address than the box's text: heard
    // with the focus, it says so, as its colour does.
    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        if (t != QAccessible::Description || !cell()->cued())
            return own;
        return own + QStringLiteral(" ; ") + fromText(dmx::spokenStaleSwitch());
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = cell()->isChecked();
        return s;
    }

    QStringList actionNames() const override
    {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name == pressAction())
            cell()->press();
        else
            QAccessibleWidget::doAction(name);
    }

    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return cell()->cursorPosition(); }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        return cell()->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(cell()->text().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        return {};
    }

private:
    SwitchCell *cell() const { return static_cast<SwitchCell *>(widget()); }
};

QAccessibleInterface *interfaceFor(const QString &className, QObject *object)
{
    if (className == QLatin1String(SwitchCell::staticMetaObject.className()))
        return new CellInterface(static_cast<SwitchCell *>(object));
    const auto plain = [object](QAccessible::Role role) {
        return new QAccessibleWidget(static_cast<QWidget *>(object), role);
    };
    // A plain widget is a "filler" to a screen reader; ours are the windows
    // the user moves between.
    if (className == QLatin1String(FixtureWindow::staticMetaObject.className()))
        return plain(QAccessible::Window);
    if (className == QLatin1String(Announcer::staticMetaObject.className()))
        return plain(QAccessible::StatusBar);
    if (className == QLatin1String(Announcement::staticMetaObject.className()))
        return plain(QAccessible::Notification);
    return nullptr;
}

QLabel *labelOf(QComboBox *list)
{
    for (QLabel *label : list->window()->findChildren<QLabel *>())
        if (label->buddy() == list)
            return label;
    return nullptr;
}

// Qt 6.4 gives a screen reader no way to hear a closed list's new choice
// (it reports a selection the list does not let it read), and reads a list
// that has a label by its label alone. So a list says its choice when it
// changes, and its label carries the choice, to be heard with the focus.
void readChoices(QComboBox *list)
{
    if (list->property("readsChoices").toBool())
        return;
    list->setProperty("readsChoices", true);
    const QPointer<QLabel> label = labelOf(list);
    const QString name = label ? label->text()
                         : !list->accessibleName().isEmpty() ? list->accessibleName()
                                                             : list->toolTip();
    // The sentence, also given to the label.
    const auto sentence = [list, label, name] {
        const QString said = fromText(dmx::spokenChoice(name.toStdU16String(), list->currentText().toStdU16String()));
        if (label)
            label->setAccessibleName(said);
        return said;
    };
    sentence();
    QObject::connect(list, &QComboBox::currentIndexChanged, list,
                     [list, sentence] { Announcer::of(list->window()).say(sentence()); });
}

} // namespace

void install()
{
    QAccessible::installFactory(interfaceFor);
    QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget *, QWidget *now) {
        if (auto *list = qobject_cast<QComboBox *>(now))
            readChoices(list);
    });
}

} // namespace accessibility
