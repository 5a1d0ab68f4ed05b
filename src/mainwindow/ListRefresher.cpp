#include "mainwindow/ListRefresher.h"

#include "background/BackgroundChecks.h"
#include "commands/MainWindowMenus.h"
#include "commands/SharedMembers.h"
#include "controls/BusyCursor.h"
#include "controls/Prompter.h"
#include "engine/CheckRun.h"
#include "engine/Clock.h"
#include "engine/EntryChecker.h"
#include "engine/FileQuery.h"
#include "engine/MissingFileQuestion.h"
#include "engine/WatchListFile.h"
#include "infowindows/frmSplash.h"
#include "mainwindow/EmptyListNote.h"
#include "store/IniFile.h"

#include <QAction>
#include <QListWidget>
#include <QScopeGuard>
#include <QScrollBar>

namespace {

constexpr int kEntryRole = Qt::UserRole;
constexpr int kPlaceRole = Qt::UserRole + 1;

bool same(const QListWidgetItem* item, const CheckRow& row)
{
    // A folder entry's pick can move on while its row reads the same.
    return ListRefresher::entryOf(item) == row.entry && item->text() == row.text &&
           ListRefresher::placeOf(item) == row.place;
}

// The missing-file question as the main window asks it: a Yes/No message box, Yes by default.
class MissingFilePrompt : public MissingFileQuestion
{
public:
    explicit MissingFilePrompt(QWidget* parent) : m_parent(parent) {}

    bool removeEntry(const QString& fileName) override
    {
        return Prompter::askYesNo(m_parent, MissingFileQuestion::text(fileName), true, Prompter::Icon::None);
    }

private:
    QWidget* m_parent;
};

} // namespace

ListRefresher::ListRefresher(SharedMembers& shared, QWidget* window, QListWidget* listoldfiles,
                             const MainWindowMenus& menus, std::function<frmSplash*()> splash,
                             std::function<bool()> exiting)
    : m_shared(shared), m_window(window), m_list(listoldfiles), m_menus(menus), m_note(new EmptyListNote(listoldfiles)),
      m_splash(std::move(splash)), m_exiting(std::move(exiting))
{}

void ListRefresher::updatelist()
{
    if (m_exiting())
        return;
    if (m_refreshing) {
        m_refreshPending = true;
        return;
    }
    m_refreshing = true;
    const auto reset = qScopeGuard([this] { m_refreshing = false; });
    do {
        m_refreshPending = false;
        refreshOnce();
    } while (m_refreshPending && !m_exiting());
    m_listFresh = true;
}

void ListRefresher::noteChecked(int watched)
{
    m_note->checked(watched, Clock::today());
}

void ListRefresher::refreshOnce()
{
    if (m_checks)
        m_checks->halt();
    if (frmSplash* splash = m_splash())
        splash->setStatus(frmSplash::checkingText());
    const BusyCursor busy(m_window);
    m_list->clear();
    m_note->checking();
    m_shared.cnt = 0;

    IniFile& ini = IniFile::instance();
    CheckRun::Options options;
    options.showAll = m_menus.viewshowall->isChecked();
    options.report = m_checks != nullptr;
    options.stopped = [this] { return m_exiting(); };
    options.progress = [this] {
        if (frmSplash* splash = m_splash())
            splash->addProgressDot();
    };
    const EntryChecker::Result result = CheckRun::run(ini, m_shared.inifilename, m_shared.tempinifilename, options);
    if (frmSplash* splash = m_splash())
        splash->drawProgress();
    if (m_exiting())
        return;
    m_shared.cnt = result.lastEntry;
    m_list->clear();
    for (const CheckRow& row : result.rows)
        m_list->addItem(makeRow(row));
    m_menus.enableForRows(m_list->count() > 0);
    noteChecked(result.watched);
    if (m_checks)
        m_checks->userRefreshed(result);
    // Asked once the list shows what needs attention, so the user sees the rest while answering.
    MissingFilePrompt question(m_window);
    FileQuery files(WatchListFile::shareTimeout(ini, m_shared.inifilename));
    CheckRun::askAboutGone(ini, m_shared.inifilename, result.gone, files, question, [this] { return m_exiting(); });
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
    item->setData(kPlaceRole, row.place);
}

qint16 ListRefresher::entryOf(const QListWidgetItem* item)
{
    if (!item)
        return -1;
    bool ok = false;
    const int entry = item->data(kEntryRole).toInt(&ok);
    return ok && entry >= 0 && entry <= WatchListFile::kLastEntryNumber ? qint16(entry) : qint16(-1);
}

QString ListRefresher::placeOf(const QListWidgetItem* item)
{
    return item ? item->data(kPlaceRole).toString() : QString();
}

const QListWidgetItem* ListRefresher::chosenRow(const QListWidget* list)
{
    const QListWidgetItem* current = list ? list->currentItem() : nullptr;
    return current && current->isSelected() ? current : nullptr;
}

void ListRefresher::patchRows(QListWidget* list, const QList<CheckRow>& rows)
{
    const qint16 selected = entryOf(chosenRow(list));
    const int scroll = list->verticalScrollBar()->value();

    // Rows that stay the same at the start and at the end are left alone.
    const int oldCount = list->count();
    const int newCount = int(rows.size());
    int head = 0;
    while (head < oldCount && head < newCount && same(list->item(head), rows[head]))
        ++head;
    int tail = 0;
    while (tail < oldCount - head && tail < newCount - head &&
           same(list->item(oldCount - 1 - tail), rows[newCount - 1 - tail]))
        ++tail;
    const int oldMiddle = oldCount - head - tail;
    const int newMiddle = newCount - head - tail;
    if (oldMiddle == 0 && newMiddle == 0)
        return;

    const bool updates = list->updatesEnabled();
    list->setUpdatesEnabled(false);
    // The rows in between are rewritten where they are, then the surplus goes or the rest comes.
    const int reused = qMin(oldMiddle, newMiddle);
    for (int i = 0; i < reused; ++i)
        setRow(list->item(head + i), rows[head + i]);
    for (int i = reused; i < oldMiddle; ++i)
        delete list->takeItem(head + reused);
    for (int i = reused; i < newMiddle; ++i)
        list->insertItem(head + i, makeRow(rows[head + i]));

    list->clearSelection();
    list->setCurrentItem(nullptr, QItemSelectionModel::NoUpdate);
    for (int i = 0; selected >= 0 && i < list->count(); ++i) {
        if (entryOf(list->item(i)) == selected) {
            list->setCurrentItem(list->item(i), QItemSelectionModel::ClearAndSelect);
            break;
        }
    }
    list->setUpdatesEnabled(updates);
    list->verticalScrollBar()->setValue(scroll);
}
