#include "rigwindow.h"

#include "patch.h"
#include "profileeditor.h"
#include "exportpanel.h"
#include "profilefile.h"
#include "sheetpage.h"

#include "look.h"
#include "table.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace {

using sheet::fromUtf8;

// What a technician sets first: the fixture, its switches and what is wrong.
enum Column { Line, Address, Label, Switches, Type, Channels, Profile, Remarks, Columns };

// Rows the table shows at the least when the window opens, whatever the screen.
constexpr int kLeastRows = 8;

QString typeText(const dmx::Fixture &f)
{
    return fromUtf8(dmx::typeAndMode(f));
}

// What the window remembers between runs, beside the profiles: the last
// patches and the last folder. Read afresh each time: another run may have
// opened a patch since.
QString settingsPath()
{
    return QFileInfo(profilefile::path()).dir().filePath(QStringLiteral("patchs.ini"));
}

const QString kRecentKey = QStringLiteral("patchs/recents");
const QString kFolderKey = QStringLiteral("patchs/dossier");

QStringList recentPatches()
{
    return QSettings(settingsPath(), QSettings::IniFormat).value(kRecentKey).toStringList();
}

void keep(const QString &key, const QVariant &value)
{
    QSettings kept(settingsPath(), QSettings::IniFormat);
    kept.setValue(key, value);
}

} // namespace

RigWindow::RigWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , file_(new QLabel(this))
    , summary_(new QLabel(this))
    , line_(new QComboBox(this))
    , profile_(new QComboBox)
    , problemsFirst_(new QCheckBox(QStringLiteral("Problèmes en pre&mier"), this))
    , title_(new QLineEdit(this))
    , table_(new QTableWidget(0, Columns, this))
    , recent_(new QPushButton(QStringLiteral("Patc&hs récents"), this))
    , newProfile_(new QPushButton(QStringLiteral("Nouv&eau profil")))
    , recentMenu_(new QMenu(recent_))
    , editor_(new ProfileEditor)
    , split_(new QSplitter(Qt::Vertical, this))
{
    setObjectName(QStringLiteral("Patch"));
    setWindowTitle(QStringLiteral("Patch"));
    setAcceptDrops(true);
    setPalette(look::readableWhenDisabled(palette()));
    file_->setObjectName(QStringLiteral("fichier"));
    file_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_->setObjectName(QStringLiteral("resume"));
    summary_->setWordWrap(true);
    line_->setObjectName(QStringLiteral("ligne"));
    profile_->setObjectName(QStringLiteral("profil"));
    problemsFirst_->setObjectName(QStringLiteral("problemes"));
    title_->setObjectName(QStringLiteral("titre"));
    title_->setClearButtonEnabled(true);
    recent_->setObjectName(QStringLiteral("recents"));
    recent_->setMenu(recentMenu_);
    newProfile_->setObjectName(QStringLiteral("nouveauProfil"));
    table_->setObjectName(QStringLiteral("appareils"));
    table_->setAccessibleName(QStringLiteral("Appareils du patch"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Ligne"), QStringLiteral("Adresse"), QStringLiteral("Nom"),
                                       QStringLiteral("Interrupteurs"), QStringLiteral("Type et mode"),
                                       QStringLiteral("Canaux"), QStringLiteral("Profil"),
                                       QStringLiteral("Remarques")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    // One line a row, so that a small screen shows many: a long text ends in
    // "…" and is read whole on hover and by a screen reader.
    table_->setWordWrap(false);
    table_->verticalHeader()->setMinimumSectionSize(table_->fontMetrics().height() + 4);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setMinimumHeight(table_->horizontalHeader()->sizeHint().height()
                             + 3 * table_->verticalHeader()->defaultSectionSize());

    auto *open = new QPushButton(QStringLiteral("&Ouvrir un patch…"), this);
    open->setObjectName(QStringLiteral("ouvrir"));
    auto *top = new QHBoxLayout;
    top->addWidget(open);
    top->addWidget(recent_);
    top->addWidget(file_, 1);
    auto *filter = new QHBoxLayout;
    auto *tableLabel = new QLabel(QStringLiteral("&Appareils —"), this);
    tableLabel->setBuddy(table_);
    filter->addWidget(tableLabel);
    auto *lineLabel = new QLabel(QStringLiteral("&Ligne :"), this);
    lineLabel->setBuddy(line_);
    filter->addWidget(lineLabel);
    filter->addWidget(line_);
    filter->addWidget(problemsFirst_);
    filter->addSpacing(12);
    auto *titleLabel = new QLabel(QStringLiteral("&Titre :"), this);
    titleLabel->setBuddy(title_);
    filter->addWidget(titleLabel);
    filter->addWidget(title_, 1);

    // The profile area scrolls and gives way to the table: on a small screen
    // the splitter keeps the fixtures in view, and the editor is a drag away.
    auto *profiles = new QWidget;
    auto *choice = new QHBoxLayout;
    auto *profileLabel = new QLabel(QStringLiteral("Profil de ce t&ype :"));
    profileLabel->setBuddy(profile_);
    choice->addWidget(profileLabel);
    choice->addWidget(profile_, 1);
    choice->addWidget(newProfile_);
    auto *profileLayout = new QVBoxLayout(profiles);
    profileLayout->setContentsMargins({});
    profileLayout->addLayout(choice);
    profileLayout->addWidget(editor_);
    profileLayout->addStretch(1);
    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("zoneProfil"));
    scroll->setWidget(profiles);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    split_->setObjectName(QStringLiteral("partage"));
    split_->addWidget(table_);
    split_->addWidget(scroll);
    split_->setCollapsible(0, false);
    split_->setStretchFactor(0, 1);

    panel_ = new ExportPanel({[this] { return shownPlan(); }, [this] { return title(); }, [this] { return name_; },
                              [this] { return folder(); }},
                             this, 5);
    connect(panel_, &ExportPanel::said, summary_, &QLabel::setText);
    connect(panel_, &ExportPanel::closeRequested, this, &QWidget::close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(summary_);
    layout->addLayout(filter);
    layout->addWidget(split_, 1);
    layout->addWidget(panel_);

    // Reading order, as the eye goes down the window.
    QWidget *order[] = {open, recent_, line_, problemsFirst_, title_, table_, profile_, newProfile_};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    // The keys of a desktop program. Escape closes as it closes a dialog.
    const auto key = [this](QList<QKeySequence> keys, auto handler) {
        auto *a = new QAction(this);
        a->setShortcuts(keys);
        connect(a, &QAction::triggered, this, handler);
        addAction(a);
    };
    key({QKeySequence::Open}, [this] { chooseFile(); });
    key({QKeySequence::Print}, [this] { panel_->print(); });
    key({QKeySequence::Save}, [this] { panel_->saveAs(dmx::Format::Pdf); });
    key({QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::Key_Escape)}, [this] { close(); });

    connect(open, &QPushButton::clicked, this, &RigWindow::chooseFile);
    connect(recentMenu_, &QMenu::aboutToShow, this, &RigWindow::fillRecent);
    connect(line_, &QComboBox::currentIndexChanged, this, &RigWindow::fillTable);
    connect(problemsFirst_, &QCheckBox::toggled, this, &RigWindow::fillTable);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &RigWindow::rowChosen);
    connect(profile_, &QComboBox::activated, this, &RigWindow::profileChosen);
    connect(newProfile_, &QPushButton::clicked, this, &RigWindow::newProfile);
    connect(editor_, &ProfileEditor::edited, this, &RigWindow::profileEdited);

    loadProfiles();
    // Within the screen's free area, a frame's room left for the window manager.
    const QSize room = screen()->availableGeometry().size() - QSize(16, 48);
    resize(QSize(1100, 800).boundedTo(room));
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
    const QString full = QFileInfo(path).absoluteFilePath();
    std::vector<std::string> recent;
    for (const QString &p : recentPatches())
        recent.push_back(p.toStdString());
    QStringList kept;
    for (const std::string &p : dmx::recentAfter(recent, full.toStdString()))
        kept << QString::fromStdString(p);
    keep(kRecentKey, kept);
    keep(kFolderKey, QFileInfo(full).path());
    setRig(std::get<dmx::Rig>(std::move(read)), QFileInfo(path).fileName());
    path_ = full;
    return true;
}

