#include "desktop/AutostartEntry.h"

#include "base/AppError.h"
#include "base/AppInfo.h"
#include "desktop/DesktopExec.h"
#include "store/AtomicSave.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStandardPaths>

namespace {

const QString kSource = QStringLiteral("RegistryStore");
const QString kGroup = QStringLiteral("[Desktop Entry]");

// The keys of the "Desktop Entry" group, as stored (escapes not undone); the first of duplicates wins.
QHash<QString, QString> desktopEntryKeys(const QByteArray& bytes)
{
    QHash<QString, QString> keys;
    bool inGroup = false;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == kGroup;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inGroup || line.startsWith(QLatin1Char('#')) || eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        if (!keys.contains(key))
            keys.insert(key, line.mid(eq + 1).trimmed());
    }
    return keys;
}

AppError failure(const QString& what, const QString& path, const QString& reason)
{
    return AppError(AppError::FileWrite, kSource,
                    QStringLiteral("Could not %1 the log-on start entry \"%2\": %3").arg(what, path, reason));
}

} // namespace

AutostartEntry::AutostartEntry(const QString& valueName) : m_valueName(valueName) {}

QString AutostartEntry::folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
}

QString AutostartEntry::fileNameFor(const QString& valueName)
{
    QString name = valueName;
    for (QChar& c : name) {
        // ASCII alone: a desktop file name holds no other letters.
        if (!(c.unicode() < 0x80 && c.isLetterOrNumber()) && c != QLatin1Char('_'))
            c = QLatin1Char('-');
    }
    return (name.isEmpty() ? QStringLiteral("-") : name) + QStringLiteral(".desktop");
}

QString AutostartEntry::filePath() const
{
    return folder() + QLatin1Char('/') + fileNameFor(m_valueName);
}

std::optional<QString> AutostartEntry::program() const
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QHash<QString, QString> keys = desktopEntryKeys(file.readAll());
    const bool hidden = keys.value(QStringLiteral("Hidden")) == QLatin1String("true");
    const bool disabled = keys.value(QStringLiteral("X-GNOME-Autostart-enabled")) == QLatin1String("false");
    if (hidden || disabled || !keys.contains(QStringLiteral("Exec")))
        return std::nullopt;
    return DesktopExec::decode(keys.value(QStringLiteral("Exec")));
}

void AutostartEntry::write(const QString& program) const
{
    const QString path = filePath();
    if (!QDir().mkpath(folder()))
        throw failure(QStringLiteral("write"), path, QStringLiteral("its folder could not be made."));
    const QString name = m_valueName.isEmpty() ? AppInfo::productName() : m_valueName;
    const QString text = kGroup + QStringLiteral("\nType=Application\nName=") + DesktopExec::escapeString(name) +
                         QStringLiteral("\nExec=") + DesktopExec::encode(program) +
                         QStringLiteral("\nX-GNOME-Autostart-enabled=true\n");
    if (const auto reason = AtomicSave::write(path, text.toUtf8()))
        throw failure(QStringLiteral("write"), path, *reason);
}

void AutostartEntry::remove() const
{
    QFile file(filePath());
    if (!file.exists())
        return;
    if (!file.remove())
        throw failure(QStringLiteral("remove"), file.fileName(), file.errorString());
}
