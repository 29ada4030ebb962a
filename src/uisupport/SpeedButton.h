#pragma once
// A flat tool-bar button that can stay down. Buttons of one parent with the same non-zero group
// index form a group: at most one of them is down. In a group without AllowAllUp a down button
// stays down when clicked; with AllowAllUp a click raises it. A button that toggles on its own is
// a group of one with AllowAllUp. Group index 0 is a plain push button.

#include <QString>
#include <QToolButton>

#include <functional>

namespace tessiv {

class TSpeedButton : public QToolButton {
public:
    explicit TSpeedButton(QWidget* parent, const QString& hint = {});

    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool value);
    bool Down() const { return isChecked(); }
    // No OnClick. Down in a group puts the others of the group up.
    void SetDown(bool value);

    // A user click, after Down followed the group's rules.
    std::function<void()> OnClick;
    // As a user click.
    void Click();

protected:
    void nextCheckState() override;

private:
    void RaiseOthers();
    void AfterClick();
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
};

} // namespace tessiv
