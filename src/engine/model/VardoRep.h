#pragma once
// The report: the panel on which the bands lie as they will appear on the page. It owns the page,
// the printer settings, the main data level and a private printer, keeps the list of its bands in
// printing order and lays them out on the design surface.

#include "engine/model/KVBasePanel.h"
#include "engine/run/KVController.h"
#include "engine/run/KVPrinter.h"
#include "engine/run/KVRunWindows.h"
#include "engine/run/KVPrinterSettings.h"
#include "engine/model/KVTypes.h"
#include "engine/model/KVUnits.h"
#include "platform/core/Strings.h"

#include <functional>
#include <memory>
#include <vector>

namespace tessiv {

class TDataSet;
class TDatabase;
class TKVCustomBand;
class TKVBand;
class TKVPrinter;
class TPrinter;
class TVardoRep;
class TKVExportFilter;
class TKVPrintableHooks;
class TKVDesignLink;

enum TVardoReportOption {
    kvoFirstPageHeader, kvoLastPageFooter, kvoCompression, kvoImpressoraTermica, kvoAlinharTamanho, kvoImprimeVerso,
};
using TVardoReportOptions = TSet<TVardoReportOption>;
const TEnumInfo& ReportOptionInfo();

enum TKVTipoImpressaoTermica { kvtiQtdExata, kvtiMultiplo };
const TEnumInfo& TipoImpressaoTermicaInfo();

using TKVAfterPreviewEvent = TEvent<void(TObject* sender)>;
using TKVAfterPrintEvent = TEvent<void(TObject* sender)>;
using TKVReportBeforePrintEvent = TEvent<void(TVardoRep* sender, bool& printReport)>;
using TKVNotifyEvent = TEvent<void(TVardoRep* sender)>;

// Presence of the standard bands (not stored).
class TVardoRepBands : public TPersistent {
    TESSIV_CLASS(TVardoRepBands, TPersistent)
public:
    explicit TVardoRepBands(TVardoRep* report) : FReport(report) {}
    // Index 1..7 as HasTitle .. HasSummary; 5 stands for no kind.
    bool GetBand(int index) const;
    void SetBand(int index, bool value);

private:
    TVardoRep* FReport;
};

class TVardoRep : public TKVBasePanel {
    TESSIV_CLASS(TVardoRep, TKVBasePanel)
public:
    explicit TVardoRep(TComponent* owner);
    ~TVardoRep() override;

    // ---- published ----
    TVardoRepBands* Bands() const { return FBands.get(); }
    TControl* CampoQuantidadeObjeto() const { return FCampoQuantidade; }
    void SetCampoQuantidadeObjeto(TControl* value);
    TDataSet* DataSet() const { return FController->DataSet(); }
    void SetDataSet(TDataSet* value);
    TStrings* Description() const { return FDescription.get(); }
    void SetDescription(const TStrings* value) { FDescription->Assign(value); }
    TVardoReportOptions Options() const { return FOptions; }
    void SetOptions(TVardoReportOptions value) { FOptions = value; }
    TKVPage* Page() const { return FPage.get(); }
    bool PrintIfEmpty() const { return FController->PrintIfEmpty(); }
    void SetPrintIfEmpty(bool value) { FController->SetPrintIfEmpty(value); }
    TVardoRepPrinterSettings* PrinterSettings() const { return FPrinterSettings.get(); }
    int Quantidade() const { return FQuantidade; }
    void SetQuantidade(int value) { FQuantidade = value; }
    const QString& ReportTitle() const { return FReportTitle; }
    void SetReportTitle(const QString& value) { FReportTitle = value; }
    bool ShowProgress() const { return FShowProgress; }
    void SetShowProgress(bool value) { FShowProgress = value; }
    bool SnapToGrid() const { return FSnapToGrid; }
    void SetSnapToGrid(bool value) { FSnapToGrid = value; }
    TKVTipoImpressaoTermica TipoImpressaoTermica() const { return FTipoImpressaoTermica; }
    void SetTipoImpressaoTermica(TKVTipoImpressaoTermica value) { FTipoImpressaoTermica = value; }
    TKVUnit Units() const { return FPage ? FPage->GetUnits() : kvunNative; }
    void SetUnits(TKVUnit value);
    // 1..300; other values are ignored.
    void SetZoom(int value) override;

    TKVAfterPreviewEvent AfterPreview;
    TKVAfterPrintEvent AfterPrint;
    TKVReportBeforePrintEvent BeforePrint;
    TKVNotifyEvent OnEndPage;
    TKVOnNeedDataEvent OnNeedData;
    TNotifyEvent OnPreview;
    TKVNotifyEvent OnStartPage;

