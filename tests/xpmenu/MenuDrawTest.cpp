// Menu items measured and drawn on image canvases: sizes, backgrounds, selection,
// separators, check marks, gradient and the flat popup frame; Chinese glyphs in a
// shown popup.
#include "PixelSupport.h"
#include "XpTestSupport.h"
#include "framework/ImgList.h"
#include "xpmenu/XpColors.h"
#include "xpmenu/Xpmenu.h"

#include <QFontMetrics>

#include <algorithm>
#include <iterator>

#include <gtest/gtest.h>

namespace {

constexpr TColor kPaint = RGB(249, 248, 247);
constexpr TColor kIcon = RGB(219, 216, 209);

// A form with an active component and one popup menu.
struct TMenuBench {
    TSystemColoursScope Colours;
    TForm Form{nullptr};
    TXPMenu* XP = new TXPMenu(&Form);
    TPopupMenu* Menu = new TPopupMenu(&Form);

    TMenuBench()
    {
        XP->SetFlatMenu(true);
        XP->SetActive(true);
    }
    TMenuItem* Add(const QString& caption)
    {
        auto* item = new TMenuItem(&Form);
        item->SetCaption(caption);
        Menu->Items()->Add(item);
        return item;
    }
    QImage Draw(TMenuItem* item, int w, int h, bool selected)
    {
        QImage image = FilledImage(w, h, RGB(1, 1, 1));
        TCanvas canvas(&image);
        XP->DrawItem(item, &canvas, TRect(0, 0, w, h), selected);
        return image;
    }
};

// A font whose text height is `height` pixels.
TFont FontOfHeight(int height)
{
    TFont f;
    f.Name = QStringLiteral("DejaVu Sans");
    for (int size = 6; size < 40; ++size) {
        f.Height = -size;
        if (QFontMetrics(f.ToQFont()).height() == height)
            return f;
    }
    ADD_FAILURE() << "no font of height " << height;
    return f;
}

std::string Row(const QImage& image, int y, const std::vector<std::pair<char, TColor>>& legend)
{
    return PixelMap(image, legend, QRect(0, y, image.width(), 1));
}

} // namespace

TEST(XpMenuDraw, ItemHeightsFollowTheTextAndTheGlyph)
{
    TMenuBench bench;
    const struct {
        int TextHeight;
        int Expected;
    } cases[] = {{13, 23}, {14, 24}, {16, 28}};
    TMenuItem* item = bench.Add(QStringLiteral("Open"));
    TMenuItem* line = bench.Add(QStringLiteral("-"));
    for (const auto& c : cases) {
        bench.XP->SetFont(FontOfHeight(c.TextHeight));
        QImage scratch = FilledImage(1, 1, clWhite);
        TCanvas canvas(&scratch);
        int w = 0, h = 0;
        bench.XP->MeasureItem(item, &canvas, w, h);
        EXPECT_EQ(h, c.Expected) << c.TextHeight;
        int big = 40;
        bench.XP->MeasureItem(item, &canvas, w, big);
        EXPECT_EQ(big, 40) << "only ever enlarges";
        int lw = 0, lh = 99;
        bench.XP->MeasureItem(line, &canvas, lw, lh);
        EXPECT_EQ(lh, 4) << "a separator is set to 4";
    }

    // A 30-pixel-high glyph makes the item at least 36 high.
    TImageList images(nullptr, 16, 30);
    images.Add(FilledImage(16, 30, clBlack));
    bench.Menu->SetImages(&images);
    item->SetImageIndex(0);
    bench.XP->SetFont(FontOfHeight(13));
    QImage scratch = FilledImage(1, 1, clWhite);
    TCanvas canvas(&scratch);
    int w = 0, h = 0;
    bench.XP->MeasureItem(item, &canvas, w, h);
    EXPECT_EQ(h, 36);

    // Inactive: nothing changes.
    bench.XP->SetActive(false);
    w = 7, h = 8;
    bench.XP->MeasureItem(item, &canvas, w, h);
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 8);
}

