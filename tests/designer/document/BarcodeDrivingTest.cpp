// A numbered barcode's printed value: filled on the left up to its length, never cut.

#include "DesignerFixture.h"

#include "designer/document/Hidden.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/model/VardoRep.h"
#include "platform/data/DBTables.h"

#include <memory>

namespace designertest {

using namespace tessiv;

class BarcodeDrivingTest : public DesignerTest {};

TEST_F(BarcodeDrivingTest, ANumberedBarcodeIsFilledOnTheLeftAndNeverCut)
{
    MakeSqlite(QStringLiteral("COD"), {QStringLiteral("CREATE TABLE C (NUM INTEGER)"),
                                       QStringLiteral("INSERT INTO C VALUES (123), (12345678)")});
    std::unique_ptr<TAnexoRelatorio> doc(NewReportDocument(&Host));
    auto* table = new TTable(doc->Root());
    table->SetName(QStringLiteral("C"));
    table->SetDatabaseName(QStringLiteral("COD"));
    table->SetTableName(QStringLiteral("C"));
    doc->Report()->SetDataSet(table);
    TKVCustomBand* detail = doc->Report()->BandList().front();
    auto* bar = new TKVBarcode(doc->Root());
    bar->SetName(QStringLiteral("Codigo"));
    bar->SetParent(detail);
    bar->SetDataSet(table);
    bar->SetDataField(QStringLiteral("NUM"));
    bar->SetIncrementoType(kvIncre);
    bar->SetIncrementoValue(1);
    bar->SetBar_CodeType(CODE39); // a kind of any length
    bar->SetTamanhoMaximo(6);
    bar->SetPreenchimento(QLatin1Char('0'));
    ASSERT_TRUE(doc->OpenDataSet(false));
    table->First();
    doc->PrepareIncrements();
    ASSERT_TRUE(static_cast<bool>(bar->OnPrint));
    QString value = QStringLiteral("123");
    bar->OnPrint(bar, value);
    EXPECT_EQ(value, QStringLiteral("000123"));
    value = QStringLiteral("123");
    bar->OnPrint(bar, value);
    EXPECT_EQ(value, QStringLiteral("000124"));
    table->Next();
    doc->ResetIncrementValues();
    value = QStringLiteral("12345678");
    bar->OnPrint(bar, value);
    EXPECT_EQ(value, QStringLiteral("12345678"));
}

} // namespace designertest
