// The faults of a group's images, found by decoding them.
#pragma once

#include "core/Diagnostic.h"
#include "core/FileSource.h"
#include "core/IconCatalog.h"

#include <cstddef>
#include <string>
#include <vector>

namespace gw {

// How a diagnostic names group `index`: "icon 3", "cursor 0".
std::string GroupWhere(std::size_t index, bool cursors);

// The faults of the images of group `index` (a cursor group with `cursors`) that
// `file` holds: each image decoded, each fault once, at its offset in the file.
std::vector<Diagnostic> CheckGroupImages(const IconCatalog& catalog, std::size_t index, bool cursors,
                                         const ByteSource& file);

// The catalog's own diagnostics followed by those of every group's images.
std::vector<Diagnostic> CheckFile(const IconCatalog& catalog, const ByteSource& file);

} // namespace gw
