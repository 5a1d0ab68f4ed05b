#pragma once

#include "engine/QueryChannel.h"

#ifdef Q_OS_UNIX
#include <sys/types.h>

// The helper process: a socket on its standard input and output, /dev/null for its errors, and
// nothing else of ours (it closes whatever else it inherited before it asks anything).
class HelperChannel : public QueryChannel
{
public:
    explicit HelperChannel(QString program) : m_program(std::move(program)) {}
    ~HelperChannel() override;

    bool open(QString& why) override;
    int socket() const override { return m_fd; }
    qint64 processId() const override { return m_pid; }
    void abandon() override;
    bool ended() override;

private:
    QString m_program;
    pid_t m_pid = -1;
    int m_fd = -1;
};
#endif
