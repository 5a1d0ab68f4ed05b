#include "GatedChannel.h"

#include "engine/HelperClient.h"
#include "engine/QueryChannel.h"
#include "queryhelper/QueryProtocol.h"

#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

class GatedChannel : public QueryChannel
{
public:
    explicit GatedChannel(std::shared_ptr<QueryGate> gate) : m_gate(std::move(gate)) {}
    ~GatedChannel() override { abandon(); }

    bool open(QString& why) override
    {
        int sv[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) {
            why = QStringLiteral("socketpair failed");
            return false;
        }
        m_fd = sv[0];
        m_done = std::make_shared<std::atomic<bool>>(false);
        ++m_gate->m_opened;
        ++m_gate->m_running;
        std::thread([gate = m_gate, fd = sv[1], done = m_done] {
            gate->waitOpen();
            QueryProtocol::serve(fd, fd);
            ::close(fd);
            --gate->m_running;
            *done = true;
        }).detach();
        return true;
    }

    int socket() const override { return m_fd; }

    void abandon() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    bool ended() override { return !m_done || *m_done; }

private:
    std::shared_ptr<QueryGate> m_gate;
    std::shared_ptr<std::atomic<bool>> m_done;
    int m_fd = -1;
};

} // namespace

void QueryGate::open()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_open = true;
    m_changed.notify_all();
}

void QueryGate::close()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_open = false;
}

void QueryGate::waitOpen()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_open; });
}

std::shared_ptr<QueryGate> QueryGate::install()
{
    auto gate = std::make_shared<QueryGate>();
    HelperClient::setChannelFactory([gate] { return std::make_unique<GatedChannel>(gate); });
    return gate;
}

void QueryGate::uninstall()
{
    HelperClient::setChannelFactory({});
}
