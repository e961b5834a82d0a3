#include "fixturewindow.h"

#include "access.h"
#include "address.h"
#include "look.h"
#include "rigwindow.h"
#include "sheetdialog.h"
#include "switchcell.h"
#include "textbox.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

using namespace layout;

namespace {

QString fromText(dmx::TextView t)
{
    return QString::fromUtf16(t.data(), static_cast<qsizetype>(t.size()));
}

QString bankName(const WindowProfile &profile, Role role, int k)
{
    switch (role) {
    case Role::Number:
        return k == 1 ? QString::fromUtf8(profile.firstNumberLabel) : QStringLiteral("Label%1").arg(k);
    case Role::Upper:
        return QStringLiteral("Text%1").arg(profile.cellBase + k);
    case Role::Lower:
        return QStringLiteral("Text%1").arg(profile.cellBase + kColumns + k);
    default:
        return QStringLiteral("Label%1").arg(kColumns + k);
    }
}

QString bankText(const WindowProfile &profile, Role role, int k)
{
    if (role == Role::Number)
        return QString::number(k);
    return k == dmx::kTerminatorSwitch ? fromText(dmx::kTerminated)
                                       : QString::number(profile.bank.weight(k));
}

} // namespace

FixtureWindow::FixtureWindow(const WindowProfile &profile, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , profile_(profile)
    , bank_(profile.bank)
{
    access::install();
    setObjectName(QString::fromUtf8(profile.name));
    setWindowTitle(QString::fromUtf8(profile.caption));
    setFixedSize(toPixels(kClientWidth), toPixels(kClientHeight));
    setFont(look::font({}));

    for (const Control &c : controls()) {
        if (!isBankRole(c.role)) {
            controls_.push_back({{c.role}, build(c, 0)});
            continue;
        }
        for (int k = 1; k <= kColumns; ++k)
            controls_.push_back({{c.role, k}, build(c, k)});
    }
    address_ = static_cast<AddressBox *>(control({Role::AddressBox}));
    indicator_ = static_cast<TextBox *>(control({Role::Indicator}));
    count_ = static_cast<QComboBox *>(control({Role::Combo}));
    for (int k = 1; k <= kColumns; ++k) {
        upper_[k - 1] = static_cast<SwitchCell *>(control({Role::Upper, k}));
        lower_[k - 1] = static_cast<SwitchCell *>(control({Role::Lower, k}));
    }

    QWidget *previous = nullptr;
    for (const Slot &slot : profile.tabOrder) {
        QWidget *w = control(slot);
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    control(profile.tabOrder.front())->setFocus();

    connectHandlers();
    load();
}

QWidget *FixtureWindow::control(Slot slot) const
{
    for (const auto &[s, w] : controls_)
        if (s == slot)
            return w;
    return nullptr;
}

QWidget *FixtureWindow::build(const Control &c, int k)
{
    const Own *own = profile_.find(c.role);
    const char *tip = c.toolTip ? c.toolTip : own && own->toolTip ? own->toolTip : "";
    QString text = QString::fromUtf8(c.text ? c.text : own && own->text ? own->text : "");
    QString name = QString::fromUtf8(c.name ? c.name : own ? own->name : "");
    Font font = c.font;
    int left = c.left;
    if (isBankRole(c.role)) {
        left = c.left + (k - 1) * kColumnStep;
        name = bankName(profile_, c.role, k);
        if (c.role == Role::Number || c.role == Role::Weight)
            text = bankText(profile_, c.role, k);
        if (k == dmx::kTerminatorSwitch) {
            if (c.role == Role::Upper)
                tip = "Bouchon DMX ON";
            else if (c.role == Role::Lower)
                tip = "Bouchon DMX OFF";
            else if (c.role == Role::Weight)
                font = Font{}; // "120R" in the window's font, smaller than the weights
        }
    }

    QWidget *w = nullptr;
    switch (c.kind) {
    case Kind::Label:
    case Kind::Picture: {
        auto *label = new QLabel(text, this);
        look::styleLabel(label, c.look);
        if (c.kind == Kind::Picture)
            label->setPixmap(look::wordMark());
        w = label;
        break;
    }
    case Kind::TextBox:
    case Kind::AddressBox: {
        TextBox *box = c.kind == Kind::AddressBox ? new AddressBox(this)
                       : c.role == Role::Upper || c.role == Role::Lower ? new SwitchCell(this)
                                                                        : new TextBox(this);
        look::styleTextBox(box, c.look);
        box->setText(text);
        w = box;
        break;
    }
    case Kind::Button:
        w = new QPushButton(text, this);
        break;
    case Kind::List:
        w = new QComboBox(this);
        // A wheel turned in passing takes neither the focus nor the count.
        w->setFocusPolicy(Qt::StrongFocus);
        break;
    }
    if (c.kind != Kind::Label && c.kind != Kind::Picture)
        w->installEventFilter(this);
    w->setObjectName(name);
    w->setGeometry(toPixels(left), toPixels(c.top), toPixels(c.width), toPixels(c.height));
    if (!(font == Font{})) // the others take the window's font from their parent
        w->setFont(look::font(font));
    w->setToolTip(QString::fromUtf8(tip));
    if (c.accessibleName)
        w->setAccessibleName(QString::fromUtf8(c.accessibleName));
    if (c.role == Role::Upper || c.role == Role::Lower) {
        const QString word = fromText(c.role == Role::Upper ? dmx::kOn : dmx::kOff);
        w->setAccessibleName(k == dmx::kTerminatorSwitch
                                 ? QStringLiteral("Bouchon DMX, %1").arg(word)
                                 : QStringLiteral("Interrupteur %1, %2").arg(k).arg(word));
        w->setAccessibleDescription(k == dmx::kTerminatorSwitch
                                        ? QStringLiteral("Bouchon DMX, hors adresse")
                                        : QStringLiteral("Poids %1").arg(profile_.bank.weight(k)));
    }
    return w;
}

void FixtureWindow::connectHandlers()
{
    connect(address_, &QLineEdit::textChanged, this, &FixtureWindow::addressChanged);
    for (int k = 1; k <= kColumns; ++k) {
        connect(upper_[k - 1], &TextBox::clicked, this, [this, k] { cellClicked(k, true); });
        connect(lower_[k - 1], &TextBox::clicked, this, [this, k] { cellClicked(k, false); });
    }
    connect(count_, &QComboBox::activated, this, &FixtureWindow::countChosen);
    auto button = [this](Role role) { return static_cast<QPushButton *>(control({role})); };
    connect(button(Role::Next), &QPushButton::clicked, this, [this] { step(true); });
    connect(button(Role::Previous), &QPushButton::clicked, this, [this] { step(false); });
    connect(button(Role::Reset), &QPushButton::clicked, this, &FixtureWindow::reset);
    // The window is left reset, so it is found that way when the user comes back.
    connect(button(Role::Switch), &QPushButton::clicked, this, [this] {
        reset();
        emit switchRequested();
    });
    connect(button(Role::Quit), &QPushButton::clicked, this, &FixtureWindow::quitRequested);

    // Ctrl+O and the address box's menu open the patch window.
    auto *patch = new QAction(QStringLiteral("Patch…"), this);
    patch->setShortcut(QKeySequence::Open);
    addAction(patch);
    connect(patch, &QAction::triggered, this, [] { RigWindow::showWindow(); });
    address_->addAction(patch);

    // Ctrl+P anywhere in the window, and the last entry of the address box's menu.
    auto *sheet = new QAction(QStringLiteral("Feuille d'adressage…"), this);
    sheet->setShortcut(QKeySequence::Print);
    addAction(sheet);
    connect(sheet, &QAction::triggered, this, &FixtureWindow::openSheet);
    address_->addAction(sheet);
}

// The channel-count list offers 1 to 30 channels; no count is chosen until
// the user picks one, so stepping does nothing before that.
void FixtureWindow::load()
{
    for (int n = 1; n <= 30; ++n)
        count_->addItem(QString::number(n));
    count_->setCurrentIndex(-1); // adding the first entry chose it
}

void FixtureWindow::draw(int k, bool on)
{
    upper_[k - 1]->setText(fromText(dmx::upperCellText(on)));
    lower_[k - 1]->setText(fromText(dmx::lowerCellText(on)));
}

// Every change of the address box, typed or written, redraws the switches its
// text can set; a text that is not an address leaves the others as they were,
// their words greyed: they do not show it.
void FixtureWindow::addressChanged(const QString &text)
{
    dmx::DmxPattern = dmx::Value::text(text.toStdU16String());
    dmx::AddressToPattern();
    const auto settings = bank_.follow(dmx::DmxPattern.toText());
    // The box has judged its text already: its own handler was connected first.
    const QColor stale = address_->showable() ? QColor() : QColor(look::kStaleSwitch);
    for (int k = 1; k <= dmx::kAddressSwitches; ++k) {
        if (settings[k - 1])
            draw(k, *settings[k - 1]);
        upper_[k - 1]->setCue(stale);
        lower_[k - 1]->setCue(stale);
    }
}

// A cell sets its switch on (upper) or off (lower). An address switch then
// writes the sum into the address box, whose change handling redraws the bank
// inside the write; the terminator only shows or clears "120R".
void FixtureWindow::cellClicked(int k, bool upper)
{
    draw(k, upper);
    if (k == dmx::kTerminatorSwitch) {
        indicator_->setText(upper ? fromText(dmx::kTerminated) : QString());
        return;
    }
    bank_.set(k, upper);
    total = bank_.sum();
    address_->setText(fromText(total.toText()));
}

// Only the user's choice sets the channel count, never the program's.
void FixtureWindow::countChosen(int index)
{
    ChannelCount = dmx::Value::integer(static_cast<std::int16_t>(index + 1));
}

// Steps to the next or previous fixture by the channel count. A text that is
// not a number cannot be stepped: the box keeps it.
void FixtureWindow::step(bool forward)
{
    const dmx::Value address = dmx::Value::text(address_->text().toStdU16String());
    const auto result = forward ? address + ChannelCount : address - ChannelCount;
    if (result)
        address_->setText(fromText(result->toText()));
}

// Every switch off, the address box and the terminator indicator emptied.
void FixtureWindow::reset()
{
    for (int k = 1; k <= dmx::kAddressSwitches; ++k) {
        draw(k, false);
        bank_.set(k, false);
    }
    draw(dmx::kTerminatorSwitch, false);
    address_->setText(QString());
    indicator_->setText(QString());
}

// The dialog starts from what the window shows and leaves the window as it was.
void FixtureWindow::openSheet()
{
    std::optional<int> first, channels;
    if (dmx::patternOf(address_->text().toStdU16String()))
        first = address_->text().toInt();
    if (ChannelCount.isInteger())
        channels = static_cast<int>(*ChannelCount.toNumber());
    auto *dialog = new SheetDialog(first, channels, profile_.bank, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

// Only asked about the window's own controls.
Slot FixtureWindow::slotOf(const QObject *control) const
{
    for (const auto &[s, w] : controls_)
        if (w == control)
            return s;
    return {Role::Notice};
}

// Keys the controls leave alone: the arrows move between the cells, the
// stepping keys step from the address box as the buttons do, and Enter
// presses a button as Space does. The wheel turns the list only once the
// user has put the focus there.
bool FixtureWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel)
        return watched == count_ && !count_->hasFocus();
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *press = static_cast<QKeyEvent *>(event);
    if (press->modifiers() & ~Qt::KeypadModifier)
        return false;
    const Slot slot = slotOf(watched);
    const int key = press->key();
    switch (slot.role) {
    case Role::AddressBox:
        if (key != Qt::Key_Up && key != Qt::Key_PageUp && key != Qt::Key_Down && key != Qt::Key_PageDown)
            return false;
        step(key == Qt::Key_Up || key == Qt::Key_PageUp);
        return true;
    case Role::Upper:
    case Role::Lower:
        return moveFocus(slot, key);
    case Role::Next:
    case Role::Previous:
    case Role::Quit:
    case Role::Reset:
    case Role::Switch:
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        static_cast<QPushButton *>(watched)->click();
        return true;
    default:
        return false;
    }
}

// Left and Right go to the same row of the neighbouring switch, stopping at
// either end of the bank; Up and Down to the other cell of the same switch.
bool FixtureWindow::moveFocus(Slot from, int key)
{
    Slot to = from;
    switch (key) {
    case Qt::Key_Left:
        --to.column;
        break;
    case Qt::Key_Right:
        ++to.column;
        break;
    case Qt::Key_Up:
        to.role = Role::Upper;
        break;
    case Qt::Key_Down:
        to.role = Role::Lower;
        break;
    default:
        return false;
    }
    if (to.column >= 1 && to.column <= kColumns)
        control(to)->setFocus(Qt::OtherFocusReason);
    return true;
}

void FixtureWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit closed();
}
