#include "controls/VSResize.h"

#include <QEvent>
#include <QWidget>
#include <cmath>

VSResize::VSResize(QWidget* container, QSize designSize, QSize minimumSize, QSize maximumSize)
    : QObject(container), m_container(container), m_designSize(designSize), m_minimum(minimumSize),
      m_maximum(maximumSize)
{
    m_container->installEventFilter(this);
}

void VSResize::Init()
{
    m_design.clear();
    const auto children = m_container->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        if (!child->isWindow())
            m_design.append({child, child->geometry()});
    }
    m_container->setMinimumSize(m_minimum);
    m_container->setMaximumSize(m_maximum);
    Resize();
}

void VSResize::Resize()
{
    // Before Init() there is nothing to lay out.
    const QSize actual = m_container->size();
    for (const Placed& placed : std::as_const(m_design)) {
        if (placed.widget)
            placed.widget->setGeometry(scaled(placed.design, m_designSize, actual));
    }
}

QRect VSResize::scaled(const QRect& design, QSize designSize, QSize actual)
{
    if (designSize.isEmpty())
        return design;
    const double fx = double(actual.width()) / designSize.width();
    const double fy = double(actual.height()) / designSize.height();
    // Scale the edges rather than the sizes, so that neighbours keep meeting where they met.
    const int left = int(std::lround(design.left() * fx));
    const int top = int(std::lround(design.top() * fy));
    const int right = int(std::lround((design.left() + design.width()) * fx));
    const int bottom = int(std::lround((design.top() + design.height()) * fy));
    return QRect(left, top, qMax(0, right - left), qMax(0, bottom - top));
}

bool VSResize::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_container && event->type() == QEvent::Resize)
        Resize();
    return QObject::eventFilter(watched, event);
}
