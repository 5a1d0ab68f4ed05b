#include "TestHelpers.h"
#include "WatchListFolder.h"
#include "base/AppInfo.h"
#include "engine/CheckReport.h"
#include "engine/EntryReport.h"
#include "engine/ReportFormat.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <functional>
#include <unistd.h>

using namespace TestHelpers;

namespace {

// A zone without summer time and with an offset that is not whole hours, given in POSIX form so
// that no zone database is needed: the offsets in the report must be this one.
const QString kZone = QStringLiteral("IST-5:30");
const QString kOffset = QStringLiteral("+05:30");

struct Run
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

} // namespace

// `Staleguard --check` as scripts run it: the real program, no display, the watch list on disk.
class TestCheckCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void textListsTheRowsThenTheMissingFiles_data();
    void textListsTheRowsThenTheMissingFiles();
    void jsonGivesEveryEntryWithItsState();
    void nagiosLineAndExitCode_data();
    void nagiosLineAndExitCode();
    void prometheusExposition();
    void awkwardTextsReadBackInEveryFormat_data();
    void awkwardTextsReadBackInEveryFormat();
    void numbersTakeNoLocale_data();
    void numbersTakeNoLocale();
    void exitCodes_data();
    void exitCodes();
    void smallBackupInEveryFormat();
    void badInput_data();
    void badInput();
    void unwritableOutput_data();
    void unwritableOutput();
    void writesNothing();
    void readOnlyFolderChecksFine();
    void loadsNoWindowSystem();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    // Files whose ages are counted in whole days back from now.
    void age(const QString& name, int days) const;
    // The watch list with one entry of each kind and state.
    void writeMixedList() const;
    Run run(const QStringList& arguments, const std::function<void(QProcess&)>& setUp = {}) const;
    Run check(const QStringList& extra = {}, const std::function<void(QProcess&)>& setUp = {}) const;

    std::unique_ptr<WatchListFolder> m_dir;
};

void TestCheckCommand::initTestCase()
{
    QVERIFY(!qEnvironmentVariableIsEmpty("STALEGUARD_BIN"));
    m_dir = std::make_unique<WatchListFolder>();
    QVERIFY(m_dir->isValid());
}

void TestCheckCommand::init()
{
    // One folder for the whole run, so that the data functions can name paths in it; emptied here.
    QDir dir(m_dir->path());
    for (const QFileInfo& info :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        QVERIFY(info.isDir() ? QDir(info.filePath()).removeRecursively() : QFile::remove(info.filePath()));
}

void TestCheckCommand::cleanup()
{
    // A folder left read-only by a test could not be emptied.
    QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestCheckCommand::age(const QString& name, int days) const
{
    touch(path(name), QDateTime::currentDateTime().addSecs(-qint64(days) * 86400));
}

void TestCheckCommand::writeMixedList() const
{
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("logs")));
    age(QStringLiteral("backup.tar"), 10);
    age(QStringLiteral("accounts.xls"), 1);
    age(QStringLiteral("notes.txt"), 0);
    age(QStringLiteral("logs/monday.log"), 20);
    age(QStringLiteral("logs/tuesday.log"), 2);
    const auto entry = [this](int n, const QString& file, const QString& keys) {
        return entrySection(n, path(file), keys);
    };
    writeAll(m_dir->iniPath(),
             "[Settings]\nClose on Start=true\n" +
                 entry(0, "backup.tar", "description=Nightly backup\ndays=5\nnon-fixed file type=") +
                 entry(1, "accounts.xls",
                       "description=Accounts\ndays=30\nadvisechanges=true\nlast date changed=01/01/2000 00:00:00") +
                 entry(2, "gone.pdf", "description=Tax forms\ndays=5") +
                 entry(3, "logs/picked-last-time.log", "description=Logs\ndays=7\nnon-fixed file type=0") +
                 entry(4, "notes.txt", "description=Notes\ndays=5") +
                 entry(5, "backup.tar", "description=Report\ndays=1\nPostponedate=2099-01-01") +
                 entry(6, "backup.tar", "description=Old project\ndays=1\nNotactive=true"));
}

