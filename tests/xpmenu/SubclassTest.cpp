// The control subclass object's state machine driven by real pointer, key and focus
// events on a shown test form: hot tracking, space and button state, paint counts,
// double clicks and giving the controls back.
#include "xpmenu/Xpmenu.h"

#include "XpTestSupport.h"
#include "framework/Buttons.h"
#include "framework/StdCtrls.h"
#include "xpmenu/XpSubclass.h"

#include <QCursor>
#include <QKeyEvent>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

class SubclassTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QCursor::setPos(1000, 900); // away from the form
        Form = std::make_unique<TForm>(nullptr);
        Form->SetClientSize(320, 200);
        Button = new TButton(Form.get(), Form.get());
        Button->SetBounds(10, 10, 75, 25);
        Button->SetCaption(QStringLiteral("Button"));
        Button->OnClick = [this](TObject*) { ++ButtonClicks; };
        Check = new TCheckBox(Form.get(), Form.get());
        Check->SetBounds(10, 50, 120, 17);
        Check->SetCaption(QStringLiteral("Check"));
        Check->OnClick = [this](TObject*) { ++CheckClicks; };
        Speed = new TSpeedButton(Form.get(), Form.get());
        Speed->SetBounds(10, 80, 60, 22);
        Speed->SetCaption(QStringLiteral("Speed"));
        Speed->OnClick = [this](TObject*) { ++SpeedClicks; };
        Other = new TButton(Form.get(), Form.get());
        Other->SetBounds(150, 10, 75, 25);
        Other->SetCaption(QStringLiteral("Other"));
        XP = new TXPMenu(Form.get());
    }

    void ShowActive(bool active = true)
    {
        XP->SetActive(active);
        Form->Show();
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    }

    // Lets pending paints run, then reads the paint count.
    static int SettledPaints(TControlSubClass* sub)
    {
        QTest::qWait(30);
        return sub->PaintCount;
    }

    // A key-down the keyboard repeats while the key is held.
    static void RepeatSpace(QWidget* w)
    {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QCoreApplication::sendEvent(w, &repeat);
    }

    std::unique_ptr<TForm> Form;
    TButton *Button, *Other;
    TCheckBox* Check;
    TSpeedButton* Speed;
    TXPMenu* XP;
    int ButtonClicks = 0, CheckClicks = 0, SpeedClicks = 0;
};

} // namespace

TEST_F(SubclassTest, HeldSpacePaintsOnceAndReleasePaintsAgain)
{
    ShowActive();
    for (QWidget* w : std::initializer_list<QWidget*>{Button, Check}) {
        SCOPED_TRACE(w->metaObject()->className());
        TControlSubClass* sub = TControlSubClass::Of(w);
        ASSERT_TRUE(sub);
        w->setFocus(Qt::TabFocusReason);
        GW_TRY_TRUE(sub->Hot);
        const int before = SettledPaints(sub);

        QTest::keyPress(w, Qt::Key_Space);
        EXPECT_TRUE(sub->SpacePressed);
        // The control repaints its pressed state at once, which the hook sees too; then
        // the key-down paints directly.
        EXPECT_EQ(sub->PaintCount, before + 2) << "the key-down paints directly";
        const int afterDown = SettledPaints(sub);
        for (int i = 0; i < 3; ++i)
            RepeatSpace(w);
        EXPECT_EQ(SettledPaints(sub), afterDown) << "repeats paint nothing";
        EXPECT_TRUE(sub->SpacePressed);

        QTest::keyRelease(w, Qt::Key_Space);
        EXPECT_FALSE(sub->SpacePressed);
        EXPECT_FALSE(sub->SpaceRepeat);
        EXPECT_GT(sub->PaintCount, afterDown);
    }
}

TEST_F(SubclassTest, LosingTheFocusWithSpaceHeldClearsThePressedState)
{
    ShowActive();
    TControlSubClass* sub = TControlSubClass::Of(Button);
    ASSERT_TRUE(sub);
    Button->setFocus(Qt::TabFocusReason);
    GW_TRY_TRUE(Button->hasFocus());
    QTest::keyPress(Button, Qt::Key_Space);
    RepeatSpace(Button);
    ASSERT_TRUE(sub->SpacePressed);
    // The pointer takes the focus elsewhere while the key is still held.
    QTest::mouseClick(Other, Qt::LeftButton);
    GW_TRY_TRUE(Other->hasFocus());
    EXPECT_FALSE(sub->SpacePressed);
    EXPECT_FALSE(sub->Hot);
    EXPECT_EQ(ButtonClicks, 0);

    // Back on the button a new key-down paints again (the repeat filter was reset).
    Button->setFocus(Qt::TabFocusReason);
    GW_TRY_TRUE(Button->hasFocus());
    const int before = SettledPaints(sub);
    QTest::keyPress(Button, Qt::Key_Space);
    EXPECT_EQ(sub->PaintCount, before + 2);
    QTest::keyRelease(Button, Qt::Key_Space);
    EXPECT_EQ(ButtonClicks, 1);
}

