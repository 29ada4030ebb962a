#include "platform/core/Writer.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Collection.h"
#include "platform/core/Component.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Extended.h"
#include "platform/core/Streams.h"

#include <bit>
#include <cmath>
#include <limits>

namespace tessiv {

namespace {
template <class T>
void PutLittleEndian(std::uint8_t* p, T value)
{
    auto v = static_cast<std::make_unsigned_t<T>>(value);
    for (size_t i = 0; i < sizeof(T); ++i) {
        p[i] = static_cast<std::uint8_t>(v & 0xFF);
        v = static_cast<std::make_unsigned_t<T>>(v >> 8);
    }
}
} // namespace

TWriter::TWriter(TStream& stream) : TFiler(stream) {}
TWriter::~TWriter() = default;

std::int64_t TWriter::Position() const
{
    return FStream.Position();
}

void TWriter::Write(const void* buffer, std::int64_t count)
{
    FStream.WriteBuffer(buffer, count);
}

void TWriter::WriteByte(std::uint8_t b)
{
    Write(&b, 1);
}

void TWriter::WriteSignature()
{
    Write("TPF0", 4);
}

void TWriter::WriteValue(TValueType value)
{
    WriteByte(value);
}

void TWriter::WriteListBegin()
{
    WriteValue(vaList);
}

void TWriter::WriteListEnd()
{
    WriteValue(vaNull);
}

void TWriter::WriteInteger(std::int64_t value)
{
    std::uint8_t b[9];
    if (value >= -128 && value <= 127) {
        b[0] = vaInt8;
        b[1] = static_cast<std::uint8_t>(value);
        Write(b, 2);
    } else if (value >= -32768 && value <= 32767) {
        b[0] = vaInt16;
        PutLittleEndian(b + 1, static_cast<std::int16_t>(value));
        Write(b, 3);
    } else if (value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max()) {
        b[0] = vaInt32;
        PutLittleEndian(b + 1, static_cast<std::int32_t>(value));
        Write(b, 5);
    } else {
        b[0] = vaInt64;
        PutLittleEndian(b + 1, value);
        Write(b, 9);
    }
}

void TWriter::WriteFloat(long double value)
{
    std::uint8_t b[11];
    b[0] = vaExtended;
    EncodeExtended(value, b + 1);
    Write(b, 11);
}

void TWriter::WriteSingle(float value)
{
    std::uint8_t b[5];
    b[0] = vaSingle;
    PutLittleEndian(b + 1, std::bit_cast<std::uint32_t>(value));
    Write(b, 5);
}

void TWriter::WriteCurrency(std::int64_t value)
{
    std::uint8_t b[9];
    b[0] = vaCurrency;
    PutLittleEndian(b + 1, value);
    Write(b, 9);
}

void TWriter::WriteDate(double value)
{
    std::uint8_t b[9];
    b[0] = vaDate;
    PutLittleEndian(b + 1, std::bit_cast<std::uint64_t>(value));
    Write(b, 9);
}

void TWriter::WriteString(const QString& value)
{
    bool lossless = true;
    const QByteArray bytes = ToCp1252(value, &lossless);
    if (!lossless) {
        WriteWideString(value);
        return;
    }
    if (bytes.size() <= 255) {
        const std::uint8_t head[2] = {vaString, static_cast<std::uint8_t>(bytes.size())};
        Write(head, 2);
    } else {
        std::uint8_t head[5];
        head[0] = vaLString;
        PutLittleEndian(head + 1, static_cast<std::uint32_t>(bytes.size()));
        Write(head, 5);
    }
    Write(bytes.constData(), bytes.size());
}

void TWriter::WriteWideString(const QString& value)
{
    std::uint8_t head[5];
    head[0] = vaWString;
    PutLittleEndian(head + 1, static_cast<std::uint32_t>(value.size()));
    Write(head, 5);
    QByteArray bytes(value.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value[i].unicode();
        bytes[2 * i] = static_cast<char>(c & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(c >> 8);
    }
    Write(bytes.constData(), bytes.size());
}

void TWriter::WriteIdent(const QString& ident)
{
    if (ident.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        WriteValue(vaFalse);
    else if (ident.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        WriteValue(vaTrue);
    else if (ident.compare(QLatin1String("nil"), Qt::CaseInsensitive) == 0)
        WriteValue(vaNil);
    else if (ident.compare(QLatin1String("Null"), Qt::CaseInsensitive) == 0)
        WriteValue(vaNull);
    else {
        WriteValue(vaIdent);
        WriteStr(ident);
    }
}

void TWriter::WriteBoolean(bool value)
{
    WriteValue(value ? vaTrue : vaFalse);
}

void TWriter::WriteStr(const QString& value)
{
    const QByteArray bytes = ToCp1252(value);
    if (bytes.size() > 255)
        throw EWriteError(QStringLiteral("Name too long for the stream: %1").arg(value.left(40)));
    WriteByte(static_cast<std::uint8_t>(bytes.size()));
    Write(bytes.constData(), bytes.size());
}

void TWriter::WriteSet(const QStringList& names)
{
    WriteValue(vaSet);
    for (const QString& n : names)
        WriteStr(n);
    WriteStr(QString());
}

void TWriter::WriteBinary(const QByteArray& bytes)
{
    std::uint8_t head[5];
    head[0] = vaBinary;
    PutLittleEndian(head + 1, static_cast<std::uint32_t>(bytes.size()));
    Write(head, 5);
    Write(bytes.constData(), bytes.size());
}

void TWriter::WriteCollection(const TCollection& collection)
{
    const QString savedPath = FPropPath;
    FPropPath.clear();
    WriteValue(vaCollection);
    for (int i = 0; i < collection.Count(); ++i) {
        WriteListBegin();
        WriteProperties(collection.Items(i));
        WriteListEnd();
    }
    WriteListEnd();
    FPropPath = savedPath;
}

void TWriter::WritePropName(const QString& name)
{
    WriteStr(FPropPath + name);
}

void TWriter::DefineProperty(const QString& name, const TReaderProc&, const TWriterProc& writeData, bool hasData)
{
    if (hasData && writeData) {
        WritePropName(name);
        writeData(*this);
    }
}

void TWriter::DefineBinaryProperty(const QString& name, const TStreamProc&, const TStreamProc& writeData,
                                   bool hasData)
{
    if (hasData && writeData) {
        TMemoryStream data;
        writeData(data);
        WritePropName(name);
        WriteBinary(data.Bytes());
    }
}

QString TWriter::ReferenceName(const TComponent* component) const
{
    if (component->Owner() == FRoot)
        return component->Name();
    if (component == FRoot)
        return QStringLiteral("Owner");
    if (component->Owner() && !component->Owner()->Name().isEmpty() && !component->Name().isEmpty())
        return component->Owner()->Name() + QLatin1Char('.') + component->Name();
    return component->Name();
}

void TWriter::WriteProperty(const TPersistent* instance, const TPropInfo& prop)
{
    if (prop.Kind != TTypeKind::tkClass && prop.IsDefaultValue(instance))
        return;
    switch (prop.Kind) {
    case TTypeKind::tkInteger: {
        const std::int64_t v = prop.GetOrd(instance);
        WritePropName(prop.Name);
        if (const auto ident = prop.Idents ? prop.Idents->IntToIdent(v) : std::nullopt)
            WriteIdent(*ident);
        else
            WriteInteger(v);
        break;
    }
    case TTypeKind::tkInt64:
        WritePropName(prop.Name);
        WriteInteger(prop.GetOrd(instance));
        break;
    case TTypeKind::tkEnumeration: {
        const std::int64_t v = prop.GetOrd(instance);
        WritePropName(prop.Name);
        if (prop.Enum->IsBoolean())
            WriteBoolean(v != 0);
        else
            WriteIdent(prop.Enum->NameOf(v));
        break;
    }
    case TTypeKind::tkSet: {
        const std::int64_t bits = prop.GetOrd(instance);
        QStringList names;
        for (int i = 0; i < 32; ++i)
            if (bits & (std::int64_t(1) << i))
                names.push_back(prop.Enum->NameOf(i + prop.Enum->Offset));
        WritePropName(prop.Name);
        WriteSet(names);
        break;
    }
    case TTypeKind::tkFloat: {
        const long double v = prop.GetFloat(instance);
        WritePropName(prop.Name);
        switch (prop.FloatType) {
        case TFloatType::ftSingle:
            WriteSingle(static_cast<float>(v));
            break;
        case TFloatType::ftCurr:
            WriteCurrency(std::llround(v * 10000.0L));
            break;
        case TFloatType::ftDateTime:
            WriteDate(static_cast<double>(v));
            break;
        default:
            WriteFloat(v);
        }
        break;
    }
    case TTypeKind::tkString:
        WritePropName(prop.Name);
        WriteString(prop.GetStr(instance));
        break;
    case TTypeKind::tkMethod:
        WritePropName(prop.Name);
        WriteIdent(prop.GetStr(instance));
        break;
    case TTypeKind::tkComponent: {
        const QString name = ReferenceName(static_cast<const TComponent*>(prop.GetObject(instance)));
        if (!name.isEmpty()) {
            WritePropName(prop.Name);
            WriteIdent(name);
        }
        break;
    }
    case TTypeKind::tkClass: {
        const TPersistent* object = prop.GetObject(instance);
        if (!object)
            break;
        if (auto* collection = dynamic_cast<const TCollection*>(object)) {
            WritePropName(prop.Name);
            WriteCollection(*collection);
            break;
        }
        const QString savedPath = FPropPath;
        FPropPath += prop.Name + QLatin1Char('.');
        WriteProperties(object);
        FPropPath = savedPath;
        break;
    }
    }
}

void TWriter::WriteProperties(const TPersistent* instance)
{
    for (const TPropInfo* prop : instance->ClassType().Properties())
        if (prop->IsStored(instance))
            WriteProperty(instance, *prop);
    const_cast<TPersistent*>(instance)->DefineProperties(*this);
}

void TWriter::WriteData(TComponent* component)
{
    component->SetWriting(true);
    try {
        WriteStr(component->ClassName());
        WriteStr(component->Name());
        WriteProperties(component);
        WriteListEnd();
        component->GetChildren([this](TComponent* child) { WriteComponent(child); }, FRoot);
        WriteListEnd();
    } catch (...) {
        component->SetWriting(false);
        throw;
    }
    component->SetWriting(false);
}

void TWriter::WriteComponent(TComponent* component)
{
    if (IsTransientClass(component->ClassType()))
        return;
    component->WriteState(*this);
}

void TWriter::WriteRootComponent(TComponent* root)
{
    FRoot = root;
    WriteSignature();
    WriteComponent(root);
}

void TWriter::WriteDescendent(TComponent* component)
{
    WriteRootComponent(component);
}

} // namespace tessiv
