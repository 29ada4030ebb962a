#pragma once
// The barcode as a windowless graphic control: it owns one low-level barcode, publishes its
// parameters as Bar_ properties with range checks, paints itself at its own size and draws on any
// other canvas. Property writes that fail their check raise EOverflow and change nothing.

#include "barcode/LLBarcode.h"

#include "platform/controls/Controls.h"

#include <QString>

#include <memory>

namespace tessiv {

// Names of the barcode enumerations' values, for streaming them by name.
const TEnumInfo& btCodeTypesInfo();
const TEnumInfo& btCodeSizesInfo();
const TEnumInfo& btCodeRotateInfo();
const TEnumInfo& btCodeRatioInfo();

class TCustomBarcode : public TGraphicControl {
    TESSIV_CLASS(TCustomBarcode, TGraphicControl)
public:
    // Longest text a caption may hold.
    static constexpr int MaxCaptionLength = 50;

    explicit TCustomBarcode(TComponent* AOwner);
    ~TCustomBarcode() override;

    // The text, Windows-1252 characters (#128 to #138 are the Code 128 set and function symbols).
    QString Bar_Caption() const;
    void SetBar_Caption(const QString& Value);
    // Only the digits of Value are kept: 5 or more give the first 5, 2 to 4 the first 2, fewer none.
    QString Bar_CodeAddon() const;
    void SetBar_CodeAddon(const QString& Value);
    btCodeTypes Bar_CodeType() const { return FBarcode->Params().CodeType; }
    void SetBar_CodeType(btCodeTypes Value);
    QString Bar_Fontname() const { return FBarcode->Params().FontName; }
    void SetBar_Fontname(const QString& Value);
    int Bar_Fontscaling() const { return FBarcode->Params().FontScaling; }
    void SetBar_Fontscaling(int Value);
    int Bar_HeightPercent() const { return FBarcode->Params().HeightPercent; }
    void SetBar_HeightPercent(int Value);
    bool Bar_HighDensity() const { return FBarcode->Params().HighDensity; }
    void SetBar_HighDensity(bool Value);
    bool Bar_HumanReadable() const { return FBarcode->Params().HumanReadable; }
    void SetBar_HumanReadable(bool Value);
    btCodeSizes Bar_ModuleWidth() const { return FBarcode->Params().ModuleWidth; }
    void SetBar_ModuleWidth(btCodeSizes Value);
    btCodeRatio Bar_Ratio() const { return FBarcode->Params().Ratio; }
    void SetBar_Ratio(btCodeRatio Value);
    btCodeRotate Bar_Rotation() const { return FBarcode->Params().Rotation; }
    void SetBar_Rotation(btCodeRotate Value);
    bool Bar_WidthReduce() const { return FBarcode->Params().WidthReduce; }
    void SetBar_WidthReduce(bool Value);
    bool Bar_ZoomSize() const { return FBarcode->Params().ZoomSize; }
    void SetBar_ZoomSize(bool Value);

    // Draws the barcode with its unrotated top-left corner at (X, Y) in the canvas's device units
    // and returns in *Size, when given, the width and height it covers there. Callers measure a
    // barcode by drawing it far outside the canvas, at (-10000, -10000).
    void DrawBarcode(TCanvas& Canvas, int X, int Y, TSize* Size = nullptr);
    // The size DrawBarcode would cover on the canvas, without drawing anything on it.
    TSize MeasureBarcode(TCanvas& Canvas);

    // Draws at (0, 0) and takes the barcode's size, so the control always fits its barcode.
    void Paint(TCanvas& Canvas) override;

    const TLLBarcode& Barcode() const { return *FBarcode; }

private:
    std::unique_ptr<TLLBarcode> FBarcode;
};

} // namespace tessiv
