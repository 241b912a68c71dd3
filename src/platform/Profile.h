// Profile (INI) files: the program's own reader and writer, and where its settings live.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A profile file that could not be written; the file on disk is unchanged.
class EIniFileException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the file once when constructed; every Write* rewrites the whole file at once
// through a temporary file that replaces it, so a failed write leaves the old file
// as it was. Section and key names compare without regard to ASCII case. Lines the
// reader does not understand (comments, garbage) are kept as they are.
class TIniFile {
public:
    // Longest value ReadString returns, in bytes (the platform's 2048-byte buffer).
    static constexpr std::size_t kMaxValueLength = 2047;
    // Only this much of a file is read, up to its last whole line; a rewrite carries
    // the rest over unread.
    static constexpr std::size_t kMaxFileSize = 1 << 20;

    explicit TIniFile(std::string fileName);
    // Reads `fileName`, writes `writeFileName` (a copy with the changes when they differ).
    TIniFile(std::string fileName, std::string writeFileName);
    virtual ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const std::string& FileName() const { return FFileName; }
    const std::string& WriteFileName() const { return FWriteFileName; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // The value as a signed 32-bit integer: decimal, or hexadecimal after "0x"/"0X"
    // (when there is more than the prefix) or "$". Anything else gives the default.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

    // Throw EIniFileException when the value cannot be stored (a line break) or the
    // file cannot be written.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

    // The parsing rules, exposed for tests and other callers.
    static std::optional<int> ParseInteger(const std::string& text);

protected:
    // Writes the lines held in memory to the file.
    void Flush() const;
    // When set, Write* only change the lines in memory.
    bool FDeferred = false;

private:
    void FlushWithTail(const std::string& target, const std::string& content) const;
    void Load();
    std::optional<std::string> Find(const std::string& section, const std::string& key) const;
    void Store(const std::string& section, const std::string& key, const std::string& value);

    std::string FFileName;
    std::string FWriteFileName;
    std::vector<std::string> FLines;
    std::string FNewline = "\n";
    // A UTF-8 byte-order mark that opened the file; written back.
    bool FByteOrderMark = false;
    // The part of a file beyond kMaxFileSize: copied from this descriptor, from this
    // offset on, when the file is rewritten. -1: the whole file was read.
    int FTailFd = -1;
    std::uint64_t FTailOffset = 0;
    // Where the next new section goes in such a file.
    std::size_t FNewSectionsAt = 0;
    // False when an existing file could not be read (no permission, not a regular
    // file): the writer then leaves it alone.
    bool FWritable = true;
};

// Changes stay in memory until UpdateFile writes them all at once.
class TMemIniFile : public TIniFile {
public:
    explicit TMemIniFile(std::string fileName) : TIniFile(std::move(fileName)) { FDeferred = true; }
    TMemIniFile(std::string fileName, std::string writeFileName)
        : TIniFile(std::move(fileName), std::move(writeFileName))
    {
        FDeferred = true;
    }
    // Throws EIniFileException when the file cannot be written.
    void UpdateFile() const { Flush(); }
};

// The folder of the running executable, without a trailing separator.
std::string ApplicationFolder();
// Tests point the application folder elsewhere; an empty text restores the real one.
// Either way the settings location is worked out anew on its next use.
void SetApplicationFolderForTesting(const std::string& folder);
// A data file the program ships (the help pages): beside the executable in the build
// tree and in an unpacked copy, else in the installed data folder that
// GW_DATA_FROM_PROGRAM names relative to the executable's folder; the name beside the
// executable when it is in neither.
std::string CompanionFile(const std::string& name);

// Where the settings are read at start and written at close.
struct TSettingsLocation {
    std::string ReadFrom;
    std::string WriteTo;
};

// A file of this name beside the executable marks an installed copy (the install
// writes it); such a copy keeps its settings in the user's config folder.
inline constexpr char kInstalledMarker[] = "glimmerwick.installed";

// The settings file of a copy whose executable lies in `folder` and is named
// `exeName`: <name>.INI beside the executable, or
// $XDG_CONFIG_HOME/glimmerwick/<name>.INI (default ~/.config) for an installed copy
// or when the folder cannot be written. In the latter case an existing file beside
// the executable is still read as long as the config folder holds none.
TSettingsLocation FindSettingsLocation(const std::string& folder, const std::string& exeName);

// The location for the running program, worked out on the first call (at start) and
// kept: the executable may be replaced while the program runs.
const TSettingsLocation& SettingsLocation();
// The file the settings are written to.
std::string SettingsFileName();
