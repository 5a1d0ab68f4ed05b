#pragma once

#include "desktop/JobStarter.h"

#include <QObject>
#include <QPointer>
#include <QString>

class BackgroundChecks;
class QWidget;

// Tells the user about a job that failed or could not start: as a desktop notification, or in a
// message box with the product name as title where notifications are off or nobody shows them.
class JobNotices : public QObject
{
    Q_OBJECT

public:
    // How long a notification server may take to take a notice before the box shows it instead.
    static constexpr int kDeliveryMsecs = 5000;

    // Notices go where the checks' notifications go, when the user wants them.
    JobNotices(QWidget* window, BackgroundChecks& checks);

    void tell(const QString& text);

    // What the user is told about the job of the entry described as `description`.
    static QString endedText(const QString& description, const JobStarter::Outcome& outcome);
    static QString notStartedText(const QString& description, const QString& why);

private:
    void showBox(const QString& text);

    QPointer<QWidget> m_window;
    BackgroundChecks& m_checks;
};
