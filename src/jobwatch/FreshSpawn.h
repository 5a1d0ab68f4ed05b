#pragma once

#include <spawn.h>
#include <sys/types.h>

// Starts a program with every signal as a fresh program has it: none blocked and each at its
// default, SIGPIPE included, which the starting process may ignore. The program, the job watcher
// and the query helper all start their children this way.
namespace FreshSpawn {

// With `ownSession` the child leads a session of its own, out of reach of the starter's terminal
// and process group. Returns 0, or posix_spawn's error number.
int start(pid_t& pid, const char* path, const posix_spawn_file_actions_t& actions, char* const argv[], bool ownSession);

} // namespace FreshSpawn
