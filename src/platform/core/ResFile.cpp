#include "platform/core/ResFile.h"

#include "platform/core/Component.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Exceptions.h"
#include "platform/core/FileSave.h"
#include "platform/core/Reader.h"
#include "platform/core/Streams.h"
#include "platform/core/Writer.h"


namespace tessiv {

namespace {
constexpr int kHeaderProbe = 79;  // the most a reader looks at for the header
constexpr int kMaxNameLength = 63;
} // namespace

void ReadResHeader(TStream& stream)
{
    const std::int64_t start = stream.Position();
    std::uint8_t header[kHeaderProbe] = {};
    const std::int64_t got = stream.Read(header, kHeaderProbe);
    if (got < 3 || header[0] != 0xFF || header[1] != 10 || header[2] != 0)
        throw EInvalidImage(QStringLiteral("Invalid stream format"));
    // The name, NUL-terminated, then memory flags (2 bytes) and data size (4 bytes).
    std::int64_t end = 3;
    while (end < got && header[end] != 0)
        ++end;
    if (end + 1 + 6 > got)
        throw EInvalidImage(QStringLiteral("Invalid stream format"));
    stream.SetPosition(start + end + 1 + 6);
}

std::int64_t WriteResourceHeader(TStream& stream, const QString& className)
{
    QByteArray name = ToCp1252(className.toUpper()).left(kMaxNameLength);
    QByteArray header;
    header.append(char(0xFF));
    header.append(char(10)).append(char(0));
    header.append(name).append(char(0));
    header.append(char(0x30)).append(char(0x10)); // memory flags 0x1030
    const std::int64_t sizePosition = stream.Position() + header.size();
    header.append(QByteArray(4, '\0'));
    stream.WriteBytes(header);
    return sizePosition;
}

void FixupResourceHeader(TStream& stream, std::int64_t sizePosition)
{
    const std::int64_t end = stream.Position();
    const std::int64_t size = end - sizePosition - 4;
    const std::uint8_t bytes[4] = {std::uint8_t(size), std::uint8_t(size >> 8), std::uint8_t(size >> 16),
                                   std::uint8_t(size >> 24)};
    stream.SetPosition(sizePosition);
    stream.WriteBuffer(bytes, 4);
    stream.SetPosition(end);
}

TComponent* ReadComponentRes(TStream& stream, TComponent* instance)
{
    ReadResHeader(stream);
    TReader reader(stream);
    return reader.ReadRootComponent(instance);
}

void WriteComponentRes(TStream& stream, TComponent* instance)
{
    const std::int64_t sizePosition = WriteResourceHeader(stream, instance->ClassName());
    TWriter writer(stream);
    writer.WriteRootComponent(instance);
    FixupResourceHeader(stream, sizePosition);
}

TComponent* ReadComponentResFile(const QString& fileName, TComponent* instance)
{
    TFileStream file(fileName, fmOpenRead);
    return ReadComponentRes(file, instance);
}

void WriteComponentResFile(const QString& fileName, TComponent* instance)
{
    TMemoryStream memory;
    WriteComponentRes(memory, instance);
    const QByteArray bytes = memory.Bytes();
    SaveFileWhole(fileName, [&bytes](QIODevice& file) {
        if (file.write(bytes) != bytes.size())
            throw EWriteError(QStringLiteral("Stream write error"));
    }, bytes.size());
}

} // namespace tessiv