Run TestCheckCommand::run(const QStringList& arguments, const std::function<void(QProcess&)>& setUp) const
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("TZ"), kZone);
    env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(m_dir->path());
    process.setProgram(qEnvironmentVariable("STALEGUARD_BIN"));
    process.setArguments(arguments);
    if (setUp)
        setUp(process);
    process.start();
    Run result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.code = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

Run TestCheckCommand::check(const QStringList& extra, const std::function<void(QProcess&)>& setUp) const
{
    return run(QStringList{QStringLiteral("--check"), QStringLiteral("--watch-list"), m_dir->iniPath()} + extra, setUp);
}

void TestCheckCommand::textListsTheRowsThenTheMissingFiles_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    const QString missing = "Tax forms no longer exists: " + path("gone.pdf") + "\n";
    const QString rows = "Nightly backup is 10 days old\nAccounts has changed\nLogs are 20 days old\n";
    QTest::newRow("old files") << QStringList{} << rows + missing;
    QTest::newRow("named format") << QStringList{"--format", "text"} << rows + missing;
    QTest::newRow("all files") << QStringList{"--all"}
                               << rows + "Notes are 0 days old\nReport is 10 days old\n" + missing;
}

void TestCheckCommand::textListsTheRowsThenTheMissingFiles()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    writeMixedList();
    const Run result = check(arguments);
    QCOMPARE(QString::fromUtf8(result.out), expected);
    QCOMPARE(result.code, 2);
    QCOMPARE(result.err, QByteArray());
}

