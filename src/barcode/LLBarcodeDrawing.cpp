// Drawing a TLLBarcode on a canvas: modules scaled to the canvas's resolution, turned in steps of
// 90 degrees, with the human-readable text.

#include "barcode/LLBarcode.h"

#include "platform/core/Cp1252.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tessiv {

namespace {

constexpr double MMPerInch = 25.4;

// Module widths of SC0 to SC9, millimetres.
constexpr std::array<double, 10> ModuleWidths{0.27, 0.297, 0.33, 0.363, 0.396, 0.445, 0.495, 0.544, 0.61, 0.66};

// Bar heights in modules: EAN-13 and UPC-A, every other type.
constexpr double EANBarModules = 74.24;
constexpr double OtherBarModules = 56.24;
constexpr int EANQuietModules = 10;
// EAN/UPC digit bars end above the guard bars, which reach the full height.
constexpr double EANDataBottom = 0.917;
// The part of an EAN/UPC bar height the returned size counts.
constexpr double EANHeightReserve = 0.9336;
// Font height per bar height of an EAN-13.
constexpr double FontFactor = 0.18;
const QString TextSample = QStringLiteral("Ay");

// Postnet and FIM, millimetres.
struct TPostnetGeometry {
    double BarWidth;
    double Pitch;
    double FullHeight;
    double HalfHeight;
    double TextFactor;
};
constexpr TPostnetGeometry PostnetGeometry{0.508, 25.4 / 22, 3.175, 1.27, 5};
constexpr TPostnetGeometry FIMGeometry{0.79375, 1.5875, 15.875, 15.875, 1};

int RoundInt(long double Value) { return static_cast<int>(Round(Value)); }

struct TDotsPerMM {
    double X;
    double Y;
};

// A canvas that does not know its resolution is drawn at the screen's.
TDotsPerMM DotsPerMM(const TCanvas& Canvas)
{
    int DpiX = Canvas.GetDeviceCaps(LOGPIXELSX);
    int DpiY = Canvas.GetDeviceCaps(LOGPIXELSY);
    if (DpiX == 0 || DpiY == 0)
        DpiX = DpiY = ScreenPixelsPerInch();
    return {DpiX / MMPerInch, DpiY / MMPerInch};
}

// Brush colour and style and text alignment as the caller had them, back on every way out.
class TDrawingState {
public:
    explicit TDrawingState(TCanvas& Canvas)
        : FCanvas(Canvas), FColor(Canvas.Brush()->Color()), FStyle(Canvas.Brush()->Style()),
          FAlign(Canvas.TextAlign())
    {
        Canvas.SetTextAlign(TA_CENTER | TA_TOP);
        Canvas.Brush()->SetColor(clBlack);
        Canvas.Brush()->SetStyle(bsSolid);
    }
    ~TDrawingState()
    {
        FCanvas.Brush()->SetColor(FColor);
        FCanvas.Brush()->SetStyle(FStyle);
        FCanvas.SetTextAlign(FAlign);
    }
    TDrawingState(const TDrawingState&) = delete;
    TDrawingState& operator=(const TDrawingState&) = delete;

private:
    TCanvas& FCanvas;
    TColor FColor;
    TBrushStyle FStyle;
    unsigned FAlign;
};

// Text over the bars' white surroundings: no box behind it.
void PrepareText(TCanvas& Canvas)
{
    Canvas.Brush()->SetColor(clWhite);
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.SetBkColor(clWhite);
    Canvas.SetBkMode(TRANSPARENT);
}

int FontHeight(double TextBaseHeight, int FontScaling)
{
    // A height of 0 would select the device's default font, whatever its size.
    return std::max(1, RoundInt(TextBaseHeight * FontFactor * FontScaling / 100));
}

// Where the offset (Dx, Dy) of a symbol drawn at (X, Y), W by H unrotated, lands on the canvas.
TPoint RotatePoint(btCodeRotate Rotation, int X, int Y, int W, int H, int Dx, int Dy)
{
    switch (Rotation) {
    case rotate_090:
        return {X + Dy, Y + W - Dx};
    case rotate_180:
        return {X + W - Dx, Y + H - Dy};
    case rotate_270:
        return {X + H - Dy, Y + Dx};
    default:
        return {X + Dx, Y + Dy};
    }
}

int Escapement(btCodeRotate Rotation)
{
    switch (Rotation) {
    case rotate_090:
        return 900;
    case rotate_180:
        return 1800;
    case rotate_270:
        return 2700;
    default:
        return 0;
    }
}

bool InEANDataArea(btCodeTypes CodeType, int Module)
{
    switch (CodeType) {
    case EAN_13:
    case UPC_A:
        return (Module >= 4 && Module <= 45) || (Module >= 51 && Module <= 92);
    case EAN_8:
        return (Module >= 4 && Module <= 31) || (Module >= 37 && Module <= 64);
    case UPC_E:
        return Module >= 4 && Module <= 45;
    default:
        return false;
    }
}

QString Shown(std::string_view Text) { return FromCp1252(Text.data(), static_cast<qsizetype>(Text.size())); }

TSize Extent(btCodeRotate Rotation, int W, int H)
{
    return Rotation == rotate_090 || Rotation == rotate_270 ? TSize{H, W} : TSize{W, H};
}

// A human-readable text, centred on Cx (from the symbol's unrotated origin), its top at Top.
struct TLabel {
    QString Text;
    int Cx;
    int Top;
};

// How far the texts reach left of the symbol's origin (Spill, at least 0) and the width that
// covers the bars (BarsW) and every text: a text wider than its bars widens the symbol's box on
// the side it reaches past, so what is drawn stays inside the size reported.
struct TSpan {
    int Spill;
    int Width;
};

template <class Measure>
TSpan LabelSpan(const std::vector<TLabel>& Labels, int BarsW, Measure TextWidth)
{
    int Left = 0;
    int Right = BarsW;
    for (const TLabel& L : Labels) {
        if (L.Text.isEmpty())
            continue;
        const int Tw = TextWidth(L.Text);
        // As the canvas centres it: half the width to the left, rounded toward zero.
        const int TextLeft = L.Cx - Tw / 2;
        Left = std::min(Left, TextLeft);
        Right = std::max(Right, TextLeft + Tw + 1);
    }
    return {-Left, Right - Left};
}

} // namespace

