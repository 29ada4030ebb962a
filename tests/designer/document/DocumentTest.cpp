// Report files, new documents, saving, the data connection and field binding.

#include "DesignerFixture.h"

#include "designer/document/Hidden.h"
#include "designer/document/ReportFile.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVLabel.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/data/DBTables.h"
#include "platform/data/DataSet.h"
#include "platform/data/Database.h"
#include "platform/data/Field.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <memory>

namespace designertest {

using namespace tessiv;

namespace {

using TDocPtr = std::unique_ptr<TAnexoRelatorio>;

TKVBand* DetailOf(TVardoRep* report)
{
    for (TKVCustomBand* band : report->BandList())
        if (auto* b = dynamic_cast<TKVBand*>(band); b && b->BandType() == rbDetail)
            return b;
    return nullptr;
}

// A new document over the table CLIENTES of the alias, with a label and a data text on its detail.
TDocPtr LabelDocument(THost* host, const QString& alias, const QString& caption)
{
    TDocPtr doc(NewReportDocument(host));
    TfmHidden* root = doc->Root();
    auto* table = new TTable(root);
    table->SetName(QStringLiteral("Tabela"));
    table->SetDatabaseName(alias);
    table->SetTableName(QStringLiteral("CLIENTES"));
    doc->Report()->SetDataSet(table);
    TKVBand* detail = DetailOf(doc->Report());
    auto* label = new TKVLabel(root);
    label->SetName(QStringLiteral("Rotulo"));
    label->SetParent(detail);
    label->SetCaption(caption);
    auto* text = new TKVDBText(root);
    text->SetName(QStringLiteral("Nome"));
    text->SetParent(detail);
    text->SetDataSet(table);
    text->SetDataField(QStringLiteral("NOME"));
    return doc;
}

} // namespace

class DocumentTest : public DesignerTest {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        MakeSqlite(QStringLiteral("LOJA"),
                   {QStringLiteral("CREATE TABLE CLIENTES (ID INTEGER, NOME VARCHAR(30), UF CHAR(2), QTD INTEGER)"),
                    QStringLiteral("INSERT INTO CLIENTES VALUES (1, 'Ana', 'SP', 2), (2, 'Bia', 'RJ', 5), "
                                   "(3, 'Caio', 'SP', 3), (4, 'Davi', 'MG', 1), (5, 'Eva', 'SP', 4)")});
    }
};

