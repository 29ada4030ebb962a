// The byte coder of compressed pages: four bytes of the length to decode, then the coded bytes.
// What decodes must code back to a coding of the same length.
#include "FuzzTarget.h"

#include "engine/run/KVCompress.h"
#include "platform/core/Streams.h"

#include <QtEndian>

namespace {

QByteArray Framed(const QByteArray& plain)
{
    QByteArray length(4, '\0');
    qToLittleEndian<std::uint32_t>(std::uint32_t(plain.size()), length.data());
    return length + tessiv::TKVCompress::CompressBytes(plain);
}

std::vector<QByteArray> Seeds()
{
    QByteArray all;
    for (int i = 0; i < 512; ++i)
        all += char(i * 7);
    static const char page[] = "EMF page records: \x01\x00\x00\x00 header, lines, text...";
    return {Framed(QByteArray(page, sizeof page - 1)), Framed(QByteArray(300, 'A')),
            Framed(all), Framed(QByteArray())};
}

} // namespace

TESSIV_FUZZ_TARGET(page_coder, Seeds)
{
    using namespace tessiv;
    if (size < 4)
        return false;
    // A length past what the data could code is a damaged page; keep the claim small enough to try.
    const std::int64_t length = std::min<std::int64_t>(qFromLittleEndian<std::uint32_t>(data), 1 << 20);
    QByteArray plain;
    const bool accepted = TKVCompress::ExpandBytes(reinterpret_cast<const char*>(data + 4), std::int64_t(size - 4), length, plain);
    if (accepted) {
        if (plain.size() != length)
            fuzz::Broken("a page decoded to another length than asked");
        // Only the padding of the last byte is free: coded again, the bytes take as many bytes.
        if (TKVCompress::CompressBytes(plain).size() != qsizetype(size - 4))
            fuzz::Broken("decoded bytes code to a coding of another length");
    }
    // The streaming decoder reads past the end as zeros and says so.
    TMemoryStream coded(QByteArray(reinterpret_cast<const char*>(data + 4), qsizetype(size - 4)));
    TKVCompress decoder(coded, false);
    for (std::int64_t i = 0; i < std::min<std::int64_t>(length, 4096) && !decoder.Damaged(); ++i)
        decoder.Expand();
    return accepted;
}