void RigWindow::chooseFile()
{
    if (auto *open = findChild<QFileDialog *>(QStringLiteral("ouvrirPatch")); open && open->isVisible()) {
        open->raise(); // asked again while it is open: the same dialog
        open->activateWindow();
        return;
    }
    auto *dialog = new QFileDialog(this, QStringLiteral("Ouvrir un patch"), folder(),
                                   QStringLiteral("Patchs (*.csv *.txt *.tsv *.qxw *.mvr *.asc);;Tous les fichiers (*)"));
    dialog->setObjectName(QStringLiteral("ouvrirPatch"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString &path) { openFile(path); });
    dialog->open();
}

// Beside the patch shown, or where the last one was opened.
QString RigWindow::folder() const
{
    if (!path_.isEmpty())
        return QFileInfo(path_).path();
    const QString last = QSettings(settingsPath(), QSettings::IniFormat).value(kFolderKey).toString();
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : QDir::homePath();
}

// The menu is filled as it opens: another run may have opened a patch since.
void RigWindow::fillRecent()
{
    recentMenu_->clear();
    const QStringList recent = recentPatches();
    if (recent.isEmpty())
        recentMenu_->addAction(QStringLiteral("Aucun patch ouvert jusqu'ici"))->setEnabled(false);
    for (int i = 0; i < recent.size(); ++i) {
        const QString path = recent[i];
        const QFileInfo info(path);
        // "&1 salle.mvr — /home/régie/spectacle": a digit to choose it from the keyboard.
        QAction *a = recentMenu_->addAction(QStringLiteral("&%1 %2 — %3")
                                                .arg(i + 1)
                                                .arg(info.fileName().replace(u'&', QStringLiteral("&&")),
                                                     QDir::toNativeSeparators(info.path()).replace(u'&', QStringLiteral("&&"))));
        connect(a, &QAction::triggered, this, [this, path] {
            if (QFileInfo::exists(path)) {
                openFile(path);
                return;
            }
            QStringList left = recentPatches();
            left.removeAll(path);
            keep(kRecentKey, left);
            summary_->setText(QStringLiteral("« %1 » n'est plus à sa place : il est retiré des patchs récents.")
                                  .arg(QDir::toNativeSeparators(path)));
        });
    }
}

