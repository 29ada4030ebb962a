#pragma once
// Reading and writing of component streams: the value types of the binary form and the base that
// TReader and TWriter share, through which classes define properties of their own.

#include <QString>

#include <cstdint>
#include <functional>

namespace tessiv {

class TReader;
class TWriter;
class TStream;
class TComponent;

enum TValueType : std::uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
};
constexpr std::uint8_t kLastValueType = vaInt64;

// Flags of the prefix byte (0xF0 | flags) that may precede a component record.
enum TFilerFlag : std::uint8_t { ffInherited = 1, ffChildPos = 2, ffInline = 4 };

using TReaderProc = std::function<void(TReader&)>;
using TWriterProc = std::function<void(TWriter&)>;
using TStreamProc = std::function<void(TStream&)>;

class TFiler {
public:
    explicit TFiler(TStream& stream) : FStream(stream) {}
    virtual ~TFiler() = default;
    TFiler(const TFiler&) = delete;
    TFiler& operator=(const TFiler&) = delete;

    // A property stored as values (ReadData reads exactly what WriteData wrote). HasData false:
    // nothing is written.
    virtual void DefineProperty(const QString& name, const TReaderProc& readData,
                                const TWriterProc& writeData, bool hasData) = 0;
    // A property stored as a block of bytes (vaBinary): the procedures see a stream of just them.
    virtual void DefineBinaryProperty(const QString& name, const TStreamProc& readData,
                                      const TStreamProc& writeData, bool hasData) = 0;

    TStream& Stream() const { return FStream; }
    TComponent* Root() const { return FRoot; }
    void SetRoot(TComponent* root) { FRoot = root; }

protected:
    TStream& FStream;
    TComponent* FRoot = nullptr;
};

} // namespace tessiv
