#pragma once

#include "engine/MissingFileQuestion.h"

#include <QList>
#include <QStringList>

// Answers the missing-file questions from `answers` in turn, Yes once they run out (the window's
// default button), and keeps the names it was asked about.
class CountingQuestion : public MissingFileQuestion
{
public:
    bool removeEntry(const QString& fileName) override
    {
        asked.append(fileName);
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    QStringList asked;
    QList<bool> answers;
};
