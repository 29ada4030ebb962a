// The main form's status bar and zoom box, headless: what the position and size panels read while
// a control is dragged and while it is selected (in every unit, snapped or not, at several zooms),
// the clearing letters, the hint panel, the zoom box's typed values, keys and fits, and the small
// navigation operations.
#include "DesignerFixture.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/document/DesignerClasses.h"
#include "designer/surface/KVEtiqUtil.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVLabel.h"
#include "engine/model/VardoRep.h"
#include "platform/controls/Messages.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/Application.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

#include <memory>

using namespace tessiv;
using namespace designertest;

namespace {

using TFormPtr = std::unique_ptr<TfmAnexo, TComponentDeleter>;

class StatusBarTest : public DesignerTest {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        RegisterDesignerClasses();
        // The figures below are written with a point; one test checks the comma of the defaults.
        FSavedSeparator = FormatSettings().DecimalSeparator;
        FormatSettings().DecimalSeparator = QLatin1Char('.');
        Form.reset(new TfmAnexo(nullptr, {}));
        Form->Show();
        Form->HandleCommandLine();
        Form->ArquivoNovoExecute();
        ASSERT_NE(Form->Report, nullptr);
        Report = Form->Report;
        Report->SetUnits(kvunMM);
        Report->SetSnapToGrid(false);
        Band = Form->FirstBand();
        ASSERT_NE(Band, nullptr);
        Label = new TKVLabel(Report->Owner());
        Label->SetParent(Band);
        Label->SetAutoSize(false);
        Label->SetBounds(96, 48, 40, 20);
        Form->SetModified(false);
    }
    void TearDown() override
    {
        if (Form)
            Form->AskOnClose = false;
        Form.reset();
        FormatSettings().DecimalSeparator = FSavedSeparator;
        DesignerTest::TearDown();
    }

    QString Panel(int i) const { return Form->StatusPanel(i)->text(); }
    // The screen (surface) point of a point in the label's parent.
    TPoint OnScreen(TPoint inBand) const { return Band->ClientToScreen(inBand); }
    void DragPosition(TControl* control, TPoint screen)
    {
        Form->UpdateStatusBar(control, QStringLiteral("XYP"), screen.X, screen.Y);
    }
    void Type(const QString& text)
    {
        Form->cbZoom->setEditText(text);
        Form->cbZoomClick();
    }

    TFormPtr Form;
    TVardoRep* Report = nullptr;
    TKVCustomBand* Band = nullptr;
    TKVLabel* Label = nullptr;
    QChar FSavedSeparator;
};

} // namespace

TEST_F(StatusBarTest, DraggedPositionInEveryUnitSnappedOrNotAtTwoZooms)
{
    // The client point (96, 48) of the band at 96 pixels per inch.
    struct Case {
        TKVUnit Unit;
        bool Snap;
        int Zoom;
        const char* Text;
    } cases[] = {
        {kvunMM, false, 100, "Posição: 25.40 / 12.70"},
        {kvunMM, true, 100, "Posição: 25.00 / 13.00"},
        {kvunMM, false, 200, "Posição: 12.70 / 6.35"},
        // Snapping follows the zoom: the figure shown is on the grid where the drop lands.
        {kvunMM, true, 200, "Posição: 13.00 / 6.00"},
        {kvunInches, false, 100, "Posição: 1.00 / 0.50"},
        {kvunInches, false, 200, "Posição: 0.50 / 0.25"},
        // Pixels are the engine's: counted at the zoom the surface shows.
        {kvunPixels, false, 200, "Posição: 96.00 / 48.00"},
        {kvunNative, false, 100, "Posição: 254.00 / 127.00"},
        {kvunNative, true, 50, "Posição: 508.00 / 254.00"},
        // The report font's character cell of a 10-point font: 2.2047 mm across, 3.9677 mm down.
        {kvunCharacters, false, 100, "Posição: 11.52 / 3.20"},
        {kvunCharacters, true, 100, "Posição: 12.00 / 3.00"},
    };
    ASSERT_EQ(std::abs(Report->Font()->Size()), 10);
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("unit %1 snap %2 zoom %3").arg(c.Unit).arg(c.Snap).arg(c.Zoom).toStdString());
        Report->SetUnits(c.Unit);
        Report->SetSnapToGrid(c.Snap);
        Report->SetZoom(c.Zoom);
        DragPosition(Label, OnScreen({96, 48}));
        EXPECT_EQ(Panel(0), QString::fromUtf8(c.Text));
    }
}

