// Window placement kept in the settings file. These run headless and again on a real X server
// (test_uisupport_window under xvfb-run).
#include "UiSupportFixtures.h"

#include "platform/core/Strings.h"
#include "uisupport/AppUtils.h"
#include "uisupport/FormPlacement.h"

#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

using namespace tessiv;
using namespace uisupporttest;

namespace {

using FormPtr = std::unique_ptr<TForm, TComponentDeleter>;

class PlacementTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        ASSERT_TRUE(Dir.isValid());
        IniPath = Dir.filePath(QStringLiteral("Tessiv.INI"));
    }
    void TearDown() override { TForm::SetMainForm(nullptr); }

    // The main window as the program makes it: an MDI parent with "fpAnexo" and its section.
    FormPtr MakeMain(TFormStyle style = fsMDIForm)
    {
        FormPtr form(new TfmAnexo(nullptr));
        TForm::SetMainForm(form.get());
        form->SetFormStyle(style);
        form->SetBounds(50, 60, 400, 300);
        auto* fp = new TFormPlacement(form.get());
        fp->SetName(QStringLiteral("fpAnexo"));
        fp->SetIniFileName(IniPath);
        fp->SetIniSection(QStringLiteral("PosicaoAnexo"));
        return form;
    }
    static TFormPlacement* PlacementOf(TForm* form)
    {
        return static_cast<TFormPlacement*>(form->FindComponent(QStringLiteral("fpAnexo")));
    }
    QString Read(const QString& ident)
    {
        TIniFile ini(IniPath);
        return ini.ReadString(QStringLiteral("PosicaoAnexo"), ident, QStringLiteral("<none>"));
    }
    void Write(const QString& ident, const QString& value)
    {
        TIniFile ini(IniPath);
        ini.WriteString(QStringLiteral("PosicaoAnexo"), ident, value);
    }
    static QString Ppi(int delta = 0) { return QString::number(ScreenPixelsPerInchNow() + delta); }

    QTemporaryDir Dir;
    QString IniPath;
};

} // namespace

TEST_F(PlacementTest, AFirstStartRestoresNothingAndTheFirstCloseWritesEveryKey)
{
    FormPtr form = MakeMain();
    form->Show();
    Pump();
    EXPECT_TRUE(PlacementOf(form.get())->Restored());
    // Nothing stored: the design state, maximized for an MDI parent.
    EXPECT_EQ(form->WindowState(), wsMaximized);
    EXPECT_FALSE(QFile::exists(IniPath));

    form->Close();
    EXPECT_TRUE(PlacementOf(form.get())->Saved());
    TStringList keys;
    TIniFile ini(IniPath);
    ini.ReadSection(QStringLiteral("PosicaoAnexo"), &keys);
    const QString suffix = ScreenResolutionSuffix();
    EXPECT_EQ(keys.ToStringList(),
              (QStringList{QStringLiteral("FormVersion"), QStringLiteral("Flags"), QStringLiteral("ShowCmd"),
                           QStringLiteral("PixelsPerInch"), QStringLiteral("MinMaxPos") + suffix,
                           QStringLiteral("MinMaxPos"), QStringLiteral("NormPos") + suffix, QStringLiteral("NormPos"),
                           QStringLiteral("Visible")}));
    EXPECT_EQ(Read(QStringLiteral("FormVersion")), QStringLiteral("0"));
    EXPECT_EQ(Read(QStringLiteral("ShowCmd")), QStringLiteral("3"));
    EXPECT_EQ(Read(QStringLiteral("PixelsPerInch")), Ppi());
    EXPECT_EQ(Read(QStringLiteral("NormPos")), QStringLiteral("50,60,450,360"));
    EXPECT_EQ(Read(QStringLiteral("NormPos") + suffix), QStringLiteral("50,60,450,360"));
    EXPECT_EQ(Read(QStringLiteral("Visible")), QStringLiteral("0"));
}

