#include "PdfTools.h"
#include "Screenshots.h"
#include "TestHelpers.h"
#include "controls/Prompter.h"
#include "printing/PrintCommands.h"
#include "printing/QtTextPrinter.h"
#include "printing/ReportPrinter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

// Prints through the program's own path to the system's default printer. It needs a print queue
// that writes PDF files, which tests/e2e/e2e_printqueue.sh sets up and names in the environment;
// run on its own, it skips.
class TestPrintQueue : public QObject
{
    Q_OBJECT

private slots:
    void allFilesReachTheDefaultPrinter()
    {
        const QString outDir = qEnvironmentVariable("STALEGUARD_PRINT_QUEUE_OUT");
        if (outDir.isEmpty())
            QSKIP("Runs as the e2e test e2e_printqueue, which names the queue's output folder.");
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        QVERIFY2(!info.isNull(), "no default printer, although the e2e script found one");

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString ini = dir.filePath("Staleguard.ini");
        QByteArray entries;
        for (int n = 0; n < 200; ++n)
            entries += "[file " + QByteArray::number(n) + "]\nfilename=/srv/data/report-" + QByteArray::number(n) +
                       ".txt\ndescription=Report " + QByteArray::number(n) + "\ndays=7\nadvisechanges=true\n";
        TestHelpers::writeAll(ini, entries);

        // The same report on the printer's paper, as a file: what the queue should deliver.
        const QString expectedPdf = dir.filePath("expected.pdf");
        const QPageLayout paper = QPrinter(info, QPrinter::HighResolution).pageLayout();
        auto local = QtTextPrinter::toPdfFile(expectedPdf, "Staleguard", paper);
        ReportPrinter::printAllFiles(*local, ini);
        const int expectedPages = local->pageCount();
        QVERIFY(expectedPages > 1);

        Prompter::setScripted(true);
        PrintCommands::setPrinterFactory({});
        const QSet<QString> before = pdfsIn(outDir);
        QVERIFY2(PrintCommands::printAllFiles(nullptr, ini),
                 qPrintable(Prompter::history().isEmpty() ? QString() : Prompter::history().last().text));
        QVERIFY(Prompter::history().isEmpty());

        const QString arrived = waitForNewPdf(outDir, before);
        QVERIFY2(!arrived.isEmpty(), qPrintable("no PDF arrived in " + outDir));
        qInfo("%s arrived from %s", qPrintable(arrived), qPrintable(info.printerName()));
        QCOMPARE(PdfTools::pageCount(arrived), expectedPages);
        // The queue turns the text into drawn glyphs, so the pages are compared as pictures.
        for (int page : {1, expectedPages}) {
            const QString want = dir.filePath(QStringLiteral("want-%1.png").arg(page));
            const QString got = dir.filePath(QStringLiteral("got-%1.png").arg(page));
            QVERIFY(PdfTools::renderPage(expectedPdf, page, want));
            QVERIFY(PdfTools::renderPage(arrived, page, got));
            const double differing = differingShare(QImage(want), QImage(got));
            if (differing >= 0.001) {
                QFile::copy(want, Screenshots::path(QStringLiteral("printqueue-expected-%1.png").arg(page)));
                QFile::copy(got, Screenshots::path(QStringLiteral("printqueue-arrived-%1.png").arg(page)));
            }
            QVERIFY2(differing < 0.001,
                     qPrintable(QStringLiteral("page %1 differs in %2 of its pixels").arg(page).arg(differing)));
        }
        QVERIFY(PdfTools::renderPage(arrived, 1, Screenshots::path("printed-queue-page.png")));
        QFile::remove(arrived);
    }

private:
    static QSet<QString> pdfsIn(const QString& dir)
    {
        const QStringList names = QDir(dir).entryList({"*.pdf"}, QDir::Files);
        return QSet<QString>(names.begin(), names.end());
    }

    // The queue's output once it is complete: a new PDF that reads as one and no longer grows.
    static QString waitForNewPdf(const QString& dir, const QSet<QString>& before)
    {
        QElapsedTimer timer;
        timer.start();
        qint64 lastSize = -1;
        while (timer.elapsed() < 90000) {
            const QSet<QString> fresh = pdfsIn(dir) - before;
            if (!fresh.isEmpty()) {
                const QString path = QDir(dir).filePath(*fresh.begin());
                const qint64 size = QFileInfo(path).size();
                if (size > 0 && size == lastSize && PdfTools::pageCount(path) > 0)
                    return path;
                lastSize = size;
            }
            QTest::qWait(500);
        }
        return QString();
    }

    // The share of pixels that are clearly lighter or darker in one picture than in the other.
    static double differingShare(const QImage& a, const QImage& b)
    {
        if (a.isNull() || a.size() != b.size())
            return 1;
        // Blurred a little, so that the way each side draws the edges of its glyphs does not count.
        const QSize small = a.size() / 3;
        const QImage ga =
            a.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_Grayscale8);
        const QImage gb =
            b.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_Grayscale8);
        qint64 differing = 0;
        for (int y = 0; y < ga.height(); ++y) {
            const uchar* ra = ga.constScanLine(y);
            const uchar* rb = gb.constScanLine(y);
            for (int x = 0; x < ga.width(); ++x)
                differing += qAbs(int(ra[x]) - int(rb[x])) > 96;
        }
        return double(differing) / (qint64(ga.width()) * ga.height());
    }
};

QTEST_MAIN(TestPrintQueue)
#include "tst_printqueue.moc"
