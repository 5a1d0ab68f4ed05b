#include "engine/WatchEntry.h"
#include "engine/WatchList.h"

#include "store/IniDocument.h"

#include <QRandomGenerator>
#include <QTest>
#include <string>

// Each reader's rules for an entry's values, checked against the rules as the watch list's readers
// have always stated them, over generated values as well as the cases where the readers differ.
class TestWatchEntry : public QObject
{
    Q_OBJECT

private slots:
    void eachReaderReadsAStoredTrue();
    void findsItsSectionAndKeysInAnyCase();
    void numbersByReader_data();
    void numbersByReader();
    void readsTheSectionAsStored();
    void walkTakesTheEntriesUpToTheFirstWithoutFileName();
};

void TestWatchEntry::eachReaderReadsAStoredTrue()
{
    // Values as a hand may write them: letter case, blanks, quotes, the letters of "true" and more.
    const QStringList pieces{"t",    "r",    "u", "e",  "T",  "R", "U", "E",
                             "true", "TRUE", " ", "\t", "\"", "'", "x", "\u0130"};
    QStringList lines{"true", "TRUE", " true ", "\"true\"", "' true'", "\"TRUE", "untrue", "", "\"\"", "\u0130"};
    QRandomGenerator random(7);
    for (int n = 0; n < 4000; ++n) {
        QString line;
        for (int length = random.bounded(7); length > 0; --length)
            line += pieces[random.bounded(int(pieces.size()))];
        lines.append(line);
    }
    for (const QString& line : lines) {
        const WatchEntry entry = WatchEntry::read(
            IniDocument::parse(("[file 0]\nadvisechanges=" + line + "\nNotactive=" + line + "\n").toUtf8()), 0);
        // The store hands on the value without the blanks around it and one pair of quotes.
        QString value = line;
        while (!value.isEmpty() && (value.front() == ' ' || value.front() == '\t'))
            value.remove(0, 1);
        while (!value.isEmpty() && (value.back() == ' ' || value.back() == '\t'))
            value.chop(1);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        QCOMPARE(entry.adviseChanges(), value.isEmpty() ? QString() : value);
        const QString lowered = value.toLower();
        const bool exactTrue = lowered == QLatin1String("true");
        // The list's change test: "true" with letter case as stored, anywhere in the value.
        QCOMPARE(entry.checkReportsChanges(), value.toStdU16String().find(u"true") != std::u16string::npos);
        // The pop-up: the value, lowercased, contains "true".
        QCOMPARE(entry.popupReportsChanges(), lowered.contains(QLatin1String("true")));
        // The editor: "true" in any letter case; the printed report and "Notactive": lowercased, equals "true".
        QCOMPARE(entry.editorReportsChanges(), exactTrue);
        QCOMPARE(entry.reportReportsChanges(), exactTrue);
        QCOMPARE(entry.isRemoved(), exactTrue);
    }
}

void TestWatchEntry::findsItsSectionAndKeysInAnyCase()
{
    // Section "file " + the number and the key names, matched as their lowered forms are, blanks
    // around them aside; any other spelling names something else.
    const QStringList words{"file", "File", "FILE", "fIlE", "fi le", "files", "f\u0130le", "fıle", "file"};
    const QStringList gaps{" ", " ", "  ", "\t", ""};
    const QStringList blanks{"", "", " ", "\t", " \t"};
    const QStringList numbers{"3", "3", "03", "+3", "3.0", "30"};
    const QStringList keys{"days", "DAYS", "Days", "d ays", "dayz", "D\u0130YS", "days"};
    QRandomGenerator random(8);
    const auto pick = [&random](const QStringList& pool) { return pool[random.bounded(int(pool.size()))]; };
    for (int n = 0; n < 4000; ++n) {
        const QString word = pick(words);
        const QString gap = pick(gaps);
        const QString number = pick(numbers);
        const QString key = pick(keys);
        const QString text = "[" + pick(blanks) + word + gap + number + pick(blanks) + "]\n" + pick(blanks) + key +
                             pick(blanks) + "=9\n";
        const bool found = (word + gap + number).toLower() == QLatin1String("file 3") && key.toLower() == "days";
        QVERIFY2(WatchEntry::read(IniDocument::parse(text.toUtf8()), 3).days() == (found ? "9" : QString()),
                 qPrintable(text));
    }
}