TEST_F(PlacementTest, ANormalWindowComesBackWhereItWasClosed)
{
    {
        FormPtr form = MakeMain(fsNormal);
        form->Show();
        Pump();
        EXPECT_EQ(form->WindowState(), wsNormal);
        form->SetBounds(120, 80, 380, 260);
        Pump();
        form->Close();
    }
    EXPECT_EQ(Read(QStringLiteral("NormPos")), QStringLiteral("120,80,500,340"));
    EXPECT_EQ(Read(QStringLiteral("ShowCmd")), QStringLiteral("1"));
    FormPtr again = MakeMain(fsNormal);
    again->Show();
    Pump();
    EXPECT_EQ(again->BoundsRect(), Rect(120, 80, 500, 340));
    EXPECT_EQ(again->WindowState(), wsNormal);

    // Hidden and shown again, it stays where it was moved meanwhile.
    again->SetBounds(200, 150, 300, 200);
    again->Hide();
    again->Show();
    Pump();
    EXPECT_EQ(again->BoundsRect(), Rect(200, 150, 500, 350));
}

TEST_F(PlacementTest, AChangedResolutionFallsBackToTheUnsuffixedKeys)
{
    Write(QStringLiteral("PixelsPerInch"), Ppi());
    Write(QStringLiteral("ShowCmd"), QStringLiteral("1"));
    Write(QStringLiteral("NormPos(1x1)"), QStringLiteral("1,1,2,2"));
    Write(QStringLiteral("NormPos"), QStringLiteral("30,40,330,240"));
    {
        FormPtr form = MakeMain(fsNormal);
        form->Show();
        Pump();
        EXPECT_EQ(form->BoundsRect(), Rect(30, 40, 330, 240));
        form->Hide();
    }
    // The keys of this resolution win over the last ones saved in any.
    Write(QStringLiteral("NormPos") + ScreenResolutionSuffix(), QStringLiteral("70,90,370,290"));
    FormPtr form = MakeMain(fsNormal);
    form->Show();
    Pump();
    EXPECT_EQ(form->BoundsRect(), Rect(70, 90, 370, 290));
}

TEST_F(PlacementTest, AChangedPixelsPerInchKeepsTheStateButNotTheRectangle)
{
    Write(QStringLiteral("PixelsPerInch"), Ppi(24));
    Write(QStringLiteral("ShowCmd"), QStringLiteral("3"));
    Write(QStringLiteral("NormPos"), QStringLiteral("30,40,330,240"));
    FormPtr form = MakeMain(fsNormal);
    form->Show();
    Pump();
    EXPECT_EQ(form->WindowState(), wsMaximized);
    form->SetWindowState(wsNormal);
    Pump();
    EXPECT_EQ(form->BoundsRect(), Rect(50, 60, 450, 360));
}

TEST_F(PlacementTest, AWindowClosedMinimizedComesBackMinimized)
{
    {
        FormPtr form = MakeMain(fsNormal);
        form->Show();
        Pump();
        form->SetWindowState(wsMinimized);
        Pump();
        form->Close();
    }
    EXPECT_EQ(Read(QStringLiteral("ShowCmd")), QStringLiteral("2"));
    FormPtr form = MakeMain(fsNormal);
    form->Show();
    // Shown normal first; the minimizing is posted.
    EXPECT_EQ(form->WindowState(), wsNormal);
    Pump();
    EXPECT_EQ(form->WindowState(), wsMinimized);
}

TEST_F(PlacementTest, ARectangleOffEveryScreenIsBroughtBack)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect avail = screen->availableGeometry();
    Write(QStringLiteral("PixelsPerInch"), Ppi());
    Write(QStringLiteral("ShowCmd"), QStringLiteral("1"));
    Write(QStringLiteral("NormPos"), QStringLiteral("9000,9000,9300,9200"));
    FormPtr form = MakeMain(fsNormal);
    form->Show();
    Pump();
    const TRect r = form->BoundsRect();
    EXPECT_EQ(r.Width(), 300);
    EXPECT_EQ(r.Height(), 200);
    EXPECT_TRUE(avail.contains(QRect(r.Left, r.Top, r.Width(), r.Height())))
        << r.Left << "," << r.Top << " in " << avail.width() << "x" << avail.height();

    // Larger than the screen: shrunk to it.
    EXPECT_EQ(FitRectToScreens(Rect(-5000, 10, 20000, 30)),
              Rect(avail.left(), 10, avail.left() + avail.width(), 30));
    EXPECT_EQ(FitRectToScreens(Rect(10, 20, 110, 120)), Rect(10, 20, 110, 120));
}

