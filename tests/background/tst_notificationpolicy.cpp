#include "background/NotificationPolicy.h"
#include "engine/Clock.h"

#include <QTest>

namespace {

CheckRow row(qint16 entry, const QString& text)
{
    CheckRow r;
    r.entry = entry;
    r.text = text;
    return r;
}

QStringList texts(const QList<CheckRow>& rows)
{
    QStringList out;
    for (const CheckRow& r : rows)
        out << QStringLiteral("%1:%2").arg(r.entry).arg(r.text);
    return out;
}

} // namespace

class TestNotificationPolicy : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Clock::reset(); }

    void oncePerDayPerEntry()
    {
        Clock::setMock(QDateTime(QDate(2024, 5, 1), QTime(9, 0)));
        NotificationPolicy policy;
        const CheckRow backup = row(0, QStringLiteral("Backup is 8 days old"));
        const CheckRow report = row(3, QStringLiteral("Report has changed"));

        QCOMPARE(texts(policy.select({backup, report})), texts({backup, report}));
        // The same rows again: nothing new.
        QVERIFY(policy.select({backup, report}).isEmpty());
        // Gone and back the same day, as a file on a mount that came and went.
        QVERIFY(policy.select({report}).isEmpty());
        QVERIFY(policy.select({backup, report}).isEmpty());
        // A row that is new to the list is told about, also between the others.
        const CheckRow notes = row(7, QStringLiteral("Notes is 2 days old"));
        QCOMPARE(texts(policy.select({backup, notes, report})), texts({notes}));
        // The same entry with other news on the same day waits for the next day.
        const CheckRow notesChanged = row(7, QStringLiteral("Notes has changed"));
        QVERIFY(policy.select({backup, notesChanged, report}).isEmpty());

        // Next day: a listed entry whose age grew is news once, but what was listed yesterday with
        // the same text is not, whether or not it was told about then; once it leaves the list, as
        // a postponed entry does, its coming back is.
        Clock::setMock(QDateTime(QDate(2024, 5, 2), QTime(0, 0, 1)));
        const CheckRow backupOlder = row(0, QStringLiteral("Backup is 9 days old"));
        QCOMPARE(texts(policy.select({backupOlder, notesChanged, report})), texts({backupOlder}));
        QVERIFY(policy.select({backupOlder}).isEmpty());
        QCOMPARE(texts(policy.select({backupOlder, report})), texts({report}));
        QVERIFY(policy.select({backupOlder, report}).isEmpty());
    }

    void rowsTheUserSawAreNoNews()
    {
        Clock::setMock(QDateTime(QDate(2024, 5, 1), QTime(9, 0)));
        NotificationPolicy policy;
        const CheckRow backup = row(0, QStringLiteral("Backup is 8 days old"));
        policy.acknowledge({backup});
        QVERIFY(policy.select({backup}).isEmpty());
        // Not told about yet today, so it may be once it comes back.
        QVERIFY(policy.select({}).isEmpty());
        QCOMPARE(texts(policy.select({backup})), texts({backup}));
    }
};

QTEST_GUILESS_MAIN(TestNotificationPolicy)
#include "tst_notificationpolicy.moc"
