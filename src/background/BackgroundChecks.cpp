#include "background/BackgroundChecks.h"

#include "background/BackgroundCheckHost.h"
#include "background/BackgroundOptions.h"
#include "background/DBusFileRevealer.h"
#include "background/DBusNotificationService.h"
#include "background/DesktopNotifier.h"
#include "background/FolderWatch.h"
#include "background/NotificationPolicy.h"
#include "engine/CheckRun.h"
#include "engine/Clock.h"
#include "engine/LateJob.h"
#include "engine/WatchList.h"
#include "store/IniFile.h"

#include <QDBusServiceWatcher>
#include <QDir>
#include <QGuiApplication>
#include <QSet>
#include <QThread>
#include <QWindow> // the focus window's type, which its signal carries
#include <atomic>
#include <exception>

namespace {

// How soon a check held back by a dialog or a menu looks again whether it may run.
constexpr int kRetryMsecs = 500;

// One file per folder among the files of a check: what the folder watch needs, kept short.
QStringList folderSamples(const QList<EntryReport>& entries)
{
    QSet<QString> folders;
    QStringList samples;
    for (const EntryReport& entry : entries) {
        if (entry.fileName.isEmpty())
            continue;
        const QString path = QDir::cleanPath(entry.fileName);
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        const QString folder = slash < 0 ? QString() : path.left(slash);
        if (folders.contains(folder))
            continue;
        folders.insert(folder);
        samples.append(path);
    }
    return samples;
}

} // namespace

// What one check needs and gives; shared with its thread, which may outlive the window when a
// network folder hangs at the end.
struct BackgroundChecks::Job
{
    QString inifilename;
    QString tempinifilename;
    bool showAll = false;
    quint64 generation = 0;
    std::atomic<bool> stop{false};
    EntryChecker::Result result;
    QStringList folderSamples;
    QList<qint16> lateJobs;
    std::exception_ptr error;
};

BackgroundChecks::BackgroundChecks(BackgroundCheckHost& host, QObject* parent)
    : QObject(parent), m_host(host), m_revealer(new DBusFileRevealer(QDBusConnection::sessionBus(), {}, this)),
      m_policy(std::make_unique<NotificationPolicy>()), m_scheduler(new CheckScheduler(this)),
      m_folderWatch(new FolderWatch(std::chrono::seconds(2), this)), m_options(new BackgroundOptions(QString(), this))
{
    useNotificationService(*new DBusNotificationService(QDBusConnection::sessionBus(), this));
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMsecs);
    connect(&m_retry, &QTimer::timeout, this, &BackgroundChecks::tryRun);
    connect(m_scheduler, &CheckScheduler::checkDue, this, &BackgroundChecks::onCheckDue);
    connect(m_folderWatch, &FolderWatch::changed, this, &BackgroundChecks::requestCheck);
}

BackgroundChecks::~BackgroundChecks()
{
    // A check still running finds nothing to hand its rows to; it stops at its next entry.
    if (m_job)
        m_job->stop = true;
}

void BackgroundChecks::useNotificationService(NotificationService& service)
{
    m_service = &service;
    m_notifier = std::make_unique<DesktopNotifier>(service);
    m_notifier->setJobOffer(m_jobOffered);
    connect(m_notifier.get(), &DesktopNotifier::runJobRequested, this, &BackgroundChecks::runJobRequested);
    connect(m_notifier.get(), &DesktopNotifier::openRequested, this, &BackgroundChecks::openRequested);
    connect(m_notifier.get(), &DesktopNotifier::remindTomorrowRequested, this,
            &BackgroundChecks::remindTomorrowRequested);
    // The file needs no window: it goes straight to the file manager.
    connect(m_notifier.get(), &DesktopNotifier::showInFolderRequested, this,
            [this](const QString& place) { m_revealer->reveal(place); });
}

void BackgroundChecks::setJobOffer(std::function<bool(qint16)> offered)
{
    m_jobOffered = std::move(offered);
    m_notifier->setJobOffer(m_jobOffered);
}

