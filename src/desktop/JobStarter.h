#pragma once

#include "desktop/JobCommand.h"

#include <QString>
#include <functional>

// Starts a job and tells how it ended. The program's own starts each job under a watcher of its
// own; tests put one here that runs nothing.
class JobStarter
{
public:
    struct Outcome
    {
        enum class Kind
        {
            Exited,
            Signalled,
            NotStarted,
            StillRunning // an earlier run of the same job, from before a restart or another copy
        };
        Kind kind = Kind::NotStarted;
        int code = 0;     // the exit status, or the signal that ended it
        QString reason;   // why it did not start, in the system's words
        QString lastLine; // the last line it wrote to its error output

        bool succeeded() const { return kind == Kind::Exited && code == 0; }
    };
    using Ended = std::function<void(const Outcome&)>;

    virtual ~JobStarter() = default;

    // Starts the command; `ended` is called once, later, from the event loop, also when it could not
    // start. A run under the same `lockName` that still goes on keeps it from starting.
    virtual void start(const JobCommand& command, const QString& lockName, Ended ended) = 0;
};
