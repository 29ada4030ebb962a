#include "platform/data/Field.h"

#include "platform/core/Component.h"
#include "platform/data/DBError.h"
#include "platform/data/DataSet.h"
#include "platform/data/Variants.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <QLocale>
#include <QRegularExpression>

#include <charconv>
#include <cmath>

namespace tessiv {

const TEnumInfo& FieldTypeInfo()
{
    static const TEnumInfo info{QStringLiteral("TFieldType"),
        {QStringLiteral("ftUnknown"), QStringLiteral("ftString"), QStringLiteral("ftSmallint"),
         QStringLiteral("ftInteger"), QStringLiteral("ftWord"), QStringLiteral("ftBoolean"),
         QStringLiteral("ftFloat"), QStringLiteral("ftCurrency"), QStringLiteral("ftBCD"),
         QStringLiteral("ftDate"), QStringLiteral("ftTime"), QStringLiteral("ftDateTime"),
         QStringLiteral("ftBytes"), QStringLiteral("ftVarBytes"), QStringLiteral("ftAutoInc"),
         QStringLiteral("ftBlob"), QStringLiteral("ftMemo"), QStringLiteral("ftGraphic"),
         QStringLiteral("ftFmtMemo"), QStringLiteral("ftParadoxOle"), QStringLiteral("ftDBaseOle"),
         QStringLiteral("ftTypedBinary"), QStringLiteral("ftCursor"), QStringLiteral("ftFixedChar"),
         QStringLiteral("ftWideString"), QStringLiteral("ftLargeint")}};
    return info;
}

const TEnumInfo& FieldKindInfo()
{
    static const TEnumInfo info{QStringLiteral("TFieldKind"),
        {QStringLiteral("fkData"), QStringLiteral("fkCalculated"), QStringLiteral("fkLookup"),
         QStringLiteral("fkInternalCalc")}};
    return info;
}

// ---- TField ---------------------------------------------------------------------------------

static bool IsNumericClass(const TField& f)
{
    return f.InheritsFrom(TNumericField::StaticClass());
}

TESSIV_IMPLEMENT_CLASS(TField, TComponent,
    t.Enum(QStringLiteral("Alignment"), AlignmentInfo(), &TField::Alignment, &TField::Alignment)
        .WithStored([](const TPersistent* p) {
            const auto* f = static_cast<const TField*>(p);
            return f->Alignment != (IsNumericClass(*f) ? taRightJustify : taLeftJustify);
        });
    t.String(QStringLiteral("ConstraintErrorMessage"), &TField::ConstraintErrorMessage, &TField::ConstraintErrorMessage);
    t.String(QStringLiteral("CustomConstraint"), &TField::CustomConstraint, &TField::CustomConstraint);
    t.String(QStringLiteral("DefaultExpression"), &TField::DefaultExpression, &TField::DefaultExpression);
    t.String(QStringLiteral("DisplayLabel"), [](const TField& f) { return f.FDisplayLabel; },
             [](TField& f, const QString& v) { f.SetDisplayLabel(v); });
    t.Integer(QStringLiteral("DisplayWidth"), &TField::DisplayWidth, &TField::DisplayWidth, 0);
    t.String(QStringLiteral("EditMask"), &TField::EditMask, &TField::EditMask);
    t.Enum(QStringLiteral("FieldKind"), FieldKindInfo(), &TField::FieldKind, &TField::FieldKind, fkData);
    t.String(QStringLiteral("FieldName"), &TField::FieldName, &TField::SetFieldName);
    t.Integer(QStringLiteral("Index"), &TField::Index, &TField::SetIndex).WithStored([](const TPersistent*) { return false; });
    t.String(QStringLiteral("Origin"), &TField::Origin, &TField::Origin);
    t.Boolean(QStringLiteral("ReadOnly"), &TField::ReadOnly, &TField::ReadOnly, false);
    t.Boolean(QStringLiteral("Required"), &TField::Required, &TField::Required, false);
    t.Boolean(QStringLiteral("Visible"), &TField::Visible, &TField::Visible, true);
    t.Event(QStringLiteral("OnChange"), &TField::OnChange);
    t.Event(QStringLiteral("OnGetText"), &TField::OnGetText);
    t.Event(QStringLiteral("OnSetText"), &TField::OnSetText);
    t.Event(QStringLiteral("OnValidate"), &TField::OnValidate);
)

TField::TField(TComponent* owner) : TComponent(owner) {}

TField::~TField()
{
    if (FDataSet)
        FDataSet->DetachField(this);
}

void TField::SetDataSet(TDataSet* dataSet)
{
    if (dataSet == FDataSet)
        return;
    if (FDataSet)
        FDataSet->DetachField(this);
    FDataSet = nullptr;
    if (dataSet) {
        dataSet->AttachField(this);
        FDataSet = dataSet;
    }
}

TComponent* TField::GetParentComponent() const
{
    return FDataSet;
}

void TField::SetParentComponent(TComponent* parent)
{
    if (auto* ds = dynamic_cast<TDataSet*>(parent))
        SetDataSet(ds);
}

int TField::Index() const
{
    if (!FDataSet)
        return -1;
    for (int i = 0; i < FDataSet->FieldCount(); ++i)
        if (FDataSet->Fields(i) == this)
            return i;
    return -1;
}

void TField::SetIndex(int index)
{
    if (!FDataSet || index < 0)
        return;
    auto& list = FDataSet->FFields;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end())
        return;
    list.erase(it);
    const std::size_t at = std::min<std::size_t>(static_cast<std::size_t>(index), list.size());
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), this);
}

