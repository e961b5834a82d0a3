#include "controls.h"

#include "look.h"
#include "spoken.h"
#include "switchcell.h"
#include "textbox.h"

#include <QKeyEvent>
#include <QLabel>
#include <QWheelEvent>

using namespace layout;

void Button::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & ~Qt::KeypadModifier)) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

CountList::CountList(QWidget *parent)
    : QComboBox(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void CountList::wheelEvent(QWheelEvent *event)
{
    if (hasFocus())
        QComboBox::wheelEvent(event);
}

QWidget *WindowControls::at(Place place) const
{
    for (const auto &[p, w] : all)
        if (p == place)
            return w;
    return nullptr;
}

namespace {

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

class Builder
{
public:
    Builder(QWidget &window, const WindowProfile &profile) : window_(window), profile_(profile) {}

    WindowControls build()
    {
        for (const Control &c : controls()) {
            if (!isBankRole(c.role)) {
                out_.all.push_back({{c.role}, make(c, 0)});
                continue;
            }
            for (int k = 1; k <= kColumns; ++k)
                out_.all.push_back({{c.role, k}, make(c, k)});
        }
        for (auto *row : {&out_.upper, &out_.lower})
            for (std::size_t i = 0; i < kColumns; ++i)
                (*row)[i]->setNeighbours(i > 0 ? (*row)[i - 1] : nullptr, i + 1 < kColumns ? (*row)[i + 1] : nullptr,
                                         out_.upper[i], out_.lower[i]);
        return std::move(out_);
    }

private:
    QWidget *make(const Control &c, int k)
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
            auto *label = new QLabel(text, &window_);
            look::styleLabel(label, c.look);
            if (c.kind == Kind::Picture)
                label->setPixmap(look::wordMark());
            w = label;
            break;
        }
        case Kind::TextBox:
        case Kind::AddressBox: {
            TextBox *box = textBox(c.role, k);
            look::styleTextBox(box, c.look);
            box->setText(text);
            w = box;
            break;
        }
        case Kind::Button:
            w = button(c.role) = new Button(text, &window_);
            break;
        case Kind::List:
            w = out_.count = new CountList(&window_);
            break;
        }
        w->setObjectName(name);
        w->setGeometry(toPixels(left), toPixels(c.top), toPixels(c.width), toPixels(c.height));
        if (!(font == Font{})) // the others take the window's font from their parent
            w->setFont(look::font(font));
        w->setToolTip(QString::fromUtf8(tip));
        if (c.accessibleName)
            w->setAccessibleName(QString::fromUtf8(c.accessibleName));
        if (c.role == Role::Upper || c.role == Role::Lower) {
            w->setAccessibleName(fromText(dmx::spokenCellName(k, c.role == Role::Upper)));
            w->setAccessibleDescription(fromText(dmx::spokenCellDescription(profile_.bank, k)));
        }
        return w;
    }

    TextBox *textBox(Role role, int k)
    {
        const auto i = static_cast<std::size_t>(k - 1);
        switch (role) {
        case Role::AddressBox:
            return out_.address = new AddressBox(&window_);
        case Role::Upper:
            return out_.upper[i] = new SwitchCell(&window_);
        case Role::Lower:
            return out_.lower[i] = new SwitchCell(&window_);
        default:
            return out_.indicator = new TextBox(&window_);
        }
    }

    Button *&button(Role role)
    {
        switch (role) {
        case Role::Next:
            return out_.next;
        case Role::Previous:
            return out_.previous;
        case Role::Quit:
            return out_.quit;
        case Role::Reset:
            return out_.reset;
        default:
            return out_.otherWindow;
        }
    }

    QWidget &window_;
    const WindowProfile &profile_;
    WindowControls out_;
};

} // namespace

WindowControls buildControls(QWidget &window, const WindowProfile &profile)
{
    return Builder(window, profile).build();
}