TEST_F(PlacementTest, AFormShownAtAPlaceOffTheScreensOpensOnOne)
{
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        const char* Name;
        int Left, Top;
        bool Stays;
    } cases[] = {
        {"left of and above the screen", -600, -400, false},
        {"right of the screen", avail.right() + 500, 20, false},
        {"half below the screen", 30, avail.bottom() - 20, false},
        {"on the screen", avail.left() + 40, avail.top() + 50, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        FormPtr form(new TForm(nullptr));
        form->SetBounds(c.Left, c.Top, 200, 150);
        form->Show();
        Pump();
        const TRect r = form->BoundsRect();
        EXPECT_TRUE(avail.contains(QRect(r.Left, r.Top, r.Width(), r.Height()))) << r.Left << "," << r.Top;
        EXPECT_EQ(r.Width(), 200);
        EXPECT_EQ(r.Height(), 150);
        if (c.Stays)
            EXPECT_EQ(r, Rect(c.Left, c.Top, c.Left + 200, c.Top + 150));
    }
}

TEST_F(PlacementTest, AFormThatBelongsToAWindowIsTransientForIt)
{
    FormPtr owner(new TForm(nullptr));
    owner->SetBounds(20, 20, 300, 200);
    owner->Show();
    FormPtr form(new TForm(nullptr));
    form->SetOwnerWindow(owner->Window());
    form->SetBounds(60, 60, 200, 150);
    form->Show();
    Pump();
    ASSERT_NE(form->Window()->windowHandle(), nullptr);
    EXPECT_EQ(form->Window()->windowHandle()->transientParent(), owner->Window()->windowHandle());
    // Qt marks only dialogs transient for their parent; it keeps its frame's buttons.
    EXPECT_EQ(form->Window()->windowType(), Qt::Dialog);
    EXPECT_TRUE(form->Window()->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form->Window()->isWindow());
    EXPECT_EQ(form->BoundsRect(), Rect(60, 60, 260, 210));
    // The window goes with its owner's; the form is left without one.
    owner.reset();
    EXPECT_EQ(form->Window(), nullptr);
}

TEST_F(PlacementTest, AnOlderVersionIsIgnoredAndOverwritten)
{
    Write(QStringLiteral("FormVersion"), QStringLiteral("1"));
    Write(QStringLiteral("PixelsPerInch"), Ppi());
    Write(QStringLiteral("ShowCmd"), QStringLiteral("1"));
    Write(QStringLiteral("NormPos"), QStringLiteral("30,40,330,240"));
    FormPtr form = MakeMain(fsNormal);
    PlacementOf(form.get())->SetVersion(2);
    form->Show();
    Pump();
    EXPECT_EQ(form->BoundsRect(), Rect(50, 60, 450, 360));
    form->Close();
    EXPECT_EQ(Read(QStringLiteral("FormVersion")), QStringLiteral("2"));
}

TEST_F(PlacementTest, AFormNeverShownDoesNotOverwriteWhatIsStored)
{
    Write(QStringLiteral("NormPos"), QStringLiteral("30,40,330,240"));
    const QByteArray before = FileBytes(IniPath);
    {
        FormPtr form = MakeMain(fsNormal);
        PlacementOf(form.get())->Save();
        EXPECT_FALSE(PlacementOf(form.get())->Saved());
    }
    EXPECT_EQ(FileBytes(IniPath), before);
}

TEST_F(PlacementTest, DestroyedWithoutClosingItSavesAsVisible)
{
    {
        FormPtr form = MakeMain(fsNormal);
        form->Show();
        Pump();
    }
    EXPECT_EQ(Read(QStringLiteral("Visible")), QStringLiteral("1"));
    EXPECT_EQ(Read(QStringLiteral("NormPos")), QStringLiteral("50,60,450,360"));
}

