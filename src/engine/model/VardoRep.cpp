#include "engine/model/VardoRep.h"

#include "engine/model/KVBands.h"
#include "engine/design/KVDesignLink.h"
#include "engine/model/KVPrintableHooks.h"
#include "engine/run/KVResourceManager.h"
#include "engine/model/KVUtils.h"
#include "platform/core/SysUtils.h"
#include "engine/run/KVDataAccess.h"
#include "platform/controls/Messages.h"
#include "platform/printing/DeviceMode.h"
#include "platform/printing/Printer.h"

#include <algorithm>
#include <climits>

namespace tessiv {

const TEnumInfo& ReportOptionInfo()
{
    static const TEnumInfo info{QStringLiteral("TVardoReportOption"),
                                {QStringLiteral("kvoFirstPageHeader"), QStringLiteral("kvoLastPageFooter"),
                                 QStringLiteral("kvoCompression"), QStringLiteral("kvoImpressoraTermica"),
                                 QStringLiteral("kvoAlinharTamanho"), QStringLiteral("kvoImprimeVerso")}};
    return info;
}

const TEnumInfo& TipoImpressaoTermicaInfo()
{
    static const TEnumInfo info{QStringLiteral("TKVTipoImpressaoTermica"),
                                {QStringLiteral("kvtiQtdExata"), QStringLiteral("kvtiMultiplo")}};
    return info;
}

QString MakeUniqueComponentName(const TComponent* owner, const QString& baseName)
{
    QString base = baseName.trimmed();
    if (base.isEmpty())
        base = QStringLiteral("Objeto");
    for (int i = 1;; ++i) {
        const QString name = base + QString::number(i);
        if (!owner || !owner->FindComponent(name))
            return name;
    }
}

bool IsDataSetActive(const TDataSet* dataSet)
{
    return kvdata::IsActive(dataSet);
}

bool IsClassNamed(const TPersistent* object, const char* className)
{
    if (!object)
        return false;
    const QLatin1String name(className);
    for (const TClassInfo* c = &object->ClassType(); c; c = c->Parent)
        if (c->ClassName == name)
            return true;
    return false;
}

// ---- TVardoRepBands ---------------------------------------------------------------------------

namespace {

// Index of the presence flags to band kind; index 5 has none.
bool KindOfIndex(int index, TKVBandType& kind)
{
    switch (index) {
    case 1: kind = rbTitle; return true;
    case 2: kind = rbPageHeader; return true;
    case 3: kind = rbColumnHeader; return true;
    case 4: kind = rbDetail; return true;
    case 6: kind = rbPageFooter; return true;
    case 7: kind = rbSummary; return true;
    default: return false;
    }
}

// The first band of the list of a kind that lies on the report itself: the bands of an item
// area or a column grid are theirs, not the report's, except an area's items band, which is the
// detail of the level it lies in.
TKVCustomBand* FirstOfKind(const std::vector<TKVCustomBand*>& list, TKVBandType kind)
{
    for (TKVCustomBand* b : list)
        if (b->BandType() == kind && (dynamic_cast<TVardoRep*>(b->Parent()) || (kind == rbDetail && b->ItemArea())) &&
            !IsClassNamed(b, "TKVColuna") && !b->ComponentState().Contains(csDestroying))
            return b;
    return nullptr;
}

template <int Index>
void FlagProperty(TPropertyTable<TVardoRepBands>& t, const char* name)
{
    t.Boolean(QString::fromLatin1(name), [](const TVardoRepBands& b) { return b.GetBand(Index); },
              [](TVardoRepBands& b, std::int64_t v) { b.SetBand(Index, v != 0); })
        .WithStored([](const TPersistent*) { return false; });
}

} // namespace

TESSIV_IMPLEMENT_CLASS(TVardoRepBands, TPersistent,
    FlagProperty<1>(t, "HasTitle");
    FlagProperty<2>(t, "HasPageHeader");
    FlagProperty<3>(t, "HasColumnHeader");
    FlagProperty<4>(t, "HasDetail");
    FlagProperty<6>(t, "HasPageFooter");
    FlagProperty<7>(t, "HasSummary");
)

bool TVardoRepBands::GetBand(int index) const
{
    TKVBandType kind;
    return KindOfIndex(index, kind) && FirstOfKind(FReport->BandList(), kind);
}

void TVardoRepBands::SetBand(int index, bool value)
{
    TKVBandType kind;
    if (!KindOfIndex(index, kind) || value == GetBand(index))
        return;
    if (value)
        FReport->CreateBand(kind);
    else
        FirstOfKind(FReport->BandList(), kind)->Free();
}

// ---- TVardoRep: construction ------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TVardoRep, TKVBasePanel,
    t.Event(QStringLiteral("AfterPreview"), &TVardoRep::AfterPreview);
    t.Event(QStringLiteral("AfterPrint"), &TVardoRep::AfterPrint);
    t.Object<TVardoRepBands>(QStringLiteral("Bands"), &TVardoRep::Bands);
    t.Event(QStringLiteral("BeforePrint"), &TVardoRep::BeforePrint);
    t.Reference<TControl>(QStringLiteral("CampoQuantidadeObjeto"), &TVardoRep::CampoQuantidadeObjeto,
                          &TVardoRep::SetCampoQuantidadeObjeto);
    t.Reference<TComponent>(QStringLiteral("DataSet"), [](const TVardoRep& r) { return kvdata::AsComponent(r.DataSet()); },
                            [](TVardoRep& r, TComponent* c) { r.SetDataSet(kvdata::AsDataSet(c)); });
    t.Object<TStrings>(QStringLiteral("Description"), &TVardoRep::Description);
    t.Object<TFont>(QStringLiteral("Font"), &TVardoRep::Font);
    t.Event(QStringLiteral("OnEndPage"), &TVardoRep::OnEndPage);
    t.Event<TKeyEvent>(QStringLiteral("OnKeyDown"), &TVardoRep::OnKeyDown);
    t.Event<TKeyPressEvent>(QStringLiteral("OnKeyPress"), &TVardoRep::OnKeyPress);
    t.Event<TKeyEvent>(QStringLiteral("OnKeyUp"), &TVardoRep::OnKeyUp);
    t.Event<TMouseEvent>(QStringLiteral("OnMouseDown"), &TVardoRep::OnMouseDown);
    t.Event<TMouseMoveEvent>(QStringLiteral("OnMouseMove"), &TVardoRep::OnMouseMove);
    t.Event<TMouseEvent>(QStringLiteral("OnMouseUp"), &TVardoRep::OnMouseUp);
    t.Event(QStringLiteral("OnNeedData"), &TVardoRep::OnNeedData);
    t.Event(QStringLiteral("OnPreview"), &TVardoRep::OnPreview);
    t.Event(QStringLiteral("OnStartPage"), &TVardoRep::OnStartPage);
    t.Set(QStringLiteral("Options"), ReportOptionInfo(), &TVardoRep::Options, &TVardoRep::SetOptions);
    t.Object<TKVPage>(QStringLiteral("Page"), &TVardoRep::Page);
    t.Boolean(QStringLiteral("PrintIfEmpty"), &TVardoRep::PrintIfEmpty, &TVardoRep::SetPrintIfEmpty);
    t.Object<TVardoRepPrinterSettings>(QStringLiteral("PrinterSettings"), &TVardoRep::PrinterSettings);
    t.Integer(QStringLiteral("Quantidade"), &TVardoRep::Quantidade, &TVardoRep::SetQuantidade);
    t.String(QStringLiteral("ReportTitle"), &TVardoRep::ReportTitle, &TVardoRep::SetReportTitle);
    t.Boolean(QStringLiteral("ShowProgress"), &TVardoRep::ShowProgress, &TVardoRep::SetShowProgress, true);
    t.Boolean(QStringLiteral("SnapToGrid"), &TVardoRep::SnapToGrid, &TVardoRep::SetSnapToGrid);
    t.Enum(QStringLiteral("TipoImpressaoTermica"), TipoImpressaoTermicaInfo(), &TVardoRep::TipoImpressaoTermica,
           &TVardoRep::SetTipoImpressaoTermica);
    t.Enum(QStringLiteral("Units"), UnitInfo(), &TVardoRep::Units, &TVardoRep::SetUnits);
    t.Integer(QStringLiteral("Zoom"), &TVardoRep::Zoom, &TVardoRep::SetZoom);
)

