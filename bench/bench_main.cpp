#include "BenchData.h"
#include "engine/EntryChecker.h"
#include "engine/FilePattern.h"
#include "engine/FileQuery.h"
#include "engine/WatchListFile.h"
#include "engine/getlastfile.h"
#include "store/AtomicSave.h"
#include "store/FileWriteLock.h"
#include "store/IniFile.h"

#include <QApplication>
#include <QFile>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <map>
#include <sys/stat.h>

namespace {

constexpr int kFolderFiles = 100000;

// What the check cannot avoid: the watch list's text read once and one query per watched file.
void BM_CheckBaseline(benchmark::State& state)
{
    const BenchData& data = BenchData::watchList(int(state.range(0)));
    for (auto _ : state) {
        QFile file(data.inifilename());
        file.open(QIODevice::ReadOnly);
        QByteArray text = file.readAll();
        benchmark::DoNotOptimize(text);
        for (const std::string& path : data.filePaths()) {
            struct stat st
            {
            };
            benchmark::DoNotOptimize(::stat(path.c_str(), &st));
        }
    }
}

// The baseline's stats alone, timed after other work that is not timed: 0 nothing, 1 the watch
// list read and parsed, 2 that and every entry's keys read as the check reads them. What runs
// before the stats can make them dearer: on a 2-core VM they took from 4.4 to 8.6 ms.
void BM_StatsAfter(benchmark::State& state)
{
    const BenchData& data = BenchData::watchList(10000);
    IniFile& ini = IniFile::instance();
    const int before = int(state.range(0));
    const QLatin1String keys[] = {QLatin1String("filename"), QLatin1String("days"), QLatin1String("description")};
    for (auto _ : state) {
        state.PauseTiming();
        ini.clearCache();
        const auto doc = before != 0 ? ini.Document(data.inifilename()) : nullptr;
        if (before != 0 && !doc) {
            state.SkipWithError("the watch list cannot be read");
            break;
        }
        for (int n = 0; before == 2 && n < int(data.filePaths().size()); ++n) {
            QStringView values[3];
            const int section = doc->sectionNumber(WatchListFile::sectionNameOnStack(qint16(n)).view());
            doc->forEachKey(section, [&](QStringView name, QStringView value) {
                for (int k = 0; k < 3; ++k) {
                    if (values[k].isNull() && name.compare(keys[k], Qt::CaseInsensitive) == 0)
                        values[k] = value;
                }
            });
            benchmark::DoNotOptimize(values[0]);
        }
        state.ResumeTiming();
        for (const std::string& path : data.filePaths()) {
            struct stat st
            {
            };
            benchmark::DoNotOptimize(::stat(path.c_str(), &st));
        }
    }
}

// The least any check could cost: the baseline's work, and every entry's text looked at once, its
// lines found where it lies in the file, between one stat and the next. No key is read and no
// row is made: this is the floor under the check, whatever form the watch list were held in.
void BM_CheckFloor(benchmark::State& state)
{
    const BenchData& data = BenchData::watchList(int(state.range(0)));
    const qsizetype entries = qsizetype(data.filePaths().size());
    for (auto _ : state) {
        QFile file(data.inifilename());
        file.open(QIODevice::ReadOnly);
        const QByteArray text = file.readAll();
        const char* const begin = text.constData();
        qsizetype lines = 0;
        for (qsizetype n = 0; n < entries; ++n) {
            const char* from = begin + text.size() * n / entries;
            const char* const to = begin + text.size() * (n + 1) / entries;
            while (const void* found = std::memchr(from, '\n', size_t(to - from))) {
                from = static_cast<const char*>(found) + 1;
                ++lines;
            }
            struct stat st
            {
            };
            benchmark::DoNotOptimize(::stat(data.filePaths()[size_t(n)].c_str(), &st));
        }
        benchmark::DoNotOptimize(lines);
    }
}

// The whole check, from a cold parse of the watch list to the row map file.
void BM_Check(benchmark::State& state)
{
    const BenchData& data = BenchData::watchList(int(state.range(0)));
    IniFile& ini = IniFile::instance();
    for (auto _ : state) {
        ini.clearCache();
        EntryChecker checker(ini, data.inifilename(), data.tempinifilename());
        const auto result = checker.run(false);
        if (result.rows.size() != state.range(0))
            state.SkipWithError("every entry should be listed");
    }
}

// What the check's save of its row map costs on its own: the lock and the atomic replace of a file
// of that many rows, with the two syncs to disk they make. Measured apart, for the check without them.
void BM_RowMapSave(benchmark::State& state)
{
    const BenchData& data = BenchData::watchList(int(state.range(0)));
    QByteArray rows;
    for (int row = 0; row < state.range(0); ++row)
        rows += "[tempfile " + QByteArray::number(row) + "]\nrealnumber=" + QByteArray::number(row) + "\n";
    const QString path = data.tempinifilename() + QStringLiteral(".save");
    for (auto _ : state) {
        const FileWriteLock lock(path);
        if (AtomicSave::write(path, rows))
            state.SkipWithError("the row map could not be saved");
    }
    QFile::remove(path);
}

// A plain listing of the folder with a stat of every name.
void BM_FolderBaseline(benchmark::State& state)
{
    const BenchData& data = BenchData::folder(kFolderFiles);
    const std::string folder = QFile::encodeName(data.folderPath()).toStdString() + "/";
    for (auto _ : state) {
        DIR* dir = ::opendir(folder.c_str());
        time_t newest = 0;
        std::string pick;
        while (const dirent* entry = ::readdir(dir)) {
            struct stat st
            {
            };
            if (::stat((folder + entry->d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                st.st_mtim.tv_sec > newest) {
                newest = st.st_mtim.tv_sec;
                pick = entry->d_name;
            }
        }
        ::closedir(dir);
        benchmark::DoNotOptimize(pick);
    }
}

void BM_Getlastfile(benchmark::State& state)
{
    const BenchData& data = BenchData::folder(kFolderFiles);
    for (auto _ : state)
        benchmark::DoNotOptimize(getlastfile(data.folderPath(), true));
}

// The same pick through a pattern that every name is held against, the first part in vain and
// the second, in other letter case, matching: the worst a pattern makes it.
void BM_GetlastfilePattern(benchmark::State& state)
{
    const BenchData& data = BenchData::folder(kFolderFiles);
    const FilePattern pattern(QStringLiteral("*.tar.gz;FILE-*.DAT"));
    for (auto _ : state) {
        FileQuery query;
        benchmark::DoNotOptimize(pickFolderFile(query, data.folderPath(), true, pattern));
    }
}

BENCHMARK(BM_CheckBaseline)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckFloor)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Check)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowMapSave)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatsAfter)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolderBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Getlastfile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetlastfilePattern)->Unit(benchmark::kMillisecond);