std::string FormatCode25iPText(std::string_view Text, int IdentSplit)
{
    std::string Out;
    if (Text.size() == 14) {
        Out.append(Text.substr(0, 5)).append(".");
        Out.append(Text.substr(5, 3)).append(".");
        Out.append(Text.substr(8, 3)).append(".");
        Out.append(Text.substr(11, 2)).append("   ");
        Out.append(Text.substr(13, 1));
        return Out;
    }
    if (Text.size() == 12) {
        const std::size_t Split = static_cast<std::size_t>(std::clamp(IdentSplit, 2, 11));
        Out.append(Text.substr(0, 2)).append(".");
        Out.append(Text.substr(2, Split - 2)).append("   ");
        Out.append(Text.substr(Split, 11 - Split)).append("   ");
        Out.append(Text.substr(11, 1));
        return Out;
    }
    return std::string(Text);
}

double TLLBarcode::ModuleWidthMM() const
{
    const std::size_t Size = Params().ModuleWidth < ModuleWidths.size() ? Params().ModuleWidth : SC2;
    const double Width = ModuleWidths[Size];
    return Params().HighDensity ? Width / 2 : Width;
}

TRect TLLBarcode::RotatedRect(const TRect& Rect, int W, int H, int Y, int X) const
{
    const btCodeRotate Rotation = Params().Rotation;
    const TPoint A = RotatePoint(Rotation, X, Y, W, H, Rect.Left - X, Rect.Top - Y);
    const TPoint B = RotatePoint(Rotation, X, Y, W, H, Rect.Right - X, Rect.Bottom - Y);
    return tessiv::Rect(std::min(A.X, B.X), std::min(A.Y, B.Y), std::max(A.X, B.X), std::max(A.Y, B.Y));
}

