#include "designer/surface/KVEtiqUtil.h"

#include "designer/surface/KVDesigner.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVCustomLabel.h"
#include "engine/printables/KVDBImage.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVPrintable.h"
#include "engine/printables/KVShape.h"
#include "engine/model/VardoRep.h"
#include "platform/controls/ControlHostBase.h"
#include "platform/core/ClassRegistry.h"
#include "platform/graphics/Canvas.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TEtiqControlHandle, TCustomControl, )
TESSIV_IMPLEMENT_CLASS(TEtiqCantos, TControl, )
TESSIV_IMPLEMENT_CLASS(TMultiDesigner, TPersistent, )

namespace {

// Selection marks and sizing handles live only on the screen: a copied, undone or saved control
// never carries them, whoever owns them.
[[maybe_unused]] const bool MarksAreTransient = [] {
    RegisterTransientClass(TEtiqCantos::StaticClass());
    RegisterTransientClass(TEtiqControlHandle::StaticClass());
    RegisterTransientClass(TKVControlHandle::StaticClass());
    return true;
}();

std::unique_ptr<TScrollBoxTimer>& GroupTimer()
{
    static std::unique_ptr<TScrollBoxTimer> timer;
    return timer;
}

TRect Shifted(const TRect& r, TPoint by)
{
    return {OffsetClamped(r.Left, by.X), OffsetClamped(r.Top, by.Y), OffsetClamped(r.Right, by.X),
            OffsetClamped(r.Bottom, by.Y)};
}

TRect ShiftedBack(const TRect& r, TPoint by)
{
    return Shifted(r, {-by.X, -by.Y});
}

// The report a control lies in (itself for a report), or nil.
TVardoRep* ReportOf(const TControl* control)
{
    for (const TControl* c = control; c; c = c->Parent())
        if (auto* report = dynamic_cast<const TVardoRep*>(c))
            return const_cast<TVardoRep*>(report);
    return nullptr;
}

// An exclusive-or rectangle on a window, given in that window's client coordinates.
void DrawOnWindow(TWinControl* window, const TRect& r)
{
    if (!ControlAlive(window))
        return;
    TControlHostBase* host = window->Host();
    if (!host)
        return;
    host->DrawFocusRect(Shifted(r, window->ClientOrigin()));
}

// Nearest whole number, halves to even, whatever rounding mode someone left set.
long double RoundHalfEven(long double v)
{
    if (!std::isfinite(v))
        return v;
    const long double down = std::floor(v);
    const long double diff = v - down;
    if (diff < 0.5L)
        return down;
    if (diff > 0.5L)
        return down + 1;
    return std::fmod(down, 2.0L) == 0 ? down : down + 1;
}

bool IsText(const TControl* c) { return dynamic_cast<const TKVCustomLabel*>(c) != nullptr; }
bool IsBarcode(const TControl* c) { return dynamic_cast<const TKVBarcode*>(c) != nullptr; }

} // namespace

// ---- routines ------------------------------------------------------------------------------------

TRect NormalizeRect(const TRect& r)
{
    return NormalizeRect(r.Left, r.Top, r.Right, r.Bottom);
}

TRect NormalizeRect(int left, int top, int right, int bottom)
{
    TRect r{left, top, right, bottom};
    if (r.Right < r.Left)
        std::swap(r.Left, r.Right);
    if (r.Bottom < r.Top)
        std::swap(r.Top, r.Bottom);
    return r;
}

long double RoundToUnit(TKVUnit units, long double value)
{
    switch (units) {
    case kvunMM:
    case kvunCharacters:
        return RoundHalfEven(value);
    default:
        return RoundHalfEven(value * 40) / 40;
    }
}

TPoint ReportOffset(const TControl* c)
{
    // Summing every ancestor up to the report covers a printable on a band (the band), one on a
    // nested band (that band and the band it lies in) and a band on the report (nothing), and also
    // keeps a printable lying straight on the report at its own place rather than shifting it by
    // the report's position in the scroll box.
    TPoint offset;
    if (!c)
        return offset;
    for (const TWinControl* p = c->Parent(); p && !dynamic_cast<const TVardoRep*>(p); p = p->Parent()) {
        offset.X = OffsetClamped(offset.X, p->Left());
        offset.Y = OffsetClamped(offset.Y, p->Top());
    }
    return offset;
}

