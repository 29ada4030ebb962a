#pragma once
// Component resource files: a 16-bit resource header (type RT_RCDATA, named after the root's class)
// followed by the root's component stream. Report files are such files.

#include <QString>

#include <cstdint>

namespace tessiv {

class TStream;
class TComponent;

// Checks and skips the header: EInvalidImage "Invalid stream format" when it is not one.
void ReadResHeader(TStream& stream);
// Writes a header for a resource named after className; returns where the size goes.
std::int64_t WriteResourceHeader(TStream& stream, const QString& className);
// Puts the size of what followed the header at sizePosition (stream at the end of the data).
void FixupResourceHeader(TStream& stream, std::int64_t sizePosition);

TComponent* ReadComponentRes(TStream& stream, TComponent* instance);
void WriteComponentRes(TStream& stream, TComponent* instance);

// Reading creates the root when Instance is nil. Writing goes through memory and replaces the file
// only once the whole stream has been made, so a failure leaves the file as it was.
TComponent* ReadComponentResFile(const QString& fileName, TComponent* instance);
void WriteComponentResFile(const QString& fileName, TComponent* instance);

} // namespace tessiv