TEST_F(PlacementTest, TheFormsOwnHandlersStillRunAndMayRefuseToClose)
{
    FormPtr form(new TfmAnexo(nullptr));
    TForm::SetMainForm(form.get());
    form->SetBounds(50, 60, 400, 300);
    int shown = 0, destroyed = 0;
    bool allow = false;
    bool restoredFirst = false;
    form->OnShow = [&](TObject*) {
        ++shown;
        restoredFirst = PlacementOf(form.get())->Restored();
    };
    form->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = allow; };
    form->OnDestroy = [&](TObject*) { ++destroyed; };
    auto* fp = new TFormPlacement(form.get());
    fp->SetName(QStringLiteral("fpAnexo"));
    fp->SetIniFileName(IniPath);
    form->Show();
    Pump();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(restoredFirst);
    // Without a section of its own, the form's class names it.
    EXPECT_EQ(fp->IniSection(), QStringLiteral("TfmAnexo"));

    form->Close();
    EXPECT_TRUE(form->Visible());
    EXPECT_FALSE(fp->Saved());
    EXPECT_FALSE(QFile::exists(IniPath));
    allow = true;
    form->Close();
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(fp->Saved());
    TIniFile ini(IniPath);
    EXPECT_EQ(ini.ReadString(QStringLiteral("TfmAnexo"), QStringLiteral("NormPos"), QString()),
              QStringLiteral("50,60,450,360"));
    form.reset();
    EXPECT_EQ(destroyed, 1);

    // Destroyed without closing, it saves under its own class name too.
    QFile::remove(IniPath);
    form.reset(new TfmAnexo(nullptr));
    auto* again = new TFormPlacement(form.get());
    again->SetIniFileName(IniPath);
    form->Show();
    Pump();
    form.reset();
    TIniFile after(IniPath);
    EXPECT_EQ(after.ReadString(QStringLiteral("TfmAnexo"), QStringLiteral("Visible"), QString()), QStringLiteral("1"));
    EXPECT_FALSE(after.SectionExists(QStringLiteral("TForm")));
}

TEST_F(PlacementTest, TheFocusedControlComesBack)
{
    auto make = [this] {
        FormPtr form = MakeMain(fsNormal);
        PlacementOf(form.get())->SetOptions(TPlacementOptions{fpState, fpPosition, fpActiveControl});
        auto* central = new QWidget;
        auto* a = new QLineEdit(central);
        a->setObjectName(QStringLiteral("edNome"));
        auto* b = new QLineEdit(central);
        b->setObjectName(QStringLiteral("edValor"));
        b->move(0, 40);
        form->Window()->setCentralWidget(central);
        return form;
    };
    {
        FormPtr form = make();
        form->Show();
        Pump();
        form->SetActiveControl(form->Window()->findChild<QWidget*>(QStringLiteral("edValor")));
        form->Close();
    }
    EXPECT_EQ(Read(QStringLiteral("ActiveControl")), QStringLiteral("edValor"));
    FormPtr form = make();
    form->Show();
    Pump();
    ASSERT_NE(form->ActiveControl(), nullptr);
    EXPECT_EQ(form->ActiveControl()->objectName(), QStringLiteral("edValor"));
}

TEST_F(PlacementTest, PreventResizeHoldsTheSizeAndTakesTheMaximizeButton)
{
    FormPtr form = MakeMain(fsNormal);
    TFormPlacement* fp = PlacementOf(form.get());
    fp->SetPreventResize(true);
    EXPECT_FALSE(form->BorderIcons().Contains(biMaximize));
    EXPECT_EQ(fp->WndHook()->WinControl(), form->Window());
    form->Show();
    Pump();
    QWidget* w = form->Window();
    EXPECT_EQ(w->minimumSize(), QSize(400, 300));
    EXPECT_EQ(w->maximumSize(), QSize(400, 300));
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    // Changing the buttons shows the window again: that is no restore.
    EXPECT_TRUE(form->Visible());

    fp->SetPreventResize(false);
    EXPECT_TRUE(form->BorderIcons().Contains(biMaximize));
    EXPECT_EQ(fp->WndHook()->WinControl(), nullptr);
    EXPECT_EQ(w->minimumSize(), QSize(0, 0));
    EXPECT_EQ(w->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));

    fp->MinMaxInfo()->SetMinTrackWidth(300);
    fp->MinMaxInfo()->SetMaxTrackHeight(500);
    EXPECT_EQ(fp->WndHook()->WinControl(), form->Window());
    EXPECT_EQ(w->minimumWidth(), 300);
    EXPECT_EQ(w->maximumHeight(), 500);
    EXPECT_EQ(w->minimumHeight(), 0);
}

