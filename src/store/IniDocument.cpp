#include "store/IniDocument.h"

#include <QStringDecoder>
#include <QtAlgorithms>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five bytes it leaves undefined map to
// the control characters of the same number, as Windows does, so every byte reads and writes back.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendCp1252(QString& out, QByteArrayView bytes)
{
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.append(b >= 0x80 && b < 0xA0 ? QChar(kCp1252High[b - 0x80]) : QChar(b));
    }
}

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

// Both run for every key looked up, so they are kept out of calls.
Q_ALWAYS_INLINE bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

Q_ALWAYS_INLINE QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QStringView unquote(QStringView value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
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
    if (blankEnds || unquote(value).size() != value.size())
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

// singleLine() and trimBlanks() together, sharing the text when there is nothing to change.
QString trimmedLine(const QString& text)
{
    const QString line = singleLine(text);
    const QStringView trimmed = trimBlanks(line);
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

std::optional<QStringView> sectionName(QStringView line)
{
    const QStringView trimmed = trimBlanks(line);
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    // Section names are short: a plain loop finds the bracket sooner than a search set up for long texts.
    qsizetype close = 1;
    while (close < trimmed.size() && trimmed[close] != QLatin1Char(']'))
        ++close;
    if (close == trimmed.size())
        close = -1;
    return trimBlanks(trimmed.mid(1, close < 0 ? trimmed.size() - 1 : close - 1));
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
size_t nameHash(QStringView name)
{
    const auto hashOf = [](QStringView folded, auto fold) {
        quint64 h = 0xCBF29CE484222325ULL;
        for (QChar c : folded)
            h = (h ^ fold(c.unicode())) * 0x100000001B3ULL;
        return size_t(h);
    };
    if (isAscii(name))
        return hashOf(name, asciiLower);
    const QString lowered = name.toString().toLower();
    return hashOf(lowered, [](char16_t c) { return c; });
}

bool sameAsciiName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i].unicode()) != asciiLower(b[i].unicode()))
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
qsizetype keyLineEquals(QStringView line)
{
    const QStringView trimmed = trimBlanks(line);
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
        return -1;
    return line.indexOf(QLatin1Char('='));
}

// The name of a key line; nullopt for a blank line, a comment or a line without "=".
std::optional<QStringView> keyLineName(QStringView line)
{
    const qsizetype eq = keyLineEquals(line);
    if (eq < 0)
        return std::nullopt;
    return trimBlanks(line.left(eq));
}

enum class LineKind
{
    Section,
    Key,
    Other
};

// What a line is, from its bytes: the characters that decide it are ASCII in either encoding.
// For a key line `equals` is where its first "=" lies among the bytes.
LineKind kindOf(QByteArrayView line, qsizetype* equals = nullptr)
{
    qsizetype i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    if (i == line.size() || line[i] == ';')
        return LineKind::Other;
    if (line[i] == '[')
        return LineKind::Section;
    const void* found = std::memchr(line.data() + i, '=', size_t(line.size() - i));
    const qsizetype at = found ? static_cast<const char*>(found) - line.data() : -1;
    if (equals)
        *equals = at;
    return at >= 0 ? LineKind::Key : LineKind::Other;
}

