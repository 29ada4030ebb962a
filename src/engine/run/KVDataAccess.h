#pragma once
// The report's calls into the dataset layer, in one unit, so the report's own headers need not
// bring in the whole dataset layer.

#include <QString>

namespace tessiv {

class TComponent;
class TDataSet;

namespace kvdata {

TComponent* AsComponent(TDataSet* dataSet);
// The dataset the component is, or nil.
TDataSet* AsDataSet(TComponent* component);
bool IsActive(const TDataSet* dataSet);
bool IsTable(const TDataSet* dataSet);
// The database name of a table; empty for other datasets.
QString TableDatabaseName(const TDataSet* dataSet);
// The first database among the owner's components, or nil.
TComponent* FirstDatabase(const TComponent* owner);
QString DatabaseName(const TComponent* database);
// Gives the database (when there is one) and every database dataset of the owner the new name,
// disconnecting, closing and reopening them around the change.
void ChangeDatabaseName(TComponent* owner, TComponent* database, const QString& name);

} // namespace kvdata
} // namespace tessiv