void TestCheckCommand::jsonGivesEveryEntryWithItsState()
{
    writeMixedList();
    const Run result = check({"--format", "json"});
    QCOMPARE(result.code, 2);
    QJsonParseError error;
    const QJsonObject root = QJsonDocument::fromJson(result.out, &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    QCOMPARE(root.value("watchList").toString(), m_dir->iniPath());
    const QString checkedAt = root.value("checkedAt").toString();
    QVERIFY2(checkedAt.endsWith(kOffset), qPrintable(checkedAt));
    QVERIFY(qAbs(QDateTime::fromString(checkedAt, Qt::ISODate).secsTo(QDateTime::currentDateTime())) < 60);

    struct Expected
    {
        const char* description;
        const char* file;
        const char* kind;
        int days;
        int age; // -1: none
        const char* state;
        const char* postponeDate;
    };
    const Expected expected[] = {
        {"Nightly backup", "backup.tar", "file", 5, 10, "old", nullptr},
        {"Accounts", "accounts.xls", "file", 30, 1, "changed", nullptr},
        {"Tax forms", "gone.pdf", "file", 5, -1, "missing", nullptr},
        {"Logs", "logs/monday.log", "oldest", 7, 20, "old", nullptr},
        {"Notes", "notes.txt", "file", 5, 0, "ok", nullptr},
        {"Report", "backup.tar", "file", 1, 10, "postponed", "2099-01-01"},
        {"Old project", "backup.tar", "file", 1, 10, "removed", nullptr},
    };
    const QJsonArray entries = root.value("entries").toArray();
    QCOMPARE(entries.size(), qsizetype(std::size(expected)));
    for (int i = 0; i < entries.size(); ++i) {
        const QJsonObject entry = entries[i].toObject();
        const Expected& want = expected[i];
        const QByteArray where = want.description;
        QCOMPARE(entry.value("number").toInt(-1), i);
        QCOMPARE(entry.value("description").toString(), QString(want.description));
        QCOMPARE(entry.value("file").toString(), path(want.file));
        QCOMPARE(entry.value("kind").toString(), QString(want.kind));
        QCOMPARE(entry.value("days").toInt(-1), want.days);
        QCOMPARE(entry.value("state").toString(), QString(want.state));
        if (want.postponeDate)
            QCOMPARE(entry.value("postponeDate").toString(), QString(want.postponeDate));
        else
            QVERIFY2(entry.value("postponeDate").isNull(), where);
        const QJsonValue modified = entry.value("lastModified");
        if (want.age < 0) {
            QVERIFY2(entry.value("age").isNull() && modified.isNull(), where);
            continue;
        }
        QCOMPARE(entry.value("age").toInt(-1), want.age);
        QVERIFY2(modified.toString().endsWith(kOffset), qPrintable(modified.toString()));
        QCOMPARE(QDateTime::fromString(modified.toString(), Qt::ISODate).toSecsSinceEpoch(),
                 QFileInfo(path(want.file)).lastModified().toSecsSinceEpoch());
    }
}

namespace {

// A performance value's parts: label=value[unit];warn;crit;min;max, the last four possibly empty.
struct PerfValue
{
    QByteArray value;
    QByteArray unit;
    QByteArray warn;
    QByteArray crit;
};

QMap<QByteArray, PerfValue> perfdata(const QByteArray& line)
{
    static const QRegularExpression item(
        R"(^([a-z]+)=(-?[0-9]+(?:\.[0-9]+)?)(s?);([0-9]*);([0-9]*);([0-9]*)(?:;([0-9]*))?$)");
    QMap<QByteArray, PerfValue> values;
    for (const QByteArray& text : line.mid(line.indexOf('|') + 1).trimmed().split(' ')) {
        const QRegularExpressionMatch m = item.match(QString::fromUtf8(text));
        if (!m.hasMatch()) {
            qWarning() << "not a performance value:" << text;
            return {};
        }
        values.insert(m.captured(1).toUtf8(),
                      {m.captured(2).toUtf8(), m.captured(3).toUtf8(), m.captured(4).toUtf8(), m.captured(5).toUtf8()});
    }
    return values;
}

// The plugins' threshold "N" alerts outside 0..N; none never alerts.
bool alerts(const QByteArray& threshold, const QByteArray& value)
{
    return !threshold.isEmpty() && (value.toDouble() < 0 || value.toDouble() > threshold.toDouble());
}

// The value of the one sample of NAME whose labels hold LABELS, or nothing.
std::optional<QByteArray> sample(const QByteArray& report, const QByteArray& name, const QByteArray& labels)
{
    for (const QByteArray& line : report.split('\n')) {
        const bool named = labels.isEmpty() ? line.startsWith(name + ' ') : line.startsWith(name + '{');
        if (named && line.contains(labels))
            return line.mid(line.lastIndexOf(' ') + 1);
    }
    return std::nullopt;
}

// What `promtool check metrics` remarks on a report, exit code 3 (style advice) or 1 (parse error)
// included; none where promtool is not installed.
std::optional<QByteArray> promtoolRemarks(const QByteArray& metrics)
{
    const QString promtool = QStandardPaths::findExecutable(QStringLiteral("promtool"));
    if (promtool.isEmpty())
        return std::nullopt;
    QProcess lint;
    lint.start(promtool, {"check", "metrics"});
    lint.write(metrics);
    lint.closeWriteChannel();
    if (!lint.waitForFinished(60000))
        return QByteArray("promtool did not finish: ") + lint.errorString().toUtf8();
    QByteArray remarks = lint.readAllStandardOutput() + lint.readAllStandardError();
    if (lint.exitStatus() != QProcess::NormalExit || lint.exitCode() != 0)
        remarks += "exit code " + QByteArray::number(lint.exitCode());
    return remarks;
}

} // namespace

void TestCheckCommand::nagiosLineAndExitCode_data()
{
    QTest::addColumn<bool>("mixed");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("summary");
    QTest::addColumn<QList<int>>("counts"); // old, changed, missing, postponed, removed, unreachable, ok, entries

    QTest::newRow("one of each") << true << 2
                                 << QByteArray("STALEGUARD CRITICAL - 2 old, 1 changed, 1 missing, 1 postponed, 1 "
                                               "removed, 1 ok")
                                 << QList<int>{2, 1, 1, 1, 1, 0, 1, 7};
    QTest::newRow("nothing to report") << false << 0 << QByteArray("STALEGUARD OK - 1 ok")
                                       << QList<int>{0, 0, 0, 0, 0, 0, 1, 1};
}

void TestCheckCommand::nagiosLineAndExitCode()
{
    QFETCH(bool, mixed);
    QFETCH(int, code);
    QFETCH(QByteArray, summary);
    QFETCH(QList<int>, counts);
    if (mixed) {
        writeMixedList();
    } else {
        age(QStringLiteral("notes.txt"), 0);
        writeAll(m_dir->iniPath(),
                 "[file 0]\ndescription=Notes\ndays=5\nfilename=" + path("notes.txt").toUtf8() + "\n");
    }
    const Run result = check({"--format", "nagios"});
    QCOMPARE(result.code, code);
    const QList<QByteArray> lines = result.out.split('\n');
    const QByteArray first = lines.value(0);
    QCOMPARE(first.left(first.indexOf(" | ")), summary);
    QVERIFY2(summary.size() <= 80, summary);

    const QMap<QByteArray, PerfValue> values = perfdata(first);
    const QList<QByteArray> labels{"old", "changed", "missing", "postponed", "removed", "unreachable", "ok", "entries"};
    for (qsizetype i = 0; i < labels.size(); ++i) {
        QVERIFY2(values.contains(labels[i]), labels[i]);
        QCOMPARE(values[labels[i]].value.toInt(), counts[i]);
        QCOMPARE(values[labels[i]].unit, QByteArray());
    }
    // The thresholds tell a grapher what the status line tells: old or missing is critical, a
    // change a warning.
    QCOMPARE(alerts(values["old"].crit, values["old"].value), counts[0] > 0);
    QCOMPARE(alerts(values["missing"].crit, values["missing"].value), counts[2] > 0);
    QCOMPARE(alerts(values["changed"].warn, values["changed"].value), counts[1] > 0);
    QCOMPARE(values["duration"].unit, QByteArray("s"));
    QVERIFY(values["duration"].value.toDouble() < 60);
    if (mixed) {
        QCOMPARE(lines.mid(1),
                 (QList<QByteArray>{"Nightly backup is 10 days old", "Accounts has changed", "Logs are 20 days old",
                                    "Tax forms no longer exists: " + path("gone.pdf").toUtf8(), ""}));
    }
}

void TestCheckCommand::prometheusExposition()
{
    writeMixedList();
    // Quotes, a backslash, template braces and a line that is not UTF-8 (so read as Windows-1252).
    QByteArray list = readAll(m_dir->iniPath());
    list.replace("description=Notes", "description=Notes \"draft\" C:\\x {{ .Value }} \xe9t\xe9");
    writeAll(m_dir->iniPath(), list);
    const Run result = check({"--format", "prometheus"});
    QCOMPARE(result.code, 2);
    const QByteArray& out = result.out;

    const QByteArray backup = R"(entry="0",description="Nightly backup")";
    const QDateTime modified = QFileInfo(path("backup.tar")).lastModified();
    QCOMPARE(qRound64(sample(out, "staleguard_entry_modified_timestamp_seconds", backup)->toDouble() * 1000),
             modified.toMSecsSinceEpoch());
    // Old from the local midnight five days after the file's local day, in the run's +05:30.
    const QDate fileDay = modified.toOffsetFromUtc(5 * 3600 + 1800).date();
    const QDateTime due(fileDay.addDays(5), QTime(0, 0), Qt::OffsetFromUTC, 5 * 3600 + 1800);
    QCOMPARE(sample(out, "staleguard_entry_due_timestamp_seconds", backup), QByteArray::number(due.toSecsSinceEpoch()));
    QCOMPARE(sample(out, "staleguard_entry_stale", backup), QByteArray("1"));
    QCOMPARE(sample(out, "staleguard_entry_changed", R"(description="Accounts")"), QByteArray("1"));
    QCOMPARE(sample(out, "staleguard_entry_missing", R"(description="Tax forms")"), QByteArray("1"));
    QVERIFY2(!sample(out, "staleguard_entry_modified_timestamp_seconds", R"(entry="2")"), "a missing file's time");
    QVERIFY2(!sample(out, "staleguard_entry_due_timestamp_seconds", R"(entry="2")"), "a missing file's due");
    QVERIFY2(!out.contains("entry=\"6\""), "a removed entry has no samples");
    const QByteArray notes =
        R"(description="Notes \"draft\" C:\\x {{ .Value }} )" + QString::fromUtf8("été\"").toUtf8();
    QCOMPARE(sample(out, "staleguard_entry_state", notes + R"(,state="ok")"), QByteArray("1"));

    // One state sample per state for each entry, 1 for the state the JSON report gives it.
    const QJsonArray entries = QJsonDocument::fromJson(check({"--format", "json"}).out).object()["entries"].toArray();
    for (const QJsonValue& entry : entries) {
        const QByteArray number = "entry=\"" + QByteArray::number(entry["number"].toInt()) + '"';
        const QString state = entry["state"].toString();
        int ones = 0;
        int samples = 0;
        for (const QByteArray& line : out.split('\n')) {
            if (!line.startsWith("staleguard_entry_state{" + number + ','))
                continue;
            ++samples;
            if (line.endsWith(" 1")) {
                ++ones;
                QVERIFY2(line.contains(",state=\"" + state.toUtf8() + "\"}"), line);
            }
        }
        QCOMPARE(samples, state == "removed" ? 0 : int(EntryReport::states().size()));
        QCOMPARE(ones, state == "removed" ? 0 : 1);
    }

    const qint64 stamp = sample(out, "staleguard_check_timestamp_seconds", "")->toLongLong();
    QVERIFY(qAbs(stamp - QDateTime::currentSecsSinceEpoch()) < 60);
    QVERIFY(out.contains("\nstaleguard_check_duration_seconds "));

    const std::optional<QByteArray> remarks = promtoolRemarks(out);
    if (!remarks)
        QSKIP("promtool (Debian package prometheus) is not installed");
    QCOMPARE(*remarks, QByteArray());
}

void TestCheckCommand::awkwardTextsReadBackInEveryFormat_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("quotes") << QStringLiteral("Notes \"draft\" 'v2'");
    QTest::newRow("backslashes") << QStringLiteral("C:\\x\\ \\n \\\"");
    QTest::newRow("bars") << QStringLiteral("a | b || c|");
    QTest::newRow("line breaks") << QStringLiteral("first\nsecond\r\nthird\n");
    QTest::newRow("tab") << QStringLiteral("a\tb");
    QTest::newRow("control characters") << QStringLiteral("bell\x07 escape\x1b delete\x7f unit\x1f");
    QTest::newRow("template braces") << QStringLiteral("{{ .Value }} {$labels} {}");
    QTest::newRow("1,000 characters of it all") << QString::fromUtf8("\"\\|\n\t\x01{}\xc3\xa9 ").repeated(100);
}

