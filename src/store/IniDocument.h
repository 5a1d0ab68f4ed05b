#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

#include "store/IniNameIndex.h"

// One INI file held as its lines, so that a change touches only the line it must and every
// other byte (comments, order, unknown keys, line endings, a byte order mark) survives.
// Names match without regard to case; among duplicates the first wins.
// Each line is read on its own as UTF-8 when it is valid UTF-8 and as Windows-1252 otherwise, so
// one stray byte cannot change how the rest of the file reads. A line stays in the file's own
// bytes until it is changed: names are matched there, and only the values read are turned into
// text. Memory stays within a small multiple of the file's size whatever it holds; a file too
// large for that raises std::bad_alloc.
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

    // The stored value with blanks and one pair of matching quotes removed; nullopt when absent.
    std::optional<QString> value(const QString& section, const QString& key) const;
    // The same in two steps, for many keys of one section: the section's number (-1 when absent,
    // valid until the next change) and a key's value in it.
    // `guess` is tried before the index: a walk over the sections in file order finds each at once.
    int sectionNumber(QStringView section, int guess = -1) const;
    std::optional<QString> value(int sectionNumber, const QString& key) const;
    // Several keys of one section at once, each found as value() finds it and empty when missing:
    // a short section is read through once for all of them instead of once for each. The values
    // are added to the end of `text`, which the views point into; views into it from before may be
    // left behind when it grows. The keys are ASCII, without blanks around them.
    void values(int sectionNumber, const QLatin1String* keys, QStringView* values, int count, QString& text) const;
    // Each key line of a section in file order, with its name without blanks around it and its value
    // as value() reads it. A repeated key is handed on each time: the first is the one that counts.
    void forEachKey(int sectionNumber, const std::function<void(QStringView name, QStringView value)>& each) const;
    // Replaces the first such key's line, or adds the key at the end of its section, or the section
    // at the end of the file. A value that would lose blanks or quotes on reading is quoted.
    void setValue(const QString& section, const QString& key, const QString& value);

    // The encoding of lines added, and of changed lines that held only ASCII: Windows-1252 when every
    // line beyond ASCII is in it, else UTF-8.
    Encoding encoding() const { return m_encoding; }
    int sectionCount() const { return m_sections.size(); }

private:
    enum class Ending : quint8
    {
        None, // the file's last line without a line break
        Lf,
        CrLf,
        Cr
    };
    // A key or section line; or a run of other lines (blank, comment, no "="), which nothing
    // looks up or changes. A line as read is the file's own bytes; a changed or added line is text.
    struct Line
    {
        quint32 start;  // in m_bytes, or for an edited line in m_text
        quint32 length; // for a run, with the line breaks inside it
        Ending ending;
        bool run : 1;
        bool header : 1; // a section line: its first character after blanks is "["
        bool key : 1;    // a key line, with its name before the first "="
        bool asciiName : 1;
        bool edited : 1;
        bool cp1252 : 1; // read or written in Windows-1252
        bool utf8 : 1;   // read as UTF-8 and not ASCII
        // Where a key line's first "=" lies (in bytes for a line as read), kept so that a lookup
        // need not search for it again; kFarEquals when it lies too far in.
        quint16 equals;
    };
    static constexpr quint16 kFarEquals = 0xFFFF;
    struct Section
    {
        int header = -1;
        int lastLine = -1; // last key line, or the header when the section has none
    };

    QStringView editedText(int line) const
    {
        return QStringView(m_text).sliced(m_lines[line].start, m_lines[line].length);
    }
    QByteArrayView bytesOf(int line) const
    {
        return QByteArrayView(m_bytes).sliced(m_lines[line].start, m_lines[line].length);
    }
    // The whole line as text, for what the names and values alone do not answer.
    QString lineText(int line) const;
    bool isAsciiLine(int line) const;
    // A key line's name, or its value without blanks and quotes around it, where they lie: in the
    // bytes of a line as read or in the text of an edited one.
    template <typename View> static View nameIn(View line, quint16 equals);
    template <typename View> static View valueIn(View line, quint16 equals);
    // A key line's name as stored, as text.
    QString keyNameOf(int line) const;
    bool isKeyNamed(int line, QStringView key) const;
    // The same for an ASCII key, as the program writes its names: most often the very bytes stored.
    bool isKeyNamed(int line, QLatin1String key) const;
    // For a name and a key both in ASCII.
    template <typename Key> bool isAsciiKeyNamed(int line, Key key) const;
    // A key line's value written where `out` points, with room for valueSize() characters; returns its end.
    QChar* writeValue(QChar* out, int line) const;
    qsizetype valueSize(int line) const { return m_lines[line].length; }
    // A long section's keys are in m_keyIndex; a short one is searched line by line.
    bool isIndexed(int section) const;
    // What an edited line is: a section line, a key line and where its "=" lies.
    static void describeKey(QStringView text, Line& line);
    // Adds a line's text, given in pieces, to the buffer.
    Line storedLine(std::initializer_list<QStringView> pieces, Ending ending, bool preferCp1252);
    void setLineText(int line, const QString& text);
    void compact();
    void reindex();
    // The same, given the section lines in file order.
    void reindex(const QList<int>& headers);
    void indexKeyLine(int section, int lineIndex);
    void indexKeys(int section);
    int scanForKey(int section, QStringView key) const;
    int findSection(QStringView name, int guess = -1) const;
    bool isSectionNamed(int section, QStringView name) const;
    int findKey(int section, QStringView key) const;
    void appendSection(const QString& name, const QString& keyLine);
    void insertKeyLine(int section, const QString& key, const QString& keyLine);
    void insertLine(int at, const QString& text);
    Ending newLineEnding() const;
    static Ending platformEnding();

    QByteArray m_bytes; // the file as read, shared with the caller's copy
    // The text of every edited line in one buffer; a changed line gets its new text added at the
    // end, and the buffer is rebuilt once more of it is old text than is in use.
    QString m_text;
    qsizetype m_unusedText = 0;
    std::vector<Line> m_lines;
    QVector<Section> m_sections;
    IniNameIndex m_sectionIndex; // section numbers by name
    IniNameIndex m_keyIndex;     // key lines of long sections by section number and name
    bool m_bom = false;
    Encoding m_encoding = Encoding::Utf8;
    Ending m_firstEnding = Ending::None;
};