TPoint RubberOffset(const TKVCustomBand* band)
{
    if (!band)
        return {};
    const TPoint parent = ReportOffset(band);
    return {OffsetClamped(parent.X, band->Left()), OffsetClamped(parent.Y, band->Top())};
}

TUnitPair SetUnitPair(long double x, long double y)
{
    return {x, y};
}

void SetControlPos(TControl* control, int left, int top)
{
    if (!control)
        return;
    control->SetLeft(left);
    control->SetTop(top);
}

void SnapToGrid(TControl* control, bool force)
{
    auto* printable = dynamic_cast<TKVPrintable*>(control);
    if (!printable)
        return;
    const TVardoRep* report = printable->ParentReport();
    if (!force && !(report && report->SnapToGrid()))
        return;
    // A printable on no report keeps to the grid of its own unit.
    const TKVUnit units = report ? report->Units() : printable->Size()->GetUnits();
    TKVPrintableSize* size = printable->Size();
    size->SetTop(RoundToUnit(units, size->Top()));
    size->SetLeft(RoundToUnit(units, size->Left()));
}

TScrollingWinControl* FindScrollBox(TObject* obj)
{
    if (!obj)
        return nullptr;
    if (auto* designer = dynamic_cast<TMultiDesigner*>(obj))
        return FindScrollBox(designer->Surface());
    auto* control = dynamic_cast<TWinControl*>(obj);
    // The parents of a control that is being destroyed may already be gone.
    if (!control || !ControlAlive(control))
        return nullptr;
    for (TWinControl* c = control; c; c = c->Parent())
        if (auto* box = dynamic_cast<TScrollingWinControl*>(c))
            return box;
    return nullptr;
}

void DrawDragOutline(TControl* control, const TRect& r, TPoint topLeft)
{
    if (!ControlAlive(control))
        return;
    // A printable straight on the report is dragged with an outline too (its report offset is
    // nothing): leaving it out would leave that outline behind after a scroll.
    if (!dynamic_cast<TKVCustomBand*>(control) && !dynamic_cast<TKVPrintable*>(control))
        return;
    TVardoRep* report = ReportOf(control->Parent());
    if (!report)
        return;
    DrawOnWindow(report, Shifted(Bounds(topLeft.X, topLeft.Y, r.Width(), r.Height()), ReportOffset(control)));
}

// ---- corner squares ------------------------------------------------------------------------------

TEtiqControlHandle::TEtiqControlHandle(TComponent* owner, int corner) : TCustomControl(owner), FCorner(corner)
{
    SetVisible(false);
    SetBounds(0, 0, 4, 4);
    SetColor(clBlack);
}

void TEtiqControlHandle::SetCorner(int corner)
{
    if (corner != FCorner)
        FCorner = corner;
}

TControl* TEtiqControlHandle::Control() const
{
    return dynamic_cast<TControl*>(Owner());
}

void TEtiqControlHandle::ShowHandle()
{
    if (!Parent())
        return;
    BringToFront();
    SetVisible(true);
}

void TEtiqControlHandle::HideHandle()
{
    if (Visible() && Parent() && !ComponentState().Contains(csDestroying))
        SetVisible(false);
}

void TEtiqControlHandle::SetParent(TWinControl* parent)
{
    TCustomControl::SetParent(parent);
}

void TEtiqControlHandle::Paint(TCanvas& canvas)
{
    canvas.Brush()->SetColor(clBlack);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.FillRect(Rect(0, 0, Width(), Height()));
}

// ---- corner marks --------------------------------------------------------------------------------

TEtiqCantos::TEtiqCantos(TControl* control, TWinControl* surface) : TControl(control)
{
    if (auto* parent = dynamic_cast<TWinControl*>(control))
        SetParent(parent);
    FSurface = surface;
    SetControl(control);
    FHasHandles = true;
    FShown = false;
    UpdatePosition();
}

TEtiqCantos::~TEtiqCantos()
{
    RemoveOutline();
    if (TMultiDesigner* designer = FDesigner) {
        FDesigner = nullptr;
        designer->MarkGone(this);
    }
}

TWinControl* TEtiqCantos::Surface() const
{
    return ControlAlive(FSurface) ? FSurface : nullptr;
}

