// Windowless controls driven through a host the way a user's mouse and keyboard drive them.
#include "platform/controls/ControlHostBase.h"
#include "platform/controls/CustomPanel.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Reader.h"
#include "platform/core/Streams.h"
#include "platform/core/Writer.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace tessiv;

namespace {

// A control that writes down what reaches it.
class TProbe : public TCustomControl {
    TESSIV_CLASS(TProbe, TCustomControl)
public:
    TProbe(TComponent* owner, std::vector<std::string>* log, TColor fill = clRed)
        : TCustomControl(owner), Log(log), Fill(fill)
    {
        OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
            Write("down", b, s, x, y);
        };
        OnMouseUp = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) { Write("up", b, s, x, y); };
        OnMouseMove = [this](TObject*, TShiftState s, int x, int y) { Write("move", mbLeft, s, x, y); };
        OnClick = [this](TObject*) { Add("click"); };
        OnDblClick = [this](TObject*) { Add("dblclick"); };
        OnKeyDown = [this](TObject*, unsigned short& key, TShiftState) {
            Add("keydown " + std::to_string(key));
            if (key == SwallowKey)
                key = 0;
        };
        OnKeyPress = [this](TObject*, QChar& c) { Add("char " + QString(c).toStdString()); };
        OnEnter = [this](TObject*) { Add("enter"); };
        OnExit = [this](TObject*) { Add("exit"); };
    }
    explicit TProbe(TComponent* owner) : TProbe(owner, nullptr) {}

    void Paint(TCanvas& canvas) override
    {
        canvas.Brush()->SetColor(Fill);
        canvas.FillRect(Rect(0, 0, Width(), Height()));
    }

    std::vector<std::string>* Log;
    TColor Fill;
    unsigned short SwallowKey = 0xFFFF;

private:
    void Add(const std::string& what)
    {
        if (Log)
            Log->push_back(Name().toStdString() + " " + what);
    }
    void Write(const char* what, TMouseButton b, TShiftState s, int x, int y)
    {
        std::string text = std::string(what) + " " + std::to_string(x) + "," + std::to_string(y);
        if (std::string(what) != "move")
            text += b == mbLeft ? " L" : b == mbRight ? " R" : " M";
        if (s.Contains(ssDouble))
            text += " double";
        Add(text);
    }
};

TESSIV_IMPLEMENT_CLASS(TProbe, TCustomControl,
    t.Integer(QStringLiteral("Color"), &TProbe::Color, &TProbe::SetColor, std::nullopt, &ColorIdents());
)

using Owned = std::unique_ptr<TComponent, TComponentDeleter>;

// root (0,0 300x200) with A at (10,10 100x100) and B at (60,60 100x100) over it; C inside B at
// (20,20 30x30).
struct Tree {
    std::vector<std::string> log;
    Owned owner{new TComponent(nullptr)};
    TProbe* root;
    TProbe* a;
    TProbe* b;
    TProbe* c;
    THeadlessHost host;

    Tree()
    {
        root = Make("Root", nullptr, 0, 0, 300, 200, clWhite);
        a = Make("A", root, 10, 10, 100, 100, clRed);
        b = Make("B", root, 60, 60, 100, 100, clBlue);
        c = Make("C", b, 20, 20, 30, 30, clLime);
        host.SetRoot(root);
    }
    TProbe* Make(const char* name, TWinControl* parent, int x, int y, int w, int h, TColor fill)
    {
        auto* p = new TProbe(owner.get(), &log, fill);
        p->SetName(QString::fromLatin1(name));
        p->SetParent(parent);
        p->SetBounds(x, y, w, h);
        return p;
    }
    std::vector<std::string> Take() { return std::exchange(log, {}); }
};

using Log = std::vector<std::string>;

} // namespace

TEST(Controls, PressesGoToTheTopmostControlAndCaptureKeepsIt)
{
    Tree t;
    t.host.Click(70, 70); // A and B overlap here; B is above
    EXPECT_EQ(t.Take(), (Log{"B down 10,10 L", "B click", "B up 10,10 L"}));

    t.host.Click(85, 85); // inside C, which is inside B
    EXPECT_EQ(t.Take(), (Log{"C down 5,5 L", "C click", "C up 5,5 L"}));

    // Pressed on A, dragged over B and released there: A keeps the mouse, gets no click.
    t.host.MousePress(mbLeft, 20, 20);
    t.host.MouseMove(150, 150);
    t.host.MouseRelease(mbLeft, 150, 150);
    EXPECT_EQ(t.Take(), (Log{"A down 10,10 L", "A move 140,140", "A up 140,140 L"}));
    EXPECT_EQ(t.host.Capture(), nullptr);
    t.host.MouseMove(150, 150);
    EXPECT_EQ(t.Take(), (Log{"B move 90,90"}));

    // The right button works the same way; the shift state travels with the message.
    t.host.MousePress(mbRight, 20, 20, TShiftState{ssShift});
    t.host.MouseRelease(mbRight, 20, 20);
    EXPECT_EQ(t.Take(), (Log{"A down 10,10 R", "A up 10,10 R"}));
}

