#pragma once
// A report document as the program writes it, for the seeds of the stream, report-file and text
// form targets: the document's hidden form holding a report with bands of every kind, groups, a sub-detail
// and a chain of child bands.

#include "FuzzTarget.h"

#include "designer/document/Hidden.h"

#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Reader.h"
#include "platform/core/ResFile.h"
#include "platform/core/Streams.h"
#include "platform/core/Writer.h"

#include <memory>

namespace fuzz {

using TFormPtr = std::unique_ptr<tessiv::TfmHidden, tessiv::TComponentDeleter>;

inline TFormPtr SeedReport(int variant)
{
    using namespace tessiv;
    InitOnce();
    TFormPtr form(new TfmHidden(nullptr));
    form->SetName(QStringLiteral("fmHidden"));
    auto* report = new TVardoRep(form.get());
    report->SetName(QStringLiteral("KelvoraRelatorio"));
    report->SetParent(form.get());
    report->SetReportTitle(QStringLiteral("Relatório de vendas"));
    const TKVBandType kinds[] = {rbTitle, rbPageHeader, rbDetail, rbPageFooter};
    int n = 0;
    for (TKVBandType kind : kinds) {
        if (variant == 1 && kind == rbPageHeader)
            continue;
        auto* band = new TKVBand(form.get());
        band->SetName(QStringLiteral("Banda%1").arg(++n));
        band->SetParent(report);
        band->SetBandType(kind);
        band->SetHeight(40 + 10 * n);
        if (variant == 2 && kind == rbDetail)
            band->SetHasChild(true);
    }
    if (variant >= 1) {
        auto* group = new TKVGroup(form.get());
        group->SetName(QStringLiteral("Grupo1"));
        group->SetParent(report);
        auto* sub = new TKVSubDetail(form.get());
        sub->SetName(QStringLiteral("SubDetalhe1"));
        sub->SetParent(report);
    }
    return form;
}

} // namespace fuzz
