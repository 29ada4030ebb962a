// The printable base as the designer, the run and undo see it: pixel bounds and lengths in step at
// the report's zoom, alignment inside the band, reading older files, CopyFrom over every stored
// property, the frame on a recorded page and the design view; and the report's text services and
// font cache.

#include "ReportFixture.h"
#include "RunFixture.h"

#include "engine/printables/KVPrintable.h"
#include "engine/run/KVPrinter.h"
#include "engine/run/KVResourceManager.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Reader.h"
#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"
#include "platform/core/Writer.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"

#include <QImage>
#include <QPainter>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace tessiv;
using namespace enginetest;

namespace {

// A printable with a property of every kind, and the four settings CopyFrom leaves alone.
class TTestPrintable : public TKVPrintable {
    TESSIV_CLASS(TTestPrintable, TKVPrintable)
public:
    explicit TTestPrintable(TComponent* owner) : TKVPrintable(owner), FLinhas(std::make_unique<TStringList>()) {}

    int Quantidade() const { return FQuantidade; }
    void SetQuantidade(int v) { FQuantidade = v; }
    long double Fator() const { return FFator; }
    void SetFator(long double v) { FFator = v; }
    TStrings* Linhas() const { return FLinhas.get(); }
    TComponent* Vinculo() const { return FVinculo; }
    void SetVinculo(TComponent* v) { FVinculo = v; }
    TKVRotacao Rotacao() const { return FRotacao; }
    void SetRotacao(TKVRotacao v) { FRotacao = v; }
    const QString& StrPreencheRodape() const { return FFill; }
    void SetStrPreencheRodape(const QString& v) { FFill = v; }
    bool RemoveBlankLines() const { return FRemoveBlankLines; }
    void SetRemoveBlankLines(bool v) { FRemoveBlankLines = v; }
    void SetTransparentValue(bool v) { SetTransparent(v); }

    TNotifyEvent OnAlterado;
    TNotifyEvent OnPrint;

    using TKVPrintable::PrintFrame;

private:
    int FQuantidade = 0;
    long double FFator = 0;
    std::unique_ptr<TStringList> FLinhas;
    TComponent* FVinculo = nullptr;
    TKVRotacao FRotacao = rotacao_000;
    QString FFill;
    bool FRemoveBlankLines = false;
};

TESSIV_IMPLEMENT_CLASS(TTestPrintable, TKVPrintable,
    t.Enum(QStringLiteral("Alignment"), AlignmentInfo(), &TTestPrintable::Alignment, &TTestPrintable::SetAlignment,
           taLeftJustify);
    t.Boolean(QStringLiteral("AlignToBand"), &TTestPrintable::AlignToBand, &TTestPrintable::SetAlignToBand, false);
    t.String(QStringLiteral("Caption"), &TTestPrintable::Caption, &TTestPrintable::SetCaption);
    t.Integer(QStringLiteral("Color"), &TTestPrintable::Color, &TTestPrintable::SetColor, clWhite, &ColorIdents());
    t.Object<TFont>(QStringLiteral("Font"), &TTestPrintable::Font)
        .WithStored([](const TPersistent* p) { return !static_cast<const TTestPrintable*>(p)->ParentFont(); });
    t.Float(QStringLiteral("Fator"), &TTestPrintable::Fator, &TTestPrintable::SetFator);
    t.Object<TStrings>(QStringLiteral("Linhas"), &TTestPrintable::Linhas);
    t.Event(QStringLiteral("OnAlterado"), &TTestPrintable::OnAlterado);
    t.Event(QStringLiteral("OnPrint"), &TTestPrintable::OnPrint);
    t.Boolean(QStringLiteral("ParentFont"), &TTestPrintable::ParentFont, &TTestPrintable::SetParentFont, true);
    t.Integer(QStringLiteral("Quantidade"), &TTestPrintable::Quantidade, &TTestPrintable::SetQuantidade, 0);
    t.Boolean(QStringLiteral("RemoveBlankLines"), &TTestPrintable::RemoveBlankLines,
              &TTestPrintable::SetRemoveBlankLines, false);
    t.Enum(QStringLiteral("Rotacao"), RotacaoInfo(), &TTestPrintable::Rotacao, &TTestPrintable::SetRotacao,
           rotacao_000);
    t.String(QStringLiteral("StrPreencheRodape"), &TTestPrintable::StrPreencheRodape,
             &TTestPrintable::SetStrPreencheRodape);
    t.Boolean(QStringLiteral("Transparent"), &TTestPrintable::Transparent, &TTestPrintable::SetTransparentValue, true);
    t.Reference<TComponent>(QStringLiteral("Vinculo"), &TTestPrintable::Vinculo, &TTestPrintable::SetVinculo);
)

class PrintableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLocaleUsesInches(false);
        RegisterClass(TTestPrintable::StaticClass());
        Detail = Doc.Add<TKVBand>(QStringLiteral("Detalhe"), rbDetail);
    }

    template <class P = TKVPrintable>
    P* Place(TWinControl* parent, const QString& name, int left, int top, int width, int height)
    {
        auto* p = new P(Doc.Form.get());
        p->SetName(name);
        p->SetParent(parent);
        p->SetBounds(left, top, width, height);
        return p;
    }

    TReportDoc Doc;
    TKVBand* Detail = nullptr;
};

// A length of the size in pixels at the control's zoom, as the size applies it.
int Pixels(const TKVPrintable* p, int index)
{
    const bool across = index == TKVPrintableSize::kvLeft || index == TKVPrintableSize::kvWidth;
    return static_cast<int>(Round(p->Size()->FromNative(kvunPixels, across, p->Size()->NativeValue(index))));
}

