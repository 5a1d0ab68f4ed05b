#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// One INI file held as its lines, so that a change touches only the line it must and every
// other byte (comments, order, unknown keys, line endings, a byte order mark) survives.
// Names match as their toLower() forms do; among duplicates the first wins.
// Each line is read on its own as UTF-8 when it is valid UTF-8 and as Windows-1252 otherwise, so
// one stray byte cannot change how the rest of the file reads. A file too large raises std::bad_alloc.
class IniDocument
{
public:
    enum class Encoding
    {
        Utf8,
        Windows1252
    };

    // Files beyond this size are not parsed.
    static constexpr qsizetype kMaxSize = qsizetype(1) << 30;

    static IniDocument parse(const QByteArray& bytes);
    QByteArray serialize() const;
    // A section of one key added to the text of a new file, exactly as setValue() adds it to a
    // document made for such a file: for a file of many sections written whole. The names and the
    // value are ASCII and need nothing done to them (no blanks at their ends, line breaks,
    // quotes around the value, "=" or a leading "[" or ";" in the key, "]" in the section).
    static void appendNewSection(QByteArray& text, QLatin1String section, QLatin1String key, QLatin1String value);

    // Whether a name matches the one given in lowered form, as every name here matches. Names are
    // lowered a letter at a time while they are ASCII, and lowering goes letter by letter, so ASCII
    // letters that differ already decide. From the first letter beyond ASCII the whole name takes the
    // whole route, since lowering may change its length or turn it into ASCII. Lowering every name
    // with toLower() cost a 10,000-entry check 28 M more instructions, of 127 M.
    static bool lowersTo(QStringView name, QStringView lowered)
    {
        for (qsizetype i = 0; i < name.size(); ++i) {
            const char16_t c = name[i].unicode();
            if (c >= 0x80)
                return name.toString().toLower() == lowered;
            const char16_t low = c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
            if (i >= lowered.size() || low != lowered[i].unicode())
                return false;
        }
        return name.size() == lowered.size();
    }

    // The stored value with blanks and one pair of matching quotes removed; nullopt when absent.
    std::optional<QString> value(const QString& section, const QString& key) const;
    // The same in two steps, for many keys of one section: the section's number (-1 when absent,
    // valid until the next change) and a key's value in it.
    int sectionNumber(QStringView section) const;
    std::optional<QString> value(int sectionNumber, const QString& key) const;
    // Each key line of a section in file order, with its name without blanks around it and its value
    // as value() reads it. A repeated key is handed on each time: the first is the one that counts.
    // The views point into the document's text and stay valid until the next change.
    void forEachKey(int sectionNumber, const std::function<void(QStringView name, QStringView value)>& each) const;
    // Replaces the first such key's line, or adds the key at the end of its section, or the section
    // at the end of the file. A value that would lose blanks or quotes on reading is quoted.
    void setValue(const QString& section, const QString& key, const QString& value);

    // The encoding of lines added, and of changed lines that held only ASCII: Windows-1252 when every
    // line beyond ASCII is in it, else UTF-8.
    Encoding encoding() const { return m_encoding; }
    int sectionCount() const { return int(m_sections.size()); }

private:
    enum class Ending : quint8
    {
        None, // the file's last line without a line break
        Lf,
        CrLf,
        Cr
    };
    enum class Kind : quint8
    {
        Other, // blank, a comment, or no "="
        Section,
        Key
    };
    // A line's bytes as read, and its text. A changed or added line has new text and is written
    // from it; its bytes, if it had any, are no longer used. Other lines in a row, which nothing
    // looks up or changes, are held as one, line breaks and all: a file of blank lines costs no
    // more than its text.
    struct Line
    {
        quint32 bytes = 0;     // where they start in m_bytes
        quint32 byteCount = 0; // without the last line break
        quint32 text = 0;      // where it starts in m_text
        quint32 size = 0;      // without the last line break
        quint32 equals = 0;    // where a key line's first "=" lies in its text
        Kind kind = Kind::Other;
        Ending ending = Ending::None;
        bool edited = false;
        bool cp1252 = false; // read, or to be written, in Windows-1252
    };

    // What a line is: a section line, a key line and where its "=" lies.
    static void describe(Line& line, QStringView text);
    QStringView textOf(const Line& line) const { return QStringView(m_text).sliced(line.text, line.size); }
    QStringView nameOf(const Line& line) const;
    QStringView valueOf(const Line& line) const;
    // A line of new text, added to m_text.
    Line newLine(QStringView text, Ending ending, bool preferCp1252);
    // Numbers the sections anew from the lines.
    void index();
    // The first key line of the section named `lowered` when lowered, or -1.
    int findKey(int section, QStringView lowered) const;
    int lastKeyLine(int section) const;
    void appendSection(const QString& name, const QString& keyLine);
    void insertLine(int at, const QString& text);
    Ending newLineEnding() const;

    QByteArray m_bytes; // the file as read, shared with the caller's copy
    QString m_text;     // the text of the file as read, line breaks and all; new text at the end
    std::vector<Line> m_lines;
    QList<int> m_sections;                // the line of each section, by number
    QHash<QString, int> m_sectionNumbers; // by lowered name
    bool m_bom = false;
    Encoding m_encoding = Encoding::Utf8;
    Ending m_firstEnding = Ending::None;
};