void TField::SetFieldName(const QString& name)
{
    if (FDataSet && FDataSet->Active() && !ComponentState().Contains(csLoading))
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    FFieldName = name;
}

void TField::AccessError(const QString& typeName) const
{
    throw EDatabaseError(QStringLiteral("Cannot access field '%1' as type %2").arg(FFieldName, typeName));
}

static const QVariant& NullVariant()
{
    static const QVariant null;
    return null;
}

const QVariant& TField::Stored() const
{
    if (!FBoundSet || FFieldNo <= 0)
        return NullVariant();
    return FBoundSet->FieldValue(this);
}

void TField::WriteStored(const QVariant& v)
{
    if (!FBoundSet || FFieldNo <= 0)
        throw EDatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    if (ReadOnly)
        throw EDatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(DisplayName()));
    FBoundSet->SetFieldValue(this, v);
    if (OnChange)
        OnChange(this);
}

bool TField::StoredIsForeign(int ownType) const
{
    const QVariant& v = Stored();
    return !VarIsNull(v) && v.typeId() != ownType;
}

void TField::ForeignError(const QString& kind) const
{
    throw EConvertError(QStringLiteral("Field '%1' holds '%2', which is not %3").arg(DisplayName(), Stored().toString(), kind));
}

bool TField::IsNull() const
{
    return VarIsNull(Stored());
}

int TField::AsInteger() const
{
    const std::int64_t v = GetAsLargeInt();
    if (v < INT32_MIN || v > INT32_MAX)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(v));
    return static_cast<int>(v);
}

QVariant TField::Value() const
{
    const QVariant& stored = Stored();
    if (VarIsNull(stored))
        return QVariant();
    return GetAsVariant(stored);
}

void TField::SetValue(const QVariant& v)
{
    if (VarIsNull(v)) {
        Clear();
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Bool:
        SetAsBoolean(v.toBool());
        break;
    case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::Short: case QMetaType::UShort:
        SetAsLargeInt(v.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float: case QMetaType::ULongLong:
        SetAsFloat(v.toDouble());
        break;
    case QMetaType::QDate:
        SetAsDateTime(QDateTimeToDateTime(QDateTime(v.toDate(), QTime(0, 0))));
        break;
    case QMetaType::QTime: {
        const QTime t = v.toTime();
        SetAsDateTime(EncodeTime(t.hour(), t.minute(), t.second(), t.msec()));
        break;
    }
    case QMetaType::QDateTime:
        SetAsDateTime(QDateTimeToDateTime(v.toDateTime()));
        break;
    case QMetaType::QByteArray:
        if (auto* b = dynamic_cast<TBlobField*>(this)) {
            b->SetAsBytes(v.toByteArray());
            break;
        }
        [[fallthrough]];
    default:
        SetAsString(v.toString());
    }
}

QString TField::GetAsString() const
{
    return GetText(false);
}

QString TField::GetText(bool display) const
{
    QString text = IsNull() ? QString() : Stored().toString();
    return text;
}

void TField::SetAsStringImpl(const QString& v)
{
    AccessError(QStringLiteral("String"));
}

// ---- TStringField -----------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TStringField, TField,
    t.Integer(QStringLiteral("Size"), [](const TStringField& f) { return f.Size(); },
              [](TStringField& f, int v) { f.SetSize(v); }, 20);
    t.Boolean(QStringLiteral("Transliterate"), &TStringField::Transliterate, &TStringField::Transliterate, true);
)

TStringField::TStringField(TComponent* owner) : TField(owner)
{
    FDataType = ftString;
    FSize = 20;
}

QVariant TStringField::Normalize(const QVariant& raw) const
{
    if (VarIsNull(raw))
        return QVariant();
    if (raw.typeId() == QMetaType::QString)
        return raw;
    if (raw.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(raw.toByteArray());
    if (raw.typeId() == QMetaType::QDate)
        return raw.toDate().toString(Qt::ISODate);
    return raw.toString();
}

void TStringField::NormalizeInPlace(QVariant& value) const
{
    if (VarIsNull(value) || value.typeId() != QMetaType::QString)
        value = Normalize(value);
}

QString TStringField::GetAsString() const
{
    return IsNull() ? QString() : Stored().toString();
}

long double TStringField::GetAsFloat() const
{
    const QString s = GetAsString();
    return s.isEmpty() ? 0 : StrToFloat(s);
}

std::int64_t TStringField::GetAsLargeInt() const
{
    const QString s = GetAsString();
    return s.isEmpty() ? 0 : StrToInt64(s);
}

bool TStringField::GetAsBoolean() const
{
    const QString s = GetAsString();
    if (s.isEmpty())
        return false;
    const QChar c = s.at(0).toUpper();
    if (c == QLatin1Char('T') || c == QLatin1Char('Y'))
        return true;
    if (c == QLatin1Char('F') || c == QLatin1Char('N'))
        return false;
    throw EConvertError(QStringLiteral("'%1' is not a valid boolean value for field '%2'").arg(s, DisplayName()));
}

TDateTime TStringField::GetAsDateTime() const
{
    const QString s = GetAsString();
    return s.isEmpty() ? 0 : StrToDateTime(s);
}

void TStringField::SetAsStringImpl(const QString& v)
{
    // Cutting the text would store something else than was given: refused instead.
    if (FSize > 0 && v.size() > FSize)
        throw EDatabaseError(QStringLiteral("Value of field '%1' is longer than its size of %2 characters: '%3'")
                                 .arg(DisplayName()).arg(FSize).arg(v));
    WriteStored(v);
}

void TStringField::SetAsFloatImpl(long double v) { SetAsStringImpl(FloatToStr(v)); }
void TStringField::SetAsBooleanImpl(bool v) { SetAsStringImpl(v ? QStringLiteral("True") : QStringLiteral("False")); }
void TStringField::SetAsDateTimeImpl(TDateTime v) { SetAsStringImpl(DateTimeToStr(v)); }

// ---- numbers --------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TNumericField, TField,
    t.String(QStringLiteral("DisplayFormat"), &TNumericField::DisplayFormat, &TNumericField::DisplayFormat);
    t.String(QStringLiteral("EditFormat"), &TNumericField::EditFormat, &TNumericField::EditFormat);
)

