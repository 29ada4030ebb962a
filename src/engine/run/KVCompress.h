#pragma once
// The byte coder of compressed pages: an adaptive semi-splaying prefix code over a binary tree of
// the 256 byte values. Each page gets a fresh tree, so no table is stored in the file.

#include <QByteArray>

#include <array>
#include <cstdint>

namespace tessiv {

class TStream;

class TKVCompress {
public:
    // encode: bytes given to Compress are coded into stream; otherwise Expand decodes from it.
    // The stream is not owned.
    TKVCompress(TStream& stream, bool encode);
    // An encoder writes its partly filled last byte (padded with zero bits).
    ~TKVCompress();
    TKVCompress(const TKVCompress&) = delete;
    TKVCompress& operator=(const TKVCompress&) = delete;

    void Compress(std::uint8_t byte);
    // A read past the end of the coded data reads as the byte 0; Damaged() then tells.
    std::uint8_t Expand();

    // The decoder met the end of its data, or reached the leaf that no encoder ever codes.
    bool Damaged() const { return FDamaged; }

    // Whole-buffer forms: the same bytes as a fresh coder on a memory stream.
    static QByteArray CompressBytes(const QByteArray& plain);
    // Decodes exactly length bytes from coded. Returns false, with out unspecified, when coded
    // is not exactly the coding of length bytes (too short, bytes left over, or impossible codes).
    static bool ExpandBytes(const char* coded, std::int64_t codedSize, std::int64_t length, QByteArray& out);

private:
    void Splay(int c);
    void InitTree();

    std::uint8_t FBitPos = 0;
    bool FEncode = true;
    std::uint16_t FInByte = 0;
    std::array<std::uint16_t, 256> FLeft{};
    std::array<std::uint16_t, 256> FRight{};
    std::uint16_t FOutByte = 0;
    TStream* FStream = nullptr;
    std::array<std::uint8_t, 513> FUp{};
    bool FDamaged = false;
};

} // namespace tessiv
