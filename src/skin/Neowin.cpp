// TNeoForm: the skinned frameless base window, its bitmap frame and caption menu buttons.
#include "skin/Neowin.h"

#include "forms/FormResources.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QWindow>

int MenuSwitchState = 1;

namespace {

// The skin's background colour, RGB 207,207,207.
constexpr TColor kNeoFormColor = 13619151;
// The colour of texts drawn on the skin (the title has its own white).
constexpr TColor kSkinTextColor = clBlack;
constexpr int kMinWidth = 200;
constexpr int kMinHeight = 60;

QImage Skin(const char* name)
{
    return QImage(QStringLiteral(":/skin/") + QLatin1String(name));
}

} // namespace

QPoint GetCursorPos()
{
    return QCursor::pos();
}

TNeoForm::TNeoForm(TComponent* Owner)
    : TForm(Owner)
{
    InitFormResources();
    SetBorderStyle(bsNone);
    SetFont(QStringLiteral("宋体"), -12);
    SetClientSize(536, 353);
    CreateFrame();
    OnCanResize = [this](TObject* Sender, int& w, int& h, bool& resize) { FormCanResize(Sender, w, h, resize); };
    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
    OnResize = [this](TObject* Sender) { FormResize(Sender); };
    OnShow = [this](TObject* Sender) { FormShow(Sender); };

    // Constructor body.
    SetSizeable(true);
    FOpenMenuIndex = -1;
    FDownMenuIndex = -1;
    FSizing = false;
    FMoving = false;
    SetColor(kNeoFormColor);
    // What stands on the skin's own background writes in the skin's text colour: a dark
    // desktop palette must not put light text on it.
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ToQColor(kSkinTextColor));
    setPalette(pal);
    CaptionLabel->SetCaption(Caption());
    MinImage->SetVisible(BorderIcons() & biMinimize);
    MaxImage->SetVisible(BorderIcons() & biMaximize);
}

TNeoForm::~TNeoForm() = default;

