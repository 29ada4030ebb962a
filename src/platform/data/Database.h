#pragma once
// TDatabase: a named connection to an alias or a driver with its own parameters, with its login.
// TSession (the global Session()): the aliases of the alias file, the drivers, the table names of a
// database, and the databases that datasets open by name.

#include "platform/core/Component.h"
#include "platform/core/Strings.h"
#include "platform/data/Drivers.h"

#include <QSqlDatabase>

#include <memory>
#include <utility>
#include <vector>

namespace tessiv {

class EDBEngineError;

class TDBDataSet;

enum TTransIsolation { tiDirtyRead, tiReadCommitted, tiRepeatableRead };

// A parameter line as it may be written: empty for a password line, else the line with every
// password of the connection string it holds (ODBC, libpq key/value or URI forms) left out.
QString ParamLineWithoutPasswords(const QString& line);

// The parameter lines of a database; the password line is never written to a stream.
class TDatabaseParams : public TStringList {
public:
    void DefineProperties(TFiler& filer) override;
};

class TDatabase : public TComponent {
    TESSIV_CLASS(TDatabase, TComponent)
public:
    explicit TDatabase(TComponent* owner);
    ~TDatabase() override;

    QString DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const QString& name);
    QString AliasName() const { return FAliasName; }
    void SetAliasName(const QString& name);
    QString DriverName() const { return FDriverName; }
    void SetDriverName(const QString& name);
    TStrings* Params() const { return FParams.get(); }
    bool Connected() const { return FConnected; }
    void SetConnected(bool value);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }
    bool LoginPrompt = true;
    bool KeepConnection = true;
    bool HandleShared = false;
    bool ReadOnly = false;
    TTransIsolation TransIsolation = tiReadCommitted;
    QString SessionName;
    bool Temporary() const { return FTemporary; }

    TEvent<void(TDatabase*, TStrings* loginParams)> OnLogin;
    TEvent<void(TComponent*)> AfterConnect, AfterDisconnect, BeforeConnect, BeforeDisconnect;

    // Open datasets on this database; closing it closes them first.
    int DataSetCount() const { return static_cast<int>(FDataSets.size()); }
    TDBDataSet* DataSets(int index) const { return FDataSets.at(static_cast<std::size_t>(index)); }
    void CloseDataSets();

    // For the datasets. A dataset's batch asked for ahead is read first (see ReadingAhead).
    QSqlDatabase Connection() const;
    // The dataset whose FETCH is on the connection, unread: nothing else may use it until then.
    void SetReadingAhead(TDBDataSet* dataSet) { FReadingAhead = dataSet; }
    TDBDataSet* ReadingAhead() const { return FReadingAhead; }
    TDriverKind Kind() const { return FKind; }
    // The folder of a folder database while connected.
    QString FolderPath() const { return FFolder; }
    void AddDataSet(TDBDataSet* dataSet);
    void RemoveDataSet(TDBDataSet* dataSet);
    // Raises a driver's error about this database. When the connection turns out to be gone, the
    // database first disconnects (closing its datasets), so that the next open connects anew; a
    // temporary database is freed then. The error is DBIERR_CONNECTIONLOST with the driver's words.
    [[noreturn]] void RaiseError(const QSqlError& error);
    // Gives the connection up (it is closed, or its state is no longer known) in the same way,
    // raising DBIERR_CONNECTIONLOST with the message.
    [[noreturn]] void AbandonConnection(const QString& message);
    // What the driver said when a statement no one waits for (closing a cursor) found the
    // connection gone; the next error raised on this database tells it.
    void NoteLostConnection(const QString& message) { FLostMessage = message; }
    // The same for a connection given up here (a wait that ended without an answer): the error
    // says that alone.
    void NoteAbandonedConnection(const QString& message)
    {
        FLostMessage = message;
        FLostAlone = true;
    }
    void Loaded() override;
    // The driver and parameters a connection would use (alias parameters, then the own ones).
    TDriverKind ResolveDriver(QStringList& params) const;

