#include "engine/run/KVPrinterSettings.h"

#include "platform/core/Component.h"

namespace tessiv {

const TEnumInfo& BinInfo()
{
    static const TEnumInfo info{
        QStringLiteral("TKVBin"),
        {QStringLiteral("First"), QStringLiteral("Upper"), QStringLiteral("Lower"), QStringLiteral("Middle"),
         QStringLiteral("Manual"), QStringLiteral("Envelope"), QStringLiteral("EnvManual"), QStringLiteral("Auto"),
         QStringLiteral("Tractor"), QStringLiteral("SmallFormat"), QStringLiteral("LargeFormat"),
         QStringLiteral("LargeCapacity"), QStringLiteral("Cassette"), QStringLiteral("Last")}};
    return info;
}

TESSIV_IMPLEMENT_CLASS(TKVPrinterSettings, TPersistent)

TESSIV_IMPLEMENT_CLASS(TVardoRepPrinterSettings, TKVPrinterSettings,
    t.Integer(QStringLiteral("Copies"), &TVardoRepPrinterSettings::Copies, &TVardoRepPrinterSettings::SetCopies);
    t.Boolean(QStringLiteral("Duplex"), &TVardoRepPrinterSettings::Duplex, &TVardoRepPrinterSettings::SetDuplex);
    t.Integer(QStringLiteral("FirstPage"), &TVardoRepPrinterSettings::FirstPage, &TVardoRepPrinterSettings::SetFirstPage);
    t.Integer(QStringLiteral("LastPage"), &TVardoRepPrinterSettings::LastPage, &TVardoRepPrinterSettings::SetLastPage);
    t.Enum(QStringLiteral("OutputBin"), BinInfo(), &TVardoRepPrinterSettings::OutputBin,
           &TVardoRepPrinterSettings::SetOutputBin);
)

void TKVPrinterSettings::Assign(const TPersistent* source)
{
    if (const auto* s = dynamic_cast<const TKVPrinterSettings*>(source)) {
        FCopies = s->FCopies;
        FDuplex = s->FDuplex;
        FOutputBin = s->FOutputBin;
        FPrinterIndex = s->FPrinterIndex;
        FFirstPage = s->FFirstPage;
        FLastPage = s->FLastPage;
        return;
    }
    TPersistent::Assign(source);
}

} // namespace tessiv
