// TXPMenu: its sets, properties, the activation walk and its lifetime rules.
#include "xpmenu/Xpmenu.h"

#include "XpTestSupport.h"
#include "framework/Buttons.h"
#include "framework/StdCtrls.h"
#include "xpmenu/XpSubclass.h"

#include <QPainter>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

TEST(XPSets, MembersAreTheirBitNumbers)
{
    const struct {
        unsigned Member;
        unsigned Expected;
    } containers[] = {{xccForm, 0}, {xccFrame, 1}, {xccToolbar, 2}, {xccCoolbar, 3}, {xccControlbar, 4},
                      {xccPanel, 5}, {xccScrollBox, 6}, {xccGroupBox, 7}, {xccTabSheet, 8}, {xccPageScroller, 9}};
    for (const auto& c : containers)
        EXPECT_EQ(TXPContainers{static_cast<TXPContainer>(c.Member)}.Bits(), 1u << c.Expected);
    EXPECT_EQ(kAllXPContainers.Bits(), 0x03FF);

    EXPECT_EQ(TXPControls{xcMainMenu}.Bits(), 0x0001);
    EXPECT_EQ(TXPControls{xcCombo}.Bits(), 0x0010);
    EXPECT_EQ(TXPControls{xcCheckBox}.Bits(), 0x0200);
    EXPECT_EQ(TXPControls{xcButton}.Bits(), 0x0800);
    EXPECT_EQ(TXPControls{xcGroupBox}.Bits(), 0x8000);
    EXPECT_EQ((TXPControls{xcMainMenu, xcPopupMenu, xcToolbar}).Bits(), 0x0007);
    EXPECT_EQ(sizeof(TXPControls), 2u);
    EXPECT_EQ(sizeof(TXPContainers), 2u);
    EXPECT_TRUE(kAllXPControls.Contains(xcGroupBox));
    EXPECT_FALSE(kAllXPControls.Without(xcEdit).Contains(xcEdit));
}

namespace {

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const QString& caption, std::intptr_t tag = 0)
{
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    item->Tag = tag;
    parent->Add(item);
    return item;
}

bool Hooked(const TXPMenu* xp, const TMenuItem* item)
{
    return item->OnDrawItem.Is(xp, &TXPMenu::DrawItem) && item->OnMeasureItem.Is(xp, &TXPMenu::MeasureItem);
}
bool Unhooked(const TMenuItem* item) { return !item->OnDrawItem && !item->OnMeasureItem; }

// A small form with one of each thing the walk looks at.
class WalkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = std::make_unique<TForm>(nullptr);
        Form->SetClientSize(400, 300);

        Main = new TMainMenu(Form.get());
        File = AddItem(Form.get(), Main->Items(), QStringLiteral("File"));
        Open = AddItem(Form.get(), File, QStringLiteral("Open"));
        OptedOut = AddItem(Form.get(), File, QStringLiteral("Recent"), OptOutTag);
        UnderOptedOut = AddItem(Form.get(), OptedOut, QStringLiteral("one.ico"));
        Form->SetMenu(Main);

        Popup = new TPopupMenu(Form.get());
        Popup->Tag = OptOutTag; // not consulted for popup menus
        Foreign = AddItem(Form.get(), Popup->Items(), QStringLiteral("Foreign"));
        Foreign->OnDrawItem = [this](TObject*, TCanvas*, const TRect&, bool) { ++ForeignDraws; };
        Plain = AddItem(Form.get(), Popup->Items(), QStringLiteral("Plain"));

        Empty = new TPopupMenu(Form.get());

        Panel = new TPanel(Form.get(), Form.get());
        Panel->SetBounds(0, 0, 200, 100);
        EditInPanel = new TEdit(Panel, Form.get());
        OptOutPanel = new TPanel(Form.get(), Form.get());
        OptOutPanel->SetBounds(200, 0, 200, 100);
        OptOutPanel->Tag = OptOutTag;
        EditInOptOutPanel = new TEdit(OptOutPanel, Form.get());
        OptOutButton = new TButton(Form.get(), Form.get());
        OptOutButton->Tag = OptOutTag;
        OptOutButton->SetBounds(10, 150, 75, 25);
        Label = new TLabel(Form.get(), Form.get());

        Bar = new TToolBar(Form.get(), Form.get());
        new TToolButton(Bar, Form.get());
        EmptyBar = new TToolBar(Form.get(), Form.get());
        Bands = new TControlBar(Form.get(), Form.get());
        Bands->SetBounds(0, 250, 400, 30);
    }

    TXPMenu* MakeXP()
    {
        XP = new TXPMenu(Form.get());
        return XP;
    }

    std::unique_ptr<TForm> Form;
    TXPMenu* XP = nullptr;
    TMainMenu* Main;
    TMenuItem *File, *Open, *OptedOut, *UnderOptedOut;
    TPopupMenu* Popup;
    TMenuItem *Foreign, *Plain;
    TPopupMenu* Empty;
    TPanel *Panel, *OptOutPanel;
    TEdit *EditInPanel, *EditInOptOutPanel;
    TButton* OptOutButton;
    TLabel* Label;
    TToolBar *Bar, *EmptyBar;
    TControlBar* Bands;
    int ForeignDraws = 0;
};

} // namespace

