#include "mainwindow/RowListPatch.h"

#include "engine/EntryChecker.h"
#include "mainwindow/ListRefresher.h"

#include <QListWidget>
#include <QScrollBar>

namespace {

bool same(const QListWidgetItem* item, const CheckRow& row)
{
    // A folder entry's pick can move on while its row reads the same.
    return ListRefresher::entryOf(item) == row.entry && item->text() == row.text &&
           ListRefresher::placeOf(item) == row.place;
}

} // namespace

void RowListPatch::apply(QListWidget* list, const QList<CheckRow>& rows)
{
    const QListWidgetItem* current = list->currentItem();
    const qint16 selected = current && current->isSelected() ? ListRefresher::entryOf(current) : qint16(-1);
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
    for (int i = 0; i < reused; ++i) {
        ListRefresher::setRow(list->item(head + i), rows[head + i]);
    }
    for (int i = reused; i < oldMiddle; ++i)
        delete list->takeItem(head + reused);
    for (int i = reused; i < newMiddle; ++i)
        list->insertItem(head + i, ListRefresher::makeRow(rows[head + i]));

    list->clearSelection();
    list->setCurrentItem(nullptr, QItemSelectionModel::NoUpdate);
    for (int i = 0; selected >= 0 && i < list->count(); ++i) {
        if (ListRefresher::entryOf(list->item(i)) == selected) {
            list->setCurrentItem(list->item(i), QItemSelectionModel::ClearAndSelect);
            break;
        }
    }
    list->setUpdatesEnabled(updates);
    list->verticalScrollBar()->setValue(scroll);
}
