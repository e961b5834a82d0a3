#pragma once

// Reads and drives a window the way a user does, finding every control by
// its name.

#include "fixturewindow.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

struct WindowNames
{
    const char *window, *address, *combo, *next, *previous, *reset, *quit, *switchButton;
    int cellBase; // upper cell of switch k is Text<base+k>, lower Text<base+10+k>
    int weight[9];
};

inline const WindowNames kWindowNames[2] = {
    {"Corvanecolordriver", "Text100", "Combo1", "suivant", "précédent", "RAZcolordriver",
     "Quittercolordriver", "Retourstandard", 0, {256, 128, 64, 32, 16, 8, 4, 2, 1}},
    {"Corvanestandard", "Text1000", "Combo100", "suivant100", "précédent100", "RAZstandard",
     "Quitterstandard", "Retourcolordriver", 100, {1, 2, 4, 8, 16, 32, 64, 128, 256}},
};

inline const layout::WindowProfile &profileOf(int which)
{
    return which == 0 ? layout::colourDriver() : layout::otherFixture();
}

class WindowProbe
{
public:
    WindowProbe(QWidget &window, int which) : w(window), names(kWindowNames[which]) {}

    template<typename T = QWidget>
    T *get(const QString &name) const
    {
        T *found = w.findChild<T *>(name);
        if (!found)
            qFatal("no control named %s", qPrintable(name));
        return found;
    }

    QLineEdit *address() const { return get<QLineEdit>(QString::fromUtf8(names.address)); }
    QComboBox *combo() const { return get<QComboBox>(QString::fromUtf8(names.combo)); }
    QPushButton *button(const char *name) const { return get<QPushButton>(QString::fromUtf8(name)); }
    QLineEdit *upper(int k) const { return get<QLineEdit>(QStringLiteral("Text%1").arg(names.cellBase + k)); }
    QLineEdit *lower(int k) const { return get<QLineEdit>(QStringLiteral("Text%1").arg(names.cellBase + 10 + k)); }
    QLineEdit *indicator() const { return get<QLineEdit>(QStringLiteral("Text120R")); }
    FixtureWindow &window() const { return static_cast<FixtureWindow &>(w); }

    void type(const QString &keys) const
    {
        // "\b" stands for Backspace; "=text" pastes the text with Ctrl+V.
        if (keys.startsWith(u'=')) {
            QApplication::clipboard()->setText(keys.mid(1));
            QTest::keySequence(address(), QKeySequence::Paste);
            return;
        }
        for (const QChar c : keys) {
            if (c == u'\b')
                QTest::keyClick(address(), Qt::Key_Backspace);
            else
                QTest::keyClicks(address(), QString(c));
        }
    }
    void press(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    void click(QLineEdit *cell) const { QTest::mouseClick(cell, Qt::LeftButton); }

    // Clicks such as "U1 L3 U10": upper or lower cell of a switch.
    void clickCells(const QString &clicks) const
    {
        for (const QString &c : clicks.split(u' ', Qt::SkipEmptyParts)) {
            const int k = c.mid(1).toInt();
            click(c.front() == u'U' ? upper(k) : lower(k));
        }
    }

    // The user's choice of a channel count, by keyboard.
    void chooseCount(int n) const
    {
        QTest::keyClick(combo(), Qt::Key_Home);
        for (int i = 1; i < n; ++i)
            QTest::keyClick(combo(), Qt::Key_Down);
    }

    // One character a switch, 1 to 9: '1' on, '0' off, '?' where the cells
    // disagree with each other or with the window's model.
    QString bankState() const
    {
        QString state;
        for (int k = 1; k <= 9; ++k) {
            const QString up = upper(k)->text(), down = lower(k)->text();
            const bool on = window().model().isOn(k);
            if (up == u"ON" && down.isEmpty() && on)
                state += u'1';
            else if (up.isEmpty() && down == u"OFF" && !on)
                state += u'0';
            else
                state += u'?';
        }
        return state;
    }

    // The tenth switch and its indicator: "on", "off" or "?".
    QString terminatorState() const
    {
        const QString up = upper(10)->text(), down = lower(10)->text(), mark = indicator()->text();
        if (up == u"ON" && down.isEmpty() && mark == u"120R")
            return QStringLiteral("on");
        if (up.isEmpty() && down == u"OFF" && mark.isEmpty())
            return QStringLiteral("off");
        return QStringLiteral("?");
    }

private:
    QWidget &w;
    const WindowNames &names;
};
