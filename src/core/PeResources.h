// The icon and cursor resources of a PE32 or PE32+ executable.
#pragma once

#include "core/ResourceTable.h"
#include "core/SourceView.h"

#include <cstdint>

namespace gw {

// The resource tree of the PE image whose "PE\0\0" signature lies at `peOffset` in
// `file`. Faults it reads past are in the table's Problems.
ResourceTable ReadPeResources(SourceView file, std::uint32_t peOffset, const CatalogLimits& limits);

} // namespace gw
