// The flat tool-bar button that stays down, in groups of one parent with at most one button down,
// and the up-down arrows that step a whole number between limits in the edit box beside them.
#include "UiSupportFixtures.h"

#include "uisupport/SpeedButton.h"
#include "uisupport/UpDown.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

using namespace uisupporttest;

namespace {

struct TGroup {
    // The application first: a widget needs it.
    std::unique_ptr<QWidget> Panel = (App(), std::make_unique<QWidget>());
    std::vector<TSpeedButton*> Buttons;
    std::vector<int> Clicks;
    explicit TGroup(int count, int groupIndex, bool allowAllUp)
    {
        for (int i = 0; i < count; ++i) {
            auto* b = new TSpeedButton(Panel.get(), QStringLiteral("hint %1").arg(i));
            b->SetGroupIndex(groupIndex);
            b->SetAllowAllUp(allowAllUp);
            b->OnClick = [this, i] { Clicks.push_back(i); };
            Buttons.push_back(b);
        }
    }
    // The down buttons as one text: "010" for the second of three.
    std::string Downs() const
    {
        std::string s;
        for (TSpeedButton* b : Buttons)
            s += b->Down() ? '1' : '0';
        return s;
    }
};

} // namespace

TEST(SpeedButton, ClicksInAGroupKeepAtMostOneDown)
{
    struct TCase {
        const char* Name;
        bool AllowAllUp;
        std::vector<int> Clicks;
        std::string Downs;
    } cases[] = {
        {"none clicked", false, {}, "000"},
        {"one", false, {1}, "010"},
        {"another takes over", false, {1, 2}, "001"},
        {"the down one clicked stays down", false, {1, 1}, "010"},
        {"back to the first", false, {0, 2, 0}, "100"},
        {"all up allowed: the down one clicked goes up", true, {1, 1}, "000"},
        {"all up allowed: another takes over", true, {1, 2}, "001"},
        {"all up allowed: down again", true, {0, 0, 0}, "100"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TGroup group(3, 1, c.AllowAllUp);
        for (int i : c.Clicks)
            QTest::mouseClick(group.Buttons[static_cast<size_t>(i)], Qt::LeftButton);
        EXPECT_EQ(group.Downs(), c.Downs);
        // Every click is announced, also one that changes nothing.
        EXPECT_EQ(group.Clicks, c.Clicks);
    }
}

TEST(SpeedButton, SettingDownRaisesTheOthersWithoutAClick)
{
    TGroup group(3, 4, false);
    group.Buttons[0]->SetDown(true);
    group.Buttons[2]->SetDown(true);
    EXPECT_EQ(group.Downs(), "001");
    // Set up by the program: allowed even where a click could not raise it.
    group.Buttons[2]->SetDown(false);
    EXPECT_EQ(group.Downs(), "000");
    EXPECT_TRUE(group.Clicks.empty());
    EXPECT_EQ(group.Buttons[1]->toolTip(), QStringLiteral("hint 1"));
}

TEST(SpeedButton, GroupsAreByParentAndIndex)
{
    TGroup group(2, 1, false);
    // The same index in another panel is another group; another index in the panel too.
    TGroup elsewhere(1, 1, false);
    auto* other = new TSpeedButton(group.Panel.get());
    other->SetGroupIndex(2);
    group.Buttons[0]->Click();
    elsewhere.Buttons[0]->Click();
    other->Click();
    EXPECT_EQ(group.Downs(), "10");
    EXPECT_TRUE(elsewhere.Buttons[0]->Down());
    EXPECT_TRUE(other->Down());
    // Joining a group with a button down raises the one that was down there.
    other->SetGroupIndex(1);
    EXPECT_EQ(group.Downs(), "00");
    EXPECT_TRUE(other->Down());
}

TEST(SpeedButton, AllowAllUpIsOneRuleForTheWholeGroup)
{
    TGroup group(3, 1, false);
    group.Buttons[0]->SetAllowAllUp(true);
    for (TSpeedButton* b : group.Buttons)
        EXPECT_TRUE(b->AllowAllUp());
    group.Buttons[2]->Click();
    group.Buttons[2]->Click();
    EXPECT_EQ(group.Downs(), "000");
}

TEST(SpeedButton, AToggleIsAGroupOfOneAndAPlainButtonNeverStaysDown)
{
    TGroup toggle(1, 7, true);
    toggle.Buttons[0]->Click();
    EXPECT_TRUE(toggle.Buttons[0]->Down());
    toggle.Buttons[0]->Click();
    EXPECT_FALSE(toggle.Buttons[0]->Down());

    TGroup plain(2, 0, false);
    plain.Buttons[0]->Click();
    plain.Buttons[1]->Click();
    EXPECT_EQ(plain.Downs(), "00");
    EXPECT_EQ(plain.Clicks, (std::vector<int>{0, 1}));
}

TEST(SpeedButton, ADisabledButtonIgnoresClicks)
{
    TGroup group(2, 1, false);
    group.Buttons[1]->setEnabled(false);
    group.Buttons[1]->Click();
    QTest::mouseClick(group.Buttons[1], Qt::LeftButton);
    EXPECT_EQ(group.Downs(), "00");
    EXPECT_TRUE(group.Clicks.empty());
}

namespace {

struct TBoxAndArrows {
    // The application first: a widget needs it.
    std::unique_ptr<QWidget> Panel = (App(), std::make_unique<QWidget>());
    QLineEdit* Box = nullptr;
    TUpDown* Arrows = nullptr;
    std::vector<TUpDown::TUDBtnType> Clicks;
    int Presses = 0;
    TBoxAndArrows(int min, int max, int increment, int position)
    {
        Box = new QLineEdit(Panel.get());
        Arrows = new TUpDown(Panel.get());
        Arrows->Min = min;
        Arrows->Max = max;
        Arrows->Increment = increment;
        Arrows->SetAssociate(Box);
        Arrows->SetPosition(position);
        Arrows->OnClick = [this](TUpDown::TUDBtnType b) { Clicks.push_back(b); };
        Arrows->OnMouseDown = [this] { ++Presses; };
    }
};

} // namespace

TEST(UpDown, ThePositionStaysWithinItsLimitsAndShowsInTheBox)
{
    struct TCase {
        int Set;
        int Position;
    } cases[] = {{57, 57}, {20, 20}, {200, 200}, {19, 20}, {201, 200}, {-3, 20}, {100000, 200}};
    TBoxAndArrows ud(20, 200, 5, 100);
    EXPECT_EQ(ud.Box->text(), QStringLiteral("100"));
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Set);
        ud.Arrows->SetPosition(c.Set);
        EXPECT_EQ(ud.Arrows->Position(), c.Position);
        EXPECT_EQ(ud.Box->text(), QString::number(c.Position));
    }
    // Setting the position is not a click.
    EXPECT_TRUE(ud.Clicks.empty());
}