TVardoRep::TVardoRep(TComponent* owner)
    : TKVBasePanel(owner), FDescription(std::make_unique<TStringList>()),
      FBands(std::make_unique<TVardoRepBands>(this))
{
    CreateTextServices();
    FPage = std::make_unique<TKVPage>(this);
    FPrinterSettings = std::make_unique<TVardoRepPrinterSettings>();
    SetColor(clWhite);
    TKVBasePanel::SetBounds(0, 0, Width(), Height());
    Font()->SetName(QStringLiteral("Arial"));
    Font()->SetSize(10);
    FController = std::make_unique<TKVController>(nullptr, this);
    FController->SetParentReport(this);
    // A new report takes the paper of the default printer; Default and Custom keep the locale
    // paper's width and length.
    FPrinter = std::make_unique<TPrinter>();
    const TDeviceMode mode = FPrinter->DeviceMode();
    FPage->SetPaperSize((mode.Fields & DM_PAPERSIZE) ? PaperSizeOfCode(mode.PaperSize) : TKVPaperSize::Default);
}

TVardoRep::~TVardoRep()
{
    // The designer's handles lie on the report: they go with the designer's detach, before the
    // report frees its children.
    if (FDesignState == 4 && FDesigner) {
        try {
            FDesigner->Detach();
        } catch (...) {
        }
    }
    FDesigner = nullptr;
    FDesignState = 0;
    Destroying();
    FreeChildControls();
    FreeTextServices();
}

