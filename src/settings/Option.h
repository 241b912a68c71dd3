// TBrowseItem: the browsing-options dialog, which switches the listed file kinds.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/Neowin.h"
#include "xpmenu/Xpmenu.h"

class TForm1;

class TBrowseItem : public TNeoForm {
    Q_OBJECT
public:
    // The dialog edits the flags of `MainForm` (by default the program's main window).
    explicit TBrowseItem(TComponent* Owner, TForm1* MainForm = nullptr);

    void FormCreate(TObject* Sender);
    // Apply: copies the check boxes into the main window's flags, closes, refills the list.
    void Button1Click(TObject* Sender);
    // Cancel: closes; nothing changes.
    void Button2Click(TObject* Sender);

    TGroupBox* GroupBox1;
    TCheckBox* ExeChk;
    TCheckBox* DllChk;
    TCheckBox* OcxChk;
    TCheckBox* IclChk;
    TCheckBox* CplChk;
    TCheckBox* BplChk;
    TCheckBox* ScrChk;
    TCheckBox* DrvChk;
    TCheckBox* BmpChk;
    TCheckBox* IcoChk;
    TCheckBox* JpgChk;
    TButton* Button1;
    TButton* Button2;
    TXPMenu* XPMenu1;

private:
    TForm1* FMainForm;
};