int TLLBarcode::TextWidth(TCanvas& Canvas, const QString& Text, double TextBaseHeight)
{
    TFont* Font = Canvas.Font();
    TFont Kept;
    Kept.SetPixelsPerInch(Font->PixelsPerInch());
    Kept.Assign(Font);
    Font->SetName(Params().FontName);
    Font->SetHeight(FontHeight(TextBaseHeight, Params().FontScaling));
    Font->SetOrientation(0);
    const int Width = Canvas.TextWidth(Text);
    Font->Assign(&Kept);
    return Width;
}

void TLLBarcode::DrawText(TCanvas& Canvas, int X, const QString& Text, double TextBaseHeight, int W, int H,
                          int TextX, int TextY, int Y)
{
    TFont* Font = Canvas.Font();
    TFont Kept;
    Kept.SetPixelsPerInch(Font->PixelsPerInch());
    Kept.Assign(Font);
    Font->SetName(Params().FontName);
    Font->SetHeight(FontHeight(TextBaseHeight, Params().FontScaling));
    Font->SetOrientation(Escapement(Params().Rotation));
    const TPoint P = RotatePoint(Params().Rotation, X, Y, W, H, TextX - X, TextY - Y);
    Canvas.TextOut(P.X, P.Y, Text);
    Font->Assign(&Kept);
}

void TLLBarcode::DrawBarcode(TCanvas& Canvas, int X, int Y, TSize& Size) { Render(Canvas, X, Y, Size, true); }

void TLLBarcode::DrawPostnet(TCanvas& Canvas, int X, int Y, TSize& Size) { RenderPostnet(Canvas, X, Y, Size, true); }

void TLLBarcode::MeasureBarcode(TCanvas& Canvas, TSize& Size)
{
    // The layout sets the barcode's font to measure its texts; the caller's comes back.
    TFont* Font = Canvas.Font();
    TFont Kept;
    Kept.SetPixelsPerInch(Font->PixelsPerInch());
    Kept.Assign(Font);
    try {
        Render(Canvas, 0, 0, Size, false);
    } catch (...) {
        Font->Assign(&Kept);
        throw;
    }
    Font->Assign(&Kept);
}

