#include "platform/core/Streams.h"

#include "platform/core/Exceptions.h"
#include "platform/core/FileSave.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessiv {

std::int64_t TStream::Size() const
{
    auto* self = const_cast<TStream*>(this);
    const std::int64_t pos = self->Seek(0, soCurrent);
    const std::int64_t size = self->Seek(0, soEnd);
    self->Seek(pos, soBeginning);
    return size;
}

std::int64_t TStream::Position() const
{
    return const_cast<TStream*>(this)->Seek(0, soCurrent);
}

void TStream::ReadBuffer(void* buffer, std::int64_t count)
{
    if (count < 0 || (count != 0 && Read(buffer, count) != count))
        throw EReadError(QStringLiteral("Stream read error"));
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count)
{
    if (count < 0 || (count != 0 && Write(buffer, count) != count))
        throw EWriteError(QStringLiteral("Stream write error"));
}

QByteArray TStream::ReadBytes(std::int64_t count)
{
    if (count < 0 || count > Remaining())
        throw EReadError(QStringLiteral("Stream read error"));
    QByteArray bytes(count, Qt::Uninitialized);
    ReadBuffer(bytes.data(), count);
    return bytes;
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    const std::int64_t total = count;
    char buffer[65536];
    while (count > 0) {
        const std::int64_t n = std::min<std::int64_t>(count, sizeof buffer);
        source.ReadBuffer(buffer, n);
        WriteBuffer(buffer, n);
        count -= n;
    }
    return total;
}

// ---- memory ----

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count)
{
    if (count <= 0 || FPosition >= FData.size())
        return 0;
    const std::int64_t n = std::min<std::int64_t>(count, FData.size() - FPosition);
    std::memcpy(buffer, FData.constData() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    const std::int64_t end = FPosition + count;
    if (end > FData.size())
        FData.resize(end);
    std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
    FPosition = end;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    std::int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? FPosition : FData.size();
    FPosition = std::max<std::int64_t>(0, base + offset);
    return FPosition;
}

void TMemoryStream::SetSize(std::int64_t size)
{
    FData.resize(std::max<std::int64_t>(0, size));
    FPosition = std::min<std::int64_t>(FPosition, FData.size());
}

void TMemoryStream::Clear()
{
    FData.clear();
    FPosition = 0;
}

void TMemoryStream::LoadFromFile(const QString& fileName)
{
    TFileStream file(fileName, fmOpenRead);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const QString& fileName) const
{
    SaveFileWhole(fileName, [this](QIODevice& file) {
        if (file.write(FData) != FData.size())
            throw EWriteError(QStringLiteral("Stream write error"));
    }, FData.size());
}

void TMemoryStream::LoadFromStream(TStream& stream)
{
    stream.SetPosition(0);
    FData = stream.ReadBytes(stream.Size());
    FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream& stream) const
{
    stream.WriteBuffer(FData.constData(), FData.size());
}

// ---- files ----

TFileStream::TFileStream(const QString& fileName, unsigned mode)
    : FFileName(fileName), FFile(std::make_unique<QFile>(fileName))
{
    if (mode == fmCreate) {
        if (!FFile->open(QIODevice::ReadWrite | QIODevice::Truncate))
            throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2")
                                    .arg(QFileInfo(fileName).absoluteFilePath(), FFile->errorString()));
        return;
    }
    if ((mode & 3) == fmOpenRead) {
        // Opened without waiting, and only a regular file is read: a named pipe or a device
        // would block the program on its first read, or never end.
        const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2")
                                  .arg(QFileInfo(fileName).absoluteFilePath(), QString::fromLocal8Bit(std::strerror(errno))));
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            throw EFOpenError(QStringLiteral("Cannot open file \"%1\". It is not a regular file")
                                  .arg(QFileInfo(fileName).absoluteFilePath()));
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        if (!FFile->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2")
                                  .arg(QFileInfo(fileName).absoluteFilePath(), FFile->errorString()));
        }
        return;
    }
    QIODevice::OpenMode m = QIODevice::ReadOnly;
    if ((mode & 3) == fmOpenWrite)
        m = QIODevice::WriteOnly | QIODevice::ExistingOnly;
    else if ((mode & 3) == fmOpenReadWrite)
        m = QIODevice::ReadWrite | QIODevice::ExistingOnly;
    if (!FFile->open(m))
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2")
                              .arg(QFileInfo(fileName).absoluteFilePath(), FFile->errorString()));
}

TFileStream::~TFileStream() = default;

std::int64_t TFileStream::Read(void* buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    const qint64 n = FFile->read(static_cast<char*>(buffer), count);
    return n < 0 ? 0 : n;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    const qint64 n = FFile->write(static_cast<const char*>(buffer), count);
    return n < 0 ? 0 : n;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    const std::int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? FFile->pos() : FFile->size();
    FFile->seek(std::max<std::int64_t>(0, base + offset));
    return FFile->pos();
}

std::int64_t TFileStream::Size() const
{
    return FFile->size();
}

void TFileStream::SetSize(std::int64_t size)
{
    if (!FFile->resize(std::max<std::int64_t>(0, size)))
        throw EWriteError(QStringLiteral("Stream write error"));
}

} // namespace tessiv
