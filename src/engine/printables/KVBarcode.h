#pragma once
// The barcode printable: a data text whose value is drawn as a barcode instead of printed as text.
// The value comes from the bound field, else from the expression in Bar_Text, else is Bar_Text
// itself, filled on the left to TamanhoMaximo with Preenchimento and cut there. The embedded
// barcode is never stored: every barcode setting is a property of the printable, so report files,
// the clipboard and undo copies (CopyFrom) carry them all.
//
// A field's value reaches the barcode as the field shows it; only numeric fields are normalised
// (00123 in an INTEGER column is 123). A value the barcode cannot take (longer than a caption may
// be, or not encodable) stops a print with the library's error, while the design view draws an
// error mark on the control and goes on. Measuring never draws: a recorded page holds only the
// barcode that prints.
//
// One size: the control is always as thick as its barcode prints on its report's printer (digits
// included), and as long with AutoSize (never shorter without). Whatever sets its bounds or its
// settings (a drag, a dialog, undo, a file) leaves that size, so the designer, the status bar,
// the file and the paper agree; the design view draws the barcode as it prints, scaled.

#include "engine/printables/KVDBText.h"
#include "engine/expressions/KVEvaluator.h"

#include "barcode/CustomBarcode.h"

#include <QImage>

#include <memory>

namespace tessiv {

// Dots per inch across and down.
struct TBarcodeResolution {
    int X = 0;
    int Y = 0;
    bool operator==(const TBarcodeResolution&) const = default;
};

// Lengths of a control, in the unit asked for.
struct TBarcodeLengths {
    long double Width = 0;
    long double Height = 0;
};

// Fill put in front of Text, whole each time, until Text reaches Length; a fill of several
// characters can overshoot Length. It never cuts.
QString PadLeft(const QString& Text, const QString& Fill, int Length);

class TKVBarcode : public TKVDBText {
    TESSIV_CLASS(TKVBarcode, TKVDBText)
public:
    // An EAN-8 of module size SC2 showing "1234", 69 by 66 pixels; TamanhoMaximo 7, fill '0'.
    explicit TKVBarcode(TComponent* owner);
    ~TKVBarcode() override;

    // ---- the value ----
    // DataSet active, DataField given and the dataset has that field.
    bool IsDataField() const;
    // The value to encode: the field's, the expression's or Bar_Text, filled and cut.
    QString GetBarcodeValue();
    // The barcode's caption becomes the first 50 characters of value; repaint.
    void SetBarcodeText(const QString& value);
    // The embedded barcode (owned, never stored, never shown by itself).
    TCustomBarcode* Barcode() const { return FBarcode; }
    TKVEvaluator* Evaluator() const { return FEvaluator.get(); }

    // ---- the size ----
    // The resolution the barcode is laid out for: its report's printer's, where it prints; the
    // PDF printer's off a report or when the printer cannot tell.
    TBarcodeResolution LayoutResolution() const;
    // The lengths the control takes when asked for width and height (both in its size's unit):
    // its thickness is the barcode's as it prints, its length the barcode's with AutoSize and
    // never shorter than it without. The asked lengths when the value cannot be drawn.
    TBarcodeLengths FittedSize(long double width, long double height);