TEST_F(StatusBarTest, ADraggedAndASelectedControlAtOnePlaceReadAlike)
{
    // Dragged to where it lies, a control shows what it shows when selected there: every unit,
    // zooms that do and do not divide the pixels evenly.
    for (TKVUnit unit : {kvunMM, kvunInches, kvunPixels, kvunCharacters, kvunNative}) {
        for (int zoom : {100, 200, 75, 33}) {
            for (bool snap : {false, true}) {
                SCOPED_TRACE(QStringLiteral("unit %1 zoom %2 snap %3").arg(unit).arg(zoom).arg(snap).toStdString());
                Report->SetUnits(unit);
                Report->SetZoom(zoom);
                Report->SetSnapToGrid(snap);
                Label->SetBounds(57, 31, 40, 20);
                Form->UpdateStatusBar(Label, QStringLiteral("P"), 0, 0);
                const QString selected = Panel(0);
                Form->UpdateStatusBar(nullptr, QStringLiteral("LP"), 0, 0);
                DragPosition(Label, OnScreen({Label->Left(), Label->Top()}));
                EXPECT_EQ(Panel(0), selected);
            }
        }
    }
}

TEST_F(StatusBarTest, TheCharacterCellIsTheEngines)
{
    for (long double size : {8.0L, 10.0L, 12.0L}) {
        EXPECT_EQ(TfmAnexo::CharWidthUnit(size), CharacterWidth(size));
        EXPECT_EQ(TfmAnexo::CharHeightUnit(size), CharacterHeight(size));
    }
    // 96 pixels across are one inch: 25.4 mm over a cell of 2.2047 mm.
    Report->SetUnits(kvunCharacters);
    const TUnitPair p = Form->PixelsToUnits({96, 0}, false);
    EXPECT_NEAR(static_cast<double>(p.X), 11.5207, 1e-4);
    EXPECT_EQ(static_cast<double>(p.Y), 0.0);
}

TEST_F(StatusBarTest, DraggedSizeAddsTheChangeToTheStoredSize)
{
    Label->SetBounds(96, 48, 96, 48); // 25.4 x 12.7 mm
    Form->UpdateStatusBar(Label, QStringLiteral("XYT"), 19, -10);
    EXPECT_EQ(Panel(1), QStringLiteral("Tamanho: 30.43 / 10.05"));
    // Sizes aligned to the unit are whole millimetres and never negative.
    Report->SetOptions(Report->Options() + TVardoReportOptions{kvoAlinharTamanho});
    Form->UpdateStatusBar(Label, QStringLiteral("XYT"), 19, -10);
    EXPECT_EQ(Panel(1), QStringLiteral("Tamanho: 30.00 / 10.00"));
    Form->UpdateStatusBar(Label, QStringLiteral("XYT"), -200, 0);
    EXPECT_EQ(Panel(1), QStringLiteral("Tamanho: 28.00 / 13.00")); // 25.4 - 52.92 = -27.52
    // At zoom 200 a change of 19 pixels is half as long.
    Report->SetOptions(Report->Options() - TVardoReportOptions{kvoAlinharTamanho});
    Report->SetZoom(200);
    const long double width = Label->Size()->Width();
    Form->UpdateStatusBar(Label, QStringLiteral("XYT"), 19, 0);
    EXPECT_EQ(Panel(1), QStringLiteral("Tamanho: ") + FormatFloat(QStringLiteral("0.00"), width + 19 * 25.4L / 192) +
                            QStringLiteral(" / 12.70"));
}

