// Controls: bounds, hints, colours, fonts and the aligner.
#include "framework/Controls.h"

#include "framework/Accessible.h"
#include "framework/Menus.h"
#include "framework/Messages.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QEvent>
#include <QStyle>
#include <QMouseEvent>
#include <QVariant>

#include <algorithm>
#include <unordered_map>

namespace {

TShiftState ShiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons)
{
    TShiftState s = 0;
    if (mods & Qt::ShiftModifier) s |= ssShift;
    if (mods & Qt::AltModifier) s |= ssAlt;
    if (mods & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

TMouseButton ButtonOf(Qt::MouseButton b)
{
    return b == Qt::RightButton ? mbRight : b == Qt::MiddleButton ? mbMiddle : mbLeft;
}

// Mouse and resize events of a control, for its OnMouse... and OnResize events.
class TControlEvents : public QObject {
public:
    explicit TControlEvents(TControl* control) : QObject(control->Widget()), FControl(control)
    {
        control->Widget()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != parent())
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease: {
            auto* me = static_cast<QMouseEvent*>(event);
            const QPoint p = me->position().toPoint();
            TShiftState shift = ShiftOf(me->modifiers(), me->buttons());
            if (event->type() == QEvent::MouseButtonDblClick)
                shift |= ssDouble;
            const TMouseEvent& handler =
                event->type() == QEvent::MouseButtonRelease ? FControl->OnMouseUp : FControl->OnMouseDown;
            SafeFire(handler, watched, ButtonOf(me->button()), shift, p.x(), p.y());
            break;
        }
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(event);
            const QPoint p = me->position().toPoint();
            SafeFire(FControl->OnMouseMove, watched, ShiftOf(me->modifiers(), me->buttons()), p.x(), p.y());
            break;
        }
        case QEvent::Resize:
            SafeFire(FControl->OnResize, watched);
            break;
        case QEvent::KeyPress: {
            auto* ke = static_cast<QKeyEvent*>(event);
            const bool menuKey = (ke->key() == Qt::Key_Menu && ke->modifiers() == Qt::NoModifier) ||
                                 (ke->key() == Qt::Key_F10 && ke->modifiers() == Qt::ShiftModifier);
            if (menuKey && FControl->PopupFromKeyboard())
                return true;
            break;
        }
        case QEvent::ContextMenu:
            // The window system's own event for the Menu key comes at the pointer; the
            // key press has already opened the menu where the keyboard user is.
            if (static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard && FControl->PopupMenu())
                return true;
            break;
        default:
            break;
        }
        return false;
    }

private:
    TControl* FControl;
};

constexpr const char* kAlignProperty = "gwAlign";
constexpr const char* kAlignSeqProperty = "gwAlignSeq";
constexpr const char* kHintProperty = "gwHint";
int gAlignSeq = 0;

// Re-aligns a container when it or one of its aligned children changes size or
// visibility.
class TAligner : public QObject {
public:
    using QObject::QObject;

    static void Watch(QWidget* widget)
    {
        if (widget->property("gwAligner").toBool())
            return;
        widget->setProperty("gwAligner", true);
        widget->installEventFilter(Instance());
    }

