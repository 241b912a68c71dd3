// The flat painters of subclassed controls: combo boxes, edits, check boxes, radio
// buttons, push, bitmap and speed buttons, panels and group boxes.
#include "xpmenu/XpColors.h"
#include "xpmenu/XpSubclass.h"
#include "xpmenu/Xpmenu.h"

#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/FileCtrl.h"
#include "framework/Messages.h"
#include "framework/StdCtrls.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

#include <memory>
#include <utility>

namespace {

// The colour a parent paints its background with.
TColor ParentBrushColor(const QWidget* control)
{
    QWidget* parent = control->parentWidget();
    if (const TControl* c = parent ? TControl::Of(parent) : nullptr)
        return c->Color();
    return FromQColor((parent ? parent : control)->palette().color(QPalette::Window));
}

// A control reads right to left when the application lays out right to left and the
// control was not told otherwise (Qt's layout direction stands for BiDiMode).
bool ReadsRightToLeft(const QWidget* control)
{
    return QGuiApplication::isRightToLeft() && control->layoutDirection() == Qt::RightToLeft;
}

// The square of a check box or radio button: centred in the client rectangle less
// `margin` rows at each end, `height` high, at the side that the alignment and the
// reading order give.
TRect BoxRect(const QWidget* control, TRect r, TAlignment a, int s, int margin, int height)
{
    InflateRect(r, 0, -margin);
    r.Top += (r.Height() - s) / 2;
    r.Bottom = r.Top + height;
    const bool rtl = ReadsRightToLeft(control);
    if ((!rtl && a == taLeftJustify) || (rtl && a == taRightJustify))
        r.Left = r.Right - s + 1;
    else if ((!rtl && a == taRightJustify) || (rtl && a == taLeftJustify))
        r.Right = r.Left + s - 1;
    return r;
}

void Line(TCanvas& c, int x1, int y1, int x2, int y2)
{
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
}

// The glyph and text rectangles of a button with a glyph beside its caption.
struct TGlyphLayout {
    TRect Glyph, Text;
};

TGlyphLayout LayOut(TButtonLayout layout, const TRect& r, int w, int h, int gw, int gh, int sp, int tw, int th,
                    bool glyphLeftRaised)
{
    TGlyphLayout l;
    l.Text = r;
    TRect& g = l.Glyph;
    switch (layout) {
    case blGlyphLeft:
        g.Left = (w - (gw + sp + tw)) / 2;
        g.Right = g.Left + gw;
        g.Top = (h - gh) / 2 - (glyphLeftRaised ? 1 : 0);
        g.Bottom = g.Top + gh;
        l.Text.Left = g.Right + sp;
        l.Text.Right = l.Text.Left + tw;
        break;
    case blGlyphRight:
        g.Right = (gw + sp + tw + w) / 2;
        g.Left = g.Right - gw;
        g.Top = (h - gh) / 2;
        g.Bottom = g.Top + gh;
        l.Text.Right = g.Left - sp;
        l.Text.Left = l.Text.Right - tw;
        break;
    case blGlyphTop:
        g.Left = (w - gw) / 2;
        g.Right = g.Left + gw;
        g.Top = (h - (gh + sp + th)) / 2;
        g.Bottom = g.Top + gh;
        l.Text.Left = (w - tw) / 2;
        l.Text.Right = l.Text.Left + tw;
        l.Text.Top = g.Bottom + sp;
        l.Text.Bottom = l.Text.Top + th;
        break;
    case blGlyphBottom:
        g.Left = (w - gw) / 2;
        g.Right = g.Left + gw;
        g.Bottom = (gh + sp + th + h) / 2;
        g.Top = g.Bottom - gh;
        l.Text.Left = (w - tw) / 2;
        l.Text.Right = l.Text.Left + tw;
        l.Text.Bottom = g.Top - sp;
        l.Text.Top = l.Text.Bottom - th;
        break;
    }
    return l;
}

TButtonLayout Mirrored(TButtonLayout layout)
{
    if (layout == blGlyphLeft)
        return blGlyphRight;
    if (layout == blGlyphRight)
        return blGlyphLeft;
    return layout;
}

// Cell `k` (1-based) of a glyph strip of `count` cells.
TBitmap GlyphCell(TBitmap* strip, int count, int k)
{
    TBitmap cell;
    if (!strip || strip->Empty())
        return cell;
    const int gw = strip->Width() / std::max(1, count);
    if (gw <= 0)
        return cell;
    cell.Assign(strip->Image().copy(gw * (k - 1), 0, gw, strip->Height()));
    return cell;
}

// A canvas on the control with the working palette set, as every painter starts;
// null while the control is not painting (its next paint then comes).
std::unique_ptr<TControlCanvas> OpenCanvas(TControlSubClass& sc)
{
    auto canvas = std::make_unique<TControlCanvas>(sc.TargetWidget);
    if (!canvas->HandleAllocated())
        return nullptr;
    sc.MenuComponent->SetGlobalColor(canvas.get());
    return canvas;
}

// The control as a `T` with a canvas opened on it, or nulls when it is no `T` or is not
// painting.
template <class T>
std::pair<T*, std::unique_ptr<TControlCanvas>> Open(TControlSubClass& sc)
{
    auto* control = dynamic_cast<T*>(sc.TargetControl);
    return {control, control ? OpenCanvas(sc) : nullptr};
}

// Fill and frame of a check or radio box: under the pointer (or focused, for the frame
// only when `focusFrames`) the selection colours, else the window in a shadow frame.
std::pair<TColor, TColor> BoxColours(const TControlSubClass& sc, bool focusFrames)
{
    const TXPMenu* xp = sc.MenuComponent;
    const bool selected = sc.Hot || sc.HasFocus;
    const bool framed = sc.Hot || (focusFrames && sc.HasFocus);
    return {selected ? xp->PaintSelectColor : clWindow, framed ? xp->PaintSelectBorderColor : clBtnShadow};
}

// Fills the band that the box takes with the control's colour and returns the box
// inside it, with the canvas's brush and pen in the box's fill and frame.
TRect PrepareBox(const TControlSubClass& sc, TCanvas& c, TAlignment a, int margin, int height,
                 std::pair<TColor, TColor> look)
{
    const int s = GetSystemMetrics(SM_CXHTHUMB);
    TRect r = BoxRect(sc.TargetWidget, sc.TargetControl->ClientRect(), a, s, margin, height);
    c.Brush.Color = sc.TargetControl->Color();
    c.FillRect(r);
    InflateRect(r, -2, -2);
    c.Brush.Color = look.first;
    c.Pen.Color = look.second;
    return r;
}

} // namespace

