// TExtractionRun: one extraction command, from its start to its last walk's end.
#pragma once

#include "core/OutputFormat.h"
#include "platform/ShellIcons.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TExtractionHost;

// How extraction obtains an icon: ExtractIconA, or what a test installs.
using TIconSource = std::function<HICON(HINSTANCE, const char*, int)>;

class TExtractionRun {
public:
    // A command of `host` that writes `format`, into `outputFolder` when it is a folder
    // command.
    TExtractionRun(TExtractionHost& host, gw::OutputFormat format, std::string outputFolder = {});
    ~TExtractionRun();
    TExtractionRun(const TExtractionRun&) = delete;
    TExtractionRun& operator=(const TExtractionRun&) = delete;

    TExtractionHost& Host() const { return FHost; }
    // The format the command started with; a later choice in the menu is the next
    // command's.
    gw::OutputFormat Format() const { return FFormat; }
    const std::string& OutputFolder() const { return FOutputFolder; }
    // The output folders other running commands write into now: no walk enters them.
    std::vector<std::string> OtherOutputFolders() const;
    const TIconSource& IconSource() const { return FIconSource; }

    // Icons that could not be read or written, and subfolders not walked.
    int Failed() const { return FFailed; }
    void AddFailed(int count = 1) { FFailed += count; }
    // Files of the listed kinds the walks have looked at.
    int Processed() const { return FProcessed; }
    void FileProcessed() { ++FProcessed; }
    // Set when the user cancels: the command's walks stop before their next file.
    bool Cancelled() const { return FCancelled; }
    // Set when the window closes: the command stops at its next icon, for good.
    bool Ending() const { return FEnding; }
    // True when the progress is due again: at most every 100 ms.
    bool ProgressDue();

    // Every running command of `host` stops at its next file; nothing when none runs.
    static void CancelAll(const TExtractionHost& host);
    // Every running command of `host`, folder walks and a single file's, stops at its
    // next icon: the window is closing and the program ends.
    static void EndAll(const TExtractionHost& host);
    // The icon source of the commands started from now on (tests inject failures with
    // it); empty: ExtractIconA.
    static void SetIconSource(TIconSource source);
    // Files the last command that ended looked at (benchmarks).
    static int LastProcessed();

private:
    TExtractionHost& FHost;
    const gw::OutputFormat FFormat;
    const std::string FOutputFolder;
    TIconSource FIconSource;
    int FFailed = 0;
    int FProcessed = 0;
    bool FCancelled = false;
    bool FEnding = false;
    std::int64_t FProgressShownAt = 0;
};
