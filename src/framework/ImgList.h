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
    void Clear() { FImages.clear(); }

    // The image at `index` with transparency; a null image when out of range.
    QImage GetImage(int index) const;
    QIcon GetIcon(int index) const;
    // Draws image `index` at its natural size, transparently; nothing when out of range.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true) const;

private:
    int FWidth;
    int FHeight;
    std::vector<QImage> FImages;
};