TEST_F(DocumentTest, ASavedDocumentIsAResourceFileThatReadsAndSavesToTheSameBytes)
{
    TDocPtr doc = LabelDocument(&Host, QStringLiteral("LOJA"), QStringLiteral("Cliente"));
    const QString first = Path(QStringLiteral("arq_a.KVR"));
    ASSERT_TRUE(doc->SaveToFile(first));
    const QByteArray bytes = ReadFile(first);
    ASSERT_GT(bytes.size(), 23);
    const QByteArray head = QByteArray::fromHex("FF0A00") + "TFMHIDDEN" + QByteArray::fromHex("003010");
    EXPECT_EQ(bytes.left(head.size()), head);
    quint32 size = 0;
    std::memcpy(&size, bytes.constData() + head.size(), 4);
    EXPECT_EQ(qsizetype(size), bytes.size() - 19);
    EXPECT_EQ(bytes.mid(19, 4), QByteArray("TPF0"));

    TDocPtr again(OpenReportDocument(&Host, first));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->FileName(), first);
    const QString second = Path(QStringLiteral("arq_b.KVR"));
    ASSERT_TRUE(again->SaveToFile(second));
    // The report title and database name follow the file name: compare the streams bar that.
    EXPECT_EQ(TextFromResource(ReadFile(second)).replace("arq_b", "arq_a").toStdString(), TextFromResource(bytes).toStdString());
    EXPECT_EQ(ReadFile(second).replace("arq_b", "arq_a"), bytes);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(DocumentTest, OpeningRepairsInMemoryAndNeverWritesTheFile)
{
    TDocPtr doc = LabelDocument(&Host, QStringLiteral("LOJA"),
                                QStringLiteral("Active = True, Bar_Caption e OnCreate = FormCreate"));
    const QString file = Path(QStringLiteral("antigo.KVR"));
    ASSERT_TRUE(doc->SaveToFile(file));
    doc.reset();
    // As an older version wrote it: the table stored open, the root with a create handler.
    QByteArray text = TextFromResource(ReadFile(file));
    text.replace("  Caption = 'fmHidden'", "  Caption = 'fmHidden'\r\n  OnCreate = FormCreate");
    text.replace("    TableName = 'CLIENTES'", "    Active = True\r\n    TableName = 'CLIENTES'");
    ASSERT_TRUE(text.contains("OnCreate = FormCreate"));
    ASSERT_TRUE(text.contains("    Active = True"));
    const QByteArray stored = ResourceFromText(text);
    WriteFile(file, stored);
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadUser);
    const QDateTime modified = QFileInfo(file).lastModified();

    TDocPtr opened(OpenReportDocument(&Host, file));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(ReadFile(file), stored);
    EXPECT_EQ(QFileInfo(file).lastModified(), modified);
    ASSERT_NE(opened->Report()->DataSet(), nullptr);
    EXPECT_FALSE(opened->Report()->DataSet()->Active());
    auto* label = dynamic_cast<TKVLabel*>(opened->Root()->FindComponent(QStringLiteral("Rotulo")));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Caption(), QStringLiteral("Active = True, Bar_Caption e OnCreate = FormCreate"));
    EXPECT_TRUE(opened->OpenDataSet(true));
    EXPECT_TRUE(Boxes.empty());
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(DocumentTest, TheLegacyRepairRenamesOnlyPropertiesAndDropsOnlyTheRootsHandler)
{
    const QByteArray text =
        "object fmHidden: TfmHidden\r\n"
        "  OnCreate = FormCreate\r\n"
        "  object Codigo: TKVLabel\r\n"
        "    Bar_Caption = 'Bar_Caption = x'\r\n"
        "    OnCreate = Outro\r\n"
        "    Caption = 'Active = True'\r\n"
        "    Active = True\r\n"
        "  end\r\n"
        "  object Base: TDatabase\r\n"
        "    Connected = True\r\n"
        "  end\r\n"
        "end\r\n";
    const TRepairedStream basic = RepairReportResource(ResourceFromText(text), TReportRepair::Basic);
    EXPECT_EQ(basic.ActiveRemoved, 1);
    EXPECT_EQ(basic.OnCreateRemoved, 0);
    EXPECT_EQ(basic.ConnectAfterRead, QStringList{QStringLiteral("Base")});
    const TRepairedStream legacy = RepairReportResource(ResourceFromText(text), TReportRepair::Legacy);
    const QByteArray repaired = TextFromResource(legacy.Resource);
    EXPECT_EQ(repaired,
              "object fmHidden: TfmHidden\r\n"
              "  object Codigo: TKVLabel\r\n"
              "    Bar_Text = 'Bar_Caption = x'\r\n"
              "    OnCreate = Outro\r\n"
              "    Caption = 'Active = True'\r\n"
              "  end\r\n"
              "  object Base: TDatabase\r\n"
              "  end\r\n"
              "end\r\n");
    EXPECT_THROW(RepairReportResource(QByteArray("not a report file at all"), TReportRepair::Basic), EInvalidImage);
}

TEST_F(DocumentTest, AFailedFirstReadLeavesNothingInTheRetry)
{
    // The first read fails on the root's old create handler after the root's caption was set and
    // the report made; the retry reads into a fresh root, so nothing is there twice.
    const QByteArray text =
        "object fmHidden: TfmHidden\r\n"
        "  Caption = 'x'\r\n"
        "  OnCreate = FormCreate\r\n"
        "  object KelvoraRelatorio: TVardoRep\r\n"
        "  end\r\n"
        "  object Extra: TTable\r\n"
        "  end\r\n"
        "end\r\n";
    const QString file = Path(QStringLiteral("handler.KVR"));
    WriteFile(file, ResourceFromText(text));
    TDocPtr doc(OpenReportDocument(&Host, file));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Root()->ComponentCount(), 2);
    EXPECT_NE(doc->Root()->FindComponent(QStringLiteral("Extra")), nullptr);
    EXPECT_EQ(doc->Root()->Caption(), QStringLiteral("x"));
    EXPECT_EQ(ReadFile(file), ResourceFromText(text));
}

