#pragma once

class frmfiledsip;

// The start-up options: "Start in Tray" and "Close on Start" from the watch list file, and
// whether the program is set to run at logon. Applied once the first check has filled the list.
namespace StartOptions {

void apply(frmfiledsip& window);

} // namespace StartOptions
