// Drawing: geometry at the canvas's resolution, rotation, human-readable texts, the returned size
// and what the canvas is left with.

#include "BarcodeTestUtil.h"

#include "barcode/LLBarcode.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

#include <gtest/gtest.h>

#include <string>

using namespace tessiv;
using bartest::TRecordingCanvas;

namespace {

TSize Draw(TLLBarcode& Barcode, TCanvas& Canvas, int X = 0, int Y = 0)
{
    TSize Size;
    Barcode.DrawBarcode(Canvas, X, Y, Size);
    return Size;
}

TEST(ModuleWidth, FollowsTheSizeClassAndHalvesForHighDensity)
{
    const double Widths[] = {0.27, 0.297, 0.33, 0.363, 0.396, 0.445, 0.495, 0.544, 0.61, 0.66};
    TLLBarcode Barcode;
    for (int Size = 0; Size < 10; ++Size) {
        Barcode.Params().ModuleWidth = btCodeSizes(Size);
        Barcode.Params().HighDensity = false;
        EXPECT_DOUBLE_EQ(Barcode.ModuleWidthMM(), Widths[Size]);
        Barcode.Params().HighDensity = true;
        EXPECT_DOUBLE_EQ(Barcode.ModuleWidthMM(), Widths[Size] / 2);
    }
    Barcode.Params().HighDensity = false;
    Barcode.Params().ModuleWidth = btCodeSizes(12);
    EXPECT_DOUBLE_EQ(Barcode.ModuleWidthMM(), 0.33);
}

TEST(FormatCode25iPText, GroupsFourteenAndTwelveDigits)
{
    EXPECT_EQ(FormatCode25iPText("12345678901234"), "12345.678.901.23   4");
    EXPECT_EQ(FormatCode25iPText("123456789012"), "12.34567   8901   2");
    EXPECT_EQ(FormatCode25iPText("123456789012", 5), "12.345   678901   2");
    EXPECT_EQ(FormatCode25iPText("1234567890"), "1234567890");
    EXPECT_EQ(FormatCode25iPText(""), "");
}

struct SizeCase {
    btCodeTypes Type;
    btCodeSizes ModuleWidth;
    bool HighDensity;
    int Dpi;
    int ModPx;
    int Quiet;  // modules of quiet zone on each side
    int BarH;
};

class SizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeTest, WidthHeightAndBarsFollowTheRoundedModule)
{
    const SizeCase& C = GetParam();
    TLLBarcode Barcode;
    Barcode.Params().CodeType = C.Type;
    Barcode.Params().ModuleWidth = C.ModuleWidth;
    Barcode.Params().HighDensity = C.HighDensity;
    TRecordingCanvas Canvas(C.Dpi);
    const TSize Size = Draw(Barcode, Canvas, 100, 200);
    const int Count = Barcode.ModuleCount();
    const int Quiet = C.Quiet * C.ModPx;
    EXPECT_EQ(Size.cx, Quiet + (Count - 1) * C.ModPx + Quiet + C.ModPx + 1);
    const int Th = Canvas.TextHeight(QStringLiteral("Ay"));
    const bool EANFamily = C.Type == EAN_8 || C.Type == EAN_13 || C.Type == UPC_A || C.Type == UPC_E;
    EXPECT_EQ(Size.cy, Th + int(Round(EANFamily ? 0.9336 * C.BarH : C.BarH)) + 1);

