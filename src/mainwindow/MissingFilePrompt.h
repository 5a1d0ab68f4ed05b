#pragma once

#include "engine/MissingFileQuestion.h"

class QWidget;

// The missing-file question as the main window asks it: a Yes/No message box, Yes by default.
class MissingFilePrompt : public MissingFileQuestion
{
public:
    explicit MissingFilePrompt(QWidget* parent = nullptr) : m_parent(parent) {}

    bool removeEntry(const QString& fileName) override;

private:
    QWidget* m_parent;
};
