// The report on the design surface: keys pressed while it has the focus, and the names that new
// components get.

#include "ReportFixture.h"

#include "platform/controls/ControlHostBase.h"
#include "platform/controls/Messages.h"
#include "platform/data/DBTables.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tessiv;
using namespace enginetest;

namespace {

// ---- keys ---------------------------------------------------------------------------------------

// A report shown by a host without a display, with the focus, recording its key events.
class ReportKeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FHost.SetRoot(FDoc.Form.get());
        FHost.SetFocusedControl(FDoc.Report);
        TVardoRep* r = FDoc.Report;
        r->OnKeyDown = [this](TObject* sender, unsigned short& key, TShiftState shift) {
            EXPECT_EQ(sender, FDoc.Report);
            FLog.push_back(QStringLiteral("down %1%2").arg(key).arg(shift.Contains(ssCtrl) ? QStringLiteral(" ctrl") : QString()));
            key = FDownKey(key);
        };
        r->OnKeyPress = [this](TObject* sender, QChar& key) {
            EXPECT_EQ(sender, FDoc.Report);
            FLog.push_back(QStringLiteral("press ") + (key.isNull() ? QStringLiteral("#0") : QString(key)));
            key = FPressKey(key);
        };
        r->OnKeyUp = [this](TObject*, unsigned short& key, TShiftState) { FLog.push_back(QStringLiteral("up %1").arg(key)); };
    }

    TReportDoc FDoc;
    THeadlessHost FHost;
    std::vector<QString> FLog;
    std::function<unsigned short(unsigned short)> FDownKey = [](unsigned short k) { return k; };
    std::function<QChar(QChar)> FPressKey = [](QChar c) { return c; };
};

TEST_F(ReportKeysTest, EachEventIsRaisedOnce)
{
    FHost.KeyPress('A', QChar(u'a'));
    FHost.KeyRelease('A');
    FHost.KeyPress(VK_DELETE, QChar(), TShiftState{ssCtrl});
    EXPECT_EQ(FLog, (std::vector<QString>{QStringLiteral("down 65"), QStringLiteral("press a"), QStringLiteral("up 65"),
                                          QStringLiteral("down 46 ctrl")}));
}

TEST_F(ReportKeysTest, AKeyClearedOnKeyDownGivesNoCharacter)
{
    FDownKey = [](unsigned short) -> unsigned short { return 0; };
    FHost.KeyPress('A', QChar(u'a'));
    EXPECT_EQ(FLog, (std::vector<QString>{QStringLiteral("down 65")}));

    TMessage m{WM_KEYDOWN, 'A', 0, 0};
    FDoc.Report->WindowProc(m);
    EXPECT_EQ(m.WParam, 0);
    EXPECT_EQ(m.Result, 1); // the message ends here
}

TEST_F(ReportKeysTest, TheCharacterIsWrittenBack)
{
    struct TCase {
        QChar In, Out;
        std::intptr_t Result;
    };
    FPressKey = [](QChar c) { return c == u'x' ? QChar() : c.toUpper(); };
    for (const TCase& c : {TCase{u'a', u'A', 0}, TCase{u'ç', u'Ç', 0}, TCase{u'x', QChar(), 1}}) {
        TMessage m{WM_CHAR, c.In.unicode(), 0, 0};
        FDoc.Report->WindowProc(m);
        EXPECT_EQ(m.WParam, c.Out.unicode()) << QString(c.In).toStdString();
        EXPECT_EQ(m.Result, c.Result) << QString(c.In).toStdString();
    }
    EXPECT_EQ(FLog.size(), 3u);
}

TEST_F(ReportKeysTest, NoStandardEventsSilencesKeyDownAndKeyUp)
{
    TControlStyle style = FDoc.Report->ControlStyle();
    style += csNoStdEvents;
    FDoc.Report->SetControlStyle(style);
    FHost.KeyPress('A', QChar(u'a'));
    FHost.KeyRelease('A');
    // The character still reaches OnKeyPress: the report raises it whatever the style.
    EXPECT_EQ(FLog, (std::vector<QString>{QStringLiteral("press a")}));
}

TEST_F(ReportKeysTest, KeysWithoutHandlersPassThrough)
{
    FDoc.Report->OnKeyDown = nullptr;
    FDoc.Report->OnKeyPress = nullptr;
    TMessage down{WM_KEYDOWN, VK_LEFT, 0, 0};
    FDoc.Report->WindowProc(down);
    EXPECT_EQ(down.WParam, VK_LEFT);
    EXPECT_EQ(down.Result, 0);
    TMessage ch{WM_CHAR, u'q', 0, 0};
    FDoc.Report->WindowProc(ch);
    EXPECT_EQ(ch.WParam, u'q');
    EXPECT_EQ(ch.Result, 0);
}

