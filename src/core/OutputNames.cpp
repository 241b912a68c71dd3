// Output names: the file stem, the numbered name, and a run's claimed names.
#include "core/OutputNames.h"

#include "core/Paths.h"

#include <atomic>
#include <cerrno>

namespace gw {

namespace {

std::atomic<long long> gNumberedLookups{0};

} // namespace

std::string IconFileStem(std::string_view fileName)
{
    return std::string(fileName.size() >= 4 ? fileName.substr(0, fileName.size() - 4) : fileName);
}

std::string NumberedName(std::string_view fileName, int icon)
{
    return IconFileStem(fileName) + std::to_string(icon);
}

std::string ImageSuffix(int width, int height, int bitCount)
{
    return "_" + std::to_string(width) + "x" + std::to_string(height) + "_" + std::to_string(bitCount);
}

std::string OutputNames::ClaimVariant(const std::string& path)
{
    if (FClaimed.insert(AsciiLowerCase(path)).second)
        return path;
    const std::size_t slash = path.rfind('/');
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = path.size();
    for (int n = 2;; ++n) {
        std::string variant = path.substr(0, dot) + "-" + std::to_string(n) + path.substr(dot);
        if (FClaimed.insert(AsciiLowerCase(variant)).second)
            return variant;
    }
}

int OutputNames::ClaimNumbered(const std::string& stem, std::string_view extension,
                               const std::function<int(const std::string&)>& take)
{
    int& next = FNextNumber[stem];
    for (int n = next;; ++n) {
        const std::string path = stem + std::to_string(n) + std::string(extension);
        ++gNumberedLookups;
        const std::string key = AsciiLowerCase(path);
        const int err = FClaimed.count(key) ? EEXIST : take(path);
        if (err == EEXIST)
            continue;
        if (err == 0) {
            FClaimed.insert(key);
            next = n + 1;
        }
        return err;
    }
}

long long OutputNames::NumberedLookups() { return gNumberedLookups; }

} // namespace gw
