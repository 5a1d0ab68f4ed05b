#pragma once

class frmfiledsip;

// The main window's menu bar and its two pop-up menus, with every caption, shortcut and
// initial state. Commands are connected by the window.
namespace MainWindowMenus {

void build(frmfiledsip& window);

} // namespace MainWindowMenus
