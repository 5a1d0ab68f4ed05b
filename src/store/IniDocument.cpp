#include "store/IniDocument.h"

#include <QStringDecoder>
#include <QVarLengthArray>
#include <QtAlgorithms>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five bytes it leaves undefined map to
// the control characters of the same number, as Windows does, so every byte reads and writes back.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Returns nullopt when a character has no Windows-1252 byte, so the caller can fall back to UTF-8.
std::optional<QByteArray> encodeCp1252(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(static_cast<char>(u));
            continue;
        }
        const char16_t* end = kCp1252High + 32;
        const char16_t* found = std::find(kCp1252High, end, u);
        if (found == end)
            return std::nullopt;
        out.append(static_cast<char>(0x80 + (found - kCp1252High)));
    }
    return out;
}

// How many line feeds the text holds, eight bytes at a time.
qsizetype lineFeeds(QByteArrayView bytes)
{
    constexpr quint64 kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    const char* data = bytes.data();
    qsizetype count = 0;
    qsizetype i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, sizeof word);
        word ^= 0x0A0A0A0A0A0A0A0AULL;
        // The high bit of each byte is set exactly where the byte was a line feed; the multiply
        // adds the eight bits up in the top byte.
        const quint64 feeds = ~(((word & kLow7) + kLow7) | word | kLow7) >> 7;
        count += qsizetype((feeds * 0x0101010101010101ULL) >> 56);
    }
    for (; i < bytes.size(); ++i)
        count += data[i] == '\n';
    return count;
}

bool isAsciiBytes(QByteArrayView bytes)
{
    // Eight bytes at a time: the whole file goes through here once.
    const char* data = bytes.data();
    qsizetype i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, sizeof word);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            return false;
    }
    return true;
}

void appendUtf8(QByteArray& out, QStringView text)
{
    const qsizetype at = out.size();
    out.resize(at + text.size());
    char* to = out.data() + at;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x80) {
            out.truncate(at);
            out += text.toUtf8();
            return;
        }
        to[i] = char(c);
    }
}

// The characters that shape a line are ASCII, and ASCII bytes mean the same in UTF-8 and in
// Windows-1252: a line as read is taken apart in its bytes exactly as its text would be.
Q_ALWAYS_INLINE char16_t unitOf(char c)
{
    return static_cast<unsigned char>(c);
}

Q_ALWAYS_INLINE char16_t unitOf(QChar c)
{
    return c.unicode();
}

Q_ALWAYS_INLINE char16_t unitOf(QLatin1Char c)
{
    return c.unicode();
}

// Both run for every key looked up, so they are kept out of calls.
template <typename C> Q_ALWAYS_INLINE bool isBlank(C c)
{
    return unitOf(c) == u' ' || unitOf(c) == u'\t';
}

template <typename View> Q_ALWAYS_INLINE View trimBlanks(View text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

template <typename View> View unquote(View value)
{
    if (value.size() >= 2) {
        const char16_t first = unitOf(value.front());
        if ((first == u'"' || first == u'\'') && unitOf(value.back()) == first)
            return value.sliced(1, value.size() - 2);
    }
    return value;
}

// A line break inside a name or value would split it into lines of its own and could forge keys.
QString singleLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

// A value with blanks at its ends or one pair of matching quotes around it would not read back as
// written; a pair of double quotes around it keeps it whole.
QString storedForm(const QString& value)
{
    const bool blankEnds = !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()));
    if (blankEnds || unquote(QStringView(value)).size() != value.size())
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

// singleLine() and trimBlanks() together, sharing the text when there is nothing to change.
QString trimmedLine(const QString& text)
{
    const QString line = singleLine(text);
    const QStringView trimmed = trimBlanks(QStringView(line));
    return trimmed.size() == line.size() ? line : trimmed.toString();
}

bool parsesAsKey(const QString& key)
{
    return !key.contains(QLatin1Char('=')) && !key.startsWith(QLatin1Char('[')) && !key.startsWith(QLatin1Char(';'));
}

bool parsesAsSection(const QString& name)
{
    return !name.contains(QLatin1Char(']'));
}

template <typename View> std::optional<View> sectionName(View line)
{
    const View trimmed = trimBlanks(line);
    if (trimmed.isEmpty() || unitOf(trimmed.front()) != u'[')
        return std::nullopt;
    // Section names are short: a plain loop finds the bracket sooner than a search set up for long texts.
    qsizetype close = 1;
    while (close < trimmed.size() && unitOf(trimmed[close]) != u']')
        ++close;
    return trimBlanks(trimmed.sliced(1, close - 1));
}

