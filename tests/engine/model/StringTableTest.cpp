#include "engine/run/KVError.h"
#include "engine/model/KVUtils.h"
#include "engine/model/StringTable.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace tessiv;

TEST(StringTable, PrinterTexts)
{
    EXPECT_EQ(LoadStr(SKVIllegalNewPage), QStringLiteral("Illegal call to NewPage"));
    EXPECT_EQ(LoadStr(SKVPrinterNotReady), QStringLiteral("ZTPrinter not ready"));
    EXPECT_EQ(SKVIllegalNewPage, 37165);
    EXPECT_EQ(SKVPrinterNotReady, 37166);
    // The platform's lookup of a missing entry gives an empty text.
    EXPECT_TRUE(LoadStr(37000).isEmpty());
    EXPECT_TRUE(LoadStr(37146).isEmpty());
}

TEST(StringTable, PaperSizeNames)
{
    const struct {
        TKVPaperSize Size;
        const char16_t* Name;
    } cases[] = {
        {TKVPaperSize::Default, u"Tamanho padrão"},
        {TKVPaperSize::Letter, u"Carta 8 1/2 x 11 in"},
        {TKVPaperSize::Legal, u"Ofício 8 1/2 x 14 in"},
        {TKVPaperSize::Executive, u"Executivo7 1/2 x 10 in"},
        {TKVPaperSize::A4, u"A4 210 x 297 mm"},
        {TKVPaperSize::A4Small, u"A4 pequena 210 x 297 mm"},
        {TKVPaperSize::Env12, u"Envelope #12 4 ¾ x 11"},
        {TKVPaperSize::Env14, u"Envelope #14 5 x 11 1/2"},
        {TKVPaperSize::ESheet, u"E size sheet"},
        {TKVPaperSize::Custom, u"Personalizada"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PaperSizeName(c.Size), QString::fromUtf16(c.Name));
    // Every size has a name of its own (the page setup dialog lists all 28).
    QStringList names;
    for (int i = 0; i <= static_cast<int>(TKVPaperSize::Custom); ++i)
        names << PaperSizeName(static_cast<TKVPaperSize>(i));
    EXPECT_EQ(names.size(), 28);
    EXPECT_EQ(names.count(QString()), 0);
    names.removeDuplicates();
    EXPECT_EQ(names.size(), 28);
    EXPECT_EQ(PaperSizeName(TKVPaperSize::A4), LoadStr(37096 + 9));
}

TEST(StringTable, BandTypeNames)
{
    const struct {
        TKVBandType Type;
        const char16_t* Name;
        const char16_t* Prefix;
    } cases[] = {
        {rbTitle, u"Titulo", u"Titulo"},
        {rbPageHeader, u"Cabeçalho de página", u"CabecalhoPagina"},
        {rbDetail, u"Detalhe", u"Detalhe"},
        {rbPageFooter, u"Rodapé de página", u"RodapePagina"},
        {rbSummary, u"Sumário", u"Sumario"},
        {rbGroupHeader, u"Cabeçalho de grupo", u"CabecalhoGrupo"},
        {rbGroupFooter, u"Rodapé de Grupo", u"RodapeGrupo"},
        {rbSubDetail, u"Sub-Detalhe", u"SubDetalhe"},
        {rbColumnHeader, u"Cabeçalho de Coluna", u"CabecalhoColuna"},
        {rbOverlay, u"Overlay", u"Overlay"},
        {rbChild, u"Filha", u"Filha"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BandTypeName(c.Type), QString::fromUtf16(c.Name)) << c.Type;
        EXPECT_EQ(BandTypeComponentName(c.Type), QString::fromUtf16(c.Prefix)) << c.Type;
        EXPECT_EQ(BandTypeName(c.Type), LoadStr(37124 + c.Type));
        EXPECT_EQ(BandTypeComponentName(c.Type), LoadStr(37135 + c.Type));
    }
}

TEST(StringTable, ValuesOutsideAnEnumerationHaveNoName)
{
    // 37124 + 11 is the first name prefix; a bad band type must not borrow it.
    EXPECT_TRUE(BandTypeName(static_cast<TKVBandType>(11)).isEmpty());
    EXPECT_TRUE(BandTypeComponentName(static_cast<TKVBandType>(-1)).isEmpty());
    EXPECT_TRUE(PaperSizeName(static_cast<TKVPaperSize>(28)).isEmpty());
}

TEST(KVPos, FirstOccurrenceFromOne)
{
    const struct {
        const char* Sub;
        const char* Text;
        int Pos;
    } cases[] = {
        {"a", "abc", 1}, {"c", "abc", 3}, {"bc", "abcbc", 2}, {"x", "abc", 0}, {"abcd", "abc", 0},
        {"", "abc", 0},  {"a", "", 0},     {"B", "abc", 0},   {"abc", "abc", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KVPos(QString::fromUtf8(c.Sub), QString::fromUtf8(c.Text)), c.Pos) << c.Sub << " in " << c.Text;
}

TEST(EKVError, CarriesItsText)
{
    try {
        throw EKVError(LoadStr(SKVPrinterNotReady));
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("ZTPrinter not ready"));
        EXPECT_STREQ(e.what(), "ZTPrinter not ready");
    }
}
