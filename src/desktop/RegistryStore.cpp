#include "desktop/RegistryStore.h"

#include "base/AppError.h"
#include "base/AppInfo.h"
#include "desktop/AutostartEntry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <memory>

const QString RegistryStore::RunKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");

namespace {

const QString kSource = QStringLiteral("RegistryStore");
const QString kGeometryKey = QStringLiteral("Geometry");
// How much of a window's top edge must show on a screen for the user to grab and move it.
constexpr int kGripWidth = 50;
constexpr int kGripHeight = 20;

bool hasGripOn(const QRect& frame, const QRect& screen)
{
    const QRect top(frame.left(), frame.top(), frame.width(), qMin(frame.height(), kGripHeight));
    const QRect shown = top.intersected(screen);
    return !shown.isEmpty() && shown.width() >= qMin(frame.width(), kGripWidth) &&
           shown.height() >= qMin(frame.height(), kGripHeight);
}

// Both slashes separate groups in QSettings; a value name keeps them as part of its name.
QString settingsKey(QString valueName)
{
    valueName.replace(QLatin1Char('%'), QStringLiteral("%25"));
    valueName.replace(QLatin1Char('/'), QStringLiteral("%2F"));
    valueName.replace(QLatin1Char('\\'), QStringLiteral("%5C"));
    return valueName;
}

#ifdef Q_OS_WIN

std::unique_ptr<QSettings> storeFor(const QString& keyPath)
{
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\") + keyPath, QSettings::NativeFormat);
}

#else

bool isRunKey(const QString& keyPath)
{
    return keyPath.compare(RegistryStore::RunKey, Qt::CaseInsensitive) == 0;
}

// The program's own key ("Software\Quillfen\Staleguard\...") is the per-user configuration
// itself, so only the rest of the path becomes groups in it.
QString groupFor(const QString& keyPath)
{
    const QString own = QStringLiteral("Software\\%1\\%2").arg(AppInfo::companyName(), AppInfo::productName());
    QString group = keyPath;
    if (group.compare(own, Qt::CaseInsensitive) == 0)
        group.clear();
    else if (group.startsWith(own + QLatin1Char('\\'), Qt::CaseInsensitive))
        group.remove(0, own.size() + 1);
    return group.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

std::unique_ptr<QSettings> storeFor(const QString& keyPath)
{
    auto store = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, AppInfo::companyName(),
                                             AppInfo::productName());
    const QString group = groupFor(keyPath);
    if (!group.isEmpty())
        store->beginGroup(group);
    return store;
}

#endif

// Window positions and sizes go in one sub-group per window, named after its object name, or its
// class name when it has none.
QString nameOf(const QWidget* window)
{
    if (!window->objectName().isEmpty())
        return window->objectName();
    return QString::fromLatin1(window->metaObject()->className());
}

void commit(QSettings& store, const QString& what)
{
    store.sync();
    if (store.status() != QSettings::NoError) {
        throw AppError(AppError::FileWrite, kSource,
                       QStringLiteral("Could not save %1 in \"%2\".").arg(what, store.fileName()));
    }
}

} // namespace

RegistryStore& RegistryStore::instance()
{
    static RegistryStore store;
    return store;
}

QString RegistryStore::GetValue(Hive, const QString& keyPath, const QString& valueName, int&, const QString& def)
{
#ifndef Q_OS_WIN
    if (isRunKey(keyPath))
        return AutostartEntry(valueName).program().value_or(def);
#endif
    const auto store = storeFor(keyPath);
    const QString key = settingsKey(valueName);
    return store->contains(key) ? store->value(key).toString() : def;
}

void RegistryStore::DeleteValue(Hive, const QString& keyPath, const QString& valueName, int&)
{
#ifndef Q_OS_WIN
    if (isRunKey(keyPath)) {
        AutostartEntry(valueName).remove();
        return;
    }
#endif
    const auto store = storeFor(keyPath);
    store->remove(settingsKey(valueName));
    commit(*store, QStringLiteral("the removal of \"%1\"").arg(valueName));
}

void RegistryStore::SetValue(Hive, const QString& keyPath, QString valueName, QString data, int, int&)
{
#ifndef Q_OS_WIN
    if (isRunKey(keyPath)) {
        AutostartEntry(valueName).write(data);
        return;
    }
#endif
    const auto store = storeFor(keyPath);
    store->setValue(settingsKey(valueName), data);
    commit(*store, QStringLiteral("\"%1\"").arg(valueName));
}

void RegistryStore::LoadWindowPos(QWidget* window, const QString& keyPath, int, Hive)
{
    const auto store = storeFor(keyPath);
    store->beginGroup(nameOf(window));
    const QByteArray geometry = store->value(kGeometryKey).toByteArray();
    if (geometry.isEmpty() || !window->restoreGeometry(geometry))
        return;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    const QRect kept = keepOnScreen(frame, screens, primary->availableGeometry());
    if (kept == frame)
        return;
    // The frame is the client area plus the window manager's decoration, which keeps its size.
    const QSize decoration = frame.size() - window->geometry().size();
    window->resize(kept.size() - decoration);
    window->move(kept.topLeft());
}

void RegistryStore::SaveWindowPos(QWidget* window, const QString& keyPath, Hive)
{
    const auto store = storeFor(keyPath);
    store->beginGroup(nameOf(window));
    store->setValue(kGeometryKey, window->saveGeometry());
    commit(*store, QStringLiteral("the position of window \"%1\"").arg(nameOf(window)));
}

QRect RegistryStore::keepOnScreen(const QRect& frame, const QList<QRect>& screens, const QRect& primary)
{
    for (const QRect& screen : screens) {
        if (hasGripOn(frame, screen))
            return frame;
    }
    if (primary.isEmpty())
        return frame;
    QRect moved(QPoint(), frame.size().boundedTo(primary.size()));
    moved.moveCenter(primary.center());
    return moved;
}
