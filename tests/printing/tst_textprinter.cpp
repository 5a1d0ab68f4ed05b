#include "PdfTools.h"
#include "Screenshots.h"
#include "TestHelpers.h"
#include "base/AppError.h"
#include "engine/Clock.h"
#include "engine/DateTexts.h"
#include "printing/QtTextPrinter.h"
#include "printing/ReportPrinter.h"
#include "printing/TextLineLayout.h"

#include <QPageLayout>
#include <QPageSize>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using Piece = TextLineLayout::Piece;
using Rows = QList<TextLineLayout::Row>;

namespace {

// A4 with 15 mm margins all round, so that the room on a page is known.
QPageLayout a4()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       QPageLayout::Millimeter);
}

QByteArray watchList(int entries)
{
    QByteArray ini("[Settings]\nclosestart=false\n");
    for (int n = 0; n < entries; ++n) {
        ini += "[file " + QByteArray::number(n) + "]\n";
        ini += "filename=/srv/data/reports/report-" + QByteArray::number(n) + ".txt\n";
        ini += "description=Report number " + QByteArray::number(n) + "\n";
        ini += "days=" + QByteArray::number(n % 30 + 1) + "\n";
        ini += QByteArray("advisechanges=") + (n % 2 ? "false" : "true") + "\n";
    }
    return ini;
}

// The x of the first word to the right of `label` on its line, for every occurrence of `label`.
QList<double> valueColumns(const QList<PdfTools::Page>& pages, const QString& label)
{
    QList<double> columns;
    for (const PdfTools::Page& page : pages) {
        for (const PdfTools::Word& word : page.words) {
            if (word.text != label)
                continue;
            double column = -1;
            for (const PdfTools::Word& other : page.words) {
                if (qAbs(other.box.top() - word.box.top()) < 1 && other.box.left() > word.box.right() &&
                    (column < 0 || other.box.left() < column))
                    column = other.box.left();
            }
            columns.append(column);
        }
    }
    return columns;
}

} // namespace

