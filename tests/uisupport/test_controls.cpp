#include "UiSupportFixtures.h"

#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/TextMetrics.h"
#include "uisupport/FontComboBox.h"
#include "uisupport/ImageAspect.h"
#include "uisupport/MyToolBar.h"
#include "uisupport/ValEdit.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace tessiv;
using namespace uisupporttest;

namespace {

template <class T>
using Owned = std::unique_ptr<T, TComponentDeleter>;

// A picture of one colour.
std::unique_ptr<TPicture> Solid(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    TBitmap bitmap;
    bitmap.SetImage(image);
    auto picture = std::make_unique<TPicture>();
    picture->SetGraphic(&bitmap);
    return picture;
}

// The box of the pixels that are not white.
QRect InkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

TEST(ToolBars, EveryAssignmentIsAnnouncedAlsoOfTheSameComponentAndNil)
{
    App();
    Owned<TComponent> owner(new TComponent(nullptr));
    auto* target = new TComponent(owner.get());
    auto* bar = new TMyToolBar(owner.get());
    EXPECT_EQ(bar->Component(), nullptr);
    EXPECT_EQ(bar->BevelOuter(), bvRaised);
    EXPECT_EQ(bar->BevelInner(), bvNone);
    std::vector<TComponent*> seen;
    bar->OnSetComponent = [&](TComponent* c) { seen.push_back(c); };
    bar->SetComponent(target);
    bar->SetComponent(target);
    bar->SetComponent(nullptr);
    EXPECT_EQ(seen, (std::vector<TComponent*>{target, target, nullptr}));

    TAnexoToolBar qbar;
    std::vector<TComponent*> qseen;
    qbar.OnSetComponent = [&](TComponent* c) { qseen.push_back(c); };
    qbar.SetComponent(target);
    qbar.SetComponent(target);
    EXPECT_EQ(qseen, (std::vector<TComponent*>{target, target}));

    // A component that goes is not held on to.
    bar->SetComponent(target);
    target->Free();
    EXPECT_EQ(bar->Component(), nullptr);
    EXPECT_EQ(qbar.Component(), nullptr);
}

TEST(ImageAspect, ThePictureFillsOneSideAndIsCentredOnTheOther)
{
    App();
    Owned<TImageAspect> image(new TImageAspect(nullptr));
    EXPECT_EQ(image->Width(), 32);
    EXPECT_EQ(image->Height(), 32);
    EXPECT_TRUE(image->AutoSize());
    EXPECT_EQ(image->DrawRect(), TRect());

    struct Case {
        int W, H, PW, PH;
        TRect Expected;
    };
    const Case cases[] = {
        {100, 50, 200, 200, Rect(25, 0, 75, 50)},
        {50, 100, 200, 200, Rect(0, 25, 50, 75)},
        {100, 100, 300, 100, Rect(0, 33, 100, 66)},
        {100, 100, 100, 300, Rect(33, 0, 66, 100)},
        {80, 40, 40, 20, Rect(0, 0, 80, 40)},
        {101, 50, 3, 7, Rect(40, 0, 61, 50)},
    };
    for (const Case& c : cases) {
        image->SetAutoSize(false);
        image->SetBounds(0, 0, c.W, c.H);
        auto picture = Solid(c.PW, c.PH, Qt::red);
        image->SetPicture(picture.get());
        EXPECT_EQ(image->DrawRect(), c.Expected) << c.W << "x" << c.H << " " << c.PW << "x" << c.PH;
    }

    // What is painted: red exactly in (25, 0)-(75, 50).
    image->SetBounds(0, 0, 100, 50);
    auto picture = Solid(200, 200, Qt::red);
    image->SetPicture(picture.get());
    QImage surface(100, 50, QImage::Format_RGB32);
    surface.fill(Qt::white);
    {
        TImageCanvas canvas(surface);
        image->Paint(canvas);
    }
    EXPECT_EQ(InkBox(surface), QRect(QPoint(25, 0), QPoint(74, 49)));
    EXPECT_EQ(surface.pixel(50, 25), qRgb(255, 0, 0));
}

TEST(ImageAspect, AutoSizeTakesThePicturesSizeUntilTheControlIsSizedOtherwise)
{
    App();
    Owned<TImageAspect> image(new TImageAspect(nullptr));
    image->SetBounds(5, 6, 32, 32);
    auto picture = Solid(120, 80, Qt::blue);
    image->SetPicture(picture.get());
    EXPECT_EQ(image->BoundsRect(), Bounds(5, 6, 120, 80));
    EXPECT_TRUE(image->AutoSize());
    image->SetBounds(5, 6, 60, 60);
    EXPECT_FALSE(image->AutoSize());
    auto other = Solid(10, 10, Qt::blue);
    image->SetPicture(other.get());
    EXPECT_EQ(image->BoundsRect(), Bounds(5, 6, 60, 60));
    image->SetAutoSize(true);
    EXPECT_EQ(image->BoundsRect(), Bounds(5, 6, 10, 10));
    // Moving keeps it.
    image->SetBounds(50, 60, 10, 10);
    EXPECT_TRUE(image->AutoSize());
}

TEST(FontComboBox, ListsTheSystemsFontsSortedWithScalableOnesMarked)
{
    App();
    TFontComboBox box;
    ASSERT_GT(box.count(), 0);
    EXPECT_EQ(box.currentIndex(), 0);
    EXPECT_EQ(box.FontName(), box.itemText(0));
    for (int i = 1; i < box.count(); ++i)
        EXPECT_LT(AnsiCompareText(box.itemText(i - 1), box.itemText(i)), 0) << box.itemText(i).toStdString();
    // The fonts the project installs are there, and are scalable.
    const int liberation = box.findText(QStringLiteral("Liberation Sans"));
    ASSERT_GE(liberation, 0);
    EXPECT_TRUE(box.IsScalable(liberation));
    EXPECT_EQ(box.font().pointSize(), 8);
}

TEST(FontComboBox, NamesAreFoundWithoutCaseAndAnUnknownNameSelectsNothing)
{
    App();
    TFontComboBox box;
    int changes = 0;
    QObject::connect(&box, &QComboBox::currentIndexChanged, [&] { ++changes; });
    box.SetFontName(QStringLiteral("liberation sans"));
    EXPECT_EQ(box.FontName(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(changes, 1);
    box.SetFontName(QStringLiteral("Liberation Sans"));
    EXPECT_EQ(changes, 1);
    box.SetFontName(QStringLiteral("No Such Font 123"));
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.FontName(), QString());
}

TEST(FontComboBox, ReportFontNamesWithAMetricCompatibleFontAreListed)
{
    App();
    TFontComboBox box;
    // Installed as Liberation's faces, listed under the names report files carry.
    for (const char* name : {"Arial", "Times New Roman", "Courier New"}) {
        const int i = box.findText(QLatin1String(name));
        ASSERT_GE(i, 0) << name;
        EXPECT_TRUE(box.IsScalable(i)) << name;
    }
    // The default font of every text is found by its own name.
    box.SetFontName(QStringLiteral("arial"));
    EXPECT_EQ(box.FontName(), QStringLiteral("Arial"));
    // A name that only a generic fallback answers is not offered.
    EXPECT_LT(box.findText(QStringLiteral("Fonte Que Não Existe")), 0);
    for (int i = 0; i < box.count(); ++i)
        if (!QFontDatabase::families().contains(box.itemText(i)))
            EXPECT_FALSE(MetricCompatibleFamily(box.itemText(i)).isEmpty()) << box.itemText(i).toStdString();
}

TEST(FontComboBox, TheMarkIsTwoLetterTsGreyBehindBlack)
{
    const QImage mark = TFontComboBox::TrueTypeMark(Qt::white);
    ASSERT_EQ(mark.size(), QSize(12, 12));
    QStringList rows;
    for (int y = 0; y < 12; ++y) {
        QString row;
        for (int x = 0; x < 12; ++x) {
            const QRgb p = mark.pixel(x, y);
            row += p == qRgb(0, 0, 0) ? QLatin1Char('#') : p == qRgb(0x80, 0x80, 0x80) ? QLatin1Char('+') : QLatin1Char('.');
        }
        rows << row;
    }
    // Lines end before their last point, as on the screen's canvas.
    const QStringList expected{
        "++++++++....", "+..++..+....", "+..++..+....", "...+########", "...+#..##..#", "...+#..##..#",
        "...++..##...", "...++..##...", ".+++++.##...", ".......##...", ".......##...", ".....#####..",
    };
    EXPECT_EQ(rows, expected);
}

namespace {

class ValEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        Saved = FormatSettings();
        FormatSettings().ThousandSeparator = QLatin1Char('.');
        FormatSettings().DecimalSeparator = QLatin1Char(',');
        Beeper = TValEdit::Beeper();
        TValEdit::Beeper() = [this] { ++Beeps; };
    }
    void TearDown() override
    {
        FormatSettings() = Saved;
        TValEdit::Beeper() = Beeper;
    }
    TFormatSettings Saved;
    std::function<void()> Beeper;
    int Beeps = 0;
};

} // namespace

