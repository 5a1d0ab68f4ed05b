#include "background/DBusFileRevealer.h"

#include "engine/PathPieces.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QDir>

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/FileManager1");
const QString kInterface = QStringLiteral("org.freedesktop.FileManager1");
// A file manager started by the call itself needs a few seconds; one that takes longer than this
// is taken for hung, and the folder opens the other way.
constexpr int kCallMsecs = 10000;

// Made absolute by text alone: the place is never looked up on disk.
QString absolute(const QString& place)
{
    const QString path = QDir::fromNativeSeparators(place);
    return QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
}

} // namespace

DBusFileRevealer::DBusFileRevealer(const QDBusConnection& bus, FolderOpener openFolder, QObject* parent)
    : QObject(parent), m_bus(bus), m_openFolder(std::move(openFolder))
{
    if (!m_openFolder)
        m_openFolder = [](const QUrl& folder) { return QDesktopServices::openUrl(folder); };
}

QString DBusFileRevealer::serviceName()
{
    return QStringLiteral("org.freedesktop.FileManager1");
}

QString DBusFileRevealer::itemUri(const QString& place)
{
    QString path = absolute(place);
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

QUrl DBusFileRevealer::folderUrl(const QString& place)
{
    return QUrl::fromLocalFile(PathPieces::folderOf(absolute(place), QLatin1Char('/')));
}

void DBusFileRevealer::reveal(const QString& place)
{
    if (place.isEmpty())
        return;
    if (!m_bus.isConnected()) {
        m_openFolder(folderUrl(place));
        return;
    }
    // No startup id: the program has none to hand on, and file managers raise their window without.
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName(), kPath, kInterface, QStringLiteral("ShowItems"));
    call << QStringList{itemUri(place)} << QString();
    // Asked without waiting; a bus with no file manager on it answers with an error at once.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallMsecs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, place](QDBusPendingCallWatcher* finished) {
        if (finished->isError())
            m_openFolder(folderUrl(place));
        finished->deleteLater();
    });
}