TEST(XpMenuDraw, ItemWidthsCountCaptionShortcutGapAndIconColumn)
{
    TMenuBench bench;
    const TFont font = FontOfHeight(13);
    bench.XP->SetFont(font);
    TCanvas m;
    m.Font = font;
    const int amp = m.TextWidth(QStringLiteral("&"));
    const struct {
        QString Caption;
        TShortCut Keys;
        int Expected;
    } cases[] = {
        {QStringLiteral("Open"), TShortCut(), m.TextWidth(QStringLiteral("Open")) + 5 + 24},
        {QStringLiteral("&Open"), TShortCut(), m.TextWidth(QStringLiteral("&Open")) + 5 - amp + 24},
        {QStringLiteral("A&&B"), TShortCut(), m.TextWidth(QStringLiteral("A&&B")) + 5 - amp + 24},
        {QStringLiteral("Save"), ShortCut(Qt::Key_S, Qt::ControlModifier),
         m.TextWidth(QStringLiteral("SaveCtrl+SWWW")) + 5 + 24},
    };
    for (const auto& c : cases) {
        TMenuItem* item = bench.Add(c.Caption);
        item->SetShortCut(c.Keys);
        QImage scratch = FilledImage(1, 1, clWhite);
        TCanvas canvas(&scratch);
        int w = 0, h = 0;
        bench.XP->MeasureItem(item, &canvas, w, h);
        EXPECT_EQ(w, c.Expected) << c.Caption.toStdString();
    }
    EXPECT_EQ(ShortCutToText(ShortCut(Qt::Key_S, Qt::ControlModifier)), QStringLiteral("Ctrl+S"));
}

TEST(XpMenuDraw, RestingSelectedDisabledAndSeparatorItems)
{
    TMenuBench bench;
    const std::vector<std::pair<char, TColor>> legend = {
        {'i', kIcon}, {'p', kPaint}, {'B', RGB(49, 106, 197)}, {'S', RGB(189, 207, 236)}, {'l', RGB(160, 160, 160)}};
    TMenuItem* blank = bench.Add(QString());
    const std::string rest = std::string(24, 'i') + std::string(126, 'p') + "\n";
    QImage image = bench.Draw(blank, 150, 23, false);
    for (int y = 0; y < 23; ++y)
        EXPECT_EQ(Row(image, y, legend), rest) << y;

    image = bench.Draw(blank, 150, 23, true);
    const std::string outline = std::string(149, 'B') + "p\n";
    const std::string inside = "B" + std::string(147, 'S') + "Bp\n";
    EXPECT_EQ(Row(image, 0, legend), rest);
    EXPECT_EQ(Row(image, 1, legend), outline);
    for (int y = 2; y < 22; ++y)
        EXPECT_EQ(Row(image, y, legend), inside) << y;
    EXPECT_EQ(Row(image, 22, legend), outline);

    // Disabled and selected: no highlight, the text in the disabled colour.
    TMenuItem* disabled = bench.Add(QStringLiteral("Delete"));
    disabled->SetEnabled(false);
    image = bench.Draw(disabled, 150, 23, true);
    EXPECT_EQ(Row(image, 1, legend), rest);
    EXPECT_EQ(Row(image, 22, legend), rest);
    std::map<TColor, int> text;
    for (int y = 0; y < 23; ++y)
        for (int x = 24; x < 150; ++x)
            ++text[PixelAt(image, x, y)];
    EXPECT_GT(text[RGB(141, 141, 141)], 0);
    EXPECT_EQ(text.count(RGB(189, 207, 236)), 0u);

    // A separator: one line on row 2 from x = 31 to the right edge.
    TMenuItem* line = bench.Add(QStringLiteral("-"));
    image = bench.Draw(line, 150, 4, false);
    EXPECT_EQ(Row(image, 0, legend), rest);
    EXPECT_EQ(Row(image, 1, legend), rest);
    EXPECT_EQ(Row(image, 2, legend), std::string(24, 'i') + std::string(7, 'p') + std::string(119, 'l') + "\n");
    EXPECT_EQ(Row(image, 3, legend), rest);
}

