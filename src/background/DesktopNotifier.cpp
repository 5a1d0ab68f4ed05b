#include "background/DesktopNotifier.h"

#include "background/NotificationService.h"
#include "base/AppInfo.h"

#include <QPointer>

namespace {

const QString kDefaultAction = QStringLiteral("default");
const QString kRemindAction = QStringLiteral("remind-tomorrow");
const QString kShowAction = QStringLiteral("show-in-folder");
const QString kRunJobAction = QStringLiteral("run-job");
constexpr int kRemembered = 32;
constexpr int kRowsShown = 5;

} // namespace

DesktopNotifier::DesktopNotifier(NotificationService& service, QObject* parent) : QObject(parent), m_service(service)
{
    connect(&m_service, &NotificationService::actionInvoked, this, &DesktopNotifier::onAction);
    connect(&m_service, &NotificationService::closed, this, &DesktopNotifier::forget);
}

bool DesktopNotifier::notifyRows(const QList<CheckRow>& rows)
{
    if (rows.isEmpty())
        return false;
    QStringList lines;
    for (qsizetype i = 0; i < rows.size() && i < kRowsShown; ++i)
        lines << rows[i].text;
    if (rows.size() > kRowsShown)
        lines << QStringLiteral("and %1 more").arg(rows.size() - kRowsShown);
    NotificationService::Message message;
    message.body = lines.join(QLatin1Char('\n'));
    message.actions << kDefaultAction << QStringLiteral("Open %1").arg(AppInfo::productName());
    if (rows.size() == 1)
        message.actions << kRemindAction << QStringLiteral("Remind me tomorrow");
    const QString place = rows.size() == 1 ? rows.first().place : QString();
    if (!place.isEmpty())
        message.actions << kShowAction << QStringLiteral("Show in Folder");
    if (rows.size() == 1 && m_jobOffered && m_jobOffered(rows.first().entry))
        message.actions << kRunJobAction << QStringLiteral("Run the Job Now");

    const qint16 entry = rows.size() == 1 ? rows.first().entry : qint16(-1);
    QPointer<DesktopNotifier> self(this);
    return m_service.send(message, [self, entry, place](uint id) {
        if (!self)
            return;
        self->m_shown.insert(id, {entry, place});
        self->m_order.append(id);
        while (self->m_order.size() > kRemembered)
            self->m_shown.remove(self->m_order.takeFirst());
    });
}

void DesktopNotifier::onAction(uint id, const QString& actionKey)
{
    const auto it = m_shown.constFind(id);
    if (it == m_shown.constEnd())
        return;
    if (actionKey == kDefaultAction)
        emit openRequested();
    else if (actionKey == kRemindAction && it->entry >= 0)
        emit remindTomorrowRequested(it->entry);
    else if (actionKey == kShowAction && !it->place.isEmpty())
        emit showInFolderRequested(it->place);
    else if (actionKey == kRunJobAction && it->entry >= 0)
        emit runJobRequested(it->entry);
}

void DesktopNotifier::forget(uint id)
{
    if (m_shown.remove(id))
        m_order.removeOne(id);
}
