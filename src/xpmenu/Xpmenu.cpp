// TXPMenu: construction, properties and the activation walk.
#include "xpmenu/Xpmenu.h"

#include "framework/Dialogs.h"
#include "xpmenu/XpSubclass.h"

#include <QAbstractButton>

namespace {

// The owner as a scrolling window control: null stays null, anything else that is
// not one fails as the platform's checked cast does.
TScrollingWinControl* AsScrollingWinControl(TComponent* owner)
{
    if (!owner)
        return nullptr;
    auto* form = dynamic_cast<TScrollingWinControl*>(owner);
    if (!form)
        throw EInvalidCast();
    return form;
}

bool Is(const QObject* object, const char* className) { return InheritsFrom(object, className); }
bool ClassIs(const QObject* object, const char* className) { return ClassName(object) == QLatin1String(className); }

// Step 5 of the walk: the member of XPControls under which `object` is a candidate.
bool IsCandidate(const QObject* c, TXPControls controls)
{
    const struct {
        bool Test;
        TXPControl Member;
    } tests[] = {
        {Is(c, "TCustomCombo"), xcCombo},
        {Is(c, "TCustomLabeledEdit"), xcEdit},
        {Is(c, "TEdit"), xcEdit},
        {ClassIs(c, "TMaskEdit"), xcMaskEdit},
        {ClassIs(c, "TDBEdit"), xcMaskEdit},
        {Is(c, "TCustomMemo"), xcMemo},
        {Is(c, "TCustomRichEdit"), xcRichEdit},
        {Is(c, "TCustomCheckBox"), xcCheckBox},
        {Is(c, "TRadioButton"), xcRadioButton},
        {ClassIs(c, "TBitBtn"), xcBitBtn},
        {ClassIs(c, "TButton"), xcButton},
        {ClassIs(c, "TUpDown"), xcButton},
        {Is(c, "TSpeedButton"), xcSpeedButton},
        {Is(c, "TCustomPanel"), xcPanel},
        {Is(c, "TCustomGroupBox"), xcGroupBox},
    };
    for (const auto& t : tests)
        if (t.Test && controls.Contains(t.Member))
            return true;
    return false;
}

// Step 5 of the walk: the parent is a container of a selected kind.
bool IsSelectedContainer(const QObject* p, TXPContainers containers)
{
    const struct {
        bool Test;
        TXPContainer Member;
    } tests[] = {
        {Is(p, "TToolBar"), xccToolbar},
        {Is(p, "TCoolBar"), xccCoolbar},
        {Is(p, "TCustomPanel"), xccPanel},
        {Is(p, "TControlBar"), xccControlbar},
        {Is(p, "TScrollBox"), xccScrollBox},
        {Is(p, "TCustomGroupBox"), xccGroupBox},
        {Is(p, "TTabSheet"), xccTabSheet},
        {ClassIs(p, "TdxTabSheet"), xccTabSheet},
        {Is(p, "TPageScroller"), xccPageScroller},
        {Is(p, "TCustomFrame"), xccFrame},
        {ClassIs(p, "TDBCtrlPanel"), xccFrame},
        {Is(p, "TCustomForm"), xccForm},
    };
    for (const auto& t : tests)
        if (t.Test && containers.Contains(t.Member))
            return true;
    return false;
}

} // namespace

void GetSystemMenuFont(TFont& Font)
{
    Font = SystemMenuFont();
    Font.Color = clMenuText;
}

TXPMenu* CreateXPMenu1(TScrollingWinControl* Form, bool Gradient)
{
    // Message boxes look like the forms: each gets a component of its own.
    static const bool messageBoxes = [] {
        SetMessageBoxLook([](TForm& box) { CreateXPMenu1(&box, false)->SetActive(true); });
        return true;
    }();
    (void)messageBoxes;
    constexpr int kGB2312Charset = 134;
    auto* menu = new TXPMenu(Form);
    menu->SetName(QStringLiteral("XPMenu1"));
    menu->SetDimLevel(30);
    menu->SetGrayLevel(10);
    TFont font;
    font.Charset = kGB2312Charset;
    font.Color = clMenuText;
    font.Height = -11;
    font.Name = QStringLiteral("Tahoma");
    font.Style = 0;
    menu->SetFont(font);
    menu->SetColor(clBtnFace);
    menu->SetIconBackColor(clBtnFace);
    menu->SetMenuBarColor(clBtnFace);
    menu->SetSelectColor(clHighlight);
    menu->SetSelectBorderColor(clHighlight);
    menu->SetSelectFontColor(clMenuText);
    menu->SetDisabledColor(clInactiveCaption);
    menu->SetSeparatorColor(clBtnFace);
    menu->SetCheckedColor(clHighlight);
    menu->SetIconWidth(24);
    menu->SetDrawSelect(true);
    menu->SetUseSystemColors(true);
    menu->SetOverrideOwnerDraw(true);
    menu->SetGradient(Gradient);
    menu->SetFlatMenu(true);
    menu->SetAutoDetect(true);
    return menu;
}