void TNeoForm::CreateFrame()
{
    auto image = [this](QWidget* parent, const char* name, const char* picture = nullptr) {
        auto* i = new TImage(parent, this);
        i->SetName(QString::fromLatin1(name));
        if (picture)
            i->SetBitmap(Skin(picture));
        return i;
    };
    auto panel = [this](const char* name, TAlign align, int height) {
        auto* p = new TPanel(this, this);
        p->SetName(QString::fromLatin1(name));
        p->SetBevelOuter(bvNone);
        p->SetHeight(height);
        p->SetAlign(align);
        return p;
    };

    TopPanel = panel("TopPanel", alTop, 49);
    BottomPanel = panel("BottomPanel", alBottom, 12);
    LeftImage = image(this, "LeftImage", "Left.png");
    LeftImage->SetWidth(10);
    LeftImage->SetAlign(alLeft);
    RightImage = image(this, "RightImage", "Right.png");
    RightImage->SetAutoSize(true);
    RightImage->SetAlign(alRight);

    // Created lowest first: a mouse event goes to the topmost visible piece under the
    // pointer. TopPanelResize sends the label and the centre piece to the back.
    TopCenterImage = image(TopPanel, "TopCenterImage");
    TopCenterImage->SetBounds(81, 0, 1024, 49);
    CaptionLabel = new TLabel(TopPanel, this);
    CaptionLabel->SetName(QStringLiteral("CaptionLabel"));
    CaptionLabel->SetAutoSize(false);
    TFont captionFont = TFont::FromQFont(MakeFont(QStringLiteral("宋体"), -12), clWhite);
    CaptionLabel->SetFont(captionFont);
    CaptionLabel->SetBounds(85, 11, 536 - 175, 31);
    for (int i = kMenuSlots - 1; i >= 0; --i) {
        auto* b = new TSpeedButton(TopPanel, this);
        b->SetName(QStringLiteral("MenuButton%1").arg(i + 1));
        b->Tag = i;
        b->SetGroupIndex(i + 1);
        b->SetFlat(true);
        b->SetAllowAllUp(true);
        b->SetBounds(81 + 52 * i, 25, 52, 16);
        // The captions stand on the caption bitmap: they keep the skin's text colour
        // under any desktop theme.
        QPalette pal = b->palette();
        pal.setColor(QPalette::WindowText, ToQColor(kSkinTextColor));
        pal.setColor(QPalette::ButtonText, ToQColor(kSkinTextColor));
        b->setPalette(pal);
        b->SetVisible(false);
        b->OnClick = [this](TObject* Sender) { MenuButtonClick(Sender); };
        MenuButtons[std::size_t(i)] = b;
    }
    TopLeftImage = image(TopPanel, "TopLeftImage");
    TopLeftImage->SetAutoSize(true);
    TopLeftImage->SetBounds(0, 0, 81, 49);
    ControlBoxImage = image(TopPanel, "ControlBoxImage");
    ControlBoxImage->SetBounds(9, 5, 26, 21);
    TopImage = image(TopPanel, "TopImage");
    TopImage->SetHeight(6);
    TopImage->SetAlign(alTop);
    TopRightImage = image(TopPanel, "TopRightImage");
    TopRightImage->SetBounds(536 - 94, 0, 94, 49);
    MinImage = image(TopPanel, "MinImage", "Min.png");
    MinImage->SetAutoSize(true);
    MinImage->SetTop(5);
    RestoreImage = image(TopPanel, "RestoreImage", "Restore.png");
    RestoreImage->SetAutoSize(true);
    RestoreImage->SetTop(5);
    RestoreImage->SetVisible(false);
    MaxImage = image(TopPanel, "MaxImage", "Max.png");
    MaxImage->SetAutoSize(true);
    MaxImage->SetTop(5);
    CloseImage = image(TopPanel, "CloseImage", "Close.png");
    CloseImage->SetAutoSize(true);
    CloseImage->SetTop(5);

    BottomLeftImage = image(BottomPanel, "BottomLeftImage", "BottomLeft.png");
    BottomLeftImage->SetBounds(0, 0, 10, 12);
    BottomCenterImage = image(BottomPanel, "BottomCenterImage", "BottomCenter.png");
    BottomCenterImage->SetBounds(10, 0, 1024, 12);
    BottomRightImage = image(BottomPanel, "BottomRightImage", "BottomRight.png");
    BottomRightImage->SetBounds(536 - 13, 0, 13, 12);

    auto hidden = [&](const char* name, const char* picture) {
        TImage* i = image(this, name, picture);
        i->SetAutoSize(true);
        i->SetVisible(false);
        return i;
    };
    GetFTopLeftImage = hidden("GetFTopLeftImage", "ActiveTopLeft.png");
    GetFTopCenterImage = hidden("GetFTopCenterImage", "ActiveTopCenter.png");
    GetFTopRightImage = hidden("GetFTopRightImage", "ActiveTopRight.png");
    LostFTopLeftImage = hidden("LostFTopLeftImage", "InactiveTopLeft.png");
    LostFTopCenterImage = hidden("LostFTopCenterImage", "InactiveTopCenter.png");
    LostFTopRightImage = hidden("LostFTopRightImage", "InactiveTopRight.png");

    MenuTimer = new TTimer(this);
    MenuTimer->SetName(QStringLiteral("MenuTimer"));
    MenuTimer->SetEnabled(false);
    MenuTimer->SetInterval(100);
    MenuTimer->OnTimer = [this](TObject* Sender) { MenuTimerTimer(Sender); };

    // Event bindings of the layout.
    TopPanel->OnResize = [this](TObject* Sender) { TopPanelResize(Sender); };
    BottomPanel->OnResize = [this](TObject* Sender) { BottomPanelResize(Sender); };
    const std::pair<TImage*, void (TNeoForm::*)(TObject*, TShiftState, int, int)> edges[] = {
        {LeftImage, &TNeoForm::LeftImageMouseMove},
        {RightImage, &TNeoForm::RightImageMouseMove},
        {TopImage, &TNeoForm::TopImageMouseMove},
        {BottomLeftImage, &TNeoForm::BottomLeftImageMouseMove},
        {BottomCenterImage, &TNeoForm::BottomCenterImageMouseMove},
        {BottomRightImage, &TNeoForm::BottomRightImageMouseMove},
    };
    for (const auto& [edge, move] : edges) {
        edge->OnMouseDown = [this](TObject* S, TMouseButton B, TShiftState Sh, int X, int Y) {
            EdgeImageMouseDown(S, B, Sh, X, Y);
        };
        edge->OnMouseUp = [this](TObject* S, TMouseButton B, TShiftState Sh, int X, int Y) {
            EdgeImageMouseUp(S, B, Sh, X, Y);
        };
        edge->OnMouseMove = [this, move = move](TObject* S, TShiftState Sh, int X, int Y) { (this->*move)(S, Sh, X, Y); };
    }
    CaptionLabel->OnMouseDown = [this](TObject* S, TMouseButton B, TShiftState Sh, int X, int Y) {
        CaptionLabelMouseDown(S, B, Sh, X, Y);
    };
    CaptionLabel->OnMouseMove = [this](TObject* S, TShiftState Sh, int X, int Y) { CaptionLabelMouseMove(S, Sh, X, Y); };
    CaptionLabel->OnMouseUp = [this](TObject* S, TMouseButton B, TShiftState Sh, int X, int Y) {
        CaptionLabelMouseUp(S, B, Sh, X, Y);
    };
    CaptionLabel->OnDblClick = [this](TObject* Sender) { CaptionLabelDblClick(Sender); };
    MinImage->OnClick = [this](TObject* Sender) { MinImageClick(Sender); };
    MaxImage->OnClick = [this](TObject* Sender) { MaxImageClick(Sender); };
    RestoreImage->OnClick = [this](TObject* Sender) { RestoreImageClick(Sender); };
    CloseImage->OnClick = [this](TObject* Sender) { CloseImageClick(Sender); };
    ControlBoxImage->OnDblClick = [this](TObject* Sender) { CloseImageClick(Sender); };
    // The caption's images are its buttons: a screen reader reads them by these names
    // and presses them as a click (the window icon as its double click) would.
    ControlBoxImage->setAccessibleName(tr("窗口图标"));
    ControlBoxImage->setAccessibleDescription(tr("双击关闭窗口"));
    MinImage->setAccessibleName(tr("最小化"));
    MaxImage->setAccessibleName(tr("最大化"));
    RestoreImage->setAccessibleName(tr("还原"));
    CloseImage->setAccessibleName(tr("关闭"));

    TopPanelResize(TopPanel);
    BottomPanelResize(BottomPanel);
}

