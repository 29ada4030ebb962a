#pragma once
// One open document of the designer: a report with everything its file keeps beside it (bands,
// printable controls, tables, queries, data sources, the database), owned by an invisible root;
// the report file's name; the connection of its database; and the state of print driving (label
// quantities, thermal rows and running numbers).

#include "platform/core/Component.h"
#include "platform/core/Persistent.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tessiv {

class TfmHidden;
class TVardoRep;
class TDatabase;
class TDataSet;
class TStringList;
class TStrings;
class TKVPrinter;
class TKVDBText;
class TField;
class TWinControl;
class TControl;
class TKVCustomBand;
class TKVColunaSql;
class TKVItensObs;

// What a document needs of the main form that asked for it.
class TDocumentHost {
public:
    virtual ~TDocumentHost() = default;
    // The captions of the open document windows (new documents take names none of them shows).
    virtual QStringList DocumentWindowCaptions() const { return {}; }
    // True while the main form is hidden: the application comes to the front before a question.
    virtual bool HostHidden() const { return false; }
    virtual void BringApplicationToFront() {}
    // Shows the preview window of a preview run on the run's printer object; returns at once,
    // the run waits until the preview closes.
    virtual void ShowPreview(class TAnexoRelatorio* document, TKVPrinter* printer) {}
};

// The database login: the user name comes preset; false when the user cancels.
using TLoginDialogFn = std::function<bool(const QString& aliasName, QString& userName, QString& password)>;
void SetLoginDialog(TLoginDialogFn dialog);
bool LoginDialog(const QString& aliasName, QString& userName, QString& password);
// Makes the login dialog the session's login prompt: every connection to a server that refuses
// the login it has (a table or query on an alias without a stored password) asks through it.
void InstallLoginPrompt();

// The folder new documents are named in: the user's documents folder, made when missing, else
// the home folder; with a separator at the end.
QString DefaultDocumentFolder();
// A file's name made absolute against the current folder: the folder canonical, the file's own
// name kept.
QString AbsoluteFileName(const QString& name);
// One name per file, to tell files apart: the canonical path where the file exists, the absolute
// name otherwise. Case counts, as it does in file names.
QString FileKey(const QString& name);

class TAnexoRelatorio : public TPersistent {
public:
    explicit TAnexoRelatorio(TDocumentHost* ownerForm);
    ~TAnexoRelatorio() override;
    TAnexoRelatorio(const TAnexoRelatorio&) = delete;
    TAnexoRelatorio& operator=(const TAnexoRelatorio&) = delete;

    // ---- files ----
    bool SaveToFile(const QString& fileName);
    void SetFileName(const QString& fileName);
    void HookReportEvents();

    // ---- data connection ----
    TDatabase* FindDatabase() const;
    TDatabase* GetDatabase();
    bool IsConnected();
    void SetConnected(bool value);
    bool Login();
    TDatabase* EnsureDatabase();
    void FreeDatabase();
    void DataSetBeforeOpen(TDataSet* dataSet);
    void DataSetAfterClose(TDataSet* dataSet);
    static bool AliasNeedsDatabase(const QString& alias);
    // An alias, or a file or folder that exists (a relative one found as the owner's components
    // find it, beside their report file first), or the name of a database component the owner
    // holds (the document's own connection, to a server too).
    static bool IsValidAliasOrDirectory(const QString& name, const TComponent* owner = nullptr);
    bool IsDataSetDatabaseValid() const;
    QString GetAliasName();
    QString GetConnectionName();
    bool OpenDataSet(bool showMessages);
    void CloseOtherDataSets();

    // ---- fields ----
    void BindDataFields(QStringList* combo);
    // ---- field lists of column grids and item areas ----
    // The field names of a column grid's query (of an item area's observation query) into the
    // list, the query opened when closed (one that cannot open lists nothing). With names and a
    // control: a data text or data picture without a field takes the first name, and the query
    // when it has no data set; a barcode without a field keeps its own text.
    void BindColumnFields(TControl* control, TKVColunaSql* columnBand, QStringList* combo);
    void BindObsFields(TControl* control, TKVItensObs* itemArea, QStringList* combo);