    // ---- properties ----
    void SetAutoSize(bool value);
    const QString& Bar_Text() const { return FBarText; }
    // Prepares the expression again on a report (errors swallowed) and shows the new value.
    void SetBar_Text(const QString& value);
    QString Bar_CodeAddon() const { return FBarcode->Bar_CodeAddon(); }
    void SetBar_CodeAddon(const QString& value);
    btCodeTypes Bar_CodeType() const { return FBarcode->Bar_CodeType(); }
    // EAN-8, EAN-13, UPC-A and UPC-E bring their length and the fill '0'; leaving them for
    // another type lifts the limit.
    void SetBar_CodeType(btCodeTypes value);
    int Bar_HeightPercent() const { return FBarcode->Bar_HeightPercent(); }
    void SetBar_HeightPercent(int value);
    bool Bar_HumanReadable() const { return FBarcode->Bar_HumanReadable(); }
    void SetBar_HumanReadable(bool value);
    btCodeSizes Bar_ModuleWidth() const { return FBarcode->Bar_ModuleWidth(); }
    void SetBar_ModuleWidth(btCodeSizes value);
    btCodeRatio Bar_Ratio() const { return FBarcode->Bar_Ratio(); }
    void SetBar_Ratio(btCodeRatio value);
    btCodeRotate Bar_Rotation() const { return FBarcode->Bar_Rotation(); }
    void SetBar_Rotation(btCodeRotate value);
    bool Bar_PrintEmpty() const { return FBarPrintEmpty; }
    void SetBar_PrintEmpty(bool value) { FBarPrintEmpty = value; }
    QString Bar_Fontname() const { return FBarcode->Bar_Fontname(); }
    void SetBar_Fontname(const QString& value);
    int Bar_FontScaling() const { return FBarcode->Bar_Fontscaling(); }
    void SetBar_FontScaling(int value);
    int TamanhoMaximo() const { return FTamanhoMaximo; }
    // The EAN and UPC types keep their own length whatever is written.
    void SetTamanhoMaximo(int value);
    QChar Preenchimento() const { return FPreenchimento; }
    // #0 is kept as a blank.
    void SetPreenchimento(QChar value);

    // ---- the run ----
    void Prepare() override;
    // Code 0 (next record): an aggregating expression takes the record.
    void Notify(TComponent* sender, int code) override;
    // Draws the barcode in the control's box on the run's printer object, by alignment and
    // rotation. Raises the barcode library's errors, a value over 50 characters among them.
    void Print(int ofsX, int ofsY) override;
    // The design view shows the last value.
    void Unprepare() override;

    void Paint(TCanvas& canvas) override;

    // The bounds asked for, then the size the barcode takes (FittedSize).
    void SetBounds(int left, int top, int width, int height) override;
    // The stored size is fitted once every setting is read.
    void Loaded() override;
    // The copy's settings first, then one fit: its intermediate mixes never leave a length.
    void CopyFrom(const TKVPrintable* source) override;

protected:
    void Resize() override;
    bool SizesLengthToText() const override { return false; }

private:
    // The value before the fill: field, expression or Bar_Text.
    QString SourceValue();
    // Filled to TamanhoMaximo and cut there.
    QString Fitted(const QString& value) const;
    // (Re)prepares the expression over the report's datasets; for a run it also registers for
    // the records when it aggregates.
    void PrepareExpression(bool forRun);
    // The size in dots the barcode covers at a resolution, without drawing.
    TSize MeasureAt(TBarcodeResolution dpi);
    // Where a print puts a barcode of size in box: AutoSize at the box's top left, else by
    // alignment and rotation, centre being the box's centre.
    TPoint PlaceInBox(const TRect& box, TSize size, TPoint centre) const;
    // Gives the stored size the fitted lengths; nothing off a report, while the control is read or
    // prints, or inside CopyFrom.
    void FitSize();
    // Settings changed: the size follows the barcode and the view repaints.
    void BarcodeChanged();
    void PaintBarcode(TCanvas& canvas);
    void PaintErrorMark(TCanvas& canvas);

    TCustomBarcode* FBarcode = nullptr;
    bool FFitting = false;
    // The design view's picture: the barcode drawn at the layout resolution and scaled to the
    // control, kept while nothing it shows changes.
    struct TDesignPicture {
        TBarcodeParams Params;
        TBarcodeResolution Resolution;
        TColor Color = clWhite;
        int Width = 0;
        int Height = 0;
        bool operator==(const TDesignPicture&) const = default;
    };
    TDesignPicture FPictureKey;
    QImage FPicture;
    std::unique_ptr<TKVEvaluator> FEvaluator;
    QString FBarText;
    int FTamanhoMaximo = 7;
    QChar FPreenchimento = QLatin1Char('0');
    bool FBarPrintEmpty = false;
};

} // namespace tessiv
