#include "engine/run/KVDataAccess.h"

#include "platform/data/DBTables.h"
#include "platform/data/Database.h"

#include <utility>
#include <vector>

namespace tessiv::kvdata {

TComponent* AsComponent(TDataSet* dataSet)
{
    return dataSet;
}

TDataSet* AsDataSet(TComponent* component)
{
    return dynamic_cast<TDataSet*>(component);
}

bool IsActive(const TDataSet* dataSet)
{
    return dataSet && dataSet->Active();
}

bool IsTable(const TDataSet* dataSet)
{
    return dynamic_cast<const TTable*>(dataSet) != nullptr;
}

QString TableDatabaseName(const TDataSet* dataSet)
{
    const auto* table = dynamic_cast<const TTable*>(dataSet);
    return table ? table->DatabaseName() : QString();
}

TComponent* FirstDatabase(const TComponent* owner)
{
    if (!owner)
        return nullptr;
    for (int i = 0; i < owner->ComponentCount(); ++i)
        if (auto* db = dynamic_cast<TDatabase*>(owner->Components(i)))
            return db;
    return nullptr;
}

QString DatabaseName(const TComponent* database)
{
    const auto* db = dynamic_cast<const TDatabase*>(database);
    return db ? db->DatabaseName() : QString();
}

void ChangeDatabaseName(TComponent* owner, TComponent* database, const QString& name)
{
    // Which datasets are open is taken first: disconnecting the database closes the ones on it,
    // and they must open again under the new name like the others.
    std::vector<std::pair<TDBDataSet*, bool>> dataSets;
    if (owner)
        for (int i = 0; i < owner->ComponentCount(); ++i)
            if (auto* ds = dynamic_cast<TDBDataSet*>(owner->Components(i)))
                dataSets.emplace_back(ds, ds->Active());
    auto* const db = dynamic_cast<TDatabase*>(database);
    const bool wasConnected = db && db->Connected();
    if (db) {
        if (wasConnected)
            db->SetConnected(false);
        db->SetDatabaseName(name);
    }
    for (const auto& [ds, active] : dataSets) {
        if (ds->Active())
            ds->Close();
        ds->SetDatabaseName(name);
    }
    if (wasConnected)
        db->SetConnected(true);
    for (const auto& [ds, active] : dataSets)
        if (active)
            ds->Open();
}

} // namespace tessiv::kvdata
