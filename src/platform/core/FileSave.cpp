#include "platform/core/FileSave.h"

#include "platform/core/Exceptions.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessiv {

namespace {

QString Absolute(const QString& fileName)
{
    return QFileInfo(fileName).absoluteFilePath();
}

[[noreturn]] void WriteFailed(const QString& fileName, const QString& cause)
{
    throw EWriteError(QStringLiteral("Cannot write \"%1\": %2").arg(Absolute(fileName), cause));
}

QString ErrnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Gives the new file (fd) the owner and group of the one it replaces. False when they differ and
// cannot be given.
bool KeepOwnerAndGroup(int fd, const QString& fileName)
{
    struct stat old {};
    struct stat now {};
    if (::stat(QFile::encodeName(fileName).constData(), &old) != 0 || ::fstat(fd, &now) != 0)
        return true; // nothing to replace
    if (old.st_uid == now.st_uid && old.st_gid == now.st_gid)
        return true;
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    // Changing the owner may clear set-id bits: the mode is the old file's again.
    ::fchmod(fd, old.st_mode & 07777);
    return true;
}

// Takes the room for size bytes before anything is written, so a full disk is known at once and
// by its cause. Empty when the room is there (or the file system cannot say).
QString Reserve(int fd, std::int64_t size)
{
    if (size <= 0)
        return QString();
    const int error = ::posix_fallocate(fd, 0, size);
    return error == 0 || error == EOPNOTSUPP || error == EINVAL ? QString() : ErrnoText(error);
}

// Why the bytes written so far are not the whole file; empty when they are.
QString ShortWrite(QFileDevice& file, std::int64_t size, int writeErrno)
{
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    if (!file.flush())
        return file.errorString();
    if (size >= 0 && file.pos() != size)
        return ErrnoText(writeErrno ? writeErrno : EIO);
    return QString();
}

// Takes the room, writes the content and checks that all of it reached the file; the first
// failure is thrown naming the file and its cause.
void WriteWhole(QFileDevice& file, const QString& fileName, const std::function<void(QIODevice&)>& write,
                std::int64_t size)
{
    // The room is taken before anything is written: a full disk leaves the old file whole.
    if (const QString cause = Reserve(file.handle(), size); !cause.isEmpty())
        WriteFailed(fileName, cause);
    errno = 0;
    bool raised = false;
    try {
        write(file);
    } catch (const EWriteError&) {
        raised = true;
    }
    const int writeErrno = errno;
    if (QString cause = ShortWrite(file, size, writeErrno); !cause.isEmpty() || raised)
        WriteFailed(fileName, cause.isEmpty() ? ErrnoText(writeErrno ? writeErrno : EIO) : cause);
}

void WriteInPlace(const QString& fileName, const std::function<void(QIODevice&)>& write, std::int64_t size)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite))
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(Absolute(fileName), file.errorString()));
    WriteWhole(file, fileName, write, size);
    if (!file.resize(file.pos()) || ::fsync(file.handle()) != 0)
        WriteFailed(fileName, file.errorString());
}

} // namespace

void SaveFileWhole(const QString& fileName, const std::function<void(QIODevice&)>& write, std::int64_t size)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(Absolute(fileName), file.errorString()));
    if (!KeepOwnerAndGroup(file.handle(), fileName)) {
        file.cancelWriting();
        file.commit();
        WriteInPlace(fileName, write, size);
        return;
    }
    // Nothing of a failed save is left behind: the half-made file goes with the QSaveFile.
    WriteWhole(file, fileName, write, size);
    if (!file.commit())
        WriteFailed(fileName, file.errorString());
}

} // namespace tessiv
