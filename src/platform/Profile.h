// Profile (INI) files: the program's own reader and writer, and where its settings live.
#pragma once

#include <cstddef>
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
    // Larger files are neither read nor rewritten.
    static constexpr std::size_t kMaxFileSize = 1 << 20;

    explicit TIniFile(std::string fileName);

    const std::string& FileName() const { return FFileName; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // The value as a signed 32-bit integer: decimal, or hexadecimal after "0x"/"0X"
    // (when there is more than the prefix) or "$". Anything else gives the default.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

    // Throw EIniFileException when the file cannot be written.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

    // The parsing rules, exposed for tests and other callers.
    static std::optional<int> ParseInteger(const std::string& text);

private:
    std::optional<std::string> Find(const std::string& section, const std::string& key) const;
    void Store(const std::string& section, const std::string& key, const std::string& value);
    void Flush() const;

    std::string FFileName;
    std::vector<std::string> FLines;
    std::string FNewline = "\n";
    // False when an existing file could not be read (too large, no permission): the
    // writer then leaves it alone.
    bool FWritable = true;
};

// The folder of the running executable, without a trailing separator.
std::string ApplicationFolder();
// Tests point the application folder elsewhere; an empty text restores the real one.
void SetApplicationFolderForTesting(const std::string& folder);

// The settings file: beside the executable, named like it with ".INI"; when that
// folder cannot be written, $XDG_CONFIG_HOME/glimmerwick/<name>.INI (default
// ~/.config).
std::string SettingsFileName();
