#include "engine/model/EngineClasses.h"

#include "engine/model/KVBands.h"
#include "engine/printables/KVColuna.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVDBImage.h"
#include "engine/printables/KVDBText.h"
#include "engine/export/KVExportFilterLibrary.h"
#include "engine/printables/KVExpr.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVLabel.h"
#include "engine/printables/KVPrintable.h"
#include "engine/printables/KVShape.h"
#include "engine/printables/KVSysData.h"
#include "engine/model/VardoRep.h"
#include "platform/core/ClassRegistry.h"
#include "platform/data/DBTables.h"

namespace tessiv {

void RegisterEngineClasses()
{
    RegisterClasses({&TVardoRep::StaticClass(), &TKVBand::StaticClass(), &TKVGroup::StaticClass(),
                     &TKVSubDetail::StaticClass(), &TKVChildBand::StaticClass(), &TKVPrintable::StaticClass()});
    // The text printables.
    RegisterClasses({&TKVLabel::StaticClass(), &TKVMemo::StaticClass(), &TKVDBText::StaticClass(),
                     &TKVExpr::StaticClass(), &TKVSysData::StaticClass(), &TKVExprMemo::StaticClass()});
    // Shapes and pictures.
    RegisterClasses({&TKVShape::StaticClass(), &TKVImage::StaticClass(), &TKVDBImage::StaticClass()});
    // The barcode.
    RegisterClasses({&TKVBarcode::StaticClass()});
    // The item and observation area and the column grid with their parts.
    RegisterClasses({&TKVItensObs::StaticClass(), &TKVItens::StaticClass(), &TKVObs::StaticClass(),
                     &TKVObsLabel::StaticClass(), &TKVObsVariavel::StaticClass(), &TKVColuna::StaticClass(),
                     &TKVColunaSql::StaticClass()});
    // Report files name the tables and queries their reports run over.
    RegisterClasses({&TTable::StaticClass(), &TQuery::StaticClass()});
    // The export formats are there from the start, the text file among them.
    ExportFilterLibrary();
}

} // namespace tessiv