void BackgroundChecks::start(const QDBusConnection& systemBus)
{
    if (m_started)
        return;
    m_started = true;
    m_options->setInifilename(m_host.inifilename());
    m_folderWatch->setOwnFiles({m_host.tempinifilename()});
    connect(m_options, &BackgroundOptions::checkEveryChanged, m_scheduler, &CheckScheduler::setIntervalMinutes);
    m_scheduler->setIntervalMinutes(m_options->checkEveryMinutes());
    m_scheduler->start(systemBus);
    // A tray host may start after the program, as happens at log-in.
    if (const QDBusConnection sessionBus = QDBusConnection::sessionBus(); sessionBus.isConnected()) {
        auto* trayHosts = new QDBusServiceWatcher(QStringLiteral("org.kde.StatusNotifierWatcher"), sessionBus,
                                                  QDBusServiceWatcher::WatchForRegistration, this);
        connect(trayHosts, &QDBusServiceWatcher::serviceRegistered, this, &BackgroundChecks::trayHostAppeared);
    }
    // A dialog or a menu closing moves the focus; a check held back by it need not wait for the retry.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this] {
        if (m_pending)
            m_retry.start(0);
    });
    // A folder may have changed between the start-up refresh and now.
    tryRun();
}

void BackgroundChecks::onCheckDue(CheckScheduler::Reason reason)
{
    // A folder that was gone may be back; network folders send no events to say so.
    if (reason == CheckScheduler::Reason::Interval)
        m_folderWatch->rewatch();
    requestCheck();
}

void BackgroundChecks::requestCheck()
{
    m_pending = true;
    tryRun();
}

void BackgroundChecks::tryRun()
{
    if (!m_pending || !m_started || m_job)
        return;
    if (m_host.isBusy()) {
        m_retry.start();
        return;
    }
    m_pending = false;
    auto job = std::make_shared<Job>();
    job->inifilename = m_host.inifilename();
    job->tempinifilename = m_host.tempinifilename();
    job->showAll = m_host.showsAll();
    job->generation = m_generation;
    m_job = job;
    // The shared IniFile keeps a cache for the window thread; the check reads through its own and
    // writes, as every write does, under the lock shared with the window and other copies.
    QThread* thread = QThread::create([job] {
        try {
            IniFile ini;
            CheckRun::Options options;
            options.showAll = job->showAll;
            options.report = true;
            options.stopped = [job] { return job->stop.load(); };
            // Nothing is asked here: a gone file waits for the next refresh the user sees.
            job->result = CheckRun::run(ini, job->inifilename, job->tempinifilename, options);
            job->folderSamples = folderSamples(job->result.entries);
            job->lateJobs =
                LateJob::dueEntries(job->result.entries, WatchList::read(ini, job->inifilename), Clock::today());
            job->result.entries.clear();
        } catch (...) {
            job->error = std::current_exception();
        }
    });
    m_thread = thread;
    connect(thread, &QThread::finished, this, [this, job] { finished(job); });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start(QThread::LowPriority);
}

void BackgroundChecks::finished(const std::shared_ptr<Job>& job)
{
    if (m_job == job)
        m_job.reset();
    // A failed write is reported as a refresh reports it.
    if (job->error)
        std::rethrow_exception(job->error);
    const bool current = !job->stop && job->generation == m_generation;
    const bool applied = current && !m_host.isBusy();
    // Rows that come back under a dialog or a menu are not put in; the check runs again after it.
    if (current && !applied)
        m_pending = true;
    if (applied) {
        emit rowsReady(job->result.rows, job->result.lastEntry, job->result.watched);
        m_folderWatch->setFiles(job->folderSamples);
        const QList<CheckRow> news = m_policy->select(job->result.rows);
        if (m_options->notifyEnabled() && !news.isEmpty())
            m_notifier->notifyRows(news);
        if (!job->lateJobs.isEmpty())
            emit lateJobsDue(job->lateJobs);
    }
    emit checkFinished(applied);
    // Something changed while the check ran; look again.
    if (m_pending)
        tryRun();
}

void BackgroundChecks::halt(int waitMsecs)
{
    ++m_generation;
    if (!m_job)
        return;
    m_job->stop = true;
    // A stopped check gives up its file queries at once, so the wait is for local work alone.
    if (m_thread)
        m_thread->wait(QDeadlineTimer(qMax(0, waitMsecs)));
    // Stopped, it writes nothing more, so the next check need not wait for it to report back.
    m_job.reset();
}

void BackgroundChecks::userRefreshed(const EntryChecker::Result& result)
{
    ++m_generation;
    if (m_job)
        m_job->stop = true;
    m_policy->acknowledge(result.rows);
    m_folderWatch->setFiles(folderSamples(result.entries));
}