void TestWatchEntry::numbersByReader_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("checkDays");
    QTest::addColumn<int>("editorDays");
    QTest::addColumn<int>("checkKind");
    QTest::addColumn<int>("editorKind");
    // A missing value is each reader's own default: 0 days and a fixed file for the check, 1 day for the editor.
    QTest::newRow("missing") << QString() << 0 << 1 << -1 << -1;
    QTest::newRow("0") << "0" << 0 << 0 << 0 << 0;
    QTest::newRow("1") << "1" << 1 << 1 << 1 << 1;
    QTest::newRow("5 counts as the newest") << "5" << 5 << 5 << 1 << 1;
    QTest::newRow("-1") << "-1" << -1 << -1 << -1 << -1;
    // The check takes any number but -1 and 0 for the newest file; the editor takes a negative one for a fixed file.
    QTest::newRow("-2") << "-2" << -2 << -2 << 1 << -1;
    QTest::newRow("no number") << "abc" << 0 << 0 << 0 << 0;
    QTest::newRow("halves to even") << " 2.5days" << 2 << 2 << 1 << 1;
    QTest::newRow("beyond 16 bits") << "99999" << 32767 << 32767 << 1 << 1;
}

void TestWatchEntry::numbersByReader()
{
    QFETCH(QString, stored);
    QFETCH(int, checkDays);
    QFETCH(int, editorDays);
    QFETCH(int, checkKind);
    QFETCH(int, editorKind);
    WatchEntry entry;
    entry.set(WatchEntry::Key::Days, stored);
    entry.set(WatchEntry::Key::Kind, stored);
    QCOMPARE(int(entry.checkDays()), checkDays);
    QCOMPARE(int(entry.editorDays()), editorDays);
    QCOMPARE(int(entry.checkKind()), checkKind);
    QCOMPARE(entry.editorKind(), editorKind);
}

void TestWatchEntry::readsTheSectionAsStored()
{
    // Written by hand: another spelling of the section and the keys, repeats, blanks and quotes.
    const IniDocument doc = IniDocument::parse("[file 2]\nfilename=elsewhere\n[File 3]\n FILENAME = /a b \n"
                                               "filename=/c\ndays=\ndays=9\nDescription=\"  Tax  \"\n"
                                               "[file 3]\nnotactive=true\n");
    const WatchEntry entry = WatchEntry::read(doc, 3);
    QCOMPARE(entry.number, qint16(3));
    QCOMPARE(entry.fileName(), QStringLiteral("/a b"));
    // The first of repeated keys counts, even when it is empty: the entry has no "days".
    QVERIFY(entry.days().isNull());
    QCOMPARE(entry.description(), QStringLiteral("  Tax  "));
    // A repeated section adds nothing to the first.
    QVERIFY(entry.notActive().isNull());
    QVERIFY(WatchEntry::read(doc, 4).fileName().isNull());
}

void TestWatchEntry::walkTakesTheEntriesUpToTheFirstWithoutFileName()
{
    const IniDocument doc = IniDocument::parse("[file 0]\nfilename=/a\nNotactive=TRUE\n[file 1]\nfilename=/b\n"
                                               "[file 2]\ndescription=no file\n[file 3]\nfilename=/d\n");
    const WatchList list = WatchList::read(doc);
    QCOMPARE(list.entries.size(), 2);
    QCOMPARE(list.entries[1].fileName(), QStringLiteral("/b"));
    QCOMPARE(list.end, 2);
    // A removed entry's number is free before the end of the walk.
    QCOMPARE(list.nextFreeNumber(), std::optional<qint16>(0));
    QCOMPARE(WatchList::read(IniDocument::parse("[file 0]\nfilename=/a\n")).nextFreeNumber(), std::optional<qint16>(1));
    QCOMPARE(WatchList::read(IniDocument::parse(QByteArray())).end, 0);
}

QTEST_GUILESS_MAIN(TestWatchEntry)
#include "tst_watchentry.moc"
