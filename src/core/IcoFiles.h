// Icon and cursor files: .ico and .cur (one group), and animated cursors (RIFF
// ACON: one cursor group per frame).
#pragma once

#include "core/ResourceTable.h"
#include "core/SourceView.h"

#include <cstdint>

namespace gw {

// The directory type word of .ico (1) and .cur (2) files.
constexpr std::uint16_t kIcoType = 1;
constexpr std::uint16_t kCurType = 2;
constexpr std::uint32_t kGroupHeader = 6;  // ICONDIR, before the entries
constexpr std::uint32_t kIcoEntry = 16;    // ICONDIRENTRY in .ico and .cur files

// Whether `file` starts with the directory of an icon or cursor file.
bool IsIconFile(SourceView file);
// The one group of an icon or cursor file.
ResourceTable ReadIconFile(SourceView file, const CatalogLimits& limits);

// Whether `file` is an animated cursor.
bool IsAnimatedCursor(SourceView file);
// The frames of an animated cursor, each a cursor group.
ResourceTable ReadAnimatedCursor(SourceView file, const CatalogLimits& limits);

} // namespace gw
