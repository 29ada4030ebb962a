#include "engine/run/KVPageList.h"

#include "engine/run/KVCompress.h"
#include "engine/run/KVError.h"
#include "platform/core/Exceptions.h"
#include "platform/core/FileSave.h"
#include "platform/core/SysUtils.h"

#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

namespace tessiv {

namespace {

constexpr std::uint16_t HeaderWord0 = 3;
constexpr std::uint16_t HeaderWord1 = 212;
constexpr int HeaderPageCountOffset = 8;
constexpr int HeaderDateTimeOffset = 16;
constexpr int HeaderCompressedOffset = 25;

// A record is the page number and the next record's offset, the page data, and its own start.
constexpr std::int64_t RecordOverhead = 12;
// The smallest enhanced metafile is its header record.
constexpr std::int64_t MinMetafileSize = 88;
// Coded, the smallest page is its length and at least one bit per metafile byte.
constexpr std::int64_t MinCodedData = 4 + MinMetafileSize / 8;
constexpr std::int64_t MaxOffset = std::numeric_limits<std::uint32_t>::max();

constexpr std::uint32_t EmrHeader = 1;
constexpr std::uint32_t EmfSignature = 0x464D4520; // " EMF"
constexpr std::uint32_t EmrEof = 14;

std::int64_t MinRecordSize(bool compressed)
{
    return RecordOverhead + (compressed ? MinCodedData : MinMetafileSize);
}

// Checks, as its bytes come in order, that a page is an enhanced metafile of exactly the given
// length: a header record that says so, records that chain to the end, the end-of-file record
// last. A page that passes can be handed to the metafile player without it running off its data.
class TMetafileCheck {
public:
    explicit TMetafileCheck(std::int64_t length) : FLength(length) {}

    void Feed(const char* data, std::int64_t count)
    {
        while (count > 0 && !FFailed) {
            if (FPos < FNext) {
                const std::int64_t skip = std::min(count, FNext - FPos);
                FPos += skip, data += skip, count -= skip;
                continue;
            }
            const int need = FFirst ? static_cast<int>(MinMetafileSize) : 8;
            const int take = static_cast<int>(std::min<std::int64_t>(count, need - FHeadFill));
            std::memcpy(FHead + FHeadFill, data, static_cast<size_t>(take));
            FHeadFill += take, FPos += take, data += take, count -= take;
            if (FHeadFill < need)
                continue;
            CheckRecord(FPos - need);
        }
    }

    bool Valid() const { return !FFailed && FEnded && FHeadFill == 0 && FPos == FLength && FNext == FLength; }

private:
    void CheckRecord(std::int64_t start)
    {
        const auto type = qFromLittleEndian<std::uint32_t>(FHead);
        const auto size = qFromLittleEndian<std::uint32_t>(FHead + 4);
        if (FEnded || size < static_cast<std::uint32_t>(FHeadFill) || size % 4 != 0 || start + size > FLength) {
            FFailed = true;
            return;
        }
        if (FFirst) {
            if (type != EmrHeader || qFromLittleEndian<std::uint32_t>(FHead + 40) != EmfSignature
                || qFromLittleEndian<std::uint32_t>(FHead + 48) != FLength) {
                FFailed = true;
                return;
            }
            FFirst = false;
        } else if (type == EmrHeader) {
            FFailed = true;
            return;
        }
        FEnded = type == EmrEof;
        FNext = start + size;
        FHeadFill = 0;
    }

