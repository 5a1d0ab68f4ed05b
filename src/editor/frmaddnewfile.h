#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <optional>

#include "editor/EditorControls.h"
#include "engine/EntryWriter.h"

class WatchEntry;

// The window that subscribes to a new file or edits an entry. It is modeless; whoever opens it
// owns it and keeps it to one. Cancel only hides it, and OK or the close box unload it, so that
// the next opening starts afresh.
class frmaddnewfile : public QWidget, public EditorControls
{
    Q_OBJECT

public:
    frmaddnewfile();

    // Saves the window's place and discards it.
    void unload();
    // Where OK saves: the watch list file, and the entry number, or nullopt for a new entry,
    // which takes the first free number when it is saved.
    void setTarget(const QString& inifilename, std::optional<qint16> filenumber);

    // Window-level state.
    qint16 spindirection = 1;
    QString filedatetext;

    // Event handlers.
    void Form_Load();
    void Form_QueryUnload();
    void cmdfilename_Click();
    void Checkfixedfiles_Click();
    void SpB1_SpinDown(int direction);
    void SpB1_SpinUp();
    void SpB1_MouseOut();
    void Timerspinbox_Timer();
    void timecheckentrys_Timer();
    void cmdCancel_Click() { hide(); }
    void cmdok_Click();

    // The edit fill: shows a stored entry. It never unticks a box nor covers the row again.
    void showEntry(const WatchEntry& entry);
    // The values as the save takes them.
    EntryInput entryInput() const;

    // The controls are EditorControls'.

signals:
    // OK saved the entry.
    void saved();
    // The window is done with and goes; the next opening makes a fresh one.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QSize smallestFittingSize() const;
    int typeIndex() const;
    void probeFile();
    // What the info line shows is out of date: the file, or what a folder entry picks, changed.
    void probeAgain();
    int shareTimeout() const;
    // Shows a stored description whole, even beyond what the user may type.
    void showDescription(const QString& text);
    void descriptionEdited(const QString& text);
    // Shows the day count, and names the spin button after it.
    void showDays(const QString& caption);
    // The job rows: the command that makes the file, and whether it runs by itself when late.
    void followCommand();

    // A missing file is looked for again at this pace rather than on every tick.
    QElapsedTimer m_lastProbe;
    QString m_probed;
    QString m_inifilename;
    std::optional<qint16> m_filenumber;
};
