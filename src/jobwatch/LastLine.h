#pragma once

#include <cstddef>
#include <string>

// The last line a stream wrote, kept in a room of fixed size however much the stream holds: a job
// that writes gigabytes to its error output costs these few hundred bytes. A line ends at "\n" or
// "\r" (a progress display rewrites its line with "\r"); a line of blanks only does not count.
class LastLine
{
public:
    // The start of a longer line is kept; the rest of it is dropped as it comes.
    static constexpr std::size_t kMaxBytes = 400;

    LastLine();

    void feed(const char* data, std::size_t size);
    // The last line that held more than blanks, a line not yet ended included, without the blanks at
    // its end and without a UTF-8 character cut in two by the limit; empty when there is none.
    std::string line() const;

private:
    void endLine();

    std::string m_current; // the line being written, its first kMaxBytes at most
    std::string m_last;    // the last ended line that held more than blanks
};