void TControlSubClass::PaintCombo()
{
    const auto [combo, canvas] = Open<TCustomCombo>(*this);
    if (!canvas)
        return;
    TCanvas& c = *canvas;
    const bool rtl = ReadsRightToLeft(TargetWidget);
    const int s = GetSystemMetrics(SM_CXHTHUMB);
    const TColor color = TargetControl->Color();
    TColor arrow = TargetControl->Enabled() ? RGB(0, 0, 0) : RGB(255, 255, 255);
    TColor border = color;
    TColor button = clBtnFace;
    if (Hot) {
        border = MenuComponent->PaintSelectBorderColor;
        button = MenuComponent->PaintSelectColor;
    } else if (HasFocus) {
        border = NewColor(&c, MenuComponent->PaintSelectBorderColor, 60);
        button = MenuComponent->PaintCheckBackColor;
    }
    const bool wide = Hot || HasFocus;

    TRect r = TargetControl->ClientRect();
    const TColor parent = ParentBrushColor(TargetWidget);
    c.Brush.Color = parent;
    c.FrameRect(r);
    InflateRect(r, -1, -1);
    c.Pen.Color = parent;
    Line(c, r.Left, r.Top, r.Right, r.Top);

    InflateRect(r, 0, -1);
    if (wide)
        InflateRect(r, 1, 1);
    c.Brush.Color = color;
    c.FrameRect(r);
    r.Bottom += 1;
    c.Brush.Color = border;
    c.FrameRect(r);

    if (combo->DroppedDown()) {
        border = MenuComponent->PaintSelectBorderColor;
        arrow = RGB(255, 255, 255);
        button = MenuComponent->PaintCheckSelBackColor;
    }

    InflateRect(r, -1, -1);
    if (rtl)
        r.Right = r.Left + s + 1;
    else
        r.Left = r.Right - s - 1;
    if (wide) {
        if (rtl)
            r.Right += 2;
        else
            r.Left -= 1;
    }
    c.Brush.Color = button;
    c.FillRect(r);

    // A strip of the field's colour on the text side, edged in the border colour.
    if (rtl)
        r.Left = r.Right - 5;
    else
        r.Right = r.Left + 5;
    c.Brush.Color = color;
    c.FillRect(r);
    c.Pen.Color = border;
    const int edge = rtl ? r.Left : r.Right;
    Line(c, edge, r.Top, edge, r.Bottom);

    const TRect client = TargetControl->ClientRect();
    const int x = rtl ? client.Left + 5 : client.Right - 10;
    c.Pen.Color = TargetControl->Enabled() ? ReadableOn(arrow, button) : arrow;
    Line(c, x, client.Top + 10, x + 5, client.Top + 10);
    Line(c, x + 1, client.Top + 11, x + 4, client.Top + 11);
    Line(c, x + 2, client.Top + 12, x + 3, client.Top + 12);
}

