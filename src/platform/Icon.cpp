// TIcon: the holder of one icon handle, and the writer of 16-colour .ico files.
#include "Icon.h"

#include "IcoEncoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ostream>

namespace {

std::string FormatCreateError(const std::string& fileName)
{
    std::string text = kSFCreateError;
    return text.replace(text.find("%s"), 2, fileName);
}

mode_t DefaultFileMode()
{
    static const mode_t mask = [] {
        mode_t m = umask(0);
        umask(m);
        return m;
    }();
    return 0666 & ~mask;
}

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
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

void TIcon::SaveToFile(const std::string& fileName)
{
    WriteFile(fileName, true);
}

bool TIcon::SaveToNewFile(const std::string& fileName)
{
    return WriteFile(fileName, false);
}

bool TIcon::WriteFile(const std::string& fileName, bool replace)
{
    const auto& bytes = Encoded();

    const std::size_t slash = fileName.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : fileName.substr(0, slash);
    std::string temp = folder + (folder.back() == '/' ? "" : "/") + ".glimmerwick-XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        throw EFCreateError(FormatCreateError(fileName));
    bool ok = WriteAll(fd, bytes) && fchmod(fd, DefaultFileMode()) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) {
        if (replace) {
            ok = ::rename(temp.c_str(), fileName.c_str()) == 0;
        } else {
            // link() fails when the name exists, so a file created meanwhile survives.
            if (::link(temp.c_str(), fileName.c_str()) != 0) {
                int err = errno;
                ::unlink(temp.c_str());
                if (err == EEXIST)
                    return false;
                throw EFCreateError(FormatCreateError(fileName));
            }
            ::unlink(temp.c_str());
            return true;
        }
    }
    if (!ok) {
        ::unlink(temp.c_str());
        throw EFCreateError(FormatCreateError(fileName));
    }
    return true;
}
