#include "rigwindow.h"

#include "patch.h"
#include "profileeditor.h"
#include "exportpanel.h"
#include "profilefile.h"
#include "sheetpage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using sheet::fromUtf8;

enum Column { Line, Address, Label, Type, Channels, Profile, Switches, Remarks, Columns };

QString typeAndMode(const dmx::Fixture &f)
{
    return f.mode.empty() ? fromUtf8(f.type) : fromUtf8(f.type) + QStringLiteral(" — ") + fromUtf8(f.mode);
}

} // namespace

RigWindow::RigWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , file_(new QLabel(this))
    , summary_(new QLabel(this))
    , line_(new QComboBox(this))
    , profile_(new QComboBox(this))
    , problemsFirst_(new QCheckBox(QStringLiteral("Problèmes en &premier"), this))
    , table_(new QTableWidget(0, Columns, this))
    , newProfile_(new QPushButton(QStringLiteral("&Nouveau profil"), this))
    , editor_(new ProfileEditor(this))
{
    setObjectName(QStringLiteral("Patch"));
    setWindowTitle(QStringLiteral("Patch"));
    setAcceptDrops(true);
    file_->setObjectName(QStringLiteral("fichier"));
    summary_->setObjectName(QStringLiteral("resume"));
    summary_->setWordWrap(true);
    line_->setObjectName(QStringLiteral("ligne"));
    profile_->setObjectName(QStringLiteral("profil"));
    problemsFirst_->setObjectName(QStringLiteral("problemes"));
    newProfile_->setObjectName(QStringLiteral("nouveauProfil"));
    table_->setObjectName(QStringLiteral("appareils"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Ligne"), QStringLiteral("Adresse"), QStringLiteral("Nom"),
                                       QStringLiteral("Type et mode"), QStringLiteral("Canaux"),
                                       QStringLiteral("Profil"), QStringLiteral("Interrupteurs"),
                                       QStringLiteral("Remarques")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);

    auto *open = new QPushButton(QStringLiteral("&Ouvrir un patch…"), this);
    open->setObjectName(QStringLiteral("ouvrir"));
    auto *top = new QHBoxLayout;
    top->addWidget(open);
    top->addWidget(file_, 1);
    auto *filter = new QHBoxLayout;
    auto *lineLabel = new QLabel(QStringLiteral("&Ligne :"), this);
    lineLabel->setBuddy(line_);
    filter->addWidget(lineLabel);
    filter->addWidget(line_);
    filter->addWidget(problemsFirst_);
    filter->addStretch(1);

    auto *choice = new QHBoxLayout;
    auto *profileLabel = new QLabel(QStringLiteral("Pro&fil de ce type :"), this);
    profileLabel->setBuddy(profile_);
    choice->addWidget(profileLabel);
    choice->addWidget(profile_, 1);
    choice->addWidget(newProfile_);

    auto *panel = new ExportPanel({[this] { return shownPlan(); }, [this] { return title(); }, [this] { return name_; }},
                                  this);
    connect(panel, &ExportPanel::said, summary_, &QLabel::setText);
    connect(panel, &ExportPanel::closeRequested, this, &QWidget::close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(summary_);
    layout->addLayout(filter);
    layout->addWidget(table_, 1);
    layout->addLayout(choice);
    layout->addWidget(editor_);
    layout->addWidget(panel);

    connect(open, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(
            this, QStringLiteral("Ouvrir un patch"), QString(),
            QStringLiteral("Patchs (*.csv *.txt *.tsv *.qxw *.mvr);;Tous les fichiers (*)"));
        if (!path.isEmpty())
            openFile(path);
    });
    connect(line_, &QComboBox::currentIndexChanged, this, &RigWindow::fillTable);
    connect(problemsFirst_, &QCheckBox::toggled, this, &RigWindow::fillTable);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &RigWindow::rowChosen);
    connect(profile_, &QComboBox::activated, this, &RigWindow::profileChosen);
    connect(newProfile_, &QPushButton::clicked, this, &RigWindow::newProfile);
    connect(editor_, &ProfileEditor::edited, this, &RigWindow::profileEdited);

    loadProfiles();
    resize(1100, 800);
    replan();
}

