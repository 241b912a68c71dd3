// The main window's settings over the settings file, and the table of file kinds.
#include "settings/Settings.h"

#include "core/FileKinds.h"

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
    {gw::kExeKind, &TListedKinds::FShowExe, "ExeFile", 1, false},
    {gw::kDllKind, &TListedKinds::FShowDll, "DllFile", 2, false},
    {gw::kBplKind, &TListedKinds::FShowBpl, "BplFile", 6, false},
    {gw::kOcxKind, &TListedKinds::FShowOcx, "OcxFile", 5, false},
    {gw::kIclKind, &TListedKinds::FShowIcl, "IclFile", 8, false},
    {gw::kCplKind, &TListedKinds::FShowCpl, "CplFile", 7, false},
    {gw::kScrKind, &TListedKinds::FShowScr, "ScrFile", 9, false},
    {gw::kDrvKind, &TListedKinds::FShowDrv, "DrvFile", 10, false},
    {gw::kBmpKind, &TListedKinds::FShowBmp, "BmpFile", 3, true},
    // Never listed: the setting is kept.
    {-1,           &TListedKinds::FShowJpg, "JpgFile", 0, false},
    {gw::kIcoKind, &TListedKinds::FShowIco, "IcoFile", 4, true},
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
