#pragma once
// Lengths of a report: every one is held in tenths of a millimetre as an 80-bit float and shown in
// the report's unit. The page of a report, the size of a band and the size of a printable control
// are such unit objects; each applies its values to the control that owns it.

#include "engine/model/KVTypes.h"
#include "platform/core/Persistent.h"
#include "platform/printing/Printer.h"

#include <array>

class QLocale;

namespace tessiv {

class TVardoRep;
class TKVCustomBand;
class TControl;
class TReader;
class TWriter;

enum TKVUnit { kvunMM, kvunInches, kvunPixels, kvunCharacters, kvunNative };
const TEnumInfo& UnitInfo();
const TEnumInfo& PrinterOrientationInfo();

// Whether the system locale measures in inches; read from the locale on first use, settable once
// at start-up (and by tests).
bool LocaleUsesInches();
void SetLocaleUsesInches(bool value);
// Whether a locale measures in inches: the US system only.
bool LocaleUsesInches(const QLocale& locale);

// The character cell of the characters unit, in millimetres, for a font size in points.
long double CharacterWidth(long double fontSize);
long double CharacterHeight(long double fontSize);

// Width and length in millimetres of a standard paper (Letter .. ESheet); 0 for Default and Custom.
long double PaperWidthMM(TKVPaperSize size);
long double PaperLengthMM(TKVPaperSize size);
// The paper that a device-mode paper code stands for: 1..26 the standard sizes, 256 Custom,
// any other code Default.
TKVPaperSize PaperSizeOfCode(int code);

class TKVUnitBase : public TPersistent {
    TESSIV_CLASS(TKVUnitBase, TPersistent)
public:
    TKVUnitBase();

    // Native value to the given unit and back; Horizontal chooses the character cell's width.
    virtual long double FromNative(TKVUnit units, bool horizontal, long double value) const;
    virtual long double ToNative(TKVUnit units, bool horizontal, long double value) const;
    virtual TKVUnit GetUnits() const { return FUnits; }
    // Re-applies the values to the owning control (after Zoom changed).
    virtual void Update() { Changed(); }
    virtual void SetUnits(TKVUnit value) { FUnits = value; }

    void PushPixelUnits();
    void PopUnits();

    void DefineProperties(TFiler& filer) override;

    int PPI() const { return FPPI; }
    void SetPPI(int ppi) { FPPI = ppi; }
    int Zoom() const { return FZoom; }
    void SetZoom(int zoom) { FZoom = zoom; }
    TVardoRep* ParentReport() const { return FParentReport; }
    void SetParentReport(TVardoRep* report) { FParentReport = report; }
    bool Updating() const { return FUpdating; }

protected:
    virtual void ReadValues(TReader& reader) {}
    virtual void Changed() {}
    virtual void WriteValues(TWriter& writer) const {}
    // Reads a "Values" list of exactly values.size() numbers.
    void ReadList(TReader& reader, long double* values, int count);
    void WriteList(TWriter& writer, const long double* values, int count) const;

    // Sets Updating for a scope and gives back what it was, also when the scope fails: a control
    // may change its own size while the size applies (a barcode fits itself), and the outer
    // application is still applying when the inner one ends.
    struct TUpdatingScope {
        explicit TUpdatingScope(TKVUnitBase& u) : Unit(u), Was(u.FUpdating) { Unit.FUpdating = true; }
        ~TUpdatingScope() { Unit.FUpdating = Was; }
        TKVUnitBase& Unit;
        bool Was;
    };

    int FPPI;
    TKVUnit FUnits;
    TKVUnit FSavedUnits;
    TVardoRep* FParentReport = nullptr;
    bool FUpdating = false;
    int FZoom = 100;
};

// The height and width of a band.
class TKVBandSize : public TKVUnitBase {
    TESSIV_CLASS(TKVBandSize, TKVUnitBase)
public:
    enum { kvHeight, kvWidth };
    explicit TKVBandSize(TKVCustomBand* band);

