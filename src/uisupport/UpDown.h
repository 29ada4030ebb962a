#pragma once
// The two arrows beside an edit box that step a whole number between Min and Max and write it
// into the box (its associate). A click first takes up what the box holds, so a typed number is
// stepped from. With ArrowKeys, Up and Down in the box step as the arrows do.

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include <functional>

class QToolButton;

namespace tessiv {

class TUpDown : public QWidget {
public:
    explicit TUpDown(QWidget* parent);

    void SetAssociate(QLineEdit* associate);
    QLineEdit* Associate() const { return FAssociate; }

    int Min = 0;
    int Max = 100;
    int Increment = 1;
    // Past a limit: to the other limit with Wrap, else it stays at the limit.
    bool Wrap = false;
    // Up and Down pressed in the associate click the up and down arrows.
    bool ArrowKeys = true;

    int Position() const { return FPosition; }
    // Clamped into Min..Max; writes the associate's text (plain digits). No OnClick.
    void SetPosition(int value);
    // The associate's text as a whole number, clamped, becomes the position; any other text gives
    // the last position back (and the text is rewritten). Without an associate, the position.
    int PositionFromText();

    enum TUDBtnType { btNext, btPrev };
    // After every click on an arrow; the position has moved when it could.
    std::function<void(TUDBtnType)> OnClick;
    // When an arrow is pressed, before the click is handled.
    std::function<void()> OnMouseDown;
    // As a click on that arrow (tests and keys).
    void Step(TUDBtnType button);

    QToolButton* NextButton() const { return FNext; }
    QToolButton* PrevButton() const { return FPrev; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WriteText();
    QPointer<QLineEdit> FAssociate;
    QToolButton* FNext = nullptr;
    QToolButton* FPrev = nullptr;
    int FPosition = 0;
};

} // namespace tessiv
