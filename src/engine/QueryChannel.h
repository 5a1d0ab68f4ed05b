#pragma once

#include <QString>

// The other end of a share query helper: a socket to talk on, and the process (or, in tests, the
// thread) that answers on it.
class QueryChannel
{
public:
    virtual ~QueryChannel() = default;
    // Starts it; false, with the system's words in `why`, when it cannot be had.
    virtual bool open(QString& why) = 0;
    virtual int socket() const = 0;
    // Gives it up without waiting: it may stay stuck until its share answers.
    virtual void abandon() = 0;
    // Whether it has ended since it was given up (and is reaped).
    virtual bool ended() = 0;
    // The helper's process, 0 when it is none.
    virtual qint64 processId() const { return 0; }
};