TNumericField::TNumericField(TComponent* owner) : TField(owner)
{
    Alignment = taRightJustify;
}

TESSIV_IMPLEMENT_CLASS(TIntegerField, TNumericField,
    t.Integer(QStringLiteral("MaxValue"), &TIntegerField::MaxValue, &TIntegerField::MaxValue, 0);
    t.Integer(QStringLiteral("MinValue"), &TIntegerField::MinValue, &TIntegerField::MinValue, 0);
)

TIntegerField::TIntegerField(TComponent* owner) : TNumericField(owner)
{
    FDataType = ftInteger;
}

QVariant TIntegerField::Normalize(const QVariant& raw) const
{
    if (VarIsNull(raw))
        return QVariant();
    switch (raw.typeId()) {
    case QMetaType::LongLong:
        return raw;
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::Short: case QMetaType::UShort: case QMetaType::Bool:
        return raw.toLongLong();
    case QMetaType::ULongLong:
        return raw.toULongLong() <= static_cast<qulonglong>(INT64_MAX) ? QVariant(raw.toLongLong()) : QVariant(raw.toString());
    case QMetaType::Double: case QMetaType::Float: {
        const double d = raw.toDouble();
        if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.2e18)
            return static_cast<qlonglong>(d);
        return raw.toDouble(); // kept as read
    }
    case QMetaType::QString: {
        bool ok = false;
        const qlonglong v = raw.toString().toLongLong(&ok);
        return ok ? QVariant(v) : raw; // text that is not an integer is kept as read
    }
    default:
        return raw;
    }
}

void TIntegerField::NormalizeInPlace(QVariant& value) const
{
    if (VarIsNull(value) || value.typeId() != QMetaType::LongLong)
        value = Normalize(value);
}

std::int64_t TIntegerField::GetAsLargeInt() const
{
    if (IsNull())
        return 0;
    if (StoredIsForeign(QMetaType::LongLong))
        ForeignError(QStringLiteral("an integer"));
    return Stored().toLongLong();
}

long double TIntegerField::GetAsFloat() const
{
    if (Stored().typeId() == QMetaType::Double)
        return Stored().toDouble();
    return static_cast<long double>(GetAsLargeInt());
}

QString TIntegerField::GetText(bool display) const
{
    if (IsNull())
        return QString();
    if (StoredIsForeign(QMetaType::LongLong))
        return Stored().typeId() == QMetaType::Double ? FloatToStr(Stored().toDouble()) : Stored().toString();
    const QString& fmt = display ? DisplayFormat : EditFormat;
    if (!fmt.isEmpty())
        return FormatFloat(fmt, static_cast<long double>(GetAsLargeInt()));
    return IntToStr(GetAsLargeInt());
}

void TIntegerField::SetAsStringImpl(const QString& v)
{
    if (Trim(v).isEmpty()) {
        Clear();
        return;
    }
    SetAsLargeIntImpl(StrToInt64(Trim(v)));
}

void TIntegerField::SetAsLargeIntImpl(std::int64_t v)
{
    const bool ranged = MaxValue != 0 || MinValue != 0;
    if (v < Low() || v > High() || (ranged && (v < MinValue || v > MaxValue)))
        throw EDatabaseError(QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
                                 .arg(v).arg(DisplayName())
                                 .arg(ranged ? MinValue : Low())
                                 .arg(ranged ? MaxValue : High()));
    WriteStored(static_cast<qlonglong>(v));
}

void TIntegerField::SetAsFloatImpl(long double v)
{
    const long double r = std::nearbyint(v);
    if (!(r >= static_cast<long double>(Low()) && r <= static_cast<long double>(High())) ||
        ((MaxValue != 0 || MinValue != 0) && (r < MinValue || r > MaxValue)))
        throw EDatabaseError(QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
                                 .arg(FloatToStr(v), DisplayName())
                                 .arg((MaxValue != 0 || MinValue != 0) ? MinValue : Low())
                                 .arg((MaxValue != 0 || MinValue != 0) ? MaxValue : High()));
    WriteStored(static_cast<qlonglong>(r));
}

TESSIV_IMPLEMENT_CLASS(TLargeintField, TIntegerField, )
TLargeintField::TLargeintField(TComponent* owner) : TIntegerField(owner) { FDataType = ftLargeint; }
TESSIV_IMPLEMENT_CLASS(TSmallintField, TIntegerField, )
TSmallintField::TSmallintField(TComponent* owner) : TIntegerField(owner) { FDataType = ftSmallint; }
TESSIV_IMPLEMENT_CLASS(TWordField, TIntegerField, )
TWordField::TWordField(TComponent* owner) : TIntegerField(owner) { FDataType = ftWord; }

