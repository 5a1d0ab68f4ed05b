#include "ForkedCall.h"

#include <QFile>
#include <QtGlobal>

#include <csignal>
#include <cstdio>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ForkedCall {

namespace {

// The size of the address space in use now, which a memory limit must lie above (with
// AddressSanitizer it is terabytes of reserved shadow memory).
long long addressSpaceInUse()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(0).toLongLong() * ::sysconf(_SC_PAGESIZE);
}

void setLimit(int resource, long long value)
{
    const rlimit limit{rlim_t(value), rlim_t(value)};
    ::setrlimit(resource, &limit);
}

} // namespace

Outcome run(const Limits& limits, const std::function<QByteArray()>& work)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        ::signal(SIGXFSZ, SIG_IGN);
        if (limits.fileSize >= 0)
            setLimit(RLIMIT_FSIZE, limits.fileSize);
        if (limits.extraMemory >= 0) {
            // Large blocks come from mappings of their own, which the limit counts, and not from
            // room that malloc's arenas hold in reserve, which it counted before it was set.
            ::mallopt(M_MMAP_THRESHOLD, 64 * 1024);
            setLimit(RLIMIT_AS, addressSpaceInUse() + limits.extraMemory);
        }
        QByteArray text;
        try {
            text = work();
        } catch (...) {
            // It must not reach the test framework, which would go on running the tests in the child.
            ::_exit(1);
        }
        qsizetype sent = 0;
        while (sent < text.size()) {
            const ssize_t n = ::write(fds[1], text.constData() + sent, size_t(text.size() - sent));
            if (n <= 0)
                break;
            sent += n;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    Outcome outcome;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        outcome.text.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid)
        outcome.returned = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return outcome;
}

} // namespace ForkedCall