TEST(Controls, InvisibleAndDisabledControlsGetNothing)
{
    Tree t;
    t.b->Hide();
    t.host.Click(70, 70); // B is hidden: A gets it
    EXPECT_EQ(t.Take(), (Log{"A down 60,60 L", "A click", "A up 60,60 L"}));
    t.b->Show();
    t.b->SetEnabled(false);
    t.host.Click(85, 85); // C is inside the disabled B: nobody gets it
    t.host.Click(70, 70);
    EXPECT_EQ(t.Take(), Log{});
    t.b->SetEnabled(true);
    t.host.Click(290, 190); // only the root is there
    EXPECT_EQ(t.Take(), (Log{"Root down 290,190 L", "Root click", "Root up 290,190 L"}));
    t.host.Click(400, 400); // outside the root
    EXPECT_EQ(t.Take(), Log{});
}

TEST(Controls, ZOrderDecidesHitsAndChangesWithBringToFrontAndSendToBack)
{
    Tree t;
    t.a->BringToFront();
    t.host.Click(70, 70);
    EXPECT_EQ(t.Take()[0], "A down 60,60 L");
    t.a->SendToBack();
    t.host.Click(70, 70);
    EXPECT_EQ(t.Take()[0], "B down 10,10 L");
    EXPECT_EQ(t.root->Controls(0), t.a);
    EXPECT_EQ(t.root->ControlAtPos({70, 70}), t.b);
    EXPECT_EQ(t.root->FindDeepControlAt({85, 85}), t.c);
}

TEST(Controls, DoubleClickAndAControlThatTakesTheCaptureItself)
{
    Tree t;
    t.host.MouseDoubleClick(mbLeft, 20, 20);
    t.host.MouseRelease(mbLeft, 20, 20);
    EXPECT_EQ(t.Take(), (Log{"A dblclick", "A down 10,10 L double", "A up 10,10 L"}));

    // A control that keeps the mouse after the button is up (a drag that goes on) gets moves
    // anywhere until it lets go.
    t.a->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { t.a->SetMouseCapture(true); };
    t.host.Click(20, 20);
    t.Take();
    t.host.MouseMove(250, 150);
    EXPECT_EQ(t.Take(), (Log{"A move 240,140"}));
    t.a->SetMouseCapture(false);
    t.host.MouseMove(250, 150);
    EXPECT_EQ(t.Take(), (Log{"Root move 250,150"}));
}

TEST(Controls, KeysGoToTheFocusedControl)
{
    Tree t;
    t.host.KeyPress('A', QChar('a'));
    EXPECT_EQ(t.Take(), (Log{"Root keydown 65", "Root char a"})); // nothing focused: the root
    t.c->SetFocus();
    EXPECT_TRUE(t.c->Focused());
    t.a->SetFocus();
    EXPECT_EQ(t.Take(), (Log{"C enter", "C exit", "A enter"}));
    t.host.KeyPress(VK_RETURN, QChar('\r'));
    t.a->SwallowKey = 'X';
    t.host.KeyPress('X', QChar('x')); // cleared by the handler: no character follows
    EXPECT_EQ(t.Take(), (Log{"A keydown 13", "A char \r", "A keydown 88"}));

    t.b->Hide();
    EXPECT_FALSE(t.c->CanFocus());
    EXPECT_THROW(t.c->SetFocus(), EInvalidOperation);
    // Hiding the focused control takes the focus away.
    t.a->Hide();
    EXPECT_EQ(t.host.FocusedControl(), nullptr);
}

TEST(Controls, CursorComesFromTheControlUnderTheMouseOrItsParents)
{
    Tree t;
    t.b->SetCursor(crHandPoint);
    t.host.MouseMove(85, 85); // over C, whose cursor is the default
    EXPECT_EQ(t.host.CurrentCursor(), crHandPoint);
    t.host.MouseMove(20, 20);
    EXPECT_EQ(t.host.CurrentCursor(), crDefault);
    Screen().SetCursor(crHourGlass);
    EXPECT_EQ(t.host.CurrentCursor(), crHourGlass);
    Screen().SetCursor(crDefault);
}

