#include "platform/core/ObjectText.h"

#include "platform/core/Component.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Reader.h"
#include "platform/core/ResFile.h"
#include "platform/core/Streams.h"
#include "platform/core/Writer.h"

#include <QStringDecoder>

#include <charconv>
#include <cmath>
#include <limits>

namespace tessiv {

namespace {

const char* const kLineBreak = "\r\n";
constexpr int kStringLineLength = 64;
constexpr int kBytesPerLine = 32;
constexpr int kMaxNesting = 256;

// The words that open and close objects: a property of one of these names would read back as
// the word.
bool IsKeyword(const QString& name)
{
    for (const char* word : {"object", "inherited", "inline", "end"})
        if (name.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// A property path: identifiers joined by dots, none of them a word of the text form.
bool IsPropertyPath(const QString& path)
{
    const QStringList parts = path.split(QLatin1Char('.'));
    for (const QString& part : parts)
        if (!IsValidIdent(part))
            return false;
    return !IsKeyword(parts.front());
}

// ---- numbers ---------------------------------------------------------------------------------

template <class T>
QString ShortestScientific(T value, int& exponent, QString& digits)
{
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const QString s = QString::fromLatin1(buffer, r.ptr - buffer);
    const qsizetype e = s.indexOf(QLatin1Char('e'));
    exponent = s.mid(e + 1).toInt();
    digits = s.left(e);
    digits.remove(QLatin1Char('.'));
    digits.remove(QLatin1Char('-'));
    return s;
}

// Fixed notation with at least minDecimals decimals while the exponent is moderate, scientific
// otherwise; always the shortest digits that read back to the same value.
template <class T>
QString FloatText(T value, int minDecimals)
{
    if (!std::isfinite(value))
        throw EReadError(QStringLiteral("Invalid floating point value"));
    if (value == 0) {
        const QString zero = minDecimals > 0 ? QStringLiteral("0.") + QString(minDecimals, QLatin1Char('0'))
                                             : QStringLiteral("0");
        return std::signbit(value) ? QLatin1Char('-') + zero : zero;
    }
    int exponent = 0;
    QString digits;
    ShortestScientific(value, exponent, digits);
    const QString sign = std::signbit(value) ? QStringLiteral("-") : QString();
    const int n = static_cast<int>(digits.size());
    if (exponent >= -5 && exponent < 18) {
        QString intPart, fracPart;
        if (exponent >= 0) {
            intPart = digits.left(exponent + 1);
            if (intPart.size() < exponent + 1)
                intPart += QString(exponent + 1 - intPart.size(), QLatin1Char('0'));
            fracPart = digits.mid(exponent + 1);
        } else {
            intPart = QStringLiteral("0");
            fracPart = QString(-exponent - 1, QLatin1Char('0')) + digits;
        }
        if (fracPart.size() < minDecimals)
            fracPart += QString(minDecimals - fracPart.size(), QLatin1Char('0'));
        return sign + intPart + (fracPart.isEmpty() ? QString() : QLatin1Char('.') + fracPart);
    }
    QString mantissa = digits.left(1);
    if (n > 1)
        mantissa += QLatin1Char('.') + digits.mid(1);
    return sign + mantissa + (exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+")) +
           QString::number(std::abs(exponent));
}

// ---- binary to text --------------------------------------------------------------------------

class TextWriter {
public:
    TextWriter(TStream& input, TStream& output) : FReader(input), FOutput(output) {}

    void Convert()
    {
        FReader.ReadSignature();
        ConvertObject();
        FOutput.WriteBytes(ToCp1252(FText));
    }

private:
    void Put(const QString& s) { FText += s; }
    void Indent() { FText += QString(FNesting * 2, QLatin1Char(' ')); }
    void NewLine()
    {
        FText += QLatin1String(kLineBreak);
        Indent();
    }
    void Enter()
    {
        if (++FNesting > kMaxNesting)
            FReader.ReadError(QStringLiteral("Stream nesting too deep"));
    }

    // Names are written bare, so only what the text form reads back as the same name is written.
    QString CheckedName(const QString& name, bool valid)
    {
        if (!valid)
            FReader.ReadError(QStringLiteral("Invalid name '%1' in the stream").arg(name));
        return name;
    }
    QString Identifier(const QString& name) { return CheckedName(name, IsValidIdent(name)); }

    void ConvertObject()
    {
        std::uint8_t flags = 0;
        std::int32_t position = 0;
        FReader.ReadPrefix(flags, position);
        const QString className = Identifier(FReader.ReadStr());
        const QString name = FReader.ReadStr();
        if (!name.isEmpty())
            Identifier(name);
        Indent();
        Put((flags & ffInherited) ? QStringLiteral("inherited ")
                                  : (flags & ffInline) ? QStringLiteral("inline ") : QStringLiteral("object "));
        if (!name.isEmpty())
            Put(name + QStringLiteral(": "));
        Put(className);
        if (flags & ffChildPos)
            Put(QStringLiteral(" [%1]").arg(position));
        Put(QLatin1String(kLineBreak));
        Enter();
        while (!FReader.EndOfList())
            ConvertProperty();
        FReader.ReadListEnd();
        while (!FReader.EndOfList())
            ConvertObject();
        FReader.ReadListEnd();
        --FNesting;
        Indent();
        Put(QStringLiteral("end"));
        Put(QLatin1String(kLineBreak));
    }

    void ConvertProperty()
    {
        Indent();
        const QString name = FReader.ReadStr();
        Put(CheckedName(name, IsPropertyPath(name)) + QStringLiteral(" = "));
        ConvertValue();
        Put(QLatin1String(kLineBreak));
    }

    void ConvertString(const QString& s)
    {
        if (s.isEmpty()) {
            Put(QStringLiteral("''"));
            return;
        }
        Enter();
        if (s.size() > kStringLineLength)
            NewLine();
        qsizetype i = 0, lineStart = 0;
        const qsizetype n = s.size();
        while (i < n) {
            auto printable = [&](qsizetype k) {
                const char16_t c = s[k].unicode();
                return c >= 32 && c < 127 && c != '\'';
            };
            if (printable(i)) {
                Put(QStringLiteral("'"));
                while (i < n && printable(i) && i - lineStart < kStringLineLength)
                    FText += s[i++];
                Put(QStringLiteral("'"));
            } else {
                Put(QStringLiteral("#%1").arg(s[i].unicode()));
                ++i;
            }
            if (i < n && i - lineStart >= kStringLineLength) {
                Put(QStringLiteral(" +"));
                NewLine();
                lineStart = i;
            }
        }
        --FNesting;
    }

    void ConvertValue()
    {
        switch (FReader.NextValue()) {
        case vaList:
            FReader.ReadValue();
            Put(QStringLiteral("("));
            Enter();
            while (!FReader.EndOfList()) {
                NewLine();
                ConvertValue();
            }
            FReader.ReadListEnd();
            --FNesting;
            Put(QStringLiteral(")"));
            break;
        case vaInt8:
        case vaInt16:
        case vaInt32:
        case vaInt64:
            Put(QString::number(FReader.ReadInt64()));
            break;
        case vaExtended:
            Put(FloatText(FReader.ReadFloat(), 18));
            break;
        case vaSingle:
            Put(FloatText(FReader.ReadSingle(), 0) + QLatin1Char('s'));
            break;
        case vaCurrency:
            Put(QString::number(FReader.ReadCurrency()) + QLatin1Char('c'));
            break;
        case vaDate:
            Put(FloatText(FReader.ReadDate(), 0) + QLatin1Char('d'));
            break;
        case vaString:
        case vaLString:
        case vaWString:
            ConvertString(FReader.ReadString());
            break;
        case vaIdent:
            Put(Identifier(FReader.ReadIdent()));
            break;
        case vaFalse:
        case vaTrue:
        case vaNil:
        case vaNull:
            Put(FReader.ReadIdent());
            break;
        case vaBinary: {
            const QByteArray bytes = FReader.ReadBinary();
            Put(QStringLiteral("{"));
            Enter();
            for (qsizetype i = 0; i < bytes.size(); i += kBytesPerLine) {
                NewLine();
                Put(QString::fromLatin1(bytes.mid(i, kBytesPerLine).toHex().toUpper()));
            }
            --FNesting;
            Put(QStringLiteral("}"));
            break;
        }
        case vaSet: {
            const QStringList names = FReader.ReadSet();
            for (const QString& n : names)
                Identifier(n);
            Put(QLatin1Char('[') + names.join(QStringLiteral(", ")) + QLatin1Char(']'));
            break;
        }
        case vaCollection:
            FReader.ReadValue();
            Put(QStringLiteral("<"));
            Enter();
            while (!FReader.EndOfList()) {
                NewLine();
                Put(QStringLiteral("item"));
                const TValueType next = FReader.NextValue();
                if (next == vaInt8 || next == vaInt16 || next == vaInt32)
                    Put(QStringLiteral(" [%1]").arg(FReader.ReadInteger()));
                Put(QLatin1String(kLineBreak));
                FReader.ReadListBegin();
                Enter();
                while (!FReader.EndOfList())
                    ConvertProperty();
                FReader.ReadListEnd();
                --FNesting;
                Indent();
                Put(QStringLiteral("end"));
            }
            FReader.ReadListEnd();
            --FNesting;
            Put(QStringLiteral(">"));
            break;
        }
    }

    TReader FReader;
    TStream& FOutput;
    QString FText;
    int FNesting = 0;
};

// ---- text to binary --------------------------------------------------------------------------

enum class TToken { Eof, Symbol, String, Integer, Float, Char };

class TParser {
public:
    explicit TParser(QString text) : FText(std::move(text)) { Next(); }

    TToken Token() const { return FToken; }
    QChar Char() const { return FChar; }
    const QString& TokenString() const { return FTokenString; }
    QChar FloatType() const { return FFloatType; }
    int Line() const { return FTokenLine; }

    bool IsChar(char c) const { return FToken == TToken::Char && FChar == QLatin1Char(c); }
    bool IsSymbol(const char* s) const
    {
        return FToken == TToken::Symbol && FTokenString.compare(QLatin1String(s), Qt::CaseInsensitive) == 0;
    }

    [[noreturn]] void Error(const QString& message) const
    {
        throw EParserError(QStringLiteral("%1 on line %2").arg(message).arg(FTokenLine));
    }
    void CheckChar(char c) const
    {
        if (!IsChar(c))
            Error(QStringLiteral("'%1' expected").arg(QLatin1Char(c)));
    }
    void CheckSymbol() const
    {
        if (FToken != TToken::Symbol)
            Error(QStringLiteral("Identifier expected"));
    }

    std::int64_t TokenInt() const
    {
        bool ok = false;
        std::int64_t v = 0;
        if (FTokenString.startsWith(QLatin1Char('$')))
            v = FTokenString.mid(1).toLongLong(&ok, 16);
        else if (FTokenString.startsWith(QLatin1String("-$")))
            v = -FTokenString.mid(2).toLongLong(&ok, 16);
        else
            v = FTokenString.toLongLong(&ok, 10);
        if (!ok)
            Error(QStringLiteral("Invalid integer value '%1'").arg(FTokenString));
        return v;
    }

    long double TokenFloat() const
    {
        const QByteArray s = FTokenString.toLatin1();
        long double v = 0;
        const auto r = std::from_chars(s.constData(), s.constData() + s.size(), v);
        if (r.ec != std::errc() || r.ptr != s.constData() + s.size())
            Error(QStringLiteral("Invalid floating point value '%1'").arg(FTokenString));
        return v;
    }

    // The hex digits up to '}' (the current token is '{').
    QByteArray HexToBinary()
    {
        QByteArray hex;
        while (FPos < FText.size() && FText[FPos] != QLatin1Char('}')) {
            const QChar c = FText[FPos++];
            if (c == QLatin1Char('\n'))
                ++FLine;
            if (c.isSpace())
                continue;
            if (!isxdigit(c.toLatin1()))
                Error(QStringLiteral("Invalid binary value"));
            hex.append(c.toLatin1());
        }
        if (FPos >= FText.size() || hex.size() % 2 != 0)
            Error(QStringLiteral("Invalid binary value"));
        ++FPos; // the '}'
        Next();
        return QByteArray::fromHex(hex);
    }

    void Next()
    {
        SkipBlanks();
        FTokenLine = FLine;
        FFloatType = QChar();
        FTokenString.clear();
        if (FPos >= FText.size()) {
            FToken = TToken::Eof;
            return;
        }
        const QChar c = FText[FPos];
        if (c.isLetter() || c == QLatin1Char('_')) {
            const qsizetype start = FPos;
            while (FPos < FText.size() && (FText[FPos].isLetterOrNumber() || FText[FPos] == QLatin1Char('_')))
                ++FPos;
            FTokenString = FText.mid(start, FPos - start);
            FToken = TToken::Symbol;
            // A name is stored as single-byte text: a letter the stream cannot hold would come back
            // as '?', and no component takes a name that is not an identifier.
            if (!IsValidIdent(FTokenString))
                Error(QStringLiteral("Invalid identifier '%1'").arg(FTokenString));
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('#')) {
            ScanString();
        } else if (c.isDigit() || c == QLatin1Char('$') ||
                   (c == QLatin1Char('-') && FPos + 1 < FText.size() &&
                    (FText[FPos + 1].isDigit() || FText[FPos + 1] == QLatin1Char('$')))) {
            ScanNumber();
        } else {
            FToken = TToken::Char;
            FChar = c;
            ++FPos;
        }
    }

private:
    void SkipBlanks()
    {
        while (FPos < FText.size() && FText[FPos].unicode() <= ' ') {
            if (FText[FPos] == QLatin1Char('\n'))
                ++FLine;
            ++FPos;
        }
    }

    void ScanString()
    {
        QString s;
        for (;;) {
            if (FPos < FText.size() && FText[FPos] == QLatin1Char('\'')) {
                ++FPos;
                for (;;) {
                    if (FPos >= FText.size() || FText[FPos] == QLatin1Char('\n') || FText[FPos] == QLatin1Char('\r'))
                        Error(QStringLiteral("Unterminated string"));
                    if (FText[FPos] == QLatin1Char('\'')) {
                        if (FPos + 1 < FText.size() && FText[FPos + 1] == QLatin1Char('\'')) {
                            s += QLatin1Char('\'');
                            FPos += 2;
                            continue;
                        }
                        ++FPos;
                        break;
                    }
                    s += FText[FPos++];
                }
            } else if (FPos < FText.size() && FText[FPos] == QLatin1Char('#')) {
                ++FPos;
                const qsizetype start = FPos;
                while (FPos < FText.size() && FText[FPos].isDigit())
                    ++FPos;
                bool ok = false;
                const uint code = FText.mid(start, FPos - start).toUInt(&ok);
                if (!ok || code > 0xFFFF)
                    Error(QStringLiteral("Invalid string constant"));
                s += QChar(char16_t(code));
            } else {
                break;
            }
        }
        FTokenString = s;
        FToken = TToken::String;
    }

    void ScanNumber()
    {
        const qsizetype start = FPos;
        if (FText[FPos] == QLatin1Char('-'))
            ++FPos;
        if (FPos < FText.size() && FText[FPos] == QLatin1Char('$')) {
            ++FPos;
            while (FPos < FText.size() && isxdigit(FText[FPos].toLatin1()))
                ++FPos;
            FTokenString = FText.mid(start, FPos - start);
            FToken = TToken::Integer;
            return;
        }
        bool isFloat = false;
        while (FPos < FText.size() && FText[FPos].isDigit())
            ++FPos;
        if (FPos < FText.size() && FText[FPos] == QLatin1Char('.') && FPos + 1 < FText.size() &&
            FText[FPos + 1].isDigit()) {
            isFloat = true;
            ++FPos;
            while (FPos < FText.size() && FText[FPos].isDigit())
                ++FPos;
        }
        if (FPos < FText.size() && (FText[FPos] == QLatin1Char('E') || FText[FPos] == QLatin1Char('e'))) {
            qsizetype p = FPos + 1;
            if (p < FText.size() && (FText[p] == QLatin1Char('+') || FText[p] == QLatin1Char('-')))
                ++p;
            if (p < FText.size() && FText[p].isDigit()) {
                isFloat = true;
                FPos = p;
                while (FPos < FText.size() && FText[FPos].isDigit())
                    ++FPos;
            }
        }
        FTokenString = FText.mid(start, FPos - start);
        FToken = isFloat ? TToken::Float : TToken::Integer;
        // A letter right after a number says which float type it is.
        if (FPos < FText.size()) {
            const QChar t = FText[FPos].toLower();
            if (t == QLatin1Char('s') || t == QLatin1Char('c') || t == QLatin1Char('d')) {
                FFloatType = t;
                FToken = TToken::Float;
                ++FPos;
            }
        }
        if (FToken == TToken::Float)
            FTokenString.replace(QLatin1Char('E'), QLatin1Char('e'));
    }

    QString FText;
    qsizetype FPos = 0;
    int FLine = 1;
    int FTokenLine = 1;
    TToken FToken = TToken::Eof;
    QChar FChar;
    QChar FFloatType;
    QString FTokenString;
};

class BinaryWriter {
public:
    BinaryWriter(const QString& text, TStream& output) : FParser(text), FWriter(output) {}

    // The class name of the first object, for the resource name.
    QString Convert()
    {
        FWriter.WriteSignature();
        return ConvertObject();
    }

private:
    void Enter()
    {
        if (++FNesting > kMaxNesting)
            FParser.Error(QStringLiteral("Nesting too deep"));
    }

    QString ConvertObject()
    {
        Enter();
        std::uint8_t flags = 0;
        if (FParser.IsSymbol("inherited"))
            flags = ffInherited;
        else if (FParser.IsSymbol("inline"))
            flags = ffInline;
        else if (!FParser.IsSymbol("object"))
            FParser.Error(QStringLiteral("'object' expected"));
        FParser.Next();
        FParser.CheckSymbol();
        QString name;
        QString className = FParser.TokenString();
        FParser.Next();
        if (FParser.IsChar(':')) {
            FParser.Next();
            FParser.CheckSymbol();
            name = className;
            className = FParser.TokenString();
            FParser.Next();
        }
        std::int64_t position = 0;
        if (FParser.IsChar('[')) {
            FParser.Next();
            if (FParser.Token() != TToken::Integer)
                FParser.Error(QStringLiteral("Number expected"));
            position = FParser.TokenInt();
            FParser.Next();
            FParser.CheckChar(']');
            FParser.Next();
            flags |= ffChildPos;
        }
        if (flags) {
            const std::uint8_t prefix = 0xF0 | flags;
            FWriter.Stream().WriteBuffer(&prefix, 1);
            if (flags & ffChildPos)
                FWriter.WriteInteger(position);
        }
        FWriter.WriteStr(className);
        FWriter.WriteStr(name);
        while (!IsObjectStart() && !FParser.IsSymbol("end")) {
            if (FParser.Token() == TToken::Eof)
                FParser.Error(QStringLiteral("'end' expected"));
            ConvertProperty();
        }
        FWriter.WriteListEnd();
        while (IsObjectStart())
            ConvertObject();
        FWriter.WriteListEnd();
        if (!FParser.IsSymbol("end"))
            FParser.Error(QStringLiteral("'end' expected"));
        FParser.Next();
        --FNesting;
        return className;
    }

    bool IsObjectStart() const
    {
        return FParser.IsSymbol("object") || FParser.IsSymbol("inherited") || FParser.IsSymbol("inline");
    }

    void ConvertProperty()
    {
        FParser.CheckSymbol();
        QString name = FParser.TokenString();
        FParser.Next();
        while (FParser.IsChar('.')) {
            FParser.Next();
            FParser.CheckSymbol();
            name += QLatin1Char('.') + FParser.TokenString();
            FParser.Next();
        }
        FWriter.WriteStr(name);
        FParser.CheckChar('=');
        FParser.Next();
        ConvertValue();
    }

    void ConvertValue()
    {
        switch (FParser.Token()) {
        case TToken::Integer:
            FWriter.WriteInteger(FParser.TokenInt());
            FParser.Next();
            return;
        case TToken::Float: {
            const QChar type = FParser.FloatType();
            const long double v = FParser.TokenFloat();
            // A value its type cannot hold is refused: as infinity it would be written, and the
            // stream could not be shown as text again.
            if (type == QLatin1Char('s')) {
                if (!std::isfinite(static_cast<float>(v)))
                    FParser.Error(QStringLiteral("Invalid single value '%1'").arg(FParser.TokenString()));
                FWriter.WriteSingle(static_cast<float>(v));
            } else if (type == QLatin1Char('c')) {
                if (!(std::fabs(v) < 9.2e18L))
                    FParser.Error(QStringLiteral("Invalid currency value '%1'").arg(FParser.TokenString()));
                FWriter.WriteCurrency(std::llround(v));
            } else if (type == QLatin1Char('d')) {
                if (!std::isfinite(static_cast<double>(v)))
                    FParser.Error(QStringLiteral("Invalid date value '%1'").arg(FParser.TokenString()));
                FWriter.WriteDate(static_cast<double>(v));
            } else {
                FWriter.WriteFloat(v);
            }
            FParser.Next();
            return;
        }
        case TToken::String: {
            QString s = FParser.TokenString();
            FParser.Next();
            while (FParser.IsChar('+')) {
                FParser.Next();
                if (FParser.Token() != TToken::String)
                    FParser.Error(QStringLiteral("String expected"));
                s += FParser.TokenString();
                FParser.Next();
            }
            FWriter.WriteString(s);
            return;
        }
        case TToken::Symbol:
            FWriter.WriteIdent(FParser.TokenString());
            FParser.Next();
            return;
        case TToken::Char:
            break;
        case TToken::Eof:
            FParser.Error(QStringLiteral("Invalid property value"));
        }
        Enter();
        if (FParser.IsChar('[')) {
            FParser.Next();
            QStringList names;
            if (!FParser.IsChar(']')) {
                for (;;) {
                    FParser.CheckSymbol();
                    names.push_back(FParser.TokenString());
                    FParser.Next();
                    if (FParser.IsChar(']'))
                        break;
                    FParser.CheckChar(',');
                    FParser.Next();
                }
            }
            FParser.Next();
            FWriter.WriteSet(names);
        } else if (FParser.IsChar('(')) {
            FParser.Next();
            FWriter.WriteListBegin();
            while (!FParser.IsChar(')')) {
                if (FParser.Token() == TToken::Eof)
                    FParser.Error(QStringLiteral("')' expected"));
                ConvertValue();
            }
            FParser.Next();
            FWriter.WriteListEnd();
        } else if (FParser.IsChar('{')) {
            FWriter.WriteBinary(FParser.HexToBinary());
        } else if (FParser.IsChar('<')) {
            FParser.Next();
            FWriter.WriteValue(vaCollection);
            while (!FParser.IsChar('>')) {
                if (!FParser.IsSymbol("item"))
                    FParser.Error(QStringLiteral("'item' expected"));
                FParser.Next();
                if (FParser.IsChar('[')) {
                    FParser.Next();
                    if (FParser.Token() != TToken::Integer)
                        FParser.Error(QStringLiteral("Number expected"));
                    FWriter.WriteInteger(FParser.TokenInt());
                    FParser.Next();
                    FParser.CheckChar(']');
                    FParser.Next();
                }
                FWriter.WriteListBegin();
                while (!FParser.IsSymbol("end")) {
                    if (FParser.Token() == TToken::Eof)
                        FParser.Error(QStringLiteral("'end' expected"));
                    ConvertProperty();
                }
                FParser.Next();
                FWriter.WriteListEnd();
            }
            FParser.Next();
            FWriter.WriteListEnd();
        } else {
            FParser.Error(QStringLiteral("Invalid property value"));
        }
        --FNesting;
    }

    TParser FParser;
    TWriter FWriter;
    int FNesting = 0;
};

QString DecodeText(const QByteArray& bytes)
{
    // Text forms are ASCII with #codes; older ones may carry cp1252 letters, newer ones UTF-8.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8(bytes);
    if (!utf8.hasError())
        return s;
    return FromCp1252(bytes);
}

} // namespace

void ObjectBinaryToText(TStream& input, TStream& output)
{
    TextWriter(input, output).Convert();
}

void ObjectTextToBinary(TStream& input, TStream& output)
{
    const QByteArray text = input.ReadBytes(input.Remaining());
    BinaryWriter(DecodeText(text), output).Convert();
}

void ObjectResourceToText(TStream& input, TStream& output)
{
    ReadResHeader(input);
    ObjectBinaryToText(input, output);
}

void ObjectTextToResource(TStream& input, TStream& output)
{
    // The header names the root's class, which is known only once the text has been read.
    TMemoryStream binary;
    const QByteArray text = input.ReadBytes(input.Remaining());
    const QString className = BinaryWriter(DecodeText(text), binary).Convert();
    const std::int64_t sizePosition = WriteResourceHeader(output, className);
    output.WriteBytes(binary.Bytes());
    FixupResourceHeader(output, sizePosition);
}

QByteArray ObjectBinaryToText(const QByteArray& binary)
{
    TMemoryStream in(binary), out;
    ObjectBinaryToText(in, out);
    return out.Bytes();
}

QByteArray ObjectTextToBinary(const QByteArray& text)
{
    TMemoryStream in(text), out;
    ObjectTextToBinary(in, out);
    return out.Bytes();
}

} // namespace tessiv
