// Preview, navigation, file and extraction commands of the main window.
#include "Mainform.h"

void TForm1::ListViewSelect(TObject* Sender, TListItem* Item, bool Selected)
{
    (void)Sender;
    (void)Item;
    (void)Selected;
}

void TForm1::PreviewMenuClick(TObject* Sender) { (void)Sender; }
void TForm1::ListViewDblClick(TObject* Sender) { SaveMenuClick(Sender); }
void TForm1::TopClick(TObject* Sender) { (void)Sender; }
void TForm1::BackClick(TObject* Sender) { (void)Sender; }
void TForm1::ForwardClick(TObject* Sender) { (void)Sender; }
void TForm1::BottomClick(TObject* Sender) { (void)Sender; }
void TForm1::UpClick(TObject* Sender) { (void)Sender; }
void TForm1::SaveMenuClick(TObject* Sender) { (void)Sender; }
void TForm1::DeleteMenuClick(TObject* Sender) { (void)Sender; }
void TForm1::HelpClick(TObject* Sender) { (void)Sender; }
void TForm1::AboutClick(TObject* Sender) { (void)Sender; }

void TForm1::CloseClick(TObject* Sender)
{
    (void)Sender;
    Close();
}

void TForm1::ExtractFromFileClick(TObject* Sender) { (void)Sender; }
void TForm1::ExtractFromFolderClick(TObject* Sender) { (void)Sender; }
void TForm1::ExtractFromMultiFolderClick(TObject* Sender) { (void)Sender; }
