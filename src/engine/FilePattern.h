#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <string>
#include <vector>

// The names a folder entry's pick looks at ("file pattern"): shell wildcards separated by ";",
// such as "*.tar.gz;*.zip". A pattern covers the whole name and ignores letter case, since folder
// listings on the system the watch lists come from ignore it too. Only "*" (any run of characters)
// and "?" (one character) are special; every other character stands for itself. No pattern at all
// (empty, blanks or only ";") takes every file.
class FilePattern
{
public:
    explicit FilePattern(QStringView text = {});

    bool takesEverything() const { return m_patterns.isEmpty(); }
    // A name as the file system lists it, in its own encoding.
    bool matches(const char* name) const;
    bool matches(QStringView name) const;

    // Whether the text names folders as well, which a pattern of file names cannot.
    static bool holdsSeparator(QStringView text);

private:
    QStringList m_patterns;           // case-folded, each run of "*" made one
    std::vector<std::string> m_ascii; // the same in lower-case ASCII, while every pattern is ASCII
    bool m_allAscii = true;
};
