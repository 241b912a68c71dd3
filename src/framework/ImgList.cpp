// Image lists.
#include "framework/ImgList.h"

#include <QPainter>

TImageList::TImageList(TComponent* owner, int width, int height)
    : QObject(owner ? owner->AsObject() : nullptr)
    , TComponent(this, owner)
    , FWidth(width)
    , FHeight(height)
{
}

int TImageList::Add(const QImage& image, const QImage& mask)
{
    QImage img = image.convertToFormat(QImage::Format_ARGB32);
    if (img.size() != QSize(FWidth, FHeight))
        img = img.scaled(FWidth, FHeight, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (!mask.isNull()) {
        const QImage m = mask.convertToFormat(QImage::Format_RGB32).scaled(FWidth, FHeight);
        for (int y = 0; y < FHeight; ++y)
            for (int x = 0; x < FWidth; ++x)
                if ((m.pixel(x, y) & 0xFFFFFF) != 0)
                    img.setPixel(x, y, 0);
    }
    FImages.push_back(img);
    FDoubles.emplace_back();
    return Count() - 1;
}

void TImageList::SetDoubleImage(int index, const QImage& image)
{
    if (index < 0 || index >= Count() || image.isNull())
        return;
    QImage img = image.convertToFormat(QImage::Format_ARGB32);
    if (img.size() != QSize(2 * FWidth, 2 * FHeight))
        img = img.scaled(2 * FWidth, 2 * FHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    img.setDevicePixelRatio(2);
    FDoubles[static_cast<std::size_t>(index)] = img;
}

int TImageList::AddMasked(const QImage& image, TColor maskColor)
{
    QImage img = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ToQColor(maskColor).rgb() & 0xFFFFFF;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == key)
                img.setPixel(x, y, 0);
    return Add(img);
}

void TImageList::AddStrip(const QImage& strip, TColor maskColor)
{
    for (int x = 0; x + FWidth <= strip.width(); x += FWidth)
        AddMasked(strip.copy(x, 0, FWidth, FHeight), maskColor);
}

QImage TImageList::GetImage(int index) const
{
    if (index < 0 || index >= Count())
        return QImage();
    return FImages[static_cast<std::size_t>(index)];
}

QIcon TImageList::GetIcon(int index) const
{
    const QImage image = GetImage(index);
    if (image.isNull())
        return QIcon();
    QIcon icon(QPixmap::fromImage(image));
    if (const QImage& doubled = FDoubles[static_cast<std::size_t>(index)]; !doubled.isNull())
        icon.addPixmap(QPixmap::fromImage(doubled));
    return icon;
}

void TImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) const
{
    QImage image = GetImage(index);
    if (image.isNull() || !canvas || !canvas->Painter())
        return;
    const QPaintDevice* device = canvas->Painter()->device();
    if (const QImage& doubled = FDoubles[static_cast<std::size_t>(index)];
        !doubled.isNull() && device && device->devicePixelRatio() > 1)
        image = doubled;
    if (!enabled) {
        for (int yy = 0; yy < image.height(); ++yy)
            for (int xx = 0; xx < image.width(); ++xx) {
                const QRgb p = image.pixel(xx, yy);
                const int g = qGray(p);
                image.setPixel(xx, yy, qRgba(g, g, g, qAlpha(p)));
            }
    }
    canvas->Painter()->drawImage(QPoint(x, y), image);
}