TEST(UpDown, TheArrowsStepByTheIncrementAndStopAtTheLimits)
{
    TBoxAndArrows ud(2, 999, 1, 2);
    QTest::mouseClick(ud.Arrows->NextButton(), Qt::LeftButton);
    QTest::mouseClick(ud.Arrows->NextButton(), Qt::LeftButton);
    EXPECT_EQ(ud.Arrows->Position(), 4);
    EXPECT_EQ(ud.Box->text(), QStringLiteral("4"));
    QTest::mouseClick(ud.Arrows->PrevButton(), Qt::LeftButton);
    EXPECT_EQ(ud.Arrows->Position(), 3);
    EXPECT_EQ(ud.Clicks, (std::vector<TUpDown::TUDBtnType>{TUpDown::btNext, TUpDown::btNext, TUpDown::btPrev}));
    // A press is told before its click.
    EXPECT_EQ(ud.Presses, 3);

    // At a limit the position stays and the click is still told.
    for (int i = 0; i < 3; ++i)
        ud.Arrows->Step(TUpDown::btPrev);
    EXPECT_EQ(ud.Arrows->Position(), 2);
    EXPECT_EQ(ud.Clicks.size(), 6u);
    ud.Arrows->SetPosition(999);
    ud.Arrows->Step(TUpDown::btNext);
    EXPECT_EQ(ud.Arrows->Position(), 999);
    EXPECT_EQ(ud.Box->text(), QStringLiteral("999"));

    // A step larger than the room left stops at the limit; with Wrap it goes round.
    TBoxAndArrows scale(20, 200, 5, 198);
    scale.Arrows->Step(TUpDown::btNext);
    EXPECT_EQ(scale.Arrows->Position(), 200);
    scale.Arrows->Wrap = true;
    scale.Arrows->Step(TUpDown::btNext);
    EXPECT_EQ(scale.Arrows->Position(), 20);
    scale.Arrows->Step(TUpDown::btPrev);
    EXPECT_EQ(scale.Arrows->Position(), 200);
}