// ---- names of new components --------------------------------------------------------------------

TEST(ComponentNames, FirstFreeCounterAfterTheTrimmedBase)
{
    TReportDoc doc;
    TComponent* form = doc.Form.get();
    for (const char* taken : {"Detalhe1", "Detalhe2", "Detalhe4", "TITULO1", "Objeto1"}) {
        auto* c = new TComponent(form);
        c->SetName(QString::fromLatin1(taken));
    }
    struct TCase {
        const char* Base;
        const char* Name;
    };
    for (const TCase& c : {TCase{"Detalhe", "Detalhe3"}, TCase{"  Titulo ", "Titulo2"}, TCase{"Sumario", "Sumario1"},
                           TCase{"", "Objeto2"}, TCase{"   ", "Objeto2"}, TCase{"Detalhe1", "Detalhe11"}})
        EXPECT_EQ(MakeUniqueComponentName(form, QString::fromLatin1(c.Base)), QString::fromLatin1(c.Name)) << c.Base;
    EXPECT_EQ(MakeUniqueComponentName(nullptr, QStringLiteral("Filha")), QStringLiteral("Filha1"));
}

TEST(ComponentNames, NewBandsAreNamedByTheirKind)
{
    struct TCase {
        TKVBandType Kind;
        const char* Prefix;
    };
    const TCase cases[] = {{rbTitle, "Titulo"},           {rbPageHeader, "CabecalhoPagina"}, {rbDetail, "Detalhe"},
                           {rbPageFooter, "RodapePagina"}, {rbSummary, "Sumario"},            {rbGroupHeader, "CabecalhoGrupo"},
                           {rbGroupFooter, "RodapeGrupo"}, {rbSubDetail, "SubDetalhe"},       {rbColumnHeader, "CabecalhoColuna"},
                           {rbOverlay, "Overlay"},         {rbChild, "Filha"}};
    TReportDoc doc;
    for (const TCase& c : cases) {
        const QString prefix = QString::fromLatin1(c.Prefix);
        TKVBand* first = doc.Report->CreateBand(c.Kind);
        TKVBand* second = doc.Report->CreateBand(c.Kind);
        EXPECT_EQ(first->Name(), prefix + u'1');
        EXPECT_EQ(second->Name(), prefix + u'2');
        EXPECT_EQ(first->BandType(), c.Kind);
        EXPECT_EQ(first->Owner(), doc.Form.get());
        EXPECT_EQ(first->Parent(), doc.Report);
        const auto& list = doc.Report->BandList();
        EXPECT_NE(std::find(list.begin(), list.end(), first), list.end()) << c.Prefix;
    }
    // A name taken by any component of the form, a dataset included, is skipped.
    auto* table = new TTable(doc.Form.get());
    table->SetName(QStringLiteral("Detalhe3"));
    EXPECT_EQ(doc.Report->CreateBand(rbDetail)->Name(), QStringLiteral("Detalhe4"));
    // A freed band's name is free again.
    doc.Form->FindComponent(QStringLiteral("Detalhe1"))->Free();
    EXPECT_EQ(doc.Report->CreateBand(rbDetail)->Name(), QStringLiteral("Detalhe1"));
}

TEST(ComponentNames, SubDetailHeaderAndFooterAreNewBands)
{
    TReportDoc doc;
    auto* sub = doc.Add<TKVSubDetail>(QStringLiteral("SubDetalhe1"));
    sub->Bands()->SetHasHeader(true);
    sub->Bands()->SetHasFooter(true);
    ASSERT_NE(sub->HeaderBand(), nullptr);
    ASSERT_NE(sub->FooterBand(), nullptr);
    EXPECT_EQ(sub->HeaderBand()->Name(), QStringLiteral("CabecalhoGrupo1"));
    EXPECT_EQ(sub->HeaderBand()->BandType(), rbGroupHeader);
    EXPECT_EQ(sub->FooterBand()->Name(), QStringLiteral("RodapeGrupo1"));
    EXPECT_EQ(sub->FooterBand()->BandType(), rbGroupFooter);
    sub->Bands()->SetHasHeader(false);
    EXPECT_EQ(sub->HeaderBand(), nullptr);
    EXPECT_EQ(doc.Form->FindComponent(QStringLiteral("CabecalhoGrupo1")), nullptr);
}

} // namespace