    // The first bar: guard bars (and all bars of other types) are full height.
    ASSERT_FALSE(Canvas.Fills.empty());
    EXPECT_EQ(Canvas.Fills.front().Left, 100 + Quiet);
    EXPECT_EQ(Canvas.Fills.front().Top, 200);
    EXPECT_EQ(Canvas.Fills.front().Bottom, 200 + C.BarH);
    // One fill per bar, each a whole number of modules wide.
    int Runs = 0;
    for (int I = 1; I <= Count; ++I)
        Runs += Barcode.Module(I) && (I == 1 || !Barcode.Module(I - 1));
    EXPECT_EQ(int(Canvas.Fills.size()), Runs);
    for (const TRect& R : Canvas.Fills)
        EXPECT_EQ((R.Left - 100 - Quiet) % C.ModPx, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SizeTest,
    ::testing::Values(SizeCase{EAN_13, SC2, false, 96, 1, 10, 74},   // width 116
                      SizeCase{EAN_13, SC2, false, 600, 8, 10, 594}, // width 921
                      SizeCase{UPC_A, SC9, false, 300, 8, 10, 594},
                      SizeCase{EAN_8, SC2, false, 203, 3, 0, 169},
                      SizeCase{CODE39, SC0, true, 72, 1, 0, 56}, // 0.135 mm is less than a unit: one unit
                      SizeCase{CODE128_B, SC4, false, 600, 9, 0, 506}));

TEST(Drawing, EAN13WidthsAtScreenAndPrinterResolution)
{
    TLLBarcode Barcode;
    Barcode.Params().CodeType = EAN_13;
    TRecordingCanvas Screen(96), Printer(600);
    EXPECT_EQ(Draw(Barcode, Screen).cx, 116);
    EXPECT_EQ(Draw(Barcode, Printer).cx, 921);
}

TEST(Drawing, DigitBarsEndAboveTheGuardBarsAndTheTextFollowsThem)
{
    struct Case {
        int HeightPercent;
        int GuardBottom;
        int DataBottom;
    };
    // EAN-13 at 96 dpi: bar height 74, digits end at round(0.917 * 74) = 68.
    for (const Case C : {Case{100, 74, 68}, Case{50, 37, 31}, Case{200, 148, 142}, Case{20, 15, 9}}) {
        TLLBarcode Barcode;
        Barcode.Params().CodeType = EAN_13;
        Barcode.Params().HeightPercent = C.HeightPercent;
        TRecordingCanvas Canvas(96);
        Draw(Barcode, Canvas);
        // Module 1 is a guard bar; module 5 starts the second digit's region (data).
        ASSERT_GE(Canvas.Fills.size(), 4u);
        EXPECT_EQ(Canvas.Fills[0].Bottom, C.GuardBottom) << C.HeightPercent;
        EXPECT_EQ(Canvas.Fills[2].Bottom, C.DataBottom) << C.HeightPercent;
        ASSERT_EQ(Canvas.Texts.size(), 3u);
        for (const auto& T : Canvas.Texts)
            EXPECT_EQ(T.Y, C.DataBottom) << C.HeightPercent;
    }
}

struct TextCase {
    btCodeTypes Type;
    const char* Text;
    const char* Addon;
    std::vector<std::pair<QString, int>> Texts; // text and the module its centre is at (0: quiet zone)
};

TEST(Drawing, HumanReadableTexts)
{
    const TextCase Cases[] = {
        {EAN_8, "4711", "", {{"4711", 18}, {"0007", 50}}},
        {EAN_13, "590123412345", "", {{"5", 0}, {"901234", 25}, {"123457", 72}}},
        {EAN_13, "590123412345", "12", {{"5", 0}, {"901234", 25}, {"123457", 72}, {"12", 115}}},
        {EAN_13, "590123412345", "52495", {{"5", 0}, {"901234", 25}, {"123457", 72}, {"52495", 128}}},
        {UPC_A, "03600029145", "", {{"0", 0}, {"36000", 25}, {"29145", 72}, {"2", -1}}},
        {UPC_E, "123456", "", {{"123456", 25}}},
        {CODE39, "ab-1", "", {{"AB-1", 48}}},
        {Codabar, "b45", "", {{"45", -2}}},
        {CODE128_C, "12345", "", {{"12345", -2}}},
        {CODE128_A, "Ab", "", {{"A ", -2}}},
        {CODE25i, "123", "", {{"1236", -2}}},
        {CODE25iP, "12345678901234", "", {{"12345.678.901.23   4", -2}}},
        {MSI_Plessey, "1234", "", {{"12344", -2}}},
    };
    for (const TextCase& C : Cases) {
        TLLBarcode Barcode;
        Barcode.Params().CodeType = C.Type;
        Barcode.Params().SetText(C.Text);
        Barcode.Params().SetAddon(C.Addon);
        TRecordingCanvas Canvas(300);
        const int X = 50, Y = 70;
        Draw(Barcode, Canvas, X, Y);
        const int ModPx = 4; // 0.33 mm at 300 dpi
        const bool EANUPC = C.Type == EAN_13 || C.Type == UPC_A;
        const int Quiet = EANUPC ? 10 * ModPx : 0;
        ASSERT_EQ(Canvas.Texts.size(), C.Texts.size()) << C.Text;
        for (std::size_t I = 0; I < C.Texts.size(); ++I) {
            const auto& T = Canvas.Texts[I];
            EXPECT_EQ(T.Text, C.Texts[I].first) << C.Text;
            EXPECT_EQ(T.Align, TA_CENTER | TA_TOP);
            EXPECT_EQ(T.Face, QStringLiteral("Arial"));
            const int Module = C.Texts[I].second;
            int Expected = 0;
            if (Module > 0)
                Expected = X + Quiet + (Module - 1) * ModPx;
            else if (Module == 0)
                Expected = X + Quiet / 2;
            else if (Module == -1) // right quiet zone
                Expected = X + Quiet + 94 * ModPx + ModPx + Quiet / 2;
            else
                Expected = X + Quiet + (Barcode.ModuleCount() / 2 - 1) * ModPx;
            EXPECT_EQ(T.X, Expected) << C.Text << " " << T.Text.toStdString();
        }
        // An add-on's digits stand above its bars, at the top.
        if (*C.Addon)
            EXPECT_EQ(Canvas.Texts.back().Y, Y);
    }
}

TEST(Drawing, WithoutHumanReadableNoTextAndNoRoomForIt)
{
    struct Case {
        btCodeTypes Type;
        int Height; // at 203 dpi: the full bar height + 1
    };
    // SC2 at 203 dpi is 3 units: bars of round(74.24 * 3) and round(56.24 * 3); Postnet and FIM
    // bars of round(3.175 * 203 / 25.4) and round(15.875 * 203 / 25.4).
    for (const Case C : {Case{EAN_13, 224}, Case{CODE39, 170}, Case{Postnet, 26}, Case{Postnet_FIM, 128}}) {
        TLLBarcode Barcode;
        Barcode.Params().CodeType = C.Type;
        TRecordingCanvas With(203), Without(203);
        const TSize A = Draw(Barcode, With);
        Barcode.Params().HumanReadable = false;
        const TSize B = Draw(Barcode, Without);
        EXPECT_TRUE(Without.Texts.empty());
        EXPECT_FALSE(With.Texts.empty());
        EXPECT_EQ(A.cx, B.cx);
        EXPECT_EQ(B.cy, C.Height) << int(C.Type);
        if (C.Type != EAN_13)
            EXPECT_EQ(A.cy - B.cy, With.TextHeight(QStringLiteral("Ay"))) << int(C.Type);
    }
}

TEST(Drawing, PostnetHasFixedPhysicalSizes)
{
    TLLBarcode Barcode;
    Barcode.Params().CodeType = Postnet;
    Barcode.Params().SetText("12345");
    Barcode.Params().HumanReadable = false;
    TRecordingCanvas Canvas(600);
    const TSize Size = Draw(Barcode, Canvas, 0, 0);
    EXPECT_EQ(Barcode.ModuleCount(), 32);
    const int Full = int(Round(3.175 * 600 / 25.4)), Half = int(Round(1.27 * 600 / 25.4));
    const int BarW = int(Round(0.508 * 600 / 25.4));
    EXPECT_EQ(Size.cy, Full + 1);
    EXPECT_EQ(Size.cx, int(Round(31 * (25.4 / 22) * 600 / 25.4)) + BarW + 1);
    ASSERT_EQ(Canvas.Fills.size(), 32u);
    for (int I = 0; I < 32; ++I) {
        const TRect& R = Canvas.Fills[std::size_t(I)];
        EXPECT_EQ(R.Bottom, Full); // a common base line
        EXPECT_EQ(R.Top, Barcode.Module(I + 1) ? 0 : Full - Half);
        EXPECT_EQ(R.Width(), BarW);
    }
    // The module size class does not matter.
    for (const btCodeSizes Sc : {SC0, SC9}) {
        Barcode.Params().ModuleWidth = Sc;
        TRecordingCanvas Other(600);
        EXPECT_EQ(Draw(Barcode, Other), Size);
    }
}

TEST(Drawing, FIMBarsStayInsideTheReportedWidthAtHighResolution)
{
    // At 600 dpi the pitch is 37.5 units: whole-unit steps from the rounded pitch would put the
    // last bar 4 units past the width the drawing reports.
    for (const int Dpi : {96, 203, 300, 600, 1200})
        for (const char* Text : {"A", "B", "C"}) {
            TLLBarcode Barcode;
            Barcode.Params().CodeType = Postnet_FIM;
            Barcode.Params().SetText(Text);
            TRecordingCanvas Canvas(Dpi);
            const TSize Size = Draw(Barcode, Canvas, 0, 0);
            for (const TRect& R : Canvas.Fills) {
                EXPECT_LE(R.Right, Size.cx) << Dpi << Text;
                EXPECT_LE(R.Bottom, Size.cy) << Dpi << Text;
            }
            const TRect& Last = Canvas.Fills.back();
            EXPECT_EQ(Last.Left, int(Round(8 * (1.5875 * (Dpi / 25.4))))) << Dpi;
        }
}

TEST(Drawing, RotationTurnsBarsAndTextAndSwapsTheSize)
{
    const btCodeRotate Rotations[] = {rotate_090, rotate_180, rotate_270};
    for (const btCodeTypes Type : {EAN_13, CODE128_B, Postnet}) {
        TLLBarcode Barcode;
        Barcode.Params().CodeType = Type;
        Barcode.Params().SetText("4006381333931");
        const int X = 30, Y = 40;
        TRecordingCanvas Upright(203);
        const TSize S0 = Draw(Barcode, Upright, X, Y);
        const int W = S0.cx, H = S0.cy;
        for (const btCodeRotate Rotation : Rotations) {
            Barcode.Params().Rotation = Rotation;
            TRecordingCanvas Turned(203);
            const TSize S = Draw(Barcode, Turned, X, Y);
            const bool Swapped = Rotation != rotate_180;
            EXPECT_EQ(S, (Swapped ? TSize{H, W} : TSize{W, H}));
            ASSERT_EQ(Turned.Fills.size(), Upright.Fills.size());
            for (std::size_t I = 0; I < Upright.Fills.size(); ++I) {
                const TRect U = Upright.Fills[I];
                const int L = U.Left - X, T = U.Top - Y, R = U.Right - X, B = U.Bottom - Y;
                TRect E;
                if (Rotation == rotate_090)
                    E = Rect(X + T, Y + W - R, X + B, Y + W - L);
                else if (Rotation == rotate_180)
                    E = Rect(X + W - R, Y + H - B, X + W - L, Y + H - T);
                else
                    E = Rect(X + H - B, Y + L, X + H - T, Y + R);
                EXPECT_EQ(Turned.Fills[I], E) << int(Type) << " rotation " << int(Rotation);
            }
            ASSERT_EQ(Turned.Texts.size(), Upright.Texts.size());
            for (std::size_t I = 0; I < Upright.Texts.size(); ++I) {
                const int Dx = Upright.Texts[I].X - X, Dy = Upright.Texts[I].Y - Y;
                const TPoint E = Rotation == rotate_090   ? TPoint{X + Dy, Y + W - Dx}
                                 : Rotation == rotate_180 ? TPoint{X + W - Dx, Y + H - Dy}
                                                          : TPoint{X + H - Dy, Y + Dx};
                EXPECT_EQ(Turned.Texts[I].X, E.X);
                EXPECT_EQ(Turned.Texts[I].Y, E.Y);
                EXPECT_EQ(Turned.Texts[I].Escapement, 900 * int(Rotation));
                EXPECT_EQ(Turned.Texts[I].Height, Upright.Texts[I].Height);
            }
        }
    }
}

TEST(Drawing, RotatedImagesAreTheUprightImageTurned)
{
    TLLBarcode Barcode;
    Barcode.Params().CodeType = CODE39;
    Barcode.Params().SetText("TURN");
    Barcode.Params().HumanReadable = false;
    TSize S0;
    const QImage Upright = bartest::DrawOnImage(Barcode, 203, 0, &S0);
    const int W = S0.cx, H = S0.cy;
    for (const btCodeRotate Rotation : {rotate_090, rotate_180, rotate_270}) {
        Barcode.Params().Rotation = Rotation;
        const QImage Turned = bartest::DrawOnImage(Barcode, 203, 0);
        int Different = 0;
        for (int Dy = 0; Dy < H; ++Dy)
            for (int Dx = 0; Dx < W; ++Dx) {
                const QPoint P = Rotation == rotate_090   ? QPoint(Dy, W - 1 - Dx)
                                 : Rotation == rotate_180 ? QPoint(W - 1 - Dx, H - 1 - Dy)
                                                          : QPoint(H - 1 - Dy, Dx);
                Different += Upright.pixel(Dx, Dy) != Turned.pixel(P);
            }
        EXPECT_EQ(Different, 0) << int(Rotation);
    }
}

// Nothing is drawn outside the size a drawing reports, whatever the type, resolution, rotation
// and options (with texts no wider than their symbols: a large FontScaling may widen a text past
// a short symbol).
TEST(Drawing, NothingLandsOutsideTheReportedSize)
{
    struct Option {
        const char* Name;
        void (*Apply)(TBarcodeParams&);
    };
    const Option Options[] = {
        {"plain", [](TBarcodeParams&) {}},
        {"zoom", [](TBarcodeParams& P) { P.ZoomSize = true; }},
        {"zoom+reduce", [](TBarcodeParams& P) { P.ZoomSize = true; P.WidthReduce = true; P.ModuleWidth = SC7; }},
        {"tall", [](TBarcodeParams& P) { P.HeightPercent = 200; }},
        {"bars only", [](TBarcodeParams& P) { P.HumanReadable = false; P.ModuleWidth = SC9; }},
        {"short", [](TBarcodeParams& P) { P.HeightPercent = 20; P.FontScaling = 20; P.HighDensity = true; }},
    };
    const char* Texts[] = {"590123412345", "590123412345", "03600029145", "123456", "CODE-39", "1234567",
                           "12345678901234", "ABC", "abc", "0123456789", "1234", "A123B", "12345", "A"};
    for (int Type = EAN_8; Type <= Postnet_FIM; ++Type)
        for (const int Dpi : {96, 203, 600})
            for (const Option& O : Options)
                for (const btCodeRotate Rotation : {rotate_000, rotate_090}) {
                    TLLBarcode Barcode;
                    Barcode.Params().CodeType = btCodeTypes(Type);
                    Barcode.Params().SetText(Texts[Type]);
                    if (Type == EAN_13)
                        Barcode.Params().SetAddon("52495");
                    Barcode.Params().Rotation = Rotation;
                    O.Apply(Barcode.Params());
                    const int Margin = 8;
                    TSize Size;
                    const QImage Image = bartest::DrawOnImage(Barcode, Dpi, Margin, &Size);
                    const QRect Box(Margin, Margin, Size.cx, Size.cy);
                    EXPECT_EQ(bartest::InkOutside(Image, Box), 0)
                        << btCodeTypesNames[std::size_t(Type)] << " " << Dpi << " dpi " << O.Name << " rotation "
                        << int(Rotation);
                    EXPECT_GT(bartest::InkInside(Image, Box), 0);
                }
}

// A human-readable text wider than its bars widens the reported size on the side it reaches past,
// and the bars move over to leave it room, in every rotation.
TEST(Drawing, ATextWiderThanItsBarsStaysInsideTheReportedSize)
{
    struct Case {
        const char* Name;
        btCodeTypes Type;
        std::string Text;
        int Dpi;
        int FontScaling;
        bool HighDensity;
    };
    const Case Cases[] = {
        {"50-digit Code 128 C", CODE128_C, std::string(50, '7'), 300, 100, false},
        {"Code 128 C, large font", CODE128_C, "1234", 203, 200, false},
        {"one-letter Code 39", CODE39, "W", 600, 200, true},
        {"EAN-13 digits in the quiet zones", EAN_13, "590123412345", 300, 200, false},
        {"UPC-A digits in the quiet zones", UPC_A, "03600029145", 300, 200, false},
        {"short interleaved 2 of 5", CODE25i, "12", 203, 200, true},
        {"Postnet", Postnet, "12345", 300, 200, false},
    };
    for (const Case& C : Cases)
        for (const btCodeRotate Rotation : {rotate_000, rotate_090, rotate_180, rotate_270}) {
            SCOPED_TRACE(std::string(C.Name) + " rotation " + std::to_string(int(Rotation)));
            TLLBarcode Barcode;
            Barcode.Params().CodeType = C.Type;
            Barcode.Params().SetText(C.Text);
            Barcode.Params().FontScaling = C.FontScaling;
            Barcode.Params().HighDensity = C.HighDensity;
            Barcode.Params().Rotation = Rotation;
            const int Margin = 40;
            TSize Size;
            const QImage Image = bartest::DrawOnImage(Barcode, C.Dpi, Margin, &Size);
            const QRect Box(Margin, Margin, Size.cx, Size.cy);
            EXPECT_EQ(bartest::InkOutside(Image, Box), 0);
            EXPECT_GT(bartest::InkInside(Image, Box), 0);
        }

    // The long Code 128 C is wider than its bars by the text's overhang on both sides; without
    // the text it is the bars' width.
    TLLBarcode Barcode;
    Barcode.Params().CodeType = CODE128_C;
    Barcode.Params().SetText(std::string(50, '7'));
    TRecordingCanvas Canvas(300);
    const TSize WithText = Draw(Barcode, Canvas, 100, 200);
    const int ModPx = 4; // 0.33 mm at 300 dpi
    const int BarsW = (Barcode.ModuleCount() - 1) * ModPx + ModPx + 1;
    EXPECT_GT(WithText.cx, BarsW);
    ASSERT_EQ(Canvas.Texts.size(), 1u);
    const int Tw = Canvas.TextWidth(Canvas.Texts[0].Text);
    // The text starts at the left edge of the box and the bars are centred under it.
    EXPECT_EQ(Canvas.Texts[0].X - Tw / 2, 100);
    EXPECT_GT(Canvas.Fills.front().Left, 100);
    Barcode.Params().HumanReadable = false;
    TRecordingCanvas Bare(300);
    EXPECT_EQ(Draw(Barcode, Bare, 100, 200).cx, BarsW);
    EXPECT_EQ(Bare.Fills.front().Left, 100);
}

TEST(Drawing, MeasuringFarOutsideDrawsNothingAndGivesTheSameSize)
{
    TLLBarcode Barcode;
    Barcode.Params().CodeType = UPC_A;
    QImage Image(400, 300, QImage::Format_RGB32);
    Image.fill(Qt::white);
    TImageCanvas Canvas(Image, 203);
    TSize Far, Near;
    Barcode.DrawBarcode(Canvas, -10000, -10000, Far);
    EXPECT_EQ(bartest::InkInside(Image, Image.rect()), 0);
    Barcode.DrawBarcode(Canvas, 0, 0, Near);
    EXPECT_EQ(Far, Near);
    EXPECT_GT(bartest::InkInside(Image, Image.rect()), 0);
}

TEST(Drawing, ACanvasWithoutResolutionDrawsAtTheScreens)
{
    TLLBarcode Barcode;
    Barcode.Params().CodeType = EAN_13;
    TRecordingCanvas Unknown(0), Screen(ScreenPixelsPerInch());
    EXPECT_EQ(Draw(Barcode, Unknown), Draw(Barcode, Screen));
    EXPECT_EQ(Unknown.Fills, Screen.Fills);
}

TEST(Drawing, CanvasKeepsItsBrushAndAlignmentAndTakesTheBarcodeFont)
{
    TLLBarcode Barcode;
    Barcode.Params().CodeType = CODE39;
    Barcode.Params().FontName = QStringLiteral("Liberation Serif");
    TRecordingCanvas Canvas(300);
    Canvas.Brush()->SetColor(clRed);
    Canvas.Brush()->SetStyle(bsDiagCross);
    Canvas.SetTextAlign(TA_RIGHT | TA_BASELINE);
    Draw(Barcode, Canvas);
    EXPECT_EQ(Canvas.Brush()->Color(), clRed);
    EXPECT_EQ(Canvas.Brush()->Style(), bsDiagCross);
    EXPECT_EQ(Canvas.TextAlign(), TA_RIGHT | TA_BASELINE);
    EXPECT_EQ(Canvas.Font()->Name(), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(Canvas.Font()->Orientation(), 0);
}

TEST(Drawing, EncodingErrorsRaiseBeforeAnythingIsDrawn)
{
    struct Case {
        btCodeTypes Type;
        const char* Text;
        const char* Addon;
        const char* Message;
    };
    const Case Cases[] = {
        {CODE128_A, "AB\rC", "", "BarcoLL: Code128 error"},
        {EAN_13, "123", "123", "BarLL: Wrong Addoncode"},
        {btCodeTypes(14), "123", "", "Barcode: Unknown Type of Barcode"},
    };
    for (const Case& C : Cases) {
        TLLBarcode Barcode;
        Barcode.Params().CodeType = C.Type;
        Barcode.Params().SetText(C.Text);
        Barcode.Params().SetAddon(C.Addon);
        TRecordingCanvas Canvas(96);
        Canvas.Brush()->SetColor(clLime);
        TSize Size{-1, -1};
        try {
            Barcode.DrawBarcode(Canvas, 0, 0, Size);
            ADD_FAILURE() << C.Message;
        } catch (const EOverflow& E) {
            EXPECT_EQ(E.Message(), QLatin1String(C.Message));
        }
        EXPECT_TRUE(Canvas.Fills.empty());
        EXPECT_TRUE(Canvas.Texts.empty());
        EXPECT_EQ(Canvas.Brush()->Color(), clLime);
        EXPECT_EQ(Size, (TSize{-1, -1}));
    }
}

} // namespace