TEST_F(WalkTest, ConstructionSetsTheDefaults)
{
    TXPMenu* xp = MakeXP();
    EXPECT_EQ(xp->Form(), Form.get());
    EXPECT_EQ(xp->Owner(), Form.get());
    const struct {
        const char* Name;
        long long Actual, Expected;
    } values[] = {
        {"DimLevel", xp->DimLevel(), 30},
        {"GrayLevel", xp->GrayLevel(), 10},
        {"Color", xp->Color(), clBtnFace},
        {"IconBackColor", xp->IconBackColor(), clBtnFace},
        {"MenuBarColor", xp->MenuBarColor(), clBtnFace},
        {"SelectColor", xp->SelectColor(), clHighlight},
        {"SelectBorderColor", xp->SelectBorderColor(), clHighlight},
        {"SelectFontColor", xp->SelectFontColor(), clMenuText},
        {"DisabledColor", xp->DisabledColor(), clInactiveCaption},
        {"SeparatorColor", xp->SeparatorColor(), clBtnFace},
        {"CheckedColor", xp->CheckedColor(), clHighlight},
        {"Font.Color", xp->Font().Color, clMenuText},
        {"IconWidth", xp->IconWidth(), 24},
        {"DrawSelect", xp->DrawSelect(), 1},
        {"UseSystemColors", xp->UseSystemColors(), 1},
        {"OverrideOwnerDraw", xp->OverrideOwnerDraw(), 0},
        {"Gradient", xp->Gradient(), 0},
        {"FlatMenu", xp->FlatMenu(), 0},
        {"AutoDetect", xp->AutoDetect(), 0},
        {"XPContainers", xp->XPContainers().Bits(), 0x03FF},
        {"XPControls", xp->XPControls().Bits(), 0xFFFF},
        {"Active", xp->Active(), 0},
    };
    for (const auto& v : values)
        EXPECT_EQ(v.Actual, v.Expected) << v.Name;
    EXPECT_EQ(xp->Font().Name, SystemMenuFont().Name);
}

TEST_F(WalkTest, AnOwnerThatIsNotAFormIsAnInvalidCast)
{
    const int before = Form->ComponentCount();
    EXPECT_THROW(new TXPMenu(Popup), EInvalidCast);
    EXPECT_EQ(Popup->ComponentCount(), 0);
    EXPECT_EQ(Form->ComponentCount(), before);
    // A panel is a control but not a scrolling window control.
    EXPECT_THROW(new TXPMenu(Panel), EInvalidCast);
}

