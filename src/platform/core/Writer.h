#pragma once
// Writes the binary component stream: each component's class and name, the published properties
// that differ from their defaults, the defined properties, then its children.

#include "platform/core/Filer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace tessiv {

class TPersistent;
class TCollection;
struct TPropInfo;

class TWriter : public TFiler {
public:
    explicit TWriter(TStream& stream);
    ~TWriter() override;

    void WriteRootComponent(TComponent* root); // signature, then the root record
    void WriteComponent(TComponent* component);
    void WriteDescendent(TComponent* component); // signature, then the component (clipboard, undo)

    void DefineProperty(const QString& name, const TReaderProc& readData,
                        const TWriterProc& writeData, bool hasData) override;
    void DefineBinaryProperty(const QString& name, const TStreamProc& readData,
                              const TStreamProc& writeData, bool hasData) override;

    // ---- values ----
    void WriteSignature();
    void WriteValue(TValueType value);
    void WriteListBegin();
    void WriteListEnd();
    void WriteInteger(std::int64_t value); // the smallest of int8, int16, int32 (int64 beyond)
    void WriteFloat(long double value);
    void WriteSingle(float value);
    void WriteCurrency(std::int64_t value); // ten-thousandths
    void WriteDate(double value);
    // cp1252 string, long string past 255 bytes; UTF-16 when the text leaves cp1252.
    void WriteString(const QString& value);
    void WriteWideString(const QString& value);
    void WriteIdent(const QString& ident); // True, False, nil and Null get their own value types
    void WriteBoolean(bool value);
    void WriteStr(const QString& value);   // short string, at most 255 characters
    void WriteSet(const QStringList& names);
    void WriteBinary(const QByteArray& bytes);
    void WriteCollection(const TCollection& collection);
    void WriteProperties(const TPersistent* instance);
    // The whole record of a component: class, name, properties, children.
    void WriteData(TComponent* component);

    std::int64_t Position() const;

private:
    void WriteProperty(const TPersistent* instance, const TPropInfo& prop);
    void WritePropName(const QString& name);
    void Write(const void* buffer, std::int64_t count);
    void WriteByte(std::uint8_t b);
    QString ReferenceName(const TComponent* component) const;

    QString FPropPath; // "Font." while writing a sub-object's properties
};

} // namespace tessiv
