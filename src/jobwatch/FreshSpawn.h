#pragma once

#include <sys/types.h>

// How a child process of ours starts: the query helper and the job watcher, started by the
// program, and the job, started by the watcher.
namespace FreshSpawn {

// Starts argv[0], by its full path, with every signal as a fresh program has it: none blocked and
// each at its default, SIGPIPE included, which the starting process may ignore. Its standard input,
// output and error are `in`, `out` and `err`, or /dev/null where one is -1. With `ownSession` the
// child leads a session of its own, out of reach of the starter's terminal and process group.
// Returns 0, or posix_spawn's error number.
int start(pid_t& pid, char* const argv[], int in, int out, int err, bool ownSession);

// Called first thing in such a child: closes every descriptor but the standard three, so that
// whatever its starter left open (a display connection, a lock) does not stay open for as long as
// the child lives, which a job or a hung share may make hours.
void closeInherited();

} // namespace FreshSpawn
