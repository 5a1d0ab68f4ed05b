#include "mainwindow/MissingFilePrompt.h"

#include "controls/Prompter.h"

bool MissingFilePrompt::removeEntry(const QString& fileName)
{
    return Prompter::askYesNo(m_parent, MissingFileQuestion::text(fileName), true, Prompter::Icon::None);
}
