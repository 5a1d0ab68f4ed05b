#pragma once

class frmaddnewfile;

// The entry editor's controls at their design places, with every caption, limit, accessible
// name and the tab order. Their commands are connected by the editor.
namespace EditorControls {

void build(frmaddnewfile& window);

} // namespace EditorControls
