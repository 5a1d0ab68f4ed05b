#pragma once

#include "engine/EntryChecker.h"

#include <QList>
#include <QString>

// What the checks that run without the user need of the main window, and nothing more.
class BackgroundCheckHost
{
public:
    virtual ~BackgroundCheckHost() = default;

    virtual QString inifilename() const = 0;
    virtual QString tempinifilename() const = 0;
    virtual bool showsAll() const = 0;
    // True while the user is in the middle of something a check must not cut into: a dialog, the
    // editor, an open menu, a refresh of their own; or while the program ends.
    virtual bool isBusy() const = 0;
    // Puts a check's rows into the list without taking the focus or showing the window.
    virtual void showRows(const QList<CheckRow>& rows, qint16 lastEntry) = 0;
    // The way back to the window, as the tray's "Open".
    virtual void openWindow() = 0;
    // Postpones one entry as the Postpone menu does (code 0: 1 day) and refreshes the list.
    virtual void postponeEntry(qint16 entry, int code) = 0;
    // A tray host came up: the icon is made again, and a window waiting in the taskbar moves there.
    virtual void trayHostAppeared() = 0;
};
