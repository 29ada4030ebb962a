#pragma once
// The engine's windows (standard preview, progress form, print dialog) installed for the life of
// one object, as the program installs them at start-up, and taken away again so that the tests
// after it run without them.

#include "engine/run/KVPrinter.h"
#include "engine/run/KVRunHooks.h"
#include "engine/run/KVRunWindows.h"
#include "engine/ui/EngineWindows.h"

namespace engineuitest {

struct TEngineWindows {
    TEngineWindows() { tessiv::InstallEngineWindows(); }
    ~TEngineWindows()
    {
        tessiv::SetStandardPreviewProc(nullptr);
        tessiv::SetProgressFormProc(nullptr);
        tessiv::SetPrintDialogProc(nullptr);
        tessiv::SetAreaMessageProc(nullptr);
    }
    TEngineWindows(const TEngineWindows&) = delete;
    TEngineWindows& operator=(const TEngineWindows&) = delete;
};

} // namespace engineuitest
