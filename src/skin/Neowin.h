// TNeoForm: the base window of the program's own windows.
#pragma once

#include "ExtCtrls.h"
#include "Forms.h"
#include "Menus.h"
#include "StdCtrls.h"

#include <QPointer>

#include <array>

// For now an ordinary framed window. It keeps what its descendants set up: whether the
// edges resize the window, and the popup menus bound to the caption menu slots, which
// it offers as a row of buttons in its top panel.
class TNeoForm : public TForm {
    Q_OBJECT
public:
    static constexpr int kMenuSlots = 12;

    explicit TNeoForm(TComponent* Owner);

    // Whether the user may resize the window by its edges.
    void SetSizeable(bool Value);
    bool Sizeable() const { return FSizeable; }

    // Binds caption menu slot `Index` (0..11) to `Menu` with the button text `Caption`;
    // binding a slot again replaces both.
    void SetMenuButton(int Index, TPopupMenu* Menu, const QString& Caption);
    TPopupMenu* MenuOf(int Index) const;
    // The button of slot `Index` (its Tag), or null.
    TButton* FindMenuButton(int Index) const;
    // Shows the menu of the button's slot below it.
    void MenuButtonClick(TObject* Sender);

    TPanel* TopPanel = nullptr;

protected:
    void UpdateSizeCursors(bool Sizing);
    void showEvent(QShowEvent* event) override;
    // Hides the minimise and maximise controls of the window frame.
    void HideMinMax();

    bool FSizeable = true;
    std::array<QPointer<TPopupMenu>, kMenuSlots> FMenus{};
    int FOpenMenuIndex = -1;
    int FDownMenuIndex = -1;
    bool FSizing = false;
    bool FMoving = false;

private:
    void ApplySizeable();
};
