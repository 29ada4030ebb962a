// The barcode component: its properties and their checks, its size, and drawing on other canvases.

#include "BarcodeTestUtil.h"

#include "barcode/CustomBarcode.h"
#include "platform/controls/ControlHostBase.h"
#include "platform/core/Exceptions.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tessiv;

namespace {

TEST(CustomBarcode, NewComponentHoldsTheNewParameters)
{
    TCustomBarcode Barcode(nullptr);
    EXPECT_EQ(Barcode.Width(), 69);
    EXPECT_EQ(Barcode.Height(), 66);
    EXPECT_EQ(Barcode.Bar_Caption(), QStringLiteral("4711"));
    EXPECT_EQ(Barcode.Bar_CodeAddon(), QString());
    EXPECT_EQ(Barcode.Bar_CodeType(), EAN_8);
    EXPECT_EQ(Barcode.Bar_Fontname(), QStringLiteral("Arial"));
    EXPECT_EQ(Barcode.Bar_Fontscaling(), 100);
    EXPECT_EQ(Barcode.Bar_HeightPercent(), 100);
    EXPECT_FALSE(Barcode.Bar_HighDensity());
    EXPECT_TRUE(Barcode.Bar_HumanReadable());
    EXPECT_EQ(Barcode.Bar_ModuleWidth(), SC2);
    EXPECT_EQ(Barcode.Bar_Ratio(), Ratio_3);
    EXPECT_EQ(Barcode.Bar_Rotation(), rotate_000);
    EXPECT_FALSE(Barcode.Bar_WidthReduce());
    EXPECT_FALSE(Barcode.Bar_ZoomSize());
}

TEST(CustomBarcode, StreamingDefaults)
{
    TCustomBarcode Barcode(nullptr);
    const TClassInfo& Info = TCustomBarcode::StaticClass();
    const auto IsDefault = [&](const char* Name) {
        const TPropInfo* P = Info.FindProperty(QLatin1String(Name));
        EXPECT_NE(P, nullptr) << Name;
        return P && P->IsDefaultValue(&Barcode);
    };
    // A new component holds SC2 against the declared default SC0: its module width is written.
    EXPECT_FALSE(IsDefault("Bar_ModuleWidth"));
    Barcode.SetBar_ModuleWidth(SC0);
    EXPECT_TRUE(IsDefault("Bar_ModuleWidth"));
    EXPECT_TRUE(IsDefault("Bar_CodeType"));
    EXPECT_TRUE(IsDefault("Bar_HumanReadable"));
    EXPECT_TRUE(IsDefault("Bar_HeightPercent"));
    EXPECT_FALSE(IsDefault("Bar_HighDensity")); // no declared default: always written
    EXPECT_EQ(Info.FindProperty(QStringLiteral("Bar_CodeType"))->Enum->NameOf(CODE128_C), QStringLiteral("CODE128_C"));
    for (const char* event : {"OnDragDrop", "OnDragOver", "OnEndDrag", "OnMouseDown", "OnMouseMove", "OnMouseUp"})
        EXPECT_NE(Info.FindProperty(QLatin1String(event)), nullptr) << event;
}

struct RangeCase {
    const char* Property;
    std::function<void(TCustomBarcode&, int)> Set;
    std::function<int(const TCustomBarcode&)> Get;
    std::vector<int> Accepted;
    std::vector<int> Refused;
    const char* Message;
};

TEST(CustomBarcode, RangeChecksRaiseTheirMessagesAndKeepTheOldValue)
{
    const RangeCase Cases[] = {
        {"Bar_HeightPercent", [](TCustomBarcode& B, int V) { B.SetBar_HeightPercent(V); },
         [](const TCustomBarcode& B) { return B.Bar_HeightPercent(); }, {20, 200, 150}, {19, 201, 0, -5},
         "Bar_HeightPercent must be in the range 20..200!"},
        {"Bar_Fontscaling", [](TCustomBarcode& B, int V) { B.SetBar_Fontscaling(V); },
         [](const TCustomBarcode& B) { return B.Bar_Fontscaling(); }, {20, 200, 77}, {19, 201},
         "Bar_Fontscaling must be in the range 20..200!"},
        {"Bar_ModuleWidth", [](TCustomBarcode& B, int V) { B.SetBar_ModuleWidth(btCodeSizes(V)); },
         [](const TCustomBarcode& B) { return int(B.Bar_ModuleWidth()); }, {0, 9, 5}, {10, 255},
         "Bar_SC_Size must be in the range 0..9!"},
        {"Bar_Rotation", [](TCustomBarcode& B, int V) { B.SetBar_Rotation(btCodeRotate(V)); },
         [](const TCustomBarcode& B) { return int(B.Bar_Rotation()); }, {0, 3, 1}, {4, 200},
         "Bar_Rotate must be in the range rotate_000..rotate_270!"},
        {"Bar_Ratio", [](TCustomBarcode& B, int V) { B.SetBar_Ratio(btCodeRatio(V)); },
         [](const TCustomBarcode& B) { return int(B.Bar_Ratio()); }, {1, 0}, {2, 9},
         "Bar_Ratio must be in the range 0..1 (Ratio_3 or Ratio_2)!"},
    };
    for (const RangeCase& C : Cases) {
        TCustomBarcode Barcode(nullptr);
        for (const int V : C.Accepted) {
            EXPECT_NO_THROW(C.Set(Barcode, V)) << C.Property << " " << V;
            EXPECT_EQ(C.Get(Barcode), V) << C.Property;
        }
        const int Kept = C.Get(Barcode);
        for (const int V : C.Refused) {
            try {
                C.Set(Barcode, V);
                ADD_FAILURE() << C.Property << " accepted " << V;
            } catch (const EOverflow& E) {
                EXPECT_EQ(E.Message(), QLatin1String(C.Message));
            }
            EXPECT_EQ(C.Get(Barcode), Kept) << C.Property;
        }
    }
}

TEST(CustomBarcode, RangeChecksApplyToStreamedValuesToo)
{
    TCustomBarcode Barcode(nullptr);
    const TPropInfo* P = TCustomBarcode::StaticClass().FindProperty(QStringLiteral("Bar_Rotation"));
    ASSERT_NE(P, nullptr);
    EXPECT_THROW(P->SetOrd(&Barcode, 4), EOverflow);
    P->SetOrd(&Barcode, 2);
    EXPECT_EQ(Barcode.Bar_Rotation(), rotate_180);
}

TEST(CustomBarcode, CaptionHoldsAtMostFiftyCharacters)
{
    TCustomBarcode Barcode(nullptr);
    const QString Fifty(50, QLatin1Char('7'));
    Barcode.SetBar_Caption(Fifty);
    EXPECT_EQ(Barcode.Bar_Caption(), Fifty);
    try {
        Barcode.SetBar_Caption(QString(51, QLatin1Char('1')));
        ADD_FAILURE() << "51 characters accepted";
    } catch (const EOverflow& E) {
        EXPECT_EQ(E.Message(), QStringLiteral("String exceeds maximum length"));
    }
    EXPECT_EQ(Barcode.Bar_Caption(), Fifty);
    // Windows-1252 characters reach the parameter record as single bytes.
    Barcode.SetBar_Caption(QStringLiteral("A\u20AC"));
    EXPECT_EQ(Barcode.Barcode().Params().Text(), std::string("A\x80"));
}

TEST(CustomBarcode, AddonKeepsTwoOrFiveDigits)
{
    const std::pair<const char*, const char*> Cases[] = {
        {"12a345", "12345"}, {"1-2-3", "12"}, {"7", ""}, {"", ""}, {"1234", "12"},
        {"9876543", "98765"}, {"ab", ""}, {" 4 2 ", "42"},
    };
    for (const auto& [Value, Kept] : Cases) {
        TCustomBarcode Barcode(nullptr);
        Barcode.SetBar_CodeAddon(QLatin1String(Value));
        EXPECT_EQ(Barcode.Bar_CodeAddon(), QLatin1String(Kept)) << Value;
    }
}

TEST(CustomBarcode, DrawsOnAnotherCanvasAndReportsTheSize)
{
    TCustomBarcode Barcode(nullptr);
    Barcode.SetBar_CodeType(CODE128_B);
    Barcode.SetBar_Caption(QStringLiteral("Tessiv"));
    Barcode.SetBar_Rotation(rotate_270);
    bartest::TRecordingCanvas Canvas(300), Reference(300);
    TSize Size;
    Barcode.DrawBarcode(Canvas, -10000, -10000, &Size);
    TSize Expected;
    TLLBarcode Same;
    Same.Params() = Barcode.Barcode().Params();
    Same.DrawBarcode(Reference, -10000, -10000, Expected);
    EXPECT_EQ(Size, Expected);
    EXPECT_GT(Size.cy, Size.cx); // turned upright
    EXPECT_NO_THROW(Barcode.DrawBarcode(Canvas, 0, 0));
    // Encoding errors come out of the drawing.
    Barcode.SetBar_Caption(QStringLiteral("A\tB"));
    EXPECT_THROW(Barcode.DrawBarcode(Canvas, 0, 0), EOverflow);
}

// A character the code page lacks is no Code 128 symbol: the caption is refused as a Code 128
// error when drawn, not encoded as the '?' that stands for it; Code 39 refuses it with its own.
TEST(CustomBarcode, CharactersOutsideTheCodePageAreACode128Error)
{
    TCustomBarcode Barcode(nullptr);
    Barcode.SetBar_Caption(QStringLiteral("AЖB"));
    for (const btCodeTypes Type : {CODE128_A, CODE128_B, CODE128_C}) {
        Barcode.SetBar_CodeType(Type);
        bartest::TRecordingCanvas Canvas(300);
        try {
            Barcode.DrawBarcode(Canvas, 0, 0);
            ADD_FAILURE() << btCodeTypesNames[Type];
        } catch (const EOverflow& E) {
            EXPECT_EQ(E.Message(), QStringLiteral("BarcoLL: Code128 error"));
        }
        EXPECT_TRUE(Canvas.Fills.empty());
        EXPECT_TRUE(Canvas.Texts.empty());
    }
    // Code 39 refuses it as well, with its own error.
    Barcode.SetBar_CodeType(CODE39);
    bartest::TRecordingCanvas Canvas(300);
    try {
        Barcode.DrawBarcode(Canvas, 0, 0);
        ADD_FAILURE() << "CODE39";
    } catch (const EOverflow& E) {
        EXPECT_EQ(E.Message(), QStringLiteral("BarcoLL: Code39 error"));
    }
    EXPECT_TRUE(Canvas.Fills.empty());
    // A caption of the code page draws again; '?' typed as such is a Code 128 character.
    Barcode.SetBar_CodeType(CODE128_B);
    Barcode.SetBar_Caption(QStringLiteral("A?B"));
    EXPECT_NO_THROW(Barcode.DrawBarcode(Canvas, 0, 0));
}

TEST(CustomBarcode, AfterAWriteTheControlRepaintsAndTakesItsBarcodesSize)
{
    THeadlessHost Host;
    TWinControl Root(nullptr);
    Root.SetBounds(0, 0, 2000, 2000);
    Host.SetRoot(&Root);
    auto* Barcode = new TCustomBarcode(&Root);
    Barcode->SetParent(&Root);
    QImage Surface(2000, 2000, QImage::Format_RGB32);
    const std::function<void()> Writes[] = {
        [&] { Barcode->SetBar_CodeType(EAN_13); },
        [&] { Barcode->SetBar_CodeAddon(QStringLiteral("12")); },
        [&] { Barcode->SetBar_ModuleWidth(SC9); },
        [&] { Barcode->SetBar_Rotation(rotate_090); },
        [&] { Barcode->SetBar_HumanReadable(false); },
        [&] { Barcode->SetBar_HeightPercent(40); },
    };
    for (const auto& Write : Writes) {
        Host.ValidateAll();
        Write();
        EXPECT_FALSE(Host.InvalidRegion().isEmpty());
        Surface.fill(Qt::white);
        TImageCanvas Canvas(Surface, 96);
        Host.PaintTree(Canvas);
        bartest::TRecordingCanvas Measure(96);
        TSize Size;
        Barcode->DrawBarcode(Measure, -10000, -10000, &Size);
        EXPECT_EQ(Barcode->Width(), Size.cx);
        EXPECT_EQ(Barcode->Height(), Size.cy);
    }
}

} // namespace
