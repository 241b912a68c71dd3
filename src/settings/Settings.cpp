// The main window's settings: reading at creation, writing at close, the options and
// remember-last-folder commands.
#include "browser/Mainform.h"
#include "framework/FileNames.h"
#include "platform/Profile.h"
#include "settings/Option.h"

#include <QDir>
#include <QFile>

namespace {

const char kAccess[] = "Access";
const char kInit[] = "Init";
const char kView[] = "View";

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

void TForm1::FormCreate(TObject* Sender)
{
    (void)Sender;
    StatusBar1->Panels()->Items(0)->SetWidth(PreView->Width() + 1);
    try {
        const TIniFile ini(SettingsLocation().ReadFrom);
        const bool last = ini.ReadBool(kAccess, "Last", true);
        LastAccess->SetChecked(last);
        LastAccessed->SetChecked(last);
        if (!StartFolder.isEmpty()) {
            // A folder named on the command line is browsed instead of the remembered one.
            DirectoryListBox1->SetDirectory(DecodeFileName(StartFolder));
        } else if (last) {
            // A remembered folder that can no longer be entered gives way to its
            // nearest ancestor that can, at worst the root.
            QString folder = FromNative(ini.ReadString(kInit, "Directory", "/"));
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
        FShowExe = ini.ReadBool(kView, "ExeFile", true);
        FShowDll = ini.ReadBool(kView, "DllFile", true);
        FShowOcx = ini.ReadBool(kView, "OcxFile", true);
        FShowBpl = ini.ReadBool(kView, "BplFile", true);
        FShowIcl = ini.ReadBool(kView, "IclFile", true);
        FShowCpl = ini.ReadBool(kView, "CplFile", true);
        FShowScr = ini.ReadBool(kView, "ScrFile", true);
        FShowDrv = ini.ReadBool(kView, "DrvFile", true);
        FShowBmp = ini.ReadBool(kView, "BmpFile", true);
        FShowJpg = ini.ReadBool(kView, "JpgFile", true);
        FShowIco = ini.ReadBool(kView, "IcoFile", true);
        FKindsRead = true;

        if (last || !StartFolder.isEmpty())
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
    try {
        const TSettingsLocation& location = SettingsLocation();
        TMemIniFile ini(location.ReadFrom, location.WriteTo);
        // A value that cannot be stored (a folder name with a line break) is skipped;
        // the others are written all the same.
        auto store = [&ini](const char* section, const char* key, const std::string& value) {
            try {
                ini.WriteString(section, key, value);
            } catch (const EIniFileException&) {
            }
        };
        store(kAccess, "Last", LastAccess->Checked() ? "1" : "0");
        store(kInit, "Directory", Native(DirectoryListBox1->Directory()));
        // Kinds that were never read are not written: they would overwrite the
        // stored ones with the initial "off".
        if (FKindsRead) {
            const std::pair<const char*, bool> kinds[] = {
                {"ExeFile", FShowExe}, {"DllFile", FShowDll}, {"BplFile", FShowBpl}, {"OcxFile", FShowOcx},
                {"IclFile", FShowIcl}, {"CplFile", FShowCpl}, {"ScrFile", FShowScr}, {"DrvFile", FShowDrv},
                {"BmpFile", FShowBmp}, {"JpgFile", FShowJpg}, {"IcoFile", FShowIco}};
            for (const auto& [key, on] : kinds)
                store(kView, key, on ? "1" : "0");
        }
        ini.UpdateFile();
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