bool isAscii(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

char16_t asciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

// Names match as their toLower() forms do. Most are ASCII and are folded on the fly; any other
// name takes the full route, since lowering may change its length or turn it into ASCII.
template <typename View> size_t foldedHash(View name)
{
    quint64 h = 0xCBF29CE484222325ULL;
    for (const auto c : name)
        h = (h ^ asciiLower(unitOf(c))) * 0x100000001B3ULL;
    return size_t(h);
}

size_t nameHash(QStringView name)
{
    if (isAscii(name))
        return foldedHash(name);
    return foldedHash(QStringView(name.toString().toLower()));
}

// Whether a stored ASCII name (bytes or text) is the sought one, which is ASCII too.
template <typename Stored, typename Sought> Q_ALWAYS_INLINE bool sameAsciiName(Stored stored, Sought sought)
{
    if (stored.size() != sought.size())
        return false;
    // Most names are stored in the very letters the program writes them in.
    if constexpr (std::is_same_v<Stored, QByteArrayView> && std::is_same_v<Sought, QLatin1String>) {
        if (std::memcmp(stored.data(), sought.data(), size_t(sought.size())) == 0)
            return true;
    }
    for (qsizetype i = 0; i < sought.size(); ++i) {
        const char16_t a = unitOf(stored[i]);
        const char16_t b = unitOf(sought[i]);
        if (a != b && asciiLower(a) != asciiLower(b))
            return false;
    }
    return true;
}

bool sameName(QStringView a, QStringView b)
{
    if (isAscii(a) && isAscii(b))
        return sameAsciiName(a, b);
    return a.toString().toLower() == b.toString().toLower();
}

// Where the "=" of a key line is; -1 for a blank line, a comment or a line without "=".
template <typename View> qsizetype keyLineEquals(View line)
{
    const View trimmed = trimBlanks(line);
    if (trimmed.isEmpty() || unitOf(trimmed.front()) == u';')
        return -1;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (unitOf(line[i]) == u'=')
            return i;
    }
    return -1;
}

// Bytes of a line as read, beyond ASCII only when `cp1252` or `utf8` says so, written as text
// where `out` points, with room for as many characters as there are bytes; returns the end.
QChar* decode(QChar* out, QByteArrayView bytes, bool cp1252, bool utf8)
{
    if (utf8) {
        // A byte order mark inside the file is text and is kept.
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        return decoder.appendToBuffer(out, bytes);
    }
    char16_t* const to = reinterpret_cast<char16_t*>(out);
    const char* const from = bytes.data();
    const qsizetype size = bytes.size();
    if (!cp1252) {
        // ASCII, in a loop the compiler makes wide.
        for (qsizetype i = 0; i < size; ++i)
            to[i] = char16_t(static_cast<unsigned char>(from[i]));
    } else {
        for (qsizetype i = 0; i < size; ++i) {
            const auto b = static_cast<unsigned char>(from[i]);
            to[i] = b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b);
        }
    }
    return reinterpret_cast<QChar*>(to + size);
}

void appendDecoded(QString& out, QByteArrayView bytes, bool cp1252, bool utf8)
{
    const qsizetype at = out.size();
    out.resize(at + bytes.size());
    out.truncate(decode(out.data() + at, bytes, cp1252, utf8) - out.constData());
}

// Up to this many lines a section is searched line by line: its text lies together in memory,
// where a hash index over the whole file would cost a cache miss for every key looked up.
constexpr int kScanLines = 32;

} // namespace

