#pragma once

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>
#include <string>
#include <vector>

// Files on disk for the benchmarks, made once per size and kept for the whole run.
class BenchData
{
public:
    // A watch list of `entries` fixed-file entries, each watching its own file, all of them old.
    static const BenchData& watchList(int entries);
    // A folder of `files` files with spread-out modification times.
    static const BenchData& folder(int files);
    // A watch list of `entries` fixed-file entries spread evenly over `folders` folders, all of them
    // old and without change reports, so that a file made fresh takes its row off the list.
    static const BenchData& spreadWatchList(int entries, int folders);

    QString inifilename() const { return m_dir.filePath(QStringLiteral("Staleguard.ini")); }
    QString tempinifilename() const { return m_dir.filePath(QStringLiteral("$Staleguard.ini")); }
    QString folderPath() const { return m_dir.filePath(QStringLiteral("files")); }
    const std::vector<std::string>& filePaths() const { return m_filePaths; }

private:
    BenchData() = default;
    void makeFiles(int count, const QDateTime& newest, int folders = 1);
    void writeWatchList(bool adviseChanges = true);

    QTemporaryDir m_dir;
    std::vector<std::string> m_filePaths;
};
