#include "jobwatch/JobReport.h"

#include <charconv>

namespace {

std::string numbered(const char* word, long value)
{
    return std::string(word) + ' ' + std::to_string(value) + '\n';
}

template <typename T> T numberIn(std::string_view text)
{
    T value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// The rest of `line` after `word` and a blank, when it starts so.
bool after(std::string_view line, std::string_view word, std::string_view& rest)
{
    if (line.size() <= word.size() || line.substr(0, word.size()) != word || line[word.size()] != ' ')
        return false;
    rest = line.substr(word.size() + 1);
    return true;
}

} // namespace

namespace JobReport {

std::string started(long pid)
{
    return numbered("started", pid);
}

std::string lastLine(const std::string& line)
{
    return "line " + line + '\n';
}

std::string exited(int status)
{
    return numbered("exited", status);
}

std::string signalled(int signal)
{
    return numbered("signalled", signal);
}

std::string failed(int error)
{
    return numbered("failed", error);
}

std::string busy()
{
    return "busy\n";
}

Parsed parse(std::string_view text)
{
    Parsed out;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        // A line the watcher did not finish is no line.
        if (end == std::string_view::npos)
            break;
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        std::string_view rest;
        if (line == "busy") {
            out.end = Parsed::End::Busy;
        } else if (after(line, "started", rest)) {
            out.pid = numberIn<long>(rest);
        } else if (after(line, "line", rest)) {
            out.line = std::string(rest);
        } else if (after(line, "exited", rest)) {
            out.end = Parsed::End::Exited;
            out.value = numberIn<int>(rest);
        } else if (after(line, "signalled", rest)) {
            out.end = Parsed::End::Signalled;
            out.value = numberIn<int>(rest);
        } else if (after(line, "failed", rest)) {
            out.end = Parsed::End::Failed;
            out.value = numberIn<int>(rest);
        }
    }
    return out;
}

} // namespace JobReport