void TControlSubClass::PaintEdit()
{
    const auto [edit, canvas] = Open<TCustomEdit>(*this);
    if (!canvas)
        return;
    TCanvas& c = *canvas;
    if (edit->Ctl3D()) {
        // The window is made again without its sunken edge; this object stays.
        Recreating = true;
        edit->SetCtl3D(false);
    }
    const bool single = SavedBorderStyle == bsSingle;
    const TColor parent = ParentBrushColor(TargetWidget);
    TColor color;
    if (Hot || HasFocus)
        color = NewColor(&c, MenuComponent->PaintSelectBorderColor, single ? 60 : 80);
    else
        color = single ? GetShadeColor(&c, parent, 60) : parent;
    c.Brush.Style = bsClear;
    c.Pen.Color = color;
    c.Rectangle(TargetControl->ClientRect());
}

void TControlSubClass::PaintRichEdit()
{
    // A child cannot paint over its parent here, so the frame goes on the control's
    // own outermost pixels, which its widened border leaves free.
    const auto [edit, canvas] = Open<TCustomRichEdit>(*this);
    if (!canvas)
        return;
    TCanvas& c = *canvas;
    const bool single = SavedBorderStyle == bsSingle;
    if (single && edit->BorderStyle() != bsNone) {
        Recreating = true;
        edit->SetBorderStyle(bsNone);
        if (edit->BorderWidth() < 2)
            edit->SetBorderWidth(2);
    }
    const TColor parent = ParentBrushColor(TargetWidget);
    TColor color;
    if (Hot || HasFocus)
        color = NewColor(&c, MenuComponent->PaintSelectBorderColor, 60);
    else
        color = single ? GetShadeColor(&c, parent, 60) : parent;
    TRect r = TargetControl->ClientRect();
    Frame3D(&c, r, color, color, 1);
}

void TControlSubClass::PaintCheckBox()
{
    const auto [box, canvas] = Open<TCustomCheckBox>(*this);
    if (!canvas)
        return;
    TCanvas& c = *canvas;
    const bool enabled = TargetControl->Enabled();
    const bool grayed = box->State() == cbGrayed;
    auto look = BoxColours(*this, true);
    if (SpacePressed || LeftButtonDown)
        look.first = MenuComponent->PaintCheckSelBackColor;
    if (grayed)
        look.first = RGB(192, 192, 192);
    const TRect r = PrepareBox(*this, c, box->Alignment(), 3, GetSystemMetrics(SM_CXHTHUMB), look);
    c.Rectangle(r);

    if (box->Checked() || grayed) {
        if (!enabled)
            c.Pen.Color = MenuComponent->PaintDisabledColor;
        else if (SpacePressed || LeftButtonDown)
            c.Pen.Color = ReadableOn(clWindow, look.first);
        else if (grayed)
            c.Pen.Color = RGB(128, 128, 128);
        else
            c.Pen.Color = ReadableOn(clHighlight, look.first);
        DrawCheckMark(&c, r.Left, r.Bottom);
    }
}

