#include "engine/model/KVUtils.h"

#include "engine/model/StringTable.h"

namespace tessiv {

int KVPos(const QString& subString, const QString& text)
{
    if (subString.isEmpty())
        return 0;
    return static_cast<int>(text.indexOf(subString)) + 1;
}

QString PaperSizeName(TKVPaperSize paperSize)
{
    const int n = static_cast<int>(paperSize);
    // A value outside the enumeration would land on a neighbouring table's text.
    if (n < 0 || n > static_cast<int>(TKVPaperSize::Custom))
        return {};
    return LoadStr(SKVPaperSizeNameBase + n);
}

QString BandTypeName(TKVBandType bandType)
{
    if (bandType < rbTitle || bandType > rbChild)
        return {};
    return LoadStr(SKVBandTypeNameBase + bandType);
}

QString BandTypeComponentName(TKVBandType bandType)
{
    if (bandType < rbTitle || bandType > rbChild)
        return {};
    return LoadStr(SKVBandTypeComponentBase + bandType);
}

} // namespace tessiv
