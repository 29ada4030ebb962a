// The main form's keys on the design surface: arrows with Shift size and with Ctrl move the
// selection by one step of the report's unit (one undo step for a run of held keys), Delete takes
// a printable or the multi-selection away, PageUp and PageDown cycle through the bands and plain
// arrows go to the nearest control in that direction. F12 moves the focus between the tool area
// and the design surface.
#include "designer/mainform/AnexoForm.h"

#include "designer/surface/AnexoChild.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVColuna.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVPrintable.h"
#include "engine/model/VardoRep.h"
#include "platform/controls/ScrollBox.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlHost.h"
#include "uisupport/UpDown.h"

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

int PixelsOf(const TControl* c, TDim d)
{
    switch (d) {
    case TDim::Height: return c->Height();
    case TDim::Width: return c->Width();
    case TDim::Top: return c->Top();
    case TDim::Left: return c->Left();
    }
    return 0;
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

void TfmAnexo::StepGroup(int dimension, int s)
{
    KeyUndoStep(nullptr);
    const auto d = static_cast<TDim>(dimension);
    // Every control of the group by a pixel; sizes stop at nothing, as one control's do by keys.
    for (TControl* c : MultiDesigner->SelectedControls()) {
        if (d == TDim::Height || d == TDim::Width)
            AddPixels(c, d, std::max(s, -PixelsOf(c, d)));
        else
            AddPixels(c, d, s);
    }
    for (TEtiqCantos* marks : MultiDesigner->CornerMarks())
        marks->UpdatePosition();
    SetModified(true);
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
            StepGroup(static_cast<int>(vertical ? TDim::Height : TDim::Width), s);
            return;
        }
        TControl* sel = Designer->Attached() ? Designer->Selected() : nullptr;
        if (!dynamic_cast<TKVCustomBand*>(sel) && !dynamic_cast<TKVPrintable*>(sel))
            return;
        // The lines and columns of an area's own bands belong to the band tool bar's up-downs,
        // which carry no band: the keys step them and change nothing else.
        if (dynamic_cast<TKVItens*>(sel) && vertical) {
            if (udLinhas) {
                udLinhas->SetPosition(udLinhas->PositionFromText() + (key == VK_UP ? 1 : -1));
                udLinhasClick();
            }
            UpdateStatusBar(sel, QStringLiteral("PT"), 0, 0);
            return;
        }
        if (dynamic_cast<TKVColuna*>(sel) && !vertical) {
            if (udColunas) {
                udColunas->SetPosition(udColunas->PositionFromText() + (key == VK_LEFT ? 1 : -1));
                udColunasClick();
            }
            UpdateStatusBar(sel, QStringLiteral("PT"), 0, 0);
            return;
        }
        KeyUndoStep(sel);
        const TDim d = vertical ? TDim::Height : TDim::Width;
        KeyStep(report, sel, d, s);
        if (s < 0 && UnitValue(sel, d) < 0)
            SetUnitValue(sel, d, 0);
        if (auto* area = dynamic_cast<TKVItensObs*>(sel); area && vertical && udLinhas)
            udLinhas->SetPosition(area->Linhas());
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
            StepGroup(static_cast<int>(vertical ? TDim::Top : TDim::Left), s);
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
        const TShiftState shift = ShiftStateOf(static_cast<QKeyEvent*>(event)->modifiers());
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
