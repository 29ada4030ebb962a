// The main form's handlers of the design surface: keys on the report move, size, delete and
// navigate; presses, moves and releases on bands, printables and sizing handles select, build the
// multi-selection, record undo steps and fill the status bar; the application's message hook keeps
// the unit panel and clears the position panels off the controls. The designers themselves draw
// the outlines and change the bounds: these handlers run first and decide about the selection.
#include "designer/AnexoForm.h"

#include "designer/AnexoChild.h"
#include "designer/KVDesigner.h"
#include "designer/KVEtiqUtil.h"
#include "engine/KVBands.h"
#include "engine/KVBarcode.h"
#include "engine/KVColuna.h"
#include "engine/KVExprMemo.h"
#include "engine/KVItemsObs.h"
#include "engine/KVPrintable.h"
#include "engine/VardoRep.h"
#include "platform/controls/ControlHostBase.h"
#include "platform/controls/ScrollBox.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/Application.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tessiv {

namespace {

constexpr unsigned short VK_F12 = VK_F1 + 11;

bool IsArrow(unsigned short key) { return key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN; }

// The cursor: the host's mouse position, its surface standing for the screen.
TPoint CursorOf(const TControl* control)
{
    if (control)
        if (TControlHostBase* host = control->Host())
            return host->MousePos();
    return {};
}

TPoint Minus(TPoint a, TPoint b) { return {a.X - b.X, a.Y - b.Y}; }

// Round: nearest, halves to even.
long double RoundUnit(long double value) { return static_cast<long double>(Round(value)); }

// The pixel and unit sides of one dimension of a band or a printable.
enum class TDim { Height, Width, Top, Left };

long double UnitValue(TControl* c, TDim d)
{
    if (auto* p = dynamic_cast<TKVPrintable*>(c)) {
        TKVPrintableSize* s = p->Size();
        switch (d) {
        case TDim::Height: return s->Height();
        case TDim::Width: return s->Width();
        case TDim::Top: return s->Top();
        case TDim::Left: return s->Left();
        }
    }
    if (auto* b = dynamic_cast<TKVCustomBand*>(c))
        return d == TDim::Width ? b->Size()->Width() : b->Size()->Height();
    return 0;
}

void SetUnitValue(TControl* c, TDim d, long double v)
{
    if (auto* p = dynamic_cast<TKVPrintable*>(c)) {
        TKVPrintableSize* s = p->Size();
        switch (d) {
        case TDim::Height: s->SetHeight(v); return;
        case TDim::Width: s->SetWidth(v); return;
        case TDim::Top: s->SetTop(v); return;
        case TDim::Left: s->SetLeft(v); return;
        }
    }
    if (auto* b = dynamic_cast<TKVCustomBand*>(c)) {
        if (d == TDim::Width)
            b->Size()->SetWidth(v);
        else
            b->Size()->SetHeight(v);
    }
}

void AddPixels(TControl* c, TDim d, int n)
{
    switch (d) {
    case TDim::Height: c->SetHeight(c->Height() + n); return;
    case TDim::Width: c->SetWidth(c->Width() + n); return;
    case TDim::Top: c->SetTop(c->Top() + n); return;
    case TDim::Left: c->SetLeft(c->Left() + n); return;
    }
}

// One key step of a dimension in the report's unit: a pixel without the grid; with it a whole unit
// in millimetres, pixels and characters, two pixels then the 1/40 grid in inches, one pixel then
// the 1/40 grid in native units.
void KeyStep(TVardoRep* report, TControl* c, TDim d, int s)
{
    const TKVUnit units = report->Units();
    if (!report->SnapToGrid()) {
        AddPixels(c, d, s);
        return;
    }
    switch (units) {
    case kvunMM:
    case kvunPixels:
    case kvunCharacters:
        SetUnitValue(c, d, RoundUnit(UnitValue(c, d)) + s);
        return;
    case kvunInches:
        AddPixels(c, d, 2 * s);
        SetUnitValue(c, d, RoundToUnit(units, UnitValue(c, d)));
        return;
    case kvunNative:
        AddPixels(c, d, s);
        SetUnitValue(c, d, RoundToUnit(units, UnitValue(c, d)));
        return;
    }
}

int KeySign(unsigned short key) { return key == VK_UP || key == VK_LEFT ? -1 : 1; }

// ---- the neighbour of an arrow key ----
struct TBox {
    int L, T, R, B;
};

TBox BoxOf(const TControl* c) { return {c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height()}; }

// Whether the point lies in the cone of the direction, whose apex is the centre of the square at
// S's end. Points are doubled so that half-pixel centres stay exact; nothing is divided, so a
// selection without height (or width) has a cone from the middle of its end edge.
bool InCone(unsigned short key, const TBox& s, int px, int py)
{
    const int w = s.R - s.L, h = s.B - s.T;
    TBox q{};
    switch (key) {
    case VK_RIGHT: q = {s.R - h, s.T, s.R, s.B}; break;
    case VK_LEFT: q = {s.L, s.T, s.L + h, s.B}; break;
    case VK_UP: q = {s.L, s.T, s.R, s.T + w}; break;
    default: q = {s.L, s.B - w, s.R, s.B}; break;
    }
    const long long qx = static_cast<long long>(q.L) + q.R, qy = static_cast<long long>(q.T) + q.B;
    const long long x = 2LL * px, y = 2LL * py;
    switch (key) {
    case VK_RIGHT: return x - qx >= std::llabs(y - qy);
    case VK_LEFT: return qx - x >= std::llabs(y - qy);
    case VK_UP: return qy - y >= std::llabs(x - qx);
    default: return y - qy >= std::llabs(x - qx);
    }
}

bool PassesCone(unsigned short key, const TBox& s, const TBox& c)
{
    switch (key) {
    case VK_RIGHT: return c.L > s.R && (InCone(key, s, c.L, c.B) || InCone(key, s, c.L, c.T));
    case VK_LEFT: return c.R < s.L && (InCone(key, s, c.R, c.B) || InCone(key, s, c.R, c.T));
    case VK_UP: return c.B < s.T && (InCone(key, s, c.R, c.B) || InCone(key, s, c.L, c.B));
    default: return c.T > s.B && (InCone(key, s, c.R, c.T) || InCone(key, s, c.L, c.T));
    }
}

bool OverlapsVertically(const TBox& s, const TBox& c) { return c.B >= s.T && c.T <= s.B; }
bool OverlapsHorizontally(const TBox& s, const TBox& c) { return c.R >= s.L && c.L <= s.R; }

bool OverlapsInDirection(unsigned short key, const TBox& s, int cx, int cy, const TControl* c)
{
    const TBox b = BoxOf(c);
    const int ccx = c->Left() + c->Width() / 2, ccy = c->Top() + c->Height() / 2;
    switch (key) {
    case VK_RIGHT: return ccx > cx && OverlapsVertically(s, b);
    case VK_LEFT: return ccx < cx && OverlapsVertically(s, b);
    case VK_UP: return ccy < cy && OverlapsHorizontally(s, b);
    default: return ccy > cy && OverlapsHorizontally(s, b);
    }
}

long long Distance(int x1, int y1, int x2, int y2)
{
    const long double dx = static_cast<long double>(x2) - x1, dy = static_cast<long double>(y2) - y1;
    return Round(std::sqrt(dx * dx + dy * dy));
}

long long CentreDistance(int cx, int cy, const TControl* c)
{
    const TBox b = BoxOf(c);
    long long d = Distance(cx, cy, b.L, b.T);
    d = std::min(d, Distance(cx, cy, b.R, b.T));
    d = std::min(d, Distance(cx, cy, b.L, b.B));
    d = std::min(d, Distance(cx, cy, b.R, b.B));
    if (b.L <= cx && cx < b.R && c->Height() > 0)
        d = std::min(d, Distance(cx, cy, cx, b.T));
    else if (b.T <= cy && cy < b.B)
        d = std::min(d, Distance(cx, cy, b.L, cy));
    return d;
}

} // namespace

