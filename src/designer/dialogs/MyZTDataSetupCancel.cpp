// The data setup dialog's Cancel: the database component, the table and the query are rebuilt
// from what the dialog noted when it was loaded.
#include "designer/dialogs/MyZTDataSetup.h"

#include "designer/document/AnexoRelatorio.h"
#include "designer/document/Hidden.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/core/TypInfo.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"
#include "platform/ui/Application.h"

namespace tessiv {

void TfmMyZTDataSetup::FormCloseQuery(bool& canClose)
{
    if (canClose && ModalResult() == mrCancel && !FRestored)
        bbCancelaClick();
}

void TfmMyZTDataSetup::bbCancelaClick()
{
    FRestored = true;
    SetModalResult(mrCancel);
    RestoreData();
}

bool TfmMyZTDataSetup::StillOwned(const TComponent* component) const
{
    TComponent* root = FAnexo ? FAnexo->Root() : nullptr;
    for (int i = 0; root && i < root->ComponentCount(); ++i)
        if (root->Components(i) == component)
            return true;
    return false;
}

TComponent* TfmMyZTDataSetup::NameFree(TComponent* component, const QString& name, const QString& base)
{
    if (component->Name() == name)
        return component;
    TComponent* root = FAnexo->Root();
    if (!name.isEmpty() && !root->FindComponent(name))
        component->SetName(name);
    else if (component->Name().isEmpty())
        component->SetName(MakeUniqueComponentName(root, base));
    return component;
}

void TfmMyZTDataSetup::RestoreDataSet(TDataSet* dataSet, const TDataSetCopy& copy)
{
    auto* ds = static_cast<TDBDataSet*>(dataSet);
    ds->Close();
    if (auto* table = dynamic_cast<TTable*>(ds)) {
        table->SetTableName(copy.TableName);
        table->SetIndexName(copy.IndexName);
    } else if (auto* query = dynamic_cast<TQuery*>(ds)) {
        query->SQL()->SetText(copy.Sql);
    }
    ds->SetDatabaseName(copy.DatabaseName);
    ds->SetFilter(copy.Filter);
    ds->SetFiltered(copy.Filtered);
    FAnexo->Report()->SetDataSet(ds);
    for (const TReference& r : FReferences)
        if (StillOwned(r.Holder))
            r.Property->SetObject(r.Holder, ds);
    if (copy.Active) {
        try {
            ds->Open();
        } catch (const Exception&) {
            // Cancel puts things back as far as it can; a data set that no longer opens stays closed.
        }
    }
}

void TfmMyZTDataSetup::RestoreData()
{
    if (!FAnexo || !FAnexo->Report())
        return;
    TComponent* root = FAnexo->Root();
    // The database component first: the data sets open through it.
    if (FDatabaseCopy) {
        TDatabase* db = Db();
        if (!db)
            db = new TDatabase(root);
        NameFree(db, FDatabaseCopy->Name, QStringLiteral("Database"));
        FAnexo->SetConnected(false);
        // Connected again without a prompt: the parameters kept hold the login that worked.
        db->LoginPrompt = false;
        db->SetAliasName(FDatabaseCopy->AliasName);
        db->SetDatabaseName(FDatabaseCopy->DatabaseName);
        db->Params()->SetText(FDatabaseCopy->Params);
        if (FDatabaseCopy->Connected) {
            try {
                FAnexo->SetConnected(true);
            } catch (const Exception&) {
                // Dropped: the data sets are still put back, closed.
            }
        }
        db->LoginPrompt = FDatabaseCopy->LoginPrompt;
    } else if (Db()) {
        FAnexo->FreeDatabase();
    }
    if (FTableCopy) {
        FreeQuery();
        if (!FTable)
            SetTable(new TTable(root));
        NameFree(FTable, FTableCopy->Name, QStringLiteral("Table"));
        RestoreDataSet(FTable, *FTableCopy);
    } else if (FQueryCopy) {
        FreeTable();
        if (!FQuery)
            SetQuery(new TQuery(root));
        NameFree(FQuery, FQueryCopy->Name, QStringLiteral("Query"));
        RestoreDataSet(FQuery, *FQueryCopy);
    } else {
        FreeTable();
        FreeQuery();
    }
    HookDataSetEvents();
}

} // namespace tessiv
