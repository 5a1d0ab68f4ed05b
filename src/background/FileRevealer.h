#pragma once

#include <QString>

// Shows a file to the user in their file manager. The place is one the program already knows (a
// row's, from its check): it is handed on as it is and never asked about again, so that showing a
// file on a share that stopped answering cannot hang the program.
class FileRevealer
{
public:
    virtual ~FileRevealer() = default;

    // Shows `place` selected in its folder; a place that ends with a separator is a folder, shown
    // for a file that could not be found or reached. Returns at once, whatever the file manager does.
    virtual void reveal(const QString& place) = 0;
};
