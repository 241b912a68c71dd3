// Colours, fonts, pens, brushes, bitmaps and the canvas with the platform's drawing rules.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QPainter;
class QWidget;
class QPaintDevice;

// A colour: 0x00BBGGRR, or a system colour index with the top bit set.
using TColor = std::uint32_t;

inline constexpr TColor clSystemColor = 0x80000000u;
inline constexpr TColor clScrollBar = clSystemColor | 0;
inline constexpr TColor clBackground = clSystemColor | 1;
inline constexpr TColor clActiveCaption = clSystemColor | 2;
inline constexpr TColor clInactiveCaption = clSystemColor | 3;
inline constexpr TColor clMenu = clSystemColor | 4;
inline constexpr TColor clWindow = clSystemColor | 5;
inline constexpr TColor clWindowFrame = clSystemColor | 6;
inline constexpr TColor clMenuText = clSystemColor | 7;
inline constexpr TColor clWindowText = clSystemColor | 8;
inline constexpr TColor clCaptionText = clSystemColor | 9;
inline constexpr TColor clActiveBorder = clSystemColor | 10;
inline constexpr TColor clInactiveBorder = clSystemColor | 11;
inline constexpr TColor clAppWorkSpace = clSystemColor | 12;
inline constexpr TColor clHighlight = clSystemColor | 13;
inline constexpr TColor clHighlightText = clSystemColor | 14;
inline constexpr TColor clBtnFace = clSystemColor | 15;
inline constexpr TColor clBtnShadow = clSystemColor | 16;
inline constexpr TColor clGrayText = clSystemColor | 17;
inline constexpr TColor clBtnText = clSystemColor | 18;
inline constexpr TColor clInactiveCaptionText = clSystemColor | 19;
inline constexpr TColor clBtnHighlight = clSystemColor | 20;
inline constexpr TColor cl3DDkShadow = clSystemColor | 21;
inline constexpr TColor cl3DLight = clSystemColor | 22;
inline constexpr TColor clInfoText = clSystemColor | 23;
inline constexpr TColor clInfoBk = clSystemColor | 24;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

inline constexpr TColor RGB(int r, int g, int b)
{
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline constexpr int GetRValue(TColor c) { return static_cast<int>(c & 0xFF); }
inline constexpr int GetGValue(TColor c) { return static_cast<int>((c >> 8) & 0xFF); }
inline constexpr int GetBValue(TColor c) { return static_cast<int>((c >> 16) & 0xFF); }

// System colour `index` (COLOR_BTNFACE ...) from the running application palette.
TColor GetSysColor(int index);
// Resolves a system colour; an RGB value is returned unchanged.
TColor ColorToRGB(TColor color);
// How far apart two colours read: (L1 + 0.05) / (L2 + 0.05) of their relative sRGB
// luminances, the lighter one first; 1 (alike) to 21 (black on white).
double ContrastRatio(TColor a, TColor b);
// `text` where it reads on `surface` (4.5:1 or more), else black or white, whichever
// reads better there (one of them always reaches 4.5:1).
TColor ReadableOn(TColor text, TColor surface);
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);

// The platform's rectangle: right column and bottom row are outside.
struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    constexpr TRect() = default;
    constexpr TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
    TRect(const QRect& r) : Left(r.left()), Top(r.top()), Right(r.left() + r.width()), Bottom(r.top() + r.height()) {}
    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    QRect ToQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    constexpr bool operator==(const TRect&) const = default;
};
inline TRect Rect(int l, int t, int r, int b) { return TRect(l, t, r, b); }
inline void InflateRect(TRect& r, int dx, int dy) { r.Left -= dx; r.Top -= dy; r.Right += dx; r.Bottom += dy; }
inline void OffsetRect(TRect& r, int dx, int dy) { r.Left += dx; r.Right += dx; r.Top += dy; r.Bottom += dy; }

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// A font: Height < 0 is the character height in pixels, Height > 0 the cell height.
struct TFont {
    QString Name = QStringLiteral("Sans Serif");
    int Height = -11;
    TFontStyles Style = 0;
    TColor Color = clWindowText;
    int Charset = 1;

    int Size() const { return (-Height * 72 + 48) / 96; }
    void SetSize(int points) { Height = -((points * 96 + 36) / 72); }
    QFont ToQFont() const;
    static TFont FromQFont(const QFont& font, TColor color = clWindowText);
    bool operator==(const TFont&) const = default;
};

// The desktop's menu font, in the menu text colour.
TFont SystemMenuFont();
// A font of `name` with `height` as a platform font height (negative: character height).
QFont MakeFont(const QString& name, int height);

enum TBrushStyle { bsSolid, bsClear };
struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
};

enum TPenStyle { psSolid, psDash, psDot, psClear };
struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
};

