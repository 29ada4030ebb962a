#pragma once
// Reading a report file without ever writing it. The old program rewrote the file through its text
// form to remove what older versions stored; here the same repair is made on the stream in memory,
// property by property, so texts inside captions, memo lines and SQL are never touched, and a
// read-only file opens.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tessiv {

class TComponent;

enum class TReportRepair {
    Basic,   // stored "Active" = True removed
    Legacy,  // also the root's "OnCreate" removed and "Bar_Caption" read as "Bar_Text"
};

struct TRepairedStream {
    QByteArray Resource;           // the resource file with the repaired stream
    QStringList ConnectAfterRead;  // components whose stored Connected = True was held back
    int ActiveRemoved = 0;
    int OnCreateRemoved = 0;
    int BarCaptionRenamed = 0;
};

// Repairs the bytes of a component resource file. Every stored "Connected" = True is held back too:
// reading then never connects, and the caller connects once the whole tree is there. Raises
// EInvalidImage "Invalid stream format" (or a read error) for bytes that are not such a file.
TRepairedStream RepairReportResource(const QByteArray& fileBytes, TReportRepair repair);

} // namespace tessiv