TEST_F(DocumentTest, AMissingFileIsToldAndAStreamWithoutAReportGivesNothingSilently)
{
    const QString missing = Path(QStringLiteral("nada.KVR"));
    EXPECT_EQ(OpenReportDocument(&Host, missing), nullptr);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, QStringLiteral("O arquivo ") + missing + QStringLiteral(" não pode ser encontrado. Verifique !"));
    EXPECT_EQ(Boxes[0].Caption, Application().Title());
    EXPECT_EQ(Boxes[0].Type, mtWarning);
    Boxes.clear();

    const QString noReport = Path(QStringLiteral("tabela.KVR"));
    WriteFile(noReport, ResourceFromText("object fmHidden: TfmHidden\r\n"
                                         "  object Tabela: TTable\r\n"
                                         "  end\r\n"
                                         "end\r\n"));
    EXPECT_EQ(OpenReportDocument(&Host, noReport), nullptr);
    EXPECT_TRUE(Boxes.empty());

    const QString garbage = Path(QStringLiteral("lixo.KVR"));
    WriteFile(garbage, "lixo");
    EXPECT_THROW(OpenReportDocument(&Host, garbage), EInvalidImage);
    EXPECT_EQ(ReadFile(garbage), QByteArray("lixo"));
}

TEST_F(DocumentTest, NewDocumentsTakeTheNextFreeNameInTheDocumentsFolder)
{
    const QString folder = DefaultDocumentFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    WriteFile(folder + QStringLiteral("Tessiv1.KVR"), "x");
    TDocPtr first(NewReportDocument(&Host));
    EXPECT_EQ(first->FileName(), folder + QStringLiteral("Tessiv2.KVR"));
    EXPECT_EQ(first->Report()->ReportTitle(), QStringLiteral("Tessiv2.KVR"));
    Host.Captions << QStringLiteral("Tessiv2.KVR");
    TDocPtr second(NewReportDocument(&Host));
    EXPECT_EQ(second->FileName(), folder + QStringLiteral("Tessiv3.KVR"));
    ASSERT_NE(DetailOf(second->Report()), nullptr);
    EXPECT_EQ(second->Report()->Hint(), QStringLiteral("0"));
}

TEST_F(DocumentTest, NewDocumentsGoToTheDesktopsDocumentsFolderMadeWhenMissingElseHome)
{
    struct Case {
        const char* Account;
        QByteArray UserDirs;    // the desktop's user-dirs.dirs; none when empty
        bool DocumentsIsAFile;  // ~/Documents cannot become a folder
        QString Folder;         // where the new document is named, relative to the account's home
    } cases[] = {
        {"fresca", {}, false, QStringLiteral("Documents/")},
        {"portugues", "XDG_DOCUMENTS_DIR=\"$HOME/Documentos\"\n", false, QStringLiteral("Documentos/")},
        {"absoluta", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"@/pastas/meus docs\"\n", false,
         QStringLiteral("pastas/meus docs/")},
        {"bloqueada", {}, true, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Account);
        const QString home = Path(QLatin1String(c.Account));
        ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/.config")));
        qputenv("HOME", home.toUtf8());
        qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toUtf8());
        if (!c.UserDirs.isEmpty())
            WriteFile(home + QStringLiteral("/.config/user-dirs.dirs"), QByteArray(c.UserDirs).replace('@', home.toUtf8()));
        if (c.DocumentsIsAFile)
            WriteFile(home + QStringLiteral("/Documents"), "x");
        TDocPtr doc(NewReportDocument(&Host));
        EXPECT_EQ(doc->FileName(), home + QLatin1Char('/') + c.Folder + QStringLiteral("Tessiv1.KVR"));
        EXPECT_TRUE(doc->SaveToFile(doc->FileName()));
        EXPECT_TRUE(QFileInfo(doc->FileName()).isFile());
    }
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(DocumentTest, SavingOverAnotherFileAsksAndNoLeavesBothFiles)
{
    TDocPtr doc = LabelDocument(&Host, QStringLiteral("LOJA"), QStringLiteral("A"));
    const QString mine = Path(QStringLiteral("meu.KVR"));
    const QString other = Path(QStringLiteral("outro.KVR"));
    ASSERT_TRUE(doc->SaveToFile(mine));
    ASSERT_TRUE(doc->SaveToFile(mine)); // its own file: no question
    EXPECT_TRUE(Boxes.empty());
    WriteFile(other, "outro");
    Answer = IDNO;
    EXPECT_FALSE(doc->SaveToFile(other));
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, QStringLiteral("Arquivo outro.KVR já existente, deseja sobrepor?"));
    EXPECT_EQ(Boxes[0].Type, mtConfirmation);
    EXPECT_EQ(ReadFile(other), QByteArray("outro"));
    EXPECT_EQ(doc->FileName(), mine);
    Answer = IDYES;
    EXPECT_TRUE(doc->SaveToFile(other));
    EXPECT_EQ(doc->FileName(), other);
    EXPECT_EQ(ReadFile(other).left(3), QByteArray::fromHex("FF0A00"));
    // A write that fails keeps the document's name and title.
    EXPECT_ANY_THROW(doc->SaveToFile(Path(QStringLiteral("sem/pasta/x.KVR"))));
    EXPECT_EQ(doc->FileName(), other);
    EXPECT_EQ(doc->Report()->ReportTitle(), QStringLiteral("outro.KVR"));
}

