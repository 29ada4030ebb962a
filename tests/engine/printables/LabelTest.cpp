// The text label and memo: how a text breaks into lines with exact fake metrics, where AutoSize
// anchors a text at each rotation and alignment, turning, the name as caption, older files, copies
// for undo, report files read back to the same bytes, and the caption a print puts in coming back.

#include "ReportFixture.h"
#include "RunFixture.h"
#include "TextFixture.h"

#include "engine/printables/KVDBText.h"
#include "engine/printables/KVExpr.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/printables/KVLabel.h"
#include "engine/printables/KVSysData.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/TextMetrics.h"

#include <QImage>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace tessiv;
using namespace enginetest;

namespace {

// Arial 10 at 96 pixels per inch under the fake metrics: every character 8 pixels wide, a line 16
// high; the report's measure adds one pixel of width, so a text of n characters measures 8n + 1
// and a line takes 17 pixels at zoom 100.
constexpr int CharWidth = 8;
constexpr int LinePixels = 17;

int Measure(int characters)
{
    return CharWidth * characters + 1;
}

class LabelTest : public ::testing::Test {
protected:
    LabelTest() : Fake(std::make_shared<TFakeTextMetrics>(0.6))
    {
        Doc.Report->SetZoom(100);
        Band = Doc.Add<TKVBand>(QStringLiteral("Detalhe"), rbDetail);
        Band->Size()->SetHeight(400);
    }

    template <class L>
    L* Make(const QString& name)
    {
        auto* label = new L(Doc.Form.get());
        label->SetName(name);
        label->Font()->SetName(QStringLiteral("Arial"));
        label->Font()->SetSize(10);
        label->SetParent(Band);
        return label;
    }

    // A memo of one line of text; without AutoSize, width pixels wide and wrapping as asked.
    TKVMemo* MemoOf(const QString& text, bool autoSize, bool wordWrap = true, int width = 0)
    {
        auto* memo = Make<TKVMemo>(QStringLiteral("Memo1"));
        if (!autoSize) {
            memo->SetAutoSize(false);
            memo->SetWordWrap(wordWrap);
            memo->SetBounds(0, 0, width, 100);
        }
        TStringList lines;
        lines.Add(text);
        memo->SetLines(&lines);
        return memo;
    }

