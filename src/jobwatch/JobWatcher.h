#pragma once

// Runs one job for the program and stays with it until it ends: the job's error output comes here,
// of which only the last line is kept, its standard output goes nowhere, and how it ended goes to
// the report. The report's reader may go away at any time (the program ends while the job runs);
// the job then goes on, its error output still read, so that it never dies of a closed pipe.
namespace JobWatcher {

// `argv` is the program, by its full path, and its arguments. With a `lock` path, a run whose
// earlier run still holds that lock does not start. Returns the watcher's exit status.
int run(const char* lock, char* const argv[], int reportFd);

} // namespace JobWatcher
