#pragma once
// The page stream: held in memory while small, moved to a temporary file once it grows past a
// limit, so a long run does not keep all its pages in memory. Every operation is under a lock
// that the same thread may take again.

#include "platform/core/Streams.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>

namespace tessiv {

// Bytes a page stream keeps in memory before it moves to a temporary file.
constexpr std::int64_t KVPageStreamMemoryLimit = 100000;

class TKVStream : public TStream {
public:
    // In memory and empty; moves to a temporary file once its size exceeds memoryLimit.
    explicit TKVStream(std::int64_t memoryLimit);
    // The file, opened read-only, is the stream's data; it is never deleted by the stream.
    // EFOpenError when it cannot be opened.
    static std::unique_ptr<TKVStream> CreateFromFile(const QString& fileName);
    // Closes the temporary file, if the data moved to one, which frees it.
    ~TKVStream() override;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() const override;
    void SetSize(std::int64_t size) override;

    // Copies the whole stream from its start into destination.
    void SaveToStream(TStream& destination);

    void Lock() { FLock.lock(); }
    void Unlock() { FLock.unlock(); }

    bool InMemory() const;
    // The name of the temporary file the data moved to; empty while in memory and for an opened
    // file. The name is gone from the folder as soon as the file is open: only the stream reaches
    // the file, and the system frees it when the stream closes it, however the program ends.
    QString TempFileName() const;
    // The file the data lives in (the temporary file's former name, or the opened file); empty
    // while in memory.
    QString FileName() const;

private:
    TKVStream() = default;
    void MoveToFile();

    mutable std::recursive_mutex FLock;
    std::unique_ptr<TMemoryStream> FMemory;
    QString FTempFileName;
    std::unique_ptr<TFileStream> FFile;
    bool FInMemory = false;
    std::int64_t FMemoryLimit = 0;
};

// A new, empty file with a unique name and the prefix "KVP" in the system's temporary folder.
// EFCreateError when none can be created.
QString NewTempFileName();

} // namespace tessiv
