// Glyph, caption and highlight painters as pixel maps on image canvases.
#include "PixelSupport.h"
#include "XpTestSupport.h"
#include "xpmenu/XpColors.h"
#include "xpmenu/Xpmenu.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

constexpr TColor kBack = RGB(249, 248, 247);

// A form with the component and a sender of each kind.
struct TPainterBench {
    TSystemColoursScope Colours;
    TForm Form{nullptr};
    TXPMenu* XP = new TXPMenu(&Form);
    TMenuItem* Item = new TMenuItem(&Form);
    TToolBar* Bar = new TToolBar(&Form, &Form);
    TToolButton* Button = new TToolButton(Bar, &Form);
};

// A 16 x 16 glyph on magenta (its bottom-left pixel) with three black pixels.
std::unique_ptr<TBitmap> Glyph()
{
    auto b = std::make_unique<TBitmap>(16, 16);
    b->Image().fill(qRgb(255, 0, 255));
    for (auto [x, y] : {std::pair(0, 0), std::pair(1, 0), std::pair(1, 1)})
        b->Image().setPixel(x, y, qRgb(0, 0, 0));
    return b;
}

} // namespace

TEST(XpPainters, DrawIconPlacesDimsGreysAndShadowsTheGlyph)
{
    TPainterBench bench;
    const std::vector<std::pair<char, TColor>> legend = {
        {'.', kBack}, {'k', RGB(0, 0, 0)}, {'d', RGB(76, 76, 76)}, {'g', RGB(108, 108, 108)},
        {'s', RGB(139, 159, 186)}};
    enum TSender { Menu, Tool };
    const struct {
        const char* Name;
        TSender Sender;
        bool Hot, Pressed, Enabled, Checked, TopMenu;
        int Depth;
        const char* Map; // x 8..17, y 4..12 around IconRect (10, 5, 34, 28)
    } cases[] = {
        {"menu item at rest, dimmed", Menu, false, false, true, false, false, 32,
         ".........\n.........\n.........\n.........\n.....dd..\n......d..\n.........\n.........\n.........\n"},
        {"menu item hot, lifted with its silhouette", Menu, true, false, true, false, false, 32,
         ".........\n.........\n.........\n....kk...\n.....k...\n......ss.\n.......s.\n.........\n.........\n"},
        {"menu item disabled, greyed and lightened", Menu, false, false, false, false, false, 32,
         ".........\n.........\n.........\n.........\n.....gg..\n......g..\n.........\n.........\n.........\n"},
        {"menu item at rest on 8 bits, not dimmed", Menu, false, false, true, false, false, 8,
         ".........\n.........\n.........\n.........\n.....kk..\n......k..\n.........\n.........\n.........\n"},
        {"checked and hot: neither lifted nor shadowed", Menu, true, false, true, true, false, 32,
         ".........\n.........\n.........\n.........\n.....kk..\n......k..\n.........\n.........\n.........\n"},
        {"menu-bar item hot: shadowed, not lifted", Menu, true, false, true, false, true, 32,
         ".........\n.........\n.........\n.........\n...kk....\n....k....\n.....ss..\n......s..\n.........\n"},
        {"tool button hot", Tool, true, false, true, false, false, 32,
         ".........\n.kk......\n..k......\n...ss....\n....s....\n.........\n.........\n.........\n.........\n"},
        {"tool button hot and pressed: not lifted", Tool, true, true, true, false, false, 32,
         ".........\n.........\n..kk.....\n...k.....\n....ss...\n.....s...\n.........\n.........\n.........\n"},
    };
    for (const auto& c : cases) {
        TCanvas::SetDisplayDepthOverride(c.Depth);
        QImage image = FilledImage(40, 30, kBack);
        {
            TCanvas canvas(&image);
            bench.XP->SetGlobalColor(&canvas);
            auto glyph = Glyph();
            TObject* sender = c.Sender == Menu ? static_cast<TObject*>(bench.Item) : bench.Button;
            bench.XP->DrawIcon(sender, &canvas, glyph.get(), TRect(10, 5, 34, 28), c.Hot, c.Pressed, c.Enabled,
                               c.Checked, c.TopMenu, false);
        }
        EXPECT_EQ(PixelMap(image, legend, QRect(8, 4, 9, 9)), c.Map) << c.Name;
    }
}

namespace {

// Colours found in the image, with the columns where they occur.
struct TInk {
    std::map<TColor, int> Count;
    int First = -1, Last = -1; // columns of pixels unlike the background
};

TInk InkOf(const QImage& image, TColor background, QRect area = QRect())
{
    if (area.isNull())
        area = image.rect();
    TInk ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const TColor c = PixelAt(image, x, y);
            if (c == background)
                continue;
            ++ink.Count[c];
            if (ink.First < 0 || x < ink.First)
                ink.First = x;
            ink.Last = std::max(ink.Last, x);
        }
    return ink;
}

int Brightness(TColor c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); }

