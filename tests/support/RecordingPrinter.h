#pragma once

#include "printing/TextPrinter.h"

#include <QStringList>

// A text printer that writes down what it is asked to do, one entry per call:
// "size 32", "bold on", "bold off", "line <text>", "end". It can be told to fail.
class RecordingPrinter : public TextPrinter
{
public:
    void setFontSize(int points) override;
    void setBold(bool bold) override;
    void printLine(const QString& text) override;
    void endDoc() override;

    // Raise a printer error at the given printed line (0-based) or at the end of the document.
    int failAtLine = -1;
    bool failAtEnd = false;

    QStringList calls;
    int lines = 0;
    bool ended = false;
};
