#pragma once
// The report: the panel on which the bands lie as they will appear on the page. It owns the page,
// the printer settings, the main data level and a private printer, keeps the list of its bands in
// printing order and lays them out on the design surface.

#include "engine/KVBasePanel.h"
#include "engine/KVController.h"
#include "engine/KVPrinterSettings.h"
#include "engine/KVTypes.h"
#include "engine/KVUnits.h"
#include "platform/core/Strings.h"

#include <memory>
#include <vector>

namespace tessiv {

class TDataSet;
class TDatabase;
class TKVCustomBand;
class TKVBand;
class TPrinter;
class TVardoRep;

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
    void Paint(TCanvas& canvas) override;
    // Keys on the design surface: a key-down raises OnKeyDown (unless the control style excludes
    // standard events) and a character OnKeyPress, each once; a key the handler clears to 0 (or
    // to #0) ends the message. Everything else goes on to the panel.
    void WndProc(TMessage& message) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

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
    bool FShowProgress = true;
    bool FSnapToGrid = true;
    TKVTipoImpressaoTermica FTipoImpressaoTermica = kvtiQtdExata;
};

// The base name (trimmed; "Objeto" when empty) followed by the first counter 1, 2, 3 ... that no
// component of the owner bears.
QString MakeUniqueComponentName(const TComponent* owner, const QString& baseName);
bool IsDataSetActive(const TDataSet* dataSet);
// True when the object's class or one of its ancestors has this name: the report refers to some
// classes of other units by name only.
bool IsClassNamed(const TPersistent* object, const char* className);

} // namespace tessiv
