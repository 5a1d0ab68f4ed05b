#include "editor/EditorCommands.h"

#include "core/AppInfo.h"
#include "core/Prompter.h"
#include "core/frmfiledsip.h"
#include "editor/StoredEntry.h"
#include "editor/frmaddnewfile.h"
#include "settings/IniFile.h"

#include <QApplication>
#include <QListWidget>

namespace {

void present(frmaddnewfile& editor)
{
    editor.show();
    editor.raise();
    editor.activateWindow();
}

// The main window waits, frozen, while the entry is read; both end however the fill ends.
class BusyMainWindow
{
public:
    explicit BusyMainWindow(frmfiledsip& main) : m_main(main)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_main.setUpdatesEnabled(false);
    }
    ~BusyMainWindow()
    {
        m_main.setUpdatesEnabled(true);
        QApplication::restoreOverrideCursor();
    }
    BusyMainWindow(const BusyMainWindow&) = delete;
    BusyMainWindow& operator=(const BusyMainWindow&) = delete;

private:
    frmfiledsip& m_main;
};

} // namespace

namespace EditorCommands {

void fileadd_Click(frmfiledsip& main)
{
    main.editnotnew = false;
    present(frmaddnewfile::load());
}

void fileeditfile_Click(frmfiledsip& main)
{
    if (!main.listoldfiles || main.listoldfiles->count() == 0 || main.listoldfiles->currentRow() < 0) {
        Prompter::notify(&main, QStringLiteral("You must first select an item from the list"), Prompter::Icon::Stop,
                         AppInfo::productName());
        return;
    }
    main.editnotnew = true;
    frmaddnewfile& editor = frmaddnewfile::load();
    present(editor);
    const BusyMainWindow busy(main);
    main.filenumber = main.realfilenumber();
    editor.showEntry(StoredEntry::read(IniFile::instance(), main.inifilename, main.filenumber));
}

} // namespace EditorCommands

// The main window's handlers live with the editor they open, so the window's own file stays about the list.
void frmfiledsip::fileadd_Click()
{
    EditorCommands::fileadd_Click(*this);
}

void frmfiledsip::fileeditfile_Click()
{
    EditorCommands::fileeditfile_Click(*this);
}