IniDocument IniDocument::parse(const QByteArray& bytes)
{
    if (bytes.size() > kMaxSize)
        throw std::bad_alloc();
    IniDocument doc;
    doc.m_bytes = bytes;
    const qsizetype bodyStart = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    doc.m_bom = bodyStart > 0;
    const QByteArrayView body = QByteArrayView(bytes).sliced(bodyStart);
    // Most files are UTF-8 throughout, many ASCII; only the others are looked at line by line.
    const bool allAscii = isAsciiBytes(body);
    const bool allUtf8 = allAscii || body.isValidUtf8();

    // Room for a record per line, so that the list of a file of line feeds never grows in steps:
    // runs of other lines share one, and what is not used is never touched. A record takes two
    // bytes at least ("[" or "=" and a break), which bounds the room for a file of blank lines.
    doc.m_lines.reserve(size_t(qMin(lineFeeds(body) + 1, body.size() / 2 + 2)));
    bool utf8Beyond = false;
    bool cp1252Beyond = false;
    const char* const data = body.data();
    const qsizetype size = body.size();
    QList<int> headers; // the lines of the sections, for the index
    // The next line feed and carriage return at or after `from` (size when there is none), each
    // looked for again only once passed, so that a file of one kind of break is not searched for
    // the other from every line.
    qsizetype nextLf = -1;
    qsizetype nextCr = -1;
    const auto findNext = [&](char c, qsizetype& at, qsizetype from) {
        if (at >= from)
            return;
        const void* found = std::memchr(data + from, c, size_t(size - from));
        at = found ? static_cast<const char*>(found) - data : size;
    };
    qsizetype from = 0;
    while (from < size) {
        findNext('\n', nextLf, from);
        findNext('\r', nextCr, from);
        const qsizetype to = qMin(nextLf, nextCr);
        Ending ending = Ending::None;
        qsizetype next = to;
        if (to < size) {
            ending =
                data[to] == '\n' ? Ending::Lf : (to + 1 < size && data[to + 1] == '\n' ? Ending::CrLf : Ending::Cr);
            next = to + (ending == Ending::CrLf ? 2 : 1);
        }
        qsizetype first = from; // the first byte that is not a blank
        while (first < to && (data[first] == ' ' || data[first] == '\t'))
            ++first;
        const bool header = first < to && data[first] == '[';
        qsizetype equals = -1;
        if (!header && first < to && data[first] != ';') {
            if (const void* found = std::memchr(data + first, '=', size_t(to - first)))
                equals = static_cast<const char*>(found) - (data + from);
        }
        const bool key = equals >= 0;
        if (doc.m_firstEnding == Ending::None)
            doc.m_firstEnding = ending;
        const QByteArrayView bytesOfLine(data + from, to - from);
        const bool ascii = allAscii || isAsciiBytes(bytesOfLine);
        const bool utf8 = !ascii && (allUtf8 || bytesOfLine.isValidUtf8());
        (utf8 ? utf8Beyond : cp1252Beyond) |= !ascii;
        if (!header && !key && !doc.m_lines.empty() && doc.m_lines.back().run) {
            // Blank lines, comments and lines without "=": one run, which nothing looks up.
            Line& run = doc.m_lines.back();
            run.length = quint32(bodyStart + to - run.start);
            run.ending = ending;
            from = next;
            continue;
        }
        if (header)
            headers.append(int(doc.m_lines.size()));
        Line line{};
        line.start = quint32(bodyStart + from);
        line.length = quint32(to - from);
        line.ending = ending;
        line.run = !header && !key;
        line.header = header;
        line.key = key;
        line.asciiName = key && (ascii || isAsciiBytes(trimBlanks(bytesOfLine.first(equals))));
        line.cp1252 = !ascii && !utf8;
        line.utf8 = utf8;
        line.equals = key && equals < kFarEquals ? quint16(equals) : kFarEquals;
        doc.m_lines.push_back(line);
        from = next;
    }
    if (cp1252Beyond && !utf8Beyond)
        doc.m_encoding = Encoding::Windows1252;
    doc.reindex(headers);
    return doc;
}

void IniDocument::appendNewSection(QByteArray& text, QLatin1String section, QLatin1String key, QLatin1String value)
{
    Q_ASSERT(!section.isEmpty() && !key.isEmpty());
    // What a document without lines takes for its new lines.
    const QByteArrayView lineBreak(platformEnding() == Ending::CrLf ? "\r\n" : "\n");
    // One resize for the whole section: each append would be a call of its own, about as costly.
    const qsizetype at = text.size();
    text.resize(at + section.size() + key.size() + value.size() + 3 + 2 * lineBreak.size());
    char* to = text.data() + at;
    const auto put = [&to](const char* from, qsizetype size) {
        std::memcpy(to, from, size_t(size));
        to += size;
    };
    put("[", 1);
    put(section.data(), section.size());
    put("]", 1);
    put(lineBreak.data(), lineBreak.size());
    put(key.data(), key.size());
    put("=", 1);
    put(value.data(), value.size());
    put(lineBreak.data(), lineBreak.size());
}

