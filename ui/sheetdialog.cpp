#include "sheetdialog.h"

#include "sheetpage.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
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

// The title as the user last left it, so that the next sheet of the same
// line starts from it, from either window.
QString keptTitle;

// A file name from the title: what a file system refuses becomes a dash.
QString fileNameOf(const QString &title, const QString &suffix)
{
    QString name = sheet::fromUtf8(dmx::titleLine(title.toStdString()));
    for (QChar &c : name)
        if (QStringView(u"/\\:*?\"<>|").contains(c) || c.category() == QChar::Other_Control)
            c = u'-';
    while (name.startsWith(u'.') || name.startsWith(u'-'))
        name.remove(0, 1);
    return (name.isEmpty() ? QStringLiteral("feuille-adressage") : name) + u'.' + suffix;
}

QString fixtures(std::size_t n)
{
    return n == 1 ? QStringLiteral("1 appareil") : QStringLiteral("%1 appareils").arg(n);
}

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

    // Plain buttons on two rows, not a button box: the dialog stays narrow
    // enough for a 1280-pixel screen at 200 %, and Tab goes through the
    // buttons in reading order, "Fermer" last.
    auto *buttons = new QGridLayout;
    const auto add = [this, buttons](const QString &text, auto handler) {
        auto *b = new QPushButton(text, this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        const int n = buttons->count();
        buttons->addWidget(b, n / 3, n % 3);
        return b;
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
    buttons->addItem(new QSpacerItem(0, 0), 1, 1);
    add(QStringLiteral("&Fermer"), [this] { reject(); });
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
    QString text = sheet::fromUtf8(dmx::addressSpan(std::get<dmx::Plan>(made))) + u'.';
    text[0] = text[0].toUpper();
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
    printer.setDocName(sheet::fromUtf8(dmx::heading(title().toStdString())));
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
    QString path = QFileDialog::getSaveFileName(this, caption, fileNameOf(title(), suffix), filter);
    if (path.isEmpty())
        return;
    if (!path.endsWith(u'.' + suffix, Qt::CaseInsensitive))
        path += u'.' + suffix;
    const QString error = sheet::save(path, *made, title());
    if (!error.isEmpty()) {
        summary_->setText(QStringLiteral("Rien n'a été enregistré."));
        QMessageBox::warning(this, windowTitle(), error[0].toUpper() + error.mid(1));
        return;
    }
    summary_->setText(QStringLiteral("Enregistré : « %1 », %2.")
                          .arg(QDir::toNativeSeparators(path), fixtures(made->rows.size())));
}

// Tab-separated, so that it pastes into a spreadsheet's columns.
void SheetDialog::copy()
{
    if (const auto made = plan()) {
        QGuiApplication::clipboard()->setText(sheet::fromUtf8(dmx::separatedTable(*made, '\t', title().toStdString())));
        summary_->setText(QStringLiteral("Tableau copié : %1, à coller dans un tableur.")
                              .arg(fixtures(made->rows.size())));
    }
}
