// Text printables on the PDF printer, read back with pdftotext -bbox: a stretching text grows its
// band by whole lines and goes on at the top of the next page, a stretching page footer keeps to
// its page, each rotation and alignment puts the text where the control says, and a three-column
// sheet of texts prints the same words in the same places at every zoom of the designer.

#include "RunFixture.h"
#include "TextFixture.h"

#include "engine/printables/KVLabel.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace tessiv;
using namespace enginetest;

namespace {

class TextPdfTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HavePdfToText())
            GTEST_SKIP() << "pdftotext is not installed";
        ASSERT_TRUE(Dir.isValid());
    }

    TKVMemo* Memo(TKVCustomBand* band, const QString& name, const QStringList& lines)
    {
        auto* memo = new TKVMemo(Doc.Form.get());
        memo->SetName(name);
        memo->Font()->SetName(QStringLiteral("Arial"));
        memo->Font()->SetSize(10);
        memo->SetParent(band);
        memo->SetAutoSize(false);
        memo->SetAutoStretch(true);
        memo->Size()->SetWidth(1200);
        TStringList l;
        for (const QString& s : lines)
            l.Add(s);
        memo->SetLines(&l);
        return memo;
    }

    std::vector<TWordBox> Print()
    {
        const QString file = Dir.filePath(QStringLiteral("textos.pdf"));
        PrintToPdf(Doc, file);
        EXPECT_TRUE(QFile::exists(file));
        if (qEnvironmentVariableIsSet("TEXTPDF_KEEP"))
            QFile::copy(file, QString::fromLocal8Bit(qgetenv("TEXTPDF_KEEP")));
        return PdfWords(file);
    }

    QTemporaryDir Dir;
    TRunDoc Doc;
};

TEST_F(TextPdfTest, AStretchingTextGrowsItsBandByWholeLines)
{
    auto* band = Doc.Add<TKVBand>(QStringLiteral("Detalhe"), rbDetail);
    band->Size()->SetHeight(150);
    Doc.Report->SetQuantidade(2);
    int record = 0;
    auto* memo = Memo(band, QStringLiteral("Texto"), {QStringLiteral("um"), QStringLiteral("dois"), QStringLiteral("tres")});
    // At the bottom of its band: the second and third lines are beyond it.
    memo->Size()->SetTop(150 - memo->Size()->NativeValue(TKVPrintableSize::kvHeight));
    memo->SetLeft(20);
    band->BeforePrint = [&record, memo](TKVCustomBand*, bool&) {
        ++record;
        TStringList l;
        for (const char* w : {"um", "dois", "tres"})
            l.Add(QStringLiteral("%1%2").arg(QLatin1String(w)).arg(record));
        memo->SetLines(&l);
    };
    const std::vector<TWordBox> words = Print();
    const TWordBox* a1 = FindWord(words, QStringLiteral("um1"));
    const TWordBox* a2 = FindWord(words, QStringLiteral("dois1"));
    const TWordBox* a3 = FindWord(words, QStringLiteral("tres1"));
    const TWordBox* b1 = FindWord(words, QStringLiteral("um2"));
    ASSERT_TRUE(a1 && a2 && a3 && b1);
    const double line = a2->YMin - a1->YMin;
    EXPECT_GT(line, 8.0);
    EXPECT_NEAR(a3->YMin - a2->YMin, line, 0.3);
    // The next record's band starts below the first grown by two lines.
    EXPECT_NEAR(b1->YMin - a1->YMin, NativeToPoints(150) + 2 * line, 1.0);
}

TEST_F(TextPdfTest, AStretchingTextGoesOnAtTheTopOfTheNextPage)
{
    // A title that leaves 170 (0.1 mm) of the page for the detail.
    auto* title = Doc.Add<TKVBand>(QStringLiteral("Titulo"), rbTitle);
    title->Size()->SetHeight(2600);
    auto* band = Doc.Add<TKVBand>(QStringLiteral("Detalhe"), rbDetail);
    band->Size()->SetHeight(100);
    Doc.Report->SetQuantidade(1);
    QStringList lines;
    for (int i = 1; i <= 6; ++i)
        lines << QStringLiteral("Linha%1").arg(i);
    auto* memo = Memo(band, QStringLiteral("Texto"), lines);
    memo->Size()->SetTop(50);
    memo->Size()->SetLeft(0);
    const std::vector<TWordBox> words = Print();
    std::vector<const TWordBox*> found;
    for (const QString& w : lines) {
        found.push_back(FindWord(words, w));
        ASSERT_TRUE(found.back()) << w.toStdString();
    }
    // Some lines on the first page, the rest on the second, in order and evenly spaced.
    int firstOnNext = 0;
    while (firstOnNext < 6 && found[firstOnNext]->Page == 1)
        ++firstOnNext;
    ASSERT_GT(firstOnNext, 0);
    ASSERT_LT(firstOnNext, 6);
    for (int i = firstOnNext; i < 6; ++i)
        EXPECT_EQ(found[i]->Page, 2);
    const double line = found[1]->YMin - found[0]->YMin;
    for (int i = 1; i < 6; ++i)
        if (i != firstOnNext)
            EXPECT_NEAR(found[i]->YMin - found[i - 1]->YMin, line, 0.3) << i;
    // On the new page the band, and its text, start at the top margin.
    const double top = NativeToPoints(Doc.Report->Page()->TopMargin());
    EXPECT_GE(found[firstOnNext]->YMin, top - 1);
    EXPECT_LT(found[firstOnNext]->YMin, top + line);
    // The first page ends with what fits above the bottom margin.
    const double bottom = NativeToPoints(2970 - Doc.Report->Page()->BottomMargin());
    EXPECT_LE(found[firstOnNext - 1]->YMax, bottom + 1);
}

