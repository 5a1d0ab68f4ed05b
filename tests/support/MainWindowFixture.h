#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class frmfiledsip;

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
    ~MainWindowFixture();

    QString folder() const { return m_dir.path(); }
    QString ini() const;
    QString rowMap() const;

    // An entry on a file last modified at `modified`, old from `days` days; `extra` holds more
    // "key=value" lines. Returns the file's path.
    QString addEntry(int number, const QString& description, const QDateTime& modified, int days,
                     const QString& extra = QString());
    void writeWatchList(const QString& settings = QString());

    frmfiledsip& load();
    frmfiledsip& loadAndShow();
    frmfiledsip& window() const { return *m_window; }
    void unload();

    QStringList rows() const;
    // Selects a row as a click would.
    void select(int row);

    QList<int> ended;

private:
    QTemporaryDir m_dir;
    QString m_entries;
    std::unique_ptr<frmfiledsip> m_window;
};
