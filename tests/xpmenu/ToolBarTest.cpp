// Tool-bar buttons and control-bar bands painted flat, on shown bars driven by the
// pointer.
#include "PixelSupport.h"
#include "XpTestSupport.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/ImgList.h"
#include "xpmenu/XpColors.h"
#include "xpmenu/Xpmenu.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr TColor kBar = RGB(219, 216, 209);
constexpr TColor kSel = RGB(189, 207, 236);
constexpr TColor kBorder = RGB(49, 106, 197);

// A shown tool bar of four buttons (plain, separator tagged 1, drop-down, check) with
// one 16 x 16 glyph: a black pixel at (0, 0) on a transparent ground; below it a field
// that has the focus when the window opens.
struct TToolBarBench {
    TSystemColoursScope Colours;
    TForm Form{nullptr};
    QLineEdit* Field = new QLineEdit(&Form);
    TImageList* Images = new TImageList(&Form, 16, 16);
    TToolBar* Bar = new TToolBar(&Form, &Form);
    TToolButton* Plain = new TToolButton(Bar, &Form);
    TToolButton* Separator = new TToolButton(Bar, &Form);
    TToolButton* Drop = new TToolButton(Bar, &Form);
    TToolButton* Check = new TToolButton(Bar, &Form);
    TXPMenu* XP = nullptr;

    TToolBarBench()
    {
        QImage glyph = FilledImage(16, 16, clFuchsia);
        glyph.setPixel(0, 0, qRgb(0, 0, 0));
        Images->AddMasked(glyph, clFuchsia);
        Bar->SetImages(Images);
        Bar->SetBounds(0, 0, 200, 29);
        Bar->SetColor(clBtnFace);
        Separator->SetStyle(tbsSeparator);
        Separator->Tag = 1;
        Drop->SetStyle(tbsDropDown);
        Check->SetStyle(tbsCheck);
        for (TToolButton* b : {Plain, Drop, Check})
            b->SetImageIndex(0);
        Form.resize(220, 60);
        Field->setGeometry(0, 35, 100, 20);
        QCursor::setPos(600, 400); // away from the window
        XP = new TXPMenu(&Form);
        Bar->OnCustomDrawButton = TTBCustomDrawBtnEvent::Bind(XP, &TXPMenu::ToolBarDrawButton);
        Form.Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Form));
        EXPECT_TRUE(QTest::qWaitFor([this] { return Check->x() == 54; }, 2000));
    }
    QImage Shot() { return Bar->grab().toImage(); }
    QPoint Centre(TToolButton* b) { return b->geometry().center(); }
};

} // namespace

