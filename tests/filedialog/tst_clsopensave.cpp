#include "base/AppError.h"
#include "filedialog/clsOpenSave.h"

#include <QDir>
#include <QTest>
#include <QWidget>

// Plays the user: records what the dialog was asked and answers with a path or a cancel.
struct PlayedChooser
{
    std::optional<QString> answer;
    QList<FileChoiceRequest> asked;

    PlayedChooser()
    {
        FileChooser::setFunction([this](const FileChoiceRequest& r) {
            asked.append(r);
            return answer;
        });
    }
    ~PlayedChooser() { FileChooser::setFunction({}); }
};

class TestClsOpenSave : public QObject
{
    Q_OBJECT

private slots:
    void freshInstance()
    {
        // Nothing set: the home folder, and a cancel that passes silently.
        PlayedChooser user;
        clsOpenSave d;
        d.ShowOpen();
        const FileChoiceRequest& r = user.asked.first();
        QCOMPARE(r.folder, QDir::homePath());
        QVERIFY(r.caption.isEmpty() && !r.owner);
        QVERIFY(d.FileName().isEmpty());
    }

    void cancel_data()
    {
        QTest::addColumn<bool>("cancelError");
        QTest::addColumn<QString>("answer"); // "-" for a cancel
        QTest::newRow("silent") << false << "-";
        QTest::newRow("raises") << true << "-";
        QTest::newRow("only blanks") << true << "   ";
    }

    void cancel()
    {
        QFETCH(bool, cancelError);
        QFETCH(QString, answer);
        PlayedChooser user;
        if (answer != QLatin1String("-"))
            user.answer = answer;
        clsOpenSave d;
        d.setCancelError(cancelError);

        bool raised = false;
        try {
            d.ShowOpen();
        } catch (const AppError& e) {
            raised = true;
            QCOMPARE(e.number(), 32755);
            QCOMPARE(e.source(), QStringLiteral("Run-time error"));
            QCOMPARE(e.description(), QStringLiteral("Cancel was selected"));
        }
        QCOMPARE(raised, cancelError);
        QCOMPARE(user.asked.size(), 1);
        QVERIFY(d.FileName().isEmpty());
    }

    void choiceAndProperties()
    {
        PlayedChooser user;
        user.answer = QStringLiteral("  /home/u/my.dir/report.doc  ");
        QWidget owner;
        clsOpenSave d;
        d.setHwnd(&owner);
        d.setInitDir(QStringLiteral("/srv/docs"));
        d.setDialogTitle(QStringLiteral("Please Select a file to add"));
        d.ShowOpen();

        QCOMPARE(d.FileName(), QStringLiteral("/home/u/my.dir/report.doc"));
        const FileChoiceRequest& r = user.asked.first();
        QVERIFY(r.owner == &owner);
        QCOMPARE(r.folder, QStringLiteral("/srv/docs"));
        QCOMPARE(r.caption, QStringLiteral("Please Select a file to add"));
    }
};

QTEST_MAIN(TestClsOpenSave)
#include "tst_clsopensave.moc"
