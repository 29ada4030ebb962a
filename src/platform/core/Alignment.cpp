#include "platform/core/Alignment.h"

namespace tessiv {

const TEnumInfo& AlignmentInfo()
{
    static const TEnumInfo info{QStringLiteral("TAlignment"),
                                {QStringLiteral("taLeftJustify"), QStringLiteral("taRightJustify"),
                                 QStringLiteral("taCenter")}};
    return info;
}

} // namespace tessiv