QByteArray IniDocument::serialize() const
{
    QByteArray out;
    out.reserve(m_bytes.size() + (m_text.size() - m_unusedText) * 3 + 2 * qsizetype(m_lines.size()) + 3);
    if (m_bom)
        out += "\xEF\xBB\xBF";
    for (int i = 0; i < int(m_lines.size()); ++i) {
        const Line& line = m_lines[i];
        if (!line.edited)
            out.append(bytesOf(i));
        else if (line.cp1252)
            out += *encodeCp1252(editedText(i));
        else
            appendUtf8(out, editedText(i));
        switch (line.ending) {
        case Ending::None:
            break;
        case Ending::Lf:
            out += '\n';
            break;
        case Ending::CrLf:
            out += "\r\n";
            break;
        case Ending::Cr:
            out += '\r';
            break;
        }
    }
    return out;
}

QString IniDocument::lineText(int line) const
{
    if (m_lines[line].edited)
        return editedText(line).toString();
    QString text;
    appendDecoded(text, bytesOf(line), m_lines[line].cp1252, m_lines[line].utf8);
    return text;
}

bool IniDocument::isAsciiLine(int line) const
{
    const Line& l = m_lines[line];
    return l.edited ? isAscii(editedText(line)) : !l.cp1252 && !l.utf8;
}

template <typename View> View IniDocument::nameIn(View line, quint16 equals)
{
    return trimBlanks(line.first(equals == kFarEquals ? keyLineEquals(line) : equals));
}

template <typename View> View IniDocument::valueIn(View line, quint16 equals)
{
    return unquote(trimBlanks(line.sliced((equals == kFarEquals ? keyLineEquals(line) : equals) + 1)));
}

QString IniDocument::keyNameOf(int line) const
{
    const Line& l = m_lines[line];
    if (l.edited)
        return nameIn(editedText(line), l.equals).toString();
    QString text;
    appendDecoded(text, nameIn(bytesOf(line), l.equals), l.cp1252, l.utf8);
    return text;
}

template <typename Key> bool IniDocument::isAsciiKeyNamed(int line, Key key) const
{
    const Line& l = m_lines[line];
    return l.edited ? sameAsciiName(nameIn(editedText(line), l.equals), key)
                    : sameAsciiName(nameIn(bytesOf(line), l.equals), key);
}

bool IniDocument::isKeyNamed(int line, QStringView key) const
{
    // Most names are stored as the program writes them, in ASCII, which a plain compare finds.
    if (m_lines[line].asciiName && isAscii(key))
        return isAsciiKeyNamed(line, key);
    return sameName(keyNameOf(line), key);
}

bool IniDocument::isKeyNamed(int line, QLatin1String key) const
{
    if (m_lines[line].asciiName)
        return isAsciiKeyNamed(line, key);
    return sameName(keyNameOf(line), QString(key));
}

QChar* IniDocument::writeValue(QChar* out, int line) const
{
    const Line& l = m_lines[line];
    if (l.edited) {
        const QStringView value = valueIn(editedText(line), l.equals);
        std::copy(value.begin(), value.end(), out);
        return out + value.size();
    }
    return decode(out, valueIn(bytesOf(line), l.equals), l.cp1252, l.utf8);
}

bool IniDocument::isIndexed(int section) const
{
    return m_sections[section].lastLine - m_sections[section].header > kScanLines;
}

void IniDocument::reindex()
{
    QList<int> headers;
    for (int i = 0; i < int(m_lines.size()); ++i) {
        if (m_lines[i].header)
            headers.append(i);
    }
    reindex(headers);
}

