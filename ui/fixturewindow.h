#pragma once

#include "controls.h"
#include "fixturemodel.h"
#include "layout.h"

#include <QWidget>

#include <optional>

class QMimeData;

// One address window: the controls the layout table and a profile make, a
// model of the window's behaviour, and the wiring between the two. The
// colour-driver window and the other-fixture window are two instances of
// this class.
class FixtureWindow : public QWidget
{
    Q_OBJECT
public:
    explicit FixtureWindow(const layout::WindowProfile &profile, QWidget *parent = nullptr);

    const layout::WindowProfile &profile() const { return profile_; }
    const dmx::FixtureModel &model() const { return model_; }
    QWidget *control(layout::Place place) const { return controls_.at(place); }

signals:
    // Whatever the user did, once the window shows it: what changed (the
    // address, the switches, the count), for a screen reader to announce.
    void changed(const dmx::Change &what);
    // The button to the other window, after this window has reset itself.
    void otherWindowRequested();
    void quitRequested();
    // The window was closed from its title bar.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void connectHandlers();
    void load();
    template <typename Operation>
    void apply(Operation operation);
    void render(const dmx::Change &changed);
    void announce();
    void openSheet();
    static std::optional<QString> droppedFile(const QMimeData &mime);

    const layout::WindowProfile &profile_;
    dmx::FixtureModel model_;
    WindowControls controls_;
};
