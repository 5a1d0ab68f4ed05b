#pragma once

#include <QLatin1String>
#include <QStringView>

// A section name made of a prefix and a number ("file 12"), held without an allocation, for the
// reads and writes the check makes for every entry.
class NumberedName
{
public:
    NumberedName(QLatin1String prefix, int number);
    QStringView view() const { return QStringView(m_chars, m_size); }
    QLatin1String latin1() const { return QLatin1String(m_latin1, m_size); }

private:
    char16_t m_chars[24];
    char m_latin1[24];
    qsizetype m_size = 0;
};
