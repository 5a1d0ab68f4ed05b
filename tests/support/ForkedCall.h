#pragma once

#include <QByteArray>
#include <functional>

// Runs a function in a child process made by fork(), under limits that would be unsafe to set in
// the test process itself, and brings back the text it returns. The child ignores SIGXFSZ, as a
// shell does after `trap '' XFSZ`, so that a write beyond the file size limit fails with an error
// instead of ending the process.
namespace ForkedCall {

struct Limits
{
    long long fileSize = -1;    // bytes a file may grow to (`ulimit -f`); -1 for no limit
    long long extraMemory = -1; // address space the child may add to what it has (`ulimit -v`)
};

struct Outcome
{
    bool returned = false; // false when the child died, for example of an exception nobody caught
    QByteArray text;
};

Outcome run(const Limits& limits, const std::function<QByteArray()>& work);

} // namespace ForkedCall