void TVardoRep::FreeChildControls()
{
    // The bands go while the report is whole, so that they can still look at it.
    while (ControlCount() > 0) {
        TControl* c = Controls(ControlCount() - 1);
        RemoveControl(c);
        c->Free();
    }
    FBandList.clear();
}

// ---- properties -------------------------------------------------------------------------------

void TVardoRep::SetCampoQuantidadeObjeto(TControl* value)
{
    static const char* const refusedParents[] = {"TKVItens", "TKVItensObs", "TKVObs", "TKVObsVariavel",
                                                 "TKVColunaSql", "TKVColuna"};
    if (value) {
        bool refused = IsClassNamed(value, "TKVBarcode") || !PrintableHooks(value);
        for (const char* parent : refusedParents)
            refused = refused || IsClassNamed(value->Parent(), parent);
        if (refused)
            value = nullptr;
    }
    if (value == FCampoQuantidade)
        return;
    TControl* const previous = FCampoQuantidade;
    FCampoQuantidade = value;
    if (previous)
        previous->RemoveFreeNotification(this);
    if (value)
        value->FreeNotification(this);
    try {
        if (IsClassNamed(value, "TKVDBText"))
            PrintableHooks(value)->SetCampoQuantidade(true);
        if (IsClassNamed(previous, "TKVDBText"))
            PrintableHooks(previous)->SetCampoQuantidade(false);
    } catch (const Exception&) {
        // The flags only show which text gives the quantity; the choice itself stands.
    }
}

QString TVardoRep::GetCampoQuantidade() const
{
    if (IsClassNamed(FCampoQuantidade, "TKVDBText"))
        return PrintableHooks(FCampoQuantidade)->DataField();
    return {};
}