// Each format read back by what reads it: a JSON parser, a monitoring core, a Prometheus scraper.
void TestCheckCommand::awkwardTextsReadBackInEveryFormat()
{
    QFETCH(QString, text);
    EntryReport entry;
    entry.description = text;
    entry.fileName = "/srv/" + text;
    CheckReport report{"/srv/" + text + ".ini", QDateTime::currentDateTime(), 0.5, {entry}, {text + " is old"}};

    QJsonParseError error;
    const QJsonObject root =
        QJsonDocument::fromJson(ReportFormat::render(ReportFormat::Format::Json, report), &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    // Qt's parser lets a raw control character through; stricter ones do not.
    const QByteArray json = ReportFormat::render(ReportFormat::Format::Json, report);
    QVERIFY(std::none_of(json.begin(), json.end(), [](char c) { return uchar(c) < 0x20 && c != '\n'; }));
    QCOMPARE(root["watchList"].toString(), report.watchList);
    QCOMPARE(root["entries"][0]["description"].toString(), text);
    QCOMPARE(root["entries"][0]["file"].toString(), entry.fileName);

    // The first "|" anywhere starts the performance data, and every further line is long output.
    const QByteArray nagios = ReportFormat::render(ReportFormat::Format::Nagios, report);
    const QList<QByteArray> lines = nagios.split('\n');
    QCOMPARE(nagios.indexOf('|'), lines[0].indexOf(" | ") + 1);
    const auto shown = [](QString line) { return line.replace('|', QChar(0xA6)).replace('\n', ' ').toUtf8(); };
    QCOMPARE(lines.mid(1), (QList<QByteArray>{shown(report.rows[0]), ""}));

    // Every line a whole sample, its description label unescaped by the format's three escapes.
    static const QRegularExpression sampleLine(R"re(^[a-z_]+(?:\{((?:[a-z]+="(?:[^"\\]|\\[\\"n])*",?)+)\})? \S+$)re");
    static const QRegularExpression description(R"re(description="((?:[^"\\]|\\.)*)")re");
    const QByteArray metrics = ReportFormat::render(ReportFormat::Format::Prometheus, report);
    int labelled = 0;
    for (const QByteArray& line : metrics.split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QRegularExpressionMatch sample = sampleLine.match(QString::fromUtf8(line));
        QVERIFY2(sample.hasMatch(), line);
        if (sample.captured(1).isEmpty())
            continue;
        QString value;
        const QString escaped = description.match(sample.captured(1)).captured(1);
        for (qsizetype i = 0; i < escaped.size(); ++i) {
            const bool escape = escaped[i] == '\\';
            value += escape && escaped[++i] == 'n' ? QChar('\n') : escaped[i];
        }
        QCOMPARE(value, text);
        ++labelled;
    }
    QVERIFY(labelled > 0);
    const std::optional<QByteArray> remarks = promtoolRemarks(metrics);
    if (!remarks)
        QSKIP("promtool (Debian package prometheus) is not installed");
    QCOMPARE(*remarks, QByteArray());
}

void TestCheckCommand::numbersTakeNoLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("decimal comma") << QStringLiteral("de_DE.UTF-8");
    QTest::newRow("Arabic-Indic digits") << QStringLiteral("ar_EG.UTF-8");
}

void TestCheckCommand::numbersTakeNoLocale()
{
    QFETCH(QString, locale);
    writeMixedList();
    const auto inLocale = [&locale](QProcess& process) {
        QProcessEnvironment env = process.processEnvironment();
        for (const char* name : {"LANG", "LC_ALL", "LC_NUMERIC"})
            env.insert(QLatin1String(name), locale);
        process.setProcessEnvironment(env);
    };
    const QByteArray nagios = check({"--format", "nagios"}, inLocale).out.split('\n').value(0);
    QVERIFY2(perfdata(nagios).size() > 1, nagios);

    const QRegularExpression number(R"( -?[0-9]+(\.[0-9]+)?$)");
    for (const QByteArray& line : check({"--format", "prometheus"}, inLocale).out.split('\n')) {
        if (!line.isEmpty() && !line.startsWith('#'))
            QVERIFY2(number.match(QString::fromUtf8(line)).hasMatch(), line);
    }
}

void TestCheckCommand::exitCodes_data()
{
    QTest::addColumn<QByteArray>("entries");
    QTest::addColumn<int>("code");
    const QByteArray fresh = "description=Fresh\ndays=5\nfilename=" + path("fresh").toUtf8() + "\n";
    const QByteArray old = "description=Old\ndays=5\nfilename=" + path("old").toUtf8() + "\n";
    const QByteArray changed = fresh + "advisechanges=true\nlast date changed=never\n";
    QTest::newRow("nothing to report") << "[file 0]\n" + fresh << 0;
    QTest::newRow("empty watch list") << QByteArray() << 0;
    QTest::newRow("only a change") << "[file 0]\n" + changed << 1;
    QTest::newRow("old") << "[file 0]\n" + changed + "[file 1]\n" + old << 2;
    QTest::newRow("missing") << "[file 0]\ndescription=Gone\nfilename=" + path("gone").toUtf8() << 2;
    QTest::newRow("old but postponed") << "[file 0]\n" + old + "Postponedate=2099-12-31\n" << 0;
    QTest::newRow("too small") << "[file 0]\n" + fresh + "smallest size=1K\n" << 2;
    // A link to itself cannot be asked about, like a share that does not answer.
    QTest::newRow("one cannot be reached")
        << "[file 0]\n" + fresh + "[file 1]\ndescription=Loop\nfilename=" + path("loop").toUtf8() + "\n"
        << 3;
    QTest::newRow("binary junk") << QByteArray("\x00\xff[file 0]\x01\nfilename\x00=\xfe\n", 24) << 0;
}

void TestCheckCommand::exitCodes()
{
    QFETCH(QByteArray, entries);
    QFETCH(int, code);
    age(QStringLiteral("fresh"), 0);
    age(QStringLiteral("old"), 6);
    QVERIFY(QFile::link(path("loop"), path("loop")));
    writeAll(m_dir->iniPath(), entries);
    const Run result = check();
    QCOMPARE(result.code, code);
    QCOMPARE(result.err, QByteArray());
}

void TestCheckCommand::smallBackupInEveryFormat()
{
    // The job failed: its log is the newest file, and the backup it wrote is empty.
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("backups")));
    age(QStringLiteral("backups/job.log"), 0);
    writeAll(path(QStringLiteral("backups/night.tar.gz")), QByteArray());
    age(QStringLiteral("backups/night.tar.gz"), 1);
    writeAll(m_dir->iniPath(), entrySection(0, path(QStringLiteral("backups/picked.tar.gz")),
                                            "description=Backup\ndays=5\nnon-fixed file type=1\n"
                                            "file pattern=*.tar.gz\nsmallest size=10M"));

    const Run text = check();
    QCOMPARE(text.code, 2);
    QCOMPARE(text.out, QByteArray("Backup is only 0 bytes\n"));

    const QJsonObject entry =
        QJsonDocument::fromJson(check({"--format", "json"}).out).object().value("entries").toArray().first().toObject();
    QCOMPARE(entry.value("state").toString(), QStringLiteral("small"));
    QCOMPARE(entry.value("file").toString(), path(QStringLiteral("backups/night.tar.gz")));
    QCOMPARE(entry.value("pattern").toString(), QStringLiteral("*.tar.gz"));
    QCOMPARE(entry.value("smallestSize").toInteger(), qint64(10) * 1024 * 1024);
    QCOMPARE(entry.value("size").toInteger(), qint64(0));

    const Run nagios = check({"--format", "nagios"});
    QVERIFY2(nagios.out.startsWith("STALEGUARD CRITICAL - 1 small |"), nagios.out.constData());
    QVERIFY(nagios.out.contains(" small=1;;0;0;1 "));
    const Run prometheus = check({"--format", "prometheus"});
    QVERIFY(prometheus.out.contains("staleguard_entry_size_bytes{entry=\"0\",description=\"Backup\"} 0\n"));
    QVERIFY(prometheus.out.contains("state=\"small\"} 1\n"));
}

void TestCheckCommand::badInput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("out");
    const QStringList check{"--check", "--watch-list"};
    const QByteArray noList = "Staleguard: the watch list \"" + path("nowhere.ini").toUtf8() + "\" does not exist";
    QTest::newRow("no such watch list") << check + QStringList{"nowhere.ini"} << noList << QByteArray();
    QTest::newRow("told in nagios form as well") << check + QStringList{"nowhere.ini", "--format", "nagios"} << noList
                                                 << noList.mid(12).prepend("STALEGUARD UNKNOWN - ") + '\n';
    QTest::newRow("a folder") << check + QStringList{"."}
                              << "Staleguard: the watch list \"" + m_dir->path().toUtf8() + "\" is a folder"
                              << QByteArray();
    QTest::newRow("a device") << QStringList{"--check", "--watch-list", "/dev/zero"}
                              << QByteArray("Staleguard: the watch list \"/dev/zero\" is not a regular file")
                              << QByteArray();
    QTest::newRow("unknown option") << QStringList{"--check", "--colour"}
                                    << QByteArray("Staleguard: Unknown option 'colour'. See --help.") << QByteArray();
    QTest::newRow("unknown format") << QStringList{"--check", "--format", "xml"}
                                    << QByteArray("Staleguard: Unknown format 'xml': use one of text, json, nagios, "
                                                  "prometheus. See --help.")
                                    << QByteArray();
    QTest::newRow("check options without a check")
        << QStringList{"--format", "json"} << QByteArray("Staleguard: --format needs --check. See --help.")
        << QByteArray();
    for (const char* seconds : {"0", "86401", "1.5"}) {
        QTest::addRow("timeout of %s", seconds)
            << QStringList{"--check", "--timeout", seconds}
            << QByteArray("Staleguard: --timeout needs a whole number of seconds from 1 to 86400. See --help.")
            << QByteArray();
    }
    QTest::newRow("stray argument") << QStringList{"--check", "list.ini"}
                                    << QByteArray("Staleguard: Unexpected argument 'list.ini'. See --help.")
                                    << QByteArray();
}

