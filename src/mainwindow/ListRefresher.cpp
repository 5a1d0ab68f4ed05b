#include "mainwindow/ListRefresher.h"

#include "engine/EntryChecker.h"
#include "engine/WatchListFile.h"
#include "infowindows/frmSplash.h"
#include "mainwindow/MainWindowLink.h"
#include "mainwindow/MainWindowMenus.h"
#include "mainwindow/MissingFilePrompt.h"
#include "store/IniFile.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>

namespace {

constexpr int kEntryRole = Qt::UserRole;

// Keeps the refresh's hourglass and frozen drawing to the refresh, also when it fails.
class RefreshScope
{
public:
    explicit RefreshScope(QWidget* window) : m_window(window)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_window->setUpdatesEnabled(false);
    }
    ~RefreshScope()
    {
        m_window->setUpdatesEnabled(true);
        QApplication::restoreOverrideCursor();
    }
    RefreshScope(const RefreshScope&) = delete;
    RefreshScope& operator=(const RefreshScope&) = delete;

private:
    QWidget* m_window;
};

} // namespace

ListRefresher::ListRefresher(MainWindowLink& window, QListWidget* listoldfiles, const MainWindowMenus& menus,
                             std::function<frmSplash*()> splash)
    : m_window(window), m_list(listoldfiles), m_menus(menus), m_splash(std::move(splash))
{}

void ListRefresher::updatelist()
{
    if (m_window.isExiting())
        return;
    if (m_refreshing) {
        m_refreshPending = true;
        return;
    }
    m_refreshing = true;
    struct Reset
    {
        bool& refreshing;
        ~Reset() { refreshing = false; }
    } reset{m_refreshing};
    do {
        m_refreshPending = false;
        refreshOnce();
    } while (m_refreshPending && !m_window.isExiting());
    m_listFresh = true;
}

void ListRefresher::refreshIfStale()
{
    if (m_refreshing || m_listFresh)
        return;
    updatelist();
}

void ListRefresher::refreshOnce()
{
    if (m_aboutToCheck)
        m_aboutToCheck();
    if (frmSplash* splash = this->splash())
        splash->setStatus(frmSplash::checkingText());
    RefreshScope scope(m_window.mainWidget());
    m_list->clear();
    m_window.cnt = 0;

    EntryChecker checker(IniFile::instance(), m_window.inifilename, m_window.tempinifilename);
    MissingFilePrompt question(m_window.mainWidget());
    checker.setMissingFileQuestion(&question);
    checker.setStopped([this] { return m_window.isExiting(); });
    checker.setCollectReport(bool(m_refreshed));
    checker.setProgress([this] {
        if (frmSplash* splash = this->splash())
            splash->addProgressDot();
    });
    const EntryChecker::Result result = checker.run(m_menus.viewshowall->isChecked());
    if (m_window.isExiting())
        return;
    m_window.cnt = result.lastEntry;
    fillList(result.rows);
    if (m_refreshed)
        m_refreshed(result);
}

void ListRefresher::fillList(const QList<CheckRow>& rows)
{
    QListWidget* list = m_list;
    list->clear();
    for (const CheckRow& row : rows)
        list->addItem(makeRow(row));
    const bool any = list->count() > 0;
    m_menus.fileprintold->setEnabled(any);
    m_menus.fileeditfile->setEnabled(any);
    m_menus.postponemenu->setEnabled(any);
    m_menus.postponemenu->menuAction()->setEnabled(any);
}

QListWidgetItem* ListRefresher::makeRow(const CheckRow& row)
{
    auto* item = new QListWidgetItem;
    setRow(item, row);
    return item;
}

void ListRefresher::setRow(QListWidgetItem* item, const CheckRow& row)
{
    item->setText(row.text);
    item->setData(kEntryRole, int(row.entry));
}

qint16 ListRefresher::entryOf(const QListWidgetItem* item)
{
    if (!item)
        return -1;
    bool ok = false;
    const int entry = item->data(kEntryRole).toInt(&ok);
    return ok && entry >= 0 && entry <= WatchListFile::kLastEntryNumber ? qint16(entry) : qint16(-1);
}
