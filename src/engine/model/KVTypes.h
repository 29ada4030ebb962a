#pragma once
// Enumerations of the report engine that several of its units share.

#include "platform/core/TypInfo.h"

namespace tessiv {

// Paper sizes; the value of a standard size is its device paper code, Custom is a size of its own.
enum class TKVPaperSize {
    Default,
    Letter,
    LetterSmall,
    Tabloid,
    Ledger,
    Legal,
    Statement,
    Executive,
    A3,
    A4,
    A4Small,
    A5,
    B4,
    B5,
    Folio,
    Quarto,
    zt10X14,
    zt11X17,
    Note,
    Env9,
    Env10,
    Env11,
    Env12,
    Env14,
    CSheet,
    DSheet,
    ESheet,
    Custom,
};

enum TKVBandType {
    rbTitle,
    rbPageHeader,
    rbDetail,
    rbPageFooter,
    rbSummary,
    rbGroupHeader,
    rbGroupFooter,
    rbSubDetail,
    rbColumnHeader,
    rbOverlay,
    rbChild,
};

// Rotation of a text printable's lines, counter-clockwise in steps of 90 degrees.
enum TKVRotacao { rotacao_000, rotacao_090, rotacao_180, rotacao_270 };

// The running number a data text carries for the document's print driving: none, counting up,
// or shifting.
enum TKVIncremento { kvNenhum, kvIncre, kvDesloca };

// What a system-data text shows.
enum TKVSysDataType {
    kvsTime, kvsDate, kvsDateTime, kvsPageNumber, kvsReportTitle, kvsDetailCount, kvsDetailNo, kvsGroupItensNo,
};

// Value names of the enumerations above, as report files store them.
const TEnumInfo& PaperSizeInfo();
const TEnumInfo& BandTypeInfo();
const TEnumInfo& RotacaoInfo();
const TEnumInfo& IncrementoInfo();
const TEnumInfo& SysDataTypeInfo();

} // namespace tessiv
