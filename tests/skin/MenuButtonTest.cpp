// Caption menu buttons: binding, dropping a menu, releasing, Escape, item choice, the
// hover switch between menus (timer ticks driven by the test) and Alt accelerators.
#include "skin/Neowin.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class MenuButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MenuSwitchState = 1;
        FForm = std::make_unique<TNeoForm>(nullptr);
        FForm->SetClientSize(500, 300);
        for (int i = 0; i < 2; ++i) {
            auto* menu = new TPopupMenu(FForm.get());
            for (int k = 0; k < 3; ++k) {
                auto* item = new TMenuItem(FForm.get());
                item->SetCaption(QStringLiteral("Item %1.%2").arg(i).arg(k));
                item->OnClick = [this, i, k](TObject*) { FChosen = i * 10 + k; };
                menu->Items()->Add(item);
            }
            FMenus[i] = menu;
        }
        FForm->SetMenuButton(0, FMenus[0], QStringLiteral("文件(&F)"));
        FForm->SetMenuButton(1, FMenus[1], QStringLiteral("浏览(&V)"));
        FForm->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(FForm.get()));
        FForm->move(60, 40);
        FButtons[0] = FForm->FindMenuButton(0);
        FButtons[1] = FForm->FindMenuButton(1);
    }

    void TearDown() override
    {
        MenuSwitchState = 1;
    }

    static QPoint Over(QWidget* w) { return w->mapToGlobal(QPoint(w->width() / 2, w->height() / 2)); }
    QPoint Away() const { return FForm->mapToGlobal(QPoint(250, 200)); }

    // Runs `inside` once the next menu is showing.
    void WhileShowing(std::function<void()> inside)
    {
        QTimer::singleShot(0, FForm.get(), [inside = std::move(inside)] { inside(); });
    }

    std::unique_ptr<TNeoForm> FForm;
    TPopupMenu* FMenus[2] = {};
    TSpeedButton* FButtons[2] = {};
    int FChosen = -1;
};

TEST_F(MenuButtonTest, TwelveHiddenButtonsUntilBound)
{
    TNeoForm plain(nullptr);
    for (int i = 0; i < TNeoForm::kMenuSlots; ++i) {
        TSpeedButton* b = plain.FindMenuButton(i);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->Name(), QStringLiteral("MenuButton%1").arg(i + 1));
        EXPECT_EQ(ClassName(b), "TSpeedButton");
        EXPECT_EQ(b->geometry(), QRect(81 + 52 * i, 25, 52, 16));
        EXPECT_EQ(b->GroupIndex(), i + 1);
        EXPECT_TRUE(b->Flat());
        EXPECT_TRUE(b->AllowAllUp());
        EXPECT_FALSE(b->isVisibleTo(&plain));
        EXPECT_EQ(plain.MenuOf(i), nullptr);
    }
    EXPECT_EQ(plain.FindMenuButton(12), nullptr);

    EXPECT_EQ(FForm->MenuOf(0), FMenus[0]);
    EXPECT_EQ(FButtons[1]->Caption(), QStringLiteral("浏览(&V)"));
    EXPECT_TRUE(FButtons[1]->isVisible());
    EXPECT_EQ(FButtons[1]->width(), 52);
    FForm->SetMenuButton(1, FMenus[0], QStringLiteral("again"));
    EXPECT_EQ(FForm->MenuOf(1), FMenus[0]);
    EXPECT_EQ(FButtons[1]->Caption(), QStringLiteral("again"));
}

TEST_F(MenuButtonTest, ClickDropsTheMenuBelowTheButtonWhichIsDownMeanwhile)
{
    QCursor::setPos(Over(FButtons[0]));
    bool seen = false;
    WhileShowing([&] {
        seen = true;
        EXPECT_TRUE(FMenus[0]->IsOpen());
        EXPECT_EQ(FMenus[0]->MenuWidget()->pos(), FButtons[0]->mapToGlobal(QPoint(0, 18)));
        EXPECT_TRUE(FButtons[0]->Down());
        EXPECT_EQ(FForm->FOpenMenuIndex, 0);
        EXPECT_EQ(FForm->FDownMenuIndex, 0);
        EXPECT_TRUE(FForm->MenuTimer->Enabled());
        QTest::keyClick(FMenus[0]->MenuWidget(), Qt::Key_Escape);
    });
    QTest::mouseClick(FButtons[0], Qt::LeftButton, {}, QPoint(10, 8));
    ASSERT_TRUE(seen);

    // Escape with the pointer still on the button leaves it down.
    EXPECT_FALSE(FMenus[0]->IsOpen());
    EXPECT_EQ(FForm->FOpenMenuIndex, -1);
    EXPECT_EQ(FForm->FDownMenuIndex, 0);
    EXPECT_TRUE(FButtons[0]->Down());

    // The next click only releases it.
    bool shown = false;
    WhileShowing([&] {
        shown = FMenus[0]->IsOpen();
        FMenus[0]->CloseMenu();
    });
    QTest::mouseClick(FButtons[0], Qt::LeftButton, {}, QPoint(10, 8));
    EXPECT_FALSE(FButtons[0]->Down());
    EXPECT_EQ(FForm->FDownMenuIndex, -1);
    EXPECT_FALSE(shown);

    // And the one after that shows the menu again.
    QTest::qWait(1); // let the queued check run now, outside any menu
    shown = false;
    WhileShowing([&] {
        shown = FMenus[0]->IsOpen();
        FMenus[0]->CloseMenu();
    });
    QTest::mouseClick(FButtons[0], Qt::LeftButton, {}, QPoint(10, 8));
    EXPECT_TRUE(shown);
}

