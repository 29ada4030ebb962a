#pragma once
// Registers the report engine's classes by name, so that report files and pasted controls can
// create them.

namespace tessiv {

void RegisterEngineClasses();

} // namespace tessiv