TESSIV_IMPLEMENT_CLASS(TFloatingField, TNumericField, )

TESSIV_IMPLEMENT_CLASS(TFloatField, TFloatingField,
    t.Boolean(QStringLiteral("Currency"), &TFloatField::Currency, &TFloatField::Currency)
        .WithStored([](const TPersistent* p) {
            const auto* f = static_cast<const TFloatField*>(p);
            return f->Currency != (f->DataType() == ftCurrency);
        });
    t.Float(QStringLiteral("MaxValue"), &TFloatField::MaxValue, &TFloatField::MaxValue)
        .WithStored([](const TPersistent* p) { return static_cast<const TFloatField*>(p)->MaxValue != 0; });
    t.Float(QStringLiteral("MinValue"), &TFloatField::MinValue, &TFloatField::MinValue)
        .WithStored([](const TPersistent* p) { return static_cast<const TFloatField*>(p)->MinValue != 0; });
    t.Integer(QStringLiteral("Precision"), &TFloatField::Precision, &TFloatField::Precision, 15);
)

TFloatField::TFloatField(TComponent* owner) : TFloatingField(owner)
{
    FDataType = ftFloat;
}

static QVariant NormalizeFloat(const QVariant& raw)
{
    if (VarIsNull(raw))
        return QVariant();
    switch (raw.typeId()) {
    case QMetaType::Double:
        return raw;
    case QMetaType::Float: case QMetaType::Int: case QMetaType::UInt: case QMetaType::Short: case QMetaType::UShort:
        return raw.toDouble();
    case QMetaType::LongLong: {
        const qlonglong v = raw.toLongLong();
        const double d = static_cast<double>(v);
        return static_cast<qlonglong>(d) == v ? QVariant(d) : raw; // more digits than a double holds
    }
    case QMetaType::QString: {
        bool ok = false;
        const double d = raw.toString().toDouble(&ok);
        return ok ? QVariant(d) : raw; // text that is not a number is kept as read
    }
    default:
        return raw;
    }
}

QVariant TFloatingField::Normalize(const QVariant& raw) const { return NormalizeFloat(raw); }

void TFloatField::NormalizeInPlace(QVariant& value) const
{
    if (VarIsNull(value) || value.typeId() != QMetaType::Double)
        value = NormalizeFloat(value);
}

long double TFloatingField::GetAsFloat() const
{
    if (IsNull())
        return 0;
    if (Stored().typeId() == QMetaType::LongLong)
        return static_cast<long double>(Stored().toLongLong());
    if (StoredIsForeign(QMetaType::Double))
        ForeignError(QStringLiteral("a number"));
    return Stored().toDouble();
}
std::int64_t TFloatingField::GetAsLargeInt() const { return static_cast<std::int64_t>(Round(GetAsFloat())); }

QString TFloatingField::GetText(bool display) const
{
    if (IsNull())
        return QString();
    if (StoredIsForeign(QMetaType::Double) && Stored().typeId() != QMetaType::LongLong)
        return Stored().toString();
    // The edit text shows every digit unless an edit format is given.
    const QString& fmt = display ? DisplayFormat : EditFormat;
    const long double v = GetAsFloat();
    if (!fmt.isEmpty())
        return FormatFloat(fmt, v);
    if (Currency)
        return display ? FloatToStrF(v, ffCurrency, TextPrecision(), FormatSettings().CurrencyDecimals)
                       : FloatToStrF(v, ffFixed, TextPrecision(), FormatSettings().CurrencyDecimals);
    return FloatToStrF(v, ffGeneral, TextPrecision(), 0);
}

void TFloatingField::SetAsStringImpl(const QString& v)
{
    if (Trim(v).isEmpty()) {
        Clear();
        return;
    }
    SetAsFloatImpl(StrToFloat(Trim(v)));
}

void TFloatingField::SetAsFloatImpl(long double v)
{
    if ((MaxValue != 0 || MinValue != 0) && (v < MinValue || v > MaxValue))
        throw EDatabaseError(QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
                                 .arg(FloatToStr(v), DisplayName(), FloatToStr(MinValue), FloatToStr(MaxValue)));
    Store(v);
}

void TFloatField::Store(long double v)
{
    WriteStored(static_cast<double>(v));
}

TESSIV_IMPLEMENT_CLASS(TCurrencyField, TFloatField, )
TCurrencyField::TCurrencyField(TComponent* owner) : TFloatField(owner)
{
    FDataType = ftCurrency;
    Currency = true;
}

TESSIV_IMPLEMENT_CLASS(TBCDField, TFloatingField,
    t.Boolean(QStringLiteral("Currency"), &TBCDField::Currency, &TBCDField::Currency, false);
    t.Float(QStringLiteral("MaxValue"), &TBCDField::MaxValue, &TBCDField::MaxValue)
        .WithStored([](const TPersistent* p) { return static_cast<const TBCDField*>(p)->MaxValue != 0; });
    t.Float(QStringLiteral("MinValue"), &TBCDField::MinValue, &TBCDField::MinValue)
        .WithStored([](const TPersistent* p) { return static_cast<const TBCDField*>(p)->MinValue != 0; });
    t.Integer(QStringLiteral("Precision"), &TBCDField::Precision, &TBCDField::Precision, 0);
    t.Integer(QStringLiteral("Size"), [](const TBCDField& f) { return f.Size(); },
              [](TBCDField& f, int v) { f.SetSize(v); }, 4);
)