TEST(UpDown, WhatIsTypedInTheBoxIsSteppedFrom)
{
    // In turn: what is typed, and the position read from it, which the box then shows.
    struct TCase {
        const char* Typed;
        int Read;
    } cases[] = {{"7", 7}, {" 12 ", 12}, {"0", 2}, {"5000", 999}, {"abc", 999}, {"", 999}, {"-4", 2}};
    TBoxAndArrows ud(2, 999, 1, 2);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Typed);
        ud.Box->setText(QString::fromLatin1(c.Typed));
        EXPECT_EQ(ud.Arrows->PositionFromText(), c.Read);
        EXPECT_EQ(ud.Arrows->Position(), c.Read);
        EXPECT_EQ(ud.Box->text(), QString::number(c.Read));
    }
    ud.Box->setText(QStringLiteral("41"));
    QTest::mouseClick(ud.Arrows->NextButton(), Qt::LeftButton);
    EXPECT_EQ(ud.Arrows->Position(), 42);
    EXPECT_EQ(ud.Box->text(), QStringLiteral("42"));
}

TEST(UpDown, WithoutItsBoxItKeepsThePosition)
{
    TBoxAndArrows ud(1, 10, 1, 3);
    delete ud.Box;
    ud.Box = nullptr;
    EXPECT_EQ(ud.Arrows->Associate(), nullptr);
    ud.Arrows->Step(TUpDown::btNext);
    EXPECT_EQ(ud.Arrows->Position(), 4);
    EXPECT_EQ(ud.Arrows->PositionFromText(), 4);
}

TEST(UpDown, ADisabledUpDownTakesNoClicks)
{
    TBoxAndArrows ud(1, 10, 1, 3);
    ud.Arrows->setEnabled(false);
    QTest::mouseClick(ud.Arrows->NextButton(), Qt::LeftButton);
    EXPECT_EQ(ud.Arrows->Position(), 3);
    EXPECT_TRUE(ud.Clicks.empty());
    EXPECT_EQ(ud.Presses, 0);
}

TEST(UpDown, UpAndDownInTheBoxStepLikeTheArrows)
{
    TBoxAndArrows ud(1, 999, 1, 2);
    ud.Box->setText(QStringLiteral("10"));
    QTest::keyClick(ud.Box, Qt::Key_Up);
    EXPECT_EQ(ud.Arrows->Position(), 11);
    EXPECT_EQ(ud.Box->text(), QStringLiteral("11"));
    QTest::keyClick(ud.Box, Qt::Key_Down);
    QTest::keyClick(ud.Box, Qt::Key_Down);
    EXPECT_EQ(ud.Arrows->Position(), 9);
    EXPECT_EQ(ud.Clicks, (std::vector<TUpDown::TUDBtnType>{TUpDown::btNext, TUpDown::btPrev, TUpDown::btPrev}));
    // Other keys are the box's own.
    QTest::keyClick(ud.Box, Qt::Key_5);
    EXPECT_EQ(ud.Box->text(), QStringLiteral("95"));

    // Not with the keys turned off, nor while the up-down is disabled.
    ud.Arrows->ArrowKeys = false;
    QTest::keyClick(ud.Box, Qt::Key_Up);
    ud.Arrows->ArrowKeys = true;
    ud.Arrows->setEnabled(false);
    QTest::keyClick(ud.Box, Qt::Key_Up);
    EXPECT_EQ(ud.Clicks.size(), 3u);
    EXPECT_EQ(ud.Box->text(), QStringLiteral("95"));

    // Another box taken as the associate: the first one's keys are its own again.
    auto* other = new QLineEdit(ud.Panel.get());
    ud.Arrows->setEnabled(true);
    ud.Arrows->SetAssociate(other);
    QTest::keyClick(ud.Box, Qt::Key_Up);
    EXPECT_EQ(ud.Clicks.size(), 3u);
    QTest::keyClick(other, Qt::Key_Up);
    EXPECT_EQ(ud.Clicks.size(), 4u);
}
