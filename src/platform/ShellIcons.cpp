// ExtractIconA over the program's own resource readers, and the icon handle table.
#include "platform/ShellIcons.h"

#include "core/FileSource.h"
#include "core/IconCatalog.h"
#include "core/IconFile.h"

#include <atomic>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

struct HandleTable {
    std::mutex Lock;
    std::unordered_map<HICON, std::shared_ptr<const gw::IconImage>> Icons;
    HICON Next = 2;
};

HandleTable& Handles()
{
    static HandleTable table;
    return table;
}

// A file whose icon groups have been found: where each lies, not its bytes.
struct ParsedFile {
    gw::FileStamp Stamp;
    gw::IconCatalog Catalog;
};

// The last few files read, keyed by path and checked against the file's stamp, so
// that counting a file again (once per listed row) or extracting all its icons
// does not parse its resource tree again. No file is kept open: each request opens
// the file, reads what it needs and closes it.
class FileCache {
public:
    bool Knows(const std::string& path)
    {
        std::lock_guard lock(FLock);
        for (const Entry& e : FEntries)
            if (e.Path == path)
                return true;
        return false;
    }

    std::shared_ptr<const ParsedFile> Find(const std::string& path, const gw::FileStamp& stamp)
    {
        std::lock_guard lock(FLock);
        for (auto it = FEntries.begin(); it != FEntries.end(); ++it) {
            if (it->Path == path && it->File->Stamp == stamp) {
                FEntries.splice(FEntries.begin(), FEntries, it);
                return FEntries.front().File;
            }
        }
        return nullptr;
    }

    void Add(const std::string& path, std::shared_ptr<const ParsedFile> file)
    {
        std::lock_guard lock(FLock);
        if (!FEnabled)
            return;
        FEntries.remove_if([&](const Entry& e) { return e.Path == path; });
        FEntries.push_front({path, std::move(file)});
        if (FEntries.size() > kCapacity)
            FEntries.pop_back();
    }

    void Clear()
    {
        std::lock_guard lock(FLock);
        FEntries.clear();
    }

    void SetEnabled(bool enabled)
    {
        std::lock_guard lock(FLock);
        FEnabled = enabled;
        if (!enabled)
            FEntries.clear();
    }

private:
    static constexpr std::size_t kCapacity = 8;
    struct Entry {
        std::string Path;
        std::shared_ptr<const ParsedFile> File;
    };
    std::mutex FLock;
    std::list<Entry> FEntries;
    bool FEnabled = true;
};

FileCache& Cache()
{
    static FileCache cache;
    return cache;
}

// The groups of the file open in `source`, from the cache when the file is unchanged.
std::shared_ptr<const ParsedFile> Catalog(const std::string& path, const gw::FileSource& source)
{
    if (auto hit = Cache().Find(path, source.GetStamp()))
        return hit;
    auto parsed = std::make_shared<ParsedFile>();
    parsed->Stamp = source.GetStamp();
    parsed->Catalog = gw::IconCatalog::Parse(source);
    Cache().Add(path, parsed);
    return parsed;
}

// The icon count: a file seen before costs one stat, a new one an open, its
// headers and its resource directory.
int CountIcons(const std::string& path)
{
    if (Cache().Knows(path)) {
        gw::FileStamp stamp;
        if (!gw::FileSource::Stamp(path, stamp))
            return 0;
        if (auto hit = Cache().Find(path, stamp))
            return hit->Catalog.Count();
    }
    gw::FileSource source;
    if (gw::FileSource::Open(path, source) != gw::OpenStatus::Ok)
        return 0;
    return Catalog(path, source)->Catalog.Count();
}

// Decoded images of the file icons were last extracted from, so that extracting every
// icon of a file decodes each image it stores once, however many groups name it. One
// per thread: no thread waits for another's decoding.
struct LastFileImages {
    std::weak_ptr<const ParsedFile> File;
    gw::DecodeMemo Memo;
};

std::atomic<std::size_t> gImagesDecoded{0};

std::optional<gw::IconImage> ExtractGroup(const std::shared_ptr<const ParsedFile>& file, const gw::FileSource& source,
                                          std::size_t group)
{
    thread_local LastFileImages last;
    if (last.File.lock() != file) {
        last.Memo.Clear();
        last.File = file;
    }
    const std::size_t before = last.Memo.Decodes();
    auto image = file->Catalog.Extract(group, kLargeIconSize, source, &last.Memo);
    gImagesDecoded += last.Memo.Decodes() - before;
    return image;
}

// Cursors are not icons to the shell: a cursor file answers as any other file.
bool HoldsShellIcons(const gw::IconCatalog& catalog)
{
    const gw::FileKind kind = catalog.Kind();
    return kind != gw::FileKind::NotIcons && kind != gw::FileKind::Cur && kind != gw::FileKind::Ani;
}

// The group of icon `index` (n: the n-th group, -n: the group with ID n), or -1.
int ShellGroup(const gw::IconCatalog& catalog, int index)
{
    const int group = index < -1 ? catalog.FindGroupById(std::uint32_t(-std::int64_t(index))) : index;
    return group >= 0 && group < catalog.Count() ? group : -1;
}

} // namespace

HICON ExtractIconA(HINSTANCE, const char* fileName, int index)
{
    if (!fileName)
        return 0;
    if (index == -1)
        return HICON(CountIcons(fileName));
    gw::FileSource source;
    if (gw::FileSource::Open(fileName, source) != gw::OpenStatus::Ok)
        return 0;
    auto file = Catalog(fileName, source);
    const gw::IconCatalog& catalog = file->Catalog;
    if (!HoldsShellIcons(catalog))
        return 1;
    const int group = ShellGroup(catalog, index);
    if (group < 0)
        return 0;
    auto image = ExtractGroup(file, source, std::size_t(group));
    if (!image)
        return 0;
    return IconTable::Create(std::move(*image));
}

std::optional<gw::IconImage> ExtractIconImageNear(const char* fileName, int index, int size)
{
    if (!fileName || index == -1 || size <= 0)
        return std::nullopt;
    const gw::IconFile file(fileName);
    if (!file.Ok())
        return std::nullopt;
    const int group = HoldsShellIcons(file.Catalog) ? ShellGroup(file.Catalog, index) : -1;
    if (group < 0)
        return std::nullopt;
    return gw::GroupImageAt(file, std::size_t(group), size, /*enlarge=*/false);
}

bool DestroyIcon(HICON icon)
{
    HandleTable& t = Handles();
    std::lock_guard lock(t.Lock);
    return t.Icons.erase(icon) != 0;
}

namespace IconTable {

HICON Create(gw::IconImage image)
{
    auto shared = std::make_shared<const gw::IconImage>(std::move(image));
    HandleTable& t = Handles();
    std::lock_guard lock(t.Lock);
    HICON h = t.Next++;
    t.Icons.emplace(h, std::move(shared));
    return h;
}

std::shared_ptr<const gw::IconImage> Get(HICON icon)
{
    HandleTable& t = Handles();
    std::lock_guard lock(t.Lock);
    auto it = t.Icons.find(icon);
    return it == t.Icons.end() ? nullptr : it->second;
}

std::size_t AliveCount()
{
    HandleTable& t = Handles();
    std::lock_guard lock(t.Lock);
    return t.Icons.size();
}

} // namespace IconTable

namespace ShellIconCache {

void Clear() { Cache().Clear(); }
void SetEnabled(bool enabled) { Cache().SetEnabled(enabled); }
std::size_t ImagesDecoded() { return gImagesDecoded; }

} // namespace ShellIconCache
