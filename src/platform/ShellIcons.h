// The shell's icon extraction (ExtractIconA) and the process-wide table of icon handles.
#pragma once

#include "core/IconImage.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

using HICON = std::uintptr_t;
using HINSTANCE = std::uintptr_t;

// Pixel size of the icons that ExtractIconA hands out (the large icon size).
inline constexpr int kLargeIconSize = 32;

// index -1: the number of icons in the file (0 when it has none or cannot be read).
// index >= 0: a handle to icon `index`; 0 when there is no such icon; 1 when the file
// is readable but neither an executable nor an icon file.
// index -n (n >= 2): the icon group whose resource ID is n.
// `hInst` is not used.
HICON ExtractIconA(HINSTANCE hInst, const char* fileName, int index);

// Icon `index` of the file, numbered as ExtractIconA numbers them, for a screen that
// shows it on `size` device pixels: the group's image of that size, else its smallest
// larger one scaled down, else its largest as it is (never enlarged). Empty where
// ExtractIconA hands out no icon.
std::optional<gw::IconImage> ExtractIconImageNear(const char* fileName, int index, int size);

// Frees a handle; false when it is not a live handle.
bool DestroyIcon(HICON icon);

namespace IconTable {

// Registers a decoded icon and returns its new handle (never 0 or 1).
HICON Create(gw::IconImage image);
// The icon behind a live handle, or null.
std::shared_ptr<const gw::IconImage> Get(HICON icon);
// Handles created and not yet destroyed.
std::size_t AliveCount();

} // namespace IconTable

namespace ShellIconCache {

// Drops every remembered file. The cache never changes a result; tests and
// benchmarks use this to measure cold reads.
void Clear();
void SetEnabled(bool enabled);
// Stored images decoded by ExtractIconA since the program started, on every thread.
std::size_t ImagesDecoded();

} // namespace ShellIconCache