// The size holds what the control shows: printing puts it where the designer did.
void ExpectInStep(const TKVPrintable* p)
{
    EXPECT_EQ(Pixels(p, TKVPrintableSize::kvLeft), p->Left());
    EXPECT_EQ(Pixels(p, TKVPrintableSize::kvTop), p->Top());
    EXPECT_EQ(Pixels(p, TKVPrintableSize::kvWidth), p->Width());
    EXPECT_EQ(Pixels(p, TKVPrintableSize::kvHeight), p->Height());
}

// ---- a new printable, alignment -----------------------------------------------------------------

TEST_F(PrintableTest, ANewOneIsATransparentWhiteSquareOfTenPixels)
{
    TKVPrintable p(nullptr);
    EXPECT_TRUE(p.Transparent());
    EXPECT_EQ(p.Color(), clWhite);
    EXPECT_EQ(p.BoundsRect(), Bounds(0, 0, 10, 10));
    EXPECT_EQ(p.Alignment(), taLeftJustify);
    EXPECT_FALSE(p.AlignToBand());
    EXPECT_TRUE(p.Enabled());
    EXPECT_FALSE(p.Printing());
    EXPECT_EQ(p.ParentReport(), nullptr);
    EXPECT_EQ(p.GetZoom(), 100);
    // Ten pixels at 96 per inch, in tenths of a millimetre.
    EXPECT_NEAR(static_cast<double>(p.Size()->NativeValue(TKVPrintableSize::kvWidth)), 2540.0 / 96, 1e-9);
    EXPECT_EQ(p.Size()->NativeValue(TKVPrintableSize::kvLeft), 0);
    p.SetTransparent(false);
    EXPECT_TRUE(p.ControlStyle().Contains(csOpaque));
    EXPECT_EQ(p.DataField(), QString());
    EXPECT_EQ(GetClass(QStringLiteral("TKVPrintable")), &TKVPrintable::StaticClass());
}

TEST_F(PrintableTest, AligningToTheBand)
{
    struct Case {
        TAlignment Alignment;
        bool OnBand; // else on the report panel
        int BandWidth;
        int Left;    // Left once aligned
        int Moved;   // Left after the control is moved to 7
    };
    const Case cases[] = {
        {taRightJustify, true, 200, 150, 150},
        {taCenter, true, 201, 75, 75},
        {taLeftJustify, true, 200, 0, 0},
        {taRightJustify, false, 0, 30, 7},
        {taCenter, false, 0, 30, 7},
        {taLeftJustify, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "alignment " << c.Alignment << (c.OnBand ? " on a band" : " on the report"));
        // A band of its own, off the report, keeps the width it is given.
        auto* band = new TKVBand(Doc.Form.get());
        band->SetBounds(0, 0, c.BandWidth, 40);
        TWinControl* parent = c.OnBand ? static_cast<TWinControl*>(band) : Doc.Report;
        auto* p = Place(parent, QStringLiteral("Alinhado"), 30, 5, 50, 20);
        p->SetAlignment(c.Alignment);
        p->SetAlignToBand(true);
        EXPECT_EQ(p->Left(), c.Left);
        ExpectInStep(p);
        p->SetLeft(7);
        EXPECT_EQ(p->Left(), c.Moved);
        ExpectInStep(p);
        p->Free();
        band->Free();
    }
}

TEST_F(PrintableTest, AControlFollowsItsBandWhenTheBandChangesWidth)
{
    auto* p = Place(Detail, QStringLiteral("Total"), 10, 5, 60, 20);
    p->SetAlignment(taRightJustify);
    p->SetAlignToBand(true);
    const int before = Detail->Width();
    EXPECT_EQ(p->Left(), before - 60);
    Doc.Report->Page()->SetRightMargin(Doc.Report->Page()->RightMargin() + 20);
    ASSERT_LT(Detail->Width(), before);
    EXPECT_EQ(p->Left(), Detail->Width() - 60);
    ExpectInStep(p);
}

TEST_F(PrintableTest, AnAlignedControlWhoseSizeChangesPrintsWhereItShows)
{
    // Aligning moves the control while its size applies a new width: the size takes the new
    // Left too, or the control would print where it was before.
    auto* p = Place(Detail, QStringLiteral("Total"), 10, 5, 60, 20);
    p->SetAlignment(taRightJustify);
    p->SetAlignToBand(true);
    p->Size()->SetUnits(kvunMM);
    p->Size()->SetWidth(30);
    EXPECT_EQ(p->Width(), static_cast<int>(Round(300 / (254.0L / 96))));
    EXPECT_EQ(p->Left(), Detail->Width() - p->Width());
    ExpectInStep(p);

    p->SetAlignment(taCenter);
    p->Size()->SetWidth(12.5L);
    EXPECT_EQ(p->Left(), (Detail->Width() - p->Width()) / 2);
    ExpectInStep(p);
}

TEST_F(PrintableTest, LengthsSetOnTheSizeStayAsGiven)
{
    // The bounds the size applies are whole pixels; they do not go back into the size.
    auto* p = Place(Detail, QStringLiteral("Texto"), 0, 0, 10, 10);
    p->Size()->SetUnits(kvunMM);
    p->Size()->SetLeft(10.33L);
    p->Size()->SetTop(2.71L);
    p->Size()->SetWidth(15.55L);
    p->Size()->SetHeight(4.44L);
    EXPECT_EQ(p->Size()->NativeValue(TKVPrintableSize::kvLeft), 103.3L);
    EXPECT_NEAR(static_cast<double>(p->Size()->Left()), 10.33, 1e-15);
    EXPECT_NEAR(static_cast<double>(p->Size()->Top()), 2.71, 1e-15);
    EXPECT_NEAR(static_cast<double>(p->Size()->Width()), 15.55, 1e-15);
    EXPECT_NEAR(static_cast<double>(p->Size()->Height()), 4.44, 1e-15);
    EXPECT_EQ(p->BoundsRect(), Bounds(39, 10, 59, 17)); // 39.04, 10.24, 58.77, 16.78 pixels
    EXPECT_EQ(p->Size()->GetUnits(), kvunMM);
}

// ---- placing ----------------------------------------------------------------------------------

