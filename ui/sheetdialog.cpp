#include "sheetdialog.h"

#include "sheetpage.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>

namespace {

// The line of a dozen fixtures that the sheet is mostly made for.
constexpr int kStartingFixtures = 12;
const dmx::BankProfile kOrders[] = {dmx::kColourDriverBank, dmx::kOtherFixtureBank};

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
    order_->setObjectName(QStringLiteral("ordre"));
    order_->addItem(QStringLiteral("Interrupteur 1 = 256 (Corvane color driver)"));
    order_->addItem(QStringLiteral("Interrupteur 1 = 1 (autre appareil)"));
    order_->setCurrentIndex(bank.weight(1) == kOrders[0].weight(1) ? 0 : 1);
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

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    const auto add = [buttons](const QString &text, auto handler) {
        auto *b = buttons->addButton(text, QDialogButtonBox::ActionRole);
        b->setAutoDefault(false);
        QObject::connect(b, &QPushButton::clicked, handler);
    };
    add(QStringLiteral("&Imprimer…"), [this] { print(); });
    add(QStringLiteral("Enregistrer en P&DF…"), [this] {
        saveAs(QStringLiteral("Enregistrer la feuille en PDF"), QStringLiteral("Documents PDF (*.pdf)"),
               QStringLiteral("pdf"));
    });
    add(QStringLiteral("Enregistrer en C&SV…"), [this] {
        saveAs(QStringLiteral("Enregistrer le tableau en CSV"),
               QStringLiteral("Tableaux CSV, séparateur point-virgule (*.csv)"), QStringLiteral("csv"));
    });
    add(QStringLiteral("Co&pier le tableau"), [this] { copy(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);

    for (QSpinBox *box : {first_, channels_, fixtures_})
        connect(box, &QSpinBox::valueChanged, this, &SheetDialog::showSummary);
    connect(order_, &QComboBox::currentIndexChanged, this, &SheetDialog::showSummary);
    connect(terminator_, &QCheckBox::toggled, this, &SheetDialog::showSummary);
    showSummary();
}

dmx::Run SheetDialog::run() const
{
    return {first_->value(), channels_->value(), fixtures_->value(), kOrders[order_->currentIndex()],
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
    if (const auto *error = std::get_if<dmx::PlanError>(&made)) {
        summary_->setText(sheet::fromUtf8(error->message));
        return;
    }
    const auto &rows = std::get<dmx::Plan>(made).rows;
    QString text = QStringLiteral("Adresses %1 à %2, dernier canal %3.")
                       .arg(rows.front().start)
                       .arg(rows.back().start)
                       .arg(rows.back().last);
    const auto flagged = std::count_if(rows.begin(), rows.end(),
                                       [](const dmx::SheetRow &r) { return !r.settable || r.pastLine; });
    if (flagged)
        text += flagged == 1 ? QStringLiteral(" 1 appareil hors de la ligne ou des interrupteurs.")
                             : QStringLiteral(" %1 appareils hors de la ligne ou des interrupteurs.").arg(flagged);
    summary_->setText(text);
}

void SheetDialog::print()
{
    const auto made = plan();
    if (!made)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(title().isEmpty() ? windowTitle() : title());
    // The preview's print button brings Qt's print dialog.
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [&](QPrinter *p) { sheet::paint(*p, *made, title()); });
    preview.exec();
}

void SheetDialog::saveAs(const QString &caption, const QString &filter, const QString &suffix)
{
    const auto made = plan();
    if (!made)
        return;
    QString path = QFileDialog::getSaveFileName(this, caption,
                                                QStringLiteral("feuille-adressage.") + suffix, filter);
    if (path.isEmpty())
        return;
    if (!path.endsWith(u'.' + suffix, Qt::CaseInsensitive))
        path += u'.' + suffix;
    const QString error = sheet::save(path, *made, title());
    if (!error.isEmpty())
        QMessageBox::warning(this, windowTitle(), error);
}

// Tab-separated, so that it pastes into a spreadsheet's columns.
void SheetDialog::copy()
{
    if (const auto made = plan()) {
        QGuiApplication::clipboard()->setText(sheet::fromUtf8(dmx::separatedTable(*made, '\t')));
        summary_->setText(QStringLiteral("Tableau copié : %1 appareil%2, à coller dans un tableur.")
                              .arg(made->rows.size())
                              .arg(made->rows.size() == 1 ? "" : "s"));
    }
}
