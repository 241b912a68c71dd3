// The formats extracted icons are written in, the icons of one file as files of a
// format, and the menu that chooses the format.
#pragma once

#include "platform/Icon.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace gw {
struct IconFile;
}
class TComponent;
class TExtractionHost;
class TMenuItem;

// The values are those the settings file stores.
enum class TExtractFormat {
    // One 32x32 16-colour image per icon, as the window has always written.
    Icon16 = 1,
    // Each group as stored, byte for byte, as glimmerwick-cli extract writes it.
    Original = 2,
    // Each group's largest image as PNG.
    Png = 3,
};

// The format of settings value `value`; Icon16 for a value no format has.
TExtractFormat ExtractFormatFromValue(int value);
// ".ico" or ".png".
const char* ExtractFormatExtension(TExtractFormat format);

// The icons of one file, each as the contents of the file `format` writes for it.
class TFileIcons {
public:
    TFileIcons(TExtractionHost& host, const QByteArray& source, TExtractFormat format);
    ~TFileIcons();
    TFileIcons(const TFileIcons&) = delete;
    TFileIcons& operator=(const TFileIcons&) = delete;

    int Count() const { return FCount; }
    // The file of icon `index`; empty when the icon cannot be read.
    std::vector<std::uint8_t> Bytes(int index);

private:
    TExtractionHost& FHost;
    QByteArray FSource;
    TExtractFormat FFormat;
    // The file opened once for the full-quality formats.
    std::unique_ptr<gw::IconFile> FFile;
    TIcon FHolder;
    int FCount = 0;
};

// The "提取格式(&E)" submenus: one per settings menu, their checks kept together and
// the choice kept in the host.
class TExtractFormatMenus {
public:
    explicit TExtractFormatMenus(TExtractionHost& host) : FHost(host) {}

    // Adds the submenu, named `name` (its items `name` + "Icon16", "Original", "Png"),
    // at the end of `parent`.
    TMenuItem* AddTo(TComponent* owner, TMenuItem* parent, const QString& name);
    // Checks the host's format in every submenu.
    void Sync();

private:
    TExtractionHost& FHost;
    std::vector<std::array<TMenuItem*, 3>> FItems;
};
