// TForm1: the main window, the icon browser.
#pragma once

#include "browser/FileRows.h"
#include "extract/ExtractFormat.h"
#include "extract/ExtractionHost.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/FileCtrl.h"
#include "framework/ImgList.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "platform/ShellIcons.h"
#include "settings/Settings.h"
#include "skin/Neowin.h"
#include "xpmenu/Xpmenu.h"

#include <QMimeData>
#include <QPointer>
#include <QTemporaryDir>

#include <atomic>
#include <deque>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace gw {
struct IconFile;
}

// The main window. The extraction commands reach it through its TExtractionHost side;
// the options dialog edits its listed kinds. Its public data are the current row, the
// folder listed, the listed kinds and the two counts of folder extraction.
class TForm1 : public TNeoForm, public TListedKinds, public TExtractionHost, public TListedKindsEditor {
    Q_OBJECT
public:
    explicit TForm1(TComponent* Owner);
    ~TForm1() override;

    // ---- Layout
    TPanel* Panel13;
    TToolBar* ToolBar1;
    TToolButton* UpButton;
    TToolButton* SaveButton;
    TToolButton* ExitButton;
    TToolButton* ToolButton1;
    TToolButton* FirstButton;
    TToolButton* BackButton;
    TToolButton* ForwardButton;
    TToolButton* LastButton;
    TToolButton* ToolButton2;
    TToolButton* HelpButton;
    TToolButton* AboutButton;
    TToolButton* ToolButton3;
    TLabel* PathLable;
    TPanel* Panel11;
    TStatusBar* StatusBar1;
    TPanel* Panel10;
    TPanel* Panel1;
    TPanel* Panel4;
    TPanel* Panel5;
    TDriveComboBox* Drive1;
    TDirectoryListBox* DirectoryListBox1;
    TSplitter* Splitter2;
    TPanel* Panel3;
    TImage* PreView;
    TSplitter* Splitter1;
    TPanel* Panel2;
    TListView* ListView1;

    TImageList* ImageList1;
    TImageList* ImageList2;

    TMainMenu* MainMenu1;
    TXPMenu* XPMenu1;
    TMenuItem* N1;
    TMenuItem* N7;
    TMenuItem* N16;
    TMenuItem* N8;
    TMenuItem* N9;
    TMenuItem* V1;
    TMenuItem* N10;
    TMenuItem* N11;
    TMenuItem* N12;
    TMenuItem* N13;
    TMenuItem* O1;
    TMenuItem* Options;
    TMenuItem* LastAccess;
    TMenuItem* FormatMenu;
    TMenuItem* H1;
    TMenuItem* N2;
    TMenuItem* N3;
    TMenuItem* Glimmerwick1;

    TPopupMenu* FileMenu;
    TMenuItem* Save;
    TMenuItem* Delete;
    TMenuItem* N19;
    TMenuItem* Exit;
    TPopupMenu* ViewMenu;
    TMenuItem* First;
    TMenuItem* Back;
    TMenuItem* Next;
    TMenuItem* Last;
    TPopupMenu* SettingMenu;
    TMenuItem* Option;
    TMenuItem* LastAccessed;
    TMenuItem* FormatSetting;
    TPopupMenu* Help;
    TMenuItem* HelpMenu;
    TMenuItem* AboutMenu;

    TPopupMenu* PopupMenu1;
    TMenuItem* PreviewMenu;
    TMenuItem* InspectMenu;
    TMenuItem* SaveMenu;
    TMenuItem* DeleteMenu;
    TMenuItem* ExtractFromFile;
    TMenuItem* N4;
    TMenuItem* N5;
    TMenuItem* N14;
    TMenuItem* N15;
    TMenuItem* N17;
    TMenuItem* N6;
    TMenuItem* N18;
    TPopupMenu* PopupMenu2;
    TMenuItem* ExtractFromFolder;
    TMenuItem* ExtractFromMultiFolder;
    // Shown while folder walks run.
    TMenuItem* CancelExtract;

    TSavePictureDialog* SavePictureDialog1;
    TTimer* Timer1;

    // ---- State
    std::int32_t FCurrentIndex = 0;
    QString FCurrentDir;
    // Icons written since the last folder command started, counted on the GUI thread.
    std::int32_t FExtractedCount = 0;
    // Folder walks requested and not yet ended; the one value worker threads change too.
    std::atomic<std::int32_t> FActiveWalks{0};

    // ---- Start-up, settings, animated icon
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void ChangeIconTime(TObject* Sender);
    void OptionsClick(TObject* Sender);
    void LastAccessClick(TObject* Sender);
    void SplitterMoved(TObject* Sender);

    // ---- File list
    void RefreshFileList();
    // Adds the rows of FCurrentDir; false when a rebuild started meanwhile ended it.
    bool ScanFolder();
    void DirectorySelected(TObject* Sender);
    void DriveChange(TObject* Sender);
    // Enables the commands that need a row when the list has one.
    void UpdateCommandAvailability();

    // ---- Preview, navigation and file commands
    void ListViewSelect(TObject* Sender, TListItem* Item, bool Selected);
    void PreviewMenuClick(TObject* Sender);
    // Shows every stored image of the current row's icon in the inspector.
    void InspectMenuClick(TObject* Sender);
    void ListViewDblClick(TObject* Sender);
    void TopClick(TObject* Sender);
    void BackClick(TObject* Sender);
    void ForwardClick(TObject* Sender);
    void BottomClick(TObject* Sender);
    void UpClick(TObject* Sender);
    void SaveMenuClick(TObject* Sender);
    void DeleteMenuClick(TObject* Sender);
    void HelpClick(TObject* Sender);
    void AboutClick(TObject* Sender);
    void CloseClick(TObject* Sender);