TBCDField::TBCDField(TComponent* owner) : TFloatingField(owner)
{
    FDataType = ftBCD;
    FSize = 4;
    Precision = 0;
}

// "-1234.50", "0.5", "12": an optional sign, digits, at most one '.'; nothing else.
static bool IsDecimalText(const QString& s)
{
    qsizetype i = 0;
    const qsizetype n = s.size();
    if (i < n && (s.at(i) == u'-' || s.at(i) == u'+'))
        ++i;
    bool digits = false, point = false;
    for (; i < n; ++i) {
        const QChar c = s.at(i);
        if (c.isDigit() && c.unicode() < 128)
            digits = true;
        else if (c == u'.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

// The decimal text rounded to a number of places, halves to even, done on the digits.
static QString RoundDecimal(const QString& text, int places)
{
    const qsizetype dot = text.indexOf(u'.');
    if (dot < 0 || text.size() - dot - 1 <= places)
        return text;
    const bool negative = text.startsWith(u'-');
    QString digits = text.left(dot) + text.mid(dot + 1, places);
    if (digits.startsWith(u'-') || digits.startsWith(u'+'))
        digits.remove(0, 1);
    const QString rest = text.mid(dot + 1 + places);
    const bool beyondHalf = rest.at(0) > u'5' || (rest.at(0) == u'5' && rest.mid(1).contains(QRegularExpression(QStringLiteral("[1-9]"))));
    const bool half = rest.at(0) == u'5' && !beyondHalf;
    const bool odd = !digits.isEmpty() && (digits.back().unicode() - u'0') % 2 == 1;
    if (beyondHalf || (half && odd)) {
        qsizetype i = digits.size() - 1;
        for (; i >= 0; --i) {
            if (digits[i] == u'9') {
                digits[i] = u'0';
            } else {
                digits[i] = QChar(digits[i].unicode() + 1);
                break;
            }
        }
        if (i < 0)
            digits.prepend(u'1');
    }
    const qsizetype intLen = digits.size() - places;
    QString out = (intLen > 0 ? digits.left(intLen) : QStringLiteral("0")) + (places > 0 ? QStringLiteral(".") + digits.mid(intLen) : QString());
    return negative ? QStringLiteral("-") + out : out;
}

QVariant TBCDField::Normalize(const QVariant& raw) const
{
    if (VarIsNull(raw))
        return QVariant();
    switch (raw.typeId()) {
    case QMetaType::LongLong: case QMetaType::Int: case QMetaType::UInt: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort:
        return raw.toString();
    case QMetaType::Double: case QMetaType::Float: {
        const double d = raw.toDouble();
        return std::isfinite(d) ? QVariant(QString::number(d, 'g', QLocale::FloatingPointShortest)) : raw;
    }
    case QMetaType::QString: {
        QString t = raw.toString();
        if (t.startsWith(u'+'))
            t.remove(0, 1);
        if (IsDecimalText(t))
            return t;
        // An exponent form some drivers give ("1.5e+20") is a number all the same.
        bool ok = false;
        const double d = t.toDouble(&ok);
        return ok && std::isfinite(d) ? QVariant(QString::number(d, 'f', QLocale::FloatingPointShortest)) : raw;
    }
    default:
        return raw;
    }
}

QString TBCDField::AsDecimal() const
{
    return IsNull() ? QString() : Stored().toString();
}

long double TBCDField::GetAsFloat() const
{
    if (IsNull())
        return 0;
    const QString t = Stored().toString();
    if (Stored().typeId() != QMetaType::QString || !IsDecimalText(t))
        ForeignError(QStringLiteral("a number"));
    const QByteArray b = t.toLatin1();
    long double v = 0;
    const char* first = b.constData() + (b.startsWith('+') ? 1 : 0);
    std::from_chars(first, b.constData() + b.size(), v);
    return v;
}

QString TBCDField::GetAsString() const
{
    return GetText(false);
}

QString TBCDField::GetText(bool display) const
{
    if (IsNull())
        return QString();
    const QString t = Stored().toString();
    if (Stored().typeId() != QMetaType::QString || !IsDecimalText(t))
        return t;
    const QString& fmt = display ? DisplayFormat : EditFormat;
    if (!fmt.isEmpty())
        return FormatFloat(fmt, GetAsFloat());
    if (Currency)
        return display ? FloatToStrF(GetAsFloat(), ffCurrency, 18, FormatSettings().CurrencyDecimals)
                       : FloatToStrF(GetAsFloat(), ffFixed, 18, FormatSettings().CurrencyDecimals);
    // Every digit as held: trailing zeros of the fraction go, the point is the locale's.
    QString out = t;
    if (out.contains(u'.')) {
        while (out.endsWith(u'0'))
            out.chop(1);
        if (out.endsWith(u'.'))
            out.chop(1);
    }
    if (out == QLatin1String("-0"))
        out = QStringLiteral("0");
    out.replace(u'.', FormatSettings().DecimalSeparator);
    return out;
}

void TBCDField::SetAsStringImpl(const QString& v)
{
    QString t = Trim(v);
    if (t.isEmpty()) {
        Clear();
        return;
    }
    // The digits as given, with the locale's or a '.' decimal point; else a number in any form.
    QString plain = t;
    plain.remove(FormatSettings().ThousandSeparator);
    plain.replace(FormatSettings().DecimalSeparator, u'.');
    if (!IsDecimalText(plain)) {
        SetAsFloatImpl(StrToFloat(t));
        return;
    }
    if (plain.startsWith(u'+'))
        plain.remove(0, 1);
    const QString rounded = RoundDecimal(plain, FSize);
    const QByteArray b = rounded.toLatin1();
    long double x = 0;
    std::from_chars(b.constData(), b.constData() + b.size(), x);
    if ((MaxValue != 0 || MinValue != 0) && (x < MinValue || x > MaxValue))
        throw EDatabaseError(QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
                                 .arg(t, DisplayName(), FloatToStr(MinValue), FloatToStr(MaxValue)));
    WriteStored(rounded);
}

void TBCDField::Store(long double v)
{
    // A BCD keeps Size decimals: round there, halves to even like every other rounding here,
    // and keep the digits of the rounded number.
    const long double scale = std::pow(10.0L, FSize);
    const long double scaled = v * scale;
    if (!(std::fabs(scaled) < 9.2e18L))
        throw EDatabaseError(QStringLiteral("%1 is not a valid value for field '%2'").arg(FloatToStr(v), DisplayName()));
    const qlonglong units = static_cast<qlonglong>(Round(scaled));
    QString digits = QString::number(units < 0 ? -units : units);
    if (FSize > 0) {
        while (digits.size() <= FSize)
            digits.prepend(u'0');
        digits.insert(digits.size() - FSize, u'.');
    }
    WriteStored(units < 0 ? QStringLiteral("-") + digits : digits);
}

// ---- booleans -------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TBooleanField, TField,
    t.String(QStringLiteral("DisplayValues"), &TBooleanField::DisplayValues, &TBooleanField::DisplayValues);
)

TBooleanField::TBooleanField(TComponent* owner) : TField(owner)
{
    FDataType = ftBoolean;
}

QVariant TBooleanField::Normalize(const QVariant& raw) const
{
    if (VarIsNull(raw))
        return QVariant();
    if (raw.typeId() == QMetaType::QString) {
        const QString s = raw.toString().trimmed().toUpper();
        if (s.isEmpty())
            return QVariant();
        if (s == QLatin1String("T") || s == QLatin1String("TRUE") || s == QLatin1String("Y") ||
            s == QLatin1String("YES") || s == QLatin1String("S") || s == QLatin1String("SIM"))
            return true;
        if (s == QLatin1String("F") || s == QLatin1String("FALSE") || s == QLatin1String("N") ||
            s == QLatin1String("NO") || s == QLatin1String("NAO") || s == QString::fromUtf8("NÃO"))
            return false;
        bool ok = false;
        const double d = s.toDouble(&ok);
        return ok ? QVariant(d != 0) : raw; // another word is kept as read
    }
    switch (raw.typeId()) {
    case QMetaType::Bool: case QMetaType::Int: case QMetaType::LongLong: case QMetaType::Double:
    case QMetaType::UInt: case QMetaType::ULongLong: case QMetaType::Short: case QMetaType::UShort:
        return raw.toBool();
    default:
        return raw;
    }
}

bool TBooleanField::GetAsBoolean() const
{
    if (IsNull())
        return false;
    if (StoredIsForeign(QMetaType::Bool))
        ForeignError(QStringLiteral("a boolean"));
    return Stored().toBool();
}
long double TBooleanField::GetAsFloat() const { AccessError(QStringLiteral("Float")); }
std::int64_t TBooleanField::GetAsLargeInt() const { AccessError(QStringLiteral("Integer")); }

QString TBooleanField::GetText(bool display) const
{
    if (IsNull())
        return QString();
    if (StoredIsForeign(QMetaType::Bool))
        return Stored().toString();
    const QString values = DisplayValues.isEmpty() ? QStringLiteral("True;False") : DisplayValues;
    const QStringList parts = values.split(QLatin1Char(';'));
    const bool v = GetAsBoolean();
    return v ? parts.value(0) : parts.value(1);
}

void TBooleanField::SetAsStringImpl(const QString& v)
{
    const QString s = Trim(v);
    if (s.isEmpty()) {
        Clear();
        return;
    }
    const QString values = DisplayValues.isEmpty() ? QStringLiteral("True;False") : DisplayValues;
    const QStringList parts = values.split(QLatin1Char(';'));
    auto prefixOf = [&](const QString& word) { return !word.isEmpty() && word.startsWith(s, Qt::CaseInsensitive); };
    if (prefixOf(parts.value(0)))
        SetAsBooleanImpl(true);
    else if (prefixOf(parts.value(1)))
        SetAsBooleanImpl(false);
    else
        throw EDatabaseError(QStringLiteral("'%1' is not a valid boolean value for field '%2'").arg(s, DisplayName()));
}

void TBooleanField::SetAsBooleanImpl(bool v) { WriteStored(v); }

// ---- dates ----------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TDateTimeField, TField,
    t.String(QStringLiteral("DisplayFormat"), &TDateTimeField::DisplayFormat, &TDateTimeField::DisplayFormat);
)

TDateTimeField::TDateTimeField(TComponent* owner) : TField(owner)
{
    FDataType = ftDateTime;
}

// "yyyy-MM-dd", optionally followed by " HH:mm[:ss[.zzz]]" or "THH:mm...": the form SQLite
// files and our own writes hold. Read digit by digit: going through QDateTime would convert to
// local time and back for every value of a scan.
static bool ParseSqlDateTime(const QString& s, TDateTime& result)
{
    const qsizetype n = s.size();
    auto digits = [&](qsizetype at, int count, int& value) {
        if (at + count > n)
            return false;
        value = 0;
        for (int i = 0; i < count; ++i) {
            const char16_t c = s.at(at + i).unicode();
            if (c < u'0' || c > u'9')
                return false;
            value = value * 10 + (c - u'0');
        }
        return true;
    };
    int y, mo, d, h = 0, mi = 0, sec = 0, ms = 0;
    if (n < 10 || !digits(0, 4, y) || s.at(4) != u'-' || !digits(5, 2, mo) || s.at(7) != u'-' || !digits(8, 2, d))
        return false;
    TDateTime date;
    if (!TryEncodeDate(y, mo, d, date))
        return false;
    if (n > 10) {
        if ((s.at(10) != u' ' && s.at(10) != u'T') || n < 16 || !digits(11, 2, h) || s.at(13) != u':' || !digits(14, 2, mi))
            return false;
        qsizetype at = 16;
        if (at < n && s.at(at) == u':') {
            if (!digits(at + 1, 2, sec))
                return false;
            at += 3;
            if (at < n && s.at(at) == u'.') {
                int frac = 0, places = 0;
                for (++at; at < n && s.at(at).isDigit(); ++at, ++places)
                    if (places < 3)
                        frac = frac * 10 + (s.at(at).unicode() - u'0');
                for (; places < 3; ++places)
                    frac *= 10;
                ms = frac;
            }
        }
        if (at != n)
            return false;
        TDateTime time;
        if (!TryEncodeTime(h, mi, sec, ms, time))
            return false;
        // Before 1899-12-30 the day count is negative and the time counts away from zero.
        result = date >= 0 ? date + time : date - time;
        return true;
    }
    result = date;
    return true;
}

static std::optional<TDateTime> ParseIsoDateTime(const QString& text)
{
    const QString s = text.trimmed();
    if (s.isEmpty() || s.endsWith(QLatin1String(" BC"), Qt::CaseInsensitive))
        return std::nullopt; // a date before our era has no day number here
    TDateTime fast;
    if (ParseSqlDateTime(s, fast))
        return fast;
    QDateTime dt = QDateTime::fromString(s, Qt::ISODateWithMs);
    if (!dt.isValid())
        dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    if (!dt.isValid())
        dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid())
        dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm"));
    if (dt.isValid())
        return QDateTimeToDateTime(dt);
    const QDate d = QDate::fromString(s, Qt::ISODate);
    if (d.isValid())
        return QDateTimeToDateTime(QDateTime(d, QTime(0, 0)));
    QTime t = QTime::fromString(s, Qt::ISODateWithMs);
    if (!t.isValid())
        t = QTime::fromString(s, QStringLiteral("HH:mm:ss.zzz"));
    if (t.isValid())
        return EncodeTime(t.hour(), t.minute(), t.second(), t.msec());
    TDateTime v;
    if (TryStrToDateTime(s, v) || TryStrToDate(s, v) || TryStrToTime(s, v))
        return v;
    return std::nullopt;
}

