// TToolBar and TToolButton: the tool bar, its buttons and their custom drawing.
#include "framework/ComCtrls.h"

#include <QChildEvent>
#include <QFocusEvent>
#include <QKeyEvent>

#include <algorithm>

TToolButton::TToolButton(TToolBar* toolBar, TComponent* owner)
    : QAbstractButton(toolBar)
    , TControl(this, owner ? owner : DefaultOwnerFor(toolBar))
    , FToolBar(toolBar)
{
    setFocusPolicy(Qt::NoFocus);
    toolBar->FButtons.push_back(this);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (FStyle == tbsCheck)
            SetDown(!FDown);
        SafeCall([this] {
            if (FMenuItem)
                FMenuItem->Click();
            Fire(OnClick, this);
        });
    });
    connect(this, &QAbstractButton::pressed, this, [this] { FToolBar->update(geometry()); });
    connect(this, &QAbstractButton::released, this, [this] { FToolBar->update(geometry()); });
    toolBar->ArrangeControls();
}

int TToolButton::Index() const
{
    const auto& buttons = FToolBar->FButtons;
    const auto it = std::find(buttons.begin(), buttons.end(), this);
    return it == buttons.end() ? -1 : static_cast<int>(it - buttons.begin());
}

void TToolButton::SetImageIndex(int index)
{
    FImageIndex = index;
    FToolBar->update(geometry());
}

void TToolButton::SetStyle(TToolButtonStyle style)
{
    FStyle = style;
    FToolBar->ArrangeControls();
    FToolBar->update();
}

void TToolButton::SetDown(bool down)
{
    FDown = down;
    FToolBar->update(geometry());
}

void TToolButton::SetCaption(const QString& caption)
{
    setText(caption);
    FToolBar->update(geometry());
}

void TToolButton::Click()
{
    if (isEnabled() && FStyle != tbsSeparator && FStyle != tbsDivider)
        click();
}

TCustomDrawState TToolButton::DrawState() const
{
    TCustomDrawState state = 0;
    if (isDown())
        state |= cdsSelected;
    if (!isEnabled())
        state |= cdsDisabled;
    if (FDown)
        state |= cdsChecked;
    if (FHot && isEnabled() && FStyle != tbsSeparator && FStyle != tbsDivider)
        state |= cdsHot;
    if (hasFocus())
        state |= cdsFocused;
    return state;
}

bool TToolButton::TakesFocus() const
{
    return FStyle != tbsSeparator && FStyle != tbsDivider && isEnabled() && !isHidden();
}

void TToolButton::enterEvent(QEnterEvent* event)
{
    // A separator is a gap, not a button: it never becomes hot.
    FHot = FStyle != tbsSeparator && FStyle != tbsDivider;
    FToolBar->update(geometry());
    QAbstractButton::enterEvent(event);
}

void TToolButton::leaveEvent(QEvent* event)
{
    FHot = false;
    FToolBar->update(geometry());
    QAbstractButton::leaveEvent(event);
}

bool TToolButton::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::EnabledChange:
        FToolBar->update(geometry());
        [[fallthrough]];
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        FToolBar->UpdateTabStop();
        break;
    default:
        break;
    }
    return QAbstractButton::event(event);
}

void TToolButton::focusInEvent(QFocusEvent* event)
{
    FToolBar->FLastFocus = this;
    FToolBar->UpdateTabStop();
    FToolBar->update(geometry());
    QAbstractButton::focusInEvent(event);
}

void TToolButton::focusOutEvent(QFocusEvent* event)
{
    FToolBar->update(geometry());
    QAbstractButton::focusOutEvent(event);
}

void TToolButton::keyPressEvent(QKeyEvent* event)
{
    TToolButton* next = nullptr;
    bool forward = true;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        forward = false;
        next = FToolBar->NextFocusButton(this, false);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        next = FToolBar->NextFocusButton(this, true);
        break;
    case Qt::Key_Home:
        next = FToolBar->NextFocusButton(nullptr, true);
        break;
    case Qt::Key_End:
        forward = false;
        next = FToolBar->NextFocusButton(nullptr, false);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() & ~Qt::KeypadModifier)
            break;
        Click();
        return;
    default:
        break;
    }
    if (!next) {
        QAbstractButton::keyPressEvent(event);
        return;
    }
    next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

// ---- Tool bar

TToolBar::TToolBar(QWidget* parent, TComponent* owner)
    : QWidget(parent)
    , TControl(this, owner ? owner : DefaultOwnerFor(parent))
{
    resize(100, 29);
    SetColor(clBtnFace);
}

void TToolBar::SetImages(TImageList* images)
{
    FImages = images;
    update();
}

void TToolBar::SetButtonSize(int width, int height)
{
    FButtonWidth = width;
    FButtonHeight = height;
    ArrangeControls();
}

