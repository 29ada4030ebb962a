#include "engine/printables/KVSysData.h"

#include "engine/model/KVBands.h"
#include "engine/run/KVRunHooks.h"
#include "engine/printables/KVTextProps.h"
#include "engine/model/VardoRep.h"
#include "platform/core/SysUtils.h"

namespace tessiv {

const TEnumInfo& SysDataTypeInfo()
{
    static const TEnumInfo info{QStringLiteral("TKVSysDataType"),
                                {QStringLiteral("kvsTime"), QStringLiteral("kvsDate"), QStringLiteral("kvsDateTime"),
                                 QStringLiteral("kvsPageNumber"), QStringLiteral("kvsReportTitle"),
                                 QStringLiteral("kvsDetailCount"), QStringLiteral("kvsDetailNo"),
                                 QStringLiteral("kvsGroupItensNo")}};
    return info;
}

TESSIV_IMPLEMENT_CLASS(TKVSysData, TKVCustomLabel,
    PublishAlignment(t);
    PublishAlignToBand(t);
    PublishAutoSize(t);
    PublishColor(t);
    t.Enum(QStringLiteral("Data"), SysDataTypeInfo(), &TKVSysData::Data, &TKVSysData::SetData);
    PublishFont(t);
    PublishOnPrint(t);
    PublishParentFont(t);
    t.String(QStringLiteral("Text"), &TKVSysData::GetText, &TKVSysData::SetSysText);
    PublishTransparent(t);
)

TKVSysData::TKVSysData(TComponent* owner) : TKVCustomLabel(owner)
{
    SetKeepHeight(true);
    UpdateCaption();
}

void TKVSysData::SetData(TKVSysDataType value)
{
    FData = value;
    UpdateCaption();
}

void TKVSysData::SetSysText(const QString& value)
{
    FText = value;
    UpdateCaption();
}

void TKVSysData::UpdateCaption()
{
    SetText(FText + Placeholder(FData));
    Invalidate();
}

void TKVSysData::Loaded()
{
    TKVCustomLabel::Loaded();
    UpdateCaption();
}

QString TKVSysData::Placeholder(TKVSysDataType data)
{
    switch (data) {
    case kvsTime: return QStringLiteral("(Hora)");
    case kvsDate: return QStringLiteral("(Data)");
    case kvsDateTime: return QStringLiteral("(Data e Hora)");
    case kvsPageNumber: return QStringLiteral("(No. Página)");
    case kvsReportTitle: return QStringLiteral("(Título relatório)");
    case kvsDetailCount: return QStringLiteral("(Total detalhes)");
    case kvsDetailNo: return QStringLiteral("(No. Detalhes)");
    case kvsGroupItensNo: return QStringLiteral("(No. Grupo Itens)");
    }
    return {};
}

std::optional<QString> TKVSysData::PrintedValue() const
{
    TVardoRep* const report = ParentReport();
    switch (FData) {
    case kvsTime: return FormatDateTime(QStringLiteral("t"), Time());
    case kvsDate: return FormatDateTime(QStringLiteral("c"), Date());
    case kvsDateTime: return FormatDateTime(QStringLiteral("c"), Now());
    case kvsPageNumber: return QString::number(report ? report->PageCount() : 0);
    case kvsReportTitle: return report ? report->ReportTitle() : QString();
    case kvsDetailCount: return QString::number(report ? report->DetailCount() : 1);
    case kvsDetailNo: return QString::number(report ? report->DetailNumber() : 0);
    case kvsGroupItensNo: {
        TKVCustomBand* detail = report ? report->FirstBandOfKind(rbDetail) : nullptr;
        TKVItemAreaRun* area = detail ? detail->ItemArea() : nullptr;
        if (area && area->PageCount() >= 2)
            return QString::number(area->CurrentPage());
        return std::nullopt;
    }
    }
    return std::nullopt;
}

void TKVSysData::Print(int ofsX, int ofsY)
{
    const std::optional<QString> value = PrintedValue();
    // Without a value the fixed text goes too.
    SetText(value ? FText + *value : QString());
    try {
        TKVCustomLabel::Print(ofsX, ofsY);
    } catch (...) {
        UpdateCaption();
        throw;
    }
    UpdateCaption();
}

void TKVSysData::CopyFrom(const TKVPrintable* source)
{
    TKVCustomLabel::CopyFrom(source);
    const auto* sys = dynamic_cast<const TKVSysData*>(source);
    if (!sys || sys == this)
        return;
    FData = sys->FData;
    FText = sys->FText;
    UpdateCaption();
}

} // namespace tessiv
