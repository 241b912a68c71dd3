// TForm1: construction, command bindings and availability, and the settings handlers.
#include "browser/Mainform.h"

#include "extract/ExtractionRun.h"
#include "forms/FormResources.h"
#include "framework/FileNames.h"
#include "settings/Option.h"

#include <QDir>

TForm1* Form1 = nullptr;

namespace {

std::string Native(const QString& path)
{
    return EncodeFileName(path).toStdString();
}

QString FromNative(const std::string& path)
{
    return DecodeFileName(QByteArray::fromStdString(path));
}

// The folder above `path`; "/" above a top-level folder or a relative name.
QString ParentFolder(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    const int slash = clean.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : clean.left(slash);
}

} // namespace

TForm1::TForm1(TComponent* Owner)
    : TNeoForm(Owner)
{
    InitFormResources();
    Form1 = this;
    CreateLayout();

    // Constructor body.
    FCurrentDir.clear();
    FActiveWalks = 0;
    SetSizeable(true);
    SetMenuButton(0, FileMenu, tr("文件(&F)"));
    SetMenuButton(1, ViewMenu, tr("浏览(&V)"));
    SetMenuButton(2, SettingMenu, tr("设置(&S)"));
    SetMenuButton(3, Help, tr("帮助(&H)"));
}

