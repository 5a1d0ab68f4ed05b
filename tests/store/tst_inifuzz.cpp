#include "TestHelpers.h"
#include "base/AppError.h"
#include "store/IniDocument.h"
#include "store/IniFile.h"

#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// Feeds random and mutated watch list files to the INI store. Beyond not crashing (and ASan staying
// quiet), every file must come back byte for byte when nothing is changed, a write must read back
// and leave every other value alone, and the store's view after a write must be what a fresh
// parse of the written bytes sees.
class TestIniFuzz : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void documentsSurviveMutatedFiles();
    void fileStoreSurvivesMutatedFiles();

private:
    QByteArray nextFile();
    QByteArray mutate(QByteArray bytes);
    QString pick(const QStringList& pool);
    QString randomValue();
    QStringList namesIn(const QByteArray& bytes, bool sections);

    QRandomGenerator m_random;
    quint32 m_start = 0;
};

namespace {

const QByteArray kWatchList = "[Settings]\r\nStart in Tray=true\r\nClose on Start=false\r\n\r\n"
                              "[file 0]\r\nFileName=C:\\Data\\report.doc\r\nDescription=Monthly report\r\n"
                              "days=7\r\nnon-fixed file type=-1\r\nlast date changed=1/8/2024 10:00:00 AM\r\n"
                              "[file 1]\r\nFileName=C:\\Backup\\\r\nDescription=\"Backup \"\r\ndays=99999999999\r\n"
                              "non-fixed file type=abc\r\nNotactive=true\r\nPostponedate=1/9/2024\r\n"
                              "; a comment=1\r\n[file 32767]\r\nFileName=x\r\n";

const QList<QByteArray> kTokens = {"[",
                                   "]",
                                   "=",
                                   ";",
                                   "\r",
                                   "\n",
                                   "\r\n",
                                   "\"",
                                   "'",
                                   " ",
                                   "\t",
                                   "\xEF\xBB\xBF",
                                   "\x80",
                                   "\xC3",
                                   "\xE2\x82",
                                   "\x81",
                                   QByteArray(1, '\0'),
                                   "[file 1]",
                                   "[FILE 0]",
                                   "days=",
                                   "FileName=",
                                   "=\"\"",
                                   "\xFF\xFE"};

bool plainName(const QString& name)
{
    return !name.contains(QLatin1Char('=')) && !name.contains(QLatin1Char(']')) && !name.startsWith(QLatin1Char('[')) &&
           !name.startsWith(QLatin1Char(';')) && !name.contains(QLatin1Char('\r')) && !name.contains(QLatin1Char('\n'));
}

} // namespace

void TestIniFuzz::initTestCase()
{
    const QByteArray fixed = qgetenv("STALEGUARD_FUZZ_START");
    m_start = fixed.isEmpty() ? QRandomGenerator::global()->generate() : fixed.toUInt();
    m_random = QRandomGenerator(m_start);
    qInfo("Random start %u (set STALEGUARD_FUZZ_START to repeat)", m_start);
}

QByteArray TestIniFuzz::nextFile()
{
    switch (m_random.bounded(6)) {
    case 0: { // random bytes
        QByteArray bytes(m_random.bounded(400), '\0');
        for (char& c : bytes)
            c = char(m_random.bounded(256));
        return bytes;
    }
    case 1: // a huge line among the entries
        return kWatchList + "Description=" + QByteArray(100 * 1024, 'x') + "\r\n" + kWatchList;
    default:
        return mutate(kWatchList);
    }
}

QByteArray TestIniFuzz::mutate(QByteArray bytes)
{
    const int steps = 1 + m_random.bounded(8);
    for (int i = 0; i < steps; ++i) {
        const int at = bytes.isEmpty() ? 0 : m_random.bounded(bytes.size());
        switch (m_random.bounded(5)) {
        case 0:
            if (!bytes.isEmpty())
                bytes[at] = char(m_random.bounded(256));
            break;
        case 1:
            bytes.insert(at, kTokens[m_random.bounded(kTokens.size())]);
            break;
        case 2:
            bytes.remove(at, m_random.bounded(20));
            break;
        case 3:
            bytes.insert(at, bytes.mid(m_random.bounded(qMax<qsizetype>(1, bytes.size())), m_random.bounded(80)));
            break;
        default:
            bytes.truncate(at);
            break;
        }
    }
    return bytes;
}

QString TestIniFuzz::pick(const QStringList& pool)
{
    return pool.isEmpty() ? QString() : pool[m_random.bounded(pool.size())];
}

QString TestIniFuzz::randomValue()
{
    static const QString chars = QString::fromUtf8(" \t\"'=;[]abcXYZ019\\%\xC3\xA4\xE2\x82\xAC\xE6\x97\xA5\r\n");
    QString value;
    const int length = m_random.bounded(12);
    for (int i = 0; i < length; ++i)
        value += chars[m_random.bounded(chars.size())];
    return value;
}

