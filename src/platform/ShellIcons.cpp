// ExtractIconA over the program's own resource readers, and the icon handle table.
#include "ShellIcons.h"

#include "IconCatalog.h"
#include "MappedFile.h"

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

// A file that has been read, with its icon groups. The catalog points into the map.
struct ParsedFile {
    gw::MappedFile Map;
    gw::IconCatalog Catalog;
};

// The last few files read, keyed by path and checked against the file's stamp, so
// that counting a file again (once per listed row) or extracting all its icons
// does not map and parse it again.
class FileCache {
public:
    std::shared_ptr<const ParsedFile> Find(const std::string& path, const gw::FileStamp& stamp)
    {
        std::lock_guard lock(FLock);
        for (auto it = FEntries.begin(); it != FEntries.end(); ++it) {
            if (it->Path == path && it->Stamp == stamp) {
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
        FEntries.push_front({path, file->Map.GetStamp(), std::move(file)});
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
        gw::FileStamp Stamp;
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

std::shared_ptr<const ParsedFile> ReadFile(const std::string& path)
{
    gw::FileStamp stamp;
    if (!gw::MappedFile::Stamp(path, stamp))
        return nullptr;
    if (auto hit = Cache().Find(path, stamp))
        return hit;
    auto parsed = std::make_shared<ParsedFile>();
    if (gw::MappedFile::Open(path, parsed->Map) != gw::OpenStatus::Ok)
        return nullptr;
    parsed->Catalog = gw::IconCatalog::Parse(parsed->Map.View());
    if (parsed->Catalog.Kind() == gw::FileKind::NotIcons)
        parsed->Map = gw::MappedFile(); // nothing will be read from it again
    Cache().Add(path, parsed);
    return parsed;
}

} // namespace

HICON ExtractIconA(HINSTANCE, const char* fileName, int index)
{
    if (!fileName)
        return 0;
    auto file = ReadFile(fileName);
    if (!file)
        return 0;
    const gw::IconCatalog& catalog = file->Catalog;
    if (index == -1)
        return HICON(catalog.Count());
    if (catalog.Kind() == gw::FileKind::NotIcons)
        return 1;

    int group = index;
    if (index < -1)
        group = catalog.FindGroupById(std::uint32_t(-std::int64_t(index)));
    if (group < 0 || group >= catalog.Count())
        return 0;
    auto image = catalog.Extract(std::size_t(group), kLargeIconSize);
    if (!image)
        return 0;
    return IconTable::Create(std::move(*image));
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

} // namespace ShellIconCache
