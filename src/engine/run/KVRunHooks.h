#pragma once
// What the record loop and the band printing ask of the bands that lay out an area of their own:
// the item area (a block of item lines that runs over pages, with observation lines at the end of
// each group) and the column grid (a query's rows printed in rows and columns). Those bands
// implement these; the run finds them through the band's virtual accessors, so it needs no
// knowledge of their classes.

#include <QString>

#include <functional>

namespace tessiv {

class TComponent;
class TDataSet;
class TKVCustomBand;

// A part that an item area or a column grid owns (its items, observation and cell bands, the
// observation label) lives and dies with its area. The designer's delete, cut and undo paths ask
// before they free a control; a destructor itself never refuses.
class TKVAreaPart {
public:
    virtual ~TKVAreaPart() = default;
    // False while the part belongs to its area on a report of the same owner.
    virtual bool MayBeDestroyedAlone() const = 0;
};

// True unless the component is a part that its area keeps.
bool MayDestroyAlone(const TComponent* component);
// Raises the silent abort when the component may not be freed on its own: the operation ends and
// the object stays.
void CheckDestroyAlone(const TComponent* component);

// The item area and the column grid tell the user when their SQL cannot be set up. The layer that
// has the widgets installs the message box; without one the text is dropped.
using TKVAreaMessageProc = std::function<void(const QString& text)>;
void SetAreaMessageProc(TKVAreaMessageProc proc);
void ShowAreaMessage(const QString& text);

class TKVItemAreaRun {
public:
    virtual ~TKVItemAreaRun() = default;
    // The items mode of the loop runs only for an area that lies on a band.
    virtual bool HasParentBand() const = 0;
    // At the loop's start and after each group change: the printed-line, condition and
    // observation counters start again and the group's lines are to be counted.
    virtual void ResetRunCounters() = 0;
    virtual void AddPrintedLines(int delta) = 0;
    // Counts the lines of the group that starts now, when a count is due.
    virtual void CountIfDue() = 0;
    // True when it printed the footers that close a page of the block at y (0.1 mm).
    virtual bool ItemAreaBreak(int y) = 0;
    // The observation lines at a group's end.
    virtual void PrintObservations() = 0;
    // Where the next line of the block prints (0.1 mm).
    virtual int LineCursor() const = 0;
    virtual void SetLineCursor(int y) = 0;
    // The block is on its last page.
    virtual bool IsLastPage() const = 0;
    // The page of the block being printed, from 1, and how many pages the block takes.
    virtual int CurrentPage() const { return 1; }
    virtual int PageCount() const { return 1; }
    // The footer band of the group the area belongs to; nil when the area has no group. Texts on
    // it print their fill string on the block's pages before the last.
    virtual TKVCustomBand* ParentGroupFooter() const { return nullptr; }
    // The band of the observation lines and the dataset its data texts show; nil when none.
    virtual TKVCustomBand* ObservationBand() const { return nullptr; }
    virtual TDataSet* ObsDataSet() const { return nullptr; }
};

class TKVColumnGridRun {
public:
    virtual ~TKVColumnGridRun() = default;
    // The cell band's position on the page (0.1 mm): set when the grid band passes it.
    virtual void SetCellOrigin(int x, int y) = 0;
    virtual int CellOriginX() const = 0;
    virtual int CellOriginY() const = 0;
    // The rows to print; nil when the grid has no query.
    virtual TDataSet* ColumnQuery() const = 0;
    virtual TKVCustomBand* CellBand() const = 0;
    virtual int Linhas() const = 0;
    virtual int Colunas() const = 0;
    // Width of one cell, 0.1 mm.
    virtual long double CellWidth() const = 0;
    // The printables of the cells get ready for the grid's rows.
    virtual void PrepareCells() = 0;
};

} // namespace tessiv