TEST_F(StatusBarTest, SelectionModeShowsStoredValues)
{
    Label->Size()->SetLeft(12.4L);
    Label->Size()->SetTop(7.0L);
    Label->Size()->SetWidth(20.6L);
    Label->Size()->SetHeight(5.25L);
    struct Case {
        bool Snap;
        bool AlignSize;
        const char* Position;
        const char* Size;
    } cases[] = {
        {false, false, "Posição: 12.40 / 7.00", "Tamanho: 20.60 / 5.25"},
        {true, false, "Posição: 12.00 / 7.00", "Tamanho: 20.60 / 5.25"},
        {false, true, "Posição: 12.40 / 7.00", "Tamanho: 21.00 / 5.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Position);
        Report->SetSnapToGrid(c.Snap);
        TVardoReportOptions options = Report->Options() - TVardoReportOptions{kvoAlinharTamanho};
        if (c.AlignSize)
            options += kvoAlinharTamanho;
        Report->SetOptions(options);
        Form->UpdateStatusBar(Label, QStringLiteral("PTU"), 0, 0);
        EXPECT_EQ(Panel(0), QString::fromUtf8(c.Position));
        EXPECT_EQ(Panel(1), QString::fromUtf8(c.Size));
        EXPECT_EQ(Panel(2), QString::fromUtf8("Milímetros"));
    }
}

TEST_F(StatusBarTest, ABandShowsPositionZeroAndItsSize)
{
    Form->UpdateStatusBar(Band, QStringLiteral("pt"), 0, 0);
    EXPECT_EQ(Panel(0), QString::fromUtf8("Posição: 0.00 / 0.00"));
    EXPECT_EQ(Panel(1), QStringLiteral("Tamanho: ") + FormatFloat(QStringLiteral("0.00"), Band->Size()->Width()) +
                            QStringLiteral(" / ") + FormatFloat(QStringLiteral("0.00"), Band->Size()->Height()));
    // The report itself, and nothing, show no position.
    Form->UpdateStatusBar(nullptr, QStringLiteral("LPT"), 0, 0);
    Form->UpdateStatusBar(Report, QStringLiteral("PT"), 0, 0);
    Form->UpdateStatusBar(nullptr, QStringLiteral("PT"), 0, 0);
    EXPECT_EQ(Panel(0), QString());
    EXPECT_EQ(Panel(1), QString());
}

TEST_F(StatusBarTest, TheFiguresUseTheSystemsDecimalSeparator)
{
    FormatSettings().DecimalSeparator = QLatin1Char(',');
    DragPosition(Label, OnScreen({96, 48}));
    EXPECT_EQ(Panel(0), QString::fromUtf8("Posição: 25,40 / 12,70"));
}

TEST_F(StatusBarTest, LettersTable)
{
    const auto fill = [this] {
        Form->UpdateStatusBar(Label, QStringLiteral("PTU"), 0, 0);
        Form->SetCurrentBand(Band);
        for (int i = 0; i < 4; ++i)
            ASSERT_FALSE(Panel(i).isEmpty()) << i;
    };
    struct Case {
        const char* Letters;
        bool Cleared[4];
    } cases[] = {
        {"LPTUM", {true, true, true, true}},
        {"LPT", {true, true, false, false}},
        {"lm", {false, false, false, true}},
        {"LU", {false, false, true, false}},
        {"L", {false, false, false, false}},
        // Without L nothing is cleared: the named panels are shown again.
        {"PTU", {false, false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Letters);
        fill();
        Form->UpdateStatusBar(Label, QString::fromLatin1(c.Letters), 0, 0);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(Panel(i).isEmpty(), c.Cleared[i]) << "panel " << i;
    }
    // The band panel names the current band.
    Form->SetCurrentBand(Band);
    EXPECT_EQ(Panel(3), QStringLiteral("Banda: ") + Band->Name());
}

TEST_F(StatusBarTest, TheHintPanelShowsTheLongHintAndNothingForZero)
{
    struct Case {
        const char* Hint;
        const char* Shown;
    } cases[] = {
        {"Abrir|Abre um novo arquivo", "Abre um novo arquivo"},
        {"Zoom", "Zoom"},
        {"0", ""},
        {"Novo|0", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Hint);
        Application().SetHint(QStringLiteral("x")); // a different hint first, so the event fires
        Application().SetHint(QString::fromUtf8(c.Hint));
        EXPECT_EQ(Panel(3), QString::fromUtf8(c.Shown));
    }
    // A new report carries the hint "0".
    EXPECT_EQ(Report->Hint(), QStringLiteral("0"));
}

TEST_F(StatusBarTest, TypedZoomTable)
{
    struct Case {
        int Before;
        const char* Typed;
        int After;
        bool Modified;
    } cases[] = {
        {100, "10", 25, true},   // below 25 counts as 25
        {100, "150", 150, true},
        {100, " 75 ", 75, true},
        {100, "100", 100, false}, // the same zoom changes nothing
        {100, "400", 100, false}, // refused by the report: nothing to save
        {100, "abc", 100, false}, // not a number: ignored
        {100, "", 100, false},
        {25, "0", 25, false},     // 0 counts as 25, which it is already
        {100, "99999999999", 100, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Typed);
        Report->SetZoom(c.Before);
        Form->SetModified(false);
        Type(QString::fromUtf8(c.Typed));
        EXPECT_EQ(Report->Zoom(), c.After);
        EXPECT_EQ(Form->IsModified(), c.Modified);
    }
}

TEST_F(StatusBarTest, TheZoomBoxAndTheActionsShowTheZoomAgain)
{
    EXPECT_EQ(Form->cbZoom->width(), 68);
    EXPECT_EQ(Form->cbZoom->toolTip(), QStringLiteral("Zoom"));
    QStringList items;
    for (int i = 0; i < Form->cbZoom->count(); ++i)
        items << Form->cbZoom->itemText(i);
    EXPECT_EQ(items, (QStringList{"300", "250", "200", "150", "100", "75", "50", "25", "Largura", "Altura",
                                  QString::fromUtf8("Página")}));
    Type(QStringLiteral("10"));
    EXPECT_EQ(Form->cbZoom->currentText(), QStringLiteral("10")); // the box keeps what was chosen
    Form->UpdateActions(true);
    EXPECT_EQ(Form->cbZoom->currentText(), QStringLiteral("25"));
    EXPECT_TRUE(Form->cbZoom->isEnabled());
}

TEST_F(StatusBarTest, FitsFillNinetyFivePercentOfTheWindow)
{
    TfmAnexo_MDIChild* window = Form->ActiveMDIChild();
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->SubWindow(), nullptr);
    window->SubWindow()->resize(600, 400);
    Report->SetZoom(50);
    const long double w100 = Report->Width() * 2.0L, h100 = Report->Height() * 2.0L;
    const int byWidth = static_cast<int>(Round(600 / w100 * 95));
    const int byHeight = static_cast<int>(Round(400 / h100 * 95));
    struct Case {
        const char* Choice;
        int Expected;
    } cases[] = {
        {"Largura", byWidth},
        {"Altura", byHeight},
        {"Página", std::min(byWidth, byHeight)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Choice);
        Report->SetZoom(50);
        Form->SetModified(false);
        Type(QString::fromUtf8(c.Choice));
        EXPECT_EQ(Report->Zoom(), c.Expected);
        EXPECT_EQ(Form->IsModified(), c.Expected != 50);
    }
    // The page fits: at the new zoom it is no larger than the window.
    Type(QString::fromUtf8("Página"));
    EXPECT_LE(Report->Width(), 600);
    EXPECT_LE(Report->Height(), 400);
}

TEST_F(StatusBarTest, FitsGuardAnEmptyPageOrWindow)
{
    TfmAnexo_MDIChild* window = Form->ActiveMDIChild();
    Report->SetZoom(100);
    // A window of no size: nothing to fit into.
    window->SubWindow()->setMinimumSize(0, 0);
    window->SubWindow()->resize(0, 0);
    Form->SetModified(false);
    for (const char* choice : {"Largura", "Altura", "Página"}) {
        Type(QString::fromUtf8(choice));
        EXPECT_EQ(Report->Zoom(), 100) << choice;
    }
    EXPECT_FALSE(Form->IsModified());
    // A page of no size.
    window->SubWindow()->resize(600, 400);
    Report->SetBounds(0, 0, 0, 0);
    for (const char* choice : {"Largura", "Altura", "Página"}) {
        Type(QString::fromUtf8(choice));
        EXPECT_EQ(Report->Zoom(), 100) << choice;
    }
    EXPECT_FALSE(Form->IsModified());
}

TEST_F(StatusBarTest, ZoomBoxKeyPressLetsOnlyDigitsAndBackspaceThrough)
{
    struct Case {
        QChar In;
        bool Kept;
    } cases[] = {
        {QLatin1Char('0'), true}, {QLatin1Char('7'), true}, {QLatin1Char('9'), true}, {QLatin1Char('\b'), true},
        {QLatin1Char('a'), false}, {QLatin1Char('-'), false}, {QLatin1Char(','), false}, {QLatin1Char(' '), false},
        {QChar(0x00E9), false}, {QChar(0x0663), false}, // an Arabic-Indic three is no decimal digit here
    };
    for (const Case& c : cases) {
        QChar key = c.In;
        Form->cbZoomKeyPress(key);
        EXPECT_EQ(!key.isNull(), c.Kept) << int(c.In.unicode());
    }
    // Enter applies the text and is used up.
    Report->SetZoom(100);
    Form->cbZoom->setEditText(QStringLiteral("150"));
    QChar enter = QLatin1Char('\r');
    Form->cbZoomKeyPress(enter);
    EXPECT_TRUE(enter.isNull());
    EXPECT_EQ(Report->Zoom(), 150);
}

TEST_F(StatusBarTest, TypingIntoTheZoomBox)
{
    // Key events as the window system delivers them: to the box, which holds the focus and hands
    // them to its editor. Letters are dropped, Enter applies what was typed, list or not.
    Report->SetZoom(100);
    QComboBox* box = Form->cbZoom;
    QLineEdit* edit = box->lineEdit();
    const auto press = [box](int key, const QString& text, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent down(QEvent::KeyPress, key, mods, text);
        QCoreApplication::sendEvent(box, &down);
        QKeyEvent up(QEvent::KeyRelease, key, mods, text);
        QCoreApplication::sendEvent(box, &up);
    };
    const auto type = [&](const QString& digits) {
        edit->clear();
        for (QChar c : digits)
            press(Qt::Key_0 + (c.unicode() - '0'), QString(c));
    };
    edit->clear();
    press(Qt::Key_1, QStringLiteral("1"));
    press(Qt::Key_X, QStringLiteral("x"));
    press(Qt::Key_2, QStringLiteral("2"));
    press(Qt::Key_5, QStringLiteral("5"));
    EXPECT_EQ(edit->text(), QStringLiteral("125"));
    press(Qt::Key_Backspace, QStringLiteral("\b"));
    EXPECT_EQ(edit->text(), QStringLiteral("12"));
    press(Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(Report->Zoom(), 25);
    // No completion from the list: "30" stays 30, not 300; a number the list lacks is applied.
    struct Case {
        const char* Typed;
        int Key;
        int Zoom;
    } cases[] = {{"30", Qt::Key_Return, 30}, {"3", Qt::Key_Enter, 25}, {"120", Qt::Key_Return, 120},
                 {"299", Qt::Key_Return, 299}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Typed);
        type(QString::fromLatin1(c.Typed));
        EXPECT_EQ(edit->text(), QString::fromLatin1(c.Typed));
        press(c.Key, QStringLiteral("\r"));
        EXPECT_EQ(Report->Zoom(), c.Zoom);
    }
    // Leaving the box applies it too; its own list opening does not.
    type(QStringLiteral("140"));
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(box, &popup);
    EXPECT_EQ(Report->Zoom(), 299);
    QFocusEvent tab(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(box, &tab);
    EXPECT_EQ(Report->Zoom(), 140);
    // L, A and P choose a fit at once; with Ctrl the letter is left to the shortcuts.
    TfmAnexo_MDIChild* window = Form->ActiveMDIChild();
    window->SubWindow()->resize(600, 400);
    press(Qt::Key_A, QStringLiteral("a"), Qt::ControlModifier);
    EXPECT_EQ(Report->Zoom(), 140);
    press(Qt::Key_P, QStringLiteral("p"));
    EXPECT_EQ(Form->cbZoom->currentText(), QString::fromUtf8("Página"));
    EXPECT_NE(Report->Zoom(), 140);
}

TEST_F(StatusBarTest, KeyDownLettersChooseTheFits)
{
    TfmAnexo_MDIChild* window = Form->ActiveMDIChild();
    window->SubWindow()->resize(600, 400);
    struct Case {
        unsigned short Key;
        const char* Choice;
    } cases[] = {{'L', "Largura"}, {'A', "Altura"}, {'P', "Página"}};
    for (const Case& c : cases) {
        Form->cbZoom->setEditText(QStringLiteral("100"));
        unsigned short key = c.Key;
        Form->cbZoomKeyDown(key, {});
        EXPECT_EQ(Form->cbZoom->currentText(), QString::fromUtf8(c.Choice));
    }
    Form->cbZoom->setEditText(QStringLiteral("100"));
    unsigned short other = 'Z';
    Form->cbZoomKeyDown(other, {});
    EXPECT_EQ(Form->cbZoom->currentText(), QStringLiteral("100"));
}

TEST_F(StatusBarTest, CaptionsFirstBandAndCurrentContainer)
{
    Form->UpdateCaptions();
    EXPECT_EQ(Form->Caption(), QStringLiteral("Tessiv"));
    EXPECT_EQ(Form->ActiveMDIChild()->Caption(), QFileInfo(Form->Document->FileName()).fileName());

    EXPECT_EQ(Form->FirstBand(), Report->BandList().front());
    Form->CurrentBand = nullptr;
    EXPECT_EQ(Form->CurrentContainer(), Form->FirstBand());
    Form->CurrentBand = Band;
    EXPECT_EQ(Form->CurrentContainer(), Band);
    // Without a document: nothing.
    TVardoRep* saved = Form->Report;
    Form->Report = nullptr;
    Form->CurrentBand = nullptr;
    EXPECT_EQ(Form->FirstBand(), nullptr);
    EXPECT_EQ(Form->CurrentContainer(), nullptr);
    Form->Report = saved;
}

TEST_F(StatusBarTest, MainMenusOffAndOnButTheWindowMenu)
{
    QMenuBar* bar = Form->Window()->menuBar();
    Form->EnableMainMenus(false);
    for (QAction* item : bar->actions()) {
        if (!item->menu())
            continue;
        const bool windowMenu = item->text() == QStringLiteral("&Janela");
        EXPECT_EQ(item->isEnabled(), windowMenu) << item->text().toStdString();
    }
    Form->EnableMainMenus(true);
    for (QAction* item : bar->actions())
        if (item->menu())
            EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();
}

TEST_F(StatusBarTest, ZoomingGrowsTheWindowsSurfaceWithTheReport)
{
    TfmAnexo_MDIChild* window = Form->ActiveMDIChild();
    Report->SetZoom(100);
    window->FitClientToReport();
    const int width = window->Client()->Width();
    Type(QStringLiteral("200"));
    ASSERT_EQ(Report->Zoom(), 200);
    EXPECT_EQ(window->Client()->Width(), Report->Left() + Report->Width());
    EXPECT_GT(window->Client()->Width(), width);
}

TEST_F(StatusBarTest, ClosingWithTheZoomBoxFocusedAppliesNothing)
{
    // The box loses the focus while the form and its documents go: nothing may be zoomed then.
    Form->Window()->activateWindow();
    Form->cbZoom->setFocus();
    Form->cbZoom->setEditText(QString::fromUtf8("Página"));
    QCoreApplication::processEvents();
    Form->AskOnClose = false;
    Form.reset();
    QCoreApplication::processEvents();
    SUCCEED();
}

TEST_F(StatusBarTest, FourPanelsTheLastTakingTheRest)
{
    const int widths[] = {150, 150, 70};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Form->StatusPanel(i)->width(), widths[i]) << i;
    EXPECT_EQ(Form->StatusPanel(2)->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    Form->Window()->resize(1032, 748);
    QCoreApplication::processEvents();
    EXPECT_GT(Form->StatusPanel(3)->width(), 300);
    Form->Window()->resize(300, 200);
    QCoreApplication::processEvents();
    EXPECT_GE(Form->StatusPanel(3)->width(), 50);
}
