#include "PromptChecks.h"
#include "app/Application.h"
#include "base/AppError.h"
#include "controls/Prompter.h"

#include <QTest>
#include <QTimer>
#include <stdexcept>

namespace {

// An object whose event handler fails, as a menu command or timer handler might.
class Failing : public QObject
{
public:
    std::function<void()> fail;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            fail();
        return QObject::event(event);
    }
};

} // namespace

class TestApplication : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        Prompter::setScripted(true);
        Prompter::clearHistory();
        m_codes.clear();
        Application::setTerminator([this](int code) { m_codes.append(code); });
    }

    void escapedErrorsAreShownAndEndTheProgram_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("program error") << 0
                                       << QStringLiteral("Run-time error '75':\n\nThe file /x could not be written.")
                                       << 75;
        QTest::newRow("large number") << 1 << QStringLiteral("Run-time error '32755':\n\nCancel was selected.") << 1;
        QTest::newRow("standard exception") << 2 << QStringLiteral("Run-time error '51':\n\nbad thing") << 51;
        QTest::newRow("from a timer") << 3 << QStringLiteral("Run-time error '53':\n\ngone") << 53;
    }

    void escapedErrorsAreShownAndEndTheProgram()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(int, code);
        Failing target;
        target.fail = [kind] {
            if (kind == 0)
                throw AppError(AppError::FileWrite, QStringLiteral("save"),
                               QStringLiteral("The file /x could not be written."));
            if (kind == 1)
                throw AppError(AppError::CancelSelected, QStringLiteral("dialog"),
                               QStringLiteral("Cancel was selected."));
            if (kind == 3)
                throw AppError(AppError::FileRead, QStringLiteral("timer"), QStringLiteral("gone"));
            throw std::runtime_error("bad thing");
        };
        if (kind == 3)
            QTimer::singleShot(0, this, target.fail);
        else
            QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QTRY_COMPARE(m_codes, QList<int>{code});
        const Prompter::Record* told = PromptChecks::onlyMessage(Prompter::Icon::Stop);
        QVERIFY(told);
        QCOMPARE(told->text, text);
    }

    void normalEventsPassUntouched()
    {
        Failing target;
        bool ran = false;
        target.fail = [&ran] { ran = true; };
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QVERIFY(ran);
        QVERIFY(m_codes.isEmpty());
        QVERIFY(Prompter::history().isEmpty());
    }

private:
    QList<int> m_codes;
};

int main(int argc, char** argv)
{
    Application app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
