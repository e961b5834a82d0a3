#pragma once

#include "layout.h"
#include "switchbank.h"
#include "value.h"

#include <QWidget>

#include <array>

class AddressBox;
class QComboBox;
class QPushButton;
class SwitchCell;
class TextBox;

// One address window, built from the shared layout table and a profile:
// the colour-driver window and the other-fixture window are two instances
// of this class.
class FixtureWindow : public QWidget
{
    Q_OBJECT
public:
    explicit FixtureWindow(const layout::WindowProfile &profile, QWidget *parent = nullptr);

    const layout::WindowProfile &profile() const { return profile_; }
    const dmx::SwitchBank &bank() const { return bank_; }
    const dmx::Value &channelCount() const { return ChannelCount; }
    QWidget *control(layout::Slot slot) const;

signals:
    // The switch button, after this window has reset itself.
    void switchRequested();
    void quitRequested();
    // The window was closed from its title bar.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *build(const layout::Control &control, int column);
    void load();
    void connectHandlers();
    layout::Slot slotOf(const QObject *control) const;
    bool moveFocus(layout::Slot from, int key);

    void addressChanged(const QString &text);
    void cellClicked(int column, bool upper);
    void countChosen(int index);
    void step(bool forward);
    void reset();
    void draw(int column, bool on);
    void openSheet();

    const layout::WindowProfile &profile_;
    dmx::SwitchBank bank_;          // a .. i
    dmx::Value ChannelCount;
    dmx::Value total;

    std::vector<std::pair<layout::Slot, QWidget *>> controls_;
    AddressBox *address_ = nullptr;
    TextBox *indicator_ = nullptr;
    QComboBox *count_ = nullptr;
    std::array<SwitchCell *, layout::kColumns> upper_{};
    std::array<SwitchCell *, layout::kColumns> lower_{};
};