TEST_F(SubclassTest, PointerAndButtonTrackHotAndPressed)
{
    ShowActive();
    TControlSubClass* sub = TControlSubClass::Of(Check);
    ASSERT_TRUE(sub);
    const int before = SettledPaints(sub);
    QTest::mouseMove(Check, QPoint(5, 8));
    GW_TRY_TRUE(sub->Hot);
    EXPECT_GT(sub->PaintCount, before);
    QTest::mousePress(Check, Qt::LeftButton, {}, QPoint(5, 8));
    EXPECT_TRUE(sub->LeftButtonDown);
    QTest::mouseRelease(Check, Qt::LeftButton, {}, QPoint(5, 8));
    EXPECT_FALSE(sub->LeftButtonDown);
    EXPECT_EQ(CheckClicks, 1);
    EXPECT_TRUE(Check->Checked());
    // Clicking took the focus: leaving does not take the hot state from a focused
    // control until the focus goes too.
    QTest::mouseMove(Other, QPoint(5, 5));
    GW_TRY_TRUE(!sub->Hot);

    // A windowless control is repainted through its own paint.
    TControlSubClass* speed = TControlSubClass::Of(Speed);
    ASSERT_TRUE(speed);
    QTest::mouseMove(Speed, QPoint(5, 5));
    GW_TRY_TRUE(speed->Hot);
    QTest::mouseMove(Other, QPoint(5, 5));
    GW_TRY_TRUE(!speed->Hot);
}

TEST_F(SubclassTest, AControlDisabledUnderThePointerIsNotHotWhenEnabledAgain)
{
    ShowActive();
    TControlSubClass* sub = TControlSubClass::Of(Other);
    ASSERT_TRUE(sub);
    QTest::mouseMove(Other, QPoint(5, 5));
    GW_TRY_TRUE(sub->Hot);
    Other->SetEnabled(false);
    EXPECT_FALSE(sub->Hot);
    // The pointer leaves while the control is disabled (no leave notice counts then).
    QTest::mouseMove(Button, QPoint(5, 5));
    QTest::qWait(30);
    Other->SetEnabled(true);
    QTest::qWait(30);
    EXPECT_FALSE(sub->Hot);
}

TEST_F(SubclassTest, ADoubleClickIsExactlyTwoClicksWithAndWithoutTheComponent)
{
    for (const bool active : {true, false}) {
        SCOPED_TRACE(active ? "active" : "inactive");
        SetUp();
        ShowActive(active);
        QTest::qWait(30); // inactive: the controls are given back at their first message
        QWindow* window = Form->windowHandle();
        ASSERT_TRUE(window);
        const struct {
            QWidget* Control;
            const int* Clicks;
        } cases[] = {{Button, &ButtonClicks}, {Check, &CheckClicks}, {Speed, &SpeedClicks}};
        for (const auto& c : cases) {
            SCOPED_TRACE(c.Control->metaObject()->className());
            const QPoint at = c.Control->mapTo(Form.get(), QPoint(5, 8));
            // A press sent on top of Qt's own would not click (the control is already
            // down), but the control sees it.
            int presses = 0;
            TControl::Of(c.Control)->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++presses; };
            // Through the window system: press, release, press (a double click), release.
            QTest::mouseDClick(window, Qt::LeftButton, {}, at);
            GW_TRY_EQ(*c.Clicks, 2);
            QTest::qWait(30);
            EXPECT_EQ(*c.Clicks, 2);
            EXPECT_EQ(presses, 2);
            TControl::Of(c.Control)->OnMouseDown = nullptr;
        }
        EXPECT_FALSE(Check->Checked()) << "toggled twice";
        EXPECT_EQ(TControlSubClass::Of(Button) != nullptr, active);
        Form.reset();
        ButtonClicks = CheckClicks = SpeedClicks = 0;
    }
}
