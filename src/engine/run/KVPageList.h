#pragma once
// The recorded pages of one printer object, one after the other in a page stream whose layout is
// that of the saved-preview file (.VKR): a 128-byte header, then one record per page, each linked
// to the next by offset and to itself by a trailing offset. A page is an enhanced metafile, given
// and returned here as its bytes.

#include "engine/run/KVStream.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace tessiv {

constexpr int KVPreviewHeaderSize = 128;

class TKVPageList {
public:
    TKVPageList();
    ~TKVPageList();
    TKVPageList(const TKVPageList&) = delete;
    TKVPageList& operator=(const TKVPageList&) = delete;

    // Drops any pages and starts recording into a new page stream.
    void BeginRecording(std::int64_t memoryLimit = KVPageStreamMemoryLimit);
    // Pages are being recorded: from BeginRecording to Finish (or Clear).
    bool Recording() const;
    // Appends a page while recording (EKVError otherwise, or when the bytes are not an enhanced
    // metafile). A page that cannot be written leaves the stream as it was.
    void AddPage(const QByteArray& metafile);
    // The metafile bytes of page n (from 1); none when n is outside 1..PageCount. EKVError when
    // the stored page is damaged.
    std::optional<QByteArray> GetPageData(int n);
    // Writes the header with the final page count and ends recording.
    void Finish();

    // Writes the saved-preview file, replacing one of that name only once it is complete (so the
    // loaded file itself may be the target). Refused while recording or when there are no pages.
    void SaveToFile(const QString& fileName);
    // Opens a saved-preview file as the page stream, after checking all of it. A damaged file is
    // refused with EKVError and the list keeps what it had. Refused while recording.
    void LoadFromFile(const QString& fileName);
    // Drops the pages and the stream (deleting its temporary file); ends recording.
    void Clear();

    void Lock() { FLock.lock(); }
    void Unlock() { FLock.unlock(); }

    bool Compression() const;
    // Taken for the pages recorded next; cannot change while the list holds pages (EKVError).
    void SetCompression(bool value);
    int PageCount() const;
    // The page stream (recorded or opened); none before recording or loading.
    TKVStream* Stream() const;

private:
    void WriteHeader();
    QByteArray ReadPage(std::uint32_t start, int n);

    mutable std::recursive_mutex FLock;
    bool FCompression = false;
    int FPageCount = 0;
    std::unique_ptr<TKVStream> FStream;
    bool FRecording = false;
    // Start offset of every page's record, so any page is one seek away.
    std::vector<std::uint32_t> FRecordStarts;
};

} // namespace tessiv