// ---- wiring ----

void TfmAnexo::FormCreateInput()
{
    MultiDesigner = new TMultiDesigner;
    // Controls put on the surface later (insertion, paste, undo) are wired as they are selected.
    MultiDesigner->OnChange = [this](TObject* sender) {
        WireDocumentInput(Report);
        MultiSelectionChanged(sender);
    };
    MultiDesigner->OnClear = [this](TObject* sender) { MultiSelectionCleared(sender); };
    MultiDesigner->OnDeleteControl = [this](TObject* sender, TControl* control) { MultiControlDeleted(sender, control); };

    Designer = new TKVDesigner(this);
    Designer->SetName(QStringLiteral("Designer"));
    Designer->SetOnSelect([this](TControl* control) {
        WireDocumentInput(Report);
        ComponentSelected(control);
    });
    Designer->OnHandleMouseDown = [this](TObject* s, TKVControlHandle* h, TMouseButton b, TShiftState sh, int x, int y) {
        DesignerMouseDown(s, h, b, sh, x, y);
    };
    Designer->OnHandleMouseMove = [this](TObject* s, TKVControlHandle* h, TShiftState sh, int x, int y) {
        DesignerMouseMove(s, h, sh, x, y);
    };
    Designer->OnHandleMouseUp = [this](TObject* s, TKVControlHandle* h, TMouseButton b, TShiftState sh, int x, int y) {
        DesignerMouseUp(s, h, b, sh, x, y);
    };
    Application().OnMessage = [this](TMsg& msg, bool& handled) { AppMsg(msg, handled); };
    FMessageHookInstalled = true;
    InstallKeyPreview();
}

