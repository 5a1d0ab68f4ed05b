#pragma once

#include <QList>

class QListWidget;
struct CheckRow;

// Brings the list to new rows by changing only the rows that differ, so that a check that finds
// what the list already shows costs the window next to nothing. The selected entry stays selected
// while it is listed, and the list keeps its scroll position.
class RowListPatch
{
public:
    static void apply(QListWidget* list, const QList<CheckRow>& rows);
};
