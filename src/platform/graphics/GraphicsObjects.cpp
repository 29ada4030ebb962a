#include "platform/graphics/GraphicsObjects.h"

#include "platform/core/Component.h"
#include "platform/core/SysUtils.h"

namespace tessiv {

// ---- change notification ------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TGraphicsObject, TPersistent, )

void TGraphicsObject::Changed()
{
    if (FUpdating > 0) {
        FPending = true;
        return;
    }
    if (OnChange)
        OnChange(this);
}

void TGraphicsObject::EndUpdate()
{
    if (--FUpdating == 0 && FPending) {
        FPending = false;
        Changed();
    }
}

// ---- font ---------------------------------------------------------------------------------------

const TEnumInfo& FontStyleInfo()
{
    static const TEnumInfo info{QStringLiteral("TFontStyle"),
                                {QStringLiteral("fsBold"), QStringLiteral("fsItalic"),
                                 QStringLiteral("fsUnderline"), QStringLiteral("fsStrikeOut")}};
    return info;
}

const TEnumInfo& FontPitchInfo()
{
    static const TEnumInfo info{QStringLiteral("TFontPitch"),
                                {QStringLiteral("fpDefault"), QStringLiteral("fpVariable"),
                                 QStringLiteral("fpFixed")}};
    return info;
}

const TIdentMap& CharsetIdents()
{
    static const TIdentMap map{{
        {0, QStringLiteral("ANSI_CHARSET")},
        {1, QStringLiteral("DEFAULT_CHARSET")},
        {2, QStringLiteral("SYMBOL_CHARSET")},
        {77, QStringLiteral("MAC_CHARSET")},
        {128, QStringLiteral("SHIFTJIS_CHARSET")},
        {129, QStringLiteral("HANGEUL_CHARSET")},
        {130, QStringLiteral("JOHAB_CHARSET")},
        {134, QStringLiteral("GB2312_CHARSET")},
        {136, QStringLiteral("CHINESEBIG5_CHARSET")},
        {161, QStringLiteral("GREEK_CHARSET")},
        {162, QStringLiteral("TURKISH_CHARSET")},
        {163, QStringLiteral("VIETNAMESE_CHARSET")},
        {177, QStringLiteral("HEBREW_CHARSET")},
        {178, QStringLiteral("ARABIC_CHARSET")},
        {186, QStringLiteral("BALTIC_CHARSET")},
        {204, QStringLiteral("RUSSIAN_CHARSET")},
        {222, QStringLiteral("THAI_CHARSET")},
        {238, QStringLiteral("EASTEUROPE_CHARSET")},
        {255, QStringLiteral("OEM_CHARSET")},
    }};
    return map;
}

int ScreenPixelsPerInch()
{
    // Fixed rather than asked of the display: layouts and recorded pages must not depend on the
    // monitor a user happens to have.
    return 96;
}

// Size is derived from Height and so not stored; Charset, Color, Height, Name and Style are
// always written, as report files expect them.
TESSIV_IMPLEMENT_CLASS(TFont, TGraphicsObject,
    t.Integer(QStringLiteral("Charset"), &TFont::Charset,
              [](TFont& f, std::int64_t v) { f.SetCharset(TFontCharset(v)); }, std::nullopt, &CharsetIdents());
    t.Integer(QStringLiteral("Color"), &TFont::Color, &TFont::SetColor, std::nullopt, &ColorIdents());
    t.Integer(QStringLiteral("Height"), &TFont::Height, &TFont::SetHeight);
    t.String(QStringLiteral("Name"), &TFont::Name, &TFont::SetName);
    t.Enum(QStringLiteral("Pitch"), FontPitchInfo(), &TFont::Pitch, &TFont::SetPitch, fpDefault);
    t.Integer(QStringLiteral("Size"), &TFont::Size, &TFont::SetSize)
        .WithStored([](const TPersistent*) { return false; });
    t.Set(QStringLiteral("Style"), FontStyleInfo(), &TFont::Style, &TFont::SetStyle);
)

TFont::TFont()
    : FName(QStringLiteral("MS Sans Serif")), FHeight(-11), FColor(clWindowText),
      FPixelsPerInch(ScreenPixelsPerInch())
{
}

void TFont::Assign(const TPersistent* source)
{
    if (auto* f = dynamic_cast<const TFont*>(source)) {
        BeginUpdate();
        SetName(f->FName);
        // A font copied onto another device keeps its point size there.
        if (f->FPixelsPerInch != FPixelsPerInch && f->FHeight < 0)
            SetHeight(-MulDiv(f->Size(), FPixelsPerInch, 72));
        else if (f->FPixelsPerInch != FPixelsPerInch)
            SetHeight(MulDiv(f->FHeight, FPixelsPerInch, f->FPixelsPerInch));
        else
            SetHeight(f->FHeight);
        SetStyle(f->FStyle);
        SetColor(f->FColor);
        SetPitch(f->FPitch);
        SetCharset(f->FCharset);
        SetOrientation(f->FOrientation);
        EndUpdate();
        return;
    }
    TGraphicsObject::Assign(source);
}

void TFont::SetName(const QString& name)
{
    if (name.isEmpty() || name == FName)
        return;
    FName = name;
    Changed();
}

int TFont::Size() const
{
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int points)
{
    SetHeight(-MulDiv(points, FPixelsPerInch, 72));
}

void TFont::SetHeight(int height)
{
    if (height == FHeight)
        return;
    FHeight = height;
    Changed();
}

void TFont::SetStyle(TFontStyles style)
{
    if (style == FStyle)
        return;
    FStyle = style;
    Changed();
}

void TFont::SetColor(TColor color)
{
    if (color == FColor)
        return;
    FColor = color;
    Changed();
}

void TFont::SetPitch(TFontPitch pitch)
{
    if (pitch == FPitch)
        return;
    FPitch = pitch;
    Changed();
}

void TFont::SetCharset(TFontCharset charset)
{
    if (charset == FCharset)
        return;
    FCharset = charset;
    Changed();
}

void TFont::SetOrientation(int tenths)
{
    if (tenths == FOrientation)
        return;
    FOrientation = tenths;
    Changed();
}

void TFont::SetPixelsPerInch(int ppi)
{
    if (ppi > 0)
        FPixelsPerInch = ppi;
}

TLogFont TFont::LogFont(int deviceDpi) const
{
    TLogFont lf;
    if (deviceDpi <= 0 || deviceDpi == FPixelsPerInch)
        lf.Height = FHeight;
    else if (FHeight < 0)
        lf.Height = -MulDiv(Size(), deviceDpi, 72);
    else
        lf.Height = MulDiv(FHeight, deviceDpi, FPixelsPerInch);
    lf.Escapement = FOrientation;
    lf.Orientation = FOrientation;
    lf.Weight = FStyle.Contains(fsBold) ? 700 : 400;
    lf.Italic = FStyle.Contains(fsItalic);
    lf.Underline = FStyle.Contains(fsUnderline);
    lf.StrikeOut = FStyle.Contains(fsStrikeOut);
    lf.CharSet = FCharset;
    lf.PitchAndFamily = FPitch == fpFixed ? 1 : FPitch == fpVariable ? 2 : 0;
    lf.FaceName = FName.left(31);
    return lf;
}

void TFont::SetLogFont(const TLogFont& lf)
{
    BeginUpdate();
    SetName(lf.FaceName);
    SetHeight(lf.Height);
    TFontStyles style;
    if (lf.Weight >= 600)
        style += fsBold;
    if (lf.Italic)
        style += fsItalic;
    if (lf.Underline)
        style += fsUnderline;
    if (lf.StrikeOut)
        style += fsStrikeOut;
    SetStyle(style);
    SetCharset(lf.CharSet);
    SetPitch((lf.PitchAndFamily & 3) == 1 ? fpFixed : (lf.PitchAndFamily & 3) == 2 ? fpVariable : fpDefault);
    SetOrientation(lf.Escapement);
    EndUpdate();
}

// ---- pen ----------------------------------------------------------------------------------------

const TEnumInfo& PenStyleInfo()
{
    static const TEnumInfo info{QStringLiteral("TPenStyle"),
                                {QStringLiteral("psSolid"), QStringLiteral("psDash"), QStringLiteral("psDot"),
                                 QStringLiteral("psDashDot"), QStringLiteral("psDashDotDot"),
                                 QStringLiteral("psClear"), QStringLiteral("psInsideFrame")}};
    return info;
}

const TEnumInfo& PenModeInfo()
{
    static const TEnumInfo info{
        QStringLiteral("TPenMode"),
        {QStringLiteral("pmBlack"), QStringLiteral("pmWhite"), QStringLiteral("pmNop"), QStringLiteral("pmNot"),
         QStringLiteral("pmCopy"), QStringLiteral("pmNotCopy"), QStringLiteral("pmMergePenNot"),
         QStringLiteral("pmMaskPenNot"), QStringLiteral("pmMergeNotPen"), QStringLiteral("pmMaskNotPen"),
         QStringLiteral("pmMerge"), QStringLiteral("pmNotMerge"), QStringLiteral("pmMask"),
         QStringLiteral("pmNotMask"), QStringLiteral("pmXor"), QStringLiteral("pmNotXor")}};
    return info;
}

namespace {
// R2_* codes in TPenMode order.
constexpr int kRop2[] = {1, 16, 11, 6, 13, 4, 14, 5, 12, 3, 15, 2, 9, 8, 7, 10};
} // namespace

int PenModeToRop2(TPenMode mode)
{
    return kRop2[mode];
}

TPenMode Rop2ToPenMode(int rop2)
{
    for (int i = 0; i < 16; ++i)
        if (kRop2[i] == rop2)
            return TPenMode(i);
    return pmCopy;
}

TESSIV_IMPLEMENT_CLASS(TPen, TGraphicsObject,
    t.Integer(QStringLiteral("Color"), &TPen::Color, &TPen::SetColor, clBlack, &ColorIdents());
    t.Enum(QStringLiteral("Mode"), PenModeInfo(), &TPen::Mode, &TPen::SetMode, pmCopy);
    t.Enum(QStringLiteral("Style"), PenStyleInfo(), &TPen::Style, &TPen::SetStyle, psSolid);
    t.Integer(QStringLiteral("Width"), &TPen::Width, &TPen::SetWidth, 1);
)

void TPen::Assign(const TPersistent* source)
{
    if (auto* p = dynamic_cast<const TPen*>(source)) {
        BeginUpdate();
        SetColor(p->FColor);
        SetMode(p->FMode);
        SetStyle(p->FStyle);
        SetWidth(p->FWidth);
        EndUpdate();
        return;
    }
    TGraphicsObject::Assign(source);
}

void TPen::SetColor(TColor color)
{
    if (color == FColor)
        return;
    FColor = color;
    Changed();
}

void TPen::SetMode(TPenMode mode)
{
    if (mode == FMode)
        return;
    FMode = mode;
    Changed();
}

void TPen::SetStyle(TPenStyle style)
{
    if (style == FStyle)
        return;
    FStyle = style;
    Changed();
}

void TPen::SetWidth(int width)
{
    if (width < 1)
        width = 1;
    if (width == FWidth)
        return;
    FWidth = width;
    Changed();
}

// ---- brush --------------------------------------------------------------------------------------

const TEnumInfo& BrushStyleInfo()
{
    static const TEnumInfo info{QStringLiteral("TBrushStyle"),
                                {QStringLiteral("bsSolid"), QStringLiteral("bsClear"),
                                 QStringLiteral("bsHorizontal"), QStringLiteral("bsVertical"),
                                 QStringLiteral("bsFDiagonal"), QStringLiteral("bsBDiagonal"),
                                 QStringLiteral("bsCross"), QStringLiteral("bsDiagCross")}};
    return info;
}

TESSIV_IMPLEMENT_CLASS(TBrush, TGraphicsObject,
    t.Integer(QStringLiteral("Color"), &TBrush::Color, &TBrush::SetColor, clWhite, &ColorIdents());
    t.Enum(QStringLiteral("Style"), BrushStyleInfo(), &TBrush::Style, &TBrush::SetStyle, bsSolid);
)

void TBrush::Assign(const TPersistent* source)
{
    if (auto* b = dynamic_cast<const TBrush*>(source)) {
        BeginUpdate();
        FColor = b->FColor;
        FStyle = b->FStyle;
        Changed();
        EndUpdate();
        return;
    }
    TGraphicsObject::Assign(source);
}

void TBrush::SetColor(TColor color)
{
    if (color == FColor && FStyle != bsClear)
        return;
    FColor = color;
    if (FStyle == bsClear)
        FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (style == FStyle)
        return;
    FStyle = style;
    Changed();
}

} // namespace tessiv