void TfmAnexo::FormDestroyInput()
{
    if (FMessageHookInstalled) {
        Application().OnMessage = nullptr;
        FMessageHookInstalled = false;
    }
    if (MultiDesigner) {
        // The form is going: its handlers hear nothing more.
        MultiDesigner->OnChange = nullptr;
        MultiDesigner->OnClear = nullptr;
        MultiDesigner->OnDeleteControl = nullptr;
        MultiDesigner->Clear();
        delete MultiDesigner;
        MultiDesigner = nullptr;
    }
    if (Designer) {
        Designer->SetOnSelect(nullptr);
        Designer->OnHandleMouseDown = nullptr;
        Designer->OnHandleMouseMove = nullptr;
        Designer->OnHandleMouseUp = nullptr;
        Designer->Detach();
    }
}

void TfmAnexo::ReleaseDesignSurface()
{
    if (MultiDesigner)
        MultiDesigner->Clear();
    if (Designer)
        Designer->Detach();
    StepPending = true;
}

void TfmAnexo::WireDocumentInput(TVardoRep* report)
{
    if (!report)
        return;
    report->OnKeyDown = [this](TObject* s, unsigned short& key, TShiftState shift) { ReportKeyDown(s, key, shift); };
    report->OnKeyUp = [this](TObject* s, unsigned short& key, TShiftState shift) { ReportKeyUp(s, key, shift); };
    if (TComponent* root = report->Owner())
        for (int i = 0; i < root->ComponentCount(); ++i)
            if (auto* c = dynamic_cast<TControl*>(root->Components(i)))
                WireControlInput(c);
}

void TfmAnexo::WireControlInput(TControl* control)
{
    const auto up = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { DesignMouseUp(s, b, sh, x, y); };
    if (dynamic_cast<TKVCustomBand*>(control)) {
        control->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { BandMouseDown(s, b, sh, x, y); };
        control->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { BandMouseMove(s, sh, x, y); };
        control->OnMouseUp = up;
    } else if (dynamic_cast<TKVPrintable*>(control)) {
        control->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { PrintableMouseDown(s, b, sh, x, y); };
        control->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { PrintableMouseMove(s, sh, x, y); };
        control->OnMouseUp = up;
    }
}

void TfmAnexo::RestoreWindowSelection(TfmAnexo_MDIChild* child)
{
    if (!child || !child->Report || !Designer || !MultiDesigner)
        return;
    TVardoRep* report = child->Report;
    try {
        if (MultiDesigner->Count() > 0 && MultiDesigner->Surface() == report)
            return;
        MultiDesigner->Clear();
        // The window's control only while it is still one of the document's.
        TControl* selected = child->SelectedControl;
        bool alive = false;
        if (TComponent* root = report->Owner())
            for (int i = 0; i < root->ComponentCount() && !alive; ++i)
                alive = root->Components(i) == selected;
        if (!alive)
            selected = child->SelectedControl = nullptr;
        if (selected && Designer->Attached() && Designer->Report() == report && Designer->Selected() == selected)
            return;
        TControl* again = selected;
        if (!again)
            again = child->CurrentBand;
        if (!again && !report->BandList().empty())
            again = report->BandList().front();
        if (!again)
            again = report;
        if (!Designer->Attached() || Designer->Report() != report)
            Designer->Attach(report);
        Designer->SetSelected(again);
        Designer->RefreshHandles();
        Application().ProcessMessages();
    } catch (...) {
    }
}

// ---- small helpers ----

QWidget* TfmAnexo::ToolAreaFocus() const
{
    QWidget* w = Window() ? Window()->focusWidget() : nullptr;
    if (!w || (MdiArea() && MdiArea()->isAncestorOf(w)))
        return nullptr;
    return w;
}

QWidget* TfmAnexo::ZoomBox() const
{
    return Window() ? Window()->findChild<QWidget*>(QStringLiteral("cbZoom")) : nullptr;
}

bool TfmAnexo::IsActiveDocumentControl(const TControl* control) const
{
    TfmAnexo_MDIChild* active = ActiveMDIChild();
    if (!active || !active->Report || !control)
        return false;
    for (const TControl* c = control; c; c = c->Parent())
        if (c == active->Report)
            return true;
    return false;
}

void TfmAnexo::KeyUndoStep(TControl* selection)
{
    if (!StepPending)
        return;
    SaveUndoStep(1, selection);
    StepPending = false;
}

void TfmAnexo::ScrollIntoView(TControl* control)
{
    TScrollingWinControl* box = control ? FindScrollBox(control->Parent()) : nullptr;
    if (!box)
        return;
    // The least scrolling that shows the control, its top-left corner first when it is larger
    // than the view.
    const TRect view = box->ScreenClientRect();
    const TPoint corner = control->ClientToScreen({0, 0});
    const auto delta = [](int low, int high, int viewLow, int viewHigh) {
        if (low < viewLow)
            return low - viewLow;
        if (high > viewHigh)
            return std::min(high - viewHigh, low - viewLow);
        return 0;
    };
    box->ScrollBy(delta(corner.X, corner.X + control->Width(), view.Left, view.Right),
                  delta(corner.Y, corner.Y + control->Height(), view.Top, view.Bottom));
}

