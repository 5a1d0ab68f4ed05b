// The job watcher: starts one job for the program and tells it, on standard output, how the job
// ended. Started in a session of its own, it and the job go on when the program ends.
//
//     staleguard-job --lock PATH -- PROGRAM [ARGUMENT...]
//
// PROGRAM is a full path; an empty PATH takes no lock.
#include "jobwatch/FreshSpawn.h"
#include "jobwatch/JobWatcher.h"

#include <cstring>

int main(int argc, char* argv[])
{
    FreshSpawn::closeInherited();
    if (argc < 5 || std::strcmp(argv[1], "--lock") != 0 || std::strcmp(argv[3], "--") != 0)
        return 2;
    return JobWatcher::run(argv[2], argv + 4, 1);
}