TForm1::~TForm1()
{
    FCurrentDir.clear();
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::BindCommands()
{
    using Handler = void (TForm1::*)(TObject*);
    // The handlers the components' events run, by the names the command hook sees.
    static const std::pair<Handler, const char*> kHandlers[] = {
        {&TForm1::UpClick, "UpClick"},
        {&TForm1::SaveMenuClick, "SaveMenuClick"},
        {&TForm1::CloseClick, "CloseClick"},
        {&TForm1::TopClick, "TopClick"},
        {&TForm1::BackClick, "BackClick"},
        {&TForm1::ForwardClick, "ForwardClick"},
        {&TForm1::BottomClick, "BottomClick"},
        {&TForm1::HelpClick, "HelpClick"},
        {&TForm1::AboutClick, "AboutClick"},
        {&TForm1::DeleteMenuClick, "DeleteMenuClick"},
        {&TForm1::OptionsClick, "OptionsClick"},
        {&TForm1::LastAccessClick, "LastAccessClick"},
        {&TForm1::PreviewMenuClick, "PreviewMenuClick"},
        {&TForm1::InspectMenuClick, "InspectMenuClick"},
        {&TForm1::ExtractFromFileClick, "ExtractFromFileClick"},
        {&TForm1::ExtractFromFolderClick, "ExtractFromFolderClick"},
        {&TForm1::ExtractFromMultiFolderClick, "ExtractFromMultiFolderClick"},
        {&TForm1::CancelExtractClick, "CancelExtractClick"},
        {&TForm1::DriveChange, "DriveChange"},
        {&TForm1::DirectorySelected, "DirectorySelected"},
        {&TForm1::SplitterMoved, "SplitterMoved"},
        {&TForm1::ListViewDblClick, "ListViewDblClick"},
        {&TForm1::ChangeIconTime, "ChangeIconTime"},
    };
    auto bind = [this](TNotifyEvent& event, Handler handler) {
        const char* name = nullptr;
        for (const auto& [method, text] : kHandlers)
            if (method == handler)
                name = text;
        Q_ASSERT(name);
        event = [this, handler, name](TObject* Sender) {
            if (FCommandHook && FCommandHook(QString::fromLatin1(name), Sender))
                return;
            (this->*handler)(Sender);
        };
    };

    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
    OnClose = [this](TObject* Sender, TCloseAction& Action) { FormClose(Sender, Action); };

    bind(UpButton->OnClick, &TForm1::UpClick);
    bind(SaveButton->OnClick, &TForm1::SaveMenuClick);
    bind(ExitButton->OnClick, &TForm1::CloseClick);
    bind(FirstButton->OnClick, &TForm1::TopClick);
    bind(BackButton->OnClick, &TForm1::BackClick);
    bind(ForwardButton->OnClick, &TForm1::ForwardClick);
    bind(LastButton->OnClick, &TForm1::BottomClick);
    bind(HelpButton->OnClick, &TForm1::HelpClick);
    bind(AboutButton->OnClick, &TForm1::AboutClick);

    for (TMenuItem* i : {N7, Save, SaveMenu})
        bind(i->OnClick, &TForm1::SaveMenuClick);
    for (TMenuItem* i : {N16, Delete, DeleteMenu})
        bind(i->OnClick, &TForm1::DeleteMenuClick);
    for (TMenuItem* i : {N9, Exit})
        bind(i->OnClick, &TForm1::CloseClick);
    for (TMenuItem* i : {N10, First, N5})
        bind(i->OnClick, &TForm1::TopClick);
    for (TMenuItem* i : {N11, Back, N14})
        bind(i->OnClick, &TForm1::BackClick);
    for (TMenuItem* i : {N12, Next, N15})
        bind(i->OnClick, &TForm1::ForwardClick);
    for (TMenuItem* i : {N13, Last, N17})
        bind(i->OnClick, &TForm1::BottomClick);
    for (TMenuItem* i : {Options, Option})
        bind(i->OnClick, &TForm1::OptionsClick);
    for (TMenuItem* i : {LastAccess, LastAccessed})
        bind(i->OnClick, &TForm1::LastAccessClick);
    for (TMenuItem* i : {N2, HelpMenu})
        bind(i->OnClick, &TForm1::HelpClick);
    for (TMenuItem* i : {Glimmerwick1, AboutMenu})
        bind(i->OnClick, &TForm1::AboutClick);
    bind(PreviewMenu->OnClick, &TForm1::PreviewMenuClick);
    bind(InspectMenu->OnClick, &TForm1::InspectMenuClick);
    bind(ExtractFromFile->OnClick, &TForm1::ExtractFromFileClick);
    bind(N18->OnClick, &TForm1::UpClick);
    bind(ExtractFromFolder->OnClick, &TForm1::ExtractFromFolderClick);
    bind(ExtractFromMultiFolder->OnClick, &TForm1::ExtractFromMultiFolderClick);
    bind(CancelExtract->OnClick, &TForm1::CancelExtractClick);
    PopupMenu2->OnPopup = [this](TObject*) { CancelExtract->SetVisible(FActiveWalks > 0); };

    bind(Drive1->OnChange, &TForm1::DriveChange);
    bind(DirectoryListBox1->OnChange, &TForm1::DirectorySelected);
    bind(Splitter1->OnMoved, &TForm1::SplitterMoved);
    bind(ListView1->OnDblClick, &TForm1::ListViewDblClick);
    ListView1->OnSelectItem = [this](TObject* Sender, TListItem* Item, bool Selected) {
        ListViewSelect(Sender, Item, Selected);
    };
    bind(Timer1->OnTimer, &TForm1::ChangeIconTime);
}

void TForm1::UpdateCommandAvailability()
{
    const bool any = ListView1->Items()->Count() > 0;
    SaveButton->SetEnabled(any);
    for (TMenuItem* i : {PreviewMenu, InspectMenu, SaveMenu, DeleteMenu, ExtractFromFile, Save, Delete})
        i->SetEnabled(any);
}

void TForm1::SplitterMoved(TObject* Sender)
{
    (void)Sender;
    StatusBar1->Panels()->Items(0)->SetWidth(PreView->Width() + 1);
    Drive1->SetWidth(PreView->Width());
}

void TForm1::FormCreate(TObject* Sender)
{
    (void)Sender;
    StatusBar1->Panels()->Items(0)->SetWidth(PreView->Width() + 1);
    try {
        const TSettings settings = TSettings::Load(SettingsLocation().ReadFrom);
        const bool last = settings.LastAccess;
        LastAccess->SetChecked(last);
        LastAccessed->SetChecked(last);
        if (!FStartFolder.isEmpty()) {
            // A folder named on the command line is browsed instead of the remembered one.
            DirectoryListBox1->SetDirectory(DecodeFileName(FStartFolder));
        } else if (last) {
            // A remembered folder that can no longer be entered gives way to its
            // nearest ancestor that can, at worst the root.
            QString folder = FromNative(settings.Directory);
            if (folder.isEmpty() || !folder.startsWith(QLatin1Char('/')))
                folder = QStringLiteral("/");
            for (;;) {
                try {
                    DirectoryListBox1->SetDirectory(folder);
                    break;
                } catch (const std::exception&) {
                    if (folder == QLatin1String("/"))
                        throw;
                    folder = ParentFolder(folder);
                }
            }
        }
        FSettings = settings;
        static_cast<TListedKinds&>(*this) = settings.Kinds;
        FFormatMenus.Sync();

        if (last || !FStartFolder.isEmpty())
            Drive1->SetDrive(DriveOf(DirectoryListBox1->Directory()));
        FCurrentDir = DirectoryListBox1->Directory();
        PathLable->SetCaption(DisplayFileName(FCurrentDir));
        RefreshFileList();
    } catch (const std::exception&) {
        // Reading the settings fails silently; the window starts with what it has.
    }
}

void TForm1::FormClose(TObject* Sender, TCloseAction& Action)
{
    (void)Sender;
    (void)Action;
    // The program ends with the window: nothing more is extracted.
    TExtractionRun::EndAll(*this);
    try {
        FSettings.LastAccess = LastAccess->Checked();
        FSettings.Directory = Native(DirectoryListBox1->Directory());
        FSettings.Kinds = *this;
        FSettings.Save(SettingsLocation());
    } catch (const std::exception&) {
        // An unwritable settings file is not reported; the window closes anyway.
    }
}

void TForm1::OptionsClick(TObject* Sender)
{
    (void)Sender;
    TBrowseItem dialog(nullptr, this);
    dialog.ShowModal();
}

void TForm1::LastAccessClick(TObject* Sender)
{
    (void)Sender;
    LastAccess->SetChecked(!LastAccess->Checked());
    LastAccessed->SetChecked(!LastAccessed->Checked());
}