    std::int64_t FLength;
    std::int64_t FPos = 0;
    std::int64_t FNext = 0;
    char FHead[MinMetafileSize];
    int FHeadFill = 0;
    bool FFirst = true;
    bool FEnded = false;
    bool FFailed = false;
};

bool IsMetafile(const QByteArray& bytes)
{
    TMetafileCheck check(bytes.size());
    check.Feed(bytes.constData(), bytes.size());
    return check.Valid();
}

// Reads a part of the page stream through a buffer, so the decoder takes its bytes cheaply and
// can never read past the page's own data.
class TRegionStream : public TStream {
public:
    TRegionStream(TKVStream& source, std::int64_t start, std::int64_t size)
        : FSource(source), FStart(start), FSize(size)
    {
    }
    std::int64_t Read(void* buffer, std::int64_t count) override
    {
        auto* out = static_cast<char*>(buffer);
        std::int64_t done = 0;
        while (done < count && FPos < FSize) {
            if (FBufPos == FBufLen) {
                const std::int64_t want = std::min<std::int64_t>(sizeof FBuffer, FSize - FPos);
                FSource.Seek(FStart + FPos, soBeginning);
                FBufLen = FSource.Read(FBuffer, want);
                FBufPos = 0;
                if (FBufLen <= 0) {
                    FBufLen = 0;
                    break;
                }
            }
            const std::int64_t n = std::min(count - done, FBufLen - FBufPos);
            std::memcpy(out + done, FBuffer + FBufPos, static_cast<size_t>(n));
            done += n;
            FBufPos += n;
            FPos += n;
        }
        return done;
    }
    std::int64_t Write(const void*, std::int64_t) override { return 0; }
    std::int64_t Seek(std::int64_t, TSeekOrigin) override { return FPos; }
    std::int64_t Size() const override { return FSize; }
    void SetSize(std::int64_t) override {}

private:
    TKVStream& FSource;
    std::int64_t FStart;
    std::int64_t FSize;
    std::int64_t FPos = 0;
    char FBuffer[10240];
    std::int64_t FBufPos = 0;
    std::int64_t FBufLen = 0;
};

// Writes into a file being saved.
class TSaveFileStream : public TStream {
public:
    explicit TSaveFileStream(QIODevice& file) : FFile(file) {}
    std::int64_t Read(void*, std::int64_t) override { return 0; }
    std::int64_t Write(const void* buffer, std::int64_t count) override
    {
        const qint64 n = count > 0 ? FFile.write(static_cast<const char*>(buffer), count) : 0;
        return n < 0 ? 0 : n;
    }
    std::int64_t Seek(std::int64_t, TSeekOrigin) override { return FFile.pos(); }
    std::int64_t Size() const override { return FFile.size(); }
    void SetSize(std::int64_t) override {}

private:
    QIODevice& FFile;
};

std::uint32_t ReadU32(TStream& stream, std::int64_t offset)
{
    char bytes[4];
    stream.Seek(offset, soBeginning);
    stream.ReadBuffer(bytes, 4);
    return qFromLittleEndian<std::uint32_t>(bytes);
}

// Reads and checks the record of page n that starts at start and must end by limit. Gives the
// offset of the next record, and the page's metafile bytes when data is given; false with the
// reason when the record is damaged. Only checking, it holds a few blocks whatever the page size.
bool ReadRecord(TKVStream& stream, std::int64_t start, int n, std::int64_t limit, bool compressed,
                QByteArray* data, std::int64_t& next, QString& why)
{
    const std::int64_t minRecord = MinRecordSize(compressed);
    if (start < KVPreviewHeaderSize || start > limit - minRecord) {
        why = QStringLiteral("the record of page %1 lies outside the file").arg(n);
        return false;
    }
    char head[8];
    stream.Seek(start, soBeginning);
    stream.ReadBuffer(head, 8);
    const auto number = qFromLittleEndian<std::int32_t>(head);
    next = qFromLittleEndian<std::uint32_t>(head + 4);
    if (number != n) {
        why = QStringLiteral("page %1 is numbered %2").arg(n).arg(number);
        return false;
    }
    if (next < start + minRecord || next > limit) {
        why = QStringLiteral("the record of page %1 has an impossible length").arg(n);
        return false;
    }
    if (ReadU32(stream, next - 4) != start) {
        why = QStringLiteral("the record of page %1 does not end where it says").arg(n);
        return false;
    }
    const std::int64_t dataStart = start + 8;
    const std::int64_t dataSize = next - start - RecordOverhead;
    const QString notAMetafile = QStringLiteral("page %1 is not an enhanced metafile of the record's length").arg(n);
    char block[4096];
    if (!compressed) {
        TMetafileCheck check(dataSize);
        TRegionStream plain(stream, dataStart, dataSize);
        if (data)
            data->resize(dataSize);
        for (std::int64_t done = 0; done < dataSize;) {
            const std::int64_t got = plain.Read(block, std::min<std::int64_t>(sizeof block, dataSize - done));
            if (got <= 0)
                throw EReadError(QStringLiteral("Stream read error"));
            check.Feed(block, got);
            if (data)
                std::memcpy(data->data() + done, block, static_cast<size_t>(got));
            done += got;
        }
        if (!check.Valid()) {
            why = notAMetafile;
            return false;
        }
        return true;
    }
    const std::int64_t codedSize = dataSize - 4;
    const std::int64_t length = ReadU32(stream, dataStart);
    // Every byte costs at least one bit, which bounds what a damaged length can make us decode.
    if (length < MinMetafileSize || length > codedSize * 8) {
        why = QStringLiteral("page %1 has an impossible length").arg(n);
        return false;
    }
    TRegionStream coded(stream, dataStart + 4, codedSize);
    TKVCompress decoder(coded, false);
    TMetafileCheck check(length);
    if (data)
        data->resize(length);
    for (std::int64_t done = 0; done < length && !decoder.Damaged();) {
        const std::int64_t chunk = std::min<std::int64_t>(sizeof block, length - done);
        for (std::int64_t i = 0; i < chunk; ++i)
            block[i] = static_cast<char>(decoder.Expand());
        check.Feed(block, chunk);
        if (data)
            std::memcpy(data->data() + done, block, static_cast<size_t>(chunk));
        done += chunk;
    }
    // The coder fills exactly the bytes its bits need, so the data must be used up exactly.
    if (decoder.Damaged() || coded.Position() != codedSize) {
        why = QStringLiteral("the compressed data of page %1 is damaged").arg(n);
        return false;
    }
    if (!check.Valid()) {
        why = notAMetafile;
        return false;
    }
    return true;
}

} // namespace

TKVPageList::TKVPageList() = default;

TKVPageList::~TKVPageList() = default;

void TKVPageList::BeginRecording(std::int64_t memoryLimit)
{
    std::lock_guard guard(FLock);
    auto stream = std::make_unique<TKVStream>(memoryLimit);
    FStream = std::move(stream);
    FRecordStarts.clear();
    FPageCount = 0;
    FRecording = true;
}

bool TKVPageList::Recording() const
{
    std::lock_guard guard(FLock);
    return FRecording;
}

void TKVPageList::WriteHeader()
{
    char header[KVPreviewHeaderSize] = {};
    qToLittleEndian<std::uint16_t>(HeaderWord0, header);
    qToLittleEndian<std::uint16_t>(HeaderWord1, header + 2);
    qToLittleEndian<std::int32_t>(FPageCount, header + HeaderPageCountOffset);
    const double now = Now();
    std::uint64_t bits;
    std::memcpy(&bits, &now, sizeof bits);
    qToLittleEndian<std::uint64_t>(bits, header + HeaderDateTimeOffset);
    header[HeaderCompressedOffset] = FCompression ? 1 : 0;
    FStream->Seek(0, soBeginning);
    FStream->WriteBuffer(header, KVPreviewHeaderSize);
}

void TKVPageList::AddPage(const QByteArray& metafile)
{
    std::lock_guard guard(FLock);
    if (!FRecording || !FStream)
        throw EKVError(QStringLiteral("No pages are being recorded"));
    if (!IsMetafile(metafile))
        throw EKVError(QStringLiteral("A page must be an enhanced metafile"));

    QByteArray pageData;
    if (FCompression) {
        pageData.resize(4);
        qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(metafile.size()), pageData.data());
        pageData += TKVCompress::CompressBytes(metafile);
    } else {
        pageData = metafile;
    }