// The darkest ink colour (text drawn anti-aliased reaches its own colour in the stems).
TColor Darkest(const TInk& ink)
{
    TColor best = clWhite;
    for (const auto& [c, n] : ink.Count)
        if (Brightness(c) < Brightness(best))
            best = c;
    return best;
}

TFont TextFont()
{
    TFont f;
    f.Name = QStringLiteral("DejaVu Sans");
    f.Height = -13;
    f.Color = clBlack;
    return f;
}

} // namespace

TEST(XpPainters, DrawTheTextColoursAndPlacesCaptionAndShortcut)
{
    TPainterBench bench;
    const struct {
        const char* Name;
        bool Selected, Enabled, Default, TopMenu;
        TColor Caption;  // the darkest caption ink
        TColor ShortCut; // the darkest shortcut ink
    } cases[] = {
        {"plain", false, true, false, false, RGB(0, 0, 0), RGB(40, 42, 40)},
        {"selected", true, true, false, false, RGB(0, 0, 0), RGB(40, 42, 40)},
        {"disabled", false, false, false, false, RGB(141, 141, 141), RGB(181, 183, 181)},
        {"selected menu-bar item", true, true, false, true, RGB(0, 0, 0), RGB(40, 42, 40)},
    };
    for (const auto& c : cases) {
        QImage image = FilledImage(200, 23, kBack);
        {
            TCanvas canvas(&image);
            canvas.Brush.Color = clRed; // a solid brush must not fill behind the text
            bench.XP->SetGlobalColor(&canvas);
            bench.XP->DrawTheText(bench.Item, QStringLiteral(" Open"), QStringLiteral("Ctrl+O"), &canvas,
                                  TRect(30, 0, 200, 23), c.Selected, c.Enabled, c.Default, c.TopMenu, false,
                                  TextFont(), DT_LEFT);
        }
        const TInk caption = InkOf(image, kBack, QRect(0, 0, 100, 23));
        const TInk shortCut = InkOf(image, kBack, QRect(100, 0, 100, 23));
        EXPECT_EQ(caption.Count.count(RGB(255, 0, 0)) + shortCut.Count.count(RGB(255, 0, 0)), 0u) << c.Name;
        EXPECT_EQ(Rgb(Darkest(caption)), Rgb(c.Caption)) << c.Name;
        EXPECT_EQ(Rgb(Darkest(shortCut)), Rgb(c.ShortCut)) << c.Name;
        EXPECT_GE(caption.First, 30) << c.Name;
        EXPECT_LT(caption.First, 40) << c.Name;
        // Right-aligned 10 pixels before the edge, with a trailing blank.
        TCanvas measure;
        measure.Font = TextFont();
        const int end = 190 - measure.TextWidth(QStringLiteral(" "));
        EXPECT_LE(shortCut.Last, end) << c.Name;
        EXPECT_GE(shortCut.Last, end - 3) << c.Name;
    }
}

TEST(XpPainters, DefaultCaptionGetsItsShadowPasses)
{
    TPainterBench bench;
    auto draw = [&](bool isDefault, bool enabled) {
        QImage image = FilledImage(120, 23, kBack);
        TCanvas canvas(&image);
        bench.XP->SetGlobalColor(&canvas);
        bench.XP->DrawTheText(bench.Item, QStringLiteral("Extract"), QString(), &canvas, TRect(5, 0, 120, 23), false,
                              enabled, isDefault, false, false, TextFont(), DT_LEFT);
        return InkOf(image, kBack);
    };
    // The passes take their shades from the background under their corners: 30 and
    // 60 darker than (249,248,247) show where no later pass covers them (the pass 40
    // darker lies under the others).
    const TColor passColours[] = {RGB(219, 220, 217), RGB(189, 190, 187)};
    const TInk withShadow = draw(true, true);
    const TInk plain = draw(false, true);
    const TInk disabled = draw(true, false);
    for (TColor p : passColours) {
        EXPECT_GT(withShadow.Count.count(p), 0u) << Rgb(p);
        EXPECT_EQ(plain.Count.count(p), 0u) << Rgb(p);
        EXPECT_EQ(disabled.Count.count(p), 0u) << Rgb(p);
    }
    EXPECT_EQ(Rgb(Darkest(withShadow)), Rgb(RGB(0, 0, 0)));
    EXPECT_GT(withShadow.Last, plain.Last); // the passes reach one pixel further right
}

