// Subclassed controls painted flat on the real dialogs and on a test form, driven by
// real pointer, key and focus events.
#include "../app/AppTestSupport.h"

#include "PixelSupport.h"
#include "XpTestSupport.h"
#include "extract/OutputFolder.h"
#include "framework/Buttons.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "settings/Option.h"
#include "xpmenu/XpSubclass.h"

#include <QAbstractItemView>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

#include <set>

namespace {

constexpr TColor kDialog = RGB(207, 207, 207);

class FlatControlsTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        FColours = std::make_unique<TSystemColoursScope>();
        QCursor::setPos(1000, 900); // away from every window
    }
    void TearDown() override
    {
        FColours.reset();
        AppTest::TearDown();
    }
    std::unique_ptr<TSystemColoursScope> FColours;
};

QImage Shot(QWidget* w) { return w->grab().toImage(); }

// How many pixels of `colour` the image holds.
int CountOf(const QImage& image, TColor colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += PixelAt(image, x, y) == colour;
    return n;
}

} // namespace

TEST_F(FlatControlsTest, OptionsDialogButtonsAtRestAndFocused)
{
    TForm1* main = CreateMainForm();
    TBrowseItem options(nullptr, main);
    options.XPMenu1->SetActive(true);
    options.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&options));
    TButton* b1 = options.Button1;
    TButton* b2 = options.Button2;
    GW_TRY_TRUE(b1->hasFocus());
    GW_TRY_TRUE(TControlSubClass::Of(b2) && TControlSubClass::Of(b2)->PaintCount > 0);

    // Button2 at rest: face, outline, raised edge right and bottom, corners of the dialog.
    QImage rest = Shot(b2);
    const int w = rest.width(), h = rest.height();
    const struct {
        int X, Y;
        TColor Expected;
        const char* What;
    } restCases[] = {
        {0, 0, kDialog, "corner"},
        {w - 1, h - 1, kDialog, "corner"},
        {5, 5, RGB(219, 216, 209), "face"},
        {w / 2, 0, RGB(166, 166, 166), "outline top"},
        {0, h / 2, RGB(166, 166, 166), "outline left"},
        {w - 1, h / 2, RGB(78, 80, 78), "raised edge right"},
        {w / 2, h - 1, RGB(78, 80, 78), "raised edge bottom"},
    };
    for (const auto& c : restCases)
        EXPECT_EQ(Rgb(PixelAt(rest, c.X, c.Y)), Rgb(c.Expected)) << c.What;

    // Button1 has the focus (hot): the lighter face and blue edges, and the default
    // button's caption shadow, which Button2 has not.
    QImage focused = Shot(b1);
    EXPECT_EQ(Rgb(PixelAt(focused, 5, 5)), Rgb(RGB(238, 236, 233)));
    EXPECT_EQ(Rgb(PixelAt(focused, focused.width() / 2, 0)), Rgb(RGB(198, 213, 239)));
    EXPECT_EQ(Rgb(PixelAt(focused, focused.width() - 1, focused.height() / 2)), Rgb(RGB(123, 147, 182)));
    // The first pass of the shadow takes the face under it, 30 darker.
    EXPECT_GT(CountOf(focused, RGB(208, 208, 203)), 0);
    EXPECT_EQ(CountOf(rest, RGB(189, 188, 181)), 0);

    // The pointer on Button2 makes it hot; pressed it shows the top-left edge.
    QTest::mouseMove(b2, QPoint(w / 2, h / 2));
    GW_TRY_EQ(PixelAt(Shot(b2), 5, 5), RGB(238, 236, 233));
    QTest::mousePress(b2, Qt::LeftButton, {}, QPoint(w / 2, h / 2));
    GW_TRY_EQ(PixelAt(Shot(b2), w / 2, 0), RGB(123, 147, 182));
    EXPECT_EQ(Rgb(PixelAt(Shot(b2), w - 1, h / 2)), Rgb(RGB(198, 213, 239)));
    QTest::mouseRelease(b2, Qt::LeftButton, {}, QPoint(-50, -50));
}

