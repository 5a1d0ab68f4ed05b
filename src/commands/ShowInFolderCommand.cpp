#include "commands/ShowInFolderCommand.h"

#include "background/DBusFileRevealer.h"

#include <QAction>
#include <QMenu>

ShowInFolderCommand::ShowInFolderCommand(QMenu* rightpopup, SelectedPlace selectedPlace, QObject* parent,
                                         std::unique_ptr<FileRevealer> revealer)
    : QObject(parent), m_selectedPlace(std::move(selectedPlace)), m_revealer(std::move(revealer))
{
    if (!m_revealer)
        m_revealer = std::make_unique<DBusFileRevealer>();
    // Apart from the answers to the reminder: it changes nothing.
    rightpopup->addSeparator();
    m_action = rightpopup->addAction(QStringLiteral("Show in &Folder"));
    m_action->setObjectName(QStringLiteral("rightpopupshowinfolder"));
    connect(m_action, &QAction::triggered, this, &ShowInFolderCommand::rightpopupshowinfolder_Click);
}

ShowInFolderCommand::~ShowInFolderCommand() = default;

void ShowInFolderCommand::rightpopupshowinfolder_Click()
{
    // The pop-up opens only over a selected row; a row the list lost meanwhile has nothing to show.
    const QString place = m_selectedPlace();
    if (!place.isEmpty())
        m_revealer->reveal(place);
}
