#pragma once

#include "engine/MountTable.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QueryChannel;

// Every question the program asks the file system about a watched file goes through here, with a
// deadline. Files on local disks are asked directly. Files on a network share or a user-space file
// system, whose calls may never return and cannot be interrupted, are asked by a helper process:
// when it does not answer in time it is given up, stuck on its own, and its share counts as not
// answering for the rest of this query's life; the program itself never waits on a share.
// One FileQuery serves one check; it reads the mount table when it is made.
class FileQuery
{
public:
    struct Answer
    {
        enum class State
        {
            Found,
            Missing,    // nothing there (ENOENT, ENOTDIR)
            Unreachable // there may be something, but it could not be asked
        };
        State state = State::Missing;
        bool regular = false; // found, and a file rather than a folder or a device
        qint64 mtimeSec = 0;
        qint64 mtimeNsec = 0;
        qint64 size = 0;
        QString why; // the system's words when unreachable

        bool isFile() const { return state == State::Found && regular; }
    };

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
    // While one lives, the files of one folder asked one after another are asked relative to the
    // folder, opened once, and not each down its whole path: for queries made together, between
    // which the folder is not expected to be put in the place of another.
    class Together
    {
    public:
        explicit Together(FileQuery& query);
        ~Together();
        Together(const Together&) = delete;
        Together& operator=(const Together&) = delete;

    private:
        FileQuery& m_query;
    };
    // The same, when it can be asked without waiting on a share; nullopt when the path lies on
    // one, or a link in it may lead onto one, and must wait its turn.
    std::optional<Answer> statAtOnce(QStringView path);
    // Each name of a folder with what it names (links followed), then the state of the listing
    // itself: Found when it was listed whole. Unreachable names are passed on as such.
    using Each = std::function<void(const char* name, const Answer& answer)>;
    Answer list(const QString& folder, const Each& each);
    // The whole of a file, for a watch list that may lie on a share.
    Answer read(const QString& path, QByteArray& bytes);
    // Whether a path lies on a share, found without touching the share.
    bool onShare(const QString& path);

    // Where the helper program is; beside the program, or in its libexec folder, when not set.
    static void setHelperProgram(const QString& program);
    static QString helperProgram();
    // Tests put a channel of their own in place of the helper process.
    using ChannelFactory = std::function<std::unique_ptr<QueryChannel>()>;
    static void setChannelFactory(ChannelFactory factory);
    // The mount table every query made from now on starts with, in place of the system's (tests).
    static void setMountTable(std::optional<MountTable> table);
    // Helpers given up on that are still stuck, across every query of the process.
    static int stuckHelpers();

private:
    struct Route
    {
        QByteArray path; // with the links of the local part resolved
        int share = -1;  // the share that holds it, -1 when local
        int error = 0;   // a local part could not be resolved
    };
    struct Share;

    Route route(const QByteArray& path, int depth);
    Route folderRoute(const QByteArray& folder, int depth);
    Answer statLocal(const QByteArray& path, int depth);
    // What a local path names, asked without following a link; nullopt for a share or a link.
    std::optional<Answer> statHere(const Route& where);
    Answer ask(int share, char op, const QByteArray& path, const Each& each, QByteArray* bytes);
    Share& shareState(int share);
    QString noAnswer() const;
    // The same, for a query that gave up after this long, which its run's deadline may have cut short.
    QString noAnswerAfter(qint64 waitedMsecs) const;
    bool waitReadable(int fd, QDeadlineTimer slice);

    int m_timeoutSecs;
    MountTable m_mounts;
    QDeadlineTimer m_deadline{QDeadlineTimer::Forever};
    std::function<bool()> m_abandon;
    QHash<QByteArray, Route> m_folders;
    std::vector<std::unique_ptr<Share>> m_shares;
    struct HeldFolder;
    std::unique_ptr<HeldFolder> m_held; // while queries are asked together
};

// The other end of the helper: a socket to talk on, and the process (or, in tests, the thread)
// that answers on it.
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
