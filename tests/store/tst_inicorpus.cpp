#include "store/IniDocument.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QTest>

// What the store made of a large generated corpus before it was last rewritten, kept as a digest:
// every byte written and every value read after every step of a random run of edits and reads.
// A changed digest means a file now reads or writes differently from how it did; the row tells
// which slice of the corpus. Every file holds a line break, so that no added line takes the
// platform's own.
class TestIniCorpus : public QObject
{
    Q_OBJECT

private slots:
    void corpusReadsAndWritesAsBefore_data();
    void corpusReadsAndWritesAsBefore();
};

namespace {

const QStringList kSections = {"Settings",  "file 0",       "File 1", "FILE 1", "s",       "",       " padded ",
                               "K\u00E4se", "\u65E5\u672C", "a=b",    "x;y",    "[nested", "\u03A9", "tab\there"};
const QStringList kKeys = {"filename", "days",   "Description", "k",   "K",   "",       " k ",    "K\u00E4se",
                           "\u00D6L",  "\u65E5", "a b",         "x]y", "q\"", "\u212A", "\u01C5", "\u00DF"};
// Names the lines cannot hold as given, for writes only.
const QStringList kOddKeys = {"a=b", "[br", ";semi", "line\nbreak", "r\rx", "=", "[s]"};
const QStringList kOddSections = {"a]b", "line\nbreak", "]", "[x]"};
const QString kValueChars = QString::fromUtf8(" \t\"'=;[]abcXYZ019\\%\xC3\xA4\xC3\x9F\xE2\x82\xAC\xE6\x97\xA5\r\n");
const QList<QByteArray> kRawBytes = {
    "\x80", "\x81", "\x8D", "\x9F", "\xE4", "\xFF", "\xC3", "\xEF\xBB\xBF", QByteArray(1, '\0')};
const QList<QByteArray> kEndings = {"\n", "\r\n", "\r"};

class Corpus
{
public:
    explicit Corpus(quint32 slice) : m_random(slice) {}
    QByteArray file();
    void run(IniDocument& doc);
    QByteArray digest() const { return m_hash.result().toHex(); }

private:
    int below(int n) { return int(m_random.bounded(quint32(n))); }
    QString pick(const QStringList& pool) { return pool[below(int(pool.size()))]; }
    QString name(const QStringList& pool);
    // A name the file at hand holds, most of the time, else any of the pool.
    QString known(const QStringList& held, const QStringList& pool) { return name(below(4) ? held : pool); }
    // A name for a line of the file, often one it holds already, kept among those it holds.
    QString held(const QStringList& pool, QStringList& held)
    {
        held << pick(below(2) ? held : pool);
        return name(QStringList{held.back()});
    }
    QString value();
    QByteArray encoded(const QString& text);
    QByteArray line(int kind);
    void fold(const char* tag, const QByteArray& bytes);
    void fold(const char* tag, const std::optional<QString>& text);

    QRandomGenerator m_random;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    bool m_utf8 = true;
    QStringList m_sections = {"s"}; // names the file at hand holds
    QStringList m_keys = {"k"};
};

QString Corpus::name(const QStringList& pool)
{
    const QString name = pick(pool);
    switch (below(5)) {
    case 0:
        return name.toUpper();
    case 1:
        return name.toLower();
    case 2:
        return QStringLiteral(" ") + name + QStringLiteral("\t");
    default:
        return name;
    }
}

QString Corpus::value()
{
    switch (below(6)) {
    case 0:
        return QStringLiteral("\"") + value() + QStringLiteral("\"");
    case 1:
        return QStringLiteral("'") + value() + QStringLiteral("'");
    default:
        break;
    }
    QString text;
    for (int i = below(10); i > 0; --i)
        text += kValueChars[below(int(kValueChars.size()))];
    return text;
}

// Text as a file of the corpus holds it: UTF-8, or in the Latin-1 range as Windows-1252 does
// where it can; now and then with a raw byte of either, or none, put in.
QByteArray Corpus::encoded(const QString& text)
{
    const bool latin1 = !m_utf8 && std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; });
    QByteArray bytes = latin1 ? text.toLatin1() : text.toUtf8();
    if (below(8) == 0)
        bytes.insert(below(int(bytes.size()) + 1), kRawBytes[below(int(kRawBytes.size()))]);
    return bytes;
}

QByteArray Corpus::line(int kind)
{
    const QByteArray indent = below(4) == 0 ? " \t" : "";
    switch (kind) {
    case 0:
        return indent + encoded(held(kSections, m_sections).prepend(u'[').append(u']')) +
               (below(6) == 0 ? " ; note" : "");
    case 1:
        return indent + "[" + encoded(held(kSections, m_sections)) + (below(3) == 0 ? "" : "]");
    case 2:
        return indent + ";" + encoded(value());
    case 3:
        return below(2) ? QByteArray() : QByteArray(" \t ");
    case 4:
        return encoded(QStringLiteral("no equals ") + pick(kSections));
    default:
        return indent + encoded(held(kKeys, m_keys)) + (below(2) ? " = " : "=") + encoded(value());
    }
}