// Calls f(from, to, ending) for each line of the text, without its line break.
template <typename Ending, typename F> void forEachLineOf(QByteArrayView text, F f)
{
    const char* data = text.data();
    const qsizetype size = text.size();
    qsizetype pos = 0;
    // The next line feed and carriage return at or after pos (size when there is none), each looked
    // for again only once passed, so that a file of one kind of break is not searched for the other
    // from every line.
    qsizetype nextLf = -1;
    qsizetype nextCr = -1;
    const auto next = [&](char c, qsizetype& at) {
        if (at >= pos)
            return;
        const void* found = std::memchr(data + pos, c, size_t(size - pos));
        at = found ? static_cast<const char*>(found) - data : size;
    };
    while (pos < size) {
        next('\n', nextLf);
        next('\r', nextCr);
        const qsizetype end = qMin(nextLf, nextCr);
        if (end == size) {
            f(pos, end, Ending::None);
            return;
        }
        if (data[end] == '\n') {
            f(pos, end, Ending::Lf);
            pos = end + 1;
        } else if (end + 1 < size && data[end + 1] == '\n') {
            f(pos, end, Ending::CrLf);
            pos = end + 2;
        } else {
            f(pos, end, Ending::Cr);
            pos = end + 1;
        }
    }
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

    // A first pass counts what the second stores, so that nothing grows in steps and the parse
    // needs no more than its final size. It also finds the encoding new lines are written in.
    qsizetype records = 0;
    qsizetype textSize = 0;
    bool inRun = false;
    bool utf8Beyond = false;
    bool cp1252Beyond = false;
    forEachLineOf<Ending>(body, [&](qsizetype from, qsizetype to, Ending ending) {
        if (doc.m_firstEnding == Ending::None)
            doc.m_firstEnding = ending;
        const QByteArrayView line = body.sliced(from, to - from);
        if (!allUtf8 && !isAsciiBytes(line))
            (line.isValidUtf8() ? utf8Beyond : cp1252Beyond) = true;
        if (kindOf(line) == LineKind::Other) {
            records += inRun ? 0 : 1;
            inRun = true;
            return;
        }
        ++records;
        textSize += line.size();
        inRun = false;
    });
    if (cp1252Beyond && !utf8Beyond)
        doc.m_encoding = Encoding::Windows1252;

    // ASCII reads the same in both encodings, so the lines of such a file are widened straight into
    // a text of their final size, in a loop the compiler makes wide.
    char16_t* asciiText = nullptr;
    if (allAscii) {
        doc.m_text.reserve(textSize); // exactly: resize() alone would leave room to grow
        doc.m_text.resize(textSize);
        asciiText = reinterpret_cast<char16_t*>(doc.m_text.data());
    } else {
        doc.m_text.reserve(textSize);
    }
    doc.m_lines.reserve(records);
    // The byte order mark is already off; a second one is text and must be kept.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    forEachLineOf<Ending>(body, [&](qsizetype from, qsizetype to, Ending ending) {
        const QByteArrayView bytesOfLine = body.sliced(from, to - from);
        Line line{};
        line.ending = ending;
        qsizetype equals = -1;
        const LineKind kind = kindOf(bytesOfLine, &equals);
        if (kind == LineKind::Other) {
            if (!doc.m_lines.isEmpty() && doc.m_lines.back().run) {
                Line& run = doc.m_lines.back();
                run.length = quint32(bodyStart + to - run.start);
                run.ending = ending;
                return;
            }
            line.run = true;
            line.start = quint32(bodyStart + from);
            line.length = quint32(to - from);
            doc.m_lines.append(line);
            return;
        }
        if (asciiText) {
            line.start = quint32(asciiText - reinterpret_cast<const char16_t*>(doc.m_text.constData()));
            line.length = quint32(to - from);
            const char* bytes = bytesOfLine.data();
            for (qsizetype i = 0; i < bytesOfLine.size(); ++i)
                asciiText[i] = char16_t(static_cast<unsigned char>(bytes[i]));
            asciiText += bytesOfLine.size();
            describeKey(QStringView(doc.m_text).sliced(line.start, line.length), line,
                        kind == LineKind::Key ? equals : -1, true);
            doc.m_lines.append(line);
            return;
        }
        line.start = quint32(doc.m_text.size());
        const bool ascii = isAsciiBytes(bytesOfLine);
        if (ascii) {
            doc.m_text.append(QLatin1String(bytesOfLine.data(), bytesOfLine.size()));
        } else if (allUtf8 || bytesOfLine.isValidUtf8()) {
            utf8.resetState();
            doc.m_text.append(utf8.decode(bytesOfLine));
        } else {
            appendCp1252(doc.m_text, bytesOfLine);
            line.cp1252 = true;
        }
        line.length = quint32(doc.m_text.size() - line.start);
        // Only in ASCII is a byte's place in the line its character's.
        describeKey(QStringView(doc.m_text).sliced(line.start, line.length), line,
                    ascii && kind == LineKind::Key ? equals : -1);
        doc.m_lines.append(line);
    });
    doc.reindex();
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
    out.reserve(m_bytes.size() + (m_text.size() - m_unusedText) + 2 * m_lines.size() + 3);
    if (m_bom)
        out += "\xEF\xBB\xBF";
    for (int i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (line.run)
            out.append(m_bytes.constData() + line.start, line.length);
        else if (line.cp1252)
            out += *encodeCp1252(lineText(i));
        else
            appendUtf8(out, lineText(i));
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

QStringView IniDocument::keyNameOf(int line) const
{
    const quint16 equals = m_lines[line].equals;
    if (equals == kFarEquals)
        return *keyLineName(lineText(line));
    return trimBlanks(lineText(line).first(equals));
}

QStringView IniDocument::valueOf(int line) const
{
    const QStringView text = lineText(line);
    const quint16 equals = m_lines[line].equals;
    const qsizetype at = equals == kFarEquals ? text.indexOf(QLatin1Char('=')) : equals;
    return unquote(trimBlanks(text.sliced(at + 1)));
}

bool IniDocument::isIndexed(int section) const
{
    return m_sections[section].lastLine - m_sections[section].header > kScanLines;
}

void IniDocument::reindex()
{
    m_sections.clear();
    m_sectionIndex.reset(0);
    int current = -1;
    for (int i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].run)
            continue;
        // Most lines are keys that start with their name: no section can start there.
        const QStringView text = lineText(i);
        const bool mayBeSection = !text.isEmpty() && (text.front() == QLatin1Char('[') || isBlank(text.front()));
        if (const auto name = mayBeSection ? sectionName(text) : std::nullopt) {
            // A repeated section is not numbered: the first one holds the values.
            const size_t hash = nameHash(*name);
            current = m_sectionIndex.find(hash, 0, [&](int section) { return isSectionNamed(section, *name); }) >= 0
                          ? -1
                          : int(m_sections.size());
            if (current >= 0) {
                m_sections.append(Section{i, i});
                m_sectionIndex.insert(hash, 0, current);
            }
            continue;
        }
        if (current >= 0 && m_lines[i].key)
            m_sections[current].lastLine = i;
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
    const QStringView key = keyNameOf(lineIndex);
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
    const QStringView header = lineText(m_sections[section].header);
    // A header that is just the name in brackets, as the program writes it, is told at once; a name
    // with a "]" in it, or a header with blanks or more after it, goes the whole way.
    if (header.size() == name.size() + 2 && header.front() == QLatin1Char('[') && header.back() == QLatin1Char(']') &&
        !name.isEmpty() && !isBlank(name.front()) && !isBlank(name.back())) {
        bool same = true;
        for (qsizetype i = 0; same && i < name.size(); ++i) {
            const char16_t c = name[i].unicode();
            same = c != u']' && asciiLower(c) == asciiLower(header[i + 1].unicode());
        }
        if (same)
            return true;
    }
    return sameName(*sectionName(header), name);
}