TEST(XpMenuDraw, CheckedItemWithoutGlyphShowsTheTickInItsBox)
{
    TMenuBench bench;
    TMenuItem* item = bench.Add(QString());
    item->SetChecked(true);
    const struct {
        bool Selected;
        TColor Back;
    } cases[] = {{false, RGB(214, 225, 243)}, {true, RGB(152, 180, 226)}};
    for (const auto& c : cases) {
        const QImage image = bench.Draw(item, 150, 23, c.Selected);
        const std::vector<std::pair<char, TColor>> legend = {
            {'B', RGB(49, 106, 197)}, {'c', c.Back}, {'k', RGB(0, 0, 0)}, {'i', kIcon}, {'S', RGB(189, 207, 236)}};
        const char* ground = c.Selected ? "S" : "i";
        auto row = [&](const std::string& s) {
            std::string r;
            for (char ch : s)
                r += ch == 'i' ? ground[0] : ch;
            return r + "\n";
        };
        EXPECT_EQ(PixelMap(image, legend, QRect(6, 6, 14, 12)),
                  row("iiiiiiiiiiiiii") + row("iBBBBBBBBBBiki") + row("iBccccccccBkii") + row("iBcccccccckiii") +
                      row("iBccccccckBiii") + row("iBckcccckcBiii") + row("iBkkkcckccBiii") +
                      row("iBckkkkkccBiii") + row("iBcckkkcccBiii") + row("iBccckccccBiii") +
                      row("iBBBBBBBBBBiii") + row("iiiiiiiiiiiiii"))
            << c.Selected;
    }
}

TEST(XpMenuDraw, RadioItemsAndListGlyphs)
{
    TMenuBench bench;
    TMenuItem* radio = bench.Add(QString());
    radio->SetRadioItem(true);
    radio->SetChecked(true);
    QImage image = bench.Draw(radio, 150, 23, false);
    // An ellipse in the 10 x 10 box: filled in the middle, corners left alone.
    EXPECT_EQ(Rgb(PixelAt(image, 12, 12)), Rgb(RGB(214, 225, 243)));
    EXPECT_EQ(Rgb(PixelAt(image, 7, 7)), Rgb(kIcon));
    EXPECT_EQ(Rgb(PixelAt(image, 12, 7)), Rgb(RGB(49, 106, 197)));

    // A list glyph: its transparent parts show the icon column, its black pixel is
    // dimmed at (3, 3) (16 x 16 glyph, IconWidth 24).
    TImageList images(nullptr, 16, 16);
    QImage glyph = FilledImage(16, 16, clFuchsia);
    glyph.setPixel(0, 0, qRgb(0, 0, 0));
    images.AddMasked(glyph, clFuchsia);
    bench.Menu->SetImages(&images);
    TMenuItem* withGlyph = bench.Add(QString());
    withGlyph->SetImageIndex(0);
    image = bench.Draw(withGlyph, 150, 23, false);
    EXPECT_EQ(Rgb(PixelAt(image, 3, 3)), Rgb(RGB(76, 76, 76)));
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 24; ++x)
            if (x != 3 || y != 3) {
                ASSERT_EQ(Rgb(PixelAt(image, x, y)), Rgb(kIcon)) << x << "," << y;
            }
}

TEST(XpMenuDraw, GradientIconColumn)
{
    TMenuBench bench;
    bench.XP->SetGradient(true);
    TMenuItem* blank = bench.Add(QString());
    const QImage image = bench.Draw(blank, 150, 23, false);
    for (int y : {0, 11, 22}) {
        EXPECT_EQ(Rgb(PixelAt(image, 0, y)), Rgb(RGB(219, 216, 209)));
        EXPECT_EQ(Rgb(PixelAt(image, 1, y)), Rgb(RGB(220, 218, 211)));
        EXPECT_EQ(Rgb(PixelAt(image, 28, y)), Rgb(RGB(250, 249, 248)));
        for (int x = 39; x < 150; ++x)
            ASSERT_EQ(Rgb(PixelAt(image, x, y)), Rgb(RGB(254, 253, 253))) << x;
    }
    // On 8 bits the flat colours: a white background and a button-face icon column.
    TCanvas::SetDisplayDepthOverride(8);
    const QImage flat = bench.Draw(blank, 150, 23, false);
    EXPECT_EQ(Rgb(PixelAt(flat, 0, 5)), Rgb(RGB(212, 208, 200)));
    EXPECT_EQ(Rgb(PixelAt(flat, 23, 5)), Rgb(RGB(212, 208, 200)));
    EXPECT_EQ(Rgb(PixelAt(flat, 24, 5)), Rgb(RGB(255, 255, 255)));
}

