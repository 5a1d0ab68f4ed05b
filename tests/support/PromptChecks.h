#pragma once

#include "controls/Prompter.h"

namespace PromptChecks {

// The one message box shown since the history was cleared, checked to carry `icon`, the
// product name as its title, and to be a question or a notice as `question` says. nullptr (with
// the failure recorded) otherwise, so callers write QVERIFY(told) and go on with its text.
const Prompter::Record* onlyMessage(Prompter::Icon icon, bool question = false);
// How often the history asks whether to drop the entry on the missing `fileName`.
int missingFileQuestions(const QString& fileName);

} // namespace PromptChecks
