// Speed buttons and bitmap buttons.
#include "framework/Buttons.h"

#include "framework/Messages.h"

#include <QIcon>
#include <QMouseEvent>
#include <QPixmap>
#include <QPainter>

TSpeedButton::TSpeedButton(QWidget* parent, TComponent* owner)
    : QAbstractButton(parent)
    , TControl(this, owner ? owner : DefaultOwnerFor(parent))
{
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (FUserClick) {
            FUserClick = false;
            if (FGroupIndex != 0)
                SetDown(FDown && FAllowAllUp ? false : true);
        }
        SafeFire(OnClick, this);
    });
}

void TSpeedButton::SetCaption(const QString& caption)
{
    if (caption == text())
        return;
    setText(caption);
    update();
    Perform(this, CM_TEXTCHANGED);
}

void TSpeedButton::SetDown(bool down)
{
    if (down == FDown)
        return;
    if (down && FGroupIndex != 0 && parentWidget()) {
        for (TSpeedButton* other : parentWidget()->findChildren<TSpeedButton*>(Qt::FindDirectChildrenOnly))
            if (other != this && other->FGroupIndex == FGroupIndex)
                other->SetDown(false);
    }
    FDown = down;
    update();
}

void TSpeedButton::Click()
{
    if (isEnabled())
        Fire(OnClick, this);
}

void TSpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    FUserClick = event->button() == Qt::LeftButton && hitButton(event->position().toPoint());
    QAbstractButton::mouseReleaseEvent(event);
    FUserClick = false;
}

void TSpeedButton::enterEvent(QEnterEvent* event)
{
    FMouseIn = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TSpeedButton::leaveEvent(QEvent* event)
{
    FMouseIn = false;
    update();
    QAbstractButton::leaveEvent(event);
}

bool TSpeedButton::event(QEvent* event)
{
    // Re-enabling makes the button check again whether the pointer is over it.
    if (event->type() == QEvent::EnabledChange && isEnabled()) {
        FMouseIn = rect().contains(mapFromGlobal(QCursor::pos())) && underMouse();
        update();
    }
    return QAbstractButton::event(event);
}

void TSpeedButton::paintEvent(QPaintEvent*)
{
    TCanvas canvas(this);
    const TRect r = ClientRect();
    const bool down = FDown || isDown();
    if (!FTransparent) {
        canvas.Brush.Color = Color();
        canvas.FillRect(r);
    }
    if (!FFlat || FMouseIn || down) {
        TRect frame = r;
        Frame3D(&canvas, frame, down ? clBtnShadow : clBtnHighlight, down ? clBtnHighlight : clBtnShadow, 1);
    }
    canvas.Font = Font();
    if (!isEnabled())
        canvas.Font.Color = clGrayText;
    canvas.Brush.Style = bsClear;
    int gw = 0, gh = 0;
    if (!FGlyph.Empty()) {
        gw = FGlyph.Width() / FNumGlyphs;
        gh = FGlyph.Height();
        const int cell = (!isEnabled() && FNumGlyphs > 1) ? 1 : 0;
        const QImage glyph = FGlyph.Image().copy(cell * gw, 0, gw, gh);
        const int tw = canvas.TextWidth(QString(text()).remove(QLatin1Char('&')));
        const int sp = text().isEmpty() ? 0 : FSpacing;
        const int x = FLayout == blGlyphLeft ? (r.Width() - (gw + sp + tw)) / 2 : (r.Width() - gw) / 2;
        canvas.Draw(x, (r.Height() - gh) / 2, glyph);
    }
    TRect textRect = r;
    if (gw > 0 && FLayout == blGlyphLeft)
        textRect.Left += gw + FSpacing;
    canvas.DrawText(text(), textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// ---- TBitBtn

TBitBtn::TBitBtn(QWidget* parent, TComponent* owner)
    : TButton(parent, owner)
{
}

void TBitBtn::GlyphChanged()
{
    if (FGlyph.Empty()) {
        setIcon(QIcon());
        return;
    }
    // The first cell is the enabled picture; its bottom-left pixel is transparent.
    const int w = FGlyph.Width() / FNumGlyphs;
    QImage cell = FGlyph.Image().copy(0, 0, w, FGlyph.Height()).convertToFormat(QImage::Format_ARGB32);
    const QRgb key = cell.pixel(0, cell.height() - 1);
    for (int y = 0; y < cell.height(); ++y)
        for (int x = 0; x < cell.width(); ++x)
            if (cell.pixel(x, y) == key)
                cell.setPixel(x, y, 0);
    setIcon(QIcon(QPixmap::fromImage(cell)));
    setIconSize(cell.size());
}
