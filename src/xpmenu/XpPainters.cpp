// The painters every flat item shares: glyph, caption, menu-bar highlight.
#include "xpmenu/XpColors.h"
#include "xpmenu/Xpmenu.h"

namespace {

bool IsMenuItem(TObject* sender) { return qobject_cast<TMenuItem*>(sender) != nullptr; }
bool IsToolButton(TObject* sender) { return qobject_cast<TToolButton*>(sender) != nullptr; }

} // namespace

void TXPMenu::DrawIcon(TObject* Sender, TCanvas* ACanvas, TBitmap* B, TRect IconRect, bool Hot, bool Pressed,
                       bool Enabled, bool Checked, bool TopMenu, bool IsRightToLeft)
{
    if (!B || B->Width() <= 0)
        return;
    int x = IconRect.Left;
    int y = IconRect.Top + 1;
    if (IsMenuItem(Sender)) {
        y += 2;
        if (B->Width() < FIconWidth)
            x = IconRect.Left + (FIconWidth - B->Width()) / 2 - 1;
        else
            x = IsRightToLeft ? IconRect.Right - B->Width() - 2 : IconRect.Left + 2;
    }
    if (TopMenu)
        x = IsRightToLeft ? IconRect.Right - B->Width() - 5 : IconRect.Left + 1;
    // A hot glyph lifts away from its shadow.
    if (Hot && !TopMenu && Enabled && !Checked && !Pressed) {
        --x;
        --y;
    }
    if (!Hot && Enabled && !Checked && HighColorDisplay)
        DimBitmap(B, FDimLevel);
    if (!Enabled) {
        GrayBitmap(B, FGrayLevel);
        DimBitmap(B, 40);
    }
    if (Hot && Enabled && !Checked) {
        TColor shadow = PaintSelectColor;
        if (HighColorDisplay && !FUseSystemColors && IsToolButton(Sender))
            shadow = NewColor(ACanvas, FSelectColor, 68);
        shadow = GetShadeColor(ACanvas, shadow, 50);
        DrawBitmapShadow(B, ACanvas, x + 2, y + 2, shadow);
    }
    const QImage& image = B->Image();
    const QRgb key = image.pixel(0, image.height() - 1);
    ACanvas->DrawTransparent(x, y, image, RGB(qRed(key), qGreen(key), qBlue(key)));
}

void TXPMenu::DrawTheText(TObject* Sender, const QString& Text, const QString& ShortCutText, TCanvas* ACanvas,
                          TRect TextRect, bool Selected, bool Enabled, bool Default, bool TopMenu,
                          bool IsRightToLeft, const TFont& TxtFont, unsigned TextFormat)
{
    TColor c = TxtFont.Color;
    ACanvas->Font = TxtFont;
    if (Selected)
        c = PaintSelectFontColor;
    if (!Enabled) {
        c = PaintDisabledColor;
        if (IsToolButton(Sender)) {
            // A disabled tool-button caption goes through a bitmap of the bar's colour.
            TextRect.Top += (TextRect.Height() - ACanvas->TextHeight(QStringLiteral("W"))) / 2;
            if (TextRect.Width() <= 0 || TextRect.Height() <= 0)
                return;
            TBitmap scratch(TextRect.Width(), TextRect.Height());
            TCanvas* bc = scratch.Canvas();
            bc->Brush.Color = ACanvas->Brush.Color;
            bc->FillRect(TRect(0, 0, scratch.Width(), scratch.Height()));
            bc->Font = TxtFont;
            bc->Font.Color = c;
            TRect r(0, 0, scratch.Width(), scratch.Height());
            bc->DrawText(Text, r, TextFormat | DT_VCENTER);
            scratch.ReleaseCanvas();
            ACanvas->Draw(TextRect.Left, TextRect.Top, scratch.Image());
            return;
        }
    }
    if (TopMenu && Selected && FUseSystemColors)
        c = TopMenuFontColor(ACanvas, PaintIconBackColor);
    const int lineHeight = ACanvas->TextHeight(QStringLiteral("W"));
    TextRect.Top += (TextRect.Height() - lineHeight) / 2;
    // The text reads on whatever surface the caller painted under it: the palette's
    // text colour may be light while the flat surfaces are blended toward white.
    TColor surface = ACanvas->Pixel(TextRect.Left + 1, TextRect.Top + lineHeight / 2);
    if (surface == clNone)
        surface = Selected ? PaintSelectColor : PaintColor;
    if (Enabled)
        c = ReadableOn(c, surface);
    ACanvas->Font.Color = c;
    SetBkMode(ACanvas, TRANSPARENT);
    if (Default && Enabled) {
        // A soft shadow: four passes, each shaded from what lies under its corner.
        const TRect& t = TextRect;
        const struct {
            TRect Rect;
            int Shade;
        } passes[] = {
            {TRect(t.Left + 1, t.Top, t.Right, t.Bottom), 30},
            {TRect(t.Left + 1, t.Top + 2, t.Right + 1, t.Bottom), 30},
            {TRect(t.Left, t.Top + 1, t.Right, t.Bottom), 40},
            {TRect(t.Left + 1, t.Top + 1, t.Right + 1, t.Bottom), 60},
        };
        for (const auto& pass : passes) {
            TRect r = pass.Rect;
            ACanvas->Font.Color = GetShadeColor(ACanvas, ACanvas->Pixel(r.Left, r.Top), pass.Shade);
            ACanvas->DrawText(Text, r, TextFormat);
        }
        ACanvas->Font.Color = c;
    }
    ACanvas->DrawText(Text, TextRect, TextFormat);
    TRect shortCutRect = TextRect;
    unsigned shortCutFormat = DT_RIGHT;
    if (IsRightToLeft) {
        shortCutRect.Left += 10;
        shortCutFormat = DT_LEFT;
    } else {
        shortCutRect.Right -= 10;
    }
    // The shortcut is a lighter shade of the text where that shade still reads.
    TColor shortCutColor = HighColorDisplay ? GetShadeColor(ACanvas, c, -40) : c;
    if (Enabled && ContrastRatio(shortCutColor, surface) < 4.5)
        shortCutColor = c;
    ACanvas->Font.Color = shortCutColor;
    ACanvas->DrawText(ShortCutText + QLatin1Char(' '), shortCutRect, shortCutFormat);
}

