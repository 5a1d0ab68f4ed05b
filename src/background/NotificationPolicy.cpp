#include "background/NotificationPolicy.h"

#include "engine/Clock.h"

QList<CheckRow> NotificationPolicy::select(const QList<CheckRow>& rows)
{
    const QDate today = Clock::today();
    QList<CheckRow> news;
    for (const CheckRow& row : rows) {
        if (m_previous.contains({row.entry, row.text}))
            continue;
        if (m_toldOn.value(row.entry) == today)
            continue;
        m_toldOn.insert(row.entry, today);
        news.append(row);
    }
    acknowledge(rows);
    return news;
}

void NotificationPolicy::acknowledge(const QList<CheckRow>& rows)
{
    m_previous.clear();
    for (const CheckRow& row : rows)
        m_previous.insert({row.entry, row.text});
}