void TLLBarcode::Render(TCanvas& Canvas, int X, int Y, TSize& Size, bool Draw)
{
    const btCodeTypes CodeType = Params().CodeType;
    if (CodeType == Postnet || CodeType == Postnet_FIM) {
        RenderPostnet(Canvas, X, Y, Size, Draw);
        return;
    }

    const TDotsPerMM Dpmm = DotsPerMM(Canvas);
    TDrawingState State(Canvas);
    MakeModules();

    const TBarcodeParams& P = Params();
    const double Mw = ModuleWidthMM();
    const double ExactModule = Mw * Dpmm.X;
    const int ModPx = std::max(1, RoundInt(ExactModule));
    const bool EANUPC = CodeType == EAN_13 || CodeType == UPC_A;
    const double BarModules = EANUPC ? EANBarModules : OtherBarModules;
    const int Quiet = EANUPC ? EANQuietModules * ModPx : 0;
    const bool Zoom = P.ZoomSize;
    // Without ZoomSize every module is a whole number of units and the height follows that
    // rounded module, so the symbol keeps its proportions.
    const int BarH = Zoom ? RoundInt(BarModules * Mw * Dpmm.Y)
                          : RoundInt(BarModules * Mw * Dpmm.Y * ModPx / ExactModule);

    // Module offsets from the symbol's origin, 1 to ModuleCount + 1, computed once.
    const int Count = FModuleCount;
    std::array<int, ModuleCapacity + 1> Offset;
    for (int I = 0; I <= Count; ++I)
        Offset[static_cast<std::size_t>(I)] = Quiet + (Zoom ? RoundInt(I * ExactModule) : I * ModPx);
    const auto OffsetOf = [&](int Module) {
        return Module >= 1 && Module <= Count + 1 ? Offset[static_cast<std::size_t>(Module - 1)]
                                                  : Quiet + (Zoom ? RoundInt((Module - 1) * ExactModule)
                                                                  : (Module - 1) * ModPx);
    };

    const int Cut = MulDiv(BarH, 100 - P.HeightPercent, 100);
    const double TextBase = EANUPC ? BarH : BarH * EANBarModules / OtherBarModules;
    Canvas.Font()->SetName(P.FontName);
    Canvas.Font()->SetHeight(FontHeight(TextBase, P.FontScaling));
    const int Th = Canvas.TextHeight(TextSample);

    const bool EANFamily = EANUPC || CodeType == EAN_8 || CodeType == UPC_E;
    const int BarsW = OffsetOf(Count) + Quiet + ModPx + 1;
    int H = RoundInt(BarH - Cut) + 1;
    if (P.HumanReadable) {
        H = Th + RoundInt((EANFamily ? EANHeightReserve * BarH : BarH) - Cut) + 1;
        // The EAN/UPC guard bars reach below the digits' text top; a small font must not leave
        // them outside the reported height.
        H = std::max(H, BarH - Cut + 1);
    }

    // The texts, placed from the origin; their tops from Y.
    std::vector<TLabel> Labels;
    const int DataBottom = Y + RoundInt(EANDataBottom * BarH) - Cut;
    if (P.HumanReadable) {
        const auto Text = [&](std::string_view S, int Cx, int Top) { Labels.push_back({Shown(S), Cx, Top}); };
        const std::string_view Prep = FPrepared;
        const int Below = Y + BarH - Cut;
        switch (CodeType) {
        case EAN_8:
            Text(Prep.substr(0, 4), OffsetOf(18), DataBottom);
            Text(Prep.substr(4, 4), OffsetOf(50), DataBottom);
            break;
        case EAN_13:
            Text(Prep.substr(0, 1), Quiet / 2, DataBottom);
            Text(Prep.substr(1, 6), OffsetOf(25), DataBottom);
            Text(Prep.substr(7, 6), OffsetOf(72), DataBottom);
            break;
        case UPC_A:
            Text(Prep.substr(0, 1), Quiet / 2, DataBottom);
            Text(Prep.substr(1, 5), OffsetOf(25), DataBottom);
            Text(Prep.substr(6, 5), OffsetOf(72), DataBottom);
            Text(Prep.substr(11, 1), OffsetOf(95) + ModPx + Quiet / 2, DataBottom);
            break;
        case UPC_E:
            Text(Prep.substr(0, 6), OffsetOf(Count / 2), DataBottom);
            break;
        case CODE39:
        case Codabar:
            Text(Prep.size() >= 2 ? Prep.substr(1, Prep.size() - 2) : std::string_view(), OffsetOf(Count / 2), Below);
            break;
        case CODE128_A:
        case CODE128_B:
        case CODE128_C: {
            // What a reader shows: the data as given, without check character and STOP.
            std::string Source(1, static_cast<char>(code128::StartA + (CodeType - CODE128_A)));
            Source += P.Text();
            Text(ConvertCode128Text(Source, true), OffsetOf(Count / 2), Below);
            break;
        }
        case CODE25iP:
            Text(FormatCode25iPText(Prep, P.IdentSplit), OffsetOf(Count / 2), Below);
            break;
        default: // CODE25i, MSI_Plessey
            Text(Prep, OffsetOf(Count / 2), Below);
            break;
        }
        if (EANUPC && !P.Addon().empty())
            Text(P.Addon(), OffsetOf(P.Addon().size() == 2 ? 115 : 128), Y);
    }
    const TSpan Span = LabelSpan(Labels, BarsW, [&](const QString& T) { return TextWidth(Canvas, T, TextBase); });
    const int W = Span.Width;
    // The bars start where the texts leave room for them.
    const int Origin = X + Span.Spill;
    Size = Extent(P.Rotation, W, H);
    if (!Draw)
        return;

    // The bars are one shape: gathered, then filled together.
    std::vector<TRect> Bars;
    for (int I = 1; I <= Count;) {
        if (FModules[static_cast<std::size_t>(I - 1)] == 0) {
            ++I;
            continue;
        }
        const int Start = I;
        while (I <= Count && FModules[static_cast<std::size_t>(I - 1)] != 0)
            ++I;
        const int Run = I - Start;
        TRect Bar;
        // An add-on's bars start below its digits.
        Bar.Top = EANUPC && Start >= 101 ? Y + Th + ModPx : Y;
        Bar.Left = Origin + OffsetOf(Start);
        Bar.Right = Bar.Left + (Zoom ? RoundInt(Run * ExactModule) : Run * ModPx);
        Bar.Bottom = InEANDataArea(CodeType, Start) ? DataBottom : Y + BarH - Cut;
        if (P.WidthReduce && Bar.Width() > 1)
            --Bar.Right;
        // Rounding each run on its own can reach one unit past the last module's place.
        Bar.Right = std::min(Bar.Right, Origin + BarsW);
        Bars.push_back(RotatedRect(Bar, W, H, Y, X));
    }
    Canvas.FillRects(Bars);

    if (!Labels.empty()) {
        PrepareText(Canvas);
        for (const TLabel& L : Labels)
            DrawText(Canvas, X, L.Text, TextBase, W, H, Origin + L.Cx, L.Top, Y);
    }
}

