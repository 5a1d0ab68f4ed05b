#pragma once

#include <QApplication>
#include <exception>
#include <functional>

// The application object. It is the one place where an error that no handler expected ends the
// program: the user is told the error's number and description, then the program stops with a
// non-zero exit code instead of crashing silently.
class Application : public QApplication
{
    Q_OBJECT

public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Tells the user about an error and ends the program. Returns the exit code it ended with.
    static int fail(const std::exception& error);
    // The text of the message box for an error.
    static QString errorText(int number, const QString& description)
    {
        return QStringLiteral("Run-time error '%1':\n\n%2").arg(number).arg(description);
    }

    // How the program ends after an error; tests replace it to stay alive.
    static void setTerminator(std::function<void(int)> terminator);
};