void TVardoRep::SetDataSet(TDataSet* value)
{
    FController->SetDataSet(value);
    if (value)
        kvdata::AsComponent(value)->FreeNotification(this);
}

void TVardoRep::SetUnits(TKVUnit value)
{
    if (!FPage)
        return;
    FPage->SetUnits(value);
    for (TKVCustomBand* band : FBandList)
        band->SetUnits(value);
    for (int i = 0; i < ControlCount(); ++i)
        if (TKVPrintableHooks* p = PrintableHooks(Controls(i)))
            p->SetUnits(value);
}

void TVardoRep::SetZoom(int value)
{
    if (value < 1 || value > 300)
        return;
    TKVBasePanel::SetZoom(value);
    if (FPage) {
        FPage->SetZoom(value);
        FPage->Update();
    }
    SetBandValues();
}

void TVardoRep::SetBounds(int left, int top, int width, int height)
{
    const bool resized = width != Width() || height != Height();
    TKVBasePanel::SetBounds(left, top, width, height);
    if (!resized || !FPage || FPage->Updating() || FPage->PaperSize() != TKVPaperSize::Custom)
        return;
    // Resizing the report on the design surface resizes a custom paper.
    {
        struct TScope {
            TKVPage& Page;
            explicit TScope(TKVPage& p) : Page(p) { Page.PushPixelUnits(); }
            ~TScope() { Page.PopUnits(); }
        };
        // Updating keeps the page from applying its size back to the panel meanwhile.
        struct TUpdating : TKVPage {
            static void Set(TKVPage& p, bool v) { static_cast<TUpdating&>(p).FUpdating = v; }
        };
        TUpdating::Set(*FPage, true);
        try {
            TScope pixels(*FPage);
            FPage->SetWidth(width);
            FPage->SetLength(height);
        } catch (...) {
            TUpdating::Set(*FPage, false);
            throw;
        }
        TUpdating::Set(*FPage, false);
    }
    SetBandValues();
}

void TVardoRep::Paint(TCanvas& canvas)
{
    TKVBasePanel::Paint(canvas);
    if (!FPage)
        return;
    if (FPage->Ruler())
        PaintRuler(canvas, Units());
    PaintMargins(canvas);
    PaintPageFrame(canvas);
    PaintColumnGuides(canvas);
}

void TVardoRep::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_KEYDOWN: {
        auto key = static_cast<unsigned short>(message.WParam);
        if (!ControlStyle().Contains(csNoStdEvents) && OnKeyDown)
            OnKeyDown(this, key, TShiftState::FromInt(static_cast<std::uint32_t>(message.LParam)));
        message.WParam = key;
        message.Result = key == 0;
        return;
    }
    case WM_CHAR: {
        QChar key(static_cast<char16_t>(message.WParam));
        if (OnKeyPress)
            OnKeyPress(this, key);
        message.WParam = key.unicode();
        message.Result = key.isNull();
        return;
    }
    default:
        TKVBasePanel::WndProc(message);
    }
}

// ---- the designer ---------------------------------------------------------------------------

TKVDesignLink* AttachedDesigner(const TVardoRep* report)
{
    return report && report->DesignState() == 4 ? report->Designer() : nullptr;
}

void TVardoRep::LinkDesigner(TKVDesignLink* designer)
{
    FDesigner = designer;
    FDesignState = designer ? 4 : 0;
}

void TVardoRep::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (TKVDesignLink* designer = AttachedDesigner(this))
        designer->ReportMouseDown(this, button, shift, x, y);
}

// ---- bands ------------------------------------------------------------------------------------

void TVardoRep::AddBand(TKVCustomBand* band)
{
    if (!band || std::find(FBandList.begin(), FBandList.end(), band) != FBandList.end())
        return;
    FBandList.push_back(band);
    band->FreeNotification(this);
    RebuildBandList();
    SetBandValues();
}

