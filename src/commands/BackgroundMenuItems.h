#pragma once

#include <QObject>

class BackgroundOptions;
class QAction;
class QMenu;
class QWidget;

// The Options menu's two items of the checks that run without the user, "Notify me on the
// desktop" and "Check again every…", and the questions behind them. The settings themselves are
// BackgroundOptions'.
class BackgroundMenuItems : public QObject
{
    Q_OBJECT

public:
    BackgroundMenuItems(QMenu* options, BackgroundOptions& settings, QWidget* dialogParent);

    // Ticks the notify item as stored, once start-up has found the watch list file.
    void showStored();

    // Flips the stored setting, then ticks the item as the setting now reads (before start-up has
    // found the watch list there is nothing to store, and the item just flips). Returns the tick.
    bool toggleNotify();
    // Asks for the minutes and stores them. False when cancelled or when the value could not be
    // saved (the user is told).
    bool askCheckEvery();

    QAction* notifyItem() const { return m_notifyItem; }

private:
    BackgroundOptions& m_settings;
    QWidget* m_dialogParent;
    QAction* m_notifyItem;
};
