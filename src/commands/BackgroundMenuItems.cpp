#include "commands/BackgroundMenuItems.h"

#include "background/BackgroundOptions.h"
#include "controls/Prompter.h"

#include <QAction>
#include <QMenu>

BackgroundMenuItems::BackgroundMenuItems(QMenu* options, BackgroundOptions& settings, QWidget* dialogParent)
    : QObject(options), m_settings(settings), m_dialogParent(dialogParent),
      m_notifyItem(options->addAction(QStringLiteral("&Notify me on the desktop")))
{
    m_notifyItem->setObjectName(QStringLiteral("optionsnotify"));
    m_notifyItem->setCheckable(true);
    m_notifyItem->setChecked(true);
    QAction* checkEveryItem = options->addAction(QStringLiteral("Chec&k again every…"));
    checkEveryItem->setObjectName(QStringLiteral("optionscheckevery"));
    connect(m_notifyItem, &QAction::triggered, this, &BackgroundMenuItems::toggleNotify);
    connect(checkEveryItem, &QAction::triggered, this, &BackgroundMenuItems::askCheckEvery);
    connect(&m_settings, &BackgroundOptions::saveFailed, this,
            [this](const QString& message) { Prompter::notify(m_dialogParent, message, Prompter::Icon::Warning); });
}

void BackgroundMenuItems::showStored()
{
    m_notifyItem->setChecked(m_settings.notifyEnabled());
}

bool BackgroundMenuItems::toggleNotify()
{
    // What is stored decides, so the menu's own flip of a checkable item before it reports the
    // click cannot make the click undo itself. The tick shows what is stored, whether or not the
    // write went through.
    const bool on = m_settings.hasWatchList() ? m_settings.toggleNotify() : !m_notifyItem->isChecked();
    m_notifyItem->setChecked(on);
    return on;
}

bool BackgroundMenuItems::askCheckEvery()
{
    if (!m_settings.hasWatchList())
        return false;
    const std::optional<int> minutes =
        Prompter::askNumber(m_dialogParent, QStringLiteral("Minutes between checks (0 turns them off):"),
                            m_settings.checkEveryMinutes(), 0, BackgroundOptions::kMaxMinutes);
    return minutes && m_settings.setCheckEveryMinutes(*minutes);
}
