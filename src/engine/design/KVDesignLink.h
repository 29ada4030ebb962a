#pragma once
// What the report, its bands and its printables know of the designer attached to the report. The
// designer lives above the engine, so the report holds it through this interface: the controls'
// own mouse methods raise their events and then hand the press, move or release over, and the
// controls' FitToDesignerRect takes the outline that the drag ended with.

#include "platform/controls/Controls.h"

namespace tessiv {

class TKVCustomBand;
class TKVPrintable;
class TVardoRep;

class TKVDesignLink {
public:
    virtual ~TKVDesignLink() = default;

    // A press on the report itself (not on one of its bands), in the report's coordinates.
    virtual void ReportMouseDown(TVardoRep* report, TMouseButton button, TShiftState shift, int x, int y) = 0;
    // The band's and printable's mouse, in their own client coordinates, after their events ran.
    virtual void BandMouseDown(TKVCustomBand* band, TMouseButton button, TShiftState shift, int x, int y) = 0;
    virtual void BandMouseMove(TKVCustomBand* band, TShiftState shift, int x, int y) = 0;
    virtual void BandMouseUp(TKVCustomBand* band, TMouseButton button, TShiftState shift, int x, int y) = 0;
    virtual void PrintableMouseDown(TKVPrintable* printable, TMouseButton button, TShiftState shift, int x,
                                    int y) = 0;
    virtual void PrintableMouseMove(TKVPrintable* printable, TShiftState shift, int x, int y) = 0;
    virtual void PrintableMouseUp(TKVPrintable* printable, TMouseButton button, TShiftState shift, int x,
                                  int y) = 0;

    // An outline is on the surface: a drag began one and has not taken it yet.
    virtual bool Outlining() const = 0;
    // Takes the outline off the surface and gives it in the dragged control's parent coordinates.
    // Needs an outline in progress (Outlining).
    virtual TRect GetDragRect() = 0;
    // The report is going away: the designer lets go of it and of its handles.
    virtual void Detach() = 0;
};

// The designer of the report while it is attached (DesignState 4); nil for none or no report.
TKVDesignLink* AttachedDesigner(const TVardoRep* report);

} // namespace tessiv