TEST_F(FlatControlsTest, OptionsDialogCheckBoxesAndGroupBox)
{
    TForm1* main = CreateMainForm();
    TBrowseItem options(nullptr, main);
    options.XPMenu1->SetActive(true);
    options.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&options));
    TCheckBox* box = options.ExeChk;
    box->SetChecked(false);
    GW_TRY_TRUE(TControlSubClass::Of(box) && TControlSubClass::Of(box)->PaintCount > 0);
    const int s = GetSystemMetrics(SM_CXHTHUMB);
    // The box: left, vertically centred in the client rectangle less 3 at each end.
    const int top = 3 + (box->height() - 6 - s) / 2;
    auto boxPixel = [&](int x, int y) { return PixelAt(Shot(box), x, top + y); };

    GW_TRY_EQ(boxPixel(2, 2), RGB(128, 128, 128)); // frame in the shadow colour
    EXPECT_EQ(Rgb(boxPixel(5, 5)), Rgb(RGB(255, 255, 255)));
    EXPECT_EQ(Rgb(boxPixel(0, 0)), Rgb(kDialog));
    EXPECT_EQ(Rgb(boxPixel(1, 1)), Rgb(kDialog));
    EXPECT_EQ(Rgb(PixelAt(Shot(box), box->width() - 2, 1)), Rgb(kDialog)) << "the box's own ground";

    // Hot under the pointer.
    QTest::mouseMove(box, QPoint(5, box->height() / 2));
    GW_TRY_EQ(boxPixel(5, 5), RGB(189, 207, 236));
    EXPECT_EQ(Rgb(boxPixel(2, 2)), Rgb(RGB(49, 106, 197)));
    // Pressed.
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    GW_TRY_EQ(boxPixel(5, 5), RGB(152, 180, 226));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    GW_TRY_TRUE(box->Checked());
    // Checked: the tick shaped as DrawCheckMark at the box's bottom left, its lowest
    // pixel of the first stroke at (Left + 3, Bottom - 4); black on the fill of a hot or
    // focused box, where the highlight would not read, and the highlight once the
    // pointer and the focus have gone.
    const int left = 2, bottom = s - 2;
    GW_TRY_EQ(boxPixel(left + 3, bottom - 4), RGB(0, 0, 0));
    options.Button1->setFocus();
    QTest::mouseMove(&options, QPoint(options.width() - 20, options.height() - 8));
    GW_TRY_EQ(boxPixel(left + 3, bottom - 4), RGB(49, 106, 197));
    EXPECT_EQ(Rgb(boxPixel(left + 2, bottom - 5)), Rgb(RGB(49, 106, 197)));
    EXPECT_EQ(Rgb(boxPixel(left + 8, bottom - 7)), Rgb(RGB(49, 106, 197)));

    // Group box: a one-pixel frame light above and left, shaded right and bottom.
    TGroupBox* group = options.GroupBox1;
    const QImage g = Shot(group);
    const int gh = g.height(), gw = g.width();
    EXPECT_EQ(Rgb(PixelAt(g, 0, gh / 2)), Rgb(RGB(236, 236, 236)));
    EXPECT_EQ(Rgb(PixelAt(g, gw - 1, gh / 2)), Rgb(RGB(147, 149, 147)));
    EXPECT_EQ(Rgb(PixelAt(g, gw / 2, gh - 1)), Rgb(RGB(147, 149, 147)));
    for (int x : {1, 2, gw - 2, gw - 3})
        EXPECT_EQ(Rgb(PixelAt(g, x, gh / 2)), Rgb(kDialog)) << "no other frame at column " << x;
    for (int y : {gh - 2, gh - 3})
        EXPECT_EQ(Rgb(PixelAt(g, gw / 2, y)), Rgb(kDialog)) << "no other frame on row " << y;
    // The group box alone, without its check boxes: nothing but the dialog's colour and
    // the new frame, the caption aside.
    QImage own(group->size(), QImage::Format_RGB32);
    group->render(&own, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    const int th = QFontMetrics(group->font()).height();
    const QRect caption(8, 0, QFontMetrics(group->font()).horizontalAdvance(group->Caption()) + 3, th);
    std::set<TColor> seen;
    for (int y = 0; y < gh; ++y)
        for (int x = 0; x < gw; ++x)
            if (!caption.contains(x, y))
                seen.insert(PixelAt(own, x, y));
    EXPECT_EQ(seen, (std::set<TColor>{kDialog, RGB(236, 236, 236), RGB(147, 149, 147)}));
    EXPECT_EQ(Rgb(PixelAt(own, gw - 20, th / 2 + 1)), Rgb(RGB(236, 236, 236))) << "the top line";
    EXPECT_EQ(Rgb(PixelAt(own, gw - 20, th / 2)), Rgb(kDialog));
}

