#pragma once

#include "rig.h"

#include <QWidget>

#include <functional>


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
    const dmx::RigPlan &plan() const { return plan_; }
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
    void withShownPlan(const std::function<void(const dmx::RigPlan &)> &use) const;
    void print();
    void saveAs(const QString &caption, const QString &filter, const QString &suffix);
    void copy();
    void loadProfiles();
    void saveProfiles();
    const dmx::RigRow *currentRow() const;

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
    dmx::RigPlan plan_; // points into rig_
    dmx::Profiles choices_;
};
