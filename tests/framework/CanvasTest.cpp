// The canvas's drawing rules, pixel by pixel on small images.
#include "framework/Graphics.h"

#include <QApplication>
#include <QPalette>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QImage White(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// The image as rows of '#' (the colour) and '.' (white).
std::string Map(const QImage& image, QRgb colour)
{
    std::string s;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            s += p == (colour & 0xFFFFFF) ? '#' : p == 0xFFFFFF ? '.' : '?';
        }
        s += '\n';
    }
    return s;
}

} // namespace

TEST(Canvas, LineCoversItsStartAndNotItsEnd)
{
    QImage image = White(6, 6);
    {
        TCanvas c(&image);
        c.Pen.Color = clBlack;
        c.MoveTo(1, 1);
        c.LineTo(4, 1);
        c.MoveTo(1, 3);
        c.LineTo(1, 5);
        c.MoveTo(5, 5); // right to left: 5 drawn, 3 not
        c.LineTo(3, 5);
        EXPECT_EQ(c.PenPos, QPoint(3, 5));
    }
    EXPECT_EQ(Map(image, 0),
              "......\n"
              ".###..\n"
              "......\n"
              ".#....\n"
              ".#....\n"
              "....##\n");
}

TEST(Canvas, DiagonalLineAndPolyline)
{
    QImage image = White(5, 5);
    {
        TCanvas c(&image);
        c.Pen.Color = clBlack;
        c.MoveTo(0, 0);
        c.LineTo(4, 4);
    }
    EXPECT_EQ(Map(image, 0),
              "#....\n"
              ".#...\n"
              "..#..\n"
              "...#.\n"
              ".....\n");
    image = White(5, 5);
    {
        TCanvas c(&image);
        c.Pen.Color = clRed;
        c.Polyline({QPoint(0, 4), QPoint(0, 0), QPoint(4, 0)});
    }
    EXPECT_EQ(Map(image, qRgb(255, 0, 0)),
              "####.\n"
              "#....\n"
              "#....\n"
              "#....\n"
              "#....\n");
}

TEST(Canvas, RectanglesExcludeRightColumnAndBottomRow)
{
    QImage image = White(6, 5);
    {
        TCanvas c(&image);
        c.Brush.Color = clBlack;
        c.FillRect(TRect(1, 1, 4, 3));
    }
    EXPECT_EQ(Map(image, 0),
              "......\n"
              ".###..\n"
              ".###..\n"
              "......\n"
              "......\n");
    image = White(6, 5);
    {
        TCanvas c(&image);
        c.Brush.Color = clBlack;
        c.FrameRect(TRect(0, 0, 5, 4));
    }
    EXPECT_EQ(Map(image, 0),
              "#####.\n"
              "#...#.\n"
              "#...#.\n"
              "#####.\n"
              "......\n");
}

TEST(Canvas, RectangleOutlinesWithPenAndFillsWithBrush)
{
    QImage image = White(5, 5);
    {
        TCanvas c(&image);
        c.Pen.Color = clBlack;
        c.Brush.Color = clRed;
        c.Rectangle(0, 0, 4, 4);
    }
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.pixel(3, 3) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.pixel(1, 1) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(4, 4) & 0xFFFFFF, 0xFFFFFFu);

    image = White(5, 5);
    {
        TCanvas c(&image);
        c.Pen.Color = clBlack;
        c.Brush.Style = bsClear;
        c.Rectangle(TRect(1, 1, 4, 4));
    }
    EXPECT_EQ(Map(image, 0),
              ".....\n"
              ".###.\n"
              ".#.#.\n"
              ".###.\n"
              ".....\n");
}

