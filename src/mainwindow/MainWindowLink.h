#pragma once

#include <QDateTime>
#include <QString>

class QWidget;

// The main window as its commands, its helpers and the other windows see it: the shared members,
// the named routines they call, and the window itself as the parent of their questions. They
// reach the window through this alone, so that the window may include them without their
// including the window.
class MainWindowLink
{
public:
    // The one main window, or nullptr before it exists.
    static MainWindowLink* instance();

    // Shared members.
    qint16 cnt = 0;
    bool editnotnew = false;
    qint16 filenumber = 0;
    QString inifilename;
    QString tempinifilename;
    QDateTime starttime;

    // Named routines.
    virtual void updatelist() = 0;
    // The number for a new entry; -1 when every number is taken (the list is full).
    virtual qint16 getnextfreenumber() = 0;
    // The entry number of the selected row, or -1 when no row is selected.
    virtual qint16 realfilenumber() = 0;
    // Opens the entry editor filled from the selected row's entry.
    virtual void fileeditfile_Click() = 0;
    // Back from the tray: normal, visible, the icon gone and the list checked again.
    virtual void restoreFromTray() = 0;
    // True once the Exit command has begun to end the program: from then on nothing is written.
    virtual bool isExiting() const = 0;

    // The window: the parent of questions, and what waits frozen while a command works.
    virtual QWidget* mainWidget() = 0;

protected:
    MainWindowLink();
    virtual ~MainWindowLink();
    MainWindowLink(const MainWindowLink&) = delete;
    MainWindowLink& operator=(const MainWindowLink&) = delete;
};
