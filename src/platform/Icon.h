// TIcon: the holder of one icon handle, and the writer of 16-colour .ico files.
#pragma once

#include "platform/ShellIcons.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// "Icon image is not valid", "Bitmap image is not valid".
class EInvalidGraphic : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Cannot create file %s"; Code is the system's reason (errno), 0 when unknown.
class EFCreateError : public std::runtime_error {
public:
    explicit EFCreateError(const std::string& text, int code = 0) : std::runtime_error(text), Code(code) {}
    int Code;
};

// A stream that could not take the whole encoding.
class EWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kSInvalidIcon = "Icon image is not valid";
inline constexpr const char* kSInvalidBitmap = "Bitmap image is not valid";
inline constexpr const char* kSFCreateError = "Cannot create file %s";
inline constexpr const char* kSWriteError = "Stream write error";

class TIcon {
public:
    TIcon() = default;
    ~TIcon();
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    HICON GetHandle() const { return FHandle; }
    // Takes ownership of `handle`; destroys the handle held before and drops the
    // cached encoding.
    void SetHandle(HICON handle);
    bool Empty() const { return FHandle == 0; }

    // Writes the icon as a single-image 16-colour .ico file. The icon is encoded
    // first; an existing file is replaced as FileWrite::Replace does (through links,
    // keeping its mode; a file the user may not write, or one that is no regular
    // file, is refused). On any failure the target is untouched and nothing is left
    // behind. With `within`, a link is followed only to a file in that folder.
    void SaveToFile(const std::string& fileName, const std::string& within = {});
    // Like SaveToFile, but never replaces an existing file: returns false when
    // `fileName` exists (also when another program creates it meanwhile).
    bool SaveToNewFile(const std::string& fileName);
    void SaveToStream(std::ostream& stream);

    // The encoded file image; built on first use and kept until the handle changes.
    const std::vector<std::uint8_t>& Encoded();

private:
    bool WriteFile(const std::string& fileName, bool replace, const std::string& within = {});

    HICON FHandle = 0;
    std::optional<std::vector<std::uint8_t>> FEncoded;
};