TEST_F(WalkTest, WithoutAFormTheWalkDoesNothing)
{
    auto orphan = std::make_unique<TXPMenu>(nullptr);
    EXPECT_EQ(orphan->Form(), nullptr);
    orphan->SetActive(true);
    EXPECT_TRUE(orphan->Active());
    orphan->SetActive(false);

    TXPMenu* xp = MakeXP();
    xp->SetForm(nullptr);
    xp->SetActive(true);
    EXPECT_TRUE(Unhooked(Open));
    EXPECT_FALSE(TControlSubClass::IsSubclassed(EditInPanel));
    // Given a form again while active: the walk runs on it.
    xp->SetForm(Form.get());
    EXPECT_TRUE(Hooked(xp, Open));
    EXPECT_TRUE(TControlSubClass::IsSubclassed(EditInPanel));
}

TEST_F(WalkTest, ActivationHooksWhatIsSelectedAndOnlyThat)
{
    TXPMenu* xp = MakeXP();
    xp->SetActive(true);

    // Menus: every item but the opted-out one, whose sub-items are still handled; a
    // popup menu's own tag is not consulted; a foreign handler stays.
    EXPECT_TRUE(Main->OwnerDraw());
    EXPECT_TRUE(Hooked(xp, File));
    EXPECT_TRUE(Hooked(xp, Open));
    EXPECT_TRUE(Unhooked(OptedOut));
    EXPECT_TRUE(Hooked(xp, UnderOptedOut));
    EXPECT_TRUE(Popup->OwnerDraw());
    EXPECT_TRUE(Hooked(xp, Plain));
    EXPECT_FALSE(Foreign->OnDrawItem.Is(xp, &TXPMenu::DrawItem));
    EXPECT_TRUE(Foreign->OnMeasureItem.Is(xp, &TXPMenu::MeasureItem));
    EXPECT_FALSE(Empty->OwnerDraw()); // no items: OwnerDraw keeps its value

    // Tool bars: flat, the handler only where there are buttons; control bars.
    EXPECT_TRUE(Bar->Flat());
    EXPECT_TRUE(Bar->OnCustomDrawButton.Is(xp, &TXPMenu::ToolBarDrawButton));
    EXPECT_TRUE(EmptyBar->Flat());
    EXPECT_FALSE(EmptyBar->OnCustomDrawButton);
    EXPECT_TRUE(Bands->OnBandPaint.Is(xp, &TXPMenu::ControlBarPaint));

    // Controls: the panel and the edit in it; not the opted-out panel nor the edit in
    // it, nor the opted-out button, nor a label or a bar.
    const struct {
        const char* Name;
        QWidget* Control;
        bool Subclassed;
    } controls[] = {
        {"Panel", Panel, true},
        {"OptOutPanel", OptOutPanel, false},
        {"EditInPanel", EditInPanel, true},
        {"EditInOptOutPanel", EditInOptOutPanel, false},
        {"OptOutButton", OptOutButton, false},
        {"Label", Label, false},
        {"Bar", Bar, false},
    };
    for (const auto& c : controls)
        EXPECT_EQ(TControlSubClass::IsSubclassed(c.Control), c.Subclassed) << c.Name;
    EXPECT_EQ(xp->SubClassCount(), 2);

    // Twice: nothing more.
    xp->SetActive(true);
    EXPECT_EQ(xp->SubClassCount(), 2);
    // A second component finds the controls taken.
    auto* second = new TXPMenu(Form.get());
    second->SetActive(true);
    EXPECT_EQ(second->SubClassCount(), 0);
    EXPECT_TRUE(Hooked(xp, Open)); // the first one's handlers are kept
}

