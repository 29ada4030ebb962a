// Data components in report files: what is read is written back byte for byte, a password never
// reaches the file, and an open dataset is stored open.

#include "platform/core/ClassRegistry.h"
#include "platform/core/ObjectText.h"
#include "platform/core/Reader.h"
#include "platform/core/Streams.h"
#include "platform/core/Writer.h"
#include "platform/data/DBError.h"
#include "platform/data/DBTables.h"

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>

using namespace tessiv;

namespace {

class TDataRoot : public TComponent {
    TESSIV_CLASS(TDataRoot, TComponent)
public:
    using TComponent::TComponent;
    // As a form: the components it owns, fields under their datasets.
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override
    {
        for (int i = 0; i < ComponentCount(); ++i)
            if (!Components(i)->GetParentComponent() || Components(i)->GetParentComponent() == this)
                proc(Components(i));
    }
};

} // namespace

TESSIV_IMPLEMENT_CLASS(TDataRoot, TComponent, )

namespace {

using RootPtr = std::unique_ptr<TComponent, TComponentDeleter>;

QByteArray Write(TComponent* root)
{
    TMemoryStream s;
    TWriter w(s);
    w.WriteRootComponent(root);
    return s.Bytes();
}

RootPtr Read(const QByteArray& bytes)
{
    TMemoryStream s(bytes);
    TReader r(s);
    return RootPtr(r.ReadRootComponent(nullptr));
}

class DataStreaming : public testing::Test {
protected:
    void SetUp() override
    {
        RegisterDataClasses();
        RegisterClasses({&TDataRoot::StaticClass()});
        ASSERT_TRUE(FDir.isValid());
        Session().SetConfigFile(FDir.filePath(QStringLiteral("Aliases.INI")));
        Session().SetDataFolder(FDir.filePath(QStringLiteral("data")));
        const QString file = FDir.filePath(QStringLiteral("loja.db"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("stream-setup"));
            db.setDatabaseName(file);
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE CLIENTES (ID INTEGER PRIMARY KEY, NOME VARCHAR(30), UF CHAR(2))")));
            ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO CLIENTES VALUES (1, 'Ana', 'SP'), (2, 'Bruno', 'RJ')")));
            ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE ITENS (CLIENTE INTEGER, PRODUTO VARCHAR(20))")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("stream-setup"));
        TStringList p;
        p.Add(QStringLiteral("PATH=") + file);
        Session().AddAlias(QStringLiteral("LOJA"), QStringLiteral("SQLITE"), &p);
    }
    QTemporaryDir FDir;
};

// Every data class with the properties it publishes set away from their defaults, those we use and
// those we only keep alike.
const char* kForm = R"(object Raiz: TDataRoot
  object Banco: TDatabase
    AliasName = 'LOJA'
    DatabaseName = 'BANCO'
    HandleShared = True
    KeepConnection = False
    LoginPrompt = False
    Params.Strings = (
      'USER NAME=ana')
    ReadOnly = True
    SessionName = 'Outra'
    TransIsolation = tiDirtyRead
  end
  object Clientes: TTable
    Active = True
    AutoCalcFields = False
    Filter = 'NOME = ''A*'''
    Filtered = True
    FilterOptions = [foCaseInsensitive]
    CachedUpdates = True
    DatabaseName = 'BANCO'
    ObjectView = True
    UpdateMode = upWhereKeyOnly
    Exclusive = True
    MasterFields = 'ID'
    ReadOnly = True
    TableName = 'CLIENTES'
    TableType = ttParadox
    TableLevel = 4
    object ClientesNOME: TStringField
      DisplayLabel = 'Nome do cliente'
      DisplayWidth = 12
      FieldName = 'NOME'
      Size = 30
    end
  end
  object dsClientes: TDataSource
    AutoEdit = False
    DataSet = Clientes
    Enabled = False
  end
  object Itens: TQuery
    DatabaseName = 'BANCO'
    Constrained = True
    DataSource = dsClientes
    RequestLive = True
    SQL.Strings = (
      'SELECT PRODUTO FROM ITENS'
      'WHERE CLIENTE = :ID')
    UniDirectional = True
    ParamData = <
      item
        DataType = ftInteger
        Name = 'ID'
        ParamType = ptInput
      end>
  end
end
)";

TEST_F(DataStreaming, ReadThenWriteKeepsEveryByte)
{
    const QByteArray binary = ObjectTextToBinary(QByteArray(kForm));
    RootPtr root = Read(binary);
    const QByteArray first = Write(root.get());
    RootPtr again = Read(first);
    EXPECT_EQ(Write(again.get()), first);

    // The properties we only keep come back too.
    const QString text = QString::fromLatin1(ObjectBinaryToText(first));
    for (const char* kept : {"TableType = ttParadox", "TableLevel = 4", "UpdateMode = upWhereKeyOnly",
                             "ObjectView = True", "UniDirectional = True", "Constrained = True",
                             "TransIsolation = tiDirtyRead", "SessionName = 'Outra'", "HandleShared = True",
                             "FilterOptions = [foCaseInsensitive]", "DisplayLabel = 'Nome do cliente'",
                             "'WHERE CLIENTE = :ID'", "Name = 'ID'", "Enabled = False", "DataSource = dsClientes"})
        EXPECT_TRUE(text.contains(QLatin1String(kept))) << kept << "\n" << text.toStdString();

    // What was read is in force: the table opened over the database component, filtered.
    auto* clientes = static_cast<TTable*>(again->FindComponent(QStringLiteral("Clientes")));
    ASSERT_NE(clientes, nullptr);
    EXPECT_TRUE(clientes->Active());
    EXPECT_EQ(clientes->RecordCount(), 1);
    EXPECT_EQ(clientes->FieldByName(QStringLiteral("NOME"))->DisplayLabel(), "Nome do cliente");
    EXPECT_EQ(clientes->Database(), again->FindComponent(QStringLiteral("Banco")));
    auto* itens = static_cast<TQuery*>(again->FindComponent(QStringLiteral("Itens")));
    ASSERT_NE(itens, nullptr);
    EXPECT_EQ(itens->SQL()->Count(), 2);
    EXPECT_EQ(itens->ParamByName(QStringLiteral("ID"))->DataType, ftInteger);
    EXPECT_EQ(itens->DataSource(), again->FindComponent(QStringLiteral("dsClientes")));
}

TEST_F(DataStreaming, APasswordNeverReachesTheFile)
{
    RootPtr root(new TDataRoot(nullptr));
    root->SetName(QStringLiteral("Raiz"));
    auto* db = new TDatabase(root.get());
    db->SetName(QStringLiteral("Banco"));
    db->SetAliasName(QStringLiteral("LOJA"));
    db->Params()->Add(QStringLiteral("USER NAME=ana"));
    db->Params()->Add(QStringLiteral("PASSWORD=segredo"));
    db->Params()->Add(QStringLiteral(" password = outro"));
    const QByteArray bytes = Write(root.get());
    EXPECT_FALSE(bytes.contains("segredo"));
    EXPECT_FALSE(bytes.contains("outro"));
    EXPECT_TRUE(bytes.contains("USER NAME=ana"));
    // The password stays in memory for the connection.
    EXPECT_EQ(db->Params()->Values(QStringLiteral("PASSWORD")), "segredo");

    // Only a password: no parameter lines at all.
    db->Params()->Clear();
    db->Params()->Add(QStringLiteral("PASSWORD=segredo"));
    const QString text = QString::fromLatin1(ObjectBinaryToText(Write(root.get())));
    EXPECT_FALSE(text.contains(QLatin1String("Params"))) << text.toStdString();
}

TEST_F(DataStreaming, AnOpenDataSetIsStoredOpen)
{
    RootPtr root(new TDataRoot(nullptr));
    root->SetName(QStringLiteral("Raiz"));
    auto* t = new TTable(root.get());
    t->SetName(QStringLiteral("Clientes"));
    t->SetDatabaseName(QStringLiteral("LOJA"));
    t->SetTableName(QStringLiteral("CLIENTES"));
    auto* q = new TQuery(root.get());
    q->SetName(QStringLiteral("Consulta"));
    q->SetDatabaseName(QStringLiteral("LOJA"));
    q->SQL()->SetText(QStringLiteral("SELECT * FROM CLIENTES"));
    t->Open();
    const QString text = QString::fromLatin1(ObjectBinaryToText(Write(root.get())));
    EXPECT_EQ(text.count(QLatin1String("Active = True")), 1) << text.toStdString();
    RootPtr copy = Read(Write(root.get()));
    EXPECT_TRUE(static_cast<TTable*>(copy->FindComponent(QStringLiteral("Clientes")))->Active());
    EXPECT_FALSE(static_cast<TQuery*>(copy->FindComponent(QStringLiteral("Consulta")))->Active());
    // Default fields are made at open and are not written.
    EXPECT_FALSE(text.contains(QLatin1String("TStringField")));
}

TEST_F(DataStreaming, AStoredOpenTableThatCannotOpenFailsTheRead)
{
    QByteArray form(kForm);
    form.replace("TableName = 'CLIENTES'", "TableName = 'SUMIU'");
    EXPECT_THROW(Read(ObjectTextToBinary(form)), Exception);
}

} // namespace