QVariant TDateTimeField::Normalize(const QVariant& raw) const
{
    if (VarIsNull(raw))
        return QVariant();
    switch (raw.typeId()) {
    case QMetaType::QDate: {
        const QDate d = raw.toDate();
        TDateTime v;
        if (!TryEncodeDate(d.year(), d.month(), d.day(), v))
            return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant();
        return Trimmed(v);
    }
    case QMetaType::QTime: {
        const QTime t = raw.toTime();
        return Trimmed(EncodeTime(t.hour(), t.minute(), t.second(), t.msec()));
    }
    case QMetaType::QDateTime: {
        QDateTime dt = raw.toDateTime();
        if (!dt.isValid())
            return QVariant();
        dt.setTimeSpec(Qt::LocalTime);
        TDateTime v;
        if (!TryEncodeDate(dt.date().year(), dt.date().month(), dt.date().day(), v))
            return dt.toString(Qt::ISODateWithMs);
        return Trimmed(QDateTimeToDateTime(dt));
    }
    case QMetaType::QString: {
        // Text that is no date of the calendar ("2024-02-30", "infinity", a date BC) is kept
        // as read.
        const auto v = ParseIsoDateTime(raw.toString());
        return v ? QVariant(Trimmed(*v)) : raw;
    }
    case QMetaType::Double: case QMetaType::Float: case QMetaType::LongLong: case QMetaType::Int:
        // A number in a date column says nothing sure about a date: shown as the number it is.
        return raw.typeId() == QMetaType::Double || raw.typeId() == QMetaType::Float
                   ? QString::number(raw.toDouble(), 'g', QLocale::FloatingPointShortest) : raw.toString();
    default:
        return raw.toString();
    }
}

