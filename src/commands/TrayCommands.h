#pragma once

#include <QObject>

class frmfiledsip;

// The way back from the notification area: clicking the icon, and its menu with
// "Open" and "Exit".
class TrayCommands : public QObject
{
    Q_OBJECT

public:
    explicit TrayCommands(frmfiledsip& window);

    void TaskBarRPopen_Click();
    void TrayIcon_LeftButtonClick();
    void TrayIcon_RightButtonClick();
    void TaskBarRPexit_Click();

private:
    frmfiledsip& m_window;
};
