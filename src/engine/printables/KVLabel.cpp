#include "engine/printables/KVLabel.h"

#include "engine/printables/KVTextProps.h"

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TKVLabel, TKVCustomLabel,
    t.String(QStringLiteral("Caption"), &TKVLabel::Caption, &TKVLabel::SetCaption);
    PublishAlignment(t);
    PublishAlignToBand(t);
    PublishAutoSize(t);
    PublishAutoStretch(t);
    PublishColor(t);
    PublishFont(t);
    PublishParentFont(t);
    PublishTransparent(t);
    PublishWordWrap(t);
    PublishOnPrint(t);
)

TKVLabel::TKVLabel(TComponent* owner) : TKVCustomLabel(owner) {}

TESSIV_IMPLEMENT_CLASS(TKVMemo, TKVCustomLabel,
    t.template Object<TStrings>(QStringLiteral("Lines"), &TKVMemo::Lines);
    PublishAlignment(t);
    PublishAlignToBand(t);
    PublishAutoSize(t);
    PublishAutoStretch(t);
    PublishColor(t);
    PublishFont(t);
    PublishParentFont(t);
    PublishTransparent(t);
    PublishWordWrap(t);
)

TKVMemo::TKVMemo(TComponent* owner) : TKVCustomLabel(owner) {}

void TKVMemo::Loaded()
{
    TKVCustomLabel::Loaded();
    // The Caption is not stored: a memo read without lines shows its name again.
    if (Lines()->Count() == 0 && Caption().isEmpty())
        SetText(Name());
}

void TKVMemo::Paint(TCanvas& canvas)
{
    if (Lines()->Count() > 0 && !Caption().isEmpty())
        SetText(QString());
    TKVCustomLabel::Paint(canvas);
}

void TKVMemo::Print(int ofsX, int ofsY)
{
    SetText(QString());
    try {
        TKVCustomLabel::Print(ofsX, ofsY);
    } catch (...) {
        SetText(Name());
        throw;
    }
    SetText(Name());
}

} // namespace tessiv
