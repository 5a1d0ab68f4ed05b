#pragma once

#include "WatchListFolder.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class frmfiledsip;

// Runs `open`, which must pop up a menu, and answers the menu with `choose`. Returns the items the
// menu showed, none when no menu popped up.
QList<QAction*> answerPopup(const std::function<void()>& open, const std::function<void(QMenu*)>& choose);

// A main window over a watch list file in a temporary program folder, with an ender that records
// instead of ending the test.
class MainWindowFixture
{
public:
    // Per-user configuration, autostart entries and the second-copy lock go to folders of the
    // test's own, and a notification area is pretended. Call once, before any window exists.
    static void isolate();
    static QString configFolder();

    MainWindowFixture();
    // Leaves the clock as it found it: unpinned.
    ~MainWindowFixture();

    // A fresh fixture for the next test: message boxes scripted with an empty history, the clock
    // unpinned.
    static std::unique_ptr<MainWindowFixture> scripted();

    QString folder() const { return m_dir.path(); }
    QString ini() const { return m_dir.iniPath(); }
    QString rowMap() const { return m_dir.rowMapPath(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // An entry on a file last modified at `modified`, old from `days` days; `extra` holds more
    // "key=value" lines. Returns the file's path.
    QString addEntry(int number, const QString& description, const QDateTime& modified, int days,
                     const QString& extra = QString());
    void writeWatchList(const QString& settings = QString());
    // The window shown over one entry, "Backup" (entry 0, old from 5 days), on a file last
    // modified at `modified`; `settings` and `extra` as for writeWatchList() and addEntry().
    frmfiledsip& showBackup(const QDateTime& modified, const QString& settings = QString(),
                            const QString& extra = QString());

    // The window over the watch list, not started: Form_Load() is the caller's to run.
    frmfiledsip& create();
    frmfiledsip& load();
    frmfiledsip& loadAndShow();
    frmfiledsip& window() const { return *m_window; }
    void unload();

    QStringList rows() const;
    // Selects a row as a click would.
    void select(int row);

    QList<int> ended;

private:
    WatchListFolder m_dir;
    QString m_entries;
    std::unique_ptr<frmfiledsip> m_window;
};
