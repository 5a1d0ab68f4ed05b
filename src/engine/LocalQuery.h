#pragma once

#include "engine/FileAnswer.h"

#include <QByteArray>
#include <functional>

// Questions about files on local disks, asked of the system directly: here the calls return.
class LocalQuery
{
public:
    // What a path names, links followed by the system.
    static FileAnswer stat(const QByteArray& path);
    // What a link found in a listing leads to, for a caller that must not let the system follow it.
    using Follow = std::function<FileAnswer(const QByteArray& path)>;
    // Each name of a folder with what it names, then the state of the listing itself: Found when
    // it was listed whole. Links are followed by `follow` when given, by the system otherwise.
    static FileAnswer list(const QByteArray& folder, const FileAnswer::Each& each, const Follow& follow = {});
    // The whole of a file.
    static FileAnswer read(const QByteArray& path, QByteArray& bytes);
};
