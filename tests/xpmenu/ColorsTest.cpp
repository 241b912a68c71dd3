// Colour helpers, glyph helpers and the working palette, as tables of literal values.
#include "PixelSupport.h"
#include "XpTestSupport.h"
#include "xpmenu/XpColors.h"
#include "xpmenu/Xpmenu.h"

#include <gtest/gtest.h>

namespace {

struct TColourCase {
    TColor In;
    int Value;
    TColor Expected;
};

} // namespace

TEST(XpColors, NewColorMovesTowardWhiteWithHalvesToEven)
{
    TSystemColoursScope colours;
    const TColourCase cases[] = {
        {RGB(212, 208, 200), 86, RGB(249, 248, 247)},
        {RGB(212, 208, 200), 16, RGB(219, 216, 209)},
        {RGB(49, 106, 197), 50, RGB(152, 180, 226)}, // green 106 + 74.5 gives 180
        {RGB(49, 106, 197), 68, RGB(189, 207, 236)},
        {RGB(0, 0, 0), 30, RGB(76, 76, 76)},          // 76.5 gives 76
        {RGB(1, 1, 1), 50, RGB(128, 128, 128)},       // 127 exactly
        {RGB(3, 3, 3), 50, RGB(129, 129, 129)},       // 126 exactly
        {RGB(0, 0, 0), 50, RGB(128, 128, 128)},       // 127.5 gives 128
        {RGB(2, 2, 2), 50, RGB(128, 128, 128)},       // 126.5 gives 126
        {RGB(12, 34, 56), 0, RGB(12, 34, 56)},
        {RGB(12, 34, 56), 100, RGB(255, 255, 255)},
        {RGB(12, 34, 56), 250, RGB(255, 255, 255)},
        {RGB(12, 34, 56), -1, RGB(12, 34, 56)},       // clamped, not wrapped
        {RGB(12, 34, 56), -400, RGB(12, 34, 56)},
        {clBtnFace, 86, RGB(249, 248, 247)},
        {clBtnShadow, 10, RGB(141, 141, 141)},
        {clBtnShadow, 25, RGB(160, 160, 160)},
    };
    QImage image = FilledImage(1, 1, clWhite);
    TCanvas canvas(&image);
    for (const auto& c : cases)
        EXPECT_EQ(Rgb(NewColor(&canvas, c.In, c.Value)), Rgb(c.Expected)) << Rgb(c.In) << " at " << c.Value;
}

TEST(XpColors, GetShadeColorShiftsAndClamps)
{
    TSystemColoursScope colours;
    const TColourCase cases[] = {
        {RGB(212, 208, 200), 90, RGB(122, 120, 110)},
        {RGB(212, 208, 200), 76, RGB(136, 134, 124)},
        {RGB(212, 208, 200), 10, RGB(202, 200, 190)},
        {RGB(212, 208, 200), 100, RGB(112, 110, 100)},
        {RGB(0, 0, 0), -40, RGB(40, 42, 40)},
        {RGB(0, 0, 0), 10, RGB(0, 0, 0)},
        {RGB(255, 255, 255), 10, RGB(245, 247, 245)},
        {RGB(250, 254, 250), 0, RGB(250, 255, 250)},
        {RGB(250, 250, 250), -20, RGB(255, 255, 255)},
        {RGB(189, 207, 236), 50, RGB(139, 159, 186)},
        {clBtnFace, 90, RGB(122, 120, 110)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rgb(GetShadeColor(nullptr, c.In, c.Value)), Rgb(c.Expected)) << Rgb(c.In) << " at " << c.Value;
}

TEST(XpColors, GrayColorIsTheAverageRaisedAndCapped)
{
    const TColourCase cases[] = {
        {RGB(0, 0, 0), 10, RGB(10, 10, 10)},
        {RGB(255, 255, 255), 0, RGB(240, 240, 240)},
        {RGB(255, 255, 255), 77, RGB(240, 240, 240)},
        {RGB(10, 20, 31), 5, RGB(25, 25, 25)}, // 61 / 3 truncates to 20
        {RGB(0, 0, 0), -20, RGB(0, 0, 0)},
        {RGB(230, 230, 230), 30, RGB(240, 240, 240)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rgb(GrayColor(nullptr, c.In, c.Value)), Rgb(c.Expected)) << Rgb(c.In) << " at " << c.Value;
}

TEST(XpColors, GrayAndDimBitmapsMapEveryPixelWhateverItsNeighbours)
{
    // Runs and alternations of colours, so that a stale one-entry cache would show.
    const TColor row0[] = {RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0)};
    const TColor row1[] = {RGB(255, 255, 255), RGB(100, 50, 0), RGB(100, 50, 0), RGB(0, 0, 0)};
    auto make = [&] {
        TBitmap b(4, 2);
        for (int x = 0; x < 4; ++x) {
            b.Image().setPixel(x, 0, qRgb(GetRValue(row0[x]), GetGValue(row0[x]), GetBValue(row0[x])));
            b.Image().setPixel(x, 1, qRgb(GetRValue(row1[x]), GetGValue(row1[x]), GetBValue(row1[x])));
        }
        return b;
    };
    TBitmap gray = make();
    GrayBitmap(&gray, 10);
    const TColor grayRow0[] = {RGB(10, 10, 10), RGB(10, 10, 10), RGB(240, 240, 240), RGB(10, 10, 10)};
    const TColor grayRow1[] = {RGB(240, 240, 240), RGB(60, 60, 60), RGB(60, 60, 60), RGB(10, 10, 10)};
    TBitmap dim = make();
    DimBitmap(&dim, 30);
    const TColor dimRow0[] = {RGB(76, 76, 76), RGB(76, 76, 76), RGB(255, 255, 255), RGB(76, 76, 76)};
    const TColor dimRow1[] = {RGB(255, 255, 255), RGB(146, 112, 76), RGB(146, 112, 76), RGB(76, 76, 76)};
    TBitmap over = make();
    DimBitmap(&over, 130); // above 100: white
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(Rgb(PixelAt(gray.Image(), x, 0)), Rgb(grayRow0[x])) << x;
        EXPECT_EQ(Rgb(PixelAt(gray.Image(), x, 1)), Rgb(grayRow1[x])) << x;
        EXPECT_EQ(Rgb(PixelAt(dim.Image(), x, 0)), Rgb(dimRow0[x])) << x;
        EXPECT_EQ(Rgb(PixelAt(dim.Image(), x, 1)), Rgb(dimRow1[x])) << x;
        EXPECT_EQ(Rgb(PixelAt(over.Image(), x, 1)), Rgb(clWhite)) << x;
    }
}

