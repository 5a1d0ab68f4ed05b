#include "commands/JobCommands.h"

#include "background/BackgroundChecks.h"
#include "base/AppError.h"
#include "commands/JobNotices.h"
#include "commands/MainWindowMenus.h"
#include "commands/SharedMembers.h"
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

JobCommands::JobCommands(const SharedMembers& shared, QWidget* window, const MainWindowMenus& menus,
                         SelectedEntry selected, BackgroundChecks& checks)
    : QObject(window), m_shared(shared), m_selected(std::move(selected)), m_checks(checks),
      m_starter(new WatchedJobStarter(this)), m_notices(new JobNotices(window, checks))
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
        m_notices->tell(unsafe);
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
            m_notices->tell(JobNotices::notStartedText(stored.description(), error.description()));
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
        m_notices->tell(JobNotices::notStartedText(description, why));
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
        m_notices->tell(JobNotices::endedText(description, outcome));
}

QString JobCommands::lockName(qint16 entry) const
{
    const QFileInfo file(m_shared.inifilename);
    const QString path = file.canonicalFilePath().isEmpty() ? file.absoluteFilePath() : file.canonicalFilePath();
    const QByteArray name = (path + QLatin1Char('#') + QString::number(entry)).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(name, QCryptographicHash::Sha1).toHex().left(16));
}
