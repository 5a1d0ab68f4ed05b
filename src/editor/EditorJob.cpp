#include "editor/EditorJob.h"

#include "desktop/JobCommand.h"
#include "desktop/JobSafety.h"
#include "editor/EditorControls.h"
#include "engine/EntryWriter.h"
#include "engine/WatchEntry.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace EditorJob {

void show(EditorControls& w, const WatchEntry& entry)
{
    w.txtjob->setText(entry.job());
    // The program's name, at the start, says most.
    w.txtjob->setCursorPosition(0);
    w.checkjoblate->setChecked(entry.runsJobWhenLate());
    followCommand(w);
}

void read(const EditorControls& w, EntryInput& input)
{
    input.job = w.txtjob->text();
    input.jobWhenLate = w.checkjoblate->isChecked() && !input.job.trimmed().isEmpty();
}

void followCommand(EditorControls& w)
{
    w.checkjoblate->setEnabled(!w.txtjob->text().trimmed().isEmpty());
}

void showSafety(EditorControls& w, const QString& inifilename)
{
    w.labjobsafety->setText(JobSafety::whyNot(inifilename));
}

QString refusal(const EntryInput& input)
{
    if (input.job.trimmed().isEmpty())
        return QString();
    QString why;
    if (JobCommand::resolve(input.job, why))
        return QString();
    return why + QStringLiteral(" Correct the command, or leave it empty for no job.");
}

} // namespace EditorJob
