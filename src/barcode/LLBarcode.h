#pragma once
// The low-level barcode: turns its parameters into a row of modules. Drawing starts from here.

#include "barcode/BarcodeParams.h"
#include "barcode/BarcodeTables.h"
#include "barcode/BarcodeText.h"

#include "platform/graphics/Types.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace tessiv {

class TCanvas;

// How a CODE25iP text is shown: 14 digits grouped "ddddd.ddd.ddd.dd   d", 12 digits split at
// IdentSplit ("dd.ddddd   dddd   d" for 7); other lengths as they are.
std::string FormatCode25iPText(std::string_view Text, int IdentSplit = 7);

class TLLBarcode {
public:
    // Room for 52 Code 39 characters at Ratio_3.
    static constexpr int ModuleCapacity = 833;
    // The MSI bit string: start bit, four bits per digit, two stop bits.
    static constexpr int MSIBitCapacity = 200;

    TLLBarcode();
    ~TLLBarcode();
    TLLBarcode(const TLLBarcode&) = delete;
    TLLBarcode& operator=(const TLLBarcode&) = delete;

    TBarcodeParams& Params() { return *FParams; }
    const TBarcodeParams& Params() const { return *FParams; }

    // The completed text laid out by the last MakeModules: Code 128 symbol characters for the
    // Code 128 types, "FIM-A", "FIM-B" or "FIM-C" for Postnet_FIM.
    const std::string& Prepared() const { return FPrepared; }

    // Modules in use. For bar-and-space symbologies 1 is a bar module and 0 a space; for Postnet
    // each module is a bar position, 1 full height and 0 half height; for Postnet_FIM 1 is a bar
    // and 0 none.
    int ModuleCount() const { return FModuleCount; }
    // Module Index, counted from 1 up to ModuleCapacity; modules past ModuleCount are 0.
    std::uint8_t Module(int Index) const;
    // Modules 1 to ModuleCount (element 0 is module 1).
    std::span<const std::uint8_t> Modules() const
    {
        return {FModules.data(), static_cast<std::size_t>(FModuleCount)};
    }

    // Completes Params' text and lays it out, with the EAN-13 or UPC-A add-on after it. Raises
    // EOverflow with "BarLL: Wrong Addoncode" for an EAN-13 or UPC-A add-on that has not 0, 2 or 5
    // characters, "String exceeds maximum length" for a symbol longer than the module row or the
    // MSI bit string holds, and the errors of the text completion. On an error nothing is left: no
    // modules, no prepared text.
    void MakeModules();

    // Params' text filtered and completed for CodeType, as MakeModules lays it out.
    static std::string CompleteText(std::string_view Text, btCodeTypes CodeType);

    // ---- drawing ----
    // Draws the barcode of the current parameters with its unrotated top-left corner at (X, Y), in
    // the canvas's device units and at its resolution, and returns in Size the horizontal and
    // vertical extent it covers (width and height swapped for 90 and 270 degrees); nothing is drawn
    // outside that box. The encoding errors of MakeModules propagate before anything is drawn.
    // The canvas's brush and text alignment are restored; its font keeps the barcode's font.
    // Postnet and Postnet_FIM go to DrawPostnet.
    void DrawBarcode(TCanvas& Canvas, int X, int Y, TSize& Size);
    // Postnet and FIM codes, whose bars have fixed physical sizes.
    void DrawPostnet(TCanvas& Canvas, int X, int Y, TSize& Size);
    // The Size DrawBarcode would return on this canvas, drawing nothing at all: a recorded page
    // measured on stays as it was. The canvas keeps its brush, text alignment and font; the
    // encoding errors raise as DrawBarcode raises them.
    void MeasureBarcode(TCanvas& Canvas, TSize& Size);
    // Module width of Params' size class, halved for HighDensity; an unknown class counts as SC2.
    double ModuleWidthMM() const;
    // One text centred on (TextX, TextY), its top there, given in unrotated canvas coordinates of
    // a symbol drawn at (X, Y) that is W by H unrotated; the font's cell height comes from
    // TextBaseHeight, the text turns with Params' rotation.
    void DrawText(TCanvas& Canvas, int X, const QString& Text, double TextBaseHeight, int W, int H, int TextX,
                  int TextY, int Y);
    // The advance width of a text in the font DrawText gives it, unrotated; the canvas's font is
    // left as it was.
    int TextWidth(TCanvas& Canvas, const QString& Text, double TextBaseHeight);
    // Where one bar rectangle given in unrotated canvas coordinates of a symbol drawn at (X, Y)
    // that is W by H unrotated lands on the canvas, right and bottom edges excluded.
    TRect RotatedRect(const TRect& Rect, int W, int H, int Y, int X) const;

private:
    // The layout of DrawBarcode and DrawPostnet; Draw false stops once the size is known.
    void Render(TCanvas& Canvas, int X, int Y, TSize& Size, bool Draw);
    void RenderPostnet(TCanvas& Canvas, int X, int Y, TSize& Size, bool Draw);

    void EncodeEAN8();
    void EncodeEAN13();
    void EncodeUPCA();
    void EncodeUPCE();
    void EncodeCode39();
    void Encode2of5();
    void EncodeCode128();
    void EncodeMSI();
    void EncodeCodabar();
    void EncodePostnet();
    void EncodeFIM();
    void EncodeAddon2();
    void EncodeAddon5();

    void Clear();
    // Appends modules given as '1' (bar) and '0' (space).
    void PutModules(std::string_view Bits);
    // Appends the element list in FElements: widths in modules, alternating from a bar.
    void PutElements();
    // One EAN/UPC digit in number set 'L', 'G' or 'R'.
    void PutEANDigit(char Digit, char Set);
    char WideElement() const;

    std::unique_ptr<TBarcodeParams> FParams;
    std::string FPrepared;
    std::array<std::uint8_t, ModuleCapacity> FModules{};
    int FModuleCount = 0;
    std::string FElements; // element scratch of the Code 39, 2 of 5, MSI and Codabar layouts
};

} // namespace tessiv