TEST_F(PrintableTest, MovingBetweenBandsAndOntoTheReportKeepsThePixelPlace)
{
    Doc.Report->SetZoom(150);
    Doc.Report->SetUnits(kvunInches);
    auto* summary = Doc.Add<TKVBand>(QStringLiteral("Sumario"), rbSummary);
    auto* p = Place(Detail, QStringLiteral("Texto"), 37, 11, 90, 24);
    EXPECT_EQ(p->ParentReport(), Doc.Report);
    EXPECT_EQ(p->GetZoom(), 150);
    EXPECT_EQ(p->Size()->GetUnits(), kvunInches);
    ExpectInStep(p);

    p->SetParent(summary);
    EXPECT_EQ(p->BoundsRect(), Bounds(37, 11, 90, 24));
    ExpectInStep(p);

    p->SetParent(Doc.Report);
    EXPECT_EQ(p->BoundsRect(), Bounds(37, 11, 90, 24));
    EXPECT_EQ(p->Size()->GetUnits(), kvunInches);
    ExpectInStep(p);

    // The report's zoom reaches controls on the panel and on the bands.
    Doc.Report->SetZoom(100);
    EXPECT_EQ(p->GetZoom(), 100);
    EXPECT_EQ(p->Width(), 60);
}

TEST_F(PrintableTest, AControlOutlivesTheReportItLayOn)
{
    auto* p = new TKVPrintable(nullptr);
    p->SetParent(Detail);
    p->SetParent(nullptr);
    EXPECT_EQ(p->ParentReport(), Doc.Report);
    Doc.Form.reset();
    EXPECT_EQ(p->ParentReport(), nullptr);
    EXPECT_EQ(p->Size()->ParentReport(), nullptr);
    p->Prepare(); // no report to ask for a printer object
    EXPECT_EQ(p->Printer(), nullptr);
    p->Free();
}

// ---- reading ----------------------------------------------------------------------------------

TEST_F(PrintableTest, ReadingTakesTheStoredLengthsOrElseTheFilesPixels)
{
    struct Case {
        const char* Name;
        int Zoom;
        bool KeepValues;
        TRect Expected;
    };
    // The file's pixels are edited to 90, 12, 180, 30 in every case; the lengths are those of
    // 100, 12, 200, 30 at zoom 100.
    const Case cases[] = {
        {"lengths win over the pixels", 100, true, Bounds(100, 12, 200, 30)},
        {"lengths at the file's zoom", 150, true, Bounds(150, 18, 300, 45)},
        {"no lengths: the pixels stay", 100, false, Bounds(90, 12, 180, 30)},
        {"no lengths at zoom 150: the pixels stay", 150, false, Bounds(90, 12, 180, 30)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TReportDoc doc;
        auto* band = doc.Add<TKVBand>(QStringLiteral("Detalhe"), rbDetail);
        auto* p = new TKVPrintable(doc.Form.get());
        p->SetName(QStringLiteral("Texto"));
        p->SetParent(band);
        p->SetBounds(100, 12, 200, 30);
        doc.Report->SetZoom(c.Zoom);
        QString text = QString::fromLatin1(ToText(doc.Form.get()));
        const qsizetype objectAt = text.indexOf(QStringLiteral("object Texto: TKVPrintable"));
        ASSERT_GE(objectAt, 0) << text.toStdString();
        QString object = text.mid(objectAt);
        ASSERT_TRUE(object.contains(QStringLiteral("Size.Values = (")));
        object.replace(QRegularExpression(QStringLiteral("Left = \\d+")), QStringLiteral("Left = 90"));
        object.replace(QRegularExpression(QStringLiteral("Width = \\d+")), QStringLiteral("Width = 180"));
        object.replace(QRegularExpression(QStringLiteral("Top = \\d+")), QStringLiteral("Top = 12"));
        object.replace(QRegularExpression(QStringLiteral("Height = \\d+")), QStringLiteral("Height = 30"));
        if (!c.KeepValues)
            object.remove(QRegularExpression(QStringLiteral("\\s*Size\\.Values = \\([^)]*\\)")));
        text = text.left(objectAt) + object;

        TFormPtr read = FromText(text.toLatin1());
        auto* q = dynamic_cast<TKVPrintable*>(read->FindComponent(QStringLiteral("Texto")));
        ASSERT_NE(q, nullptr);
        EXPECT_EQ(q->GetZoom(), c.Zoom);
        EXPECT_EQ(q->BoundsRect(), c.Expected);
        ExpectInStep(q);
    }
}

TEST_F(PrintableTest, AReportWithPrintablesWritesBackTheBytesItWasReadFrom)
{
    Doc.Report->SetZoom(150);
    auto* p = Place<TTestPrintable>(Detail, QStringLiteral("Texto"), 33, 7, 101, 21);
    p->Frame()->SetDrawBottom(true);
    p->SetQuantidade(3);
    p->Linhas()->SetText(QStringLiteral("um\ndois"));
    p->SetEnabled(false);
    auto* q = Place(Doc.Report, QStringLiteral("Solto"), 5, 6, 7, 8);
    (void)q;
    const QByteArray bytes = WriteRes(Doc.Form.get());
    TFormPtr read = ReadRes(bytes);
    EXPECT_EQ(WriteRes(read.get()), bytes);
    auto* r = dynamic_cast<TTestPrintable*>(read->FindComponent(QStringLiteral("Texto")));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->BoundsRect(), Bounds(33, 7, 101, 21));
    EXPECT_FALSE(r->Enabled());
    EXPECT_TRUE(r->Frame()->DrawBottom());
    EXPECT_EQ(r->Linhas()->Text(), p->Linhas()->Text());
}

// ---- CopyFrom ---------------------------------------------------------------------------------