    TTextMetricsGuard Fake;
    TRunDoc Doc;
    TKVBand* Band;
};

QStringList Formatted(const TKVCustomLabel* label)
{
    return label->FormattedLines()->ToStringList();
}

TEST_F(LabelTest, FormatterCases)
{
    struct Case {
        const char* Name;
        QString Text; // a memo's one line; with AutoSize, a label's caption
        bool AutoSize;
        bool WordWrap;
        int Width;
        QStringList Lines;
    };
    const QString cr = QStringLiteral("\r");
    const QString crlf = QStringLiteral("\r\n");
    const Case cases[] = {
        {"CR LF splits and the line feed goes", QStringLiteral("um") + crlf + QStringLiteral("dois"), false, true, 300,
         {QStringLiteral("um"), QStringLiteral("dois")}},
        {"a trailing CR leaves an empty last line", QStringLiteral("um") + cr, false, true, 300,
         {QStringLiteral("um"), QString()}},
        {"a lone line feed disappears", QStringLiteral("a\nb"), false, true, 300, {QStringLiteral("ab")}},
        // "aaa bbb " is 8 characters (65 pixels): room for it, not for the third word.
        {"word wrap on", QStringLiteral("aaa bbb ccc"), false, true, Measure(8) + 5,
         {QStringLiteral("aaa bbb "), QStringLiteral("ccc")}},
        {"word wrap off keeps the first line only", QStringLiteral("aaa bbb ccc"), false, false, Measure(8) + 5,
         {QStringLiteral("aaa bbb ")}},
        {"a hyphen ends a word", QStringLiteral("guarda-chuva"), false, true, Measure(7),
         {QStringLiteral("guarda-"), QStringLiteral("chuva")}},
        // Characters are taken while the next still measures less than the line: 4 of them.
        {"a word wider than the line keeps what fits", QStringLiteral("abcdefghij"), false, true, Measure(5),
         {QStringLiteral("abcd")}},
        {"then the next word starts a line", QStringLiteral("abcdefghij xyz"), false, true, Measure(5),
         {QStringLiteral("abcd"), QStringLiteral("xyz")}},
        {"a long word after a short one is cut on its own line", QStringLiteral("ab abcdefghij"), false, true,
         Measure(5), {QStringLiteral("ab "), QStringLiteral("abcde")}},
        {"an empty text is one empty line", QString(), false, true, 100, {QString()}},
        {"AutoSize never wraps", QStringLiteral("aaa bbb ccc"), true, true, 20, {QStringLiteral("aaa bbb ccc")}},
        {"AutoSize splits at CR only", QStringLiteral("aaa") + crlf + QStringLiteral("b b"), true, true, 20,
         {QStringLiteral("aaa"), QStringLiteral("b b")}},
    };
    // A memo's line holding a line break (a merged value) splits with AutoSize as without it.
    const Case memoCases[] = {
        {"an AutoSize memo splits a line at CR", QStringLiteral("aaa") + crlf + QStringLiteral("b b"), true, true, 20,
         {QStringLiteral("aaa"), QStringLiteral("b b")}},
        {"an AutoSize memo never wraps", QStringLiteral("aaa bbb ccc"), true, true, 20, {QStringLiteral("aaa bbb ccc")}},
    };
    for (const Case& c : memoCases) {
        SCOPED_TRACE(c.Name);
        TKVMemo* memo = MemoOf(c.Text, true);
        EXPECT_EQ(Formatted(memo), c.Lines);
        memo->Free();
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TKVCustomLabel* label = nullptr;
        if (c.AutoSize) {
            // With AutoSize a label's caption; without it a memo's one line.
            auto* l = Make<TKVLabel>(QStringLiteral("Rotulo"));
            l->SetCaption(c.Text);
            label = l;
        } else {
            label = MemoOf(c.Text, false, c.WordWrap, c.Width);
        }
        EXPECT_EQ(Formatted(label), c.Lines);
        label->Free();
    }
}

TEST_F(LabelTest, AWordOfThousandsOfCharactersKeepsWhatFitsOfItsBeginning)
{
    // 32,000 characters, none repeating within ten, so a prefix of the wrong length shows.
    QString word;
    while (word.size() < 32000)
        word += QStringLiteral("abcdefghij");
    struct Case {
        const char* Name;
        QString Text;
        int Width;
        bool WordWrap;
        QStringList Lines;
    };
    const Case cases[] = {
        // Alone, characters are taken while the next still measures less than the line.
        {"alone, five characters' room", word, Measure(5), true, {word.left(4)}},
        {"alone, three hundred characters' room", word, Measure(300), true, {word.left(299)}},
        {"alone, a little more room", word, Measure(300) + 3, true, {word.left(300)}},
        // After a word it is cut on its own line to what measures at most the line.
        {"after a word", QStringLiteral("ab ") + word, Measure(300), true, {QStringLiteral("ab "), word.left(300)}},
        {"after a word, then another", QStringLiteral("ab ") + word + QStringLiteral(" xyz"), Measure(5), true,
         {QStringLiteral("ab "), word.left(5), QStringLiteral("xyz")}},
        {"after a word without word wrap", QStringLiteral("ab ") + word, Measure(300) + 3, false,
         {QStringLiteral("ab "), word.left(300)}},
        {"room for no character", word, Measure(0), true, {QString()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TKVMemo* memo = MemoOf(c.Text, false, c.WordWrap, c.Width);
        const QStringList formatted = Formatted(memo);
        ASSERT_EQ(formatted.size(), c.Lines.size());
        for (int i = 0; i < formatted.size(); ++i)
            EXPECT_EQ(formatted[i].size(), c.Lines[i].size()) << i;
        EXPECT_TRUE(formatted == c.Lines);
        memo->Free();
    }
}

TEST_F(LabelTest, AutoSizeKeepsTheAnchoredEdgeAtEveryRotationAndAlignment)
{
    struct Case {
        TKVRotacao Rotation;
        TAlignment Alignment;
        int DLeft; // multiples of D (halves for the centre) added to Left
        int DTop;
    };
    // D = the length before (200) less the text's (5 characters: 41): 159, and 79 for halves.
    const Case cases[] = {
        {rotacao_000, taLeftJustify, 0, 0},  {rotacao_000, taRightJustify, 2, 0}, {rotacao_000, taCenter, 1, 0},
        {rotacao_090, taLeftJustify, 0, 2},  {rotacao_090, taRightJustify, 0, 0}, {rotacao_090, taCenter, 0, 1},
        {rotacao_180, taLeftJustify, 2, 0},  {rotacao_180, taRightJustify, 0, 0}, {rotacao_180, taCenter, 1, 0},
        {rotacao_270, taLeftJustify, 0, 0},  {rotacao_270, taRightJustify, 0, 2}, {rotacao_270, taCenter, 0, 1},
    };
    const int d = 200 - Measure(5);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rotation " << c.Rotation << " alignment " << c.Alignment);
        auto* label = Make<TKVLabel>(QStringLiteral("Rotulo"));
        label->SetAutoSize(false);
        label->SetRotacao(c.Rotation);
        label->SetAlignment(c.Alignment);
        const bool vertical = c.Rotation == rotacao_090 || c.Rotation == rotacao_270;
        label->SetCaption(QStringLiteral("abcde"));
        if (vertical)
            label->SetBounds(100, 50, 30, 200);
        else
            label->SetBounds(100, 50, 200, 30);
        label->SetAutoSize(true);
        const auto offset = [d](int k) { return k == 2 ? d : k == 1 ? d / 2 : 0; };
        EXPECT_EQ(label->Left(), 100 + offset(c.DLeft));
        EXPECT_EQ(label->Top(), 50 + offset(c.DTop));
        // The length is the text's; across, one line (a single line took it already).
        EXPECT_EQ(vertical ? label->Height() : label->Width(), Measure(5));
        EXPECT_EQ(vertical ? label->Width() : label->Height(), LinePixels);
        label->Free();
    }
}

TEST_F(LabelTest, AutoSizeCountsTheFrameAndGrowsToOneLineAtLeast)
{
    auto* label = Make<TKVLabel>(QStringLiteral("Rotulo"));
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 300, 5);
    label->Frame()->SetWidth(2);
    label->Frame()->SetDrawLeft(true);
    label->Frame()->SetDrawRight(true);
    label->SetCaption(QStringLiteral("aaa bbb ccc"));
    label->SetAutoSize(true);
    EXPECT_EQ(label->Width(), Measure(11) + 2 + 2);
    EXPECT_EQ(label->Height(), LinePixels);
    EXPECT_EQ(Formatted(label), QStringList{QStringLiteral("aaa bbb ccc")});
}

TEST_F(LabelTest, AutoStretchIsOneLineHighInTheDesigner)
{
    auto* memo = Make<TKVMemo>(QStringLiteral("Memo1"));
    memo->SetAutoSize(false);
    TStringList lines;
    lines.SetText(QStringLiteral("um\ndois\ntres"));
    memo->SetLines(&lines);
    memo->SetBounds(0, 0, 300, 120);
    EXPECT_EQ(memo->Height(), 120);
    memo->SetAutoStretch(true);
    EXPECT_EQ(memo->Height(), LinePixels);
    EXPECT_EQ(Formatted(memo).size(), 3);
}

TEST_F(LabelTest, TurningSwapsWidthAndHeightOnlyBetweenDirections)
{
    auto* label = Make<TKVLabel>(QStringLiteral("Rotulo"));
    label->SetAutoSize(false);
    label->SetCaption(QStringLiteral("abc"));
    label->SetBounds(10, 10, 100, LinePixels);
    label->SetRotacao(rotacao_090);
    EXPECT_EQ(label->Width(), LinePixels);
    EXPECT_EQ(label->Height(), 100);
    label->SetRotacao(rotacao_270);
    EXPECT_EQ(label->Width(), LinePixels);
    EXPECT_EQ(label->Height(), 100);
    label->SetRotacao(rotacao_180);
    EXPECT_EQ(label->Width(), 100);
    EXPECT_EQ(label->Height(), LinePixels);
}

TEST_F(LabelTest, TheCaptionFollowsTheNameUntilItIsSetApart)
{
    auto* label = Make<TKVLabel>(QStringLiteral("Rotulo1"));
    EXPECT_EQ(label->Caption(), QStringLiteral("Rotulo1"));
    label->SetName(QStringLiteral("Rotulo2"));
    EXPECT_EQ(label->Caption(), QStringLiteral("Rotulo2"));
    label->SetCaption(QStringLiteral("Total"));
    label->SetName(QStringLiteral("Rotulo3"));
    EXPECT_EQ(label->Caption(), QStringLiteral("Total"));

    // A memo without lines shows its name; with lines, painting drops the name.
    auto* memo = Make<TKVMemo>(QStringLiteral("Memo1"));
    EXPECT_EQ(Formatted(memo), QStringList{QStringLiteral("Memo1")});
    TStringList lines;
    lines.Add(QStringLiteral("texto"));
    memo->Lines()->Assign(&lines);
    QImage image(200, 100, QImage::Format_ARGB32);
    TImageCanvas canvas(image, 96);
    memo->Paint(canvas);
    EXPECT_TRUE(memo->Caption().isEmpty());
    EXPECT_EQ(Formatted(memo), QStringList{QStringLiteral("texto")});
}

TEST_F(LabelTest, TheDesignViewDrawsTheTextFromItsStartInEachRotation)
{
    struct Case {
        TKVRotacao Rotation;
        // Where the text's ink lies in a 200 by 40 (or 40 by 200) control: its first 60 pixels
        // from the edge the text starts at.
        QRect Expected;
    };
    const Case cases[] = {
        {rotacao_000, QRect(0, 0, 60, 40)},
        {rotacao_090, QRect(0, 140, 40, 60)},
        {rotacao_180, QRect(140, 0, 60, 40)},
        {rotacao_270, QRect(0, 0, 40, 60)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Rotation);
        auto* label = Make<TKVLabel>(QStringLiteral("Rotulo"));
        label->SetAutoSize(false);
        label->Font()->SetColor(clRed);
        label->SetCaption(QStringLiteral("IIIII"));
        label->SetRotacao(c.Rotation);
        const bool vertical = c.Rotation == rotacao_090 || c.Rotation == rotacao_270;
        label->SetBounds(0, 0, vertical ? 40 : 200, vertical ? 200 : 40);
        QImage image(label->Width(), label->Height(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        {
            TImageCanvas canvas(image, 96);
            label->Paint(canvas);
        }
        QRect ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor p = image.pixelColor(x, y);
                if (p.red() > 150 && p.green() < 100 && p.blue() < 100)
                    ink |= QRect(x, y, 1, 1);
            }
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_TRUE(c.Expected.contains(ink)) << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
        label->Free();
    }
}

// ---- report files -------------------------------------------------------------------------------

TEST_F(LabelTest, OlderFilesFontSizeAndVisibleAndTabStopLoad)
{
    // The run's message probe is no class of a report file.
    Doc.Messages->Free();
    auto* label = Make<TKVLabel>(QStringLiteral("Rotulo"));
    label->Font()->SetSize(10);
    Make<TKVMemo>(QStringLiteral("Memo1"));
    QString text = QString::fromLatin1(ToText(Doc.Form.get()));
    // The file writes the size it has; an older one said 14 and carried the other two.
    ASSERT_EQ(text.count(QStringLiteral("FontSize = 10")), 2);
    const qsizetype at = text.indexOf(QStringLiteral("FontSize = 10"));
    text.replace(at, 13, QStringLiteral("FontSize = 14\n      Visible = False"));
    const qsizetype memoAt = text.indexOf(QStringLiteral("FontSize = 10"));
    text.replace(memoAt, 13, QStringLiteral("FontSize = 10\n      TabStop = True"));
    TFormPtr form = FromText(text.toLatin1());
    auto* read = dynamic_cast<TKVLabel*>(form->FindComponent(QStringLiteral("Rotulo")));
    auto* readMemo = dynamic_cast<TKVMemo*>(form->FindComponent(QStringLiteral("Memo1")));
    ASSERT_TRUE(read && readMemo);
    EXPECT_EQ(read->Font()->Size(), 14);
    EXPECT_FALSE(read->Enabled());
    EXPECT_TRUE(readMemo->Enabled());
    EXPECT_EQ(readMemo->Font()->Size(), 10);
    // Neither older property is written again.
    const QByteArray again = ToText(form.get());
    EXPECT_FALSE(again.contains("Visible"));
    EXPECT_FALSE(again.contains("TabStop"));
    EXPECT_TRUE(again.contains("FontSize = 14"));
}

TEST_F(LabelTest, EveryTextPrintableReadsBackToTheSameBytes)
{
    Doc.Messages->Free();
    auto* label = Make<TKVLabel>(QStringLiteral("Rotulo"));
    label->SetCaption(QStringLiteral("Preço unitário"));
    label->SetRotacao(rotacao_090);
    label->SetStrPreencheRodape(QStringLiteral("*-"));
    label->SetAlignment(taRightJustify);
    label->SetColor(clYellow);
    label->Font()->SetStyle({fsBold});
    label->OnPrint.MethodName = QStringLiteral("RotuloPrint");
    auto* memo = Make<TKVMemo>(QStringLiteral("Memo1"));
    TStringList lines;
    lines.SetText(QStringLiteral("primeira\nsegunda"));
    memo->SetLines(&lines);
    memo->SetWordWrap(false);
    memo->SetAutoSize(false);
    memo->SetTransparent(true);
    auto* data = Make<TKVDBText>(QStringLiteral("Campo"));
    data->SetDataField(QStringLiteral("NOME"));
    data->SetMask(QStringLiteral("#,##0.00"));
    data->SetIncrementoType(kvIncre);
    data->SetIncrementoValue(5);
    data->SetAutoStretch(true);
    auto* expr = Make<TKVExpr>(QStringLiteral("Expressao"));
    expr->SetExpression(QStringLiteral("SUM(VALOR)"));
    expr->SetMask(QStringLiteral("0.0"));
    expr->SetMaster(Doc.Report);
    expr->SetResetAfterPrint(true);
    auto* sys = Make<TKVSysData>(QStringLiteral("Sistema"));
    sys->SetData(kvsPageNumber);
    sys->SetSysText(QStringLiteral("Página "));
    auto* merge = Make<TKVExprMemo>(QStringLiteral("Carta"));
    TStringList letter;
    letter.SetText(QStringLiteral("Prezado {NOME},\n\nSaldo: {VALOR}"));
    merge->SetLines(&letter);
    merge->SetRemoveBlankLines(true);
    merge->SetRotacao(rotacao_180);

    const QByteArray first = WriteRes(Doc.Form.get());
    TFormPtr form = ReadRes(first);
    // As text first, where a difference reads.
    EXPECT_EQ(ToText(form.get()).toStdString(), ToText(Doc.Form.get()).toStdString());
    EXPECT_EQ(WriteRes(form.get()), first);

    auto* l = dynamic_cast<TKVLabel*>(form->FindComponent(QStringLiteral("Rotulo")));
    auto* d = dynamic_cast<TKVDBText*>(form->FindComponent(QStringLiteral("Campo")));
    auto* e = dynamic_cast<TKVExpr*>(form->FindComponent(QStringLiteral("Expressao")));
    auto* s = dynamic_cast<TKVSysData*>(form->FindComponent(QStringLiteral("Sistema")));
    auto* m = dynamic_cast<TKVExprMemo*>(form->FindComponent(QStringLiteral("Carta")));
    ASSERT_TRUE(l && d && e && s && m);
    EXPECT_EQ(l->Caption(), QStringLiteral("Preço unitário"));
    EXPECT_EQ(l->Rotacao(), rotacao_090);
    EXPECT_EQ(l->StrPreencheRodape(), QStringLiteral("*-"));
    EXPECT_EQ(l->OnPrint.MethodName, QStringLiteral("RotuloPrint"));
    EXPECT_EQ(l->Width(), label->Width());
    EXPECT_EQ(l->Height(), label->Height());
    EXPECT_EQ(d->DataField(), QStringLiteral("NOME"));
    EXPECT_EQ(d->Caption(), QStringLiteral("NOME"));
    EXPECT_EQ(d->IncrementoType(), kvIncre);
    EXPECT_EQ(d->IncrementoValue(), 5);
    EXPECT_EQ(e->Expression(), QStringLiteral("SUM(VALOR)"));
    EXPECT_EQ(e->Caption(), QStringLiteral("SUM(VALOR)"));
    EXPECT_EQ(e->Master(), ReportOf(form.get()));
    EXPECT_TRUE(e->ResetAfterPrint());
    EXPECT_EQ(s->Data(), kvsPageNumber);
    EXPECT_EQ(s->Caption(), QStringLiteral("Página (No. Página)"));
    EXPECT_EQ(m->Lines()->Text(), letter.Text());
    EXPECT_TRUE(m->RemoveBlankLines());

    // The text form too.
    TFormPtr fromText = FromText(ToText(Doc.Form.get()));
    EXPECT_EQ(WriteRes(fromText.get()), first);
}

TEST_F(LabelTest, DefaultsAreNotWrittenButBooleansAndTheRotationAre)
{
    auto* label = Make<TKVLabel>(QStringLiteral("Rotulo"));
    label->SetParentFont(true);
    const QString text = QString::fromLatin1(ToText(Doc.Form.get()));
    const qsizetype at = text.indexOf(QStringLiteral("object Rotulo"));
    const QString body = text.mid(at, text.indexOf(QStringLiteral("\n    end"), at) - at);
    for (const char* stored : {"Rotacao = rotacao_000", "Alignment = taLeftJustify", "AlignToBand = False",
                               "AutoSize = True", "AutoStretch = False", "Transparent = False", "WordWrap = True",
                               "Caption = 'Rotulo'", "FontSize = "})
        EXPECT_TRUE(body.contains(QLatin1String(stored))) << stored << "\n" << body.toStdString();
    for (const char* omitted : {"StrPreencheRodape", "ParentColor", "ParentFont", "OnPrint"})
        EXPECT_FALSE(body.contains(QLatin1String(omitted))) << omitted << "\n" << body.toStdString();
    // Nor the colour and font it takes from its band.
    EXPECT_FALSE(body.contains(QRegularExpression(QStringLiteral("^\\s*(Color =|Font\\.)"),
                                                  QRegularExpression::MultilineOption)))
        << body.toStdString();
}

// ---- copies for undo ----------------------------------------------------------------------------

TEST_F(LabelTest, CopyFromTakesEveryStoredSettingWithoutTurningTheBoundsAgain)
{
    auto* source = Make<TKVLabel>(QStringLiteral("Origem"));
    source->SetAutoSize(false);
    source->SetCaption(QStringLiteral("Total geral"));
    source->SetBounds(20, 30, 150, LinePixels);
    source->SetRotacao(rotacao_270);
    source->SetStrPreencheRodape(QStringLiteral("AB"));
    source->SetWordWrap(false);
    source->SetAlignment(taCenter);
    source->OnPrint.MethodName = QStringLiteral("OrigemPrint");
    auto* copy = Make<TKVLabel>(QStringLiteral("Copia"));
    copy->CopyFrom(source);
    EXPECT_EQ(copy->Caption(), QStringLiteral("Total geral"));
    EXPECT_EQ(copy->Rotacao(), rotacao_270);
    EXPECT_EQ(copy->StrPreencheRodape(), QStringLiteral("AB"));
    EXPECT_FALSE(copy->WordWrap());
    EXPECT_FALSE(copy->AutoSize());
    EXPECT_EQ(copy->Alignment(), taCenter);
    EXPECT_EQ(copy->OnPrint.MethodName, QStringLiteral("OrigemPrint"));
    EXPECT_EQ(copy->Width(), source->Width());
    EXPECT_EQ(copy->Height(), source->Height());

    auto* memoSource = Make<TKVExprMemo>(QStringLiteral("CartaOrigem"));
    memoSource->SetRemoveBlankLines(true);
    auto* memoCopy = Make<TKVExprMemo>(QStringLiteral("CartaCopia"));
    memoCopy->CopyFrom(memoSource);
    EXPECT_TRUE(memoCopy->RemoveBlankLines());
}

TEST_F(LabelTest, ADataTextCopyKeepsItsFieldAndItsQuantityFlag)
{
    auto* source = Make<TKVDBText>(QStringLiteral("Quantidade"));
    source->SetDataField(QStringLiteral("QTD"));
    source->SetCampoQuantidade(true);
    ASSERT_EQ(Doc.Report->CampoQuantidadeObjeto(), source);
    // The copy an undo step reads back: another text of the same report, restored over it.
    auto* copy = Make<TKVDBText>(QStringLiteral("Outro"));
    copy->SetDataField(QStringLiteral("NOME"));
    source->SetCampoQuantidade(false);
    copy->CopyFrom(source);
    EXPECT_EQ(copy->DataField(), QStringLiteral("QTD"));
    EXPECT_FALSE(copy->CampoQuantidade());
    source->SetCampoQuantidade(true);
    copy->CopyFrom(source);
    EXPECT_EQ(copy->DataField(), QStringLiteral("QTD"));
    EXPECT_TRUE(copy->CampoQuantidade());
    EXPECT_EQ(Doc.Report->CampoQuantidadeObjeto(), copy);
    EXPECT_FALSE(source->CampoQuantidade());
}

// ---- printing -----------------------------------------------------------------------------------

TEST_F(LabelTest, LinesBelowTheBoxAreNotPrintedWithoutAutoStretch)
{
    auto* memo = Make<TKVMemo>(QStringLiteral("Memo1"));
    memo->SetAutoSize(false);
    TStringList lines;
    lines.SetText(QStringLiteral("L1\nL2\nL3\nL4"));
    memo->SetLines(&lines);
    memo->SetBounds(0, 0, 200, 2 * 16 + 4);
    Doc.Report->SetQuantidade(1);
    TCaptureFilter filter;
    Doc.Report->ExportToFilter(&filter);
    EXPECT_EQ(filter.Strings(), (QStringList{QStringLiteral("L1"), QStringLiteral("L2")}));
    // AutoStretch prints them all.
    memo->SetAutoStretch(true);
    TCaptureFilter all;
    Doc.Report->ExportToFilter(&all);
    EXPECT_EQ(all.Strings(), (QStringList{QStringLiteral("L1"), QStringLiteral("L2"), QStringLiteral("L3"),
                                          QStringLiteral("L4")}));
}

TEST_F(LabelTest, OnPrintChangesOnlyThatPrintAndTheCaptionComesBackEvenWhenItFails)
{
    auto* label = Make<TKVLabel>(QStringLiteral("Rotulo"));
    label->SetCaption(QStringLiteral("Numero"));
    int calls = 0;
    label->OnPrint = [&calls](TObject*, QString& value) { value = QStringLiteral("N%1").arg(++calls); };
    Doc.Report->SetQuantidade(3);
    TCaptureFilter filter;
    Doc.Report->ExportToFilter(&filter);
    EXPECT_EQ(filter.Strings(), (QStringList{QStringLiteral("N1"), QStringLiteral("N2"), QStringLiteral("N3")}));
    EXPECT_EQ(label->Caption(), QStringLiteral("Numero"));

    label->OnPrint = [](TObject*, QString& value) {
        value = QStringLiteral("trocado");
        throw Exception(QStringLiteral("falhou"));
    };
    TCaptureFilter failing;
    EXPECT_THROW(Doc.Report->ExportToFilter(&failing), Exception);
    EXPECT_EQ(label->Caption(), QStringLiteral("Numero"));
    EXPECT_EQ(Formatted(label), QStringList{QStringLiteral("Numero")});
    EXPECT_TRUE(Doc.Report->Available());
}

// An item area in the detail band: what the footer fill and the item-area page number read.
class TFakeItemArea : public TKVItemAreaRun {
public:
    bool HasParentBand() const override { return false; }
    void ResetRunCounters() override {}
    void AddPrintedLines(int) override {}
    void CountIfDue() override {}
    bool ItemAreaBreak(int) override { return false; }
    void PrintObservations() override {}
    int LineCursor() const override { return 0; }
    void SetLineCursor(int) override {}
    bool IsLastPage() const override { return LastPage; }
    int CurrentPage() const override { return Page; }
    int PageCount() const override { return Pages; }
    TKVCustomBand* ParentGroupFooter() const override { return Footer; }
    TKVCustomBand* ObservationBand() const override { return nullptr; }
    TDataSet* ObsDataSet() const override { return nullptr; }
    bool LastPage = false;
    int Page = 1;
    int Pages = 2;
    TKVCustomBand* Footer = nullptr;
};

class TItemsBand : public TKVBand {
public:
    explicit TItemsBand(TComponent* owner) : TKVBand(owner) {}
    TKVItemAreaRun* ItemArea() override { return &Area; }
    TFakeItemArea Area;
};

TEST_F(LabelTest, TheFooterFillPrintsOnContinuedItemAreaPagesOnly)
{
    Band->Free();
    auto* items = new TItemsBand(Doc.Form.get());
    items->SetName(QStringLiteral("Itens"));
    items->SetParent(Doc.Report);
    items->SetBandType(rbDetail);
    Band = Doc.Add<TKVBand>(QStringLiteral("RodapeGrupo"), rbGroupFooter);
    auto* group = Doc.Add<TKVGroup>(QStringLiteral("Grupo"));
    group->SetMaster(Doc.Report);
    group->SetFooterBand(Band);
    items->Area.Footer = Band;
    auto* label = Make<TKVLabel>(QStringLiteral("Total"));
    label->SetCaption(QStringLiteral("12345"));
    label->SetStrPreencheRodape(QStringLiteral("AB"));
    int calls = 0;
    label->OnPrint = [&calls](TObject*, QString&) { ++calls; };
    Doc.Report->SetQuantidade(1);

    TCaptureFilter continued;
    Doc.Report->ExportToFilter(&continued);
    EXPECT_EQ(continued.Strings(), QStringList{QStringLiteral("ABABA")});
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(label->Caption(), QStringLiteral("12345"));

    items->Area.LastPage = true;
    TCaptureFilter last;
    Doc.Report->ExportToFilter(&last);
    EXPECT_EQ(last.Strings(), QStringList{QStringLiteral("12345")});
    EXPECT_EQ(calls, 1);
}

} // namespace