TEST(XpMenuDraw, FlatPopupFrame)
{
    TMenuBench bench;
    QWidget window;
    window.resize(34, 12);
    const std::vector<std::pair<char, TColor>> legend = {{'F', RGB(122, 120, 110)}, {'P', kPaint},
                                                         {'I', kIcon},              {'S', RGB(136, 134, 124)},
                                                         {'m', RGB(212, 208, 200)}, {'.', RGB(1, 1, 1)}};
    QImage image = FilledImage(34, 12, RGB(1, 1, 1));
    {
        TCanvas canvas(&image);
        bench.XP->SetGlobalColor(&canvas);
        bench.XP->DrawWindowBorder(&canvas, &window, false);
    }
    const std::string inner = "FII" + std::string(28, '.') + "FSS\n";
    EXPECT_EQ(PixelMap(image, legend),
              std::string(32, 'F') + "mm\n" +                                       //
                  "F" + std::string(30, 'P') + "Fmm\n" +                            //
                  "F" + std::string(26, 'I') + std::string(4, 'P') + "FSS\n" +      //
                  inner + inner + inner + inner + inner + inner +                   //
                  std::string(32, 'F') + "SS\n" +                                   //
                  "mm" + std::string(32, 'S') + "\n" + "mm" + std::string(32, 'S') + "\n");
    QImage untouched = FilledImage(34, 12, RGB(1, 1, 1));
    {
        TCanvas canvas(&untouched);
        bench.XP->DrawWindowBorder(&canvas, nullptr, false);
    }
    EXPECT_EQ(untouched, FilledImage(34, 12, RGB(1, 1, 1)));
}

namespace {

// A popup menu of `form` holding `captions`, painted by the form's active flat-look
// component (`xp`), shown at (100, 100) away from the pointer.
TPopupMenu* ShowPopup(TForm& form, const QStringList& captions, TXPMenu*& xp)
{
    QCursor::setPos(1000, 900);
    auto* menu = new TPopupMenu(&form);
    for (const QString& caption : captions) {
        auto* item = new TMenuItem(&form);
        item->SetCaption(caption);
        menu->Items()->Add(item);
    }
    xp = new TXPMenu(&form);
    xp->SetFlatMenu(true);
    xp->SetActive(true);
    menu->Popup(100, 100);
    return menu;
}

} // namespace