TEST_F(PrintableTest, CopyFromScalesThePixelsToTheZoomTruncating)
{
    struct Case {
        int Zoom;
        TRect Expected;
    };
    // The source holds 33, 3, 101, 21 at zoom 100.
    const Case cases[] = {
        {150, Bounds(49, 4, 151, 31)}, // 49.5, 4.5, 151.5, 31.5: never rounded up
        {50, Bounds(16, 1, 50, 10)},
        {100, Bounds(33, 3, 101, 21)},
        {300, Bounds(99, 9, 303, 63)},
    };
    TKVPrintable source(nullptr);
    source.SetBounds(33, 3, 101, 21);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Zoom);
        Doc.Report->SetZoom(c.Zoom);
        auto* p = Place(Detail, QStringLiteral("Copia"), 1, 1, 5, 5);
        p->CopyFrom(&source);
        EXPECT_EQ(p->BoundsRect(), c.Expected);
        ExpectInStep(p);
        p->Free();
    }
}

// Every property value of an object, sub-objects by their own properties, as text.
QString ValueText(const TPersistent* o, const TPropInfo& p)
{
    switch (p.Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkInt64:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet:
        return QString::number(p.GetOrd(o));
    case TTypeKind::tkFloat:
        return QString::number(static_cast<double>(p.GetFloat(o)), 'g', 17);
    case TTypeKind::tkString:
    case TTypeKind::tkMethod:
        return p.GetStr(o);
    case TTypeKind::tkComponent: {
        const auto* c = static_cast<const TComponent*>(p.GetObject(o));
        return c ? c->Name() : QStringLiteral("nil");
    }
    case TTypeKind::tkClass: {
        const TPersistent* sub = p.GetObject(o);
        if (const auto* strings = dynamic_cast<const TStrings*>(sub))
            return strings->Text();
        QStringList parts;
        for (const TPropInfo* q : sub->ClassType().Properties())
            parts << q->Name + QLatin1Char('=') + ValueText(sub, *q);
        return parts.join(QLatin1Char(';'));
    }
    }
    return {};
}

TEST_F(PrintableTest, CopyFromCopiesEveryStoredPropertyOfTheClass)
{
    auto* dest = Place<TTestPrintable>(Detail, QStringLiteral("Destino"), 1, 2, 3, 4);
    auto* source = new TTestPrintable(Doc.Form.get());
    source->SetName(QStringLiteral("Origem"));
    source->SetBounds(10, 20, 30, 40);
    source->Frame()->SetColor(clRed);
    source->Frame()->SetDrawTop(true);
    source->Frame()->SetDrawBottom(true);
    source->Frame()->SetDrawLeft(true);
    source->Frame()->SetDrawRight(true);
    source->Frame()->SetStyle(psDot);
    source->Frame()->SetWidth(3);
    source->SetTag(7);
    source->SetHelpContext(12);
    source->SetHint(QStringLiteral("dica"));
    source->SetCursor(crHandPoint);
    source->SetColor(clYellow);
    source->Font()->SetName(QStringLiteral("Courier New"));
    source->Font()->SetSize(14);
    source->Font()->SetStyle({fsBold});
    source->Font()->SetColor(clBlue);
    source->SetTransparentValue(false);
    source->SetAlignment(taCenter);
    source->SetAlignToBand(true);
    source->SetCaption(QStringLiteral("Texto"));
    source->SetQuantidade(5);
    source->SetFator(2.5L);
    source->Linhas()->SetText(QStringLiteral("a\nb"));
    source->SetVinculo(Detail);
    source->SetEnabled(false);
    source->OnAlterado.MethodName = QStringLiteral("TextoAlterado");
    source->OnMouseDown.MethodName = QStringLiteral("ObjetoMouseDown");
    source->OnMouseMove.MethodName = QStringLiteral("ObjetoMouseMove");
    source->OnMouseUp.MethodName = QStringLiteral("ObjetoMouseUp");
    // What undo leaves as it is.
    source->SetRotacao(rotacao_090);
    source->SetStrPreencheRodape(QStringLiteral("*"));
    source->OnPrint.MethodName = QStringLiteral("TextoPrint");
    source->SetRemoveBlankLines(true);
    source->SetVisible(false);

    TTestPrintable fresh(nullptr);
    dest->CopyFrom(source);

    const QStringList notCopied = {QStringLiteral("Rotacao"), QStringLiteral("StrPreencheRodape"),
                                   QStringLiteral("OnPrint"), QStringLiteral("RemoveBlankLines")};
    const QStringList placed = {QStringLiteral("Name"), QStringLiteral("Left"), QStringLiteral("Top"),
                                QStringLiteral("Width"), QStringLiteral("Height"), QStringLiteral("Size")};
    for (const TPropInfo* prop : TTestPrintable::StaticClass().Properties()) {
        SCOPED_TRACE(prop->Name.toStdString());
        if (placed.contains(prop->Name))
            continue;
        // The source differs from a new control in every property, so each one is put to the test.
        EXPECT_NE(ValueText(source, *prop), ValueText(&fresh, *prop));
        if (notCopied.contains(prop->Name))
            EXPECT_EQ(ValueText(dest, *prop), ValueText(&fresh, *prop));
        else
            EXPECT_EQ(ValueText(dest, *prop), ValueText(source, *prop));
    }
    EXPECT_FALSE(dest->Visible());
    EXPECT_FALSE(dest->ParentFont());
    // Centred on the band, as the copied alignment asks.
    EXPECT_EQ(dest->Left(), (Detail->Width() - 30) / 2);
    EXPECT_EQ(dest->Top(), 20);
    ExpectInStep(dest);
    source->Free();
}

