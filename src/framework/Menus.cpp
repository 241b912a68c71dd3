// Menus over Qt actions and menus; owner drawing through a proxy style.
#include "framework/Menus.h"

#include "framework/Forms.h"
#include "framework/ImgList.h"

#include <QAction>
#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleOptionMenuItem>

namespace {

// Routes the measuring and painting of owner-drawn items to their events.
class TMenuStyle : public QProxyStyle {
public:
    TMenuStyle() : QProxyStyle(nullptr) {}

    static TMenuStyle* Instance()
    {
        static QPointer<TMenuStyle> style;
        if (!style) {
            style = new TMenuStyle;
            style->setParent(qApp);
        }
        return style;
    }

    static TMenuItem* OwnerDrawn(const QWidget* widget)
    {
        auto* menu = qobject_cast<const TMenuWidget*>(widget);
        if (!menu)
            return nullptr;
        TMenuItem* item = menu->StyledItem();
        if (!item)
            return nullptr;
        TMenu* parentMenu = item->GetParentMenu();
        return parentMenu && parentMenu->OwnerDraw() ? item : nullptr;
    }

    // A menu window whose items are owner-drawn: it has exactly the measured item
    // sizes inside a 3-pixel frame that the item handlers paint, as the platform's
    // owner-drawn popup menus do.
    static bool OwnerDrawnMenu(const QWidget* widget)
    {
        auto* menu = qobject_cast<const TMenuWidget*>(widget);
        TMenu* parentMenu = menu ? menu->Item()->GetParentMenu() : nullptr;
        return parentMenu && parentMenu->OwnerDraw();
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (OwnerDrawnMenu(widget)) {
            switch (metric) {
            case PM_MenuHMargin:
            case PM_MenuVMargin:
            case PM_MenuTearoffHeight:
            case PM_MenuScrollerHeight:
                return 0;
            case PM_MenuPanelWidth:
                return kOwnerDrawFrame;
            default:
                break;
            }
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        if (type == CT_Menu && OwnerDrawnMenu(widget))
            return size;
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type != CT_MenuItem)
            return result;
        TMenuItem* item = OwnerDrawn(widget);
        if (!item || !item->OnMeasureItem)
            return result;
        QImage scratch(1, 1, QImage::Format_ARGB32);
        TCanvas canvas(&scratch);
        canvas.Font = TFont::FromQFont(widget->font(), clMenuText);
        // The platform proposes nothing, and widens the measured item by twice the
        // average character width of the menu font (drawing the item's text from a
        // margin would clip it otherwise).
        int width = 0;
        int height = 0;
        SafeCall([&] { item->OnMeasureItem(item, &canvas, width, height); });
        return QSize(width + 2 * QFontMetrics(widget->font()).averageCharWidth(), height);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        // The frame of an owner-drawn menu is the item handlers' to paint.
        if (element == PE_FrameMenu && OwnerDrawnMenu(widget))
            return;
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        if (element == CE_MenuEmptyArea && OwnerDrawnMenu(widget))
            return; // the frame lies there
        if (element == CE_MenuItem) {
            TMenuItem* item = OwnerDrawn(widget);
            if (item && item->OnDrawItem) {
                const QRect r = option->rect;
                // Paint into an image of the whole window so that the handler can read
                // back pixels and paint the window's frame as well as its item. What it
                // leaves untouched outside the item stays transparent.
                QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
                image.fill(Qt::transparent);
                {
                    TCanvas canvas(&image);
                    canvas.Painter()->fillRect(r, widget->palette().color(QPalette::Window));
                    canvas.Font = TFont::FromQFont(widget->font(), clMenuText);
                    canvas.Brush.Color = clMenu;
                    canvas.Window = const_cast<QWidget*>(widget);
                    SafeCall([&] { item->OnDrawItem(item, &canvas, TRect(r), option->state & State_Selected); });
                }
                painter->save();
                painter->setClipping(false);
                painter->drawImage(0, 0, image);
                painter->restore();
                // The handler draws no mark for an item that opens a submenu: the
                // platform adds its arrow over what the handler painted.
                const auto* menuOption = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
                if (menuOption && menuOption->menuItemType == QStyleOptionMenuItem::SubMenu)
                    DrawSubMenuArrow(painter, image, r, option->state & State_Enabled);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    // A right-pointing triangle of columns 7, 5, 3 and 1 pixels high, its point 8
    // pixels in from the item's right edge and its middle row on the item's middle row;
    // black, or white where the handler painted a surface on which black does not read.
    static void DrawSubMenuArrow(QPainter* painter, const QImage& painted, const QRect& item, bool enabled)
    {
        const int middle = item.top() + item.height() / 2;
        const int left = item.right() - 8 - 3;
        const QRgb under = painted.valid(left, middle) ? painted.pixel(left, middle) : qRgb(255, 255, 255);
        const QColor colour = enabled ? ToQColor(ReadableOn(clBlack, RGB(qRed(under), qGreen(under), qBlue(under))))
                                      : QColor(128, 128, 128);
        for (int column = 0; column < 4; ++column)
            painter->fillRect(left + column, middle - 3 + column, 1, 7 - 2 * column, colour);
    }

    static constexpr int kOwnerDrawFrame = 3;
};

} // namespace

TShortCut ShortCut(int key, Qt::KeyboardModifiers modifiers)
{
    return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
}

QString ShortCutToText(const TShortCut& shortCut)
{
    if (shortCut.isEmpty())
        return QString();
    const QKeyCombination combination = shortCut[0];
    const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
    QString text;
    // The platform's order and names: Shift, Ctrl, Alt, then the key.
    if (mods & Qt::ShiftModifier)
        text += QLatin1String("Shift+");
    if (mods & Qt::ControlModifier)
        text += QLatin1String("Ctrl+");
    if (mods & Qt::AltModifier)
        text += QLatin1String("Alt+");
    switch (combination.key()) {
    case Qt::Key_Backspace: return text + QLatin1String("BkSp");
    case Qt::Key_Delete: return text + QLatin1String("Del");
    case Qt::Key_Insert: return text + QLatin1String("Ins");
    case Qt::Key_Escape: return text + QLatin1String("Esc");
    case Qt::Key_Return:
    case Qt::Key_Enter: return text + QLatin1String("Enter");
    case Qt::Key_PageUp: return text + QLatin1String("PgUp");
    case Qt::Key_PageDown: return text + QLatin1String("PgDn");
    default: return text + QKeySequence(combination.key()).toString(QKeySequence::PortableText);
    }
}

TMenuItem* MenuItemOf(const QAction* action)
{
    return action ? qobject_cast<TMenuItem*>(action->parent()) : nullptr;
}

// ---- TMenuItem

TMenuItem::TMenuItem(TComponent* owner)
    : QObject(owner ? owner->AsObject() : nullptr)
    , TComponent(this, owner)
    , FAction(new QAction(this))
{
    connect(FAction, &QAction::triggered, this, [this] {
        // Items do not check themselves when clicked.
        if (FAction->isCheckable() && FAction->isChecked() != FChecked) {
            const QSignalBlocker block(FAction);
            FAction->setChecked(FChecked);
        }
        if (auto* popup = qobject_cast<TPopupMenu*>(GetParentMenu()); popup && popup->FModal) {
            popup->FChosen = this;
            return;
        }
        SafeCall([this] { Click(); });
    });
    connect(FAction, &QAction::hovered, this, [this] { Application->SetHint(FHint); });
}

TMenuItem::~TMenuItem()
{
    for (TMenuItem* item : FItems)
        item->FParent = nullptr;
    if (FParent)
        FParent->Remove(this);
    delete FSubMenu;
}

void TMenuItem::SetCaption(const QString& caption)
{
    FCaption = caption;
    SyncAction();
}

void TMenuItem::SetShortCut(const TShortCut& shortCut)
{
    FShortCut = shortCut;
    SyncAction();
}

void TMenuItem::SetChecked(bool checked)
{
    if (checked && FRadioItem && FParent) {
        for (TMenuItem* sibling : FParent->FItems)
            if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex && sibling->FChecked) {
                sibling->FChecked = false;
                sibling->SyncAction();
            }
    }
    FChecked = checked;
    SyncAction();
}

void TMenuItem::SetRadioItem(bool radio)
{
    FRadioItem = radio;
    SyncAction();
}

void TMenuItem::SetDefault(bool value)
{
    FDefault = value;
    SyncAction();
}

void TMenuItem::SetEnabled(bool enabled)
{
    FEnabled = enabled;
    SyncAction();
}

void TMenuItem::SetVisible(bool visible)
{
    FVisible = visible;
    SyncAction();
}

void TMenuItem::SyncAction()
{
    FAction->setSeparator(IsLine());
    // A separator with text is drawn as a titled section; the line has none.
    FAction->setText(IsLine() ? QString() : FCaption);
    FAction->setEnabled(FEnabled);
    FAction->setVisible(FVisible);
    FAction->setCheckable(FChecked || FRadioItem);
    {
        const QSignalBlocker block(FAction);
        FAction->setChecked(FChecked);
    }
    QFont font = FAction->font();
    font.setBold(FDefault);
    FAction->setFont(font);
    // Shown in the menu; the form's shortcut dispatch runs the item, so Qt's own
    // shortcut map only sees it while this item's menu is open. An owner-drawn item
    // draws its shortcut itself: Qt must not add a shortcut column to the menu.
    const TMenu* menu = GetParentMenu();
    FAction->setShortcut(menu && menu->OwnerDraw() ? QKeySequence() : FShortCut);
    FAction->setShortcutContext(Qt::WidgetShortcut);
    if (!FItems.empty())
        FAction->setMenu(SubMenu());
}

void TMenuItem::Add(TMenuItem* item)
{
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (!item || item == this)
        return;
    if (item->FParent)
        item->FParent->Remove(item);
    index = std::clamp(index, 0, Count());
    FItems.insert(FItems.begin() + index, item);
    item->FParent = this;
    if (!item->parent())
        item->setParent(this);
    SyncAction();
    if (FSubMenu)
        RebuildSubMenu();
}

void TMenuItem::Remove(TMenuItem* item)
{
    const auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it == FItems.end())
        return;
    FItems.erase(it);
    item->FParent = nullptr;
    if (FSubMenu)
        FSubMenu->removeAction(item->FAction);
}

int TMenuItem::IndexOf(const TMenuItem* item) const
{
    const auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TMenuItem::Clear()
{
    while (!FItems.empty())
        delete FItems.back();
}

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* item = this;
    while (item->FParent)
        item = item->FParent;
    return item->FMenu;
}

TMenuItem* TMenuItem::FindByShortCut(const TShortCut& shortCut)
{
    for (TMenuItem* item : FItems) {
        if (!item->FShortCut.isEmpty() && item->FShortCut == shortCut)
            return item;
        if (TMenuItem* found = item->FindByShortCut(shortCut))
            return found;
    }
    return nullptr;
}

void TMenuItem::Click()
{
    if (FEnabled)
        Fire(OnClick, this);
}

QMenu* TMenuItem::SubMenu()
{
    if (!FSubMenu) {
        FSubMenu = new TMenuWidget(this);
        RebuildSubMenu();
    }
    return FSubMenu;
}

void TMenuItem::RebuildSubMenu()
{
    FSubMenu->clear();
    TMenu* menu = GetParentMenu();
    TImageList* images = FSubMenuImages ? FSubMenuImages.data() : (menu ? menu->Images() : nullptr);
    for (TMenuItem* item : FItems) {
        item->SyncAction();
        item->FAction->setIcon(images ? images->GetIcon(item->FImageIndex) : QIcon());
        FSubMenu->addAction(item->FAction);
    }
}

// ---- TMenuWidget

TMenuWidget::TMenuWidget(TMenuItem* item)
    : QMenu(nullptr)
    , FItem(item)
{
    setObjectName(item->Name());
    setStyle(TMenuStyle::Instance());
    connect(this, &QMenu::aboutToShow, this, [this] {
        if (FItem->Count() > 0 || FItem->GetParentMenu())
            FItem->RebuildSubMenu();
    });
}

QPoint TMenuWidget::PlaceAt(const QPoint& anchor, const QSize& size, const QRect& screen)
{
    QPoint at = anchor;
    if (at.x() + size.width() > screen.left() + screen.width())
        at.rx() -= size.width();
    if (at.y() + size.height() > screen.top() + screen.height())
        at.ry() -= size.height();
    return QPoint(std::max(at.x(), screen.left()), std::max(at.y(), screen.top()));
}

void TMenuWidget::showEvent(QShowEvent* event)
{
    // Qt slides a menu that does not fit back onto the screen; the platform flips it
    // to the other side of the point it was opened at.
    if (FAnchored) {
        FAnchored = false;
        const QScreen* screen = QGuiApplication::screenAt(FAnchor);
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen)
            move(PlaceAt(FAnchor, size(), screen->geometry()));
    }
    QMenu::showEvent(event);
}

