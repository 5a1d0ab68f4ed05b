#include "engine/LeadingNumber.h"
#include "engine/SizeText.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

// The leading-number rule and the smallest-size texts, each checked against the rule as the watch
// list's readers state it, worked out here in whole decimal digits, over generated texts.
class TestLeadingNumber : public QObject
{
    Q_OBJECT

private slots:
    void readsTheLeadingNumber_data();
    void readsTheLeadingNumber();
    void sizes_data();
    void sizes();
    void sizeTexts();
};

namespace {

// The leading number of a text as the rule words it: blanks (spaces, tabs) skipped, a sign, then
// digits with an optional fraction, or a fraction alone.
struct Leading
{
    bool found = false;
    bool negative = false;
    QString whole;    // without leading zeros
    QString fraction; // without trailing zeros
    qsizetype end = -1;
};

Leading leadingOf(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[ \\t]*([+-]?)([0-9]+(?:\\.([0-9]+))?|\\.([0-9]+))"));
    const QRegularExpressionMatch m = number.match(text);
    Leading n;
    if (!m.hasMatch())
        return n;
    n.found = true;
    n.negative = m.captured(1) == QLatin1String("-");
    const QString digits = m.captured(2);
    n.whole = digits.startsWith(QLatin1Char('.')) ? QString() : digits.section(QLatin1Char('.'), 0, 0);
    n.fraction = m.captured(3) + m.captured(4);
    while (n.whole.startsWith(QLatin1Char('0')))
        n.whole.remove(0, 1);
    while (n.fraction.endsWith(QLatin1Char('0')))
        n.fraction.chop(1);
    n.end = m.capturedEnd(0);
    return n;
}

// To the nearest whole number, halves to the even one, then held to 16 bits.
int referenceInt16(const QString& text)
{
    const Leading n = leadingOf(text);
    if (n.whole.size() > 5)
        return n.negative ? -32768 : 32767;
    qint64 value = n.whole.toLongLong();
    const QString half = QStringLiteral("5");
    if (n.fraction > half || (n.fraction == half && value % 2 == 1))
        ++value;
    return int(qBound(qint64(-32768), n.negative ? -value : value, qint64(32767)));
}

// Bytes: the number times a power of 1024 for K, M or G after it, rounded down; nothing below one.
qint64 referenceBytes(const QString& text)
{
    const Leading n = leadingOf(text);
    if (!n.found || n.negative)
        return -1;
    constexpr qint64 kLargest = 9000000000000000000;
    if (n.whole.size() > 18)
        return kLargest;
    qsizetype at = n.end;
    while (at < text.size() && (text[at] == QLatin1Char(' ') || text[at] == QLatin1Char('\t')))
        ++at;
    const int power = at < text.size() ? int(QStringLiteral("kmg").indexOf(text[at].toLower()) + 1) : 0;
    const __int128 unit = __int128(1) << (10 * power);
    __int128 scale = 1;
    for (qsizetype i = 0; i < n.fraction.size(); ++i)
        scale *= 10;
    const __int128 bytes = __int128(n.whole.toLongLong()) * unit + __int128(n.fraction.toLongLong()) * unit / scale;
    return bytes < 1 ? -1 : qint64(qMin<__int128>(bytes, kLargest));
}

QString digits(QRandomGenerator& random, int most)
{
    QString out;
    for (int n = int(random.bounded(most + 1)); n > 0; --n)
        out += QChar(u'0' + random.bounded(10));
    return out;
}

QString pick(QRandomGenerator& random, const QStringList& pool)
{
    return pool[random.bounded(int(pool.size()))];
}

// Texts built from the pieces the rule tells apart, a digit count held where a double still
// rounds as the digits do.
QString generated(QRandomGenerator& random, int wholeDigits, int fractionDigits, const QStringList& tails)
{
    static const QStringList blanks{"", " ", "\t", " \t ", "\n", "\u00A0", "x"};
    static const QStringList signs{"", "", "+", "-", "+-", "--"};
    static const QStringList edges{"32767", "32768", "32766", "65535", "99999", "0", "1", "2", "00012"};
    QString text = pick(random, blanks) + pick(random, signs);
    text += random.bounded(4) ? digits(random, wholeDigits) : pick(random, edges);
    if (random.bounded(2))
        text += random.bounded(3) ? QLatin1Char('.') + digits(random, fractionDigits) : QStringLiteral(".5");
    return text + pick(random, tails);
}

} // namespace

