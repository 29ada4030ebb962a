#pragma once
// The fixed text (a Caption) and the multi-line text (Lines) of a report. A memo whose Lines are
// empty shows and formats its name in the designer; while it prints its Caption is empty, so its
// Lines are what prints.

#include "engine/printables/KVCustomLabel.h"

namespace tessiv {


class TKVLabel : public TKVCustomLabel {
    TESSIV_CLASS(TKVLabel, TKVCustomLabel)
public:
    explicit TKVLabel(TComponent* owner);
};

class TKVMemo : public TKVCustomLabel {
    TESSIV_CLASS(TKVMemo, TKVCustomLabel)
public:
    explicit TKVMemo(TComponent* owner);

    void Loaded() override;
    // With Lines present the Caption (the name) is dropped before painting.
    void Paint(TCanvas& canvas) override;
    // Prints the Lines; afterwards the Caption is the name again, as in the designer.
    void Print(int ofsX, int ofsY) override;

protected:
    bool ReadsLegacyTabStop() const override { return true; }
};

} // namespace tessiv