TEtiqControlHandle* TEtiqCantos::Corners(int corner) const
{
    return corner >= 1 && corner <= 4 ? FCorners[corner - 1] : nullptr;
}

void TEtiqCantos::SetControl(TControl* control)
{
    FControl = control;
    DoHandles(2);
    DoHandles(0);
    DoHandles(1);
    DoHandles(4);
}

void TEtiqCantos::UpdatePosition()
{
    PlaceHandles(FControl);
    DoHandles(4);
}

void TEtiqCantos::PlaceHandles(TControl* control)
{
    if (!control)
        return;
    const int l = control->Left(), t = control->Top();
    const int r = OffsetClamped(l, control->Width()), b = OffsetClamped(t, control->Height());
    const TPoint corners[4] = {{l, t}, {r, t}, {l, b}, {r, b}};
    for (int i = 0; i < 4; ++i)
        if (FCorners[i])
            SetControlPos(FCorners[i], OffsetClamped(corners[i].X, -2), OffsetClamped(corners[i].Y, -2));
}

void TEtiqCantos::DoHandles(int operation)
{
    for (int i = 0; i < 4; ++i) {
        TEtiqControlHandle*& square = FCorners[i];
        switch (operation) {
        case 0:
            // Owned by the marked control, so that the squares go with it.
            square = new TEtiqControlHandle(FControl ? static_cast<TComponent*>(FControl) : this, i + 1);
            break;
        case 1:
            if (FControl && square)
                square->SetParent(FControl->Parent());
            break;
        case 2:
            if (square) {
                TEtiqControlHandle* gone = square;
                square = nullptr;
                gone->SetParent(nullptr);
                gone->Free();
            }
            break;
        case 4:
            if (FControl) {
                if (i == 0)
                    PlaceHandles(FControl);
                if (square)
                    square->ShowHandle();
                FShown = true;
            }
            break;
        case 5:
            if (square)
                square->HideHandle();
            FShown = false;
            break;
        default:
            break;
        }
    }
    // The squares invalidated their places; the surface paints them once, with the rest of what
    // the user's action changed, rather than once per control.
}

void TEtiqCantos::RemoveHandles()
{
    if (!FHasHandles)
        return;
    FControl = nullptr;
    DoHandles(2);
    FHasHandles = false;
}

void TEtiqCantos::DrawOutline(const TRect& r)
{
    TWinControl* surface = Surface();
    if (!surface)
        return;
    DrawOnWindow(surface, r);
    FOutlineShown = !FOutlineShown;
}

void TEtiqCantos::StartDrag()
{
    TControl* control = ControlAlive(FControl) ? FControl : nullptr;
    if (!control)
        return;
    RemoveOutline();
    FStartRect = Shifted(control->BoundsRect(), ReportOffset(control));
    DrawOutline(FStartRect);
    FDragRect = FStartRect;
}

void TEtiqCantos::DragTo(int dx, int dy)
{
    if (FOutlineShown)
        DrawOutline(FDragRect);
    FDragRect = Shifted(FStartRect, {dx, dy});
    DrawOutline(FDragRect);
}

void TEtiqCantos::OffsetDrag(int dx, int dy)
{
    FDragRect = Shifted(FDragRect, {dx, dy});
    DrawOutline(FDragRect);
}

void TEtiqCantos::EndDrag(TRect& r)
{
    if (FOutlineShown)
        DrawOutline(FDragRect);
    FDragRect = ShiftedBack(FDragRect, ReportOffset(FControl));
    r = FDragRect;
}

void TEtiqCantos::RemoveOutline()
{
    if (FOutlineShown)
        DrawOutline(FDragRect);
    // A surface that has gone took the outline with it.
    FOutlineShown = false;
}

// ---- the auto-scroll timer -----------------------------------------------------------------------

TScrollBoxTimer::TScrollBoxTimer(TObject* dragged) : FTimer(std::make_unique<QTimer>())
{
    FTimer->setInterval(FInterval);
    SetControl(dragged);
    if (FDraggedControl) {
        if (TControlHostBase* host = FDraggedControl->Host()) {
            const TWinControl* parent = FDraggedControl->Parent();
            const TPoint cursor = parent ? parent->ScreenToClient(host->MousePos()) : host->MousePos();
            FGrabOffset = {cursor.X - FDraggedControl->Left(), cursor.Y - FDraggedControl->Top()};
        }
    }
    QObject::connect(FTimer.get(), &QTimer::timeout, [this] { Tick(); });
    SetEnabled(true);
}

