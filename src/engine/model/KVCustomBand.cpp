#include "engine/model/KVBands.h"

#include "engine/design/DesignColours.h"
#include "engine/printables/KVDBText.h"
#include "engine/design/KVDesignLink.h"
#include "engine/printables/KVPrintable.h"
#include "engine/model/KVPrintableHooks.h"
#include "engine/model/KVUtils.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Reader.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"

#include <algorithm>

namespace tessiv {

const TEnumInfo& BandTypeInfo()
{
    static const TEnumInfo info{
        QStringLiteral("TKVBandType"),
        {QStringLiteral("rbTitle"), QStringLiteral("rbPageHeader"), QStringLiteral("rbDetail"),
         QStringLiteral("rbPageFooter"), QStringLiteral("rbSummary"), QStringLiteral("rbGroupHeader"),
         QStringLiteral("rbGroupFooter"), QStringLiteral("rbSubDetail"), QStringLiteral("rbColumnHeader"),
         QStringLiteral("rbOverlay"), QStringLiteral("rbChild")}};
    return info;
}

// ---- TKVCustomBand ----------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVCustomBand, TKVBasePanel,
    t.Event(QStringLiteral("AfterPrint"), &TKVCustomBand::AfterPrint);
    t.Boolean(QStringLiteral("AlignToBottom"), &TKVCustomBand::AlignToBottom, &TKVCustomBand::SetAlignToBottom);
    t.Event(QStringLiteral("BeforePrint"), &TKVCustomBand::BeforePrint);
    t.Integer(QStringLiteral("Color"), &TKVCustomBand::Color, &TKVCustomBand::SetColor, clBtnFace, &ColorIdents());
    t.Boolean(QStringLiteral("Enabled"), &TKVCustomBand::Enabled, &TKVCustomBand::SetEnabled, true);
    t.Object<TFont>(QStringLiteral("Font"), &TKVCustomBand::Font)
        .WithStored([](const TPersistent* p) { return !static_cast<const TKVCustomBand*>(p)->ParentFont(); });
    t.Boolean(QStringLiteral("ParentFont"), &TKVCustomBand::ParentFont, &TKVCustomBand::SetParentFont, true);
    t.Boolean(QStringLiteral("ForceNewColumn"), &TKVCustomBand::ForceNewColumn, &TKVCustomBand::SetForceNewColumn);
    t.Boolean(QStringLiteral("ForceNewPage"), &TKVCustomBand::ForceNewPage, &TKVCustomBand::SetForceNewPage);
    t.Boolean(QStringLiteral("HasChild"), &TKVCustomBand::HasChild, &TKVCustomBand::SetHasChild)
        .WithStored([](const TPersistent*) { return false; });
    t.Event<TMouseEvent>(QStringLiteral("OnMouseDown"), &TKVCustomBand::OnMouseDown);
    t.Event<TMouseMoveEvent>(QStringLiteral("OnMouseMove"), &TKVCustomBand::OnMouseMove);
    t.Event<TMouseEvent>(QStringLiteral("OnMouseUp"), &TKVCustomBand::OnMouseUp);
    t.Object<TKVBandSize>(QStringLiteral("Size"), &TKVCustomBand::Size);
)

TKVCustomBand::TKVCustomBand(TComponent* owner) : TKVBasePanel(owner), FSize(std::make_unique<TKVBandSize>(this))
{
    SetColor(clWhite);
    SetCaption(QString());
    TKVBasePanel::SetBounds(Left(), Top(), Width(), 40);
}

TKVCustomBand::~TKVCustomBand()
{
    if (FParentReport)
        FParentReport->RemoveBand(this);
}

TVardoRep* TKVCustomBand::LinkedReport() const
{
    if (!FParentReport || FParentReport->Owner() != Owner())
        return nullptr;
    const auto& list = FParentReport->BandList();
    return std::find(list.begin(), list.end(), this) != list.end() ? FParentReport : nullptr;
}

void TKVCustomBand::RelayoutReport() const
{
    if (TVardoRep* report = LinkedReport()) {
        report->RebuildBandList();
        report->SetBandValues();
    }
}

void TKVCustomBand::RefuseLoop(const TComponent* target) const
{
    if (ComponentState().Contains(csLoading))
        throw EReadError(QStringLiteral("Links of band %1 to %2 form a loop")
                             .arg(Name(), target ? target->Name() : QString()));
}

