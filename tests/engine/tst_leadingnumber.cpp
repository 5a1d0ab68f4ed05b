#include "engine/LeadingNumber.h"
#include "engine/SizeText.h"

#include <QTest>

class TestLeadingNumber : public QObject
{
    Q_OBJECT

private slots:
    void readsTheLeadingNumber_data();
    void readsTheLeadingNumber();
    void sizes_data();
    void sizes();
    void sizeTexts_data();
    void sizeTexts();
};

void TestLeadingNumber::readsTheLeadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("plain") << "5" << 5;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("no number") << "abc" << 0;
    QTest::newRow("leading blanks and tab") << " \t 12" << 12;
    QTest::newRow("trailing text") << "7 days" << 7;
    QTest::newRow("embedded blank ends it") << "1 2" << 1;
    QTest::newRow("plus sign") << "+9" << 9;
    QTest::newRow("minus one") << "-1" << -1;
    QTest::newRow("sign alone") << "-" << 0;
    QTest::newRow("sign then blank") << "- 3" << 0;
    QTest::newRow("half to even down") << "2.5" << 2;
    QTest::newRow("half to even up") << "3.5" << 4;
    QTest::newRow("negative half") << "-0.5" << 0;
    QTest::newRow("above half") << "2.51" << 3;
    QTest::newRow("fraction alone") << ".6" << 1;
    QTest::newRow("dot without digits") << "4." << 4;
    QTest::newRow("no exponent") << "1e5" << 1;
    QTest::newRow("comma is not a point") << "2,9" << 2;
    QTest::newRow("top of range") << "32767" << 32767;
    QTest::newRow("rounds past the top") << "32767.5" << 32767;
    QTest::newRow("above range") << "99999999999" << 32767;
    QTest::newRow("below range") << "-99999999999" << -32768;
    QTest::newRow("bottom of range") << "-32768" << -32768;
    QTest::newRow("hundreds of digits") << QString(500, QLatin1Char('9')) << 32767;
    QTest::newRow("leading zeros") << QString(400, QLatin1Char('0')) + "12" << 12;
    QTest::newRow("tiny fraction") << "0." + QString(400, QLatin1Char('0')) + "1" << 0;
    QTest::newRow("non-ASCII digits") << QString::fromUtf8("\u0665") << 0;
}

void TestLeadingNumber::readsTheLeadingNumber()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(int(LeadingNumber::toInt16(text)), expected);
}

void TestLeadingNumber::sizes_data()
{
    // -1 for no size test.
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<bool>("wellFormed");
    QTest::newRow("empty") << "" << qint64(-1) << true;
    QTest::newRow("beyond 16 bits") << "100000" << qint64(100000) << true;
    QTest::newRow("kilobytes") << "1K" << qint64(1024) << true;
    QTest::newRow("a fraction of one") << "1.5k" << qint64(1536) << true;
    QTest::newRow("blanks and a B") << " 2 MB" << qint64(2 * 1024 * 1024) << true;
    QTest::newRow("gigabytes") << "3G" << qint64(3) * 1024 * 1024 * 1024 << true;
    QTest::newRow("too large: the largest") << "99999999999G" << qint64(9000000000000000000) << true;
    QTest::newRow("zero") << "0" << qint64(-1) << true;
    QTest::newRow("negative") << "-5" << qint64(-1) << true;
    QTest::newRow("under a byte") << "0.5" << qint64(-1) << true;
    QTest::newRow("an exponent is not read") << "1e9" << qint64(1) << false;
    QTest::newRow("text") << "big" << qint64(-1) << false;
    QTest::newRow("another unit") << "5T" << qint64(5) << false;
}

void TestLeadingNumber::sizes()
{
    QFETCH(QString, text);
    QFETCH(qint64, bytes);
    QFETCH(bool, wellFormed);
    QCOMPARE(SizeText::bytes(text).value_or(-1), bytes);
    QCOMPARE(SizeText::isWellFormed(text), wellFormed);
}

void TestLeadingNumber::sizeTexts_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing") << qint64(0) << "0 bytes";
    QTest::newRow("one") << qint64(1) << "1 byte";
    QTest::newRow("under a K") << qint64(1023) << "1023 bytes";
    QTest::newRow("a K and a half") << qint64(1536) << "1.5 K";
    QTest::newRow("never more than there is") << qint64(2047) << "1.9 K";
    QTest::newRow("whole from ten") << qint64(12 * 1024 + 1000) << "12 K";
    QTest::newRow("megabytes") << qint64(5) * 1024 * 1024 << "5 M";
    QTest::newRow("gigabytes stay the largest") << qint64(2048) * 1024 * 1024 * 1024 << "2048 G";
}

void TestLeadingNumber::sizeTexts()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(SizeText::format(bytes), text);
}

QTEST_GUILESS_MAIN(TestLeadingNumber)
#include "tst_leadingnumber.moc"
