// The output formats' table and the encoder of a group in each.
#include "core/OutputFormat.h"

#include "core/IcoEncoder.h"

namespace gw {

const OutputFormatSpec& Spec(OutputFormat format)
{
    for (const OutputFormatSpec& s : kOutputFormats)
        if (s.Format == format)
            return s;
    return kOutputFormats.front();
}

std::optional<OutputFormat> OutputFormatFromValue(int value)
{
    for (const OutputFormatSpec& s : kOutputFormats)
        if (int(s.Format) == value)
            return s.Format;
    return std::nullopt;
}

std::optional<OutputFormat> OutputFormatFromName(std::string_view name)
{
    for (const OutputFormatSpec& s : kOutputFormats)
        if (name == s.Name)
            return s.Format;
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> EncodeGroup(const IconFile& file, std::size_t group, OutputFormat format,
                                                     DecodeMemo* memo)
{
    if (!file.Ok() || group >= file.Catalog.Groups().size())
        return std::nullopt;
    switch (format) {
    case OutputFormat::Icon16: {
        // Cursors are not icons to the shell, whose 32-pixel icon this is.
        const FileKind kind = file.Catalog.Kind();
        if (kind == FileKind::NotIcons || kind == FileKind::Cur || kind == FileKind::Ani)
            return std::nullopt;
        auto image = file.Catalog.Extract(group, 32, file.Reader, memo);
        if (!image || image->Empty())
            return std::nullopt;
        return EncodeIco16(*image);
    }
    case OutputFormat::Original: {
        auto ico = GroupIco(file, group);
        if (!ico)
            return std::nullopt;
        return std::move(*ico);
    }
    case OutputFormat::Png:
        return GroupPng(file, group);
    }
    return std::nullopt;
}

} // namespace gw
