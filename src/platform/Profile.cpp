// Profile (INI) files: the program's own reader and writer, and where its settings live.
#include "platform/Profile.h"

#include "core/FileWrite.h"
#include "core/Paths.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// The section a line opens, if it is a section header.
std::optional<std::string> SectionOf(const std::string& line)
{
    std::string t = Trim(line);
    if (t.empty() || t[0] != '[')
        return std::nullopt;
    std::size_t close = t.find(']');
    return Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

// The key of a "key=value" line, or nothing for comments and other lines.
std::optional<std::string> KeyOf(const std::string& line)
{
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '[')
        return std::nullopt;
    std::size_t eq = t.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    return Trim(t.substr(0, eq));
}

std::string ValueOf(const std::string& line)
{
    std::string value = Trim(line.substr(line.find('=') + 1));
    // A value in double quotes is read without them, so that values with outer
    // blanks survive a round trip.
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

std::string Encode(const std::string& value)
{
    bool quote = !value.empty() &&
                 (IsBlank(value.front()) || IsBlank(value.back()) ||
                  (value.size() >= 2 && value.front() == '"' && value.back() == '"'));
    return quote ? '"' + value + '"' : value;
}

bool HasLineBreak(const std::string& text)
{
    return text.find_first_of("\r\n") != std::string::npos;
}

// Cuts `text` to at most `limit` bytes without splitting a UTF-8 sequence.
std::string Truncate(std::string text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Up to eight hex digits; wider values do not fit and give nothing. The bits are
// taken as a signed 32-bit number, as the platform's conversion does.
std::optional<int> ParseHex(const std::string& digits)
{
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value << 4 | std::uint32_t(d);
    }
    return static_cast<int>(static_cast<std::int32_t>(value));
}

std::string g_applicationFolder;
bool g_locationKnown = false;
TSettingsLocation g_location;

// The running executable as it was named at the first call. Once the file has been
// replaced or removed, the kernel reports the old path with " (deleted)" appended.
const std::string& ExecutablePath()
{
    static const std::string path = [] {
        std::error_code ec;
        std::string exe = std::filesystem::read_symlink("/proc/self/exe", ec).string();
        if (ec)
            return std::string();
        const std::string deleted = " (deleted)";
        if (exe.size() > deleted.size() && exe.compare(exe.size() - deleted.size(), deleted.size(), deleted) == 0)
            exe.resize(exe.size() - deleted.size());
        return exe;
    }();
    return path;
}

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

// Copies `from` from `offset` to its end into `to` at `at`.
bool CopyRest(int from, std::uint64_t offset, int to, off_t at)
{
    std::uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::pread(from, buffer, sizeof buffer, off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (FileWrite::WriteAllAt(to, buffer, std::size_t(n), at) != 0)
            return false;
        offset += std::uint64_t(n);
        at += n;
    }
}

const std::uint8_t* AsBytes(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

const char kByteOrderMark[] = "\xEF\xBB\xBF";

} // namespace

TIniFile::TIniFile(std::string fileName) : TIniFile(fileName, fileName) {}

TIniFile::TIniFile(std::string fileName, std::string writeFileName)
    : FFileName(std::move(fileName))
    , FWriteFileName(std::move(writeFileName))
{
    Load();
    // A file that could not be read is only protected where it would be replaced.
    if (FWriteFileName != FFileName)
        FWritable = true;
}

TIniFile::~TIniFile()
{
    if (FTailFd >= 0)
        ::close(FTailFd);
}

void TIniFile::Load()
{
    // Without blocking: a FIFO or a device in place of the file must not hold up the
    // start or the close. Only a regular file is read.
    int fd = ::open(FFileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        FWritable = errno == ENOENT;
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        FWritable = false;
        return;
    }
    std::string content;
    char buffer[16384];
    bool whole = false;
    while (content.size() <= kMaxFileSize) {
        const std::size_t want = std::min(sizeof buffer, kMaxFileSize + 1 - content.size());
        ssize_t n = ::read(fd, buffer, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            FWritable = false;
            return;
        }
        if (n == 0) {
            whole = true;
            break;
        }
        content.append(buffer, std::size_t(n));
    }
    if (whole) {
        ::close(fd);
    } else {
        // Too large: the whole lines of the first kMaxFileSize bytes are read, the rest
        // is kept on disk and carried over by a rewrite.
        const std::size_t newline = content.rfind('\n', kMaxFileSize - 1);
        const std::size_t head = newline == std::string::npos ? 0 : newline + 1;
        content.resize(head);
        FTailFd = fd;
        FTailOffset = head;
    }

    if (content.compare(0, 3, kByteOrderMark) == 0) {
        FByteOrderMark = true;
        content.erase(0, 3);
    }
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            if (FLines.empty())
                FNewline = "\r\n";
        }
        FLines.push_back(std::move(line));
        start = end + 1;
    }
}

