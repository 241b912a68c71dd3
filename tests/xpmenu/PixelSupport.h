// Shared pieces of the flat-look pixel tests: the system colours they assume and
// pixel maps of small images.
#pragma once

#include "framework/Graphics.h"

#include <QApplication>
#include <QImage>
#include <QPalette>

#include <string>
#include <utility>
#include <vector>

// The system colours every figure of these tests is stated for: button face
// (212,208,200), highlight (49,106,197), shadow (128,128,128), window white, text black.
class TSystemColoursScope {
public:
    TSystemColoursScope()
        : FSaved(QApplication::palette())
    {
        QPalette pal = FSaved;
        for (auto group : {QPalette::Active, QPalette::Inactive}) {
            pal.setColor(group, QPalette::Button, QColor(212, 208, 200));
            pal.setColor(group, QPalette::Window, QColor(212, 208, 200));
            pal.setColor(group, QPalette::Highlight, QColor(49, 106, 197));
            pal.setColor(group, QPalette::Dark, QColor(128, 128, 128));
            pal.setColor(group, QPalette::Base, QColor(255, 255, 255));
            pal.setColor(group, QPalette::WindowText, QColor(0, 0, 0));
            pal.setColor(group, QPalette::Text, QColor(0, 0, 0));
            pal.setColor(group, QPalette::ButtonText, QColor(0, 0, 0));
        }
        pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
        QApplication::setPalette(pal);
    }
    ~TSystemColoursScope()
    {
        QApplication::setPalette(FSaved);
        TCanvas::SetDisplayDepthOverride(0);
    }
    TSystemColoursScope(const TSystemColoursScope&) = delete;
    TSystemColoursScope& operator=(const TSystemColoursScope&) = delete;

private:
    QPalette FSaved;
};

inline QImage FilledImage(int w, int h, TColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
    return image;
}

inline TColor PixelAt(const QImage& image, int x, int y)
{
    const QRgb p = image.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

// The image (or a part of it) as rows of legend characters; '?' for any other colour.
inline std::string PixelMap(const QImage& image, const std::vector<std::pair<char, TColor>>& legend,
                            QRect area = QRect())
{
    if (area.isNull())
        area = image.rect();
    std::string s;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const TColor c = PixelAt(image, x, y);
            char ch = '?';
            for (const auto& [key, colour] : legend)
                if (colour == c) {
                    ch = key;
                    break;
                }
            s += ch;
        }
        s += '\n';
    }
    return s;
}

inline std::string Rgb(TColor c)
{
    c = ColorToRGB(c);
    return "(" + std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," +
           std::to_string(GetBValue(c)) + ")";
}
