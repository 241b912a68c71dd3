// TBrowseItem: the browsing-options dialog, which switches the listed file kinds.
#pragma once

#include "framework/StdCtrls.h"
#include "skin/Neowin.h"
#include "xpmenu/Xpmenu.h"

class TListedKindsEditor;

class TBrowseItem : public TNeoForm {
    Q_OBJECT
public:
    // The dialog edits the listed kinds of `MainForm` (the main window).
    TBrowseItem(TComponent* Owner, TListedKindsEditor* MainForm);

    void FormCreate(TObject* Sender);
    // Apply: closes and gives the check boxes' kinds to the main window.
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
    TListedKindsEditor* FMainForm;
};
