// The formats an icon is written in: the value a settings file stores, the name the
// command line takes, the extension, and the encoder over a file's group.
#pragma once

#include "core/IconFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace gw {

// The values are those the settings file stores and the save dialog's filter numbers.
enum class OutputFormat {
    // One 32x32 16-colour image per icon.
    Icon16 = 1,
    // The group as stored, byte for byte.
    Original = 2,
    // The group's largest image as PNG.
    Png = 3,
};

struct OutputFormatSpec {
    OutputFormat Format;
    const char* Name;       // as the command line spells it
    const char* Extension;  // with the dot
};

// In the order of their values.
inline constexpr std::array<OutputFormatSpec, 3> kOutputFormats = {{
    {OutputFormat::Icon16, "ico16", ".ico"},
    {OutputFormat::Original, "original", ".ico"},
    {OutputFormat::Png, "png", ".png"},
}};

const OutputFormatSpec& Spec(OutputFormat format);
inline const char* Extension(OutputFormat format) { return Spec(format).Extension; }
// The format stored as `value`; nothing for a value no format has.
std::optional<OutputFormat> OutputFormatFromValue(int value);
// The format the command line names `name`; nothing for a name no format has.
std::optional<OutputFormat> OutputFormatFromName(std::string_view name);

// Icon group `group` of `file` as the file `format` writes: the 16-colour writer's
// 32-pixel icon, the group's .ico as stored, or its largest image as PNG; nothing when
// the group cannot be read or encoded. `memo` keeps decoded images for the next group
// of the same file.
std::optional<std::vector<std::uint8_t>> EncodeGroup(const IconFile& file, std::size_t group, OutputFormat format,
                                                     DecodeMemo* memo = nullptr);

} // namespace gw