QByteArray Corpus::file()
{
    m_utf8 = below(3) != 0;
    m_sections = {"s"};
    m_keys = {"k"};
    const int endings = below(4); // one of kEndings for the whole file, or 3 for one per line
    const int lines = 1 + below(below(10) == 0 ? 90 : 25);
    QByteArray bytes = below(6) == 0 ? "\xEF\xBB\xBF" : "";
    for (int i = 0; i < lines; ++i) {
        // Long sections have keys alone.
        const int kind = lines > 40 ? (i == 0 ? 0 : below(30) ? 9 : below(10)) : below(10);
        bytes += line(kind);
        if (i + 1 < lines || lines == 1 || below(3))
            bytes += kEndings[endings < 3 ? endings : below(3)];
    }
    return bytes;
}

void Corpus::fold(const char* tag, const QByteArray& bytes)
{
    m_hash.addData(QByteArrayView(tag));
    m_hash.addData(QByteArray::number(bytes.size()));
    m_hash.addData(bytes);
}

void Corpus::fold(const char* tag, const std::optional<QString>& text)
{
    fold(tag, text ? "+" + text->toUtf8() : QByteArray("-"));
}

// A random run of edits and reads on one document.
void Corpus::run(IniDocument& doc)
{
    for (int step = below(16); step > 0; --step) {
        switch (below(8)) {
        case 0:
        case 1:
        case 2: {
            const QString section = below(8) ? known(m_sections, kSections) : pick(kOddSections);
            const QString key = below(6) ? known(m_keys, kKeys) : pick(kOddKeys);
            doc.setValue(section, key, value());
            break;
        }
        case 3:
            fold("v", doc.value(known(m_sections, kSections), known(m_keys, kKeys)));
            break;
        case 4: {
            const int number = doc.sectionNumber(known(m_sections, kSections));
            fold("n", QByteArray::number(number));
            fold("w", doc.value(number, known(m_keys, kKeys)));
            break;
        }
        case 5:
            doc.forEachKey(below(doc.sectionCount() + 2) - 1, [this](QStringView key, QStringView value) {
                fold("k", key.toUtf8());
                fold("=", value.toUtf8());
            });
            break;
        case 6:
            fold("e", QByteArray::number(int(doc.encoding())));
            break;
        default:
            fold("c", QByteArray::number(doc.sectionCount()));
            break;
        }
        fold("f", doc.serialize());
    }
}

} // namespace

void TestIniCorpus::corpusReadsAndWritesAsBefore_data()
{
    QTest::addColumn<quint32>("slice");
    QTest::addColumn<QByteArray>("digest");
    const QList<QByteArray> digests = {"6e186387d775a6d558b421674869c5c07de64785643c179012c7873dcfaebbf0",
                                       "8b4cbc361d873c83b016f3dca08776cd3e5a30fea9d9f4ac785503eb0186e83f",
                                       "67299c382bd36b25f53e49c393583d2e0ac3ac801f8d62c033300f8b9a393961",
                                       "a459a041cd913e5561f312b8559684458ca7cec1ab9ed2df00d70531075fe64e",
                                       "695bb24fb240a282a2328a9fdd627aabbe2a2fac727179752986b3bb4d49f38b",
                                       "2d40c9980bdd60164d0a2d1c92e3114163290c446d7dc0fd8ba6e13f187ab2d3",
                                       "440ae51a0265556780968848290085be2b53f2a8d3ada1ece84b93f48738386b",
                                       "7c6fe46ceb5d7951a99cd3178962833f072cef73e9d50c6f78952edf60ecc388"};
    for (int slice = 0; slice < int(digests.size()); ++slice)
        QTest::addRow("files %d-%d", slice * 500, slice * 500 + 499) << quint32(slice) << digests[slice];
}

void TestIniCorpus::corpusReadsAndWritesAsBefore()
{
    QFETCH(quint32, slice);
    QFETCH(QByteArray, digest);
    Corpus corpus(slice);
    for (int i = 0; i < 500; ++i) {
        const QByteArray bytes = corpus.file();
        IniDocument doc = IniDocument::parse(bytes);
        QCOMPARE(doc.serialize(), bytes);
        corpus.run(doc);
    }
    qInfo("%s", corpus.digest().constData());
    QCOMPARE(corpus.digest(), digest);
}

QTEST_GUILESS_MAIN(TestIniCorpus)
#include "tst_inicorpus.moc"