void RigWindow::setRig(dmx::Rig rig, const QString &name)
{
    rig_ = std::move(rig);
    name_ = name;
    path_.clear();
    file_->setText(name);
    title_->clear(); // a title belongs to its patch
    title_->setPlaceholderText(fromUtf8(dmx::patchTitle(name.toStdString())));
    replan();
}

QString RigWindow::title() const
{
    const QString typed = title_->text();
    return dmx::titleLine(typed.toStdString()).empty() ? fromUtf8(dmx::patchTitle(name_.toStdString())) : typed;
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

// Once laid out at its size: the table takes what it needs for its rows
// first, the profile area what is left up to its own height.
void RigWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    const int total = split_->height() - split_->handleWidth();
    const int rows = table_->horizontalHeader()->sizeHint().height() + 2 * table_->frameWidth()
                     + kLeastRows * table_->verticalHeader()->defaultSectionSize()
                     + table_->horizontalScrollBar()->sizeHint().height();
    const int profiles = std::min(split_->widget(1)->sizeHint().height(), std::max(0, total - rows));
    split_->setSizes({total - profiles, profiles});
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
    const QColor problem = look::problemText(table_->palette());
    const QSignalBlocker quiet(table_);
    table_->clearContents();
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        const dmx::Row &row = *rows[static_cast<std::size_t>(r)];
        const dmx::Fixture &f = row.fixture;
        const QString cells[Columns] = {
            QString::number(row.fixture.universe),
            QString::number(f.address),
            fromUtf8(f.label),
            fromUtf8(dmx::switchesText(plan_, row)),
            typeText(f),
            f.channels ? QString::number(*f.channels) : QStringLiteral("?"),
            fromUtf8(plan_.profileOf(row).name),
            fromUtf8(dmx::remarksText(row)),
        };
        for (int c = 0; c < Columns; ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            if (row.problem())
                item->setForeground(problem);
            // A long text cut at the column's edge is read whole on hover.
            if (c == Type || c == Profile || c == Remarks)
                item->setToolTip(cells[c]);
            table_->setItem(r, c, item);
        }
        // Which row of the plan the line shows, whatever the order: the same
        // after a new plan of the same rig.
        table_->item(r, 0)->setData(Qt::UserRole,
                                    static_cast<int>(std::find(all.begin(), all.end(), &row) - all.begin()));
    }
    table_->resizeColumnsToContents();
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
    const QString forType = row ? QStringLiteral("Un profil à vous pour « %1 », copié de celui-ci.")
                                      .arg(typeText(row->fixture))
                                : QString();
    newProfile_->setToolTip(forType);
    newProfile_->setAccessibleDescription(forType);
    if (!row) {
        editor_->setTitle(QStringLiteral("Profil des interrupteurs"));
        editor_->showSwitches({});
        editor_->setProfile(dmx::otherFixtureProfile(), false);
        editing_.clear();
        return;
    }
    const dmx::Fixture &f = row->fixture;
    editor_->setTitle(QStringLiteral("Profil de « %1 »").arg(typeText(f)));
    profile_->setCurrentIndex(profile_->findText(fromUtf8(plan_.profileOf(*row).name)));
    editor_->showSwitches(row->on);
    if (plan_.profileOf(*row).name != editing_) {
        const bool builtIn = dmx::Profiles::builtIn(plan_.profileOf(*row).name);
        editor_->setProfile(plan_.profileOf(*row), !builtIn);
        editing_ = plan_.profileOf(*row).name;
        if (builtIn)
            editor_->say(QStringLiteral("Profil intégré au programme : il ne peut pas être changé. « Nouveau "
                                        "profil » en fait une copie à vous, pour « %1 », que vous pourrez changer.")
                             .arg(typeText(f)));
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
    const QString type = typeText(f);
    choices_.copyFor(plan_.profileOf(*row), f.type, f.mode);
    saveProfiles();
    replan();
    if (const dmx::Row *now = currentRow())
        editor_->say(QStringLiteral("Nouveau profil « %1 », pour tous les appareils « %2 » : ses champs le changent.")
                         .arg(fromUtf8(plan_.profileOf(*now).name), type));
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
