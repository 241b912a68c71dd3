// The program's command line: a folder or file to browse, --lang, --help and --version.
#include "app/CommandLine.h"

#include "core/Paths.h"
#include "framework/Language.h"

#include <cstring>

namespace {

TCommandLine Error(const std::string& message)
{
    TCommandLine result;
    result.Action = TCommandLine::caError;
    result.Message = message;
    return result;
}

} // namespace

TCommandLine::TAction InformationRequest(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (arg == "--")
            break;
        if (arg == "--help" || arg == "-h")
            return TCommandLine::caHelp;
        if (arg == "--version")
            return TCommandLine::caVersion;
    }
    return TCommandLine::caRun;
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args, const std::string& workingFolder)
{
    if (const TCommandLine::TAction request = InformationRequest(args); request != TCommandLine::caRun) {
        TCommandLine result;
        result.Action = request;
        return result;
    }
    std::vector<std::string> paths;
    std::string language;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "--lang" || arg.rfind("--lang=", 0) == 0)) {
            if (arg == "--lang" && i + 1 == args.size())
                return Error("--lang needs zh or en");
            language = arg == "--lang" ? args[++i] : arg.substr(7);
            if (!ParseUiLanguage(language))
                return Error("--lang takes zh or en, not '" + language + "'");
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return Error("unknown option " + arg);
        } else if (!arg.empty()) {
            paths.push_back(arg);
        }
    }
    if (paths.empty()) {
        TCommandLine result;
        result.Language = language;
        return result;
    }
    if (paths.size() > 1)
        return Error("give one folder or file, not " + std::to_string(paths.size()));

    std::string path = paths.front();
    if (path[0] != '/')
        path = workingFolder + (workingFolder.empty() || workingFolder.back() != '/' ? "/" : "") + path;
    gw::BrowseTarget target;
    if (const int err = gw::ResolveBrowseTarget(path, target))
        return Error(paths.front() + ": " + std::strerror(err));
    TCommandLine result;
    result.Folder = target.Folder;
    result.FileName = target.FileName;
    result.Language = language;
    return result;
}

std::string UsageText()
{
    return "Usage: glimmerwick [--lang zh|en] [FOLDER | FILE]\n"
           "Browse and extract the icons of Windows programs, libraries and icon files.\n"
           "\n"
           "  FOLDER        browse this folder\n"
           "  FILE          browse the file's folder with the file's first icon selected\n"
           "  --lang zh|en  show the window in Chinese or English (default: the settings'\n"
           "                [Init] Language, else the desktop's language)\n"
           "  --help        print this text and exit\n"
           "  --version     print the version and exit\n"
           "\n"
           "Without an argument the folder remembered in the settings is browsed.\n";
}

std::string VersionText()
{
    return "glimmerwick " GW_VERSION "\n";
}
