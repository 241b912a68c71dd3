// Panels, splitters, images and timers.
#include "framework/ExtCtrls.h"

#include "framework/Messages.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {
TComponent* OwnerOr(TComponent* owner, QWidget* parent)
{
    return owner ? owner : DefaultOwnerFor(parent);
}
} // namespace

QImage HIconToImage(HICON icon)
{
    const auto image = IconTable::Get(icon);
    return image ? IconToImage(*image) : QImage();
}

QImage IconToImage(const gw::IconImage& image)
{
    if (image.Empty())
        return QImage();
    QImage result(image.Width, image.Height, QImage::Format_ARGB32);
    for (int y = 0; y < image.Height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < image.Width; ++x) {
            std::uint32_t p = image.Pixel(x, y);
            if (!image.HasAlpha)
                p = image.Transparent(x, y) ? 0u : (p | 0xFF000000u);
            line[x] = p;
        }
    }
    return result;
}

// ---- TCustomPanel

TCustomPanel::TCustomPanel(QWidget* parent, TComponent* owner)
    : QWidget(parent)
    , TControl(this, OwnerOr(owner, parent))
{
    SetColor(clBtnFace);
    UpdateMargins();
}

void TCustomPanel::SetCaption(const QString& caption)
{
    if (caption == FCaption)
        return;
    FCaption = caption;
    update();
    Perform(this, CM_TEXTCHANGED);
}

void TCustomPanel::SetBevelOuter(TBevelCut bevel)
{
    FBevelOuter = bevel;
    UpdateMargins();
}

void TCustomPanel::SetBevelInner(TBevelCut bevel)
{
    FBevelInner = bevel;
    UpdateMargins();
}

void TCustomPanel::SetBevelWidth(int width)
{
    FBevelWidth = width;
    UpdateMargins();
}

void TCustomPanel::SetBorderWidth(int width)
{
    FBorderWidth = width;
    UpdateMargins();
}

// The client area lies inside the border and the bevels.
void TCustomPanel::UpdateMargins()
{
    int m = FBorderWidth;
    if (FBevelOuter != bvNone)
        m += FBevelWidth;
    if (FBevelInner != bvNone)
        m += FBevelWidth;
    setContentsMargins(m, m, m, m);
    AlignControls(this);
    update();
}

void TCustomPanel::paintEvent(QPaintEvent*)
{
    TCanvas canvas(this);
    TRect r = ClientRect();
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone)
            return;
        const TColor top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
        const TColor bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
        Frame3D(&canvas, r, top, bottom, FBevelWidth);
    };
    bevel(FBevelOuter);
    if (FBevelInner != bvNone) {
        InflateRect(r, -FBorderWidth, -FBorderWidth);
        bevel(FBevelInner);
    }
    if (!FCaption.isEmpty()) {
        canvas.Font = Font();
        canvas.Brush.Style = bsClear;
        canvas.DrawText(FCaption, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void TCustomPanel::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        SafeFire(OnClick, this);
}

// ---- TSplitter

TSplitter::TSplitter(QWidget* parent, TComponent* owner)
    : QWidget(parent)
    , TControl(this, OwnerOr(owner, parent))
{
    resize(3, 100);
    SetAlign(alLeft);
}

bool TSplitter::Horizontal() const
{
    return Align() == alTop || Align() == alBottom;
}

QWidget* TSplitter::FindControl() const
{
    QWidget* parent = parentWidget();
    if (!parent)
        return nullptr;
    const QRect g = geometry();
    for (QObject* child : parent->children()) {
        if (!child->isWidgetType() || child == this)
            continue;
        auto* w = static_cast<QWidget*>(child);
        if (w->isHidden() || w->property("gwAlign").toInt() != Align())
            continue;
        const QRect o = w->geometry();
        switch (Align()) {
        case alLeft:
            if (o.x() + o.width() == g.x()) return w;
            break;
        case alRight:
            if (o.x() == g.x() + g.width()) return w;
            break;
        case alTop:
            if (o.y() + o.height() == g.y()) return w;
            break;
        case alBottom:
            if (o.y() == g.y() + g.height()) return w;
            break;
        default:
            break;
        }
    }
    return nullptr;
}

void TSplitter::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    setCursor(Horizontal() ? Qt::SizeVerCursor : Qt::SizeHorCursor);
}

