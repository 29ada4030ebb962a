#include "designer/document/AnexoRelatorio.h"

#include "designer/document/DesignerClasses.h"
#include "designer/document/Hidden.h"
#include "designer/document/ReportFile.h"
#include "designer/surface/WaitCursor.h"
#include "engine/printables/KVColuna.h"
#include "engine/printables/KVDBImage.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/model/VardoRep.h"
#include "platform/core/ResFile.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DBError.h"
#include "platform/data/DBTables.h"
#include "platform/data/DataSet.h"
#include "platform/data/Database.h"
#include "platform/data/Field.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>

namespace tessiv {

namespace {

const QString kReportFilter = QStringLiteral("Kelvora Relatório (*.KVR)|*.KVR");

bool ClassIs(const TPersistent* object, const char* className)
{
    for (const TClassInfo* c = object ? &object->ClassType() : nullptr; c; c = c->Parent)
        if (c->ClassName == QLatin1String(className))
            return true;
    return false;
}

QString WithSeparator(const QString& folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

bool DefaultLoginDialog(const QString& aliasName, QString& userName, QString& password)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Login no banco de dados"));
    auto* form = new QFormLayout(&dialog);
    form->addRow(QStringLiteral("Banco de dados:"), new QLabel(aliasName));
    auto* user = new QLineEdit(userName);
    auto* pass = new QLineEdit;
    pass->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("&Usuário:"), user);
    form->addRow(QStringLiteral("&Senha:"), pass);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    (userName.isEmpty() ? user : pass)->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    userName = user->text();
    password = pass->text();
    return true;
}

TLoginDialogFn& LoginDialogHook()
{
    static TLoginDialogFn hook;
    return hook;
}

} // namespace

void SetLoginDialog(TLoginDialogFn dialog)
{
    LoginDialogHook() = std::move(dialog);
}

bool LoginDialog(const QString& aliasName, QString& userName, QString& password)
{
    if (LoginDialogHook())
        return LoginDialogHook()(aliasName, userName, password);
    return DefaultLoginDialog(aliasName, userName, password);
}

void InstallLoginPrompt()
{
    Session().LoginHook = [](const QString& databaseName, TStrings* login) {
        QString user = login->Values(QStringLiteral("USER NAME"));
        QString password;
        if (!LoginDialog(databaseName, user, password))
            return false;
        login->SetValue(QStringLiteral("USER NAME"), user);
        login->SetValue(QStringLiteral("PASSWORD"), password);
        return true;
    };
}

QString DefaultDocumentFolder()
{
    // The desktop's documents folder (its XDG user directory), made when a fresh account does not
    // have it yet; the home folder when there is none or it cannot be made.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!folder.isEmpty() && QDir().mkpath(folder))
        return WithSeparator(folder);
    return WithSeparator(QDir::homePath());
}

QString AbsoluteFileName(const QString& name)
{
    if (name.isEmpty())
        return name;
    // The folder as the system finds it (links and ".." taken the way the file system takes
    // them); the file keeps the name it was given, a link's own name included.
    const QFileInfo info(QDir::current().absoluteFilePath(name));
    const QString folder = QDir(info.path()).canonicalPath();
    if (folder.isEmpty())
        return QDir::cleanPath(info.filePath());
    return folder == QLatin1String("/") ? folder + info.fileName() : folder + QLatin1Char('/') + info.fileName();
}

QString FileKey(const QString& name)
{
    const QString canonical = QFileInfo(name).canonicalFilePath();
    return canonical.isEmpty() ? AbsoluteFileName(name) : canonical;
}

// ---- the document ---------------------------------------------------------------------------

TAnexoRelatorio::TAnexoRelatorio(TDocumentHost* ownerForm) : FOwnerForm(ownerForm)
{
    RegisterDesignerClasses();
    ResetRoot();
}

TAnexoRelatorio::~TAnexoRelatorio()
{
    FReport = nullptr;
    FDatabase = nullptr;
    if (!FRoot)
        return;
    int i = 0;
    while (i < FRoot->ComponentCount()) {
        TComponent* c = FRoot->Components(i);
        try {
            if (auto* db = dynamic_cast<TDatabase*>(c); db && db->Connected())
                db->SetConnected(false);
        } catch (...) {
        }
        try {
            c->Free();
        } catch (...) {
        }
        if (i < FRoot->ComponentCount() && FRoot->Components(i) == c)
            ++i; // it would not go; the root takes it with it
    }
    FRoot.reset();
}

