#pragma once

#include "engine/EntryChecker.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <functional>

class NotificationService;

// Tells the user on the desktop about rows that a check found, with a way back to the window and,
// for a single row, a way to hear about it again tomorrow and one to see its file. It answers
// only what happens to its own notifications.
class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    explicit DesktopNotifier(NotificationService& service, QObject* parent = nullptr);

    // One notification for the rows; false when there are none or nobody can show it.
    bool notifyRows(const QList<CheckRow>& rows);

    // Whether a single row's notification offers to run its entry's job.
    void setJobOffer(std::function<bool(qint16 entry)> offered) { m_jobOffered = std::move(offered); }

signals:
    void openRequested();
    void remindTomorrowRequested(qint16 entry);
    // "Show in Folder" on a single row's notification, with the row's place.
    void showInFolderRequested(const QString& place);
    void runJobRequested(qint16 entry);

private:
    void onAction(uint id, const QString& actionKey);
    void forget(uint id);

    NotificationService& m_service;
    std::function<bool(qint16)> m_jobOffered;
    struct Shown
    {
        qint16 entry;  // the entry a notification stands for, or -1 when it lists several
        QString place; // a single row's place
    };
    QHash<uint, Shown> m_shown;
    QList<uint> m_order; // oldest first, so that a server that never says "closed" cannot grow it
};
