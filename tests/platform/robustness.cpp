// Runs files through ExtractIconA and the .ico writer and checks that the answers
// stay sane: used for the malformed corpus and for the files in tests/crashers.
//
// usage: gw_robustness [--save DIR] FILE_OR_FOLDER...
// For each file: the count (index -1), then every index 0..count, count + 1, -2,
// -32768 and INT_MIN; every handle is checked, encoded, saved and destroyed. Exits 1
// when any check fails.
#include "platform/Icon.h"
#include "platform/ShellIcons.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

int gFailures = 0;

void Fail(const std::string& file, const std::string& what)
{
    ++gFailures;
    std::printf("FAIL %s: %s\n", file.c_str(), what.c_str());
}

void Check(const std::string& file, const std::string& saveDir, std::size_t& icons)
{
    const std::size_t base = IconTable::AliveCount();
    struct stat st {};
    const std::uint64_t size = ::stat(file.c_str(), &st) == 0 ? std::uint64_t(st.st_size) : 0;

    const long count = long(ExtractIconA(0, file.c_str(), -1));
    // Every group needs a directory entry of at least 8 bytes.
    const long bound = std::min<long>(65536, long(size / 8) + 1);
    if (count < 0 || count > bound)
        Fail(file, "count " + std::to_string(count) + " beyond " + std::to_string(bound));
    if (long(ExtractIconA(0, file.c_str(), -1)) != count)
        Fail(file, "count changed between calls");

    std::vector<int> indices;
    for (long i = 0; i <= std::min<long>(count, bound) + 1; ++i)
        indices.push_back(int(i));
    for (int i : {-2, -3, -32768, INT_MIN})
        indices.push_back(i);

    for (int index : indices) {
        const std::string where = "index " + std::to_string(index);
        HICON h = ExtractIconA(0, file.c_str(), index);
        if (h == 1) {
            if (count != 0)
                Fail(file, where + ": handle 1 from a file with icons");
            continue;
        }
        if (h == 0)
            continue;
        if (index >= count && index >= 0)
            Fail(file, where + ": icon beyond the count");
        auto image = IconTable::Get(h);
        if (!image || image->Width != kLargeIconSize || image->Height != kLargeIconSize ||
            image->Pixels.size() != std::size_t(kLargeIconSize * kLargeIconSize) ||
            image->Mask.size() != image->Pixels.size()) {
            Fail(file, where + ": icon not " + std::to_string(kLargeIconSize) + " pixels square");
            DestroyIcon(h);
            continue;
        }
        ++icons;
        try {
            TIcon icon;
            icon.SetHandle(h);
            std::ostringstream stream;
            icon.SaveToStream(stream);
            if (stream.str().size() != 766)
                Fail(file, where + ": encoded " + std::to_string(stream.str().size()) + " bytes");
            if (!saveDir.empty()) {
                const std::string out = saveDir + "/robustness-out.ico";
                icon.SaveToFile(out);
                if (std::filesystem::file_size(out) != 766)
                    Fail(file, where + ": saved file is not 766 bytes");
                std::filesystem::remove(out);
            }
        } catch (const std::exception& e) {
            Fail(file, where + ": " + e.what());
        }
    }
    if (IconTable::AliveCount() != base)
        Fail(file, "handles left alive: " + std::to_string(IconTable::AliveCount() - base));
}

} // namespace

int main(int argc, char** argv)
{
    std::string saveDir;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--save" && i + 1 < argc) {
            saveDir = argv[++i];
            continue;
        }
        std::error_code ec;
        if (std::filesystem::is_directory(arg, ec)) {
            std::vector<std::string> inside;
            for (auto& e : std::filesystem::directory_iterator(arg, ec))
                inside.push_back(e.path().string());
            std::sort(inside.begin(), inside.end());
            files.insert(files.end(), inside.begin(), inside.end());
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::printf("no files given\n");
        return 1;
    }
    std::size_t icons = 0;
    for (const std::string& f : files)
        Check(f, saveDir, icons);
    std::printf("%zu files, %zu icons extracted, %d failures\n", files.size(), icons, gFailures);
    return gFailures ? 1 : 0;
}