// ---- Frame

void TNeoForm::SetSizeable(bool Value)
{
    FSizeable = Value;
    UpdateSizeCursors(Value);
}

void TNeoForm::UpdateSizeCursors(bool Sizing)
{
    const std::pair<TImage*, Qt::CursorShape> cursors[] = {
        {TopImage, Qt::SizeVerCursor},        {BottomCenterImage, Qt::SizeVerCursor},
        {LeftImage, Qt::SizeHorCursor},       {RightImage, Qt::SizeHorCursor},
        {BottomLeftImage, Qt::SizeBDiagCursor}, {BottomRightImage, Qt::SizeFDiagCursor},
    };
    for (const auto& [image, shape] : cursors) {
        if (Sizing)
            image->setCursor(shape);
        else
            image->unsetCursor();
    }
}

TRect TNeoForm::GetWorkArea()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? TRect(screen->availableGeometry()) : TRect();
}

void TNeoForm::FormCanResize(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)
{
    (void)Sender;
    if (NewWidth < kMinWidth || NewHeight < kMinHeight) {
        Resize = false;
        return;
    }
    const TRect area = GetWorkArea();
    if (area.Width() < NewWidth)
        NewWidth = area.Width();
    if (area.Height() < NewHeight)
        NewHeight = area.Height();
    Resize = true;
}

void TNeoForm::FormCreate(TObject* Sender) { (void)Sender; }
void TNeoForm::FormResize(TObject* Sender) { (void)Sender; }
void TNeoForm::FormShow(TObject* Sender) { (void)Sender; }

