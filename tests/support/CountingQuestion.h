#pragma once

#include "engine/MissingFileQuestion.h"

#include <QStringList>

// Answers Yes to every missing-file question, and keeps the names it was asked about.
class CountingQuestion : public MissingFileQuestion
{
public:
    bool removeEntry(const QString& fileName) override
    {
        asked.append(fileName);
        return true;
    }
    QStringList asked;
};