void IniDocument::reindex(const QList<int>& headers)
{
    // Sized once for every section line, so that neither grows in steps.
    m_sections.clear();
    m_sections.reserve(headers.size());
    m_sectionIndex.reset(headers.size());
    QString name; // of the section line at hand, its room used again from line to line
    for (qsizetype h = 0; h < headers.size(); ++h) {
        const int i = headers[h];
        const Line& line = m_lines[i];
        // Most names are ASCII, hashed as they lie and turned into text only to tell apart two
        // that hash alike.
        const bool asciiBytes = !line.edited && !line.cp1252 && !line.utf8;
        const QByteArrayView bytes = asciiBytes ? *sectionName(bytesOf(i)) : QByteArrayView();
        name.truncate(0);
        if (line.edited)
            name += *sectionName(editedText(i));
        else if (!asciiBytes)
            appendDecoded(name, *sectionName(bytesOf(i)), line.cp1252, line.utf8);
        const size_t hash = asciiBytes ? foldedHash(bytes) : nameHash(name);
        const auto same = [&](int section) {
            if (asciiBytes && name.isEmpty())
                name.append(QLatin1String(bytes.data(), bytes.size()));
            return isSectionNamed(section, name);
        };
        // A repeated section is not numbered: the first one holds the values.
        if (m_sectionIndex.find(hash, 0, same) >= 0)
            continue;
        // Its last key line, found from the next section line back: few lines of other kinds
        // come between.
        int last = h + 1 < headers.size() ? headers[h + 1] - 1 : int(m_lines.size()) - 1;
        while (last > i && !m_lines[last].key)
            --last;
        m_sectionIndex.insert(hash, 0, int(m_sections.size()));
        m_sections.append(Section{i, last});
    }
    // Sized once for every key line of the long sections, so that it never grows in steps.
    qsizetype keyLines = 0;
    for (int section = 0; section < m_sections.size(); ++section) {
        if (isIndexed(section))
            keyLines += m_sections[section].lastLine - m_sections[section].header;
    }
    m_keyIndex.reset(keyLines);
    for (int section = 0; section < m_sections.size(); ++section) {
        if (isIndexed(section))
            indexKeys(section);
    }
}

void IniDocument::indexKeys(int section)
{
    for (int line = m_sections[section].header + 1; line <= m_sections[section].lastLine; ++line)
        indexKeyLine(section, line);
}

void IniDocument::indexKeyLine(int section, int lineIndex)
{
    if (!m_lines[lineIndex].key)
        return;
    const QString key = keyNameOf(lineIndex);
    if (findKey(section, key) < 0)
        m_keyIndex.insert(nameHash(key), section, lineIndex);
}

int IniDocument::findSection(QStringView name, int guess) const
{
    // Only the first of sections with the same name is numbered, so a number whose name matches is the answer.
    if (guess >= 0 && guess < m_sections.size() && isSectionNamed(guess, name))
        return guess;
    return m_sectionIndex.find(nameHash(name), 0, [&](int section) { return isSectionNamed(section, name); });
}

bool IniDocument::isSectionNamed(int section, QStringView name) const
{
    const int header = m_sections[section].header;
    // A header that is just the name in brackets, as the program writes it, is told at once; a name
    // with a "]" in it or beyond ASCII, or a header with blanks or more after it, goes the whole way.
    const auto written = [&name](auto text) {
        if (text.size() != name.size() + 2 || unitOf(text.front()) != u'[' || unitOf(text.back()) != u']' ||
            name.isEmpty() || isBlank(name.front()) || isBlank(name.back()))
            return false;
        bool plain = true;
        bool same = true;
        for (qsizetype i = 0; i < name.size(); ++i) {
            const char16_t c = name[i].unicode();
            const char16_t stored = unitOf(text[i + 1]);
            plain &= c != u']' && c < 0x80;
            same &= c == stored || asciiLower(c) == asciiLower(stored);
        }
        return plain && same;
    };
    if (m_lines[header].edited ? written(editedText(header)) : written(bytesOf(header)))
        return true;
    const QString text = lineText(header);
    return sameName(*sectionName(QStringView(text)), name);
}

int IniDocument::findKey(int section, QStringView key) const
{
    if (!isIndexed(section))
        return scanForKey(section, key);
    const Section& s = m_sections[section];
    return m_keyIndex.find(nameHash(key), section,
                           [&](int line) { return line > s.header && line <= s.lastLine && isKeyNamed(line, key); });
}

int IniDocument::scanForKey(int section, QStringView key) const
{
    // The first of duplicates wins.
    for (int line = m_sections[section].header + 1; line <= m_sections[section].lastLine; ++line) {
        if (m_lines[line].key && isKeyNamed(line, key))
            return line;
    }
    return -1;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    return value(sectionNumber(section), key);
}

int IniDocument::sectionNumber(QStringView section, int guess) const
{
    return findSection(trimBlanks(section), guess);
}

std::optional<QString> IniDocument::value(int sectionNumber, const QString& key) const
{
    if (sectionNumber < 0 || sectionNumber >= m_sections.size())
        return std::nullopt;
    const int line = findKey(sectionNumber, trimBlanks(QStringView(key)));
    if (line < 0)
        return std::nullopt;
    QString text(valueSize(line), Qt::Uninitialized);
    text.truncate(writeValue(text.data(), line) - text.constData());
    return text;
}