TEST_F(TextPdfTest, AStretchingPageFooterPrintsOnlyTheLinesThatFitAboveTheBottomMargin)
{
    // A footer of 100 (0.1 mm) at the bottom of the page's printable area, its text one line high
    // at its top: two lines of 10 points fit in it, the other four would run into the margin and
    // off the sheet. A page footer cannot go on on another page: it keeps to its page.
    auto* footer = Doc.Add<TKVBand>(QStringLiteral("Rodape"), rbPageFooter);
    footer->Size()->SetHeight(100);
    Doc.Add<TKVBand>(QStringLiteral("Detalhe"), rbDetail)->Size()->SetHeight(100);
    Doc.Report->SetQuantidade(1);
    QStringList lines;
    for (int i = 1; i <= 6; ++i)
        lines << QStringLiteral("Linha%1").arg(i);
    auto* memo = Memo(footer, QStringLiteral("Texto"), lines);
    memo->Size()->SetTop(0);
    memo->Size()->SetLeft(0);
    const long double bottomMargin = Doc.Report->Page()->BottomMargin();
    ASSERT_GT(bottomMargin, 80);
    const std::vector<TWordBox> words = Print();
    const double bottom = NativeToPoints(Doc.Report->Page()->Length() - bottomMargin);
    for (const TWordBox& w : words)
        EXPECT_LE(w.YMax, bottom + 0.5) << w.Word.toStdString();
    const TWordBox* first = FindWord(words, QStringLiteral("Linha1"));
    const TWordBox* second = FindWord(words, QStringLiteral("Linha2"));
    ASSERT_TRUE(first && second);
    EXPECT_NEAR(first->YMin, bottom - NativeToPoints(100), 2.0);
    EXPECT_GT(second->YMin, first->YMax - 1);
    for (int i = 3; i <= 6; ++i)
        EXPECT_EQ(FindWord(words, QStringLiteral("Linha%1").arg(i)), nullptr) << i;
    // An export gets what the page shows.
    TCaptureFilter filter;
    Doc.Report->ExportToFilter(&filter);
    EXPECT_EQ(filter.Strings(), (QStringList{QStringLiteral("Linha1"), QStringLiteral("Linha2")}));
}

