#pragma once
// Number, date and string routines with the behaviour of the class library the program was written
// against: the same texts for the same values. The process defaults come from the system locale
// (a Brazilian desktop gets exactly BrazilianFormatSettings()); what report files store never
// goes through them.

#include <QChar>
#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

class QLocale;

namespace tessiv {

// Days since 30/12/1899; the fraction is the time of day. For negative values the integer part is
// the day and the fraction's absolute value the time: -1.25 is 29/12/1899 06:00.
using TDateTime = double;

struct TFormatSettings {
    QString CurrencyString;
    quint8 CurrencyFormat = 0; // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    quint8 NegCurrFormat = 0;  // 0..15, the Windows negative currency patterns
    QChar ThousandSeparator;   // a null QChar writes no separator
    QChar DecimalSeparator;
    quint8 CurrencyDecimals = 2;
    QChar DateSeparator;
    QChar TimeSeparator;
    QString ShortDateFormat;
    QString LongDateFormat;
    QString TimeAMString;
    QString TimePMString;
    QString ShortTimeFormat;
    QString LongTimeFormat;
    std::array<QString, 12> ShortMonthNames; // [0] is January
    std::array<QString, 12> LongMonthNames;
    std::array<QString, 7> ShortDayNames; // [0] is Sunday
    std::array<QString, 7> LongDayNames;
    int TwoDigitYearCenturyWindow = 50;
};

// The Brazilian Portuguese settings, as the class library had them on a Brazilian Windows.
TFormatSettings BrazilianFormatSettings();
// A locale's separators, currency, date and time formats and names in the class library's terms:
// numeric short dates, abbreviations without their period, the minus (or the brackets) of the
// locale's negative amounts put around the whole positive currency pattern.
TFormatSettings LocaleFormatSettings(const QLocale& locale);
// The settings every routine without an explicit settings argument uses. Starts as the system
// locale's (LocaleFormatSettings(QLocale::system())); assign to it to change them for the whole
// process.
TFormatSettings& FormatSettings();

// ---- integers and rounding ------------------------------------------------------------------

// Nearest integer, halves to even. Out of the int64 range or NaN: EOverflow ("Invalid floating
// point operation"), the math error the original raised from its processor's invalid-operation trap.
std::int64_t Round(long double value);
// Toward zero; same range rule as Round.
std::int64_t Trunc(long double value);
// a * b / c on a 64-bit product, rounded to nearest with halves away from zero; -1 when c is 0 or
// the result does not fit in 32 bits.
int MulDiv(int a, int b, int c);

QString IntToStr(long long value);
// Upper-case hexadecimal of at least `digits` digits (negative values as their 64-bit pattern).
QString IntToHex(long long value, int digits);
// Decimal or "$hex", with leading blanks and a sign. EConvertError "'%s' is not a valid integer value".
int StrToInt(const QString& text);
int StrToIntDef(const QString& text, int defaultValue);
bool TryStrToInt(const QString& text, int& value);
long long StrToInt64(const QString& text);
long long StrToInt64Def(const QString& text, long long defaultValue);
bool TryStrToInt64(const QString& text, long long& value);

// ---- floating point -------------------------------------------------------------------------

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// A value as decimal digits: value = 0.Digits x 10^Exponent. Digits holds no trailing zeros and
// is empty for zero; Exponent is 0x7FFF for infinities and -0x8000 for NaN.
struct TFloatRec {
    int Exponent = 0;
    bool Negative = false;
    std::string Digits;
};

// The value's 18 significant digits (correctly rounded), then rounded half away from zero to at
// most `precision` significant digits (1..18) and at most `decimals` digits after the point.
TFloatRec FloatToDecimal(long double value, int precision, int decimals);

QString FloatToStr(long double value);
QString FloatToStr(long double value, const TFormatSettings& settings);
QString FloatToStrF(long double value, TFloatFormat format, int precision, int digits);
QString FloatToStrF(long double value, TFloatFormat format, int precision, int digits,
                    const TFormatSettings& settings);
QString FormatFloat(const QString& format, long double value);
QString FormatFloat(const QString& format, long double value, const TFormatSettings& settings);

// Blanks, a sign, digits with the settings' decimal separator, an exponent, blanks; nothing else.
// EConvertError "'%s' is not a valid floating point value".
long double StrToFloat(const QString& text);
long double StrToFloat(const QString& text, const TFormatSettings& settings);
long double StrToFloatDef(const QString& text, long double defaultValue);
long double StrToFloatDef(const QString& text, long double defaultValue, const TFormatSettings& settings);
bool TryStrToFloat(const QString& text, long double& value);
bool TryStrToFloat(const QString& text, long double& value, const TFormatSettings& settings);

// ---- dates and times ------------------------------------------------------------------------

bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);
// EConvertError "Invalid argument to date encode" / "... time encode".
TDateTime EncodeDate(int year, int month, int day);
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time);
// Both decode the value rounded to the millisecond; days before 01/01/0001 decode as 0/0/0.
void DecodeDate(TDateTime date, int& year, int& month, int& day);
void DecodeTime(TDateTime time, int& hour, int& min, int& sec, int& msec);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime date);
// Local wall-clock time.
TDateTime Date();
TDateTime Time();
TDateTime Now();
// A local date-time with the same calendar fields; invalid for days before 01/01/0001.
QDateTime DateTimeToQDateTime(TDateTime value);
// The calendar fields as the QDateTime shows them; EConvertError for an invalid one.
TDateTime QDateTimeToDateTime(const QDateTime& value);

