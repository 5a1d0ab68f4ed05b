#include "editor/EditorCommands.h"

#include "controls/Prompter.h"
#include "engine/StoredEntry.h"
#include "editor/frmaddnewfile.h"
#include "base/AppInfo.h"
#include "mainwindow/MainWindowLink.h"
#include "store/IniFile.h"

#include <QApplication>
#include <QWidget>

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
    explicit BusyMainWindow(QWidget& main) : m_main(main)
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
    QWidget& m_main;
};

} // namespace

namespace EditorCommands {

void fileadd_Click(MainWindowLink& main)
{
    main.editnotnew = false;
    present(frmaddnewfile::load());
}

void fileeditfile_Click(MainWindowLink& main)
{
    // Taken before the editor shows: the list may be rebuilt while the window system catches up.
    const qint16 entry = main.realfilenumber();
    if (entry < 0) {
        Prompter::notify(main.mainWidget(), QStringLiteral("You must first select an item from the list"),
                         Prompter::Icon::Stop, AppInfo::productName());
        return;
    }
    main.editnotnew = true;
    frmaddnewfile& editor = frmaddnewfile::load();
    present(editor);
    const BusyMainWindow busy(*main.mainWidget());
    main.filenumber = entry;
    editor.showEntry(StoredEntry::read(IniFile::instance(), main.inifilename, main.filenumber));
}

} // namespace EditorCommands
