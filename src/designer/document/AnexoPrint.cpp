// Print driving of a document: labels per record, thermal rows and running numbers.

#include "designer/document/AnexoRelatorio.h"

#include "designer/document/Hidden.h"
#include "designer/document/RunningValue.h"
#include "designer/document/SqlText.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVDBText.h"
#include "engine/run/KVPrinter.h"
#include "engine/model/VardoRep.h"
#include "engine/ui/KVPrintDialog.h"
#include "platform/data/DBError.h"
#include "platform/core/SysUtils.h"
#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"
#include "platform/printing/Printer.h"

#include <QGuiApplication>

#include <algorithm>
#include <climits>
#include <cmath>

namespace tessiv {

namespace {

// Halves to the even neighbour, held to the int range.
int RoundQuantity(long double v)
{
    if (std::isnan(v))
        return 0;
    const long double r = std::nearbyint(v); // the default rounding mode: halves to even
    return static_cast<int>(std::clamp<long double>(r, INT_MIN, INT_MAX));
}

bool IsIntegerField(const TField* f)
{
    switch (f->DataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint: return true;
    default: return false;
    }
}
bool IsFloatField(const TField* f)
{
    switch (f->DataType()) {
    case ftFloat: case ftCurrency: case ftBCD: return true;
    default: return false;
    }
}
bool IsDateField(const TField* f)
{
    switch (f->DataType()) {
    case ftDate: case ftTime: case ftDateTime: return true;
    default: return false;
    }
}

// Every data text of the report's bands, and of the item bands on them.
void CollectDataTexts(TWinControl* parent, std::vector<TKVDBText*>& texts, bool nested)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (auto* text = dynamic_cast<TKVDBText*>(c))
            texts.push_back(text);
        else if (auto* win = dynamic_cast<TWinControl*>(c); win && !nested) {
            for (const TClassInfo* k = &win->ClassType(); k; k = k->Parent)
                if (k->ClassName == QLatin1String("TKVItens")) {
                    CollectDataTexts(win, texts, true);
                    break;
                }
        }
    }
}

bool ClassIs(const TPersistent* object, const char* className)
{
    for (const TClassInfo* c = object ? &object->ClassType() : nullptr; c; c = c->Parent)
        if (c->ClassName == QLatin1String(className))
            return true;
    return false;
}

// Fill put in front of the text until it reaches the length; never cut.
QString FillOnLeft(const QString& text, const QString& fill, int length)
{
    if (fill.isEmpty())
        return text;
    QString result = text;
    while (result.size() < length)
        result.prepend(fill);
    return result;
}

TField* FieldOf(const TKVDBText* text)
{
    if (!text || !text->DataSet())
        return nullptr;
    return text->DataSet()->FieldByName(text->DataField());
}

// The file the PDF printer writes for one print, named by the user for that print only.
class TPrintFileGuard {
public:
    TPrintFileGuard(TPrinter* printer, const QString& fileName) : FPrinter(fileName.isEmpty() ? nullptr : printer)
    {
        if (FPrinter)
            FPrinter->SetPdfFileName(fileName);
    }
    ~TPrintFileGuard()
    {
        if (FPrinter)
            FPrinter->SetPdfFileName(QString());
    }
    TPrintFileGuard(const TPrintFileGuard&) = delete;
    TPrintFileGuard& operator=(const TPrintFileGuard&) = delete;

private:
    TPrinter* FPrinter;
};

class TVisibleGuard {
public:
    TVisibleGuard(TControl* control, bool hide) : FControl(hide ? control : nullptr)
    {
        if (FControl) {
            FWas = FControl->Visible();
            FControl->SetVisible(false);
        }
    }
    ~TVisibleGuard()
    {
        if (FControl) {
            try {
                FControl->SetVisible(FWas);
            } catch (...) {
            }
        }
    }

private:
    TControl* FControl;
    bool FWas = true;
};

} // namespace

bool TAnexoRelatorio::Active() const
{
    return FReport && FReport->DataSet() && FReport->DataSet()->Active();
}

QString TAnexoRelatorio::QuantityField() const
{
    return FReport ? FReport->GetCampoQuantidade() : QString();
}

bool TAnexoRelatorio::IsQuantityOnly() const
{
    return FReport && !FReport->DataSet() && FReport->Quantidade() > 0;
}

