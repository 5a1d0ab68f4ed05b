#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>
#include <optional>

// The program's icon in the notification area. While enabled the icon is there; with flashing on
// it alternates between the normal and the flash icon. Clicks come out as two plain signals.
class TrayIcon : public QObject
{
    Q_OBJECT

public:
    enum class Phase
    {
        Normal,
        Flash
    };

    explicit TrayIcon(QObject* parent = nullptr);

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    QString tooltiptext() const { return m_icon->toolTip(); }
    void setTooltiptext(const QString& text) { m_icon->setToolTip(text); }
    bool flashenabled() const { return m_flash; }
    void setFlashenabled(bool flash);
    void setFlashinterval(int msecs) { m_flashTimer->setInterval(qMax(1, msecs)); }

    // True while the icon is in the tray and alternating.
    bool isFlashing() const { return m_flashTimer->isActive(); }
    Phase phase() const { return m_phase; }
    QSystemTrayIcon* systemTrayIcon() const { return m_icon; }

    // Whether the desktop has a notification area; tests may pretend either way.
    static bool systemTrayAvailable();
    static void overrideAvailability(std::optional<bool> available) { s_availabilityOverride = available; }

signals:
    void LeftButtonClick();
    void RightButtonClick();

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void toggleFlash() { showPhase(m_phase == Phase::Normal ? Phase::Flash : Phase::Normal); }
    void updateTimer();
    void showPhase(Phase phase);

    static inline std::optional<bool> s_availabilityOverride;
    QSystemTrayIcon* m_icon = nullptr;
    QTimer* m_flashTimer = nullptr;
    QIcon m_normalIcon;
    QIcon m_flashIcon;
    bool m_enabled = false;
    bool m_flash = false;
    Phase m_phase = Phase::Normal;
};
