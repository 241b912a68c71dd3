// The plain look and measures of combo boxes, check boxes, radio buttons and group
// boxes, as the framework's controls lay them out.
#pragma once

#include <QProxyStyle>
#include <QStyledItemDelegate>

// Over the application's style: no gradients, a combo box button SM_CXHTHUMB + 1 wide
// inside a two-pixel edge, its list dropping below the box, check and radio boxes
// centred in the band that a box of SM_CXHTHUMB pixels takes at the reading side,
// and a group box frame starting half a caption height below the top. Hooks that
// repaint these controls (the flat look) rely on these places.
class TPlainStyle : public QProxyStyle {
public:
    // One instance for the application.
    static TPlainStyle* Instance();

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override;
    QRect subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    // Captions go through the canvas: one baseline per font, whatever the script.
    void drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& pal, bool enabled,
                      const QString& text, QPalette::ColorRole textRole) const override;

private:
    TPlainStyle() : QProxyStyle(nullptr) {}
};

class QAbstractScrollArea;
// Gives `area`, its scroll bars and its header (a tree view's) the plain style.
void UsePlainStyle(QAbstractScrollArea* area);

// Rows of a dropped-down list: a flat fill in the selection colours, the icon as it
// is, the text on its font's baseline.
class TFlatItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