void TVardoRep::RemoveBand(TKVCustomBand* band)
{
    if (ComponentState().Contains(csDestroying))
        return;
    const auto it = std::find(FBandList.begin(), FBandList.end(), band);
    if (it == FBandList.end())
        return;
    const std::vector<TKVCustomBand*> others = FBandList;
    for (TKVCustomBand* b : others)
        if (b != band)
            b->BandRemoved(band);
    FBandList.erase(std::find(FBandList.begin(), FBandList.end(), band));
    if (FController->Detail() == band)
        FController->SetDetail(nullptr);
    if (FController->Header() == band)
        FController->SetHeader(nullptr);
    if (FController->Footer() == band)
        FController->SetFooter(nullptr);
    RebuildBandList();
    SetBandValues();
}

void TVardoRep::RebuildBandList()
{
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying))
        return;
    FController->SetDetail(FirstOfKind(FBandList, rbDetail));
    FController->SetHeader(FirstOfKind(FBandList, rbTitle));
    FController->SetFooter(FirstOfKind(FBandList, rbSummary));
    FController->BuildTree();

    const std::vector<TKVCustomBand*> old = FBandList;
    std::vector<TKVCustomBand*> list;
    list.reserve(old.size());
    const auto listed = [&list](const TKVCustomBand* b) { return std::find(list.begin(), list.end(), b) != list.end(); };
    // A band, then its chain of child bands; a band already listed ends the chain.
    const auto add = [&](TKVCustomBand* band) {
        while (band && !band->ComponentState().Contains(csDestroying) && !listed(band)) {
            list.push_back(band);
            TKVCustomBand* next = nullptr;
            for (TKVCustomBand* b : old)
                if (auto* c = dynamic_cast<TKVChildBand*>(b); c && c->BandType() == rbChild && c->ParentBand() == band) {
                    next = c;
                    break;
                }
            band = next;
        }
    };
    const auto addKind = [&](TKVBandType kind) {
        for (TKVCustomBand* b : old)
            if (b->BandType() == kind)
                add(b);
    };
    addKind(rbPageHeader);
    addKind(rbTitle);
    addKind(rbColumnHeader);
    FController->AppendBands(add);
    addKind(rbPageFooter);
    for (TKVCustomBand* b : old)
        add(b);
    // Bands being destroyed stay registered until they leave.
    for (TKVCustomBand* b : old)
        if (!listed(b))
            list.push_back(b);
    FBandList = std::move(list);
}

