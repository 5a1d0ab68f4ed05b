#include "store/IniDocument.h"

#include <QStringDecoder>

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

// Returns nullopt when a character has no Windows-1252 byte, so the caller can fall back to UTF-8.
std::optional<QByteArray> encodeCp1252(QStringView text)
{
    QByteArray out;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        const char16_t* const found = std::find(std::begin(kCp1252High), std::end(kCp1252High), u);
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
            out += char(u);
        else if (found != std::end(kCp1252High))
            out += char(0x80 + (found - kCp1252High));
        else
            return std::nullopt;
    }
    return out;
}

void appendCp1252(QString& text, QByteArrayView bytes)
{
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text += QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
    }
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

QStringView trimBlanks(QStringView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

QStringView unquote(QStringView value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

char16_t asciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

// A name as it is matched: its toLower() form, without blanks around it. Most names are ASCII and
// are lowered here a letter at a time: toLower() cost --check 9.1 M of its 95 M instructions more.
QString lowered(QStringView name)
{
    name = trimBlanks(name);
    if (!isAscii(name))
        return name.toString().toLower();
    QString text(name.size(), Qt::Uninitialized);
    std::transform(name.begin(), name.end(), text.begin(), [](QChar c) { return QChar(asciiLower(c.unicode())); });
    return text;
}

// The name in a section line's brackets; a line without "]" closes at its end.
QStringView sectionName(QStringView line)
{
    const QStringView trimmed = trimBlanks(line);
    const qsizetype close = trimmed.indexOf(u']');
    return trimBlanks(trimmed.sliced(1, (close < 0 ? trimmed.size() : close) - 1));
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

// Whether the lines hold a name as given, or a fresh parse would read it otherwise.
bool holdsAsGiven(const QString& section, const QString& key)
{
    return !section.contains(u']') && !key.contains(u'=') && !key.startsWith(u'[') && !key.startsWith(u';');
}

// The line breaks by Ending.
const char* const kBreaks[] = {"", "\n", "\r\n", "\r"};

// What a document without lines takes for its new lines.
#ifdef Q_OS_WIN
constexpr char kPlatformBreak[] = "\r\n";
#else
constexpr char kPlatformBreak[] = "\n";
#endif

} // namespace

IniDocument IniDocument::parse(const QByteArray& bytes)
{
    if (bytes.size() > kMaxSize)
        throw std::bad_alloc();
    IniDocument doc;
    doc.m_bytes = bytes;
    doc.m_bom = bytes.startsWith("\xEF\xBB\xBF");
    const char* const data = bytes.constData();
    const qsizetype size = bytes.size();
    const qsizetype start = doc.m_bom ? 3 : 0;
    // Room for the whole text at once, so that it is never copied as it grows: it has no more
    // characters than the file has bytes.
    doc.m_text.reserve(size - start);
    bool utf8Beyond = false;
    bool cp1252Beyond = false;
    for (qsizetype from = start; from < size;) {
        const char* const end = std::find_if(data + from, data + size, [](char c) { return c == '\n' || c == '\r'; });
        const qsizetype to = end - data;
        const bool ascii = std::all_of(data + from, end, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        Line line;
        if (to < size)
            line.ending =
                data[to] == '\n' ? Ending::Lf : (to + 1 < size && data[to + 1] == '\n' ? Ending::CrLf : Ending::Cr);
        if (doc.m_firstEnding == Ending::None)
            doc.m_firstEnding = line.ending;
        const qsizetype next = to + qsizetype(std::strlen(kBreaks[int(line.ending)]));
        const QByteArrayView raw(data + from, next - from); // with its line break
        line.bytes = quint32(from);
        line.byteCount = quint32(to - from);
        line.text = quint32(doc.m_text.size());
        if (ascii) {
            doc.m_text += QLatin1String(raw.data(), raw.size());
        } else if (raw.isValidUtf8()) {
            // A byte order mark inside the file is text and is kept.
            doc.m_text += QString(QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom)(raw));
            utf8Beyond = true;
        } else {
            appendCp1252(doc.m_text, raw);
            line.cp1252 = true;
            cp1252Beyond = true;
        }
        line.size = quint32(doc.m_text.size() - (next - to) - line.text);
        from = next;
        describe(line, doc.textOf(line));
        Line* const run = doc.m_lines.empty() ? nullptr : &doc.m_lines.back();
        if (line.kind == Kind::Other && run && run->kind == Kind::Other) {
            run->byteCount = quint32(to - run->bytes);
            run->size = line.text + line.size - run->text;
            run->ending = line.ending;
        } else {
            doc.m_lines.push_back(line);
        }
    }
    if (cp1252Beyond && !utf8Beyond)
        doc.m_encoding = Encoding::Windows1252;
    doc.index();
    return doc;
}

void IniDocument::appendNewSection(QByteArray& text, QLatin1String section, QLatin1String key, QLatin1String value)
{
    Q_ASSERT(!section.isEmpty() && !key.isEmpty());
    text += '[';
    text += section;
    text += ']';
    text += kPlatformBreak;
    text += key;
    text += '=';
    text += value;
    text += kPlatformBreak;
}

QByteArray IniDocument::serialize() const
{
    QByteArray out;
    out.reserve(m_bytes.size());
    if (m_bom)
        out += "\xEF\xBB\xBF";
    for (const Line& line : m_lines) {
        if (!line.edited)
            out += QByteArrayView(m_bytes).sliced(line.bytes, line.byteCount);
        else if (line.cp1252)
            out += *encodeCp1252(textOf(line));
        else
            out += textOf(line).toUtf8();
        out += kBreaks[int(line.ending)];
    }
    return out;
}

void IniDocument::describe(Line& line, QStringView text)
{
    const QStringView trimmed = trimBlanks(text);
    const qsizetype equals = std::find(text.begin(), text.end(), u'=') - text.begin();
    const bool key = !trimmed.startsWith(u'[') && !trimmed.startsWith(u';') && equals < text.size();
    line.kind = trimmed.startsWith(u'[') ? Kind::Section : (key ? Kind::Key : Kind::Other);
    line.equals = key ? quint32(equals) : 0;
}

QStringView IniDocument::nameOf(const Line& line) const
{
    return trimBlanks(textOf(line).first(line.equals));
}

QStringView IniDocument::valueOf(const Line& line) const
{
    return unquote(trimBlanks(textOf(line).sliced(line.equals + 1)));
}

void IniDocument::index()
{
    const auto isSection = [](const Line& line) { return line.kind == Kind::Section; };
    const qsizetype count = std::count_if(m_lines.begin(), m_lines.end(), isSection);
    m_sections.clear();
    m_sections.reserve(count);
    m_sectionNumbers.clear();
    m_sectionNumbers.reserve(count);
    for (int i = 0; i < int(m_lines.size()); ++i) {
        if (!isSection(m_lines[i]))
            continue;
        // A repeated section is not numbered: the first one holds the values.
        QString name = lowered(sectionName(textOf(m_lines[i])));
        if (m_sectionNumbers.contains(name))
            continue;
        m_sectionNumbers.insert(std::move(name), int(m_sections.size()));
        m_sections.append(i);
    }
}

int IniDocument::findKey(int section, QStringView lowered) const
{
    for (int i = m_sections[section] + 1; i < int(m_lines.size()) && m_lines[i].kind != Kind::Section; ++i) {
        if (m_lines[i].kind == Kind::Key && lowersTo(nameOf(m_lines[i]), lowered))
            return i;
    }
    return -1;
}

int IniDocument::lastKeyLine(int section) const
{
    int last = m_sections[section];
    for (int i = last + 1; i < int(m_lines.size()) && m_lines[i].kind != Kind::Section; ++i) {
        if (m_lines[i].kind == Kind::Key)
            last = i;
    }
    return last;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    return value(sectionNumber(section), key);
}

int IniDocument::sectionNumber(QStringView section) const
{
    return m_sectionNumbers.value(lowered(section), -1);
}

std::optional<QString> IniDocument::value(int sectionNumber, const QString& key) const
{
    if (sectionNumber < 0 || sectionNumber >= m_sections.size())
        return std::nullopt;
    const int line = findKey(sectionNumber, lowered(key));
    if (line < 0)
        return std::nullopt;
    return valueOf(m_lines[line]).toString();
}

void IniDocument::forEachKey(int sectionNumber,
                             const std::function<void(QStringView name, QStringView value)>& each) const
{
    if (sectionNumber < 0 || sectionNumber >= m_sections.size())
        return;
    for (int i = m_sections[sectionNumber] + 1; i < int(m_lines.size()) && m_lines[i].kind != Kind::Section; ++i) {
        if (m_lines[i].kind == Kind::Key)
            each(nameOf(m_lines[i]), valueOf(m_lines[i]));
    }
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString cleanKey = trimBlanks(singleLine(key)).toString();
    const QString cleanSection = trimBlanks(singleLine(section)).toString();
    const QString stored = QLatin1Char('=') + storedForm(singleLine(value));
    const int number = sectionNumber(cleanSection);
    if (number < 0) {
        appendSection(cleanSection, cleanKey + stored);
    } else if (const int line = findKey(number, cleanKey.toLower()); line >= 0) {
        // The name stays as stored; a line goes on in its own encoding, one that held only ASCII
        // takes the file's.
        const Line old = m_lines[line];
        const bool cp1252 = old.cp1252 || (isAscii(textOf(old)) && m_encoding == Encoding::Windows1252);
        m_lines[line] = newLine(nameOf(old).toString() + stored, old.ending, cp1252);
    } else {
        insertLine(lastKeyLine(number) + 1, cleanKey + stored);
    }
    // A name the lines cannot hold as given (a key with "=", one that starts like a section or a
    // comment) reads back the way a fresh parse of the file sees it.
    if (!holdsAsGiven(cleanSection, cleanKey))
        index();
}

IniDocument::Line IniDocument::newLine(QStringView text, Ending ending, bool preferCp1252)
{
    // Lines are found by 32-bit offsets.
    if (m_text.size() + text.size() > qsizetype(std::numeric_limits<quint32>::max()))
        throw std::bad_alloc();
    Line line;
    line.text = quint32(m_text.size());
    line.size = quint32(text.size());
    line.ending = ending;
    line.edited = true;
    m_text += text;
    describe(line, text);
    if (preferCp1252 && !isAscii(text)) {
        // Bytes that also read as UTF-8 would come back as other characters; UTF-8 always reads back.
        const auto cp = encodeCp1252(text);
        line.cp1252 = cp && !cp->isValidUtf8();
    }
    return line;
}

void IniDocument::appendSection(const QString& name, const QString& keyLine)
{
    insertLine(int(m_lines.size()), QLatin1Char('[') + name + QLatin1Char(']'));
    m_sectionNumbers.insert(lowered(name), int(m_sections.size()));
    m_sections.append(int(m_lines.size()) - 1);
    insertLine(int(m_lines.size()), keyLine);
}

void IniDocument::insertLine(int at, const QString& text)
{
    // The line before may be the file's last one without a line break.
    if (at > 0 && m_lines[at - 1].ending == Ending::None)
        m_lines[at - 1].ending = newLineEnding();
    const Line line = newLine(text, newLineEnding(), m_encoding == Encoding::Windows1252);
    m_lines.insert(m_lines.begin() + at, line);
    for (int& header : m_sections) {
        if (header >= at)
            ++header;
    }
}

IniDocument::Ending IniDocument::newLineEnding() const
{
    if (m_firstEnding != Ending::None)
        return m_firstEnding;
#ifdef Q_OS_WIN
    return Ending::CrLf;
#else
    return Ending::Lf;
#endif
}