TEST(Controls, ExclusiveOrRectanglesAndInvalidAreas)
{
    Tree t;
    const TRect r = Rect(5, 5, 50, 40);
    t.host.DrawFocusRect(r);
    t.host.DrawFocusRect(Rect(1, 1, 2, 2));
    EXPECT_EQ(t.host.FocusRects().size(), 2u);
    t.host.DrawFocusRect(r); // the same rectangle again removes it
    ASSERT_EQ(t.host.FocusRects().size(), 1u);
    EXPECT_EQ(t.host.FocusRects()[0], Rect(1, 1, 2, 2));

    t.host.ValidateAll();
    t.c->SetLeft(40); // old and new places need painting, in surface coordinates
    const QRegion invalid = t.host.InvalidRegion();
    EXPECT_TRUE(invalid.contains(QRect(80, 80, 30, 30)));
    EXPECT_TRUE(invalid.contains(QRect(100, 80, 30, 30)));
    EXPECT_FALSE(invalid.contains(QPoint(5, 5)));
}

TEST(Controls, AComponentCanWatchAndInterceptAnotherControlsMessages)
{
    Tree t;
    int seen = 0;
    TWndMethod previous = t.a->WindowProc;
    t.a->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_LBUTTONDOWN) {
            ++seen;
            return; // handled here: A never sees it
        }
        previous(m);
    };
    t.host.Click(20, 20);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(t.Take(), (Log{"A up 10,10 L"}));
    t.a->WindowProc = previous;
}

TEST(Controls, PaintsInZOrderClippedToParents)
{
    Tree t;
    t.c->SetBounds(80, 80, 60, 60); // sticks out of B: the part outside B is not painted
    QImage image(300, 200, QImage::Format_ARGB32);
    image.fill(Qt::black);
    {
        TImageCanvas canvas(image);
        t.host.PaintTree(canvas);
    }
    auto at = [&](int x, int y) { return image.pixel(x, y) & 0xFFFFFF; };
    EXPECT_EQ(at(5, 5), 0xFFFFFFu);   // root
    EXPECT_EQ(at(20, 20), 0xFF0000u); // A
    EXPECT_EQ(at(70, 70), 0x0000FFu); // B over A
    EXPECT_EQ(at(145, 145), 0x00FF00u); // C inside B
    EXPECT_EQ(at(165, 165), 0xFFFFFFu); // C outside B: clipped away
}

TEST(Controls, ParentFontAndParentColorFollowTheParent)
{
    Tree t;
    t.root->Font()->SetName(QStringLiteral("Courier New"));
    EXPECT_EQ(t.c->Font()->Name(), QStringLiteral("Courier New"));
    t.c->Font()->SetSize(14); // its own font now
    EXPECT_FALSE(t.c->ParentFont());
    t.b->Font()->SetName(QStringLiteral("Arial"));
    EXPECT_EQ(t.c->Font()->Name(), QStringLiteral("Courier New"));

    t.a->SetParentColor(true);
    EXPECT_EQ(t.a->Color(), t.root->Color());
    t.root->SetColor(clYellow);
    EXPECT_EQ(t.a->Color(), clYellow);
    EXPECT_TRUE(t.a->ParentColor());
}

TEST(Controls, AlignLaysOutChildren)
{
    Owned owner(new TComponent(nullptr));
    auto* panel = new TCustomPanel(owner.get());
    panel->SetBevelOuter(bvNone);
    panel->SetBounds(0, 0, 200, 100);
    auto* top = new TCustomPanel(owner.get());
    top->SetParent(panel);
    top->SetHeight(20);
    top->SetAlign(alTop);
    auto* client = new TCustomPanel(owner.get());
    client->SetParent(panel);
    client->SetAlign(alClient);
    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 200, 20));
    EXPECT_EQ(client->BoundsRect(), Rect(0, 20, 200, 100));
    panel->SetHeight(150);
    EXPECT_EQ(client->BoundsRect(), Rect(0, 20, 200, 150));
}

TEST(Controls, PostedMessagesArriveInOrderAndNotAfterTheControlIsGone)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name};
    QCoreApplication app(argc, argv);
    Tree t;
    std::vector<std::intptr_t> got;
    t.a->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_USER + 1)
            got.push_back(m.WParam);
    };
    for (int i = 1; i <= 3; ++i)
        PostMessage(t.a, WM_USER + 1, i, 0);
    PostMessage(t.b, WM_USER + 1, 99, 0);
    t.b->Free(); // B and C go before the loop runs
    EXPECT_TRUE(got.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(got, (std::vector<std::intptr_t>{1, 2, 3}));
}

