// Colours from the running palette and the canvas's drawing rules.
#include "framework/Graphics.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHash>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QTextLayout>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

QColor PaletteColor(int index)
{
    const QPalette pal = QGuiApplication::palette();
    switch (index) {
    case 0: return pal.color(QPalette::Active, QPalette::Mid);                // scroll bar
    case 1: return pal.color(QPalette::Active, QPalette::Dark);               // desktop
    case 2: return pal.color(QPalette::Active, QPalette::Highlight);          // active caption
    case 3: return pal.color(QPalette::Disabled, QPalette::WindowText);       // inactive caption
    case 4: return pal.color(QPalette::Active, QPalette::Window);             // menu
    case 5: return pal.color(QPalette::Active, QPalette::Base);               // window
    case 6: return pal.color(QPalette::Active, QPalette::Shadow);             // window frame
    case 7: return pal.color(QPalette::Active, QPalette::WindowText);         // menu text
    case 8: return pal.color(QPalette::Active, QPalette::Text);               // window text
    case 9: return pal.color(QPalette::Active, QPalette::HighlightedText);    // caption text
    case 10:
    case 11: return pal.color(QPalette::Active, QPalette::Window);            // borders
    case 12: return pal.color(QPalette::Active, QPalette::Dark);              // app work space
    case 13: return pal.color(QPalette::Active, QPalette::Highlight);
    case 14: return pal.color(QPalette::Active, QPalette::HighlightedText);
    case 15: return pal.color(QPalette::Active, QPalette::Button);            // button face
    case 16: return pal.color(QPalette::Active, QPalette::Dark);              // button shadow
    case 17: return pal.color(QPalette::Disabled, QPalette::Text);            // grey text
    case 18: return pal.color(QPalette::Active, QPalette::ButtonText);
    case 19: return pal.color(QPalette::Disabled, QPalette::HighlightedText); // inactive caption text
    case 20: return pal.color(QPalette::Active, QPalette::Light);             // button highlight
    case 21: return pal.color(QPalette::Active, QPalette::Shadow);            // 3D dark shadow
    case 22: return pal.color(QPalette::Active, QPalette::Midlight);          // 3D light
    case 23: return pal.color(QPalette::Active, QPalette::ToolTipText);
    case 24: return pal.color(QPalette::Active, QPalette::ToolTipBase);
    case 26: return pal.color(QPalette::Active, QPalette::Link);              // hot light
    case 27:
    case 28: return pal.color(QPalette::Active, QPalette::Highlight);         // caption gradients
    case 29: return pal.color(QPalette::Active, QPalette::Highlight);         // menu highlight
    case 30: return pal.color(QPalette::Active, QPalette::Window);            // menu bar
    default: return QColor(Qt::black);
    }
}

} // namespace

TColor GetSysColor(int index)
{
    return FromQColor(PaletteColor(index));
}

TColor ColorToRGB(TColor color)
{
    if (color & clSystemColor)
        return GetSysColor(static_cast<int>(color & 0xFF));
    return color & 0xFFFFFF;
}

