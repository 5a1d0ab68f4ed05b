#include "engine/JsonReport.h"

#include "engine/CheckReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace JsonReport {

namespace {

QJsonValue orNull(const std::optional<QDateTime>& moment)
{
    return moment ? QJsonValue(moment->toString(Qt::ISODate)) : QJsonValue(QJsonValue::Null);
}

QJsonObject entryObject(const EntryReport& entry)
{
    QJsonObject object;
    object.insert(QLatin1String("number"), entry.number);
    object.insert(QLatin1String("description"), entry.description);
    object.insert(QLatin1String("file"), entry.fileName);
    object.insert(QLatin1String("kind"), EntryReport::kindName(entry.kind));
    object.insert(QLatin1String("days"), entry.days);
    object.insert(QLatin1String("age"), entry.age ? QJsonValue(*entry.age) : QJsonValue(QJsonValue::Null));
    object.insert(QLatin1String("state"), EntryReport::stateName(entry.state));
    object.insert(QLatin1String("postponeDate"), entry.postponeDate
                                                     ? QJsonValue(entry.postponeDate->toString(Qt::ISODate))
                                                     : QJsonValue(QJsonValue::Null));
    object.insert(QLatin1String("lastModified"), orNull(entry.modified));
    return object;
}

} // namespace

QByteArray render(const CheckReport& report)
{
    QJsonArray entries;
    for (const EntryReport& entry : report.entries)
        entries.append(entryObject(entry));
    QJsonObject root;
    root.insert(QLatin1String("watchList"), report.watchList);
    root.insert(QLatin1String("checkedAt"), report.checkedAt.toString(Qt::ISODate));
    root.insert(QLatin1String("entries"), entries);
    return QJsonDocument(root).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace JsonReport
