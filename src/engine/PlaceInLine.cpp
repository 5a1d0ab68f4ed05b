#include "engine/PlaceInLine.h"

#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

struct InLine
{
    QByteArray mountPoint;
    quint64 turn;
    qint64 sentMsecs;
    qint64 heardMsecs; // when it last had an answer, 0 before its first
};

// Kept for good, as a query may still wait in line while the program ends.
struct Line
{
    std::mutex mutex;
    std::condition_variable moved;
    std::vector<InLine> requests;
    quint64 turns = 0;
};
Line& line()
{
    static auto* it = new Line();
    return *it;
}

// A share heard from this recently is answering.
constexpr qint64 kAnsweringMsecs = 1000;

qint64 nowMsecs()
{
    QElapsedTimer clock;
    clock.start();
    return clock.msecsSinceReference();
}

} // namespace

PlaceInLine::PlaceInLine(const QByteArray& mountPoint) : m_mountPoint(mountPoint)
{
    Line& l = line();
    const std::lock_guard<std::mutex> lock(l.mutex);
    m_turn = ++l.turns;
    l.requests.push_back(InLine{mountPoint, m_turn, nowMsecs(), 0});
}

PlaceInLine::~PlaceInLine()
{
    Line& l = line();
    {
        const std::lock_guard<std::mutex> lock(l.mutex);
        l.requests.erase(std::find_if(l.requests.begin(), l.requests.end(),
                                      [this](const InLine& request) { return request.turn == m_turn; }));
    }
    l.moved.notify_all();
}

void PlaceInLine::heard()
{
    Line& l = line();
    const std::lock_guard<std::mutex> lock(l.mutex);
    for (InLine& request : l.requests) {
        if (request.turn == m_turn)
            request.heardMsecs = nowMsecs();
    }
}

PlaceInLine::Wait PlaceInLine::waitTurn(qint64 timeoutMsecs, int sliceMsecs, const std::function<bool()>& stop,
                                        bool& waited)
{
    waited = false;
    Line& l = line();
    std::unique_lock<std::mutex> lock(l.mutex);
    for (;;) {
        const qint64 now = nowMsecs();
        bool before = false;
        qint64 lastSign = 0; // of life from the share: a request sent or answered
        for (const InLine& request : l.requests) {
            if (request.turn >= m_turn || request.mountPoint != m_mountPoint)
                continue;
            if (request.heardMsecs != 0 && now - request.heardMsecs < kAnsweringMsecs)
                return Wait::Turn;
            before = true;
            lastSign = std::max({lastSign, request.sentMsecs, request.heardMsecs});
        }
        if (!before)
            return Wait::Turn;
        if (now - lastSign >= timeoutMsecs)
            return Wait::Silent;
        waited = true;
        // The caller's own code is not run under the lock.
        lock.unlock();
        if (stop())
            return Wait::Stopped;
        lock.lock();
        l.moved.wait_for(lock, std::chrono::milliseconds(sliceMsecs));
    }
}