void TKVCustomBand::SetBandType(TKVBandType value)
{
    if (FParentReport && value != rbDetail) {
        TControl* quantity = FParentReport->CampoQuantidadeObjeto();
        if (quantity && quantity->Parent() == this)
            FParentReport->SetCampoQuantidadeObjeto(nullptr);
    }
    const TKVBandType old = FBandType;
    FBandType = value;
    if (TVardoRep* report = LinkedReport()) {
        if (old == rbGroupFooter && value != old) {
            const std::vector<TKVCustomBand*> list = report->BandList();
            for (TKVCustomBand* b : list)
                if (auto* g = dynamic_cast<TKVGroup*>(b); g && g->FooterBand() == this)
                    g->SetFooterBand(nullptr);
        }
        report->RebuildBandList();
        report->SetBandValues();
    }
}

TKVChildBand* TKVCustomBand::ChildBand() const
{
    if (!FParentReport)
        return nullptr;
    for (TKVCustomBand* b : FParentReport->BandList())
        if (auto* c = dynamic_cast<TKVChildBand*>(b); c && c->BandType() == rbChild && c->ParentBand() == this)
            return c;
    return nullptr;
}

void TKVCustomBand::SetHasChild(bool value)
{
    if (value == HasChild())
        return;
    if (value) {
        auto* child = new TKVChildBand(Owner());
        try {
            // Named as the report names a new band: the file links a child band to its parent by
            // the parent's name, so an unnamed child would lose a child of its own on reading.
            child->SetName(MakeUniqueComponentName(Owner(), BandTypeComponentName(rbChild)));
            child->SetParent(Parent());
            child->SetParentBand(this);
        } catch (...) {
            child->Free();
            throw;
        }
        return;
    }
    TKVChildBand* child = ChildBand();
    if (TKVChildBand* grandChild = child->ChildBand())
        grandChild->SetParentBand(this);
    child->Free();
}

// ---- design time ------------------------------------------------------------------------------

void TKVCustomBand::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    DesignPressed = false;
    TKVBasePanel::MouseDown(button, shift, x, y);
    if (TKVDesignLink* designer = AttachedDesigner(FParentReport))
        designer->BandMouseDown(this, button, shift, x, y);
}

void TKVCustomBand::MouseMove(TShiftState shift, int x, int y)
{
    TKVBasePanel::MouseMove(shift, x, y);
    if (TKVDesignLink* designer = AttachedDesigner(FParentReport))
        designer->BandMouseMove(this, shift, x, y);
}

void TKVCustomBand::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TKVBasePanel::MouseUp(button, shift, x, y);
    if (TKVDesignLink* designer = AttachedDesigner(FParentReport))
        designer->BandMouseUp(this, button, shift, x, y);
}

void TKVCustomBand::FitToDesignerRect()
{
    TKVDesignLink* designer = AttachedDesigner(FParentReport);
    if (!designer || !designer->Outlining())
        return;
    RubberRect = designer->GetDragRect();
    const int height = RubberRect.Bottom - RubberRect.Top;
    if (height != Height())
        SetHeight(height);
}

void TKVCustomBand::RefreshDataControls()
{
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (auto* band = dynamic_cast<TKVCustomBand*>(c))
            band->RefreshDataControls();
        else if (auto* printable = dynamic_cast<TKVPrintable*>(c))
            BindToBandDataSet(printable);
    }
}

void TKVCustomBand::SetUnits(TKVUnit value)
{
    if (FSize)
        FSize->SetUnits(value);
    Invalidate();
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (TKVPrintableHooks* p = PrintableHooks(c))
            p->SetUnits(value);
        else if (auto* band = dynamic_cast<TKVCustomBand*>(c))
            band->SetUnits(value);
    }
}

void TKVCustomBand::SetParent(TWinControl* parent)
{
    if (auto* report = dynamic_cast<TVardoRep*>(Parent()); report && parent != Parent())
        report->RemoveBand(this);
    // Bands are not nested by dropping one onto another: it goes to that band's parent.
    if (auto* band = dynamic_cast<TKVCustomBand*>(parent))
        parent = band->Parent();
    TKVBasePanel::SetParent(parent);
    auto* report = dynamic_cast<TVardoRep*>(parent);
    if (FParentReport && FParentReport != report)
        FParentReport->RemoveFreeNotification(this);
    FParentReport = report;
    if (!report)
        return;
    report->FreeNotification(this);
    report->AddBand(this);
    FSize->SetParentReport(report);
    SetZoom(report->Zoom());
    PlacedOnReport(report);
}

void TKVCustomBand::SetNestedParent(TWinControl* parent)
{
    auto* report = parent ? dynamic_cast<TVardoRep*>(parent->Parent()) : nullptr;
    if (FParentReport && FParentReport != report) {
        FParentReport->RemoveBand(this);
        FParentReport->RemoveFreeNotification(this);
    }
    TKVBasePanel::SetParent(parent);
    FParentReport = report;
    if (!report)
        return;
    report->FreeNotification(this);
    report->AddBand(this);
    FSize->SetParentReport(report);
    SetZoom(report->Zoom());
}