namespace {

// Lengths read from a file may be anything: the layout works in 64 bits on pixel values held to
// what a control's int can take, so no sum or product of them overflows.
std::int64_t LayoutPixels(long double length)
{
    return std::clamp<std::int64_t>(Round(length), INT_MIN, INT_MAX);
}

int ToControlPixels(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

// The kind that decides a band's width: a child band's is that of the top of its chain.
TKVBandType LayoutKind(const TKVCustomBand* band)
{
    std::vector<const TKVCustomBand*> seen;
    while (const auto* child = dynamic_cast<const TKVChildBand*>(band)) {
        if (!child->ParentBand() || std::find(seen.begin(), seen.end(), band) != seen.end())
            return rbChild;
        seen.push_back(band);
        band = child->ParentBand();
    }
    return band->BandType();
}

} // namespace

void TVardoRep::SetBandValues()
{
    if (!FPage || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying))
        return;
    const TKVUnit saved = Units();
    SetUnits(kvunPixels);
    TKVCustomBand* current = nullptr;
    try {
        std::int64_t y = LayoutPixels(FPage->TopMargin());
        // The margins are rounded together: each rounded on its own would make a band a pixel
        // wider or narrower than the page leaves.
        const int fullWidth =
            ToControlPixels(Width() - LayoutPixels(FPage->LeftMargin() + FPage->RightMargin()));
        const int columns = std::max(FPage->Columns(), 1);
        const int columnWidth =
            ToControlPixels((fullWidth - std::int64_t(columns - 1) * LayoutPixels(FPage->ColumnSpace())) / columns);
        const std::vector<TKVCustomBand*> list = FBandList;
        for (TKVCustomBand* band : list) {
            if (band->ComponentState().Contains(csDestroying))
                continue;
            current = band;
            band->SetLayingOut(true);
            if (!band->PlaceInLayout(columnWidth)) {
                // With no lines yet there is no line height: the detail keeps its height.
                if (band->BandType() == rbDetail && FPage->AutomaticLines() && FPage->Lines() > 0)
                    band->SetHeight(ToControlPixels(
                        (Height() - LayoutPixels(FPage->BottomMargin() + FPage->TopMargin())) /
                        FPage->Lines()));
                band->SetBounds(ToControlPixels(LayoutPixels(FPage->LeftMargin())), ToControlPixels(y), band->Width(),
                                band->Height());
                y += band->Height();
                int target = columnWidth;
                switch (LayoutKind(band)) {
                case rbTitle:
                case rbPageHeader:
                case rbPageFooter:
                case rbSummary:
                case rbOverlay:
                    target = fullWidth;
                    break;
                default:
                    break;
                }
                if (Round(band->Size()->Width()) != target)
                    band->Size()->SetWidth(target);
            }
            band->SetLayingOut(false);
            current = nullptr;
        }
    } catch (...) {
        if (current)
            current->SetLayingOut(false);
        SetUnits(saved);
        throw;
    }
    SetUnits(saved);
}

TKVCustomBand* TVardoRep::FirstBandOfKind(TKVBandType kind) const
{
    return FirstOfKind(FBandList, kind);
}

TKVBand* TVardoRep::CreateBand(TKVBandType kind)
{
    auto* band = new TKVBand(Owner());
    try {
        band->SetParent(this);
        band->SetBandType(kind);
        band->SetName(MakeUniqueComponentName(Owner(), BandTypeComponentName(kind)));
    } catch (...) {
        band->Free();
        throw;
    }
    return band;
}

void TVardoRep::Loaded()
{
    TKVBasePanel::Loaded();
    RebuildBandList();
    SetBandValues();
}

void TVardoRep::Notification(TComponent* component, TOperation operation)
{
    TKVBasePanel::Notification(component, operation);
    if (ComponentState().Contains(csDestroying) || operation != TOperation::opRemove)
        return;
    if (auto* band = dynamic_cast<TKVCustomBand*>(component);
        band && std::find(FBandList.begin(), FBandList.end(), band) != FBandList.end())
        RemoveBand(band);
    if (component == kvdata::AsComponent(FController->DataSet()))
        FController->SetDataSet(nullptr);
    if (component == FDatabase)
        FDatabase = nullptr;
    if (component == FCampoQuantidade)
        FCampoQuantidade = nullptr;
}

// ---- data -------------------------------------------------------------------------------------

int TVardoRep::DataSetKind() const
{
    if (!DataSet())
        return 0;
    return kvdata::IsTable(DataSet()) ? 1 : 2;
}

TComponent* TVardoRep::FindDatabase()
{
    if (!FDatabase) {
        FDatabase = kvdata::FirstDatabase(Owner());
        if (FDatabase)
            FDatabase->FreeNotification(this);
    }
    return FDatabase;
}

QString TVardoRep::GetDatabaseName()
{
    if (TComponent* db = FindDatabase())
        return kvdata::DatabaseName(db);
    return kvdata::TableDatabaseName(DataSet());
}

void TVardoRep::SetDatabaseName(const QString& name)
{
    if (name.isEmpty() || name == FLastDatabaseName)
        return;
    kvdata::ChangeDatabaseName(Owner(), FindDatabase(), name);
    FLastDatabaseName = name;
}

} // namespace tessiv