    const int number = FPageCount + 1;
    const std::int64_t start = number == 1 ? KVPreviewHeaderSize : FStream->Size();
    const std::int64_t next = start + RecordOverhead + pageData.size();
    // Record links are 32-bit offsets; a longer stream could not be read back.
    if (next > MaxOffset)
        throw EKVError(QStringLiteral("The recorded pages exceed the size of a preview file"));

    QByteArray record(8, Qt::Uninitialized);
    qToLittleEndian<std::int32_t>(number, record.data());
    qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(next), record.data() + 4);
    record += pageData;
    char tail[4];
    qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(start), tail);
    record.append(tail, 4);

    if (number == 1) {
        FPageCount = number;
        try {
            WriteHeader();
        } catch (...) {
            FPageCount = 0;
            throw;
        }
    }
    try {
        FStream->Seek(start, soBeginning);
        FStream->WriteBuffer(record.constData(), record.size());
    } catch (...) {
        // A page half written would break the chain for every later page.
        try {
            FStream->SetSize(start);
        } catch (...) {
        }
        FPageCount = number - 1;
        throw;
    }
    FPageCount = number;
    FRecordStarts.push_back(static_cast<std::uint32_t>(start));
}

std::optional<QByteArray> TKVPageList::GetPageData(int n)
{
    std::lock_guard guard(FLock);
    if (n < 1 || n > FPageCount || !FStream)
        return std::nullopt;
    const std::uint32_t start = FRecordStarts[static_cast<size_t>(n - 1)];
    QByteArray data;
    std::int64_t next = 0;
    QString why;
    if (!ReadRecord(*FStream, start, n, FStream->Size(), FCompression, &data, next, why))
        throw EKVError(QStringLiteral("Page %1 cannot be read: %2").arg(n).arg(why));
    FStream->Seek(next, soBeginning);
    return data;
}

