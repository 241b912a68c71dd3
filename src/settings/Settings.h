// The main window's settings as a value, read from and written to the settings file,
// and the one table of what the window knows of each file kind.
#pragma once

#include "core/OutputFormat.h"
#include "platform/Profile.h"

#include <cstddef>
#include <string>
#include <string_view>

// Which file kinds the window lists: the main window holds them under these names,
// and the options dialog edits them.
struct TListedKinds {
    bool FShowExe = false;
    bool FShowDll = false;
    bool FShowOcx = false;
    bool FShowBpl = false;
    bool FShowCpl = false;
    bool FShowIcl = false;
    bool FShowDrv = false;
    bool FShowScr = false;
    bool FShowBmp = false;
    bool FShowJpg = false;
    bool FShowIco = false;
};

// What the options dialog edits: the listed kinds of their holder, the main window.
class TListedKindsEditor {
public:
    virtual TListedKinds ListedKinds() const = 0;
    // The dialog was applied: the holder takes `kinds` and lists its folder anew.
    virtual void SetListedKinds(const TListedKinds& kinds) = 0;

protected:
    ~TListedKindsEditor() = default;
};

// One file kind as the window knows it.
struct TWindowFileKind {
    int Kind;  // its index in gw::kFileKinds; -1 for a kind never listed
    bool TListedKinds::*Flag;
    const char* IniKey;  // in the settings file's [View] section
    int ImageIndex;      // the list's image for a row of the kind
    bool OneRow;         // listed as one row (icon 0) whatever the file holds
};

// In the order the settings file gets new keys.
extern const TWindowFileKind kWindowFileKinds[11];

// The kind of the file of raw name `fileName` among those `kinds` lists, or null.
const TWindowFileKind* FindListedKind(const TListedKinds& kinds, std::string_view fileName);

// The main window's settings.
struct TSettings {
    // Whether the folder shown at the end is shown again at the next start.
    bool LastAccess = true;
    // That folder, raw bytes.
    std::string Directory = "/";
    TListedKinds Kinds;
    // Whether Kinds hold what was read: kinds never read are not written, so that the
    // stored ones are not replaced by the initial "off".
    bool KindsRead = false;
    // The language of the window's texts ("zh" or "en"); empty: the desktop's. Set by
    // hand in [Init] Language and never written: a saved file keeps what it held.
    std::string Language;
    // The format the extraction commands write, and the type chosen last in the save
    // dialog (which dragged and copied icons take too), stored as their values; kept in
    // a section of their own that older copies pass over.
    gw::OutputFormat ExtractFormat = gw::OutputFormat::Icon16;
    gw::OutputFormat SaveFileType = gw::OutputFormat::Icon16;

    // Reads the file `fileName`; what it lacks keeps its default (every kind listed).
    static TSettings Load(const std::string& fileName);
    // Writes the settings to `location`. A value that cannot be stored (a folder name
    // with a line break) is skipped and the others are written all the same; throws
    // when the file cannot be written.
    void Save(const TSettingsLocation& location) const;
};
