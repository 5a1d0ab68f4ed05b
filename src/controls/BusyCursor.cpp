#include "controls/BusyCursor.h"

#include <QApplication>
#include <QWidget>

BusyCursor::BusyCursor(QWidget* frozen) : m_frozen(frozen)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (m_frozen)
        m_frozen->setUpdatesEnabled(false);
}

BusyCursor::~BusyCursor()
{
    if (m_frozen)
        m_frozen->setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
}
