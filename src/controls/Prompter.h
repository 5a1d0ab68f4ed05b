#pragma once

#include <QList>
#include <QString>
#include <optional>

class QWidget;

// Every message box of the program goes through here, so that tests can answer questions
// instead of a person and can read what the user would have been told.
class Prompter
{
public:
    enum class Icon
    {
        None,
        Information,
        Question,
        Warning,
        Stop
    };

    struct Record
    {
        QString title;
        QString text;
        Icon icon = Icon::None;
        bool question = false;
        bool answeredYes = false;
    };

    // Every box has the product name as its title.
    //
    // A Yes/No question. True means Yes.
    static bool askYesNo(QWidget* parent, const QString& text, bool defaultYes = true, Icon icon = Icon::None);
    // A notice with an OK button.
    static void notify(QWidget* parent, const QString& text, Icon icon);

    // A whole number between min and max, proposing `value`; nothing when the user cancels.
    static std::optional<int> askNumber(QWidget* parent, const QString& text, int value, int min, int max);
    // Closes every box on screen as its Esc would: a question answers No, a notice is taken as
    // read. For the end of the program, which must not wait for an answer.
    static void closeAll();

    // Test seam. While scripted, no box is shown: questions take the queued answers in turn
    // (the default button once the queue is empty) and every box is recorded.
    static void setScripted(bool scripted);
    static void queueAnswer(bool yes);
    // The next number asked for; an empty one cancels. Without one queued, the proposal is taken.
    static void queueNumber(std::optional<int> number);
    static const QList<Record>& history();
    static void clearHistory();
};