void TestCheckCommand::badInput()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, out);
    const Run result = run(arguments);
    QCOMPARE(result.code, 3);
    QCOMPARE(result.err, message + '\n');
    QCOMPARE(result.out, out);
}

void TestCheckCommand::unwritableOutput_data()
{
    QTest::addColumn<QString>("output"); // "" for standard output
    QTest::addColumn<bool>("closedPipe");
    QTest::addColumn<QByteArray>("message");
    const QByteArray stdoutFailed = "Staleguard: could not write the output: ";
    QTest::newRow("closed pipe") << QString() << true << stdoutFailed;
    QTest::newRow("full disk") << QString() << false << stdoutFailed;
    const QString report = path("no such folder/report.json");
    QTest::newRow("report file in no folder")
        << report << false << "Staleguard: could not write \"" + report.toUtf8() + "\": No such file or directory";
}

void TestCheckCommand::unwritableOutput()
{
    QFETCH(QString, output);
    QFETCH(bool, closedPipe);
    QFETCH(QByteArray, message);
    writeMixedList();
    int ends[2] = {-1, -1};
    if (closedPipe) {
        QCOMPARE(::pipe(ends), 0);
        ::close(ends[0]); // the reader has gone before the first byte
    }
    const QStringList outputArguments = output.isEmpty() ? QStringList() : QStringList{"--output", output};
    const Run result = check(QStringList{"--format", "json"} + outputArguments, [&](QProcess& process) {
        if (!output.isEmpty())
            return;
        if (!closedPipe) {
            process.setStandardOutputFile(QStringLiteral("/dev/full"));
            return;
        }
        const int writeEnd = ends[1];
        process.setChildProcessModifier([writeEnd] { ::dup2(writeEnd, STDOUT_FILENO); });
    });
    if (closedPipe)
        ::close(ends[1]);
    QCOMPARE(result.code, 3);
    QVERIFY2(result.err.startsWith(message) && result.err.count('\n') == 1, result.err);
}