// Turned text is drawn as glyph outlines, which pdftotext does not read as words: the boxes
// here are those of the ink pdftoppm draws for each control.
TEST_F(TextPdfTest, WhatPrintsIsTheSameAtEveryZoomOfTheDesigner)
{
    // A three-column sheet with margins that are no whole pixels at most zooms.
    TKVPage* page = Doc.Report->Page();
    page->SetUnits(kvunNative);
    page->SetLeftMargin(103);
    page->SetRightMargin(97);
    page->SetColumnSpace(41);
    page->SetColumns(3);
    auto* band = Doc.Add<TKVBand>(QStringLiteral("Detalhe"), rbDetail);
    band->Size()->SetHeight(1300);
    Doc.Report->SetQuantidade(7);

    // Fixed-width labels about as wide as their text: a measure that followed the zoom would
    // break some of them at one zoom and not at another.
    const QStringList captions{QStringLiteral("Nome do cliente"), QStringLiteral("Endereço de entrega"),
                               QStringLiteral("Cidade e estado"), QStringLiteral("Valor total do pedido"),
                               QStringLiteral("Data de emissão"), QStringLiteral("Forma de pagamento"),
                               QStringLiteral("Observações gerais")};
    int top = 20;
    int n = 0;
    for (const QString& caption : captions) {
        for (const long double fit : {0.97L, 1.0L, 1.03L}) {
            auto* label = new TKVLabel(Doc.Form.get());
            label->SetName(QStringLiteral("Fixo%1").arg(++n));
            label->Font()->SetName(QStringLiteral("Arial"));
            label->Font()->SetSize(10);
            label->SetParent(band);
            label->SetAutoSize(false);
            label->SetText(caption);
            label->Size()->SetUnits(kvunNative);
            label->Size()->SetLeft(20);
            label->Size()->SetTop(top);
            label->Size()->SetWidth(Doc.Report->TextWidth(label->Font(), caption) * 254.0L / 96 * fit);
            top += 50;
        }
    }
    // Texts sized to each record's value, centred and right-justified.
    int record = 0;
    for (const TAlignment alignment : {taCenter, taRightJustify}) {
        auto* label = new TKVLabel(Doc.Form.get());
        label->SetName(alignment == taCenter ? QStringLiteral("Centro") : QStringLiteral("Direita"));
        label->SetParent(band);
        label->SetAlignment(alignment);
        label->Size()->SetUnits(kvunNative);
        label->Size()->SetLeft(300.4L);
        label->Size()->SetTop(top);
        top += 50;
        label->OnPrint = [&record, alignment](TObject*, QString& value) {
            static const char* const names[] = {"Ana", "Bartolomeu", "Cid", "Dulcineia", "Eva", "Fabricio", "Gil"};
            if (alignment == taCenter)
                ++record;
            value = QLatin1String(names[(record - 1) % 7]) + QStringLiteral("%1").arg(record);
        };
    }

    std::vector<TWordBox> atHundred;
    for (const int zoom : {100, 25, 72, 75, 150, 300}) {
        SCOPED_TRACE(testing::Message() << "zoom " << zoom);
        Doc.Report->SetZoom(zoom);
        record = 0;
        const QString file = Dir.filePath(QStringLiteral("zoom%1.pdf").arg(zoom));
        PrintToPdf(Doc, file);
        const std::vector<TWordBox> words = PdfWords(file);
        if (zoom == 100) {
            atHundred = words;
            // Seven labels on two pages, the third column of the first page included.
            ASSERT_NE(FindWord(words, QStringLiteral("Gil7")), nullptr);
            EXPECT_EQ(FindWord(words, QStringLiteral("Gil7"))->Page, 2);
            const TWordBox* fifth = FindWord(words, QStringLiteral("Eva5"));
            ASSERT_NE(fifth, nullptr);
            EXPECT_GT(fifth->XMin, NativeToPoints(103 + 2 * ((2100 - 103 - 97 - 2 * 41) / 3.0L + 41)));
            continue;
        }
        ASSERT_EQ(words.size(), atHundred.size());
        for (size_t i = 0; i < words.size(); ++i) {
            SCOPED_TRACE(atHundred[i].Word.toStdString());
            EXPECT_EQ(words[i].Word, atHundred[i].Word);
            EXPECT_EQ(words[i].Page, atHundred[i].Page);
            EXPECT_EQ(words[i].XMin, atHundred[i].XMin);
            EXPECT_EQ(words[i].YMin, atHundred[i].YMin);
            EXPECT_EQ(words[i].XMax, atHundred[i].XMax);
        }
    }
}