TScrollBoxTimer::~TScrollBoxTimer()
{
    FTimer->stop();
}

void TScrollBoxTimer::SetControl(TObject* obj)
{
    FDragged = obj;
    FDraggedDesigner = dynamic_cast<TMultiDesigner*>(obj);
    FDraggedControl = FDraggedDesigner ? nullptr : dynamic_cast<TWinControl*>(obj);
    FScrollBox = FindScrollBox(obj);
}

bool TScrollBoxTimer::Enabled() const
{
    return FTimer->isActive();
}

void TScrollBoxTimer::SetEnabled(bool enabled)
{
    if (enabled)
        FTimer->start();
    else
        FTimer->stop();
}

void TScrollBoxTimer::SetDragRect(const TRect& r)
{
    FDragRect = ShiftedBack(r, ReportOffset(ControlAlive(FDraggedControl) ? FDraggedControl : nullptr));
}

TRect TScrollBoxTimer::GetDragRect() const
{
    return Shifted(FDragRect, ReportOffset(ControlAlive(FDraggedControl) ? FDraggedControl : nullptr));
}

void TScrollBoxTimer::Tick()
{
    // The box, or the control dragged over it, may have gone since the drag began.
    if (!ControlAlive(FScrollBox))
        return;
    if (!FDraggedDesigner && !ControlAlive(FDraggedControl))
        return;
    TControlHostBase* host = FScrollBox->ScrollingHost();
    if (!host)
        return;
    const TPoint c = host->MousePos();
    const TRect client = FScrollBox->ScreenClientRect();
    const auto away = [](int at, int low, int high) { return at > high ? at - high : at < low ? at - low : 0; };
    int dx = away(c.X, client.Left, client.Right);
    int dy = away(c.Y, client.Top, client.Bottom);
    // No further than the bars go.
    const auto allowed = [](int by, const TControlScrollBar* bar) {
        const int position = bar->Position();
        const int last = std::max(bar->Range() - bar->VisibleSize(), 0);
        return static_cast<int>(std::clamp<long long>(static_cast<long long>(position) + by, 0, last) - position);
    };
    dx = allowed(dx, FScrollBox->HorzScrollBar());
    dy = allowed(dy, FScrollBox->VertScrollBar());
    if (dx == 0 && dy == 0)
        return;

    // The outline comes off before the scroll and goes on once after it.
    if (FDraggedDesigner) {
        for (TEtiqCantos* mark : FDraggedDesigner->CornerMarks())
            mark->RemoveOutline();
    } else {
        DrawDragOutline(FDraggedControl, FDragRect, FDragRect.TopLeft());
    }
    const TPoint moved = FScrollBox->ScrollBy(dx, dy);
    FScrollBox->Refresh();

    if (FDraggedDesigner) {
        // The view carried the cursor over the surface; the outlines follow it at once.
        FDraggedDesigner->FollowCursor();
    } else if (!Resizing) {
        const TWinControl* parent = FDraggedControl->Parent();
        const TPoint at = parent ? parent->ScreenToClient(host->MousePos()) : host->MousePos();
        const TPoint n{at.X - FGrabOffset.X, at.Y - FGrabOffset.Y};
        DrawDragOutline(FDraggedControl, FDragRect, n);
        FDragRect = Bounds(n.X, n.Y, FDragRect.Width(), FDragRect.Height());
    } else {
        // A handle drag: the side the view moved towards goes with it (a band only grows down or
        // up); the next move over the handle works the outline out from the cursor again.
        TRect r = FDragRect;
        if (!dynamic_cast<TKVCustomBand*>(FDraggedControl)) {
            if (moved.X > 0)
                r.Right = OffsetClamped(r.Right, moved.X);
            else
                r.Left = OffsetClamped(r.Left, moved.X);
        }
        if (moved.Y > 0)
            r.Bottom = OffsetClamped(r.Bottom, moved.Y);
        else
            r.Top = OffsetClamped(r.Top, moved.Y);
        FDragRect = r;
        DrawDragOutline(FDraggedControl, FDragRect, FDragRect.TopLeft());
    }
    Scrolled = true;
}

