// The program's windows under a real window manager (openbox, which follows the freedesktop hints)
// on the X server, read back from what the window manager says: the preview that Ctrl+U opens
// stands above the main window in its stacking order and is transient for it, and so do a message
// box and the save dialog opened from the preview, the preview staying above the main window after
// the save dialog has closed; the data setup dialog opens with its whole frame on the screen
// whatever place is stored for it, and keeps that place; the windows carry the program's icon.
// Keys are real key events (xdotool, through the X test extension).
#include "WindowCheck.h"

#include "designer/dialogs/MyZTDataSetup.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/mainform/MyZtPreview.h"
#include "designer/surface/AnexoChild.h"
#include "engine/model/VardoRep.h"
#include "platform/core/IniFiles.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

using namespace tessiv;
using namespace windowcheck;

namespace {

QString Output(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(20000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

quint64 Wid(const QWidget* w) { return quint64(w->winId()); }

// The program's windows and any other, as the window manager stacks them, bottom first.
QList<quint64> Stacking()
{
    QList<quint64> ids;
    const QString out = Output(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    static const QRegularExpression hex(QStringLiteral("0x[0-9a-fA-F]+"));
    for (auto it = hex.globalMatch(out); it.hasNext();)
        ids << it.next().captured().toULongLong(nullptr, 16);
    return ids;
}

// The window a window is transient for (WM_TRANSIENT_FOR), or 0.
quint64 TransientFor(const QWidget* w)
{
    const QString out = Output(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(Wid(w)),
                                                         QStringLiteral("WM_TRANSIENT_FOR")});
    static const QRegularExpression id(QStringLiteral("window id # (0x[0-9a-fA-F]+)"));
    const QRegularExpressionMatch m = id.match(out);
    return m.hasMatch() ? m.captured(1).toULongLong(nullptr, 16) : 0;
}

// The window and its frame on the screen as the X server and the window manager have them: the
// client's place (xwininfo) widened by the frame the window manager reports (_NET_FRAME_EXTENTS).
QRect FrameOnScreen(const QWidget* w)
{
    const QString info = Output(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(Wid(w))});
    const auto value = [&](const char* key) {
        const QRegularExpression re(QLatin1String(key) + QStringLiteral(":\\s+(-?\\d+)"));
        return re.match(info).captured(1).toInt();
    };
    QRect r(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height"));
    const QString extents = Output(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(Wid(w)),
                                                             QStringLiteral("_NET_FRAME_EXTENTS")});
    static const QRegularExpression four(QStringLiteral("=\\s*(\\d+),\\s*(\\d+),\\s*(\\d+),\\s*(\\d+)"));
    if (const QRegularExpressionMatch m = four.match(extents); m.hasMatch())
        r = r.marginsAdded(QMargins(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(2).toInt(),
                                    m.captured(4).toInt()));
    return r;
}

// The icons a window gives the window manager (_NET_WM_ICON: width, height, then the pixels as
// ARGB values, for each size).
std::vector<QImage> WindowManagerIcons(const QWidget* w)
{
    const QString out = Output(QStringLiteral("xprop"),
                               {QStringLiteral("-id"), QString::number(Wid(w)), QStringLiteral("-notype"),
                                QStringLiteral("-f"), QStringLiteral("_NET_WM_ICON"), QStringLiteral("32c"),
                                QStringLiteral("=$0+\\n"), QStringLiteral("_NET_WM_ICON")});
    const int eq = out.indexOf(QLatin1Char('='));
    std::vector<QImage> icons;
    if (eq < 0)
        return icons;
    const QStringList words = out.mid(eq + 1).split(QLatin1Char(','), Qt::SkipEmptyParts);
    std::vector<quint32> values;
    for (const QString& word : words)
        values.push_back(word.trimmed().toUInt());
    for (size_t i = 0; i + 2 <= values.size();) {
        const int width = int(values[i]), height = int(values[i + 1]);
        i += 2;
        if (width <= 0 || height <= 0 || i + size_t(width) * size_t(height) > values.size())
            break;
        QImage image(width, height, QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, values[i++]);
        icons.push_back(image);
    }
    return icons;
}

// The same picture, give or take the rounding of a conversion.
bool SameColours(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qAlpha(p) - qAlpha(q)) > 2)
                return false;
            // Where a pixel is all but clear its colour says nothing.
            if (qAlpha(p) > 8 && (std::abs(qRed(p) - qRed(q)) > 3 || std::abs(qGreen(p) - qGreen(q)) > 3 ||
                                  std::abs(qBlue(p) - qBlue(q)) > 3))
                return false;
        }
    return true;
}

