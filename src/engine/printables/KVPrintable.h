#pragma once
// The base of every control that prints on a report. It keeps the control's pixel bounds and its
// size in tenths of a millimetre in step at the report's zoom, keeps itself at the left, right or
// centre of its band, draws its frame when its band prints and its outline on the design surface.
// CopyFrom, through which undo and redo restore a control, copies every stored property through
// the class's property table, so a property a subclass publishes is copied without code of its own.

#include "platform/controls/Controls.h"
#include "platform/core/Alignment.h"
// After the controls: the hooks' header casts a control.
#include "engine/model/KVFrame.h"
#include "engine/model/KVPrintableHooks.h"
#include "engine/model/KVUnits.h"

#include <memory>

namespace tessiv {

class TKVPrinter;
class TVardoRep;

class TKVPrintable : public TCustomControl, public TKVPrintableHooks {
    TESSIV_CLASS(TKVPrintable, TCustomControl)
public:
    // Transparent, white, 10 by 10 pixels, left-justified, not aligned to its band.
    explicit TKVPrintable(TComponent* owner);
    ~TKVPrintable() override;

    // ---- the run and the band ----
    // Places the control inside its band by Alignment, when AlignToBand is set: left at 0, right
    // and centre only on a band (on the report panel they leave the control where it is).
    virtual void AlignIt();
    // Before the first record: the control takes the run's printer object.
    void Prepare() override;
    // Draws the frame round the control's size offset by (ofsX, ofsY) in whole 0.1 mm, on the run's
    // printer object; nothing while exporting or without a printer object. Subclasses that draw
    // their frame themselves do not call it.
    void Print(int ofsX, int ofsY) override;
    // Code 2 (the band's size changed) aligns the control again; other codes are for subclasses.
    void Notify(TComponent* sender, int code) override;
    virtual void SetAlignment(TAlignment value);
    // After the run; the printer object is let go, as it goes with the run.
    void Unprepare() override;
    // Copies source's settings into this control: frame, size unit, bounds scaled from source's
    // pixels (at zoom 100 in an undo copy) to this control's zoom, truncated, then every other
    // stored property of the class. Nil and the control itself do nothing. Whatever happens, the
    // control ends with source's visibility.
    virtual void CopyFrom(const TKVPrintable* source);

    // ---- what the report and the bands ask ----
    void SetUnits(TKVUnit units) override;
    // Values below 1 are ignored.
    void SetZoom(int zoom) override;
    bool AlignToBand() const override { return FAlignToBand; }
    void SetCampoQuantidade(bool value) override {}
    QString DataField() const override { return {}; }

    // ---- properties ----
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignToBand(bool value);
    TKVFrame* Frame() const { return FFrame.get(); }
    // Takes the given frame's settings.
    void SetFrame(const TKVFrame* value);
    TKVPrintableSize* Size() const { return FSize.get(); }
    // The control is transparent when its control style lacks csOpaque.
    bool Transparent() const { return !ControlStyle().Contains(csOpaque); }
    void SetTransparent(bool value);
    int GetZoom() const { return FSize->Zoom(); }
    bool Printing() const { return FPrinting; }
    // The report the control lies on, directly or on one of its bands.
    TVardoRep* ParentReport() const { return FParentReport; }
    // The run's printer object between Prepare and Unprepare.
    TKVPrinter* Printer() const { return FPrinter; }

    // Writes the pixel bounds into the size (in its own unit again afterwards). While the control
    // is read, non-zero bounds are remembered for Loaded instead; while the size applies its own
    // lengths nothing goes back but the Left that aligning chooses. An aligned control aligns again.
    void SetBounds(int left, int top, int width, int height) override;
    // On the report or a band the control takes its unit, report and zoom and keeps its pixel place.
    void SetParent(TWinControl* parent) override;
    // The stored lengths become the bounds at the current zoom; a file without them keeps the
    // pixel bounds it gave, and a bound the lengths make 0 takes the file's too.
    void Loaded() override;
    // The design view: the colour, corner marks and the frame at the zoom.
    void Paint(TCanvas& canvas) override;

    // ---- design time ----
    // The press state the report's designer keeps on the control, as on a band: a left press
    // taken, the press point in the control's coordinates, 1 while a press drags it and 2 after a
    // left release that ended no press, and a press that only activated the window.
    bool ActivationClick = false;
    bool DesignPressed = false;
    TPoint DownPoint;
    int PressState = 0;
    // Takes the outline the designer's drag ended with as the bounds. Nothing without an outline
    // in progress.
    void FitToDesignerRect();

protected:
    // The control's events run, then the report's designer does its design work; while a press
    // only activated the window, a move does nothing at all.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    // The four corner marks of the design view, in black over whatever is drawn.
    void PaintCornerMarks(TCanvas& canvas) const;
    void Notification(TComponent* component, TOperation operation) override;
    // The frame round the size offset by (ofsX, ofsY) in 0.1 mm, on the printer object's canvas at
    // its device units; what the base Print draws.
    void PrintFrame(TKVPrinter& printer, int ofsX, int ofsY) const;

private:
    void SetParentReport(TVardoRep* report);

    bool FAligning = false;
    TAlignment FAlignment = taLeftJustify;
    bool FAlignToBand = false;
    std::unique_ptr<TKVFrame> FFrame;
    bool FPrinting = false;
    TVardoRep* FParentReport = nullptr;
    TKVPrinter* FPrinter = nullptr;
    std::unique_ptr<TKVPrintableSize> FSize;
    // Non-zero bounds given while the control is read from a stream.
    int FLoadedTop = 0;
    int FLoadedWidth = 0;
    int FLoadedHeight = 0;
    int FLoadedLeft = 0;
};

} // namespace tessiv
