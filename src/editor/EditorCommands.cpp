#include "editor/EditorCommands.h"

#include "commands/ReminderActions.h"
#include "commands/SharedMembers.h"
#include "controls/BusyCursor.h"
#include "engine/WatchEntry.h"
#include "store/IniFile.h"

#include <QWidget>

namespace {

void present(frmaddnewfile& editor)
{
    editor.show();
    editor.raise();
    editor.activateWindow();
}

} // namespace

EditorCommands::EditorCommands(SharedMembers& shared, QWidget* window, SelectedEntry realfilenumber)
    : QObject(window), m_shared(shared), m_window(window), m_realfilenumber(std::move(realfilenumber))
{}

EditorCommands::~EditorCommands()
{
    // A top-level window of its own, so no parent deletes it.
    delete m_editor.data();
}

frmaddnewfile& EditorCommands::load()
{
    if (!m_editor) {
        m_editor = new frmaddnewfile();
        connect(m_editor, &frmaddnewfile::saved, this, &EditorCommands::entrySaved);
        connect(m_editor, &frmaddnewfile::unloaded, this, [this] { m_editor.clear(); });
        m_editor->Form_Load();
        m_editor->setTarget(m_shared.inifilename, std::nullopt);
    }
    return *m_editor;
}

void EditorCommands::fileadd_Click()
{
    m_shared.editnotnew = false;
    frmaddnewfile& editor = load();
    editor.setTarget(m_shared.inifilename, std::nullopt);
    present(editor);
}

void EditorCommands::fileeditfile_Click()
{
    // Taken before the editor shows: the list may be rebuilt while the window system catches up.
    const qint16 entry = m_realfilenumber();
    if (entry < 0) {
        ReminderActions::warnSelectFirst(m_window);
        return;
    }
    m_shared.editnotnew = true;
    frmaddnewfile& editor = load();
    present(editor);
    // The main window waits, frozen, while the entry is read.
    const BusyCursor busy(m_window);
    m_shared.filenumber = entry;
    editor.setTarget(m_shared.inifilename, m_shared.filenumber);
    editor.showEntry(WatchEntry::read(IniFile::instance(), m_shared.inifilename, m_shared.filenumber));
}
