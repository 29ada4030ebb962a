#include "engine/expressions/KVFunctionLibrary.h"

#include "engine/expressions/KVFunctions.h"
#include "engine/model/StringTable.h"

namespace tessiv {

TKVFunctionLibrary* FunctionLibrary = nullptr;
QChar ArgSeparator = u',';

TKVLibrary::TKVLibrary() : FEntries(std::make_unique<TStringList>()) {}

TKVLibrary::~TKVLibrary()
{
    for (int i = 0; i < FEntries->Count(); ++i)
        delete FEntries->Objects(i);
}

void TKVLibrary::Add(TKVEvElementClass elementClass, const QString& name, const QString& data,
                     const QString& vendor, const QString& description)
{
    auto entry = std::make_unique<TKVLibraryEntry>();
    entry->ElementClass = elementClass;
    entry->Name = name;
    entry->Data = data;
    entry->Vendor = vendor;
    entry->Description = description;
    FEntries->AddObject(name, entry.get());
    entry.release();
}

TKVLibraryEntry* TKVLibrary::GetEntry(int index) const
{
    if (index < 0 || index >= FEntries->Count())
        return nullptr;
    return static_cast<TKVLibraryEntry*>(FEntries->Objects(index));
}

std::unique_ptr<TKVEvElement> TKVFunctionLibrary::GetFunction(const QString& name) const
{
    const int index = Entries()->IndexOf(name);
    if (TKVLibraryEntry* entry = GetEntry(index); entry && entry->ElementClass)
        return entry->ElementClass();
    return std::make_unique<TKVEvElementError>();
}

void RegisterKVFunction(TKVEvElementClass elementClass, const QString& name, const QString& description,
                        const QString& data, const QString& vendor)
{
    FunctionLibrary->Add(elementClass, name, data, vendor, description);
}

namespace {

// The engine's start-up and end: the function library with the built-in functions, and the
// argument separator.
struct TKVFunctionLibraryLifetime {
    TKVFunctionLibraryLifetime()
    {
        ArgSeparator = u',';
        FunctionLibrary = new TKVFunctionLibrary;
        const QString vendor = LoadStr(37207);
        const auto reg = [&](TKVEvElementClass cls, const char* name, const char* data, const QString& description) {
            RegisterKVFunction(cls, QString::fromLatin1(name), description, QString::fromLatin1(data), vendor);
        };
        const auto text = [](const char* pattern, int ident) { return QString::fromLatin1(pattern) + LoadStr(ident); };
        reg(&CreateEvElement<TKVFunctionIf>, "IF", "5BVV", text("IF(<Exp>, <X>, <Y>)|", 37249));
        reg(&CreateEvElement<TKVFunctionStr>, "STR", "7N", text("STR(<X>)|", 37250));
        reg(&CreateEvElement<TKVFunctionUpper>, "UPPER", "7S", text("UPPER(<X>)|", 37265));
        reg(&CreateEvElement<TKVFunctionLower>, "LOWER", "7S", text("LOWER(<X>)|", 37266));
        reg(&CreateEvElement<TKVFunctionPretty>, "PRETTY", "7S", text("PRETTY(<X>)|", 37267));
        reg(&CreateEvElement<TKVFunctionTime>, "TIME", "1", text("TIME|", 37251));
        reg(&CreateEvElement<TKVFunctionDate>, "DATE", "1", text("DATE|", 37252));
        reg(&CreateEvElement<TKVFunctionCopy>, "COPY", "7SNN", text("COPY(<X>, <St>,<Len>)|", 37254));
        reg(&CreateEvElement<TKVFunctionSum>, "SUM", "3N", text("SUM(<X>)|", 37253));
        reg(&CreateEvElement<TKVFunctionCount>, "COUNT", "3", text("COUNT|", 37255));
        reg(&CreateEvElement<TKVFunctionMax>, "MAX", "3V", text("MAX(<X>)|", 37256));
        reg(&CreateEvElement<TKVFunctionMin>, "MIN", "3V", text("MIN(<X>)|", 37257));
        reg(&CreateEvElement<TKVFunctionAverage>, "AVERAGE", "3N", text("AVERAGE(<X>)|", 37258));
        reg(&CreateEvElement<TKVFunctionTrue>, "TRUE", "5", text("TRUE|", 37259));
        reg(&CreateEvElement<TKVFunctionFalse>, "FALSE", "5", text("FALSE|", 37259));
        reg(&CreateEvElement<TKVFunctionInt>, "INT", "2N", text("INT(<X>)|", 37260));
        reg(&CreateEvElement<TKVFunctionFrac>, "FRAC", "2N", text("FRAC(<X>)|", 37261));
        reg(&CreateEvElement<TKVFunctionSqrt>, "SQRT", "2N", text("SQRT(<X>)|", 37262));
        reg(&CreateEvElement<TKVFunctionDiv>, "DIV", "2NN", QStringLiteral("DIV(<X>, <Y> | "));
        reg(&CreateEvElement<TKVFunctionTypeOf>, "TYPEOF", "6N", text("TYPEOF(<Exp>)|", 37263));
        reg(&CreateEvElement<TKVFunctionFormatNumeric>, "FORMATNUMERIC", "7SN", text("FORMATNUMERIC(<F>,<N>|", 37271));
        reg(&CreateEvElement<TKVFunctionInt>, "ROUND", "2N", QStringLiteral("ROUND(<X>)|Arredonda o valor <x>"));
        reg(&CreateEvElement<TKVFunctionFormatDateTime>, "FORMATDATETIME", "1SS",
            QStringLiteral("FORMATDATETIME(<F>,<D>)|Formata uma Data <D> usando a máscara de <F>"));
        reg(&CreateEvElement<TKVFunctionTrim>, "TRIM", "7S", QStringLiteral("TRIM(<X>)|Tira espaços do início e do fim da frase."));
        reg(&CreateEvElement<TKVFunctionTrimLeft>, "TRIMLEFT", "7S", QStringLiteral("TRIMLEFT(<X>)|Tira espaços do início da frase."));
        reg(&CreateEvElement<TKVFunctionTrimRight>, "TRIMRIGHT", "7S", QStringLiteral("TRIMRIGHT(<X>)|Tira espaços do fim da frase."));
        reg(&CreateEvElement<TKVFunctionStrToDate>, "STRTODATE", "1S",
            QStringLiteral("STRTODATE(<X>)|Converte uma data de caracteres em numérico."));
        reg(&CreateEvElement<TKVFunctionDateToStr>, "DATETOSTR", "1S",
            QStringLiteral("DATETOSTR(<X>)|Converte uma data de numérico em caracteres."));
        reg(&CreateEvElement<TKVFunctionStrToTime>, "STRTOTIME", "1S",
            QStringLiteral("STRTOTIME(<X>)|Converte a hora de caracteres em numérico."));
        reg(&CreateEvElement<TKVFunctionTimeToStr>, "TIMETOSTR", "1S",
            QStringLiteral("TIMETOSTR(<X>)|Converte a hora de numérico em caracteres."));
        reg(&CreateEvElement<TKVFunctionDateTimeToStr>, "DATETIMETOSTR", "1S",
            QStringLiteral("DATETIMETOSTR(<X>)|Converte a data e hora de numérico em caracteres."));
        reg(&CreateEvElement<TKVFunctionStrToDateTime>, "STRTODATETIME", "1S",
            QStringLiteral("STRTODATETIME(<X>)|Converte a data e hora de caracteres em numérico."));
        reg(&CreateEvElement<TKVFunctionNum>, "NUM", "7S", QStringLiteral("NUM(<X>)|Converte caracteres em um valor numérico."));
    }
    ~TKVFunctionLibraryLifetime()
    {
        delete FunctionLibrary;
        FunctionLibrary = nullptr;
    }
};

const TKVFunctionLibraryLifetime FunctionLibraryLifetime;

} // namespace

} // namespace tessiv
