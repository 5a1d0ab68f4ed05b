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

} // namespace

DesktopNotifier::DesktopNotifier(NotificationService& service, QObject* parent) : QObject(parent), m_service(service)
{
    connect(&m_service, &NotificationService::actionInvoked, this, &DesktopNotifier::onAction);
    connect(&m_service, &NotificationService::closed, this, &DesktopNotifier::forget);
}

QString DesktopNotifier::bodyText(const QList<CheckRow>& rows)
{
    QStringList lines;
    for (qsizetype i = 0; i < rows.size() && i < kRowsShown; ++i)
        lines << rows[i].text;
    if (rows.size() > kRowsShown)
        lines << QStringLiteral("and %1 more").arg(rows.size() - kRowsShown);
    return lines.join(QLatin1Char('\n'));
}

bool DesktopNotifier::notifyRows(const QList<CheckRow>& rows)
{
    if (rows.isEmpty())
        return false;
    NotificationService::Message message;
    message.body = bodyText(rows);
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
        self->m_shown.insert(id, entry);
        if (!place.isEmpty())
            self->m_places.insert(id, place);
        self->m_order.append(id);
        while (self->m_order.size() > kRemembered) {
            const uint oldest = self->m_order.takeFirst();
            self->m_shown.remove(oldest);
            self->m_places.remove(oldest);
        }
    });
}

void DesktopNotifier::onAction(uint id, const QString& actionKey)
{
    const auto it = m_shown.constFind(id);
    if (it == m_shown.constEnd())
        return;
    if (actionKey == kDefaultAction)
        emit openRequested();
    else if (actionKey == kRemindAction && it.value() >= 0)
        emit remindTomorrowRequested(it.value());
    else if (actionKey == kShowAction && m_places.contains(id))
        emit showInFolderRequested(m_places.value(id));
    else if (actionKey == kRunJobAction && it.value() >= 0)
        emit runJobRequested(it.value());
}

void DesktopNotifier::forget(uint id)
{
    m_places.remove(id);
    if (m_shown.remove(id))
        m_order.removeOne(id);
}
