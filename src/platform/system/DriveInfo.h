#pragma once

#include <QString>

// What the backup needs to know about the drive that holds a path: whether the
// medium can be swapped (so an archive may span several media) and how much room
// is left on it.
class DriveInfo
{
public:
    // True for mounts under /media or /run/media, and for file systems on a block
    // device the kernel flags as removable (USB sticks, card readers).
    static bool isRemovable(const QString &path);
    // Bytes available to this user on the file system holding path; -1 when unknown.
    static qint64 freeBytes(const QString &path);
};
