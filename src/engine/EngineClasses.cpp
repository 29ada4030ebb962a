#include "engine/EngineClasses.h"

#include "engine/KVBands.h"
#include "engine/KVDBImage.h"
#include "engine/KVImage.h"
#include "engine/KVPrintable.h"
#include "engine/KVShape.h"
#include "engine/VardoRep.h"
#include "platform/core/ClassRegistry.h"

namespace tessiv {

void RegisterEngineClasses()
{
    RegisterClasses({&TVardoRep::StaticClass(), &TKVBand::StaticClass(), &TKVGroup::StaticClass(),
                     &TKVSubDetail::StaticClass(), &TKVChildBand::StaticClass(), &TKVPrintable::StaticClass()});
    // Shapes and pictures.
    RegisterClasses({&TKVShape::StaticClass(), &TKVImage::StaticClass(), &TKVDBImage::StaticClass()});
}

} // namespace tessiv
