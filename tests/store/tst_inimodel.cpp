#include "store/IniDocument.h"

#include <QRandomGenerator>
#include <QTest>

// The store against a plain model of its lines, written from its rules: after every edit of a
// random run, every byte written and every value read agree. Files mix UTF-8 and Windows-1252
// lines, repeat sections and keys, end without a line break, quote values and leave them empty.
class TestIniModel : public QObject
{
    Q_OBJECT

private slots:
    void editsAgreeWithTheModel_data();
    void editsAgreeWithTheModel();
};

namespace {

// Of the bytes 0x80 to 0x9F only the euro sign is generated; the rest of the high half is Latin-1.
std::optional<QByteArray> toCp1252(const QString& text)
{
    QByteArray out;
    for (const QChar c : text) {
        if (c.unicode() == 0x20AC)
            out += char(0x80);
        else if (c.unicode() < 0x80 || (c.unicode() >= 0xA0 && c.unicode() <= 0xFF))
            out += char(c.unicode());
        else
            return std::nullopt;
    }
    return out;
}

bool isAscii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

QString blanksOff(QString text)
{
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove(0, 1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
        text.chop(1);
    return text;
}

bool quotedPair(const QString& v)
{
    return v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
}

// The file as lines: a changed or added line is written from its text, any other as it was read.
class Model
{
public:
    explicit Model(const QByteArray& file)
    {
        QByteArray rest = file;
        if (rest.startsWith("\xEF\xBB\xBF")) {
            m_bom = true;
            rest.remove(0, 3);
        }
        bool utf8 = false;
        bool cp1252 = false;
        while (!rest.isEmpty()) {
            Line line;
            qsizetype end = 0;
            while (end < rest.size() && rest[end] != '\n' && rest[end] != '\r')
                ++end;
            line.bytes = rest.left(end);
            line.ending = rest.mid(end, rest.mid(end).startsWith("\r\n") ? 2 : 1);
            rest.remove(0, end + line.ending.size());
            if (QUtf8StringView(line.bytes).isValidUtf8()) {
                line.text = QString::fromUtf8(line.bytes);
                utf8 = utf8 || !isAscii(line.text);
            } else {
                for (const char b : line.bytes)
                    line.text += uchar(b) == 0x80 ? QChar(0x20AC) : QChar(uchar(b));
                line.cp1252 = cp1252 = true;
            }
            if (m_lines.isEmpty())
                m_firstEnding = line.ending;
            m_lines.append(line);
        }
        m_fileCp1252 = cp1252 && !utf8;
        if (m_firstEnding.isEmpty())
            m_firstEnding = "\n";
    }

    QByteArray bytes() const
    {
        QByteArray out = m_bom ? "\xEF\xBB\xBF" : "";
        for (const Line& line : m_lines) {
            const auto cp = line.cp1252 ? toCp1252(line.text) : std::nullopt;
            out += (line.edited ? (cp ? *cp : line.text.toUtf8()) : line.bytes) + line.ending;
        }
        return out;
    }

    std::optional<QString> value(const QString& section, const QString& key) const
    {
        const int at = keyLine(sectionLine(section), key);
        if (at < 0)
            return std::nullopt;
        const QString v = blanksOff(m_lines[at].text.mid(m_lines[at].text.indexOf('=') + 1));
        return quotedPair(v) ? v.mid(1, v.size() - 2) : v;
    }

    void set(const QString& section, const QString& key, QString value)
    {
        value.replace('\r', ' ').replace('\n', ' ');
        const bool blankEnds = !value.isEmpty() && blanksOff(value).size() != value.size();
        const QString stored = blankEnds || quotedPair(value) ? '"' + value + '"' : value;
        const int header = sectionLine(section);
        if (header < 0) {
            add(int(m_lines.size()), '[' + section + ']');
            add(int(m_lines.size()), key + '=' + stored);
        } else if (const int at = keyLine(header, key); at >= 0) {
            Line& line = m_lines[at];
            const bool preferCp1252 = line.cp1252 || (isAscii(line.text) && m_fileCp1252);
            line.text = blanksOff(line.text.left(line.text.indexOf('='))) + '=' + stored;
            line.edited = true;
            line.cp1252 = writtenInCp1252(line.text, preferCp1252);
        } else {
            int last = header;
            for (int i = header + 1; i < m_lines.size() && !isSection(i); ++i)
                last = isKey(i) ? i : last;
            add(last + 1, key + '=' + stored);
        }
    }

private:
    struct Line
    {
        QByteArray bytes;
        QByteArray ending;
        QString text;
        bool cp1252 = false;
        bool edited = false;
    };

    bool isSection(int i) const { return blanksOff(m_lines[i].text).startsWith('['); }
    bool isKey(int i) const
    {
        return !isSection(i) && !blanksOff(m_lines[i].text).startsWith(';') && m_lines[i].text.contains('=');
    }
    int sectionLine(const QString& section) const
    {
        for (int i = 0; i < m_lines.size(); ++i) {
            const QString inner = blanksOff(m_lines[i].text).mid(1);
            if (isSection(i) && blanksOff(inner.left(inner.indexOf(']'))).toLower() == section.toLower())
                return i;
        }
        return -1;
    }
    int keyLine(int header, const QString& key) const
    {
        for (int i = header + 1; header >= 0 && i < m_lines.size() && !isSection(i); ++i) {
            if (isKey(i) && blanksOff(m_lines[i].text.left(m_lines[i].text.indexOf('='))).toLower() == key.toLower())
                return i;
        }
        return -1;
    }
    // Windows-1252 only where it was asked for and reads back as itself.
    static bool writtenInCp1252(const QString& text, bool prefer)
    {
        const auto cp = toCp1252(text);
        return prefer && !isAscii(text) && cp && !QUtf8StringView(*cp).isValidUtf8();
    }
    void add(int at, const QString& text)
    {
        if (at > 0 && m_lines[at - 1].ending.isEmpty())
            m_lines[at - 1].ending = m_firstEnding;
        Line line;
        line.text = text;
        line.ending = m_firstEnding;
        line.edited = true;
        line.cp1252 = writtenInCp1252(text, m_fileCp1252);
        m_lines.insert(at, line);
    }

    QList<Line> m_lines;
    QByteArray m_firstEnding;
    bool m_bom = false;
    bool m_fileCp1252 = false;
};

const QStringList kSections{"s", "S", " s ", "file 0", "File 0", "K\u00E4se", "K\u00C4SE", "\u65E5\u672C", "t"};
const QStringList kKeys{"k", "K", " k ", "days", "K\u00E4se", "K\u00C4SE", "\u00DF", "\u65E5", "a b"};
const QStringList kValueBits{"",  "x", " ",      "\t",     "\"",     "'",      "=",
                             ";", "[", "\u00E9", "\u00C2", "\u20AC", "\u65E5", "\r\n"};

class Generator
{
public:
    explicit Generator(quint32 slice) : m_random(slice) {}
    int below(int n) { return int(m_random.bounded(n)); }
    QString pick(const QStringList& pool) { return pool[below(int(pool.size()))]; }
    QString value()
    {
        QString out;
        for (int n = below(5); n > 0; --n)
            out += pick(kValueBits);
        return out;
    }
    // A line of the file, in UTF-8 or (when `latin` and it can be) Windows-1252 bytes.
    QByteArray line(bool latin)
    {
        const QStringList blanks{"", "", " ", "\t"};
        QString text;
        switch (below(6)) {
        case 0:
            text = pick(blanks) + '[' + pick(blanks) + pick(kSections) + pick(blanks) + ']' + pick(blanks);
            break;
        case 1:
            text = ';' + value();
            break;
        case 2:
            text = value().remove('=').remove('\r').remove('\n');
            break;
        default:
            text = pick(kKeys) + pick(blanks) + '=' + value().remove('\r').remove('\n');
        }
        const auto cp = toCp1252(text);
        return latin && cp ? *cp : text.toUtf8();
    }
    QByteArray file()
    {
        const QList<QByteArray> endings{"\n", "\r\n", "\r"};
        const bool latin = below(2);
        QByteArray out = below(5) ? "" : "\xEF\xBB\xBF";
        for (int n = below(12); n > 0; --n)
            out += line(latin && below(4)) + endings[below(3) ? 0 : below(3)];
        if (below(3) == 0)
            out += line(latin);
        return out;
    }

private:
    QRandomGenerator m_random;
};

} // namespace

void TestIniModel::editsAgreeWithTheModel_data()
{
    QTest::addColumn<quint32>("slice");
    for (quint32 slice = 0; slice < 4; ++slice)
        QTest::addRow("slice %u", slice) << slice;
}

void TestIniModel::editsAgreeWithTheModel()
{
    QFETCH(quint32, slice);
    Generator make(slice);
    for (int run = 0; run < 500; ++run) {
        const QByteArray file = make.file();
        IniDocument doc = IniDocument::parse(file);
        Model model(file);
        QCOMPARE(doc.serialize(), model.bytes());
        for (int step = make.below(8); step >= 0; --step) {
            const QString section = make.pick(kSections);
            const QString key = make.pick(kKeys);
            const QString value = make.value();
            doc.setValue(section, key, value);
            model.set(blanksOff(section), blanksOff(key), value);
            QVERIFY2(doc.serialize() == model.bytes(), file.toPercentEncoding().constData());
            for (int read = 0; read < 3; ++read) {
                const QString s = make.pick(kSections);
                const QString k = make.pick(kKeys);
                QCOMPARE(doc.value(s, k), model.value(blanksOff(s), blanksOff(k)));
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestIniModel)
#include "tst_inimodel.moc"