// DrawText flags.
inline constexpr unsigned DT_TOP = 0x0;
inline constexpr unsigned DT_LEFT = 0x0;
inline constexpr unsigned DT_CENTER = 0x1;
inline constexpr unsigned DT_RIGHT = 0x2;
inline constexpr unsigned DT_VCENTER = 0x4;
inline constexpr unsigned DT_BOTTOM = 0x8;
inline constexpr unsigned DT_WORDBREAK = 0x10;
inline constexpr unsigned DT_SINGLELINE = 0x20;
inline constexpr unsigned DT_EXPANDTABS = 0x40;
inline constexpr unsigned DT_NOCLIP = 0x100;
inline constexpr unsigned DT_CALCRECT = 0x400;
inline constexpr unsigned DT_NOPREFIX = 0x800;
inline constexpr unsigned DT_PATH_ELLIPSIS = 0x4000;
inline constexpr unsigned DT_END_ELLIPSIS = 0x8000;
inline constexpr unsigned DT_RTLREADING = 0x20000;
// Prefix marks are removed without underlining the characters after them.
inline constexpr unsigned DT_HIDEPREFIX = 0x100000;

inline constexpr unsigned ETO_RTLREADING = 0x80;

// Text background modes (SetBkMode).
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// A canvas over a QPainter that draws by the platform's rules: a line covers its
// start and not its end point; a rectangle covers Left..Right-1 and Top..Bottom-1.
// Pen, Brush and Font are applied at each operation.
class TCanvas {
public:
    TCanvas();
    // Paints on `device` with a painter of its own.
    explicit TCanvas(QPaintDevice* device);
    // Paints through an active painter owned by someone else.
    explicit TCanvas(QPainter* painter);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TFont Font;
    TBrush Brush;
    TPen Pen;
    QPoint PenPos;
    // ExtTextOut options (ETO_RTLREADING).
    unsigned TextFlags = 0;
    // OPAQUE: text drawn with a solid brush is filled behind with the brush colour;
    // TRANSPARENT: text never fills behind itself.
    int BkMode = OPAQUE;
    // The window this canvas paints for (a menu's window while its items are drawn),
    // or null.
    QWidget* Window = nullptr;

    QPainter* Painter() const { return FPainter; }
    QPaintDevice* Device() const;
    bool HandleAllocated() const { return FPainter != nullptr; }

    void MoveTo(int x, int y) { PenPos = QPoint(x, y); }
    void LineTo(int x, int y);
    void Polyline(const std::vector<QPoint>& points);
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void Rectangle(int l, int t, int r, int b);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int l, int t, int r, int b, int cornerWidth, int cornerHeight);
    void Ellipse(int l, int t, int r, int b);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void Draw(int x, int y, const QImage& image);
    void StretchDraw(const TRect& r, const QImage& image);
    // Draws `image` at (x, y) leaving out every pixel of `transparentColor`.
    void DrawTransparent(int x, int y, const QImage& image, TColor transparentColor);
    // Copies `source` onto `dest` combined by a bitwise AND of the colour bits.
    void CopyAnd(const TRect& dest, const QImage& source);

    void TextOut(int x, int y, const QString& text);
    void TextRect(const TRect& r, int x, int y, const QString& text);
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    // DrawText with DT_ flags; with DT_CALCRECT only `r` is updated. Returns the height.
    int DrawText(const QString& text, TRect& r, unsigned flags);

    // Reads what has been painted so far, on images as on widgets during their paint
    // event; clNone outside the device or where the device cannot be read.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    // The device's colour depth; a test may pretend another display depth.
    int BitsPerPixel() const;
    static void SetDisplayDepthOverride(int bits) { sDepthOverride = bits; }

private:
    void SpanFill(const QRect& r, TColor color);
    void PlotLine(QPoint a, QPoint b, TColor color);
    void ApplyFont();

    std::unique_ptr<QPainter> FOwnPainter;
    QPainter* FPainter = nullptr;
    static inline int sDepthOverride = 0;
};

void Frame3D(TCanvas* canvas, TRect& r, TColor topColor, TColor bottomColor, int width);
// The platform's dotted focus rectangle: every other pixel of `r`'s outline, those whose
// x + y is even, so that neighbouring rectangles keep one pattern.
void DrawFocusRect(TCanvas* canvas, const TRect& r, TColor color = clWindowText);
int DrawText(TCanvas* canvas, const QString& text, TRect& r, unsigned flags);
// Sets the text background mode; returns the previous one.
int SetBkMode(TCanvas* canvas, int mode);

// A device-independent 32-bit bitmap with its own canvas.
class TBitmap {
public:
    TBitmap() = default;
    TBitmap(int width, int height) { SetSize(width, height); }
    int Width() const { return FImage.width(); }
    int Height() const { return FImage.height(); }
    void SetSize(int width, int height);
    bool Empty() const { return FImage.isNull(); }
    QImage& Image() { return FImage; }
    const QImage& Image() const { return FImage; }
    void Assign(const QImage& image);
    // A canvas on the bitmap, created on first use; released by ReleaseCanvas or
    // before the bitmap changes size.
    TCanvas* Canvas();
    void ReleaseCanvas() { FCanvas.reset(); }

private:
    QImage FImage;
    std::unique_ptr<TCanvas> FCanvas;
};
