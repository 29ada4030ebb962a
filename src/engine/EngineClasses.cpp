#include "engine/EngineClasses.h"

#include "engine/KVBands.h"
#include "engine/KVPrintable.h"
#include "engine/VardoRep.h"
#include "platform/core/ClassRegistry.h"

namespace tessiv {

void RegisterEngineClasses()
{
    RegisterClasses({&TVardoRep::StaticClass(), &TKVBand::StaticClass(), &TKVGroup::StaticClass(),
                     &TKVSubDetail::StaticClass(), &TKVChildBand::StaticClass(), &TKVPrintable::StaticClass()});
}

} // namespace tessiv