void TAnexoRelatorio::ResetRoot()
{
    FReport = nullptr;
    FDatabase = nullptr;
    FRoot.reset(new TfmHidden(nullptr));
    FRoot->SetName(QStringLiteral("fmHidden"));
}

void TAnexoRelatorio::BringToFrontIfHidden()
{
    if (FOwnerForm && FOwnerForm->HostHidden())
        FOwnerForm->BringApplicationToFront();
}

int TAnexoRelatorio::MessageBox(const QString& text, unsigned flags)
{
    BringToFrontIfHidden();
    return Application().MessageBox(text, Application().Title(), flags);
}

void TAnexoRelatorio::HookReportEvents()
{
    if (!FReport)
        return;
    FReport->BeforePrint = [this](TVardoRep* sender, bool& printReport) { ReportBeforePrint(sender, printReport); };
    FReport->OnNeedData = [this](TObject* sender, bool& moreData) { ReportNeedData(sender, moreData); };
    FReport->OnPreview = [this](TObject* sender) { ReportPreview(sender); };
}

void TAnexoRelatorio::SetFileName(const QString& fileName)
{
    if (!fileName.isEmpty()) {
        // Absolute, so that the name still names the file after the program has changed folder
        // and when it starts again from another one.
        FFileName = AbsoluteFileName(fileName);
        FDirectory = WithSeparator(QFileInfo(FFileName).path());
    } else {
        if (FDirectory.isEmpty())
            FDirectory = DefaultDocumentFolder();
        const QStringList captions = FOwnerForm ? FOwnerForm->DocumentWindowCaptions() : QStringList();
        for (int n = 1;; ++n) {
            const QString candidate = QStringLiteral("Tessiv%1.KVR").arg(n);
            if (QFileInfo::exists(FDirectory + candidate))
                continue;
            bool shown = false;
            for (const QString& caption : captions)
                shown = shown || caption.contains(candidate, Qt::CaseInsensitive);
            if (shown)
                continue;
            FFileName = FDirectory + candidate;
            break;
        }
    }
    // The data a report names by a relative path lies beside its file.
    Session().SetBaseFolder(FRoot.get(), QFileInfo(FFileName).path());
    const QString bare = QFileInfo(FFileName).fileName();
    if (FReport) {
        if (TDatabase* db = FindDatabase(); db && db->DatabaseName() != bare)
            FReport->SetDatabaseName(bare);
        FReport->SetReportTitle(bare);
        // The PDF printer is offered the document's name, beside it.
        const QFileInfo file(FFileName);
        FReport->SetPdfFileOffer(file.absolutePath() + QLatin1Char('/') + file.completeBaseName() +
                                 QStringLiteral(".pdf"));
    }
}

