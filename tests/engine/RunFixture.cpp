#include "RunFixture.h"

#include "engine/model/KVBands.h"
#include "platform/controls/Messages.h"
#include "platform/data/Database.h"
#include "platform/graphics/Canvas.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>

namespace enginetest {

void UseSessionIn(const QString& dir)
{
    Session().SetConfigFile(QDir(dir).filePath(QStringLiteral("Aliases.INI")));
    Session().SetDataFolder(QDir(dir).filePath(QStringLiteral("data")));
}

bool MakeSqliteAlias(const QString& alias, const QString& file, const QStringList& statements, QString* error)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fixture-maker"));
        db.setDatabaseName(file);
        ok = db.open();
        QSqlQuery q(db);
        if (ok)
            q.exec(QStringLiteral("BEGIN"));
        for (const QString& statement : statements) {
            if (!ok)
                break;
            ok = q.exec(statement);
            if (!ok && error)
                *error = statement + QStringLiteral(": ") + q.lastError().text();
        }
        if (ok)
            q.exec(QStringLiteral("COMMIT"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture-maker"));
    if (!ok)
        return false;
    TStringList p;
    p.Add(QStringLiteral("PATH=") + file);
    Session().AddAlias(alias, QStringLiteral("SQLITE"), &p);
    return true;
}

TProbe::TProbe(TComponent* owner, std::vector<TPrintRecord>* log, const QString& text)
    : TGraphicControl(owner), Text(text), FLog(log)
{
}

void TProbe::Prepare()
{
    ++Prepared;
    if (auto* band = dynamic_cast<TKVCustomBand*>(Parent()); AskNotify && band && band->ParentReport())
        band->ParentReport()->AddNotifyClient(this);
}

void TProbe::Print(int ofsX, int ofsY)
{
    TVardoRep* report = nullptr;
    if (auto* band = dynamic_cast<TKVCustomBand*>(Parent()))
        report = band->ParentReport();
    else
        report = dynamic_cast<TVardoRep*>(Parent());
    if (!report)
        return;
    const QString text = TextAtPrint ? TextAtPrint() : Text;
    FLog->push_back({text, report->PageCount(), report->ColumnNumber(), ofsX, ofsY});
    TKVPrinter* printer = report->RunPrinter();
    if (DrawText && printer && printer->Canvas()) {
        TCanvas& canvas = *printer->Canvas();
        canvas.Font()->SetName(QStringLiteral("Arial"));
        canvas.Font()->SetHeight(-printer->YSize(35));
        canvas.SetBkMode(TRANSPARENT);
        canvas.TextOut(printer->XPos(ofsX + 20), printer->YPos(ofsY + 10), text);
    }
    if (OnPrinted)
        OnPrinted();
}

void TMessageProbe::WndProc(TMessage& message)
{
    if (message.Msg == WM_USER)
        Progress.push_back(static_cast<int>(message.WParam));
    else if (message.Msg == WM_USER + 1)
        PagesAvailable.push_back(static_cast<int>(message.WParam));
    else
        TWinControl::WndProc(message);
}

TRunDoc::TRunDoc()
{
    Report->SetUnits(kvunNative);
    Report->Page()->SetPaperSize(TKVPaperSize::A4);
    Report->Page()->SetOrientation(TPrinterOrientation::poPortrait);
    Report->Page()->SetTopMargin(100);
    Report->Page()->SetBottomMargin(100);
    Report->Page()->SetLeftMargin(100);
    Report->Page()->SetRightMargin(100);
    Messages = new TMessageProbe(Form.get());
}

TRunDoc::~TRunDoc() = default;

TKVBand* TRunDoc::Band(const QString& name, TKVBandType kind, int height)
{
    auto* band = Add<TKVBand>(name, kind);
    band->Size()->SetHeight(height);
    ProbeOn(band, name);
    return band;
}

TKVGroup* TRunDoc::Group(const QString& name, const QString& expression, int height)
{
    auto* group = Add<TKVGroup>(name);
    group->SetExpression(expression);
    group->SetMaster(Report);
    group->Size()->SetHeight(height);
    ProbeOn(group, name);
    return group;
}

TProbe* TRunDoc::ProbeOn(TKVCustomBand* band, const QString& text)
{
    auto* probe = new TProbe(Form.get(), &Log, text);
    probe->SetParent(band);
    return probe;
}

QStringList TRunDoc::Names() const
{
    QStringList names;
    for (const TPrintRecord& r : Log)
        names << r.Name;
    return names;
}

QStringList TRunDoc::NamesWithPages() const
{
    QStringList names;
    for (const TPrintRecord& r : Log)
        names << QStringLiteral("%1@%2").arg(r.Name).arg(r.Page);
    return names;
}

const TPrintRecord* TRunDoc::Find(const QString& name, int occurrence) const
{
    for (const TPrintRecord& r : Log)
        if (r.Name == name && occurrence-- == 0)
            return &r;
    return nullptr;
}

void TRunDoc::RunPreview(const std::function<void(TKVPrinter&)>& inspect)
{
    TKVPrinter* shown = nullptr;
    std::function<void()> poll;
    poll = [&] {
        if (!shown)
            return;
        // The window closes once the report waits for it, in a loop of its own.
        if (QThread::currentThread()->loopLevel() == 0) {
            QTimer::singleShot(0, poll);
            return;
        }
        // Messages the run posted last are handled before the window goes.
        QCoreApplication::processEvents();
        PagesRecorded = shown->Status() == kvpsFinished ? shown->PageCount() : 0;
        if (inspect)
            inspect(*shown);
        shown->SetShowingPreview(false);
    };
    Report->OnPreview = [&](TObject* sender) {
        shown = static_cast<TKVPrinter*>(sender);
        shown->SetClient(Messages);
        shown->SetShowingPreview(true);
        QTimer::singleShot(0, poll);
    };
    Report->Preview();
    Report->OnPreview = nullptr;
}

} // namespace enginetest
