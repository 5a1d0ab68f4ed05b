#include "commands/JobCommands.h"

#include "background/BackgroundChecks.h"
#include "background/BackgroundOptions.h"
#include "background/NotificationService.h"
#include "base/AppError.h"
#include "commands/MainWindowMenus.h"
#include "commands/SharedMembers.h"
#include "controls/Prompter.h"
#include "desktop/JobCommand.h"
#include "desktop/JobSafety.h"
#include "desktop/WatchedJobStarter.h"
#include "engine/Clock.h"
#include "engine/EntryWriter.h"
#include "engine/WatchEntry.h"
#include "store/IniFile.h"

#include <QAction>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <cstring>
#include <memory>

namespace {

QString notStartedText(const QString& description, const QString& why)
{
    return QStringLiteral("The job for %1 could not start: %2").arg(description, why);
}

// What the user is told about the job of the entry described as `description`.
QString endedText(const QString& description, const JobStarter::Outcome& outcome)
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

} // namespace

JobCommands::JobCommands(const SharedMembers& shared, QWidget* window, const MainWindowMenus& menus,
                         SelectedEntry selected, BackgroundChecks& checks)
    : QObject(window), m_shared(shared), m_selected(std::move(selected)), m_checks(checks), m_window(window),
      m_starter(new WatchedJobStarter(this))
{
    // Below the reminder's own items, for the entries that have a job.
    m_runJobNow = menus.rightpopup->addAction(QStringLiteral("Run the &Job Now"));
    m_runJobNow->setObjectName(QStringLiteral("rightpopuprunjob"));
    m_runJobNow->setVisible(false);
    connect(menus.rightpopup, &QMenu::aboutToShow, this, &JobCommands::preparePopup);
    connect(m_runJobNow, &QAction::triggered, this, [this] {
        if (const qint16 entry = m_selected(); entry >= 0)
            runNow(entry);
    });
    connect(&m_checks, &BackgroundChecks::runJobRequested, this, &JobCommands::runNow);
    connect(&m_checks, &BackgroundChecks::lateJobsDue, this, [this](const QList<qint16>& entries) {
        for (const qint16 entry : entries)
            runLate(entry);
    });
    // The checks may outlive this (the window's children go in the order they came).
    m_checks.setJobOffer(
        [self = QPointer<JobCommands>(this)](qint16 entry) { return self && self->whyNotNow(entry).isEmpty(); });
}

QString JobCommands::whyNotNow(qint16 entry) const
{
    if (!WatchEntry::read(IniFile::instance(), m_shared.inifilename, entry).hasJob())
        return QStringLiteral("This file has no job.");
    if (isRunning(entry))
        return QStringLiteral("Its job is running.");
    return JobSafety::whyNot(m_shared.inifilename);
}

void JobCommands::preparePopup()
{
    const qint16 entry = m_selected();
    const bool hasJob = entry >= 0 && WatchEntry::read(IniFile::instance(), m_shared.inifilename, entry).hasJob();
    m_runJobNow->setVisible(hasJob);
    const QString why = hasJob ? whyNotNow(entry) : QString();
    m_runJobNow->setEnabled(hasJob && why.isEmpty());
    m_runJobNow->setStatusTip(why);
    m_runJobNow->setToolTip(why.isEmpty() ? QStringLiteral("Start the command that makes this file") : why);
}

void JobCommands::runNow(qint16 entry)
{
    const WatchEntry stored = WatchEntry::read(IniFile::instance(), m_shared.inifilename, entry);
    if (!stored.hasJob() || isRunning(entry))
        return;
    // The item was offered while the file was safe; it may have changed since.
    if (const QString unsafe = JobSafety::whyNot(m_shared.inifilename); !unsafe.isEmpty()) {
        tell(unsafe);
        return;
    }
    start(entry, stored);
}

void JobCommands::runLate(qint16 entry)
{
    if (isRunning(entry) || !JobSafety::whyNot(m_shared.inifilename).isEmpty())
        return;
    IniFile& ini = IniFile::instance();
    const WatchEntry stored = WatchEntry::read(ini, m_shared.inifilename, entry);
    if (!stored.hasJob() || !stored.runsJobWhenLate())
        return;
    // Noted before it starts, so that a job that cannot start, or fails, is not tried again today.
    // One whose start cannot be noted does not start at all: it would start at every check.
    try {
        if (!EntryWriter::claimLateJob(ini, m_shared.inifilename, entry, Clock::now()))
            return;
    } catch (const AppError& error) {
        if (m_toldUnnoted.value(entry) != Clock::today()) {
            m_toldUnnoted.insert(entry, Clock::today());
            tell(notStartedText(stored.description(), error.description()));
        }
        return;
    }
    start(entry, stored);
}

void JobCommands::start(qint16 entry, const WatchEntry& stored)
{
    const QString description = stored.description();
    QString why;
    const std::optional<JobCommand> command = JobCommand::resolve(stored.job(), why);
    if (!command) {
        tell(notStartedText(description, why));
        return;
    }
    m_running.insert(entry);
    QPointer<JobCommands> self(this);
    m_starter->start(*command, lockName(entry), [self, entry, description](const JobStarter::Outcome& outcome) {
        if (self)
            self->ended(entry, description, outcome);
    });
}

void JobCommands::ended(qint16 entry, const QString& description, const JobStarter::Outcome& outcome)
{
    m_running.remove(entry);
    if (outcome.succeeded())
        m_checks.requestCheck();
    else
        tell(endedText(description, outcome));
}

QString JobCommands::lockName(qint16 entry) const
{
    const QFileInfo file(m_shared.inifilename);
    const QString path = file.canonicalFilePath().isEmpty() ? file.absoluteFilePath() : file.canonicalFilePath();
    const QByteArray name = (path + QLatin1Char('#') + QString::number(entry)).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(name, QCryptographicHash::Sha1).toHex().left(16));
}

void JobCommands::tell(const QString& text)
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

void JobCommands::showBox(const QString& text)
{
    // Not from inside whatever told us: the box waits for the user, and what called may not.
    QTimer::singleShot(0, this, [this, text] {
        QWidget* parent = m_window && m_window->isVisible() ? m_window.data() : nullptr;
        Prompter::notify(parent, text, Prompter::Icon::Warning);
    });
}
