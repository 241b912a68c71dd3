// TUpDown: the up-down control.
#include "framework/ComCtrls.h"

#include <QMouseEvent>

#include <algorithm>

TUpDown::TUpDown(QWidget* parent, TComponent* owner)
    : QWidget(parent)
    , TControl(this, owner ? owner : DefaultOwnerFor(parent))
{
    resize(17, 21);
}

void TUpDown::SetRange(int min, int max)
{
    FMin = min;
    FMax = max;
    SetPosition(FPosition);
}

void TUpDown::SetPosition(int position)
{
    FPosition = std::clamp(position, FMin, std::max(FMin, FMax));
}

void TUpDown::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    FPressed = event->position().y() < height() / 2 ? 1 : -1;
    update();
}

void TUpDown::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || FPressed == 0)
        return;
    const int step = FPressed;
    FPressed = 0;
    update();
    if (rect().contains(event->position().toPoint())) {
        SetPosition(FPosition + step * FIncrement);
        SafeFire(OnClick, this);
    }
}

void TUpDown::paintEvent(QPaintEvent*)
{
    TCanvas canvas(this);
    const int half = height() / 2;
    const TRect halves[2] = {TRect(0, 0, width(), half), TRect(0, half, width(), height())};
    for (int i = 0; i < 2; ++i) {
        TRect r = halves[i];
        canvas.Brush.Color = clBtnFace;
        canvas.FillRect(r);
        const bool pressed = FPressed == (i == 0 ? 1 : -1);
        Frame3D(&canvas, r, pressed ? clBtnShadow : clBtnHighlight, pressed ? clBtnHighlight : clBtnShadow, 1);
        // A 5-3-1 triangle pointing up or down in the middle of the half.
        canvas.Pen.Color = isEnabled() ? clBtnText : clGrayText;
        const int x = halves[i].Left + (halves[i].Width() - 5) / 2;
        const int y = halves[i].Top + (halves[i].Height() - 3) / 2;
        for (int k = 0; k < 3; ++k) {
            const int row = i == 0 ? y + 2 - k : y + k;
            canvas.MoveTo(x + k, row);
            canvas.LineTo(x + 5 - k, row);
        }
    }
}
