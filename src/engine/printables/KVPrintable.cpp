#include "engine/printables/KVPrintable.h"

#include "engine/model/KVBands.h"
#include "engine/design/KVDesignLink.h"
#include "engine/run/KVPrinter.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"

#include <QSet>

namespace tessiv {

namespace {

// The printable's size: it notes whether a stream carried its "Values", since a control read
// from an older file without them keeps the pixel bounds the file gave.
class TPrintableSize : public TKVPrintableSize {
public:
    using TKVPrintableSize::TKVPrintableSize;
    bool ValuesRead = false;

protected:
    void ReadValues(TReader& reader) override
    {
        TKVPrintableSize::ReadValues(reader);
        ValuesRead = true;
    }
};

// Switches a size to pixels for a scope. Not PushPixelUnits: writing the size may come back into
// SetBounds, and each level keeps its own unit to restore.
struct TPixelScope {
    explicit TPixelScope(TKVUnitBase& size) : Size(size), Saved(size.GetUnits()) { Size.SetUnits(kvunPixels); }
    ~TPixelScope() { Size.SetUnits(Saved); }
    TKVUnitBase& Size;
    TKVUnit Saved;
};

// Properties CopyFrom sets before the table walk, in its own order (a colour set after
// ParentColor would clear it again; Transparent is the control style, copied whole), and those it
// never takes from the source: the name is the control's own, and undo has never restored a
// text's rotation, its footer fill and OnPrint, or a merge memo's RemoveBlankLines.
const QSet<QString>& NotCopiedByTable()
{
    static const QSet<QString> names{
        QStringLiteral("name"),          QStringLiteral("left"),       QStringLiteral("top"),
        QStringLiteral("width"),         QStringLiteral("height"),     QStringLiteral("frame"),
        QStringLiteral("size"),          QStringLiteral("cursor"),     QStringLiteral("hint"),
        QStringLiteral("color"),         QStringLiteral("font"),       QStringLiteral("parentcolor"),
        QStringLiteral("parentfont"),    QStringLiteral("enabled"),    QStringLiteral("transparent"),
        QStringLiteral("rotacao"),       QStringLiteral("strpreencherodape"),
        QStringLiteral("onprint"),       QStringLiteral("removeblanklines"),
    };
    return names;
}

void CopyProperties(TPersistent* dest, const TPersistent* source, const QSet<QString>* skip);

// An owned sub-object (frame, font, lines, picture): its own Assign copies all of it, its data
// included; a class without one is copied property by property.
void CopyObject(TPersistent* dest, const TPersistent* source)
{
    try {
        dest->Assign(source);
    } catch (const EConvertError&) {
        if (dest->ClassType().Properties().empty())
            throw;
        CopyProperties(dest, source, nullptr);
    }
}

void CopyProperty(TPersistent* dest, const TPropInfo& to, const TPersistent* source, const TPropInfo& from)
{
    switch (to.Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkInt64:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet:
        if (to.SetOrd && from.GetOrd)
            to.SetOrd(dest, from.GetOrd(source));
        break;
    case TTypeKind::tkFloat:
        if (to.SetFloat && from.GetFloat)
            to.SetFloat(dest, from.GetFloat(source));
        break;
    case TTypeKind::tkString:
    case TTypeKind::tkMethod:
        if (to.SetStr && from.GetStr)
            to.SetStr(dest, from.GetStr(source));
        break;
    case TTypeKind::tkComponent:
        if (to.SetObject && from.GetObject)
            to.SetObject(dest, from.GetObject(source));
        break;
    case TTypeKind::tkClass: {
        TPersistent* d = to.GetObject ? to.GetObject(dest) : nullptr;
        const TPersistent* s = from.GetObject ? from.GetObject(source) : nullptr;
        if (d && s)
            CopyObject(d, s);
        break;
    }
    }
}

// Every property of dest's class that source's class has too and stores, in table order.
void CopyProperties(TPersistent* dest, const TPersistent* source, const QSet<QString>* skip)
{
    const TClassInfo& sourceClass = source->ClassType();
    for (const TPropInfo* to : dest->ClassType().Properties()) {
        if (skip && skip->contains(to->Name.toLower()))
            continue;
        const TPropInfo* from = sourceClass.FindProperty(to->Name);
        if (!from || from->Kind != to->Kind || !from->IsStored(source))
            continue;
        CopyProperty(dest, *to, source, *from);
    }
}

} // namespace

TESSIV_IMPLEMENT_CLASS(TKVPrintable, TCustomControl,
    t.Boolean(QStringLiteral("Enabled"), &TKVPrintable::Enabled, &TKVPrintable::SetEnabled, true);
    t.Object<TKVFrame>(QStringLiteral("Frame"), &TKVPrintable::Frame);
    t.Object<TKVPrintableSize>(QStringLiteral("Size"), &TKVPrintable::Size);
    t.Event<TMouseEvent>(QStringLiteral("OnMouseDown"), &TKVPrintable::OnMouseDown);
    t.Event<TMouseMoveEvent>(QStringLiteral("OnMouseMove"), &TKVPrintable::OnMouseMove);
    t.Event<TMouseEvent>(QStringLiteral("OnMouseUp"), &TKVPrintable::OnMouseUp);
)

TKVPrintable::TKVPrintable(TComponent* owner)
    : TCustomControl(owner), FFrame(std::make_unique<TKVFrame>(this)), FSize(std::make_unique<TPrintableSize>(this))
{
    TControlStyle style = ControlStyle();
    style -= csOpaque;
    SetControlStyle(style);
    SetColor(clWhite);
    SetBounds(Left(), Top(), 10, 10);
}

TKVPrintable::~TKVPrintable() = default;

// ---- alignment --------------------------------------------------------------------------------

void TKVPrintable::AlignIt()
{
    if (!FAlignToBand)
        return;
    FAligning = true;
    try {
        auto* band = dynamic_cast<TKVCustomBand*>(Parent());
        switch (FAlignment) {
        case taLeftJustify:
            SetLeft(0);
            break;
        case taRightJustify:
            if (band)
                SetLeft(band->Width() - Width());
            break;
        case taCenter:
            if (band)
                SetLeft((band->Width() - Width()) / 2);
            break;
        }
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
}

void TKVPrintable::SetAlignment(TAlignment value)
{
    FAlignment = value;
    if (FAlignToBand)
        AlignIt();
    Invalidate();
}

void TKVPrintable::SetAlignToBand(bool value)
{
    FAlignToBand = value;
    AlignIt();
}

void TKVPrintable::Notify(TComponent* sender, int code)
{
    if (code == 2)
        AlignIt();
}

// ---- the run ----------------------------------------------------------------------------------

void TKVPrintable::Prepare()
{
    FPrinting = true;
    FPrinter = FParentReport ? FParentReport->RunPrinter() : nullptr;
}

void TKVPrintable::Unprepare()
{
    FPrinting = false;
    FPrinter = nullptr;
}

void TKVPrintable::Print(int ofsX, int ofsY)
{
    if (!FParentReport || !FParentReport->Graphics() || !FFrame->HasSides())
        return;
    if (TKVPrinter* p = FPrinter ? FPrinter : FParentReport->RunPrinter())
        PrintFrame(*p, ofsX, ofsY);
}

void TKVPrintable::PrintFrame(TKVPrinter& printer, int ofsX, int ofsY) const
{
    TCanvas* canvas = printer.Canvas();
    if (!canvas || !FFrame->HasSides())
        return;
    // Native lengths, whatever unit the size shows.
    const long double left = FSize->NativeValue(TKVPrintableSize::kvLeft) + ofsX;
    const long double top = FSize->NativeValue(TKVPrintableSize::kvTop) + ofsY;
    const TRect r{printer.XPos(left), printer.YPos(top),
                  printer.XPos(left + FSize->NativeValue(TKVPrintableSize::kvWidth)),
                  printer.YPos(top + FSize->NativeValue(TKVPrintableSize::kvHeight))};
    FFrame->PaintIt(*canvas, r, printer.XFactor(), printer.YFactor());
}

// ---- units, zoom and bounds -------------------------------------------------------------------

void TKVPrintable::SetUnits(TKVUnit units)
{
    FSize->SetUnits(units);
    Invalidate();
}

void TKVPrintable::SetZoom(int zoom)
{
    // A zoom of 0 would divide by zero in every conversion.
    if (zoom < 1)
        return;
    FSize->SetZoom(zoom);
    FSize->Update();
}

void TKVPrintable::SetBounds(int left, int top, int width, int height)
{
    // While the size applies its own lengths nothing goes back into it, except the Left that
    // aligning to the band chooses then: the size must print where the control shows.
    const bool updating = FSize->Updating();
    if (!updating && ComponentState().Contains(csReading)) {
        // Remembered for Loaded: the file's pixel bounds, the stored lengths come later.
        if (left != 0)
            FLoadedLeft = left;
        if (top != 0)
            FLoadedTop = top;
        if (width != 0)
            FLoadedWidth = width;
        if (height != 0)
            FLoadedHeight = height;
    } else if (!updating) {
        // Compared in whole pixels: a length the control already shows is kept as it is, so
        // bounds given back unchanged (a text formatting itself, a file saved at another zoom)
        // never round it to this zoom's pixels.
        TPixelScope pixels(*FSize);
        if (Round(FSize->Height()) != height)
            FSize->SetHeight(height);
        if (Round(FSize->Width()) != width)
            FSize->SetWidth(width);
        if (Round(FSize->Top()) != top)
            FSize->SetTop(top);
        if (Round(FSize->Left()) != left)
            FSize->SetLeft(left);
    } else if (FAligning) {
        // Compared in whole pixels: the size applying this Left comes back here with it.
        TPixelScope pixels(*FSize);
        if (Round(FSize->Left()) != left)
            FSize->SetLeft(left);
    }
    TCustomControl::SetBounds(left, top, width, height);
    if (FAlignToBand && !FAligning)
        AlignIt();
}

void TKVPrintable::Loaded()
{
    TCustomControl::Loaded();
    auto& size = static_cast<TPrintableSize&>(*FSize);
    const bool valuesRead = size.ValuesRead;
    size.ValuesRead = false;
    FSize->Update();
    // A bound the lengths give as 0 takes the file's pixels; without stored lengths every bound
    // the file gave is kept.
    const auto pick = [valuesRead](int current, int loaded) {
        return loaded != 0 && (current == 0 || !valuesRead) ? loaded : current;
    };
    const int left = pick(Left(), FLoadedLeft);
    const int top = pick(Top(), FLoadedTop);
    const int width = pick(Width(), FLoadedWidth);
    const int height = pick(Height(), FLoadedHeight);
    FLoadedLeft = FLoadedTop = FLoadedWidth = FLoadedHeight = 0;
    if (left != Left() || top != Top() || width != Width() || height != Height())
        SetBounds(left, top, width, height);
}

void TKVPrintable::SetParentReport(TVardoRep* report)
{
    if (report == FParentReport)
        return;
    if (FParentReport)
        FParentReport->RemoveFreeNotification(this);
    FParentReport = report;
    FSize->SetParentReport(report);
    if (report)
        report->FreeNotification(this);
}

void TKVPrintable::SetParent(TWinControl* parent)
{
    TCustomControl::SetParent(parent);
    if (auto* report = dynamic_cast<TVardoRep*>(parent)) {
        FSize->SetUnits(report->Units());
        SetParentReport(report);
        // The control keeps its place on the screen; its lengths follow from it.
        const int top = Top();
        const int left = Left();
        SetZoom(report->Zoom());
        SetTop(top);
        SetLeft(left);
    } else if (auto* band = dynamic_cast<TKVCustomBand*>(parent)) {
        FSize->SetUnits(band->Units());
        if (TVardoRep* report = band->ParentReport()) {
            SetParentReport(report);
            SetZoom(report->Zoom());
        }
        SetTop(Top());
        SetLeft(Left());
    }
}

void TKVPrintable::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component && component == FParentReport) {
        FParentReport = nullptr;
        FSize->SetParentReport(nullptr);
        FPrinter = nullptr;
    }
}