namespace {

// The 5-3-1 arrow rows (10 to 12) of a drive box around x = Right - 10, '#' for `ink`.
std::string ArrowRows(TDriveComboBox* combo, TColor ink)
{
    const QImage image = Shot(combo);
    const int w = image.width();
    std::string rows;
    for (int y = 10; y <= 12; ++y) {
        for (int x = w - 11; x <= w - 4; ++x)
            rows += PixelAt(image, x, y) == ink ? '#' : '.';
        rows += '\n';
    }
    return rows;
}

// Every colour inside the flat frame of a drive box that is not the box's caption or
// button: left of the drive's icon and right of its name up to the button.
std::set<TColor> FieldColours(TDriveComboBox* combo)
{
    const QImage image = Shot(combo);
    const int w = image.width(), h = image.height();
    const int s = GetSystemMetrics(SM_CXHTHUMB);
    const int labelEnd = 3 + combo->iconSize().width() + 6 + combo->fontMetrics().horizontalAdvance(combo->currentText()) + 2;
    std::set<TColor> colours;
    for (int y = 2; y <= h - 3; ++y)
        for (int x = 1; x <= w - s - 4; ++x)
            if (x <= 4 || x >= labelEnd)
                colours.insert(PixelAt(image, x, y));
    return colours;
}

void TabUntilFocused(QWidget* window, QWidget* target)
{
    for (int i = 0; i < 40 && !target->hasFocus(); ++i) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window, Qt::Key_Tab);
    }
    GW_TRY_TRUE(target->hasFocus());
}