// Rows are for the printer only: a preview and an export lay every label out as an ordinary run,
// so that the export holds the labels the preview shows.
bool TAnexoRelatorio::ThermalPrint() const
{
    return FReport && FReport->Options().Contains(kvoImpressoraTermica) && !FReport->Previewing() &&
           !FReport->Exporting();
}

long double TAnexoRelatorio::CurrentQuantity() const
{
    if (!Active())
        return 0;
    TField* field = FReport->DataSet()->FieldByName(QuantityField());
    if (field->IsNull())
        return 0; // a null quantity is below any number: no labels
    if (IsIntegerField(field))
        return static_cast<long double>(field->AsLargeInt());
    if (IsFloatField(field))
        return field->AsFloat();
    return StrToFloat(field->AsString().trimmed());
}

// The one reading of a record's quantity: rounded to the nearest whole label, halves to even, so
// the count, the test for labels and every row agree on a fractional value.
int TAnexoRelatorio::CurrentQuantityInt() const
{
    return RoundQuantity(CurrentQuantity());
}

bool TAnexoRelatorio::HasLabels() const
{
    return CurrentQuantityInt() > 0;
}

void TAnexoRelatorio::SkipRecordsWithoutLabels()
{
    TDataSet* ds = FReport->DataSet();
    while (!ds->Eof() && !HasLabels())
        ds->Next();
}

void TAnexoRelatorio::AdvanceProgress()
{
    if (FTotalLabels != 0)
        if (TKVPrinter* printer = FReport->RunPrinter())
            printer->SetProgress(static_cast<int>(
                std::clamp<long long>(static_cast<long long>(FLabelCount) * 100 / FTotalLabels, 0, 100)));
}

// ---- print and preview ------------------------------------------------------------------------

void TAnexoRelatorio::Print()
{
    if (!FReport)
        return;
    if (!IsQuantityOnly() && !OpenDataSet(true))
        return;
    QString printFile;
    if (!AskPrintFile(printFile))
        return;
    const TPrintFileGuard file(FReport->PrivatePrinter(), printFile);
    FLabelCount = 0;
    TVisibleGuard hidden(FReport, !FReport->Previewing());
    if (FReport->Options().Contains(kvoImpressoraTermica)) {
        if (OpenDataSet(false)) {
            if (!FReport->DataSet()->Bof())
                FReport->DataSet()->First();
            PrepareIncrements();
        }
        CalcTotalLabels();
        PrintThermal();
    } else {
        CalcTotalLabels();
        FReport->Print();
    }
}

bool TAnexoRelatorio::AskPrintFile(QString& fileName)
{
    TPrinter* printer = FReport->PrivatePrinter();
    try {
        printer->SetPrinterIndex(FReport->PrinterSettings()->PrinterIndex());
    } catch (const Exception&) {
        return true; // the print itself tells what is wrong with the printer
    }
    if (!printer->IsPdfPrinter() || !printer->PdfFileName().isEmpty())
        return true;
    fileName = FReport->PdfFileOffer();
    BringToFrontIfHidden();
    const bool chosen = KVAskPdfFileName(fileName);
    if (FOwnerForm)
        FOwnerForm->BringApplicationToFront();
    return chosen;
}

void TAnexoRelatorio::Preview()
{
    if (!FReport)
        return;
    if (!IsQuantityOnly() && !OpenDataSet(true))
        return;
    FLabelCount = 0;
    struct TEnd {
        TAnexoRelatorio& Doc;
        TVisibleGuard Hidden;
        ~TEnd()
        {
            if (Doc.FOwnerForm)
                Doc.FOwnerForm->BringApplicationToFront();
        }
    } end{*this, TVisibleGuard(FReport, true)};
    FReport->SetPreviewing(true);
    CalcTotalLabels();
    FReport->Preview();
}