TEST_F(PrintableTest, UndoRestoresAControlFromItsStreamedCopy)
{
    Doc.Report->SetZoom(150);
    auto* p = Place<TTestPrintable>(Detail, QStringLiteral("Texto"), 60, 30, 150, 45);
    p->Frame()->SetDrawLeft(true);
    p->SetQuantidade(4);
    p->SetHint(QStringLiteral("antes"));
    p->Linhas()->SetText(QStringLiteral("linha"));

    // The step: the control streamed and read back without a parent, as undo keeps it.
    TMemoryStream stream;
    {
        TWriter writer(stream);
        writer.WriteDescendent(p);
    }
    stream.SetPosition(0);
    TFormPtr scratch(new TTestForm(nullptr));
    TTestPrintable* copy = nullptr;
    {
        TReader reader(stream);
        reader.IgnoreUnresolvedReferences = true;
        reader.ReadComponents(scratch.get(), nullptr, [&](TComponent* c) { copy = dynamic_cast<TTestPrintable*>(c); });
    }
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Parent(), nullptr);
    EXPECT_EQ(copy->BoundsRect(), Bounds(40, 20, 100, 30)); // its lengths at zoom 100

    p->SetBounds(5, 6, 70, 80);
    p->Frame()->SetDrawLeft(false);
    p->Frame()->SetWidth(4);
    p->SetQuantidade(9);
    p->SetHint(QStringLiteral("depois"));
    p->Linhas()->Clear();
    p->SetTag(3);

    p->CopyFrom(copy);
    EXPECT_EQ(p->BoundsRect(), Bounds(60, 30, 150, 45));
    EXPECT_TRUE(p->Frame()->DrawLeft());
    EXPECT_EQ(p->Frame()->Width(), 1);
    EXPECT_EQ(p->Quantidade(), 4);
    EXPECT_EQ(p->Hint(), QStringLiteral("antes"));
    EXPECT_EQ(p->Linhas()->Text(), QStringLiteral("linha\r\n"));
    EXPECT_EQ(p->Tag(), 0);
    ExpectInStep(p);
    p->CopyFrom(nullptr);
    p->CopyFrom(p);
    EXPECT_EQ(p->BoundsRect(), Bounds(60, 30, 150, 45));
    EXPECT_TRUE(p->Visible());
}

// ---- the run and the design view -----------------------------------------------------------

TEST_F(PrintableTest, PrepareAndUnprepareMarkTheRun)
{
    auto* p = Place(Detail, QStringLiteral("Texto"), 0, 0, 10, 10);
    p->Prepare();
    EXPECT_TRUE(p->Printing());
    EXPECT_EQ(p->Printer(), Doc.Report->RunPrinter()); // none outside a run
    p->Unprepare();
    EXPECT_FALSE(p->Printing());
    EXPECT_EQ(p->Printer(), nullptr);
    p->Frame()->SetDrawTop(true);
    p->Print(0, 0); // no printer object: nothing to draw on, and no failure
}