    // ---- runs ----
    // A run on the printer, with a progress form. Does nothing while another run goes on or when
    // no printer is installed.
    void Print();
    // A run into recorded pages, shown by the OnPreview handler (or the standard preview);
    // returns when the preview has closed. A run that fails leaves its pages in the preview,
    // marked incomplete; its error is raised here only when no preview window showed it.
    void Preview();
    // A run whose texts go through the filter (not owned); its pages are recorded and dropped.
    // The filter is finished only when the run went through: cancelled or failed, it is not.
    void ExportToFilter(TKVExportFilter* filter);
    // The print dialog for the report's printer settings; Tag tells the outcome: 0 confirmed,
    // 1 cancelled, unchanged when no dialog ran. The chosen printer, and the PDF printer's file,
    // stay with the report's own printer.
    void PrinterSetup();
    // The file the printer setup offers the PDF printer while it has none: the document's name
    // with ".pdf", set by the document. Not stored.
    const QString& PdfFileOffer() const { return FPdfFileOffer; }
    void SetPdfFileOffer(const QString& fileName) { FPdfFileOffer = fileName; }
    // The run common to the three, on the printer object they made.
    void CreateReport();
    // The page and printer settings into the printer object.
    void SetPrinterValues(TKVPrinter& printer) const;
    // No run is going on.
    bool Available() const { return FAvailable; }
    // Set while a preview run is asked for; the document sets it before it calls Preview.
    bool Previewing() const { return FPreviewing; }
    void SetPreviewing(bool value) { FPreviewing = value; }
    // The main level's current detail number; 0 without a run.
    int DetailNumber() const { return FController->DetailNumber(); }
    // The records of the active DataSet; 1 without one or when counting fails.
    int DetailCount();
    void AddNotifyClient(TKVPrintableHooks* printable) { FController->AddNotifyClient(printable); }
    // The printer object of the run, or of the preview that shows one; nil otherwise.
    TKVPrinter* RunPrinter() const { return FRunPrinter.get(); }
    // The datasets that every expression of the run sees.
    const std::vector<TDataSet*>& RunDataSets() const { return FRunDataSets; }
    // A level's active dataset joins them while the run prepares.
    void AddRunDataSet(TDataSet* dataSet);
    // True while a page starts or ends: bands printed then cannot break to another page.
    bool InPageChange() const { return FInPageChange > 0; }

    // ---- run state: positions in whole 0.1 mm from the page's top-left corner ----
    // False while exporting: backgrounds, frames and graphic printables are drawn only when true.
    bool Graphics() const { return FGraphics; }
    bool Exporting() const { return FExportFilter != nullptr; }
    TKVExportFilter* ExportFilter() const { return FExportFilter; }
    int CurrentX() const { return FCurrentX; }
    void SetCurrentX(int value) { FCurrentX = value; }
    int CurrentY() const { return FCurrentY; }
    void SetCurrentY(int value) { FCurrentY = value; }
    int ColumnTop() const { return FColumnTop; }
    int ColumnNumber() const { return FColumnNumber; }
    int PageCount() const { return FPageCount; }
    bool LastPage() const { return FLastPage; }
    long double FooterReserve() const { return FFooterReserve; }
    // The vertical extent of the paper the run prints on.
    long double Extent() const;
    // Room left above the page footer; 0 outside a run.
    int AvailableSpace() const;
    // Prints a band (nil does nothing), a bottom-aligned one right above the page footer.
    void PrintBand(TKVCustomBand* band);
    void NewColumn();
    void NewPage();
    void EndPage();
    // A band's forced breaks. The first of each kind met at the very start of a page (or column)
    // does not move, so a group that breaks before itself starts on page 1.
    void ForcedPageBreak();
    void ForcedColumnBreak();
    // The first band of the kind that lies on the report itself (bands inside an item area or a
    // column grid are not the report's).
    TKVCustomBand* FirstBandOfKind(TKVBandType kind) const;
    // The width of a column, which the layout gives the first detail band, in 0.1 mm from the
    // page; 0 without a detail band.
    long double DetailWidth() const;

    // ---- text services ----
    // Draws text on canvas at pt (device units) with font turned by the rotation, the start moved
    // so that the block covers r's extent, r being (0, 0, extent along the text, extent across
    // the lines) in device units. The font takes the rotated description (built under the font
    // cache's lock) and the text is drawn with it. Alignment and background mode are the caller's.
    void TextOutRotated(TPoint pt, const TRect& r, const QString& text, TCanvas* canvas, TFont* font,
                        TKVRotacao rotation);
    // The height of one line of font, and the width of text plus one pixel, on the report's
    // measuring device (the screen's resolution, no device of a run needed); 0 when it cannot
    // measure.
    int TextHeight(const TFont* font, const QString& text);
    int TextWidth(const TFont* font, const QString& text);
    // The width of text in 0.1 mm as a run prints it: measured at the resolution of the run's
    // printer object, or of the screen at zoom 100 with no run going on. What a run breaks and
    // sizes so never depends on the zoom of the design surface. 0 when it cannot measure.
    long double PrintTextWidth(const TFont* font, const QString& text);
    // The report's font cache; it holds the default font's entry while the report lives.
    class TKVResourceManager* FontCache() const { return FFontCache.get(); }
    // The device text is measured on: compatible with the screen, drawing nothing.
    TCanvas* MemoryDC() const { return FMemoryDC.get(); }

