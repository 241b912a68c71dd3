// The program's command line: a folder or file to browse, --lang, --help and --version.
#pragma once

#include <string>
#include <vector>

struct TCommandLine {
    enum TAction { caRun, caHelp, caVersion, caError };
    TAction Action = caRun;
    // caRun: the absolute folder to browse (empty: the one the settings remember) and,
    // when a file was named, its name in that folder. Raw bytes: names need not be UTF-8.
    std::string Folder;
    std::string FileName;
    // --lang: "zh" or "en", the language of the window's texts; empty: the settings' or
    // the desktop's.
    std::string Language;
    // caError: one line saying what is wrong.
    std::string Message;
};

// Reads the arguments after the program's name, Qt's own options already removed.
// Relative paths are taken from `workingFolder`.
TCommandLine ParseCommandLine(const std::vector<std::string>& args, const std::string& workingFolder);

// Whether the arguments ask for --help or --version; looked at before anything else,
// so that both answer without a display.
TCommandLine::TAction InformationRequest(const std::vector<std::string>& args);

std::string UsageText();
std::string VersionText();
