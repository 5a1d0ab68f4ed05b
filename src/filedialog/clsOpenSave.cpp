#include "filedialog/clsOpenSave.h"

#include "base/AppError.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QChar kNul(u'\0');
const QChar kBar(u'|');

// The classic dialog trims blanks only; tabs and NULs stay.
QString trimBlanks(const QString& text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text.at(from) == u' ')
        ++from;
    while (to > from && text.at(to - 1) == u' ')
        --to;
    return text.mid(from, to - from);
}

// "*.txt;*.doc" in the form Qt matches on this platform. "*.*" means every file, also one without a dot.
QString qtPatterns(const QString& patterns)
{
    QStringList out;
    for (const QString& part : patterns.split(u';', Qt::SkipEmptyParts)) {
        const QString pattern = part.trimmed();
        if (pattern.isEmpty())
            continue;
        out.append(pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    }
    return out.join(u' ');
}

// "All Files (*.*)" shows its patterns already; Qt wants them once, at the end, in its own form.
QString withoutTrailingPatterns(const QString& description)
{
    static const QRegularExpression trailing(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QString stripped = QString(description).remove(trailing);
    return stripped.isEmpty() ? description : stripped;
}

} // namespace

clsOpenSave::clsOpenSave()
{
    setFilter(QStringLiteral("All Files (*.*)|*.*"));
    // The home folder is where this platform's dialogs start; a fixed drive root means nothing here.
    m_initDir = QDir::homePath();
}

QString clsOpenSave::Filter() const
{
    return fromStoredFilter(m_filter);
}

void clsOpenSave::setFilter(const QString& value)
{
    m_filter = toStoredFilter(value);
}

QString clsOpenSave::toStoredFilter(const QString& text)
{
    QString stored = text;
    stored.replace(kBar, kNul);
    for (int i = 0; i < 2; ++i) {
        if (!stored.endsWith(QString(2, kNul)))
            stored.append(kNul);
    }
    return stored;
}

QString clsOpenSave::fromStoredFilter(const QString& stored)
{
    QString text = stored;
    text.replace(kNul, kBar);
    for (int i = 0; i < 2; ++i) {
        if (text.endsWith(kBar))
            text.chop(1);
    }
    return text;
}

QStringList clsOpenSave::nameFilters(const QString& stored)
{
    // Like the classic dialog, the list ends at the first empty part and an unpaired description is dropped.
    const QStringList parts = stored.split(kNul);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts.at(i);
        const QString patterns = qtPatterns(parts.at(i + 1));
        if (description.isEmpty() || patterns.isEmpty())
            break;
        filters.append(QStringLiteral("%1 (%2)").arg(withoutTrailingPatterns(description), patterns));
    }
    return filters;
}

void clsOpenSave::ShowOpen()
{
    show(FileChoiceRequest::Kind::Open);
}

void clsOpenSave::ShowSave()
{
    show(FileChoiceRequest::Kind::Save);
}

void clsOpenSave::show(FileChoiceRequest::Kind kind)
{
    const FileChoiceRequest asked = request(kind);
    const std::optional<FileChoice> choice = FileChooser::choose(asked);
    if (!choice || trimBlanks(choice->path).isEmpty()) {
        if (m_cancelError)
            throw AppError(AppError::CancelSelected, QStringLiteral("Run-time error"),
                           QStringLiteral("Cancel was selected"));
        return;
    }
    takeChoice(*choice, int(asked.nameFilters.size()));
}

FileChoiceRequest clsOpenSave::request(FileChoiceRequest::Kind kind) const
{
    FileChoiceRequest r;
    r.kind = kind;
    r.owner = m_hwnd;
    r.nameFilters = nameFilters(m_filter);
    r.filterIndex = (m_filterIndex >= 1 && m_filterIndex <= r.nameFilters.size()) ? m_filterIndex - 1 : 0;
    r.fileName = m_fileName;
    r.folder = m_initDir;
    r.caption = m_dialogTitle;
    r.defaultSuffix = m_defaultExt;
    if (kind == FileChoiceRequest::Kind::Open && (m_flags & OFN_FILEMUSTEXIST))
        r.fileMode = QFileDialog::ExistingFile;
    if (kind == FileChoiceRequest::Kind::Save && !(m_flags & OFN_OVERWRITEPROMPT))
        r.options |= QFileDialog::DontConfirmOverwrite;
    if (m_flags & OFN_NODEREFERENCELINKS)
        r.options |= QFileDialog::DontResolveSymlinks;
    return r;
}

void clsOpenSave::takeChoice(const FileChoice& choice, int filterCount)
{
    const QString path = trimBlanks(choice.path);
    m_fileName = path;
    m_fileTitle = trimBlanks(QFileInfo(path).fileName());
    m_fileExt = extensionOffset(path);
    if (!m_defaultExt.isEmpty()) {
        const bool different = QFileInfo(path).suffix().compare(m_defaultExt, Qt::CaseInsensitive) != 0;
        m_flags = different ? (m_flags | OFN_EXTENSIONDIFFERENT) : (m_flags & ~qint32(OFN_EXTENSIONDIFFERENT));
    }
    m_filter = trimBlanks(m_filter);
    m_initDir = trimBlanks(m_initDir);
    if (filterCount > 0)
        m_filterIndex = qint16(qBound(0, choice.filterIndex, filterCount - 1) + 1);
}

qint16 clsOpenSave::extensionOffset(const QString& path)
{
    const qsizetype slash = qMax(path.lastIndexOf(u'/'), path.lastIndexOf(QDir::separator()));
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || dot < slash)
        return 0;
    return qint16(qMin<qsizetype>(dot + 1, 32767));
}