TEST_F(TextPdfTest, RotationsAndAlignmentsLandWhereTheControlSays)
{
    auto* band = Doc.Add<TKVBand>(QStringLiteral("Detalhe"), rbDetail);
    band->Size()->SetHeight(2200);
    Doc.Report->SetQuantidade(1);
    struct Case {
        TKVRotacao Rotation;
        TAlignment Alignment;
        const char* Text;
    };
    const Case cases[] = {
        {rotacao_000, taLeftJustify, "ZeroL"},     {rotacao_000, taRightJustify, "ZeroR"},
        {rotacao_000, taCenter, "ZeroC"},          {rotacao_180, taLeftJustify, "CentoL"},
        {rotacao_180, taRightJustify, "CentoR"},   {rotacao_180, taCenter, "CentoC"},
        {rotacao_090, taLeftJustify, "NoventaL"},  {rotacao_090, taRightJustify, "NoventaR"},
        {rotacao_090, taCenter, "NoventaC"},       {rotacao_270, taLeftJustify, "DuzentosL"},
        {rotacao_270, taRightJustify, "DuzentosR"}, {rotacao_270, taCenter, "DuzentosC"},
    };
    std::vector<TKVLabel*> labels;
    int horizontal = 0;
    int vertical = 0;
    for (const Case& c : cases) {
        auto* label = new TKVLabel(Doc.Form.get());
        label->SetName(QStringLiteral("Rotulo%1").arg(labels.size()));
        label->Font()->SetName(QStringLiteral("Arial"));
        label->Font()->SetSize(10);
        label->SetParent(band);
        label->SetAutoSize(false);
        label->SetCaption(QLatin1String(c.Text));
        label->SetRotacao(c.Rotation);
        label->SetAlignment(c.Alignment);
        // Horizontal ones one under another, vertical ones side by side below them, well apart.
        if (c.Rotation == rotacao_090 || c.Rotation == rotacao_270) {
            label->Size()->SetLeft(100 + 300 * vertical++);
            label->Size()->SetTop(1300);
            label->Size()->SetHeight(600);
        } else {
            label->Size()->SetLeft(100);
            label->Size()->SetTop(50 + 200 * horizontal++);
            label->Size()->SetWidth(700);
        }
        labels.push_back(label);
    }
    const QString file = Dir.filePath(QStringLiteral("rotacoes.pdf"));
    PrintToPdf(Doc, file);
    if (qEnvironmentVariableIsSet("TEXTPDF_KEEP"))
        QFile::copy(file, QString::fromLocal8Bit(qgetenv("TEXTPDF_KEEP")));
    constexpr int dpi = 144;
    const QImage page = RenderPdfPage(file, 1, dpi);
    ASSERT_FALSE(page.isNull());
    const double px = dpi / 254.0; // pixels per 0.1 mm
    const double left0 = Doc.Report->Page()->LeftMargin();
    const double top0 = Doc.Report->Page()->TopMargin();
    const double tolerance = 2.5 * dpi / 72.0; // 2.5 points
    for (size_t k = 0; k < labels.size(); ++k) {
        const Case& c = cases[k];
        SCOPED_TRACE(c.Text);
        TKVPrintableSize* s = labels[k]->Size();
        const double x = (left0 + s->NativeValue(TKVPrintableSize::kvLeft)) * px;
        const double y = (top0 + s->NativeValue(TKVPrintableSize::kvTop)) * px;
        const double width = s->NativeValue(TKVPrintableSize::kvWidth) * px;
        const double height = s->NativeValue(TKVPrintableSize::kvHeight) * px;
        // The control's box and some room round it, clear of its neighbours.
        const int room = static_cast<int>(60 * px);
        const QRect region(static_cast<int>(x) - room, static_cast<int>(y) - room, static_cast<int>(width) + 2 * room,
                           static_cast<int>(height) + 2 * room);
        const QRect ink = InkBox(page, region);
        ASSERT_FALSE(ink.isEmpty());
        const double inkLeft = ink.left();
        const double inkRight = ink.right() + 1;
        const double inkTop = ink.top();
        const double inkBottom = ink.bottom() + 1;
        const bool isLeft = c.Alignment == taLeftJustify;
        const bool isRight = c.Alignment == taRightJustify;
        switch (c.Rotation) {
        case rotacao_000:
        case rotacao_180:
            // Across the line the text stays within the control; along it, the edge or middle the
            // alignment names, in the text's own direction.
            EXPECT_GE(inkTop, y - tolerance);
            EXPECT_LE(inkBottom, y + height + tolerance);
            EXPECT_GT(inkRight - inkLeft, inkBottom - inkTop);
            break;
        case rotacao_090:
        case rotacao_270:
            EXPECT_GE(inkLeft, x - tolerance);
            EXPECT_LE(inkRight, x + width + tolerance);
            EXPECT_GT(inkBottom - inkTop, inkRight - inkLeft); // it runs up or down the page
            break;
        }
        switch (c.Rotation) {
        case rotacao_000:
            if (isLeft)
                EXPECT_NEAR(inkLeft, x, tolerance);
            else if (isRight)
                EXPECT_NEAR(inkRight, x + width, tolerance);
            else
                EXPECT_NEAR((inkLeft + inkRight) / 2, x + width / 2, tolerance);
            break;
        case rotacao_090: // reads upwards: it starts at the bottom
            if (isLeft)
                EXPECT_NEAR(inkBottom, y + height, tolerance);
            else if (isRight)
                EXPECT_NEAR(inkTop, y, tolerance);
            else
                EXPECT_NEAR((inkTop + inkBottom) / 2, y + height / 2, tolerance);
            break;
        case rotacao_180: // upside down: it starts at the right
            if (isLeft)
                EXPECT_NEAR(inkRight, x + width, tolerance);
            else if (isRight)
                EXPECT_NEAR(inkLeft, x, tolerance);
            else
                EXPECT_NEAR((inkLeft + inkRight) / 2, x + width / 2, tolerance);
            break;
        case rotacao_270: // reads downwards: it starts at the top
            if (isLeft)
                EXPECT_NEAR(inkTop, y, tolerance);
            else if (isRight)
                EXPECT_NEAR(inkBottom, y + height, tolerance);
            else
                EXPECT_NEAR((inkTop + inkBottom) / 2, y + height / 2, tolerance);
            break;
        }
    }
}

} // namespace
