// Benchmark driver: saves every icon of every file named on the command line, in one process.
#include "platform/Icon.h"
#include "platform/ShellIcons.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: extract_all OUTDIR FILE...\n");
        return 2;
    }
    const std::string outDir = argv[1];
    long written = 0, failed = 0;
    for (int f = 2; f < argc; ++f) {
        const std::string path = argv[f];
        const std::string base = path.substr(path.find_last_of('/') + 1);
        const int count = int(ExtractIconA(0, argv[f], -1));
        for (int i = 0; i < count; ++i) {
            // The file index keeps same-named files of different folders apart.
            const std::string out = outDir + "/" + std::to_string(f - 2) + "-" + base + "-" + std::to_string(i) + ".ico";
            try {
                TIcon icon;
                icon.SetHandle(ExtractIconA(0, argv[f], i));
                icon.SaveToFile(out);
                ++written;
            } catch (const std::exception& e) {
                std::fprintf(stderr, "%s %d: %s\n", argv[f], i, e.what());
                ++failed;
            }
        }
    }
    std::printf("%ld written, %ld failed\n", written, failed);
    return failed ? 1 : 0;
}