TEST(XpMenuShown, PopupWithItsFrameItemsAndSelection)
{
    TSystemColoursScope colours;
    TForm form(nullptr);
    TXPMenu* xp = nullptr;
    TPopupMenu* menu = ShowPopup(form, {"Open", "-", "Save", "Delete"}, xp);
    QMenu* widget = menu->MenuWidget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
    const int w = widget->width(), h = widget->height();
    QImage shot = widget->grab().toImage();
    const struct {
        int X, Y;
        TColor Expected;
        const char* What;
    } cases[] = {
        {0, 10, RGB(122, 120, 110), "frame left"},
        {w - 3, 10, RGB(122, 120, 110), "frame right"},
        {10, 0, RGB(122, 120, 110), "frame top"},
        {10, h - 3, RGB(122, 120, 110), "frame bottom"},
        {10, 1, RGB(249, 248, 247), "band above the items"},
        {10, 2, RGB(219, 216, 209), "icon column part of row 2"},
        {40, 2, RGB(249, 248, 247), "rest of row 2"},
        {1, 10, RGB(219, 216, 209), "column 1"},
        {2, 10, RGB(219, 216, 209), "column 2"},
        {3, 10, RGB(219, 216, 209), "first item's icon column"},
        {w - 4, 10, RGB(249, 248, 247), "first item's right end"},
        {10, h - 2, RGB(136, 134, 124), "shadow below"},
        {w - 1, 10, RGB(136, 134, 124), "shadow right"},
        {0, h - 1, RGB(212, 208, 200), "outer corner bottom left"},
        {w - 1, 0, RGB(212, 208, 200), "outer corner top right"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rgb(PixelAt(shot, c.X, c.Y)), Rgb(c.Expected)) << c.What << " at " << c.X << "," << c.Y;

    // The separator's line: 2 below its top, from IconWidth + 7 on.
    const QRect line = widget->actionGeometry(menu->Items()->Items(1)->Action());
    EXPECT_EQ(line.height(), 4);
    EXPECT_EQ(Rgb(PixelAt(shot, line.left() + 31, line.top() + 2)), Rgb(RGB(160, 160, 160)));
    EXPECT_EQ(Rgb(PixelAt(shot, line.left() + 30, line.top() + 2)), Rgb(RGB(249, 248, 247)));

    // The keyboard selects the first item: the selection fill and its outline.
    QTest::keyClick(widget, Qt::Key_Down);
    const QRect first = widget->actionGeometry(menu->Items()->Items(0)->Action());
    GW_TRY_EQ(PixelAt(widget->grab().toImage(), first.left() + 40, first.top() + 5), RGB(189, 207, 236));
    shot = widget->grab().toImage();
    EXPECT_EQ(Rgb(PixelAt(shot, first.left(), first.top() + 5)), Rgb(RGB(49, 106, 197)));
    EXPECT_EQ(Rgb(PixelAt(shot, first.left() + 40, first.top() + 1)), Rgb(RGB(49, 106, 197)));
    EXPECT_EQ(Rgb(PixelAt(shot, first.left() + 40, first.top())), Rgb(RGB(249, 248, 247)));
    menu->CloseMenu();
}

TEST(XpMenuShown, AChineseGlyphLooksTheSameWhateverTextPrecedesIt)
{
    TSystemColoursScope colours;
    TForm form(nullptr);
    // Each caption with the text before its "图": in the menus' font (the desktop's menu
    // font, its Chinese from the Song stand-in) the Latin texts end at fractions of a pixel.
    const struct {
        const char* Caption;
        const char* Before;
    } cases[] = {
        {"原始图标(&2)", "原始"},
        {"16色图标(&1)", "16色"},
        {"PNG 图像(&3)", "PNG "},
        {"Ab 图标", "Ab "},
        {"1图", "1"},
    };
    QStringList captions;
    for (const auto& c : cases)
        captions << QString::fromUtf8(c.Caption);
    TXPMenu* xp = nullptr;
    TPopupMenu* menu = ShowPopup(form, captions, xp);
    QMenu* widget = menu->MenuWidget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
    const QImage shot = widget->grab().toImage();
    menu->CloseMenu();

    // The glyph's cell as ink levels: '#' dark, '+' light, ' ' the menu's face.
    const QFontMetrics fm(xp->Font().ToQFont());
    const auto glyph = [&](int i) {
        const QRect item = widget->actionGeometry(menu->Items()->Items(i)->Action());
        const int x = item.left() + 24 + 3 + fm.horizontalAdvance(QLatin1Char(' ') + QString::fromUtf8(cases[i].Before));
        std::string s;
        for (int y = item.top(); y <= item.bottom(); ++y) {
            for (int dx = 0; dx < fm.horizontalAdvance(QStringLiteral("图")); ++dx) {
                const int grey = qGray(shot.pixel(x + dx, y));
                s += grey < 128 ? '#' : grey < 240 ? '+' : ' ';
            }
            s += '\n';
        }
        return s;
    };
    const std::string first = glyph(0);
    EXPECT_GE(std::count(first.begin(), first.end(), '#'), 30) << first;
    for (int i = 1; i < int(std::size(cases)); ++i)
        EXPECT_EQ(glyph(i), first) << cases[i].Caption;
}