void TLLBarcode::RenderPostnet(TCanvas& Canvas, int X, int Y, TSize& Size, bool Draw)
{
    const TDotsPerMM Dpmm = DotsPerMM(Canvas);
    TDrawingState State(Canvas);
    MakeModules();

    const TBarcodeParams& P = Params();
    const bool FIM = P.CodeType == Postnet_FIM;
    const TPostnetGeometry& G = FIM ? FIMGeometry : PostnetGeometry;
    const int BarW = RoundInt(G.BarWidth * Dpmm.X);
    const double Pitch = G.Pitch * Dpmm.X;
    const int Full = RoundInt(G.FullHeight * Dpmm.Y);
    const int Half = RoundInt(G.HalfHeight * Dpmm.Y);
    // The text is as high as on a bar-and-space symbol whose bars are TextFactor times as long.
    const double TextBase = G.TextFactor * Full * EANBarModules / OtherBarModules;
    Canvas.Font()->SetHeight(FontHeight(TextBase, P.FontScaling));
    const int Th = Canvas.TextHeight(TextSample);

    const int Count = FModuleCount;
    const auto OffsetOf = [&](int Module) { return RoundInt((Module - 1) * Pitch); };
    const int BarsW = OffsetOf(Count) + BarW + 1;
    const int H = Full + 1 + (P.HumanReadable ? Th : 0);
    std::vector<TLabel> Labels;
    if (P.HumanReadable)
        Labels.push_back({Shown(FPrepared), (OffsetOf(1) + OffsetOf(Count)) / 2, Y + Full});
    const TSpan Span = LabelSpan(Labels, BarsW, [&](const QString& T) { return TextWidth(Canvas, T, TextBase); });
    const int W = Span.Width;
    const int Origin = X + Span.Spill;
    const auto XOf = [&](int Module) { return Origin + OffsetOf(Module); };
    Size = Extent(P.Rotation, W, H);
    if (!Draw)
        return;

    std::vector<TRect> Bars;
    for (int I = 1; I <= Count; ++I) {
        const bool One = FModules[static_cast<std::size_t>(I - 1)] != 0;
        if (FIM && !One)
            continue;
        // Bars stand on a common base line. FIM bars take the same places as the size counts, so
        // the last bar never lies past the reported width.
        const int Left = XOf(I);
        const int Top = FIM || One ? Y : Y + Full - Half;
        Bars.push_back(RotatedRect(Rect(Left, Top, Left + BarW, Y + Full), W, H, Y, X));
    }
    Canvas.FillRects(Bars);

    if (!Labels.empty()) {
        PrepareText(Canvas);
        for (const TLabel& L : Labels)
            DrawText(Canvas, X, L.Text, TextBase, W, H, Origin + L.Cx, L.Top, Y);
    }
}

} // namespace tessiv