void TAnexoRelatorio::CalcTotalLabels()
{
    const bool thermalPrint = ThermalPrint();
    const bool active = Active();
    TDataSet* ds = FReport->DataSet();
    if (!thermalPrint) {
        FSlot = 0;
        if (active)
            ds->First();
    }
    FFirstCall = true;
    const QString field = QuantityField();
    if (IsQuantityOnly() || field.isEmpty()) {
        if (active) {
            try {
                FTotalLabels = ds->RecordCount();
            } catch (const Exception&) {
                FTotalLabels = 0; // no progress rather than a wrong one
            }
        } else {
            FTotalLabels = FReport->Quantidade();
        }
        return;
    }
    if (!active)
        return;

    FTotalLabels = 0;
    std::unique_ptr<TQuery, TComponentDeleter> query(new TQuery(FReport->Owner()));
    try {
        auto* dbSet = dynamic_cast<TDBDataSet*>(ds);
        QString from, where;
        if (dbSet && !dbSet->DatabaseName().isEmpty()) {
            query->SetDatabaseName(dbSet->DatabaseName());
            if (auto* q = dynamic_cast<TQuery*>(ds)) {
                TStringList lines;
                ExtractSqlClause(lines, QStringLiteral("FROM"), *q->SQL());
                from = lines.Text().trimmed();
                ExtractSqlClause(lines, QStringLiteral("WHERE"), *q->SQL());
                const QString clause = lines.Text().trimmed();
                if (!clause.isEmpty())
                    where = QStringLiteral(" WHERE (") + clause + QLatin1Char(')');
            } else if (auto* t = dynamic_cast<TTable*>(ds)) {
                from = QLatin1Char('"') + t->TableName() + QLatin1Char('"');
                if (t->Filtered() && !t->Filter().trimmed().isEmpty())
                    where = QStringLiteral(" WHERE (") + t->Filter() + QLatin1Char(')');
            }
        }
        if (!from.isEmpty()) {
            TStringList sql;
            sql.Add(QStringLiteral("Select Sum(") + field + QStringLiteral(") AS WWWQtd ") + QStringLiteral("from ") +
                    from + where);
            query->SetSQL(&sql);
            query->Open();
            TField* sum = query->FieldByName(QStringLiteral("WWWQtd"));
            FTotalLabels = sum->IsNull() ? 0 : RoundQuantity(sum->AsFloat());
        }
    } catch (const EDBEngineError& e) {
        // A connection lost or given up (a server that stopped answering, a wait cancelled):
        // nothing more can be read, and the run would only fail again, later.
        if (e.HasErrorCode(DBIERR_CONNECTIONLOST))
            throw;
        CountLabelsByWalking(thermalPrint);
    } catch (...) {
        CountLabelsByWalking(thermalPrint);
    }
}

// Counts by walking the records instead; an error there leaves what was counted, unless the
// connection is gone.
void TAnexoRelatorio::CountLabelsByWalking(bool thermalPrint)
{
    TDataSet* ds = FReport->DataSet();
    const auto connectionGone = [](const EDBEngineError& e) { return e.HasErrorCode(DBIERR_CONNECTIONLOST); };
    try {
        if (!thermalPrint) {
            long long total = 0;
            try {
                for (ds->First(); !ds->Eof(); ds->Next()) {
                    total += std::max(0, CurrentQuantityInt());
                    FTotalLabels = static_cast<int>(std::min<long long>(total, INT_MAX));
                }
            } catch (const EDBEngineError& e) {
                if (connectionGone(e))
                    throw;
            } catch (...) {
            }
            ds->First();
        } else {
            FTotalLabels = CurrentQuantityInt();
        }
    } catch (const EDBEngineError& e) {
        if (connectionGone(e))
            throw;
    } catch (...) {
    }
}

// ---- report events ----------------------------------------------------------------------------

void TAnexoRelatorio::ReportBeforePrint(TVardoRep*, bool& printReport)
{
    // An export is started from the preview's window, not through Print or Preview: it counts its
    // labels from the start here, whatever ran before it.
    if (FReport && FReport->Exporting()) {
        if (!IsQuantityOnly() && !OpenDataSet(true)) {
            printReport = false;
            return;
        }
        FLabelCount = 0;
        CalcTotalLabels();
    }
    FFirstCall = true;
    PrepareIncrements();
}

void TAnexoRelatorio::ReportPreview(TObject* sender)
{
    if (auto* printer = dynamic_cast<TKVPrinter*>(sender))
        if (FOwnerForm)
            FOwnerForm->ShowPreview(this, printer);
}

