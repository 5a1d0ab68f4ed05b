#pragma once

#include <QByteArray>
#include <functional>

// Requests on a share not yet answered nor given up, across every query of the process. A query
// does not ask a share while one before it waits there for its first answer: when that one is
// given up the share is stuck, and when it is answered the share answers. Asked at once instead, a
// share that hangs would be waited on again in full, with a helper more: a user's refresh behind a
// stopped check whose thread is slow to give up would freeze. A share that is answering, as
// through a long listing, is asked at once.
// A place in the line of a share is held from the moment a query means to ask it until it is done.
class PlaceInLine
{
public:
    enum class Wait
    {
        Turn,    // none before it waits for the share's first answer
        Silent,  // those before it have heard nothing from the share for the whole timeout
        Stopped, // `stop` said so
    };

    explicit PlaceInLine(const QByteArray& mountPoint);
    ~PlaceInLine();
    PlaceInLine(const PlaceInLine&) = delete;
    PlaceInLine& operator=(const PlaceInLine&) = delete;

    // The share answered this request.
    void heard();
    // Waits while a request before this one waits on the same share, asking `stop` at least every
    // `sliceMsecs`; `waited` says whether it had to wait at all.
    Wait waitTurn(qint64 timeoutMsecs, int sliceMsecs, const std::function<bool()>& stop, bool& waited);

private:
    quint64 m_turn = 0;
    QByteArray m_mountPoint;
};