TEST_F(PlacementTest, LinksKeepTheirKeysWhileTheFileIsOpen)
{
    FormPtr form = MakeMain(fsNormal);
    TFormPlacement* fp = PlacementOf(form.get());
    TIniLink link;
    link.SetStorage(fp);
    EXPECT_EQ(link.RootSection(), QStringLiteral("PosicaoAnexo\\"));
    EXPECT_EQ(link.IniObject(), nullptr);
    QString loaded;
    link.OnSave = [&](TObject*) {
        ASSERT_NE(link.IniObject(), nullptr);
        link.IniObject()->WriteString(link.RootSection() + QStringLiteral("Mine"), QStringLiteral("K"), QStringLiteral("v"));
    };
    link.OnLoad = [&](TObject*) {
        ASSERT_NE(link.IniObject(), nullptr);
        loaded = link.IniObject()->ReadString(link.RootSection() + QStringLiteral("Mine"), QStringLiteral("K"), QString());
    };
    form->Show();
    Pump();
    EXPECT_EQ(loaded, QString());
    form->Close();
    EXPECT_EQ(link.IniObject(), nullptr);
    fp->Restore();
    EXPECT_EQ(loaded, QStringLiteral("v"));

    // The placement going unlinks it.
    form.reset();
    EXPECT_EQ(link.Storage(), nullptr);
    EXPECT_EQ(link.RootSection(), QString());
}

TEST_F(PlacementTest, WithNothingStoredOnlyAnMDIParentOrADefaultPlacedMainFormStartsMaximized)
{
    struct Case {
        TFormStyle Style;
        TPosition Position;
        bool Main;
        TWindowState Expected;
    };
    const Case cases[] = {
        {fsMDIForm, poDesigned, true, wsMaximized},
        {fsNormal, poDefault, true, wsMaximized},
        {fsNormal, poDesigned, true, wsNormal},
        {fsMDIForm, poDesigned, false, wsNormal},
        {fsNormal, poDefault, false, wsNormal},
    };
    for (const Case& c : cases) {
        // Each form saves as it goes: every case starts without a file.
        QFile::remove(IniPath);
        FormPtr main(new TfmDialogo(nullptr));
        TForm::SetMainForm(main.get());
        FormPtr form = MakeMain(c.Style);
        form->SetPosition(c.Position);
        TForm::SetMainForm(c.Main ? form.get() : main.get());
        form->Show();
        Pump();
        EXPECT_EQ(form->WindowState(), c.Expected) << c.Style << " " << c.Position << " " << c.Main;
        form->Hide();
    }
}

TEST_F(PlacementTest, AFixedBorderKeepsItsSizeAndACentredFormTakesTheStoredPosition)
{
    Write(QStringLiteral("PixelsPerInch"), Ppi());
    Write(QStringLiteral("ShowCmd"), QStringLiteral("1"));
    Write(QStringLiteral("NormPos"), QStringLiteral("30,40,330,240"));
    FormPtr form = MakeMain(fsNormal);
    form->SetBorderStyle(TFormBorderStyle::bsDialog);
    form->SetPosition(poScreenCenter);
    form->Show();
    Pump();
    EXPECT_EQ(form->BoundsRect(), Rect(30, 40, 430, 340));
    EXPECT_EQ(form->Position(), poDesigned);
}

TEST_F(PlacementTest, AMinimizedDocumentWindowIsStoredWithItsMinimizedPosition)
{
    FormPtr main = MakeMain(fsMDIForm);
    FormPtr child(new TfmDialogo(nullptr));
    child->SetFormStyle(fsMDIChild);
    child->SetBounds(10, 10, 200, 150);
    child->Show();
    child->SetWindowState(wsMinimized);
    Pump();
    TIniFile ini(IniPath);
    SaveWindowPlacement(child.get(), &ini, QStringLiteral("Filho"));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Filho"), QStringLiteral("Flags"), -1) & WPF_SETMINPOSITION,
              int(WPF_SETMINPOSITION));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Filho"), QStringLiteral("ShowCmd"), -1), SW_SHOWMINIMIZED);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Filho"), QStringLiteral("NormPos"), QString()), QStringLiteral("10,10,210,160"));
}

TEST_F(PlacementTest, ASettingsFileThatCannotBeWrittenIsReportedAndTheFormStillCloses)
{
    // A folder where the file should be: writing fails.
    ASSERT_TRUE(QDir(Dir.path()).mkpath(QStringLiteral("Tessiv.INI")));
    QStringList shown;
    Application().OnException = [&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            shown << QString::fromUtf8(x.what());
        }
    };
    {
        FormPtr form = MakeMain(fsNormal);
        form->Show();
        Pump();
        EXPECT_TRUE(form->Visible());
        form->Close();
        EXPECT_FALSE(form->Visible());
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].contains(QStringLiteral("Unable to write"))) << shown[0].toStdString();
        // Not saved: destroying the form tries once more, and says so again.
    }
    Application().OnException = nullptr;
    EXPECT_EQ(shown.size(), 2);
}
