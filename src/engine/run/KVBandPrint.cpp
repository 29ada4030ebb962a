// A band printing itself at the report's current position during a run, and growing while a text
// of it stretches. Every position here is in whole 0.1 mm; the printer object turns them into
// device units.

#include "engine/model/KVBands.h"

#include "engine/model/KVPrintableHooks.h"
#include "engine/model/VardoRep.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DataSet.h"
#include "platform/graphics/Canvas.h"

namespace tessiv {

namespace {

int RoundToInt(long double value)
{
    return static_cast<int>(Round(value));
}

bool PrintsAtLeftMargin(TKVBandType kind)
{
    return kind == rbTitle || kind == rbPageHeader || kind == rbPageFooter || kind == rbSummary;
}

// Page headers and footers, column headers and overlays are placed by the page and column
// changes themselves: a forced break on them would start the change that prints them again.
bool TakesForcedBreaks(TKVBandType kind)
{
    return kind != rbTitle && kind != rbPageHeader && kind != rbPageFooter && kind != rbOverlay &&
           kind != rbColumnHeader;
}

void FillRect(TKVPrinter& printer, const TRect& rect, TColor color)
{
    TCanvas& canvas = *printer.Canvas();
    canvas.Brush()->SetColor(color);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.FillRect(rect);
}

} // namespace

TKVBandType TKVCustomBand::PrintKind() const
{
    return FPrintAsFooter ? rbPageFooter : FBandType;
}

long double TKVCustomBand::PrintHeight() const
{
    return FPrintHeight >= 0 ? FPrintHeight : FSize->Height();
}

TRect TKVCustomBand::RectAt(int x, int y, long double height) const
{
    const TKVPrinter& p = *FParentReport->RunPrinter();
    return TRect{p.XPos(x), p.YPos(y), p.XPos(x + FSize->Width()), p.YPos(y + height - 1)};
}

bool TKVCustomBand::Fits(long double extra) const
{
    if (!FParentReport)
        return false;
    return Round(PrintHeight() + extra) <= FParentReport->AvailableSpace();
}

void TKVCustomBand::MakeSpace()
{
    if (!FParentReport || PrintKind() == rbPageFooter || FForceNewPage)
        return;
    if (Round(PrintHeight()) <= FParentReport->AvailableSpace())
        return;
    FParentReport->NewColumn();
}

void TKVCustomBand::Print()
{
    TVardoRep* const report = FParentReport;
    if (!report || !report->RunPrinter())
        return;
    TKVPrinter& printer = *report->RunPrinter();
    const TKVBandType kind = PrintKind();
    bool printIt = Enabled();
    const int savedX = report->CurrentX();
    const int page = report->PageCount();
    const int column = report->ColumnNumber();
    if (PrintsAtLeftMargin(kind))
        report->SetCurrentX(RoundToInt(report->Page()->LeftMargin()));
    if (Enabled() && BeforePrint)
        BeforePrint(this, printIt);

    if (printIt) {
        if (TakesForcedBreaks(kind) && !report->InPageChange()) {
            if (FForceNewPage)
                report->ForcedPageBreak();
            else if (FForceNewColumn)
                report->ForcedColumnBreak();
        }
        // The height as designed; stretching texts grow it only for this print.
        const long double outerHeight = FPrintHeight;
        FPrintHeight = FSize->Height();
        struct THeightEnd {
            long double& Height;
            long double Value;
            ~THeightEnd() { Height = Value; }
        } heightEnd{FPrintHeight, outerHeight};

        FPrintRect = RectAt(report->CurrentX(), report->CurrentY(), FPrintHeight);
        if (report->Graphics())
            FillRect(printer, FPrintRect, Color());
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* control = Controls(i);
            if (TKVPrintableHooks* printable = PrintableHooks(control)) {
                if (control->Enabled())
                    printable->Print(report->CurrentX(), report->CurrentY());
            } else if (auto* band = dynamic_cast<TKVCustomBand*>(control)) {
                if (band->Enabled())
                    band->Print();
                if (TKVItemAreaRun* area = band->ItemArea())
                    area->SetLineCursor(report->CurrentY());
                if (TKVColumnGridRun* grid = band->CellGrid())
                    grid->SetCellOrigin(report->CurrentX(), report->CurrentY());
            }
        }
        if (report->Graphics())
            Frame()->PaintIt(*printer.Canvas(), FPrintRect, printer.XFactor(), printer.YFactor());
        report->SetCurrentY(report->CurrentY() + RoundToInt(FPrintHeight));
    }

    if (AfterPrint)
        AfterPrint(this, printIt);