void TfmAnexo::PlaceCornerMarks()
{
    for (TEtiqCantos* marks : MultiDesigner->CornerMarks())
        marks->UpdatePosition();
}

// ---- keys ----

void TfmAnexo::ReportKeyDown(TObject* sender, unsigned short& key, TShiftState shift)
{
    auto* report = dynamic_cast<TVardoRep*>(sender);
    if (SelectionBusy || !report || !Designer || !MultiDesigner)
        return;
    const bool arrow = IsArrow(key);
    const int s = KeySign(key);
    const bool vertical = key == VK_UP || key == VK_DOWN;

    if (shift.Contains(ssShift)) {
        if (!arrow)
            return;
        if (MultiDesigner->Count() > 0) {
            KeyUndoStep(nullptr);
            // Every control of the group by a pixel, none below nothing (as one control by keys).
            for (TControl* c : MultiDesigner->SelectedControls()) {
                if (vertical)
                    c->SetHeight(std::max(c->Height() + s, 0));
                else
                    c->SetWidth(std::max(c->Width() + s, 0));
            }
            PlaceCornerMarks();
            SetModified(true);
            return;
        }
        TControl* sel = Designer->Attached() ? Designer->Selected() : nullptr;
        if (!dynamic_cast<TKVCustomBand*>(sel) && !dynamic_cast<TKVPrintable*>(sel))
            return;
        // The lines and columns of an area's own bands belong to the band tool bar's up-downs,
        // which carry no band: the keys change nothing there.
        if ((dynamic_cast<TKVItens*>(sel) && vertical) || (dynamic_cast<TKVColuna*>(sel) && !vertical)) {
            UpdateStatusBar(sel, QStringLiteral("PT"), 0, 0);
            return;
        }
        KeyUndoStep(sel);
        const TDim d = vertical ? TDim::Height : TDim::Width;
        KeyStep(report, sel, d, s);
        if (s < 0 && UnitValue(sel, d) < 0)
            SetUnitValue(sel, d, 0);
        sel->Repaint();
        Designer->RefreshHandles();
        SetModified(true);
        UpdateStatusBar(sel, QStringLiteral("PT"), 0, 0);
        return;
    }

    if (shift.Contains(ssCtrl)) {
        if (!arrow)
            return;
        if (MultiDesigner->Count() > 0) {
            KeyUndoStep(nullptr);
            for (TControl* c : MultiDesigner->SelectedControls()) {
                if (vertical)
                    c->SetTop(c->Top() + s);
                else
                    c->SetLeft(c->Left() + s);
            }
            PlaceCornerMarks();
            SetModified(true);
            return;
        }
        TControl* sel = Designer->Attached() ? Designer->Selected() : nullptr;
        if (!dynamic_cast<TKVPrintable*>(sel))
            return;
        KeyUndoStep(sel);
        KeyStep(report, sel, vertical ? TDim::Top : TDim::Left, s);
        sel->Repaint();
        Designer->RefreshHandles();
        UpdateStatusBar(sel, QStringLiteral("PT"), 0, 0);
        SetModified(true);
        return;
    }

    if (key == VK_DELETE) {
        if (MultiDesigner->Count() > 0) {
            SaveUndoStep(2, nullptr);
            if (MultiDesigner->DeleteSelected()) {
                SetModified(true);
                Designer->Attach(report);
                Designer->SetSelected(CurrentContainer());
                Designer->RefreshHandles();
                Application().ProcessMessages();
                return;
            }
        }
        auto* p = dynamic_cast<TKVPrintable*>(Designer->Selected());
        if (!p || !report->Focused() || report->DesignState() != 4 || p->PressState == 1 ||
            dynamic_cast<TKVObsLabel*>(p))
            return;
        SaveUndoStep(2, p);
        // The designer lets go before the control goes, so it never holds a freed control.
        Designer->SetSelected(nullptr);
        p->SetParent(nullptr);
        delete p;
        Designer->SetSelected(CurrentContainer());
        Designer->RefreshHandles();
        Application().ProcessMessages();
        SetModified(true);
        return;
    }

    const auto& bands = report->BandList();
    if (key == VK_PRIOR || key == VK_NEXT) {
        if (MultiDesigner->Count() > 0 || bands.empty())
            return;
        if (!Designer->Attached())
            Designer->Attach(report);
        const int n = static_cast<int>(bands.size());
        int index = -1;
        for (int i = 0; i < n; ++i)
            if (bands[static_cast<size_t>(i)] == Designer->Selected())
                index = i;
        if (index < 0)
            index = 0;
        else if (key == VK_NEXT)
            index = (index + 1) % n;
        else
            index = (index + n - 1) % n;
        TKVCustomBand* band = bands[static_cast<size_t>(index)];
        Designer->SetSelected(band);
        ScrollIntoView(band);
        Designer->RefreshHandles();
        UpdateStatusBar(band, QStringLiteral("PT"), 0, 0);
        return;
    }

    if (arrow) {
        if (bands.empty())
            return;
        if (MultiDesigner->Count() > 0) {
            ResetToCursor();
            return;
        }
        TControl* next = FindNeighbour(report, key);
        if (!Designer->Attached())
            Designer->Attach(report);
        if (next) {
            Designer->SetSelected(next);
            ScrollIntoView(next);
        } else {
            Designer->SetSelected(CurrentContainer());
        }
        Designer->RefreshHandles();
        UpdateStatusBar(Designer->Selected(), QStringLiteral("PT"), 0, 0);
    }
}

