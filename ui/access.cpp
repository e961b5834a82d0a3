#include "access.h"

#include "fixturewindow.h"
#include "switchcell.h"

#include <QAccessibleWidget>

namespace access {

namespace {

class CellInterface : public QAccessibleWidget
{
public:
    explicit CellInterface(SwitchCell *cell)
        : QAccessibleWidget(cell, QAccessible::RadioButton)
    {
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

private:
    SwitchCell *cell() const { return static_cast<SwitchCell *>(widget()); }
};

QAccessibleInterface *interfaceFor(const QString &className, QObject *object)
{
    if (className == QLatin1String(SwitchCell::staticMetaObject.className()))
        return new CellInterface(static_cast<SwitchCell *>(object));
    // A plain widget is a "filler" to a screen reader; ours are the windows
    // the user moves between.
    if (className == QLatin1String(FixtureWindow::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

void install()
{
    static const bool installed = (QAccessible::installFactory(interfaceFor), true);
    Q_UNUSED(installed);
}

} // namespace access