void TestCheckCommand::writesNothing()
{
    writeMixedList();
    // A row map file left by a running window stays as it is.
    writeAll(m_dir->rowMapPath(), "[tempfile 0]\nrealnumber=4\n");
    const QDateTime past = QDateTime::currentDateTime().addDays(-3);
    touch(m_dir->iniPath(), past);
    const QByteArray before = readAll(m_dir->iniPath());
    QStringList files = QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    for (const char* format : {"text", "json", "nagios", "prometheus"}) {
        for (const QStringList& extra : {QStringList{}, QStringList{"--all"}})
            QCOMPARE(check(QStringList{"--format", format} + extra).code, 2);
    }
    // The default watch list is the one beside the program, when the program's folder holds one.
    QVERIFY(QFile::copy(qEnvironmentVariable("STALEGUARD_BIN"), path("Staleguard")));
    const Run beside = run({"--check"}, [this](QProcess& process) { process.setProgram(path("Staleguard")); });
    QCOMPARE(beside.code, 2);
    QVERIFY(beside.out.startsWith("Nightly backup is 10 days old\n"));

    QCOMPARE(readAll(m_dir->iniPath()), before);
    QCOMPARE(QFileInfo(m_dir->iniPath()).lastModified(), past);
    QCOMPARE(readAll(m_dir->rowMapPath()), QByteArray("[tempfile 0]\nrealnumber=4\n"));
    files.append(QStringLiteral("Staleguard"));
    files.sort();
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System, QDir::Name), files);
}

