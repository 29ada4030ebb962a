#include "engine/EngineClasses.h"

#include "engine/KVBands.h"
#include "engine/VardoRep.h"
#include "platform/core/ClassRegistry.h"

namespace tessiv {

void RegisterEngineClasses()
{
    RegisterClasses({&TVardoRep::StaticClass(), &TKVBand::StaticClass(), &TKVGroup::StaticClass(),
                     &TKVSubDetail::StaticClass(), &TKVChildBand::StaticClass()});
}

} // namespace tessiv
