// TOutputFolder: the dialog in which the user picks the folder that receives extracted icons.
#include "extract/OutputFolder.h"

#include "framework/FileNames.h"

TOutputFolder::TOutputFolder(TComponent* Owner)
    : TForm(Owner)
{
    SetName(QStringLiteral("OutputFolder"));
    SetCaption(tr("选择存放图标的文件夹："));
    SetBorderStyle(bsDialog);
    SetClientSize(311, 317);
    SetPosition(poScreenCenter);
    SetFont(QStringLiteral("宋体"), -13);
    SetColor(clBtnFace);

    DriveComboBox1 = new TDriveComboBox(this, this);
    DriveComboBox1->SetName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->SetBounds(8, 8, 209, 19);
    DriveComboBox1->setAccessibleName(tr("驱动器"));

    DirectoryListBox1 = new TDirectoryListBox(this, this);
    DirectoryListBox1->SetName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->SetBounds(8, 32, 209, 241);
    DirectoryListBox1->SetItemHeight(16);
    DirectoryListBox1->setAccessibleName(tr("文件夹"));

    DirChoose = new TLabel(this, this);
    DirChoose->SetName(QStringLiteral("DirChoose"));
    DirChoose->SetAutoSize(false);
    DirChoose->SetBounds(11, 288, 286, 25);

    OKBtn = new TButton(this, this);
    OKBtn->SetName(QStringLiteral("OKBtn"));
    OKBtn->SetCaption(tr("确定"));
    OKBtn->SetBounds(228, 8, 75, 25);
    OKBtn->SetDefault(true);
    OKBtn->SetModalResult(mrOk);
    OKBtn->OnClick = [this](TObject* Sender) { OKBtnClick(Sender); };

    CancelBtn = new TButton(this, this);
    CancelBtn->SetName(QStringLiteral("CancelBtn"));
    CancelBtn->SetCaption(tr("取消"));
    CancelBtn->SetBounds(228, 38, 75, 25);
    CancelBtn->SetCancel(true);
    CancelBtn->SetModalResult(mrCancel);
    CancelBtn->OnClick = [this](TObject* Sender) { CancelBtnClick(Sender); };

    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, DriveComboBox1);
    setTabOrder(DriveComboBox1, DirectoryListBox1);

    // The list opens on the process's current folder: the folder last entered in any
    // folder list of the program.
    DriveComboBox1->SetDirList(DirectoryListBox1);
    DirectoryListBox1->SetDirLabel(DirChoose);
    try {
        DirectoryListBox1->SetDirectory(CurrentFolder());
    } catch (const EInOutError&) {
        DirectoryListBox1->SetDirectory(QStringLiteral("/"));
    }
    DriveComboBox1->SetDrive(DirectoryListBox1->Directory());
    DirChoose->SetCaption(DisplayFileName(DirectoryListBox1->Directory()));
    DriveComboBox1->OnChange = [this](TObject* Sender) { DriveChange(Sender); };
    DirectoryListBox1->OnChange = [this](TObject* Sender) { DirChange(Sender); };
    OKBtn->setFocus();

    // The last component of the layout, so that it finds every other one; switched
    // on last, as its form file gives Active last.
    XPMenu1 = CreateXPMenu1(this, false);
    XPMenu1->SetActive(true);
}

void TOutputFolder::OKBtnClick(TObject* Sender)
{
    (void)Sender;
    FChosenFolder = DirectoryListBox1->Directory();
    FChosen = true;
    Close();
}

void TOutputFolder::CancelBtnClick(TObject* Sender)
{
    (void)Sender;
    FChosen = false;
    Close();
}

void TOutputFolder::DriveChange(TObject* Sender) { (void)Sender; }
void TOutputFolder::DirChange(TObject* Sender) { (void)Sender; }