    static TAligner* Instance()
    {
        static TAligner* aligner = new TAligner;
        return aligner;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType())
            return false;
        auto* w = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::LayoutRequest:
            AlignControls(w);
            [[fallthrough]];
        case QEvent::Show:
        case QEvent::Hide:
            if (w->parentWidget() && w->property(kAlignProperty).toInt() != alNone)
                AlignControls(w->parentWidget());
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace

QString GetShortHint(const QString& hint)
{
    const int bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

QString GetLongHint(const QString& hint)
{
    const int bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

TControl::TControl(QWidget* self, TComponent* owner)
    : TComponent(self, owner)
    , FWidget(self)
{
    self->setMouseTracking(true);
    // The platform gives each control its own mouse messages; none reach the parent.
    self->setAttribute(Qt::WA_NoMousePropagation);
    PrepareWindowProc(self);
    new TControlEvents(this);
    InstallAccessibleInterfaces();
}

TControl::~TControl()
{
    Perform(FWidget, WM_DESTROY);
}

int GetSystemMetrics(int index)
{
    // The platform's figures at 96 dpi. Qt's coordinates already follow the screen's
    // device pixel ratio; a desktop that asks for larger fonts through its logical dpi
    // scales them as the platform does.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double scale = screen ? screen->logicalDotsPerInch() / 96.0 : 1.0;
    switch (index) {
    case SM_CXVSCROLL:
    case SM_CXHTHUMB:
        return static_cast<int>(16 * scale + 0.5);
    default:
        return 0;
    }
}

bool TControl::Focused() const
{
    if (FWidget->hasFocus())
        return true;
    // On the platform a dropped-down list never takes the focus from its control.
    const QWidget* popup = QApplication::activePopupWidget();
    const QWidget* focus = QApplication::focusWidget();
    return popup && focus && popup->parentWidget() == FWidget && (focus == popup || popup->isAncestorOf(focus));
}

TControl* TControl::Of(QWidget* widget)
{
    return dynamic_cast<TControl*>(widget);
}

void TControl::SetParent(QWidget* parent)
{
    const bool visible = !FWidget->isHidden();
    FWidget->setParent(parent);
    if (visible)
        FWidget->show();
    if (parent && Align() != alNone) {
        TAligner::Watch(parent);
        AlignControls(parent);
    }
}

TAlign TControl::Align() const
{
    return static_cast<TAlign>(FWidget->property(kAlignProperty).toInt());
}

void TControl::SetAlign(TAlign align)
{
    if (align != alNone && Align() == alNone)
        FWidget->setProperty(kAlignSeqProperty, ++gAlignSeq);
    FWidget->setProperty(kAlignProperty, static_cast<int>(align));
    TAligner::Watch(FWidget);
    if (QWidget* parent = FWidget->parentWidget()) {
        TAligner::Watch(parent);
        AlignControls(parent);
    }
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    FWidget->setGeometry(left, top, std::max(0, width), std::max(0, height));
    // Hidden widgets get no resize events; align at once, as the platform does.
    AlignControls(FWidget);
    if (QWidget* parent = FWidget->parentWidget(); parent && Align() != alNone)
        AlignControls(parent);
}

void TControl::SetVisible(bool visible)
{
    FWidget->setVisible(visible);
    if (QWidget* parent = FWidget->parentWidget(); parent && Align() != alNone)
        AlignControls(parent);
}

QString TControl::Hint() const
{
    return FWidget->property(kHintProperty).toString();
}

void TControl::SetHint(const QString& hint)
{
    FWidget->setProperty(kHintProperty, hint);
    UpdateToolTip();
    // A button showing only an image is read by screen readers by its hint: the short
    // part names it, the long part describes it.
    if (auto* button = qobject_cast<QAbstractButton*>(FWidget); button && button->text().isEmpty()) {
        button->setAccessibleName(GetShortHint(hint));
        button->setAccessibleDescription(GetLongHint(hint));
    }
}

void TControl::SetShowHint(bool show)
{
    FShowHint = show;
    UpdateToolTip();
}

void TControl::UpdateToolTip()
{
    FWidget->setToolTip(FShowHint ? GetShortHint(Hint()) : QString());
}

TColor TControl::Color() const
{
    if (FParentColor)
        if (const TControl* parent = Of(FWidget->parentWidget()))
            return parent->Color();
    return FColor;
}

void TControl::SetColor(TColor color)
{
    FParentColor = false;
    FColor = color;
    ApplyColor(color);
}

void TControl::SetParentColor(bool value)
{
    FParentColor = value;
    if (value)
        ApplyColor(Color());
}

void TControl::ApplyColor(TColor color)
{
    QPalette pal = FWidget->palette();
    pal.setColor(QPalette::Window, ToQColor(color));
    // Buttons, check boxes and radio buttons fill their background from the button
    // role, not the window role.
    pal.setColor(FWidget->backgroundRole(), ToQColor(color));
    // A control in a system colour writes in that colour's own text colour, whatever a
    // fixed colour around it (a skin's) asked its children to write in.
    const struct {
        TColor Face, Text;
    } systemText[] = {{clBtnFace, clBtnText}, {clWindow, clWindowText}, {clMenu, clMenuText},
                      {clHighlight, clHighlightText}, {clInfoBk, clInfoText}};
    for (const auto& pair : systemText)
        if (pair.Face == color && !FOwnFontColor)
            pal.setColor(QPalette::WindowText, ToQColor(pair.Text));
    FWidget->setPalette(pal);
    FWidget->setAutoFillBackground(true);
    // Children that follow this control's colour follow it now; every child hears of it.
    for (QObject* child : FWidget->children())
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow())
            if (TControl* control = Of(w)) {
                if (control->FParentColor)
                    control->ApplyColor(color);
                Perform(w, CM_PARENTCOLORCHANGED);
            }
}

TFont TControl::Font() const
{
    return TFont::FromQFont(FWidget->font(), FromQColor(FWidget->palette().color(QPalette::WindowText)));
}

void TControl::SetFont(const TFont& font)
{
    FOwnFontColor = true;
    FWidget->setFont(font.ToQFont());
    // The window text colour is the one of the surface the control stands on: a form
    // that paints its own background sets it, and a dark desktop palette must not put
    // light text there.
    QWidget* const parent = FWidget->parentWidget();
    const QColor colour = font.Color == clWindowText && parent ? parent->palette().color(QPalette::WindowText)
                                                               : ToQColor(font.Color);
    QPalette pal = FWidget->palette();
    pal.setColor(QPalette::WindowText, colour);
    pal.setColor(QPalette::Text, colour);
    pal.setColor(QPalette::ButtonText, colour);
    FWidget->setPalette(pal);
}

void TControl::SetFont(const QString& name, int height)
{
    FWidget->setFont(MakeFont(name, height));
}

void TControl::SetPopupMenu(TPopupMenu* menu)
{
    if (PopupMenu() == menu)
        return;
    FPopupMenu = menu;
    FPopupGuard = menu;
    // One connection per control: a lambda cannot be a unique connection, so the
    // previous one is dropped by hand.
    QObject::disconnect(FPopupConnection);
    if (menu) {
        FWidget->setContextMenuPolicy(Qt::CustomContextMenu);
        FPopupConnection = QObject::connect(FWidget, &QWidget::customContextMenuRequested, menu,
                                            [this, w = FWidget](const QPoint& pos) {
            if (TPopupMenu* popup = PopupMenu(); popup && popup->AutoPopup) {
                // A scrolled control reports the point in its viewport.
                const auto* area = qobject_cast<QAbstractScrollArea*>(w);
                popup->SetPopupComponent(w);
                popup->Popup((area ? area->viewport() : w)->mapToGlobal(pos));
            }
        });
    } else {
        FWidget->setContextMenuPolicy(Qt::DefaultContextMenu);
    }
}

bool TControl::PopupFromKeyboard()
{
    TPopupMenu* popup = PopupMenu();
    if (!popup || !popup->AutoPopup)
        return false;
    // A list opens it at its selected row (at the middle of the row's first square),
    // any other control at its client origin.
    QPoint at = FWidget->mapToGlobal(QPoint(0, 0));
    if (auto* view = qobject_cast<QAbstractItemView*>(FWidget)) {
        const QModelIndexList selected = view->selectionModel() ? view->selectionModel()->selectedIndexes() : QModelIndexList();
        const QModelIndex row = (selected.isEmpty() ? view->currentIndex() : selected.first()).siblingAtColumn(0);
        const QRect r = row.isValid() ? view->visualRect(row) : QRect();
        const QPoint inside = r.isValid() && view->viewport()->rect().intersects(r)
                                  ? QPoint(r.left() + r.height() / 2, r.top() + r.height() / 2)
                                  : QPoint(0, 0);
        at = view->viewport()->mapToGlobal(inside);
    }
    popup->SetPopupComponent(FWidget);
    popup->Popup(at);
    return true;
}

namespace {

// Places the aligned children of `container` once.
void AlignOnce(QWidget* container)
{
    std::vector<QWidget*> aligned;
    for (QObject* child : container->children()) {
        if (!child->isWidgetType())
            continue;
        auto* w = static_cast<QWidget*>(child);
        if (w->isWindow() || w->isHidden() || w->property(kAlignProperty).toInt() == alNone)
            continue;
        aligned.push_back(w);
    }
    std::stable_sort(aligned.begin(), aligned.end(), [](QWidget* a, QWidget* b) {
        return a->property(kAlignSeqProperty).toInt() < b->property(kAlignSeqProperty).toInt();
    });
    QRect rest = container->contentsRect();
    auto place = [](QWidget* w, const QRect& r) {
        if (w->geometry() != r)
            w->setGeometry(r);
    };
    for (int pass : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (QWidget* w : aligned) {
            if (w->property(kAlignProperty).toInt() != pass)
                continue;
            switch (pass) {
            case alTop: {
                const int h = w->height();
                place(w, QRect(rest.left(), rest.top(), rest.width(), h));
                rest.setTop(rest.top() + h);
                break;
            }
            case alBottom: {
                const int h = w->height();
                place(w, QRect(rest.left(), rest.bottom() + 1 - h, rest.width(), h));
                rest.setBottom(rest.bottom() - h);
                break;
            }
            case alLeft: {
                const int wd = w->width();
                place(w, QRect(rest.left(), rest.top(), wd, rest.height()));
                rest.setLeft(rest.left() + wd);
                break;
            }
            case alRight: {
                const int wd = w->width();
                place(w, QRect(rest.right() + 1 - wd, rest.top(), wd, rest.height()));
                rest.setRight(rest.right() - wd);
                break;
            }
            default:
                place(w, QRect(rest.topLeft(), QSize(std::max(0, rest.width()), std::max(0, rest.height()))));
                break;
            }
        }
    }
}

// The containers being aligned right now, each with whether it was asked again
// meanwhile.
std::unordered_map<const QWidget*, bool>& Aligning()
{
    static std::unordered_map<const QWidget*, bool> aligning;
    return aligning;
}

} // namespace

void AlignControls(QWidget* container)
{
    // Placing a child resizes it, which aligns the child's own children and asks this
    // container again; that request is remembered and served by one more pass here
    // instead of nesting. Each container is on the stack at most once, so nesting is
    // bounded by the depth of the tree however deep it is.
    auto& aligning = Aligning();
    if (const auto it = aligning.find(container); it != aligning.end()) {
        it->second = true;
        return;
    }
    aligning.emplace(container, false);
    // Handlers that keep changing sizes (OnResize code fighting the aligner) cannot
    // loop forever.
    constexpr int kMaxPasses = 4;
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        aligning[container] = false;
        AlignOnce(container);
        if (!aligning[container])
            break;
    }
    aligning.erase(container);
}