TDateTime TDateTimeField::GetAsDateTime() const
{
    if (IsNull())
        return 0;
    if (StoredIsForeign(QMetaType::Double))
        ForeignError(QStringLiteral("a date"));
    return Stored().toDouble();
}
long double TDateTimeField::GetAsFloat() const { return GetAsDateTime(); }

QVariant TDateTimeField::GetAsVariant(const QVariant& stored) const
{
    if (stored.typeId() != QMetaType::Double)
        return stored; // kept as read
    const TDateTime v = stored.toDouble();
    int y, m, d, h, n, s, ms;
    switch (FDataType) {
    case ftDate:
        DecodeDate(v, y, m, d);
        return QDate(y, m, d);
    case ftTime:
        DecodeTime(v, h, n, s, ms);
        return QTime(h, n, s, ms);
    default:
        return DateTimeToQDateTime(v);
    }
}

QString TDateTimeField::GetText(bool display) const
{
    if (IsNull())
        return QString();
    if (StoredIsForeign(QMetaType::Double))
        return Stored().toString();
    const TDateTime v = GetAsDateTime();
    if (display && !DisplayFormat.isEmpty())
        return FormatDateTime(DisplayFormat, v);
    switch (FDataType) {
    case ftDate:
        return DateToStr(v);
    case ftTime:
        return TimeToStr(v);
    default:
        return DateTimeToStr(v);
    }
}