void TNeoForm::TopPanelResize(TObject* Sender)
{
    (void)Sender;
    const int w = TopPanel->Width();
    CaptionLabel->SetBounds(85, 11, width() - 175, CaptionLabel->Height());
    CaptionLabel->lower();
    TopRightImage->SetLeft(w - TopRightImage->Width());
    TopCenterImage->lower();
    TopCenterImage->SetLeft(TopLeftImage->Left() + TopLeftImage->Width());
    MinImage->SetLeft(w - 60);
    MaxImage->SetLeft(w - 41);
    RestoreImage->SetLeft(w - 41);
    CloseImage->SetLeft(w - 22);
    if (TopPanel->isVisible())
        TopPanel->repaint();
}

void TNeoForm::BottomPanelResize(TObject* Sender)
{
    (void)Sender;
    BottomRightImage->SetLeft(BottomPanel->Width() - BottomRightImage->Width());
    if (BottomPanel->isVisible())
        BottomPanel->repaint();
}

bool TNeoForm::SystemDrags()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void TNeoForm::EdgeImageMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    (void)Shift;
    FSizing = true;
    FSizeAnchorX = X;
    FSizeAnchorY = Y;
    if (SystemDrags() && Button == mbLeft && FSizeable && WindowState() != wsMaximized && windowHandle()) {
        Qt::Edges edges;
        if (Sender == LeftImage || Sender == BottomLeftImage)
            edges |= Qt::LeftEdge;
        if (Sender == RightImage || Sender == BottomRightImage)
            edges |= Qt::RightEdge;
        if (Sender == TopImage)
            edges |= Qt::TopEdge;
        if (Sender == BottomLeftImage || Sender == BottomCenterImage || Sender == BottomRightImage)
            edges |= Qt::BottomEdge;
        windowHandle()->startSystemResize(edges);
    }
}

void TNeoForm::EdgeImageMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    (void)Sender, (void)Button, (void)Shift, (void)X, (void)Y;
    FSizing = false;
}

void TNeoForm::SizeByEdge(TImage* Image, int Sides)
{
    if (!FSizeable || WindowState() == wsMaximized || !FSizing || SystemDrags())
        return;
    const QPoint P = GetCursorPos();
    TRect R(geometry());
    if (Sides & kLeft)
        R.Left = P.x() - FSizeAnchorX;
    if (Sides & kTop)
        R.Top = P.y() - FSizeAnchorY;
    if (Sides & kRight)
        R.Right = P.x() + Image->Width() - FSizeAnchorX;
    if (Sides & kBottom)
        R.Bottom = P.y() + Image->Height() - FSizeAnchorY;
    SetWindowBounds(R.Left, R.Top, R.Width(), R.Height());
}

void TNeoForm::LeftImageMouseMove(TObject*, TShiftState, int, int) { SizeByEdge(LeftImage, kLeft); }
void TNeoForm::RightImageMouseMove(TObject*, TShiftState, int, int) { SizeByEdge(RightImage, kRight); }
void TNeoForm::TopImageMouseMove(TObject*, TShiftState, int, int) { SizeByEdge(TopImage, kTop); }
void TNeoForm::BottomLeftImageMouseMove(TObject*, TShiftState, int, int)
{
    SizeByEdge(BottomLeftImage, kLeft | kBottom);
}
void TNeoForm::BottomCenterImageMouseMove(TObject*, TShiftState, int, int)
{
    SizeByEdge(BottomCenterImage, kBottom);
}
void TNeoForm::BottomRightImageMouseMove(TObject*, TShiftState, int, int)
{
    SizeByEdge(BottomRightImage, kRight | kBottom);
}

void TNeoForm::CaptionLabelMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    (void)Sender;
    FMoving = true;
    FMoveOffsetX = X + CaptionLabel->Left();
    FMoveOffsetY = Y + CaptionLabel->Top();
    if (SystemDrags() && Button == mbLeft && !(Shift & ssDouble) && WindowState() != wsMaximized && windowHandle())
        windowHandle()->startSystemMove();
}

