#pragma once
// Variant helpers for field values: a null value compares below any other value.

#include <QVariant>

namespace tessiv {

bool VarIsNull(const QVariant& v);
bool VarIsNumeric(const QVariant& v);
// -1, 0 or 1. Null is below everything but another null; numbers compare as numbers, dates as
// dates, strings as strings; a string against a number is converted to a number first
// (EConvertError when it is not one).
int VarCompare(const QVariant& a, const QVariant& b);
// The value as a number: numbers, booleans (-1/0), dates (day count) and numeric strings.
// Null gives 0; anything else raises EConvertError.
long double VarToFloat(const QVariant& v);

} // namespace tessiv