void TAnexoRelatorio::ReportNeedData(TObject*, bool& moreData)
{
    const bool thermalSet = FReport->Options().Contains(kvoImpressoraTermica);
    const bool rows = ThermalPrint();
    const bool active = Active();
    const bool noField = QuantityField().isEmpty();
    TDataSet* ds = FReport->DataSet();
    const int columns = FReport->Page()->Columns();

    if ((noField && active) || (IsQuantityOnly() && thermalSet && !rows)) {
        if (FFirstCall)
            FFirstCall = false;
        else if (active) {
            ds->Next();
            ResetIncrementValues();
        }
    } else if (rows) {
        if (FRowRemainder == 0) {
            if (FSlot >= columns)
                moreData = false;
            else if (FReport->TipoImpressaoTermica() == kvtiMultiplo) {
                ++FSlot;
                moreData = true;
            } else if (active) {
                if (FSlot < CurrentQuantityInt() + FRowOffset) {
                    ++FSlot;
                    moreData = true;
                } else {
                    FRowRemainder = 0;
                    NextRecordIntoRow(moreData);
                }
            } else if (FSlot < FReport->Quantidade()) {
                ++FSlot;
                moreData = true;
            } else {
                moreData = false;
            }
        } else if (FRowRemainder + FRowOffset > FSlot) {
            ++FSlot;
            moreData = true;
        } else {
            NextRecordIntoRow(moreData);
        }
        if (!moreData) {
            FSlot = 0;
            FRowOffset = 0;
            FRowFinished = true;
        }
    } else if (active && !ds->Eof()) {
        if (FSlot < CurrentQuantityInt()) {
            ++FSlot;
        } else {
            FSlot = 1;
            ds->Next();
            SkipRecordsWithoutLabels();
            ResetIncrementValues();
        }
    }

    AdvanceProgress();
    ++FLabelCount;
    if (!rows)
        moreData = active ? !ds->Eof() : FLabelCount <= FReport->Quantidade();
}

void TAnexoRelatorio::NextRecordIntoRow(bool& moreData)
{
    TDataSet* ds = FReport->DataSet();
    if (!Active() || ds->Eof()) {
        FRowTaken = 0;
        moreData = false;
        return;
    }
    ds->Next();
    SkipRecordsWithoutLabels();
    if (ds->Eof()) {
        FRowTaken = 0;
        moreData = false;
        return;
    }
    const int columns = FReport->Page()->Columns();
    const int q = CurrentQuantityInt();
    FRowTaken = columns - FRowRemainder - FRowOffset;
    if (q < FRowTaken)
        FRowTaken = 0; // the record fits into this row with room to spare
    FRowRemainder = q + FSlot < columns ? q : 0;
    FRowOffset = FSlot;
    ++FSlot;
    moreData = true;
}

// ---- thermal rows -----------------------------------------------------------------------------

bool TAnexoRelatorio::DriverMakesCopies() const
{
    try {
        TPrinter printer;
        printer.SetPrinterIndex(FReport->PrinterSettings()->PrinterIndex());
        return !printer.IsPdfPrinter() && (printer.DeviceMode().Fields & DM_COPIES) != 0;
    } catch (...) {
        return false;
    }
}

// One row: the report's run with the copy count set; a driver that cannot make copies gets the
// run as often. Cancelling a row ends the whole thermal print.
void TAnexoRelatorio::RunReportPrint()
{
    if (FThermalCancelled)
        return;
    auto* settings = FReport->PrinterSettings();
    const int copies = std::max(1, settings->Copies());
    const int runs = copies > 1 && !DriverMakesCopies() ? copies : 1;
    if (runs > 1)
        settings->SetCopies(1);
    for (int i = 0; i < runs && !FThermalCancelled; ++i) {
        // A repeated run must give the same row: the row state goes back to where it started.
        const int slot = FSlot, offset = FRowOffset, remainder = FRowRemainder, taken = FRowTaken;
        const TBookmark mark = FReport->DataSet() && FReport->DataSet()->Active() ? FReport->DataSet()->GetBookmark() : -1;
        FRowFinished = false;
        FReport->Print();
        // The row ends only when the handler said so; a run that stopped before (cancelled, or
        // not started at all) stops the thermal print.
        if (!FRowFinished)
            FThermalCancelled = true;
        if (i + 1 < runs) {
            FSlot = slot;
            FRowOffset = offset;
            FRowRemainder = remainder;
            FRowTaken = taken;
            if (mark >= 0)
                FReport->DataSet()->GotoBookmark(mark);
        }
    }
    if (runs > 1)
        settings->SetCopies(copies);
}