int IniDocument::findKey(int section, QStringView key) const
{
    if (!isIndexed(section))
        return scanForKey(section, key);
    const Section& s = m_sections[section];
    return m_keyIndex.find(nameHash(key), section, [&](int line) {
        return line > s.header && line <= s.lastLine && sameName(keyNameOf(line), key);
    });
}

int IniDocument::scanForKey(int section, QStringView key) const
{
    // The first of duplicates wins.
    const bool asciiKey = isAscii(key);
    for (int line = m_sections[section].header + 1; line <= m_sections[section].lastLine; ++line) {
        const Line& l = m_lines[line];
        if (!l.key)
            continue;
        if (asciiKey && l.asciiName ? sameAsciiName(keyNameOf(line), key) : sameName(keyNameOf(line), key))
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
    const auto text = valueView(sectionNumber, key);
    return text ? std::optional<QString>(text->toString()) : std::nullopt;
}

std::optional<QStringView> IniDocument::valueView(int sectionNumber, QStringView key) const
{
    if (sectionNumber < 0 || sectionNumber >= m_sections.size())
        return std::nullopt;
    const int line = findKey(sectionNumber, trimBlanks(key));
    if (line < 0)
        return std::nullopt;
    return valueOf(line);
}

void IniDocument::valueViews(int sectionNumber, const QStringView* keys, QStringView* values, int count) const
{
    std::fill(values, values + count, QStringView());
    if (sectionNumber < 0 || sectionNumber >= m_sections.size())
        return;
    Q_ASSERT(std::all_of(keys, keys + count, [](QStringView key) { return isAscii(key) && trimBlanks(key) == key; }));
    if (count > 64 || isIndexed(sectionNumber)) {
        for (int k = 0; k < count; ++k) {
            if (const auto value = valueView(sectionNumber, keys[k]))
                values[k] = *value;
        }
        return;
    }
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
        const QStringView name = keyNameOf(line);
        // The first of duplicates wins, as in scanForKey().
        quint64 candidates = (l.asciiName ? (name.size() < kShortest ? bySize[name.size()] : longer) : all) & ~found;
        for (; candidates; candidates &= candidates - 1) {
            const int k = qCountTrailingZeroBits(candidates);
            const QStringView key = keys[k];
            // Most names are stored as the program writes them, which a plain compare finds.
            const bool same =
                l.asciiName ? key.size() == name.size() &&
                                  (std::memcmp(name.data(), key.data(), size_t(key.size()) * sizeof(QChar)) == 0 ||
                                   sameAsciiName(name, key))
                            : sameName(name, key);
            if (same) {
                values[k] = valueOf(line);
                found |= quint64(1) << k;
            }
        }
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
        const QString storedName = keyNameOf(line).toString();
        setLineText(line, storedName + QLatin1Char('=') + keyLine.mid(cleanKey.size() + 1));
    } else {
        insertKeyLine(sectionNumber, cleanKey, keyLine);
    }
    // A name the lines cannot hold as given (a key with "=", one that starts like a section or a
    // comment) reads back the way a fresh parse of the file sees it.
    if (!parsesAsKey(cleanKey) || !parsesAsSection(cleanSection))
        reindex();
}

