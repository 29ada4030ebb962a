#pragma once
// The report engine's windows need the widgets, which the engine itself does not link: the
// program calls this once at start-up to give the engine its standard preview, its progress form
// and its print dialog.

namespace tessiv {

void InstallEngineWindows();

} // namespace tessiv
