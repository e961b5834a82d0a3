#include "sheetdialog.h"

#include "sheetpage.h"

#include "exportpanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>

#include <iterator>

namespace {

// The line of a dozen fixtures that the sheet is mostly made for.
constexpr int kStartingFixtures = 12;

// The title as the user last left it, so that the next sheet of the same
// line starts from it, from either window.
QString keptTitle;

QSpinBox *spinBox(const char *name, int low, int high, int value, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(low, high);
    box->setValue(value);
    return box;
}

} // namespace

SheetDialog::SheetDialog(std::optional<int> first, std::optional<int> channels,
                         const dmx::BankProfile &bank, QWidget *parent)
    : QDialog(parent)
    , title_(new QLineEdit(this))
    , first_(spinBox("premiere", 0, dmx::kLargestAddress, first.value_or(1), this))
    , channels_(spinBox("canaux", 1, dmx::kMostChannels, channels.value_or(1), this))
    , fixtures_(spinBox("nombre", 1, dmx::kMostFixtures, kStartingFixtures, this))
    , order_(new QComboBox(this))
    , terminator_(new QCheckBox(QStringLiteral("Bouchon (120R) sur le dernier appareil"), this))
    , summary_(new QLabel(this))
{
    setObjectName(QStringLiteral("FeuilleAdressage"));
    setWindowTitle(QStringLiteral("Feuille d'adressage"));
    title_->setObjectName(QStringLiteral("titre"));
    title_->setPlaceholderText(QStringLiteral("Par exemple : Perche 2, PAR LED"));
    title_->setText(keptTitle);
    connect(title_, &QLineEdit::textChanged, this, [](const QString &text) { keptTitle = text; });
    order_->setObjectName(QStringLiteral("ordre"));
    order_->addItem(QStringLiteral("Interrupteur 1 = 256 (pilote de LED Corvane)"));
    order_->addItem(QStringLiteral("Interrupteur 1 = 1 (autre appareil)"));
    const auto *order = std::find(std::begin(dmx::kWeightOrders), std::end(dmx::kWeightOrders), bank);
    order_->setCurrentIndex(order == std::end(dmx::kWeightOrders)
                                ? 0
                                : static_cast<int>(std::distance(std::begin(dmx::kWeightOrders), order)));
    terminator_->setObjectName(QStringLiteral("bouchon"));
    terminator_->setChecked(true);
    summary_->setObjectName(QStringLiteral("resume"));
    summary_->setWordWrap(true);

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Titre de la ligne :"), title_);
    form->addRow(QStringLiteral("&Première adresse :"), first_);
    form->addRow(QStringLiteral("Nombre de &canaux :"), channels_);
    form->addRow(QStringLiteral("Nombre d'&appareils :"), fixtures_);
    form->addRow(QStringLiteral("&Ordre des poids :"), order_);
    form->addRow(terminator_);
    form->addRow(summary_);

    auto *panel = new ExportPanel({[this] { return plan(); }, [this] { return title(); }}, this);
    connect(panel, &ExportPanel::said, summary_, &QLabel::setText);
    connect(panel, &ExportPanel::closeRequested, this, &QDialog::reject);
    form->addRow(panel);

    for (QSpinBox *box : {first_, channels_, fixtures_})
        connect(box, &QSpinBox::valueChanged, this, &SheetDialog::showSummary);
    connect(order_, &QComboBox::currentIndexChanged, this, &SheetDialog::showSummary);
    connect(terminator_, &QCheckBox::toggled, this, &SheetDialog::showSummary);
    showSummary();
}

dmx::Run SheetDialog::run() const
{
    return {first_->value(), channels_->value(), fixtures_->value(), dmx::kWeightOrders[order_->currentIndex()],
            terminator_->isChecked()};
}

QString SheetDialog::title() const
{
    return title_->text().trimmed();
}

std::optional<dmx::Plan> SheetDialog::plan()
{
    auto made = dmx::makePlan(run());
    if (auto *error = std::get_if<dmx::PlanError>(&made)) {
        QMessageBox::warning(this, windowTitle(), sheet::fromUtf8(error->message));
        return std::nullopt;
    }
    return std::get<dmx::Plan>(std::move(made));
}

// What the sheet will hold, and what is wrong with it, before it is printed.
void SheetDialog::showSummary()
{
    const auto made = dmx::makePlan(run());
    if (const auto *error = std::get_if<dmx::PlanError>(&made))
        summary_->setText(sheet::fromUtf8(error->message));
    else
        summary_->setText(sheet::fromUtf8(dmx::runSummary(std::get<dmx::Plan>(made))));
}