void IniDocument::values(int sectionNumber, const QLatin1String* keys, QStringView* values, int count,
                         QString& text) const
{
    std::fill(values, values + count, QStringView());
    if (sectionNumber < 0 || sectionNumber >= m_sections.size())
        return;
    Q_ASSERT(std::all_of(keys, keys + count, [](QLatin1String key) {
        return isAsciiBytes(QByteArrayView(key.data(), key.size())) && trimBlanks(key).size() == key.size();
    }));
    QVarLengthArray<int, 64> lines(count);
    std::fill(lines.begin(), lines.end(), -1);
    // One pass over the section tells the keys apart by a bit each: for more keys than a mask
    // holds, or a section long enough to be indexed, each key is looked up on its own.
    if (count > 64 || isIndexed(sectionNumber)) {
        for (int k = 0; k < count; ++k)
            lines[k] = findKey(sectionNumber, QString(keys[k]));
    } else {
        const quint64 all = count == 64 ? ~quint64(0) : (quint64(1) << count) - 1;
        // The keys by length: an ASCII name is held only against the keys of its own length, most often one.
        constexpr qsizetype kShortest = 32;
        quint64 bySize[kShortest] = {};
        quint64 longer = 0;
        for (int k = 0; k < count; ++k)
            (keys[k].size() < kShortest ? bySize[keys[k].size()] : longer) |= quint64(1) << k;
        quint64 found = 0;
        const Section& s = m_sections[sectionNumber];
        for (int line = s.header + 1; line <= s.lastLine && found != all; ++line) {
            const Line& l = m_lines[line];
            if (!l.key)
                continue;
            // Most names are ASCII as read, told apart where they lie.
            const bool plain = l.asciiName && !l.edited;
            const QByteArrayView name = plain ? nameIn(bytesOf(line), l.equals) : QByteArrayView();
            quint64 candidates = all & ~found;
            if (plain)
                candidates &= name.size() < kShortest ? bySize[name.size()] : longer;
            // The first of duplicates wins, as in scanForKey().
            for (; candidates; candidates &= candidates - 1) {
                const int k = qCountTrailingZeroBits(candidates);
                if (plain ? sameAsciiName(name, keys[k]) : isKeyNamed(line, keys[k])) {
                    lines[k] = line;
                    found |= quint64(1) << k;
                }
            }
        }
    }
    // Room for every value first, so that the text never moves under the views.
    qsizetype room = 0;
    for (int k = 0; k < count; ++k)
        room += lines[k] >= 0 ? valueSize(lines[k]) : 0;
    if (room == 0)
        return;
    const qsizetype before = text.size();
    text.resize(before + room);
    QChar* const start = text.data();
    QChar* at = start + before;
    for (int k = 0; k < count; ++k) {
        if (lines[k] < 0)
            continue;
        QChar* const end = writeValue(at, lines[k]);
        values[k] = QStringView(at, end);
        at = end;
    }
    text.truncate(at - start);
}

void IniDocument::forEachKey(int sectionNumber,
                             const std::function<void(QStringView name, QStringView value)>& each) const
{
    if (sectionNumber < 0 || sectionNumber >= m_sections.size())
        return;
    const Section& s = m_sections[sectionNumber];
    for (int line = s.header + 1; line <= s.lastLine; ++line) {
        if (!m_lines[line].key)
            continue;
        QString value(valueSize(line), Qt::Uninitialized);
        value.truncate(writeValue(value.data(), line) - value.constData());
        each(keyNameOf(line), value);
    }
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString cleanKey = trimmedLine(key);
    const QString cleanSection = trimmedLine(section);
    const QString keyLine = cleanKey + QLatin1Char('=') + storedForm(singleLine(value));
    const int sectionNumber = findSection(cleanSection);
    if (sectionNumber < 0) {
        appendSection(cleanSection, keyLine);
    } else if (const int line = findKey(sectionNumber, cleanKey); line >= 0) {
        const QString storedName = keyNameOf(line);
        setLineText(line, storedName + QLatin1Char('=') + keyLine.mid(cleanKey.size() + 1));
    } else {
        insertKeyLine(sectionNumber, cleanKey, keyLine);
    }
    // A name the lines cannot hold as given (a key with "=", one that starts like a section or a
    // comment) reads back the way a fresh parse of the file sees it.
    if (!parsesAsKey(cleanKey) || !parsesAsSection(cleanSection))
        reindex();
}

