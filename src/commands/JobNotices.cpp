#include "commands/JobNotices.h"

#include "background/BackgroundChecks.h"
#include "background/BackgroundOptions.h"
#include "background/NotificationService.h"
#include "controls/Prompter.h"

#include <QTimer>
#include <QWidget>
#include <csignal>
#include <cstring>
#include <memory>

JobNotices::JobNotices(QWidget* window, BackgroundChecks& checks) : QObject(window), m_window(window), m_checks(checks)
{}

QString JobNotices::notStartedText(const QString& description, const QString& why)
{
    return QStringLiteral("The job for %1 could not start: %2").arg(description, why);
}

QString JobNotices::endedText(const QString& description, const JobStarter::Outcome& outcome)
{
    using Kind = JobStarter::Outcome::Kind;
    QString text;
    switch (outcome.kind) {
    case Kind::Exited:
        text = QStringLiteral("The job for %1 ended with exit status %2.").arg(description).arg(outcome.code);
        break;
    case Kind::Signalled:
        text = QStringLiteral("The job for %1 was stopped by signal %2 (%3).")
                   .arg(description)
                   .arg(outcome.code)
                   .arg(QString::fromLocal8Bit(::strsignal(outcome.code)));
        break;
    case Kind::NotStarted:
        return notStartedText(description, outcome.reason);
    case Kind::StillRunning:
        return QStringLiteral("The job for %1 did not start again: it is still running from before.").arg(description);
    }
    if (!outcome.lastLine.isEmpty())
        text += QStringLiteral("\nIt last wrote: ") + outcome.lastLine;
    return text;
}

void JobNotices::tell(const QString& text)
{
    if (!m_checks.options().notifyEnabled()) {
        showBox(text);
        return;
    }
    NotificationService::Message message;
    message.body = text;
    auto delivered = std::make_shared<bool>(false);
    if (!m_checks.notificationService().send(message, [delivered](uint) { *delivered = true; })) {
        showBox(text);
        return;
    }
    // A server that is there but never takes the notice leaves it to the box.
    QTimer::singleShot(kDeliveryMsecs, this, [this, delivered, text] {
        if (!*delivered)
            showBox(text);
    });
}

void JobNotices::showBox(const QString& text)
{
    // Not from inside whatever told us: the box waits for the user, and what called may not.
    QTimer::singleShot(0, this, [this, text] {
        QWidget* parent = m_window && m_window->isVisible() ? m_window.data() : nullptr;
        Prompter::notify(parent, text, Prompter::Icon::Warning);
    });
}