void TNeoForm::CaptionLabelMouseMove(TObject* Sender, TShiftState Shift, int X, int Y)
{
    (void)Sender, (void)Shift, (void)X, (void)Y;
    if (!FMoving || WindowState() == wsMaximized || SystemDrags())
        return;
    const QPoint P = GetCursorPos();
    move(x(), P.y() - FMoveOffsetY);
    move(P.x() - FMoveOffsetX, y());
}

void TNeoForm::CaptionLabelMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    (void)Sender, (void)Button, (void)Shift, (void)X, (void)Y;
    FMoving = false;
}

void TNeoForm::CaptionLabelDblClick(TObject* Sender)
{
    (void)Sender;
    if (BorderIcons() & biMaximize)
        SetWindowState(WindowState() == wsMaximized ? wsNormal : wsMaximized);
}

void TNeoForm::MinImageClick(TObject* Sender)
{
    (void)Sender;
    if (Application->MainForm() == this)
        Application->Minimize();
    else
        SetWindowState(wsMinimized);
}

void TNeoForm::MaxImageClick(TObject* Sender)
{
    (void)Sender;
    SetWindowState(wsMaximized);
}

void TNeoForm::RestoreImageClick(TObject* Sender)
{
    (void)Sender;
    SetWindowState(wsNormal);
}

void TNeoForm::CloseImageClick(TObject* Sender)
{
    (void)Sender;
    Close();
}

void TNeoForm::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_SIZE:
        if (Message.WParam == SIZE_RESTORED) {
            if (BorderIcons() & biMaximize) {
                MaxImage->SetVisible(true);
                RestoreImage->SetVisible(false);
            }
            UpdateSizeCursors(FSizeable);
        } else if (Message.WParam == SIZE_MAXIMIZED) {
            if (BorderIcons() & biMaximize) {
                MaxImage->SetVisible(false);
                RestoreImage->SetVisible(true);
            }
            UpdateSizeCursors(false);
        }
        break;
    case WM_ACTIVATE: {
        const auto state = Message.WParam & 0xFFFF;
        if (state == WA_INACTIVE) {
            MenuTimer->SetEnabled(false);
            TopLeftImage->SetBitmap(LostFTopLeftImage->Picture()->Image());
            TopCenterImage->SetBitmap(LostFTopCenterImage->Picture()->Image());
            TopRightImage->SetBitmap(LostFTopRightImage->Picture()->Image());
        } else if (state == WA_ACTIVE || state == WA_CLICKACTIVE) {
            TopLeftImage->SetBitmap(GetFTopLeftImage->Picture()->Image());
            TopCenterImage->SetBitmap(GetFTopCenterImage->Picture()->Image());
            TopRightImage->SetBitmap(GetFTopRightImage->Picture()->Image());
            if (TopPanel->isVisible())
                TopPanel->repaint();
        }
        break;
    }
    default:
        break;
    }
}

bool TNeoForm::event(QEvent* event)
{
    const QEvent::Type type = event->type();
    // The caption is copied once the layout has set it; later changes are not shown.
    if (type == QEvent::WindowTitleChange && !FCaptionCopied)
        CaptionLabel->SetCaption(Caption());
    if (type == QEvent::Show)
        FCaptionCopied = true;
    const bool result = TForm::event(event);
    if (type == QEvent::WindowStateChange) {
        const Qt::WindowStates state = windowState();
        TMessage message;
        message.Msg = WM_SIZE;
        message.WParam = (state & Qt::WindowMinimized)                             ? SIZE_MINIMIZED
                         : (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) ? SIZE_MAXIMIZED
                                                                                   : SIZE_RESTORED;
        SafeCall([&] { WndProc(message); });
    } else if (type == QEvent::ActivationChange) {
        TMessage message;
        message.Msg = WM_ACTIVATE;
        message.WParam = isActiveWindow() ? WA_ACTIVE : WA_INACTIVE;
        SafeCall([&] { WndProc(message); });
    }
    return result;
}

void TNeoForm::showEvent(QShowEvent* event)
{
    TForm::showEvent(event);
    // The caption bitmaps follow activation, but a compositor may show a new window
    // without ever activating it: the caption is drawn for the state the window has
    // now, before its first paint.
    TMessage message;
    message.Msg = WM_ACTIVATE;
    message.WParam = isActiveWindow() ? WA_ACTIVE : WA_INACTIVE;
    SafeCall([&] { WndProc(message); });
    // A window that is shown becomes the active one, as on the platform; without a
    // window manager nothing else would activate it.
    activateWindow();
}

