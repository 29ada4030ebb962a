#pragma once
// The three drawing tools a canvas holds: font, pen and brush. Each is a persistent object with
// published properties (streamed as "Font.Name", "Pen.Style"...) and an OnChange notification.

#include "platform/core/Persistent.h"
#include "platform/core/Sets.h"
#include "platform/graphics/Color.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace tessiv {

class TGraphicsObject : public TPersistent {
    TESSIV_CLASS(TGraphicsObject, TPersistent)
public:
    // Called after every change of a property (once per Assign).
    std::function<void(TGraphicsObject* sender)> OnChange;

protected:
    void Changed();
    // Changes made between BeginUpdate and EndUpdate notify once at the end.
    void BeginUpdate() { ++FUpdating; }
    void EndUpdate();

private:
    int FUpdating = 0;
    bool FPending = false;
};

// ---- font ---------------------------------------------------------------------------------------

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = std::uint8_t;

constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SYMBOL_CHARSET = 2;
constexpr TFontCharset OEM_CHARSET = 255;

const TEnumInfo& FontStyleInfo();
const TEnumInfo& FontPitchInfo();
const TIdentMap& CharsetIdents();

// What GDI's logical font record holds, in the units of the device it is selected into.
// Height < 0: character height (the em square) in pixels; > 0: cell height; 0: a default size.
struct TLogFont {
    int Height = 0;
    int Width = 0;
    int Escapement = 0;  // tenths of a degree, counter-clockwise
    int Orientation = 0;
    int Weight = 400;    // 400 normal, 700 bold
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    std::uint8_t CharSet = DEFAULT_CHARSET;
    std::uint8_t PitchAndFamily = 0;
    QString FaceName;    // at most 31 characters are kept, as in GDI's record

    friend bool operator==(const TLogFont&, const TLogFont&) = default;
};

// Pixels per inch the screen is taken to have (fonts' default, the preview's device).
int ScreenPixelsPerInch();

class TFont : public TGraphicsObject {
    TESSIV_CLASS(TFont, TGraphicsObject)
public:
    TFont();

    void Assign(const TPersistent* source) override;

    const QString& Name() const { return FName; }
    void SetName(const QString& name);
    // Points; -MulDiv(Height, 72, PixelsPerInch).
    int Size() const;
    void SetSize(int points);
    // Pixels at PixelsPerInch; negative = character height (what Size sets).
    int Height() const { return FHeight; }
    void SetHeight(int height);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch pitch);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset charset);
    // Angle of the text's base line, tenths of a degree counter-clockwise (rotated text). Not
    // streamed: report files do not carry it.
    int Orientation() const { return FOrientation; }
    void SetOrientation(int tenths);
    // The resolution Height is counted in (the screen's unless a device sets its own).
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int ppi);

    // The logical font for a device of the given resolution: the height scaled from PixelsPerInch
    // to deviceDpi (so 10 points are 13 pixels at 96 dpi and 83 at 600).
    TLogFont LogFont(int deviceDpi) const;
    // Takes a logical font's face, style, charset and height (at PixelsPerInch), as selecting a
    // font handle into the font does.
    void SetLogFont(const TLogFont& lf);

private:
    QString FName;
    int FHeight;
    TFontStyles FStyle;
    TColor FColor;
    TFontPitch FPitch = fpDefault;
    TFontCharset FCharset = DEFAULT_CHARSET;
    int FOrientation = 0;
    int FPixelsPerInch;
};

// ---- pen ----------------------------------------------------------------------------------------

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
const TEnumInfo& PenStyleInfo();
const TEnumInfo& PenModeInfo();
// GDI's binary raster operation (R2_*) for a pen mode.
int PenModeToRop2(TPenMode mode);
TPenMode Rop2ToPenMode(int rop2);

class TPen : public TGraphicsObject {
    TESSIV_CLASS(TPen, TGraphicsObject)
public:
    void Assign(const TPersistent* source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode mode);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle style);
    int Width() const { return FWidth; }
    void SetWidth(int width); // values below 1 count as 1

private:
    TColor FColor = clBlack;
    TPenMode FMode = pmCopy;
    TPenStyle FStyle = psSolid;
    int FWidth = 1;
};

// ---- brush --------------------------------------------------------------------------------------

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
const TEnumInfo& BrushStyleInfo();

class TBrush : public TGraphicsObject {
    TESSIV_CLASS(TBrush, TGraphicsObject)
public:
    void Assign(const TPersistent* source) override;

    TColor Color() const { return FColor; }
    // Choosing a colour on a clear brush makes it solid, as the class library does.
    void SetColor(TColor color);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle style);

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

} // namespace tessiv
