#pragma once

#include <QByteArray>
#include <QStringList>
#include <QStringView>
#include <optional>

#include "engine/ReportWriter.h"

struct CheckReport;

// The output formats of the command line's check, each rendered as UTF-8.
namespace ReportFormat {

enum class Format
{
    Text,
    Json,
    Nagios,
    Prometheus
};

std::optional<Format> fromName(QStringView name);
QStringList names();
QByteArray render(Format format, const CheckReport& report);
// The same, handed to `sink` in pieces of about `piece` bytes as they are rendered, so that a report
// of megabytes is never held whole; no piece is empty. Returns false when the sink refused a piece. After the first
// piece, rendering asks for memory only a few bytes at a time, so what can fail part way is the sink.
bool write(Format format, const CheckReport& report, const ReportWriter::Sink& sink,
           qsizetype piece = ReportWriter::kPiece);
// The monitoring plugins' status line for a check that could not run.
QByteArray nagiosUnknown(const QString& message);

} // namespace ReportFormat