TEST(XpColors, ArrowTickAndShadowShapes)
{
    const std::vector<std::pair<char, TColor>> legend = {{'.', clWhite}, {'#', RGB(1, 2, 3)}, {'s', RGB(9, 9, 9)}};
    QImage arrow = FilledImage(8, 5, clWhite);
    {
        TCanvas c(&arrow);
        c.Pen.Color = RGB(1, 2, 3);
        DrawArrow(&c, 1, 1);
    }
    EXPECT_EQ(PixelMap(arrow, legend),
              "........\n"
              ".#####..\n"
              "..###...\n"
              "...#....\n"
              "........\n");

    QImage tick = FilledImage(12, 10, clWhite);
    {
        TCanvas c(&tick);
        c.Pen.Color = RGB(1, 2, 3);
        DrawCheckMark(&c, 0, 10);
    }
    EXPECT_EQ(PixelMap(tick, legend),
              "............\n"
              "........#...\n"
              ".......##...\n"
              "..#...###...\n"
              "..##.###....\n"
              "..#####.....\n"
              "...###......\n"
              "....#.......\n"
              "............\n"
              "............\n");

    TBitmap glyph(3, 3);
    glyph.Image().fill(qRgb(0, 255, 0)); // the bottom-left pixel's colour is the background
    glyph.Image().setPixel(1, 0, qRgb(5, 5, 5));
    glyph.Image().setPixel(2, 1, qRgb(200, 0, 0));
    QImage shadow = FilledImage(6, 5, clWhite);
    {
        TCanvas c(&shadow);
        DrawBitmapShadow(&glyph, &c, 2, 1, RGB(9, 9, 9));
    }
    EXPECT_EQ(PixelMap(shadow, legend),
              "......\n"
              "...s..\n"
              "....s.\n"
              "......\n"
              "......\n");
    TBitmap plain(3, 3);
    QImage untouched = FilledImage(6, 5, clWhite);
    {
        TCanvas c(&untouched);
        DrawBitmapShadow(&plain, &c, 0, 0, RGB(9, 9, 9));
    }
    EXPECT_EQ(untouched, FilledImage(6, 5, clWhite));
}

namespace {

struct TPaletteCase {
    const char* Name;
    TColor TXPMenu::*Field;
    TColor Expected;
};

void ExpectPalette(TXPMenu& xp, const std::vector<TPaletteCase>& cases, const char* what)
{
    for (const auto& c : cases)
        EXPECT_EQ(Rgb(xp.*(c.Field)), Rgb(c.Expected)) << what << ": " << c.Name;
}

#define PAL(field, colour) TPaletteCase{#field, &TXPMenu::field, colour}

} // namespace

