// The application object, message boxes, the host widget, the clipboard and the dialogs, run with
// Qt's offscreen platform.
#include "UiFixtures.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/ControlHost.h"
#include "platform/ui/Dialogs.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace tessiv;
using namespace uitest;

TQtApplication& uitest::App()
{
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    static auto* app = new TQtApplication(argc, argv);
    return *app;
}

namespace {

struct Recorder {
    std::vector<TMessageBoxRequest> shown;
    int answer = 0;
    Recorder()
    {
        App();
        Application().SetTitle(QStringLiteral("Tessiv"));
        Application().Presenter = [this](const TMessageBoxRequest& r) {
            shown.push_back(r);
            return answer ? answer : r.DefaultButton;
        };
    }
    ~Recorder() { Application().Presenter = nullptr; }
};

using Owned = std::unique_ptr<TComponent, TComponentDeleter>;

void Send(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button)
{
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

TEST(Application, AnExceptionInAHandlerEndsInTheMessageBoxAndTheProgramGoesOn)
{
    Recorder rec;
    bool wentOn = false;
    QTimer::singleShot(0, [] { throw EConvertError(QStringLiteral("'x' is not a valid integer value")); });
    QTimer::singleShot(0, [] { throw EAbort(); }); // silent
    QTimer::singleShot(0, [&] {
        wentOn = true;
        QCoreApplication::quit();
    });
    Application().Run();
    EXPECT_TRUE(wentOn);
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].Text, QStringLiteral("'x' is not a valid integer value."));
    EXPECT_EQ(rec.shown[0].Caption, QStringLiteral("Tessiv"));
    EXPECT_EQ(rec.shown[0].Type, mtError);
    EXPECT_EQ(rec.shown[0].Buttons, std::vector<int>{IDOK});
}

TEST(Application, MessageBoxesAndDialogsOfferTheButtonsAsked)
{
    Recorder rec;
    struct Case {
        unsigned flags;
        std::vector<int> buttons;
        int defaultButton;
        TMsgDlgType type;
    } cases[] = {
        {MB_OK, {IDOK}, IDOK, mtCustom},
        {MB_YESNO | MB_ICONQUESTION, {IDYES, IDNO}, IDYES, mtConfirmation},
        {MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3, {IDYES, IDNO, IDCANCEL}, IDCANCEL, mtConfirmation},
        {MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2, {IDOK, IDCANCEL}, IDCANCEL, mtWarning},
        {MB_ABORTRETRYIGNORE | MB_ICONSTOP, {IDABORT, IDRETRY, IDIGNORE}, IDABORT, mtError},
        {MB_RETRYCANCEL | MB_ICONINFORMATION, {IDRETRY, IDCANCEL}, IDRETRY, mtInformation},
    };
    for (const Case& c : cases) {
        rec.shown.clear();
        EXPECT_EQ(Application().MessageBox(QStringLiteral("?"), QString(), c.flags), c.defaultButton);
        ASSERT_EQ(rec.shown.size(), 1u);
        EXPECT_EQ(rec.shown[0].Buttons, c.buttons) << c.flags;
        EXPECT_EQ(rec.shown[0].Type, c.type) << c.flags;
        EXPECT_EQ(rec.shown[0].Caption, QStringLiteral("Tessiv"));
    }
    rec.shown.clear();
    rec.answer = mrNo;
    EXPECT_EQ(Application().MessageDlg(QStringLiteral("Salvar?"), mtConfirmation, {mbYes, mbNo, mbCancel}), mrNo);
    EXPECT_EQ(rec.shown[0].Buttons, (std::vector<int>{mrYes, mrNo, mrCancel}));
    EXPECT_EQ(rec.shown[0].EscapeButton, mrCancel);
    EXPECT_EQ(ButtonText(mrYes), QStringLiteral("&Sim"));
    EXPECT_EQ(ButtonText(mrNo), QStringLiteral("&Não"));
    EXPECT_EQ(ButtonText(mrCancel), QStringLiteral("Cancelar"));
}

