#include "engine/model/KVBasePanel.h"

#include "engine/model/KVPrintableHooks.h"
#include "platform/graphics/Canvas.h"

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TKVBasePanel, TCustomPanel,
    t.Object<TKVFrame>(QStringLiteral("Frame"), &TKVBasePanel::Frame);
)

TKVBasePanel::TKVBasePanel(TComponent* owner) : TCustomPanel(owner), FFrame(std::make_unique<TKVFrame>(this))
{
    // The report and the bands draw their own edges.
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
}

TKVBasePanel::~TKVBasePanel() = default;

void TKVBasePanel::SetZoom(int value)
{
    if (value == 0)
        return;
    FZoom = value;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (TKVPrintableHooks* p = PrintableHooks(c))
            p->SetZoom(value);
        else if (auto* panel = dynamic_cast<TKVBasePanel*>(c))
            panel->SetZoom(value);
    }
}

void TKVBasePanel::CopyFrom(TKVBasePanel* source)
{
    if (!source)
        return;
    const bool visible = source->Visible();
    SetVisible(false);
    try {
        SetAlign(source->Align());
        SetAlignment(source->Alignment());
        SetBoundsRect(source->BoundsRect());
        SetControlStyle(source->ControlStyle());
        SetEnabled(source->Enabled());
        SetBounds(source->Left(), source->Top(), source->Width(), source->Height());
        SetCursor(source->Cursor());
        SetHint(source->Hint());
        SetCaption(source->Caption());
        SetColor(source->Color());
        SetDragCursor(source->DragCursor());
        SetDragMode(source->DragMode());
        SetFont(source->Font());
        SetParentColor(source->ParentColor());
        SetParentFont(source->ParentFont());
        SetCaption(source->Caption());
        FRulerCharSize = source->FRulerCharSize;
        FFrame->Assign(source->Frame());
    } catch (...) {
        SetVisible(visible);
        throw;
    }
    SetVisible(visible);
}

void TKVBasePanel::Paint(TCanvas& canvas)
{
    canvas.Brush()->SetColor(Color());
    canvas.Brush()->SetStyle(bsSolid);
    canvas.FillRect(ClientRect());
    canvas.Brush()->SetStyle(bsClear);
}

void TKVBasePanel::PrepareControls()
{
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (TKVPrintableHooks* p = PrintableHooks(c))
            p->Prepare();
        else if (auto* panel = dynamic_cast<TKVBasePanel*>(c))
            panel->PrepareControls();
    }
}

void TKVBasePanel::UnprepareControls()
{
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (TKVPrintableHooks* p = PrintableHooks(c))
            p->Unprepare();
        else if (auto* panel = dynamic_cast<TKVBasePanel*>(c))
            panel->UnprepareControls();
    }
}

} // namespace tessiv
