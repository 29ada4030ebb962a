#include "engine/run/KVResourceManager.h"

#include "platform/core/Cp1252.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace tessiv {

std::uint16_t ResourceHash(const void* data, std::size_t count)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::uint16_t h = 0;
    for (std::size_t i = 0; i < count; ++i) {
        h = static_cast<std::uint16_t>((h << 5) | (h >> 11));
        h ^= bytes[i];
    }
    return h;
}

TKVResourceManager::TKVResourceManager(std::uint16_t recordSize, THandleDeleter deleteHandle)
    : FRecordSize(recordSize), FDeleteHandle(std::move(deleteHandle))
{
}

TKVResourceManager::~TKVResourceManager()
{
    while (TKVResourceEntry* entry = FHead) {
        FHead = entry->Next;
        if (entry->Handle != 0 && FDeleteHandle) {
            try {
                FDeleteHandle(entry->Handle);
            } catch (...) {
                // Destruction never throws; the handle is the platform's to reclaim.
            }
        }
        delete entry;
    }
}

int TKVResourceManager::Count() const
{
    int n = 0;
    for (const TKVResourceEntry* e = FHead; e; e = e->Next)
        ++n;
    return n;
}

TKVResourceEntry* TKVResourceManager::Acquire(const void* data)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const std::uint16_t hash = ResourceHash(bytes, FRecordSize);
    std::lock_guard lock(FLock);
    TKVResourceEntry* entry = FHead;
    while (entry && !(entry->HashCode == hash && std::equal(entry->Data.begin(), entry->Data.end(), bytes)))
        entry = entry->Next;
    if (!entry) {
        auto made = std::make_unique<TKVResourceEntry>();
        made->Data.assign(bytes, bytes + FRecordSize);
        if (FRecordSize >= sizeof(std::uint32_t))
            std::memcpy(&made->Handle, bytes, sizeof(std::uint32_t));
        made->HashCode = hash;
        made->Next = FHead;
        entry = made.release();
        FHead = entry;
    }
    ++entry->RefCount;
    return entry;
}

void TKVResourceManager::Release(TKVResourceEntry* entry)
{
    if (!entry)
        return;
    bool unlinked = false;
    {
        std::lock_guard lock(FLock);
        // Walking to the entry finds its predecessor for the unlinking, and keeps a second release
        // of a freed entry from touching it.
        TKVResourceEntry** link = &FHead;
        while (*link && *link != entry)
            link = &(*link)->Next;
        if (!*link)
            return;
        if (--entry->RefCount <= 0) {
            *link = entry->Next;
            unlinked = true;
        }
    }
    if (!unlinked)
        return;
    if (entry->Handle != 0 && FDeleteHandle) {
        try {
            FDeleteHandle(entry->Handle);
        } catch (...) {
            delete entry;
            throw;
        }
    }
    delete entry;
}

TKVFontRecord MakeFontRecord(std::uint32_t handle, int height, TFontPitch pitch, TFontStyles style,
                             TFontCharset charset, const QString& name)
{
    TKVFontRecord r;
    std::memset(&r, 0, sizeof r);
    r.Handle = handle;
    r.Height = height;
    r.Pitch = static_cast<std::uint8_t>(pitch);
    r.Style = static_cast<std::uint8_t>(style.ToInt());
    r.Charset = charset;
    const QByteArray face = ToCp1252(name.left(31));
    r.Name[0] = static_cast<std::uint8_t>(face.size());
    std::memcpy(r.Name + 1, face.constData(), static_cast<std::size_t>(face.size()));
    return r;
}

} // namespace tessiv