TEST(XpToolBar, ButtonsAtRestHotPressedAndChecked)
{
    TToolBarBench bench;
    ASSERT_EQ(bench.Plain->geometry(), QRect(0, 2, 23, 22));
    const std::vector<std::pair<char, TColor>> legend = {
        {'b', kBar}, {'S', kSel}, {'B', kBorder}, {'P', RGB(152, 180, 226)}, {'C', RGB(214, 225, 243)},
        {'d', RGB(76, 76, 76)}, {'k', RGB(0, 0, 0)}, {'s', RGB(139, 159, 186)}};

    // At rest: the bar colour lightened 16 percent, the glyph dimmed at (4, 5).
    QTest::mouseMove(bench.Bar, QPoint(150, 10));
    GW_TRY_TRUE(!bench.Plain->Hot());
    QImage shot = bench.Shot();
    EXPECT_EQ(PixelMap(shot, legend, QRect(0, 2, 8, 6)),
              "bbbbbbbb\nbbbbbbbb\nbbbbbbbb\nbbbbdbbb\nbbbbbbbb\nbbbbbbbb\n");
    EXPECT_EQ(PixelMap(shot, legend, QRect(0, 23, 23, 1)), std::string(23, 'b') + "\n");

    // Hot: selection fill under a one-pixel frame below the top row; the glyph lifted
    // with its silhouette.
    QTest::mouseMove(bench.Bar, bench.Centre(bench.Plain));
    GW_TRY_TRUE(bench.Plain->Hot());
    GW_TRY_TRUE(PixelAt(bench.Shot(), 1, 4) == kSel);
    shot = bench.Shot();
    EXPECT_EQ(PixelMap(shot, legend, QRect(0, 2, 8, 6)),
              "bbbbbbbb\nBBBBBBBB\nBSSkSSSS\nBSSSSSSS\nBSSSSsSS\nBSSSSSSS\n");
    EXPECT_EQ(PixelMap(shot, legend, QRect(18, 21, 5, 3)), "SSSSB\nSSSSB\nBBBBB\n");

    // Hot and pressed.
    QTest::mousePress(bench.Bar->childAt(bench.Centre(bench.Plain)), Qt::LeftButton);
    GW_TRY_TRUE(PixelAt(bench.Shot(), 1, 4) == RGB(152, 180, 226));
    shot = bench.Shot();
    EXPECT_EQ(PixelMap(shot, legend, QRect(0, 2, 8, 6)),
              "bbbbbbbb\nBBBBBBBB\nBPPPPPPP\nBPPPkPPP\nBPPPPPPP\nBPPPPPsP\n")
        << "pressed: the glyph keeps its place";
    QTest::mouseRelease(bench.Bar->childAt(bench.Centre(bench.Plain)), Qt::LeftButton);

    // A checked button away from the pointer: check background and frame.
    bench.Check->SetDown(true);
    QTest::mouseMove(bench.Bar, QPoint(150, 10));
    GW_TRY_TRUE(!bench.Plain->Hot());
    GW_TRY_TRUE(PixelAt(bench.Shot(), 1, 4) == kBar);
    shot = bench.Shot();
    const int cx = bench.Check->x();
    EXPECT_EQ(PixelMap(shot, legend, QRect(cx, 2, 3, 3)), "bbb\nBBB\nBCC\n");
}

TEST(XpToolBar, TheButtonWithTheFocusShowsTheDottedFocusRectangle)
{
    TToolBarBench bench;
    const std::vector<std::pair<char, TColor>> legend = {{'b', kBar}, {'k', RGB(0, 0, 0)}, {'d', RGB(76, 76, 76)}};
    // Tab from the field reaches the first button: dots on the pixels whose x + y is even along the
    // outline of (2, 4) to (20, 21), two inside the button at (0, 2), 23 x 22; the
    // painting under it as at rest, the dimmed glyph pixel at (4, 5).
    GW_TRY_TRUE(bench.Field->hasFocus());
    QTest::keyClick(bench.Field, Qt::Key_Tab);
    GW_TRY_TRUE(bench.Plain->hasFocus());
    GW_TRY_TRUE(PixelAt(bench.Shot(), 2, 4) == RGB(0, 0, 0));
    QImage shot = bench.Shot();
    EXPECT_EQ(PixelMap(shot, legend, QRect(0, 2, 8, 6)),
              "bbbbbbbb\nbbbbbbbb\nbbkbkbkb\nbbbbdbbb\nbbkbbbbb\nbbbbbbbb\n");
    EXPECT_EQ(PixelMap(shot, legend, QRect(15, 18, 8, 6)),
              "bbbbbkbb\nbbbbbbbb\nbbbbbkbb\nkbkbkbbb\nbbbbbbbb\nbbbbbbbb\n");
    // The arrow key takes the focus, and the rectangle, over the separator to the
    // drop-down button at 31.
    QTest::keyClick(bench.Plain, Qt::Key_Right);
    GW_TRY_TRUE(bench.Drop->hasFocus());
    GW_TRY_TRUE(PixelAt(bench.Shot(), 2, 4) == kBar);
    shot = bench.Shot();
    EXPECT_EQ(PixelMap(shot, legend, QRect(0, 4, 23, 1)), std::string(23, 'b') + "\n");
    EXPECT_EQ(PixelMap(shot, legend, QRect(31, 4, 8, 2)), "bbbkbkbk\nbbkbbbbb\n");
}

