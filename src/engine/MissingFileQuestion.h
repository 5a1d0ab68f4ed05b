#pragma once

#include <QString>

// The question the check asks when an entry's file has gone. The window answers it with a message
// box; the check itself knows nothing of windows.
class MissingFileQuestion
{
public:
    virtual ~MissingFileQuestion() = default;

    // True when the entry should be removed from the list.
    virtual bool removeEntry(const QString& fileName) = 0;

    // The question as the user reads it.
    static QString text(const QString& fileName);
};
