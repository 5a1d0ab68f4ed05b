#include "engine/CheckReport.h"
#include "engine/EntryChecker.h"

#include "TestHelpers.h"
#include "WatchListFolder.h"
#include "engine/Clock.h"
#include "engine/DateTexts.h"

#include <QFile>
#include <QTest>

// Which state and which row win when several things are true of an entry at once, and which exit
// code wins when entries of several states meet: every combination, against the order the check
// and the monitoring plugins' codes are given in.
class TestCheckStates : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanupTestCase();
    void everyCombinationOfAnEntry_data();
    void everyCombinationOfAnEntry();
    void everyMixOfStatesGivesItsExitCode();
};

namespace {

using State = EntryReport::State;

const QDateTime kNow(QDate(2026, 6, 15), QTime(12, 0));

enum Flag
{
    Postponed = 1,
    Removed = 2,
    NoDescription = 4,
    Old = 8,
    Changed = 16,
    Small = 32,
    Missing = 64,
    Unreachable = 128,
};
constexpr int kCombinations = 192; // Missing and Unreachable never together

int flagsOf(int combination)
{
    const int file = combination / 64; // 0 there, 1 missing, 2 unreachable
    return (combination % 64) | (file == 1 ? Missing : 0) | (file == 2 ? Unreachable : 0);
}

// Left out first (postponed, then removed), then what cannot be known (unreachable, missing),
// then changed before old before too small.
State expectedState(int flags, bool showAll)
{
    if ((flags & Postponed) && !showAll)
        return State::Postponed;
    if (flags & (Removed | NoDescription))
        return State::Removed;
    if (flags & Unreachable)
        return State::Unreachable;
    if (flags & Missing)
        return State::Missing;
    if (flags & Changed)
        return State::Changed;
    if (flags & Old)
        return State::Old;
    return (flags & Small) ? State::Small : State::Ok;
}

QString expectedRow(int entry, int flags, bool showAll)
{
    const QString description = QStringLiteral("Entry %1").arg(entry);
    switch (expectedState(flags, showAll)) {
    case State::Unreachable:
        return description + QStringLiteral(" cannot be reached");
    case State::Changed:
        return description + QStringLiteral(" has changed");
    case State::Old:
        return description + QStringLiteral(" is 7 days old");
    case State::Small:
        return description + QStringLiteral(" is only 10 bytes");
    case State::Ok:
        return showAll ? description + QStringLiteral(" is 7 days old") : QString();
    default:
        return QString();
    }
}

} // namespace

void TestCheckStates::init()
{
    Clock::setMock(kNow);
}

void TestCheckStates::cleanupTestCase()
{
    Clock::reset();
}

void TestCheckStates::everyCombinationOfAnEntry_data()
{
    QTest::addColumn<bool>("showAll");
    QTest::newRow("old files only") << false;
    QTest::newRow("all files") << true;
}

void TestCheckStates::everyCombinationOfAnEntry()
{
    QFETCH(bool, showAll);
    WatchListFolder dir;
    TestHelpers::writeAll(dir.filePath("there"), QByteArray(10, 'x'));
    TestHelpers::touch(dir.filePath("there"), kNow.addDays(-7));
    // A link to itself cannot be asked about, as a share that does not answer cannot.
    QVERIFY(QFile::link(dir.filePath("loop"), dir.filePath("loop")));
    QByteArray ini;
    for (int n = 0; n < kCombinations; ++n) {
        const int flags = flagsOf(n);
        QString keys = QStringLiteral("days=%1\n").arg(flags & Old ? 7 : 8);
        if (!(flags & NoDescription))
            keys += QStringLiteral("description=Entry %1\n").arg(n);
        if (flags & Postponed)
            keys += QStringLiteral("Postponedate=") + DateTexts::shortDate(kNow.date().addDays(1)) + '\n';
        if (flags & Removed)
            keys += QStringLiteral("Notactive=true\n");
        if (flags & Changed)
            keys += QStringLiteral("advisechanges=true\nlast date changed=") +
                    DateTexts::generalDate(kNow.addYears(-1)) + '\n';
        if (flags & Small)
            keys += QStringLiteral("smallest size=11\n");
        const char* file = flags & Missing ? "gone" : (flags & Unreachable ? "loop" : "there");
        ini += TestHelpers::entrySection(n, dir.filePath(file), keys);
    }
    TestHelpers::writeAll(dir.iniPath(), ini);
    const EntryChecker::Result result = dir.checkOnly(showAll);
    QCOMPARE(result.entries.size(), kCombinations);
    QStringList rows;
    for (int n = 0; n < kCombinations; ++n) {
        const int flags = flagsOf(n);
        QVERIFY2(result.entries[n].state == expectedState(flags, showAll), qPrintable(QString::number(flags)));
        if (const QString row = expectedRow(n, flags, showAll); !row.isNull())
            rows << row;
    }
    QCOMPARE(TestHelpers::rowTexts(result.rows), rows);
}

void TestCheckStates::everyMixOfStatesGivesItsExitCode()
{
    // 2 when anything is old, missing or too small; else 1 for a change; else 3 when something
    // could not be reached; else 0.
    const QList<State>& states = EntryReport::states();
    for (int mix = 0; mix < (1 << states.size()); ++mix) {
        CheckReport report;
        for (int s = 0; s < states.size(); ++s) {
            if (mix & (1 << s)) {
                report.entries.append(EntryReport());
                report.entries.back().state = states[s];
            }
        }
        const auto has = [&](State state) { return (mix & (1 << states.indexOf(state))) != 0; };
        CheckReport::Status expected = CheckReport::Status::Ok;
        if (has(State::Old) || has(State::Missing) || has(State::Small))
            expected = CheckReport::Status::Critical;
        else if (has(State::Changed))
            expected = CheckReport::Status::Warning;
        else if (has(State::Unreachable))
            expected = CheckReport::Status::Unknown;
        QVERIFY2(report.status() == expected, qPrintable(QString::number(mix)));
    }
}

QTEST_GUILESS_MAIN(TestCheckStates)
#include "tst_checkstates.moc"
