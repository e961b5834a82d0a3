#pragma once

#include "plan.h"

#include <QWidget>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
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
    // box and leaves the window as it was.
    bool openFile(const QString &path);
    // A rig already read, under the name its file had.
    void setRig(dmx::Rig rig, const QString &name);
    QString title() const;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void replan();
    void fillLines();
    void fillTable();
    void rowChosen();
    void profileChosen(int index);
    void newProfile();
    void profileEdited(const dmx::SwitchProfile &profile);
    std::optional<dmx::Plan> shownPlan() const;
    void loadProfiles();
    void saveProfiles();
    const dmx::Row *currentRow() const;
    int currentIndex() const;
    const dmx::Line &lineOf(const dmx::Row &row) const;

    QLabel *file_, *summary_;
    QComboBox *line_, *profile_;
    QCheckBox *problemsFirst_;
    QTableWidget *table_;
    QPushButton *newProfile_;
    ProfileEditor *editor_;

    QString name_;
    QString profilesProblem_;
    std::string editing_; // the profile in the editor, refilled only when another is shown
    dmx::Rig rig_;
    dmx::Plan plan_;
    dmx::Profiles choices_;
};
