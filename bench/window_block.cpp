// How long the window thread is kept from its events while the list is checked, measured by a
// 10 ms heartbeat timer on that thread, over 10,000 entries in 100 folders.
//
// The background check is started the way it is started in use, from outside the window code: one
// watched file is made fresh (or old again), which the folder watch turns into one check after its
// 2 s debounce; the check is over when the file's row has left (or come back to) the list. So the
// measurement needs nothing from the program but its behaviour:
//  - frmfiledsip::Form_Load() and showAtStart() start the background checks, as in main();
//  - a change of a file's time in a watched folder gives a background check, without the user,
//    both with the window shown and with it in the tray;
//  - the check's rows reach `listoldfiles` on the window thread.
// Without them no row ever changes, and the benchmark says so instead of giving a figure.
// The refresh the user starts (F5) runs on the window thread by design; it is measured the same
// way for comparison.
#include "BenchData.h"
#include "Heartbeat.h"
#include "controls/Prompter.h"
#include "controls/TrayIcon.h"
#include "desktop/SecondCopyGuard.h"
#include "mainwindow/frmfiledsip.h"
#include "store/IniFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <memory>
#include <utime.h>

namespace {

constexpr int kEntries = 10000;
constexpr int kFolders = 100;
// The debounce and the check, with room for a loaded machine.
constexpr int kWaitMsecs = 20000;
// Rows handed back in pieces may keep the thread busy after the row has changed.
constexpr int kTailMsecs = 500;

void runEventsFor(int msecs)
{
    QElapsedTimer clock;
    clock.start();
    while (!clock.hasExpired(msecs))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

std::unique_ptr<frmfiledsip>& benchWindow()
{
    static std::unique_ptr<frmfiledsip> window;
    return window;
}

// The window must go while the application object still exists.
void closeBenchWindow()
{
    benchWindow().reset();
}

// The main window over the spread watch list, shown or in the tray, made once for each.
frmfiledsip* windowFor(bool inTray)
{
    static QTemporaryDir home;
    static int made = -1;
    std::unique_ptr<frmfiledsip>& window = benchWindow();
    if (made == int(inTray))
        return window.get();
    if (made < 0)
        qAddPostRoutine(closeBenchWindow);
    window.reset();
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    SecondCopyGuard::setLockFolder(home.filePath(QStringLiteral("locks")));
    TrayIcon::overrideAvailability(true);
    Prompter::setScripted(true);

    const BenchData& data = BenchData::spreadWatchList(kEntries, kFolders);
    IniFile::instance().clearCache();
    window = std::make_unique<frmfiledsip>();
    window->inifilename = data.inifilename();
    window->tempinifilename = data.tempinifilename();
    window->setEnder([](int) {});
    if (!window->Form_Load())
        return nullptr;
    window->showAtStart();
    if (inTray)
        window->showMinimized();
    made = int(inTray);
    runEventsFor(1000);
    return window.get();
}

void setModified(const std::string& path, const QDateTime& when)
{
    const utimbuf times{when.toSecsSinceEpoch(), when.toSecsSinceEpoch()};
    ::utime(path.c_str(), &times);
}

void BM_BackgroundCheckBlock(benchmark::State& state)
{
    frmfiledsip* window = windowFor(state.range(0) != 0);
    if (!window || window->listoldfiles->count() != kEntries) {
        state.SkipWithError("the window did not list every entry at start");
        return;
    }
    const std::string& watched = BenchData::spreadWatchList(kEntries, kFolders).filePaths().front();
    Heartbeat heartbeat;
    double longest = 0;
    bool fresh = false;
    for (auto _ : state) {
        fresh = !fresh;
        const int expected = fresh ? kEntries - 1 : kEntries;
        heartbeat.start();
        setModified(watched, fresh ? QDateTime::currentDateTime() : QDateTime::currentDateTime().addDays(-40));
        QElapsedTimer waited;
        waited.start();
        while (window->listoldfiles->count() != expected && !waited.hasExpired(kWaitMsecs))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        if (window->listoldfiles->count() != expected) {
            heartbeat.stop();
            state.SkipWithError("no background check came within 20 s of a change in a watched folder");
            break;
        }
        runEventsFor(kTailMsecs);
        heartbeat.stop();
        state.SetIterationTime(heartbeat.longestGapMsecs() / 1000.0);
        longest = std::max(longest, heartbeat.longestGapMsecs());
    }
    if (fresh)
        setModified(watched, QDateTime::currentDateTime().addDays(-40));
    state.counters["longest_ms"] = longest;
}

void BM_RefreshBlock(benchmark::State& state)
{
    frmfiledsip* window = windowFor(state.range(0) != 0);
    if (!window) {
        state.SkipWithError("the window did not start");
        return;
    }
    Heartbeat heartbeat;
    double longest = 0;
    for (auto _ : state) {
        heartbeat.start();
        QTimer::singleShot(0, window, &frmfiledsip::optionsrefreash_Click);
        runEventsFor(kTailMsecs);
        heartbeat.stop();
        state.SetIterationTime(heartbeat.longestGapMsecs() / 1000.0);
        longest = std::max(longest, heartbeat.longestGapMsecs());
    }
    state.counters["longest_ms"] = longest;
}

} // namespace

// Argument 0: the window shown; 1: in the tray.
BENCHMARK(BM_RefreshBlock)->Arg(0)->Arg(1)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BackgroundCheckBlock)->Arg(0)->Arg(1)->Iterations(4)->UseManualTime()->Unit(benchmark::kMillisecond);
