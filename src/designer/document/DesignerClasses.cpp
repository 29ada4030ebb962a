#include "designer/document/DesignerClasses.h"

#include "designer/document/Hidden.h"
#include "engine/model/EngineClasses.h"
#include "platform/core/ClassRegistry.h"
#include "platform/data/DBTables.h"
#include "platform/data/DataSet.h"
#include "platform/data/Database.h"

namespace tessiv {

void RegisterDesignerClasses()
{
    static const bool done = [] {
        RegisterEngineClasses();
        RegisterClasses({&TfmHidden::StaticClass(), &TTable::StaticClass(), &TQuery::StaticClass(),
                         &TDataSource::StaticClass(), &TDatabase::StaticClass()});
        return true;
    }();
    (void)done;
}

} // namespace tessiv
