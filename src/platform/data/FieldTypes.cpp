// The one table from database type names to field classes. Every driver reports its columns by a
// type name (SQLite's declared type, PostgreSQL's type or domain name, the ODBC driver's type
// name); the first entry whose name the reported one starts with decides.

#include "platform/data/Field.h"

#include <QRegularExpression>

namespace tessiv {

namespace {

struct TTypeEntry {
    const char* Name;
    TFieldType Type;
};

// Longer names first where one begins with another (SMALLINT before INT, DATETIME before DATE).
const TTypeEntry kTypeTable[] = {
    {"SMALLINT", ftSmallint},  {"INT2", ftSmallint},    {"SHORT", ftSmallint},   {"TINYINT", ftSmallint},
    {"WORD", ftWord},          {"UNSIGNED SMALLINT", ftWord},
    {"AUTOINC", ftInteger},    {"BIGSERIAL", ftLargeint}, {"SERIAL8", ftLargeint}, {"SERIAL", ftInteger},
    {"BIGINT", ftLargeint},    {"INT8", ftLargeint},    {"LARGEINT", ftLargeint},
    {"INTEGER", ftInteger},    {"INT4", ftInteger},     {"INT", ftInteger},
    {"MONEY", ftCurrency},     {"CURRENCY", ftCurrency},
    {"NUMERIC", ftBCD},        {"DECIMAL", ftBCD},      {"BCD", ftBCD},
    {"DOUBLE", ftFloat},       {"FLOAT", ftFloat},      {"REAL", ftFloat},       {"NUMBER", ftFloat},
    {"BOOLEAN", ftBoolean},    {"BOOL", ftBoolean},     {"BIT", ftBoolean},      {"LOGICAL", ftBoolean},
    {"DATETIME", ftDateTime},  {"TIMESTAMP", ftDateTime},
    {"DATE", ftDate},          {"TIME", ftTime},
    {"MEMO", ftMemo},          {"CLOB", ftMemo},        {"LONGVARCHAR", ftMemo}, {"LONG VARCHAR", ftMemo},
    {"LONGTEXT", ftMemo},      {"MEDIUMTEXT", ftMemo},  {"NTEXT", ftMemo},
    {"GRAPHIC", ftGraphic},    {"IMAGE", ftGraphic},    {"PICTURE", ftGraphic},
    {"BLOB", ftBlob},          {"BYTEA", ftBlob},       {"LONGVARBINARY", ftBlob}, {"VARBINARY", ftBlob},
    {"BINARY", ftBlob},        {"LONGBLOB", ftBlob},    {"MEDIUMBLOB", ftBlob},  {"TINYBLOB", ftBlob},
    {"LONG", ftInteger},
    {"VARCHAR", ftString},     {"NVARCHAR", ftString},  {"CHARACTER", ftString}, {"NCHAR", ftString},
    {"CHAR", ftString},        {"BPCHAR", ftString},    {"TEXT", ftString},      {"STRING", ftString},
    {"ALPHA", ftString},       {"NAME", ftString},      {"WVARCHAR", ftString},  {"WCHAR", ftString},
};

} // namespace

TColumnType FieldTypeFromName(const QString& typeName)
{
    const QString name = typeName.trimmed().toUpper();
    TColumnType result;
    if (name.isEmpty())
        return result;
    for (const TTypeEntry& e : kTypeTable)
        if (name.startsWith(QLatin1String(e.Name))) {
            result.Type = e.Type;
            break;
        }
    // The size in parentheses: characters of a string, decimals of a BCD.
    static const QRegularExpression sizeRe(QStringLiteral("\\(\\s*(\\d+)\\s*(?:,\\s*(\\d+)\\s*)?\\)"));
    const auto m = sizeRe.match(name);
    if (result.Type == ftString) {
        result.Size = m.hasMatch() ? m.captured(1).toInt() : 0;
    } else if (result.Type == ftBCD) {
        result.Size = m.hasMatch() && !m.captured(2).isEmpty() ? m.captured(2).toInt() : 4;
    }
    return result;
}

TFieldType FieldTypeFromValue(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort:
        return ftInteger;
    case QMetaType::Double: case QMetaType::Float:
        return ftFloat;
    case QMetaType::Bool:
        return ftBoolean;
    case QMetaType::QDate:
        return ftDate;
    case QMetaType::QTime:
        return ftTime;
    case QMetaType::QDateTime:
        return ftDateTime;
    case QMetaType::QByteArray:
        return ftBlob;
    default:
        return ftString;
    }
}

const TClassInfo& FieldClassOf(TFieldType type)
{
    switch (type) {
    case ftSmallint: return TSmallintField::StaticClass();
    case ftInteger: case ftAutoInc: return TIntegerField::StaticClass();
    case ftLargeint: return TLargeintField::StaticClass();
    case ftWord: return TWordField::StaticClass();
    case ftBoolean: return TBooleanField::StaticClass();
    case ftFloat: return TFloatField::StaticClass();
    case ftCurrency: return TCurrencyField::StaticClass();
    case ftBCD: return TBCDField::StaticClass();
    case ftDate: return TDateField::StaticClass();
    case ftTime: return TTimeField::StaticClass();
    case ftDateTime: return TDateTimeField::StaticClass();
    case ftMemo: case ftFmtMemo: return TMemoField::StaticClass();
    case ftGraphic: return TGraphicField::StaticClass();
    case ftBlob: case ftBytes: case ftVarBytes: case ftTypedBinary: return TBlobField::StaticClass();
    default: return TStringField::StaticClass();
    }
}

TField* CreateFieldOfType(TFieldType type, TComponent* owner)
{
    TField* f = static_cast<TField*>(FieldClassOf(type).Create(owner));
    if (type == ftAutoInc)
        f->SetDataTypeInternal(type);
    return f;
}

} // namespace tessiv
