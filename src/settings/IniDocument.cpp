#include "settings/IniDocument.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five bytes it leaves undefined map to
// the control characters of the same number, as Windows does, so every byte reads and writes back.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCp1252(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.append(b >= 0x80 && b < 0xA0 ? QChar(kCp1252High[b - 0x80]) : QChar(b));
    }
    return out;
}

// Returns nullopt when a character has no Windows-1252 byte, so the caller can fall back to UTF-8.
std::optional<QByteArray> encodeCp1252(const QString& text)
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

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin).toString();
}

QString unquote(const QString& value)
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
    if (blankEnds || unquote(value) != value)
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

bool parsesAsKey(const QString& key)
{
    return !key.contains(QLatin1Char('=')) && !key.startsWith(QLatin1Char('[')) && !key.startsWith(QLatin1Char(';'));
}

bool parsesAsSection(const QString& name)
{
    return !name.contains(QLatin1Char(']'));
}

std::optional<QString> sectionName(const QString& line)
{
    const QString trimmed = trimBlanks(line);
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    return trimBlanks(QStringView(trimmed).mid(1, close < 0 ? -1 : close - 1));
}

} // namespace

IniDocument IniDocument::parse(const QByteArray& bytes)
{
    IniDocument doc;
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF")) {
        doc.m_bom = true;
        body.remove(0, 3);
    }
    // The byte order mark is already off; a second one is text and must be kept.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(body);
    if (utf8.hasError()) {
        doc.m_encoding = Encoding::Windows1252;
        text = decodeCp1252(body);
    }

    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = pos;
        while (end < text.size() && text[end] != QLatin1Char('\n') && text[end] != QLatin1Char('\r'))
            ++end;
        Line line{text.mid(pos, end - pos), QString()};
        if (end < text.size()) {
            const bool crlf = text[end] == QLatin1Char('\r') && end + 1 < text.size() && text[end + 1] == '\n';
            line.ending = text.mid(end, crlf ? 2 : 1);
        }
        doc.m_lines.append(line);
        pos = end + line.ending.size();
    }
    doc.reindex();
    return doc;
}

QByteArray IniDocument::serialize() const
{
    QString text;
    for (const Line& line : m_lines)
        text += line.text + line.ending;
    QByteArray out = m_bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    if (m_encoding == Encoding::Windows1252) {
        if (auto cp = encodeCp1252(text))
            return out + *cp;
    }
    return out + text.toUtf8();
}

void IniDocument::reindex()
{
    m_sections.clear();
    Section* current = nullptr;
    for (int i = 0; i < m_lines.size(); ++i) {
        const QString& text = m_lines[i].text;
        if (auto name = sectionName(text)) {
            const QString lower = name->toLower();
            // A repeated section is not indexed: the first one holds the values.
            current = m_sections.contains(lower) ? nullptr : &m_sections[lower];
            if (current) {
                current->header = i;
                current->lastLine = i;
            }
            continue;
        }
        if (current)
            indexKeyLine(*current, i);
    }
}

void IniDocument::indexKeyLine(Section& section, int lineIndex)
{
    const QString& text = m_lines[lineIndex].text;
    const QString trimmed = trimBlanks(text);
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
        return;
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq < 0)
        return;
    section.lastLine = lineIndex;
    const QString key = trimBlanks(QStringView(text).left(eq)).toLower();
    if (!section.keys.contains(key))
        section.keys.insert(key, lineIndex);
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const auto sit = m_sections.constFind(trimBlanks(section).toLower());
    if (sit == m_sections.constEnd())
        return std::nullopt;
    const auto kit = sit->keys.constFind(trimBlanks(key).toLower());
    if (kit == sit->keys.constEnd())
        return std::nullopt;
    const QString& text = m_lines[*kit].text;
    return unquote(trimBlanks(QStringView(text).mid(text.indexOf(QLatin1Char('=')) + 1)));
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString cleanKey = trimBlanks(singleLine(key));
    const QString cleanSection = trimBlanks(singleLine(section));
    const QString keyLine = cleanKey + QLatin1Char('=') + storedForm(singleLine(value));
    auto sit = m_sections.find(cleanSection.toLower());
    if (sit == m_sections.end()) {
        appendSection(cleanSection, cleanKey, keyLine);
    } else if (const auto kit = sit->keys.constFind(cleanKey.toLower()); kit != sit->keys.constEnd()) {
        Line& line = m_lines[*kit];
        const QString storedName = trimBlanks(QStringView(line.text).left(line.text.indexOf(QLatin1Char('='))));
        line.text = storedName + QLatin1Char('=') + keyLine.mid(cleanKey.size() + 1);
    } else {
        insertKeyLine(*sit, cleanKey, keyLine);
    }
    // A name the lines cannot hold as given (a key with "=", one that starts like a section or a
    // comment) reads back the way a fresh parse of the file sees it.
    if (!parsesAsKey(cleanKey) || !parsesAsSection(cleanSection))
        reindex();
}

void IniDocument::appendSection(const QString& name, const QString& key, const QString& keyLine)
{
    if (!m_lines.isEmpty() && m_lines.back().ending.isEmpty())
        m_lines.back().ending = newLineEnding();
    const QString ending = newLineEnding();
    Section& section = m_sections[name.toLower()];
    section.header = m_lines.size();
    section.lastLine = section.header + 1;
    section.keys.insert(key.toLower(), section.lastLine);
    m_lines.append(Line{QLatin1Char('[') + name + QLatin1Char(']'), ending});
    m_lines.append(Line{keyLine, ending});
}

void IniDocument::insertKeyLine(Section& section, const QString& key, const QString& keyLine)
{
    const int at = section.lastLine + 1;
    insertLine(at, keyLine);
    if (at < m_lines.size() - 1)
        shiftLinesFrom(at);
    section.lastLine = at;
    section.keys.insert(key.toLower(), at);
}

void IniDocument::shiftLinesFrom(int at)
{
    for (Section& section : m_sections) {
        if (section.header < at)
            continue; // a section before the new line keeps its lines
        ++section.header;
        ++section.lastLine;
        for (int& line : section.keys)
            ++line;
    }
}

void IniDocument::insertLine(int at, const QString& text)
{
    // The line before may be the file's last one without a line break.
    if (at > 0 && m_lines[at - 1].ending.isEmpty())
        m_lines[at - 1].ending = newLineEnding();
    m_lines.insert(at, Line{text, newLineEnding()});
}

QString IniDocument::newLineEnding() const
{
    for (const Line& line : m_lines) {
        if (!line.ending.isEmpty())
            return line.ending;
    }
#ifdef Q_OS_WIN
    return QStringLiteral("\r\n");
#else
    return QStringLiteral("\n");
#endif
}
