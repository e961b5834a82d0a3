#pragma once

#include "rig.h"

#include <QGroupBox>
#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// A bank drawn on screen exactly as the sheet prints it, scaled to the widget.
class BankView : public QWidget
{
    Q_OBJECT
public:
    explicit BankView(QWidget *parent = nullptr);
    void show(const dmx::SwitchProfile &profile, const std::array<bool, dmx::kTerminatorSwitch> &on);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    dmx::SwitchProfile profile_;
    std::array<bool, dmx::kTerminatorSwitch> on_{};
};

// The fields of one switch profile. A built-in profile is shown but not
// edited: the windows' own banks stay what they are. The fields are a draft:
// profile() gives them as typed, and whoever stores it trims the names.
class ProfileEditor : public QGroupBox
{
    Q_OBJECT
public:
    explicit ProfileEditor(QWidget *parent = nullptr);

    void setProfile(const dmx::SwitchProfile &profile, bool editable);
    dmx::SwitchProfile profile() const;
    // The switches drawn: a fixture of the rig, or a bank all OFF.
    void showSwitches(const std::array<bool, dmx::kTerminatorSwitch> &on);
    // Why the last edit was not taken, under the fields; empty clears it.
    void say(const QString &why);

signals:
    void edited(const dmx::SwitchProfile &profile);

private:
    void fieldChanged();

    QLineEdit *name_, *function_;
    QComboBox *order_, *on_, *offset_, *tenth_;
    QCheckBox *functionOn_;
    QLabel *note_;
    BankView *bank_;
    std::array<bool, dmx::kTerminatorSwitch> switches_{};
    bool filling_ = false;
};
