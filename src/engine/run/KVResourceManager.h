#pragma once
// The report's font cache: records of one fixed size (font descriptions) shared by reference
// count. An entry is found again by a 16-bit hash of the record's bytes before a byte compare, so
// the list walk stays cheap. The cache's lock also guards the building of rotated fonts; nothing
// else takes it, and no other lock is held while it is.

#include "platform/graphics/GraphicsObjects.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace tessiv {

// The hash of a record: rotate the 16-bit value left by 5, then xor the next byte into its low byte.
std::uint16_t ResourceHash(const void* data, std::size_t count);

struct TKVResourceEntry {
    TKVResourceEntry* Next = nullptr;
    std::int32_t RefCount = 0;
    // The platform handle the record describes: its first four bytes.
    std::uint32_t Handle = 0;
    std::uint16_t HashCode = 0;
    std::vector<std::uint8_t> Data;
};

class TKVResourceManager {
public:
    // Deletes a platform handle once its last holder has let go of it.
    using THandleDeleter = std::function<void(std::uint32_t handle)>;

    explicit TKVResourceManager(std::uint16_t recordSize, THandleDeleter deleteHandle = {});
    // Entries still held go with the cache, their handles deleted.
    ~TKVResourceManager();
    TKVResourceManager(const TKVResourceManager&) = delete;
    TKVResourceManager& operator=(const TKVResourceManager&) = delete;

    std::uint16_t RecordSize() const { return FRecordSize; }
    void Lock() { FLock.lock(); }
    void Unlock() { FLock.unlock(); }

    // The entry holding a record equal to the RecordSize bytes at data, made when there is none;
    // its count goes up by one.
    TKVResourceEntry* Acquire(const void* data);
    // One holder less; the last one unlinks the entry, deletes a non-zero handle and frees it. Nil,
    // and an entry that is not in the cache (already released), are ignored.
    void Release(TKVResourceEntry* entry);

    // The most recently made entry first.
    const TKVResourceEntry* Head() const { return FHead; }
    int Count() const;

private:
    std::uint16_t FRecordSize;
    THandleDeleter FDeleteHandle;
    TKVResourceEntry* FHead = nullptr;
    std::mutex FLock;
};

// Holds the cache's lock for a scope.
class TKVResourceLock {
public:
    explicit TKVResourceLock(TKVResourceManager& manager) : FManager(manager) { FManager.Lock(); }
    ~TKVResourceLock() { FManager.Unlock(); }
    TKVResourceLock(const TKVResourceLock&) = delete;
    TKVResourceLock& operator=(const TKVResourceLock&) = delete;

private:
    TKVResourceManager& FManager;
};

// The font description the report's cache holds, as laid out in memory: the handle, the height,
// pitch, style set, character set and the face as a counted string of at most 31 characters.
struct TKVFontRecord {
    std::uint32_t Handle;
    std::int32_t Height;
    std::uint8_t Pitch;
    std::uint8_t Style;
    std::uint8_t Charset;
    std::uint8_t Name[32];
};

// A record with every byte set, padding and the unused end of the name zero, so that equal
// descriptions hash and compare equal. The face is stored in Windows-1252, cut at 31 characters.
TKVFontRecord MakeFontRecord(std::uint32_t handle, int height, TFontPitch pitch, TFontStyles style,
                             TFontCharset charset, const QString& name);

} // namespace tessiv