std::optional<std::string> TIniFile::Find(const std::string& section, const std::string& key) const
{
    bool inSection = false;
    bool seen = false;
    for (const std::string& line : FLines) {
        if (auto name = SectionOf(line)) {
            // Only the first section of a name counts.
            if (inSection)
                return std::nullopt;
            inSection = !seen && gw::EqualsIgnoringAsciiCase(*name, section);
            seen = seen || inSection;
            continue;
        }
        if (!inSection)
            continue;
        if (auto k = KeyOf(line); k && gw::EqualsIgnoringAsciiCase(*k, key))
            return ValueOf(line);
    }
    return std::nullopt;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const
{
    auto value = Find(section, key);
    return value ? Truncate(*value, kMaxValueLength) : defaultValue;
}

std::optional<int> TIniFile::ParseInteger(const std::string& raw)
{
    std::string text = Trim(raw);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return ParseHex(text.substr(2));
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i < text.size() && text[i] == '$') {
        auto value = ParseHex(text.substr(i + 1));
        if (!value)
            return std::nullopt;
        return negative ? static_cast<int>(0u - static_cast<unsigned>(*value)) : *value;
    }
    if (i == text.size())
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > std::int64_t(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return std::nullopt;
    return static_cast<int>(value);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const
{
    auto value = Find(section, key);
    if (!value)
        return defaultValue;
    return ParseInteger(*value).value_or(defaultValue);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::Store(const std::string& section, const std::string& key, const std::string& value)
{
    std::string entry = key + "=" + Encode(value);
    bool inSection = false;
    std::optional<std::size_t> sectionLine;
    std::size_t lastEntry = 0;
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        if (auto name = SectionOf(FLines[i])) {
            if (inSection)
                break;
            inSection = !sectionLine && gw::EqualsIgnoringAsciiCase(*name, section);
            if (inSection) {
                sectionLine = i;
                lastEntry = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (auto k = KeyOf(FLines[i]); k && gw::EqualsIgnoringAsciiCase(*k, key)) {
            FLines[i] = entry;
            return;
        }
        // A new key follows the section's last key, ahead of comments that may
        // introduce what comes next.
        if (KeyOf(FLines[i]))
            lastEntry = i;
    }
    if (sectionLine) {
        FLines.insert(FLines.begin() + std::ptrdiff_t(lastEntry + 1), entry);
        if (FNewSectionsAt > lastEntry)
            ++FNewSectionsAt;
        return;
    }
    // In a file too large to be read whole, new sections go first, where the next
    // reading finds them; elsewhere they go last.
    const std::size_t at = FTailFd >= 0 ? FNewSectionsAt : FLines.size();
    FLines.insert(FLines.begin() + std::ptrdiff_t(at), {"[" + section + "]", entry});
    FNewSectionsAt = at + 2;
}

void TIniFile::Flush() const
{
    if (!FWritable)
        throw EIniFileException("Cannot rewrite " + FWriteFileName + ": the file could not be read");

    // A symbolic link stays a link: the file it points to is replaced, also when that
    // file does not exist yet.
    std::string target;
    if (const int err = FileWrite::ResolveLinks(FWriteFileName, target))
        throw EIniFileException("Cannot resolve " + FWriteFileName + ": " + FileWrite::ErrorText(err));
    std::error_code ec;
    std::filesystem::create_directories(gw::FolderOf(target), ec);

    std::string content = FByteOrderMark ? kByteOrderMark : "";
    for (const std::string& line : FLines)
        content += line + FNewline;
    if (FTailFd >= 0) {
        FlushWithTail(target, content);
        return;
    }
    // The whole file is in memory: the common writer keeps its mode, owner and links,
    // and refuses a read-only file also for the super-user.
    const int err = FileWrite::ReplaceKeepingLinks(target, AsBytes(content), content.size());
    switch (err) {
    case 0:
        return;
    case EACCES:
    case EROFS:
        throw EIniFileException("Cannot write " + FWriteFileName + ": the file is read-only");
    case EISDIR:
    case EINVAL:
        throw EIniFileException("Cannot write " + FWriteFileName + ": not a regular file");
    default:
        throw EIniFileException("Cannot write " + FWriteFileName + ": " + FileWrite::ErrorText(err));
    }
}

// A file too long to hold has its unread rest copied from the open original after the
// lines in memory, into a new file that then takes the old one's place.
void TIniFile::FlushWithTail(const std::string& target, const std::string& content) const
{
    mode_t mode = 0666;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            throw EIniFileException("Cannot write " + FWriteFileName + ": not a regular file");
        // The read-only mode is honoured even where the user could override it.
        if (::access(target.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0)
            throw EIniFileException("Cannot write " + FWriteFileName + ": the file is read-only");
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }

    std::string temp = gw::JoinPath(gw::FolderOf(target), ".glimmerwick-ini-XXXXXX");
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        throw EIniFileException("Cannot create a file beside " + FWriteFileName);
    bool ok = FileWrite::WriteAllAt(fd, AsBytes(content), content.size(), 0) == 0 &&
              CopyRest(FTailFd, FTailOffset, fd, off_t(content.size()));
    // File systems without modes (FAT) refuse fchmod; the file keeps the mode they give.
    (void)::fchmod(fd, mode);
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        throw EIniFileException("Cannot write " + FWriteFileName);
    }
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value))
        throw EIniFileException("A line break cannot be stored in " + FWriteFileName);
    if (FDeferred) {
        Store(section, key, value);
        return;
    }
    std::vector<std::string> before = FLines;
    Store(section, key, value);
    try {
        Flush();
    } catch (...) {
        FLines = std::move(before);
        throw;
    }
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value)
{
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

std::string ApplicationFolder()
{
    if (!g_applicationFolder.empty())
        return g_applicationFolder;
    const std::string& exe = ExecutablePath();
    return exe.empty() ? "." : gw::FolderOf(exe);
}

std::string CompanionFile(const std::string& name)
{
    const std::string folder = ApplicationFolder();
    const std::string beside = gw::JoinPath(folder, name);
#ifdef GW_DATA_FROM_PROGRAM
    if (::access(beside.c_str(), F_OK) != 0) {
        const std::string installed = gw::JoinPath(gw::JoinPath(folder, GW_DATA_FROM_PROGRAM), name);
        if (::access(installed.c_str(), F_OK) == 0)
            return installed;
    }
#endif
    return beside;
}

void SetApplicationFolderForTesting(const std::string& folder)
{
    g_applicationFolder = folder;
    g_locationKnown = false;
}

TSettingsLocation FindSettingsLocation(const std::string& folder, const std::string& exeName)
{
    std::string name = exeName.empty() ? "glimmerwick" : exeName;
    // Like the platform's change of extension: the last extension gives way to ".INI".
    if (std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.resize(dot);
    name += ".INI";
    const std::string beside = gw::JoinPath(folder, name);

    const bool installed = ::access(gw::JoinPath(folder, kInstalledMarker).c_str(), F_OK) == 0;
    if (!installed && ::access(folder.c_str(), W_OK) == 0)
        return {beside, beside};

    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        config = xdg;
    else
        config = gw::JoinPath(HomeFolder(), ".config");
    const std::string own = gw::JoinPath(gw::JoinPath(config, "glimmerwick"), name);
    if (installed)
        return {own, own};
    // A copy in a folder it cannot write: the settings left beside it are read until the
    // config folder has its own.
    struct stat st {};
    const bool ownExists = ::lstat(own.c_str(), &st) == 0;
    return {ownExists || ::lstat(beside.c_str(), &st) != 0 ? own : beside, own};
}

const TSettingsLocation& SettingsLocation()
{
    if (!g_locationKnown) {
        const std::string& exe = ExecutablePath();
        g_location = FindSettingsLocation(ApplicationFolder(), exe.substr(exe.rfind('/') + 1));
        g_locationKnown = true;
    }
    return g_location;
}

std::string SettingsFileName()
{
    return SettingsLocation().WriteTo;
}