// Real keys to a window: it is activated through the window manager first.
void Keys(const QWidget* window, const QString& keys)
{
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                                                  QString::number(Wid(window))});
    Settle(200);
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys});
}

// The first shown top-level window that the test takes for the one it waits for.
QWidget* ShownWindow(const std::function<bool(QWidget*)>& wanted)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && wanted(w))
            return w;
    return nullptr;
}

TMyZtPreview* FindPreview()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* preview = dynamic_cast<TMyZtPreview*>(w); preview && preview->isVisible())
            return preview;
    return nullptr;
}

// Runs start, which opens a modal window and waits for it; once the wanted window is on the screen
// and the window manager has had it a while, check runs on it (and closes it). False when the
// window did not come.
bool WhileModal(const std::function<void()>& start, const std::function<bool(QWidget*)>& wanted,
                const std::function<void(QWidget*)>& check)
{
    bool seen = false;
    QTimer poll;
    poll.setInterval(50);
    int ticks = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* w = ShownWindow(wanted);
        if (!w) {
            if (++ticks > 200) // ten seconds: let the test end
                poll.stop();
            return;
        }
        poll.stop();
        seen = true;
        Settle(700);
        check(w);
    });
    poll.start();
    start();
    poll.stop();
    return seen;
}

// The window manager, started on the test's X server before the program shows a window.
class TWindowManager {
public:
    bool Start()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty())
            return false;
        FProcess.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (!FProcess.waitForStarted(10000))
            return false;
        // Up once it announces itself on the root window.
        for (int i = 0; i < 100; ++i) {
            if (Output(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                    .contains(QStringLiteral("window id")))
                return true;
            QThread::msleep(100);
        }
        return false;
    }
    ~TWindowManager()
    {
        if (FProcess.state() != QProcess::NotRunning) {
            FProcess.terminate();
            if (!FProcess.waitForFinished(5000))
                FProcess.kill();
        }
    }

private:
    QProcess FProcess;
};