void TfmAnexo::ReportKeyUp(TObject*, unsigned short&, TShiftState)
{
    if (SelectionBusy)
        return;
    StepPending = true;
}

TControl* TfmAnexo::FindNeighbour(TVardoRep*, unsigned short key) const
{
    if (!Designer || !IsArrow(key))
        return nullptr;
    TControl* sel = Designer->Selected();
    TWinControl* parent = nullptr;
    TBox s{};
    if (auto* p = dynamic_cast<TKVPrintable*>(sel)) {
        parent = p->Parent();
        s = BoxOf(p);
    } else if (auto* b = dynamic_cast<TKVCustomBand*>(sel)) {
        parent = b;
        s = {0, 0, b->Width(), b->Height()};
    }
    if (!parent)
        return nullptr;
    const int cx = s.L + (s.R - s.L) / 2, cy = s.T + (s.B - s.T) / 2;
    TControl* best = nullptr;
    long long bestDistance = 0;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        // Only what can be selected: bands and printables, never the designers' marks.
        if (c == sel || (!dynamic_cast<TKVPrintable*>(c) && !dynamic_cast<TKVCustomBand*>(c)))
            continue;
        const TBox cb = BoxOf(c);
        if (!PassesCone(key, s, cb) && !OverlapsInDirection(key, s, cx, cy, c))
            continue;
        const long long d = CentreDistance(cx, cy, c);
        if (!best) {
            best = c;
            bestDistance = d;
            continue;
        }
        const TBox bb = BoxOf(best);
        if (key == VK_RIGHT && OverlapsVertically(s, cb) && OverlapsVertically(s, bb)) {
            if (cb.L < bb.L) {
                best = c;
                bestDistance = d;
            }
            continue;
        }
        if (key == VK_DOWN && OverlapsHorizontally(s, cb) && OverlapsHorizontally(s, bb)) {
            if (cb.T < bb.T) {
                best = c;
                bestDistance = d;
            }
            continue;
        }
        bool replace = d < bestDistance;
        if (d == bestDistance) {
            if (key == VK_LEFT || key == VK_RIGHT)
                replace = (cb.T <= cy && cy < cb.B) || cb.B > bb.B || cb.T < bb.T;
            else
                replace = (cb.L <= cx && cx < cb.R) || cb.R > bb.R || cb.L < bb.L;
        }
        if (replace) {
            best = c;
            bestDistance = d;
        }
    }
    return best;
}

// ---- bands ----

void TfmAnexo::BandMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int, int)
{
    auto* band = dynamic_cast<TKVCustomBand*>(sender);
    if (SelectionBusy || !band || !Designer || !MultiDesigner || !IsActiveDocumentControl(band))
        return;
    SetCurrentBand(band);
    if (button == mbLeft) {
        PressScreenPoint = CursorOf(band);
        MultiDesigner->Clear();
        if (!Designer->InsertPending()) {
            UpdateStatusBar(band, QStringLiteral("LP"), 0, 0);
            UpdateStatusBar(band, QStringLiteral("T"), 0, 0);
            if (band != Designer->Selected())
                SelectSingle(band);
        }
    } else if (shift.Contains(ssRight) && !shift.Contains(ssShift)) {
        SelectByRightButton(band);
    }
}

void TfmAnexo::SelectByRightButton(TControl* control)
{
    if (!Designer->Attached()) {
        MultiDesigner->Clear();
        Designer->Attach(Report);
    }
    Designer->SetSelected(control);
    Designer->RefreshHandles();
    UpdateStatusBar(control, QStringLiteral("PT"), 0, 0);
}

void TfmAnexo::BandMouseMove(TObject* sender, TShiftState shift, int, int)
{
    auto* band = dynamic_cast<TKVCustomBand*>(sender);
    if (SelectionBusy || !band || !Designer || !IsActiveDocumentControl(band))
        return;
    const TPoint p = CursorOf(band);
    if (shift.Contains(ssLeft) && Designer->InsertPending()) {
        if (p != PressScreenPoint) {
            const TRect r = NormalizeRect(PressScreenPoint.X, PressScreenPoint.Y, p.X, p.Y);
            // The rubber rectangle: its corner on the band, its own size.
            UpdateStatusBar(band, QStringLiteral("XYP"), r.Left, r.Top);
            UpdateStatusBar(nullptr, QStringLiteral("XYT"), r.Width(), r.Height());
        }
    } else if (!shift.Contains(ssLeft) && !shift.Contains(ssShift) && !shift.Contains(ssCtrl)) {
        if (p != LastBandMovePoint) {
            UpdateStatusBar(band, QStringLiteral("XYP"), p.X, p.Y);
            UpdateStatusBar(band, QStringLiteral("LT"), 0, 0);
            if (band->PressState == 2 && !Designer->InsertPending())
                band->PressState = 0;
        }
    }
    LastBandMovePoint = p;
}

