// The share query helper: answers file queries for the program on its standard input and output,
// so that a share that stops answering leaves this process stuck, never the program.
#include "queryhelper/QueryProtocol.h"

#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Whatever the parent left open (its standard output, its display connection) must not stay open
// for as long as a hung share keeps this process alive.
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

} // namespace

int main()
{
    closeInherited();
    return QueryProtocol::serve(STDIN_FILENO, STDOUT_FILENO);
}
