#include "engine/HelperChannel.h"

#ifdef Q_OS_UNIX
#include "jobwatch/FreshSpawn.h"

#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

HelperChannel::~HelperChannel()
{
    if (m_fd >= 0)
        abandon();
}

bool HelperChannel::open(QString& why)
{
    const QByteArray program = QFile::encodeName(m_program);
    int sv[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) {
        why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    char* argv[] = {const_cast<char*>(program.constData()), nullptr};
    const int result = FreshSpawn::start(m_pid, argv, sv[1], sv[1], -1, false);
    ::close(sv[1]);
    if (result != 0) {
        ::close(sv[0]);
        m_pid = -1;
        why = QString::fromLocal8Bit(std::strerror(result));
        return false;
    }
    m_fd = sv[0];
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    return true;
}

void HelperChannel::abandon()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGKILL);
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool HelperChannel::ended()
{
    if (m_pid <= 0)
        return true;
    int status = 0;
    const pid_t got = ::waitpid(m_pid, &status, WNOHANG);
    if (got == m_pid || (got < 0 && errno == ECHILD)) {
        m_pid = -1;
        return true;
    }
    return false;
}
#endif
