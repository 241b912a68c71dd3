// glimmerwick-cli: lists icon groups and writes them as stored, as PNG or as the
// window's 16-colour icon, from the program's own reader and without a display.
#include "ExtractRules.h"
#include "FileKinds.h"
#include "IcoEncoder.h"
#include "IconFile.h"
#include "FileWrite.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace gw;

namespace {

constexpr int kOk = 0, kSomeFailed = 1, kUsage = 2, kWriteError = 3;

const char kUsageText[] =
    "usage: glimmerwick-cli list [--json] FILE...\n"
    "       glimmerwick-cli extract [-r] [--index N]... [--name NAME]... [--lang ID]\n"
    "                               [--wrestool-names] [--force] -o DIR FILE...\n"
    "       glimmerwick-cli png [--index N] [--size S] [--force] -o OUT.png FILE\n"
    "       glimmerwick-cli legacy [--force] FILE INDEX OUT.ico\n";

int Usage(const char* why = nullptr)
{
    if (why)
        std::fprintf(stderr, "glimmerwick-cli: %s\n", why);
    std::fputs(kUsageText, stderr);
    return kUsage;
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

bool ListFile(const std::string& path, bool json)
{
    IconFile f = IconFile::Open(path);
    if (!f.Ok()) {
        Say(path, OpenError(f.Status));
        if (json)
            std::printf("{\"file\":%s,\"error\":%s}\n", Json(path).c_str(), Json(OpenError(f.Status)).c_str());
        return false;
    }
    const auto& groups = f.Catalog.Groups();
    std::string out;
    if (json)
        out = "{\"file\":" + Json(path) + ",\"kind\":\"" + f.KindName() + "\",\"groups\":[";
    else
        out = Printable(path) + ": " + f.KindName() + ", " + std::to_string(groups.size()) + " groups\n";
    // Groups are summarised a batch at a time, so that the heads of neighbouring
    // groups' images are read together, while a file whose many groups all name one
    // long directory costs no more memory than a batch.
    constexpr std::size_t kBatch = 4096;
    for (std::size_t first = 0; first < groups.size();) {
        std::vector<GroupEntry> entries;
        std::vector<std::size_t> ends;
        for (std::size_t g = first; g < groups.size() && (g == first || entries.size() < kBatch); ++g) {
            const auto named = f.Catalog.ReadGroupEntries(groups[g].Directory, f.Reader);
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
                out += "  " + std::to_string(i) + "\t" + (g.Name.IsId ? name : "'" + Printable(name) + "'");
                for (const GroupLanguage& l : g.Languages)
                    out += (&l == &g.Languages.front() ? "\tlanguages " : ",") + std::to_string(l.Id);
                out += "\n";
            }
            for (std::size_t k = begin; k < ends[b]; ++k) {
                const ImageSummary& s = summaries[k];
                const char* format = s.Png ? "PNG" : "DIB";
                if (json)
                    out += std::string(k == begin ? "" : ",") + "{\"width\":" + std::to_string(s.Width) +
                           ",\"height\":" + std::to_string(s.Height) + ",\"bits\":" + std::to_string(s.BitCount) +
                           ",\"format\":\"" + format + "\",\"bytes\":" + std::to_string(s.Bytes) + "}";
                else
                    out += "    " + std::to_string(s.Width) + "x" + std::to_string(s.Height) + "\t" +
                           std::to_string(s.BitCount) + "-bit\t" + format + "\t" + std::to_string(s.Bytes) +
                           " bytes\n";
            }
            if (json)
                out += "]}";
        }
        first += ends.size();
    }
    if (json)
        out += "]}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return !groups.empty();  // the listing says it has none
}

int List(const std::vector<std::string>& args)
{
    bool json = false;
    std::vector<std::string> files;
    for (const std::string& a : args) {
        if (a == "--json")
            json = true;
        else if (a.size() > 1 && a[0] == '-' && a != "--")
            return Usage(("unknown option " + a).c_str());
        else if (a != "--")
            files.push_back(a);
    }
    if (files.empty())
        return Usage("list needs a file");
    Status status;
    for (const std::string& f : files)
        status.SomeFailed |= !ListFile(f, json);
    return status.Code();
}

// ---- extract -------------------------------------------------------------------

struct ExtractOptions {
    std::string OutDir;
    std::vector<long> Indices;
    std::vector<std::string> Names;
    long Lang = -1;
    bool Recursive = false;
    bool WrestoolNames = false;
    bool Force = false;
};

bool SameNameIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = char(x - 32);
        if (y >= 'a' && y <= 'z')
            y = char(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

bool Selected(const ExtractOptions& o, const IconFile& f, std::size_t index)
{
    if (o.Indices.empty() && o.Names.empty())
        return true;
    if (std::find(o.Indices.begin(), o.Indices.end(), long(index)) != o.Indices.end())
        return true;
    const ResourceName& n = f.Catalog.Groups()[index].Name;
    const std::string text = NameText(f.Catalog, n);
    for (const std::string& want : o.Names)
        if (n.IsId ? want == text : SameNameIgnoringAsciiCase(want, text))
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

std::string OutputName(const ExtractOptions& o, const IconFile& f, const std::string& file, std::size_t index,
                       long lang)
{
    if (!o.WrestoolNames)
        return file + "_" + std::to_string(index) + ".ico";
    const IconGroup& g = f.Catalog.Groups()[index];
    const std::string name = FileNamePart(NameText(f.Catalog, g.Name));
    if (lang < 0 && !g.Languages.empty())
        lang = g.Languages.front().Id;
    // As wrestool names them: the language is added when it is not US English.
    const std::string suffix = lang >= 0 && lang != 1033 ? "_" + std::to_string(lang) : "";
    return file + "_14_" + name + suffix + ".ico";
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
        if (const int err = ExtractRules::MakeFolders(folder)) {
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
void ExtractFile(ExtractRun& run, const std::string& path, const std::string& outDir, bool named)
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
    if (f.Catalog.Groups().empty()) {
        if (named) {
            Say(path, "no icons");
            run.Outcome.SomeFailed = true;
        }
        return;
    }
    const std::string file = BaseName(path);
    bool any = false, folderMade = false;
    for (std::size_t i = 0; i < f.Catalog.Groups().size() && !run.Stopped; ++i) {
        if (!Selected(o, f, i))
            continue;
        const auto& langs = f.Catalog.Groups()[i].Languages;
        if (o.Lang >= 0 && std::none_of(langs.begin(), langs.end(), [&](const GroupLanguage& l) { return l.Id == o.Lang; }))
            continue;
        any = true;
        // One language, or as wrestool writes them, each language of the group.
        std::vector<long> languages{o.Lang};
        if (o.Lang < 0 && o.WrestoolNames && langs.size() > 1) {
            languages.clear();
            for (const GroupLanguage& l : langs)
                languages.push_back(l.Id);
        }
        for (long lang : languages) {
            ++run.Found;
            auto ico = GroupIco(f, i, int(lang));
            if (!ico) {
                Say(path, "icon " + std::to_string(i) + ": " + ico.Err().Context);
                run.Outcome.SomeFailed = true;
                continue;
            }
            if (!folderMade && !(folderMade = run.MakeFolder(outDir)))
                return;
            // Two results of one run never take one name: the second gets a variant.
            const std::string target = run.Rules.ClaimName(outDir + "/" + OutputName(o, f, file, i, int(lang)));
            const int err = o.Force ? FileWrite::Replace(target, ico->data(), ico->size(), run.Rules.OutputFolder())
                                    : FileWrite::WriteNew(target, ico->data(), ico->size());
            if (!err) {
                ++run.Written;
                continue;
            }
            run.Outcome.WriteFailed = true;
            if (run.StopWhenOutputGone())
                return;
            Say(target, err == EEXIST && !o.Force ? "exists (--force replaces it)" : FileWrite::ErrorText(err));
        }
    }
    if (!any && named) {
        Say(path, "no icon matches the selection");
        run.Outcome.SomeFailed = true;
    }
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

int Extract(const std::vector<std::string>& args)
{
    ExtractOptions o;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const char* { return i + 1 < args.size() ? args[++i].c_str() : nullptr; };
        long n;
        if (a == "-o" || a == "--output") {
            const char* v = value();
            if (!v)
                return Usage("-o needs a folder");
            o.OutDir = v;
        } else if (a == "--index") {
            if (!ParseInt(value(), 0, 65535, n))
                return Usage("--index needs a number from 0");
            o.Indices.push_back(n);
        } else if (a == "--name") {
            const char* v = value();
            if (!v)
                return Usage("--name needs a name");
            o.Names.push_back(v);
        } else if (a == "--lang") {
            if (!ParseInt(value(), 0, 65535, n))
                return Usage("--lang needs a language number");
            o.Lang = n;
        } else if (a == "-r" || a == "--recursive") {
            o.Recursive = true;
        } else if (a == "--wrestool-names") {
            o.WrestoolNames = true;
        } else if (a == "--force") {
            o.Force = true;
        } else if (a.size() > 1 && a[0] == '-' && a != "--") {
            return Usage(("unknown option " + a).c_str());
        } else if (a != "--") {
            files.push_back(a);
        }
    }
    if (o.OutDir.empty())
        return Usage("extract needs -o DIR");
    if (files.empty())
        return Usage("extract needs a file");
    ExtractRun run{o, ExtractRules(o.OutDir), {}};
    for (const std::string& f : files) {
        if (run.Stopped)
            break;
        struct stat st;
        if (::stat(f.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            if (!o.Recursive) {
                Say(f, "is a folder (-r walks it)");
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
        std::fprintf(stderr, "glimmerwick-cli: %ld icons found: %ld written, %ld not written\n", run.Found, run.Written,
                     run.Found - run.Written);
    return run.Outcome.Code();
}

// ---- png and legacy --------------------------------------------------------------

int Png(const std::vector<std::string>& args)
{
    std::string out;
    long index = 0, size = 0;
    bool force = false;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const char* v = i + 1 < args.size() ? args[i + 1].c_str() : nullptr;
        if (a == "-o" || a == "--output") {
            if (!v)
                return Usage("-o needs a file");
            out = v;
            ++i;
        } else if (a == "--index") {
            if (!ParseInt(v, 0, 65535, index))
                return Usage("--index needs a number from 0");
            ++i;
        } else if (a == "--size") {
            if (!ParseInt(v, 1, kMaxIconSide, size))
                return Usage("--size needs a number from 1 to 1024");
            ++i;
        } else if (a == "--force") {
            force = true;
        } else if (a.size() > 1 && a[0] == '-' && a != "--") {
            return Usage(("unknown option " + a).c_str());
        } else if (a != "--") {
            files.push_back(a);
        }
    }
    if (files.size() != 1 || out.empty())
        return Usage("png needs one file and -o OUT.png");
    IconFile f = IconFile::Open(files[0]);
    if (!f.Ok()) {
        Say(files[0], OpenError(f.Status));
        return kSomeFailed;
    }
    if (std::size_t(index) >= f.Catalog.Groups().size()) {
        Say(files[0], f.Catalog.Groups().empty() ? "no icons" : "no icon " + std::to_string(index));
        return kSomeFailed;
    }
    auto image = GroupImageAt(f, std::size_t(index), int(size));
    auto png = image ? EncodePng(*image) : std::nullopt;
    if (!png) {
        Say(files[0], "icon " + std::to_string(index) + ": no image can be decoded");
        return kSomeFailed;
    }
    return WriteResultFile(out, *png, force) ? kOk : kWriteError;
}

int Legacy(const std::vector<std::string>& args)
{
    bool force = false;
    std::vector<std::string> rest;
    for (const std::string& a : args) {
        if (a == "--force")
            force = true;
        else if (a != "--")
            rest.push_back(a);
    }
    long index;
    if (rest.size() != 3 || !ParseInt(rest[1].c_str(), -65535, 65535, index))
        return Usage("legacy needs FILE INDEX OUT.ico");
    IconFile f = IconFile::Open(rest[0]);
    if (!f.Ok()) {
        Say(rest[0], OpenError(f.Status));
        return kSomeFailed;
    }
    // Numbered as the shell numbers icons: from 0, or -ID for the group with that ID.
    long group = index;
    if (index < 0)
        group = f.Catalog.FindGroupById(std::uint32_t(-index));
    std::optional<IconImage> icon;
    if (group >= 0 && group < f.Catalog.Count())
        icon = f.Catalog.Extract(std::size_t(group), 32, f.Reader);
    if (!icon) {
        Say(rest[0], "no icon " + rest[1]);
        return kSomeFailed;
    }
    return WriteResultFile(rest[2], EncodeIco16(*icon), force) ? kOk : kWriteError;
}

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
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "list")
        return List(args);
    if (command == "extract")
        return Extract(args);
    if (command == "png")
        return Png(args);
    if (command == "legacy")
        return Legacy(args);
    if (command == "-h" || command == "--help") {
        std::fputs(kUsageText, stdout);
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
    return CheckedOutput(Run(argc, argv));
}