TEST_F(WalkTest, DeactivationRemovesOnlyItsOwnHooks)
{
    TXPMenu* xp = MakeXP();
    Bar->OnCustomDrawButton = nullptr;
    xp->SetActive(true);
    xp->SetActive(false);
    EXPECT_FALSE(Main->OwnerDraw());
    for (TMenuItem* item : {File, Open, OptedOut, UnderOptedOut, Plain})
        EXPECT_TRUE(Unhooked(item)) << item->Caption().toStdString();
    ASSERT_TRUE(Foreign->OnDrawItem);
    EXPECT_FALSE(Foreign->OnMeasureItem);
    EXPECT_FALSE(Bar->OnCustomDrawButton);
    EXPECT_TRUE(Bar->Flat()); // stays flat
    EXPECT_FALSE(Bands->OnBandPaint);

    // The foreign handler still runs.
    TCanvas canvas;
    Foreign->OnDrawItem(Foreign, &canvas, TRect(), false);
    EXPECT_EQ(ForeignDraws, 1);

    // With OverrideOwnerDraw the foreign handler is replaced, and cleared at the end.
    xp->SetOverrideOwnerDraw(true);
    xp->SetActive(true);
    EXPECT_TRUE(Hooked(xp, Foreign));
    xp->SetActive(false);
    EXPECT_TRUE(Unhooked(Foreign));
}

TEST_F(WalkTest, OptOutTagAndSetsDecideWhatIsHandled)
{
    Main->Tag = OptOutTag;
    TXPMenu* xp = MakeXP();
    xp->SetXPContainers(kAllXPContainers.Without(xccPanel));
    xp->SetActive(true);
    EXPECT_FALSE(Main->OwnerDraw());
    EXPECT_TRUE(Unhooked(Open));
    EXPECT_FALSE(TControlSubClass::IsSubclassed(EditInPanel)); // its container is not selected
    EXPECT_TRUE(TControlSubClass::IsSubclassed(Panel));        // the form still is

    // Removing a kind while active unhooks menus and bars at once; subclassed controls
    // stay (the component is active again before their next message).
    xp->SetXPControls(kAllXPControls.Without(xcPopupMenu).Without(xcToolbar).Without(xcPanel));
    EXPECT_TRUE(Unhooked(Plain));
    EXPECT_FALSE(Popup->OwnerDraw());
    EXPECT_FALSE(Bar->OnCustomDrawButton);
    QApplication::processEvents();
    EXPECT_TRUE(TControlSubClass::IsSubclassed(Panel));
    // Assigning the current value does nothing.
    xp->SetXPControls(xp->XPControls());
    EXPECT_TRUE(Unhooked(Plain));
}

TEST_F(WalkTest, InDesignModeOnlyMenusAreHooked)
{
    for (int i = 0; i < Form->ComponentCount(); ++i)
        Form->Components(i)->ComponentState |= csDesigning;
    TXPMenu* xp = MakeXP();
    xp->SetActive(true);
    EXPECT_TRUE(Hooked(xp, Open));
    EXPECT_FALSE(Bar->OnCustomDrawButton);
    EXPECT_FALSE(Bar->Flat());
    EXPECT_FALSE(Bands->OnBandPaint);
    EXPECT_EQ(xp->SubClassCount(), 0);
}

TEST_F(WalkTest, ActivateMenuItemHooksItemsAddedLater)
{
    TXPMenu* xp = MakeXP();
    xp->SetActive(true);
    TMenuItem* late = AddItem(Form.get(), File, QStringLiteral("Late"));
    TMenuItem* lateChild = AddItem(Form.get(), late, QStringLiteral("Later"));
    // An item whose draw handler is already the component's is left alone entirely.
    Open->OnMeasureItem = nullptr;
    xp->ActivateMenuItem(Open);
    EXPECT_TRUE(Hooked(xp, late));
    EXPECT_TRUE(Hooked(xp, lateChild));
    EXPECT_FALSE(Open->OnMeasureItem);
}