TEST(XpPalette, SystemColoursAtEachDepth)
{
    TSystemColoursScope colours;
    TForm form(nullptr);
    auto* xp = new TXPMenu(&form);
    QImage image = FilledImage(2, 2, clWhite);
    TCanvas canvas(&image);

    const std::vector<TPaletteCase> high = {
        PAL(PaintColor, RGB(249, 248, 247)),          PAL(PaintIconBackColor, RGB(219, 216, 209)),
        PAL(PaintSelectColor, RGB(189, 207, 236)),    PAL(PaintSelectBorderColor, RGB(49, 106, 197)),
        PAL(PaintMenuBarColor, RGB(212, 208, 200)),   PAL(PaintDisabledColor, RGB(141, 141, 141)),
        PAL(PaintSeparatorColor, RGB(160, 160, 160)), PAL(PaintCheckedColor, RGB(49, 106, 197)),
        PAL(PaintCheckBackColor, RGB(214, 225, 243)), PAL(PaintCheckSelBackColor, RGB(152, 180, 226)),
        PAL(PaintFrameColor, RGB(122, 120, 110)),     PAL(PaintShadowColor, RGB(136, 134, 124)),
        PAL(PaintSelectFontColor, RGB(0, 0, 0)),
    };
    const std::vector<TPaletteCase> low = {
        PAL(PaintColor, RGB(255, 255, 255)),          PAL(PaintIconBackColor, RGB(212, 208, 200)),
        PAL(PaintSelectColor, RGB(255, 255, 255)),    PAL(PaintSelectBorderColor, RGB(49, 106, 197)),
        PAL(PaintMenuBarColor, RGB(212, 208, 200)),   PAL(PaintDisabledColor, RGB(128, 128, 128)),
        PAL(PaintSeparatorColor, RGB(128, 128, 128)), PAL(PaintCheckedColor, RGB(49, 106, 197)),
        PAL(PaintCheckBackColor, RGB(255, 255, 255)), PAL(PaintCheckSelBackColor, RGB(255, 255, 255)),
        PAL(PaintFrameColor, RGB(128, 128, 128)),     PAL(PaintShadowColor, RGB(128, 128, 128)),
        PAL(PaintSelectFontColor, RGB(0, 0, 0)),
    };
    const struct {
        int Depth;
        bool High;
    } depths[] = {{32, true}, {24, true}, {16, true}, {15, false}, {8, false}, {4, false}};
    for (const auto& d : depths) {
        TCanvas::SetDisplayDepthOverride(d.Depth);
        xp->SetGlobalColor(&canvas);
        EXPECT_EQ(xp->HighColorDisplay, d.High) << d.Depth;
        ExpectPalette(*xp, d.High ? high : low, d.High ? "high colour" : "low colour");
    }
}

TEST(XpPalette, OwnColoursWhenSystemColoursAreOff)
{
    TSystemColoursScope colours;
    TForm form(nullptr);
    auto* xp = new TXPMenu(&form);
    xp->SetUseSystemColors(false);
    xp->SetColor(RGB(1, 2, 3));
    xp->SetIconBackColor(RGB(4, 5, 6));
    xp->SetSelectColor(RGB(0, 0, 0));
    xp->SetSelectBorderColor(RGB(7, 8, 9));
    xp->SetMenuBarColor(RGB(10, 11, 12));
    xp->SetDisabledColor(RGB(13, 14, 15));
    xp->SetCheckedColor(RGB(16, 17, 18));
    xp->SetSeparatorColor(RGB(19, 20, 21));
    xp->SetSelectFontColor(RGB(22, 23, 24));
    QImage image = FilledImage(2, 2, clWhite);
    TCanvas canvas(&image);
    const std::vector<TPaletteCase> shared = {
        PAL(PaintColor, RGB(1, 2, 3)),           PAL(PaintIconBackColor, RGB(4, 5, 6)),
        PAL(PaintSelectBorderColor, RGB(7, 8, 9)), PAL(PaintMenuBarColor, RGB(10, 11, 12)),
        PAL(PaintDisabledColor, RGB(13, 14, 15)), PAL(PaintCheckedColor, RGB(16, 17, 18)),
        PAL(PaintSeparatorColor, RGB(19, 20, 21)), PAL(PaintSelectFontColor, RGB(22, 23, 24)),
    };
    TCanvas::SetDisplayDepthOverride(32);
    xp->SetGlobalColor(&canvas);
    ExpectPalette(*xp, shared, "high colour");
    ExpectPalette(*xp,
                  {PAL(PaintSelectColor, RGB(173, 173, 173)), PAL(PaintCheckBackColor, RGB(204, 204, 204)),
                   PAL(PaintCheckSelBackColor, RGB(128, 128, 128)), PAL(PaintFrameColor, RGB(122, 120, 110)),
                   PAL(PaintShadowColor, RGB(136, 134, 124))},
                  "high colour");
    TCanvas::SetDisplayDepthOverride(8);
    xp->SetGlobalColor(&canvas);
    ExpectPalette(*xp, shared, "low colour");
    ExpectPalette(*xp,
                  {PAL(PaintSelectColor, RGB(0, 0, 0)), PAL(PaintCheckBackColor, RGB(255, 255, 255)),
                   PAL(PaintCheckSelBackColor, RGB(192, 192, 192)), PAL(PaintFrameColor, RGB(128, 128, 128)),
                   PAL(PaintShadowColor, RGB(128, 128, 128))},
                  "low colour");
}
