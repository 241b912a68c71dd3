// The plain look and measures of combo boxes, check boxes, radio buttons and group boxes.
#include "framework/PlainStyle.h"

#include "framework/Controls.h"
#include "framework/Graphics.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTreeView>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>

namespace {

// The edge a combo box draws inside its own rectangle, and the side of its button.
constexpr int kComboEdge = 2;

int ComboButtonWidth() { return GetSystemMetrics(SM_CXHTHUMB) + 1; }

// Side of the check or radio box: the box the platform draws inside the band of
// SM_CXHTHUMB pixels that the control reserves for it.
int IndicatorSide() { return std::max(6, GetSystemMetrics(SM_CXHTHUMB) - 4); }

int TitleHeight(const QStyleOption* option) { return option->fontMetrics.height(); }

// Two lines of a sunken (or raised) edge along `r`'s sides.
void Edge(QPainter* p, const QRect& r, const QColor& topLeft, const QColor& bottomRight)
{
    p->setPen(topLeft);
    p->drawLine(r.left(), r.bottom() - 1, r.left(), r.top());
    p->drawLine(r.left(), r.top(), r.right() - 1, r.top());
    p->setPen(bottomRight);
    p->drawLine(r.right(), r.top(), r.right(), r.bottom());
    p->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
}

void DrawCombo(const QStyleOptionComboBox* cb, QPainter* p, const QRect& arrowRect)
{
    const QPalette& pal = cb->palette;
    const QRect r = cb->rect;
    // The field in the control's own colour, with one pixel of it inside the edge.
    p->fillRect(r, pal.color(QPalette::Window));
    Edge(p, r, pal.color(QPalette::Dark), pal.color(QPalette::Light));
    if (!(cb->subControls & QStyle::SC_ComboBoxArrow))
        return;
    // The button: a flat face with a one-pixel raised edge (flush when pressed) and a
    // solid arrow in its middle.
    const QColor face = QApplication::palette().color(QPalette::Button);
    p->fillRect(arrowRect, face);
    const bool sunken = (cb->activeSubControls & QStyle::SC_ComboBoxArrow) && (cb->state & QStyle::State_Sunken);
    if (sunken)
        Edge(p, arrowRect, pal.color(QPalette::Dark), pal.color(QPalette::Dark));
    else
        Edge(p, arrowRect, pal.color(QPalette::Light), pal.color(QPalette::Dark));
    const bool enabled = cb->state & QStyle::State_Enabled;
    p->setPen(enabled ? pal.color(QPalette::ButtonText) : pal.color(QPalette::Disabled, QPalette::ButtonText));
    const int cx = arrowRect.center().x() + (sunken ? 1 : 0);
    const int cy = arrowRect.center().y() - 1 + (sunken ? 1 : 0);
    for (int i = 0; i < 4; ++i)
        p->drawLine(cx - 3 + i, cy + i, cx + 3 - i, cy + i);
}

void DrawGroupBox(const QStyleOptionGroupBox* gb, QPainter* p, const QRect& frame, const QRect& label,
                  const QStyle* style)
{
    const QPalette& pal = gb->palette;
    if (gb->subControls & QStyle::SC_GroupBoxFrame) {
        // An etched line: shadow outside, light inside.
        p->setPen(pal.color(QPalette::Dark));
        p->drawRect(frame.adjusted(0, 0, -2, -2));
        p->setPen(pal.color(QPalette::Light));
        p->drawLine(frame.left() + 1, frame.top() + 1, frame.right() - 2, frame.top() + 1);
        p->drawLine(frame.left() + 1, frame.top() + 1, frame.left() + 1, frame.bottom() - 2);
        p->drawLine(frame.left(), frame.bottom(), frame.right(), frame.bottom());
        p->drawLine(frame.right(), frame.top(), frame.right(), frame.bottom());
    }
    if ((gb->subControls & QStyle::SC_GroupBoxLabel) && !gb->text.isEmpty()) {
        p->fillRect(label, pal.color(QPalette::Window));
        style->drawItemText(p, label, Qt::AlignCenter | Qt::TextShowMnemonic, pal, gb->state & QStyle::State_Enabled,
                            gb->text, QPalette::WindowText);
    }
}

QColor Mix(const QColor& a, const QColor& b)
{
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

// A solid arrow of four rows (7, 5, 3, 1 pixels) pointing along `direction`, centred
// in `r`.
void Arrow(QPainter* p, const QRect& r, Qt::ArrowType direction, const QColor& colour)
{
    const QPoint c = r.center();
    for (int i = 0; i < 4; ++i) {
        const int half = 3 - i;
        switch (direction) {
        case Qt::UpArrow: p->fillRect(c.x() - half, c.y() + 1 - i, 2 * half + 1, 1, colour); break;
        case Qt::DownArrow: p->fillRect(c.x() - half, c.y() - 1 + i, 2 * half + 1, 1, colour); break;
        case Qt::LeftArrow: p->fillRect(c.x() + 1 - i, c.y() - half, 1, 2 * half + 1, colour); break;
        default: p->fillRect(c.x() - 1 + i, c.y() - half, 1, 2 * half + 1, colour); break;
        }
    }
}

// A flat face with a one-pixel raised edge, or a flat shadow edge while pressed.
void Face(QPainter* p, const QRect& r, const QPalette& pal, bool pressed)
{
    if (r.isEmpty())
        return;
    p->fillRect(r, pal.color(QPalette::Button));
    if (pressed)
        Edge(p, r, pal.color(QPalette::Dark), pal.color(QPalette::Dark));
    else
        Edge(p, r, pal.color(QPalette::Light), pal.color(QPalette::Dark));
}

void DrawScrollBar(const QStyleOptionSlider* sb, QPainter* p, const QStyle* style, const QWidget* widget)
{
    const QPalette& pal = sb->palette;
    // The track: button face and white mixed, as the platform dithers them.
    p->fillRect(sb->rect, Mix(pal.color(QPalette::Button), pal.color(QPalette::Light)));
    const bool horizontal = sb->orientation == Qt::Horizontal;
    const bool enabled = (sb->state & QStyle::State_Enabled) && sb->maximum > sb->minimum;
    const QColor ink = pal.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    const struct {
        QStyle::SubControl Sub;
        Qt::ArrowType Arrow;
    } lines[] = {{QStyle::SC_ScrollBarSubLine, horizontal ? Qt::LeftArrow : Qt::UpArrow},
                 {QStyle::SC_ScrollBarAddLine, horizontal ? Qt::RightArrow : Qt::DownArrow}};
    for (const auto& line : lines) {
        const QRect r = style->subControlRect(QStyle::CC_ScrollBar, sb, line.Sub, widget);
        const bool pressed = (sb->activeSubControls & line.Sub) && (sb->state & QStyle::State_Sunken);
        Face(p, r, pal, pressed);
        Arrow(p, r.translated(pressed ? 1 : 0, pressed ? 1 : 0), line.Arrow, ink);
    }
    if (enabled)
        Face(p, style->subControlRect(QStyle::CC_ScrollBar, sb, QStyle::SC_ScrollBarSlider, widget), pal, false);
}

} // namespace

void UsePlainStyle(QAbstractScrollArea* area)
{
    area->setStyle(TPlainStyle::Instance());
    area->verticalScrollBar()->setStyle(TPlainStyle::Instance());
    area->horizontalScrollBar()->setStyle(TPlainStyle::Instance());
    if (auto* tree = qobject_cast<QTreeView*>(area))
        tree->header()->setStyle(TPlainStyle::Instance());
}

void TFlatItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const bool selected = opt.state & QStyle::State_Selected;
    const QRect r = opt.rect;
    painter->fillRect(r, opt.palette.color(selected ? QPalette::Highlight : QPalette::Base));
    int x = r.left() + 2;
    if (!opt.icon.isNull()) {
        const QSize s = opt.decorationSize;
        opt.icon.paint(painter, QRect(x, r.top() + (r.height() - s.height()) / 2, s.width(), s.height()),
                       Qt::AlignCenter, QIcon::Normal);
        x += s.width() + 4;
    }
    TCanvas canvas(painter);
    const QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Active : QPalette::Disabled;
    canvas.Font = TFont::FromQFont(opt.font, FromQColor(opt.palette.color(group, selected ? QPalette::HighlightedText
                                                                                            : QPalette::Text)));
    canvas.Brush.Style = bsClear;
    TRect text(x, r.top(), r.left() + r.width(), r.top() + r.height());
    canvas.DrawText(opt.text, text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

TPlainStyle* TPlainStyle::Instance()
{
    static QPointer<TPlainStyle> style;
    if (!style) {
        style = new TPlainStyle;
        style->setParent(qApp);
    }
    return style;
}

int TPlainStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                           QStyleHintReturn* returnData) const
{
    // The list drops below the box instead of covering it.
    if (hint == SH_ComboBox_Popup)
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

int TPlainStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
        return IndicatorSide();
    case PM_CheckBoxLabelSpacing:
    case PM_RadioButtonLabelSpacing:
        // The caption starts where the band of the box ends.
        return GetSystemMetrics(SM_CXHTHUMB) + 1 - IndicatorSide();
    case PM_ComboBoxFrameWidth:
        return kComboEdge;
    case PM_ScrollBarExtent:
        return GetSystemMetrics(SM_CXVSCROLL);
    case PM_ScrollBarSliderMin:
        return 8;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QRect TPlainStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                                  const QWidget* widget) const
{
    if (control == CC_ComboBox && qstyleoption_cast<const QStyleOptionComboBox*>(option)) {
        const QRect r = option->rect;
        const int bw = ComboButtonWidth();
        QRect result;
        switch (sub) {
        case SC_ComboBoxFrame:
            result = r;
            break;
        case SC_ComboBoxListBoxPopup:
            // The list's top edge is the row below the box.
            result = r.adjusted(0, 0, 0, 1);
            break;
        case SC_ComboBoxArrow:
            result = QRect(r.right() + 1 - kComboEdge - bw, r.top() + kComboEdge, bw, r.height() - 2 * kComboEdge);
            break;
        case SC_ComboBoxEditField:
            result = QRect(r.left() + kComboEdge + 1, r.top() + kComboEdge + 1,
                           r.width() - 2 * kComboEdge - bw - 2, r.height() - 2 * kComboEdge - 2);
            break;
        default:
            return QProxyStyle::subControlRect(control, option, sub, widget);
        }
        return visualRect(option->direction, r, result);
    }
    if (control == CC_GroupBox) {
        const auto* gb = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (gb && !(gb->subControls & SC_GroupBoxCheckBox)) {
            const QRect r = option->rect;
            const int th = TitleHeight(option);
            QRect result;
            switch (sub) {
            case SC_GroupBoxFrame:
                result = r.adjusted(0, th / 2, 0, 0);
                break;
            case SC_GroupBoxLabel:
                // A blank pixel on either side of the caption, which starts at 9.
                result = QRect(r.left() + 8, r.top(), option->fontMetrics.horizontalAdvance(gb->text) + 2, th);
                break;
            case SC_GroupBoxContents:
                result = r.adjusted(2, th, -2, -2);
                break;
            default:
                return QProxyStyle::subControlRect(control, option, sub, widget);
            }
            return visualRect(option->direction, r, result);
        }
    }
    return QProxyStyle::subControlRect(control, option, sub, widget);
}

QRect TPlainStyle::subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const
{
    switch (element) {
    case SE_CheckBoxIndicator:
    case SE_RadioButtonIndicator: {
        // At the reading side, centred vertically.
        const QRect r = option->rect;
        const int n = IndicatorSide();
        return visualRect(option->direction, r, QRect(r.left(), r.top() + (r.height() - n) / 2, n, n));
    }
    case SE_CheckBoxContents:
    case SE_RadioButtonContents: {
        // The caption starts where the band of the box ends, so that the focus rectangle
        // one pixel out from it stands clear of the box.
        const QRect r = option->rect;
        const int band = GetSystemMetrics(SM_CXHTHUMB) + 1;
        return visualRect(option->direction, r, QRect(r.left() + band, r.top(), std::max(0, r.width() - band), r.height()));
    }
    case SE_CheckBoxFocusRect:
    case SE_RadioButtonFocusRect: {
        // Around the caption, one pixel out.
        const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
        const QRect contents =
            subElementRect(element == SE_CheckBoxFocusRect ? SE_CheckBoxContents : SE_RadioButtonContents, option, widget);
        if (!button || button->text.isEmpty())
            return contents;
        // At the side where the caption starts: the right one when the box stands at the
        // right.
        const Qt::Alignment side = visualAlignment(option->direction, Qt::AlignLeft | Qt::AlignVCenter);
        const QRect text = itemTextRect(option->fontMetrics, contents, int(side) | Qt::TextShowMnemonic,
                                        option->state & State_Enabled, button->text);
        return text.adjusted(-1, -1, 1, 1).intersected(option->rect);
    }
    default:
        return QProxyStyle::subElementRect(element, option, widget);
    }
}

void TPlainStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                     const QWidget* widget) const
{
    if (control == CC_ComboBox) {
        if (const auto* cb = qstyleoption_cast<const QStyleOptionComboBox*>(option); cb && !cb->editable) {
            painter->save();
            DrawCombo(cb, painter, subControlRect(control, option, SC_ComboBoxArrow, widget));
            painter->restore();
            return;
        }
    }
    if (control == CC_GroupBox) {
        const auto* gb = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (gb && !(gb->subControls & SC_GroupBoxCheckBox)) {
            painter->save();
            DrawGroupBox(gb, painter, subControlRect(control, option, SC_GroupBoxFrame, widget),
                         subControlRect(control, option, SC_GroupBoxLabel, widget), this);
            painter->restore();
            return;
        }
    }
    if (control == CC_ScrollBar) {
        if (const auto* sb = qstyleoption_cast<const QStyleOptionSlider*>(option)) {
            painter->save();
            DrawScrollBar(sb, painter, this, widget);
            painter->restore();
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

void TPlainStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    switch (element) {
    case CE_CheckBox:
    case CE_RadioButton:
        // Box, caption and focus rectangle where this style places them (the base style
        // would place the focus rectangle by its own measures, over the box's band).
        if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
            const bool check = element == CE_CheckBox;
            QStyleOptionButton part(*button);
            part.rect = subElementRect(check ? SE_CheckBoxIndicator : SE_RadioButtonIndicator, button, widget);
            drawPrimitive(check ? PE_IndicatorCheckBox : PE_IndicatorRadioButton, &part, painter, widget);
            part.rect = subElementRect(check ? SE_CheckBoxContents : SE_RadioButtonContents, button, widget);
            drawControl(check ? CE_CheckBoxLabel : CE_RadioButtonLabel, &part, painter, widget);
            // Without a caption there is nothing for the rectangle to go round.
            if ((button->state & State_HasFocus) && !button->text.isEmpty()) {
                QStyleOptionFocusRect focus;
                focus.QStyleOption::operator=(*button);
                focus.rect = subElementRect(check ? SE_CheckBoxFocusRect : SE_RadioButtonFocusRect, button, widget);
                drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
            }
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    case CE_HeaderSection:
        Face(painter, option->rect, option->palette, option->state & State_Sunken);
        return;
    case CE_HeaderEmptyArea:
        painter->fillRect(option->rect, option->palette.color(QPalette::Button));
        return;
    case CE_ComboBoxLabel:
        if (const auto* cb = qstyleoption_cast<const QStyleOptionComboBox*>(option);
            cb && !cb->editable && (cb->state & State_HasFocus)) {
            // A list-only box with the focus shows its item selected, in the dotted
            // focus rectangle.
            const QRect field = subControlRect(CC_ComboBox, cb, SC_ComboBoxEditField, widget);
            painter->fillRect(field, cb->palette.color(QPalette::Highlight));
            QStyleOptionComboBox selected(*cb);
            for (const QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
                selected.palette.setColor(role, cb->palette.color(QPalette::HighlightedText));
            QProxyStyle::drawControl(element, &selected, painter, widget);
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(*cb);
            focus.rect = field;
            drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    default:
        QProxyStyle::drawControl(element, option, painter, widget);
    }
}

void TPlainStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    if (element == PE_FrameFocusRect) {
        TCanvas canvas(painter);
        DrawFocusRect(&canvas, TRect(option->rect), FromQColor(option->palette.color(QPalette::WindowText)));
        return;
    }
    if (element != PE_IndicatorCheckBox && element != PE_IndicatorRadioButton)
        return QProxyStyle::drawPrimitive(element, option, painter, widget);
    // A white box in a one-pixel shadow frame with a solid tick or dot.
    const QPalette& pal = option->palette;
    const QRect r = option->rect;
    const bool enabled = option->state & State_Enabled;
    const QColor ink = enabled ? pal.color(QPalette::Text) : pal.color(QPalette::Disabled, QPalette::Text);
    painter->save();
    painter->setPen(pal.color(QPalette::Dark));
    painter->setBrush(enabled ? pal.color(QPalette::Base) : pal.color(QPalette::Button));
    if (element == PE_IndicatorRadioButton) {
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->drawEllipse(r.adjusted(0, 0, -1, -1));
        if (option->state & State_On) {
            painter->setPen(ink);
            painter->setBrush(ink);
            painter->drawEllipse(r.adjusted(3, 3, -4, -4));
        }
    } else {
        painter->drawRect(r.adjusted(0, 0, -1, -1));
        if (option->state & (State_On | State_NoChange)) {
            painter->setPen(option->state & State_NoChange ? pal.color(QPalette::Dark) : ink);
            // Three strokes of a tick rising to the right.
            const int x = r.left() + 2, y = r.top() + r.height() / 2;
            for (int k = 0; k < 3; ++k) {
                painter->drawLine(x, y - 1 + k, x + 2, y + 1 + k);
                painter->drawLine(x + 2, y + 1 + k, x + r.width() - 5, y - r.width() / 2 + 3 + k);
            }
        }
    }
    painter->restore();
}

void TPlainStyle::drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& pal, bool enabled,
                               const QString& text, QPalette::ColorRole textRole) const
{
    if (text.isEmpty())
        return;
    TCanvas canvas(painter);
    const QColor ink = pal.color(enabled ? QPalette::Active : QPalette::Disabled,
                                 textRole == QPalette::NoRole ? QPalette::WindowText : textRole);
    canvas.Font = TFont::FromQFont(painter->font(), FromQColor(ink));
    canvas.Brush.Style = bsClear;
    unsigned dt = (flags & Qt::AlignHCenter) ? DT_CENTER : (flags & Qt::AlignRight) ? DT_RIGHT : DT_LEFT;
    if (!(flags & (Qt::TextShowMnemonic | Qt::TextHideMnemonic)))
        dt |= DT_NOPREFIX;
    if (flags & Qt::TextHideMnemonic)
        dt |= DT_HIDEPREFIX;
    if (flags & Qt::TextWordWrap)
        dt |= DT_WORDBREAK;
    else if (!text.contains(QLatin1Char('\n')))
        dt |= DT_SINGLELINE | ((flags & Qt::AlignVCenter) ? DT_VCENTER : (flags & Qt::AlignBottom) ? DT_BOTTOM : 0u);
    TRect r(rect);
    canvas.DrawText(text, r, dt);
}
