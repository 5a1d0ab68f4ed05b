#include "PromptChecks.h"

#include "base/AppInfo.h"
#include "engine/MissingFileQuestion.h"

#include <QTest>

namespace PromptChecks {

const Prompter::Record* onlyMessage(Prompter::Icon icon, bool question)
{
    const QList<Prompter::Record>& history = Prompter::history();
    if (!QTest::qCompare(history.size(), qsizetype(1), "messages shown", "1", __FILE__, __LINE__))
        return nullptr;
    const Prompter::Record& told = history.first();
    if (!QTest::qCompare(told.icon, icon, "icon", "expected icon", __FILE__, __LINE__) ||
        !QTest::qCompare(told.title, AppInfo::productName(), "title", "product name", __FILE__, __LINE__) ||
        !QTest::qCompare(told.question, question, "question", "expected question", __FILE__, __LINE__))
        return nullptr;
    return &told;
}

int missingFileQuestions(const QString& fileName)
{
    const QString asked = MissingFileQuestion::text(fileName);
    int count = 0;
    for (const Prompter::Record& record : Prompter::history())
        count += record.text == asked ? 1 : 0;
    return count;
}

} // namespace PromptChecks
