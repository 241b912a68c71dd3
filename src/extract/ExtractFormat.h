// The icons of one file as files of an output format, and the menu that chooses the
// format the extraction commands write.
#pragma once

#include "core/OutputFormat.h"
#include "platform/Icon.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class TComponent;
class TExtractionRun;
class TMenuItem;

// The icons of one file, each as the contents of the file `format` writes for it.
class TFileIcons {
public:
    // The icons of `source` in the format of `run`, read from its icon source.
    TFileIcons(const TExtractionRun& run, const QByteArray& source);
    ~TFileIcons();
    TFileIcons(const TFileIcons&) = delete;
    TFileIcons& operator=(const TFileIcons&) = delete;

    int Count() const { return FCount; }
    // The file of icon `index`; empty when the icon cannot be read.
    std::vector<std::uint8_t> Bytes(int index);

private:
    const TExtractionRun& FRun;
    QByteArray FSource;
    gw::OutputFormat FFormat;
    // The file opened once for the full-quality formats.
    std::unique_ptr<gw::IconFile> FFile;
    TIcon FHolder;
    int FCount = 0;
};

// The "提取格式(&E)" submenus: one per settings menu, their checks kept together and
// the choice kept where `format` points.
class TExtractFormatMenus {
public:
    explicit TExtractFormatMenus(gw::OutputFormat& format) : FFormat(format) {}

    // Adds the submenu, named `name` (its items `name` + "Icon16", "Original", "Png"),
    // at the end of `parent`.
    TMenuItem* AddTo(TComponent* owner, TMenuItem* parent, const QString& name);
    // Checks the chosen format in every submenu.
    void Sync();

private:
    gw::OutputFormat& FFormat;
    std::vector<std::array<TMenuItem*, 3>> FItems;
};