// Candidate names: whatever sits before "=" or between brackets in the bytes, plus some of our own.
QStringList TestIniFuzz::namesIn(const QByteArray& bytes, bool sections)
{
    QStringList names = sections ? QStringList{"Settings", "file 0", "FILE 1", "new section"}
                                 : QStringList{"FileName", "days", "description", "new key"};
    const QStringList lines = QString::fromLatin1(bytes).split(QRegularExpression(QStringLiteral("[\r\n]")));
    for (const QString& line : lines) {
        const QString trimmed = line.trimmed();
        if (sections && trimmed.startsWith(QLatin1Char('[')))
            names << trimmed.mid(1, trimmed.indexOf(QLatin1Char(']')) - 1).trimmed();
        else if (!sections && line.contains(QLatin1Char('=')))
            names << line.left(line.indexOf(QLatin1Char('='))).trimmed();
        if (names.size() > 24)
            break;
    }
    return names;
}

void TestIniFuzz::documentsSurviveMutatedFiles()
{
    const QDeadlineTimer deadline(3000);
    int rounds = 0;
    for (; rounds < 3000 && !deadline.hasExpired(); ++rounds) {
        const QByteArray bytes = nextFile();
        const QString where = QStringLiteral("start %1, round %2").arg(m_start).arg(rounds);
        IniDocument doc = IniDocument::parse(bytes);
        QVERIFY2(doc.serialize() == bytes, qPrintable(where + QStringLiteral(": an unchanged file changed")));

        const QStringList sections = namesIn(bytes, true);
        const QStringList keys = namesIn(bytes, false);
        QString section = pick(sections);
        QString key = pick(keys);
        if (!plainName(section) || !plainName(key))
            continue;
        QHash<QString, std::optional<QString>> before;
        for (const QString& s : sections)
            for (const QString& k : keys)
                before.insert(s.toLower() + QLatin1Char('\n') + k.toLower(), doc.value(s, k));

        const QString value = randomValue();
        doc.setValue(section, key, value);
        QString expected = value;
        expected.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        QVERIFY2(doc.value(section, key) == expected, qPrintable(where));

        const IniDocument reread = IniDocument::parse(doc.serialize());
        for (const QString& s : sections) {
            for (const QString& k : keys) {
                const QString name = s.toLower() + QLatin1Char('\n') + k.toLower();
                const bool written = s.trimmed().compare(section.trimmed(), Qt::CaseInsensitive) == 0 &&
                                     k.trimmed().compare(key.trimmed(), Qt::CaseInsensitive) == 0;
                const auto now = doc.value(s, k);
                if (!written && now != before.value(name))
                    QFAIL(qPrintable(where + ": another value changed"));
                if (reread.value(s, k) != now)
                    QFAIL(qPrintable(where + ": a fresh parse disagrees"));
            }
        }
    }
    qInfo("%d files", rounds);
}

void TestIniFuzz::fileStoreSurvivesMutatedFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("Staleguard.ini");
    auto& ini = IniFile::instance();
    const QDeadlineTimer deadline(3000);
    int rounds = 0;
    for (; rounds < 300 && !deadline.hasExpired(); ++rounds) {
        const QByteArray bytes = nextFile();
        const QString where = QStringLiteral("start %1, round %2").arg(m_start).arg(rounds);
        TestHelpers::writeAll(path, bytes);
        const IniDocument doc = IniDocument::parse(bytes);
        const QStringList sections = namesIn(bytes, true);
        const QStringList keys = namesIn(bytes, false);
        for (int i = 0; i < 20; ++i) {
            const QString s = pick(sections);
            const QString k = pick(keys);
            const QString stored = doc.value(s, k).value_or(QString());
            QVERIFY2(ini.ReadString(s, k, path, "<d>") == (stored.isEmpty() ? "<d>" : stored), qPrintable(where));
        }
        const QString section = pick(sections);
        const QString key = pick(keys);
        if (!plainName(section) || !plainName(key) || key.trimmed().isEmpty())
            continue;
        const QString value = QStringLiteral("v") + randomValue().remove(QLatin1Char('\r')).remove('\n');
        try {
            ini.WriteString(section, key, value, path);
        } catch (const AppError& e) {
            QFAIL(qPrintable(where + QStringLiteral(": ") + e.description()));
        }
        QVERIFY2(ini.ReadString(section, key, path, "<d>") == value, qPrintable(where));
        ini.clearCache();
        QVERIFY2(ini.ReadString(section, key, path, "<d>") == value, qPrintable(where));
    }
    qInfo("%d files", rounds);
}

QTEST_GUILESS_MAIN(TestIniFuzz)
#include "tst_inifuzz.moc"
