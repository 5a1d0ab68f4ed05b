#include "engine/JsonReport.h"

#include "engine/CheckReport.h"

#include <cstdio>

namespace JsonReport {

namespace {

// Written straight into the output rather than through a JSON object model, which costs several
// times the check itself for a long watch list.
void appendString(QByteArray& out, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    out += '"';
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(static_cast<unsigned char>(c)));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

// ISO 8601 with the moment's own UTC offset: 2026-06-15T08:30:00+02:00.
void appendMoment(QByteArray& out, const QDateTime& moment)
{
    const QDate date = moment.date();
    const QTime time = moment.time();
    const int offset = moment.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    char text[48];
    std::snprintf(text, sizeof text, "\"%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d\"", date.year(), date.month(),
                  date.day(), time.hour(), time.minute(), time.second(), offset < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    out += text;
}

void appendKey(QByteArray& out, const char* key)
{
    out += '"';
    out += key;
    out += "\":";
}

void appendEntry(QByteArray& out, const EntryReport& entry)
{
    out += "{\"number\":";
    out += QByteArray::number(entry.number);
    out += ',';
    appendKey(out, "description");
    appendString(out, entry.description);
    out += ',';
    appendKey(out, "file");
    appendString(out, entry.fileName);
    out += ",\"kind\":\"";
    out += EntryReport::kindName(entry.kind).data();
    out += "\",\"days\":";
    out += QByteArray::number(entry.days);
    out += ",\"age\":";
    out += entry.age ? QByteArray::number(*entry.age) : QByteArray("null");
    out += ",\"state\":\"";
    out += EntryReport::stateName(entry.state).data();
    out += "\",\"postponeDate\":";
    if (entry.postponeDate)
        out += '"' + entry.postponeDate->toString(Qt::ISODate).toLatin1() + '"';
    else
        out += "null";
    out += ",\"lastModified\":";
    if (entry.modified)
        appendMoment(out, *entry.modified);
    else
        out += "null";
    // Only where there is something to say, so that the reports of reachable entries stay as they were.
    if (entry.state == EntryReport::State::Unreachable) {
        out += ',';
        appendKey(out, "error");
        appendString(out, entry.error);
    }
    if (!entry.pattern.isEmpty()) {
        out += ',';
        appendKey(out, "pattern");
        appendString(out, entry.pattern);
    }
    if (entry.smallestSize) {
        out += ",\"smallestSize\":";
        out += QByteArray::number(*entry.smallestSize);
        out += ",\"size\":";
        out += entry.size ? QByteArray::number(*entry.size) : QByteArray("null");
    }
    out += '}';
}

} // namespace

QByteArray render(const CheckReport& report)
{
    QByteArray out;
    out.reserve(256 + report.entries.size() * 256);
    out += '{';
    appendKey(out, "watchList");
    appendString(out, report.watchList);
    out += ',';
    appendKey(out, "checkedAt");
    appendMoment(out, report.checkedAt);
    out += ",\"entries\":[";
    for (qsizetype i = 0; i < report.entries.size(); ++i) {
        if (i > 0)
            out += ',';
        appendEntry(out, report.entries[i]);
    }
    out += "]}\n";
    return out;
}

} // namespace JsonReport
