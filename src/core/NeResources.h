// The icon and cursor resources of a 16-bit NE executable.
#pragma once

#include "core/ResourceTable.h"
#include "core/SourceView.h"

#include <cstdint>

namespace gw {

// The resource table of the NE image whose header lies at `neOffset` in `file`.
// Faults it reads past are in the table's Problems.
ResourceTable ReadNeResources(SourceView file, std::uint32_t neOffset, const CatalogLimits& limits);

} // namespace gw
