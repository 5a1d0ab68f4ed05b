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
            m_design.insert(child, child->geometry());
    }
    m_container->setMinimumSize(m_minimum);
    m_container->setMaximumSize(m_maximum);
    m_started = true;
    Resize();
}

void VSResize::Resize()
{
    if (!m_started)
        return;
    const QSize actual = m_container->size();
    for (auto it = m_design.cbegin(); it != m_design.cend(); ++it)
        it.key()->setGeometry(scaled(it.value(), m_designSize, actual));
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
    else if (watched == m_container && event->type() == QEvent::ChildRemoved)
        m_design.remove(static_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()));
    return QObject::eventFilter(watched, event);
}