void IniDocument::describeKey(QStringView text, Line& line, qsizetype knownEquals, bool asciiText)
{
    const qsizetype equals = knownEquals >= 0 ? knownEquals : keyLineEquals(text);
    line.key = equals >= 0;
    line.asciiName = line.key && (asciiText || isAscii(trimBlanks(text.first(equals))));
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
    const bool preferCp1252 = old.cp1252 || (isAscii(lineText(line)) && m_encoding == Encoding::Windows1252);
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
        if (line.run)
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
    if (!m_lines.isEmpty() && m_lines.back().ending == Ending::None)
        m_lines.back().ending = newLineEnding();
    const Ending ending = newLineEnding();
    const bool cp1252 = m_encoding == Encoding::Windows1252;
    const int number = int(m_sections.size());
    const int header = int(m_lines.size());
    m_sections.append(Section{header, header + 1});
    m_sectionIndex.insert(nameHash(name), 0, number);
    m_lines.append(storedLine({u"[", name, u"]"}, ending, cp1252));
    m_lines.append(storedLine({keyLine}, ending, cp1252));
}

void IniDocument::insertKeyLine(int section, const QString& key, const QString& keyLine)
{
    const bool wasIndexed = isIndexed(section);
    const int at = m_sections[section].lastLine + 1;
    insertLine(at, keyLine);
    if (at < m_lines.size() - 1) {
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
    m_lines.insert(at, storedLine({text}, newLineEnding(), m_encoding == Encoding::Windows1252));
}

IniDocument::Ending IniDocument::newLineEnding() const
{
    return m_firstEnding != Ending::None ? m_firstEnding : platformEnding();
}

IniDocument::Ending IniDocument::platformEnding()
{
#ifdef Q_OS_WIN
    return Ending::CrLf;
#else
    return Ending::Lf;
#endif
}