TEST(XpToolBar, DropDownSeparatorAndDisabledButtons)
{
    TToolBarBench bench;
    const int dx = bench.Drop->x();
    ASSERT_EQ(dx, 31);
    QImage shot = bench.Shot();
    // The tagged separator shows a line in its middle from 2 below its top to 1 above
    // its bottom, in the bar colour darkened by 30.
    const TColor line = RGB(182, 180, 170);
    for (int y = 2; y < 24; ++y) {
        const bool on = y >= 4 && y < 23;
        EXPECT_EQ(Rgb(PixelAt(shot, 27, y)), Rgb(on ? line : kBar)) << y;
        EXPECT_EQ(Rgb(PixelAt(shot, 26, y)), Rgb(kBar)) << y;
    }
    // The drop-down arrow: 5-3-1 pixels, 10 from the right edge, rows 12 to 14.
    const std::vector<std::pair<char, TColor>> legend = {{'b', kBar}, {'k', RGB(0, 0, 0)}, {'B', kBorder},
                                                         {'S', kSel}};
    EXPECT_EQ(PixelMap(shot, legend, QRect(dx + 12, 11, 7, 5)), "bbbbbbb\nbkkkkkb\nbbkkkbb\nbbbkbbb\nbbbbbbb\n");
    // Hot: two frames sharing the column Right - 14.
    QTest::mouseMove(bench.Bar, bench.Centre(bench.Drop));
    GW_TRY_TRUE(PixelAt(bench.Shot(), dx + 1, 4) == kSel);
    shot = bench.Shot();
    EXPECT_EQ(PixelMap(shot, legend, QRect(dx, 3, 23, 1)), std::string(23, 'B') + "\n");
    EXPECT_EQ(PixelMap(shot, legend, QRect(dx, 6, 23, 1)),
              "B" + std::string(8, 'S') + "B" + std::string(12, 'S') + "B\n");

    // A disabled button's glyph is greyed and lightened 40 percent.
    bench.Plain->SetEnabled(false);
    GW_TRY_TRUE(PixelAt(bench.Shot(), 4, 5) == RGB(108, 108, 108));
}

TEST(XpToolBar, ControlBarBandsAndGrip)
{
    TSystemColoursScope colours;
    TForm form(nullptr);
    form.resize(120, 40);
    auto* bar = new TControlBar(&form, &form);
    bar->SetBounds(0, 0, 120, 30);
    bar->SetColor(clBtnFace);
    auto* band = new TPanel(bar, &form);
    band->SetBounds(0, 0, 50, 30);
    auto* xp = new TXPMenu(&form);
    bar->OnBandPaint = TBandPaintEvent::Bind(xp, &TXPMenu::ControlBarPaint);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    GW_TRY_TRUE(band->x() == TControlBar::kGripWidth);
    const QImage shot = bar->grab().toImage();
    // The band (grip included) in the bar colour lightened 6 percent; on even rows
    // from 5 below the top to 5 above the bottom a 3-pixel dash, each 7 darker.
    EXPECT_EQ(Rgb(PixelAt(shot, 0, 0)), Rgb(RGB(215, 211, 203)));
    EXPECT_EQ(Rgb(PixelAt(shot, 10, 29)), Rgb(RGB(215, 211, 203)));
    const TColor dashes[] = {RGB(182, 180, 170), RGB(175, 173, 163), RGB(168, 166, 156)};
    for (int i = 0; i < 3; ++i) {
        const int y = 6 + 2 * i;
        for (int x = 0; x < 11; ++x)
            EXPECT_EQ(Rgb(PixelAt(shot, x, y)), Rgb(x >= 3 && x < 6 ? dashes[i] : RGB(215, 211, 203))) << x << "," << y;
        EXPECT_EQ(Rgb(PixelAt(shot, 4, y - 1)), Rgb(RGB(215, 211, 203))) << y - 1;
    }
    EXPECT_EQ(Rgb(PixelAt(shot, 4, 24)), Rgb(RGB(119, 117, 107))); // the tenth dash: 93 darker
    EXPECT_EQ(Rgb(PixelAt(shot, 4, 26)), Rgb(RGB(215, 211, 203)));
}
