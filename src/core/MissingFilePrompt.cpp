#include "core/MissingFilePrompt.h"

#include "core/EntryChecker.h"
#include "core/Prompter.h"

bool MissingFilePrompt::removeEntry(const QString& fileName)
{
    return Prompter::askYesNo(m_parent, EntryChecker::missingFileQuestion(fileName), true, Prompter::Icon::None);
}
