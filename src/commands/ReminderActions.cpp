#include "commands/ReminderActions.h"

#include "background/DBusFileRevealer.h"
#include "commands/MainWindowMenus.h"
#include "commands/SharedMembers.h"
#include "controls/Prompter.h"
#include "engine/Clock.h"
#include "engine/EntryWriter.h"
#include "engine/FileQuery.h"
#include "engine/FileStamp.h"
#include "engine/WatchEntry.h"
#include "engine/WatchListFile.h"
#include "store/IniFile.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>

namespace {

// The days each postpone code puts the reminder off by; "never" (4) stores no later day.
constexpr int kPostponeDays[] = {1, 2, 7, 30};

int postponeDays(int code)
{
    return code >= 0 && code < 4 ? kPostponeDays[code] : 0;
}

} // namespace

ReminderActions::ReminderActions(const SharedMembers& shared, QWidget* window, QListWidget* listoldfiles,
                                 const MainWindowMenus& menus, SelectedEntry realfilenumber,
                                 SelectedPlace selectedPlace)
    : QObject(window), m_shared(shared), m_window(window), m_list(listoldfiles), m_menus(menus),
      m_realfilenumber(std::move(realfilenumber)), m_selectedPlace(std::move(selectedPlace)),
      m_revealer(new DBusFileRevealer(QDBusConnection::sessionBus(), {}, this))
{
    connect(m_menus.rightpopup1, &QAction::triggered, this, &ReminderActions::rightpopup1_Click);
    connect(m_menus.rightpopup2, &QAction::triggered, this, &ReminderActions::rightpopup2_Click);
    connect(m_menus.rightpopup7, &QAction::triggered, this, &ReminderActions::rightpopup7_Click);
    connect(m_menus.rightpopup30, &QAction::triggered, this, &ReminderActions::rightpopup30_Click);
    connect(m_menus.rightpopupnev, &QAction::triggered, this, &ReminderActions::rightpopupnev_Click);
    connect(m_menus.rightpopupupdatefiledate, &QAction::triggered, this,
            &ReminderActions::rightpopupupdatefiledate_Click);
    connect(m_menus.rightpopupedit, &QAction::triggered, this, &ReminderActions::rightpopupedit_Click);
    connect(m_menus.postpone1day, &QAction::triggered, this, &ReminderActions::postpone1day_Click);
    connect(m_menus.postpone2days, &QAction::triggered, this, &ReminderActions::postpone2days_Click);
    connect(m_menus.postpone7days, &QAction::triggered, this, &ReminderActions::postpone7days_Click);
    connect(m_menus.postpone30days, &QAction::triggered, this, &ReminderActions::postpone30days_Click);
    connect(m_menus.postponenever, &QAction::triggered, this, &ReminderActions::postponenever_Click);
    // Apart from the answers to the reminder: it changes nothing.
    m_menus.rightpopup->addSeparator();
    QAction* showInFolder = m_menus.rightpopup->addAction(QStringLiteral("Show in &Folder"));
    showInFolder->setObjectName(QStringLiteral("rightpopupshowinfolder"));
    connect(showInFolder, &QAction::triggered, this, &ReminderActions::rightpopupshowinfolder_Click);
    m_list->viewport()->installEventFilter(this);
    m_list->installEventFilter(this);
}

bool ReminderActions::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonRelease) {
        listoldfiles_Mouseup(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return false;
    }
    if (watched != m_list)
        return QObject::eventFilter(watched, event);
    // The menu key (which the window system turns into a keyboard context-menu request) and
    // Shift+F10 (which it does not) open the same pop-up, next to the selected row.
    const bool menuKey = event->type() == QEvent::ContextMenu &&
                         static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard;
    const auto* key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
    if (menuKey || (key && key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
        const QRect rect = m_list->visualItemRect(m_list->currentItem());
        listoldfiles_Mouseup(m_list->viewport()->mapToGlobal(rect.center()));
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ReminderActions::warnSelectFirst(QWidget* parent)
{
    Prompter::notify(parent, QStringLiteral("You must first select an item from the list"), Prompter::Icon::Stop);
}

bool ReminderActions::preparerightpopup()
{
    const qint16 entry = m_realfilenumber();
    if (entry < 0)
        return false;
    const WatchEntry stored = WatchEntry::read(IniFile::instance(), m_shared.inifilename, entry);
    m_menus.rightpopupupdatefiledate->setVisible(stored.popupReportsChanges());
    return true;
}

void ReminderActions::listoldfiles_Mouseup(const QPoint& globalPos)
{
    if (preparerightpopup())
        m_menus.rightpopup->exec(globalPos);
}

qint16 ReminderActions::selectedEntryOrWarn()
{
    const qint16 entry = m_realfilenumber();
    if (entry < 0)
        warnSelectFirst(m_window);
    return entry;
}

void ReminderActions::postponeentry(int code)
{
    const qint16 entry = selectedEntryOrWarn();
    if (entry >= 0)
        postpone(entry, code);
}

void ReminderActions::postpone(qint16 entry, int code)
{
    EntryWriter::postpone(IniFile::instance(), m_shared.inifilename, entry, Clock::today().addDays(postponeDays(code)),
                          code == 4);
    emit listChanged();
}

void ReminderActions::rightpopupnev_Click()
{
    // The entry is the one the user was asked about, whatever the list does while the question is open.
    const qint16 entry = selectedEntryOrWarn();
    if (entry < 0)
        return;
    if (Prompter::askYesNo(m_window, QStringLiteral("This option will delete this file from your list, are you sure ?"),
                           true))
        postpone(entry, 4);
}

void ReminderActions::rightpopupupdatefiledate_Click()
{
    const qint16 entry = selectedEntryOrWarn();
    if (entry < 0)
        return;
    IniFile& ini = IniFile::instance();
    const QString fileName = WatchEntry::read(ini, m_shared.inifilename, entry).fileName();
    // The same reading and conversion as the check's, so the two texts compare equal until the
    // file is touched again.
    FileStamp::refreshZone();
    FileQuery query(WatchListFile::shareTimeout(ini, m_shared.inifilename));
    const auto modified = FileStamp::modified(query.stat(fileName));
    // A file that is gone, or cannot be reached, has no date to acknowledge.
    if (!modified)
        return;
    EntryWriter::acknowledge(ini, m_shared.inifilename, entry, *modified);
}

void ReminderActions::rightpopupshowinfolder_Click()
{
    // The pop-up opens only over a selected row; a row the list lost meanwhile has no place, and
    // an empty place shows nothing.
    m_revealer->reveal(m_selectedPlace());
}
