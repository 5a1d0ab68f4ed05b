#pragma once

#include <string>
#include <string_view>

// What the job watcher tells the program, one line each, in this order: that the job started, the
// last line of its error output, and how it ended. A job that could not start, or whose earlier run
// still goes on, gets one line saying so instead.
namespace JobReport {

std::string started(long pid);
std::string lastLine(const std::string& line); // the line holds no line break
std::string exited(int status);
std::string signalled(int signal);
std::string failed(int error); // the job could not start: the system's error number
std::string busy();            // an earlier run of the same job still goes on

struct Parsed
{
    enum class End
    {
        None, // the watcher ended without saying how the job did
        Exited,
        Signalled,
        Failed,
        Busy
    };
    End end = End::None;
    int value = 0; // the exit status, the signal or the error number
    long pid = 0;  // 0 when the job did not start
    std::string line;
};
// Reads a whole report; lines it does not know are passed over.
Parsed parse(std::string_view text);

} // namespace JobReport