TEST(XpPainters, DisabledToolButtonCaptionGoesThroughABitmapOfTheBrushColour)
{
    TPainterBench bench;
    QImage image = FilledImage(80, 24, kBack);
    {
        TCanvas canvas(&image);
        bench.XP->SetGlobalColor(&canvas);
        canvas.Brush.Color = RGB(1, 2, 3);
        bench.XP->DrawTheText(bench.Button, QStringLiteral("Save"), QString(), &canvas, TRect(10, 2, 70, 22), false,
                              false, false, false, false, TextFont(), DT_CENTER);
    }
    // The whole text rectangle below its centred top takes the brush colour; the
    // text in it is the disabled colour and no shortcut is drawn.
    TCanvas measure;
    measure.Font = TextFont();
    const int top = 2 + (20 - measure.TextHeight(QStringLiteral("W"))) / 2;
    EXPECT_EQ(Rgb(PixelAt(image, 10, top)), Rgb(RGB(1, 2, 3)));
    EXPECT_EQ(Rgb(PixelAt(image, 69, 21)), Rgb(RGB(1, 2, 3)));
    EXPECT_EQ(Rgb(PixelAt(image, 10, top - 1)), Rgb(kBack));
    EXPECT_EQ(Rgb(PixelAt(image, 70, 21)), Rgb(kBack));
    const TInk ink = InkOf(image, RGB(1, 2, 3), QRect(10, top, 60, 22 - top));
    EXPECT_GT(ink.Count.count(RGB(141, 141, 141)), 0u);
    for (const auto& [c, n] : ink.Count)
        EXPECT_LE(Brightness(c), 3 * 141) << Rgb(c);
}

TEST(XpPainters, DrawTopMenuItemShadowAndPlainHighlight)
{
    TPainterBench bench;
    const std::vector<std::pair<char, TColor>> legend = {
        {'B', RGB(49, 106, 197)},  {'S', RGB(189, 207, 236)}, {'a', RGB(202, 200, 190)}, {'b', RGB(182, 180, 170)},
        {'c', RGB(152, 150, 140)}, {'d', RGB(112, 110, 100)}, {'e', RGB(172, 170, 160)}, {'m', RGB(212, 208, 200)},
        {'h', RGB(142, 140, 130)}, {'.', clWhite}};
    QImage bar = FilledImage(22, 13, clWhite);
    {
        TCanvas canvas(&bar);
        bench.XP->SetGlobalColor(&canvas);
        bench.XP->DrawTopMenuItem(bench.Item, &canvas, TRect(0, 0, 20, 12), clBtnFace, false);
    }
    EXPECT_EQ(PixelMap(bar, legend, QRect(12, 0, 10, 13)),
              "Baaaaaaa..\n"
              "Baammmmm..\n"
              "Baaaammm..\n"
              "Bbaaaamm..\n"
              "Bbbbaaam..\n"
              "Bcebbaam..\n"
              "Bdecbaaa..\n"
              "Bddcbbaa..\n"
              "Bddcbbaa..\n"
              "Bddccbaa..\n"
              "Bddccbaa..\n"
              "Bddccbaa..\n"
              "..........\n");
    EXPECT_EQ(PixelMap(bar, legend, QRect(0, 0, 3, 3)), "BBB\nBSS\nBSS\n");

    // Tool buttons, right-to-left menus and low-colour displays get the plain highlight.
    const struct {
        const char* Name;
        bool Menu, Rtl;
        int Depth;
        TColor Select;
    } plain[] = {
        {"tool button", false, false, 32, RGB(189, 207, 236)},
        {"right-to-left menu", true, true, 32, RGB(189, 207, 236)},
        {"menu on 8 bits", true, false, 8, RGB(255, 255, 255)},
    };
    for (const auto& p : plain) {
        TCanvas::SetDisplayDepthOverride(p.Depth);
        QImage image = FilledImage(11, 7, RGB(7, 7, 7));
        {
            TCanvas canvas(&image);
            bench.XP->SetGlobalColor(&canvas);
            TObject* sender = p.Menu ? static_cast<TObject*>(bench.Item) : bench.Button;
            bench.XP->DrawTopMenuItem(sender, &canvas, TRect(0, 0, 10, 6), clBtnFace, p.Rtl);
        }
        auto l = legend;
        l.insert(l.begin(), {{'S', p.Select}, {'.', RGB(7, 7, 7)}});
        EXPECT_EQ(PixelMap(image, l),
                  "BBBBBBBBmm.\n"
                  "BSSSSSSBmm.\n"
                  "BSSSSSSBhh.\n"
                  "BSSSSSSBhh.\n"
                  "BSSSSSSBhh.\n"
                  "BSSSSSSBhh.\n"
                  "...........\n")
            << p.Name;
    }
}

TEST(XpPainters, TopMenuFontColorKeepsTheFontOnLightColours)
{
    TPainterBench bench;
    const struct {
        TColor In, Expected;
    } cases[] = {
        {RGB(49, 106, 197), RGB(234, 240, 249)},
        {RGB(219, 216, 209), RGB(0, 0, 0)}, // (red + blue) / 2 above 150
        {RGB(0, 201, 0), RGB(0, 0, 0)},     // green above 200
        {RGB(100, 200, 200), RGB(240, 250, 250)}, // 139.5 and 49.5 to even
    };
    QImage image = FilledImage(1, 1, clWhite);
    TCanvas canvas(&image);
    bench.XP->SetGlobalColor(&canvas);
    for (const auto& c : cases)
        EXPECT_EQ(Rgb(bench.XP->TopMenuFontColor(&canvas, c.In)), Rgb(c.Expected)) << Rgb(c.In);
}