void TDateTimeField::SetAsStringImpl(const QString& v)
{
    const QString s = Trim(v);
    if (s.isEmpty()) {
        Clear();
        return;
    }
    TDateTime d;
    bool ok = FDataType == ftDate ? TryStrToDate(s, d)
            : FDataType == ftTime ? TryStrToTime(s, d)
                                  : (TryStrToDateTime(s, d) || TryStrToDate(s, d));
    if (!ok) {
        const auto iso = ParseIsoDateTime(s);
        if (!iso)
            throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(s));
        d = *iso;
    }
    SetAsDateTimeImpl(d);
}

void TDateTimeField::SetAsDateTimeImpl(TDateTime v) { WriteStored(Trimmed(v)); }

TESSIV_IMPLEMENT_CLASS(TDateField, TDateTimeField, )
TDateField::TDateField(TComponent* owner) : TDateTimeField(owner) { FDataType = ftDate; }
TDateTime TDateField::Trimmed(TDateTime v) const { return std::trunc(v); }

TESSIV_IMPLEMENT_CLASS(TTimeField, TDateTimeField, )
TTimeField::TTimeField(TComponent* owner) : TDateTimeField(owner) { FDataType = ftTime; }
TDateTime TTimeField::Trimmed(TDateTime v) const { return std::fabs(v - std::trunc(v)); }

// ---- blobs ----------------------------------------------------------------------------------

const TEnumInfo& BlobTypeInfo()
{
    static const TEnumInfo info = [] {
        TEnumInfo i = FieldTypeInfo();
        i.TypeName = QStringLiteral("TBlobType");
        return i;
    }();
    return info;
}

TESSIV_IMPLEMENT_CLASS(TBlobField, TField,
    t.Enum(QStringLiteral("BlobType"), BlobTypeInfo(), [](const TBlobField& f) { return static_cast<int>(f.DataType()); },
           [](TBlobField& f, int v) {
               if (v == ftBlob || v == ftMemo || v == ftGraphic || v == ftFmtMemo || v == ftTypedBinary)
                   f.SetDataTypeInternal(static_cast<TFieldType>(v));
           })
        .WithStored([](const TPersistent* p) {
            const auto* f = static_cast<const TBlobField*>(p);
            return f->DataType() != (f->InheritsFrom(TMemoField::StaticClass()) ? ftMemo
                                    : f->InheritsFrom(TGraphicField::StaticClass()) ? ftGraphic : ftBlob);
        });
    t.Integer(QStringLiteral("Size"), [](const TBlobField& f) { return f.Size(); },
              [](TBlobField& f, int v) { f.SetSize(v); }, 0);
)

TBlobField::TBlobField(TComponent* owner) : TField(owner)
{
    FDataType = ftBlob;
}

QVariant TBlobField::Normalize(const QVariant& raw) const
{
    if (VarIsNull(raw))
        return QVariant();
    if (raw.typeId() == QMetaType::QString)
        return raw.toString().toUtf8();
    return raw.toByteArray();
}

QByteArray TBlobField::AsBytes() const
{
    if (IsNull())
        return QByteArray();
    const QVariant& v = Stored();
    return v.typeId() == QMetaType::QString ? v.toString().toUtf8() : v.toByteArray();
}

void TBlobField::SetAsBytes(const QByteArray& bytes)
{
    WriteStored(FDataType == ftMemo ? QVariant(QString::fromUtf8(bytes)) : QVariant(bytes));
    FModified = true;
}

QString TBlobField::GetAsString() const
{
    if (IsNull())
        return QString();
    const QVariant& v = Stored();
    return v.typeId() == QMetaType::QString ? v.toString() : QString::fromLatin1(v.toByteArray());
}

QString TBlobField::GetText(bool display) const
{
    // The grid and the data texts show the kind of a blob, upper case when it holds something.
    QString kind = FDataType == ftMemo ? QStringLiteral("(memo)")
                 : FDataType == ftGraphic ? QStringLiteral("(graphic)") : QStringLiteral("(blob)");
    if (!IsNull())
        kind = kind.toUpper();
    return kind;
}

void TBlobField::SetAsStringImpl(const QString& v)
{
    if (FDataType == ftMemo)
        WriteStored(v);
    else
        WriteStored(v.toLatin1());
    FModified = true;
}

TESSIV_IMPLEMENT_CLASS(TMemoField, TBlobField, )
TMemoField::TMemoField(TComponent* owner) : TBlobField(owner) { FDataType = ftMemo; }

QVariant TMemoField::Normalize(const QVariant& raw) const
{
    if (VarIsNull(raw))
        return QVariant();
    if (raw.typeId() == QMetaType::QString)
        return raw;
    if (raw.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(raw.toByteArray());
    return raw.toString();
}

TESSIV_IMPLEMENT_CLASS(TGraphicField, TBlobField, )
TGraphicField::TGraphicField(TComponent* owner) : TBlobField(owner) { FDataType = ftGraphic; }

} // namespace tessiv
