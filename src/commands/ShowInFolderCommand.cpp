#include "commands/ShowInFolderCommand.h"

#include "background/DBusFileRevealer.h"

#include <QAction>
#include <QMenu>

ShowInFolderCommand::ShowInFolderCommand(QMenu* rightpopup, SelectedPlace selectedPlace, QObject* parent)
    : QObject(parent), m_selectedPlace(std::move(selectedPlace)),
      m_revealer(new DBusFileRevealer(QDBusConnection::sessionBus(), {}, this))
{
    // Apart from the answers to the reminder: it changes nothing.
    rightpopup->addSeparator();
    QAction* action = rightpopup->addAction(QStringLiteral("Show in &Folder"));
    action->setObjectName(QStringLiteral("rightpopupshowinfolder"));
    connect(action, &QAction::triggered, this, &ShowInFolderCommand::rightpopupshowinfolder_Click);
}

void ShowInFolderCommand::rightpopupshowinfolder_Click()
{
    // The pop-up opens only over a selected row; a row the list lost meanwhile has no place, and
    // an empty place shows nothing.
    m_revealer->reveal(m_selectedPlace());
}
