// Events presented as window messages to hooks, after the control's own handling.
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Messages.h"
#include "framework/StdCtrls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct THookFixture : ::testing::Test {
    // Declared before the form: the hooks still hear WM_DESTROY when it goes.
    std::vector<TMessage> seen;
    int key = 0;
    TForm form{nullptr};
    TButton* button = new TButton(&form);
    TCheckBox* box = new TCheckBox(&form);

    void SetUp() override
    {
        form.resize(200, 100);
        button->SetBounds(10, 10, 80, 25);
        box->SetBounds(10, 50, 80, 25);
        HookWindowProc(button, &key, [this](TMessage& m) { seen.push_back(m); });
    }

    std::vector<unsigned> Numbers() const
    {
        std::vector<unsigned> n;
        for (const TMessage& m : seen)
            if (m.Msg != WM_PAINT)
                n.push_back(m.Msg);
        return n;
    }
};

} // namespace

TEST_F(THookFixture, MouseButtonsArriveAfterTheControlHandledThem)
{
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    bool downSeen = false, clickedBeforeUp = false;
    HookWindowProc(button, &key, [&](TMessage& m) {
        seen.push_back(m);
        if (m.Msg == WM_LBUTTONDOWN)
            downSeen = button->isDown();
        if (m.Msg == WM_LBUTTONUP)
            clickedBeforeUp = clicks == 1;
    });
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 7));
    EXPECT_EQ(Numbers(), (std::vector<unsigned>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
    EXPECT_TRUE(downSeen);
    EXPECT_TRUE(clickedBeforeUp);
    EXPECT_EQ(seen.front().WParam, MK_LBUTTON);
    EXPECT_EQ(seen.front().LParam, (7 << 16) | 5);
    seen.clear();
    QTest::mouseDClick(button, Qt::LeftButton);
    EXPECT_NE(std::find(Numbers().begin(), Numbers().end(), WM_LBUTTONDBLCLK), Numbers().end());
    seen.clear();
    QTest::mouseClick(button, Qt::RightButton);
    EXPECT_TRUE(Numbers().empty());
}

TEST_F(THookFixture, PointerEnterAndLeave)
{
    QEvent enter(QEvent::Enter), leave(QEvent::Leave);
    QApplication::sendEvent(button, &enter);
    QApplication::sendEvent(button, &leave);
    EXPECT_EQ(Numbers(), (std::vector<unsigned>{CM_MOUSEENTER, CM_MOUSELEAVE}));
    EXPECT_EQ(CM_MOUSEENTER, 0xB013u);
    EXPECT_EQ(CM_MOUSELEAVE, 0xB014u);
}

TEST_F(THookFixture, FocusChanges)
{
    form.Show();
    QApplication::setActiveWindow(&form);
    button->setFocus(Qt::TabFocusReason);
    box->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Numbers(), (std::vector<unsigned>{WM_SETFOCUS, WM_KILLFOCUS, CM_EXIT}));
}

TEST_F(THookFixture, KeysWithVirtualKeyCodesAndRepeats)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ", true);
    QKeyEvent repeatPress(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ");
    for (QKeyEvent* e : {&press, &repeatRelease, &repeatPress, &release})
        QApplication::sendEvent(button, e);
    EXPECT_EQ(Numbers(), (std::vector<unsigned>{WM_KEYDOWN, WM_KEYDOWN, WM_KEYUP}));
    for (const TMessage& m : seen)
        EXPECT_EQ(m.WParam, VK_SPACE);
    EXPECT_EQ(seen[0].LParam & (1 << 30), 0);
    EXPECT_NE(seen[1].LParam & (1 << 30), 0);
}

TEST_F(THookFixture, EnabledTextAndCheckChanges)
{
    button->SetEnabled(false);
    button->SetCaption("Apply");
    button->SetCaption("Apply"); // unchanged: no message
    HookWindowProc(box, &key, [this](TMessage& m) { seen.push_back(m); });
    box->SetChecked(true);
    EXPECT_EQ(Numbers(), (std::vector<unsigned>{CM_ENABLEDCHANGED, CM_TEXTCHANGED, BM_SETCHECK}));
    EXPECT_EQ(CM_ENABLEDCHANGED, 0xB00Cu);
    EXPECT_EQ(CM_TEXTCHANGED, 0xB012u);
}

TEST_F(THookFixture, UnhookedControlsAreLeftAlone)
{
    EXPECT_TRUE(IsWindowProcHooked(button, &key));
    UnhookWindowProc(button, &key);
    EXPECT_FALSE(IsWindowProcHooked(button, &key));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(seen.empty());
}

TEST_F(THookFixture, PerformSendsARealPressToTheControl)
{
    Perform(button, WM_LBUTTONDOWN, MK_LBUTTON, (3 << 16) | 3);
    EXPECT_TRUE(button->isDown());
    EXPECT_EQ(Numbers(), (std::vector<unsigned>{WM_LBUTTONDOWN}));
    Perform(button, WM_LBUTTONUP, 0, (3 << 16) | 3);
    EXPECT_FALSE(button->isDown());
    // Messages without a Qt event reach the hooks only.
    int other = 0;
    HookWindowProc(button, &other, [](TMessage& m) { m.Result = 42; });
    EXPECT_EQ(Perform(button, CM_INVALIDATE), 42);
}

TEST(MessageHooks, PaintHookDrawsOverTheControlsOwnPainting)
{
    TPanel panel(nullptr);
    panel.resize(20, 20);
    panel.SetBevelOuter(bvNone);
    panel.SetColor(clWhite);
    int key = 0;
    HookWindowProc(&panel, &key, [&](TMessage& m) {
        if (m.Msg != WM_PAINT)
            return;
        TControlCanvas canvas(&panel);
        ASSERT_TRUE(canvas.HandleAllocated());
        canvas.Brush.Color = clRed;
        canvas.FillRect(TRect(0, 0, 5, 5));
    });
    const QImage image = panel.grab().toImage();
    EXPECT_EQ(image.pixel(2, 2) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(10, 10) & 0xFFFFFF, 0xFFFFFFu);

    // Outside painting the canvas draws nothing.
    TControlCanvas outside(&panel);
    EXPECT_FALSE(outside.HandleAllocated());
}

TEST(MessageHooks, SuppressedPaintLeavesThePaintingToTheHook)
{
    TLabel label(nullptr);
    label.setAutoFillBackground(true);
    label.SetFont("Sans", -20);
    label.SetCaption("MMMM");
    label.resize(80, 30);
    auto ink = [&label] {
        const QImage image = label.grab().toImage();
        int count = 0;
        const QRgb bg = image.pixel(79, 29);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixel(x, y) != bg;
        return count;
    };
    EXPECT_GT(ink(), 0);
    int key = 0, paints = 0;
    HookWindowProc(&label, &key, [&](TMessage& m) {
        if (m.Msg == WM_PAINT) {
            ++paints;
            EXPECT_EQ(m.Result, 1);
        }
    }, true);
    EXPECT_EQ(ink(), 0);
    EXPECT_GT(paints, 0);
}
