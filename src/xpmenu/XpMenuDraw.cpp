// Measuring and drawing of menu items: icon column, check marks, selection, text,
// separators, the gradient background and the flat frame of popup menus.
#include "xpmenu/XpColors.h"
#include "xpmenu/Xpmenu.h"

#include "framework/ImgList.h"

#include <algorithm>

namespace {

// n * 3 / 4 rounded to the nearest integer, halves to even.
int ThreeQuarters(int n)
{
    const int p = n * 3;
    int q = p / 4;
    const int r = p % 4;
    if (r > 2 || (r == 2 && (q & 1)))
        ++q;
    return q;
}

// n / 2 rounded to the nearest integer, halves to even.
int Half(int n)
{
    int q = n / 2;
    if ((n % 2) && (q & 1))
        ++q;
    return q;
}

bool IsTopLevelItem(const TMenuItem* item, const TMenu* menu)
{
    if (!qobject_cast<const TMainMenu*>(menu))
        return false;
    const TMenuItem* root = menu->Items();
    for (int i = 0; i < root->Count(); ++i)
        if (root->Items(i) == item)
            return true;
    return false;
}

// The list that holds a menu item's image: the parent item's SubMenuImages, else the
// menu's Images.
TImageList* ImageListOf(const TMenuItem* item)
{
    if (item->Parent() && item->Parent()->SubMenuImages())
        return item->Parent()->SubMenuImages();
    const TMenu* menu = item->GetParentMenu();
    return menu ? menu->Images() : nullptr;
}

} // namespace

// The item is a top-level item of the menu bar of Form: its parent component (the
// menu for a top-level item, the parent item otherwise) is that main menu.
static bool IsFormMainMenuTopItem(const TMenuItem* item, const TScrollingWinControl* form)
{
    const auto* f = qobject_cast<const TForm*>(form);
    const TMainMenu* mainMenu = f ? f->Menu() : nullptr;
    if (!mainMenu || !item->Parent())
        return false;
    const TComponent* parentComponent = item->Parent()->Parent() ? static_cast<const TComponent*>(item->Parent())
                                                                  : item->GetParentMenu();
    if (parentComponent == mainMenu)
        return true;
    return parentComponent && !mainMenu->Name().isEmpty() && parentComponent->Name() == mainMenu->Name();
}

QSize TXPMenu::GetImageExtent(TMenuItem* MenuItem)
{
    QSize size(0, 0);
    bool mainTop = false;
    bool fromList = false;
    if (IsFormMainMenuTopItem(MenuItem, FForm)) {
        mainTop = true;
        const TMainMenu* mainMenu = static_cast<const TForm*>(FForm.data())->Menu();
        fromList = mainMenu->Images() && MenuItem->ImageIndex() != -1;
    }
    const TMenu* menu = MenuItem->GetParentMenu();
    if ((menu && menu->Images()) || (MenuItem->Parent() && MenuItem->Parent()->SubMenuImages()))
        fromList = MenuItem->ImageIndex() != -1;
    const TImageList* list = ImageListOf(MenuItem);
    if (fromList && list)
        size = QSize(list->Width(), list->Height());
    else if (MenuItem->Bitmap()->Width() >= 1)
        size = QSize(MenuItem->Bitmap()->Width(), MenuItem->Bitmap()->Height());
    if (!mainTop && size.width() < FIconWidth)
        size.setWidth(FIconWidth);
    return size;
}

void TXPMenu::MeasureItem(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)
{
    auto* item = qobject_cast<TMenuItem*>(Sender);
    if (!FActive || !item)
        return;
    QString s = item->Caption();
    const bool isLine = s == QLatin1String("-");
    if (isLine)
        s.clear();
    const QString shortCut = ShortCutToText(item->ShortCut()).trimmed();
    if (!shortCut.isEmpty())
        s += shortCut + QStringLiteral("WWW"); // the gap between caption and shortcut
    ACanvas->Font = FFont;
    int w = ACanvas->TextWidth(s) + 5;
    if (s.contains(QLatin1Char('&')))
        w -= ACanvas->TextWidth(QStringLiteral("&"));
    const QSize glyph = GetImageExtent(item);
    if (glyph.width() > 0)
        w += glyph.width();
    if (IsFormMainMenuTopItem(item, FForm))
        w += 8;
    if (Width < w)
        Width = w;
    if (isLine) {
        Height = 4;
        return;
    }
    const int th = ACanvas->TextHeight(s);
    int h = th + ThreeQuarters(th);
    if (glyph.height() + 6 > h)
        h = glyph.height() + 6;
    if (Height < h)
        Height = h;
}