void TControlSubClass::PaintRadio()
{
    const auto [radio, canvas] = Open<TRadioButton>(*this);
    if (!canvas)
        return;
    TCanvas& c = *canvas;
    const auto look = BoxColours(*this, false);
    TRect r = PrepareBox(*this, c, radio->Alignment(), 4, GetSystemMetrics(SM_CXHTHUMB) - 1, look);
    c.Ellipse(r);
    if (radio->Checked()) {
        InflateRect(r, -2, -2);
        const TColor dot = TargetControl->Enabled() ? ReadableOn(clHighlight, look.first) : MenuComponent->PaintDisabledColor;
        c.Brush.Color = dot;
        c.Pen.Color = dot;
        c.Ellipse(r);
    }
}

namespace {

// The face, outline and raised or pressed edge that push and bitmap buttons share.
void PaintButtonFace(TControlSubClass& sc, TCanvas& c)
{
    TXPMenu* xp = sc.MenuComponent;
    TColor face, edge;
    if (sc.Hot || sc.SpacePressed) {
        face = NewColor(&c, clBtnFace, 60);
        edge = NewColor(&c, xp->PaintSelectBorderColor, 60);
    } else {
        face = xp->PaintIconBackColor;
        edge = clBtnShadow;
    }
    if (!sc.Hot && sc.HasFocus)
        edge = NewColor(&c, xp->PaintSelectBorderColor, 60);
    const TRect r = sc.TargetControl->ClientRect();
    c.Brush.Color = ParentBrushColor(sc.TargetWidget);
    c.FillRect(r);
    c.Brush.Color = face;
    c.Pen.Color = NewColor(&c, edge, 30);
    c.RoundRect(r.Left, r.Top, r.Right, r.Bottom, 4, 4);
    if (!sc.TargetControl->Enabled())
        return;
    c.Pen.Color = GetShadeColor(&c, edge, 50);
    if ((sc.LeftButtonDown && sc.Hot) || sc.SpacePressed)
        c.Polyline({QPoint(r.Left, r.Bottom - 2), QPoint(r.Left, r.Top + 1), QPoint(r.Left + 1, r.Top),
                    QPoint(r.Right - 1, r.Top)});
    else
        c.Polyline({QPoint(r.Right - 1, r.Top + 1), QPoint(r.Right - 1, r.Bottom - 2), QPoint(r.Right - 2, r.Bottom - 1),
                    QPoint(r.Left, r.Bottom - 1)});
}

// The dotted focus rectangle three pixels inside a focused button's edge, over the face
// and caption painted here.
void PaintButtonFocus(const TControlSubClass& sc, TCanvas& c)
{
    if (!sc.HasFocus || !sc.TargetControl->Enabled())
        return;
    TRect r = sc.TargetControl->ClientRect();
    InflateRect(r, -3, -3);
    // Dots in the window text colour where they show on the face, else black or white.
    const TColor face = c.Pixel(r.Left, r.Top);
    DrawFocusRect(&c, r, face == clNone ? clWindowText : ReadableOn(clWindowText, face));
}

} // namespace

void TControlSubClass::PaintButton()
{
    const auto [button, canvas] = Open<TButton>(*this);
    if (!canvas)
        return;
    TCanvas& c = *canvas;
    PaintButtonFace(*this, c);
    const TFont font = TargetControl->Font();
    c.Font = font;
    const bool rtl = ReadsRightToLeft(TargetWidget);
    TRect t = TargetControl->ClientRect();
    t.Left = (t.Width() - c.TextWidth(button->Caption())) / 2;
    MenuComponent->DrawTheText(TargetWidget, button->Caption(), QString(), &c, t, false, TargetControl->Enabled(),
                               button->Default(), false, rtl, font, rtl ? DT_RTLREADING : 0);
    PaintButtonFocus(*this, c);
}