QImage White(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

bool Dark(const QImage& img, int x, int y)
{
    return qGray(img.pixel(x, y)) < 128;
}

TEST_F(PrintableTest, TheFrameIsDrawnOnThePageAtThePrinterObjectsUnits)
{
    auto* p = Place<TTestPrintable>(Detail, QStringLiteral("Caixa"), 0, 0, 10, 10);
    p->Size()->SetUnits(kvunNative);
    p->Size()->SetLeft(100);
    p->Size()->SetTop(200);
    p->Size()->SetWidth(500);
    p->Size()->SetHeight(300);
    p->Frame()->SetDrawTop(true);
    p->Frame()->SetDrawRight(true);

    TKVPrinter printer;
    printer.SetPaperSize(TKVPaperSize::A4);
    printer.SetOrientation(TPrinterOrientation::poPortrait);
    printer.SetDestination(kvpdMetafile);
    printer.BeginDoc();
    printer.NewPage();
    p->PrintFrame(printer, 50, 70); // the band's place on the page
    printer.EndDoc();

    const int w = printer.XSize(printer.PaperWidth());
    const int h = printer.YSize(printer.PaperLength());
    QImage page = White(w, h);
    {
        QPainter painter(&page);
        TPainterCanvas canvas(&painter, TDeviceCaps{96, 96, w, h});
        const auto recorded = printer.GetPage(1);
        ASSERT_TRUE(recorded);
        recorded->Play(canvas, TRect{0, 0, w, h});
    }
    const int left = printer.XPos(150), top = printer.YPos(270);
    const int right = printer.XPos(650), bottom = printer.YPos(570);
    EXPECT_EQ(left, 57);
    EXPECT_EQ(top, 102);
    // Top and right sides, one line each at 96 per inch (a point is 1.33 pixels there).
    EXPECT_TRUE(Dark(page, (left + right) / 2, top));
    EXPECT_FALSE(Dark(page, (left + right) / 2, top + 2));
    EXPECT_TRUE(Dark(page, right, (top + bottom) / 2));
    EXPECT_FALSE(Dark(page, right - 2, (top + bottom) / 2));
    EXPECT_FALSE(Dark(page, left, (top + bottom) / 2)) << "no left side";
    EXPECT_FALSE(Dark(page, (left + right) / 2, bottom)) << "no bottom side";
}

TEST(PrintableRun, TheFramePrintsAtItsBandsPlaceOnThePage)
{
    TRunDoc doc;
    TKVBand* detail = doc.Band(QStringLiteral("Detalhe"), rbDetail, 200);
    auto* box = new TKVPrintable(doc.Form.get());
    box->SetName(QStringLiteral("Caixa"));
    box->SetParent(detail);
    box->Size()->SetUnits(kvunNative);
    box->Size()->SetLeft(100);
    box->Size()->SetTop(20);
    box->Size()->SetWidth(500);
    box->Size()->SetHeight(60);
    for (int side = 0; side < 4; ++side)
        box->Frame()->SetDrawSide(side, true);
    // While the band prints, the control is prepared and holds the run's printer object.
    TProbe* probe = nullptr;
    for (int i = 0; i < detail->ControlCount(); ++i)
        if (auto* p = dynamic_cast<TProbe*>(detail->Controls(i)))
            probe = p;
    ASSERT_NE(probe, nullptr);
    bool printing = false;
    const TKVPrinter* held = nullptr;
    const TKVPrinter* running = nullptr;
    probe->OnPrinted = [&] {
        printing = box->Printing();
        held = box->Printer();
        running = doc.Report->RunPrinter();
    };
    bool looked = false;
    doc.RunPreview([&](TKVPrinter& printer) {
        const TPrintRecord* band = doc.Find(QStringLiteral("Detalhe"));
        ASSERT_NE(band, nullptr);
        EXPECT_EQ(running, &printer);
        const int w = printer.XSize(printer.PaperWidth());
        const int h = printer.YSize(printer.PaperLength());
        QImage page = White(w, h);
        {
            QPainter painter(&page);
            TPainterCanvas canvas(&painter, TDeviceCaps{96, 96, w, h});
            const auto recorded = printer.GetPage(1);
            ASSERT_TRUE(recorded);
            recorded->Play(canvas, TRect{0, 0, w, h});
        }
        const int left = printer.XPos(band->X + 100), right = printer.XPos(band->X + 600);
        const int top = printer.YPos(band->Y + 20), bottom = printer.YPos(band->Y + 80);
        const int midX = (left + right) / 2, midY = (top + bottom) / 2;
        EXPECT_TRUE(Dark(page, midX, top));
        EXPECT_TRUE(Dark(page, midX, bottom));
        EXPECT_TRUE(Dark(page, left, midY));
        EXPECT_TRUE(Dark(page, right, midY));
        EXPECT_FALSE(Dark(page, midX, midY));
        EXPECT_FALSE(Dark(page, midX, top - 3));
        EXPECT_FALSE(Dark(page, left - 3, midY));
        looked = true;
    });
    EXPECT_TRUE(looked);
    EXPECT_TRUE(printing);
    EXPECT_NE(held, nullptr);
    EXPECT_EQ(held, running);
    EXPECT_FALSE(box->Printing());
    EXPECT_EQ(box->Printer(), nullptr);
}

TEST_F(PrintableTest, TheDesignViewShowsColourCornerMarksAndFrame)
{
    struct Case {
        bool Transparent;
        bool FrameTop;
    };
    for (const Case c : {Case{true, false}, Case{false, false}, Case{false, true}}) {
        SCOPED_TRACE(testing::Message() << "transparent " << c.Transparent << " frame " << c.FrameTop);
        auto* p = Place(Detail, QStringLiteral("Vista"), 0, 0, 40, 30);
        p->SetColor(clYellow);
        p->SetTransparent(c.Transparent);
        p->Frame()->SetDrawTop(c.FrameTop);
        QImage img(40, 30, QImage::Format_RGB32);
        img.fill(Qt::gray);
        {
            TImageCanvas canvas(img);
            p->Paint(canvas);
        }
        const QRgb inside = img.pixel(20, 15);
        EXPECT_EQ(inside, c.Transparent ? QColor(Qt::gray).rgb() : qRgb(255, 255, 0));
        // The four corners: three pixels each way from the corner, black.
        for (const TPoint pt : {Point(0, 0), Point(0, 4), Point(3, 0), Point(0, 29), Point(0, 25), Point(3, 29),
                                Point(39, 0), Point(35, 0), Point(39, 3), Point(39, 29), Point(35, 29), Point(39, 26)})
            EXPECT_EQ(img.pixel(pt.X, pt.Y), qRgb(0, 0, 0)) << pt.X << "," << pt.Y;
        EXPECT_NE(img.pixel(0, 6), qRgb(0, 0, 0));
        EXPECT_EQ(img.pixel(20, 0) == qRgb(0, 0, 0), c.FrameTop);
        p->Free();
    }
}

// ---- font cache -------------------------------------------------------------------------------

TEST(KVResourceManager, ResourceHashRotatesLeftByFiveAndXorsEachByte)
{
    struct Case {
        std::vector<std::uint8_t> Bytes;
        std::uint16_t Hash;
    };
    const Case cases[] = {
        {{}, 0},
        {{0x01}, 0x0001},
        {{0x01, 0x02}, 0x0022},
        {{0xFF, 0xFF}, 0x1F1F},
        {{0x80, 0x00, 0x00, 0x00}, 0x0040}, // the bits leaving at the top come back at the bottom
        {{0x00, 0x20}, 0x0020},
        {{0x01, 0x00}, 0x0020},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResourceHash(c.Bytes.data(), c.Bytes.size()), c.Hash) << c.Bytes.size();
}

TEST(KVResourceManager, EqualRecordsShareOneEntryWhoseHandleGoesOnceWithTheLastHolder)
{
    std::vector<std::uint32_t> deleted;
    TKVResourceManager cache(sizeof(TKVFontRecord), [&deleted](std::uint32_t h) { deleted.push_back(h); });
    const TKVFontRecord arial = MakeFontRecord(77, -13, fpDefault, {fsBold}, DEFAULT_CHARSET, QStringLiteral("Arial"));
    const TKVFontRecord again = MakeFontRecord(77, -13, fpDefault, {fsBold}, DEFAULT_CHARSET, QStringLiteral("Arial"));
    TKVResourceEntry* a = cache.Acquire(&arial);
    TKVResourceEntry* b = cache.Acquire(&again);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->RefCount, 2);
    EXPECT_EQ(a->Handle, 77u);
    EXPECT_EQ(a->HashCode, ResourceHash(&arial, sizeof arial));
    EXPECT_EQ(cache.Count(), 1);

    const TKVFontRecord italic = MakeFontRecord(78, -13, fpDefault, {fsItalic}, DEFAULT_CHARSET, QStringLiteral("Arial"));
    TKVResourceEntry* c = cache.Acquire(&italic);
    EXPECT_NE(c, a);
    EXPECT_EQ(cache.Head(), c);
    EXPECT_EQ(cache.Count(), 2);

    cache.Release(a);
    EXPECT_TRUE(deleted.empty());
    cache.Release(b);
    EXPECT_EQ(deleted, std::vector<std::uint32_t>{77});
    EXPECT_EQ(cache.Count(), 1);
    cache.Release(a); // already gone: ignored
    cache.Release(nullptr);
    EXPECT_EQ(deleted, std::vector<std::uint32_t>{77});
    EXPECT_EQ(cache.Head(), c);
}

