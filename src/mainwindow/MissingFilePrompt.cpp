#include "mainwindow/MissingFilePrompt.h"

#include "controls/Prompter.h"
#include "engine/EntryChecker.h"

bool MissingFilePrompt::removeEntry(const QString& fileName)
{
    return Prompter::askYesNo(m_parent, EntryChecker::missingFileQuestion(fileName), true, Prompter::Icon::None);
}