// ---- printables ----

void TfmAnexo::PrintableMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int, int)
{
    auto* printable = dynamic_cast<TKVPrintable*>(sender);
    TfmAnexo_MDIChild* active = ActiveMDIChild();
    if (SelectionBusy || !printable || !active || !Designer || !MultiDesigner || printable->PressState != 0)
        return;
    if (!ToolAreaFocus() && Report && active->Host() && active->Host()->FocusedControl() == Report &&
        Report->Visible() && !Report->Focused())
        Report->SetFocus();
    const TPoint p = CursorOf(printable);

    if (shift.Contains(ssShift)) {
        TControl* sel = Designer->Selected();
        if (Designer->Attached() && sel && !dynamic_cast<TKVPrintable*>(sel))
            return;
        if (MultiDesigner->Count() == 0) {
            if (printable == sel)
                return;
            active->SelectedControl = nullptr;
            SavedActiveControl = ToolAreaFocus();
            UpdateStatusBar(nullptr, QStringLiteral("LPT"), 0, 0);
            MultiDesigner->SetSurface(Report);
            if (dynamic_cast<TKVPrintable*>(sel))
                MultiDesigner->Toggle(sel);
            ReleaseDesigner();
        }
        GroupPressPoint = p;
        MultiDesigner->Toggle(printable);
        return;
    }

    if (button == mbLeft) {
        if (MultiDesigner->IsSelected(printable)) {
            GroupPressPoint = p;
            MultiDesigner->MoveSelection(QStringLiteral("S"));
        } else {
            MultiDesigner->Clear();
            SelectSingle(printable);
            UpdateStatusBar(printable, QStringLiteral("PT"), 0, 0);
            PressScreenPoint = p;
            const TPoint inParent = printable->Parent() ? printable->Parent()->ScreenToClient(p) : p;
            GrabOffset = {inParent.X - printable->Left(), inParent.Y - printable->Top()};
        }
    } else if (shift.Contains(ssRight)) {
        if (IsActiveDocumentControl(printable)) {
            if (MultiDesigner->IsSelected(printable))
                ReleaseDesigner();
            else
                SelectByRightButton(printable);
        }
    } else {
        return;
    }
    if (auto* band = dynamic_cast<TKVCustomBand*>(printable->Parent()))
        SetCurrentBand(band);
}

void TfmAnexo::PrintableMouseMove(TObject* sender, TShiftState shift, int, int)
{
    auto* printable = dynamic_cast<TKVPrintable*>(sender);
    if (SelectionBusy || !printable || !Designer || !MultiDesigner)
        return;
    const TPoint p = CursorOf(printable);
    if (p == LastPrintableMovePoint)
        return;
    if (shift.Contains(ssLeft)) {
        if (MultiDesigner->Count() > 0) {
            // Only a group drag that was started records its step: a Shift press followed by a
            // move drags nothing.
            if (p != GroupPressPoint && MultiDesigner->Count() >= 2 && MultiDesigner->Dragging()) {
                UpdateStatusBar(printable, QStringLiteral("XYP"), p.X, p.Y);
                MultiDesigner->MoveSelection(QStringLiteral("M"));
                if (!DragStepSaved) {
                    SaveUndoStep(1, nullptr);
                    DragStepSaved = true;
                }
            }
        } else if (p != PressScreenPoint && printable->DesignPressed && printable->PressState == 1) {
            if (!DragStepSaved) {
                SaveUndoStep(1, printable);
                DragStepSaved = true;
            }
            UpdateStatusBar(printable, QStringLiteral("XYP"), p.X - GrabOffset.X, p.Y - GrabOffset.Y);
            UpdateStatusBar(printable, QStringLiteral("T"), 0, 0);
        }
    } else if (printable == Designer->Selected()) {
        UpdateStatusBar(printable, QStringLiteral("PT"), 0, 0);
    } else if (!shift.Contains(ssShift) && !shift.Contains(ssCtrl)) {
        UpdateStatusBar(printable, QStringLiteral("XYP"), p.X, p.Y);
        UpdateStatusBar(printable, QStringLiteral("LT"), 0, 0);
        if (printable->PressState == 2)
            printable->PressState = 0;
    }
    LastPrintableMovePoint = p;
}

