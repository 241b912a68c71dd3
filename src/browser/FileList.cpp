// The file list: rebuilding it for the current folder, and following the folder tree.
#include "Mainform.h"

void TForm1::RefreshFileList()
{
    ListView1->Items()->Clear();
    ScanFolder();
    UpdateCommandAvailability();
    StatusBar1->Panels()->Items(1)->SetText(QStringLiteral("一共%1个图标可供浏览！").arg(ListView1->Items()->Count()));
}

void TForm1::ScanFolder()
{
    StatusBar1->Panels()->Items(1)->SetText(QStringLiteral("正在查找可显示的图标资源..."));
}

void TForm1::DirectorySelected(TObject* Sender)
{
    (void)Sender;
    FCurrentDir = DirectoryListBox1->Directory();
    RefreshFileList();
}

void TForm1::DriveChange(TObject* Sender)
{
    (void)Sender;
    FCurrentDir = DirectoryListBox1->Directory();
}