class TestTextPrinter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        Clock::setMock(QDateTime(QDate(2026, 3, 9), QTime(9, 0)));
    }

    void cleanupTestCase() { Clock::reset(); }

    void layoutPlacesTabsAndWraps_data()
    {
        // Every character is 10 wide, the page 100, tab stops every 40.
        QTest::addColumn<QString>("text");
        QTest::addColumn<Rows>("rows");

        QTest::newRow("empty line") << "" << Rows{{}};
        QTest::newRow("plain") << "abc" << Rows{{Piece{0, "abc"}}};
        QTest::newRow("tab to the next stop") << "a\tb" << Rows{{Piece{0, "a"}, Piece{40, "b"}}};
        QTest::newRow("leading tab") << "\tb" << Rows{{Piece{40, "b"}}};
        QTest::newRow("on a stop moves on") << "abcd\tx" << Rows{{Piece{0, "abcd"}, Piece{80, "x"}}};
        QTest::newRow("two tabs") << "ab\t\t c" << Rows{{Piece{0, "ab"}, Piece{80, " c"}}};
        QTest::newRow("fits exactly") << "aaaa bbbbb" << Rows{{Piece{0, "aaaa bbbbb"}}};
        QTest::newRow("wraps at a blank") << "aaaa bbbb cccc" << Rows{{Piece{0, "aaaa bbbb "}}, {Piece{0, "cccc"}}};
        QTest::newRow("blanks at the break are dropped")
            << "aaaaaaaa   bbb" << Rows{{Piece{0, "aaaaaaaa  "}}, {Piece{0, "bbb"}}};
        QTest::newRow("long word cut at the edge")
            << QString(25, 'x')
            << Rows{{Piece{0, QString(10, 'x')}}, {Piece{0, QString(10, 'x')}}, {Piece{0, "xxxxx"}}};
        QTest::newRow("word after a tab moves down")
            << "ab\tcccccccc" << Rows{{Piece{0, "ab"}}, {Piece{0, "cccccccc"}}};
        QTest::newRow("tab past the edge") << "aaaaaaaaa\tb" << Rows{{Piece{0, "aaaaaaaaa"}}, {Piece{0, "b"}}};
        QTest::newRow("a rule is cut at the edge") << QString(95, '=') << Rows{{Piece{0, QString(10, '=')}}};
        QTest::newRow("a rule after a tab") << "ab\t" + QString(9, '-') << Rows{{Piece{0, "ab"}, Piece{40, "------"}}};
        QTest::newRow("a short mark wraps") << "aaaaaaaa ==" << Rows{{Piece{0, "aaaaaaaa "}}, {Piece{0, "=="}}};
        QTest::newRow("trailing blanks make no row") << "aaaaaaaaaa   " << Rows{{Piece{0, "aaaaaaaaaa"}}};
    }

    void layoutPlacesTabsAndWraps()
    {
        QFETCH(QString, text);
        QFETCH(Rows, rows);

        const TextLineLayout layout([](const QString& s) { return 10.0 * s.size(); }, 100, 40);
        QCOMPARE(layout.layout(text), rows);
    }

    void allFilesReportOnPaper()
    {
        const QString ini = m_dir.filePath("Staleguard.ini");
        const QString pdf = m_dir.filePath("all.pdf");
        TestHelpers::writeAll(ini, watchList(200));

        auto printer = QtTextPrinter::toPdfFile(pdf, "Staleguard", a4());
        ReportPrinter::printAllFiles(*printer, ini);

        const int pages = PdfTools::pageCount(pdf);
        QVERIFY2(pages > 1, "pdfinfo could not read the file, or everything went on one page");
        QCOMPARE(pages, printer->pageCount());

        const QString text = PdfTools::text(pdf);
        QCOMPARE(text.count("List of all of your files"), 1);
        QVERIFY(text.contains(DateTexts::longDate(QDate(2026, 3, 9))));
        qsizetype from = 0;
        for (int n = 0; n < 200; ++n) {
            const QRegularExpression line(QStringLiteral("^\\f?File:%1$").arg(n), QRegularExpression::MultilineOption);
            const QRegularExpressionMatch m = line.match(text, from);
            QVERIFY2(m.hasMatch(), qPrintable(QStringLiteral("File:%1 missing or out of order").arg(n)));
            from = m.capturedEnd();
            QVERIFY(
                text.contains(QRegularExpression(QStringLiteral("File Description:\\s+Report number %1\n").arg(n))));
            QVERIFY(text.contains(
                QRegularExpression(QStringLiteral("File Name:\\s+/srv/data/reports/report-%1.txt\n").arg(n))));
        }
        QCOMPARE(text.count("Tell me if the file changes"), 100);
        QCOMPARE(text.count(QRegularExpression("^\\f?={20,}$", QRegularExpression::MultilineOption)), 200);
        QCOMPARE(text.count("Advise if 1 days old"), 7);
        QCOMPARE(text.count('\f'), pages);

        const QList<PdfTools::Page> paper = PdfTools::words(pdf);
        QCOMPARE(paper.size(), pages);
        const double margin = 15 / 25.4 * 72;
        const double lineHeight = 14 * 1.5; // generous: a 14-point line with its leading
        for (const PdfTools::Page& page : paper) {
            QVERIFY(!page.words.isEmpty());
            double lowest = 0;
            for (const PdfTools::Word& word : page.words) {
                QVERIFY2(word.box.left() >= margin - 1 && word.box.right() <= page.size.width() - margin + 1 &&
                             word.box.top() >= margin - 1 && word.box.bottom() <= page.size.height() - margin + 1,
                         qPrintable(QStringLiteral("'%1' on page %2 lies outside the printable area")
                                        .arg(word.text)
                                        .arg(word.page + 1)));
                lowest = qMax(lowest, word.box.bottom());
            }
            // Full pages are used to the bottom: less than two lines are left over.
            if (&page != &paper.last())
                QVERIFY2(page.size.height() - margin - lowest < 2 * lineHeight, qPrintable(QString::number(lowest)));
        }

        // The tabs line up the descriptions and the file names.
        const QList<double> descriptions = valueColumns(paper, "Description:");
        const QList<double> names = valueColumns(paper, "Name:");
        QCOMPARE(descriptions.size(), 200);
        QCOMPARE(names.size(), 200);
        for (double x : descriptions + names)
            QVERIFY2(qAbs(x - descriptions.first()) < 0.5, qPrintable(QString::number(x)));

        QVERIFY(PdfTools::renderPage(pdf, 1, Screenshots::path("printed-page.png")));
    }

    void longLinesWrapWithinThePage()
    {
        const QString pdf = m_dir.filePath("wrap.pdf");
        QStringList words;
        for (int i = 1; i <= 60; ++i)
            words << QStringLiteral("word%1").arg(i, 2, 10, QLatin1Char('0'));
        const QString path = "/home/someone/" + QString("deeply/nested/folder/").repeated(8) + "report.txt";

        auto printer = QtTextPrinter::toPdfFile(pdf, "Staleguard", a4());
        ReportPrinter::printOldFiles(*printer, {words.join(' '), path + " is 8 days old"});

        const QList<PdfTools::Page> paper = PdfTools::words(pdf);
        QCOMPARE(paper.size(), 1);
        QString joined;
        for (const PdfTools::Word& word : paper.first().words) {
            QVERIFY2(word.box.right() <= paper.first().size.width(), qPrintable(word.text));
            joined += word.text;
        }
        QVERIFY2(joined.contains(words.join(QString())), qPrintable(joined));
        QVERIFY2(joined.contains(path + "is8daysold"), qPrintable(joined));
    }

    void failuresRaisePrinterErrors()
    {
        try {
            QtTextPrinter::toPdfFile("/nonexistent-folder/for/sure/x.pdf", "Staleguard");
            QFAIL("opened a file that cannot be written");
        } catch (const AppError& error) {
            QCOMPARE(error.number(), int(TextPrinter::PrinterFault));
            QVERIFY(error.description().contains("could not be opened"));
        }

        auto printer = QtTextPrinter::toPdfFile(m_dir.filePath("ended.pdf"), "Staleguard");
        printer->printLine("one line");
        printer->endDoc();
        QVERIFY_THROWS_EXCEPTION(AppError, printer->printLine("after the end"));
        QCOMPARE(PdfTools::pageCount(m_dir.filePath("ended.pdf")), 1);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestTextPrinter)
#include "tst_textprinter.moc"
