#pragma once

#include "plan.h"

#include <QWidget>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QTableWidget;
class ExportPanel;
class ProfileEditor;

// "Patch": every fixture of a console's or a plan's patch with the switches
// that set it, line by line; each type and mode gets its switch profile here,
// and the rig sheet is printed, saved or copied from here.
class RigWindow : public QWidget
{
    Q_OBJECT
public:
    explicit RigWindow(QWidget *parent = nullptr);

    // The one patch window of the program, shown and brought to the front.
    static RigWindow *showWindow();

    // Reads a patch file; a file that cannot be read gets a French message
    // box and leaves the window as it was. A patch read is offered again
    // among the recent ones, in the next runs too.
    bool openFile(const QString &path);
    // The open dialog, beside the patch shown or in the last folder used;
    // it does not wait, so an address window can ask for it.
    void chooseFile();
    // A rig already read, under the name its file had.
    void setRig(dmx::Rig rig, const QString &name);
    // The sheet's title: the one typed, or the patch's name.
    QString title() const;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void replan();
    void fillLines();
    void fillTable();
    void fillRecent();
    void rowChosen();
    void profileChosen(int index);
    void newProfile();
    void profileEdited(const dmx::SwitchProfile &profile);
    std::optional<dmx::Plan> shownPlan() const;
    void loadProfiles();
    void saveProfiles();
    const dmx::Row *currentRow() const;
    int currentIndex() const;
    QString folder() const;

    QLabel *file_, *summary_;
    QComboBox *line_, *profile_;
    QCheckBox *problemsFirst_;
    QLineEdit *title_;
    QTableWidget *table_;
    QPushButton *recent_, *newProfile_;
    QMenu *recentMenu_;
    ProfileEditor *editor_;
    QSplitter *split_;
    ExportPanel *panel_;

    QString name_, path_;
    QString profilesProblem_;
    std::string editing_; // the profile in the editor, refilled only when another is shown
    bool shown_ = false;
    dmx::Rig rig_;
    dmx::Plan plan_;
    dmx::Profiles choices_;
};