TEST_F(DocumentTest, SavingClosesTheOtherDataSetsAndNeverWritesALoginPassword)
{
    TDocPtr doc = LabelDocument(&Host, QStringLiteral("LOJA"), QStringLiteral("A"));
    auto* other = new TQuery(doc->Root());
    other->SetName(QStringLiteral("Outra"));
    other->SetDatabaseName(QStringLiteral("LOJA"));
    TStringList sql;
    sql.Add(QStringLiteral("SELECT * FROM CLIENTES"));
    other->SetSQL(&sql);
    other->Open();
    ASSERT_TRUE(doc->OpenDataSet(false));
    EXPECT_FALSE(other->Active());
    other->Open();

    TDatabase* db = doc->EnsureDatabase();
    EXPECT_FALSE(db->LoginPrompt);
    db->SetAliasName(QStringLiteral("LOJA"));
    SetLoginDialog([](const QString&, QString& user, QString& password) {
        user = QStringLiteral("operador");
        password = QStringLiteral("senhaSecreta123");
        return true;
    });
    ASSERT_TRUE(doc->Login());
    EXPECT_EQ(db->Params()->Values(QStringLiteral("PASSWORD")), QStringLiteral("senhaSecreta123"));
    const QString file = Path(QStringLiteral("senha.KVR"));
    ASSERT_TRUE(doc->SaveToFile(file));
    EXPECT_FALSE(other->Active());
    EXPECT_TRUE(doc->Report()->DataSet()->Active());
    const QByteArray bytes = ReadFile(file);
    EXPECT_FALSE(bytes.contains("senhaSecreta123"));
    EXPECT_TRUE(bytes.contains("operador"));
    // The database is named after the file, and so is the report.
    EXPECT_EQ(db->DatabaseName(), QStringLiteral("senha.KVR"));
    EXPECT_EQ(doc->Report()->ReportTitle(), QStringLiteral("senha.KVR"));
}

TEST_F(DocumentTest, AStoredConnectionIsMadeAfterReadingAndItsFailureKeepsTheDocument)
{
    TDocPtr doc = LabelDocument(&Host, QStringLiteral("LOJA"), QStringLiteral("A"));
    TDatabase* db = doc->EnsureDatabase();
    db->SetName(QStringLiteral("Base"));
    db->SetAliasName(QStringLiteral("LOJA"));
    const QString good = Path(QStringLiteral("conectado.KVR"));
    ASSERT_TRUE(doc->SaveToFile(good));
    doc.reset();
    QByteArray text = TextFromResource(ReadFile(good));
    ASSERT_TRUE(text.contains("AliasName = 'LOJA'"));
    text.replace("AliasName = 'LOJA'", "AliasName = 'LOJA'\r\n    Connected = True");
    WriteFile(good, ResourceFromText(text));
    {
        TDocPtr opened(OpenReportDocument(&Host, good));
        ASSERT_NE(opened, nullptr);
        ASSERT_NE(opened->GetDatabase(), nullptr);
        EXPECT_TRUE(opened->GetDatabase()->Connected());
        EXPECT_TRUE(Boxes.empty());
    }
    // An alias that is gone: the error is shown, the document is whole.
    QByteArray broken = text;
    broken.replace("AliasName = 'LOJA'", "AliasName = 'SUMIU'");
    const QString bad = Path(QStringLiteral("quebrado.KVR"));
    WriteFile(bad, ResourceFromText(broken));
    TDocPtr opened(OpenReportDocument(&Host, bad));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(Boxes.size(), 1u);
    EXPECT_FALSE(opened->GetDatabase()->Connected());
    EXPECT_NE(opened->Root()->FindComponent(QStringLiteral("Nome")), nullptr);
    EXPECT_NE(opened->Root()->FindComponent(QStringLiteral("Tabela")), nullptr);
}