void TMenuWidget::initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const
{
    QMenu::initStyleOption(option, action);
    FStyledItem = MenuItemOf(action);
}

// ---- TMenu

TMenu::TMenu(TComponent* owner)
    : QObject(owner ? owner->AsObject() : nullptr)
    , TComponent(this, owner)
    , FItems(new TMenuItem(nullptr))
{
    FItems->setParent(this);
    FItems->FMenu = this;
}

TMenu::~TMenu()
{
    FItems->FMenu = nullptr;
}

void TMenu::SetOwnerDraw(bool ownerDraw)
{
    FOwnerDraw = ownerDraw;
}

bool TMenu::IsShortCut(const TShortCut& shortCut)
{
    TMenuItem* item = FItems->FindByShortCut(shortCut);
    if (!item)
        return false;
    // Disabled items and items below a disabled parent take the key and do nothing.
    for (TMenuItem* p = item; p; p = p->Parent())
        if (!p->Enabled())
            return true;
    item->Click();
    return true;
}

TMainMenu::TMainMenu(TComponent* owner)
    : TMenu(owner)
{
}

TPopupMenu::TPopupMenu(TComponent* owner)
    : TMenu(owner)
{
}

void TPopupMenu::Popup(const QPoint& globalPos)
{
    Fire(OnPopup, this);
    QMenu* menu = MenuWidget();
    if (auto* widget = qobject_cast<TMenuWidget*>(menu))
        widget->SetAnchor(globalPos);
    menu->popup(globalPos);
}

TMenuItem* TPopupMenu::PopupModal(const QPoint& globalPos)
{
    Fire(OnPopup, this);
    FModal = true;
    FChosen = nullptr;
    if (auto* widget = qobject_cast<TMenuWidget*>(MenuWidget()))
        widget->SetAnchor(globalPos);
    MenuWidget()->exec(globalPos);
    FModal = false;
    TMenuItem* chosen = FChosen;
    FChosen = nullptr;
    if (chosen)
        QMetaObject::invokeMethod(chosen, [chosen] { SafeCall([chosen] { chosen->Click(); }); }, Qt::QueuedConnection);
    return chosen;
}

void TPopupMenu::CloseMenu()
{
    if (QMenu* menu = Items()->FSubMenu)
        menu->close();
}

bool TPopupMenu::IsOpen()
{
    QMenu* menu = Items()->FSubMenu;
    return menu && menu->isVisible();
}