TEST(ControlHost, TheWidgetDeliversClicksPaintsAndKeepsOutlines)
{
    Recorder rec;
    Owned owner(new TComponent(nullptr));
    auto* root = MakeSwatch(owner.get(), nullptr, "Root", Rect(0, 0, 200, 100), clWhite);
    auto* a = MakeSwatch(owner.get(), root, "A", Rect(10, 10, 60, 60), clRed);
    int clicks = 0;
    a->OnClick = [&](TObject*) { ++clicks; };
    a->SetCursor(crHandPoint);
    TControlHost host;
    host.SetRoot(root);
    host.SetMargin(5);
    host.resize(300, 200);
    QWidget* surface = host.Surface();
    Send(surface, QEvent::MouseButtonPress, {30, 30}, Qt::LeftButton);
    Send(surface, QEvent::MouseButtonRelease, {30, 30}, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(surface->cursor().shape(), Qt::PointingHandCursor);

    // An exception in a control's handler reaches the message box, not the event loop.
    a->OnClick = [](TObject*) { throw EInvalidOperation(QStringLiteral("Cannot do that")); };
    Send(surface, QEvent::MouseButtonPress, {30, 30}, Qt::LeftButton);
    Send(surface, QEvent::MouseButtonRelease, {30, 30}, Qt::LeftButton);
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].Text, QStringLiteral("Cannot do that."));

    QImage before = surface->grab().toImage();
    EXPECT_EQ(before.pixel(30, 30) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(before.pixel(100, 50) & 0xFFFFFF, 0xFFFFFFu);
    host.DrawFocusRect(Rect(50, 40, 150, 90));
    QImage with = surface->grab().toImage();
    EXPECT_NE(with.pixel(50, 60), before.pixel(50, 60)); // the left edge is drawn over the painting
    host.DrawFocusRect(Rect(50, 40, 150, 90));
    QImage after = surface->grab().toImage();
    EXPECT_EQ(after.pixel(50, 60), before.pixel(50, 60)); // and gone after the second drawing
}

TEST(ControlHost, TheHintOfTheControlUnderTheMouseOrOfItsParentIsTheApplications)
{
    Recorder rec;
    Owned owner(new TComponent(nullptr));
    auto* root = MakeSwatch(owner.get(), nullptr, "Root", Rect(0, 0, 200, 100), clWhite);
    auto* band = MakeSwatch(owner.get(), root, "Band", Rect(0, 0, 200, 60), clSilver);
    auto* label = MakeSwatch(owner.get(), band, "Label", Rect(10, 10, 60, 40), clRed);
    auto* plain = MakeSwatch(owner.get(), band, "Plain", Rect(100, 10, 150, 40), clBlue);
    band->SetHint(QStringLiteral("Banda|Banda de detalhe"));
    label->SetHint(QStringLiteral("Legenda|Texto fixo"));
    (void)plain;
    int notices = 0;
    Application().OnHint = [&](TObject*) { ++notices; };
    TControlHost host;
    host.SetRoot(root);
    host.resize(300, 200);
    const auto hintAt = [&](QPoint p) {
        Send(host.Surface(), QEvent::MouseMove, p, Qt::NoButton);
        return Application().Hint();
    };
    EXPECT_EQ(hintAt({20, 20}), QStringLiteral("Legenda|Texto fixo"));
    EXPECT_EQ(hintAt({110, 20}), QStringLiteral("Banda|Banda de detalhe")); // no hint of its own
    EXPECT_EQ(hintAt({20, 80}), QString());                                 // the root has none
    EXPECT_EQ(hintAt({30, 85}), QString()) << "moving within one control changes nothing";
    EXPECT_EQ(notices, 3);
    Application().OnHint = nullptr;
}