void TXPMenu::DrawItem(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected)
{
    if (FActive)
        MenueDrawItem(Sender, ACanvas, ARect, Selected);
}

void TXPMenu::MenueDrawItem(TObject* Sender, TCanvas* ACanvas, TRect ARect, bool Selected)
{
    auto* item = qobject_cast<TMenuItem*>(Sender);
    if (!item)
        return;
    SetGlobalColor(ACanvas);
    const bool isLine = item->IsLine();
    const TMenu* menu = item->GetParentMenu();
    const bool isTopLevel = IsTopLevelItem(item, menu);
    const bool rtl = menu && menu->IsRightToLeft();
    ACanvas->Font = FFont;
    ARect.Bottom += 1;
    TRect textRect = ARect;
    const QString text = QLatin1Char(' ') + item->Caption();

    // A scratch copy of the glyph: the painters change it.
    TBitmap b;
    TImageList* list = ImageListOf(item);
    const bool hasList = list && item->ImageIndex() != -1;
    const bool hasBitmap = item->Bitmap()->Width() >= 1;
    if (hasBitmap)
        b.Assign(item->Bitmap()->Image());
    if (hasList) {
        TColor background = ACanvas->Brush.Color;
        if (!(item->Parent() && item->Parent()->SubMenuImages())) {
            // (2, 2) lies in a popup's frame, which shows the icon column colour once it
            // is painted; before that, or off the picture, take that colour itself.
            const bool inItem = ARect.Left <= 2 && 2 < ARect.Right && ARect.Top <= 2 && 2 < ARect.Bottom;
            background = inItem ? ACanvas->Pixel(2, 2) : clNone;
            if (background == clNone)
                background = PaintIconBackColor;
        }
        b = TBitmap();
        b.SetSize(list->Width(), list->Height());
        TCanvas* bc = b.Canvas();
        bc->Brush.Color = background;
        bc->FillRect(TRect(0, 0, b.Width(), b.Height()));
        list->Draw(bc, 0, 0, item->ImageIndex());
        b.ReleaseCanvas();
    }
    const bool hasGlyph = hasList || hasBitmap;

    const TRect iconRect = rtl ? TRect(ARect.Right - FIconWidth, ARect.Top, ARect.Right, ARect.Bottom)
                               : TRect(ARect.Left, ARect.Top, ARect.Left + FIconWidth, ARect.Bottom);
    TRect checkRect;
    if (hasGlyph) {
        checkRect = TRect(iconRect.Left + 1, iconRect.Top + 2, iconRect.Right - 3, iconRect.Bottom - 2);
    } else {
        const int l = iconRect.Left + (iconRect.Width() - 10) / 2;
        const int t = iconRect.Top + (iconRect.Height() - 10) / 2;
        checkRect = TRect(l, t, l + 10, t + 10);
    }
    if (b.Width() > FIconWidth) {
        if (rtl)
            checkRect.Left = checkRect.Right - b.Width();
        else
            checkRect.Right = checkRect.Left + b.Width();
    }
    if (isTopLevel)
        checkRect.Top -= 1;

    if (!rtl) {
        textRect.Left = ARect.Left + (isTopLevel ? 4 : FIconWidth);
        if (ARect.Left + b.Width() > textRect.Left)
            textRect.Left = ARect.Left + b.Width() + 4;
        textRect.Right = ARect.Right;
    } else {
        textRect.Left = ARect.Left;
        textRect.Right = ARect.Right - (isTopLevel ? 4 : FIconWidth);
        if (ARect.Right - b.Width() < textRect.Right)
            textRect.Right = ARect.Right - b.Width() - 8;
    }
    if (isTopLevel) {
        if (!hasGlyph)
            textRect = ARect;
        else if (rtl)
            textRect.Right += 5;
        else
            textRect.Left -= 5;
    }

    ACanvas->Brush.Style = bsSolid;
    if (isTopLevel) {
        ACanvas->Brush.Color = PaintMenuBarColor;
        ACanvas->Pen.Color = PaintMenuBarColor;
        ACanvas->FillRect(ARect);
    } else if (HighColorDisplay && FGradient) {
        TRect g = ARect;
        g.Right += 2;
        DrawGradient(ACanvas, g, rtl);
    } else {
        ACanvas->Brush.Color = PaintColor;
        ACanvas->FillRect(ARect);
        ACanvas->Brush.Color = PaintIconBackColor;
        ACanvas->FillRect(iconRect);
    }

    if (Selected && FDrawSelect) {
        ACanvas->Brush.Style = bsSolid;
        if (isTopLevel) {
            DrawTopMenuItem(item, ACanvas, ARect, FMenuBarColor, rtl);
        } else if (item->Enabled()) {
            TRect s = ARect;
            s.Top += 1;
            s.Bottom -= 1;
            if (FFlatMenu)
                s.Right -= 1;
            ACanvas->Brush.Color = PaintSelectColor;
            ACanvas->FillRect(s);
            ACanvas->Brush.Style = bsClear;
            ACanvas->Pen.Color = PaintSelectBorderColor;
            ACanvas->Rectangle(s);
        }
    }

    DrawCheckedItem(item, Selected, item->Enabled(), hasGlyph, ACanvas, checkRect);
    DrawIcon(item, ACanvas, &b, iconRect, Selected, false, item->Enabled(), item->Checked(), isTopLevel, rtl);

    if (!isLine) {
        unsigned format;
        if (rtl) {
            format = DT_RIGHT + DT_RTLREADING;
            textRect.Right -= 3;
        } else {
            format = DT_LEFT;
            textRect.Left += 3;
        }
        DrawTheText(item, text, ShortCutToText(item->ShortCut()), ACanvas, textRect, Selected, item->Enabled(),
                    item->Default(), isTopLevel, rtl, FFont, format);
    } else {
        const int y = textRect.Top + Half(textRect.Bottom - textRect.Top);
        ACanvas->Pen.Color = PaintSeparatorColor;
        if (rtl) {
            ACanvas->MoveTo(textRect.Left, y);
            ACanvas->LineTo(textRect.Right - 7, y);
        } else {
            ACanvas->MoveTo(textRect.Left + 7, y);
            ACanvas->LineTo(textRect.Right, y);
        }
    }

    // The flat frame of the popup window, repainted with each of its items.
    if (FFlatMenu && !isTopLevel && ACanvas->Window && ACanvas->Window != FForm.data())
        DrawWindowBorder(ACanvas, ACanvas->Window, rtl);

    ActivateMenuItem(item);
}

