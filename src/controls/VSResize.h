#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

class QWidget;

// Elastic layout: remembers where each child of a container sits at the design size and scales
// those places with the container, and keeps the container between a minimum and a maximum size.
class VSResize : public QObject
{
    Q_OBJECT

public:
    VSResize(QWidget* container, QSize designSize, QSize minimumSize, QSize maximumSize);

    // Takes the children's current geometry as their design geometry and applies the size limits.
    void Init();
    // Lays the children out for the container's current size.
    void Resize();

    // Where a control placed at `design` within `designSize` goes when the container is `actual`.
    static QRect scaled(const QRect& design, QSize designSize, QSize actual);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_container;
    QSize m_designSize;
    QSize m_minimum;
    QSize m_maximum;
    struct Placed
    {
        QPointer<QWidget> widget;
        QRect design;
    };
    QList<Placed> m_design;
};