double ContrastRatio(TColor a, TColor b)
{
    const auto luminance = [](TColor c) {
        c = ColorToRGB(c);
        const auto linear = [](int v) {
            const double s = v / 255.0;
            return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(GetRValue(c)) + 0.7152 * linear(GetGValue(c)) + 0.0722 * linear(GetBValue(c));
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TColor ReadableOn(TColor text, TColor surface)
{
    if (ContrastRatio(text, surface) >= 4.5)
        return text;
    return ContrastRatio(clBlack, surface) >= ContrastRatio(clWhite, surface) ? clBlack : clWhite;
}

QColor ToQColor(TColor color)
{
    const TColor c = ColorToRGB(color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor FromQColor(const QColor& color)
{
    return RGB(color.red(), color.green(), color.blue());
}

namespace {

// The installed fonts that stand in for the forms' fonts. One font holds Chinese and
// Latin for "宋体", as on the platform; it is also where every other font finds its
// Chinese glyphs, as the platform links its Latin fonts to it.
const QString kSongStandIn = QStringLiteral("AR PL UMing CN");
// The largest pixel size for which the Song stand-in carries bitmaps of its own.
constexpr int kSongBitmapsUpTo = 16;
// fonts-wine keeps its Tahoma out of the font path: it is registered for this process.
constexpr const char* kWineFontDir = "/usr/share/wine/fonts/";

void RegisterStandIns()
{
    static bool done = false;
    if (done || !QGuiApplication::instance())
        return;
    done = true;
    QFont::insertSubstitution(QStringLiteral("宋体"), kSongStandIn);
    QFont::insertSubstitution(QStringLiteral("SimSun"), kSongStandIn);
    // The main window's "MS Serif" is a 13-pixel bitmap serif that takes its Chinese
    // from the Song face: the same face, at the same cell height, stands in for both.
    QFont::insertSubstitution(QStringLiteral("MS Serif"), kSongStandIn);
    if (!QFontDatabase::families().contains(QStringLiteral("Tahoma")))
        for (const char* file : {"tahoma.ttf", "tahomabd.ttf"})
            QFontDatabase::addApplicationFont(QString::fromLatin1(kWineFontDir) + QLatin1String(file));
    // The Song face stays crisp at its bitmap sizes also where it gives another font
    // (the menus') its Chinese: a font's own smoothing cannot reach its fallbacks, but
    // fontconfig's can, and Qt asks fontconfig for each face it falls back to.
    static const char kCrispSong[] =
        "<?xml version=\"1.0\"?><!DOCTYPE fontconfig SYSTEM \"fonts.dtd\"><fontconfig>"
        "<match target=\"font\"><test name=\"family\"><string>AR PL UMing CN</string></test>"
        "<test name=\"pixelsize\" compare=\"less_eq\"><double>16.5</double></test>"
        "<edit name=\"antialias\" mode=\"assign\"><bool>false</bool></edit></match></fontconfig>";
    FcConfigParseAndLoadFromMemory(FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(kCrispSong), FcFalse);
}

} // namespace

QFont MakeFont(const QString& name, int height)
{
    RegisterStandIns();
    QFont font(name);
    // A family that is not installed is the one the desktop chooses for it; either way
    // its Chinese comes from the Song stand-in.
    static QHash<QString, QString> primary;
    auto known = primary.find(name);
    if (known == primary.end())
        known = primary.insert(name, QFontDatabase::hasFamily(QFont::substitute(name)) ? name : QFontInfo(font).family());
    font.setFamilies(*known == name ? QStringList{name, kSongStandIn} : QStringList{name, *known, kSongStandIn});
    font.setPixelSize(std::max(1, std::abs(height)));
    // The Song face is drawn from its own bitmaps at menu and dialog sizes, crisp as the
    // original's bitmaps; its outlines there smear every stroke into grey. Smoothed
    // glyphs stand on whole pixels with whole-pixel advances, as the platform draws
    // them: under the desktop's light hinting Qt places each glyph at a fraction of a
    // pixel, and the Chinese glyphs after Latin text came out crisp or smeared over two
    // columns by the width of the text before them.
    if (QFont::substitute(name).compare(kSongStandIn, Qt::CaseInsensitive) == 0 && std::abs(height) <= kSongBitmapsUpTo)
        font.setStyleStrategy(QFont::NoAntialias);
    else
        font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QFont TFont::ToQFont() const
{
    QFont font = MakeFont(Name, Height == 0 ? -11 : Height);
    font.setBold(Style & fsBold);
    font.setItalic(Style & fsItalic);
    font.setUnderline(Style & fsUnderline);
    font.setStrikeOut(Style & fsStrikeOut);
    return font;
}

TFont TFont::FromQFont(const QFont& font, TColor color)
{
    TFont f;
    f.Name = font.family();
    if (font.pixelSize() > 0)
        f.Height = -font.pixelSize();
    else
        f.Height = -static_cast<int>(font.pointSizeF() * 96.0 / 72.0 + 0.5);
    f.Style = (font.bold() ? fsBold : 0) | (font.italic() ? fsItalic : 0) |
              (font.underline() ? fsUnderline : 0) | (font.strikeOut() ? fsStrikeOut : 0);
    f.Color = color;
    return f;
}

TFont SystemMenuFont()
{
    return TFont::FromQFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont), clMenuText);
}

// ---- TCanvas

TCanvas::TCanvas(QPaintDevice* device)
{
    if (!device)
        return;
    FOwnPainter = std::make_unique<QPainter>(device);
    FPainter = FOwnPainter.get();
    FPainter->setRenderHint(QPainter::Antialiasing, false);
}

TCanvas::TCanvas(QPainter* painter)
    : FPainter(painter)
{
    if (FPainter)
        FPainter->setRenderHint(QPainter::Antialiasing, false);
}

TCanvas::TCanvas() = default;
TCanvas::~TCanvas() = default;

QPaintDevice* TCanvas::Device() const
{
    return FPainter ? FPainter->device() : nullptr;
}

int TCanvas::BitsPerPixel() const
{
    if (sDepthOverride > 0)
        return sDepthOverride;
    QPaintDevice* device = Device();
    return device ? device->depth() : 32;
}

void TCanvas::SpanFill(const QRect& r, TColor color)
{
    if (!FPainter || r.isEmpty())
        return;
    FPainter->fillRect(r, ToQColor(color));
}

// Bresenham from `a` towards `b`; `b` itself is not plotted.
void TCanvas::PlotLine(QPoint a, QPoint b, TColor color)
{
    if (!FPainter || a == b)
        return;
    if (a.y() == b.y()) {
        const int x0 = a.x() < b.x() ? a.x() : b.x() + 1;
        SpanFill(QRect(x0, a.y(), std::abs(b.x() - a.x()), 1), color);
        return;
    }
    if (a.x() == b.x()) {
        const int y0 = a.y() < b.y() ? a.y() : b.y() + 1;
        SpanFill(QRect(a.x(), y0, 1, std::abs(b.y() - a.y())), color);
        return;
    }
    const QColor qc = ToQColor(color);
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), dy = -std::abs(b.y() - y);
    const int sx = x < b.x() ? 1 : -1, sy = y < b.y() ? 1 : -1;
    int err = dx + dy;
    while (x != b.x() || y != b.y()) {
        FPainter->fillRect(QRect(x, y, 1, 1), qc);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void TCanvas::LineTo(int x, int y)
{
    const QPoint to(x, y);
    if (Pen.Style != psClear) {
        const int w = std::max(1, Pen.Width);
        for (int i = 0; i < w; ++i) {
            const QPoint d = (PenPos.y() == to.y()) ? QPoint(0, i - w / 2) : QPoint(i - w / 2, 0);
            PlotLine(PenPos + d, to + d, Pen.Color);
        }
    }
    PenPos = to;
}

void TCanvas::Polyline(const std::vector<QPoint>& points)
{
    if (points.empty())
        return;
    const QPoint saved = PenPos;
    PenPos = points.front();
    for (std::size_t i = 1; i < points.size(); ++i)
        LineTo(points[i].x(), points[i].y());
    PenPos = saved;
}

void TCanvas::FillRect(const TRect& r)
{
    if (Brush.Style == bsClear || r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    SpanFill(r.ToQRect(), Brush.Color);
}

void TCanvas::FrameRect(const TRect& r)
{
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    const TColor c = Brush.Color;
    SpanFill(QRect(r.Left, r.Top, r.Width(), 1), c);
    SpanFill(QRect(r.Left, r.Bottom - 1, r.Width(), 1), c);
    SpanFill(QRect(r.Left, r.Top, 1, r.Height()), c);
    SpanFill(QRect(r.Right - 1, r.Top, 1, r.Height()), c);
}

void TCanvas::Rectangle(int l, int t, int r, int b)
{
    if (r < l)
        std::swap(l, r);
    if (b < t)
        std::swap(t, b);
    if (Pen.Style == psClear) {
        // Without a pen the filled area loses its right column and bottom row as well.
        if (Brush.Style != bsClear)
            SpanFill(QRect(l, t, r - l - 1, b - t - 1), Brush.Color);
        return;
    }
    if (Brush.Style != bsClear)
        SpanFill(QRect(l + 1, t + 1, r - l - 2, b - t - 2), Brush.Color);
    const TColor c = Pen.Color;
    SpanFill(QRect(l, t, r - l, 1), c);
    SpanFill(QRect(l, b - 1, r - l, 1), c);
    SpanFill(QRect(l, t, 1, b - t), c);
    SpanFill(QRect(r - 1, t, 1, b - t), c);
}

void TCanvas::RoundRect(int l, int t, int r, int b, int cornerWidth, int cornerHeight)
{
    if (!FPainter)
        return;
    FPainter->save();
    FPainter->setPen(Pen.Style == psClear ? QPen(Qt::NoPen) : QPen(ToQColor(Pen.Color), 0));
    FPainter->setBrush(Brush.Style == bsClear ? QBrush(Qt::NoBrush) : QBrush(ToQColor(Brush.Color)));
    FPainter->drawRoundedRect(QRect(l, t, r - l - 1, b - t - 1), cornerWidth / 2.0, cornerHeight / 2.0);
    FPainter->restore();
}

void TCanvas::Ellipse(int l, int t, int r, int b)
{
    if (!FPainter)
        return;
    FPainter->save();
    FPainter->setPen(Pen.Style == psClear ? QPen(Qt::NoPen) : QPen(ToQColor(Pen.Color), 0));
    FPainter->setBrush(Brush.Style == bsClear ? QBrush(Qt::NoBrush) : QBrush(ToQColor(Brush.Color)));
    FPainter->drawEllipse(QRect(l, t, r - l - 1, b - t - 1));
    FPainter->restore();
}

void TCanvas::Draw(int x, int y, const QImage& image)
{
    if (FPainter && !image.isNull())
        FPainter->drawImage(QPoint(x, y), image);
}

void TCanvas::StretchDraw(const TRect& r, const QImage& image)
{
    if (FPainter && !image.isNull())
        FPainter->drawImage(r.ToQRect(), image);
}

void TCanvas::DrawTransparent(int x, int y, const QImage& image, TColor transparentColor)
{
    if (!FPainter || image.isNull())
        return;
    const QRgb key = ToQColor(transparentColor).rgb() & 0xFFFFFF;
    QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
    for (int row = 0; row < keyed.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(row));
        for (int col = 0; col < keyed.width(); ++col)
            if ((line[col] & 0xFFFFFF) == key)
                line[col] = 0;
    }
    FPainter->drawImage(QPoint(x, y), keyed);
}

void TCanvas::CopyAnd(const TRect& dest, const QImage& source)
{
    if (!FPainter || source.isNull())
        return;
    if (auto* image = dynamic_cast<QImage*>(Device()); image && !FPainter->transform().isScaling()) {
        // Combine the colour bits directly, as a raster operation on the device would.
        const QPoint o = FPainter->transform().map(QPoint(dest.Left, dest.Top));
        const QImage src = source.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < dest.Height() && y < src.height(); ++y)
            for (int x = 0; x < dest.Width() && x < src.width(); ++x) {
                const int px = o.x() + x, py = o.y() + y;
                if (px < 0 || py < 0 || px >= image->width() || py >= image->height())
                    continue;
                const QRgb d = image->pixel(px, py);
                const QRgb s = src.pixel(x, y);
                image->setPixel(px, py, qRgba(qRed(d) & qRed(s), qGreen(d) & qGreen(s), qBlue(d) & qBlue(s), qAlpha(d)));
            }
        return;
    }
    FPainter->save();
    FPainter->setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    FPainter->drawImage(dest.ToQRect(), source);
    FPainter->restore();
}

void TCanvas::ApplyFont()
{
    FPainter->setFont(Font.ToQFont());
    FPainter->setPen(ToQColor(Font.Color));
}

int TCanvas::TextWidth(const QString& text) const
{
    return QFontMetrics(Font.ToQFont()).horizontalAdvance(text);
}

int TCanvas::TextHeight(const QString& text) const
{
    Q_UNUSED(text);
    return QFontMetrics(Font.ToQFont()).height();
}

void TCanvas::TextOut(int x, int y, const QString& text)
{
    if (!FPainter)
        return;
    const QFontMetrics fm(Font.ToQFont());
    const QRect box(x, y, fm.horizontalAdvance(text), fm.height());
    if (Brush.Style != bsClear && BkMode != TRANSPARENT)
        SpanFill(box, Brush.Color);
    FPainter->save();
    ApplyFont();
    if (TextFlags & ETO_RTLREADING)
        FPainter->setLayoutDirection(Qt::RightToLeft);
    FPainter->drawText(QPoint(x, y + fm.ascent()), text);
    FPainter->restore();
    PenPos = QPoint(x + box.width(), y);
}

void TCanvas::TextRect(const TRect& r, int x, int y, const QString& text)
{
    if (!FPainter)
        return;
    FPainter->save();
    FPainter->setClipRect(r.ToQRect(), Qt::IntersectClip);
    if (Brush.Style != bsClear)
        SpanFill(r.ToQRect(), Brush.Color);
    const TBrushStyle saved = Brush.Style;
    Brush.Style = bsClear;
    TextOut(x, y, text);
    Brush.Style = saved;
    FPainter->restore();
}

namespace {

// One line as drawn: its characters without prefix marks, and the characters that a
// single "&" before them underlines.
struct TTextLine {
    QString Text;
    std::vector<int> Underlined;
};

TTextLine StripPrefixes(const QString& text, bool prefix, bool hideUnderlines)
{
    TTextLine line;
    if (!prefix) {
        line.Text = text;
        return line;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (++i >= text.size())
                break;
            if (text[i] != QLatin1Char('&') && !hideUnderlines)
                line.Underlined.push_back(static_cast<int>(line.Text.size()));
        }
        line.Text += text[i];
    }
    return line;
}

// The lines DrawText shows: one for DT_SINGLELINE, else one per line break, each
// broken at words to fit `width` with DT_WORDBREAK.
std::vector<TTextLine> BreakLines(const QString& text, const QFont& font, int width, unsigned flags)
{
    const bool prefix = !(flags & DT_NOPREFIX);
    const bool hide = flags & DT_HIDEPREFIX;
    if (flags & DT_SINGLELINE)
        return {StripPrefixes(text, prefix, hide)};
    std::vector<TTextLine> lines;
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QString& paragraph : normalised.split(QLatin1Char('\n'))) {
        TTextLine whole = StripPrefixes(paragraph, prefix, hide);
        if (!(flags & DT_WORDBREAK) || whole.Text.isEmpty()) {
            lines.push_back(std::move(whole));
            continue;
        }
        QTextLayout layout(whole.Text, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
            l.setLineWidth(std::max(0, width));
            TTextLine part;
            const int from = l.textStart(), count = l.textLength();
            part.Text = whole.Text.mid(from, count);
            while (part.Text.endsWith(QLatin1Char(' ')))
                part.Text.chop(1);
            for (int u : whole.Underlined)
                if (u >= from && u < from + count)
                    part.Underlined.push_back(u - from);
            lines.push_back(std::move(part));
        }
        layout.endLayout();
    }
    return lines;
}

} // namespace

// Every line is drawn on the baseline the font's own ascent gives below the line's
// top, whatever fonts its glyphs come from: Qt's own layout would take the line's
// ascent from the tallest fallback font and move mixed Chinese and Latin text down.
int TCanvas::DrawText(const QString& text, TRect& r, unsigned flags)
{
    const QFont font = Font.ToQFont();
    const QFontMetrics fm(font);
    QString shown = text;
    if (flags & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) {
        const Qt::TextElideMode mode = (flags & DT_PATH_ELLIPSIS) ? Qt::ElideMiddle : Qt::ElideRight;
        shown = fm.elidedText(text, mode, r.Width(), (flags & DT_NOPREFIX) ? 0 : int(Qt::TextShowMnemonic));
    }
    const std::vector<TTextLine> lines = BreakLines(shown, font, r.Width(), flags);
    const int lineHeight = fm.height();
    const int height = lineHeight * static_cast<int>(lines.size());
    std::vector<int> widths;
    int widest = 0;
    for (const TTextLine& line : lines) {
        widths.push_back(fm.horizontalAdvance(line.Text));
        widest = std::max(widest, widths.back());
    }
    if (flags & DT_CALCRECT) {
        r.Right = r.Left + widest;
        r.Bottom = r.Top + height;
        return height;
    }
    if (!FPainter)
        return height;
    int top = r.Top;
    // Vertical placement only applies to a single line, as with the platform.
    if ((flags & DT_SINGLELINE) && (flags & DT_VCENTER))
        top = r.Top + (r.Height() - lineHeight) / 2;
    else if ((flags & DT_SINGLELINE) && (flags & DT_BOTTOM))
        top = r.Bottom - lineHeight;
    FPainter->save();
    if (!(flags & DT_NOCLIP))
        FPainter->setClipRect(r.ToQRect(), Qt::IntersectClip);
    ApplyFont();
    if (flags & DT_RTLREADING)
        FPainter->setLayoutDirection(Qt::RightToLeft);
    const QColor ink = ToQColor(Font.Color);
    for (std::size_t i = 0; i < lines.size(); ++i, top += lineHeight) {
        const TTextLine& line = lines[i];
        const int w = widths[i];
        int x = r.Left;
        if (flags & DT_CENTER)
            x = r.Left + (r.Width() - w) / 2;
        else if (flags & DT_RIGHT)
            x = r.Right - w;
        if (Brush.Style != bsClear && BkMode != TRANSPARENT)
            SpanFill(QRect(x, top, w, lineHeight), Brush.Color);
        const int baseline = top + fm.ascent();
        FPainter->drawText(QPoint(x, baseline), line.Text);
        for (int u : line.Underlined) {
            const int from = x + fm.horizontalAdvance(line.Text.left(u));
            const int width = fm.horizontalAdvance(line.Text.mid(u, 1));
            FPainter->fillRect(QRect(from, baseline + fm.underlinePos(), width, std::max(1, fm.lineWidth())), ink);
        }
    }
    FPainter->restore();
    return height;
}

int DrawText(TCanvas* canvas, const QString& text, TRect& r, unsigned flags)
{
    return canvas->DrawText(text, r, flags);
}

int SetBkMode(TCanvas* canvas, int mode)
{
    const int previous = canvas->BkMode;
    canvas->BkMode = mode;
    return previous;
}

TColor TCanvas::Pixel(int x, int y) const
{
    if (!FPainter || !FPainter->isActive())
        return clNone;
    // The engine's device is the one really painted: a widget painter is redirected
    // to its window's backing store, with the offset in the device transform.
    QPaintDevice* device = FPainter->paintEngine() ? FPainter->paintEngine()->paintDevice() : nullptr;
    if (!device)
        device = Device();
    const QPoint p = FPainter->deviceTransform().map(QPoint(x, y));
    if (device && device->devType() == QInternal::Image) {
        const auto* image = static_cast<const QImage*>(device);
        if (!image->valid(p))
            return clNone;
        return FromQColor(QColor(image->pixel(p)));
    }
    if (device && device->devType() == QInternal::Pixmap) {
        const QImage image = static_cast<const QPixmap*>(device)->copy(QRect(p, QSize(1, 1))).toImage();
        return image.isNull() ? clNone : FromQColor(QColor(image.pixel(0, 0)));
    }
    return clNone;
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    SpanFill(QRect(x, y, 1, 1), color);
}

void Frame3D(TCanvas* canvas, TRect& r, TColor topColor, TColor bottomColor, int width)
{
    canvas->Pen.Width = 1;
    canvas->Pen.Style = psSolid;
    r.Bottom -= 1;
    r.Right -= 1;
    while (width > 0) {
        --width;
        canvas->Pen.Color = topColor;
        canvas->Polyline({QPoint(r.Left, r.Bottom), QPoint(r.Left, r.Top), QPoint(r.Right, r.Top)});
        canvas->Pen.Color = bottomColor;
        canvas->Polyline({QPoint(r.Right, r.Top), QPoint(r.Right, r.Bottom), QPoint(r.Left - 1, r.Bottom)});
        InflateRect(r, -1, -1);
    }
    r.Bottom += 1;
    r.Right += 1;
}

void DrawFocusRect(TCanvas* canvas, const TRect& r, TColor color)
{
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    const int right = r.Right - 1, bottom = r.Bottom - 1;
    auto dot = [&](int x, int y) {
        if ((x + y) % 2 == 0)
            canvas->SetPixel(x, y, color);
    };
    for (int x = r.Left; x <= right; ++x) {
        dot(x, r.Top);
        if (bottom != r.Top)
            dot(x, bottom);
    }
    for (int y = r.Top + 1; y < bottom; ++y) {
        dot(r.Left, y);
        if (right != r.Left)
            dot(right, y);
    }
}

// ---- TBitmap

void TBitmap::SetSize(int width, int height)
{
    FCanvas.reset();
    if (width <= 0 || height <= 0) {
        FImage = QImage();
        return;
    }
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (!FImage.isNull()) {
        QPainter p(&image);
        p.drawImage(0, 0, FImage);
    }
    FImage = image;
}

void TBitmap::Assign(const QImage& image)
{
    FCanvas.reset();
    FImage = image.convertToFormat(QImage::Format_ARGB32);
}

TCanvas* TBitmap::Canvas()
{
    if (!FCanvas && !FImage.isNull())
        FCanvas = std::make_unique<TCanvas>(&FImage);
    return FCanvas.get();
}
