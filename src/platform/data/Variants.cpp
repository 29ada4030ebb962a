#include "platform/data/Variants.h"

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace tessiv {

bool VarIsNull(const QVariant& v)
{
    return !v.isValid() || v.isNull();
}

bool VarIsNumeric(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

static bool IsDateLike(const QVariant& v)
{
    const int t = v.typeId();
    return t == QMetaType::QDate || t == QMetaType::QTime || t == QMetaType::QDateTime;
}

static long double DateValue(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::QDate:
        return QDateTimeToDateTime(QDateTime(v.toDate(), QTime(0, 0)));
    case QMetaType::QTime: {
        const QTime t = v.toTime();
        return EncodeTime(t.hour(), t.minute(), t.second(), t.msec());
    }
    default:
        return QDateTimeToDateTime(v.toDateTime());
    }
}

long double VarToFloat(const QVariant& v)
{
    if (VarIsNull(v))
        return 0;
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? -1 : 0;
    if (VarIsNumeric(v))
        return v.typeId() == QMetaType::LongLong ? static_cast<long double>(v.toLongLong()) : v.toDouble();
    if (IsDateLike(v))
        return DateValue(v);
    if (v.typeId() == QMetaType::QString) {
        long double d;
        if (TryStrToFloat(Trim(v.toString()), d))
            return d;
        const QString dotted = Trim(v.toString());
        bool ok = false;
        const double x = dotted.toDouble(&ok);
        if (ok)
            return x;
    }
    throw EConvertError(QStringLiteral("Could not convert variant of type (%1) into type (Double)")
                            .arg(QString::fromLatin1(v.typeName() ? v.typeName() : "Unknown")));
}

int VarCompare(const QVariant& a, const QVariant& b)
{
    const bool an = VarIsNull(a), bn = VarIsNull(b);
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    const bool aNum = VarIsNumeric(a) || IsDateLike(a), bNum = VarIsNumeric(b) || IsDateLike(b);
    if (aNum || bNum) {
        const long double x = VarToFloat(a), y = VarToFloat(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const int c = QString::compare(a.toString(), b.toString());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace tessiv