// ---- Caption menu buttons

TSpeedButton* TNeoForm::FindMenuButton(int Index) const
{
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* c = Components(i);
        if (ClassName(c->AsObject()) == QLatin1String("TSpeedButton") && c->Name().startsWith(QLatin1String("MenuButton")) &&
            c->Tag == Index)
            return static_cast<TSpeedButton*>(c->AsObject());
    }
    return nullptr;
}

void TNeoForm::SetMenuButton(int Index, TPopupMenu* Menu, const QString& Caption)
{
    FMenus.at(std::size_t(Index)) = Menu;
    if (TSpeedButton* button = FindMenuButton(Index)) {
        button->SetVisible(true);
        button->SetCaption(Caption);
    }
}

TPopupMenu* TNeoForm::MenuOf(int Index) const
{
    if (Index < 0 || Index >= kMenuSlots)
        return nullptr;
    return FMenus[std::size_t(Index)];
}

void TNeoForm::MenuButtonClick(TObject* Sender)
{
    auto* button = qobject_cast<TSpeedButton*>(Sender);
    if (!button)
        return;
    const int i = int(button->Tag);
    TPopupMenu* menu = MenuOf(i);
    if (i == FDownMenuIndex) {
        FDownMenuIndex = -1;
        button->SetDown(false);
        return;
    }
    FOpenMenuIndex = i;
    FDownMenuIndex = i;
    const QPoint at = button->mapToGlobal(QPoint(0, button->Height() + 2));
    MenuTimer->SetEnabled(true);
    button->SetDown(true);
    QPointer<TSpeedButton> guard(button);
    TMenuItem* chosen = nullptr;
    if (menu) {
        // A click on this button that dismisses the menu ends there, as on the
        // platform; Qt would otherwise pass it on to the button.
        menu->MenuWidget()->setNoReplayFor(button);
        chosen = menu->PopupModal(at);
    }
    if (!guard)
        return;
    FOpenMenuIndex = -1;
    // A menu dismissed with the pointer on its button leaves the button down. A chosen
    // item releases it wherever the pointer is; the item's command runs only after
    // this, so a dialog it opens does not find the button held down.
    const QPoint p = button->mapFromGlobal(GetCursorPos());
    if (!chosen && p.x() >= 0 && p.x() < button->Width() && p.y() >= 0 && p.y() < button->Height())
        return;
    // Re-enabling makes the flat button drop the hot look whose mouse-leave it missed.
    button->SetEnabled(false);
    button->SetEnabled(true);
    button->SetDown(false);
    button->Repaint();
    FDownMenuIndex = -1;
}

void TNeoForm::CloseShowingMenu()
{
    // As two Escape keys would: the first closes an open submenu, the second the menu.
    for (int k = 0; k < 2; ++k)
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
            popup->close();
    if (TPopupMenu* open = MenuOf(FOpenMenuIndex))
        open->CloseMenu();
}

void TNeoForm::MenuTimerTimer(TObject* Sender)
{
    (void)Sender;
    const QPoint P = GetCursorPos();
    for (int i = 0; i < kMenuSlots; ++i) {
        TSpeedButton* B = FindMenuButton(i);
        if (!B || !B->Visible() || i == FOpenMenuIndex)
            continue;
        const QPoint p = B->mapFromGlobal(P);
        if (p.x() < 0 || p.x() >= B->Width() || p.y() < 0 || p.y() >= B->Height())
            continue;
        if (MenuSwitchState == 1 && FOpenMenuIndex == -1) {
            MenuTimer->SetEnabled(false);
        } else if (MenuSwitchState == 1) {
            CloseShowingMenu();
            MenuTimer->SetEnabled(false);
            MenuTimer->SetEnabled(true);
            MenuSwitchState = 2;
        } else {
            MenuSwitchState = 1;
            B->Click();
        }
        return;
    }
}