void TXPMenu::DrawTopMenuItem(TObject* Sender, TCanvas* ACanvas, TRect ARect, TColor BckColor, bool IsRightToLeft)
{
    const int x1 = ARect.Left, x2 = ARect.Right, t = ARect.Top, b = ARect.Bottom;
    ACanvas->Brush.Style = bsSolid;
    ACanvas->Brush.Color = PaintSelectColor;
    ACanvas->FillRect(ARect);
    ACanvas->Pen.Color = PaintSelectBorderColor;
    if (!IsRightToLeft && HighColorDisplay && IsMenuItem(Sender)) {
        // The menu-bar item casts a rounded shadow to its right.
        ACanvas->Polyline({QPoint(x1, b - 1), QPoint(x1, t), QPoint(x2 - 8, t), QPoint(x2 - 8, b)});
        const TColor c = PaintMenuBarColor;
        const struct {
            int Shade;
            TRect Rect;
        } bands[] = {
            {10, TRect(x2 - 7, t, x2, b)},
            {30, TRect(x2 - 7, t + 3, x2 - 2, b)},
            {60, TRect(x2 - 7, t + 5, x2 - 3, b)},
            {100, TRect(x2 - 7, t + 6, x2 - 5, b)},
        };
        for (const auto& band : bands) {
            ACanvas->Brush.Color = GetShadeColor(ACanvas, c, band.Shade);
            ACanvas->Pen.Color = ACanvas->Brush.Color;
            ACanvas->FillRect(band.Rect);
        }
        ACanvas->Pen.Color = c;
        ACanvas->Polyline({QPoint(x2 - 5, t + 1), QPoint(x2 - 1, t + 1), QPoint(x2 - 1, t + 6)});
        ACanvas->Polyline({QPoint(x2 - 3, t + 2), QPoint(x2 - 2, t + 2), QPoint(x2 - 2, t + 3), QPoint(x2 - 3, t + 3)});
        ACanvas->Pen.Color = GetShadeColor(ACanvas, c, 10);
        ACanvas->Polyline({QPoint(x2 - 6, t + 3), QPoint(x2 - 3, t + 3), QPoint(x2 - 3, t + 6), QPoint(x2 - 4, t + 6),
                           QPoint(x2 - 4, t + 3)});
        ACanvas->Pen.Color = GetShadeColor(ACanvas, c, 30);
        ACanvas->Polyline({QPoint(x2 - 5, t + 5), QPoint(x2 - 4, t + 5), QPoint(x2 - 4, t + 9)});
        ACanvas->Pen.Color = GetShadeColor(ACanvas, c, 40);
        ACanvas->Polyline({QPoint(x2 - 6, t + 5), QPoint(x2 - 6, t + 7)});
        return;
    }
    ACanvas->Polyline({QPoint(x1, b - 1), QPoint(x1, t), QPoint(x2 - 3, t), QPoint(x2 - 3, b)});
    ACanvas->Brush.Color = GetShadeColor(ACanvas, BckColor, 70);
    ACanvas->FillRect(TRect(x2 - 2, t + 2, x2, b));
    ACanvas->Brush.Color = BckColor;
    ACanvas->FillRect(TRect(x2 - 2, t, x2, t + 2));
}

TColor TXPMenu::TopMenuFontColor(TCanvas* ACanvas, TColor AColor)
{
    const TColor c = ColorToRGB(AColor);
    const int m = (GetRValue(c) + GetBValue(c)) / 2;
    if (m > 150 || GetGValue(c) > 200)
        return FFont.Color;
    return NewColor(ACanvas, AColor, 90);
}
