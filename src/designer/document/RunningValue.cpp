#include "designer/document/RunningValue.h"

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/data/Field.h"

#include <QRegularExpression>

#include <algorithm>

namespace tessiv {

namespace {

bool IsWhole(const QString& text)
{
    static const QRegularExpression whole(QStringLiteral("^-?[0-9]+$"));
    return whole.match(text).hasMatch();
}

QString Normalised(QString digits)
{
    bool negative = digits.startsWith(QLatin1Char('-'));
    if (negative)
        digits.remove(0, 1);
    qsizetype zeros = 0;
    while (zeros + 1 < digits.size() && digits[zeros] == u'0')
        ++zeros;
    digits.remove(0, zeros);
    if (digits == QLatin1String("0"))
        negative = false;
    return negative ? QLatin1Char('-') + digits : digits;
}

int CompareMagnitude(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

QString AddMagnitudes(const QString& a, const QString& b)
{
    QString out;
    int carry = 0;
    for (qsizetype i = a.size() - 1, j = b.size() - 1; i >= 0 || j >= 0 || carry; --i, --j) {
        const int d = (i >= 0 ? a[i].digitValue() : 0) + (j >= 0 ? b[j].digitValue() : 0) + carry;
        out.prepend(QChar(u'0' + d % 10));
        carry = d / 10;
    }
    return out;
}

// a - b with |a| >= |b|.
QString SubtractMagnitudes(const QString& a, const QString& b)
{
    QString out;
    int borrow = 0;
    for (qsizetype i = a.size() - 1, j = b.size() - 1; i >= 0; --i, --j) {
        int d = a[i].digitValue() - (j >= 0 ? b[j].digitValue() : 0) - borrow;
        borrow = d < 0;
        if (d < 0)
            d += 10;
        out.prepend(QChar(u'0' + d));
    }
    return out;
}

} // namespace

QString AddDecimal(const QString& a, const QString& b)
{
    const bool na = a.startsWith(QLatin1Char('-')), nb = b.startsWith(QLatin1Char('-'));
    const QString ma = na ? a.mid(1) : a, mb = nb ? b.mid(1) : b;
    if (na == nb)
        return Normalised((na ? QStringLiteral("-") : QString()) + AddMagnitudes(ma, mb));
    if (CompareMagnitude(ma, mb) >= 0)
        return Normalised((na ? QStringLiteral("-") : QString()) + SubtractMagnitudes(ma, mb));
    return Normalised((nb ? QStringLiteral("-") : QString()) + SubtractMagnitudes(mb, ma));
}

QString TRunningValue::Text() const
{
    return Exact ? Digits : FloatToStr(Float);
}

TRunningValue TRunningValue::FromText(const QString& text)
{
    TRunningValue v;
    const QString t = text.trimmed();
    if (IsWhole(t)) {
        v.Exact = true;
        v.Digits = Normalised(t);
        return v;
    }
    v.Float = StrToFloat(t);
    return v;
}

TRunningValue TRunningValue::FromField(const TField& field)
{
    switch (field.DataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint: {
        TRunningValue v;
        v.Exact = true;
        v.Digits = QString::number(field.AsLargeInt());
        return v;
    }
    case ftBCD: case ftFloat: case ftCurrency: {
        // Whole values keep their digits as the database gave them ("1234567890123456789012",
        // "150.00"); others are floats.
        static const QRegularExpression wholeWithZeros(QStringLiteral("^(-?[0-9]+)(?:[.,]0*)?$"));
        const auto m = wholeWithZeros.match(field.AsString().trimmed());
        if (m.hasMatch()) {
            TRunningValue v;
            v.Exact = true;
            v.Digits = Normalised(m.captured(1));
            return v;
        }
        return FromText(FloatToStr(field.AsFloat()));
    }
    case ftDate: case ftTime: case ftDateTime:
        return FromText(FloatToStr(field.AsDateTime()));
    default:
        return FromText(FloatToStr(field.AsFloat()));
    }
}

TRunningValue TRunningValue::Plus(long long step) const
{
    TRunningValue v = *this;
    if (Exact)
        v.Digits = AddDecimal(Digits, QString::number(step));
    else
        v.Float = Float + static_cast<long double>(step);
    return v;
}

long double TRunningValue::AsFloat() const
{
    if (!Exact)
        return Float;
    bool ok = false;
    const long double v = Digits.toDouble(&ok);
    // Up to 19 digits go through a 64-bit integer, which a long double holds exactly.
    bool okInt = false;
    const long long whole = Digits.toLongLong(&okInt);
    if (okInt)
        return static_cast<long double>(whole);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(Digits));
    return v;
}

} // namespace tessiv
