#pragma once

#include "editor/frmaddnewfile.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;
struct SharedMembers;

// The main window's two ways into the entry editor. It owns the editor and keeps it to one at a
// time: a window hidden by Cancel is shown again with what it held, one closed or saved is gone.
class EditorCommands : public QObject
{
    Q_OBJECT

public:
    // The entry of the selected row, -1 when no row is selected.
    using SelectedEntry = std::function<qint16()>;
    EditorCommands(SharedMembers& shared, QWidget* window, SelectedEntry realfilenumber);
    ~EditorCommands() override;

    // "Subscribe to a File": shows the editor for a new entry.
    void fileadd_Click();
    // "Edit selected file": shows the editor filled from the entry of the selected row.
    void fileeditfile_Click();

    // The editor while it exists, shown or hidden by Cancel; nullptr otherwise.
    frmaddnewfile* editor() const { return m_editor; }
    // The editor, loaded first when it is not (for a new entry, not yet shown).
    frmaddnewfile& load();
    bool isEditorVisible() const { return m_editor && m_editor->isVisible(); }

signals:
    // An entry was saved: the list should be checked again.
    void entrySaved();

private:
    SharedMembers& m_shared;
    QWidget* m_window;
    SelectedEntry m_realfilenumber;
    QPointer<frmaddnewfile> m_editor;
};
