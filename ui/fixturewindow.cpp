#include "fixturewindow.h"

#include "announcer.h"
#include "look.h"
#include "rigwindow.h"
#include "sheetdialog.h"
#include "spoken.h"
#include "switchcell.h"
#include "textbox.h"

#include <QAction>
#include <QCloseEvent>
#include <QMimeData>

using namespace layout;

FixtureWindow::FixtureWindow(const WindowProfile &profile, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , profile_(profile)
    , model_(profile.bank)
{
    setObjectName(QString::fromUtf8(profile.name));
    setWindowTitle(QString::fromUtf8(profile.caption));
    setFixedSize(toPixels(kClientWidth), toPixels(kClientHeight));
    setFont(look::font({}));
    setAcceptDrops(true);
    controls_ = buildControls(*this, profile);

    QWidget *previous = nullptr;
    for (const Place &place : profile.tabOrder) {
        QWidget *w = control(place);
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    control(profile.tabOrder.front())->setFocus();

    connectHandlers();
    load();
}

void FixtureWindow::connectHandlers()
{
    const WindowControls &c = controls_;
    // Whatever changed the box's text (the user's edit, an undo, a write from
    // outside), the model takes it; the window's own writes bring it nothing new.
    connect(c.address, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (dmx::Text typed = text.toStdU16String(); typed != model_.text())
            apply([&] { model_.edited(typed); });
    });
    connect(c.address, &AddressBox::stepRequested, this, [this](bool forward) {
        apply([&] { model_.step(forward); });
    });
    for (int k = 1; k <= kColumns; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        connect(c.upper[i], &TextBox::clicked, this, [this, k] { apply([&] { model_.click(k, true); }); });
        connect(c.lower[i], &TextBox::clicked, this, [this, k] { apply([&] { model_.click(k, false); }); });
    }
    connect(c.count, &QComboBox::activated, this, [this](int index) {
        apply([&] { model_.chooseCount(index + 1); });
    });
    connect(c.next, &QPushButton::clicked, this, [this] { apply([&] { model_.step(true); }); });
    connect(c.previous, &QPushButton::clicked, this, [this] { apply([&] { model_.step(false); }); });
    connect(c.reset, &QPushButton::clicked, this, [this] { apply([&] { model_.reset(); }); });
    // The window is left reset, so it is found that way when the user comes back.
    connect(c.otherWindow, &QPushButton::clicked, this, [this] {
        apply([&] { model_.reset(); });
        emit otherWindowRequested();
    });
    connect(c.quit, &QPushButton::clicked, this, &FixtureWindow::quitRequested);

    // Ctrl+O and the address box's menu open a patch: the patch window, with its open dialog.
    auto *patch = new QAction(QStringLiteral("Patch…"), this);
    patch->setShortcut(QKeySequence::Open);
    addAction(patch);
    connect(patch, &QAction::triggered, this, [] { RigWindow::showWindow()->chooseFile(); });
    c.address->addAction(patch);

    // Ctrl+P anywhere in the window, and the last entry of the address box's menu.
    auto *sheet = new QAction(QStringLiteral("Feuille d'adressage…"), this);
    sheet->setShortcut(QKeySequence::Print);
    addAction(sheet);
    connect(sheet, &QAction::triggered, this, &FixtureWindow::openSheet);
    c.address->addAction(sheet);
}

// No count is chosen until the user picks one, so stepping does nothing
// before that.
void FixtureWindow::load()
{
    for (int n = 1; n <= dmx::FixtureModel::kLargestCount; ++n)
        controls_.count->addItem(QString::number(n));
    controls_.count->setCurrentIndex(-1); // adding the first entry chose it
}

template <typename Operation>
void FixtureWindow::apply(Operation operation)
{
    operation();
    const dmx::Change what = model_.changed();
    if (!what.any())
        return;
    render(what);
    announce();
    emit changed(what);
}

// The switches first, then the box: whoever watches the box's text sees the
// bank that goes with it. While the text is no address, the box is red and
// the address switches' words grey: they do not show it.
void FixtureWindow::render(const dmx::Change &changed)
{
    const WindowControls &c = controls_;
    const bool unshown = !model_.switchesShowText();
    for (int k = 1; k <= kColumns; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        if (changed.switches[i]) {
            c.upper[i]->setText(fromText(dmx::upperCellText(model_.isOn(k))));
            c.lower[i]->setText(fromText(dmx::lowerCellText(model_.isOn(k))));
        }
        if (changed.cue && k != dmx::kTerminatorSwitch) {
            c.upper[i]->setCue(unshown ? QColor(look::kStaleSwitch) : QColor());
            c.lower[i]->setCue(unshown ? QColor(look::kStaleSwitch) : QColor());
        }
    }
    if (changed.switches[dmx::kTerminatorSwitch - 1])
        c.indicator->setText(fromText(model_.indicator()));
    if (changed.cue)
        c.address->setUnshown(unshown);
    if (changed.written)
        c.address->setText(fromText(model_.text()));
}

// A screen reader hears what the change did.
void FixtureWindow::announce()
{
    if (const auto sentence = dmx::spokenAfter(model_))
        Announcer::of(this).say(fromText(*sentence));
}

// The dialog starts from what the window shows and leaves the window as it was.
void FixtureWindow::openSheet()
{
    auto *dialog = new SheetDialog(model_.address(), model_.count(), profile_.bank, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

// A patch file dropped anywhere on the window opens in the patch window.
void FixtureWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (droppedFile(*event->mimeData()))
        event->acceptProposedAction();
}

void FixtureWindow::dropEvent(QDropEvent *event)
{
    if (const auto path = droppedFile(*event->mimeData())) {
        event->acceptProposedAction();
        RigWindow::showWindow()->openFile(*path);
    }
}

std::optional<QString> FixtureWindow::droppedFile(const QMimeData &mime)
{
    const auto urls = mime.urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return std::nullopt;
    return urls.front().toLocalFile();
}

void FixtureWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit closed();
}