class WindowManagerCheck : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Wm = std::make_unique<TWindowManager>();
        WmUp = Wm->Start();
        App = StartApplication();
    }
    static void TearDownTestSuite()
    {
        App.reset();
        Wm.reset();
    }

    void SetUp() override
    {
        if (!WmUp)
            GTEST_SKIP() << "openbox could not be started";
        for (const char* tool : {"xdotool", "xprop", "xwininfo"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed";
        ASSERT_TRUE(Dir.isValid());
        qputenv("HOME", Dir.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", Dir.filePath(QStringLiteral("config")).toUtf8());
        const QString label = CopyProductLabel(Dir);
        ASSERT_FALSE(label.isEmpty());
        Form = ShowMainForm({label});
        OpenCommandLine(*Form);
        ASSERT_NE(Form->ActiveMDIChild(), nullptr) << "the product label did not open";
        Settle(500);
    }
    void TearDown() override
    {
        SetDialogPresenter(nullptr);
        Form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The index of each window in the window manager's stacking, bottom first; -1 for one not there.
    static std::vector<int> Order(std::initializer_list<const QWidget*> windows)
    {
        const QList<quint64> stack = Stacking();
        std::vector<int> order;
        for (const QWidget* w : windows)
            order.push_back(int(stack.indexOf(Wid(w))));
        return order;
    }
    static void ExpectAbove(const QWidget* upper, const QWidget* lower, const char* what)
    {
        const std::vector<int> order = Order({lower, upper});
        EXPECT_GE(order[0], 0) << what << ": the lower window is not stacked";
        EXPECT_GT(order[1], order[0]) << what;
        EXPECT_EQ(TransientFor(upper), Wid(lower)) << what << ": not transient for its owner";
    }

    // A message box opened from the preview (a saved preview that is not there) stands above it.
    void MessageBoxFromPreview(TMyZtPreview* preview, const char* when)
    {
        const QString missing = Dir.filePath(QStringLiteral("nao-existe.VKR"));
        SetDialogPresenter([&](TCommonDialog& d) {
            if (auto* open = dynamic_cast<TOpenDialog*>(&d))
                open->FileName = missing;
            return true;
        });
        QString text;
        const bool seen = WhileModal([&] { preview->LoadClick(); },
                                     [](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; },
                                     [&](QWidget* box) {
                                         text = static_cast<QMessageBox*>(box)->text();
                                         ExpectAbove(box, preview, when);
                                         ExpectAbove(preview, Form->Window(), when);
                                         Keys(box, QStringLiteral("Return"));
                                     });
        SetDialogPresenter(nullptr);
        EXPECT_TRUE(seen) << when << ": no message box";
        EXPECT_EQ(text, QStringLiteral("O arquivo ") + missing + QStringLiteral(" não existe.")) << when;
    }

    // Ctrl+U pressed on the main window; once the preview's run has recorded its pages (save and
    // load wait for them), shown runs on the preview and ends by closing it. False when no preview came.
    bool WithPreview(const std::function<void(TMyZtPreview* preview)>& shown)
    {
        bool ran = false;
        QTimer poll;
        poll.setInterval(50);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            TMyZtPreview* preview = FindPreview();
            if (!preview || !preview->Button(QStringLiteral("Save"))->isEnabled())
                return;
            poll.stop();
            ran = true;
            Settle(800);
            shown(preview);
        });
        poll.start();
        Keys(Form->Window(), QStringLiteral("ctrl+u"));
        // The preview runs the document until its window closes.
        for (int i = 0; i < 600 && (!ran || FindPreview()); ++i)
            Settle(50);
        poll.stop();
        EXPECT_EQ(FindPreview(), nullptr) << "the preview stayed open";
        return ran;
    }

    static std::unique_ptr<TWindowManager> Wm;
    static bool WmUp;
    static std::unique_ptr<TQtApplication> App;
    QTemporaryDir Dir;
    std::unique_ptr<TfmAnexo, TComponentDeleter> Form;
};

std::unique_ptr<TWindowManager> WindowManagerCheck::Wm;
bool WindowManagerCheck::WmUp = false;
std::unique_ptr<TQtApplication> WindowManagerCheck::App;

TEST_F(WindowManagerCheck, ThePreviewAndWhatItOpensStayAboveTheirOwners)
{
    const bool ran = WithPreview([&](TMyZtPreview* preview) {
        EXPECT_TRUE(preview->isMaximized());
        ExpectAbove(preview, Form->Window(), "the preview as Ctrl+U opened it");
        // The preview raises the program on its activation; it stays on top.
        Keys(preview, QStringLiteral("Home"));
        Settle(400);
        ExpectAbove(preview, Form->Window(), "the preview activated again");

        MessageBoxFromPreview(preview, "a message box of the preview");
        Settle(400);
        ExpectAbove(preview, Form->Window(), "the preview after its message box");

        // The save dialog, Qt's own, over the preview; Escape closes it.
        const bool saveSeen = WhileModal([&] { preview->SaveClick(); },
                                         [](QWidget* w) { return qobject_cast<QFileDialog*>(w) != nullptr; },
                                         [&](QWidget* dialog) {
                                             ExpectAbove(dialog, preview, "the save dialog");
                                             Keys(dialog, QStringLiteral("Escape"));
                                         });
        EXPECT_TRUE(saveSeen) << "no save dialog";
        Settle(800);
        ExpectAbove(preview, Form->Window(), "the preview after its save dialog closed");
        MessageBoxFromPreview(preview, "a message box after the save dialog");

        // Escape presses the preview's own Fechar.
        Keys(preview, QStringLiteral("Escape"));
    });
    EXPECT_TRUE(ran) << "Ctrl+U opened no preview";
}

TEST_F(WindowManagerCheck, TheDataSetupDialogOpensWhollyOnTheScreenFromAnyStoredPlace)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    struct Case {
        const char* Name;
        int Left, Top;
    } const cases[] = {
        {"the screen's corner, the title bar above it", 0, 0},
        {"left of and above the screen", -700, -500},
        {"right of and below the screen", 5000, 4000},
        {"half off the bottom right", screen.width() - 200, screen.height() - 150},
    };
    TIniFile* settings = Form->Settings();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        settings->WriteInteger(QStringLiteral("DataSetup"), QStringLiteral("Left"), c.Left);
        settings->WriteInteger(QStringLiteral("DataSetup"), QStringLiteral("Top"), c.Top);
        QRect frame;
        QRect client;
        const bool seen = WhileModal([&] { Keys(Form->Window(), QStringLiteral("ctrl+t")); Settle(3000); },
                                     [](QWidget* w) {
                                         auto* window = dynamic_cast<TFormWindow*>(w);
                                         return window && dynamic_cast<TfmMyZTDataSetup*>(window->Form());
                                     },
                                     [&](QWidget* dialog) {
                                         frame = FrameOnScreen(dialog);
                                         client = dialog->geometry();
                                         EXPECT_EQ(TransientFor(dialog), Wid(Form->Window()));
                                         Keys(dialog, QStringLiteral("Escape"));
                                     });
        ASSERT_TRUE(seen) << "Ctrl+T opened no data setup dialog";
        EXPECT_TRUE(screen.contains(frame)) << "frame " << frame.x() << "," << frame.y() << " " << frame.width()
                                            << "x" << frame.height();
        EXPECT_GT(frame.height(), client.height()) << "the window manager put no title bar on the dialog";
        // What is kept is where it was: on the screen the next time too.
        EXPECT_EQ(settings->ReadInteger(QStringLiteral("DataSetup"), QStringLiteral("Left"), -1), client.x());
        EXPECT_EQ(settings->ReadInteger(QStringLiteral("DataSetup"), QStringLiteral("Top"), -1), client.y());
    }
}

