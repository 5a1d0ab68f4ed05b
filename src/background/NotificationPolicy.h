#pragma once

#include "engine/EntryChecker.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>

// Which rows of a check are worth a desktop notification. A row is news when the previous check
// did not list it with the same text: an entry that just grew old, changed, or came back after a
// postpone, and a listed entry once its age has grown a day. Each entry is told about at most
// once per calendar day, so a file that comes and goes, or a check that runs often, stays quiet.
class NotificationPolicy
{
public:
    // The rows of a check nobody saw; returns those to tell about and takes the check as the
    // previous one.
    QList<CheckRow> select(const QList<CheckRow>& rows);
    // The rows of a check the user started and saw in the window: they are not news anymore.
    void acknowledge(const QList<CheckRow>& rows);

private:
    QSet<QPair<qint16, QString>> m_previous;
    QHash<qint16, QDate> m_toldOn;
};