TEST_F(MenuButtonTest, ChoosingAnItemAwayFromTheButtonReleasesIt)
{
    QCursor::setPos(Over(FButtons[1]));
    WhileShowing([&] {
        QMenu* menu = FMenus[1]->MenuWidget();
        QAction* action = FMenus[1]->Items()->Items(2)->Action();
        QCursor::setPos(menu->mapToGlobal(menu->actionGeometry(action).center()));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    });
    FButtons[1]->Click();
    EXPECT_EQ(FChosen, -1) << "the command runs once the click has released the button";
    EXPECT_FALSE(FMenus[1]->IsOpen());
    EXPECT_FALSE(FButtons[1]->Down());
    QTRY_COMPARE(FChosen, 12);
    EXPECT_EQ(FForm->FDownMenuIndex, -1);
    EXPECT_EQ(FForm->FOpenMenuIndex, -1);
    // It runs on until the pointer passes a button or the window loses activation
    // (the offscreen platform takes activation away when a popup closes).
    EXPECT_EQ(FForm->MenuTimer->Enabled(), FForm->isActiveWindow());

    QCursor::setPos(Over(FButtons[0]));
    FForm->MenuTimer->SetEnabled(true);
    FForm->MenuTimerTimer(FForm->MenuTimer);
    EXPECT_FALSE(FForm->MenuTimer->Enabled());
    EXPECT_EQ(MenuSwitchState, 1);
}

TEST_F(MenuButtonTest, HoveringAnotherButtonSwitchesMenusInTwoTicks)
{
    QCursor::setPos(Over(FButtons[0]));
    bool firstTick = false;
    WhileShowing([&] {
        // Over its own button, or over a hidden slot, nothing happens.
        FForm->MenuTimerTimer(FForm->MenuTimer);
        QCursor::setPos(Over(FForm->FindMenuButton(5)) );
        FForm->MenuTimerTimer(FForm->MenuTimer);
        EXPECT_TRUE(FMenus[0]->IsOpen());
        EXPECT_EQ(MenuSwitchState, 1);

        QCursor::setPos(Over(FButtons[1]));
        FForm->MenuTimerTimer(FForm->MenuTimer);
        firstTick = true;
        EXPECT_FALSE(FMenus[0]->IsOpen()) << "closed at once";
        EXPECT_EQ(MenuSwitchState, 2);
        EXPECT_TRUE(FForm->MenuTimer->Enabled());
        EXPECT_FALSE(FMenus[1]->IsOpen()) << "the new menu waits for the next tick";
    });
    FButtons[0]->Click();
    ASSERT_TRUE(firstTick);
    EXPECT_FALSE(FButtons[0]->Down()) << "the pointer left the File button";
    EXPECT_EQ(FForm->FDownMenuIndex, -1);

    bool secondTick = false;
    WhileShowing([&] {
        secondTick = true;
        EXPECT_TRUE(FMenus[1]->IsOpen());
        EXPECT_EQ(FMenus[1]->MenuWidget()->pos(), FButtons[1]->mapToGlobal(QPoint(0, 18)));
        EXPECT_TRUE(FButtons[1]->Down());
        EXPECT_EQ(FForm->FOpenMenuIndex, 1);
        EXPECT_EQ(MenuSwitchState, 1);
        QCursor::setPos(Away());
        FMenus[1]->CloseMenu();
    });
    FForm->MenuTimerTimer(FForm->MenuTimer);
    EXPECT_TRUE(secondTick);
    EXPECT_FALSE(FButtons[1]->Down());
}

TEST_F(MenuButtonTest, APendingSwitchOpensTheNextButtonThePointerEnters)
{
    QCursor::setPos(Over(FButtons[0]));
    WhileShowing([&] {
        QCursor::setPos(Over(FButtons[1]));
        FForm->MenuTimerTimer(FForm->MenuTimer);
        QCursor::setPos(Away());
    });
    FButtons[0]->Click();
    ASSERT_EQ(MenuSwitchState, 2);

    FForm->MenuTimerTimer(FForm->MenuTimer);
    EXPECT_EQ(MenuSwitchState, 2) << "off every button: nothing changes";
    EXPECT_EQ(FForm->MenuTimer->Enabled(), FForm->isActiveWindow());

    bool opened = false;
    WhileShowing([&] {
        opened = FMenus[0]->IsOpen();
        QCursor::setPos(Away());
        FMenus[0]->CloseMenu();
    });
    QCursor::setPos(Over(FButtons[0]));
    FForm->MenuTimerTimer(FForm->MenuTimer);
    EXPECT_TRUE(opened) << "opened without a click";
    EXPECT_EQ(MenuSwitchState, 1);
}

TEST_F(MenuButtonTest, DeactivationStopsTheTimerAndKeepsTheState)
{
    FForm->MenuTimer->SetEnabled(true);
    MenuSwitchState = 2;
    TMessage m;
    m.Msg = WM_ACTIVATE;
    m.WParam = WA_INACTIVE;
    FForm->WndProc(m);
    EXPECT_FALSE(FForm->MenuTimer->Enabled());
    EXPECT_EQ(MenuSwitchState, 2);
}

TEST_F(MenuButtonTest, AltAndTheMarkedLetterOpenTheMenu)
{
    QApplication::setActiveWindow(FForm.get());
    QCursor::setPos(Away());
    bool opened = false;
    WhileShowing([&] {
        opened = FMenus[1]->IsOpen();
        FMenus[1]->CloseMenu();
    });
    EXPECT_TRUE(FForm->DialogChar(Qt::Key_V));
    EXPECT_TRUE(opened);
    EXPECT_FALSE(FButtons[1]->Down()) << "released: the pointer is elsewhere";
}

} // namespace
