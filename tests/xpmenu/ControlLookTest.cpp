// Flat looks the program's dialogs do not show (grayed and disabled check boxes, radio
// buttons, rich edits), and controls given back with their own look.
#include "xpmenu/Xpmenu.h"

#include "PixelSupport.h"
#include "XpTestSupport.h"
#include "framework/Buttons.h"
#include "framework/StdCtrls.h"
#include "xpmenu/XpSubclass.h"

#include <QCursor>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

QImage Shot(QWidget* w) { return w->grab().toImage(); }

class ControlLookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QCursor::setPos(1000, 900);
        Form = std::make_unique<TForm>(nullptr);
        Form->SetClientSize(320, 200);
        Grayed = new TCheckBox(Form.get(), Form.get());
        Grayed->SetBounds(10, 10, 120, 17);
        Grayed->SetCaption(QStringLiteral("Grayed"));
        Grayed->SetState(cbGrayed);
        Disabled = new TCheckBox(Form.get(), Form.get());
        Disabled->SetBounds(10, 30, 120, 17);
        Disabled->SetCaption(QStringLiteral("Disabled"));
        Disabled->SetChecked(true);
        Disabled->SetEnabled(false);
        Radio = new TRadioButton(Form.get(), Form.get());
        Radio->SetBounds(10, 50, 120, 17);
        Radio->SetCaption(QStringLiteral("Radio"));
        Radio->SetChecked(true);
        Rich = new TRichEdit(Form.get(), Form.get());
        Rich->SetBounds(150, 10, 150, 60);
        Edit = new TEdit(Form.get(), Form.get());
        Edit->SetBounds(150, 90, 150, 21);
        XP = new TXPMenu(Form.get());
    }

    void Show()
    {
        Form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
        QTest::qWait(30);
    }

    TSystemColoursScope Colours;
    std::unique_ptr<TForm> Form;
    TCheckBox *Grayed, *Disabled;
    TRadioButton* Radio;
    TRichEdit* Rich;
    TEdit* Edit;
    TXPMenu* XP;
};

} // namespace

TEST_F(ControlLookTest, GrayedAndDisabledCheckBoxesAndACheckedRadioButton)
{
    XP->SetActive(true);
    Show();
    Edit->setFocus(); // no box has the focus
    GW_TRY_TRUE(Edit->hasFocus());
    const int s = GetSystemMetrics(SM_CXHTHUMB);
    // Box rectangle after deflating by 2, as the check box painter places it.
    const int top = 3 + (Grayed->height() - 6 - s) / 2;
    const int left = 2, bottom = top + s - 2;
    const struct {
        TCheckBox* Box;
        TColor Fill, Tick;
    } cases[] = {
        {Grayed, RGB(192, 192, 192), RGB(128, 128, 128)},
        {Disabled, RGB(255, 255, 255), RGB(141, 141, 141)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Box->Caption().toStdString());
        GW_TRY_EQ(PixelAt(Shot(c.Box), left + 3, top + 3 + 1), c.Fill);
        const QImage image = Shot(c.Box);
        EXPECT_EQ(Rgb(PixelAt(image, left, top + 2)), Rgb(RGB(128, 128, 128))) << "frame";
        // The tick of DrawCheckMark at the box's bottom left.
        EXPECT_EQ(Rgb(PixelAt(image, left + 3, bottom - 4)), Rgb(c.Tick));
        EXPECT_EQ(Rgb(PixelAt(image, left + 8, bottom - 7)), Rgb(c.Tick));
    }

    // The radio button: a ring, and when checked a dot in the highlight colour.
    const int rtop = 4 + (Radio->height() - 8 - s) / 2;
    const QImage radio = Shot(Radio);
    const int cx = (s - 1) / 2, cy = rtop + (s - 1) / 2;
    EXPECT_EQ(Rgb(PixelAt(radio, cx, cy)), Rgb(RGB(49, 106, 197)));
    EXPECT_EQ(Rgb(PixelAt(radio, cx, rtop + 2)), Rgb(RGB(128, 128, 128))) << "top of the ring";
}

TEST_F(ControlLookTest, GivingControlsBackRestoresTheirOwnLookAndBorders)
{
    Show();
    const QImage richBefore = Shot(Rich);
    const QImage editBefore = Shot(Edit);
    const QImage grayedBefore = Shot(Grayed);

    XP->SetActive(true);
    TControlSubClass* rich = TControlSubClass::Of(Rich);
    ASSERT_TRUE(rich);
    // The flat frame widens the rich edit's border and drops its own edge.
    GW_TRY_EQ(Rich->BorderStyle(), bsNone);
    EXPECT_EQ(Rich->BorderWidth(), 2);
    GW_TRY_TRUE(!Edit->Ctl3D());
    GW_TRY_TRUE(Shot(Grayed) != grayedBefore);

    XP->SetActive(false);
    GW_TRY_EQ(XP->SubClassCount(), 0);
    EXPECT_EQ(Rich->BorderStyle(), bsSingle);
    EXPECT_EQ(Rich->BorderWidth(), 0);
    EXPECT_TRUE(Edit->Ctl3D());
    GW_TRY_TRUE(Shot(Rich) == richBefore);
    EXPECT_TRUE(Shot(Edit) == editBefore);
    EXPECT_TRUE(Shot(Grayed) == grayedBefore);
}

TEST_F(ControlLookTest, DestroyingTheComponentRestoresAHiddenRichEdit)
{
    Rich->SetBorderWidth(1);
    XP->SetActive(true);
    Show();
    GW_TRY_EQ(Rich->BorderWidth(), 2);
    Form->hide();
    delete XP;
    EXPECT_EQ(Rich->BorderStyle(), bsSingle);
    EXPECT_EQ(Rich->BorderWidth(), 1);
    EXPECT_TRUE(Edit->Ctl3D());
}

TEST(ControlColour, ACheckBoxFollowingItsParentShowsTheParentColourBesideItsCaption)
{
    TSystemColoursScope colours;
    for (const bool active : {false, true}) {
        SCOPED_TRACE(active ? "active" : "inactive");
        TForm form(nullptr);
        form.SetClientSize(200, 60);
        form.SetColor(RGB(207, 207, 207));
        auto* box = new TCheckBox(&form, &form);
        box->SetBounds(10, 10, 150, 20);
        box->SetCaption(QStringLiteral("x"));
        box->SetParentColor(true);
        auto* xp = new TXPMenu(&form);
        xp->SetActive(active);
        form.Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        // Right of the short caption: only the control's background is there.
        GW_TRY_EQ(PixelAt(Shot(box), 140, 2), RGB(207, 207, 207));
        EXPECT_EQ(Rgb(PixelAt(Shot(box), 140, 17)), Rgb(RGB(207, 207, 207)));
    }
}
