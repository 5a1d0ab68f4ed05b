#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

// A share query helper that runs as a thread of the test and answers nothing until the test opens
// its gate: a share that stops answering, without a share. It speaks the helper's own protocol.
class QueryGate
{
public:
    void open();
    void close();
    void waitOpen();
    // Channels opened so far, and those whose thread has not ended yet.
    int opened() const { return m_opened; }
    int running() const { return m_running; }

    // Makes every FileQuery of the process use channels behind this gate.
    static std::shared_ptr<QueryGate> install();
    static void uninstall();

    std::atomic<int> m_opened{0};
    std::atomic<int> m_running{0};

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};
