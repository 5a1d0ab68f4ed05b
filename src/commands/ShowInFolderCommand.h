#pragma once

#include "background/FileRevealer.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QMenu;

// "Show in Folder" on the list's pop-up: the selected row's file in the user's file manager.
class ShowInFolderCommand : public QObject
{
    Q_OBJECT

public:
    // The place of the selected row (CheckRow::place), empty when no row is selected.
    using SelectedPlace = std::function<QString()>;

    // Adds the item below the pop-up's others; without a revealer it asks the session bus.
    ShowInFolderCommand(QMenu* rightpopup, SelectedPlace selectedPlace, QObject* parent,
                        std::unique_ptr<FileRevealer> revealer = {});
    ~ShowInFolderCommand() override;

    QAction* action() const { return m_action; }
    void rightpopupshowinfolder_Click();

private:
    SelectedPlace m_selectedPlace;
    std::unique_ptr<FileRevealer> m_revealer;
    QAction* m_action;
};
