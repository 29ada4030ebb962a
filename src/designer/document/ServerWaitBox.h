#pragma once
// While a database keeps the program waiting outside a print or a preview (which have their own
// Cancel), a box says so after a moment and offers to stop waiting.

namespace tessiv {

// For the program's lifetime; the box's object name is "ServerWaitBox".
void InstallServerWaitBox();

} // namespace tessiv