void TAnexoRelatorio::PrintThermal()
{
    // Each row is a job: a queue prints it with its copies; the printer that writes a file
    // gathers the rows, a copy being a repeated row, into one file written when the print ends.
    TPrinter* printer = FReport->PrivatePrinter();
    printer->BeginGather();
    struct TDrop {
        TPrinter* Printer;
        ~TDrop()
        {
            try {
                if (Printer->Gathering())
                    Printer->EndGather(false);
            } catch (...) {
            }
        }
    } drop{printer};
    PrintThermalRows();
    // A print stopped half-way leaves no file that looks whole.
    printer->EndGather(!FThermalCancelled);
}

void TAnexoRelatorio::PrintThermalRows()
{
    // Each thermal print starts from an empty row, whatever the last one left.
    FSlot = 0;
    FRowOffset = 0;
    FRowRemainder = 0;
    FRowTaken = 0;
    FThermalCancelled = false;
    auto* settings = FReport->PrinterSettings();
    if (OpenDataSet(false)) {
        TDataSet* ds = FReport->DataSet();
        if ((FIncrements && FIncrements->Count() > 0) || QuantityField().isEmpty()) {
            // Running numbers differ from label to label: one ordinary run, never copies.
            const TVardoReportOptions options = FReport->Options();
            FReport->SetOptions(options - TVardoReportOptions{kvoImpressoraTermica});
            struct TRestore {
                TVardoRep* Report;
                TVardoReportOptions Options;
                ~TRestore() { Report->SetOptions(Options); }
            } restore{FReport, options};
            FReport->Print();
            return;
        }
        ds->DisableControls();
        struct TEnd {
            TDataSet* DataSet;
            TVardoRepPrinterSettings* Settings;
            ~TEnd()
            {
                Settings->SetCopies(1);
                DataSet->EnableControls();
            }
        } end{ds, settings};
        ds->First();
        FLabelCount = 0;
        SkipRecordsWithoutLabels();
        FRowTaken = 0;
        FRowOffset = 0;
        const int columns = FReport->Page()->Columns();
        while (!ds->Eof() && !FThermalCancelled) {
            FAdvance = true;
            if (FReport->TipoImpressaoTermica() == kvtiQtdExata) {
                const int rest = CurrentQuantityInt() - FRowTaken;
                FRowRemainder = rest < columns ? rest : 0;
                if (FRowRemainder == 0)
                    PrintFullRows();
                PrintRemainderRow();
            } else {
                PrintFullRows();
            }
            if (FAdvance && !FThermalCancelled) {
                ds->Next();
                SkipRecordsWithoutLabels();
            }
        }
    } else if (IsQuantityOnly()) {
        struct TEnd {
            TVardoRepPrinterSettings* Settings;
            ~TEnd() { Settings->SetCopies(1); }
        } end{settings};
        FRowRemainder = 0;
        FRowTaken = 0;
        PrintFullRows();
        PrintRemainderRow();
    }
}

void TAnexoRelatorio::PrintFullRows()
{
    const int columns = std::max(1, FReport->Page()->Columns());
    const int quantity = IsQuantityOnly() ? FReport->Quantidade() : CurrentQuantityInt();
    const int n = quantity - FRowTaken;
    int copies = 1;
    if (n > columns) {
        copies = n / columns;
        if (FReport->TipoImpressaoTermica() == kvtiMultiplo && n % columns > 0)
            ++copies;
    }
    FReport->PrinterSettings()->SetCopies(copies);
    FLabelCount += quantity - n % columns;
    RunReportPrint();
    FRowRemainder = n > columns && FReport->TipoImpressaoTermica() == kvtiQtdExata ? n % columns : 0;
    FRowTaken = 0;
}

void TAnexoRelatorio::PrintRemainderRow()
{
    if (FRowRemainder <= 0) {
        FAdvance = true;
        return;
    }
    const int columns = std::max(1, FReport->Page()->Columns());
    FReport->PrinterSettings()->SetCopies(1);
    FLabelCount += (IsQuantityOnly() ? FReport->Quantidade() : CurrentQuantityInt()) % columns;
    RunReportPrint();
    if (IsQuantityOnly() || FRowRemainder != 0) {
        FAdvance = false;
        return;
    }
    FAdvance = CurrentQuantityInt() <= FRowTaken;
    if (FAdvance)
        FRowTaken = 0;
}

