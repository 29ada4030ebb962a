#pragma once
// The standard preview's button glyphs, drawn for this program by name of their resource
// ("KVZOOMTOFITBITMAP" ...), so no image files need to travel with the engine.

#include <QIcon>
#include <QString>

namespace tessiv {

// An empty icon for a name that is not one of the glyphs.
QIcon KVGlyph(const QString& resourceName);

} // namespace tessiv
