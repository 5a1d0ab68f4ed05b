#include "PdfTools.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTextDocumentFragment>

namespace PdfTools {

namespace {

QByteArray run(const QString& program, const QStringList& arguments, bool* ok = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(60000);
    const bool good = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (ok)
        *ok = good;
    return good ? process.readAllStandardOutput() : QByteArray();
}

double attribute(const QString& tag, const QString& name)
{
    const QRegularExpression re(name + QStringLiteral("=\"([-0-9.]+)\""));
    return re.match(tag).captured(1).toDouble();
}

} // namespace

int pageCount(const QString& pdf)
{
    bool ok = false;
    const QString info = QString::fromUtf8(run(QStringLiteral("pdfinfo"), {pdf}, &ok));
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"), QRegularExpression::MultilineOption).match(info);
    return ok && m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString text(const QString& pdf)
{
    // Compatibility forms undo the ligatures ("fi") that the printed text is set with.
    return QString::fromUtf8(run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}))
        .normalized(QString::NormalizationForm_KC);
}

QList<Page> words(const QString& pdf)
{
    const QString html = QString::fromUtf8(run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, "-"}));
    QList<Page> pages;
    const QRegularExpression tag(QStringLiteral("<page [^>]*>|<word [^>]*>([^<]*)</word>"));
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString whole = m.captured(0);
        if (whole.startsWith(QLatin1String("<page"))) {
            pages.append(Page{QSizeF(attribute(whole, "width"), attribute(whole, "height")), {}});
            continue;
        }
        if (pages.isEmpty())
            continue;
        const QRectF box(QPointF(attribute(whole, "xMin"), attribute(whole, "yMin")),
                         QPointF(attribute(whole, "xMax"), attribute(whole, "yMax")));
        const QString word =
            QTextDocumentFragment::fromHtml(m.captured(1)).toPlainText().normalized(QString::NormalizationForm_KC);
        pages.last().words.append(Word{int(pages.size() - 1), box, word});
    }
    return pages;
}

bool renderPage(const QString& pdf, int page, const QString& png)
{
    const QFileInfo target(png);
    const QString root = target.absolutePath() + QLatin1Char('/') + target.completeBaseName();
    bool ok = false;
    run(QStringLiteral("pdftoppm"),
        {"-png", "-r", "72", "-singlefile", "-f", QString::number(page), "-l", QString::number(page), pdf, root}, &ok);
    return ok && QFileInfo::exists(png);
}

} // namespace PdfTools
