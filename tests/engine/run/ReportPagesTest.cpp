// Where bands land: pages, columns, forced breaks, page headers and footers, the footer reserve,
// bottom-aligned bands and a band that stretches into the next column. An A4 portrait page with
// 10 mm margins all round, lengths in 0.1 mm.

#include "RunFixture.h"

#include "engine/model/KVBands.h"
#include "platform/core/SysUtils.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tessiv;
using namespace enginetest;

namespace {

// "name@page/column x,y" for every print, in order.
QStringList Placed(const TRunDoc& doc)
{
    QStringList out;
    for (const TPrintRecord& r : doc.Log)
        out << QStringLiteral("%1@%2/%3 %4,%5").arg(r.Name).arg(r.Page).arg(r.Column).arg(r.X).arg(r.Y);
    return out;
}

QString At(const char* name, int page, int column, long double x, int y)
{
    return QStringLiteral("%1@%2/%3 %4,%5").arg(QLatin1String(name)).arg(page).arg(column).arg(Round(x)).arg(y);
}

struct TPageCase {
    const char* Name;
    std::function<void(TRunDoc&)> Setup;
    // The expected placements; w is the width of a column (the detail band's), s the column space.
    std::function<QStringList(long double w, long double s)> Expected;
};

void PrintTo(const TPageCase& c, std::ostream* os)
{
    *os << c.Name;
}

class PageGeometryTest : public ::testing::TestWithParam<TPageCase> {};

TEST_P(PageGeometryTest, BandsLandWhereThePageAndColumnRulesPutThem)
{
    const TPageCase& c = GetParam();
    TRunDoc doc;
    c.Setup(doc);
    doc.RunPreview();
    EXPECT_EQ(Placed(doc).join(QStringLiteral(" | ")).toStdString(),
              c.Expected(doc.Report->DetailWidth(), doc.Report->Page()->ColumnSpace()).join(QStringLiteral(" | ")).toStdString());
}

const TPageCase PageCases[] = {
    {"ReverseColumnsFillFromTheRight",
     [](TRunDoc& doc) {
         doc.Report->Page()->SetColumns(3);
         doc.Report->Page()->SetColumnSpace(50);
         doc.Report->SetOptions(doc.Report->Options() + TVardoReportOptions{kvoImprimeVerso});
         doc.Band(QStringLiteral("D"), rbDetail, 1300);
         doc.Report->SetQuantidade(8);
     },
     [](long double w, long double s) {
         const long double right = 100 + (w + s) * 2;
         const int step = static_cast<int>(Round(w + s));
         const int x1 = static_cast<int>(Round(right));
         return QStringList{At("D", 1, 1, x1, 100), At("D", 1, 1, x1, 1400), At("D", 1, 2, x1 - step, 100),
                            At("D", 1, 2, x1 - step, 1400), At("D", 1, 3, x1 - 2 * step, 100),
                            At("D", 1, 3, x1 - 2 * step, 1400), At("D", 2, 1, x1, 100), At("D", 2, 1, x1, 1400)};
     }},
    {"TheFirstForcedPageBreakOnPageOneIsSkipped",
     [](TRunDoc& doc) {
         doc.Report->SetQuantidade(3);
         doc.Band(QStringLiteral("D"), rbDetail, 100)->SetForceNewPage(true);
     },
     [](long double, long double) {
         return QStringList{At("D", 1, 1, 100, 100), At("D", 2, 1, 100, 100), At("D", 3, 1, 100, 100)};
     }},
    {"OnlyTheFirstForcedColumnBreakInColumnOneIsSkipped",
     [](TRunDoc& doc) {
         doc.Report->Page()->SetColumns(2);
         doc.Band(QStringLiteral("D"), rbDetail, 1000)->SetForceNewColumn(true);
         doc.Report->SetQuantidade(3);
     },
     [](long double w, long double s) {
         return QStringList{At("D", 1, 1, 100, 100), At("D", 1, 2, 100 + Round(w + s), 100),
                            At("D", 2, 1, 100, 100)};
     }},
    {"NoPageHeaderOnPageOneWithoutTheOption",
     [](TRunDoc& doc) {
         doc.Report->SetOptions(TVardoReportOptions{kvoLastPageFooter});
         doc.Report->Page()->SetColumns(2);
         doc.Band(QStringLiteral("PH"), rbPageHeader, 150);
         doc.Band(QStringLiteral("T"), rbTitle, 300);
         doc.Band(QStringLiteral("D"), rbDetail, 1300);
         doc.Report->SetQuantidade(5);
     },
     [](long double w, long double s) {
         // Later columns of page 1 start below the title; page 2 starts below its header.
         const long double x2 = 100 + Round(w + s);
         return QStringList{At("T", 1, 1, 100, 100), At("D", 1, 1, 100, 400),  At("D", 1, 2, x2, 400),
                            At("PH", 2, 1, 100, 100), At("D", 2, 1, 100, 250), At("D", 2, 1, 100, 1550),
                            At("D", 2, 2, x2, 250)};
     }},
    {"NoPageFooterOnTheLastPageWithoutTheOptionButTheReportLevelPrintablesStay",
     [](TRunDoc& doc) {
         doc.Report->SetOptions(TVardoReportOptions{kvoFirstPageHeader});
         doc.Band(QStringLiteral("PF"), rbPageFooter, 100);
         doc.Band(QStringLiteral("D"), rbDetail, 2000);
         auto* onReport = new TProbe(doc.Form.get(), &doc.Log, QStringLiteral("R"));
         onReport->SetParent(doc.Report);
         doc.Report->SetQuantidade(2);
     },
     [](long double, long double) {
         return QStringList{At("D", 1, 1, 100, 100),  At("PF", 1, 1, 100, 2770), At("R", 1, 1, 0, 0),
                            At("D", 2, 1, 100, 100), At("R", 2, 1, 0, 0)};
     }},
    {"TheFooterReserveHoldsTheFooterAndItsChild",
     [](TRunDoc& doc) {
         TKVBand* footer = doc.Band(QStringLiteral("PF"), rbPageFooter, 200);
         auto* child = doc.Add<TKVChildBand>(QStringLiteral("C"));
         child->SetParentBand(footer);
         child->Size()->SetHeight(100);
         doc.ProbeOn(child, QStringLiteral("C"));
         doc.Band(QStringLiteral("D"), rbDetail, 500);
         doc.Report->SetQuantidade(5);
     },
     [](long double, long double) {
         // 2970 - 100 - 300 leaves room for four details of 500 from 100.
         return QStringList{At("D", 1, 1, 100, 100),   At("D", 1, 1, 100, 600),   At("D", 1, 1, 100, 1100),
                            At("D", 1, 1, 100, 1600),  At("PF", 1, 1, 100, 2570), At("C", 1, 1, 100, 2770),
                            At("D", 2, 1, 100, 100),   At("PF", 2, 1, 100, 2570), At("C", 2, 1, 100, 2770)};
     }},
    {"ABottomAlignedSummaryLandsRightAboveThePageFooter",
     [](TRunDoc& doc) {
         doc.Band(QStringLiteral("PF"), rbPageFooter, 200);
         doc.Band(QStringLiteral("D"), rbDetail, 300);
         doc.Band(QStringLiteral("S"), rbSummary, 250)->SetAlignToBottom(true);
         doc.Report->SetQuantidade(1);
     },
     [](long double, long double) {
         return QStringList{At("D", 1, 1, 100, 100), At("S", 1, 1, 100, 2970 - 100 - 250 - 200),
                            At("PF", 1, 1, 100, 2670)};
     }},
};

INSTANTIATE_TEST_SUITE_P(Cases, PageGeometryTest, ::testing::ValuesIn(PageCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(PageGeometry, AStretchingBandGoesOnInTheNextColumn)
{
    TRunDoc doc;
    doc.Report->Page()->SetColumns(2);
    TKVBand* detail = doc.Band(QStringLiteral("D"), rbDetail, 500);
    doc.Report->SetQuantidade(6);
    int prints = 0;
    bool broke = false;
    int newTop = -1;
    int shift = -1;
    TProbe* probe = nullptr;
    for (int i = 0; i < doc.Form->ComponentCount(); ++i)
        if (auto* p = dynamic_cast<TProbe*>(doc.Form->Components(i)))
            probe = p;
    ASSERT_NE(probe, nullptr);
    probe->OnPrinted = [&] {
        // The fifth detail, at 2100, grows by 300: 800 no longer fit above 2870.
        if (++prints == 5)
            broke = detail->Expand(newTop, shift, 300);
    };
    doc.RunPreview();
    const long double w = doc.Report->DetailWidth() + doc.Report->Page()->ColumnSpace();
    EXPECT_TRUE(broke);
    EXPECT_EQ(newTop, 100);
    EXPECT_EQ(shift, Round(w));
    // The band's new part is 300 high: the sixth detail follows it in column 2.
    const QStringList placed = Placed(doc);
    ASSERT_EQ(placed.size(), 6);
    EXPECT_EQ(placed[4].toStdString(), At("D", 1, 1, 100, 2100).toStdString());
    EXPECT_EQ(placed[5].toStdString(), At("D", 1, 2, 100 + Round(w), 400).toStdString());
    // The band is back to its designed height for its next print.
    EXPECT_EQ(Round(detail->Size()->Height()), 500);
}

TEST(PageGeometry, AStretchingPageFooterGrowsWhereItIs)
{
    TRunDoc doc;
    TKVBand* footer = doc.Band(QStringLiteral("PF"), rbPageFooter, 200);
    doc.Band(QStringLiteral("D"), rbDetail, 500);
    doc.Report->SetQuantidade(1);
    TProbe* probe = nullptr;
    for (int i = 0; i < doc.Form->ComponentCount(); ++i)
        if (auto* p = dynamic_cast<TProbe*>(doc.Form->Components(i)); p && p->Text == QLatin1String("PF"))
            probe = p;
    int expansions = 0;
    bool broke = true;
    probe->OnPrinted = [&] {
        int newTop = 0;
        int shift = 0;
        ++expansions;
        broke = footer->Expand(newTop, shift, 5000);
    };
    doc.RunPreview();
    EXPECT_EQ(expansions, 1);
    EXPECT_FALSE(broke);
    EXPECT_EQ(doc.PagesRecorded, 1);
}

} // namespace