TXPMenu::TXPMenu(TComponent* AOwner)
    : QObject(AsScrollingWinControl(AOwner))
    , TComponent(this, AOwner)
{
    GetSystemMenuFont(FFont);
    FForm = AsScrollingWinControl(AOwner);
    FSelectFontColor = FFont.Color;
}

TXPMenu::~TXPMenu()
{
    // The form may already be gone, or be half torn down (its component side first):
    // then its components are not walked (Notification forgot the form).
    if (FForm && !(FForm->ComponentState & csDestroying))
        InitItems(FForm, false, false);
    // The subclass objects are owned here; each gives its control back as it goes.
    while (ComponentCount() > 0)
        delete Components(ComponentCount() - 1);
}

void TXPMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && FForm && AComponent == static_cast<TComponent*>(FForm.data())) {
        // The form is going away: its components are no longer ours to touch.
        FForm = nullptr;
        FActive = false;
        return;
    }
    if (Operation == opInsert && FActive && FAutoDetect && !(ComponentState & csDesigning) && AComponent) {
        const QObject* o = AComponent->AsObject();
        if (Is(o, "TMenuItem") || Is(o, "TToolButton") || Is(o, "TControlBar"))
            SetActive(true);
    }
}

int TXPMenu::SubClassCount() const
{
    int n = 0;
    for (int i = 0; i < ComponentCount(); ++i)
        if (dynamic_cast<TControlSubClass*>(Components(i)))
            ++n;
    return n;
}

void TXPMenu::RedrawMenuBar()
{
    if (FForm)
        FForm->update();
}

void TXPMenu::SetFont(const TFont& font)
{
    FFont = font;
    RedrawMenuBar();
}

void TXPMenu::SetMenuBarColor(TColor value)
{
    FMenuBarColor = value;
    RedrawMenuBar();
}

void TXPMenu::SetUseSystemColors(bool value)
{
    FUseSystemColors = value;
    RedrawMenuBar();
}

void TXPMenu::SetOverrideOwnerDraw(bool value)
{
    FOverrideOwnerDraw = value;
    // Asks for activation; as the component is already active this re-runs nothing.
    if (FActive)
        SetActive(true);
}

void TXPMenu::SetActive(bool value)
{
    if (value == FActive)
        return;
    FActive = value;
    InitItems(FForm, FActive, true);
    RedrawMenuBar();
}

void TXPMenu::SetForm(TScrollingWinControl* value)
{
    if (value == FForm)
        return;
    const bool wasActive = FActive;
    SetActive(false);
    FForm = value;
    if (wasActive)
        SetActive(true);
}

// A different set while active: the hooks go with the old set and come back with
// the new one (subclassed controls stay, as the component is active again before
// their next message). The menu bar is not redrawn.
template <typename Set>
void TXPMenu::ChangeSet(Set& field, Set value)
{
    if (value == field)
        return;
    if (FActive) {
        FActive = false;
        InitItems(FForm, false, true);
        FActive = true;
        field = value;
        InitItems(FForm, true, true);
    } else {
        field = value;
    }
}

void TXPMenu::SetXPContainers(TXPContainers value)
{
    ChangeSet(FXPContainers, value);
}

void TXPMenu::SetXPControls(TXPControls value)
{
    ChangeSet(FXPControls, value);
}

void TXPMenu::HookMenuItem(TMenuItem* item, bool Enable, bool Activating)
{
    if (Enable) {
        if (item->Tag == OptOutTag)
            return;
        if (Activating && item->OnDrawItem.Is(this, &TXPMenu::DrawItem))
            return;
        if (!item->OnDrawItem || FOverrideOwnerDraw)
            item->OnDrawItem = TMenuDrawItemEvent::Bind(this, &TXPMenu::DrawItem);
        if (!item->OnMeasureItem || FOverrideOwnerDraw)
            item->OnMeasureItem = TMenuMeasureItemEvent::Bind(this, &TXPMenu::MeasureItem);
    } else {
        if (item->OnDrawItem.Is(this, &TXPMenu::DrawItem))
            item->OnDrawItem = nullptr;
        if (item->OnMeasureItem.Is(this, &TXPMenu::MeasureItem))
            item->OnMeasureItem = nullptr;
    }
}

