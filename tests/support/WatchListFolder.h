#pragma once

#include "CountingQuestion.h"
#include "engine/EntryChecker.h"

#include <QTemporaryDir>
#include <functional>

// A temporary folder standing in for the program folder: the watch list and its row map lie in it
// under the names the program gives them there.
class WatchListFolder : public QTemporaryDir
{
public:
    QString iniPath() const { return filePath(QStringLiteral("Staleguard.ini")); }
    QString rowMapPath() const { return filePath(QStringLiteral("$Staleguard.ini")); }
    // A value of entry `entry`, or of the settings; "<none>" where the watch list holds none, which
    // an empty value cannot be taken for.
    QString stored(int entry, const QString& key) const;
    QString setting(const QString& key) const;
    // The check as the window runs it, with `question` answering about missing files.
    EntryChecker::Result check(bool showAll = false);
    // The check alone, with its report: nothing written, nothing asked.
    EntryChecker::Result checkOnly(bool showAll = false, std::function<void()> progress = {});

    CountingQuestion question;
};