TEST_F(ValEditTest, ANewEditShowsZeroRightAligned)
{
    TValEdit edit;
    EXPECT_EQ(edit.text(), QStringLiteral("0,00"));
    EXPECT_EQ(edit.size(), QSize(121, 21));
    EXPECT_EQ(edit.Alignment(), taRightJustify);
    EXPECT_TRUE(edit.alignment() & Qt::AlignRight);
    EXPECT_EQ(edit.DisplayFormat(), QStringLiteral("0.00;(0.00)"));
}

TEST_F(ValEditTest, TextIsReadBackOnLeaving)
{
    struct Case {
        QString Text;
        long double Value;
        QString Shown;
    };
    const Case cases[] = {
        {"(1.234,50)", -1234.5L, "(1234,50)"},
        {"1.234,5", 1234.5L, "1234,50"},
        {"-7", -7, "(7,00)"},
        {"abc12x,3", 12.3L, "12,30"},
        {"0", 0, "0,00"},
    };
    for (const Case& c : cases) {
        TValEdit edit;
        edit.setText(c.Text);
        edit.ReadText();
        EXPECT_EQ(edit.Value(), c.Value) << c.Text.toStdString();
        EXPECT_EQ(edit.text(), c.Shown) << c.Text.toStdString();
    }
    EXPECT_EQ(Beeps, 0);
}

