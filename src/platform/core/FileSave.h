#pragma once
// Saving a file whole: written beside it and put in its place once complete, so a failed save
// leaves the old file. A file that belongs to someone else keeps its owner and group (root saving
// a user's report); when they cannot be kept, the file is written in place instead, after room
// for it has been reserved, so that its owner can still read it.

#include <QIODevice>
#include <QString>

#include <cstdint>
#include <functional>

namespace tessiv {

// write puts the file's bytes into the device; size is how many it will write (-1: unknown).
// EFCreateError "Cannot create file "%s". cause" when it cannot be created; EWriteError
// "Cannot write "%s": cause" when writing fails (a full disk: "No space left on device"), also
// when write itself raises EWriteError.
void SaveFileWhole(const QString& fileName, const std::function<void(QIODevice&)>& write, std::int64_t size = -1);

} // namespace tessiv
