#pragma once

class frmaddnewfile;

// The entry editor's controls at their design places, with every caption, limit, accessible
// name and the tab order. Their commands are connected by the editor.
namespace EditorControls {

// The longest description the user can type. A longer one already stored is shown whole.
constexpr int kTypedDescriptionLength = 35;

void build(frmaddnewfile& window);

} // namespace EditorControls
