#pragma once

#include <QString>

struct EditorControls;
struct EntryInput;
class WatchEntry;

// The editor's job rows: the command that makes the file and whether it runs by itself when the
// file is late. What they show, what they hand the save, and why a command is refused.
namespace EditorJob {

void show(EditorControls& w, const WatchEntry& entry);
void read(const EditorControls& w, EntryInput& input);
// The box means something only with a command.
void followCommand(EditorControls& w);
// Says in one line why jobs do not run from this watch list file, when they do not.
void showSafety(EditorControls& w, const QString& inifilename);

// Why the command cannot be saved as it is; empty when it can. No command at all can: the entry
// then has no job.
QString refusal(const EntryInput& input);

} // namespace EditorJob
