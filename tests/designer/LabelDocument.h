#pragma once
// A label document for the print driving and preview tests: a table ITENS of one record per
// quantity, and a document over it whose detail band carries a recorder label that notes, run by
// run, which record each label printed; it prints on the PDF printer.

#include "DesignerFixture.h"

#include "designer/document/Hidden.h"
#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVLabel.h"
#include "platform/data/DBTables.h"
#include "platform/data/Field.h"
#include "platform/printing/Printer.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace designertest {

// The statements of ITENS with one record per quantity, named A, B, C ..., then extra.
inline QStringList ItemsTable(const QStringList& quantities, const QString& extra = QString())
{
    QStringList statements{QStringLiteral("CREATE TABLE ITENS (ID INTEGER, NOME VARCHAR(10), QTD NUMERIC, "
                                          "NUM INTEGER, DT DATE, TXT VARCHAR(10), UF CHAR(2))")};
    for (int i = 0; i < quantities.size(); ++i)
        statements << QStringLiteral("INSERT INTO ITENS (ID, NOME, QTD, NUM, UF) VALUES (%1, '%2', %3, %4, '%5')")
                          .arg(i + 1)
                          .arg(QChar(u'A' + i))
                          .arg(quantities[i])
                          .arg(i == 0 ? 10 : 50)
                          .arg(i % 2 ? QStringLiteral("RJ") : QStringLiteral("SP"));
    if (!extra.isEmpty())
        statements << extra;
    return statements;
}

struct TRun {
    QString Labels;
    int Copies = 1;
};

// A label document over ITENS: a recorder label and, when asked, the quantity field QTD.
struct TLabelDoc {
    std::unique_ptr<tessiv::TAnexoRelatorio> Doc;
    tessiv::TTable* Table = nullptr;
    tessiv::TKVBand* Detail = nullptr;
    tessiv::TKVLabel* Recorder = nullptr;
    tessiv::TKVDBText* Quantity = nullptr;
    std::vector<TRun> Runs;
    // Called at each label the recorder prints.
    std::function<void()> OnLabel;

    TLabelDoc(THost* host, const QString& alias, bool withTable, bool quantityField, const QString& pdf)
        : Doc(tessiv::NewReportDocument(host))
    {
        using namespace tessiv;
        TfmHidden* root = Doc->Root();
        TVardoRep* report = Doc->Report();
        for (TKVCustomBand* band : report->BandList())
            if (auto* b = dynamic_cast<TKVBand*>(band); b && b->BandType() == rbDetail)
                Detail = b;
        if (withTable) {
            Table = new TTable(root);
            Table->SetName(QStringLiteral("Itens"));
            Table->SetDatabaseName(alias);
            Table->SetTableName(QStringLiteral("ITENS"));
            report->SetDataSet(Table);
        }
        if (quantityField) {
            Quantity = new TKVDBText(root);
            Quantity->SetName(QStringLiteral("Quantidade"));
            Quantity->SetParent(Detail);
            Quantity->SetDataSet(Table);
            Quantity->SetDataField(QStringLiteral("QTD"));
            Quantity->SetCampoQuantidade(true);
        }
        Recorder = new TKVLabel(root);
        Recorder->SetName(QStringLiteral("Gravador"));
        Recorder->SetParent(Detail);
        Recorder->SetCaption(QStringLiteral("X"));
        Recorder->OnPrint = [this](TObject*, QString& value) {
            const QString name = Table && Table->Active() ? Table->FieldByName(QStringLiteral("NOME"))->AsString()
                                                          : QStringLiteral("Q");
            if (!Runs.empty())
                Runs.back().Labels += name;
            value = name;
            if (OnLabel)
                OnLabel();
        };
        report->BeforePrint = [this](TVardoRep* sender, bool& print) {
            Doc->ReportBeforePrint(sender, print);
            Runs.push_back({QString(), Doc->Report()->PrinterSettings()->Copies()});
        };
        TPrinter* printer = report->PrivatePrinter();
        report->PrinterSettings()->SetPrinterIndex(printer->Printers()->IndexOf(TPrinter::PdfPrinterName));
        printer->SetPdfFileName(pdf);
    }

    // The rows as they come out of the printer: each run as often as its copies, empty runs left out.
    QStringList Printed() const
    {
        QStringList rows;
        for (const TRun& run : Runs)
            for (int i = 0; i < run.Copies && !run.Labels.isEmpty(); ++i)
                rows << run.Labels;
        return rows;
    }
};

} // namespace designertest