RigWindow *RigWindow::showWindow()
{
    static QPointer<RigWindow> window;
    if (!window) {
        window = new RigWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

bool RigWindow::openFile(const QString &path)
{
    auto read = dmx::readInstalledPatch(path.toStdString());
    if (const auto *error = std::get_if<dmx::ReadError>(&read)) {
        QMessageBox::warning(this, windowTitle(), fromUtf8(error->message));
        return false;
    }
    setRig(std::get<dmx::Rig>(std::move(read)), QFileInfo(path).fileName());
    return true;
}

void RigWindow::setRig(dmx::Rig rig, const QString &name)
{
    rig_ = std::move(rig);
    name_ = name;
    file_->setText(name);
    replan();
}

QString RigWindow::title() const
{
    return fromUtf8(dmx::patchTitle(name_.toStdString()));
}

void RigWindow::dragEnterEvent(QDragEnterEvent *event)
{
    const auto urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile())
        event->acceptProposedAction();
}

void RigWindow::dropEvent(QDropEvent *event)
{
    const auto urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) {
        event->acceptProposedAction();
        openFile(urls.front().toLocalFile());
    }
}

// After any change of the rig or the profiles; the chosen fixture stays chosen.
void RigWindow::replan()
{
    const int was = currentIndex();
    plan_ = dmx::makePlan(rig_, choices_);
    // A profile file that could not be read stays said: it is kept aside, never replaced.
    summary_->setText(profilesProblem_ + (profilesProblem_.isEmpty() ? QString() : QStringLiteral("\n"))
                      + (rig_.fixtures.empty()
                             ? QStringLiteral("Ouvrez un patch (CSV, QLC+ .qxw ou MVR) ou déposez son fichier ici.")
                             : fromUtf8(plan_.summary)));
    fillLines();
    fillTable();
    for (int r = 0; was >= 0 && r < table_->rowCount(); ++r)
        if (table_->item(r, 0)->data(Qt::UserRole).toInt() == was)
            table_->selectRow(r);
    rowChosen();
}

void RigWindow::fillLines()
{
    const int was = line_->currentData().toInt();
    const QSignalBlocker quiet(line_);
    line_->clear();
    line_->addItem(QStringLiteral("Toutes les lignes"), 0);
    for (const dmx::Line &line : plan_.lines)
        line_->addItem(fromUtf8(line.title()), line.universe);
    line_->setCurrentIndex(std::max(0, line_->findData(was)));
}

void RigWindow::fillTable()
{
    const auto all = plan_.rows();
    const auto rows = plan_.rows(line_->currentData().toInt(), problemsFirst_->isChecked());
    const QSignalBlocker quiet(table_);
    table_->clearContents();
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        const dmx::Row &row = *rows[static_cast<std::size_t>(r)];
        const dmx::Fixture &f = row.fixture;
        const QString cells[Columns] = {
            QString::number(lineOf(row).number),
            QString::number(f.address),
            fromUtf8(f.label),
            typeAndMode(f),
            f.channels ? QString::number(*f.channels) : QStringLiteral("?"),
            fromUtf8(plan_.profileOf(row).name),
            fromUtf8(dmx::switchesText(plan_, row)),
            fromUtf8(dmx::remarksText(row)),
        };
        for (int c = 0; c < Columns; ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            if (row.problem())
                item->setForeground(Qt::red);
            table_->setItem(r, c, item);
        }
        // Which row of the plan the line shows, whatever the order: the same
        // after a new plan of the same rig.
        table_->item(r, 0)->setData(Qt::UserRole,
                                    static_cast<int>(std::find(all.begin(), all.end(), &row) - all.begin()));
    }
    table_->resizeColumnsToContents();
}

const dmx::Line &RigWindow::lineOf(const dmx::Row &row) const
{
    for (const dmx::Line &line : plan_.lines)
        if (!line.rows.empty() && &row >= &line.rows.front() && &row <= &line.rows.back())
            return line;
    return plan_.lines.front();
}