void TXPMenu::HookMenuTree(TMenuItem* item, bool Enable, bool Activating)
{
    HookMenuItem(item, Enable, Activating);
    for (int i = 0; i < item->Count(); ++i)
        HookMenuTree(item->Items(i), Enable, Activating);
}

void TXPMenu::ActivateMenuItem(TMenuItem* MenuItem)
{
    if (!MenuItem)
        return;
    HookMenuItem(MenuItem, true, true);
    if (TMenuItem* parent = MenuItem->Parent())
        for (int i = 0; i < parent->Count(); ++i)
            HookMenuTree(parent->Items(i), true, true);
}

void TXPMenu::InitItems(TControl* Container, bool Enable, bool Update)
{
    // A component without a form has nothing to walk.
    if (!Container)
        return;
    for (int i = 0; i < Container->ComponentCount(); ++i) {
        TComponent* component = Container->Components(i);
        QObject* c = component->AsObject();
        const bool designing = component->ComponentState & csDesigning;

        // Steps 1 and 2: menus.
        const bool mainMenu = Is(c, "TMainMenu");
        const bool popupMenu = Is(c, "TPopupMenu");
        if ((mainMenu && FXPControls.Contains(xcMainMenu) && component->Tag != OptOutTag)
            || (popupMenu && FXPControls.Contains(xcPopupMenu))) {
            auto* menu = static_cast<TMenu*>(component);
            TMenuItem* root = menu->Items();
            for (int k = 0; k < root->Count(); ++k) {
                menu->SetOwnerDraw(Enable);
                HookMenuItem(root->Items(k), Enable, false);
                HookMenuTree(root->Items(k), Enable, false);
            }
        }

        // Step 3: tool bars.
        if (Is(c, "TToolBar") && FXPControls.Contains(xcToolbar) && !designing) {
            auto* bar = static_cast<TToolBar*>(component);
            if (!bar->Flat())
                bar->SetFlat(true);
            if (Enable) {
                if (bar->ButtonCount() > 0 && (!bar->OnCustomDrawButton || FOverrideOwnerDraw))
                    bar->OnCustomDrawButton = TTBCustomDrawBtnEvent::Bind(this, &TXPMenu::ToolBarDrawButton);
            } else if (bar->OnCustomDrawButton.Is(this, &TXPMenu::ToolBarDrawButton)) {
                bar->OnCustomDrawButton = nullptr;
            }
            if (Update)
                bar->Invalidate();
        }

        // Step 4: control bars.
        if (Is(c, "TControlBar") && FXPControls.Contains(xcControlbar) && !designing) {
            auto* bar = static_cast<TControlBar*>(component);
            if (Enable) {
                if (!bar->OnBandPaint || FOverrideOwnerDraw)
                    bar->OnBandPaint = TBandPaintEvent::Bind(this, &TXPMenu::ControlBarPaint);
            } else if (bar->OnBandPaint.Is(this, &TXPMenu::ControlBarPaint)) {
                bar->OnBandPaint = nullptr;
            }
            if (Update)
                bar->Invalidate();
        }

        // Step 5: standard controls in selected containers.
        if (!designing && IsCandidate(c, FXPControls)) {
            auto* control = dynamic_cast<TControl*>(component);
            QWidget* parent = control ? control->Parent() : nullptr;
            if (parent && IsSelectedContainer(parent, FXPContainers)) {
                const TComponent* parentComponent = dynamic_cast<TComponent*>(parent);
                const std::intptr_t parentTag = parentComponent ? parentComponent->Tag : 0;
                if (Enable && component->Tag != OptOutTag && parentTag != OptOutTag
                    && !TControlSubClass::IsSubclassed(control->Widget())) {
                    auto* subclass = new TControlSubClass(this);
                    if (!subclass->Attach(control, this))
                        delete subclass;
                }
                if (Update)
                    control->Invalidate();
            }
        }

        // Step 6: forms and frames own components of their own.
        if ((Is(c, "TCustomFrame") && FXPContainers.Contains(xccFrame)) || Is(c, "TCustomForm"))
            if (auto* inner = dynamic_cast<TControl*>(component))
                InitItems(inner, Enable, Update);
    }
}
