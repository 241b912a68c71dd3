// glimmerwick-cli: lists icon groups and writes them as stored, as PNG or as the
// window's 16-colour icon, from the program's own reader and without a display.
#include "core/ExtractRules.h"
#include "core/FileKinds.h"
#include "core/FileWrite.h"
#include "core/GroupCheck.h"
#include "core/IcoEncoder.h"
#include "core/IconFile.h"
#include "core/IconHash.h"
#include "core/OutputFormat.h"
#include "core/OutputNames.h"
#include "core/Paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <getopt.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

using namespace gw;

namespace {

constexpr int kOk = 0, kSomeFailed = 1, kUsage = 2, kWriteError = 3;

// ---- options -------------------------------------------------------------------

// One option of a command: its long name, its short letter (0 for none), the name of
// its value (null for a flag) and its line of help.
struct OptionSpec {
    const char* Long;
    char Short;
    const char* Value;
    const char* Help;
};

struct CommandSpec {
    const char* Name;
    const char* Operands;  // what follows the options in the usage line
    std::vector<OptionSpec> Options;
    bool NegativeOperands = false;  // "-3" is an operand (a shell icon number), not an option
};

const OptionSpec kHelp{"help", 'h', nullptr, "print this command's options and exit"};
const OptionSpec kForce{"force", 'f', nullptr, "replace files that exist"};
const OptionSpec kIndex{"index", 'i', "N", "only group N, counted from 0 (repeatable)"};
const OptionSpec kName{"name", 'n', "NAME", "only the group named NAME, a number or a string in any case (repeatable)"};
const OptionSpec kCursors{"cursors", 'c', nullptr, "cursor groups instead of icon groups"};
const OptionSpec kWrestoolNames{"wrestool-names", 0, nullptr, "name files as wrestool does: FILE_14_NAME (FILE_12_NAME for cursors)"};

const OptionSpec kJson{"json", 'j', nullptr, "one JSON object a line for each group"};
const OptionSpec kWalk{"recursive", 'r', nullptr, "walk folders given as FILE"};
const OptionSpec kFilesFrom{"files-from", 0, "LIST", "also the files named in LIST, one a line (- for standard input)"};
const OptionSpec kNul{"null", '0', nullptr, "names in LIST are separated by NUL, not by new lines"};
const OptionSpec kJobs{"jobs", 0, "N", "read files on N threads (default: one a core); output stays in input order"};

const std::vector<CommandSpec>& Commands()
{
    static const std::vector<CommandSpec> kCommands = {
        {"list", "FILE...",
         {{"json", 'j', nullptr, "one JSON object a line for each file"},
          {"verbose", 'v', nullptr, "also what is damaged in each file (JSON: a \"warnings\" array)"},
          kHelp}},
        {"extract", "-o DIR FILE...",
         {{"output", 'o', "DIR", "the folder to write into (made when missing)"},
          {"recursive", 'r', nullptr, "walk folders given as FILE"},
          kIndex,
          kName,
          {"lang", 0, "ID", "only groups stored in language ID, written in that language"},
          kCursors,
          kWrestoolNames,
          {"format", 0, "F", "original (each group as stored, the default), ico16 (the window's 16-colour icon) or png (the largest image)"},
          kForce,
          kHelp}},
        {"png", "-o OUT FILE...",
         {{"output", 'o', "OUT", "the PNG file, - for standard output; with --all, the folder"},
          kIndex,
          kName,
          {"size", 's', "S", "the image closest to S x S pixels, scaled to fit (1 to 1024)"},
          {"all", 'a', nullptr, "every image of the selected groups as NAME_WxH_BPP.png"},
          kCursors,
          kWrestoolNames,
          kForce,
          kHelp}},
        {"legacy", "FILE INDEX OUT.ico", {kForce, kHelp}, true},
        {"hash", "FILE...", {kCursors, kJson, kWalk, kFilesFrom, kNul, kJobs, kHelp}},
        {"find", "PATH...",
         {{"min-size", 0, "N", "groups whose largest image is at least N pixels wide"},
          {"max-size", 0, "N", "groups whose largest image is at most N pixels wide"},
          {"bits", 0, "N", "groups with an image of N bits per pixel"},
          {"png", 0, nullptr, "groups with a PNG-compressed image"},
          {"name", 0, "TEXT", "groups whose file or group name contains TEXT (ASCII case ignored)"},
          {"like", 0, "FILE[:INDEX]", "groups that look like group INDEX (0 when left out) of FILE, nearest first"},
          {"distance", 0, "D", "with --like: at most D of the 64 bits of the dhash differ (default 8)"},
          kCursors, kJson, kWalk, kFilesFrom, kNul, kJobs, kHelp}},
    };
    return kCommands;
}

std::string OptionsText(const CommandSpec& c)
{
    std::string out;
    for (const OptionSpec& o : c.Options) {
        std::string left = o.Short ? std::string("-") + o.Short + ", " : "    ";
        left += std::string("--") + o.Long + (o.Value ? std::string("=") + o.Value : "");
        left.resize(std::max<std::size_t>(left.size() + 2, 26), ' ');
        out += "  " + left + o.Help + "\n";
    }
    return out;
}

std::string CommandUsage(const CommandSpec& c)
{
    return std::string("glimmerwick-cli ") + c.Name + " [OPTION]... " + c.Operands + "\n";
}

// Every command with every option, one line each.
std::string UsageText()
{
    std::string out = "usage: glimmerwick-cli COMMAND [OPTION]... ARGUMENT...\n"
                      "  -h, --help                print this help and exit\n"
                      "      --version             print the program's version and exit\n";
    for (const CommandSpec& c : Commands())
        out += "\n" + CommandUsage(c) + OptionsText(c);
    return out;
}

int Usage(const char* why = nullptr, const CommandSpec* command = nullptr)
{
    if (why)
        std::fprintf(stderr, "glimmerwick-cli: %s\n", why);
    if (command)
        std::fprintf(stderr, "usage: %sTry 'glimmerwick-cli %s --help'.\n", CommandUsage(*command).c_str(), command->Name);
    else
        std::fputs(UsageText().c_str(), stderr);
    return kUsage;
}

// Parses the options of `command` in argv[0..argc) (argv[0] the command's name) as
// getopt_long does: "--index=3" and "--index 3", clustered short options, options
// anywhere (also with POSIXLY_CORRECT set), "--" ending them. `take(option, value)`
// returns a message for a value it refuses. Returns -1 to go on, else the exit code
// (after -h or a usage error).
int ParseOptions(const CommandSpec& command, int argc, char** argv,
                 const std::function<const char*(const OptionSpec&, const char*)>& take,
                 std::vector<std::string>& operands)
{
    std::vector<option> longs;
    // "-": operands come back in their place (code 1) rather than ending the options
    // where POSIXLY_CORRECT is set; ":": a missing value is told apart.
    std::string shorts = "-:";
    for (std::size_t i = 0; i < command.Options.size(); ++i) {
        const OptionSpec& o = command.Options[i];
        const int id = o.Short ? o.Short : int(256 + i);
        longs.push_back({o.Long, o.Value ? required_argument : no_argument, nullptr, id});
        if (o.Short)
            shorts += std::string(1, o.Short) + (o.Value ? ":" : "");
    }
    longs.push_back({nullptr, 0, nullptr, 0});
    // A negative icon number is an operand: kept out of getopt's sight, and put back
    // among the operands in its place.
    std::vector<char*> args;
    bool ended = false;
    for (int i = 0; i < argc; ++i) {
        const char* a = argv[i];
        ended |= std::strcmp(a, "--") == 0;
        const bool negative = command.NegativeOperands && !ended && i > 0 && a[0] == '-' && a[1] >= '0' && a[1] <= '9';
        if (!negative)
            args.push_back(argv[i]);
    }
    args.push_back(nullptr);
    opterr = 0;
    optind = 0;  // GNU getopt starts afresh
    std::vector<char*> rest;
    int id;
    while ((id = getopt_long(int(args.size() - 1), args.data(), shorts.c_str(), longs.data(), nullptr)) != -1) {
        if (id == 1) {
            rest.push_back(optarg);
            continue;
        }
        if (id == '?' || id == ':') {
            const std::string given = args[optind - 1];
            const bool isLong = given.rfind("--", 0) == 0;
            const std::string name = isLong ? given.substr(0, given.find('=')) : "-" + std::string(1, char(optopt));
            // getopt_long names the option (optopt) that it knows but refused a value.
            const auto known = std::find_if(command.Options.begin(), command.Options.end(), [&](const OptionSpec& o) {
                return optopt != 0 && (o.Short ? o.Short : int(256 + (&o - command.Options.data()))) == optopt;
            });
            if (id == '?' && isLong && known != command.Options.end())
                return Usage(("option --" + std::string(known->Long) + " takes no value").c_str(), &command);
            return Usage(((id == ':' ? "option needs a value: " : "unknown option ") + name).c_str(), &command);
        }
        const auto spec = std::find_if(command.Options.begin(), command.Options.end(), [&](const OptionSpec& o) {
            return (o.Short ? o.Short : int(256 + (&o - command.Options.data()))) == id;
        });
        if (spec->Long == std::string("help")) {
            std::printf("usage: %s%s", CommandUsage(command).c_str(), OptionsText(command).c_str());
            return kOk;
        }
        if (const char* refused = take(*spec, optarg))
            return Usage(refused, &command);
    }
    // Operands in the order they were given: those met among the options, those after
    // "--", and the negative numbers kept out of getopt's sight.
    rest.insert(rest.end(), args.begin() + optind, args.end() - 1);
    for (int i = 1; i < argc; ++i)
        if (std::find(rest.begin(), rest.end(), argv[i]) != rest.end() ||
            std::find(args.begin(), args.end(), argv[i]) == args.end())
            operands.push_back(argv[i]);
    return -1;
}

// Text for a terminal: control characters (C0, DEL, and C1 as UTF-8 or as single
// bytes), which could move the cursor, retitle the window or forge lines, as \xNN.
std::string Printable(const std::string& text)
{
    std::string out;
    char buf[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool c1 = c == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80;
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0 && (i == 0 || static_cast<unsigned char>(text[i - 1]) != 0xC2))) {
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else if (c1) {
            std::snprintf(buf, sizeof buf, "\\x%02x", static_cast<unsigned char>(text[++i]));
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out;
}

void Say(const std::string& file, const std::string& message)
{
    std::fprintf(stderr, "glimmerwick-cli: %s: %s\n", Printable(file).c_str(), Printable(message).c_str());
}

// Runs the work on one file: memory that cannot be had ends that file with a message,
// and the run goes on with the next. False when it ended so.
template <class Work>
bool WithinMemory(const std::string& file, Work&& work)
{
    try {
        work();
        return true;
    } catch (const std::bad_alloc&) {
        Say(file, "not enough memory");
        return false;
    }
}

// The outcome of a run: write errors outrank files without icons.
struct Status {
    bool SomeFailed = false;
    bool WriteFailed = false;
    int Code() const { return WriteFailed ? kWriteError : SomeFailed ? kSomeFailed : kOk; }
};

// Writes one result, saying why when it cannot; false when nothing was written.
// Without `force` an existing name is never replaced; with `within`, a link is
// followed only to a file in that folder.
bool WriteResultFile(const std::string& path, const std::vector<std::uint8_t>& bytes, bool force,
                     const std::string& within = {})
{
    // "-": standard output (checked when the program ends).
    if (path == "-")
        return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    const int err = force ? FileWrite::Replace(path, bytes.data(), bytes.size(), within)
                          : FileWrite::WriteNew(path, bytes.data(), bytes.size());
    if (err == EEXIST && !force)
        Say(path, "exists (--force replaces it)");
    else if (err)
        Say(path, FileWrite::ErrorText(err));
    return err == 0;
}

bool ParseInt(const char* text, long lo, long hi, long& out)
{
    if (!text || !*text)
        return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno || *end || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

std::string OpenError(OpenStatus s)
{
    switch (s) {
    case OpenStatus::Missing: return "no such file";
    case OpenStatus::NotRegular: return "not a regular file";
    case OpenStatus::Empty: return "empty file";
    default: return std::string("cannot read: ") + std::strerror(errno);
    }
}

// "1 group", "2 groups".
std::string Count(std::size_t n, const std::string& noun)
{
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

std::string BaseName(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    const std::size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

// ---- list ----------------------------------------------------------------------

// JSON text of raw bytes: valid UTF-8 passes, every other byte becomes a lone
// surrogate \udcXX, so that a name that is not UTF-8 survives the round trip.
std::string Json(const std::string& s)
{
    std::string out = "\"";
    char buf[8];
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = s[i];
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        bool valid = len > 0 && i + len <= s.size();
        for (std::size_t k = 1; valid && k < len; ++k)
            valid = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        if (valid && len > 1) {
            // Overlong forms and surrogates are not UTF-8.
            std::uint32_t cp = c & (0x7F >> len);
            for (std::size_t k = 1; k < len; ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
            static const std::uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
            valid = cp >= kMin[len] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp < 0xE000);
        }
        if (!valid) {
            std::snprintf(buf, sizeof buf, "\\udc%02x", c);
            out += buf;
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out.append(s, i, len);
        }
        i += len;
    }
    return out + "\"";
}

void ListGroups(const IconFile& f, const std::vector<IconGroup>& groups, bool cursors, bool json, std::string& out);

// Appends the faults found in `f` (see CheckFile) to `out`: a line each, or with
// `json` a "warnings" member.
void ListWarnings(const std::string& path, const IconFile& f, bool json, std::string& out)
{
    const std::vector<Diagnostic> warnings = CheckFile(f.Catalog, f.Reader);
    if (json)
        out += ",\"warnings\":[";
    for (const Diagnostic& d : warnings) {
        if (!json) {
            out += Printable(path) + ": " + DiagnosticText(d) + "\n";
            continue;
        }
        out += (&d == &warnings.front() ? "{" : ",{");
        out += "\"where\":" + Json(d.Where) + ",\"code\":" + Json(ErrorCodeName(d.Code)) +
               ",\"context\":" + Json(d.Context) + ",\"offset\":" + std::to_string(d.Offset) +
               ",\"text\":" + Json(DiagnosticText(d)) + "}";
    }
    if (json)
        out += "]";
}

bool ListFile(const std::string& path, bool json, bool verbose)
{
    IconFile f = IconFile::Open(path);
    if (!f.Ok()) {
        Say(path, OpenError(f.Status));
        if (json)
            std::printf("{\"file\":%s,\"error\":%s}\n", Json(path).c_str(), Json(OpenError(f.Status)).c_str());
        return false;
    }
    const auto& icons = f.Catalog.Groups();
    const auto& cursors = f.Catalog.CursorGroups();
    std::string out;
    if (json)
        out = "{\"file\":" + Json(path) + ",\"kind\":\"" + f.KindName() + "\",\"groups\":[";
    else
        out = Printable(path) + ": " + f.KindName() + ", " + Count(icons.size(), "group") +
              (cursors.empty() ? "" : ", " + Count(cursors.size(), "cursor group")) + "\n";
    ListGroups(f, icons, false, json, out);
    if (json && !cursors.empty())
        out += "],\"cursors\":[";
    ListGroups(f, cursors, true, json, out);
    if (json)
        out += "]";
    if (verbose)
        ListWarnings(path, f, json, out);
    if (json)
        out += "}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return !icons.empty() || !cursors.empty();  // the listing says it has none
}

// Appends the listing of `groups` (cursor groups with `cursors`) to `out`.
void ListGroups(const IconFile& f, const std::vector<IconGroup>& groups, bool cursors, bool json, std::string& out)
{
    // Groups are summarised a batch at a time, so that the heads of neighbouring
    // groups' images are read together, while a file whose many groups all name one
    // long directory costs no more memory than a batch.
    constexpr std::size_t kBatch = 4096;
    for (std::size_t first = 0; first < groups.size();) {
        std::vector<GroupEntry> entries;
        std::vector<std::size_t> ends;
        for (std::size_t g = first; g < groups.size() && (g == first || entries.size() < kBatch); ++g) {
            const auto named = f.Catalog.ReadGroupEntries(groups[g].Directory, f.Reader, cursors);
            entries.insert(entries.end(), named.begin(), named.end());
            ends.push_back(entries.size());
        }
        const auto summaries = Summarise(f, entries);
        for (std::size_t b = 0, begin = 0; b < ends.size(); begin = ends[b++]) {
            const std::size_t i = first + b;
            const IconGroup& g = groups[i];
            const std::string name = NameText(f.Catalog, g.Name);
            if (json) {
                out += i ? ",{" : "{";
                out += "\"index\":" + std::to_string(i) + ",\"name\":" + (g.Name.IsId ? name : Json(name));
                out += ",\"languages\":[";
                for (std::size_t l = 0; l < g.Languages.size(); ++l)
                    out += (l ? "," : "") + std::to_string(g.Languages[l].Id);
                out += "],\"images\":[";
            } else {
                out += (cursors ? "  cursor " : "  ") + std::to_string(i) + "\t" +
                       (g.Name.IsId ? name : "'" + Printable(name) + "'");
                for (const GroupLanguage& l : g.Languages)
                    out += (&l == &g.Languages.front() ? "\tlanguages " : ",") + std::to_string(l.Id);
                out += "\n";
            }
            for (std::size_t k = begin; k < ends[b]; ++k) {
                const ImageSummary& s = summaries[k];
                const char* format = s.Png ? "PNG" : "DIB";
                const std::string x = std::to_string(entries[k].HotspotX), y = std::to_string(entries[k].HotspotY);
                if (json)
                    out += std::string(k == begin ? "" : ",") + "{\"width\":" + std::to_string(s.Width) +
                           ",\"height\":" + std::to_string(s.Height) + ",\"bits\":" + std::to_string(s.BitCount) +
                           ",\"format\":\"" + format + "\",\"bytes\":" + std::to_string(s.Bytes) +
                           (cursors ? ",\"hotspot\":[" + x + "," + y + "]}" : "}");
                else
                    out += "    " + std::to_string(s.Width) + "x" + std::to_string(s.Height) + "\t" +
                           std::to_string(s.BitCount) + "-bit\t" + format + "\t" + std::to_string(s.Bytes) +
                           " bytes" + (cursors ? "\thot spot " + x + "," + y : "") + "\n";
            }
            if (json)
                out += "]}";
        }
        first += ends.size();
    }
}

// The option handler of a command whose one option is a flag.
auto SetsFlag(bool& flag)
{
    return [&flag](const OptionSpec&, const char*) -> const char* {
        flag = true;
        return nullptr;
    };
}

int List(const CommandSpec& command, int argc, char** argv)
{
    bool json = false, verbose = false;
    std::vector<std::string> files;
    const auto setFlag = [&](const OptionSpec& option, const char*) -> const char* {
        (option.Short == 'v' ? verbose : json) = true;
        return nullptr;
    };
    const int code = ParseOptions(command, argc, argv, setFlag, files);
    if (code >= 0)
        return code;
    if (files.empty())
        return Usage("list needs a file", &command);
    Status status;
    for (const std::string& f : files) {
        bool listed = false;
        status.SomeFailed |= !WithinMemory(f, [&] { listed = ListFile(f, json, verbose); }) || !listed;
    }
    return status.Code();
}

// ---- extract -------------------------------------------------------------------

struct ExtractOptions {
    std::string OutDir;
    std::vector<long> Indices;
    std::vector<std::string> Names;
    long Lang = -1;
    long Size = 0;
    bool Recursive = false;
    bool WrestoolNames = false;
    bool Force = false;
    bool Cursors = false;
    bool All = false;
    // How extract writes a group; --cursors and --all write as stored and as PNG images.
    OutputFormat Format = OutputFormat::Original;
};

const char* TakeOption(ExtractOptions& o, const OptionSpec& spec, const char* value);

// The options extract and png share, taken into `o`.
auto TakeInto(ExtractOptions& o)
{
    return [&o](const OptionSpec& spec, const char* value) { return TakeOption(o, spec, value); };
}

// Takes one option of extract or png; a message for a value it refuses.
const char* TakeOption(ExtractOptions& o, const OptionSpec& spec, const char* value)
{
    const std::string name = spec.Long;
    long n;
    if (name == "output") {
        o.OutDir = value;
    } else if (name == "index") {
        if (!ParseInt(value, 0, 65535, n))
            return "--index needs a number from 0 to 65535";
        o.Indices.push_back(n);
    } else if (name == "name") {
        o.Names.push_back(value);
    } else if (name == "lang") {
        if (!ParseInt(value, 0, 65535, n))
            return "--lang needs a language number";
        o.Lang = n;
    } else if (name == "format") {
        const auto format = OutputFormatFromName(value);
        if (!format)
            return "--format needs ico16, original or png";
        o.Format = *format;
    } else if (name == "size") {
        if (!ParseInt(value, 1, kMaxIconSide, o.Size))
            return "--size needs a number from 1 to 1024";
    } else {
        bool& flag = name == "recursive" ? o.Recursive : name == "wrestool-names" ? o.WrestoolNames
                   : name == "force"     ? o.Force     : name == "cursors"        ? o.Cursors : o.All;
        flag = true;
    }
    return nullptr;
}

bool Selected(const ExtractOptions& o, const IconFile& f, std::size_t index)
{
    if (o.Indices.empty() && o.Names.empty())
        return true;
    if (std::find(o.Indices.begin(), o.Indices.end(), long(index)) != o.Indices.end())
        return true;
    const ResourceName& n = f.Catalog.Groups(o.Cursors)[index].Name;
    const std::string text = NameText(f.Catalog, n);
    for (const std::string& want : o.Names)
        if (n.IsId ? want == text : gw::EqualsIgnoringAsciiCase(want, text))
            return true;
    return false;
}

// A resource name as part of a file name: "/" and control characters (which would cut
// the name at a NUL, or forge lines and terminal sequences in listings) become "_".
std::string FileNamePart(std::string name)
{
    for (char& c : name)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '_';
    return name;
}

// The name of a group's file without its extension (.ico, or .cur for a cursor group).
std::string OutputStem(const ExtractOptions& o, const IconFile& f, const std::string& file, std::size_t index,
                       long lang)
{
    if (!o.WrestoolNames)
        return file + "_" + std::to_string(index);
    const IconGroup& g = f.Catalog.Groups(o.Cursors)[index];
    const std::string name = FileNamePart(NameText(f.Catalog, g.Name));
    if (lang < 0 && !g.Languages.empty())
        lang = g.Languages.front().Id;
    // As wrestool names them: the language is added when it is not US English.
    const std::string suffix = lang >= 0 && lang != 1033 ? "_" + std::to_string(lang) : "";
    return file + (o.Cursors ? "_12_" : "_14_") + name + suffix;
}

// One extract command: its rules, what it found and wrote, and whether it must stop.
struct ExtractRun {
    const ExtractOptions& Options;
    ExtractRules Rules;
    Status Outcome;
    long Found = 0, Written = 0;
    bool OutputMade = false;
    bool Stopped = false;

    bool OutputGone() const
    {
        struct stat st;
        return OutputMade && (::stat(Rules.OutputFolder().c_str(), &st) != 0 || !S_ISDIR(st.st_mode));
    }
    // Stops the run once, with one message, when the output folder has gone.
    bool StopWhenOutputGone()
    {
        if (!OutputGone())
            return false;
        Say(Rules.OutputFolder(), "the output folder has gone; stopping");
        Outcome.WriteFailed = Stopped = true;
        return true;
    }
    // Makes `folder` (the output folder or one below it); false when it cannot be.
    bool MakeFolder(const std::string& folder)
    {
        // Below an output folder that has gone nothing is made again.
        if (StopWhenOutputGone())
            return false;
        // Once made, the output folder is never made again, so one that goes between
        // the check above and the mkdir below still stops the run.
        const int err = OutputMade ? ExtractRules::MakeFoldersBelow(Rules.OutputFolder(), folder)
                                   : ExtractRules::MakeFolders(folder);
        if (err) {
            if (StopWhenOutputGone())
                return false;
            Say(folder, std::string("cannot make the folder: ") + std::strerror(err));
            Outcome.WriteFailed = true;
            Stopped = !OutputMade;
            return false;
        }
        OutputMade = true;
        return true;
    }
};

// Extracts the selected groups of one file into `outDir`. `named`: the file was named
// on the command line (a file without icons is then worth a word).
void ExtractGroups(ExtractRun& run, const std::string& path, const std::string& outDir, bool named)
{
    const ExtractOptions& o = run.Options;
    IconFile f = IconFile::Open(path);
    if (!f.Ok()) {
        // A walk passes over files without icons, empty ones among them.
        if (named || f.Status != OpenStatus::Empty) {
            Say(path, OpenError(f.Status));
            run.Outcome.SomeFailed = true;
        }
        return;
    }
    const auto& groups = f.Catalog.Groups(o.Cursors);
    const std::string what = o.Cursors ? "cursor " : "icon ";
    if (groups.empty()) {
        if (named) {
            Say(path, o.Cursors ? "no cursors" : "no icons");
            run.Outcome.SomeFailed = true;
        }
        return;
    }
    const std::string file = BaseName(path);
    bool any = false, folderMade = false;
    // Writes one result under `name` in `outDir`; false when the run must stop.
    auto write = [&](const std::string& name, const std::vector<std::uint8_t>& bytes) {
        if (!folderMade && !(folderMade = run.MakeFolder(outDir)))
            return false;
        // Two results of one run never take one name: the second gets a variant.
        const std::string target = run.Rules.ClaimName(outDir + "/" + name);
        const int err = o.Force ? FileWrite::Replace(target, bytes.data(), bytes.size(), run.Rules.OutputFolder())
                                : FileWrite::WriteNew(target, bytes.data(), bytes.size());
        if (!err) {
            ++run.Written;
            return true;
        }
        run.Outcome.WriteFailed = true;
        if (run.StopWhenOutputGone())
            return false;
        Say(target, err == EEXIST && !o.Force ? "exists (--force replaces it)" : FileWrite::ErrorText(err));
        return true;
    };
    for (std::size_t i = 0; i < groups.size() && !run.Stopped; ++i) {
        if (!Selected(o, f, i))
            continue;
        const auto& langs = groups[i].Languages;
        if (o.Lang >= 0 && std::none_of(langs.begin(), langs.end(), [&](const GroupLanguage& l) { return l.Id == o.Lang; }))
            continue;
        any = true;
        if (o.All) {
            // Every image as NAME_WxH_BPP.png; a second image of one size and depth gets
            // "-2" as every name the run has taken does. An image that several entries
            // name is written once.
            int failed = 0;
            bool stop = false;
            const auto err = GroupPngs(f, i, o.Cursors, failed, [&](PngImage&& png) {
                ++run.Found;
                stop = !write(OutputStem(o, f, file, i, o.Lang) + ImageSuffix(png.Width, png.Height, png.BitCount) +
                                  Extension(OutputFormat::Png),
                              png.Png);
                return !stop;
            });
            if (stop)
                return;
            if (err) {
                ++run.Found;
                Say(path, what + std::to_string(i) + ": " + err->Context);
                run.Outcome.SomeFailed = true;
            } else if (failed) {
                run.Found += failed;
                Say(path, what + std::to_string(i) + ": " + Count(std::size_t(failed), "image") + " cannot be decoded");
                run.Outcome.SomeFailed = true;
            }
            continue;
        }
        if (o.Format != OutputFormat::Original) {
            ++run.Found;
            auto bytes = EncodeGroup(f, i, o.Format);
            if (!bytes) {
                Say(path, what + std::to_string(i) + ": cannot be read or encoded");
                run.Outcome.SomeFailed = true;
                continue;
            }
            if (!write(OutputStem(o, f, file, i, o.Lang) + Extension(o.Format), *bytes))
                return;
            continue;
        }
        // One language, or as wrestool writes them, each language of the group.
        std::vector<long> languages{o.Lang};
        if (o.Lang < 0 && o.WrestoolNames && langs.size() > 1) {
            languages.clear();
            for (const GroupLanguage& l : langs)
                languages.push_back(l.Id);
        }
        for (long lang : languages) {
            ++run.Found;
            auto ico = GroupIco(f, i, int(lang), o.Cursors);
            if (!ico) {
                Say(path, what + std::to_string(i) + ": " + ico.Err().Context);
                run.Outcome.SomeFailed = true;
                continue;
            }
            if (!write(OutputStem(o, f, file, i, lang) + (o.Cursors ? ".cur" : ".ico"), *ico))
                return;
        }
    }
    if (!any && named) {
        Say(path, "no " + what + "matches the selection");
        run.Outcome.SomeFailed = true;
    }
}

void ExtractFile(ExtractRun& run, const std::string& path, const std::string& outDir, bool named)
{
    if (!WithinMemory(path, [&] { ExtractGroups(run, path, outDir, named); }))
        run.Outcome.SomeFailed = true;
}

// Files of the program's kinds under `dir`, output mirrored under `outDir`.
void Walk(ExtractRun& run, const std::string& dir, const std::string& outDir, int depth)
{
    std::vector<ExtractRules::Entry> entries;
    const int stops = run.Rules.DepthStops();
    if (const int err = run.Rules.List(dir, depth, entries)) {
        Say(dir, std::string("cannot read the folder: ") + std::strerror(err));
        run.Outcome.SomeFailed = true;
        return;
    }
    if (run.Rules.DepthStops() > stops) {
        Say(dir, "its folders are more than " + std::to_string(ExtractRules::kMaxDepth) + " levels deep: not walked");
        run.Outcome.SomeFailed = true;
    }
    for (const ExtractRules::Entry& e : entries) {
        if (run.Stopped)
            return;
        if (e.Folder)
            Walk(run, e.Path, outDir + "/" + e.Name, depth + 1);
        else
            ExtractFile(run, e.Path, outDir, false);
    }
}

// The name a walked folder is mirrored under: its own, also when given as "." or "..".
std::string RootName(const std::string& folder)
{
    std::string name = BaseName(folder);
    if (name == "." || name == ".." || name == "/") {
        char* resolved = ::realpath(folder.c_str(), nullptr);
        name = resolved ? BaseName(resolved) : name;
        std::free(resolved);
    }
    return name == "/" || name == "." || name == ".." ? "root" : name;
}

// Writes the selected groups of FILE... (folders walked with -r) into o.OutDir: as
// stored (.ico or .cur), or with o.All every image as PNG. `walks`: the command has -r.
int ExtractFiles(const ExtractOptions& o, const std::vector<std::string>& files, bool walks)
{
    ExtractRun run{o, ExtractRules(o.OutDir), {}};
    // Resource-only libraries beside Windows' system files read as libraries; cursor
    // files hold cursors.
    std::vector<std::string> also{".mun"};
    if (o.Cursors)
        also.insert(also.end(), {".cur", ".ani"});
    run.Rules.TakeAlso(also);
    for (const std::string& f : files) {
        if (run.Stopped)
            break;
        struct stat st;
        if (::stat(f.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            if (!o.Recursive) {
                // Only extract walks folders: png has no -r to point to.
                Say(f, walks ? "is a folder (-r walks it)" : "is a folder");
                run.Outcome.SomeFailed = true;
            } else if (run.Rules.InsideOutput(f)) {
                // It would feed on its own output.
                Say(f, "is the output folder or inside it: not walked");
                run.Outcome.SomeFailed = true;
            } else {
                Walk(run, f, o.OutDir + "/" + RootName(f), 0);
            }
            continue;
        }
        ExtractFile(run, f, o.OutDir, true);
    }
    if (o.Recursive || files.size() > 1)
        std::fprintf(stderr, "glimmerwick-cli: %s found: %ld written, %ld not written\n",
                     Count(std::size_t(run.Found), o.All ? "image" : o.Cursors ? "cursor" : "icon").c_str(), run.Written,
                     run.Found - run.Written);
    return run.Outcome.Code();
}

int Extract(const CommandSpec& command, int argc, char** argv)
{
    ExtractOptions o;
    std::vector<std::string> files;
    if (const int code = ParseOptions(command, argc, argv, TakeInto(o), files); code >= 0)
        return code;
    if (o.OutDir.empty())
        return Usage("extract needs -o DIR", &command);
    if (o.OutDir == "-")
        return Usage("extract writes files into a folder: -o - (standard output) is for png and legacy", &command);
    if (files.empty())
        return Usage("extract needs a file", &command);
    // The window's formats are of icon groups, in the language a file gives first.
    if (o.Format != OutputFormat::Original && (o.Cursors || o.Lang >= 0))
        return Usage("--format=ico16 and png write icon groups in their first language: no --cursors, no --lang",
                     &command);
    return ExtractFiles(o, files, true);
}

// ---- png and legacy --------------------------------------------------------------

int Png(const CommandSpec& command, int argc, char** argv)
{
    ExtractOptions o;
    std::vector<std::string> files;
    if (const int code = ParseOptions(command, argc, argv, TakeInto(o), files); code >= 0)
        return code;
    if (o.All) {
        if (o.OutDir.empty() || o.OutDir == "-" || files.empty())
            return Usage("png --all needs -o DIR and a file", &command);
        if (o.Size)
            return Usage("png --all writes every image at its own size: --size is for one image", &command);
        return ExtractFiles(o, files, false);
    }
    if (files.size() != 1 || o.OutDir.empty())
        return Usage("png needs one file and -o OUT.png", &command);
    if (o.Indices.size() + o.Names.size() > 1)
        return Usage("png writes one group: give one --index or --name (or --all)", &command);
    IconFile f = IconFile::Open(files[0]);
    if (!f.Ok()) {
        Say(files[0], OpenError(f.Status));
        return kSomeFailed;
    }
    const auto& groups = f.Catalog.Groups(o.Cursors);
    const std::string what = o.Cursors ? "cursor" : "icon";
    std::size_t index = o.Indices.empty() ? 0 : std::size_t(o.Indices[0]);
    if (!o.Names.empty())
        for (index = 0; index < groups.size() && !Selected(o, f, index); ++index) {
        }
    if (index >= groups.size()) {
        Say(files[0], groups.empty() ? "no " + what + "s"
                      : o.Names.empty() ? "no " + what + " " + std::to_string(index)
                                        : "no " + what + " named " + o.Names[0]);
        return kSomeFailed;
    }
    auto image = GroupImageAt(f, index, int(o.Size), true, nullptr, o.Cursors);
    auto png = image ? EncodePng(*image) : std::nullopt;
    if (!png) {
        Say(files[0], what + " " + std::to_string(index) + ": no image can be decoded");
        return kSomeFailed;
    }
    return WriteResultFile(o.OutDir, *png, o.Force) ? kOk : kWriteError;
}

int Legacy(const CommandSpec& command, int argc, char** argv)
{
    bool force = false;
    std::vector<std::string> rest;
    const int code = ParseOptions(command, argc, argv, SetsFlag(force), rest);
    if (code >= 0)
        return code;
    long index;
    if (rest.size() != 3)
        return Usage("legacy needs FILE INDEX OUT.ico", &command);
    if (!ParseInt(rest[1].c_str(), -65535, 65535, index))
        return Usage(("INDEX '" + Printable(rest[1]) + "' is not a whole number from -65535 to 65535").c_str(), &command);
    IconFile f = IconFile::Open(rest[0]);
    if (!f.Ok()) {
        Say(rest[0], OpenError(f.Status));
        return kSomeFailed;
    }
    // Numbered as the shell numbers icons: from 0, or -ID for the group with that ID.
    long group = index;
    if (index < 0)
        group = f.Catalog.FindGroupById(std::uint32_t(-index));
    std::optional<std::vector<std::uint8_t>> icon;
    if (group >= 0 && group < f.Catalog.Count())
        icon = EncodeGroup(f, std::size_t(group), OutputFormat::Icon16);
    if (!icon) {
        Say(rest[0], "no icon " + rest[1]);
        return kSomeFailed;
    }
    return WriteResultFile(rest[2], *icon, force) ? kOk : kWriteError;
}

// ---- hash and find ---------------------------------------------------------------

// What hash and find look at and, for find, the conditions a group must meet.
struct HashOptions {
    bool Cursors = false;
    bool Json = false;
    bool Recursive = false;
    long MinSize = -1, MaxSize = -1, Bits = -1;
    bool Png = false;
    std::string Name;
    std::string Like;
    long Distance = 8;
    std::string FilesFrom;  // a list of names, "-" for standard input
    bool NulSeparated = false;
    long Jobs = 0;  // 0: one a core
};

const char* TakeHashOption(HashOptions& o, const OptionSpec& spec, const char* value)
{
    const std::string name = spec.Long;
    if (name == "min-size" || name == "max-size") {
        if (!ParseInt(value, 1, 65536, name == "min-size" ? o.MinSize : o.MaxSize))
            return name == "min-size" ? "--min-size needs a number of pixels" : "--max-size needs a number of pixels";
    } else if (name == "bits") {
        if (!ParseInt(value, 1, 64, o.Bits))
            return "--bits needs a number from 1 to 64";
    } else if (name == "distance") {
        if (!ParseInt(value, 0, 64, o.Distance))
            return "--distance needs a number from 0 to 64";
    } else if (name == "jobs") {
        if (!ParseInt(value, 1, 1024, o.Jobs))
            return "--jobs needs a number from 1 to 1024";
    } else if (name == "name") {
        o.Name = value;
    } else if (name == "like") {
        o.Like = value;
    } else if (name == "files-from") {
        o.FilesFrom = value;
    } else {
        bool& flag = name == "cursors" ? o.Cursors : name == "json" ? o.Json : name == "recursive" ? o.Recursive
                   : name == "null"    ? o.NulSeparated : o.Png;
        flag = true;
    }
    return nullptr;
}

bool ContainsIgnoringAsciiCase(const std::string& text, const std::string& part)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

// One group's line: its text and, when likeness is asked, its distance.
struct HashLine {
    std::string Text;
    int Distance = 0;
};

// What one file gave: its lines, its messages for standard error, whether it failed.
struct FileHashes {
    std::vector<HashLine> Lines;
    std::string Messages;
    bool Failed = false;
};

// The conditions of a run and the group compared with; the same for every file.
struct HashQuery {
    const HashOptions& Options;
    bool Liken = false;
    std::uint64_t LikeHash = 0;

    bool Matches(const std::string& path, const std::string& name, const IconFingerprint& p) const
    {
        const HashOptions& o = Options;
        auto any = [&](auto test) { return std::any_of(p.Images.begin(), p.Images.end(), test); };
        return (o.MinSize < 0 || p.Largest.Width >= o.MinSize) && (o.MaxSize < 0 || p.Largest.Width <= o.MaxSize) &&
               (o.Bits < 0 || any([&](const ImageSummary& s) { return s.BitCount == o.Bits; })) &&
               (!o.Png || any([](const ImageSummary& s) { return s.Png; })) &&
               (o.Name.empty() || ContainsIgnoringAsciiCase(BaseName(path), o.Name) ||
                ContainsIgnoringAsciiCase(name, o.Name)) &&
               (!Liken || HashDistance(p.Dhash, LikeHash) <= o.Distance);
    }

    std::string Line(const std::string& path, std::size_t index, const std::string& name, bool nameIsId,
                     const IconFingerprint& p) const
    {
        const std::string distance = std::to_string(HashDistance(p.Dhash, LikeHash));
        const std::string w = std::to_string(p.Largest.Width), h = std::to_string(p.Largest.Height);
        if (Options.Json)
            return "{\"file\":" + Json(path) + ",\"index\":" + std::to_string(index) + ",\"name\":" +
                   (nameIsId ? name : Json(name)) + ",\"sha256\":\"" + p.Sha256 + "\",\"dhash\":\"" + DhashHex(p.Dhash) +
                   "\",\"largest\":{\"width\":" + w + ",\"height\":" + h +
                   ",\"bits\":" + std::to_string(p.Largest.BitCount) + "}" +
                   (Liken ? ",\"distance\":" + distance : "") + "}\n";
        return Printable(path) + "\t" + std::to_string(index) + "\t" + Printable(name) + "\t" + p.Sha256 + "\t" +
               DhashHex(p.Dhash) + "\t" + w + "x" + h + (Liken ? "\t" + distance : "") + "\n";
    }

    // Every matching group of one file; `named`: the file was named, not found by a walk
    // (a file without groups is then worth a word). Safe to run on many threads.
    FileHashes Examine(const std::string& path, bool named) const
    {
        // On a worker thread an escaping exception would end the process: memory that
        // cannot be had ends this file with a message, as WithinMemory does elsewhere.
        try {
            return ExamineFile(path, named);
        } catch (const std::bad_alloc&) {
            FileHashes r;
            r.Messages = "glimmerwick-cli: " + Printable(path) + ": not enough memory\n";
            r.Failed = true;
            return r;
        }
    }

    FileHashes ExamineFile(const std::string& path, bool named) const
    {
        FileHashes r;
        auto say = [&](const std::string& message) {
            r.Messages += "glimmerwick-cli: " + Printable(path) + ": " + Printable(message) + "\n";
            r.Failed = true;
        };
        IconFile f = IconFile::Open(path);
        if (!f.Ok()) {
            // A walk passes over files without icons, empty ones among them.
            if (named || f.Status != OpenStatus::Empty)
                say(OpenError(f.Status));
            return r;
        }
        const auto& groups = f.Catalog.Groups(Options.Cursors);
        if (groups.empty() && named)
            say(Options.Cursors ? "no cursors" : "no icons");
        for (std::size_t i = 0; i < groups.size(); ++i) {
            auto print = Fingerprint(f, i, Options.Cursors);
            if (!print) {
                say((Options.Cursors ? "cursor " : "icon ") + std::to_string(i) + ": " + print.Err().Context);
                continue;
            }
            const std::string name = NameText(f.Catalog, groups[i].Name);
            if (Matches(path, name, *print))
                r.Lines.push_back({Line(path, i, name, groups[i].Name.IsId, *print),
                                   HashDistance(print->Dhash, LikeHash)});
        }
        return r;
    }
};

// Files examined on `jobs` threads, their results handed on in the order the files
// were given; at most a few files a thread are in flight, so memory stays flat
// however many files come.
class OrderedWork {
public:
    OrderedWork(const HashQuery& query, int jobs, std::function<void(FileHashes&)> done)
        : FQuery(query), FDone(std::move(done)), FWindow(std::size_t(jobs) * 4)
    {
        if (jobs > 1)
            for (int i = 0; i < jobs; ++i)
                FThreads.emplace_back([this] { Work(); });
    }
    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;
    ~OrderedWork() { Finish(); }

    void Add(const std::string& path, bool named)
    {
        if (FThreads.empty()) {
            FileHashes r = FQuery.Examine(path, named);
            FDone(r);
            return;
        }
        std::unique_lock lock(FMutex);
        HandOn(lock, FWindow);
        FSlots.push_back({path, named, false, {}});
        FWake.notify_one();
    }

    // Waits for every file given so far and hands them on.
    void Drain()
    {
        if (FThreads.empty())
            return;
        std::unique_lock lock(FMutex);
        HandOn(lock, 1);
    }

    // Drains, and ends the threads.
    void Finish()
    {
        Drain();
        if (FThreads.empty())
            return;
        std::unique_lock lock(FMutex);
        FClosed = true;
        FWake.notify_all();
        lock.unlock();
        for (std::thread& t : FThreads)
            t.join();
        FThreads.clear();
    }

private:
    struct Slot {
        std::string Path;
        bool Named;
        bool Done;
        FileHashes Result;
    };

    // Hands on finished files from the front until fewer than `room` are in flight.
    void HandOn(std::unique_lock<std::mutex>& lock, std::size_t room)
    {
        while (!FSlots.empty() && (FSlots.front().Done || FSlots.size() >= room)) {
            if (!FSlots.front().Done) {
                FFinished.wait(lock);
                continue;
            }
            FileHashes r = std::move(FSlots.front().Result);
            FSlots.pop_front();
            ++FBase;
            lock.unlock();
            FDone(r);
            lock.lock();
        }
    }

    void Work()
    {
        std::unique_lock lock(FMutex);
        for (;;) {
            FWake.wait(lock, [&] { return FClosed || FNext < FBase + FSlots.size(); });
            if (FNext >= FBase + FSlots.size())
                return;
            // Slots stay where they are while others are added or handed on.
            Slot& slot = FSlots[FNext++ - FBase];
            lock.unlock();
            FileHashes r = FQuery.Examine(slot.Path, slot.Named);
            lock.lock();
            slot.Result = std::move(r);
            slot.Done = true;
            FFinished.notify_one();
        }
    }

    const HashQuery& FQuery;
    std::function<void(FileHashes&)> FDone;
    std::size_t FWindow;
    std::mutex FMutex;
    std::condition_variable FWake, FFinished;
    std::deque<Slot> FSlots;
    std::size_t FBase = 0;  // the number of the file at the front
    std::size_t FNext = 0;  // the number of the next file to examine
    bool FClosed = false;
    std::vector<std::thread> FThreads;
};

// One hash or find command: what it walks, what it printed, how it ends.
struct HashRun {
    HashRun(const HashQuery& query, int jobs)
        : Query(query), Work(query, jobs, [this](FileHashes& r) { Take(r); })
    {
    }

    const HashQuery& Query;
    ExtractRules Rules{std::string()};
    Status Outcome;
    std::vector<HashLine> Held;  // with likeness: printed nearest first at the end
    std::size_t Printed = 0;
    OrderedWork Work;

    void Take(FileHashes& r)
    {
        std::fputs(r.Messages.c_str(), stderr);
        Outcome.SomeFailed |= r.Failed;
        Printed += r.Lines.size();
        for (HashLine& l : r.Lines) {
            if (Query.Liken)
                Held.push_back(std::move(l));
            else
                std::fwrite(l.Text.data(), 1, l.Text.size(), stdout);
        }
    }

    // A name given: a file, or a folder walked with -r. `named`: on the command line,
    // where a file without groups is worth a word; the files of a list are taken as a
    // walk takes them.
    void Given(const std::string& path, bool named = true)
    {
        struct stat st;
        if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            if (Query.Options.Recursive) {
                Walk(path, 0);
            } else {
                Work.Drain();  // the messages in the order of the names
                Say(path, "is a folder (-r walks it)");
                Outcome.SomeFailed = true;
            }
            return;
        }
        Work.Add(path, named);
    }

    void Walk(const std::string& dir, int depth)
    {
        std::vector<ExtractRules::Entry> entries;
        const int stops = Rules.DepthStops();
        const int err = Rules.List(dir, depth, entries);
        if (err || Rules.DepthStops() > stops)
            Work.Drain();  // the messages in the order of the names
        if (err) {
            Say(dir, std::string("cannot read the folder: ") + std::strerror(err));
            Outcome.SomeFailed = true;
            return;
        }
        if (Rules.DepthStops() > stops) {
            Say(dir, "its folders are more than " + std::to_string(ExtractRules::kMaxDepth) + " levels deep: not walked");
            Outcome.SomeFailed = true;
        }
        for (const ExtractRules::Entry& e : entries) {
            if (e.Folder)
                Walk(e.Path, depth + 1);
            else
                Work.Add(e.Path, false);
        }
    }

    // The names of a list, one a line or NUL-separated, read as they come.
    bool GivenFrom(const std::string& list, bool nul)
    {
        FILE* in = list == "-" ? stdin : std::fopen(list.c_str(), "re");
        if (!in) {
            Say(list, std::string("cannot read the list: ") + std::strerror(errno));
            return false;
        }
        char* line = nullptr;
        std::size_t size = 0;
        ssize_t n;
        while ((n = ::getdelim(&line, &size, nul ? '\0' : '\n', in)) > 0) {
            std::string name(line, std::size_t(n));
            if (!name.empty() && name.back() == (nul ? '\0' : '\n'))
                name.pop_back();
            if (!name.empty())
                Given(name, false);
        }
        const bool ok = !std::ferror(in);
        std::free(line);
        if (in != stdin)
            std::fclose(in);
        if (!ok)
            Say(list, "cannot read the list");
        return ok;
    }
};

// The dhash of the group --like names: FILE, or FILE:INDEX when FILE itself is no file.
bool LikeHash(const HashOptions& o, std::uint64_t& hash)
{
    std::string path = o.Like;
    long index = 0;
    struct stat st;
    const std::size_t colon = path.rfind(':');
    if (::stat(path.c_str(), &st) != 0 && colon != std::string::npos &&
        ParseInt(path.c_str() + colon + 1, 0, 65535, index))
        path.resize(colon);
    IconFile f = IconFile::Open(path);
    if (!f.Ok()) {
        Say(path, OpenError(f.Status));
        return false;
    }
    const std::string what = o.Cursors ? "cursor " : "icon ";
    if (std::size_t(index) >= f.Catalog.Groups(o.Cursors).size()) {
        Say(path, "no " + what + std::to_string(index));
        return false;
    }
    auto print = Fingerprint(f, std::size_t(index), o.Cursors);
    if (!print) {
        Say(path, what + std::to_string(index) + ": " + print.Err().Context);
        return false;
    }
    hash = print->Dhash;
    return true;
}

// Prints the groups of FILE... and of the list (folders walked with -r) that meet the
// options.
int HashFiles(const HashOptions& o, const std::vector<std::string>& files)
{
    HashQuery query{o};
    if (!o.Like.empty()) {
        if (!LikeHash(o, query.LikeHash))
            return kSomeFailed;
        query.Liken = true;
    }
    const int jobs = o.Jobs ? int(o.Jobs) : int(std::max(1u, std::thread::hardware_concurrency()));
    HashRun run(query, jobs);
    std::vector<std::string> also{".mun"};
    if (o.Cursors)
        also.insert(also.end(), {".cur", ".ani"});
    run.Rules.TakeAlso(also);
    for (const std::string& f : files)
        run.Given(f);
    if (!o.FilesFrom.empty())
        run.Outcome.SomeFailed |= !run.GivenFrom(o.FilesFrom, o.NulSeparated);
    run.Work.Finish();
    // Nearest first; equals in the order they were found.
    std::stable_sort(run.Held.begin(), run.Held.end(),
                     [](const HashLine& a, const HashLine& b) { return a.Distance < b.Distance; });
    for (const HashLine& l : run.Held)
        std::fwrite(l.Text.data(), 1, l.Text.size(), stdout);
    run.Outcome.SomeFailed |= run.Printed == 0;
    return run.Outcome.Code();
}

int HashOrFind(const CommandSpec& command, int argc, char** argv)
{
    HashOptions o;
    std::vector<std::string> files;
    const int code = ParseOptions(command, argc, argv,
                                  [&o](const OptionSpec& spec, const char* value) { return TakeHashOption(o, spec, value); },
                                  files);
    if (code >= 0)
        return code;
    if (files.empty() && o.FilesFrom.empty())
        return Usage((std::string(command.Name) + " needs a file or --files-from").c_str(), &command);
    if (o.NulSeparated && o.FilesFrom.empty())
        return Usage("-0 is for --files-from", &command);
    if (o.MinSize >= 0 && o.MaxSize >= 0 && o.MinSize > o.MaxSize)
        return Usage("--min-size is larger than --max-size", &command);
    return HashFiles(o, files);
}

int Hash(const CommandSpec& command, int argc, char** argv) { return HashOrFind(command, argc, argv); }

int Find(const CommandSpec& command, int argc, char** argv) { return HashOrFind(command, argc, argv); }

// What was printed reached standard output, else says why: a full disk or a closed
// output must not pass for a complete listing.
int CheckedOutput(int code)
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return code;
    Say("standard output", errno ? std::strerror(errno) : "write error");
    return kWriteError;
}

int Run(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    using Handler = int (*)(const CommandSpec&, int, char**);
    const std::pair<const char*, Handler> handlers[] = {{"list", List}, {"extract", Extract}, {"png", Png}, {"legacy", Legacy},
                                                         {"hash", Hash}, {"find", Find}};
    for (const auto& [name, handler] : handlers)
        if (command == name)
            return handler(*std::find_if(Commands().begin(), Commands().end(),
                                         [&](const CommandSpec& c) { return command == c.Name; }),
                           argc - 1, argv + 1);
    if (command == "-h" || command == "--help") {
        std::fputs(UsageText().c_str(), stdout);
        return kOk;
    }
    if (command == "--version") {
        std::fputs("glimmerwick-cli " GW_VERSION "\n", stdout);
        return kOk;
    }
    return Usage(("unknown command " + command).c_str());
}

} // namespace

int main(int argc, char** argv)
{
    // A closed standard output stays closed: the first file opened must not take its
    // place and receive the listing.
    if (::fcntl(1, F_GETFD) < 0 && errno == EBADF) {
        const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (fd >= 0 && fd != 1)
            ::close(fd);
    }
    errno = 0;
    try {
        return CheckedOutput(Run(argc, argv));
    } catch (const std::bad_alloc&) {
        std::fputs("glimmerwick-cli: not enough memory\n", stderr);
        return CheckedOutput(kSomeFailed);
    }
}
