#include "engine/TimeFormat.h"

#include <QTest>

// The hand-made rendering of plain time formats against the locale's own, in every locale Qt knows.
class TestTimeFormat : public QObject
{
    Q_OBJECT

private slots:
    void rendersAsTheLocaleDoes_data();
    void rendersAsTheLocaleDoes();
};

void TestTimeFormat::rendersAsTheLocaleDoes_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("format");
    // Forms no locale has, the odd ones left to the locale's formatter.
    const QStringList own{"h:mm:ss AP", "hh.mm.ss ap", "H:m:s", "A h:mm:ss",     "a hh:mm", "HH:mm:ss.zzz",
                          "h 'h' mm",   "hhh:mm",      "Ap h",  "h:mm:ss AP AP", "",        "HH:mm:ss x"};
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    for (const QString& format : own)
        QTest::addRow("own %s", qPrintable(format)) << us << format;
    for (const QLocale& locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        const QString longForm = locale.timeFormat(QLocale::LongFormat);
        // The long form is used without its zone.
        for (const QString& format : {longForm, QString(longForm).remove(QLatin1Char('t')).simplified(),
                                      locale.timeFormat(QLocale::ShortFormat)})
            QTest::addRow("%s %s", qPrintable(locale.name()), qPrintable(format)) << locale << format;
    }
}

void TestTimeFormat::rendersAsTheLocaleDoes()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, format);
    const TimeFormat rendered(format, locale);
    QList<int> seconds{0, 43199, 43200, 86399};
    for (int s = 0; s < 86400; s += 1187)
        seconds.append(s);
    for (const int s : seconds) {
        const QTime time = QTime(0, 0).addSecs(s).addMSecs(s % 1000);
        const QString expected = locale.toString(time, format);
        QCOMPARE(rendered.render(time), expected);
        // The comparison without a render: a minute apart may read the same where minutes are not shown.
        const QString other = locale.toString(time.addSecs(61), format);
        QCOMPARE(rendered.renders(other, time), other == expected);
        QVERIFY(!rendered.renders(expected + QLatin1Char('0'), time));
        QVERIFY(expected.isEmpty() || !rendered.renders(expected.chopped(1), time));
    }
}

QTEST_GUILESS_MAIN(TestTimeFormat)
#include "tst_timeformat.moc"