// Hot, focused and dropped down, each reached by the pointer or the keyboard.
void CheckDriveBox(QWidget* window, TDriveComboBox* combo)
{
    SCOPED_TRACE(combo->Name().toStdString());
    GW_TRY_TRUE(TControlSubClass::Of(combo) && TControlSubClass::Of(combo)->PaintCount > 0);
    const int w = combo->width(), h = combo->height();
    const int s = GetSystemMetrics(SM_CXHTHUMB);
    const QPoint away(window->width() - 2, window->height() - 2);
    constexpr TColor kWhite = RGB(255, 255, 255);
    QTest::mouseMove(window, away);
    GW_TRY_EQ(ArrowRows(combo, RGB(0, 0, 0)), std::string(".#####..\n..###...\n...#....\n"));

    QTest::mouseMove(combo, QPoint(w / 2, h / 2));
    GW_TRY_EQ(PixelAt(Shot(combo), w - 3, 4), RGB(189, 207, 236));
    EXPECT_EQ(Rgb(PixelAt(Shot(combo), w / 2, 1)), Rgb(RGB(49, 106, 197)));
    EXPECT_EQ(Rgb(PixelAt(Shot(combo), w / 2, h - 1)), Rgb(RGB(49, 106, 197)));
    // The button, S + 1 wide, starts with a strip of the field's colour edged in the border's.
    EXPECT_EQ(Rgb(PixelAt(Shot(combo), w - s - 3, 4)), Rgb(RGB(255, 255, 255)));
    EXPECT_EQ(Rgb(PixelAt(Shot(combo), w - s + 2, 4)), Rgb(RGB(49, 106, 197)));
    EXPECT_EQ(Rgb(PixelAt(Shot(combo), w - s + 3, 4)), Rgb(RGB(189, 207, 236)));
    // With the focus the item shows selected (white on the highlight) in the dotted
    // focus rectangle.
    const std::set<TColor> focusedField = {RGB(0, 0, 0), RGB(49, 106, 197), kWhite};
    EXPECT_EQ(FieldColours(combo), combo->hasFocus() ? focusedField : std::set<TColor>{kWhite});

    // Focused (taking the focus makes it hot too, until the pointer leaves).
    TabUntilFocused(window, combo);
    QTest::mouseMove(window, away);
    GW_TRY_EQ(PixelAt(Shot(combo), w - 3, 4), RGB(214, 225, 243));
    EXPECT_EQ(Rgb(PixelAt(Shot(combo), w / 2, 1)), Rgb(RGB(173, 195, 232)));
    EXPECT_EQ(Rgb(PixelAt(Shot(combo), 0, h / 2)), Rgb(RGB(173, 195, 232)));
    EXPECT_EQ(FieldColours(combo), focusedField);

    // Dropped down by a click: the arrow black on the pressed colour (white would not
    // read there), the list below.
    QTest::mouseClick(combo, Qt::LeftButton, {}, QPoint(w / 2, h / 2));
    GW_TRY_TRUE(combo->DroppedDown() && QApplication::activePopupWidget());
    GW_TRY_EQ(PixelAt(Shot(combo), w - 3, 4), RGB(152, 180, 226));
    EXPECT_EQ(ArrowRows(combo, RGB(0, 0, 0)), std::string(".#####..\n..###...\n...#....\n"));
    EXPECT_EQ(Rgb(PixelAt(Shot(combo), w / 2, 1)), Rgb(RGB(173, 195, 232))) << "the box keeps the focus";
    EXPECT_EQ(Rgb(PixelAt(Shot(combo), w - 4, 12)), Rgb(RGB(152, 180, 226)));
    EXPECT_GE(QApplication::activePopupWidget()->mapToGlobal(QPoint(0, 0)).y(), combo->mapToGlobal(QPoint(0, h)).y());
    const std::set<TColor> dropped = FieldColours(combo);
    EXPECT_TRUE(dropped.size() <= 2 && dropped.count(kWhite)) << dropped.size();
    // The pointer goes down to the list; Escape closes it and the box is focused, not hot.
    QTest::mouseMove(combo->view(), QPoint(10, 5));
    QTest::keyClick(combo->view(), Qt::Key_Escape);
    GW_TRY_TRUE(!combo->DroppedDown());
    GW_TRY_EQ(ArrowRows(combo, RGB(0, 0, 0)), std::string(".#####..\n..###...\n...#....\n"));
    EXPECT_EQ(Rgb(PixelAt(Shot(combo), w - 3, 4)), Rgb(RGB(214, 225, 243)));
}

} // namespace

TEST_F(FlatControlsTest, DriveBoxesOfTheMainWindowAndTheOutputDialog)
{
    TForm1* main = CreateMainForm();
    ShowMainForm();
    main->XPMenu1->SetActive(true);
    CheckDriveBox(main, main->Drive1);
    main->hide();

    TOutputFolder output(nullptr);
    output.XPMenu1->SetActive(true);
    output.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&output));
    CheckDriveBox(&output, output.DriveComboBox1);
}

TEST(FlatControls, PanelsKeepTheirOwnLookWithoutBevelAndGetFlatBevelsWithOne)
{
    TSystemColoursScope colours;
    auto paint = [](bool active, TBevelCut bevel) {
        TForm form(nullptr);
        form.resize(60, 40);
        auto* panel = new TPanel(&form, &form);
        panel->SetBounds(5, 5, 40, 20);
        panel->SetColor(RGB(212, 208, 200));
        panel->SetBevelOuter(bevel);
        auto* xp = new TXPMenu(&form);
        xp->SetActive(active);
        form.Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        QTest::qWait(20);
        return panel->grab().toImage();
    };
    EXPECT_EQ(paint(true, bvNone), paint(false, bvNone));
    const QImage raised = paint(true, bvRaised);
    EXPECT_EQ(Rgb(PixelAt(raised, 0, 0)), Rgb(RGB(238, 236, 233)));
    EXPECT_EQ(Rgb(PixelAt(raised, 20, 0)), Rgb(RGB(238, 236, 233)));
    EXPECT_EQ(Rgb(PixelAt(raised, 39, 10)), Rgb(RGB(152, 150, 140)));
    EXPECT_EQ(Rgb(PixelAt(raised, 20, 19)), Rgb(RGB(152, 150, 140)));
    EXPECT_EQ(Rgb(PixelAt(raised, 20, 10)), Rgb(RGB(212, 208, 200)));
}