    // ---- bands ----
    const std::vector<TKVCustomBand*>& BandList() const { return FBandList; }
    void AddBand(TKVCustomBand* band);
    void RemoveBand(TKVCustomBand* band);
    void RebuildBandList();
    // Lays the bands out on the design surface.
    void SetBandValues();
    TKVBand* CreateBand(TKVBandType kind);
    TKVController* Controller() const { return FController.get(); }

    // ---- data ----
    // 0 no dataset, 1 a table, 2 any other dataset.
    int DataSetKind() const;
    // The report owner's first database component (a TDatabase), cached.
    TComponent* FindDatabase();
    QString GetDatabaseName();
    void SetDatabaseName(const QString& name);
    QString GetCampoQuantidade() const;

    TPrinter* PrivatePrinter() const { return FPrinter.get(); }

    void SetBounds(int left, int top, int width, int height) override;
    void Loaded() override;
    // The design surface: background, the grid when the page shows rulers, the margins, the
    // frame at the margins and the column boundaries.
    void Paint(TCanvas& canvas) override;
    // The grid measures characters in the report font's size.
    void PaintRuler(TCanvas& canvas, TKVUnit units) override;
    virtual void PaintColumnGuides(TCanvas& canvas);
    virtual void PaintMargins(TCanvas& canvas);
    virtual void PaintPageFrame(TCanvas& canvas);
    // Keys on the design surface: a key-down raises OnKeyDown (unless the control style excludes
    // standard events) and a character OnKeyPress, each once; a key the handler clears to 0 (or
    // to #0) ends the message. Everything else goes on to the panel.
    void WndProc(TMessage& message) override;

    // ---- the designer ----
    // The designer attached to the report (not owned), and 4 while it is attached, 0 otherwise:
    // every design behaviour of the report, its bands and its printables tests both.
    TKVDesignLink* Designer() const { return FDesigner; }
    int DesignState() const { return FDesignState; }
    // Attaches the designer (DesignState 4); nil lets go of it (DesignState 0).
    void LinkDesigner(TKVDesignLink* designer);

protected:
    void Notification(TComponent* component, TOperation operation) override;
    // A press on the report itself selects it while a designer is attached; the report's own
    // OnMouseDown is not raised.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void FreeChildControls();

    std::unique_ptr<TStringList> FDescription;
    std::unique_ptr<TVardoRepBands> FBands;
    std::unique_ptr<TKVPage> FPage;
    std::unique_ptr<TVardoRepPrinterSettings> FPrinterSettings;
    std::unique_ptr<TKVController> FController;
    std::unique_ptr<TPrinter> FPrinter;
    std::vector<TKVCustomBand*> FBandList;
    TControl* FCampoQuantidade = nullptr;
    TComponent* FDatabase = nullptr;
    QString FLastDatabaseName;
    TVardoReportOptions FOptions{kvoFirstPageHeader, kvoLastPageFooter};
    int FQuantidade = 1;
    QString FReportTitle;
    QString FPdfFileOffer;
    bool FShowProgress = true;
    bool FSnapToGrid = true;
    TKVTipoImpressaoTermica FTipoImpressaoTermica = kvtiQtdExata;
    // ---- the run ----
    int StartColumnX() const;
    std::unique_ptr<TKVPrinter> MakeRunPrinter(TKVPrinterDestination destination);
    void WaitForPreview(TKVPrinter& printer);
    void ComputeFooterReserve();
    void HandAfterPrint(TObject* sender);
    void HandAfterPreview(TObject* sender);

    bool FAvailable = true;
    bool FPreviewing = false;
    bool FGraphics = true;
    bool FLastPage = false;
    bool FSkipPageBreak = false;
    bool FSkipColumnBreak = false;
    int FInPageChange = 0;
    int FCurrentX = 0;
    int FCurrentY = 0;
    int FColumnTop = 0;
    int FColumnNumber = 1;
    int FPageCount = 0;
    long double FFooterReserve = 0;
    TKVExportFilter* FExportFilter = nullptr;
    std::unique_ptr<TKVPrinter> FRunPrinter;
    std::vector<TDataSet*> FRunDataSets;
    // ---- text services ----
    void CreateTextServices();
    void FreeTextServices() noexcept;
    std::unique_ptr<TKVResourceManager> FFontCache;
    struct TKVResourceEntry* FDefaultFont = nullptr;
    std::unique_ptr<TCanvas> FMemoryDC;
    // Measures at a run's resolution; made again when the resolution changes.
    std::unique_ptr<TCanvas> FPrintMeasureDC;
    int FPrintMeasureDpi = 0;
    // ---- the designer ----
    TKVDesignLink* FDesigner = nullptr;
    int FDesignState = 0;
};

// The base name (trimmed; "Objeto" when empty) followed by the first counter 1, 2, 3 ... that no
// component of the owner bears.
QString MakeUniqueComponentName(const TComponent* owner, const QString& baseName);
bool IsDataSetActive(const TDataSet* dataSet);
// True when the object's class or one of its ancestors has this name: the report refers to some
// classes of other units by name only.
bool IsClassNamed(const TPersistent* object, const char* className);

} // namespace tessiv