TEST_F(WalkTest, AHandlerOfADestroyedComponentDoesNothing)
{
    TXPMenu* xp = MakeXP();
    xp->SetActive(true);
    const TMenuDrawItemEvent kept = Open->OnDrawItem;
    delete xp;
    EXPECT_TRUE(Unhooked(Open));
    TCanvas canvas;
    ASSERT_TRUE(kept);
    kept(Open, &canvas, TRect(0, 0, 10, 10), false); // must not reach the freed component
}

// ---- The life of the control subclass objects

TEST_F(WalkTest, DeactivatedControlsAreGivenBackAtTheirNextMessage)
{
    Form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    TXPMenu* xp = MakeXP();
    xp->SetActive(true);
    ASSERT_EQ(xp->SubClassCount(), 2);
    xp->SetActive(false);
    // The walk does not touch them; the invalidation it makes brings the message.
    EXPECT_EQ(xp->SubClassCount(), 2);
    GW_TRY_EQ(xp->SubClassCount(), 0);
    EXPECT_FALSE(TControlSubClass::IsSubclassed(Panel));
    EXPECT_FALSE(TControlSubClass::IsSubclassed(EditInPanel));
}

TEST_F(WalkTest, AHiddenControlIsGivenBackByThePointerToo)
{
    TXPMenu* xp = MakeXP();
    xp->SetActive(true);
    xp->SetActive(false);
    // Not shown: no paint arrives; the next message of any kind gives it back.
    ASSERT_EQ(xp->SubClassCount(), 2);
    OptOutButton->Tag = 0;
    Form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    QTest::mouseMove(EditInPanel, QPoint(5, 5));
    GW_TRY_EQ(xp->SubClassCount(), 0);
}

TEST_F(WalkTest, DestroyingASubclassedControlFreesItsSubclassObject)
{
    TXPMenu* xp = MakeXP();
    xp->SetActive(true);
    ASSERT_EQ(xp->SubClassCount(), 2);
    delete EditInPanel;
    EXPECT_EQ(xp->SubClassCount(), 1);
    delete Panel;
    EXPECT_EQ(xp->SubClassCount(), 0);
}

TEST_F(WalkTest, DestroyingTheComponentGivesTheControlsBack)
{
    TXPMenu* xp = MakeXP();
    xp->SetActive(true);
    QPointer<QObject> guard(xp);
    delete xp;
    EXPECT_FALSE(guard);
    for (QWidget* w : std::initializer_list<QWidget*>{Panel, OptOutPanel, EditInPanel})
        EXPECT_FALSE(TControlSubClass::IsSubclassed(w));
    // The controls live on and take messages without the component.
    Form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    QTest::mouseMove(EditInPanel, QPoint(5, 5));
    QTest::mouseClick(OptOutButton, Qt::LeftButton);
}

TEST_F(WalkTest, DestroyingTheFormWithAnActiveComponentIsSafe)
{
    TXPMenu* xp = MakeXP();
    xp->SetActive(true);
    Form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    QPointer<QObject> guard(xp);
    Form.reset(); // the component goes with its form, controls first
    EXPECT_FALSE(guard);
}

TEST_F(WalkTest, DestroyingTheFormAfterDeactivationIsSafe)
{
    TXPMenu* xp = MakeXP();
    xp->SetActive(true);
    xp->SetActive(false); // subclass objects wait for a message that never comes
    Form.reset();
}

TEST(XPMenuLife, AComponentCreatedBeforeTheControlsOutlivesThemSafely)
{
    // The component is the first child of the form here, so Qt destroys it before
    // the controls; every subclass object gives its control back on the way.
    auto form = std::make_unique<TForm>(nullptr);
    auto* xp = new TXPMenu(form.get());
    auto* button = new TButton(form.get(), form.get());
    auto* check = new TCheckBox(form.get(), form.get());
    xp->SetActive(true);
    EXPECT_TRUE(TControlSubClass::IsSubclassed(button));
    EXPECT_TRUE(TControlSubClass::IsSubclassed(check));
    form.reset();
}
