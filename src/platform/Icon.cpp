// TIcon: the holder of one icon handle, and the writer of 16-colour .ico files.
#include "platform/Icon.h"

#include "core/FileWrite.h"
#include "core/IcoEncoder.h"

#include <cerrno>
#include <ostream>

namespace {

std::string FormatCreateError(const std::string& fileName)
{
    std::string text = kSFCreateError;
    return text.replace(text.find("%s"), 2, fileName);
}

} // namespace

TIcon::~TIcon()
{
    if (FHandle)
        DestroyIcon(FHandle);
}

void TIcon::SetHandle(HICON handle)
{
    if (FHandle && FHandle != handle)
        DestroyIcon(FHandle);
    FHandle = handle;
    FEncoded.reset();
}

const std::vector<std::uint8_t>& TIcon::Encoded()
{
    if (!FEncoded) {
        if (FHandle == 0)
            throw EInvalidGraphic(kSInvalidIcon);
        auto image = IconTable::Get(FHandle);
        if (!image || image->Empty())
            throw EInvalidGraphic(kSInvalidBitmap);
        FEncoded = gw::EncodeIco16(*image);
    }
    return *FEncoded;
}

void TIcon::SaveToStream(std::ostream& stream)
{
    const auto& bytes = Encoded();
    stream.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!stream)
        throw EWriteError(kSWriteError);
}

void TIcon::SaveToFile(const std::string& fileName, const std::string& within)
{
    WriteFile(fileName, true, within);
}

bool TIcon::SaveToNewFile(const std::string& fileName)
{
    return WriteFile(fileName, false);
}

bool TIcon::WriteFile(const std::string& fileName, bool replace, const std::string& within)
{
    const auto& bytes = Encoded();
    const int err = replace ? FileWrite::Replace(fileName, bytes.data(), bytes.size(), within)
                            : FileWrite::WriteNew(fileName, bytes.data(), bytes.size());
    if (err == EEXIST && !replace)
        return false;
    if (err)
        throw EFCreateError(FormatCreateError(fileName), err);
    return true;
}