void TestLeadingNumber::readsTheLeadingNumber_data()
{
    QTest::addColumn<QStringList>("texts");
    // Texts whose digits a generator seldom hits.
    QTest::newRow("halves") << QStringList{"2.5", "3.5",     "-0.5",    "-2.5",     "1.5",
                                           "0.5", "32766.5", "32767.5", "-32768.5", "-32767.5"};
    QTest::newRow("far out of range") << QStringList{"99999999999", "-99999999999", QString(500, '9')};
    QTest::newRow("many zeros") << QStringList{QString(400, '0') + "12", "0." + QString(400, '0') + "1"};
    QTest::newRow("no number") << QStringList{"", "abc", "-", ".", "-.", "+", "\u0665", "1e5", "2,9", "4.", ".6"};
    QRandomGenerator random(11);
    const QStringList tails{"", "", "x", " 7", "e5", ",9", ".3", ".", "\u0665", "days"};
    for (int slice = 0; slice < 4; ++slice) {
        QStringList texts;
        for (int n = 0; n < 1000; ++n)
            texts << generated(random, 7, 8, tails);
        QTest::addRow("generated %d", slice) << texts;
    }
}

void TestLeadingNumber::readsTheLeadingNumber()
{
    QFETCH(QStringList, texts);
    for (const QString& t : texts) {
        QVERIFY2(int(LeadingNumber::toInt16(t)) == referenceInt16(t), qPrintable(t));
        QVERIFY2(LeadingNumber::end(t) == leadingOf(t).end, qPrintable(t));
    }
}

void TestLeadingNumber::sizes_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("edges") << QStringList{"",
                                          " ",
                                          "0",
                                          "-5",
                                          "0.5",
                                          "1e9",
                                          "big",
                                          "5T",
                                          "99999999999G",
                                          " 2 MB",
                                          "1.5k",
                                          "100000",
                                          "3G",
                                          "8796093022208G",
                                          ".001K",
                                          "\n",
                                          "5 K B",
                                          "9000000000000000000",
                                          "99999999999999999999",
                                          "8589934591.9G"};
    QRandomGenerator random(12);
    const QStringList tails{"", "K", "k", " M", "m", "G", " g ", "\tK\t", "B", "KB", " kb", "K B", "T", "x", " 5", "."};
    QStringList texts;
    for (int n = 0; n < 4000; ++n)
        texts << generated(random, 6, 3, tails);
    QTest::newRow("generated") << texts;
}

void TestLeadingNumber::sizes()
{
    QFETCH(QStringList, texts);
    // Well formed: nothing but blanks, or a number, blanks, an optional unit, an optional B, blanks.
    static const QRegularExpression wellFormed(
        QStringLiteral("^\\s*$|^[ \\t]*[+-]?([0-9]+(\\.[0-9]+)?|\\.[0-9]+)\\s*[KMGkmg]?[Bb]?\\s*$"));
    for (const QString& text : texts) {
        QVERIFY2(SizeText::bytes(text).value_or(-1) == referenceBytes(text), qPrintable(text));
        QVERIFY2(SizeText::isWellFormed(text) == wellFormed.match(text).hasMatch(), qPrintable(text));
    }
}

void TestLeadingNumber::sizeTexts()
{
    // Whole bytes below 1024; else the largest of K, M and G that leaves at least one, with one
    // decimal (none when it is 0) below ten, every figure rounded down.
    const auto reference = [](qint64 bytes) {
        if (bytes < 1024)
            return QString::number(bytes) + (bytes == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
        const int power = bytes >= (qint64(1) << 30) ? 3 : (bytes >= (qint64(1) << 20) ? 2 : 1);
        const qint64 tenths = qint64(__int128(bytes) * 10 / (__int128(1) << (10 * power)));
        const QString unit = QStringLiteral(" KMG").mid(power, 1);
        if (tenths >= 100 || tenths % 10 == 0)
            return QString::number(tenths / 10) + QLatin1Char(' ') + unit;
        return QString::number(tenths / 10) + QLatin1Char('.') + QString::number(tenths % 10) + QLatin1Char(' ') + unit;
    };
    QList<qint64> sizes;
    for (int power = 0; power <= 3; ++power) {
        for (const qint64 near : {qint64(1), qint64(2), qint64(10), qint64(1024)}) {
            const qint64 edge = (qint64(1) << (10 * power)) * near;
            sizes << edge - 1 << edge << edge + 1;
        }
    }
    sizes << 0 << std::numeric_limits<qint64>::max();
    QRandomGenerator random(13);
    for (int n = 0; n < 4000; ++n)
        sizes << qint64(random.generate64() >> random.bounded(1, 64));
    for (const qint64 bytes : sizes)
        QCOMPARE(SizeText::format(bytes), reference(bytes));
}

QTEST_GUILESS_MAIN(TestLeadingNumber)
#include "tst_leadingnumber.moc"