    long double Value(int index) const;
    void SetValue(int index, long double value);
    long double Height() const { return Value(kvHeight); }
    void SetHeight(long double v) { SetValue(kvHeight, v); }
    long double Width() const { return Value(kvWidth); }
    void SetWidth(long double v) { SetValue(kvWidth, v); }
    long double NativeValue(int index) const { return FValues[static_cast<size_t>(index)]; }
    // Sets a value given in native units, whatever the unit it is shown in: the unit may change
    // while the band applies its size (the report lays out its bands in pixels).
    void SetNativeValue(int index, long double value);

protected:
    void ReadValues(TReader& reader) override;
    void Changed() override;
    void WriteValues(TWriter& writer) const override;

private:
    TKVCustomBand* FBand;
    std::array<long double, 2> FValues{20, 40};
};

// The page of a report: paper, orientation, margins, columns and the automatic detail lines.
class TKVPage : public TKVUnitBase {
    TESSIV_CLASS(TKVPage, TKVUnitBase)
public:
    enum { kvBottomMargin, kvLength, kvTopMargin, kvWidth, kvLeftMargin, kvRightMargin, kvColumnSpace };
    static constexpr int ValueCount = 7;
    explicit TKVPage(TVardoRep* report);

    long double Value(int index) const;
    void SetValue(int index, long double value);
    long double NativeValue(int index) const { return FValues[static_cast<size_t>(index)]; }
    long double BottomMargin() const { return Value(kvBottomMargin); }
    void SetBottomMargin(long double v) { SetValue(kvBottomMargin, v); }
    long double Length() const { return Value(kvLength); }
    void SetLength(long double v) { SetValue(kvLength, v); }
    long double TopMargin() const { return Value(kvTopMargin); }
    void SetTopMargin(long double v) { SetValue(kvTopMargin, v); }
    long double Width() const { return Value(kvWidth); }
    void SetWidth(long double v) { SetValue(kvWidth, v); }
    long double LeftMargin() const { return Value(kvLeftMargin); }
    void SetLeftMargin(long double v) { SetValue(kvLeftMargin, v); }
    long double RightMargin() const { return Value(kvRightMargin); }
    void SetRightMargin(long double v) { SetValue(kvRightMargin, v); }
    long double ColumnSpace() const { return Value(kvColumnSpace); }
    void SetColumnSpace(long double v) { SetValue(kvColumnSpace, v); }

    TKVPaperSize PaperSize() const { return FPaperSize; }
    void SetPaperSize(TKVPaperSize value);
    TPrinterOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TPrinterOrientation value);
    int Columns() const { return FColumns; }
    void SetColumns(int value);
    int Lines() const { return FLines; }
    void SetLines(int value);
    bool AutomaticLines() const { return FAutomaticLines; }
    void SetAutomaticLines(bool value);
    bool Ruler() const { return FRuler; }
    void SetRuler(bool value);

    void SetUnits(TKVUnit value) override;
    TVardoRep* Report() const { return FReport; }

protected:
    void ReadValues(TReader& reader) override;
    void Changed() override;
    void WriteValues(TWriter& writer) const override;

private:
    void Relayout();
    void Repaint();

    TVardoRep* FReport;
    std::array<long double, ValueCount> FValues{};
    TKVPaperSize FPaperSize = TKVPaperSize::Default;
    TPrinterOrientation FOrientation = TPrinterOrientation::poPortrait;
    int FColumns = 1;
    int FLines = 0;
    bool FAutomaticLines = false;
    bool FRuler = true;
};

// The position and size of a printable control.
class TKVPrintableSize : public TKVUnitBase {
    TESSIV_CLASS(TKVPrintableSize, TKVUnitBase)
public:
    enum { kvHeight, kvLeft, kvTop, kvWidth };
    explicit TKVPrintableSize(TControl* control);

    long double Value(int index) const;
    void SetValue(int index, long double value);
    long double NativeValue(int index) const { return FValues[static_cast<size_t>(index)]; }
    // Sets a value given in native units, whatever the unit it is shown in.
    void SetNativeValue(int index, long double value);
    long double Height() const { return Value(kvHeight); }
    void SetHeight(long double v) { SetValue(kvHeight, v); }
    long double Left() const { return Value(kvLeft); }
    void SetLeft(long double v) { SetValue(kvLeft, v); }
    long double Top() const { return Value(kvTop); }
    void SetTop(long double v) { SetValue(kvTop, v); }
    long double Width() const { return Value(kvWidth); }
    void SetWidth(long double v) { SetValue(kvWidth, v); }

protected:
    void ReadValues(TReader& reader) override;
    void Changed() override;
    void WriteValues(TWriter& writer) const override;

private:
    TControl* FControl;
    std::array<long double, 4> FValues{20, 20, 20, 20};
};

} // namespace tessiv
