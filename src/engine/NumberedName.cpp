#include "engine/NumberedName.h"

#include <algorithm>
#include <charconv>
#include <cstring>

NumberedName::NumberedName(QLatin1String prefix, int number)
{
    // The prefixes are the program's own, short enough for every number.
    Q_ASSERT(prefix.size() + 11 <= qsizetype(sizeof m_latin1));
    std::memcpy(m_latin1, prefix.data(), size_t(prefix.size()));
    m_size = std::to_chars(m_latin1 + prefix.size(), m_latin1 + sizeof m_latin1, number).ptr - m_latin1;
    std::copy(m_latin1, m_latin1 + m_size, m_chars);
}
