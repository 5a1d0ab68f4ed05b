#pragma once

class MainWindowLink;

// The main window's two ways into the entry editor.
namespace EditorCommands {

// "Subscribe to a File": shows the editor for a new entry. A window hidden by Cancel shows what it held.
void fileadd_Click(MainWindowLink& main);
// "Edit selected file": shows the editor filled from the entry of the selected row.
void fileeditfile_Click(MainWindowLink& main);

} // namespace EditorCommands
