#include "engine/FilePattern.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

// Wildcard matching by segments: the text between stars must come in order, the first at the
// start and the last at the end, and the leftmost place that fits each is as good as any. No
// backtracking, so a name costs at most its length times the pattern's.
template <typename P, typename N, typename Eq> bool globMatch(const P& p, const N& n, Eq eq)
{
    const qsizetype plen = qsizetype(p.size());
    const qsizetype nlen = qsizetype(n.size());
    auto fitsAt = [&](qsizetype from, qsizetype to, qsizetype at) {
        for (qsizetype i = from; i < to; ++i) {
            if (p[i] != '?' && !eq(p[i], n[at + i - from]))
                return false;
        }
        return true;
    };
    qsizetype star = 0;
    while (star < plen && p[star] != '*')
        ++star;
    if (star == plen)
        return plen == nlen && fitsAt(0, plen, 0);
    // The part before the first star is a prefix, the part after the last a suffix.
    qsizetype lastStar = plen - 1;
    while (p[lastStar] != '*')
        --lastStar;
    const qsizetype suffix = plen - lastStar - 1;
    if (star + suffix > nlen || !fitsAt(0, star, 0) || !fitsAt(lastStar + 1, plen, nlen - suffix))
        return false;
    qsizetype pos = star;
    const qsizetype end = nlen - suffix;
    qsizetype from = star + 1;
    while (from < lastStar) {
        qsizetype to = from;
        while (p[to] != '*')
            ++to;
        const qsizetype len = to - from;
        qsizetype at = pos;
        while (at + len <= end && !fitsAt(from, to, at))
            ++at;
        if (at + len > end)
            return false;
        pos = at + len;
        from = to + 1;
    }
    return true;
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

} // namespace

FilePattern::FilePattern(QStringView text)
{
    for (QStringView piece : text.split(QLatin1Char(';'))) {
        piece = piece.trimmed();
        if (piece.isEmpty())
            continue;
        // Letter by letter, not by UTF-16 unit: a letter beyond 16 bits folds as a whole.
        QString folded;
        folded.reserve(piece.size());
        for (const char32_t c : piece.toUcs4()) {
            if (c == U'*' && folded.endsWith(QLatin1Char('*')))
                continue;
            const char32_t f = QChar::toCaseFolded(c);
            folded += QString::fromUcs4(&f, 1);
        }
        m_patterns.append(folded);
    }
    for (const QString& pattern : m_patterns) {
        // Asked of the text itself: a letter beyond Latin-1 turns into "?" on the way to Latin-1.
        m_allAscii =
            m_allAscii && std::all_of(pattern.begin(), pattern.end(), [](QChar c) { return c.unicode() < 0x80; });
        const QByteArray latin = pattern.toLatin1();
        m_ascii.emplace_back(latin.constData(), size_t(latin.size()));
    }
    if (!m_allAscii)
        m_ascii.clear();
}

bool FilePattern::matches(const char* name) const
{
    if (takesEverything())
        return true;
    const size_t len = std::strlen(name);
    const bool asciiName = std::all_of(name, name + len, [](char c) { return uchar(c) < 0x80; });
    if (!asciiName || !m_allAscii)
        return matches(QFile::decodeName(name));
    const std::string_view n(name, len);
    for (const std::string& p : m_ascii) {
        if (globMatch(p, n, [](char pc, char nc) { return pc == lowerAscii(nc); }))
            return true;
    }
    return false;
}

bool FilePattern::matches(QStringView name) const
{
    if (takesEverything())
        return true;
    // By whole letters, so that "?" takes one beyond 16 bits as it takes any other.
    std::u32string folded;
    for (const char32_t c : name.toUcs4())
        folded += QChar::toCaseFolded(c);
    for (const QString& p : m_patterns) {
        if (globMatch(p.toStdU32String(), folded, [](char32_t pc, char32_t nc) { return pc == nc; }))
            return true;
    }
    return false;
}

bool FilePattern::holdsSeparator(QStringView text)
{
    return text.contains(QLatin1Char('/')) || text.contains(QDir::separator());
}
