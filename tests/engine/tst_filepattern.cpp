#include "engine/FilePattern.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

// File patterns against a plain backtracking matcher written from the rule: ";" separates
// patterns, blanks around each go, "*" is any run of characters (none included), "?" is one
// character, every other character stands for itself regardless of letter case.
class TestFilePattern : public QObject
{
    Q_OBJECT

private slots:
    void matchesAsTheRuleSays_data();
    void matchesAsTheRuleSays();
};

namespace {

char32_t folded(char32_t c)
{
    return QChar::toCaseFolded(c);
}

bool referenceMatch(const std::u32string& p, size_t i, const std::u32string& n, size_t j)
{
    if (i == p.size())
        return j == n.size();
    if (p[i] == U'*')
        return referenceMatch(p, i + 1, n, j) || (j < n.size() && referenceMatch(p, i, n, j + 1));
    return j < n.size() && (p[i] == U'?' || folded(p[i]) == folded(n[j])) && referenceMatch(p, i + 1, n, j + 1);
}

bool referenceMatches(const QString& patterns, const QString& name)
{
    bool any = false;
    for (const QString& piece : patterns.split(QLatin1Char(';'))) {
        const QString pattern = piece.trimmed();
        if (pattern.isEmpty())
            continue;
        any = true;
        if (referenceMatch(pattern.toStdU32String(), 0, name.toStdU32String(), 0))
            return true;
    }
    return !any;
}

QString generated(QRandomGenerator& random, const QStringList& pool, int most)
{
    QString out;
    for (int n = int(random.bounded(most + 1)); n > 0; --n)
        out += pool[random.bounded(int(pool.size()))];
    return out;
}

} // namespace

void TestFilePattern::matchesAsTheRuleSays_data()
{
    QTest::addColumn<QStringList>("letters"); // of the names; patterns add "*", "?", ";" and blanks
    // Letters of other cases, ones that fold beyond ASCII, and ones outside the 16-bit range.
    QTest::newRow("ASCII") << QStringList{"a", "A", "b", ".", "[", "]", "1"};
    QTest::newRow("beyond ASCII") << QStringList{"a",      "\u00E9", "\u00C9", "\u00DF", "\u03A3", "\u03C3",
                                                 "\u03C2", "\u0130", "i",      "\u212A", "k"};
    QTest::newRow("beyond 16 bits") << QStringList{"a", ".", "\U0001F600", "\U00010400", "\U00010428"};
}

void TestFilePattern::matchesAsTheRuleSays()
{
    QFETCH(QStringList, letters);
    const QStringList patternLetters = letters + QStringList{"*", "*", "?", "?", ";", " "};
    QRandomGenerator random(21);
    for (int n = 0; n < 3000; ++n) {
        const QString pattern = generated(random, patternLetters, 7);
        const FilePattern compiled(pattern);
        for (int m = 0; m < 4; ++m) {
            const QString name = generated(random, letters, 6);
            const bool expected = referenceMatches(pattern, name);
            const QString what = pattern + QStringLiteral(" | ") + name;
            QVERIFY2(compiled.matches(QStringView(name)) == expected, qPrintable(what));
            // As the file system lists it, in its own encoding.
            QVERIFY2(compiled.matches(QFile::encodeName(name).constData()) == expected, qPrintable(what));
        }
    }
}

QTEST_GUILESS_MAIN(TestFilePattern)
#include "tst_filepattern.moc"