TEST(KVResourceManager, RecordsWithTheSameHashAreToldApartByTheirBytes)
{
    std::vector<std::uint32_t> deleted;
    TKVResourceManager cache(2, [&deleted](std::uint32_t h) { deleted.push_back(h); });
    const std::uint8_t first[2] = {0x00, 0x20};
    const std::uint8_t second[2] = {0x01, 0x00};
    ASSERT_EQ(ResourceHash(first, 2), ResourceHash(second, 2));
    TKVResourceEntry* a = cache.Acquire(first);
    TKVResourceEntry* b = cache.Acquire(second);
    EXPECT_NE(a, b);
    EXPECT_EQ(a->RefCount, 1);
    EXPECT_EQ(b->Handle, 0u); // records shorter than a handle carry none
    cache.Release(a);
    cache.Release(b);
    EXPECT_TRUE(deleted.empty());
    EXPECT_EQ(cache.Count(), 0);
}

TEST(KVResourceManager, EntriesStillHeldGoWithTheCache)
{
    std::vector<std::uint32_t> deleted;
    {
        TKVResourceManager cache(sizeof(TKVFontRecord), [&deleted](std::uint32_t h) { deleted.push_back(h); });
        const TKVFontRecord r = MakeFontRecord(5, 0, fpFixed, {}, ANSI_CHARSET, QStringLiteral("Courier New"));
        cache.Acquire(&r);
        cache.Acquire(&r);
    }
    EXPECT_EQ(deleted, std::vector<std::uint32_t>{5});
}

TEST(KVResourceManager, HoldersOnSeveralThreadsKeepTheCountsRight)
{
    std::atomic<int> deleted{0};
    TKVResourceManager cache(sizeof(TKVFontRecord), [&deleted](std::uint32_t) { ++deleted; });
    std::vector<TKVFontRecord> records;
    for (int i = 0; i < 4; ++i)
        records.push_back(MakeFontRecord(100 + i, -10 - i, fpDefault, {}, DEFAULT_CHARSET, QStringLiteral("Arial")));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&cache, &records, t] {
            for (int n = 0; n < 500; ++n) {
                TKVResourceEntry* e = cache.Acquire(&records[static_cast<size_t>((t + n) % 4)]);
                cache.Release(e);
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_GE(deleted.load(), 4);
}

TEST(KVResourceManager, AFontRecordIsItsBytesWithNothingLeftToChance)
{
    const TKVFontRecord r = MakeFontRecord(0, 0, fpDefault, {}, DEFAULT_CHARSET, QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(sizeof r, 44u); // handle, height, pitch, style, charset, 32 bytes of name, one of padding
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&r);
    EXPECT_EQ(bytes[8], fpDefault);
    EXPECT_EQ(bytes[10], DEFAULT_CHARSET);
    EXPECT_EQ(bytes[11], 13);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(bytes + 12), 13), QByteArray("MS Sans Serif"));
    EXPECT_EQ(bytes[sizeof r - 1], 0);
    const TKVFontRecord longName =
        MakeFontRecord(0, 0, fpDefault, {}, DEFAULT_CHARSET, QString(40, QLatin1Char('x')));
    EXPECT_EQ(longName.Name[0], 31);
}