bool TSplitter::ResizeBy(int delta)
{
    QWidget* control = FControl;
    if (!control)
        return false;
    const bool grows = Align() == alLeft || Align() == alTop;
    const int current = Horizontal() ? control->height() : control->width();
    int size = FDownSize + (grows ? delta : -delta);
    size = std::max(size, FMinSize);
    // The rest of the parent keeps at least MinSize as well.
    QWidget* parent = parentWidget();
    const int total = Horizontal() ? parent->contentsRect().height() : parent->contentsRect().width();
    int others = 0;
    for (QObject* child : parent->children()) {
        if (!child->isWidgetType() || child == control)
            continue;
        auto* w = static_cast<QWidget*>(child);
        const int a = w->property("gwAlign").toInt();
        if (w->isHidden())
            continue;
        if (Horizontal() && (a == alTop || a == alBottom))
            others += w->height();
        if (!Horizontal() && (a == alLeft || a == alRight))
            others += w->width();
    }
    size = std::min(size, std::max(FMinSize, total - others - FMinSize));
    if (size == current)
        return false;
    if (auto* c = TControl::Of(control)) {
        if (Horizontal())
            c->SetHeight(size);
        else
            c->SetWidth(size);
    } else {
        if (Horizontal())
            control->resize(control->width(), size);
        else
            control->resize(size, control->height());
        AlignControls(parent);
    }
    return true;
}

void TSplitter::MoveBy(int delta)
{
    FControl = FindControl();
    if (!FControl)
        return;
    FDownSize = Horizontal() ? FControl->height() : FControl->width();
    if (ResizeBy(delta))
        Fire(OnMoved, this);
    FControl = nullptr;
}

void TSplitter::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    FControl = FindControl();
    if (!FControl)
        return;
    FDragging = true;
    FMoved = false;
    FDownPos = event->globalPosition().toPoint();
    FDownSize = Horizontal() ? FControl->height() : FControl->width();
}

void TSplitter::mouseMoveEvent(QMouseEvent* event)
{
    if (!FDragging)
        return;
    const QPoint d = event->globalPosition().toPoint() - FDownPos;
    if (ResizeBy(Horizontal() ? d.y() : d.x()))
        FMoved = true;
}

void TSplitter::mouseReleaseEvent(QMouseEvent* event)
{
    if (!FDragging || event->button() != Qt::LeftButton)
        return;
    mouseMoveEvent(event);
    FDragging = false;
    FControl = nullptr;
    if (FMoved)
        SafeFire(OnMoved, this);
}

// ---- TPicture / TImage

QImage TPicture::Image() const
{
    if (FIcon.GetHandle() != 0)
        return HIconToImage(FIcon.GetHandle());
    return FBitmap.Image();
}

TImage::TImage(QWidget* parent, TComponent* owner)
    : QWidget(parent)
    , TControl(this, OwnerOr(owner, parent))
{
    FPicture.OnChange = [this] { PictureChanged(); };
}

void TImage::SetIcon(HICON icon, TIconRendition sharper)
{
    FPicture.Icon()->SetHandle(icon);
    FSharper = std::move(sharper);
    FSharpSide = 0;
    FSharpImage = QImage();
    FPicture.Changed();
}

void TImage::SetBitmap(const QImage& image)
{
    FSharper = {};
    FSharpImage = QImage();
    FPicture.Icon()->SetHandle(0);
    FPicture.Bitmap()->Assign(image);
    FPicture.Changed();
}

void TImage::SetAutoSize(bool autoSize)
{
    FAutoSize = autoSize;
    PictureChanged();
}

void TImage::SetStretch(bool stretch)
{
    FStretch = stretch;
    update();
}

void TImage::PictureChanged()
{
    if (FAutoSize) {
        const QImage image = FPicture.Image();
        if (!image.isNull() && image.size() != size())
            SetBounds(Left(), Top(), image.width(), image.height());
    }
    update();
}

