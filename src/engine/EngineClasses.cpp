#include "engine/EngineClasses.h"

#include "engine/KVBands.h"
#include "engine/KVColuna.h"
#include "engine/KVBarcode.h"
#include "engine/KVDBImage.h"
#include "engine/KVDBText.h"
#include "engine/KVExportFilterLibrary.h"
#include "engine/KVExpr.h"
#include "engine/KVExprMemo.h"
#include "engine/KVImage.h"
#include "engine/KVItemsObs.h"
#include "engine/KVLabel.h"
#include "engine/KVPrintable.h"
#include "engine/KVShape.h"
#include "engine/KVSysData.h"
#include "engine/VardoRep.h"
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