TScrollBoxTimer* GroupDragTimer()
{
    return GroupTimer().get();
}

// ---- the multi-selection -------------------------------------------------------------------------

TMultiDesigner::TMultiDesigner()
{
    Reset();
}

TMultiDesigner::~TMultiDesigner()
{
    Clear();
    // Whatever was left (the selection's controls all gone) lets go of the designer.
    CancelDrag();
    for (TEtiqCantos* mark : FMarks)
        mark->FDesigner = nullptr;
}

void TMultiDesigner::Reset()
{
    FSurface = nullptr;
    FKind.clear();
    FDragging = false;
}

TWinControl* TMultiDesigner::Surface() const
{
    return ControlAlive(FSurface) ? FSurface : nullptr;
}

bool TMultiDesigner::IsSelected(const TControl* control) const
{
    return control && std::find(FSelected.begin(), FSelected.end(), control) != FSelected.end();
}

void TMultiDesigner::UpdateKind(TControl* c)
{
    if (FSelected.empty()) {
        if (IsBarcode(c))
            FKind = QStringLiteral("BARCODE");
        else if (IsText(c))
            FKind = QStringLiteral("FONTE");
        else if (dynamic_cast<TKVShape*>(c))
            FKind = QStringLiteral("SHAPE");
        else if (dynamic_cast<TKVDBImage*>(c))
            FKind = QStringLiteral("DBIMAGE");
        else if (dynamic_cast<TKVImage*>(c))
            FKind = QStringLiteral("IMAGE");
        else
            FKind.clear();
        return;
    }
    if (FKind == QLatin1String("BARCODE") && IsBarcode(c))
        FKind = QStringLiteral("BARCODE");
    else if (FKind == QLatin1String("FONTE") && IsText(c) && !IsBarcode(c))
        FKind = QStringLiteral("FONTE");
    else if ((FKind == QLatin1String("FONTE") || FKind == QLatin1String("BARCODE") ||
              FKind == QLatin1String("FONTE_BARCODE")) &&
             IsText(c))
        FKind = QStringLiteral("FONTE_BARCODE");
    else if (FKind == QLatin1String("SHAPE") && dynamic_cast<TKVShape*>(c))
        FKind = QStringLiteral("SHAPE");
    else if (FKind == QLatin1String("DBIMAGE") && dynamic_cast<TKVDBImage*>(c))
        FKind = QStringLiteral("DBIMAGE");
    else if (FKind == QLatin1String("IMAGE") && dynamic_cast<TKVImage*>(c))
        FKind = QStringLiteral("IMAGE");
    else
        FKind = QStringLiteral("NENHUM");
}

void TMultiDesigner::Append(TControl* control, TEtiqCantos* mark)
{
    UpdateKind(control);
    FSelected.push_back(control);
    FMarks.push_back(mark);
}

void TMultiDesigner::FreeMark(TEtiqCantos* mark)
{
    mark->FDesigner = nullptr;
    mark->RemoveOutline();
    mark->RemoveHandles();
    mark->Free();
}

void TMultiDesigner::Toggle(TControl* control)
{
    if (!ControlAlive(control))
        return;
    const auto it = std::find(FSelected.begin(), FSelected.end(), control);
    if (it == FSelected.end()) {
        auto* mark = new TEtiqCantos(control, Surface());
        mark->FDesigner = this;
        Append(control, mark);
        mark->UpdatePosition();
        // Joining a group drag in progress: the newcomer's outline goes along from here.
        if (FDragging) {
            mark->StartDrag();
            const TPoint p = Cursor();
            mark->DragTo(p.X - FGroupStart.X, p.Y - FGroupStart.Y);
        }
    } else {
        const size_t index = static_cast<size_t>(it - FSelected.begin());
        FreeMark(FMarks[index]);
        std::vector<TControl*> controls;
        std::vector<TEtiqCantos*> marks;
        controls.swap(FSelected);
        marks.swap(FMarks);
        for (size_t i = 0; i < controls.size(); ++i)
            if (i != index)
                Append(controls[i], marks[i]);
        if (FSelected.empty())
            CancelDrag();
    }
    if (FUpdating > 0)
        FChangedInUpdate = true;
    else if (OnChange)
        OnChange(this);
}