void TControlSubClass::PaintBitButn()
{
    const auto [button, canvas] = Open<TBitBtn>(*this);
    if (!canvas)
        return;
    TCanvas& c = *canvas;
    PaintButtonFace(*this, c);
    const bool enabled = TargetControl->Enabled();
    const bool rtl = ReadsRightToLeft(TargetWidget);
    const TFont font = TargetControl->Font();
    c.Font = font;
    const QString caption = button->Caption();
    const TRect r = TargetControl->ClientRect();
    const int tw = c.TextWidth(caption), th = c.TextHeight(caption);
    TBitmap cell = GlyphCell(button->Glyph(), button->NumGlyphs(), 1);
    const int sp = caption.trimmed().isEmpty() ? 0 : button->Spacing();
    const TGlyphLayout l =
        LayOut(button->Layout(), r, r.Width(), r.Height(), cell.Width(), cell.Height(), sp, tw, th, false);
    MenuComponent->DrawIcon(TargetWidget, &c, &cell, l.Glyph, Hot, HasFocus, enabled, false, false, rtl);
    MenuComponent->DrawTheText(TargetWidget, caption, QString(), &c, l.Text, false, enabled, button->Default(), false,
                               rtl, font, rtl ? DT_RTLREADING : 0);
    PaintButtonFocus(*this, c);
}

