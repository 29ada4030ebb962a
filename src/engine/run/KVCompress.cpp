#include "engine/run/KVCompress.h"

#include "platform/core/Streams.h"

#include <algorithm>
#include <cstring>

namespace tessiv {

namespace {

// Appends what is written; the whole-buffer encoder's target.
class TAppendStream : public TStream {
public:
    explicit TAppendStream(QByteArray& bytes) : FBytes(bytes) {}
    std::int64_t Read(void*, std::int64_t) override { return 0; }
    std::int64_t Write(const void* buffer, std::int64_t count) override
    {
        if (count <= 0)
            return 0;
        FBytes.append(static_cast<const char*>(buffer), count);
        return count;
    }
    std::int64_t Seek(std::int64_t, TSeekOrigin) override { return FBytes.size(); }
    std::int64_t Size() const override { return FBytes.size(); }
    void SetSize(std::int64_t) override {}

private:
    QByteArray& FBytes;
};

// Reads a fixed buffer and counts what was taken; the whole-buffer decoder's source.
class TBufferStream : public TStream {
public:
    TBufferStream(const char* data, std::int64_t size) : FData(data), FSize(size) {}
    std::int64_t Read(void* buffer, std::int64_t count) override
    {
        const std::int64_t n = std::clamp<std::int64_t>(FSize - FPos, 0, std::max<std::int64_t>(count, 0));
        if (n > 0)
            std::memcpy(buffer, FData + FPos, static_cast<size_t>(n));
        FPos += n;
        return n;
    }
    std::int64_t Write(const void*, std::int64_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override
    {
        const std::int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? FPos : FSize;
        FPos = std::clamp<std::int64_t>(base + offset, 0, FSize);
        return FPos;
    }
    std::int64_t Size() const override { return FSize; }
    void SetSize(std::int64_t) override {}

private:
    const char* FData;
    std::int64_t FSize;
    std::int64_t FPos = 0;
};

} // namespace

TKVCompress::TKVCompress(TStream& stream, bool encode) : FEncode(encode), FStream(&stream)
{
    InitTree();
    FBitPos = encode ? 0 : 7;
    FOutByte = 0;
}

TKVCompress::~TKVCompress()
{
    if (FEncode && FBitPos != 0) {
        const auto last = static_cast<std::uint8_t>(FOutByte);
        // A destructor must not throw; a failed write shows as a short page when it is read.
        try {
            FStream->Write(&last, 1);
        } catch (...) {
        }
    }
}

void TKVCompress::InitTree()
{
    // A complete binary tree: internal nodes 0..255, the leaf of byte c is node 256 + c.
    for (int i = 1; i <= 512; ++i)
        FUp[i] = static_cast<std::uint8_t>((i - 1) / 2);
    for (int j = 0; j <= 255; ++j) {
        FLeft[j] = static_cast<std::uint16_t>(2 * j + 1);
        FRight[j] = static_cast<std::uint16_t>(2 * j + 2);
    }
}

void TKVCompress::Splay(int c)
{
    int a = c + 256;
    for (;;) {
        const int p = FUp[a];
        if (p == 0)
            break;
        const int g = FUp[p];
        int s;
        if (FLeft[g] == p) {
            s = FRight[g];
            FRight[g] = static_cast<std::uint16_t>(a);
        } else {
            s = FLeft[g];
            FLeft[g] = static_cast<std::uint16_t>(a);
        }
        if (FLeft[p] == a)
            FLeft[p] = static_cast<std::uint16_t>(s);
        else
            FRight[p] = static_cast<std::uint16_t>(s);
        FUp[a] = static_cast<std::uint8_t>(g);
        FUp[s] = static_cast<std::uint8_t>(p);
        a = g;
        if (a == 0)
            break;
    }
}

void TKVCompress::Compress(std::uint8_t byte)
{
    // The path is found leaf to root and sent root to leaf; a leaf is at most 256 steps deep.
    bool bits[257];
    int depth = 0;
    int a = byte + 256;
    do {
        const int p = FUp[a];
        bits[depth++] = FRight[p] == a;
        a = p;
    } while (a != 0);
    while (depth > 0) {
        if (bits[--depth])
            FOutByte |= static_cast<std::uint16_t>(1u << FBitPos);
        if (FBitPos == 7) {
            const auto out = static_cast<std::uint8_t>(FOutByte);
            FStream->WriteBuffer(&out, 1);
            FOutByte = 0;
            FBitPos = 0;
        } else {
            ++FBitPos;
        }
    }
    Splay(byte);
}

std::uint8_t TKVCompress::Expand()
{
    int a = 0;
    while (a < 256) {
        if (FBitPos == 7) {
            std::uint8_t in = 0;
            if (FStream->Read(&in, 1) != 1) {
                in = 0;
                FDamaged = true;
            }
            FInByte = in;
            FBitPos = 0;
        } else {
            ++FBitPos;
        }
        a = (FInByte >> FBitPos) & 1 ? FRight[a] : FLeft[a];
    }
    // Node 512 is a leaf no encoder reaches; only damaged data leads there.
    if (a == 512)
        FDamaged = true;
    Splay(a - 256);
    return static_cast<std::uint8_t>(a - 256);
}

QByteArray TKVCompress::CompressBytes(const QByteArray& plain)
{
    QByteArray coded;
    coded.reserve(plain.size() / 2 + 16);
    TAppendStream target(coded);
    {
        TKVCompress coder(target, true);
        for (const char ch : plain)
            coder.Compress(static_cast<std::uint8_t>(ch));
    }
    return coded;
}

bool TKVCompress::ExpandBytes(const char* coded, std::int64_t codedSize, std::int64_t length, QByteArray& out)
{
    out.clear();
    // Every byte costs at least one bit, so longer output cannot come from this much input; this
    // also bounds what a damaged length can make us allocate.
    if (length < 0 || codedSize < 0 || length > codedSize * 8)
        return false;
    TBufferStream source(coded, codedSize);
    TKVCompress coder(source, false);
    out.resize(length);
    char* dst = out.data();
    for (std::int64_t i = 0; i < length; ++i) {
        dst[i] = static_cast<char>(coder.Expand());
        if (coder.Damaged())
            return false;
    }
    // The encoder writes exactly the bytes its bits fill; anything more is not this coding.
    return source.Position() == codedSize;
}

} // namespace tessiv