// ---- running numbers --------------------------------------------------------------------------

void TAnexoRelatorio::PrepareIncrements()
{
    if (!FIncrements)
        FIncrements = std::make_unique<TStringList>();
    else
        FIncrements->Clear();
    if (!FReport)
        return;
    std::vector<TKVDBText*> texts;
    for (TKVCustomBand* band : FReport->BandList())
        CollectDataTexts(band, texts, false);
    for (TKVDBText* text : texts) {
        if (text->IncrementoType() == kvNenhum)
            continue;
        try {
            TField* field = FieldOf(text);
            if (!field)
                continue;
            if (text->IncrementoType() == kvIncre)
                FIncrements->AddObject(TRunningValue::FromField(*field).Text(), text);
            text->OnPrint = [this](TObject* sender, QString& value) { DBTextPrint(sender, value); };
        } catch (...) {
            // Left unnumbered: no dataset, a field it lacks, or a value that is no number.
        }
    }
}

void TAnexoRelatorio::ResetIncrementValues()
{
    if (!FIncrements)
        return;
    for (int i = 0; i < FIncrements->Count(); ++i) {
        auto* text = dynamic_cast<TKVDBText*>(FIncrements->Objects(i));
        if (!text || text->IncrementoType() != kvIncre)
            continue;
        TField* field = FieldOf(text);
        if (field)
            FIncrements->Put(i, TRunningValue::FromField(*field).Text());
    }
}

void TAnexoRelatorio::DBTextPrint(TObject* sender, QString& value)
{
    auto* text = dynamic_cast<TKVDBText*>(sender);
    TField* field = nullptr;
    try {
        field = FieldOf(text);
    } catch (...) {
        field = nullptr;
    }
    if (field && text->IncrementoType() == kvNenhum)
        field = nullptr;
    try {
        if (field)
            FormatRunningValue(text, field, value);
        // A barcode's value is filled on the left up to its length; a longer one is not cut.
        if (ClassIs(sender, "TKVBarcode")) {
            const TPropInfo* length = sender->ClassType().FindProperty(QStringLiteral("TamanhoMaximo"));
            const TPropInfo* fill = sender->ClassType().FindProperty(QStringLiteral("Preenchimento"));
            if (length && fill && length->GetOrd && fill->GetStr)
                value = FillOnLeft(value, fill->GetStr(sender), static_cast<int>(length->GetOrd(sender)));
        }
    } catch (...) {
        // The label shows the value as it stood; the running value does not move.
    }
}

void TAnexoRelatorio::FormatRunningValue(TKVDBText* text, TField* field, QString& value)
{
    {
        // V: the running value, or the incoming text when there is none.
        bool haveValue = false;
        TRunningValue v;
        int entry = -1;
        TRunningValue next;
        if (text->IncrementoType() == kvIncre) {
            entry = FIncrements ? FIncrements->IndexOfObject(text) : -1;
            if (entry >= 0) {
                v = TRunningValue::FromText(FIncrements->Strings(entry));
                next = v.Plus(text->IncrementoValue());
                haveValue = true;
            }
        } else {
            v = TRunningValue::FromField(*field).Plus(text->IncrementoValue());
            haveValue = true;
        }
        if (!haveValue && (IsIntegerField(field) || IsFloatField(field) || IsDateField(field)))
            v = TRunningValue::FromText(value);

        QString result = value;
        const QString& mask = text->Mask();
        if (mask.isEmpty()) {
            if (IsIntegerField(field))
                result = v.Exact ? v.Digits : QString::number(static_cast<long long>(std::nearbyint(v.Float)));
            else if (IsFloatField(field))
                result = v.Text();
            else if (IsDateField(field))
                result = FormatDateTime(QStringLiteral("c"), static_cast<TDateTime>(v.AsFloat()));
        } else {
            if (IsIntegerField(field) || IsFloatField(field))
                result = FormatFloat(mask, v.AsFloat());
            else if (IsDateField(field))
                result = FormatDateTime(mask, static_cast<TDateTime>(v.AsFloat()));
        }
        value = result;
        if (entry >= 0)
            FIncrements->Put(entry, next.Text());
    }
}

} // namespace tessiv
