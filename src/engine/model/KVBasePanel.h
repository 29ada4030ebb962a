#pragma once
// The panel that the report and every band are made of: a frame, a zoom, and the walk over the
// printable controls that a run prepares.

#include "engine/model/KVFrame.h"
#include "engine/model/KVUnits.h"
#include "platform/controls/CustomPanel.h"

#include <memory>

namespace tessiv {

class TKVBasePanel : public TCustomPanel {
    TESSIV_CLASS(TKVBasePanel, TCustomPanel)
public:
    explicit TKVBasePanel(TComponent* owner);
    ~TKVBasePanel() override;

    TKVFrame* Frame() const { return FFrame.get(); }
    int Zoom() const { return FZoom; }
    // 0 is ignored; otherwise the zoom goes to every child printable and child panel.
    virtual void SetZoom(int value);
    int RulerCharSize() const { return FRulerCharSize; }
    void SetRulerCharSize(int value) { FRulerCharSize = value; }
    // Copies another panel's visual state (undo and redo); nil does nothing.
    virtual void CopyFrom(TKVBasePanel* source);

    // Fills the client area with the panel's colour.
    void Paint(TCanvas& canvas) override;
    // The measuring grid of the unit over the whole panel, in the design colours; numbered only
    // on the report itself.
    virtual void PaintRuler(TCanvas& canvas, TKVUnit units);

    void PrepareControls();
    void UnprepareControls();

private:
    std::unique_ptr<TKVFrame> FFrame;
    int FZoom = 100;
    int FRulerCharSize = 12;
};

} // namespace tessiv
