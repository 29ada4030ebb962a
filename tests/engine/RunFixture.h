#pragma once
// A report set up for runs: bands with a probe on each that notes where and when it printed, a
// progress probe that receives the printer object's messages, and a preview whose window stays
// open until the run has finished, so its pages can be looked at.

#include "ReportFixture.h"

#include "engine/model/KVPrintableHooks.h"
#include "engine/run/KVPrinter.h"
#include "platform/controls/Controls.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace enginetest {

struct TPrintRecord {
    QString Name;
    int Page = 0;
    int Column = 0;
    int X = 0;
    int Y = 0;
};

// A printable that notes its prints and, when asked, writes its text on the page.
class TProbe : public TGraphicControl, public TKVPrintableHooks {
public:
    TProbe(TComponent* owner, std::vector<TPrintRecord>* log, const QString& text);
    void SetUnits(TKVUnit) override {}
    void SetZoom(int) override {}
    void Prepare() override;
    void Unprepare() override { ++Unprepared; }
    void Notify(TComponent*, int code) override { Notified += code == 0; }
    void Print(int ofsX, int ofsY) override;
    bool AlignToBand() const override { return false; }
    void SetCampoQuantidade(bool) override {}
    QString DataField() const override { return {}; }

    QString Text;
    // When set, gives the text at each print (a field's value, say).
    std::function<QString()> TextAtPrint;
    bool DrawText = false;
    // Registers for record notifications when prepared, as data texts do.
    bool AskNotify = false;
    int Prepared = 0;
    int Unprepared = 0;
    int Notified = 0;
    // Called at each print, after the note.
    std::function<void()> OnPrinted;

private:
    std::vector<TPrintRecord>* FLog;
};

// Receives the printer object's posted messages.
class TMessageProbe : public TWinControl {
public:
    explicit TMessageProbe(TComponent* owner) : TWinControl(owner) {}
    void WndProc(TMessage& message) override;
    std::vector<int> Progress;
    std::vector<int> PagesAvailable;
};

// The session's alias file and data folder in dir, so a test's aliases touch nothing of the user's.
void UseSessionIn(const QString& dir);
// Runs the statements on the SQLite file (made when missing) and makes the alias name it.
// Returns false with the failing statement's error in error.
bool MakeSqliteAlias(const QString& alias, const QString& file, const QStringList& statements, QString* error = nullptr);

struct TRunDoc : TReportDoc {
    TRunDoc();
    ~TRunDoc();

    // A band of the kind, height in 0.1 mm, with a probe named after it.
    TKVBand* Band(const QString& name, TKVBandType kind, int height = 100);
    TKVGroup* Group(const QString& name, const QString& expression, int height = 100);
    TProbe* ProbeOn(TKVCustomBand* band, const QString& text);
    // The names printed, in order.
    QStringList Names() const;
    // "name@page", in order.
    QStringList NamesWithPages() const;
    const TPrintRecord* Find(const QString& name, int occurrence = 0) const;

    // A preview run; its window is open from the start of the run until the run has ended, and
    // inspect (when given) sees the finished printer object just before it closes.
    void RunPreview(const std::function<void(TKVPrinter&)>& inspect = {});

    std::vector<TPrintRecord> Log;
    TMessageProbe* Messages;
    int PagesRecorded = 0;
};

} // namespace enginetest
