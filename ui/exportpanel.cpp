#include "exportpanel.h"

#include "sheetpage.h"
#include "table.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>

using sheet::fromUtf8;

namespace {

QString fixtures(std::size_t n)
{
    return fromUtf8(dmx::counted(static_cast<long long>(n), "appareil", "appareils"));
}

} // namespace

ExportPanel::ExportPanel(Source source, QWidget *parent, int perRow)
    : QWidget(parent)
    , source_(std::move(source))
{
    // Plain buttons on two rows, not a button box: narrow enough for a
    // 1280-pixel screen at 200 %, and Tab goes through them in reading
    // order, "Fermer" last.
    auto *buttons = new QGridLayout(this);
    buttons->setContentsMargins({});
    const auto add = [this, buttons, perRow](const QString &text, auto handler) {
        auto *b = new QPushButton(text, this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        const int n = buttons->count();
        buttons->addWidget(b, n / perRow, n % perRow);
    };
    add(QStringLiteral("&Imprimer…"), [this] { print(); });
    add(QStringLiteral("Enregistrer en P&DF…"), [this] { saveAs(dmx::Format::Pdf); });
    add(QStringLiteral("Enregistrer en C&SV…"), [this] { saveAs(dmx::Format::Csv); });
    add(QStringLiteral("Co&pier le tableau"), [this] { copy(); });
    if (perRow == 3)
        buttons->addItem(new QSpacerItem(0, 0), 1, 1);
    add(QStringLiteral("&Fermer"), [this] { emit closeRequested(); });
}

void ExportPanel::print()
{
    const auto plan = source_.plan();
    if (!plan)
        return;
    const QString title = source_.title();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(fromUtf8(dmx::heading(*plan, title.toStdString())));
    // The preview's print button brings Qt's print dialog.
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [&](QPrinter *p) { sheet::paint(*p, *plan, title); });
    preview.exec();
}

void ExportPanel::saveAs(dmx::Format format)
{
    const auto plan = source_.plan();
    if (!plan)
        return;
    const QString title = source_.title();
    const bool pdf = format == dmx::Format::Pdf;
    const QString what = plan->run ? (pdf ? QStringLiteral("la feuille") : QStringLiteral("le tableau"))
                                   : QStringLiteral("le patch");
    const QString suffix = QString::fromLatin1(dmx::suffixOf(format));
    const QString offered = fromUtf8(dmx::fileName(*plan, title.toStdString(), source_.patchName().toStdString(), format));
    const QString folder = source_.folder();
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Enregistrer %1 en %2").arg(what, suffix.toUpper()),
        folder.isEmpty() ? offered : QDir(folder).filePath(offered),
        pdf ? QStringLiteral("Documents PDF (*.pdf)") : QStringLiteral("Tableaux CSV, séparateur point-virgule (*.csv)"));
    if (path.isEmpty())
        return;
    if (dmx::formatOf(path.toStdString()) != format)
        path += u'.' + suffix;
    const QString error = sheet::save(path, *plan, title);
    if (!error.isEmpty()) {
        emit said(QStringLiteral("Rien n'a été enregistré."));
        QMessageBox::warning(this, window()->windowTitle(), error[0].toUpper() + error.mid(1));
        return;
    }
    emit said(QStringLiteral("Enregistré : « %1 », %2.").arg(QDir::toNativeSeparators(path), fixtures(plan->rowCount())));
}

// Tab-separated, so that it pastes into a spreadsheet's columns.
void ExportPanel::copy()
{
    if (const auto plan = source_.plan()) {
        QGuiApplication::clipboard()->setText(fromUtf8(dmx::separatedTable(*plan, '\t', source_.title().toStdString())));
        emit said(QStringLiteral("Tableau copié : %1, à coller dans un tableur.").arg(fixtures(plan->rowCount())));
    }
}
