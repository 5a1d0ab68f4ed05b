#pragma once

#include "mainwindow/BackgroundCheckHost.h"

class BackgroundChecks;
class frmfiledsip;
class ListRefresher;
class TrayMinimizer;

// The main window as the background checks see it: where their rows go, and when they must wait.
class MainWindowBackground : public BackgroundCheckHost
{
public:
    MainWindowBackground(frmfiledsip& window, ListRefresher& refresher, TrayMinimizer& tray);
    ~MainWindowBackground() override;

    // Starts the checks once start-up has found the watch list file.
    void start();

    QString inifilename() const override;
    QString tempinifilename() const override;
    bool showsAll() const override;
    bool isBusy() const override;
    void showRows(const QList<CheckRow>& rows, qint16 lastEntry) override;
    void openWindow() override;
    void postponeEntry(qint16 entry, int code) override;
    void trayHostAppeared() override;

private:
    frmfiledsip& m_window;
    ListRefresher& m_refresher;
    TrayMinimizer& m_tray;
    BackgroundChecks* m_checks; // a child of the window, so that tests can find it there
};
