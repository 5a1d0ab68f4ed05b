#include "desktop/WindowPositions.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace {

const QString kGeometryKey = QStringLiteral("Geometry");
// How much of a window's top edge must show on a screen for the user to grab and move it.
constexpr int kGripWidth = 50;
constexpr int kGripHeight = 20;

QList<QRect> availableScreens()
{
    QList<QRect> rects;
    const auto screens = QGuiApplication::screens();
    for (const QScreen* screen : screens)
        rects << screen->availableGeometry();
    return rects;
}

bool hasGripOn(const QRect& frame, const QRect& screen)
{
    const QRect top(frame.left(), frame.top(), frame.width(), qMin(frame.height(), kGripHeight));
    const QRect shown = top.intersected(screen);
    return !shown.isEmpty() && shown.width() >= qMin(frame.width(), kGripWidth) &&
           shown.height() >= qMin(frame.height(), kGripHeight);
}

} // namespace

namespace WindowPositions {

QString nameOf(const QWidget* window)
{
    if (!window->objectName().isEmpty())
        return window->objectName();
    return QString::fromLatin1(window->metaObject()->className());
}

void load(QSettings& store, QWidget* window)
{
    store.beginGroup(nameOf(window));
    const QByteArray geometry = store.value(kGeometryKey).toByteArray();
    store.endGroup();
    if (geometry.isEmpty() || !window->restoreGeometry(geometry))
        return;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    const QRect frame = window->frameGeometry();
    const QRect kept = keepOnScreen(frame, availableScreens(), primary->availableGeometry());
    if (kept == frame)
        return;
    // The frame is the client area plus the window manager's decoration, which keeps its size.
    const QSize decoration = frame.size() - window->geometry().size();
    window->resize(kept.size() - decoration);
    window->move(kept.topLeft());
}

void save(QSettings& store, const QWidget* window)
{
    store.beginGroup(nameOf(window));
    store.setValue(kGeometryKey, window->saveGeometry());
    store.endGroup();
}

QRect keepOnScreen(const QRect& frame, const QList<QRect>& screens, const QRect& primary)
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

} // namespace WindowPositions