TEST_F(DocumentTest, AClosedDocumentFreesEverythingItOwned)
{
    struct TWatch : TComponent {
        explicit TWatch(TComponent* owner, bool* gone) : TComponent(owner), Gone(gone) {}
        ~TWatch() override { *Gone = true; }
        bool* Gone;
    };
    bool rootGone = false;
    TDocPtr doc = LabelDocument(&Host, QStringLiteral("LOJA"), QStringLiteral("A"));
    ASSERT_TRUE(doc->OpenDataSet(false));
    doc->EnsureDatabase();
    // The root is a component like any other: a watcher on it goes with it.
    auto* root = doc->Root();
    auto* watch = new TWatch(nullptr, &rootGone);
    root->InsertComponent(watch);
    doc.reset();
    EXPECT_TRUE(rootGone);
}

TEST_F(DocumentTest, OpeningTheDataSetTellsWhatIsMissing)
{
    TDocPtr bare(NewReportDocument(&Host));
    EXPECT_FALSE(bare->OpenDataSet(false));
    EXPECT_TRUE(Boxes.empty());
    EXPECT_FALSE(bare->OpenDataSet(true));
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, QStringLiteral("A Tabela para este arquivo não foi definida"));
    EXPECT_EQ(Boxes[0].Type, mtError);
}

TEST_F(DocumentTest, BindingRebindsDataTextsToAFieldTheTableHas)
{
    TDocPtr doc = LabelDocument(&Host, QStringLiteral("LOJA"), QStringLiteral("A"));
    auto* text = dynamic_cast<TKVDBText*>(doc->Root()->FindComponent(QStringLiteral("Nome")));
    text->SetDataField(QStringLiteral("SUMIDO"));
    auto* loose = new TKVDBText(doc->Root());
    loose->SetName(QStringLiteral("Solto"));
    loose->SetParent(DetailOf(doc->Report()));
    loose->SetDataField(QStringLiteral("uf"));
    ASSERT_TRUE(doc->OpenDataSet(false));
    QStringList combo{QStringLiteral("velho")};
    doc->BindDataFields(&combo);
    EXPECT_EQ(combo, (QStringList{"ID", "NOME", "UF", "QTD"}));
    EXPECT_EQ(text->DataField(), QStringLiteral("ID"));
    EXPECT_EQ(loose->DataField(), QStringLiteral("uf"));
    EXPECT_EQ(loose->DataSet(), doc->Report()->DataSet());
}

TEST_F(DocumentTest, AliasesAndFolders)
{
    EXPECT_FALSE(TAnexoRelatorio::AliasNeedsDatabase(QStringLiteral("LOJA")));
    EXPECT_FALSE(TAnexoRelatorio::AliasNeedsDatabase(QStringLiteral("NAO_EXISTE")));
    TStringList p;
    p.Add(QStringLiteral("DSN=Vendas"));
    Session().AddAlias(QStringLiteral("SERVIDOR"), QStringLiteral("ODBC"), &p);
    EXPECT_TRUE(TAnexoRelatorio::AliasNeedsDatabase(QStringLiteral("SERVIDOR")));
    EXPECT_TRUE(TAnexoRelatorio::IsValidAliasOrDirectory(QStringLiteral("LOJA")));
    EXPECT_TRUE(TAnexoRelatorio::IsValidAliasOrDirectory(FDir.path()));
    EXPECT_FALSE(TAnexoRelatorio::IsValidAliasOrDirectory(Path(QStringLiteral("nenhuma"))));
    // A database file, named by its path.
    WriteFile(Path(QStringLiteral("dados.db")), QByteArray());
    EXPECT_TRUE(TAnexoRelatorio::IsValidAliasOrDirectory(Path(QStringLiteral("dados.db"))));
}

} // namespace designertest