private:
    friend class TSession;
    void DoConnect();
    void DoDisconnect();
    void DropConnection();
    [[noreturn]] void Lose(const EDBEngineError& lost);
    QString FDatabaseName, FAliasName, FDriverName;
    std::unique_ptr<TDatabaseParams> FParams;
    bool FConnected = false;
    bool FStreamedConnected = false;
    bool FTemporary = false;
    TDriverKind FKind = TDriverKind::SQLite;
    QString FConnName;
    QString FLostMessage;
    bool FLostAlone = false;
    QString FFolder;
    std::vector<TDBDataSet*> FDataSets;
    mutable TDBDataSet* FReadingAhead = nullptr;
    bool FClosingDataSets = false; // a temporary database is not freed while it closes them
};

class TSession : public TComponent {
    TESSIV_CLASS(TSession, TComponent)
public:
    explicit TSession(TComponent* owner);
    ~TSession() override;

    // The alias file (INI: one section per alias with DRIVER= and its parameters) and the folder of
    // the default SQLite database. Both default to the user's config and data folders.
    QString ConfigFile() const;
    void SetConfigFile(const QString& fileName) { FConfigFile = fileName; }
    QString DataFolder() const;
    void SetDataFolder(const QString& folder) { FDataFolder = folder; }

    void GetAliasNames(TStrings* list) const;
    void GetAliasParams(const QString& alias, TStrings* list) const;
    QString GetAliasDriverName(const QString& alias) const;
    bool IsAlias(const QString& name) const;
    void GetDriverNames(TStrings* list) const;
    void GetDatabaseNames(TStrings* list) const;
    // The tables of an alias, a TDatabase's name or a folder (a relative one as the owner's
    // components name it, see DatabasePath).
    void GetTableNames(const QString& databaseName, const QString& pattern, bool extensions,
                       bool systemTables, TStrings* list, const TComponent* owner = nullptr);
    void AddAlias(const QString& name, const QString& driver, const TStrings* params);
    void AddStandardAlias(const QString& name, const QString& path, const QString& defaultDriver);
    void DeleteAlias(const QString& name);

    // Databases by name: a TDatabase of that DatabaseName (one with the given owner first, so that
    // each open document uses its own), else a temporary one over the alias or folder of that
    // name. Open connects it; Close frees a temporary one when nothing uses it.
    TDatabase* FindDatabase(const QString& databaseName, const TComponent* owner = nullptr) const;
    // The folder against which the owner's components name database files and folders by relative
    // paths (the folder of the report file they came from); empty clears it. The session forgets
    // it when the owner goes.
    void SetBaseFolder(TComponent* owner, const QString& folder);
    // What a database name stands for: the name itself for an alias, a database component's name,
    // an absolute path or a name nothing stands for; a relative path as the canonical path of the
    // file or folder it names in the owner's base folder, else in the current folder.
    QString DatabasePath(const QString& databaseName, const TComponent* owner) const;
    TDatabase* OpenDatabase(const QString& databaseName, const TComponent* owner = nullptr);
    void CloseDatabase(TDatabase* database);
    void RegisterDatabase(TDatabase* database);
    void UnregisterDatabase(TDatabase* database);

    // Asked for a login when the server refuses a database with LoginPrompt and no OnLogin (no
    // password stored, or a wrong one), up to three times; the user interface installs it.
    // Returns false when the user cancels, which ends the connection with "Login cancelled".
    std::function<bool(const QString& databaseName, TStrings* loginParams)> LoginHook;

    void Notification(TComponent* component, TOperation operation) override;

private:
    void EnsureConfig() const;
    QString FConfigFile, FDataFolder;
    std::vector<TDatabase*> FDatabases;
    std::vector<std::pair<const TComponent*, QString>> FBaseFolders;
};

TSession& Session();

} // namespace tessiv
