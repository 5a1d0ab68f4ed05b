#include "jobwatch/JobWatcher.h"

#include "jobwatch/FreshSpawn.h"
#include "jobwatch/JobReport.h"
#include "jobwatch/LastLine.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// How often a job that keeps its error output open past its end (a daemon it left behind) is
// looked at to see whether it has ended.
constexpr int kLookMsecs = 1000;

void put(int fd, const std::string& text)
{
    // A reader that has gone (the program ended) is no reason to stop: the job still runs.
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += std::size_t(n);
    }
}

// Held until this process ends; a second watcher of the same job finds it taken. A lock that cannot
// be made (no runtime folder) does not keep the job from running: the program keeps its own count.
bool takeLock(const char* path)
{
    if (!path || !*path)
        return true;
    const int fd = ::open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    const bool taken = errno == EWOULDBLOCK;
    ::close(fd);
    return !taken;
}

// Reads everything there is now; false at the end of the output.
bool readAvailable(int fd, LastLine& last)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            last.feed(buffer, std::size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0; // EAGAIN: more may come
    }
}

// Reads the error output until the job ends, and returns its wait status.
int follow(int fd, pid_t pid, LastLine& last)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    int status = 0;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, kLookMsecs);
        if (!readAvailable(fd, last))
            break;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            readAvailable(fd, last);
            return status;
        }
    }
    // The output closed; the job may still run.
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

} // namespace

namespace JobWatcher {

int run(const char* lock, char* const argv[], int reportFd)
{
    ::signal(SIGPIPE, SIG_IGN);
    if (!takeLock(lock)) {
        put(reportFd, JobReport::busy());
        return 0;
    }
    int err[2];
    if (::pipe2(err, O_CLOEXEC) != 0) {
        put(reportFd, JobReport::failed(errno));
        return 1;
    }
    pid_t pid = 0;
    const int result = FreshSpawn::start(pid, argv, -1, -1, err[1], false);
    ::close(err[1]);
    if (result != 0) {
        ::close(err[0]);
        put(reportFd, JobReport::failed(result));
        return 0;
    }
    put(reportFd, JobReport::started(long(pid)));
    LastLine last;
    const int status = follow(err[0], pid, last);
    ::close(err[0]);
    const std::string line = last.line();
    std::string report = line.empty() ? std::string() : JobReport::lastLine(line);
    report += WIFSIGNALED(status) ? JobReport::signalled(WTERMSIG(status)) : JobReport::exited(WEXITSTATUS(status));
    put(reportFd, report);
    return 0;
}

} // namespace JobWatcher