void TKVPageList::Finish()
{
    std::lock_guard guard(FLock);
    if (!FRecording || !FStream)
        return;
    WriteHeader();
    FRecording = false;
}

void TKVPageList::SaveToFile(const QString& fileName)
{
    std::lock_guard guard(FLock);
    if (FRecording)
        throw EKVError(QStringLiteral("The pages cannot be saved while they are being recorded"));
    if (!FStream)
        throw EKVError(QStringLiteral("There are no pages to save"));
    // Written beside the target and put in its place when complete: a failed save leaves the old
    // file, and the opened preview file can be saved over itself.
    SaveFileWhole(
        fileName,
        [this](QIODevice& file) {
            TSaveFileStream out(file);
            FStream->SaveToStream(out);
        },
        FStream->Size());
}

void TKVPageList::LoadFromFile(const QString& fileName)
{
    std::lock_guard guard(FLock);
    if (FRecording)
        throw EKVError(QStringLiteral("A file cannot be loaded while pages are being recorded"));

    auto stream = TKVStream::CreateFromFile(fileName);
    const auto refuse = [&](const QString& why) {
        throw EKVError(QStringLiteral("\"%1\" is not a valid saved preview file: %2")
                           .arg(QFileInfo(fileName).absoluteFilePath(), why));
    };
    const std::int64_t size = stream->Size();
    if (size < KVPreviewHeaderSize)
        refuse(QStringLiteral("it is shorter than its header"));
    char header[KVPreviewHeaderSize];
    stream->Seek(0, soBeginning);
    stream->ReadBuffer(header, KVPreviewHeaderSize);
    if (qFromLittleEndian<std::uint16_t>(header) != HeaderWord0
        || qFromLittleEndian<std::uint16_t>(header + 2) != HeaderWord1)
        refuse(QStringLiteral("the signature is wrong"));
    const auto pageCount = qFromLittleEndian<std::int32_t>(header + HeaderPageCountOffset);
    const auto compressedFlag = static_cast<std::uint8_t>(header[HeaderCompressedOffset]);
    if (compressedFlag > 1)
        refuse(QStringLiteral("the compression flag is %1").arg(compressedFlag));
    const bool compressed = compressedFlag == 1;
    if (pageCount < 0 || pageCount > (size - KVPreviewHeaderSize) / MinRecordSize(compressed))
        refuse(QStringLiteral("the page count %1 does not fit in the file").arg(pageCount));

    std::vector<std::uint32_t> starts;
    starts.reserve(static_cast<size_t>(pageCount));
    std::int64_t position = KVPreviewHeaderSize;
    for (int n = 1; n <= pageCount; ++n) {
        std::int64_t next = 0;
        QString why;
        if (!ReadRecord(*stream, position, n, size, compressed, nullptr, next, why))
            refuse(why);
        starts.push_back(static_cast<std::uint32_t>(position));
        position = next;
    }
    if (position != size)
        refuse(QStringLiteral("there are bytes after the last page"));

    stream->Seek(KVPreviewHeaderSize, soBeginning);
    FStream = std::move(stream);
    FRecordStarts = std::move(starts);
    FPageCount = pageCount;
    FCompression = compressed;
}

void TKVPageList::Clear()
{
    std::lock_guard guard(FLock);
    FStream.reset();
    FRecordStarts.clear();
    FPageCount = 0;
    FRecording = false;
}

bool TKVPageList::Compression() const
{
    std::lock_guard guard(FLock);
    return FCompression;
}

void TKVPageList::SetCompression(bool value)
{
    std::lock_guard guard(FLock);
    if (value == FCompression)
        return;
    // The header's one flag covers every page of the stream.
    if (FPageCount > 0)
        throw EKVError(QStringLiteral("Compression cannot change while there are pages"));
    FCompression = value;
}

int TKVPageList::PageCount() const
{
    std::lock_guard guard(FLock);
    return FPageCount;
}

TKVStream* TKVPageList::Stream() const
{
    std::lock_guard guard(FLock);
    return FStream.get();
}

} // namespace tessiv