// ---- appearance -------------------------------------------------------------------------------

void TKVPrintable::SetFrame(const TKVFrame* value)
{
    if (value)
        FFrame->Assign(value);
    Invalidate();
}

void TKVPrintable::SetTransparent(bool value)
{
    if (value == Transparent())
        return;
    TControlStyle style = ControlStyle();
    if (value)
        style -= csOpaque;
    else
        style += csOpaque;
    SetControlStyle(style);
    Invalidate();
}

void TKVPrintable::PaintCornerMarks(TCanvas& canvas) const
{
    const int w = Width();
    const int h = Height();
    canvas.Pen()->SetColor(clBlack);
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetWidth(1);
    const auto corner = [&canvas](int x1, int y1, int x2, int y2, int x3, int y3) {
        canvas.MoveTo(x1, y1);
        canvas.LineTo(x2, y2);
        canvas.LineTo(x3, y3);
    };
    corner(0, 4, 0, 0, 4, 0);
    corner(0, h - 5, 0, h - 1, 4, h - 1);
    corner(w - 5, 0, w - 1, 0, w - 1, 4);
    corner(w - 5, h - 1, w - 1, h - 1, w - 1, h - 5);
}

void TKVPrintable::Paint(TCanvas& canvas)
{
    canvas.Brush()->SetColor(Color());
    canvas.Brush()->SetStyle(Transparent() ? bsClear : bsSolid);
    canvas.FillRect(ClientRect());

    PaintCornerMarks(canvas);

    const long double scale = GetZoom() * (Screen().PixelsPerInch / 254.0L) / 100;
    TRect r = ClientRect();
    --r.Right;
    --r.Bottom;
    FFrame->PaintIt(canvas, r, scale, scale);
}

