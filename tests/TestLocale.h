// The language and locale every test program runs in, whatever the developer's shell says.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

// LANGUAGE and the LC_ variables go before LANG, for the window's language, for the
// collation that sorts the lists and for the tools the tests run (icotool stops when it
// cannot set the locale they name). The tests clear them and run in C.UTF-8, and so does
// every program they start.
inline void UseTestLocale()
{
    std::vector<std::string> names;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view text = *entry;
        const std::string name(text.substr(0, text.find('=')));
        if (name == "LANGUAGE" || name.starts_with("LC_"))
            names.push_back(name);
    }
    for (const std::string& name : names)
        ::unsetenv(name.c_str());
    ::setenv("LANG", "C.UTF-8", 1);
}