void TControlSubClass::PaintSpeedButton()
{
    const auto [button, canvas] = Open<TSpeedButton>(*this);
    if (!canvas)
        return;
    TCanvas& c = *canvas;
    TXPMenu* xp = MenuComponent;
    const TRect r = TargetControl->ClientRect();
    const int w = r.Width(), h = r.Height();
    const bool down = button->Down(), flat = button->Flat(), transparent = button->Transparent();
    const bool enabled = TargetControl->Enabled();
    TColor fill = xp->PaintIconBackColor, edge = clBtnShadow;
    if (Hot) {
        fill = xp->PaintSelectColor;
        edge = xp->PaintSelectBorderColor;
    }
    if (down) {
        fill = Hot ? xp->PaintCheckSelBackColor : xp->PaintCheckBackColor;
        edge = xp->PaintSelectBorderColor;
    }
    if (!enabled)
        edge = clBtnShadow;

    if ((down || Hot) && transparent) {
        // Tints whatever lies behind the button.
        QImage tint(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
        tint.fill(ToQColor(NewColor(&c, xp->PaintSelectColor, c.BitsPerPixel() > 16 ? 20 : 40)));
        c.CopyAnd(r, tint);
    }
    c.Brush.Color = fill;
    c.Pen.Color = NewColor(&c, edge, 30);
    if (flat && !transparent && !down && !Hot)
        c.Pen.Color = c.Brush.Color;
    if (transparent)
        c.Brush.Style = bsClear;
    if (!(transparent && flat && !down && !Hot))
        c.Rectangle(r);
    c.Brush.Style = bsSolid;
    if (enabled && !flat) {
        c.Pen.Color = GetShadeColor(&c, edge, 50);
        if (LeftButtonDown || down)
            c.Polyline({QPoint(r.Left, r.Bottom - 1), QPoint(r.Left, r.Top), QPoint(r.Right, r.Top)});
        else
            c.Polyline({QPoint(r.Right - 1, r.Top), QPoint(r.Right - 1, r.Bottom - 1), QPoint(r.Left, r.Bottom - 1)});
    }

    // Glyph and caption stay inside the frame line, however wide the caption is.
    if (QPainter* p = c.Painter())
        p->setClipRect(QRect(r.Left + 1, r.Top + 1, std::max(0, w - 2), std::max(0, h - 2)), Qt::IntersectClip);
    const TFont font = TargetControl->Font();
    c.Font = font;
    const QString caption = button->Caption();
    const int tw = c.TextWidth(caption), th = c.TextHeight(caption);
    const bool rtl = ReadsRightToLeft(TargetWidget);
    const int n = button->NumGlyphs();
    int k = 1;
    if (!enabled && n > 1)
        k = 2;
    if (LeftButtonDown && n > 2)
        k = 3;
    if (down && n > 3)
        k = 4;
    TBitmap cell = GlyphCell(button->Glyph(), n, k);
    const int sp = caption.isEmpty() ? 0 : button->Spacing();
    const TButtonLayout layout = rtl ? Mirrored(button->Layout()) : button->Layout();
    const TGlyphLayout l = LayOut(layout, r, w, h, cell.Width(), cell.Height(), sp, tw, th, true);
    xp->DrawIcon(TargetWidget, &c, &cell, l.Glyph, Hot, HasFocus, enabled, down || LeftButtonDown, false, rtl);
    xp->DrawTheText(TargetWidget, caption, QString(), &c, l.Text, false, enabled, false, false, rtl, font,
                    rtl ? DT_RTLREADING : 0);
}

void TControlSubClass::PaintUpDownButton()
{
    // Up-down controls keep their own look.
}

void TControlSubClass::PaintPanel()
{
    auto* panel = dynamic_cast<TCustomPanel*>(TargetControl);
    if (!panel || LastMessage != WM_PAINT)
        return;
    if (panel->BevelOuter() == bvNone && panel->BevelInner() == bvNone)
        return; // left exactly as the panel painted itself
    const auto canvas = OpenCanvas(*this);
    if (!canvas)
        return;
    TCanvas& c = *canvas;
    const TColor color = TargetControl->Color();
    const TColor shade = GetShadeColor(&c, color, 60);
    const TColor light = NewColor(&c, color, 60);
    TRect r = TargetControl->ClientRect();
    auto bevel = [&](TBevelCut cut) {
        const bool lowered = cut == bvLowered;
        Frame3D(&c, r, lowered ? shade : light, lowered ? light : shade, panel->BevelWidth());
    };
    if (panel->BevelOuter() != bvNone)
        bevel(panel->BevelOuter());
    if (panel->BevelInner() != bvNone) {
        InflateRect(r, -panel->BorderWidth(), -panel->BorderWidth());
        bevel(panel->BevelInner());
    }
}

void TControlSubClass::PaintGroupBox()
{
    auto* group = dynamic_cast<TCustomGroupBox*>(TargetControl);
    if (!group || LastMessage != WM_PAINT)
        return;
    const auto canvas = OpenCanvas(*this);
    if (!canvas)
        return;
    TCanvas& c = *canvas;
    const TColor color = TargetControl->Color();
    const TColor shade = GetShadeColor(&c, color, 60);
    const TColor light = NewColor(&c, color, 60);
    constexpr bool ctl3D = true; // group boxes here always have the 3D look
    const TRect r = TargetControl->ClientRect();
    const int l = r.Left, t = r.Top, rt = r.Right, b = r.Bottom;
    c.Font = TargetControl->Font();
    const QString caption = group->Caption();
    const int th = c.TextHeight(caption.isEmpty() ? QStringLiteral(" ") : caption);
    const int tw = c.TextWidth(caption);

    // Erase the control's own etched frame, which starts half a caption height down.
    TRect inner = r;
    InflateRect(inner, -1, -1);
    inner.Top += th - 1;
    c.Brush.Style = bsClear;
    c.Pen.Color = color;
    c.Rectangle(inner);
    Line(c, l + 1, t + th / 2 - 1, l + 1, b);
    c.Brush.Style = bsSolid;

    TRect frame(l, t + th / 2 - 1, rt, b);
    Frame3D(&c, frame, ctl3D ? light : shade, shade, 1);
    c.Brush.Color = ParentBrushColor(TargetWidget);
    c.FillRect(TRect(l, t, rt, t + th / 2 + 2));

    TRect cr;
    if (ReadsRightToLeft(TargetWidget)) {
        cr.Right = rt - 9;
        cr.Left = cr.Right - tw;
        c.TextFlags |= ETO_RTLREADING;
    } else {
        cr.Left = l + 9;
        cr.Right = cr.Left + tw;
    }
    cr.Top = t;
    cr.Bottom = t + th;
    c.Brush.Color = color;
    c.FillRect(TRect(cr.Left, t + th / 2 + 2, cr.Right, t + th / 2 + 2 + th / 2 + 1));
    c.Pen.Color = color;
    Line(c, rt - 2, t + th / 2 + 2, rt - 2, cr.Bottom);

    c.Brush.Style = bsClear;
    c.TextRect(cr, cr.Left, cr.Top, caption);
    c.Brush.Style = bsSolid;

    const int y = t + th / 2 + 1;
    c.Pen.Color = ctl3D ? light : shade;
    Line(c, l, y, cr.Left, y);
    Line(c, cr.Right, y, rt - 1, y);
}