TEST_F(ValEditTest, TextThatIsNoNumberBeepsAndKeepsTheValue)
{
    TValEdit edit;
    edit.SetValue(42.25L);
    EXPECT_EQ(edit.text(), QStringLiteral("42,25"));
    for (const char* text : {"", "()", "-", ",,"}) {
        edit.setText(QString::fromLatin1(text));
        edit.ReadText();
        EXPECT_EQ(edit.Value(), 42.25L) << text;
        EXPECT_EQ(edit.text(), QStringLiteral("42,25")) << text;
    }
    EXPECT_EQ(Beeps, 4);
}

TEST_F(ValEditTest, OnlyDigitsSignAndSeparatorsCanBeTyped)
{
    TValEdit edit;
    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("1a.2b,5-x("));
    EXPECT_EQ(edit.text(), QStringLiteral("1.2,5-"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("1.2,5"));
    edit.ReadText();
    EXPECT_EQ(edit.Value(), 12.5L);
    EXPECT_EQ(edit.text(), QStringLiteral("12,50"));
    // A new format shows the value again.
    edit.SetDisplayFormat(QStringLiteral("0.0"));
    EXPECT_EQ(edit.text(), QStringLiteral("12,5"));
}

TEST_F(ValEditTest, EnteringSelectsAndLeavingReads)
{
    QWidget window;
    auto* edit = new TValEdit(&window);
    auto* other = new QLineEdit(&window);
    other->move(0, 40);
    window.show();
    edit->SetValue(3);
    other->setFocus();
    QApplication::setActiveWindow(&window);
    edit->setFocus();
    Pump();
    EXPECT_EQ(edit->selectedText(), QStringLiteral("3,00"));
    edit->setText(QStringLiteral("(8,5)"));
    other->setFocus();
    Pump();
    EXPECT_EQ(edit->Value(), -8.5L);
    EXPECT_EQ(edit->text(), QStringLiteral("(8,50)"));
}
