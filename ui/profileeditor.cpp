#include "profileeditor.h"

#include "paper.h"
#include "sheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

namespace {

// On screen the bank is drawn a little under its printed size.
constexpr qreal kPixelsPerUnit = 0.55;

const dmx::TenthSwitch kTenths[] = {dmx::TenthSwitch::None, dmx::TenthSwitch::Terminator,
                                    dmx::TenthSwitch::Weight512, dmx::TenthSwitch::Function};

template <typename T, std::size_t N>
int indexOf(const T (&table)[N], const T &value)
{
    for (std::size_t i = 0; i < N; ++i)
        if (table[i] == value)
            return static_cast<int>(i);
    return 0;
}

QComboBox *choice(const char *name, QStringList items, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    return box;
}

} // namespace

BankView::BankView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("banc"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void BankView::show(const dmx::SwitchProfile &profile, const std::array<bool, dmx::kTerminatorSwitch> &on)
{
    profile_ = profile;
    on_ = on;
    updateGeometry();
    update();
}

QSize BankView::sizeHint() const
{
    const QSizeF size = paper::bankSize(profile_) * kPixelsPerUnit;
    return {static_cast<int>(size.width()) + 8, static_cast<int>(size.height()) + 8};
}

void BankView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    p.translate(4, 4);
    p.scale(kPixelsPerUnit, kPixelsPerUnit);
    paper::drawBank(p, {}, profile_, on_);
}

ProfileEditor::ProfileEditor(QWidget *parent)
    : QGroupBox(QStringLiteral("Profil des interrupteurs"), parent)
    , name_(new QLineEdit(this))
    , function_(new QLineEdit(this))
    , order_(choice("ordre", {QStringLiteral("Interrupteur 1 = 256"), QStringLiteral("Interrupteur 1 = 1")}, this))
    , on_(choice("sens", {QStringLiteral("En haut"), QStringLiteral("En bas")}, this))
    , offset_(choice("decalage",
                     {QStringLiteral("L'adresse elle-même"), QStringLiteral("L'adresse moins un (tout OFF = 1)")},
                     this))
    , tenth_(choice("dixieme",
                    {QStringLiteral("Aucun (9 interrupteurs)"), QStringLiteral("Bouchon 120R"),
                     QStringLiteral("Poids 512"), QStringLiteral("Fonction de l'appareil")},
                    this))
    , functionOn_(new QCheckBox(QStringLiteral("Ré&glée sur ON"), this))
    , note_(new QLabel(this))
    , bank_(new BankView(this))
{
    setObjectName(QStringLiteral("profilInterrupteurs"));
    name_->setObjectName(QStringLiteral("nom"));
    function_->setObjectName(QStringLiteral("fonction"));
    function_->setPlaceholderText(QStringLiteral("Par exemple : mode"));
    functionOn_->setObjectName(QStringLiteral("positionFonction"));
    note_->setObjectName(QStringLiteral("remarqueProfil"));
    note_->setWordWrap(true);

    // The note first, where it is seen: why a built-in profile is greyed, or
    // why an edit was not taken.
    auto *form = new QFormLayout(this);
    form->addRow(note_);
    form->addRow(QStringLiteral("&Nom :"), name_);
    form->addRow(QStringLiteral("O&rdre :"), order_);
    form->addRow(QStringLiteral("Le&vier sur ON :"), on_);
    form->addRow(QStringLiteral("Les interr&upteurs donnent :"), offset_);
    form->addRow(QStringLiteral("Interrupteur &10 :"), tenth_);
    form->addRow(QStringLiteral("Nom de la fon&ction :"), function_);
    form->addRow(QString(), functionOn_);
    form->addRow(bank_);

    connect(name_, &QLineEdit::textEdited, this, &ProfileEditor::fieldChanged);
    connect(function_, &QLineEdit::textEdited, this, &ProfileEditor::fieldChanged);
    for (QComboBox *box : {order_, on_, offset_, tenth_})
        connect(box, &QComboBox::currentIndexChanged, this, &ProfileEditor::fieldChanged);
    connect(functionOn_, &QCheckBox::toggled, this, &ProfileEditor::fieldChanged);
}

void ProfileEditor::setProfile(const dmx::SwitchProfile &profile, bool editable)
{
    filling_ = true;
    name_->setText(QString::fromStdString(profile.name));
    order_->setCurrentIndex(indexOf(dmx::kWeightOrders, profile.order));
    on_->setCurrentIndex(profile.onIsUp ? 0 : 1);
    offset_->setCurrentIndex(profile.offset == 1 ? 1 : 0);
    tenth_->setCurrentIndex(indexOf(kTenths, profile.tenth));
    function_->setText(QString::fromStdString(profile.functionName));
    functionOn_->setChecked(profile.functionOn);
    for (QWidget *w : std::initializer_list<QWidget *>{name_, order_, on_, offset_, tenth_})
        w->setEnabled(editable);
    const bool function = profile.tenth == dmx::TenthSwitch::Function;
    function_->setEnabled(editable && function);
    functionOn_->setEnabled(editable && function);
    filling_ = false;
    say(QString());
    bank_->show(profile, switches_);
}

dmx::SwitchProfile ProfileEditor::profile() const
{
    dmx::SwitchProfile p;
    p.name = name_->text().toStdString();
    p.order = dmx::kWeightOrders[order_->currentIndex()];
    p.onIsUp = on_->currentIndex() == 0;
    p.offset = offset_->currentIndex();
    p.tenth = kTenths[tenth_->currentIndex()];
    if (p.tenth == dmx::TenthSwitch::Function) {
        p.functionName = function_->text().toStdString();
        p.functionOn = functionOn_->isChecked();
    }
    return p;
}

void ProfileEditor::showSwitches(const std::array<bool, dmx::kTerminatorSwitch> &on)
{
    switches_ = on;
    bank_->show(profile(), switches_);
}

void ProfileEditor::say(const QString &why)
{
    note_->setText(why);
    note_->setVisible(!why.isEmpty()); // no empty line above the fields
}

void ProfileEditor::fieldChanged()
{
    if (filling_)
        return;
    const dmx::SwitchProfile p = profile();
    const bool function = p.tenth == dmx::TenthSwitch::Function;
    function_->setEnabled(function);
    functionOn_->setEnabled(function);
    bank_->show(p, switches_);
    emit edited(p);
}
