#pragma once
// Fields: one object per column of an open dataset, of the class its database type maps to (the
// table in FieldTypes.cpp). A field reads and writes the dataset's current record.

#include "platform/core/Alignment.h"
#include "platform/core/Component.h"
#include "platform/core/SysUtils.h"

#include <QByteArray>
#include <QVariant>

#include <cstdint>

namespace tessiv {

class TDataSet;

enum TFieldType {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD, ftDate,
    ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo,
    ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint,
};
const TEnumInfo& FieldTypeInfo();


enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };
const TEnumInfo& FieldKindInfo();

class TField : public TComponent {
    TESSIV_CLASS(TField, TComponent)
public:
    explicit TField(TComponent* owner);
    ~TField() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* dataSet);
    TFieldType DataType() const { return FDataType; }
    // 1-based position of the field's column in the dataset's records; 0 while unbound.
    int FieldNo() const { return FFieldNo; }
    int Index() const;
    void SetIndex(int index);

    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& name);
    QString DisplayLabel() const { return FDisplayLabel.isEmpty() ? FFieldName : FDisplayLabel; }
    QString DisplayName() const { return DisplayLabel(); }
    void SetDisplayLabel(const QString& label) { FDisplayLabel = label == FFieldName ? QString() : label; }
    int Size() const { return FSize; }
    void SetSize(int size) { FSize = size; }

    bool IsNull() const;
    bool IsBlob() const { return FDataType == ftBlob || FDataType == ftMemo || FDataType == ftGraphic; }
    QString AsString() const { return GetAsString(); }
    int AsInteger() const;
    // The whole of a 64-bit integer (an EAN-13 or a company number in an integer column).
    std::int64_t AsLargeInt() const { return GetAsLargeInt(); }
    long double AsFloat() const { return GetAsFloat(); }
    bool AsBoolean() const { return GetAsBoolean(); }
    TDateTime AsDateTime() const { return GetAsDateTime(); }
    // Null is an invalid QVariant; dates come as QDate, QTime or QDateTime.
    QVariant Value() const;
    QString DisplayText() const { return GetText(true); }
    QString Text() const { return GetText(false); }

    void SetAsString(const QString& v) { SetAsStringImpl(v); }
    void SetAsInteger(int v) { SetAsFloatImpl(v); }
    void SetAsLargeInt(std::int64_t v) { SetAsLargeIntImpl(v); }
    void SetAsFloat(long double v) { SetAsFloatImpl(v); }
    void SetAsBoolean(bool v) { SetAsBooleanImpl(v); }
    void SetAsDateTime(TDateTime v) { SetAsDateTimeImpl(v); }
    void SetValue(const QVariant& v);
    void SetText(const QString& v) { SetAsString(v); }
    void Clear() { WriteStored(QVariant()); }

    // The stored form of a value of the driver (or of a CSV cell), for this class.
    virtual QVariant Normalize(const QVariant& raw) const = 0;
    // The same in place, where a value already in the stored form is left untouched.
    virtual void NormalizeInPlace(QVariant& value) const { value = Normalize(value); }

    // published
    TAlignment Alignment = taLeftJustify;
    int DisplayWidth = 0;
    bool ReadOnly = false;
    bool Required = false;
    bool Visible = true;
    QString EditMask;
    QString DefaultExpression;
    QString ConstraintErrorMessage;
    QString CustomConstraint;
    QString Origin;
    TFieldKind FieldKind = fkData;
    TEvent<void(TField*)> OnChange;
    TEvent<void(TField*, QString& text, bool displayText)> OnGetText;
    TEvent<void(TField*, const QString& text)> OnSetText;
    TEvent<void(TField*)> OnValidate;

    // Binding, by the dataset.
    void Bind(TDataSet* dataSet, int fieldNo) { FBoundSet = dataSet; FFieldNo = fieldNo; }
    void SetDataTypeInternal(TFieldType t) { FDataType = t; }
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;

