#pragma once

#include "sheet.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// "Feuille d'adressage…": a run of fixtures to print, save as PDF or CSV, or
// copy for a spreadsheet. It only reads what the window gave it.
class SheetDialog : public QDialog
{
    Q_OBJECT
public:
    // first and channels as the window holds them, if it does.
    SheetDialog(std::optional<int> first, std::optional<int> channels, const dmx::BankProfile &bank,
                QWidget *parent = nullptr);

    dmx::Run run() const;
    QString title() const;

private:
    std::optional<dmx::Plan> plan();
    void showSummary();

    QLineEdit *title_;
    QSpinBox *first_, *channels_, *fixtures_;
    QComboBox *order_;
    QCheckBox *terminator_;
    QLabel *summary_;
};
