// TNeoForm: the base window of the program's own windows.
#include "Neowin.h"

#include <QShowEvent>

namespace {
// The skin's background colour, RGB 207,207,207.
constexpr TColor kNeoFormColor = 13619151;
constexpr int kMenuButtonWidth = 52;
constexpr int kMenuBarHeight = 22;
} // namespace

TNeoForm::TNeoForm(TComponent* Owner)
    : TForm(Owner)
{
    SetFont(QStringLiteral("宋体"), -12);
    SetClientSize(536, 353);

    TopPanel = new TPanel(this, this);
    TopPanel->SetName(QStringLiteral("TopPanel"));
    TopPanel->SetBevelOuter(bvNone);
    TopPanel->SetAlign(alTop);
    TopPanel->SetHeight(kMenuBarHeight);
    // Shown once a slot is bound: a window without menus keeps all of its area.
    TopPanel->SetVisible(false);
    for (int i = 0; i < kMenuSlots; ++i) {
        auto* button = new TButton(TopPanel, this);
        button->SetName(QStringLiteral("MenuButton%1").arg(i + 1));
        button->Tag = i;
        button->setFlat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->SetBounds(i * kMenuButtonWidth, 3, kMenuButtonWidth, kMenuBarHeight - 6);
        button->SetVisible(false);
        button->OnClick = [this](TObject* Sender) { MenuButtonClick(Sender); };
    }

    SetSizeable(true);
    FOpenMenuIndex = -1;
    FDownMenuIndex = -1;
    FSizing = false;
    FMoving = false;
    SetColor(kNeoFormColor);
}

void TNeoForm::SetSizeable(bool Value)
{
    FSizeable = Value;
    UpdateSizeCursors(Value);
}

void TNeoForm::UpdateSizeCursors(bool Sizing)
{
    (void)Sizing;
    ApplySizeable();
}

void TNeoForm::ApplySizeable()
{
    // The window frame stands in for the skin's edges: a window that is not sizeable
    // keeps the size it is shown with.
    if (FSizeable) {
        setMinimumSize(200, 60);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else if (isVisible()) {
        setFixedSize(size());
    }
}

void TNeoForm::showEvent(QShowEvent* event)
{
    TForm::showEvent(event);
    ApplySizeable();
}

void TNeoForm::HideMinMax()
{
    const bool visible = isVisible();
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    if (visible)
        show();
}

TButton* TNeoForm::FindMenuButton(int Index) const
{
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* c = Components(i);
        auto* button = qobject_cast<TButton*>(c->AsObject());
        if (button && c->Name().startsWith(QLatin1String("MenuButton")) && c->Tag == Index)
            return button;
    }
    return nullptr;
}

void TNeoForm::SetMenuButton(int Index, TPopupMenu* Menu, const QString& Caption)
{
    FMenus.at(std::size_t(Index)) = Menu;
    if (TButton* button = FindMenuButton(Index)) {
        button->SetVisible(true);
        button->SetCaption(Caption);
        TopPanel->SetVisible(true);
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
    auto* button = qobject_cast<TButton*>(Sender);
    if (!button)
        return;
    TPopupMenu* menu = MenuOf(int(TComponent::Of(button)->Tag));
    if (!menu)
        return;
    menu->Popup(button->mapToGlobal(QPoint(0, button->height() + 2)));
}