void TXPMenu::DrawCheckedItem(TMenuItem* MenuItem, bool Selected, bool Enabled, bool HasGlyph, TCanvas* ACanvas,
                              TRect CheckedRect)
{
    if (!MenuItem->Checked())
        return;
    const TRect& r = CheckedRect;
    // Enabled: the pen of each case over the check background; disabled: the disabled
    // colour over whatever the brush filled last.
    auto boxColours = [&](TColor pen) {
        if (Enabled) {
            ACanvas->Pen.Color = pen;
            ACanvas->Brush.Style = bsSolid;
            ACanvas->Brush.Color = Selected ? PaintCheckSelBackColor : PaintCheckBackColor;
        } else {
            ACanvas->Pen.Color = PaintDisabledColor;
        }
    };
    if (MenuItem->RadioItem()) {
        boxColours(PaintSelectBorderColor);
        if (HasGlyph)
            ACanvas->RoundRect(r.Left, r.Top, r.Right, r.Bottom, 6, 6);
        else
            ACanvas->Ellipse(r);
        return;
    }
    if (HasGlyph) {
        boxColours(PaintSelectBorderColor);
        ACanvas->Rectangle(r);
        return;
    }
    boxColours(PaintCheckedColor);
    ACanvas->Rectangle(r);
    ACanvas->Pen.Color = Enabled ? clBlack : PaintDisabledColor;
    const struct {
        QPoint From, To;
    } strokes[] = {
        {{r.Left + 1, r.Top + 5}, {r.Left + 4, r.Bottom - 2}},
        {{r.Left + 2, r.Top + 5}, {r.Left + 4, r.Bottom - 3}},
        {{r.Left + 2, r.Top + 4}, {r.Left + 5, r.Bottom - 3}},
        {{r.Left + 4, r.Bottom - 3}, {r.Right + 2, r.Top - 1}},
        {{r.Left + 4, r.Bottom - 2}, {r.Right - 2, r.Top + 3}},
    };
    for (const auto& s : strokes) {
        ACanvas->MoveTo(s.From.x(), s.From.y());
        ACanvas->LineTo(s.To.x(), s.To.y());
    }
}

