// Image lists: equally sized images with transparency (from a mask or a mask colour).
#pragma once

#include "framework/Classes.h"
#include "framework/Graphics.h"

#include <QIcon>
#include <QImage>

#include <vector>

class TImageList : public QObject, public TComponent {
    Q_OBJECT
public:
    explicit TImageList(TComponent* owner, int width = 16, int height = 16);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const { return static_cast<int>(FImages.size()); }

    // Adds an image; where `mask` is given, its set (non-black) pixels are transparent.
    // Images of another size are scaled. Returns the new index.
    int Add(const QImage& image, const QImage& mask = QImage());
    // Adds an image whose pixels of `maskColor` are transparent.
    int AddMasked(const QImage& image, TColor maskColor);
    // Adds every Width-wide cell of a strip.
    void AddStrip(const QImage& strip, TColor maskColor);
    // Gives image `index` its drawing with twice the pixels, for screens with more
    // device pixels than points (scaled to twice the list's size when it is not).
    void SetDoubleImage(int index, const QImage& image);
    void Clear()
    {
        FImages.clear();
        FDoubles.clear();
    }

    // The image at `index` with transparency; a null image when out of range.
    QImage GetImage(int index) const;
    // Both drawings of image `index`: views pick the one for their screen.
    QIcon GetIcon(int index) const;
    // Draws image `index` at its natural size, transparently, with the double drawing on
    // a canvas of more device pixels than points; nothing when out of range.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true) const;

private:
    int FWidth;
    int FHeight;
    std::vector<QImage> FImages;
    std::vector<QImage> FDoubles;  // null where an image has none
};