TEST_F(PrintableTest, TheReportHoldsTheDefaultFontForItsLife)
{
    TKVResourceManager* cache = Doc.Report->FontCache();
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(cache->RecordSize(), sizeof(TKVFontRecord));
    ASSERT_EQ(cache->Count(), 1);
    const TKVResourceEntry* e = cache->Head();
    EXPECT_EQ(e->RefCount, 1);
    EXPECT_EQ(e->Handle, 0u);
    const TKVFontRecord expected = MakeFontRecord(0, 0, fpDefault, {}, DEFAULT_CHARSET, QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(e->Data, std::vector<std::uint8_t>(reinterpret_cast<const std::uint8_t*>(&expected),
                                                 reinterpret_cast<const std::uint8_t*>(&expected) + sizeof expected));
}

// ---- text services ----------------------------------------------------------------------------

TEST_F(PrintableTest, TextIsMeasuredOnTheScreensDeviceWithOneExtraPixelOfWidth)
{
    TFont font;
    font.SetName(QStringLiteral("Arial"));
    font.SetSize(10);
    EXPECT_EQ(Doc.Report->TextWidth(&font, QString()), 1);
    EXPECT_GT(Doc.Report->TextHeight(&font, QStringLiteral("W")), 0);
    EXPECT_EQ(Doc.Report->TextWidth(nullptr, QStringLiteral("W")), 0);
    EXPECT_EQ(Doc.Report->TextHeight(nullptr, QStringLiteral("W")), 0);

    // Exact metrics: 10 points are 13 pixels at 96 per inch, each character 0.6 of that wide.
    TTextMetricsGuard fake(std::make_shared<TFakeTextMetrics>(0.6));
    EXPECT_EQ(Doc.Report->TextWidth(&font, QStringLiteral("Hello")), 5 * 8 + 1);
    EXPECT_EQ(Doc.Report->TextWidth(&font, QString()), 1);
    EXPECT_EQ(Doc.Report->TextHeight(&font, QStringLiteral("Hello")), 12 + 4); // one line, whatever the text
    EXPECT_EQ(Doc.Report->TextHeight(&font, QString()), 16);
    // A font made for a 600 dpi printer is measured at the screen's resolution all the same.
    TFont printerFont;
    printerFont.SetPixelsPerInch(600);
    printerFont.Assign(&font);
    EXPECT_EQ(Doc.Report->TextWidth(&printerFont, QStringLiteral("Hello")), 41);
}

// A device that notes where text is put, in device units.
class TRecordingCanvas : public TCanvas {
public:
    struct Text {
        int X, Y;
        int Escapement;
        QString Value;
    };
    std::vector<Text> Texts;
    TDeviceCaps DeviceCaps() const override { return TDeviceCaps{96, 96, 2000, 2000}; }

protected:
    void DevPolyline(const QPolygon&, const TDcState&) override {}
    void DevPolygon(const QPolygon&, const TDcState&) override {}
    void DevRectangle(const TRect&, const TDcState&) override {}
    void DevEllipse(const TRect&, const TDcState&) override {}
    void DevRoundRect(const TRect&, int, int, const TDcState&) override {}
    void DevFillRect(const TRect&, const TDcState&) override {}
    void DevTextOut(int x, int y, unsigned, const TRect*, const QString& text, const std::vector<int>&,
                    const TDcState& st) override
    {
        Texts.push_back({x, y, st.Font.Escapement, text});
    }
    void DevStretchDIBits(const TRect&, const TRect&, const QImage&, const TDcState&) override {}
};

TEST_F(PrintableTest, RotatedTextStartsWhereTheTurnedBlockCoversItsExtent)
{
    struct Case {
        TKVRotacao Rotation;
        TPoint Start;
        int Escapement;
    };
    // Pt (50, 60), R = (0, 0, 300, 40): 300 along the text, 40 across its lines.
    const Case cases[] = {
        {rotacao_000, Point(50, 60), 0},
        {rotacao_090, Point(50, 360), 900},
        {rotacao_180, Point(350, 100), 1800},
        {rotacao_270, Point(90, 60), 2700},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Rotation);
        TRecordingCanvas canvas;
        canvas.Font()->SetName(QStringLiteral("Arial"));
        canvas.Font()->SetSize(12);
        canvas.Font()->SetStyle({fsItalic});
        Doc.Report->TextOutRotated(Point(50, 60), Rect(0, 0, 300, 40), QStringLiteral("Texto"), &canvas,
                                   canvas.Font(), c.Rotation);
        ASSERT_EQ(canvas.Texts.size(), 1u);
        EXPECT_EQ(canvas.Texts[0].X, c.Start.X);
        EXPECT_EQ(canvas.Texts[0].Y, c.Start.Y);
        EXPECT_EQ(canvas.Texts[0].Escapement, c.Escapement);
        EXPECT_EQ(canvas.Texts[0].Value, QStringLiteral("Texto"));
        EXPECT_EQ(canvas.Font()->Orientation(), c.Escapement);
        EXPECT_EQ(canvas.Font()->Size(), 12);
        EXPECT_EQ(canvas.Font()->Style(), TFontStyles{fsItalic});
    }
}

TEST_F(PrintableTest, RotatedTextInksTheBlockItWasGiven)
{
    // Drawn for real: in each rotation the ink lies inside the block at Pt, which is R turned.
    for (const TKVRotacao rotation : {rotacao_000, rotacao_090, rotacao_180, rotacao_270}) {
        SCOPED_TRACE(rotation);
        QImage img = White(400, 400);
        TImageCanvas canvas(img);
        canvas.SetBkMode(TRANSPARENT);
        canvas.Font()->SetName(QStringLiteral("Arial"));
        canvas.Font()->SetSize(20);
        canvas.Font()->SetStyle({fsBold});
        const QString text = QStringLiteral("HHHHH");
        const int along = canvas.TextWidth(text);
        const int across = canvas.TextHeight(text);
        const TPoint pt = Point(100, 120);
        Doc.Report->TextOutRotated(pt, Rect(0, 0, along, across), text, &canvas, canvas.Font(), rotation);
        const bool upright = rotation == rotacao_000 || rotation == rotacao_180;
        const TRect block = Bounds(pt.X, pt.Y, upright ? along : across, upright ? across : along);
        int inkLeft = 400, inkTop = 400, inkRight = -1, inkBottom = -1;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (Dark(img, x, y)) {
                    inkLeft = std::min(inkLeft, x);
                    inkTop = std::min(inkTop, y);
                    inkRight = std::max(inkRight, x);
                    inkBottom = std::max(inkBottom, y);
                }
        ASSERT_GE(inkRight, 0) << "nothing drawn";
        EXPECT_GE(inkLeft, block.Left - 1);
        EXPECT_GE(inkTop, block.Top - 1);
        EXPECT_LE(inkRight, block.Right);
        EXPECT_LE(inkBottom, block.Bottom);
        // The letters run along the block's long side.
        const int inkAlong = upright ? inkRight - inkLeft : inkBottom - inkTop;
        EXPECT_GT(inkAlong, along * 8 / 10);
    }
}

TEST_F(PrintableTest, AFaceNameLongerThanALogicalFontHoldsStaysWhole)
{
    TRecordingCanvas canvas;
    const QString face = QStringLiteral("A Very Long Face Name That Goes On And On");
    canvas.Font()->SetName(face);
    Doc.Report->TextOutRotated(Point(0, 0), Rect(0, 0, 10, 10), QStringLiteral("x"), &canvas, canvas.Font(),
                               rotacao_090);
    EXPECT_EQ(canvas.Font()->Name(), face);
    EXPECT_EQ(canvas.Font()->Orientation(), 900);
    // Another font than the canvas's is the one the text is drawn with.
    TFont other;
    other.SetName(QStringLiteral("Arial"));
    other.SetSize(30);
    Doc.Report->TextOutRotated(Point(0, 0), Rect(0, 0, 10, 10), QStringLiteral("y"), &canvas, &other, rotacao_270);
    EXPECT_EQ(canvas.Font()->Name(), QStringLiteral("Arial"));
    EXPECT_EQ(canvas.Font()->Size(), 30);
    EXPECT_EQ(canvas.Texts.back().Escapement, 2700);
}

} // namespace
