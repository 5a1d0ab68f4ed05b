#include "controls/TrayIcon.h"

#include "base/AppInfo.h"

TrayIcon::TrayIcon(QObject* parent)
    : QObject(parent), m_icon(new QSystemTrayIcon(this)), m_flashTimer(new QTimer(this)),
      m_normalIcon(QStringLiteral(":/tray.svg")), m_flashIcon(QStringLiteral(":/trayflash.svg"))
{
    m_icon->setIcon(m_normalIcon);
    m_icon->setToolTip(AppInfo::productName());
    m_flashTimer->setInterval(1000);
    connect(m_flashTimer, &QTimer::timeout, this, &TrayIcon::toggleFlash);
    connect(m_icon, &QSystemTrayIcon::activated, this, &TrayIcon::onActivated);
}

void TrayIcon::setEnabled(bool enabled)
{
    m_enabled = enabled;
    m_icon->setVisible(enabled);
    updateTimer();
}

void TrayIcon::setFlashenabled(bool flash)
{
    m_flash = flash;
    updateTimer();
}

bool TrayIcon::systemTrayAvailable()
{
    if (s_availabilityOverride)
        return *s_availabilityOverride;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    // The click arrives from inside the icon's own mouse handling. What answers it may take the
    // icon out of the tray, which destroys the icon's window, or run a menu; neither may happen
    // under the feet of that window's event handler, so the click is passed on once it is done.
    if (reason == QSystemTrayIcon::Trigger)
        QMetaObject::invokeMethod(this, &TrayIcon::LeftButtonClick, Qt::QueuedConnection);
    else if (reason == QSystemTrayIcon::Context)
        QMetaObject::invokeMethod(this, &TrayIcon::RightButtonClick, Qt::QueuedConnection);
}

void TrayIcon::updateTimer()
{
    if (m_enabled && m_flash) {
        if (!m_flashTimer->isActive())
            m_flashTimer->start();
        return;
    }
    m_flashTimer->stop();
    // A steady icon is always the normal one, never left in the flash phase.
    showPhase(Phase::Normal);
}

void TrayIcon::showPhase(Phase phase)
{
    if (m_phase == phase)
        return;
    m_phase = phase;
    m_icon->setIcon(phase == Phase::Normal ? m_normalIcon : m_flashIcon);
}
