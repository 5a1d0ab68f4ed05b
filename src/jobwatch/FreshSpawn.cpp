#include "jobwatch/FreshSpawn.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <unistd.h>

extern char** environ;

namespace FreshSpawn {

int start(pid_t& pid, char* const argv[], int in, int out, int err, bool ownSession)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int given[] = {in, out, err};
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (given[fd] < 0)
            posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0);
        else
            posix_spawn_file_actions_adddup2(&actions, given[fd], fd);
    }
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (ownSession)
        flags |= POSIX_SPAWN_SETSID;
    posix_spawnattr_setflags(&attr, flags);
    const int result = ::posix_spawn(&pid, argv[0], &actions, &attr, argv, environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

void closeInherited()
{
#ifdef SYS_close_range
    if (::syscall(SYS_close_range, 3U, ~0U, 0U) == 0)
        return;
#endif
    const long highest = ::sysconf(_SC_OPEN_MAX);
    for (long fd = 3; fd < (highest > 0 && highest < 65536 ? highest : 65536); ++fd)
        ::close(int(fd));
}

} // namespace FreshSpawn