TEST(Canvas, Frame3DDrawsTopLeftAndBottomRightAndMovesInwards)
{
    QImage image = White(5, 5);
    TRect r(0, 0, 5, 5);
    {
        TCanvas c(&image);
        Frame3D(&c, r, clRed, clBlack, 1);
    }
    EXPECT_EQ(r, TRect(1, 1, 4, 4));
    EXPECT_EQ(Map(image, qRgb(255, 0, 0)),
              "####?\n"
              "#...?\n"
              "#...?\n"
              "#...?\n"
              "?????\n");
    EXPECT_EQ(image.pixel(4, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.pixel(0, 4) & 0xFFFFFF, 0u);

    image = White(6, 6);
    r = TRect(0, 0, 6, 6);
    {
        TCanvas c(&image);
        Frame3D(&c, r, clBlack, clBlack, 2);
    }
    EXPECT_EQ(r, TRect(2, 2, 4, 4));
    EXPECT_EQ(Map(image, 0),
              "######\n"
              "######\n"
              "##..##\n"
              "##..##\n"
              "######\n"
              "######\n");
}

TEST(Canvas, PixelsReadAndWrite)
{
    QImage image = White(3, 3);
    TCanvas c(&image);
    c.SetPixel(1, 2, RGB(10, 20, 30));
    EXPECT_EQ(c.Pixel(1, 2), RGB(10, 20, 30));
    EXPECT_EQ(c.Pixel(0, 0), clWhite);
    EXPECT_EQ(c.Pixel(5, 5), clNone);
}

TEST(Canvas, EllipseAndRoundRectStayInsideTheirRectangle)
{
    QImage image = White(12, 12);
    {
        TCanvas c(&image);
        c.Pen.Color = clBlack;
        c.Brush.Color = clBlack;
        c.Ellipse(2, 2, 10, 10);
    }
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(image.pixel(10, i) & 0xFFFFFF, 0xFFFFFFu) << i;
        EXPECT_EQ(image.pixel(i, 10) & 0xFFFFFF, 0xFFFFFFu) << i;
        EXPECT_EQ(image.pixel(1, i) & 0xFFFFFF, 0xFFFFFFu) << i;
    }
    EXPECT_EQ(image.pixel(6, 6) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.pixel(2, 2) & 0xFFFFFF, 0xFFFFFFu); // corner outside the ellipse

    image = White(12, 12);
    {
        TCanvas c(&image);
        c.Pen.Color = clBlack;
        c.Brush.Style = bsClear;
        c.RoundRect(0, 0, 10, 8, 4, 4);
    }
    EXPECT_EQ(image.pixel(5, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.pixel(5, 7) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.pixel(9, 4) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.pixel(5, 4) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(10, 4) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(Canvas, DrawTextCalcRectMeasuresWithoutDrawing)
{
    QImage image = White(100, 30);
    TCanvas c(&image);
    c.Font.Height = -13;
    TRect r(5, 5, 5, 5);
    const int h = c.DrawText("Hello", r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.Left, 5);
    EXPECT_EQ(r.Width(), c.TextWidth("Hello"));
    EXPECT_EQ(h, c.TextHeight("Hello"));
    EXPECT_EQ(r.Height(), h);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, 0xFFFFFFu);
    // "&" takes no room of its own.
    TRect m(0, 0, 0, 0);
    c.DrawText("&Save", m, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(m.Width(), c.TextWidth("Save"));
}

TEST(Canvas, AmpersandUnderlinesTheNextCharacterUnlessNoPrefix)
{
    auto draw = [](const QString& text, unsigned flags) {
        QImage image = White(40, 24);
        TCanvas c(&image);
        c.Font.Height = -16;
        c.Font.Color = clBlack;
        c.Brush.Style = bsClear;
        TRect r(0, 0, 40, 24);
        c.DrawText(text, r, flags | DT_SINGLELINE);
        return image;
    };
    const QImage underlined = draw("&a", 0);
    const QImage plain = draw("a", DT_NOPREFIX);
    int extra = 0, plainBottom = -1, extraTop = 99;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inkU = (underlined.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
            const bool inkP = (plain.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
            if (inkP) {
                EXPECT_TRUE(inkU) << x << "," << y;
                plainBottom = std::max(plainBottom, y);
            } else if (inkU) {
                ++extra;
                extraTop = std::min(extraTop, y);
            }
        }
    EXPECT_GT(extra, 2);
    EXPECT_GE(extraTop, plainBottom - 1); // the underline lies under the glyph
    // "&&" shows one ampersand; without the prefix rule "&a" shows the ampersand.
    EXPECT_EQ(draw("&&", 0), draw("&", DT_NOPREFIX));
    EXPECT_NE(draw("&a", DT_NOPREFIX), plain);
}

TEST(Canvas, DrawTextAlignsWithinTheRectangle)
{
    auto inkColumns = [](unsigned flags) {
        QImage image = White(80, 20);
        {
            TCanvas c(&image);
            c.Font.Height = -12;
            c.Font.Color = clBlack;
            c.Brush.Style = bsClear;
            TRect r(0, 0, 80, 20);
            c.DrawText("ii", r, flags | DT_SINGLELINE | DT_VCENTER);
        }
        int first = 80, last = -1;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 80; ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        return std::pair(first, last);
    };
    const auto left = inkColumns(DT_LEFT);
    const auto centre = inkColumns(DT_CENTER);
    const auto right = inkColumns(DT_RIGHT);
    EXPECT_LT(left.second, 20);
    EXPECT_GT(centre.first, 30);
    EXPECT_LT(centre.second, 50);
    EXPECT_GT(right.first, 60);
}

TEST(Canvas, OpaqueTextFillsBehindWithTheBrush)
{
    QImage image = White(60, 20);
    {
        TCanvas c(&image);
        c.Brush.Color = clRed;
        c.Font.Color = clBlack;
        c.TextOut(0, 0, "x");
    }
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(59, 19) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(Canvas, BitsPerPixelIsTheDeviceDepthUnlessOverridden)
{
    QImage image = White(2, 2);
    TCanvas c(&image);
    EXPECT_EQ(c.BitsPerPixel(), 32);
    TCanvas::SetDisplayDepthOverride(16);
    EXPECT_EQ(c.BitsPerPixel(), 16);
    TCanvas::SetDisplayDepthOverride(0);
    EXPECT_EQ(c.BitsPerPixel(), 32);
}

TEST(Canvas, CopyAndCombinesColourBits)
{
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(0xF0, 0x0F, 0xFF));
    image.setPixel(1, 0, qRgb(0xFF, 0xFF, 0xFF));
    QImage tint(2, 1, QImage::Format_RGB32);
    tint.fill(qRgb(0x3C, 0xFF, 0x0F));
    {
        TCanvas c(&image);
        c.CopyAnd(TRect(0, 0, 2, 1), tint);
    }
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0x300F0Fu);
    EXPECT_EQ(image.pixel(1, 0) & 0xFFFFFF, 0x3CFF0Fu);
}

TEST(Colours, SystemColoursFollowTheRunningPalette)
{
    const QPalette saved = QApplication::palette();
    QPalette pal = saved;
    pal.setColor(QPalette::Button, QColor(1, 2, 3));
    pal.setColor(QPalette::Highlight, QColor(40, 50, 60));
    pal.setColor(QPalette::Base, QColor(200, 201, 202));
    QApplication::setPalette(pal);
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(1, 2, 3));
    EXPECT_EQ(ColorToRGB(clHighlight), RGB(40, 50, 60));
    EXPECT_EQ(ColorToRGB(clWindow), RGB(200, 201, 202));
    EXPECT_EQ(ColorToRGB(RGB(9, 8, 7)), RGB(9, 8, 7));
    EXPECT_EQ(ToQColor(clHighlight), QColor(40, 50, 60));
    QApplication::setPalette(saved);
    EXPECT_EQ(clBtnFace, 0x8000000Fu);
    EXPECT_EQ(clHighlight, 0x8000000Du);
    EXPECT_EQ(clInactiveCaption, 0x80000003u);
    EXPECT_EQ(clMenuText, 0x80000007u);
    EXPECT_EQ(clBtnShadow, 0x80000010u);
    EXPECT_EQ(GetRValue(RGB(300, 2, 3)), 300 & 0xFF);
}

TEST(Canvas, DrawTransparentLeavesOutTheKeyColour)
{
    QImage glyph(3, 2, QImage::Format_RGB32);
    glyph.fill(qRgb(255, 0, 255));
    glyph.setPixel(1, 0, qRgb(0, 0, 0));
    glyph.setPixel(2, 1, qRgb(10, 20, 30));
    QImage image = White(5, 4);
    {
        TCanvas c(&image);
        c.DrawTransparent(1, 1, glyph, clFuchsia);
    }
    EXPECT_EQ(Map(image, 0),
              ".....\n"
              "..#..\n"
              "...?.\n"
              ".....\n");
    EXPECT_EQ(image.pixel(3, 2) & 0xFFFFFF, 0x0A141Eu);
}

TEST(Canvas, TransparentBackgroundModeDrawsTextWithoutFilling)
{
    auto draw = [](int mode, bool viaDrawText) {
        QImage image = White(40, 20);
        TCanvas c(&image);
        c.Brush.Color = clRed;
        c.Font.Color = clBlack;
        EXPECT_EQ(SetBkMode(&c, mode), OPAQUE);
        TRect r(0, 0, 40, 20);
        if (viaDrawText)
            c.DrawText("x", r, DT_SINGLELINE);
        else
            c.TextOut(0, 0, "x");
        return image.pixel(0, 0) & 0xFFFFFF;
    };
    for (bool viaDrawText : {false, true}) {
        EXPECT_EQ(draw(OPAQUE, viaDrawText), 0xFF0000u) << viaDrawText;
        EXPECT_EQ(draw(TRANSPARENT, viaDrawText), 0xFFFFFFu) << viaDrawText;
    }
}

namespace {
// Paints a mark and reads pixels back through the canvas while its paint event runs.
struct TReadBackWidget : QWidget {
    std::vector<TColor> Read;
    void paintEvent(QPaintEvent*) override
    {
        TCanvas c(this);
        c.Brush.Color = RGB(10, 20, 30);
        c.FillRect(TRect(0, 0, 30, 20));
        c.SetPixel(3, 4, RGB(200, 100, 50));
        Read = {c.Pixel(3, 4), c.Pixel(0, 0), c.Pixel(29, 19)};
    }
};
} // namespace

TEST(Canvas, PixelsReadBackFromAWidgetWhileItPaints)
{
    QWidget window;
    window.resize(60, 50);
    auto* w = new TReadBackWidget;
    w->setParent(&window);
    w->setGeometry(7, 9, 30, 20);
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->Read.empty(); }, 2000));
    ASSERT_EQ(w->Read.size(), 3u);
    EXPECT_EQ(w->Read[0], RGB(200, 100, 50));
    EXPECT_EQ(w->Read[1], RGB(10, 20, 30));
    EXPECT_EQ(w->Read[2], RGB(10, 20, 30));
}
