// Speed buttons (flat, windowless-style buttons with a glyph, a caption and a down
// state) and bitmap buttons.
#pragma once

#include "framework/Controls.h"
#include "framework/StdCtrls.h"

#include <QAbstractButton>

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TSpeedButton : public QAbstractButton, public TControl {
    Q_OBJECT
public:
    explicit TSpeedButton(QWidget* parent, TComponent* owner = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    bool Flat() const { return FFlat; }
    void SetFlat(bool flat) { FFlat = flat; update(); }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool transparent) { FTransparent = transparent; update(); }
    // A button with a GroupIndex stays down when clicked; with AllowAllUp a click on a
    // down button releases it. Buttons of one group exclude each other.
    bool Down() const { return FDown; }
    void SetDown(bool down);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int index) { FGroupIndex = index; }
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool allow) { FAllowAllUp = allow; }
    TBitmap* Glyph() { return &FGlyph; }
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int n) { FNumGlyphs = std::max(1, n); update(); }
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout layout) { FLayout = layout; update(); }
    int Spacing() const { return FSpacing; }
    void SetSpacing(int spacing) { FSpacing = spacing; update(); }
    // The pointer is over the button.
    bool MouseInControl() const { return FMouseIn; }
    bool IsGraphicControl() const override { return true; }
    // Runs OnClick without changing Down.
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool FFlat = false;
    bool FTransparent = true;
    bool FDown = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    TBitmap FGlyph;
    int FNumGlyphs = 1;
    TButtonLayout FLayout = blGlyphLeft;
    int FSpacing = 4;
    bool FMouseIn = false;
    bool FUserClick = false;
};

// A push button with a glyph beside its caption.
class TBitBtn : public TButton {
    Q_OBJECT
public:
    explicit TBitBtn(QWidget* parent, TComponent* owner = nullptr);

    TBitmap* Glyph() { return &FGlyph; }
    // Call after changing the glyph's pixels.
    void GlyphChanged();
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int n) { FNumGlyphs = std::max(1, n); GlyphChanged(); }
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout layout) { FLayout = layout; update(); }
    int Spacing() const { return FSpacing; }
    void SetSpacing(int spacing) { FSpacing = spacing; update(); }

private:
    TBitmap FGlyph;
    int FNumGlyphs = 1;
    TButtonLayout FLayout = blGlyphLeft;
    int FSpacing = 4;
};
