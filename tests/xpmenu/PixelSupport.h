// Shared pieces of the flat-look pixel tests: the system colours they assume and
// pixel maps of small images.
#pragma once

#include "framework/Graphics.h"

#include <QApplication>
#include <QImage>
#include <QPalette>

#include <algorithm>
#include <cmath>
#include <map>
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

// qt6ct's "darker" colour scheme: light text on dark faces, a dark blue selection.
inline QPalette DarkerPalette()
{
    QPalette pal = QApplication::palette();
    const struct {
        QPalette::ColorRole Role;
        QColor Colour;
    } roles[] = {
        // /usr/share/qt6ct/colors/darker.conf, active colours.
        {QPalette::WindowText, QColor(255, 255, 255)}, {QPalette::Button, QColor(66, 66, 69)},
        {QPalette::Light, QColor(151, 151, 151)},      {QPalette::Midlight, QColor(94, 92, 91)},
        {QPalette::Dark, QColor(48, 47, 46)},          {QPalette::Mid, QColor(74, 73, 71)},
        {QPalette::Text, QColor(255, 255, 255)},       {QPalette::BrightText, QColor(255, 255, 255)},
        {QPalette::ButtonText, QColor(255, 255, 255)}, {QPalette::Base, QColor(61, 61, 61)},
        {QPalette::Window, QColor(34, 32, 32)},        {QPalette::Shadow, QColor(231, 228, 224)},
        {QPalette::Highlight, QColor(18, 96, 138)},    {QPalette::HighlightedText, QColor(249, 249, 249)},
    };
    for (auto group : {QPalette::Active, QPalette::Inactive})
        for (const auto& r : roles)
            pal.setColor(group, r.Role, r.Colour);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(QPalette::Disabled, role, QColor(128, 128, 128));
    return pal;
}

// How far apart two colours read, by the accessibility guidelines' formula: 1 to 21.
inline double Contrast(QRgb a, QRgb b)
{
    const auto luminance = [](QRgb c) {
        const auto linear = [](int v) {
            const double s = v / 255.0;
            return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Text, a tick or an arrow in `area` of `image`, against the surface it stands on: the
// strongest contrast of a pixel there with the commonest colour of its own column in
// `surfaceRows` (a gradient runs across columns).
inline double InkContrast(const QImage& image, QRect area, QRect surfaceRows = QRect())
{
    if (surfaceRows.isNull())
        surfaceRows = area;
    area &= image.rect();
    double best = 1;
    for (int x = area.left(); x <= area.right(); ++x) {
        std::map<QRgb, int> counts;
        for (int y = surfaceRows.top(); y <= surfaceRows.bottom(); ++y)
            ++counts[image.pixel(x, y) | 0xFF000000u];
        const QRgb surface =
            std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
        for (int y = area.top(); y <= area.bottom(); ++y)
            best = std::max(best, Contrast(image.pixel(x, y), surface));
    }
    return best;
}

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