TEST_F(FlatControlsTest, MainWindowToolBarButtonsAtRestAndHot)
{
    TForm1* main = CreateMainForm();
    ShowMainForm();
    main->XPMenu1->SetActive(true);
    TToolBar* bar = main->ToolBar1;
    constexpr TColor kBar = RGB(219, 216, 209);
    // Each button's glyph lies in 16 x 16 pixels at y = 5 and these x; the rest of the
    // button is the bar colour lightened 16 percent.
    const int glyphX[] = {4, 26, 50, 80, 104, 126, 150, 180, 204};
    std::vector<TToolButton*> buttons;
    for (int i = 0; i < bar->ButtonCount(); ++i)
        if (bar->Buttons(i)->Style() == tbsButton)
            buttons.push_back(bar->Buttons(i));
    ASSERT_EQ(buttons.size(), 9u);
    auto check = [&](const QImage& shot, TToolButton* b, int gx, int gy, TColor ground, int top) {
        int ink = 0;
        const QRect r = b->geometry();
        for (int y = r.top() + top; y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const bool inGlyph = x >= gx && x < gx + 16 && y >= gy && y < gy + 16;
                if (inGlyph)
                    ink += PixelAt(shot, x, y) != ground;
                else if (PixelAt(shot, x, y) != ground && ground == kBar)
                    ADD_FAILURE() << b->Name().toStdString() << " at " << x << "," << y << " " << Rgb(PixelAt(shot, x, y));
            }
        EXPECT_GT(ink, 10) << b->Name().toStdString();
    };
    GW_TRY_TRUE(PixelAt(bar->grab().toImage(), 1, 3) == kBar);
    const QImage rest = bar->grab().toImage();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        check(rest, buttons[i], glyphX[i], 5, kBar, 0);

    // Hot: selection fill, a frame below the top row, the glyph one pixel up and left.
    TToolButton* save = main->SaveButton;
    save->SetEnabled(true);
    QTest::mouseMove(bar, save->geometry().center());
    GW_TRY_TRUE(PixelAt(bar->grab().toImage(), save->x() + 1, save->y() + 2) == RGB(189, 207, 236));
    const QImage hot = bar->grab().toImage();
    EXPECT_EQ(Rgb(PixelAt(hot, save->x(), save->y() + 10)), Rgb(RGB(49, 106, 197)));
    EXPECT_EQ(Rgb(PixelAt(hot, save->x() + 10, save->y() + 1)), Rgb(RGB(49, 106, 197)));
    EXPECT_EQ(Rgb(PixelAt(hot, save->x() + 10, save->y())), Rgb(kBar));
    EXPECT_GT(CountOf(hot.copy(save->geometry()), RGB(139, 159, 186)), 0) << "the glyph's silhouette";
}

TEST_F(FlatControlsTest, CaptionMenuButtonsTintedAndFramedUnderThePointer)
{
    TForm1* main = CreateMainForm();
    ShowMainForm();
    main->XPMenu1->SetActive(true);
    TSpeedButton* button = main->MenuButtons[0];
    ASSERT_TRUE(button->isVisible());
    const int w = button->width(), h = button->height();
    GW_TRY_TRUE(TControlSubClass::Of(button) && TControlSubClass::Of(button)->PaintCount > 0);
    const QImage picture = main->grab(button->geometry()).toImage();
    for (int depth : {32, 16}) {
        SCOPED_TRACE(depth);
        TCanvas::SetDisplayDepthOverride(depth);
        const TColor tint = depth > 16 ? RGB(202, 217, 240) : RGB(215, 226, 244);
        QTest::mouseMove(button, QPoint(w / 2, h / 2));
        GW_TRY_TRUE(PixelAt(main->grab(button->geometry()).toImage(), 0, h / 2) == RGB(111, 151, 214));
        const QImage shot = main->grab(button->geometry()).toImage();
        EXPECT_EQ(Rgb(PixelAt(shot, w / 2, 0)), Rgb(RGB(111, 151, 214)));
        // Away from the caption the picture shows through, ANDed with the tint.
        const TColor p = PixelAt(picture, 2, 2);
        EXPECT_EQ(Rgb(PixelAt(shot, 2, 2)), Rgb(p & tint));
        QTest::mouseMove(main, QPoint(main->width() / 2, main->height() / 2));
        GW_TRY_TRUE(PixelAt(main->grab(button->geometry()).toImage(), 0, h / 2) == PixelAt(picture, 0, h / 2));
    }
}