protected:
    [[noreturn]] void AccessError(const QString& typeName) const;
    const QVariant& Stored() const;
    void WriteStored(const QVariant& v);
    virtual QString GetAsString() const;
    virtual long double GetAsFloat() const { AccessError(QStringLiteral("Float")); }
    virtual std::int64_t GetAsLargeInt() const { AccessError(QStringLiteral("Integer")); }
    virtual bool GetAsBoolean() const { AccessError(QStringLiteral("Boolean")); }
    virtual TDateTime GetAsDateTime() const { AccessError(QStringLiteral("DateTime")); }
    // Value's, of the stored value (not null).
    virtual QVariant GetAsVariant(const QVariant& stored) const { return stored; }
    virtual QString GetText(bool display) const;
    virtual void SetAsStringImpl(const QString& v);
    virtual void SetAsFloatImpl(long double v) { AccessError(QStringLiteral("Float")); }
    virtual void SetAsLargeIntImpl(std::int64_t v) { SetAsFloatImpl(static_cast<long double>(v)); }
    // A value the database holds in this column that is not of the column's kind ("abc" in an
    // integer column, "2024-02-30" in a date column) is kept as it was read: shown as it is, and
    // refused with the field's name when asked for as a number or a date.
    bool StoredIsForeign(int ownType) const;
    [[noreturn]] void ForeignError(const QString& kind) const;
    virtual void SetAsBooleanImpl(bool v) { AccessError(QStringLiteral("Boolean")); }
    virtual void SetAsDateTimeImpl(TDateTime v) { AccessError(QStringLiteral("DateTime")); }

    TFieldType FDataType = ftUnknown;
    int FSize = 0;

private:
    friend class TDataSet;
    TDataSet* FDataSet = nullptr;  // the dataset the field belongs to
    TDataSet* FBoundSet = nullptr; // set while the dataset is open
    int FFieldNo = 0;
    QString FFieldName;
    QString FDisplayLabel;
};

class TStringField : public TField {
    TESSIV_CLASS(TStringField, TField)
public:
    explicit TStringField(TComponent* owner);
    QVariant Normalize(const QVariant& raw) const override;
    void NormalizeInPlace(QVariant& value) const override;
    bool Transliterate = true;

protected:
    QString GetAsString() const override;
    long double GetAsFloat() const override;
    std::int64_t GetAsLargeInt() const override;
    bool GetAsBoolean() const override;
    TDateTime GetAsDateTime() const override;
    void SetAsStringImpl(const QString& v) override;
    void SetAsFloatImpl(long double v) override;
    void SetAsBooleanImpl(bool v) override;
    void SetAsDateTimeImpl(TDateTime v) override;
};

class TNumericField : public TField {
    TESSIV_CLASS(TNumericField, TField)
public:
    explicit TNumericField(TComponent* owner);
    QString DisplayFormat;
    QString EditFormat;
};

class TIntegerField : public TNumericField {
    TESSIV_CLASS(TIntegerField, TNumericField)
public:
    explicit TIntegerField(TComponent* owner);
    QVariant Normalize(const QVariant& raw) const override;
    void NormalizeInPlace(QVariant& value) const override;
    int MaxValue = 0;
    int MinValue = 0;

protected:
    long double GetAsFloat() const override;
    std::int64_t GetAsLargeInt() const override;
    QString GetText(bool display) const override;
    void SetAsStringImpl(const QString& v) override;
    void SetAsFloatImpl(long double v) override;
    void SetAsLargeIntImpl(std::int64_t v) override;
    virtual std::int64_t Low() const { return INT32_MIN; }
    virtual std::int64_t High() const { return INT32_MAX; }
};

// A 64-bit integer column (BIGINT, and every SQLite integer).
class TLargeintField : public TIntegerField {
    TESSIV_CLASS(TLargeintField, TIntegerField)
public:
    explicit TLargeintField(TComponent* owner);

protected:
    std::int64_t Low() const override { return INT64_MIN; }
    std::int64_t High() const override { return INT64_MAX; }
};

class TSmallintField : public TIntegerField {
    TESSIV_CLASS(TSmallintField, TIntegerField)
public:
    explicit TSmallintField(TComponent* owner);

protected:
    std::int64_t Low() const override { return -32768; }
    std::int64_t High() const override { return 32767; }
};

class TWordField : public TIntegerField {
    TESSIV_CLASS(TWordField, TIntegerField)
public:
    explicit TWordField(TComponent* owner);

protected:
    std::int64_t Low() const override { return 0; }
    std::int64_t High() const override { return 65535; }
};

// What float and BCD fields share: a double value, a range, currency display.
class TFloatingField : public TNumericField {
    TESSIV_CLASS(TFloatingField, TNumericField)
public:
    explicit TFloatingField(TComponent* owner) : TNumericField(owner) {}
    QVariant Normalize(const QVariant& raw) const override;
    bool Currency = false;
    long double MaxValue = 0;
    long double MinValue = 0;
    int Precision = 15;

protected:
    long double GetAsFloat() const override;
    std::int64_t GetAsLargeInt() const override;
    QString GetText(bool display) const override;
    void SetAsStringImpl(const QString& v) override;
    // Checks the range, then stores.
    void SetAsFloatImpl(long double v) override;
    virtual void Store(long double v) = 0;
    // Significant digits of the text shown when no format is given.
    virtual int TextPrecision() const = 0;
};

class TFloatField : public TFloatingField {
    TESSIV_CLASS(TFloatField, TFloatingField)
public:
    explicit TFloatField(TComponent* owner);
    void NormalizeInPlace(QVariant& value) const override;

protected:
    void Store(long double v) override;
    int TextPrecision() const override { return Precision; }
};