void TfmAnexo::DesignMouseUp(TObject* sender, TMouseButton, TShiftState shift, int, int)
{
    auto* control = dynamic_cast<TControl*>(sender);
    auto* printable = dynamic_cast<TKVPrintable*>(sender);
    if (SelectionBusy || !control || (!printable && !dynamic_cast<TKVCustomBand*>(sender)) || !Designer ||
        !MultiDesigner)
        return;
    if (!shift.Contains(ssShift) && MultiDesigner->Count() > 0)
        MultiDesigner->MoveSelection(QStringLiteral("R"));
    if (printable) {
        const int count = MultiDesigner->Count();
        if (count == 1) {
            TControl* only = MultiDesigner->SelectedControls().front();
            MultiDesigner->Clear();
            if (!Designer->Attached())
                Designer->Attach(Report);
            Designer->SetSelected(only);
            Designer->RefreshHandles();
            UpdateStatusBar(only, QStringLiteral("PT"), 0, 0);
        } else if (count >= 2) {
            if (!ToolAreaFocus() && count == 2 && SavedActiveControl)
                SavedActiveControl->setFocus(Qt::OtherFocusReason);
            unsigned short f12 = VK_F12;
            FormKeyDown(nullptr, f12, {});
        } else if (QWidget* focus = ToolAreaFocus(); focus && focus != ZoomBox()) {
            SavedActiveControl = focus;
            if (QWidget* zoom = ZoomBox())
                zoom->setFocus(Qt::OtherFocusReason);
        }
    }
    if (Designer->Attached())
        if (auto* memo = dynamic_cast<TKVExprMemo*>(Designer->Selected()); memo && memo->Font()->Color() == clWindowText)
            memo->Font()->SetColor(clBlack);
    const TPoint p = CursorOf(control);
    LastBandMovePoint = p;
    LastPrintableMovePoint = p;
    if (DragStepSaved) {
        SetModified(true);
        DragStepSaved = false;
    }
}

// ---- sizing handles ----

void TfmAnexo::DesignerMouseDown(TObject* sender, TKVControlHandle*, TMouseButton button, TShiftState, int x, int y)
{
    if (SelectionBusy || sender != Designer || !Designer || !IsActiveDocumentControl(Designer->Report()))
        return;
    TControl* sel = Designer->Selected();
    if (button == mbLeft) {
        TfmAnexo_MDIChild* active = ActiveMDIChild();
        if (!ToolAreaFocus() && Report && active->Host() && active->Host()->FocusedControl() == Report)
            Report->SetFocus();
        PressScreenPoint = CursorOf(Designer->Report());
        HandlePressPoint = {x, y};
        UpdateStatusBar(sel, QStringLiteral("XYT"), 0, 0);
    } else {
        UpdateStatusBar(sel, QStringLiteral("PT"), 0, 0);
    }
}

void TfmAnexo::DesignerMouseMove(TObject* sender, TKVControlHandle* handle, TShiftState shift, int x, int y)
{
    if (SelectionBusy || sender != Designer || !Designer || !handle || !IsActiveDocumentControl(Designer->Report()))
        return;
    TControl* sel = Designer->Selected();
    if (!shift.Contains(ssLeft)) {
        UpdateStatusBar(sel, QStringLiteral("PT"), 0, 0);
        return;
    }
    const TPoint p = CursorOf(Designer->Report());
    if (p == PressScreenPoint)
        return;
    if (!DragStepSaved) {
        // A barcode's resize records no step; the release still marks the document modified.
        if (!dynamic_cast<TKVBarcode*>(sel))
            SaveUndoStep(1, sel);
        DragStepSaved = true;
    }
    const int dx = x - HandlePressPoint.X, dy = y - HandlePressPoint.Y;
    TPoint change;
    switch (handle->Index()) {
    case 1: change = {-dx, -dy}; break;
    case 2: change = {0, -dy}; break;
    case 3: change = {dx, -dy}; break;
    case 4: change = {-dx, 0}; break;
    case 5: change = {dx, 0}; break;
    case 6: change = {-dx, dy}; break;
    case 7: change = {0, dy}; break;
    default: change = {dx, dy}; break;
    }
    UpdateStatusBar(sel, QStringLiteral("XYT"), change.X, change.Y);
    if (dynamic_cast<TKVPrintable*>(sel)) {
        const TPoint corner = sel->Parent() ? sel->Parent()->ClientToScreen({sel->Left(), sel->Top()})
                                            : TPoint{sel->Left(), sel->Top()};
        TPoint shown;
        switch (handle->Index()) {
        case 1:
        case 3:
        case 6: shown = p; break;
        case 2: shown = {corner.X, p.Y}; break;
        case 4: shown = {p.X, corner.Y}; break;
        default: shown = corner; break;
        }
        UpdateStatusBar(sel, QStringLiteral("XYP"), shown.X, shown.Y);
    } else if (dynamic_cast<TKVCustomBand*>(sel)) {
        UpdateStatusBar(sel, QStringLiteral("P"), 0, 0);
    }
}

