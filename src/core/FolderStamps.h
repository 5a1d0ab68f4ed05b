#pragma once

#include "core/FileStamp.h"

#include <QString>
#include <optional>

// The stamps of many files read one after another, as FileStamp::modified reads them. When
// consecutive files share a folder, that folder is held open and each file is looked up in it, so
// the system walks the folder's path once rather than once per file. Meant for one batch of
// lookups: call forget() before anything that may take long (a question to the user), so that a
// folder moved meanwhile is looked up by its path again.
class FolderStamps
{
public:
    FolderStamps() = default;
    ~FolderStamps();
    FolderStamps(const FolderStamps&) = delete;
    FolderStamps& operator=(const FolderStamps&) = delete;

    std::optional<FileStamp::Local> modified(const QString& path);
    void forget();

private:
    QString m_folder; // the folder of the last path, with its trailing separator
    int m_fd = -1;
    bool m_openFailed = false;
};
