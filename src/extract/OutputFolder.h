// TOutputFolder: the dialog in which the user picks the folder that receives extracted icons.
#pragma once

#include "framework/FileCtrl.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "xpmenu/Xpmenu.h"

class TOutputFolder : public TForm {
    Q_OBJECT
public:
    explicit TOutputFolder(TComponent* Owner);

    TDriveComboBox* DriveComboBox1;
    TDirectoryListBox* DirectoryListBox1;
    TLabel* DirChoose;
    TButton* OKBtn;
    TButton* CancelBtn;
    TXPMenu* XPMenu1;

    // Whether the user confirmed with OK, and the folder shown then.
    bool FChosen = false;
    QString FChosenFolder;

    void OKBtnClick(TObject* Sender);
    void CancelBtnClick(TObject* Sender);
    void DriveChange(TObject* Sender);
    void DirChange(TObject* Sender);
};