void TfmAnexo::DesignerMouseUp(TObject* sender, TKVControlHandle*, TMouseButton, TShiftState, int, int)
{
    if (SelectionBusy || sender != Designer || !Designer || !IsActiveDocumentControl(Designer->Report()))
        return;
    if (DragStepSaved) {
        SetModified(true);
        DragStepSaved = false;
    }
    TControl* sel = Designer->Selected();
    TVardoRep* report = Designer->Report();
    if (!report->Options().Contains(kvoAlinharTamanho))
        return;
    const TKVUnit units = report->Units();
    if (auto* p = dynamic_cast<TKVPrintable*>(sel)) {
        p->Size()->SetWidth(RoundToUnit(units, p->Size()->Width()));
        p->Size()->SetHeight(RoundToUnit(units, p->Size()->Height()));
    } else if (auto* b = dynamic_cast<TKVCustomBand*>(sel)) {
        b->Size()->SetWidth(RoundToUnit(units, b->Size()->Width()));
        b->Size()->SetHeight(RoundToUnit(units, b->Size()->Height()));
    } else {
        return;
    }
    Designer->RefreshHandles();
}

// ---- the message hook ----

void TfmAnexo::AppMsg(TMsg& msg, bool&)
{
    if (SelectionBusy || msg.Message.Msg != WM_MOUSEMOVE || !Report || !IsActiveDocumentControl(Report))
        return;
    UpdateStatusBar(nullptr, QStringLiteral("U"), 0, 0);
    TControl* under = FindDeepControlAt(Report, msg.Pt, false);
    if (!dynamic_cast<TKVCustomBand*>(under) && !dynamic_cast<TKVPrintable*>(under) &&
        !dynamic_cast<TKVControlHandle*>(under) && msg.Pt != LastHookPoint)
        UpdateStatusBar(nullptr, QStringLiteral("LPT"), 0, 0);
    LastHookPoint = msg.Pt;
}

// ---- F12 ----

void TfmAnexo::FormKeyDown(TObject* sender, unsigned short& key, TShiftState shift)
{
    if (key != VK_F12)
        return;
    if (shift.Contains(ssCtrl) && shift.Contains(ssAlt) && shift.Contains(ssShift)) {
        ShowUndoSteps();
        return;
    }
    if (shift.Contains(ssShift) || shift.Contains(ssCtrl) || shift.Contains(ssAlt))
        return;
    TfmAnexo_MDIChild* active = ActiveMDIChild();
    QWidget* focus = ToolAreaFocus();
    if (!active || !focus)
        return;
    LastToolControl = focus;
    if (!sender)
        if (QWidget* zoom = ZoomBox())
            zoom->setFocus(Qt::OtherFocusReason);
    if (QWidget* f = ToolAreaFocus())
        f->clearFocus();
    if (active->Host())
        active->Host()->setFocus(Qt::OtherFocusReason);
    if (Designer && Designer->Selected()) {
        Designer->SetSelected(Designer->Selected());
        Designer->RefreshHandles();
    } else if (active->Report) {
        active->Report->SetFocus();
    }
}

void TfmAnexo::DesignSurfaceKeyDown(unsigned short& key, TShiftState shift)
{
    if (key != VK_F12 || shift.Contains(ssShift) || shift.Contains(ssCtrl) || shift.Contains(ssAlt))
        return;
    QWidget* target = LastToolControl;
    if (!target || !target->isEnabled() || !target->isVisible() || target->focusPolicy() == Qt::NoFocus) {
        target = ZoomBox();
        LastToolControl = target;
    }
    if (!target)
        return;
    target->setFocus(Qt::ShortcutFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(target))
        edit->selectAll();
    else if (auto* combo = qobject_cast<QComboBox*>(target); combo && combo->lineEdit())
        combo->lineEdit()->selectAll();
}

namespace {

// The forms see F12 before the focused control does: from the tool area it goes to the design
// surface, from a document window back to the tool area.
class TF12Preview : public QObject {
public:
    explicit TF12Preview(TfmAnexo* form) : QObject(form->Window()), FForm(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F12)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        QWidget* window = FForm->Window();
        if (!widget || !window || (widget != window && !window->isAncestorOf(widget)))
            return false;
        const Qt::KeyboardModifiers m = static_cast<QKeyEvent*>(event)->modifiers();
        TShiftState shift;
        if (m & Qt::ShiftModifier)
            shift += ssShift;
        if (m & Qt::ControlModifier)
            shift += ssCtrl;
        if (m & Qt::AltModifier)
            shift += ssAlt;
        unsigned short key = VK_F12;
        Application().Guard([&] {
            if (FForm->MdiArea() && FForm->MdiArea()->isAncestorOf(widget))
                FForm->DesignSurfaceKeyDown(key, shift);
            else
                FForm->FormKeyDown(FForm, key, shift);
        });
        return true;
    }

private:
    TfmAnexo* FForm;
};

} // namespace

void TfmAnexo::InstallKeyPreview()
{
    if (Window() && qApp)
        qApp->installEventFilter(new TF12Preview(this));
}

} // namespace tessiv