void TestCheckCommand::readOnlyFolderChecksFine()
{
    writeMixedList();
    QVERIFY(QFile::setPermissions(m_dir->iniPath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const Run result = check({"--format", "nagios"});
    QCOMPARE(result.code, 2);
    QVERIFY(result.out.startsWith("STALEGUARD CRITICAL - 2 old, 1 changed, 1 missing, "));
    QCOMPARE(result.err, QByteArray());
}

void TestCheckCommand::loadsNoWindowSystem()
{
    writeMixedList();
    // Any display plugin would be named here; a window-system application without a display would not
    // get as far as an exit code.
    const Run result = check({}, [](QProcess& process) {
        QProcessEnvironment env = process.processEnvironment();
        env.insert(QStringLiteral("QT_DEBUG_PLUGINS"), QStringLiteral("1"));
        process.setProcessEnvironment(env);
    });
    QCOMPARE(result.code, 2);
    QVERIFY2(!result.err.contains("platforms"), result.err);
    for (const QStringList& arguments : {QStringList{"--help"}, QStringList{"--version"}}) {
        const Run other = run(arguments);
        QCOMPARE(other.code, 0);
        QVERIFY(other.out.contains("Staleguard"));
    }
    const QString version = QStringLiteral("%1 %2\n").arg(AppInfo::productName(), AppInfo::version());
    QCOMPARE(run({"--version"}).out, version.toUtf8());
}

QTEST_GUILESS_MAIN(TestCheckCommand)
#include "tst_checkcommand.moc"
