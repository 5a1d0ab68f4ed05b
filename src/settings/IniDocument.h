#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>
#include <optional>

// One INI file held as its lines, so that a change touches only the line it must and every
// other byte (comments, order, unknown keys, line endings, a byte order mark) survives.
// Names match without regard to case; among duplicates the first wins.
class IniDocument
{
public:
    enum class Encoding
    {
        Utf8,
        Windows1252
    };

    static IniDocument parse(const QByteArray& bytes);
    QByteArray serialize() const;

    // The stored value with blanks and one pair of matching quotes removed; nullopt when absent.
    std::optional<QString> value(const QString& section, const QString& key) const;
    // Replaces the first such key's line, or adds the key at the end of its section, or the section
    // at the end of the file. A value that would lose blanks or quotes on reading is quoted.
    void setValue(const QString& section, const QString& key, const QString& value);

    Encoding encoding() const { return m_encoding; }
    int sectionCount() const { return m_sections.size(); }

private:
    struct Line
    {
        QString text;
        QString ending; // "\r\n", "\n", "\r" or "" for a last line without one
    };
    struct Section
    {
        int header = -1;
        int lastLine = -1; // last key line, or the header when the section has none
        QHash<QString, int> keys;
    };

    void reindex();
    void indexKeyLine(Section& section, int lineIndex);
    void appendSection(const QString& name, const QString& key, const QString& keyLine);
    void insertKeyLine(Section& section, const QString& key, const QString& keyLine);
    void shiftLinesFrom(int at);
    void insertLine(int at, const QString& text);
    QString newLineEnding() const;

    QVector<Line> m_lines;
    QHash<QString, Section> m_sections;
    bool m_bom = false;
    Encoding m_encoding = Encoding::Utf8;
};
