#pragma once
// Registers by name every class a report file or a pasted control may hold: the engine's and the
// designer's (the root form, the data sources and the database).

namespace tessiv {

void RegisterDesignerClasses();

} // namespace tessiv