void TKVCustomBand::SetBounds(int left, int top, int width, int height)
{
    if (TakesBoundsAsGiven()) {
        TKVBasePanel::SetBounds(left, top, width, height);
        return;
    }
    if (ComponentState().Contains(csLoading) || !FSize) {
        // The height a stream gives; the size object's own values arrive through Loaded.
        if (height != 40 && !(FSize && FSize->Updating()))
            FSavedHeight = height;
        return;
    }
    if (!FParentReport) {
        TKVBasePanel::SetBounds(left, top, width, height);
        return;
    }
    if (FSize->Updating()) {
        TKVBasePanel::SetBounds(left, top, width, height);
        if (!FLayingOut)
            FParentReport->SetBandValues();
        for (int i = 0; i < ControlCount(); ++i)
            if (TKVPrintableHooks* p = PrintableHooks(Controls(i)); p && p->AlignToBand())
                p->Notify(this, 2);
        return;
    }
    // A resize from outside: the height is taken through the size, the width is the layout's.
    FSize->PushPixelUnits();
    try {
        if (height != Round(FSize->Height()))
            FSize->SetHeight(height);
        if (left != Left() || top != Top()) {
            TKVBasePanel::SetBounds(left, top, Width(), Height());
            if (!FLayingOut)
                FParentReport->SetBandValues();
        }
    } catch (...) {
        FSize->PopUnits();
        throw;
    }
    FSize->PopUnits();
}

void TKVCustomBand::SetZoom(int value)
{
    TKVBasePanel::SetZoom(value);
    if (value == 0 || !FSize)
        return;
    FSize->SetZoom(value);
    FSize->Update();
}

void TKVCustomBand::CopyFrom(TKVBasePanel* source)
{
    TKVBasePanel::CopyFrom(source);
    auto* src = dynamic_cast<TKVCustomBand*>(source);
    if (!src)
        return;
    const bool visible = src->Visible();
    SetVisible(false);
    try {
        SetUnits(src->Units());
        SetBandType(src->BandType());
        FAlignToBottom = src->FAlignToBottom;
        SetEnabled(src->Enabled());
        FForceNewColumn = src->FForceNewColumn;
        FForceNewPage = src->FForceNewPage;
        if (auto* report = dynamic_cast<TVardoRep*>(Parent()))
            FSize->SetUnits(report->Units());
        else if (auto* band = dynamic_cast<TKVCustomBand*>(Parent()))
            FSize->SetUnits(band->Units());
        else
            FSize->SetUnits(src->Units());
        const auto scaled = [this](int v) { return static_cast<int>(Round(static_cast<long double>(v) * Zoom() / 100)); };
        TKVBasePanel::SetBounds(scaled(src->Left()), scaled(src->Top()), scaled(src->Width()), scaled(src->Height()));
    } catch (...) {
        SetVisible(visible);
        throw;
    }
    SetVisible(visible);
}

void TKVCustomBand::Loaded()
{
    TKVBasePanel::Loaded();
    if (!FSize)
        return;
    FSize->Update();
    if (FSavedHeight != 40 && Height() == 40)
        SetHeight(FSavedHeight);
}

void TKVCustomBand::DefineProperties(TFiler& filer)
{
    TKVBasePanel::DefineProperties(filer);
    // Older files: alignment, a ruler per band and a link that the child bands replaced.
    const auto drop = [](TReader& r) { r.ReadIdent(); };
    filer.DefineProperty(QStringLiteral("Align"), drop, nullptr, false);
    filer.DefineProperty(QStringLiteral("Ruler"), drop, nullptr, false);
    filer.DefineProperty(QStringLiteral("LinkBand"), drop, nullptr, false);
}

void TKVCustomBand::Paint(TCanvas& canvas)
{
    TKVBasePanel::Paint(canvas);
    if (FParentReport && FParentReport->Page() && FParentReport->Page()->Ruler())
        PaintRuler(canvas, FParentReport->Units());
    const TDesignColours& dc = DesignColours();
    const int w = Width();
    const int h = Height();
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetStyle(dc.BandOutlineStyle);
    canvas.Pen()->SetColor(dc.BandOutlineColour);
    canvas.Brush()->SetStyle(bsClear);
    canvas.Rectangle(0, 0, w, h);
    canvas.Pen()->SetStyle(psSolid);
    // The frame's thickness follows the screen, not the zoom: at the design size it reads as on
    // paper.
    const long double factor = ScreenPixelsPerInch() / 254.0L;
    Frame()->PaintIt(canvas, TRect{0, 0, w - 1, h - 1}, factor, factor);
    canvas.Font()->SetName(dc.RulerFontName);
    canvas.Font()->SetSize(dc.RulerFontSize);
    canvas.Font()->SetColor(dc.RulerFontColour);
    canvas.Brush()->SetStyle(bsClear);
    const int oldBk = canvas.SetBkMode(TRANSPARENT);
    canvas.TextOut(2, h - canvas.TextHeight(QStringLiteral("W")) - 4, DesignCaption());
    canvas.SetBkMode(oldBk);
}

