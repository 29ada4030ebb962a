// The size dialog over real printables: the smallest and largest of a multi-selection, a value
// typed in the report's unit, automatic sizes switched off, and typed sizes that are refused.
#include "PageDialogsFixture.h"

#include "designer/dialogs/Dimensionar.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVLabel.h"
#include "engine/printables/KVShape.h"
#include "platform/core/IniFiles.h"
#include "uisupport/ValEdit.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

using namespace tessiv;

namespace dialogstest {
namespace {

using TFormPtr = std::unique_ptr<TfmDimensionar, TComponentDeleter>;

struct TBox3 {
    int Width, Height;
};

class DimensionarTest : public SelectionDialogsTest {
protected:
    DimensionarTest() { UnitsName = QStringLiteral("Milímetros"); }
    TFormPtr Make(const TDesignSelection& selection, int w, int h)
    {
        TFormPtr form(new TfmDimensionar(nullptr));
        form->SetSelection(selection);
        form->SetWidthChoice(w);
        form->SetHeightChoice(h);
        return form;
    }
    TKVImage* AutoImage(int left, int width, int height)
    {
        auto* image = Place<TKVImage>(left, 5, width, height);
        image->SetAutoSize(true);
        return image;
    }
};

TEST_F(DimensionarTest, SmallestWidthOfFiftyThirtySeventySwitchesAutomaticSizesOff)
{
    const std::vector<TControl*> controls{AutoImage(0, 50, 10), AutoImage(60, 30, 20), AutoImage(100, 70, 30)};
    const TFormPtr form = Make(Multi(controls), TfmDimensionar::dmSmallest, TfmDimensionar::dmNone);
    form->buOk()->click();
    for (TControl* c : controls) {
        EXPECT_EQ(c->Width(), 30);
        EXPECT_FALSE(static_cast<TKVImage*>(c)->AutoSize());
    }
    EXPECT_EQ(controls[0]->Height(), 10);
    EXPECT_EQ(controls[2]->Height(), 30);
    EXPECT_EQ(Marked, controls);
    EXPECT_EQ(Modified, 1);
    EXPECT_EQ(form->ModalResult(), mrOk);
}

TEST_F(DimensionarTest, LargestAndSmallestOfWidthsAndHeights)
{
    struct TCase {
        int W, H;
        int Width, Height; // what every control gets; 0 = its own
    };
    const TCase cases[] = {
        {TfmDimensionar::dmLargest, TfmDimensionar::dmNone, 70, 0},
        {TfmDimensionar::dmNone, TfmDimensionar::dmLargest, 0, 30},
        {TfmDimensionar::dmNone, TfmDimensionar::dmSmallest, 0, 10},
        {TfmDimensionar::dmSmallest, TfmDimensionar::dmLargest, 30, 30},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.W << "/" << c.H);
        const std::vector<TBox3> start{{50, 20}, {30, 10}, {70, 30}};
        std::vector<TControl*> controls;
        for (size_t i = 0; i < start.size(); ++i)
            controls.push_back(Place<TKVShape>(static_cast<int>(i) * 80, 0, start[i].Width, start[i].Height));
        Make(Multi(controls), c.W, c.H)->buOkClick();
        for (size_t i = 0; i < controls.size(); ++i) {
            EXPECT_EQ(controls[i]->Width(), c.Width ? c.Width : start[i].Width);
            EXPECT_EQ(controls[i]->Height(), c.Height ? c.Height : start[i].Height);
        }
        for (TControl* control : controls)
            delete control;
    }
}

// A text that sizes itself to its caption would take its own width back if it were sized first.
TEST_F(DimensionarTest, ATextSizedToItsCaptionTakesTheLargestWidth)
{
    auto* label = Place<TKVLabel>(0, 0, 10, 10);
    label->SetCaption(QStringLiteral("ab"));
    ASSERT_TRUE(label->AutoSize());
    const int own = label->Width();
    TControl* wide = Place<TKVShape>(0, 40, own + 150, 20);
    Make(Multi({label, wide}), TfmDimensionar::dmLargest, TfmDimensionar::dmNone)->buOkClick();
    EXPECT_FALSE(label->AutoSize());
    EXPECT_EQ(label->Width(), own + 150);
}

TEST_F(DimensionarTest, TypedValuesAreInTheReportsUnit)
{
    const std::vector<TControl*> controls{Place<TKVShape>(0, 0, 50, 20), Place<TKVShape>(80, 0, 30, 10)};
    const TFormPtr form = Make(Multi(controls), TfmDimensionar::dmValue, TfmDimensionar::dmValue);
    form->veLargura()->SetValue(25.4L);
    form->veAltura()->SetValue(12.7L);
    ASSERT_TRUE(form->buOkClick());
    for (TControl* c : controls) {
        const TKVPrintableSize* size = static_cast<TKVPrintable*>(c)->Size();
        EXPECT_NEAR(static_cast<double>(size->Width()), 25.4, 1e-9);
        EXPECT_NEAR(static_cast<double>(size->Height()), 12.7, 1e-9);
    }
    EXPECT_EQ(controls[0]->Width(), controls[1]->Width());
    EXPECT_GT(controls[0]->Width(), 50);
}

TEST_F(DimensionarTest, TypingAValueChoosesIt)
{
    const TFormPtr form = Make(Multi({}), TfmDimensionar::dmNone, TfmDimensionar::dmSmallest);
    QTest::keyClicks(form->veLargura(), QStringLiteral("12"));
    EXPECT_EQ(form->WidthChoice(), TfmDimensionar::dmValue);
    EXPECT_EQ(form->HeightChoice(), TfmDimensionar::dmSmallest);
    QTest::keyClicks(form->veAltura(), QStringLiteral("3"));
    EXPECT_EQ(form->HeightChoice(), TfmDimensionar::dmValue);
    // A value set by the program is not typing.
    form->SetWidthChoice(TfmDimensionar::dmNone);
    form->veLargura()->SetValue(4);
    EXPECT_EQ(form->WidthChoice(), TfmDimensionar::dmNone);
}

TEST_F(DimensionarTest, ASizeOfZeroOrLessOrTooLargeIsRefusedAndNothingChanges)
{
    struct TCase {
        bool Width;
        long double Value;
        QString Message;
    };
    const TCase cases[] = {
        {true, 0, QStringLiteral("Informe uma largura maior que zero e menor que 100 metros.")},
        {true, -3, QStringLiteral("Informe uma largura maior que zero e menor que 100 metros.")},
        {false, 0, QStringLiteral("Informe uma altura maior que zero e menor que 100 metros.")},
        {false, 1e9L, QStringLiteral("Informe uma altura maior que zero e menor que 100 metros.")},
    };
    const std::vector<TControl*> controls{AutoImage(0, 50, 20), Place<TKVShape>(80, 0, 30, 10)};
    for (const TCase& c : cases) {
        Boxes.clear();
        const QByteArray before = ReportBytes();
        // The other length is a good one: it must not be written either.
        const TFormPtr form = Make(Multi(controls), TfmDimensionar::dmValue, TfmDimensionar::dmValue);
        form->veLargura()->SetValue(c.Width ? c.Value : 10);
        form->veAltura()->SetValue(c.Width ? 10 : c.Value);
        form->buOk()->click();
        EXPECT_EQ(form->ModalResult(), 0) << "the dialog stays open";
        EXPECT_EQ(Boxes, QStringList{c.Message});
        EXPECT_EQ(ReportBytes(), before);
        EXPECT_TRUE(static_cast<TKVImage*>(controls[0])->AutoSize());
    }
    EXPECT_EQ(Modified, 0);
}

TEST_F(DimensionarTest, ASingleControlTakesOnlyATypedValue)
{
    TKVImage* image = AutoImage(0, 50, 20);
    Make(Single(image), TfmDimensionar::dmSmallest, TfmDimensionar::dmLargest)->buOkClick();
    // Nothing to compare with: the size stays, the automatic size goes, the document is marked.
    EXPECT_EQ(image->Width(), 50);
    EXPECT_EQ(image->Height(), 20);
    EXPECT_FALSE(image->AutoSize());
    EXPECT_EQ(Modified, 1);
    EXPECT_EQ(Handles, 1);

    const TFormPtr form = Make(Single(image), TfmDimensionar::dmValue, TfmDimensionar::dmNone);
    form->veLargura()->SetValue(30);
    form->buOkClick();
    EXPECT_NEAR(static_cast<double>(image->Size()->Width()), 30.0, 1e-9);
    EXPECT_EQ(image->Height(), 20);
    EXPECT_EQ(Handles, 2);
}

TEST_F(DimensionarTest, NothingChosenDoesNothing)
{
    TKVImage* image = AutoImage(0, 50, 20);
    const QByteArray before = ReportBytes();
    Make(Single(image), TfmDimensionar::dmNone, TfmDimensionar::dmNone)->buOk()->click();
    EXPECT_EQ(ReportBytes(), before);
    EXPECT_EQ(Modified, 0);
}

TEST_F(DimensionarTest, TheCaptionNamesTheUnitAndThePositionIsKept)
{
    QTemporaryDir dir;
    TIniFile settings(dir.filePath(QStringLiteral("Tessiv.INI")));
    TRect shown;
    QString caption;
    TModalForm::SetPresenter([&](TModalForm& form) {
        shown = form.BoundsRect();
        caption = form.Caption();
        form.SetBounds(60, 45, form.Width(), form.Height());
        static_cast<TfmDimensionar&>(form).buCancela()->click();
    });
    EXPECT_EQ(TfmDimensionar::Execute(&settings, Multi({})), mrCancel);
    EXPECT_EQ(caption, QStringLiteral("Dimensionar ( Milímetros )"));
    EXPECT_EQ(settings.ReadInteger(QStringLiteral("Dimensao"), QStringLiteral("Left"), -1), 60);
    EXPECT_EQ(settings.ReadInteger(QStringLiteral("Dimensao"), QStringLiteral("Top"), -1), 45);
    EXPECT_EQ(TfmDimensionar::Execute(&settings, Multi({})), mrCancel);
    EXPECT_EQ(shown.Left, 60);
    EXPECT_EQ(shown.Top, 45);
    TModalForm::SetPresenter(nullptr);
}

TEST_F(DimensionarTest, ARefusedValueKeepsTheModalDialogOpen)
{
    TControl* shape = Place<TKVShape>(0, 0, 50, 20);
    TModalForm::SetPresenter([](TModalForm& form) {
        auto& dialog = static_cast<TfmDimensionar&>(form);
        dialog.SetWidthChoice(TfmDimensionar::dmValue);
        dialog.veLargura()->SetValue(0);
        dialog.buOk()->click();
        EXPECT_TRUE(form.Visible());
        dialog.veLargura()->SetValue(20);
        dialog.buOk()->click();
        EXPECT_FALSE(form.Visible());
    });
    EXPECT_EQ(TfmDimensionar::Execute(nullptr, Multi({shape})), mrOk);
    TModalForm::SetPresenter(nullptr);
    EXPECT_EQ(Boxes.size(), 1);
    EXPECT_NEAR(static_cast<double>(static_cast<TKVPrintable*>(shape)->Size()->Width()), 20.0, 1e-9);
}

} // namespace
} // namespace dialogstest
