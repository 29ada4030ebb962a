// The report in files: stored defaults, the page's "Values", writing and reading back, links by
// name, and the old property names.
#include "ReportFixture.h"

#include "engine/model/KVUnits.h"
#include "platform/core/Extended.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Filer.h"
#include "platform/core/SysUtils.h"

#include <gtest/gtest.h>

using namespace tessiv;
using namespace enginetest;

namespace {

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override { SetLocaleUsesInches(false); }
};

QByteArray Ext(std::initializer_list<int> bytes)
{
    QByteArray b;
    b.append(char(vaExtended));
    for (int x : bytes)
        b.append(char(x));
    return b;
}

TEST_F(ReportTest, NewA4PageValuesAreTheGoldenBytes)
{
    TReportDoc doc;
    doc.Report->Page()->SetPaperSize(TKVPaperSize::A4); // whatever the default printer's paper
    const QByteArray bytes = WriteRes(doc.Form.get());
    // BottomMargin 100, Length 2970, TopMargin 100, Width 2100, LeftMargin 100, RightMargin 100,
    // ColumnSpace 0: 10-byte extended, mantissa with its integer bit, exponent biased by 16383.
    const QByteArray hundred = Ext({0, 0, 0, 0, 0, 0, 0, 0xC8, 0x05, 0x40});  // 0xC8 << 56, 2^6
    const QByteArray l2970 = Ext({0, 0, 0, 0, 0, 0, 0xA0, 0xB9, 0x0A, 0x40}); // 0xB9A << 52, 2^11
    const QByteArray w2100 = Ext({0, 0, 0, 0, 0, 0, 0x40, 0x83, 0x0A, 0x40}); // 0x834 << 52, 2^11
    const QByteArray zero = Ext({0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    QByteArray golden = QByteArray("\x0BPage.Values") + char(vaList) + hundred + l2970 + hundred + w2100 + hundred +
                        hundred + zero + char(vaNull);
    EXPECT_TRUE(bytes.contains(golden));
    EXPECT_EQ(EncodeExtended(2970.0L), (TExtendedBytes{0, 0, 0, 0, 0, 0, 0xA0, 0xB9, 0x0A, 0x40}));
}

TEST_F(ReportTest, StoredPropertiesOfANewReport)
{
    TReportDoc doc;
    doc.Report->Page()->SetPaperSize(TKVPaperSize::A4);
    auto* detail = doc.Add<TKVBand>(QStringLiteral("Detalhe1"), rbDetail);
    (void)detail;
    const QString text = QString::fromLatin1(ToText(doc.Form.get()));
    // Only what differs from a declared default, in the order the classes publish it.
    const QStringList expected = {
        QStringLiteral("object Relatorio: TVardoRep"),
        QStringLiteral("Font.Name = 'Arial'"),
        QStringLiteral("Options = [kvoFirstPageHeader, kvoLastPageFooter]"),
        QStringLiteral("Page.PaperSize = A4"),
        QStringLiteral("Page.Orientation = poPortrait"),
        QStringLiteral("Page.Columns = 1"),
        QStringLiteral("Page.Lines = 0"),
        QStringLiteral("Page.AutomaticLines = False"),
        QStringLiteral("Page.Values = ("),
        QStringLiteral("PrintIfEmpty = False"),
        QStringLiteral("PrinterSettings.Copies = 1"),
        QStringLiteral("PrinterSettings.Duplex = False"),
        QStringLiteral("PrinterSettings.OutputBin = First"),
        QStringLiteral("Quantidade = 1"),
        QStringLiteral("SnapToGrid = True"),
        QStringLiteral("TipoImpressaoTermica = kvtiQtdExata"),
        QStringLiteral("Units = kvunMM"),
        QStringLiteral("Zoom = 100"),
        QStringLiteral("object Detalhe1: TKVBand"),
        QStringLiteral("AlignToBottom = False"),
        QStringLiteral("Color = clWhite"),
        QStringLiteral("Size.Values = ("),
        QStringLiteral("BandType = rbDetail"),
    };
    qsizetype at = 0;
    for (const QString& line : expected) {
        const qsizetype found = text.indexOf(line, at);
        EXPECT_GE(found, 0) << line.toStdString();
        if (found >= 0)
            at = found;
    }
    for (const char* absent : {"ShowProgress", "Page.Ruler", "HasChild", "Bands.", "Enabled", "ParentFont",
                               "ReportTitle", "Frame.Style", "Frame.Width"})
        EXPECT_FALSE(text.contains(QLatin1String(absent))) << absent;
}

// A report with every kind of link.
struct TLinkedReport : TReportDoc {
    TKVBand* Title;
    TKVBand* Detail;
    TKVBand* GroupFooter;
    TKVGroup* Group;
    TKVChildBand* Child;
    TKVChildBand* GrandChild;
    TKVSubDetail* Sub;
    TKVBand* Summary;
    TLinkedReport()
    {
        Summary = Add<TKVBand>(QStringLiteral("Sumario1"), rbSummary);
        Detail = Add<TKVBand>(QStringLiteral("Detalhe1"), rbDetail);
        GroupFooter = Add<TKVBand>(QStringLiteral("RodapeGrupo1"), rbDetail);
        Title = Add<TKVBand>(QStringLiteral("Titulo1"), rbTitle);
        Group = Add<TKVGroup>(QStringLiteral("CabecalhoGrupo1"));
        Group->SetExpression(QStringLiteral("Cliente.Nome"));
        Group->SetFooterBand(GroupFooter);
        Child = Add<TKVChildBand>(QStringLiteral("Filha1"));
        Child->SetParentBand(Detail);
        GrandChild = Add<TKVChildBand>(QStringLiteral("Filha2"));
        GrandChild->SetParentBand(Child);
        Sub = Add<TKVSubDetail>(QStringLiteral("SubDetalhe1"));
        Sub->SetPrintBefore(false);
        Report->SetUnits(kvunMM);
        Detail->Size()->SetHeight(12.3L);
        Title->Size()->SetHeight(25.4L);
    }
};

QStringList Names(const std::vector<TKVCustomBand*>& list)
{
    QStringList names;
    for (const TKVCustomBand* b : list)
        names << b->Name();
    return names;
}

TEST_F(ReportTest, BandOrderOfTheList)
{
    TLinkedReport doc;
    EXPECT_EQ(Names(doc.Report->BandList()),
              (QStringList{"Titulo1", "CabecalhoGrupo1", "Detalhe1", "Filha1", "Filha2", "SubDetalhe1",
                           "RodapeGrupo1", "Sumario1"}));
    EXPECT_EQ(doc.GroupFooter->BandType(), rbGroupFooter);
    auto* pageFooter = doc.Add<TKVBand>(QStringLiteral("RodapePagina1"), rbPageFooter);
    auto* pageHeader = doc.Add<TKVBand>(QStringLiteral("CabecalhoPagina1"), rbPageHeader);
    auto* overlay = doc.Add<TKVBand>(QStringLiteral("Overlay1"), rbOverlay);
    (void)pageFooter, (void)pageHeader, (void)overlay;
    doc.Sub->SetPrintBefore(true);
    EXPECT_EQ(Names(doc.Report->BandList()),
              (QStringList{"CabecalhoPagina1", "Titulo1", "CabecalhoGrupo1", "SubDetalhe1", "Detalhe1", "Filha1",
                           "Filha2", "RodapeGrupo1", "Sumario1", "RodapePagina1", "Overlay1"}));
    // Stacked in that order from the top margin down.
    int y = -1;
    for (const TKVCustomBand* b : doc.Report->BandList()) {
        EXPECT_GT(b->Top(), y) << b->Name().toStdString();
        y = b->Top();
    }
}

TEST_F(ReportTest, WrittenAndReadBackToTheLastBit)
{
    TLinkedReport doc;
    const QByteArray first = WriteRes(doc.Form.get());
    TFormPtr form = ReadRes(first);
    TVardoRep* report = ReportOf(form.get());
    ASSERT_TRUE(report);
    EXPECT_EQ(Names(report->BandList()), Names(doc.Report->BandList()));
    for (size_t i = 0; i < report->BandList().size(); ++i) {
        const TKVCustomBand* a = doc.Report->BandList()[i];
        const TKVCustomBand* b = report->BandList()[i];
        SCOPED_TRACE(a->Name().toStdString());
        EXPECT_EQ(b->BandType(), a->BandType());
        for (int k : {TKVBandSize::kvHeight, TKVBandSize::kvWidth})
            EXPECT_EQ(EncodeExtended(b->Size()->NativeValue(k)), EncodeExtended(a->Size()->NativeValue(k)));
        EXPECT_EQ(b->Height(), a->Height());
        EXPECT_EQ(b->Top(), a->Top());
    }
    auto* group = dynamic_cast<TKVGroup*>(form->FindComponent(QStringLiteral("CabecalhoGrupo1")));
    auto* grandChild = dynamic_cast<TKVChildBand*>(form->FindComponent(QStringLiteral("Filha2")));
    auto* sub = dynamic_cast<TKVSubDetail*>(form->FindComponent(QStringLiteral("SubDetalhe1")));
    ASSERT_TRUE(group && grandChild && sub);
    EXPECT_EQ(group->FooterBand(), form->FindComponent(QStringLiteral("RodapeGrupo1")));
    EXPECT_EQ(group->Master(), report);
    EXPECT_EQ(group->Expression(), QStringLiteral("Cliente.Nome"));
    EXPECT_EQ(grandChild->ParentBand(), form->FindComponent(QStringLiteral("Filha1")));
    EXPECT_EQ(sub->Master(), report);
    for (int i = 0; i < TKVPage::ValueCount; ++i)
        EXPECT_EQ(EncodeExtended(report->Page()->NativeValue(i)), EncodeExtended(doc.Report->Page()->NativeValue(i)));
    EXPECT_EQ(WriteRes(form.get()), first);
}

TEST_F(ReportTest, CircularChildLinkIsRefusedByAssignment)
{
    TLinkedReport doc;
    doc.Child->SetParentBand(doc.GrandChild); // its own child
    EXPECT_EQ(doc.Child->ParentBand(), doc.Detail);
    doc.Child->SetParentBand(doc.Child);
    EXPECT_EQ(doc.Child->ParentBand(), doc.Detail);
    doc.Child->SetParentBandName(QStringLiteral("Filha2"));
    EXPECT_EQ(doc.Child->ParentBand(), doc.Detail);
}

TEST_F(ReportTest, CircularMasterIsRefusedByAssignment)
{
    TReportDoc doc;
    auto* a = doc.Add<TKVSubDetail>(QStringLiteral("SubDetalhe1"));
    auto* b = doc.Add<TKVSubDetail>(QStringLiteral("SubDetalhe2"));
    b->SetMaster(a);
    a->SetMaster(b);
    EXPECT_EQ(a->Master(), doc.Report);
    a->SetMaster(a);
    EXPECT_EQ(a->Master(), doc.Report);
}

TEST_F(ReportTest, CircularLinksInAFileAreAnError)
{
    struct Case {
        const char* Name;
        QString From, To;
    } cases[] = {
        {"child bands by reference", QStringLiteral("ParentBand = Detalhe1"), QStringLiteral("ParentBand = Filha2")},
        {"child bands by name only", QStringLiteral("ParentBand = Detalhe1\n"), QString()},
        {"sub-detail masters", QStringLiteral("object SubDetalhe1: TKVSubDetail\n"), QString()},
    };
    TLinkedReport doc;
    auto* sub2 = doc.Add<TKVSubDetail>(QStringLiteral("SubDetalhe2"));
    sub2->SetMaster(doc.Sub);
    const QString text = QString::fromLatin1(ToText(doc.Form.get())).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        QString bad = text;
        if (QLatin1String(c.Name) == QLatin1String("child bands by name only")) {
            // Filha1 after Filha2 by name, with no references at all.
            bad.replace(QStringLiteral("ParentBand = Detalhe1\n"), QString());
            bad.replace(QStringLiteral("ParentBand = Filha1\n"), QString());
            bad.replace(QStringLiteral("ParentBandName = 'Detalhe1'"), QStringLiteral("ParentBandName = 'Filha2'"));
        } else if (QLatin1String(c.Name) == QLatin1String("sub-detail masters")) {
            bad.replace(QStringLiteral("object SubDetalhe1: TKVSubDetail\n"),
                        QStringLiteral("object SubDetalhe1: TKVSubDetail\n    Master = SubDetalhe2\n"));
            const qsizetype at = bad.indexOf(QStringLiteral("object SubDetalhe1"));
            const qsizetype dup = bad.indexOf(QStringLiteral("Master = Relatorio"), at);
            ASSERT_GT(dup, 0);
            bad.remove(dup, QStringLiteral("Master = Relatorio\n").size());
        } else {
            bad.replace(c.From, c.To);
        }
        ASSERT_NE(bad, text);
        try {
            FromText(bad.toLatin1());
            ADD_FAILURE() << "a loop was read";
        } catch (const EReadError& e) {
            EXPECT_TRUE(e.Message().contains(QStringLiteral("form a loop"))) << e.Message().toStdString();
        }
    }
}

TEST_F(ReportTest, RemovingALinkedBandClearsEveryReference)
{
    TLinkedReport doc;
    auto* header = doc.Add<TKVBand>(QStringLiteral("CabecalhoGrupo2"), rbDetail);
    doc.Sub->SetHeaderBand(header);
    EXPECT_EQ(header->BandType(), rbGroupHeader);
    doc.GroupFooter->Free();
    EXPECT_EQ(doc.Group->FooterBand(), nullptr);
    EXPECT_TRUE(doc.Group->FooterBandName().isEmpty());
    header->Free();
    EXPECT_EQ(doc.Sub->HeaderBand(), nullptr);
    doc.Child->Free();
    EXPECT_EQ(doc.GrandChild->ParentBand(), nullptr);
    doc.Detail->Free();
    EXPECT_EQ(doc.Report->Controller()->Detail(), nullptr);
    EXPECT_EQ(Names(doc.Report->BandList()),
              (QStringList{"Titulo1", "CabecalhoGrupo1", "SubDetalhe1", "Sumario1", "Filha2"}));
    // Still writes and reads.
    TFormPtr form = ReadRes(WriteRes(doc.Form.get()));
    EXPECT_EQ(Names(ReportOf(form.get())->BandList()), Names(doc.Report->BandList()));
}

TEST_F(ReportTest, FooterKindChangeDetachesItFromItsGroup)
{
    TLinkedReport doc;
    doc.GroupFooter->SetBandType(rbDetail);
    EXPECT_EQ(doc.Group->FooterBand(), nullptr);
}

TEST_F(ReportTest, HasChildOffRelinksTheGrandChild)
{
    TLinkedReport doc;
    EXPECT_TRUE(doc.Detail->HasChild());
    doc.Detail->SetHasChild(false);
    EXPECT_EQ(doc.GrandChild->ParentBand(), doc.Detail);
    EXPECT_EQ(doc.Detail->ChildBand(), doc.GrandChild);
}

TEST_F(ReportTest, AChainOfChildBandsMadeByHasChildReadsBackWithEveryLink)
{
    TReportDoc doc;
    auto* detail = doc.Add<TKVBand>(QStringLiteral("Detalhe1"), rbDetail);
    TKVCustomBand* band = detail;
    std::vector<TKVChildBand*> chain;
    for (int depth = 0; depth < 3; ++depth) {
        band->SetHasChild(true);
        chain.push_back(band->ChildBand());
        ASSERT_TRUE(chain.back());
        band = chain.back();
    }
    // Named as new bands are, so each can be named as the parent of the next.
    EXPECT_EQ(chain[0]->Name(), QStringLiteral("Filha1"));
    EXPECT_EQ(chain[1]->Name(), QStringLiteral("Filha2"));
    EXPECT_EQ(chain[2]->Name(), QStringLiteral("Filha3"));
    EXPECT_EQ(chain[2]->ParentBandName(), QStringLiteral("Filha2"));

    for (const bool asText : {false, true}) {
        SCOPED_TRACE(asText ? "text form" : "resource file");
        TFormPtr form = asText ? FromText(ToText(doc.Form.get())) : ReadRes(WriteRes(doc.Form.get()));
        auto* read = dynamic_cast<TKVCustomBand*>(form->FindComponent(QStringLiteral("Detalhe1")));
        ASSERT_TRUE(read);
        TKVCustomBand* parent = read;
        for (const char* name : {"Filha1", "Filha2", "Filha3"}) {
            TKVChildBand* child = parent->ChildBand();
            ASSERT_TRUE(child) << name;
            EXPECT_EQ(child->Name(), QLatin1String(name));
            EXPECT_EQ(child->ParentBand(), parent);
            parent = child;
        }
        EXPECT_FALSE(parent->HasChild());
        EXPECT_EQ(Names(ReportOf(form.get())->BandList()), Names(doc.Report->BandList()));
    }
}

TEST_F(ReportTest, OldPropertyNamesAreReadAndDropped)
{
    TLinkedReport doc;
    QString text = QString::fromLatin1(ToText(doc.Form.get()));
    text.replace(QStringLiteral("Expression = 'Cliente.Nome'"),
                 QStringLiteral("Level = 2\n DataSource = dsClientes\n DataField = 'Codigo'\n HeaderBand = Titulo1\n"
                                " OnNeedData = Antigo\n Align = alTop\n Ruler = rbNone\n LinkBand = Detalhe1\n"
                                " Frame.Mode = fmOutline"));
    TFormPtr form = FromText(text.toLatin1());
    auto* group = dynamic_cast<TKVGroup*>(form->FindComponent(QStringLiteral("CabecalhoGrupo1")));
    ASSERT_TRUE(group);
    EXPECT_EQ(group->Expression(), QStringLiteral("Codigo"));
    const QString again = QString::fromLatin1(ToText(form.get()));
    for (const char* gone : {"Level", "DataSource", "DataField", "HeaderBand", "OnNeedData", "Align ", "LinkBand",
                             "Mode"})
        EXPECT_FALSE(again.contains(QLatin1String(gone))) << gone;
}

TEST_F(ReportTest, PresenceFlagsCreateAndFreeBands)
{
    TReportDoc doc;
    TVardoRepBands* bands = doc.Report->Bands();
    bands->SetBand(4, true);
    bands->SetBand(4, true);
    ASSERT_EQ(doc.Report->BandList().size(), 1u);
    EXPECT_EQ(doc.Report->BandList()[0]->Name(), QStringLiteral("Detalhe1"));
    EXPECT_EQ(doc.Report->BandList()[0]->BandType(), rbDetail);
    bands->SetBand(5, true);
    EXPECT_FALSE(bands->GetBand(5));
    bands->SetBand(4, false);
    EXPECT_TRUE(doc.Report->BandList().empty());
    EXPECT_EQ(MakeUniqueComponentName(doc.Form.get(), QStringLiteral("  ")), QStringLiteral("Objeto1"));
}

TEST_F(ReportTest, LayoutOfColumnsAndAutomaticLines)
{
    TReportDoc doc;
    TVardoRep* r = doc.Report;
    TKVPage* page = r->Page();
    page->SetUnits(kvunMM);
    page->SetPaperSize(TKVPaperSize::A4);
    page->SetColumns(2);
    page->SetColumnSpace(10);
    auto* title = doc.Add<TKVBand>(QStringLiteral("Titulo1"), rbTitle);
    auto* detail = doc.Add<TKVBand>(QStringLiteral("Detalhe1"), rbDetail);
    const int fullWidth = r->Width() - 2 * static_cast<int>(Round(100 / (254.0L / 96)));
    const int space = static_cast<int>(Round(100 / (254.0L / 96)));
    EXPECT_EQ(title->Width(), fullWidth);
    EXPECT_EQ(detail->Width(), (fullWidth - space) / 2);
    // Automatic lines with no lines yet keep the detail's height.
    const int height = detail->Height();
    page->SetAutomaticLines(true);
    EXPECT_EQ(detail->Height(), height);
    page->SetLines(4);
    const int margins = static_cast<int>(Round(200 / (254.0L / 96)));
    EXPECT_EQ(detail->Height(), (r->Height() - margins) / 4);
    r->SetZoom(0);
    r->SetZoom(301);
    EXPECT_EQ(r->Zoom(), 100);
}

TEST_F(ReportTest, ABandIsAsWideAsThePageLeavesBetweenBothMarginsRoundedOnce)
{
    TReportDoc doc;
    TVardoRep* r = doc.Report;
    TKVPage* page = r->Page();
    page->SetUnits(kvunMM);
    auto* title = doc.Add<TKVBand>(QStringLiteral("Titulo1"), rbTitle);
    auto* detail = doc.Add<TKVBand>(QStringLiteral("Detalhe1"), rbDetail);
    const long double nativePerPixel = 254.0L / 96;
    int apart = 0;
    for (const TKVPaperSize paper : {TKVPaperSize::A4, TKVPaperSize::Letter})
        for (const TPrinterOrientation orientation : {TPrinterOrientation::poPortrait, TPrinterOrientation::poLandscape})
            for (const long double left : {5.3L, 10.0L, 12.7L})
                for (const long double right : {5.3L, 7.9L})
                    for (const int zoom : {75, 100, 150}) {
                        SCOPED_TRACE(testing::Message() << "paper " << int(paper) << " orientation " << int(orientation)
                                                        << " margins " << double(left) << " " << double(right)
                                                        << " zoom " << zoom);
                        r->SetZoom(zoom);
                        page->SetPaperSize(paper);
                        page->SetOrientation(orientation);
                        page->SetLeftMargin(left);
                        page->SetRightMargin(right);
                        const auto px = [&](long double mm) { return mm * 10 / nativePerPixel * zoom / 100; };
                        const int width = r->Width() - static_cast<int>(Round(px(left + right)));
                        apart += width != r->Width() - Round(px(left)) - Round(px(right));
                        EXPECT_EQ(title->Width(), width);
                        EXPECT_EQ(detail->Width(), width);
                        EXPECT_EQ(detail->Left(), Round(px(left)));
                    }
    // The table holds layouts where rounding each margin on its own gives another width.
    EXPECT_GT(apart, 0);
}

TEST_F(ReportTest, ResizingTheReportResizesOnlyACustomPaper)
{
    TReportDoc doc;
    TKVPage* page = doc.Report->Page();
    page->SetUnits(kvunMM);
    page->SetPaperSize(TKVPaperSize::A4);
    doc.Report->SetBounds(0, 0, 500, 600);
    EXPECT_EQ(page->Width(), 210);
    page->SetPaperSize(TKVPaperSize::Custom);
    doc.Report->SetBounds(0, 0, 500, 601);
    doc.Report->SetBounds(0, 0, 500, 600);
    page->SetUnits(kvunPixels);
    EXPECT_EQ(Round(page->Width()), 500);
    EXPECT_EQ(Round(page->Length()), 600);
}


TEST_F(ReportTest, CopyFromRestoresABandFromItsUndoCopy)
{
    TReportDoc doc;
    doc.Report->SetZoom(200);
    auto* detail = doc.Add<TKVBand>(QStringLiteral("Detalhe1"), rbDetail);
    auto* footer = doc.Add<TKVBand>(QStringLiteral("RodapeGrupo1"), rbGroupFooter);
    auto* group = doc.Add<TKVGroup>(QStringLiteral("CabecalhoGrupo1"));
    auto* child = doc.Add<TKVChildBand>(QStringLiteral("Filha1"));
    child->SetParentBand(detail);

    // Undo copies are unparented and at zoom 100.
    TFormPtr scratch(new TTestForm(nullptr));
    auto* saved = new TKVBand(scratch.get());
    saved->SetBandType(rbSummary);
    saved->SetAlignToBottom(true);
    saved->SetForceNewPage(true);
    saved->SetForceNewColumn(true);
    saved->SetEnabled(false);
    saved->SetColor(clYellow);
    saved->SetDragMode(dmAutomatic);
    saved->SetDragCursor(crHandPoint);
    saved->Frame()->SetDrawTop(true);
    saved->Frame()->SetWidth(3);
    saved->SetBounds(0, 0, 300, 50);
    detail->CopyFrom(saved);
    EXPECT_EQ(detail->BandType(), rbSummary);
    EXPECT_TRUE(detail->AlignToBottom());
    EXPECT_TRUE(detail->ForceNewPage());
    EXPECT_TRUE(detail->ForceNewColumn());
    EXPECT_FALSE(detail->Enabled());
    EXPECT_EQ(detail->Color(), clYellow);
    EXPECT_EQ(detail->DragMode(), dmAutomatic);
    EXPECT_EQ(detail->DragCursor(), crHandPoint);
    EXPECT_TRUE(detail->Frame()->DrawTop());
    EXPECT_EQ(detail->Frame()->Width(), 3);
    EXPECT_EQ(detail->Height(), 100); // at the live band's zoom
    EXPECT_TRUE(detail->Visible());
    detail->CopyFrom(nullptr);
    EXPECT_EQ(detail->BandType(), rbSummary);

    auto* savedGroup = new TKVGroup(scratch.get());
    savedGroup->SetExpression(QStringLiteral("UF"));
    savedGroup->SetFooterBandName(QStringLiteral("RodapeGrupo1"));
    savedGroup->SetVisible(false);
    group->CopyFrom(savedGroup);
    EXPECT_EQ(group->Expression(), QStringLiteral("UF"));
    EXPECT_EQ(group->FooterBand(), footer);
    EXPECT_FALSE(group->Visible());

    auto* savedChild = new TKVChildBand(scratch.get());
    savedChild->SetParentBandName(QStringLiteral("RodapeGrupo1"));
    child->CopyFrom(savedChild);
    EXPECT_EQ(child->ParentBand(), footer);
}

} // namespace