bool TAnexoRelatorio::SaveToFile(const QString& fileName)
{
    if (fileName.isEmpty()) {
        TSaveDialog dialog(nullptr);
        dialog.FileName = FFileName;
        dialog.Filter = kReportFilter;
        dialog.DefaultExt = QStringLiteral("KVR");
        dialog.InitialDir = FDirectory;
        BringToFrontIfHidden();
        bool result = false;
        if (dialog.Execute()) {
            const QString chosen = dialog.FileName;
            if (!chosen.isEmpty()) {
                FDirectory = WithSeparator(QFileInfo(chosen).path());
                result = SaveToFile(chosen);
            }
        }
        if (FOwnerForm)
            FOwnerForm->BringApplicationToFront();
        return result;
    }
    if (QFileInfo::exists(fileName) && FileKey(fileName) != FileKey(FFileName)) {
        const QString text = QStringLiteral("Arquivo ") + QFileInfo(fileName).fileName() +
                             QStringLiteral(" já existente, deseja sobrepor?");
        if (MessageBox(text, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
    }
    CloseOtherDataSets();
    if (FReport && FReport->Parent() != FRoot.get())
        FReport->SetParent(FRoot.get());
    // The file holds the report title and database name of its own name; a failed write puts
    // the document's name back.
    const QString oldName = FFileName, oldDirectory = FDirectory;
    SetFileName(fileName);
    try {
        WriteComponentResFile(fileName, FRoot.get());
    } catch (...) {
        FDirectory = oldDirectory;
        SetFileName(oldName);
        FDirectory = oldDirectory;
        throw;
    }
    return true;
}

// ---- opening and new documents -----------------------------------------------------------------

namespace {

bool ReadInto(TAnexoRelatorio& doc, const QByteArray& bytes, TReportRepair repair, QStringList& connectLater)
{
    const TRepairedStream repaired = RepairReportResource(bytes, repair);
    TMemoryStream stream(repaired.Resource);
    ReadComponentRes(stream, doc.Root());
    connectLater = repaired.ConnectAfterRead;
    return true;
}

} // namespace

TAnexoRelatorio* OpenReportDocument(TDocumentHost* ownerForm, const QString& fileName)
{
    if (fileName.isEmpty()) {
        TOpenDialog dialog(nullptr);
        dialog.Filter = kReportFilter;
        dialog.DefaultExt = QStringLiteral("KVR");
        if (dialog.Execute() && !dialog.FileName.isEmpty())
            return OpenReportDocument(ownerForm, dialog.FileName);
        return nullptr;
    }
    if (!QFileInfo(fileName).isFile()) {
        if (ownerForm && ownerForm->HostHidden())
            ownerForm->BringApplicationToFront();
        Application().MessageBox(QStringLiteral("O arquivo ") + fileName +
                                     QStringLiteral(" não pode ser encontrado. Verifique !"),
                                 Application().Title(), MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }

    TWaitCursor wait;
    auto doc = std::make_unique<TAnexoRelatorio>(ownerForm);

    // The file is only read: repairs are made on the stream in memory.
    QByteArray bytes;
    {
        TFileStream file(fileName, fmOpenRead);
        bytes.resize(qsizetype(file.Size()));
        file.ReadBuffer(bytes.data(), bytes.size());
    }
    QStringList connectLater;
    try {
        ReadInto(*doc, bytes, TReportRepair::Basic, connectLater);
    } catch (const EInvalidImage&) {
        throw; // not a component resource file: no repair makes it one
    } catch (...) {
        // Older files: read again into a fresh root, so nothing of the failed read stays.
        doc->ResetRoot();
        ReadInto(*doc, bytes, TReportRepair::Legacy, connectLater);
    }

    auto* report = doc->Root()->ComponentCount() > 0 ? dynamic_cast<TVardoRep*>(doc->Root()->Components(0)) : nullptr;
    if (!report)
        return nullptr;
    doc->SetReport(report);
    doc->SetFileName(fileName);
    if (TDataSet* ds = report->DataSet()) {
        doc->SetFilterText(ds->Filter());
        ds->SetFiltered(!ds->Filter().isEmpty());
    } else {
        doc->SetFilterText(QString());
    }
    doc->HookReportEvents();

    // A connection the file kept is made once the whole document is there; when it fails the
    // user is told and the document stays as it was read.
    for (const QString& name : connectLater) {
        // The document's own database, made without a name, is found as the document finds it.
        auto* db = name.trimmed().isEmpty() ? doc->GetDatabase() : dynamic_cast<TDatabase*>(doc->Root()->FindComponent(name));
        if (!db)
            continue;
        try {
            if (db == doc->GetDatabase())
                doc->SetConnected(true);
            else
                db->SetConnected(true);
        } catch (const EAbort&) {
        } catch (const std::exception& e) {
            Application().ShowException(e);
        }
    }
    return doc.release();
}

TAnexoRelatorio* NewReportDocument(TDocumentHost* ownerForm)
{
    auto doc = std::make_unique<TAnexoRelatorio>(ownerForm);
    auto* report = new TVardoRep(doc->Root());
    report->SetName(QStringLiteral("KelvoraRelatorio"));
    report->SetParent(doc->Root());
    doc->SetReport(report);
    doc->SetFilterText(QString());
    report->SetHint(QStringLiteral("0"));
    report->Bands()->SetBand(4, true);
    doc->HookReportEvents();
    doc->SetFileName(QString());
    return doc.release();
}

// ---- data connection ---------------------------------------------------------------------------

TDatabase* TAnexoRelatorio::FindDatabase() const
{
    if (!FReport || !FReport->Owner())
        return nullptr;
    TComponent* owner = FReport->Owner();
    for (int i = 0; i < owner->ComponentCount(); ++i)
        if (auto* db = dynamic_cast<TDatabase*>(owner->Components(i)))
            return db;
    return nullptr;
}

TDatabase* TAnexoRelatorio::GetDatabase()
{
    FDatabase = FindDatabase();
    return FDatabase;
}

bool TAnexoRelatorio::IsConnected()
{
    TDatabase* db = GetDatabase();
    return !db || db->Connected();
}

void TAnexoRelatorio::SetConnected(bool value)
{
    TWaitCursor wait;
    struct TGuard {
        bool& Flag;
        ~TGuard() { Flag = false; }
    } guard{FConnecting};
    FConnecting = true;
    TDatabase* db = GetDatabase();
    if (!db || db->Connected() == value)
        return;
    try {
        db->SetConnected(value);
    } catch (const EDBEngineError& e) {
        if (!e.HasErrorCode(DBIERR_INVALIDPASSWORD) || !Login())
            throw;
        SetConnected(true);
    }
}

bool TAnexoRelatorio::Login()
{
    TDatabase* db = GetDatabase();
    if (!db)
        return true;
    db->Params()->Clear();
    TStringList aliasParams;
    try {
        Session().GetAliasParams(db->AliasName(), &aliasParams);
    } catch (const Exception&) {
    }
    QString user = aliasParams.Values(QStringLiteral("USER NAME"));
    QString password;
    const bool ok = LoginDialog(db->AliasName(), user, password);
    if (ok) {
        db->Params()->Add(QStringLiteral("USER NAME=") + user);
        db->Params()->Add(QStringLiteral("PASSWORD=") + password);
    }
    if (FOwnerForm)
        FOwnerForm->BringApplicationToFront();
    return ok;
}

TDatabase* TAnexoRelatorio::EnsureDatabase()
{
    if (TDatabase* db = GetDatabase())
        return db;
    auto* db = new TDatabase(FRoot.get());
    db->SetDatabaseName(FReport ? FReport->GetDatabaseName() : QString());
    db->LoginPrompt = false;
    FDatabase = db;
    return db;
}

void TAnexoRelatorio::FreeDatabase()
{
    TDatabase* db = GetDatabase();
    if (!db)
        return;
    SetConnected(false);
    FDatabase = nullptr;
    db->Free();
}

void TAnexoRelatorio::DataSetBeforeOpen(TDataSet*)
{
    if (!FConnecting)
        SetConnected(true);
}

void TAnexoRelatorio::DataSetAfterClose(TDataSet*)
{
    if (!FConnecting)
        SetConnected(false);
}

bool TAnexoRelatorio::AliasNeedsDatabase(const QString& alias)
{
    try {
        const QString driver = Session().GetAliasDriverName(alias).trimmed().toUpper();
        // The drivers that read files themselves: folder tables and the embedded database.
        return driver != QLatin1String("STANDARD") && driver != QLatin1String("ASCIIDRV") &&
               driver != QLatin1String("SQLITE");
    } catch (...) {
        return false;
    }
}

bool TAnexoRelatorio::IsValidAliasOrDirectory(const QString& name, const TComponent* owner)
{
    try {
        // Besides aliases and table folders, a database file is named by its path (the session
        // opens it as an SQLite database). The session knows a database component's name as
        // well: a data set of the document names its connection so, whatever the connection's
        // driver (a server has no file to find).
        if (Session().IsAlias(name) || (!name.isEmpty() && QFileInfo(Session().DatabasePath(name, owner)).exists()))
            return true;
        const TDatabase* db = owner && !Trim(name).isEmpty() ? Session().FindDatabase(name, owner) : nullptr;
        return db && db->Owner() == owner;
    } catch (...) {
        return false;
    }
}

bool TAnexoRelatorio::IsDataSetDatabaseValid() const
{
    if (!FReport)
        return false;
    auto* ds = dynamic_cast<TDBDataSet*>(FReport->DataSet());
    if (!ds || ds->DatabaseName().isEmpty())
        return false;
    return IsValidAliasOrDirectory(ds->DatabaseName(), ds->Owner());
}

QString TAnexoRelatorio::GetAliasName()
{
    if (TDatabase* db = GetDatabase())
        return db->AliasName();
    auto* ds = FReport ? dynamic_cast<TDBDataSet*>(FReport->DataSet()) : nullptr;
    return ds ? ds->DatabaseName() : QString();
}

QString TAnexoRelatorio::GetConnectionName()
{
    if (TDatabase* db = GetDatabase())
        return db->DatabaseName();
    auto* ds = FReport ? dynamic_cast<TDBDataSet*>(FReport->DataSet()) : nullptr;
    return ds ? ds->DatabaseName() : QString();
}

bool TAnexoRelatorio::OpenDataSet(bool showMessages)
{
    TDataSet* ds = FReport ? FReport->DataSet() : nullptr;
    if (!ds) {
        if (showMessages)
            MessageBox(QStringLiteral("A Tabela para este arquivo não foi definida"), MB_OK | MB_ICONSTOP);
        return false;
    }
    if (!ds->Active()) {
        // The document's own database connects through the document, which asks for a login
        // the server refuses.
        const auto* onDatabase = dynamic_cast<const TDBDataSet*>(ds);
        TDatabase* db = GetDatabase();
        if (db && !db->Connected() && !FConnecting && onDatabase &&
            onDatabase->DatabaseName().compare(db->DatabaseName(), Qt::CaseInsensitive) == 0)
            SetConnected(true);
        ds->SetActive(true);
        if (!ds->Active()) {
            if (showMessages)
                MessageBox(QStringLiteral("A Tabela para este arquivo não pode ser aberta"), MB_OK | MB_ICONSTOP);
            return false;
        }
    }
    CloseOtherDataSets();
    return true;
}

void TAnexoRelatorio::CloseOtherDataSets()
{
    TDataSet* mine = FReport ? FReport->DataSet() : nullptr;
    for (int i = 0; i < FRoot->ComponentCount(); ++i)
        if (auto* ds = dynamic_cast<TDataSet*>(FRoot->Components(i)); ds && ds != mine && ds->Active())
            ds->Close();
}

// ---- fields ------------------------------------------------------------------------------------

void TAnexoRelatorio::BindDataFields(QStringList* combo)
{
    QStringList names;
    TDataSet* ds = FReport ? FReport->DataSet() : nullptr;
    const bool valid = ds && IsDataSetDatabaseValid();
    if (valid)
        for (int i = 0; i < ds->FieldCount(); ++i)
            names << ds->Fields(i)->FieldName();
    auto listed = [&names](const QString& field) {
        for (const QString& n : names)
            if (n.compare(field, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    if (valid) {
        for (int i = 0; i < FRoot->ComponentCount(); ++i) {
            TComponent* c = FRoot->Components(i);
            auto* control = dynamic_cast<TControl*>(c);
            const TPersistent* parent = control ? control->Parent() : nullptr;
            if (ClassIs(parent, "TKVObs") || ClassIs(parent, "TKVColunaSql") || ClassIs(parent, "TKVColuna"))
                continue;
            if (auto* text = dynamic_cast<TKVDBText*>(c)) {
                if (ClassIs(text, "TKVBarcode") && text->DataField().isEmpty())
                    continue;
                if (!text->DataSet())
                    text->SetDataSet(ds);
                if (!names.isEmpty() && !listed(text->DataField()) && !names.first().isEmpty())
                    text->SetDataField(names.first());
            } else if (auto* picture = dynamic_cast<TKVDBImage*>(c)) {
                if (!picture->DataSet())
                    picture->SetDataSet(ds);
                if (!names.isEmpty() && !listed(picture->DataField()) && !names.first().isEmpty())
                    picture->SetDataField(names.first());
            }
        }
    }
    if (combo)
        *combo = names;
}

// ---- field lists of column grids and item areas ----

namespace {

void BindQueryFields(TControl* control, TDataSet* query, QStringList* combo)
{
    QStringList names;
    if (query) {
        try {
            if (!query->Active())
                query->Open();
            for (int i = 0; i < query->FieldCount(); ++i)
                names << query->Fields(i)->FieldName();
        } catch (...) {
            // A query that cannot open has no fields to offer; its own editor tells why.
            names.clear();
        }
    }
    if (combo)
        *combo = names;
    if (names.isEmpty() || !control)
        return;
    if (auto* text = dynamic_cast<TKVDBText*>(control)) {
        if (text->DataField().isEmpty() && !ClassIs(text, "TKVBarcode"))
            text->SetDataField(names.first());
        if (!text->DataSet())
            text->SetDataSet(query);
    } else if (auto* picture = dynamic_cast<TKVDBImage*>(control)) {
        if (picture->DataField().isEmpty())
            picture->SetDataField(names.first());
        if (!picture->DataSet())
            picture->SetDataSet(query);
    }
}

} // namespace

void TAnexoRelatorio::BindColumnFields(TControl* control, TKVColunaSql* columnBand, QStringList* combo)
{
    BindQueryFields(control, columnBand ? columnBand->Col_DataSet() : nullptr, combo);
}

void TAnexoRelatorio::BindObsFields(TControl* control, TKVItensObs* itemArea, QStringList* combo)
{
    BindQueryFields(control, itemArea ? itemArea->Obs_DataSet() : nullptr, combo);
}

} // namespace tessiv
