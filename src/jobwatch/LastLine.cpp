#include "jobwatch/LastLine.h"

#include <algorithm>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

bool holdsText(const std::string& line)
{
    return !std::all_of(line.begin(), line.end(), isBlank);
}

} // namespace

LastLine::LastLine()
{
    m_current.reserve(kMaxBytes);
    m_last.reserve(kMaxBytes);
}

void LastLine::feed(const char* data, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\n' || c == '\r')
            endLine();
        else if (m_current.size() < kMaxBytes)
            m_current.push_back(c);
    }
}

void LastLine::endLine()
{
    if (holdsText(m_current))
        m_last.swap(m_current);
    m_current.clear();
}

std::string LastLine::line() const
{
    std::string out = holdsText(m_current) ? m_current : m_last;
    while (!out.empty() && isBlank(out.back()))
        out.pop_back();
    if (out.size() < kMaxBytes)
        return out;
    // A character the limit cut in two: its lead byte and the continuation bytes after it go.
    std::size_t end = out.size();
    std::size_t continuation = 0;
    while (end > 0 && (static_cast<unsigned char>(out[end - 1]) & 0xC0) == 0x80 && continuation < 3) {
        --end;
        ++continuation;
    }
    if (end > 0) {
        const unsigned char lead = static_cast<unsigned char>(out[end - 1]);
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (length > 1 && continuation + 1 < length)
            out.resize(end - 1);
    }
    return out;
}
