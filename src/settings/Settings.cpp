// The main window's settings over the settings file, and the table of file kinds.
#include "settings/Settings.h"

#include "core/FileKinds.h"
#include "settings/Option.h"

#include <QtGlobal>

namespace {

const char kAccess[] = "Access";
const char kInit[] = "Init";
const char kView[] = "View";
const char kExtract[] = "Extract";

// A stored format; a value no format has reads as the first.
gw::OutputFormat ReadFormat(const TIniFile& ini, const char* key)
{
    const gw::OutputFormat first = gw::kOutputFormats.front().Format;
    return gw::OutputFormatFromValue(ini.ReadInteger(kExtract, key, int(first))).value_or(first);
}

} // namespace

// clang-format off
const TWindowFileKind kWindowFileKinds[11] = {
    {gw::kExeKind, &TListedKinds::FShowExe, "ExeFile", &TBrowseItem::ExeChk, "ExeChk", QT_TRANSLATE_NOOP("TBrowseItem", ".exe可执行程序"), 20, 30, 139, 20, 0, 1, false},
    {gw::kDllKind, &TListedKinds::FShowDll, "DllFile", &TBrowseItem::DllChk, "DllChk", QT_TRANSLATE_NOOP("TBrowseItem", ".dll动态链接库"), 20, 69, 139, 21, 1, 2, false},
    {gw::kBplKind, &TListedKinds::FShowBpl, "BplFile", &TBrowseItem::BplChk, "BplChk", QT_TRANSLATE_NOOP("TBrowseItem", ".bpl Borland 包库"), 177, 69, 169, 21, 5, 6, false},
    {gw::kOcxKind, &TListedKinds::FShowOcx, "OcxFile", &TBrowseItem::OcxChk, "OcxChk", QT_TRANSLATE_NOOP("TBrowseItem", ".ocx对象控件程序"), 20, 108, 158, 21, 2, 5, false},
    {gw::kIclKind, &TListedKinds::FShowIcl, "IclFile", &TBrowseItem::IclChk, "IclChk", QT_TRANSLATE_NOOP("TBrowseItem", ".icl 图标库"), 20, 148, 119, 21, 3, 8, false},
    {gw::kCplKind, &TListedKinds::FShowCpl, "CplFile", &TBrowseItem::CplChk, "CplChk", QT_TRANSLATE_NOOP("TBrowseItem", ".cpl 控制面板程序"), 177, 30, 169, 20, 4, 7, false},
    {gw::kScrKind, &TListedKinds::FShowScr, "ScrFile", &TBrowseItem::ScrChk, "ScrChk", QT_TRANSLATE_NOOP("TBrowseItem", ".scr 屏幕保护程序"), 177, 108, 169, 21, 6, 9, false},
    {gw::kDrvKind, &TListedKinds::FShowDrv, "DrvFile", &TBrowseItem::DrvChk, "DrvChk", QT_TRANSLATE_NOOP("TBrowseItem", ".drv 驱动程序"), 177, 148, 139, 21, 7, 10, false},
    {gw::kBmpKind, &TListedKinds::FShowBmp, "BmpFile", &TBrowseItem::BmpChk, "BmpChk", QT_TRANSLATE_NOOP("TBrowseItem", ".bmp 位图文件"), 364, 30, 130, 20, 8, 3, true},
    // Never listed: the setting is kept, its check box hidden.
    {-1,           &TListedKinds::FShowJpg, "JpgFile", &TBrowseItem::JpgChk, "JpgChk", QT_TRANSLATE_NOOP("TBrowseItem", ".jpg|.jpeg 压缩文件"), 364, 108, 189, 21, 9, 0, false},
    {gw::kIcoKind, &TListedKinds::FShowIco, "IcoFile", &TBrowseItem::IcoChk, "IcoChk", QT_TRANSLATE_NOOP("TBrowseItem", ".ico 图标文件"), 364, 69, 130, 21, 10, 4, true},
};
// clang-format on

const TWindowFileKind* FindListedKind(const TListedKinds& kinds, std::string_view fileName)
{
    const int kind = gw::FindFileKindIndex(fileName);
    if (kind < 0)
        return nullptr;
    for (const TWindowFileKind& k : kWindowFileKinds)
        if (k.Kind == kind)
            return kinds.*k.Flag ? &k : nullptr;
    return nullptr;
}

TSettings TSettings::Load(const std::string& fileName)
{
    const TIniFile ini(fileName);
    TSettings settings;
    settings.LastAccess = ini.ReadBool(kAccess, "Last", true);
    settings.Directory = ini.ReadString(kInit, "Directory", "/");
    settings.Language = ini.ReadString(kInit, "Language", "");
    for (const TWindowFileKind& k : kWindowFileKinds)
        settings.Kinds.*k.Flag = ini.ReadBool(kView, k.IniKey, true);
    settings.KindsRead = true;
    settings.ExtractFormat = ReadFormat(ini, "Format");
    settings.SaveFileType = ReadFormat(ini, "SaveType");
    return settings;
}

void TSettings::Save(const TSettingsLocation& location) const
{
    TMemIniFile ini(location.ReadFrom, location.WriteTo);
    auto store = [&ini](const char* section, const char* key, const std::string& value) {
        try {
            ini.WriteString(section, key, value);
        } catch (const EIniFileException&) {
        }
    };
    store(kAccess, "Last", LastAccess ? "1" : "0");
    store(kInit, "Directory", Directory);
    if (KindsRead) {
        for (const TWindowFileKind& k : kWindowFileKinds)
            store(kView, k.IniKey, Kinds.*k.Flag ? "1" : "0");
    }
    store(kExtract, "Format", std::to_string(int(ExtractFormat)));
    store(kExtract, "SaveType", std::to_string(int(SaveFileType)));
    ini.UpdateFile();
}