TEST_F(WindowManagerCheck, TheWindowsCarryTheProgramsIcon)
{
    const QImage ours = QIcon(QStringLiteral(":/icons/Tessiv.svg")).pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(ours.isNull());
    const auto shows = [&](const QIcon& icon) {
        return !icon.isNull() && icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32) == ours;
    };
    EXPECT_TRUE(shows(Form->Window()->windowIcon())) << "the main window";
    TfmAnexo_MDIChild* child = Form->ActiveMDIChild();
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(shows(child->SubWindow()->windowIcon())) << "the document window";
    // What the window manager is given for the main window: our icon's pixels, at each size.
    const std::vector<QImage> given = WindowManagerIcons(Form->Window());
    ASSERT_FALSE(given.empty()) << "the main window gives the window manager no icon";
    for (const QImage& image : given) {
        const QImage expected = QIcon(QStringLiteral(":/icons/Tessiv.svg"))
                                    .pixmap(image.size())
                                    .toImage()
                                    .convertToFormat(QImage::Format_ARGB32);
        EXPECT_TRUE(SameColours(image, expected)) << image.width() << "x" << image.height();
    }

    const bool ran = WithPreview([&](TMyZtPreview* preview) {
        EXPECT_TRUE(shows(preview->windowIcon())) << "the preview";
        Keys(preview, QStringLiteral("Escape"));
    });
    EXPECT_TRUE(ran) << "no preview";
}

} // namespace