void TMultiDesigner::EndUpdate()
{
    if (FUpdating <= 0 || --FUpdating > 0 || !FChangedInUpdate)
        return;
    FChangedInUpdate = false;
    if (OnChange)
        OnChange(this);
}

void TMultiDesigner::Clear()
{
    if (FSelected.empty())
        return;
    if (OnClear)
        OnClear(this);
    // A clear in the middle of a group drag ends the drag: no outline stays and no timer runs on.
    CancelDrag();
    Reset();
    FSelected.clear();
    std::vector<TEtiqCantos*> marks;
    marks.swap(FMarks);
    for (TEtiqCantos* mark : marks)
        FreeMark(mark);
}

bool TMultiDesigner::DeleteSelected()
{
    bool deleted = false;
    CancelDrag();
    if (!FSelected.empty()) {
        std::vector<TControl*> controls;
        std::vector<TEtiqCantos*> marks;
        controls.swap(FSelected);
        marks.swap(FMarks);
        for (size_t i = 0; i < controls.size(); ++i) {
            FreeMark(marks[i]);
            // A handler may have freed a control of the selection already.
            if (!ControlAlive(controls[i]))
                continue;
            if (OnDeleteControl)
                OnDeleteControl(this, controls[i]);
            // The observation line belongs to its band: it stays there.
            if (ControlAlive(controls[i]) && !dynamic_cast<TKVObsLabel*>(controls[i]))
                controls[i]->Free();
        }
        deleted = true;
    }
    Reset();
    return deleted;
}

void TMultiDesigner::MarkGone(TEtiqCantos* mark)
{
    const auto it = std::find(FMarks.begin(), FMarks.end(), mark);
    if (it == FMarks.end())
        return;
    const auto index = it - FMarks.begin();
    FMarks.erase(it);
    FSelected.erase(FSelected.begin() + index);
    if (FSelected.empty())
        CancelDrag();
}

void TMultiDesigner::CancelDrag()
{
    for (TEtiqCantos* mark : FMarks)
        mark->RemoveOutline();
    if (OwnTimer())
        GroupTimer().reset();
    FDragging = false;
}

TScrollBoxTimer* TMultiDesigner::OwnTimer() const
{
    TScrollBoxTimer* timer = GroupTimer().get();
    return timer && timer->Dragged() == this ? timer : nullptr;
}

TPoint TMultiDesigner::Cursor() const
{
    TWinControl* surface = Surface();
    TControlHostBase* host = surface ? surface->Host() : nullptr;
    return host ? host->MousePos() : TPoint{};
}

void TMultiDesigner::FollowCursor()
{
    const TPoint p = Cursor();
    for (TEtiqCantos* mark : FMarks) {
        mark->RemoveOutline();
        mark->FDragRect = Shifted(mark->FStartRect, {p.X - FGroupStart.X, p.Y - FGroupStart.Y});
        mark->DrawOutline(mark->FDragRect);
    }
}

void TMultiDesigner::MoveSelection(const QString& command)
{
    if (FSelected.empty())
        return;
    const TPoint p = Cursor();
    if (command == QLatin1String("S")) {
        // A second start without a release first lets go of the first one's outlines.
        CancelDrag();
        FGroupStart = p;
        GroupTimer() = std::make_unique<TScrollBoxTimer>(this);
        for (TEtiqCantos* mark : FMarks)
            mark->StartDrag();
        FDragging = true;
    } else if (command == QLatin1String("M")) {
        if (!FDragging || !OwnTimer())
            return;
        for (TEtiqCantos* mark : FMarks)
            mark->DragTo(p.X - FGroupStart.X, p.Y - FGroupStart.Y);
        OwnTimer()->Scrolled = false;
    } else if (command == QLatin1String("R")) {
        if (!FDragging)
            return;
        if (OwnTimer())
            GroupTimer().reset();
        // Copies: moving a control may run handlers that change the selection.
        const std::vector<TControl*> controls = FSelected;
        const std::vector<TEtiqCantos*> marks = FMarks;
        for (size_t i = 0; i < controls.size(); ++i) {
            if (!IsSelected(controls[i]))
                continue;
            TRect r;
            marks[i]->EndDrag(r);
            controls[i]->SetTop(r.Top);
            controls[i]->SetLeft(r.Left);
            controls[i]->Refresh();
            marks[i]->UpdatePosition();
        }
        FDragging = false;
    }
}

} // namespace tessiv
