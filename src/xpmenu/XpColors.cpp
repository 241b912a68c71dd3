// Colour and glyph helpers of the flat look.
#include "xpmenu/XpColors.h"

#include "xpmenu/Xpmenu.h"

#include <algorithm>

namespace {

int Clamp255(int v) { return std::clamp(v, 0, 255); }

// c + (255 - c) * percent / 100, the half to the even neighbour.
int Lighten(int c, int percent)
{
    const int n = (255 - c) * percent;
    int q = n / 100;
    const int r = n % 100;
    if (r > 50 || (r == 50 && (q & 1)))
        ++q;
    return c + q;
}

// Replaces every pixel by `map` of its colour, remembering the last colour seen:
// glyphs are mostly runs of one colour.
template <typename Map>
void MapPixels(TBitmap* bitmap, Map map)
{
    if (!bitmap || bitmap->Empty())
        return;
    bitmap->ReleaseCanvas();
    QImage& image = bitmap->Image();
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_ARGB32);
    bool cached = false;
    QRgb lastIn = 0, lastOut = 0;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb in = line[x] & 0xFFFFFF;
            if (!cached || in != lastIn) {
                const TColor out = map(RGB(qRed(in), qGreen(in), qBlue(in)));
                lastIn = in;
                lastOut = qRgb(GetRValue(out), GetGValue(out), GetBValue(out)) & 0xFFFFFF;
                cached = true;
            }
            line[x] = (line[x] & 0xFF000000u) | lastOut;
        }
    }
}

} // namespace

TColor GetShadeColor(TCanvas*, TColor color, int Value)
{
    const TColor c = ColorToRGB(color);
    return RGB(Clamp255(GetRValue(c) - Value), Clamp255(GetGValue(c) - Value + 2), Clamp255(GetBValue(c) - Value));
}

TColor NewColor(TCanvas*, TColor color, int Value)
{
    // On a true-colour device the nearest colour the device offers is the colour itself;
    // the canvas is kept in the signature for the devices that match colours.
    const int v = std::clamp(Value, 0, 100);
    const TColor c = ColorToRGB(color);
    return RGB(Lighten(GetRValue(c), v), Lighten(GetGValue(c), v), Lighten(GetBValue(c), v));
}

TColor GrayColor(TCanvas*, TColor color, int Value)
{
    const TColor c = ColorToRGB(color);
    const int a = Clamp255(std::min((GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3 + Value, 240));
    return RGB(a, a, a);
}

void GrayBitmap(TBitmap* ABitmap, int Value)
{
    MapPixels(ABitmap, [Value](TColor c) { return GrayColor(nullptr, c, Value); });
}

void DimBitmap(TBitmap* ABitmap, int Value)
{
    const int v = std::min(Value, 100);
    MapPixels(ABitmap, [v](TColor c) { return NewColor(nullptr, c, v); });
}

void DrawArrow(TCanvas* ACanvas, int X, int Y)
{
    ACanvas->MoveTo(X, Y);
    ACanvas->LineTo(X + 5, Y);
    ACanvas->MoveTo(X + 1, Y + 1);
    ACanvas->LineTo(X + 4, Y + 1);
    ACanvas->MoveTo(X + 2, Y + 2);
    ACanvas->LineTo(X + 3, Y + 2);
}

void DrawBitmapShadow(TBitmap* B, TCanvas* ACanvas, int X, int Y, TColor ShadowColor)
{
    if (!B || B->Empty())
        return;
    const QImage& image = B->Image();
    const QRgb background = image.pixel(0, image.height() - 1) & 0xFFFFFF;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != background)
                ACanvas->SetPixel(X + x, Y + y, ShadowColor);
}

void DrawCheckMark(TCanvas* ACanvas, int X, int Y)
{
    for (int k = 0; k < 3; ++k)
        ACanvas->Polyline({QPoint(X + 2, Y - 5 - k), QPoint(X + 4, Y - 3 - k), QPoint(X + 9, Y - 8 - k)});
}

// ---- The working palette

void TXPMenu::SetGlobalColor(TCanvas* ACanvas)
{
    HighColorDisplay = ACanvas->BitsPerPixel() >= 16;
    PaintColor = FColor;
    PaintIconBackColor = FIconBackColor;
    if (HighColorDisplay) {
        PaintSelectColor = NewColor(ACanvas, FSelectColor, 68);
        PaintCheckBackColor = NewColor(ACanvas, FSelectColor, 80);
        PaintCheckSelBackColor = NewColor(ACanvas, FSelectColor, 50);
        PaintFrameColor = GetShadeColor(ACanvas, clBtnFace, 90);
        PaintShadowColor = GetShadeColor(ACanvas, clBtnFace, 76);
    } else {
        PaintSelectColor = FSelectColor;
        PaintCheckBackColor = clWhite;
        PaintCheckSelBackColor = clSilver;
        PaintFrameColor = clBtnShadow;
        PaintShadowColor = clBtnShadow;
    }
    PaintSelectBorderColor = FSelectBorderColor;
    PaintSelectFontColor = FSelectFontColor;
    PaintMenuBarColor = FMenuBarColor;
    PaintDisabledColor = FDisabledColor;
    PaintCheckedColor = FCheckedColor;
    PaintSeparatorColor = FSeparatorColor;
    if (!FUseSystemColors)
        return;
    GetSystemMenuFont(FFont);
    PaintSelectFontColor = FFont.Color;
    if (!HighColorDisplay) {
        PaintColor = clWhite;
        PaintIconBackColor = clBtnFace;
        PaintSelectColor = clWhite;
        PaintSelectBorderColor = clHighlight;
        PaintMenuBarColor = PaintIconBackColor;
        PaintDisabledColor = clBtnShadow;
        PaintCheckedColor = clHighlight;
        PaintSeparatorColor = clBtnShadow;
        PaintCheckBackColor = clWhite;
        PaintCheckSelBackColor = clWhite;
    } else {
        PaintColor = NewColor(ACanvas, clBtnFace, 86);
        PaintIconBackColor = NewColor(ACanvas, clBtnFace, 16);
        PaintSelectColor = NewColor(ACanvas, clHighlight, 68);
        PaintSelectBorderColor = clHighlight;
        PaintMenuBarColor = clBtnFace;
        PaintDisabledColor = NewColor(ACanvas, clBtnShadow, 10);
        PaintSeparatorColor = NewColor(ACanvas, clBtnShadow, 25);
        PaintCheckedColor = clHighlight;
        PaintCheckBackColor = NewColor(ACanvas, clHighlight, 80);
        PaintCheckSelBackColor = NewColor(ACanvas, clHighlight, 50);
    }
}