    // ---- Extraction
    void ExtractFromFileClick(TObject* Sender);
    void ExtractFromFolderClick(TObject* Sender);
    void ExtractFromMultiFolderClick(TObject* Sender);
    // Escape, or the folder list's cancel item: every running walk stops.
    void CancelExtractClick(TObject* Sender);
    // Writes every icon of the file `Source` into `OutputFolder` and reports the result.
    void ExtractAllIcons(const QByteArray& Source, const QString& OutputFolder);
    // What the extraction commands need of the window.
    QWidget* ExtractionWindow() override;
    QString ShownFolder() const override;
    bool ExtractsFile(const QByteArray& fileName) const override;
    gw::OutputFormat ExtractFormat() const override;
    void FolderExtractionStarted() override;
    void IconWritten() override;
    int IconsWritten() const override;
    void WalksStarted(int count) override;
    int WalksEnded(int count) override;
    int ActiveWalks() const override;
    void ShowStatusText(const QString& text) override;
    void ShowListStatus() override;
    // What the options dialog edits: the listed kinds; set, the list is made anew.
    TListedKinds ListedKinds() const override;
    void SetListedKinds(const TListedKinds& kinds) override;

    // Sees every command that a component's event runs, by handler name ("SaveMenuClick"),
    // before the handler; returning true skips the handler. For tests of the bindings.
    using TCommandHook = std::function<bool(const QString& Handler, TObject* Sender)>;
    void SetCommandHook(TCommandHook hook) { FCommandHook = std::move(hook); }
    // The settings as read at the start and changed since; written when the window closes.
    const TSettings& Settings() const { return FSettings; }
    // Where the animated application icon's frames come from: ExtractIconA, or what a
    // test installs.
    void SetAppIconSource(std::function<HICON(HINSTANCE, const char*, int)> source)
    {
        FAppIconSource = std::move(source);
    }

    // FCurrentDir as the bytes the file system names it by.
    QByteArray FolderPath() const;
    // The row an item of the list shows; null for none.
    static const gw::FolderRow* RowOf(const TListItem* Item);
    // The rows of the listed folder.
    const TFileRows& Rows() const { return FRows; }
    // The readable path of a row's file, as the user is shown it.
    QString RowDisplayPath(const gw::FolderRow& Row) const;
    // Makes row `index` the only selected row without scrolling; clears the selection
    // when there is no such row. Returns the row or null.
    const gw::FolderRow* SelectRow(int index);
    // Shows the row's icon in the preview.
    void ShowRowIcon(const gw::FolderRow& Row);

    // ---- Desktop integration
    // The folder named on the command line (raw bytes); FormCreate lists it in place of
    // the remembered one. Set only while the start-up creates the window.
    static void SetStartFolder(const QByteArray& folder) { FStartFolder = folder; }
    // Selects and shows the first row of the file whose raw name is `name`; false when
    // the list has none.
    bool SelectFileRow(const QByteArray& name);
    // Browses `path` (raw bytes, absolute) as `glimmerwick PATH` does: a folder, or a
    // file's folder with the file's first row selected. 0 or the errno of the failure.
    int BrowsePath(const QByteArray& path);
    // Files dropped on the window: the first that can be browsed is; when none can, the
    // status bar says why.
    void FilesDropped(TObject* Sender, const QList<QByteArray>& Files);
    // The help: help.chm where the desktop has a viewer for it, otherwise the same pages
    // as HTML in the desktop's browser or, without one, in the program's help window.
    void OpenHelp();
    // Moves the focus to the next (or previous) of the folder list, the icon list, the
    // tool bar and the drive box.
    void FocusNextPane(bool forward);
    // The row's icon for other programs: the file Save would write in the type chosen
    // last (a file in the program's scratch folder, by URL) and the group's largest
    // image, as image and as PNG.
    QMimeData* RowIconData(const gw::FolderRow* Row);
    // Ctrl+C: the current row's icon onto the clipboard.
    void CopyIcon();
    // The help window while it is open.
    QWidget* HelpWindow() const { return FHelpWindow; }

private:
    static inline QByteArray FStartFolder;
    TCommandHook FCommandHook;
    // Read by FormCreate and written by FormClose. Its SaveFileType is the type chosen
    // last in the save dialog: dragged and copied icons become files of this type.
    TSettings FSettings;
    std::function<HICON(HINSTANCE, const char*, int)> FAppIconSource = ExtractIconA;
    QPointer<QWidget> FHelpWindow;
    // Counts rebuilds of the list, so that a scan can tell that a newer one replaced it.
    std::uint64_t FScanGeneration = 0;
    // The listed rows; the list's items point at them through TListItem::Data.
    TFileRows FRows;

    void CreateLayout();
    void CreateMenus();
    void BindCommands();
    // Keys and gestures of the desktop: F1, Ctrl+Q, Ctrl+C, dragging rows out.
    void BindDesktopCommands();
    // The row's icon as a file of `format` read from the row's file, which `file` holds
    // open (Original or Png); empty when the file holds no such icon.
    static std::vector<std::uint8_t> RowIconBytes(const gw::IconFile& file, const gw::FolderRow& Row,
                                                  gw::OutputFormat format);
    // The two extraction-format submenus of the settings menus.
    TExtractFormatMenus FFormatMenus{FSettings.ExtractFormat};
    // Where dragged and copied icons are written; made on first use, removed at exit.
    std::unique_ptr<QTemporaryDir> FScratchFolder;
};

// "一共N个图标可供浏览！": the status text after a rebuild and a selection.
QString ListStatusText(int count);

// The main window, as the rest of the program reaches it.
extern TForm1* Form1;
// Ticks of the animated application icon so far.
extern std::int32_t IconFrameCounter;