TEST_F(FlatControlsTest, CaptionMenuButtonRestsAgainOnceItsMenuClosesAwayFromIt)
{
    TForm1* main = CreateMainForm();
    ShowMainForm();
    main->XPMenu1->SetActive(true);
    TSpeedButton* button = main->MenuButtons[1];
    ASSERT_TRUE(button->isVisible());
    const int w = button->width(), h = button->height();
    auto shot = [&] { return main->grab(button->geometry()).toImage(); };
    GW_TRY_TRUE(TControlSubClass::Of(button) && TControlSubClass::Of(button)->PaintCount > 0);
    const QImage rest = shot();
    const QPoint away = main->mapToGlobal(QPoint(main->width() / 2, main->height() / 2));

    for (const bool byClick : {false, true}) {
        SCOPED_TRACE(byClick ? "a click elsewhere" : "Escape");
        QTest::mouseMove(button, QPoint(w / 2, h / 2));
        GW_TRY_EQ(PixelAt(shot(), 0, h / 2), RGB(111, 151, 214));
        // The caption, wider than the button here, stays inside the frame line.
        const QImage hot = shot();
        int broken = 0;
        for (int x = 0; x < w; ++x)
            broken += (PixelAt(hot, x, 0) != RGB(111, 151, 214)) + (PixelAt(hot, x, h - 1) != RGB(111, 151, 214));
        for (int y = 0; y < h; ++y)
            broken += (PixelAt(hot, 0, y) != RGB(111, 151, 214)) + (PixelAt(hot, w - 1, y) != RGB(111, 151, 214));
        EXPECT_EQ(broken, 0);
        QImage open;
        bool shown = false;
        QTimer::singleShot(0, main, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            shown = menu != nullptr;
            if (!menu)
                return;
            open = shot();
            // The pointer leaves the button while the menu holds the mouse.
            QCursor::setPos(away);
            if (byClick)
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->mapFromGlobal(away));
            else
                QTest::keyClick(menu, Qt::Key_Escape);
        });
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(w / 2, h / 2));
        ASSERT_TRUE(shown);
        // Down while its menu showed: tinted and framed.
        EXPECT_EQ(Rgb(PixelAt(open, 0, h / 2)), Rgb(RGB(111, 151, 214)));
        EXPECT_EQ(Rgb(PixelAt(open, w / 2, h - 1)), Rgb(RGB(111, 151, 214)));
        int tinted = 0;
        for (int y = 1; y < h - 1; ++y)
            for (int x = 1; x < w - 1; ++x)
                tinted += PixelAt(open, x, y) == (PixelAt(rest, x, y) & RGB(202, 217, 240));
        EXPECT_GT(tinted, (w - 2) * (h - 2) / 2) << "the picture behind, ANDed with the tint";
        // Closed away from it: up, and only its caption on the caption-bar picture (as
        // active: the offscreen platform takes activation away when a popup closes).
        EXPECT_FALSE(button->Down());
        main->activateWindow();
        GW_TRY_TRUE(main->isActiveWindow());
        GW_TRY_TRUE(shot() == rest);
        EXPECT_EQ(Rgb(PixelAt(shot(), 0, h / 2)), Rgb(PixelAt(rest, 0, h / 2)));
    }
}
