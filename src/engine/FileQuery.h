#pragma once

#include "engine/FileAnswer.h"
#include "engine/MountTable.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class HelperClient;
class PathRouter;
class PlaceInLine;

// Every question the program asks the file system about a watched file goes through here, with a
// deadline. Files on local disks are asked directly. Files on a network share or a user-space file
// system, whose calls may never return and cannot be interrupted, are asked by a helper process:
// when it does not answer in time it is given up, stuck on its own, and its share counts as not
// answering for the rest of this query's life; the program itself never waits on a share.
// One FileQuery serves one check; it reads the mount table when it is made.
class FileQuery
{
public:
    using Answer = FileAnswer;

    // "Share timeout" of the watch list: seconds, by the leading-number rule, 1 to 60, 5 when empty.
    static int shareTimeoutSeconds(QStringView stored);
    static constexpr int kDefaultShareTimeout = 5;

    explicit FileQuery(int shareTimeoutSecs = kDefaultShareTimeout);
    FileQuery(int shareTimeoutSecs, MountTable mounts);
    ~FileQuery();
    FileQuery(const FileQuery&) = delete;
    FileQuery& operator=(const FileQuery&) = delete;

    // No query waits past this moment; what is not answered by then is unreachable.
    void setDeadline(QDeadlineTimer deadline) { m_deadline = deadline; }
    // Asked while a query waits: once it answers true the query is given up at once.
    void setAbandon(std::function<bool()> abandon) { m_abandon = std::move(abandon); }

    // The file or folder a path names, following links.
    Answer stat(QStringView path);
    // Each name of a folder with what it names (links followed), then the state of the listing
    // itself: Found when it was listed whole. Unreachable names are passed on as such.
    using Each = FileAnswer::Each;
    Answer list(const QString& folder, const Each& each);
    // The whole of a file, for a watch list that may lie on a share.
    Answer read(const QString& path, QByteArray& bytes);
    // Whether a path lies on a share, found without touching the share.
    bool onShare(const QString& path);

    // The mount table every query made from now on starts with, in place of the system's (tests).
    static void setMountTable(std::optional<MountTable> table);
    // Helpers given up on that are still stuck, across every query of the process.
    static int stuckHelpers();

private:
    // What this query knows of a share it has asked.
    struct Share
    {
        std::unique_ptr<HelperClient> client;
        bool dead = false;
        QString why;
    };

    // A path once every link in it is followed, `links` of them on the way here.
    Answer followed(const QByteArray& path, int links);
    Answer askShare(int share, char op, const QByteArray& path, const Each& each, QByteArray* bytes);
    // Why the share is not asked after waiting in line behind the queries before; nullopt when it is.
    std::optional<QString> waitTurn(PlaceInLine& place, bool& waited);
    Answer shareGone(Share& share, const QString& why);
    bool stopped() const { return m_abandon && m_abandon(); }

    int m_timeoutSecs;
    std::unique_ptr<PathRouter> m_router;
    QDeadlineTimer m_deadline{QDeadlineTimer::Forever};
    std::function<bool()> m_abandon;
    std::map<int, Share> m_shares; // by the share's mount
};
