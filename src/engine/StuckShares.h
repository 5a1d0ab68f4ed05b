#pragma once

#include "engine/QueryChannel.h"

#ifdef Q_OS_UNIX
#include <QByteArray>
#include <memory>

// The shares that do not answer, across every query of the process and, through a note per share
// in the user's runtime folder, across runs: a stuck helper outlives a `--check`, and a monitoring
// engine starts one every minute. So a share that hangs for a day holds one stuck helper, not one
// per check. A share counts as not answering until its stuck helper has ended.
class StuckShares
{
public:
    // Whether a helper given up on the share, here or in an earlier run, is still stuck.
    static bool stuckOn(const QByteArray& mountPoint);
    // Gives the helper up, kept until it ends. `stuck` when its share did not answer it, which the
    // queries and runs after learn; otherwise it is only left to end.
    static void giveUp(const QByteArray& mountPoint, std::unique_ptr<QueryChannel> channel, bool stuck);
    // Helpers of this process given up as stuck that have not ended yet.
    static int count();
};
#endif
