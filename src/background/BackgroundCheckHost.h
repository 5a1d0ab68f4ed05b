#pragma once

#include "engine/EntryChecker.h"

#include <QList>
#include <QString>

// What the checks that run without the user ask of the main window, and nothing more; what they
// have to tell it, they announce.
class BackgroundCheckHost
{
public:
    virtual ~BackgroundCheckHost() = default;

    virtual QString inifilename() const = 0;
    virtual QString tempinifilename() const = 0;
    virtual bool showsAll() const = 0;
    // True while the user is in the middle of something a check must not cut into: a dialog, the
    // editor, an open menu, a refresh of their own; or while the program ends.
    virtual bool isBusy() const = 0;
};