class TCurrencyField : public TFloatField {
    TESSIV_CLASS(TCurrencyField, TFloatField)
public:
    explicit TCurrencyField(TComponent* owner);
};

// Exact decimals (NUMERIC, DECIMAL, money): the value is kept as its decimal digits, so that
// what the database holds is what is shown and written back, whatever the number of digits.
class TBCDField : public TFloatingField {
    TESSIV_CLASS(TBCDField, TFloatingField)
public:
    explicit TBCDField(TComponent* owner);
    QVariant Normalize(const QVariant& raw) const override;
    // The digits, with '.' for the decimal point ("-1234.50").
    QString AsDecimal() const;

protected:
    long double GetAsFloat() const override;
    QString GetAsString() const override;
    QString GetText(bool display) const override;
    void SetAsStringImpl(const QString& v) override;
    void Store(long double v) override;
    int TextPrecision() const override { return 15; }
};

class TBooleanField : public TField {
    TESSIV_CLASS(TBooleanField, TField)
public:
    explicit TBooleanField(TComponent* owner);
    QVariant Normalize(const QVariant& raw) const override;
    // "True text;False text"
    QString DisplayValues;

protected:
    bool GetAsBoolean() const override;
    long double GetAsFloat() const override;
    std::int64_t GetAsLargeInt() const override;
    QString GetText(bool display) const override;
    void SetAsStringImpl(const QString& v) override;
    void SetAsBooleanImpl(bool v) override;
};

class TDateTimeField : public TField {
    TESSIV_CLASS(TDateTimeField, TField)
public:
    explicit TDateTimeField(TComponent* owner);
    QVariant Normalize(const QVariant& raw) const override;
    QString DisplayFormat;

protected:
    TDateTime GetAsDateTime() const override;
    long double GetAsFloat() const override;
    QVariant GetAsVariant(const QVariant& stored) const override;
    QString GetText(bool display) const override;
    void SetAsStringImpl(const QString& v) override;
    void SetAsDateTimeImpl(TDateTime v) override;
    void SetAsFloatImpl(long double v) override { SetAsDateTimeImpl(static_cast<TDateTime>(v)); }
    virtual TDateTime Trimmed(TDateTime v) const { return v; }
};

class TDateField : public TDateTimeField {
    TESSIV_CLASS(TDateField, TDateTimeField)
public:
    explicit TDateField(TComponent* owner);

protected:
    TDateTime Trimmed(TDateTime v) const override;
};

class TTimeField : public TDateTimeField {
    TESSIV_CLASS(TTimeField, TDateTimeField)
public:
    explicit TTimeField(TComponent* owner);

protected:
    TDateTime Trimmed(TDateTime v) const override;
};

enum TBlobType { btBlob = ftBlob, btMemo = ftMemo, btGraphic = ftGraphic };

class TBlobField : public TField {
    TESSIV_CLASS(TBlobField, TField)
public:
    explicit TBlobField(TComponent* owner);
    QVariant Normalize(const QVariant& raw) const override;
    // The bytes of the current record (a memo gives its text in UTF-8).
    QByteArray AsBytes() const;
    void SetAsBytes(const QByteArray& bytes);
    bool Modified() const { return FModified; }
    bool Transliterate = true;

protected:
    QString GetAsString() const override;
    QString GetText(bool display) const override;
    void SetAsStringImpl(const QString& v) override;

private:
    bool FModified = false;
};

class TMemoField : public TBlobField {
    TESSIV_CLASS(TMemoField, TBlobField)
public:
    explicit TMemoField(TComponent* owner);
    QVariant Normalize(const QVariant& raw) const override;
};

// A blob holding a picture; the graphics layer turns AsBytes into a picture.
class TGraphicField : public TBlobField {
    TESSIV_CLASS(TGraphicField, TBlobField)
public:
    explicit TGraphicField(TComponent* owner);
};

// The one table from database type names to field types, and field types to field classes.
struct TColumnType {
    TFieldType Type = ftUnknown;
    int Size = 0;
    bool Currency = false; // a money type: shown as currency
};
// A declared or reported type name ("VARCHAR(30)", "int4", "CURRENCY", "NUMERIC(10,2)"...).
// ftUnknown when the name says nothing known.
TColumnType FieldTypeFromName(const QString& typeName);
// The field type of a value when no type name is known.
TFieldType FieldTypeFromValue(const QVariant& value);
// Creates the field of that type, owned by Owner.
TField* CreateFieldOfType(TFieldType type, TComponent* owner);
const TClassInfo& FieldClassOf(TFieldType type);

} // namespace tessiv
