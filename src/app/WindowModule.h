#pragma once

// What the program and the window module agree on: the module exports one function by this name,
// which runs the window from the program's own arguments and returns the exit code.
namespace WindowModule {

using Entry = int (*)(int argc, char** argv);
constexpr const char* kEntryName = "staleguard_window_main";

} // namespace WindowModule
