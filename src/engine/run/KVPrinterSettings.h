#pragma once
// The printer settings a report carries in its file: copies, duplex, page range and paper bin.

#include "platform/core/Persistent.h"

namespace tessiv {

enum class TKVBin {
    First, Upper, Lower, Middle, Manual, Envelope, EnvManual, Auto, Tractor, SmallFormat, LargeFormat,
    LargeCapacity, Cassette, Last,
};
const TEnumInfo& BinInfo();

class TKVPrinterSettings : public TPersistent {
    TESSIV_CLASS(TKVPrinterSettings, TPersistent)
public:
    int Copies() const { return FCopies; }
    void SetCopies(int value) { FCopies = value; }
    bool Duplex() const { return FDuplex; }
    void SetDuplex(bool value) { FDuplex = value; }
    TKVBin OutputBin() const { return FOutputBin; }
    void SetOutputBin(TKVBin value) { FOutputBin = value; }
    // -1: the default printer.
    int PrinterIndex() const { return FPrinterIndex; }
    void SetPrinterIndex(int value) { FPrinterIndex = value; }
    // 0: no limit.
    int FirstPage() const { return FFirstPage; }
    void SetFirstPage(int value) { FFirstPage = value; }
    int LastPage() const { return FLastPage; }
    void SetLastPage(int value) { FLastPage = value; }

    void Assign(const TPersistent* source) override;

private:
    int FCopies = 1;
    bool FDuplex = false;
    TKVBin FOutputBin = TKVBin::First;
    int FPrinterIndex = -1;
    int FFirstPage = 0;
    int FLastPage = 0;
};

// The report's settings: all five published without defaults, so every file holds them.
class TVardoRepPrinterSettings : public TKVPrinterSettings {
    TESSIV_CLASS(TVardoRepPrinterSettings, TKVPrinterSettings)
};

} // namespace tessiv
