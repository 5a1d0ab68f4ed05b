#include "controls/Prompter.h"

#include "base/AppInfo.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QQueue>

namespace {

struct Script
{
    bool scripted = false;
    QQueue<bool> answers;
    QQueue<std::optional<int>> numbers;
    QList<Prompter::Record> history;
};

// The boxes on screen now, innermost last.
QList<QPointer<QMessageBox>> openBoxes;

// Runs a box, known to closeAll() while it is open.
int runBox(QMessageBox& box)
{
    openBoxes.append(&box);
    const int answer = box.exec();
    openBoxes.removeAll(&box);
    return answer;
}

Script script;

QMessageBox::Icon boxIcon(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Stop:
        return QMessageBox::Critical;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

bool Prompter::askYesNo(QWidget* parent, const QString& text, bool defaultYes, Icon icon)
{
    Record record{AppInfo::productName(), text, icon, true, false};
    if (script.scripted) {
        record.answeredYes = script.answers.isEmpty() ? defaultYes : script.answers.dequeue();
    } else {
        QMessageBox box(boxIcon(icon), record.title, text, QMessageBox::Yes | QMessageBox::No, parent);
        box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        record.answeredYes = runBox(box) == QMessageBox::Yes;
    }
    script.history.append(record);
    return record.answeredYes;
}

void Prompter::notify(QWidget* parent, const QString& text, Icon icon)
{
    Record record{AppInfo::productName(), text, icon, false, false};
    script.history.append(record);
    if (script.scripted)
        return;
    QMessageBox box(boxIcon(icon), record.title, text, QMessageBox::Ok, parent);
    box.setEscapeButton(QMessageBox::Ok);
    runBox(box);
}

void Prompter::closeAll()
{
    // A copy: closing a box ends its exec(), which takes it off the list.
    const QList<QPointer<QMessageBox>> boxes = openBoxes;
    for (auto it = boxes.crbegin(); it != boxes.crend(); ++it) {
        if (*it)
            (*it)->close();
    }
}

std::optional<int> Prompter::askNumber(QWidget* parent, const QString& text, int value, int min, int max)
{
    Record record{AppInfo::productName(), text, Icon::Question, true, false};
    std::optional<int> answer;
    if (script.scripted) {
        answer = script.numbers.isEmpty() ? std::optional<int>(value) : script.numbers.dequeue();
        if (answer)
            answer = qBound(min, *answer, max);
    } else {
        bool ok = false;
        const int chosen = QInputDialog::getInt(parent, record.title, text, qBound(min, value, max), min, max, 1, &ok);
        if (ok)
            answer = chosen;
    }
    record.answeredYes = answer.has_value();
    script.history.append(record);
    return answer;
}

void Prompter::setScripted(bool scripted)
{
    script.scripted = scripted;
    script.answers.clear();
    script.numbers.clear();
}

void Prompter::queueAnswer(bool yes)
{
    script.answers.enqueue(yes);
}

void Prompter::queueNumber(std::optional<int> number)
{
    script.numbers.enqueue(number);
}

const QList<Prompter::Record>& Prompter::history()
{
    return script.history;
}

void Prompter::clearHistory()
{
    script.history.clear();
}