// Keeps every run's time so that the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
            const auto longest = run.counters.find("longest_ms");
            if (longest != run.counters.end())
                longestMsecs[run.benchmark_name()] = longest->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    double ratio(const std::string& a, const std::string& b) const
    {
        const auto ia = times.find(a);
        const auto ib = times.find(b);
        return ia == times.end() || ib == times.end() || ib->second <= 0 ? -1.0 : ia->second / ib->second;
    }

    // (a - b) / c, or -1 when one of them is missing.
    double ratioWithout(const std::string& a, const std::string& b, const std::string& c) const
    {
        const auto ia = times.find(a);
        const auto ib = times.find(b);
        const auto ic = times.find(c);
        if (ia == times.end() || ib == times.end() || ic == times.end() || ic->second <= 0)
            return -1.0;
        return (ia->second - ib->second) / ic->second;
    }

    double longest(const std::string& name) const
    {
        const auto it = longestMsecs.find(name);
        return it == longestMsecs.end() ? -1.0 : it->second;
    }

    std::map<std::string, double> times;
    std::map<std::string, double> longestMsecs;
};

void printRatio(const char* what, double value, double target)
{
    std::printf("%-48s %6.2f  (target <= %.1f)  %s\n", what, value, target,
                value < 0 ? "not measured" : (value <= target ? "met" : "MISSED"));
}

void printBlock(const char* what, double msecs, double target)
{
    if (msecs < 0)
        std::printf("%-48s %6s  not measured\n", what, "-");
    else if (target > 0)
        std::printf("%-48s %6.1f ms  (target < %.0f ms)  %s\n", what, msecs, target, msecs < target ? "met" : "MISSED");
    else
        std::printf("%-48s %6.1f ms\n", what, msecs);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios\n");
    printRatio("check / baseline, 1,000 entries", reporter.ratio("BM_Check/1000", "BM_CheckBaseline/1000"), 2.0);
    printRatio("check / baseline, 10,000 entries", reporter.ratio("BM_Check/10000", "BM_CheckBaseline/10000"), 2.0);
    printRatio("check without its row map save / baseline, 1,000",
               reporter.ratioWithout("BM_Check/1000", "BM_RowMapSave/1000", "BM_CheckBaseline/1000"), 2.0);
    printRatio("floor / baseline, 1,000 entries", reporter.ratio("BM_CheckFloor/1000", "BM_CheckBaseline/1000"), 2.0);
    printRatio("floor / baseline, 10,000 entries", reporter.ratio("BM_CheckFloor/10000", "BM_CheckBaseline/10000"),
               2.0);
    printRatio("check 10,000 / check 1,000", reporter.ratio("BM_Check/10000", "BM_Check/1000"), 11.0);
    printRatio("getlastfile / baseline, 100,000 files", reporter.ratio("BM_Getlastfile", "BM_FolderBaseline"), 1.5);
    printRatio("pick with a pattern / without, 100,000 files",
               reporter.ratio("BM_GetlastfilePattern", "BM_Getlastfile"), 1.2);
    std::printf("\nThe row map's save alone: the lock, the write and the two syncs to disk\n");
    for (const char* rows : {"1000", "10000"}) {
        const auto it = reporter.times.find(std::string("BM_RowMapSave/") + rows);
        printBlock(rows, it == reporter.times.end() ? -1.0 : it->second, 0);
    }
    std::printf("\nThe baseline's 10,000 stats alone, after other work that is not timed\n");
    const char* const before[] = {"the stats before them", "a parse of the watch list",
                                  "a parse and every entry's keys read"};
    for (int i = 0; i < 3; ++i) {
        const auto it = reporter.times.find("BM_StatsAfter/" + std::to_string(i));
        printBlock(before[i], it == reporter.times.end() ? -1.0 : it->second, 0);
    }
    std::printf("\nLongest gap between two 10 ms heartbeats of the window thread, 10,000 entries\n");
    printBlock("background check, window shown", reporter.longest("BM_BackgroundCheckBlock/0/iterations:4/manual_time"),
               50);
    printBlock("background check, window in the tray",
               reporter.longest("BM_BackgroundCheckBlock/1/iterations:4/manual_time"), 50);
    printBlock("refresh by F5 (on the window thread), shown",
               reporter.longest("BM_RefreshBlock/0/iterations:3/manual_time"), 0);
    printBlock("refresh by F5, in the tray", reporter.longest("BM_RefreshBlock/1/iterations:3/manual_time"), 0);
    benchmark::Shutdown();
    return 0;
}
