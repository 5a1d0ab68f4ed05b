#pragma once

#include <QList>
#include <QRect>
#include <QString>

class QSettings;
class QWidget;

// Window positions and sizes kept in a settings group, one sub-group per window named after the
// window's object name.
namespace WindowPositions {

// The name a window's position is stored under: its object name, or its class name when it has none.
QString nameOf(const QWidget* window);

// Restores the window's saved geometry, if any, and keeps it on a screen that exists.
void load(QSettings& store, QWidget* window);
void save(QSettings& store, const QWidget* window);

// The frame rectangle a restored window should take. A window of which no screen shows a grip of its
// top edge (the part that carries the title bar) moves to the middle of the primary screen, shrunk
// to fit it; any other window stays where it is.
QRect keepOnScreen(const QRect& frame, const QList<QRect>& screens, const QRect& primary);

} // namespace WindowPositions
