#pragma once

#include <QObject>
#include <QString>
#include <functional>

class DBusFileRevealer;
class QMenu;

// "Show in Folder" on the list's pop-up: the selected row's file in the user's file manager.
class ShowInFolderCommand : public QObject
{
    Q_OBJECT

public:
    // The place of the selected row (CheckRow::place), empty when no row is selected.
    using SelectedPlace = std::function<QString()>;

    // Adds the item below the pop-up's others.
    ShowInFolderCommand(QMenu* rightpopup, SelectedPlace selectedPlace, QObject* parent);

    void rightpopupshowinfolder_Click();

private:
    SelectedPlace m_selectedPlace;
    DBusFileRevealer* m_revealer;
};
