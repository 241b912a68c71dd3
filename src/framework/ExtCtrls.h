// Panels, splitters, images and timers.
#pragma once

#include "framework/Controls.h"
#include "platform/Icon.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// The image of an icon handle (transparent where the icon is); null for no icon.
QImage HIconToImage(HICON icon);
// The same of a decoded icon image.
QImage IconToImage(const gw::IconImage& image);

// The same icon drawn on `side` device pixels, for screens with more pixels than
// points; a null image when there is no such drawing.
using TIconRendition = std::function<QImage(int side)>;

class TCustomPanel : public QWidget, public TControl {
    Q_OBJECT
public:
    explicit TCustomPanel(QWidget* parent, TComponent* owner = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& caption);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut bevel);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut bevel);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int width);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int width);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void UpdateMargins();

    QString FCaption;
    TBevelCut FBevelOuter = bvRaised;
    TBevelCut FBevelInner = bvNone;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
};

class TPanel : public TCustomPanel {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent, TComponent* owner = nullptr) : TCustomPanel(parent, owner) {}
};

// Resizes the control aligned against it on the same side when dragged.
class TSplitter : public QWidget, public TControl {
    Q_OBJECT
public:
    explicit TSplitter(QWidget* parent, TComponent* owner = nullptr);

    int MinSize() const { return FMinSize; }
    void SetMinSize(int size) { FMinSize = size; }
    // The control this splitter resizes, or null.
    QWidget* FindControl() const;
    // Moves the splitter by `delta` pixels as a drag would (positive: right or down),
    // then runs OnMoved when something changed.
    void MoveBy(int delta);

    TNotifyEvent OnMoved;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool ResizeBy(int delta);
    bool Horizontal() const;

    int FMinSize = 30;
    QPointer<QWidget> FControl;
    QPoint FDownPos;
    int FDownSize = 0;
    bool FDragging = false;
    bool FMoved = false;
};

// A picture: an icon (owned handle) or a bitmap.
class TPicture {
public:
    TIcon* Icon() { return &FIcon; }
    TBitmap* Bitmap() { return &FBitmap; }
    // The image to show: the icon when it has a handle, else the bitmap.
    QImage Image() const;
    std::function<void()> OnChange;
    void Changed() { if (OnChange) OnChange(); }

private:
    TIcon FIcon;
    TBitmap FBitmap;
};

// Shows its picture at its natural size in the top left corner, or stretched over
// the whole control. A click (press and release inside) runs OnClick.
class TImage : public QWidget, public TControl {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent, TComponent* owner = nullptr);
    TPicture* Picture() { return &FPicture; }
    // Gives `icon` to the picture (which owns it from then on) and repaints. On a screen
    // of device pixel ratio above 1, `sharper` is asked once per ratio for the icon on
    // that many device pixels, and what it gives is drawn in the icon's place when it
    // has more pixels than the icon itself.
    void SetIcon(HICON icon, TIconRendition sharper = {});
    // Makes the picture a copy of `image` and repaints.
    void SetBitmap(const QImage& image);
    // With AutoSize the control takes the size of each picture it gets.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool autoSize);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool stretch);
    bool IsGraphicControl() const override { return true; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void PictureChanged();
    // The sharper drawing of the icon for this screen, or a null image.
    QImage SharpImage(const QImage& image);

    TPicture FPicture;
    TIconRendition FSharper;
    int FSharpSide = 0;
    QImage FSharpImage;
    bool FAutoSize = false;
    bool FStretch = false;
    bool FPressed = false;
};

// A control bar: each child control is a band, laid out left to right in one row, with
// an 11-pixel grip before it. OnBandPaint paints a band's background and grip; the
// options it leaves say what the bar still draws itself.
enum TBandPaintOption : unsigned { bpoGrabber = 1, bpoFrame = 2 };
using TBandPaintOptions = unsigned;
using TBandPaintEvent =
    TEvent<void(TObject* Sender, TControl* Control, TCanvas* Canvas, TRect& ARect, TBandPaintOptions& Options)>;

class TControlBar : public QWidget, public TControl {
    Q_OBJECT
public:
    explicit TControlBar(QWidget* parent, TComponent* owner = nullptr);

    // The band of `control`: its bounds widened by the grip on the left.
    TRect BandRect(QWidget* control) const;
    // Places the bands left to right in creation order.
    void ArrangeBands();

    TBandPaintEvent OnBandPaint;

    static constexpr int kGripWidth = 11;

protected:
    void paintEvent(QPaintEvent* event) override;
    void childEvent(QChildEvent* event) override;
};

// Ticks every Interval milliseconds while Enabled, on the GUI thread, also inside
// message loops that its own OnTimer runs.
class TTimer : public QObject, public TComponent {
    Q_OBJECT
public:
    explicit TTimer(TComponent* owner);

    int Interval() const { return FInterval; }
    void SetInterval(int ms);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);

    TNotifyEvent OnTimer;

private:
    void Update();

    QTimer FTimer;
    int FInterval = 1000;
    bool FEnabled = true;
};
