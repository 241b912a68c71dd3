// TAboutBox: the modal About dialog with the product picture, version and links.
#pragma once

#include "skin/Neowin.h"
#include "xpmenu/Xpmenu.h"

class TAboutBox : public TNeoForm {
    Q_OBJECT
public:
    explicit TAboutBox(TComponent* Owner);

    TImage* ProgramIcon;
    TLabel* ProductName;
    TLabel* Version;
    TLabel* Copyright;
    TLabel* Url;
    TLabel* Email;
    TButton* OKButton;
    TXPMenu* XPMenu1;

    // The pointer over a link turns it blue with a hand cursor; over the dialog's own
    // background both links return to the window-text colour.
    void UrlMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void EmailMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void UrlMouseLeave(TObject* Sender, TShiftState Shift, int X, int Y);
    // Open the home page and a new mail through the desktop; failures are ignored.
    void UrlClick(TObject* Sender);
    void EmailClick(TObject* Sender);
};

// The address the mail link writes to; the Email label shows the same one.
extern const char* const kAboutMailTo;