    // ---- print driving ----
    void Print();
    void Preview();
    void CalcTotalLabels();
    void CountLabelsByWalking(bool thermalPrint);
    bool IsQuantityOnly() const;
    void ReportBeforePrint(TVardoRep* sender, bool& printReport);
    void ReportNeedData(TObject* sender, bool& moreData);
    void ReportPreview(TObject* sender);
    void PrepareIncrements();
    void ResetIncrementValues();
    void DBTextPrint(TObject* sender, QString& value);
    void PrintThermal();
    void PrintFullRows();
    void PrintRemainderRow();
    void NextRecordIntoRow(bool& moreData);

    // ---- state ----
    TfmHidden* Root() const { return FRoot.get(); }
    TVardoRep* Report() const { return FReport; }
    void SetReport(TVardoRep* report) { FReport = report; }
    TDocumentHost* OwnerForm() const { return FOwnerForm; }
    TDatabase* Database() const { return FDatabase; }
    const QString& FileName() const { return FFileName; }
    const QString& Directory() const { return FDirectory; }
    const QString& FilterText() const { return FFilterText; }
    void SetFilterText(const QString& text) { FFilterText = text; }
    bool Connecting() const { return FConnecting; }
    int LabelCount() const { return FLabelCount; }
    int TotalLabels() const { return FTotalLabels; }
    int Slot() const { return FSlot; }
    int RowRemainder() const { return FRowRemainder; }
    int RowTaken() const { return FRowTaken; }
    int RowOffset() const { return FRowOffset; }
    bool FirstCall() const { return FFirstCall; }
    TStringList* Increments() const { return FIncrements.get(); }

    // Replaces the root by a fresh one: what a failed read left behind goes with the old one.
    void ResetRoot();

private:
    void BringToFrontIfHidden();
    int MessageBox(const QString& text, unsigned flags);
    // The quantity of the current record: 0 for a record without labels.
    long double CurrentQuantity() const;
    int CurrentQuantityInt() const;
    bool HasLabels() const;
    bool Active() const;
    void SkipRecordsWithoutLabels();
    void AdvanceProgress();
    void RunReportPrint();
    void PrintThermalRows();
    // A print on the PDF printer without a file of its own asks for one in a save dialog, the
    // document's name offered; false when the user cancelled. The name asked is for that print
    // only.
    bool AskPrintFile(QString& fileName);
    bool ThermalPrint() const;
    bool DriverMakesCopies() const;
    // The running value or shifted value of a numbered data text, formatted by its field's class.
    void FormatRunningValue(TKVDBText* text, TField* field, QString& value);
    QString QuantityField() const;

    TDatabase* FDatabase = nullptr;
    QString FFilterText;
    int FRowRemainder = 0;
    int FRowTaken = 0;
    int FRowOffset = 0;
    std::unique_ptr<TfmHidden, TComponentDeleter> FRoot;
    TDocumentHost* FOwnerForm = nullptr;
    bool FConnecting = false;
    int FSlot = 0;
    QString FFileName;
    int FLabelCount = 0;
    QString FDirectory;
    bool FFirstCall = false;
    int FTotalLabels = 0;
    TVardoRep* FReport = nullptr;
    std::unique_ptr<TStringList> FIncrements;
    bool FAdvance = true;        // the thermal loop may move to the next record
    bool FThermalRun = false;    // a thermal print is going on
    bool FThermalCancelled = false;
    bool FRowFinished = false;   // the handler ended the row of the last run
};

// Opens a report file: asks for one when the name is empty. Nil when the file is missing (after
// the message), when the user cancels, or when the file's first component is no report.
TAnexoRelatorio* OpenReportDocument(TDocumentHost* ownerForm, const QString& fileName);
// A new document with one detail band and the next free default name.
TAnexoRelatorio* NewReportDocument(TDocumentHost* ownerForm);

} // namespace tessiv