void TXPMenu::DrawGradient(TCanvas* ACanvas, TRect ARect, bool IsRightToLeft)
{
    ACanvas->Brush.Style = bsSolid;
    int a = 0;
    auto column = [&](int x, bool quick) {
        a = std::min(a + (quick ? 3 : 1), 96);
        ACanvas->Brush.Color = NewColor(ACanvas, PaintIconBackColor, a);
        ACanvas->FillRect(TRect(x, ARect.Top, x + 1, ARect.Bottom));
    };
    if (!IsRightToLeft) {
        for (int x = ARect.Left; x <= ARect.Right; ++x)
            column(x, ARect.Left < x && x < ARect.Left + FIconWidth + 5);
    } else {
        for (int x = ARect.Right - 1; x >= ARect.Left - 1; --x)
            column(x, ARect.Right - FIconWidth + 5 < x && x < ARect.Right);
    }
}

void TXPMenu::DrawWindowBorder(TCanvas* ACanvas, QWidget* hWnd, bool IsRightToLeft)
{
    if (!hWnd || !ACanvas)
        return;
    // The window's own rectangle in its coordinates stands for its screen rectangle.
    const int l = 0, t = 0, r = hWnd->width(), b = hWnd->height();
    const int r2 = r - 2, b2 = b - 2;
    ACanvas->Brush.Style = bsClear;
    ACanvas->Pen.Color = PaintFrameColor;
    ACanvas->Rectangle(l, t, r2, b2);
    auto line = [&](int x1, int y1, int x2, int y2) {
        ACanvas->MoveTo(x1, y1);
        ACanvas->LineTo(x2, y2);
    };
    if (IsRightToLeft) {
        ACanvas->Pen.Color = PaintColor;
        ACanvas->Rectangle(l + 1, t + 1, r2 - 2, t + 3);
        line(l + 2, t + 2, l + 2, b2 - 2);
        ACanvas->Pen.Color = PaintIconBackColor;
        line(r2 - 2, t + 2, r2 - 2, b2 - 2);
        line(r2 - 2, t + 2, r2 - 1 - FIconWidth, t + 2);
    } else {
        if (FGradient) {
            DrawGradient(ACanvas, TRect(l + 1, t + 1, r2 - 3, t + 3), false);
            ACanvas->Brush.Style = bsClear;
        } else {
            ACanvas->Pen.Color = PaintColor;
            ACanvas->Rectangle(l + 1, t + 1, r2 - 1, t + 3);
            ACanvas->Pen.Color = PaintIconBackColor;
            line(l + 1, t + 2, l + 3 + FIconWidth, t + 2);
        }
        ACanvas->Pen.Color = PaintIconBackColor;
        ACanvas->Rectangle(l + 1, t + 2, l + 3, b2 - 1);
    }
    ACanvas->Pen.Color = PaintShadowColor;
    ACanvas->Rectangle(l + 2, b - 2, r, b);
    ACanvas->Rectangle(r - 2, t + 2, r, b);
    ACanvas->Pen.Color = clBtnFace;
    ACanvas->Rectangle(l, b - 2, l + 2, b);
    ACanvas->Rectangle(r - 2, t, r, t + 2);
}