TEST(Controls, ChildrenStreamUnderTheirParents)
{
    RegisterClasses({&TProbe::StaticClass()});
    Tree t;
    t.b->SetCursor(crHandPoint);
    t.c->SetColor(clYellow);
    TMemoryStream s;
    {
        TWriter w(s);
        w.SetRoot(t.owner.get());
        w.WriteComponent(t.root);
    }
    const QByteArray bytes = s.Bytes();
    EXPECT_TRUE(bytes.contains("\x06" "Cursor\x07\x0b" "crHandPoint"));
    EXPECT_TRUE(bytes.contains("\x05" "Color\x07\x08" "clYellow"));

    Owned target(new TComponent(nullptr));
    s.SetPosition(0);
    TReader r(s);
    r.SetRoot(target.get());
    r.SetOwner(target.get());
    TComponent* root = r.ReadComponent(nullptr);
    auto* root2 = dynamic_cast<TWinControl*>(root);
    ASSERT_NE(root2, nullptr);
    ASSERT_EQ(root2->ControlCount(), 2);
    auto* b2 = dynamic_cast<TWinControl*>(root2->Controls(1));
    EXPECT_EQ(b2->Name(), QStringLiteral("B"));
    EXPECT_EQ(b2->BoundsRect(), Rect(60, 60, 160, 160));
    EXPECT_EQ(b2->Cursor(), crHandPoint);
    ASSERT_EQ(b2->ControlCount(), 1);
    EXPECT_EQ(b2->Controls(0)->Name(), QStringLiteral("C"));
    EXPECT_EQ(b2->Controls(0)->Color(), clYellow);
}

TEST(Controls, FreeingAParentFreesItsChildrenWhoeverOwnsThem)
{
    Tree t;
    t.c->SetFocus();
    t.host.MousePress(mbLeft, 85, 85); // C has the mouse
    t.b->Free();
    EXPECT_EQ(t.owner->ComponentCount(), 2); // root and A
    EXPECT_EQ(t.host.Capture(), nullptr);
    EXPECT_EQ(t.host.FocusedControl(), nullptr);
    t.host.MouseRelease(mbLeft, 85, 85); // goes to A now, not to freed memory
}

TEST(Controls, DraggingAControlOntoOneThatAcceptsIt)
{
    Tree t;
    t.a->SetDragMode(dmAutomatic);
    std::vector<std::string> drag;
    t.b->OnDragOver = [&](TObject*, TObject* source, int x, int y, TDragState state, bool& accept) {
        drag.push_back("over " + std::to_string(state) + " " + std::to_string(x) + "," + std::to_string(y));
        accept = source == t.a;
    };
    t.b->OnDragDrop = [&](TObject*, TObject* source, int x, int y) {
        drag.push_back(std::string("drop ") + (source == t.a ? "A " : "? ") + std::to_string(x) + "," +
                       std::to_string(y));
    };
    t.a->OnEndDrag = [&](TObject*, TObject* target, int, int) {
        drag.push_back(std::string("end ") + (target == t.b ? "B" : target ? "?" : "nowhere"));
    };

    t.host.MousePress(mbLeft, 20, 20); // starts a drag, not a press
    t.host.MouseMove(22, 21);          // not far enough yet
    EXPECT_TRUE(drag.empty());
    t.host.MouseMove(150, 150); // over B
    EXPECT_EQ(t.host.CurrentCursor(), crDrag);
    t.host.MouseMove(151, 150);
    t.host.MouseRelease(mbLeft, 151, 150);
    EXPECT_EQ(drag, (std::vector<std::string>{"over 0 90,90", "over 2 91,90", "drop A 91,90", "end B"}));
    EXPECT_EQ(t.Take(), Log{}); // no mouse press or click reached A
    EXPECT_FALSE(t.a->Dragging());

    // Over a control that does not take drops the cursor says no, and the drag ends nowhere.
    drag.clear();
    t.host.MousePress(mbLeft, 20, 20);
    t.host.MouseMove(250, 150); // the root has no OnDragOver
    EXPECT_EQ(t.host.CurrentCursor(), crNoDrop);
    t.host.MouseRelease(mbLeft, 250, 150);
    EXPECT_EQ(drag, (std::vector<std::string>{"end nowhere"}));

    // Escape cancels over an accepting control: no drop.
    drag.clear();
    t.host.MousePress(mbLeft, 20, 20);
    t.host.MouseMove(150, 150);
    t.host.KeyPress(VK_ESCAPE, QChar(27));
    EXPECT_EQ(drag, (std::vector<std::string>{"over 0 90,90", "end nowhere"}));
    t.host.MouseRelease(mbLeft, 150, 150);
    EXPECT_EQ(t.Take(), (Log{"B up 90,90 L"})); // the drag is over: an ordinary release
}