void IniDocument::describeKey(QStringView text, Line& line)
{
    const qsizetype equals = keyLineEquals(text);
    line.header = sectionName(text).has_value();
    line.key = equals >= 0;
    line.asciiName = line.key && isAscii(trimBlanks(text.first(equals)));
    line.equals = line.key && equals < kFarEquals ? quint16(equals) : kFarEquals;
}

IniDocument::Line IniDocument::storedLine(std::initializer_list<QStringView> pieces, Ending ending, bool preferCp1252)
{
    qsizetype added = 0;
    for (const QStringView piece : pieces)
        added += piece.size();
    if (m_text.size() + added > qsizetype(std::numeric_limits<quint32>::max()))
        throw std::bad_alloc();
    Line line{};
    line.start = quint32(m_text.size());
    for (const QStringView piece : pieces)
        m_text += piece;
    line.length = quint32(added);
    line.ending = ending;
    line.edited = true;
    const QStringView text = QStringView(m_text).sliced(line.start, line.length);
    describeKey(text, line);
    if (preferCp1252 && !isAscii(text)) {
        // Bytes that also read as UTF-8 would come back as other characters; UTF-8 always reads back.
        const auto cp = encodeCp1252(text);
        line.cp1252 = cp && !cp->isValidUtf8();
    }
    return line;
}

void IniDocument::setLineText(int line, const QString& text)
{
    // A line goes on in its own encoding; one that held only ASCII takes the file's.
    const Line old = m_lines[line];
    const bool preferCp1252 = old.cp1252 || (isAsciiLine(line) && m_encoding == Encoding::Windows1252);
    if (old.edited)
        m_unusedText += old.length;
    m_lines[line] = storedLine({text}, old.ending, preferCp1252);
    if (m_unusedText > m_text.size() / 2)
        compact();
}

void IniDocument::compact()
{
    QString text;
    text.reserve(m_text.size() - m_unusedText);
    for (Line& line : m_lines) {
        if (!line.edited)
            continue;
        const qsizetype start = text.size();
        text += QStringView(m_text).mid(line.start, line.length);
        line.start = quint32(start);
    }
    m_text = std::move(text);
    m_unusedText = 0;
}

void IniDocument::appendSection(const QString& name, const QString& keyLine)
{
    if (!m_lines.empty() && m_lines.back().ending == Ending::None)
        m_lines.back().ending = newLineEnding();
    const Ending ending = newLineEnding();
    const bool cp1252 = m_encoding == Encoding::Windows1252;
    const int number = int(m_sections.size());
    const int header = int(m_lines.size());
    m_sections.append(Section{header, header + 1});
    m_sectionIndex.insert(nameHash(name), 0, number);
    m_lines.push_back(storedLine({u"[", name, u"]"}, ending, cp1252));
    m_lines.push_back(storedLine({keyLine}, ending, cp1252));
}

void IniDocument::insertKeyLine(int section, const QString& key, const QString& keyLine)
{
    const bool wasIndexed = isIndexed(section);
    const int at = m_sections[section].lastLine + 1;
    insertLine(at, keyLine);
    if (at < int(m_lines.size()) - 1) {
        // Every section after the new line moves down by one; those before keep their lines.
        for (Section& later : m_sections) {
            if (later.header >= at) {
                ++later.header;
                ++later.lastLine;
            }
        }
        m_keyIndex.shiftFrom(at);
    }
    m_sections[section].lastLine = at;
    if (wasIndexed)
        m_keyIndex.insert(nameHash(key), section, at);
    else if (isIndexed(section))
        indexKeys(section);
}

void IniDocument::insertLine(int at, const QString& text)
{
    // The line before may be the file's last one without a line break.
    if (at > 0 && m_lines[at - 1].ending == Ending::None)
        m_lines[at - 1].ending = newLineEnding();
    m_lines.insert(m_lines.begin() + at, storedLine({text}, newLineEnding(), m_encoding == Encoding::Windows1252));
}

IniDocument::Ending IniDocument::newLineEnding() const
{
    return m_firstEnding != Ending::None ? m_firstEnding : platformEnding();
}

IniDocument::Ending IniDocument::platformEnding()
{
    return
#ifdef Q_OS_WIN
        Ending::CrLf;
#else
        Ending::Lf;
#endif
}