int RigWindow::currentIndex() const
{
    const auto chosen = table_->selectionModel() ? table_->selectionModel()->selectedRows() : QModelIndexList();
    return chosen.isEmpty() ? -1 : table_->item(chosen.front().row(), 0)->data(Qt::UserRole).toInt();
}

const dmx::Row *RigWindow::currentRow() const
{
    const int i = currentIndex();
    const auto all = plan_.rows();
    return i >= 0 && i < static_cast<int>(all.size()) ? all[static_cast<std::size_t>(i)] : nullptr;
}

// The profile area follows the chosen fixture: its type's profile, drawn with
// that fixture's switches. The editor is filled only when it shows another
// profile: while the user types, the field keeps every key.
void RigWindow::rowChosen()
{
    const dmx::Row *row = currentRow();
    profile_->clear();
    for (const dmx::SwitchProfile &p : choices_.all())
        profile_->addItem(fromUtf8(p.name));
    profile_->setEnabled(row != nullptr);
    newProfile_->setEnabled(row != nullptr);
    if (!row) {
        editor_->setTitle(QStringLiteral("Profil des interrupteurs"));
        editor_->showSwitches({});
        editor_->setProfile(dmx::otherFixtureProfile(), false);
        editing_.clear();
        return;
    }
    const dmx::Fixture &f = row->fixture;
    editor_->setTitle(QStringLiteral("Profil de « %1 »").arg(typeAndMode(f)));
    profile_->setCurrentIndex(profile_->findText(fromUtf8(plan_.profileOf(*row).name)));
    editor_->showSwitches(row->on);
    if (plan_.profileOf(*row).name != editing_) {
        editor_->setProfile(plan_.profileOf(*row), !dmx::Profiles::builtIn(plan_.profileOf(*row).name));
        editing_ = plan_.profileOf(*row).name;
    }
}

void RigWindow::profileChosen(int index)
{
    const dmx::Row *row = currentRow();
    if (!row || index < 0)
        return;
    const dmx::Fixture &f = row->fixture;
    choices_.choose(f.type, f.mode, profile_->itemText(index).toStdString());
    saveProfiles();
    replan();
}

// A new profile starts as a copy of the fixture's own, under a free name.
void RigWindow::newProfile()
{
    const dmx::Row *row = currentRow();
    if (!row)
        return;
    const dmx::Fixture &f = row->fixture;
    choices_.copyFor(plan_.profileOf(*row), f.type, f.mode);
    saveProfiles();
    replan();
}

// Edits change the user's own profile in place, under its new name too: every
// type that chose it follows. A refusal is said beside the fields.
void RigWindow::profileEdited(const dmx::SwitchProfile &edited)
{
    const dmx::Row *row = currentRow();
    if (!row)
        return;
    const dmx::Fixture &f = row->fixture;
    const auto refused = choices_.change(plan_.profileOf(*row).name, edited);
    editor_->say(refused ? fromUtf8(*refused) : QString());
    if (!choices_.changed())
        return;
    editing_ = choices_.profileFor(f.type, f.mode).name; // the same profile, under its new name
    saveProfiles();
    replan();
}

void RigWindow::loadProfiles()
{
    auto loaded = profilefile::load(profilefile::path());
    if (auto *choices = std::get_if<dmx::Profiles>(&loaded))
        choices_ = std::move(*choices);
    else
        profilesProblem_ = std::get<QString>(loaded)
                           + QStringLiteral(" Il ne sera pas remplacé : avant le premier enregistrement, il est "
                                            "gardé tel quel sous un autre nom à côté.");
}

void RigWindow::saveProfiles()
{
    const profilefile::Saved saved = profilefile::save(choices_, profilefile::path());
    if (!saved.aside.isEmpty())
        profilesProblem_ = saved.aside;
    if (!saved.error.isEmpty())
        QMessageBox::warning(this, windowTitle(), saved.error);
}

// The buttons print, save and copy the line shown, or every line.
std::optional<dmx::Plan> RigWindow::shownPlan() const
{
    if (rig_.fixtures.empty())
        return std::nullopt;
    const int universe = line_->currentData().toInt();
    return universe == 0 ? plan_ : dmx::makeLinePlan(rig_, universe, choices_);
}