void TToolBar::SetFlat(bool flat)
{
    FFlat = flat;
    update();
}

void TToolBar::SetTransparent(bool transparent)
{
    FTransparent = transparent;
    setAutoFillBackground(!transparent);
    update();
}

TToolButton* TToolBar::FocusButton() const
{
    if (FLastFocus && FLastFocus->ToolBar() == this && FLastFocus->TakesFocus())
        return FLastFocus;
    return NextFocusButton(nullptr, true);
}

TToolButton* TToolBar::NextFocusButton(const TToolButton* from, bool forward) const
{
    const int count = ButtonCount();
    const int start = from ? from->Index() : (forward ? -1 : count);
    for (int step = 1; step <= count; ++step) {
        const int i = ((start + (forward ? step : -step)) % count + count) % count;
        if (FButtons[static_cast<std::size_t>(i)]->TakesFocus())
            return FButtons[static_cast<std::size_t>(i)];
    }
    return nullptr;
}

void TToolBar::UpdateTabStop()
{
    const TToolButton* stop = FocusButton();
    for (TToolButton* button : FButtons)
        button->setFocusPolicy(button == stop ? Qt::TabFocus : Qt::NoFocus);
}

void TToolBar::focusInEvent(QFocusEvent* event)
{
    if (TToolButton* button = FocusButton())
        button->setFocus(event->reason());
    else
        QWidget::focusInEvent(event);
}

void TToolBar::ArrangeControls()
{
    int x = 0;
    for (QObject* child : children()) {
        if (!child->isWidgetType())
            continue;
        auto* w = static_cast<QWidget*>(child);
        if (w->isWindow() || w->isHidden())
            continue;
        if (auto* button = qobject_cast<TToolButton*>(w)) {
            const bool separator = button->Style() == tbsSeparator || button->Style() == tbsDivider;
            const int width = separator ? 8 : FButtonWidth;
            button->setGeometry(x, 2, width, FButtonHeight);
            x += width;
        } else {
            w->move(x, w->y());
            x += w->width();
        }
    }
    UpdateTabStop();
    update();
}

void TToolBar::childEvent(QChildEvent* event)
{
    QWidget::childEvent(event);
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildRemoved) {
        if (event->type() == QEvent::ChildRemoved)
            std::erase(FButtons, static_cast<TToolButton*>(static_cast<QObject*>(event->child())));
        QMetaObject::invokeMethod(this, &TToolBar::ArrangeControls, Qt::QueuedConnection);
    }
}

void TToolBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    update();
}

void TToolBar::paintEvent(QPaintEvent*)
{
    TCanvas canvas(this);
    canvas.Font = Font();
    FCanvas = &canvas;
    for (TToolButton* button : FButtons) {
        if (button->isHidden())
            continue;
        // Separators are not custom-drawn: the platform asks only for buttons (a
        // handler paints the separator before a button together with the button).
        if (button->Style() == tbsSeparator || button->Style() == tbsDivider)
            continue;
        const TCustomDrawState state = button->DrawState();
        bool defaultDraw = true;
        SafeFire(OnCustomDrawButton, this, button, state, defaultDraw);
        if (defaultDraw)
            DefaultDrawButton(canvas, button, state);
        // The focus shows however the button was drawn: two pixels inside its edge,
        // clear of a 16-pixel glyph.
        if (state & cdsFocused) {
            TRect r = button->BoundsRect();
            InflateRect(r, -2, -2);
            DrawFocusRect(&canvas, r);
        }
    }
    FCanvas = nullptr;
}

void TToolBar::DefaultDrawButton(TCanvas& canvas, TToolButton* button, TCustomDrawState state)
{
    const TRect r = button->BoundsRect();
    if (button->Style() == tbsSeparator || button->Style() == tbsDivider)
        return;
    if (state & (cdsHot | cdsSelected | cdsChecked)) {
        TRect frame = r;
        const bool sunken = state & (cdsSelected | cdsChecked);
        Frame3D(&canvas, frame, sunken ? clBtnShadow : clBtnHighlight, sunken ? clBtnHighlight : clBtnShadow, 1);
    } else if (!FFlat) {
        TRect frame = r;
        Frame3D(&canvas, frame, clBtnHighlight, clBtnShadow, 1);
    }
    if (FImages) {
        const int off = (state & cdsSelected) ? 1 : 0;
        const int x = r.Left + (r.Width() - FImages->Width()) / 2 + off;
        const int y = r.Top + (r.Height() - FImages->Height()) / 2 + off;
        TImageList* list = ((state & cdsDisabled) && FDisabledImages) ? FDisabledImages.data() : FImages.data();
        list->Draw(&canvas, x, y, button->ImageIndex(), !(state & cdsDisabled) || list == FDisabledImages);
    }
}
