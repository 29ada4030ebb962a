#pragma once
// The value a numbered data text shows next. Whole numbers are kept as their decimal digits, so a
// running number of any length (a 64-bit key, a long NUMERIC) stays exact however far it counts;
// other values are floats. The value is formatted only when a label prints it.

#include <QString>

namespace tessiv {

class TField;

struct TRunningValue {
    bool Exact = false;   // Digits holds the value
    QString Digits;       // optional '-', then digits without leading zeros
    long double Float = 0;

    // The text kept in the document's list of running values, and back.
    QString Text() const;
    // EConvertError when the text is no number.
    static TRunningValue FromText(const QString& text);
    // The field's current value as a number; EConvertError (or the field's error) when it is none.
    static TRunningValue FromField(const TField& field);

    TRunningValue Plus(long long step) const;
    long double AsFloat() const;
};

// Signed decimal addition of digit strings.
QString AddDecimal(const QString& a, const QString& b);

} // namespace tessiv