// ---- design time ------------------------------------------------------------------------------

void TKVPrintable::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    DesignPressed = false;
    TCustomControl::MouseDown(button, shift, x, y);
    if (TKVDesignLink* designer = AttachedDesigner(FParentReport))
        designer->PrintableMouseDown(this, button, shift, x, y);
}

void TKVPrintable::MouseMove(TShiftState shift, int x, int y)
{
    if (ActivationClick)
        return;
    TCustomControl::MouseMove(shift, x, y);
    if (TKVDesignLink* designer = AttachedDesigner(FParentReport))
        designer->PrintableMouseMove(this, shift, x, y);
}

void TKVPrintable::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (TKVDesignLink* designer = AttachedDesigner(FParentReport))
        designer->PrintableMouseUp(this, button, shift, x, y);
}

void TKVPrintable::FitToDesignerRect()
{
    TKVDesignLink* designer = AttachedDesigner(FParentReport);
    if (!designer || !designer->Outlining())
        return;
    const TRect r = designer->GetDragRect();
    // An outline that did not move leaves the stored lengths as they are: writing the same
    // pixels back would round them to the pixel grid.
    if (r == BoundsRect())
        return;
    SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    Invalidate();
}

// ---- copying ----------------------------------------------------------------------------------

void TKVPrintable::CopyFrom(const TKVPrintable* source)
{
    if (!source || source == this)
        return;
    const bool visible = source->Visible();
    SetVisible(false);
    try {
        FFrame->Assign(source->Frame());
        if (auto* band = dynamic_cast<TKVCustomBand*>(Parent()))
            FSize->SetUnits(band->Units());
        else
            FSize->SetUnits(source->Size()->GetUnits());
        SetAlign(source->Align());
        SetControlStyle(source->ControlStyle());
        Invalidate();
        // An undo copy holds its pixels at zoom 100: they go to this control's zoom, truncated.
        const int zoom = GetZoom();
        const auto scaled = [zoom](int v) { return static_cast<int>(static_cast<std::int64_t>(v) * zoom / 100); };
        SetBounds(scaled(source->Left()), Top(), Width(), Height());
        SetBounds(Left(), scaled(source->Top()), Width(), Height());
        SetBounds(Left(), Top(), scaled(source->Width()), Height());
        SetBounds(Left(), Top(), Width(), scaled(source->Height()));
        SetCursor(source->Cursor());
        SetHint(source->Hint());
        SetText(source->Text());
        SetColor(source->Color());
        SetDragCursor(source->DragCursor());
        SetDragMode(source->DragMode());
        Font()->Assign(source->Font());
        SetParentColor(source->ParentColor());
        SetParentFont(source->ParentFont());
        SetEnabled(source->Enabled());
        // Everything else the class stores, a subclass's properties included.
        CopyProperties(this, source, &NotCopiedByTable());
    } catch (...) {
        SetVisible(visible);
        throw;
    }
    SetVisible(visible);
}

} // namespace tessiv