void TImage::paintEvent(QPaintEvent*)
{
    const QImage image = FPicture.Image();
    if (image.isNull())
        return;
    QPainter painter(this);
    if (FStretch) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), image);
    } else if (QImage sharp = SharpImage(image); !sharp.isNull()) {
        // Drawn into the icon's own size: on a 2x screen a 64-pixel drawing of a
        // 32-pixel icon lands pixel for pixel.
        const int own = std::max(image.width(), image.height());
        sharp.setDevicePixelRatio(qreal(std::max(sharp.width(), sharp.height())) / own);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QPoint(0, 0), sharp);
    } else {
        painter.drawImage(QPoint(0, 0), image);
    }
}

QImage TImage::SharpImage(const QImage& image)
{
    const qreal ratio = devicePixelRatioF();
    if (!FSharper || ratio <= 1)
        return QImage();
    const int own = std::max(image.width(), image.height());
    const int side = qRound(own * ratio);
    if (side != FSharpSide) {
        FSharpSide = side;
        try {
            FSharpImage = FSharper(side);
        } catch (...) {
            // A drawing that cannot be made leaves the icon's own pixels on screen.
            FSharpImage = QImage();
        }
    }
    if (std::max(FSharpImage.width(), FSharpImage.height()) <= own)
        return QImage();
    return FSharpImage;
}

void TImage::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    FPressed = event->button() == Qt::LeftButton;
}

void TImage::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    const bool click = FPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    FPressed = false;
    if (click)
        SafeFire(OnClick, this);
}

void TImage::mouseDoubleClickEvent(QMouseEvent* event)
{
    QWidget::mouseDoubleClickEvent(event);
    SafeFire(OnDblClick, this);
}

// ---- TTimer

TTimer::TTimer(TComponent* owner)
    : QObject(owner ? owner->AsObject() : nullptr)
    , TComponent(this, owner)
{
    connect(&FTimer, &QTimer::timeout, this, [this] {
        // The platform delivers a timer's ticks to every message loop, even one that
        // the timer's own handler runs (a menu shown from a tick). Qt holds a timer
        // back while its event is handled; a fresh registration is not held back.
        FTimer.start(FInterval);
        SafeFire(OnTimer, this);
    });
    Update();
}

void TTimer::SetInterval(int ms)
{
    if (ms == FInterval)
        return;
    FInterval = ms;
    Update();
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled == FEnabled)
        return;
    FEnabled = enabled;
    Update();
}

void TTimer::Update()
{
    FTimer.stop();
    if (FEnabled && FInterval > 0)
        FTimer.start(FInterval);
}

TControlBar::TControlBar(QWidget* parent, TComponent* owner)
    : QWidget(parent)
    , TControl(this, owner ? owner : DefaultOwnerFor(parent))
{
    setAutoFillBackground(false);
}

TRect TControlBar::BandRect(QWidget* control) const
{
    TRect r(control->geometry());
    r.Left -= kGripWidth;
    r.Top = 0;
    r.Bottom = height();
    return r;
}

void TControlBar::ArrangeBands()
{
    int x = 0;
    for (QObject* child : children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow() || w->isHidden())
            continue;
        w->move(x + kGripWidth, std::max(0, (height() - w->height()) / 2));
        x += kGripWidth + w->width() + 2;
    }
}

void TControlBar::childEvent(QChildEvent* event)
{
    QWidget::childEvent(event);
    if (event->added() || event->removed())
        QMetaObject::invokeMethod(this, [this] { ArrangeBands(); update(); }, Qt::QueuedConnection);
}

void TControlBar::paintEvent(QPaintEvent*)
{
    TCanvas canvas(this);
    canvas.Brush.Color = Color();
    canvas.FillRect(TRect(rect()));
    for (QObject* child : children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow() || w->isHidden())
            continue;
        TRect band = BandRect(w);
        TBandPaintOptions options = bpoGrabber | bpoFrame;
        SafeFire(OnBandPaint, this, TControl::Of(w), &canvas, band, options);
        if (options & bpoFrame) {
            TRect frame = band;
            Frame3D(&canvas, frame, clBtnHighlight, clBtnShadow, 1);
        }
        if (options & bpoGrabber) {
            TRect grip(band.Left + 3, band.Top + 3, band.Left + 6, band.Bottom - 3);
            Frame3D(&canvas, grip, clBtnHighlight, clBtnShadow, 1);
        }
    }
}
