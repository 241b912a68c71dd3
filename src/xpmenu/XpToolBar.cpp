// Tool-bar buttons and control-bar bands painted flat.
#include "xpmenu/XpColors.h"
#include "xpmenu/Xpmenu.h"

#include "framework/ImgList.h"

#include <cmath>

namespace {

// n / 2 rounded to the nearest integer, halves to even.
int HalfToEven(int n)
{
    int q = static_cast<int>(std::floor(n / 2.0));
    if ((n & 1) && (q & 1))
        ++q;
    return q;
}

bool HoldsImage(const TImageList* list, int index)
{
    return list && index != -1 && index <= list->Count() - 1;
}

} // namespace

void TXPMenu::ToolBarDrawButton(TToolBar* Sender, TToolButton* Button, TCustomDrawState State, bool& DefaultDraw)
{
    DefaultDraw = false;
    TCanvas* canvas = Sender ? Sender->Canvas() : nullptr;
    if (!canvas || !Button)
        return;
    SetGlobalColor(canvas);
    const bool hot = State & cdsHot;
    const bool selected = State & cdsSelected;
    const bool checked = State & cdsChecked;
    const bool dropDown = Button->Style() == tbsDropDown;
    const bool rtl = Button->BiDiMode() == bdRightToLeft;
    const TColor selColor =
        HighColorDisplay && !FUseSystemColors ? NewColor(canvas, FSelectColor, 68) : PaintSelectColor;
    const TColor barColor = HighColorDisplay ? NewColor(canvas, Sender->Color(), 16) : Sender->Color();

    const TRect aRect = Button->BoundsRect();
    TRect r = aRect;
    canvas->Brush.Style = bsSolid;
    canvas->Brush.Color = barColor;
    if (!Sender->Transparent())
        canvas->FillRect(r);

    bool fill = false, frame = false;
    if (hot) {
        canvas->Brush.Color = checked || Button->Down() || selected ? PaintCheckSelBackColor : selColor;
        fill = frame = true;
    }
    if (checked && !hot) {
        canvas->Brush.Color = PaintCheckBackColor;
        fill = frame = true;
    }
    if ((State & cdsIndeterminate) && !hot) {
        canvas->Brush.Color = selColor;
        fill = true;
    }
    if (Button->MenuItem() && State == 0) {
        canvas->Brush.Color = Sender->Color();
        fill = !Sender->Transparent();
    }
    r.Top += 1;
    if (fill)
        canvas->FillRect(r);
    if (frame) {
        canvas->Pen.Color = PaintSelectBorderColor;
        canvas->Brush.Style = bsClear;
        if (dropDown) {
            canvas->Rectangle(aRect.Left, aRect.Top + 1, aRect.Right - 13, aRect.Bottom);
            canvas->Rectangle(aRect.Right - 14, aRect.Top + 1, aRect.Right, aRect.Bottom);
        } else {
            canvas->Rectangle(aRect.Left, aRect.Top + 1, aRect.Right, aRect.Bottom);
        }
        canvas->Brush.Style = bsSolid;
    }
    if ((Button->MenuItem() || Button->DropdownMenu()) && selected)
        DrawTopMenuItem(Button, canvas, r, Sender->Color(), false);

    if (dropDown) {
        canvas->Pen.Color = clBlack;
        DrawArrow(canvas, aRect.Right - 10, aRect.Top + (aRect.Height() - 3) / 2 + 1);
    }

    const int index = Button->ImageIndex();
    TImageList* list = nullptr;
    if (hot && HoldsImage(Sender->HotImages(), index))
        list = Sender->HotImages();
    else if ((State & cdsDisabled) && HoldsImage(Sender->DisabledImages(), index))
        list = Sender->DisabledImages();
    else if (HoldsImage(Sender->Images(), index))
        list = Sender->Images();
    int glyphWidth = 0;
    if (list) {
        TBitmap b(list->Width(), list->Height());
        {
            TCanvas* bc = b.Canvas();
            bc->Brush.Color = canvas->Brush.Color;
            bc->FillRect(TRect(0, 0, b.Width(), b.Height()));
            list->Draw(bc, 0, 0, index);
            b.ReleaseCanvas();
        }
        glyphWidth = b.Width();
        r = aRect;
        if (dropDown)
            r.Right -= 12;
        if (Sender->List()) {
            if (rtl) {
                r.Right -= 3;
                r.Left = r.Right - glyphWidth;
            } else {
                r.Left += 3;
                r.Right = r.Left + glyphWidth;
            }
        } else {
            r.Left = HalfToEven(2 * r.Left + r.Right - r.Left - b.Width()); // centred
        }
        r.Top += 2;
        r.Bottom = r.Top + b.Height() + 6;
        DrawIcon(Button, canvas, &b, r, hot, selected, Button->Enabled(), checked, false, false);
    }

    if (Sender->ShowCaptions()) {
        r = aRect;
        if (dropDown)
            r.Right -= 12;
        unsigned format;
        if (!Sender->List()) {
            format = DT_CENTER;
            r.Top = r.Bottom - canvas->TextHeight(Button->Caption()) - 6;
        } else {
            format = DT_VCENTER;
            if (rtl) {
                format += DT_RIGHT;
                r.Right -= glyphWidth + 7;
            } else if (glyphWidth > 0) {
                r.Left += glyphWidth;
            }
        }
        if (Button->MenuItem())
            format = DT_CENTER;
        if (rtl)
            format += DT_RTLREADING;
        DrawTheText(Button, Button->Caption(), QString(), canvas, r, selected, Button->Enabled(), false,
                    Button->MenuItem() != nullptr, rtl, FFont, format);
    }

    // The separator just before this button is painted with it.
    const int position = Button->Index();
    if (position > 0) {
        TToolButton* before = Sender->Buttons(position - 1);
        if (before->Style() == tbsDivider || before->Style() == tbsSeparator) {
            r = before->BoundsRect();
            canvas->Brush.Style = bsSolid;
            canvas->Brush.Color = barColor;
            if (!Sender->Transparent())
                canvas->FillRect(r);
            if (before->Tag > 0) {
                r.Top += 2;
                r.Bottom -= 1;
                canvas->Pen.Color = GetShadeColor(canvas, Sender->Color(), 30);
                const int x = r.Left + r.Width() / 2;
                canvas->MoveTo(x, r.Top);
                canvas->LineTo(x, r.Bottom);
            }
        }
    }

    if (Button->MenuItem() && FXPControls.Contains(xcMainMenu))
        ActivateMenuItem(Button->MenuItem());
}

void TXPMenu::ControlBarPaint(TObject* Sender, TControl*, TCanvas* Canvas, TRect& ARect, TBandPaintOptions& Options)
{
    SetGlobalColor(Canvas);
    Options = 0; // the bar draws neither grabber nor frame itself
    const auto* bar = dynamic_cast<const TControl*>(TComponent::Of(Sender));
    const TColor color = bar ? bar->Color() : clBtnFace;
    Canvas->Brush.Style = bsSolid;
    Canvas->Brush.Color = HighColorDisplay ? NewColor(Canvas, color, 6) : color;
    Canvas->FillRect(ARect);
    // A dotted grip, each dash 7 steps darker than the one above it.
    int shade = 30;
    for (int y = ARect.Top + 5; y <= ARect.Bottom - 5; ++y) {
        if (y & 1)
            continue;
        Canvas->Pen.Color = GetShadeColor(Canvas, color, shade);
        Canvas->MoveTo(ARect.Left + 3, y);
        Canvas->LineTo(ARect.Left + 6, y);
        shade += 7;
    }
}