QString TKVCustomBand::DesignCaption() const { return BandTypeName(FBandType); }

void TKVCustomBand::Notification(TComponent* component, TOperation operation)
{
    TKVBasePanel::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FParentReport)
        FParentReport = nullptr;
}

// ---- TKVBand ----------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVBand, TKVCustomBand,
    t.Enum(QStringLiteral("BandType"), BandTypeInfo(), &TKVBand::BandType, &TKVBand::SetBandType);
)

TKVBand::TKVBand(TComponent* owner) : TKVCustomBand(owner) {}

// ---- TKVChildBand -----------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVChildBand, TKVCustomBand,
    t.Reference<TKVCustomBand>(QStringLiteral("ParentBand"), &TKVChildBand::ParentBand, &TKVChildBand::SetParentBand);
    t.String(QStringLiteral("ParentBandName"), &TKVChildBand::ParentBandName, &TKVChildBand::SetParentBandName);
)

TKVChildBand::TKVChildBand(TComponent* owner) : TKVCustomBand(owner)
{
    SetBandType(rbChild);
}

bool TKVChildBand::WouldLoop(const TKVCustomBand* parent) const
{
    std::vector<const TKVCustomBand*> seen;
    for (const TKVCustomBand* b = parent; b;) {
        if (b == this)
            return true;
        if (std::find(seen.begin(), seen.end(), b) != seen.end())
            return true; // a chain that already loops cannot be joined
        seen.push_back(b);
        const auto* child = dynamic_cast<const TKVChildBand*>(b);
        b = child ? child->FParentBand : nullptr;
    }
    return false;
}

void TKVChildBand::Link(TKVCustomBand* value)
{
    if (FParentBand && FParentBand != value)
        FParentBand->RemoveFreeNotification(this);
    FParentBand = value;
    if (value)
        value->FreeNotification(this);
    RelayoutReport();
    ParentBandChanged();
}

void TKVChildBand::SetParentBand(TKVCustomBand* value)
{
    if (!LinkedReport()) {
        // Not on its report yet: the name is kept and resolved once it is.
        if (value)
            FParentBandName = value->Name();
        return;
    }
    if (value && WouldLoop(value)) {
        RefuseLoop(value);
        return;
    }
    // A cleared link also clears the name, so that the next read does not link the band again.
    FParentBandName = value ? value->Name() : QString();
    Link(value);
}

void TKVChildBand::SetParentBandName(const QString& value)
{
    FParentBandName = value;
    if (!LinkedReport())
        return;
    auto* band = dynamic_cast<TKVCustomBand*>(Owner() ? Owner()->FindComponent(value) : nullptr);
    if (band && WouldLoop(band)) {
        RefuseLoop(band);
        return;
    }
    Link(band);
}

void TKVChildBand::CopyFrom(TKVBasePanel* source)
{
    TKVCustomBand::CopyFrom(source);
    if (auto* src = dynamic_cast<TKVChildBand*>(source))
        SetParentBandName(src->ParentBandName());
}

void TKVChildBand::Loaded()
{
    // A name whose band came later in the file; still loading, so a loop is an error.
    if (!FParentBand && !FParentBandName.isEmpty())
        SetParentBandName(FParentBandName);
    TKVCustomBand::Loaded();
}

void TKVChildBand::Notification(TComponent* component, TOperation operation)
{
    TKVCustomBand::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FParentBand) {
        FParentBand = nullptr;
        FParentBandName.clear();
    }
}

TKVGroup* TKVChildBand::GroupAbove() const
{
    std::vector<const TKVCustomBand*> seen;
    for (TKVCustomBand* b = ParentBand(); b && std::find(seen.begin(), seen.end(), b) == seen.end();) {
        seen.push_back(b);
        if (auto* group = dynamic_cast<TKVGroup*>(b))
            return group;
        auto* child = dynamic_cast<TKVChildBand*>(b);
        b = child ? child->ParentBand() : nullptr;
    }
    return nullptr;
}

} // namespace tessiv
