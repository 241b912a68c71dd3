// Developer tool: counts the icons of files and saves one icon, through the program's own reader and writer.
#include "platform/Icon.h"
#include "platform/ShellIcons.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: iconprobe count FILE...\n"
                 "       iconprobe save FILE INDEX OUT\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    if (std::strcmp(argv[1], "count") == 0) {
        for (int i = 2; i < argc; ++i)
            std::printf("%d\t%s\n", int(ExtractIconA(0, argv[i], -1)), argv[i]);
        return 0;
    }
    if (std::strcmp(argv[1], "save") == 0 && argc == 5) {
        char* end = nullptr;
        long index = std::strtol(argv[3], &end, 10);
        if (*argv[3] == '\0' || *end != '\0')
            return Usage();
        try {
            TIcon icon;
            icon.SetHandle(ExtractIconA(0, argv[2], int(index)));
            icon.SaveToFile(argv[4]);
        } catch (const std::exception& e) {
            std::printf("%s\n", e.what());
            return 1;
        }
        return 0;
    }
    return Usage();
}
