// A scroll box shown by a host: its bars are the host's view onto the surface, which scrolling
// moves while the controls keep their places and the mouse keeps its place on the screen.
#include "platform/controls/ControlHostBase.h"
#include "platform/controls/ScrollBox.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tessiv;

namespace {

using Owned = std::unique_ptr<TComponent, TComponentDeleter>;

// A 400 x 300 box shown through a 100 x 80 view, with a child far to the right.
struct TBoxOnHost {
    TBoxOnHost()
    {
        Box = new TScrollBox(nullptr);
        Keep.reset(Box);
        Box->SetBounds(0, 0, 400, 300);
        Child = new TCustomControl(Box);
        Child->SetParent(Box);
        Child->SetBounds(200, 10, 50, 50);
        Host.SetRoot(Box);
        Host.SetViewportSize({100, 80});
    }
    ~TBoxOnHost() { Host.SetRoot(nullptr); }

    THeadlessHost Host;
    Owned Keep;
    TScrollBox* Box = nullptr;
    TCustomControl* Child = nullptr;
};

} // namespace

TEST(ScrollBox, TheBarsAreTheHostsViewAndKeepWithinTheRange)
{
    TBoxOnHost t;
    TControlScrollBar* h = t.Box->HorzScrollBar();
    TControlScrollBar* v = t.Box->VertScrollBar();
    EXPECT_EQ(h->Kind(), sbHorizontal);
    EXPECT_EQ(v->Kind(), sbVertical);
    EXPECT_EQ(h->Range(), 400);
    EXPECT_EQ(v->Range(), 300);
    EXPECT_EQ(h->VisibleSize(), 100);
    EXPECT_EQ(v->VisibleSize(), 80);
    EXPECT_TRUE(h->IsScrollBarVisible());

    struct Case {
        int Asked;
        int Horizontal; // where the horizontal bar ends up
        int Vertical;
    };
    const Case cases[] = {
        {50, 50, 50},
        {300, 300, 220}, // the last positions show the end of the range
        {1000, 300, 220},
        {-5, 0, 0},
    };
    for (const Case& c : cases) {
        h->SetPosition(c.Asked);
        v->SetPosition(c.Asked);
        EXPECT_EQ(h->Position(), c.Horizontal) << c.Asked;
        EXPECT_EQ(v->Position(), c.Vertical) << c.Asked;
        EXPECT_EQ(t.Host.Viewport(), Bounds(c.Horizontal, c.Vertical, 100, 80)) << c.Asked;
    }
}

TEST(ScrollBox, TheVisibleClientAreaIsThePartInView)
{
    TBoxOnHost t;
    t.Box->HorzScrollBar()->SetPosition(50);
    t.Box->VertScrollBar()->SetPosition(20);
    EXPECT_EQ(t.Box->ScreenClientRect(), Rect(50, 20, 150, 100));
    EXPECT_EQ(t.Box->VisibleClientRect(), Rect(50, 20, 150, 100));

    // With a margin round the root the surface grows by it, and the client lies inside it.
    t.Host.SetOrigin({10, 10});
    EXPECT_EQ(t.Box->HorzScrollBar()->Range(), 420);
    t.Box->HorzScrollBar()->SetPosition(0);
    t.Box->VertScrollBar()->SetPosition(0);
    EXPECT_EQ(t.Box->ScreenClientRect(), Rect(10, 10, 100, 80));
    EXPECT_EQ(t.Box->VisibleClientRect(), Rect(0, 0, 90, 70));
}

TEST(ScrollBox, ScrollingMovesTheViewAndTheMouseWithItNotTheControls)
{
    TBoxOnHost t;
    t.Host.MouseMove(30, 40);
    EXPECT_EQ(t.Box->ScrollBy(20, 500), (TPoint{20, 220}));
    // The mouse stayed where it was on the screen: over the surface it moved with the view.
    EXPECT_EQ(t.Host.MousePos(), (TPoint{50, 260}));
    EXPECT_EQ(t.Child->BoundsRect(), Rect(200, 10, 250, 60));
    EXPECT_EQ(t.Child->ClientToScreen({0, 0}), (TPoint{200, 10}));
    // Only as far as the range goes.
    EXPECT_EQ(t.Box->ScrollBy(-100, 0), (TPoint{-20, 0}));
    EXPECT_EQ(t.Box->ScrollBy(0, 0), (TPoint{0, 0}));
}

TEST(ScrollBox, ABoxNoHostScrollsShowsAllOfItself)
{
    // Not shown at all.
    Owned alone(new TScrollBox(nullptr));
    auto* box = static_cast<TScrollBox*>(alone.get());
    box->SetBounds(0, 0, 120, 90);
    EXPECT_EQ(box->HorzScrollBar()->Range(), 120);
    EXPECT_EQ(box->HorzScrollBar()->VisibleSize(), 120);
    EXPECT_FALSE(box->HorzScrollBar()->IsScrollBarVisible());
    box->HorzScrollBar()->SetPosition(40);
    EXPECT_EQ(box->HorzScrollBar()->Position(), 0);
    EXPECT_EQ(box->ScrollBy(5, 5), (TPoint{0, 0}));

    // Inside another root: the host scrolls its root, not the box.
    THeadlessHost host;
    Owned root(new TWinControl(nullptr));
    static_cast<TWinControl*>(root.get())->SetBounds(0, 0, 500, 500);
    auto* inner = new TScrollBox(root.get());
    inner->SetParent(static_cast<TWinControl*>(root.get()));
    inner->SetBounds(30, 40, 100, 100);
    host.SetRoot(static_cast<TWinControl*>(root.get()));
    host.SetViewportSize({50, 50});
    EXPECT_EQ(inner->ScrollingHost(), nullptr);
    EXPECT_EQ(inner->VertScrollBar()->Range(), 100);
    EXPECT_EQ(inner->ScreenClientRect(), Rect(30, 40, 130, 140));
    host.SetRoot(nullptr);
}

TEST(ScrollBox, AHostWithoutAViewSizeShowsTheWholeSurface)
{
    THeadlessHost host;
    Owned keep(new TScrollBox(nullptr));
    auto* box = static_cast<TScrollBox*>(keep.get());
    box->SetBounds(0, 0, 400, 300);
    host.SetRoot(box);
    EXPECT_EQ(host.Viewport(), Rect(0, 0, 400, 300));
    EXPECT_FALSE(box->VertScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(box->ScrollBy(10, 10), (TPoint{0, 0}));
    host.SetRoot(nullptr);
}

TEST(ScrollBox, PressesReachTheSameControlWhereverTheViewIs)
{
    TBoxOnHost t;
    int presses = 0;
    t.Child->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
        ++presses;
        EXPECT_EQ(x, 5);
        EXPECT_EQ(y, 5);
    };
    t.Box->HorzScrollBar()->SetPosition(180);
    t.Host.Click(205, 15);
    EXPECT_EQ(presses, 1);
}
