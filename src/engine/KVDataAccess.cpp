#include "engine/KVDataAccess.h"

#include "platform/data/DBTables.h"
#include "platform/data/Database.h"

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
    auto* const db = dynamic_cast<TDatabase*>(database);
    const bool wasConnected = db && db->Connected();
    if (db) {
        if (wasConnected)
            db->SetConnected(false);
        db->SetDatabaseName(name);
    }
    if (owner)
        for (int i = 0; i < owner->ComponentCount(); ++i)
            if (auto* ds = dynamic_cast<TDBDataSet*>(owner->Components(i))) {
                const bool active = ds->Active();
                if (active)
                    ds->Close();
                ds->SetDatabaseName(name);
                if (active)
                    ds->Open();
            }
    if (wasConnected)
        db->SetConnected(true);
}

} // namespace tessiv::kvdata
