// libFuzzer target for the INI parser and editor. Besides crashes and sanitizer reports it stops on
// a file that does not come back byte for byte, on an edit that a fresh parse reads differently,
// and on a section's keys handed on otherwise than value() reads them.
#include "store/IniDocument.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>
#include <cstdlib>

namespace {

// The first key of each name handed on is the one value() finds, in the edited document and in a
// fresh parse of it alike.
void checkKeys(const IniDocument& doc, const IniDocument& reread)
{
    if (doc.sectionCount() != reread.sectionCount())
        std::abort();
    for (int n = 0; n < qMin(doc.sectionCount(), 64); ++n) {
        QHash<QString, QString> first;
        doc.forEachKey(n, [&first](QStringView name, QStringView value) {
            const QString lowered = name.toString().toLower();
            if (!first.contains(lowered))
                first.insert(lowered, value.toString());
        });
        for (auto it = first.cbegin(); it != first.cend(); ++it) {
            if (doc.value(n, it.key()) != it.value() || reread.value(n, it.key()) != it.value())
                std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    IniDocument doc = IniDocument::parse(bytes);
    if (doc.serialize() != bytes)
        std::abort();

    // The first bytes choose the names and the value of one edit, so the fuzzer steers it too. The
    // value is read as UTF-8 or as Latin-1, so that it may or may not fit in Windows-1252.
    const QString section = QString::fromLatin1(bytes.left(3)).remove(QLatin1Char(']'));
    const QString key = QString::fromLatin1(bytes.mid(3, 3)).remove(QLatin1Char('='));
    const QByteArray valueBytes = bytes.mid(7, 8);
    const QString value =
        bytes.size() > 6 && (bytes[6] & 1) ? QString::fromUtf8(valueBytes) : QString::fromLatin1(valueBytes);
    const auto before = doc.value(QStringLiteral("file 0"), QStringLiteral("days"));
    doc.setValue(section, key, value);
    const IniDocument reread = IniDocument::parse(doc.serialize());
    if (reread.value(section, key) != doc.value(section, key) ||
        doc.value(doc.sectionNumber(section), key) != doc.value(section, key))
        std::abort();
    checkKeys(doc, reread);
    const bool sameKey = section.trimmed().compare(QLatin1String("file 0"), Qt::CaseInsensitive) == 0 &&
                         key.trimmed().compare(QLatin1String("days"), Qt::CaseInsensitive) == 0;
    const bool plain = !key.trimmed().startsWith(QLatin1Char('[')) && !key.trimmed().startsWith(QLatin1Char(';')) &&
                       !section.contains(QLatin1Char('\r')) && !section.contains(QLatin1Char('\n')) &&
                       !key.contains(QLatin1Char('\r')) && !key.contains(QLatin1Char('\n'));
    if (plain && !sameKey && doc.value(QStringLiteral("file 0"), QStringLiteral("days")) != before)
        std::abort();
    if (plain && !value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n')) &&
        reread.value(section, key) != value)
        std::abort();
    return 0;
}
