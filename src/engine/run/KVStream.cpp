#include "engine/run/KVStream.h"

#include "platform/core/Exceptions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <algorithm>

namespace tessiv {

namespace {

constexpr std::int64_t CopyBlockSize = 10240;

} // namespace

QString NewTempFileName()
{
    QTemporaryFile file(QDir(QDir::tempPath()).filePath(QStringLiteral("KVPXXXXXX.tmp")));
    file.setAutoRemove(false);
    if (!file.open())
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2")
                                .arg(file.fileTemplate(), file.errorString()));
    return file.fileName();
}

TKVStream::TKVStream(std::int64_t memoryLimit)
    : FMemory(std::make_unique<TMemoryStream>()), FInMemory(true), FMemoryLimit(memoryLimit)
{
}

std::unique_ptr<TKVStream> TKVStream::CreateFromFile(const QString& fileName)
{
    std::unique_ptr<TKVStream> stream(new TKVStream());
    stream->FFile = std::make_unique<TFileStream>(fileName, fmOpenRead);
    stream->FInMemory = false;
    return stream;
}

TKVStream::~TKVStream()
{
    std::lock_guard guard(FLock);
    FMemory.reset();
    FFile.reset();
}

void TKVStream::MoveToFile()
{
    const QString name = NewTempFileName();
    try {
        auto file = std::make_unique<TFileStream>(name, fmCreate);
        // Only the open file holds the pages from here on: a program that is killed or crashes
        // leaves nothing behind in the temporary folder.
        QFile::remove(name);
        file->WriteBuffer(FMemory->Bytes().constData(), FMemory->Size());
        FFile = std::move(file);
    } catch (...) {
        // The data stays in memory, whole; only the half-made file goes.
        QFile::remove(name);
        throw;
    }
    FTempFileName = name;
    FMemory.reset();
    FInMemory = false;
}

std::int64_t TKVStream::Read(void* buffer, std::int64_t count)
{
    std::lock_guard guard(FLock);
    return FInMemory ? FMemory->Read(buffer, count) : FFile->Read(buffer, count);
}

std::int64_t TKVStream::Write(const void* buffer, std::int64_t count)
{
    std::lock_guard guard(FLock);
    if (!FInMemory)
        return FFile->Write(buffer, count);
    const std::int64_t written = FMemory->Write(buffer, count);
    // Only growth moves the data, so the file position after the move is the end of the data,
    // which is where the growing write ended.
    if (FMemory->Size() > FMemoryLimit)
        MoveToFile();
    return written;
}

std::int64_t TKVStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    std::lock_guard guard(FLock);
    return FInMemory ? FMemory->Seek(offset, origin) : FFile->Seek(offset, origin);
}

std::int64_t TKVStream::Size() const
{
    std::lock_guard guard(FLock);
    return FInMemory ? FMemory->Size() : FFile->Size();
}

void TKVStream::SetSize(std::int64_t size)
{
    std::lock_guard guard(FLock);
    if (FInMemory) {
        FMemory->SetSize(size);
        if (FMemory->Size() > FMemoryLimit)
            MoveToFile();
    } else {
        FFile->SetSize(size);
    }
}

void TKVStream::SaveToStream(TStream& destination)
{
    std::lock_guard guard(FLock);
    Seek(0, soBeginning);
    // A short read must not pass for a finished copy, so the copy is measured against the size.
    std::int64_t remaining = Size();
    char buffer[CopyBlockSize];
    while (remaining > 0) {
        const std::int64_t n = std::min(remaining, CopyBlockSize);
        ReadBuffer(buffer, n);
        destination.WriteBuffer(buffer, n);
        remaining -= n;
    }
}

bool TKVStream::InMemory() const
{
    std::lock_guard guard(FLock);
    return FInMemory;
}

QString TKVStream::TempFileName() const
{
    std::lock_guard guard(FLock);
    return FTempFileName;
}

QString TKVStream::FileName() const
{
    std::lock_guard guard(FLock);
    return FFile ? FFile->FileName() : QString();
}

} // namespace tessiv