TEST(ControlHost, TheApplicationsMessageHookSeesEveryMouseMessageFirst)
{
    Recorder rec;
    Owned owner(new TComponent(nullptr));
    auto* root = MakeSwatch(owner.get(), nullptr, "Root", Rect(0, 0, 200, 100), clWhite);
    auto* a = MakeSwatch(owner.get(), root, "A", Rect(10, 10, 60, 60), clRed);
    int downs = 0;
    a->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
    std::vector<unsigned> seen;
    Application().OnMessage = [&](TMsg& m, bool& handled) {
        seen.push_back(m.Message.Msg);
        handled = m.Message.Msg == WM_LBUTTONDOWN && m.Target == a;
    };
    TControlHost host;
    host.SetRoot(root);
    Send(host.Surface(), QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton);
    Send(host.Surface(), QEvent::MouseButtonRelease, {20, 20}, Qt::LeftButton);
    Application().OnMessage = nullptr;
    EXPECT_EQ(downs, 0);
    EXPECT_EQ(seen, (std::vector<unsigned>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
}

TEST(Screen, TheScreenCursorIsSetNotStacked)
{
    App();
    Screen().SetCursor(crHourGlass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen().SetCursor(crHourGlass);
    Screen().SetCursor(crSQLWait);
    Screen().SetCursor(crDefault); // one reset undoes any number of settings
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(Clipboard, AControlCopiedPastesIntoAnotherOwner)
{
    App();
    Owned from(new TComponent(nullptr));
    auto* c = new TControl(from.get());
    c->SetName(QStringLiteral("KVLabel1"));
    c->SetBounds(5, 6, 70, 17);
    c->SetCursor(crCross);
    RegisterClass(TControl::StaticClass());
    Clipboard().SetComponent(c);
    EXPECT_TRUE(Clipboard().HasComponent());
    Owned to(new TComponent(nullptr));
    TComponent* pasted = Clipboard().GetComponent(to.get(), nullptr);
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->Owner(), to.get());
    auto* copy = dynamic_cast<TControl*>(pasted);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->BoundsRect(), Bounds(5, 6, 70, 17));
    EXPECT_EQ(copy->Cursor(), crCross);
    Clipboard().SetAsText(QStringLiteral("{Total}"));
    EXPECT_FALSE(Clipboard().HasComponent());
    EXPECT_EQ(Clipboard().AsText(), QStringLiteral("{Total}"));
}

TEST(Dialogs, FiltersMatchEitherCaseAndPresentersAnswerForTheUser)
{
    App();
    EXPECT_EQ(TOpenDialog::QtFilters(QStringLiteral("Relatórios (*.KVR)|*.KVR|Textos|*.txt;*.TXT|Todos|*.*")),
              (QStringList{QStringLiteral("Relatórios (*.KVR *.kvr)"), QStringLiteral("Textos (*.txt *.TXT)"),
                           QStringLiteral("Todos (*)")}));
    Owned owner(new TComponent(nullptr));
    auto* save = new TSaveDialog(owner.get());
    save->DefaultExt = QStringLiteral("KVR");
    EXPECT_EQ(save->WithDefaultExt(QStringLiteral("/tmp/Tessiv1")), QStringLiteral("/tmp/Tessiv1.KVR"));
    EXPECT_EQ(save->WithDefaultExt(QStringLiteral("/tmp/a.kvr")), QStringLiteral("/tmp/a.kvr"));
    SetDialogPresenter([](TCommonDialog& d) {
        if (auto* o = dynamic_cast<TOpenDialog*>(&d))
            o->FileName = QStringLiteral("/tmp/escolhido.KVR");
        return true;
    });
    EXPECT_TRUE(save->Execute());
    EXPECT_EQ(save->FileName, QStringLiteral("/tmp/escolhido.KVR"));
    SetDialogPresenter([](TCommonDialog&) { return false; });
    auto* colour = new TColorDialog(owner.get());
    EXPECT_FALSE(colour->Execute());
    SetDialogPresenter(nullptr);
}

// The tests run under a Brazilian locale: Qt's open dialog then speaks Portuguese.
TEST(Dialogs, TheOpenDialogSpeaksTheDesktopsLanguage)
{
    App();
    ASSERT_EQ(QLocale::system().name(), QStringLiteral("pt_BR"));
    std::unique_ptr<QTranslator> translator(LoadSystemTranslations());
    ASSERT_NE(translator, nullptr);
    Owned owner(new TComponent(nullptr));
    auto* open = new TOpenDialog(owner.get());
    open->Filter = QStringLiteral("Kelvora Relatório (*.KVR)|*.KVR");
    QStringList buttons;
    QString lookIn;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        for (QPushButton* b : dialog->findChildren<QPushButton*>())
            if (b->isVisible())
                buttons << b->text();
        if (auto* label = dialog->findChild<QLabel*>(QStringLiteral("lookInLabel")))
            lookIn = label->text();
        dialog->reject();
    });
    EXPECT_FALSE(open->Execute());
    EXPECT_TRUE(buttons.contains(QStringLiteral("&Abrir"))) << buttons.join(u'|').toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Cancelar"))) << buttons.join(u'|').toStdString();
    EXPECT_FALSE(lookIn.isEmpty());
    EXPECT_NE(lookIn, QStringLiteral("Look in:"));
    translator.reset();
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
}