    if (TKVChildBand* child = ChildBand(); child && child != this) {
        // A page footer's child is part of the footer: it takes no room check of its own.
        child->FPrintAsFooter = kind == rbPageFooter;
        struct TKindEnd {
            TKVChildBand* Child;
            ~TKindEnd() { Child->FPrintAsFooter = false; }
        } kindEnd{child};
        child->MakeSpace();
        if (child->AsColumnGrid())
            PrintGridChild(child);
        else
            report->PrintBand(child);
    }
    // A band that stretched into another column or page leaves the position there.
    if (report->PageCount() == page && report->ColumnNumber() == column)
        report->SetCurrentX(savedX);
}

void TKVCustomBand::PrintGridChild(TKVCustomBand* gridBand)
{
    TVardoRep* const report = FParentReport;
    TKVColumnGridRun* const grid = gridBand->AsColumnGrid();
    // Under an item area the grid closes the block: it prints on the block's last page only.
    bool printGrid = true;
    if (TKVCustomBand* detail = report->FirstBandOfKind(rbDetail))
        if (TKVItemAreaRun* area = detail->ItemArea())
            printGrid = area->IsLastPage();
    const int gridX = report->CurrentX();
    const int gridY = report->CurrentY();
    bool positionTaken = false;
    int afterX = 0;
    int afterY = 0;
    TDataSet* query = nullptr;
    TKVCustomBand* cell = nullptr;
    try {
        report->PrintBand(gridBand);
        query = grid->ColumnQuery();
        if (printGrid && query) {
            afterX = report->CurrentX();
            afterY = report->CurrentY();
            positionTaken = true;
            query->Open();
            grid->PrepareCells();
            cell = grid->CellBand();
            if (cell) {
                cell->SetEnabled(true);
                report->SetCurrentX(gridX);
                report->SetCurrentY(gridY);
                query->First();
                int row = 1;
                int column = 1;
                while (!query->Eof() && row <= grid->Linhas() && column <= grid->Colunas()) {
                    cell->Print();
                    query->Next();
                    if (++row > grid->Linhas()) {
                        row = 1;
                        report->SetCurrentY(gridY);
                        ++column;
                        report->SetCurrentX(RoundToInt(grid->CellWidth() + grid->CellOriginX()));
                        grid->SetCellOrigin(report->CurrentX(), grid->CellOriginY());
                    }
                }
            }
        }
    } catch (...) {
        // A grid that cannot print its rows leaves the rest of the page as it would be without it.
    }
    try {
        if (cell)
            cell->SetEnabled(false);
        if (positionTaken) {
            report->SetCurrentX(afterX);
            report->SetCurrentY(afterY);
        }
        if (query && query->Active())
            query->Close();
    } catch (...) {
    }
}

bool TKVCustomBand::GrowsInPlace() const
{
    // Bands that the page and column changes print cannot start such a change themselves: they
    // grow where they are, so a stretching text there cannot recurse without end.
    const TKVBandType kind = PrintKind();
    return !FParentReport || FParentReport->InPageChange() || kind == rbPageHeader || kind == rbPageFooter ||
           kind == rbColumnHeader;
}

bool TKVCustomBand::Expand(int& newTop, int& shift, int amount)
{
    shift = 0;
    TVardoRep* const report = FParentReport;
    if (!report || !report->RunPrinter() || report->Available())
        return false;
    TKVPrinter& printer = *report->RunPrinter();
    if (FPrintHeight < 0)
        FPrintHeight = FSize->Height();
    const bool mayBreak = !GrowsInPlace();
    bool broke = false;
    if (mayBreak && !Fits(amount) && report->Graphics())
        Frame()->PaintIt(*printer.Canvas(), RectAt(report->CurrentX(), report->CurrentY(), FPrintHeight),
                         printer.XFactor(), printer.YFactor());
    const long double oldHeight = FPrintHeight;
    FPrintHeight += amount;
    FPrintRect = RectAt(report->CurrentX(), report->CurrentY(), FPrintHeight);
    if (mayBreak && report->AvailableSpace() < Round(FPrintHeight)) {
        const int oldX = report->CurrentX();
        report->NewColumn();
        FPrintHeight = amount;
        broke = true;
        newTop = report->CurrentY();
        shift = report->CurrentX() - oldX;
        FPrintRect = RectAt(report->CurrentX(), report->CurrentY(), amount);
    }
    if (report->Graphics()) {
        const TRect gained =
            broke ? FPrintRect
                  : TRect{printer.XPos(report->CurrentX()), printer.YPos(report->CurrentY() + oldHeight),
                          printer.XPos(report->CurrentX() + FSize->Width()),
                          printer.YPos(report->CurrentY() + FPrintHeight)};
        FillRect(printer, gained, Color());
    }
    return broke;
}

} // namespace tessiv