QString FormatDateTime(const QString& format, TDateTime value);
QString FormatDateTime(const QString& format, TDateTime value, const TFormatSettings& settings);
QString DateToStr(TDateTime value);
QString DateToStr(TDateTime value, const TFormatSettings& settings);
QString TimeToStr(TDateTime value);
QString TimeToStr(TDateTime value, const TFormatSettings& settings);
QString DateTimeToStr(TDateTime value);
QString DateTimeToStr(TDateTime value, const TFormatSettings& settings);

// Dates follow the order of ShortDateFormat (d/m/y); a missing year is this year; a one- or
// two-digit year goes through TwoDigitYearCenturyWindow. Errors: EConvertError "'%s' is not a
// valid date" / "... time" / "... date and time".
TDateTime StrToDate(const QString& text);
TDateTime StrToDate(const QString& text, const TFormatSettings& settings);
bool TryStrToDate(const QString& text, TDateTime& value);
bool TryStrToDate(const QString& text, TDateTime& value, const TFormatSettings& settings);
TDateTime StrToTime(const QString& text);
TDateTime StrToTime(const QString& text, const TFormatSettings& settings);
bool TryStrToTime(const QString& text, TDateTime& value);
bool TryStrToTime(const QString& text, TDateTime& value, const TFormatSettings& settings);
TDateTime StrToDateTime(const QString& text);
TDateTime StrToDateTime(const QString& text, const TFormatSettings& settings);
bool TryStrToDateTime(const QString& text, TDateTime& value);
bool TryStrToDateTime(const QString& text, TDateTime& value, const TFormatSettings& settings);

// ---- Format ---------------------------------------------------------------------------------

// One argument of Format: a 32-bit integer, a 64-bit integer, a float, a string or a character.
class TVarRec {
public:
    enum class Kind { Integer, Int64, Extended, String, Char };

    TVarRec(int v) : FKind(Kind::Integer), FInt(v) {}
    TVarRec(unsigned v) : FKind(Kind::Int64), FInt(static_cast<long long>(v)) {}
    TVarRec(long v) : FKind(Kind::Int64), FInt(v) {}
    TVarRec(unsigned long v) : FKind(Kind::Int64), FInt(static_cast<long long>(v)) {}
    TVarRec(long long v) : FKind(Kind::Int64), FInt(v) {}
    TVarRec(unsigned long long v) : FKind(Kind::Int64), FInt(static_cast<long long>(v)) {}
    TVarRec(float v) : FKind(Kind::Extended), FFloat(v) {}
    TVarRec(double v) : FKind(Kind::Extended), FFloat(v) {}
    TVarRec(long double v) : FKind(Kind::Extended), FFloat(v) {}
    TVarRec(const QString& v) : FKind(Kind::String), FString(v) {}
    TVarRec(const char* v) : FKind(Kind::String), FString(QString::fromUtf8(v)) {}
    TVarRec(QChar v) : FKind(Kind::Char), FString(v) {}
    TVarRec(char v) : FKind(Kind::Char), FString(QChar::fromLatin1(v)) {}
    // A boolean is none of the kinds Format accepts; refuse it instead of turning it into 0 or 1.
    TVarRec(bool) = delete;

    Kind kind() const { return FKind; }
    long long asInteger() const { return FInt; }
    long double asExtended() const { return FFloat; }
    const QString& asString() const { return FString; }

private:
    Kind FKind;
    long long FInt = 0;
    long double FFloat = 0;
    QString FString;
};

// %[index:][-][width][.precision]type with types d u x e f g n m s (either case), "*" for the
// index, width or precision taken from the next argument, and %% for a percent sign.
// EConvertError "Format '%s' invalid or incompatible with argument" or "No argument for format '%s'".
QString Format(const QString& format, std::initializer_list<TVarRec> args);
QString Format(const QString& format, std::initializer_list<TVarRec> args, const TFormatSettings& settings);

// ---- strings --------------------------------------------------------------------------------

// Trimming removes characters whose code is 32 or below.
QString Trim(const QString& s);
QString TrimLeft(const QString& s);
QString TrimRight(const QString& s);
// Letters of every script.
QString AnsiUpperCase(const QString& s);
QString AnsiLowerCase(const QString& s);
// Case-insensitive comparison by Brazilian Portuguese collation (accents still count): -1, 0, 1.
int AnsiCompareText(const QString& a, const QString& b);
bool AnsiSameText(const QString& a, const QString& b);
// ASCII letters only; other characters compare by code.
QString UpperCase(const QString& s);
QString LowerCase(const QString& s);
int CompareText(const QString& a, const QString& b);
bool SameText(const QString& a, const QString& b);
// 'text' with inner quotes doubled.
QString QuotedStr(const QString& s);

} // namespace tessiv
