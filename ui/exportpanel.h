#pragma once

#include "table.h"

#include <QWidget>

#include <functional>
#include <optional>

// The buttons that take a plan off the screen: print it, save it as PDF or
// CSV, copy its table for a spreadsheet, and close. The addressing sheet's
// dialog and the patch window both use them; each says what to export.
class ExportPanel : public QWidget
{
    Q_OBJECT
public:
    struct Source
    {
        // The plan to export; nothing when there is none (the source has said why).
        std::function<std::optional<dmx::Plan>()> plan;
        std::function<QString()> title;
        // The patch file's name, from which a rig's file names are made.
        std::function<QString()> patchName = [] { return QString(); };
        // Where the save dialogs start: beside the patch; empty, Qt's own choice.
        std::function<QString()> folder = [] { return QString(); };
    };

    // The buttons in rows of perRow, "Fermer" last.
    explicit ExportPanel(Source source, QWidget *parent = nullptr, int perRow = 3);

    // What the buttons do, for the owner's shortcuts too.
    void print();
    void saveAs(dmx::Format format);

signals:
    // What was done, for the owner's status line: "Tableau copié : …".
    void said(const QString &status);
    void closeRequested();

private:
    void copy();

    Source source_;
};
