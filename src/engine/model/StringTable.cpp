#include "engine/model/StringTable.h"

#include <algorithm>
#include <iterator>

namespace tessiv {

namespace {

struct TStringTableEntry {
    int Ident;
    const char16_t* Text;
};

// Kept in ascending order of identifier, so a lookup is a binary search.
constexpr TStringTableEntry StringTable[] = {
    // Paper sizes.
    {37096, u"Tamanho padrão"},
    {37097, u"Carta 8 1/2 x 11 in"},
    {37098, u"Carta pequena 8 1/2 x 11 in"},
    {37099, u"Tabloid 11 x 17 in"},
    {37100, u"Ledger 17 x 11 in"},
    {37101, u"Ofício 8 1/2 x 14 in"},
    {37102, u"Statement 5 1/2 x 8 1/2 in"},
    {37103, u"Executivo7 1/2 x 10 in"},
    {37104, u"A3 297 x 420 mm"},
    {37105, u"A4 210 x 297 mm"},
    {37106, u"A4 pequena 210 x 297 mm"},
    {37107, u"A5 148 x 210 mm"},
    {37108, u"B4 250 x 354 mm"},
    {37109, u"B5 182 x 257 mm"},
    {37110, u"Folio 8 1/2 x 13 in"},
    {37111, u"Quarto 215 x 275 mm"},
    {37112, u"10x14 in"},
    {37113, u"11x17 in"},
    {37114, u"Note 8 1/2 x 11 in"},
    {37115, u"Envelope #9 3 7/8 x 8 7/8"},
    {37116, u"Envelope #10 4 1/8 x 9 1/2"},
    {37117, u"Envelope #11 4 1/2 x 10 3/8"},
    {37118, u"Envelope #12 4 ¾ x 11"},
    {37119, u"Envelope #14 5 x 11 1/2"},
    {37120, u"C size sheet"},
    {37121, u"D size sheet"},
    {37122, u"E size sheet"},
    {37123, u"Personalizada"},
    // Band kinds: display names.
    {37124, u"Titulo"},
    {37125, u"Cabeçalho de página"},
    {37126, u"Detalhe"},
    {37127, u"Rodapé de página"},
    {37128, u"Sumário"},
    {37129, u"Cabeçalho de grupo"},
    {37130, u"Rodapé de Grupo"},
    {37131, u"Sub-Detalhe"},
    {37132, u"Cabeçalho de Coluna"},
    {37133, u"Overlay"},
    {37134, u"Filha"},
    // Band kinds: component name prefixes.
    {37135, u"Titulo"},
    {37136, u"CabecalhoPagina"},
    {37137, u"Detalhe"},
    {37138, u"RodapePagina"},
    {37139, u"Sumario"},
    {37140, u"CabecalhoGrupo"},
    {37141, u"RodapeGrupo"},
    {37142, u"SubDetalhe"},
    {37143, u"CabecalhoColuna"},
    {37144, u"Overlay"},
    {37145, u"Filha"},
    // Standard preview: its status line.
    {37163, u"Página"},
    {37164, u"de"},
    // Printer object.
    {37165, u"Illegal call to NewPage"},
    {37166, u"ZTPrinter not ready"},
    // Expression builder: what stands for the text between parentheses.
    {37198, u"Expression"},
    // Function library and export filters: the vendor; the explanations of the built-in functions.
    {37207, u"Tormelin AS"},
    // Export filters.
    {37208, u"Abstract non-working export filter"},
    {37209, u"Abstract filter"},
    // The text export filter.
    {37210, u"Text export (ASCII) filter"},
    {37211, u"Text file"},
    {37212, u"TXT"},
    // Text printables: an expression without text.
    {37226, u"nada"},
    // Standard preview and progress form.
    {37246, u"Arquivo não existe"},
    {37247, u" Completado"},
    {37248, u"Arquivo Lavenq"},
    {37249, u"Returns <X> or <Y> depending on the boolean expression <Exp>"},
    {37250, u"Convert a numeric <X> to a string"},
    {37251, u"Return current time as a string"},
    {37252, u"Return current date as a string"},
    {37253, u"Sums the numeric <X>"},
    {37254, u"Returns a substring of string X"},
    {37255, u"Increments for each iteration"},
    {37256, u"Returns the highest <X>"},
    {37257, u"Returns the lowest <X>"},
    {37258, u"Returns the average of numeric <X>"},
    {37259, u"boolean value"},
    {37260, u"Returns the integer part of <X>"},
    {37261, u"Returns the fractional part of <X>"},
    {37262, u"Returns square root of <X>"},
    {37263, u"Returns the data type of <Exp>"},
    {37265, u"Converts a string to upper case letters"},
    {37266, u"Converts a string to lower case letters"},
    {37267, u"Makes the first character upper case and the rest lower case"},
    {37271, u"Formats numeric <N> using the mask in <F>"},
};

constexpr bool TableIsSorted()
{
    return std::is_sorted(std::begin(StringTable), std::end(StringTable),
                          [](const TStringTableEntry& a, const TStringTableEntry& b) { return a.Ident < b.Ident; });
}
static_assert(TableIsSorted(), "string table entries must stay in ascending order of identifier");

} // namespace

QString LoadStr(int ident)
{
    const auto it = std::lower_bound(std::begin(StringTable), std::end(StringTable), ident,
                                     [](const TStringTableEntry& e, int id) { return e.Ident < id; });
    if (it == std::end(StringTable) || it->Ident != ident)
        return {};
    return QString::fromUtf16(it->Text);
}

} // namespace tessiv
