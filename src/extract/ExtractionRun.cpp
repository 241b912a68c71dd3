// Extraction commands as objects: their counts, their cancel flag and the live ones.
#include "extract/ExtractionRun.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <vector>

namespace {

// Runs are made and cancelled on the GUI thread, but a worker may free the last owner.
std::mutex gLock;
std::vector<TExtractionRun*> gRuns;
TIconSource gIconSource;
int gLastProcessed = 0;

} // namespace

TExtractionRun::TExtractionRun(TExtractionHost& host, gw::OutputFormat format, std::string outputFolder)
    : FHost(host)
    , FFormat(format)
    , FOutputFolder(std::move(outputFolder))
{
    std::lock_guard lock(gLock);
    FIconSource = gIconSource ? gIconSource : TIconSource(ExtractIconA);
    gRuns.push_back(this);
}

TExtractionRun::~TExtractionRun()
{
    std::lock_guard lock(gLock);
    gRuns.erase(std::remove(gRuns.begin(), gRuns.end(), this), gRuns.end());
    gLastProcessed = FProcessed;
}

std::vector<std::string> TExtractionRun::OtherOutputFolders() const
{
    std::lock_guard lock(gLock);
    std::vector<std::string> folders;
    for (const TExtractionRun* run : gRuns)
        if (!run->FOutputFolder.empty() && run->FOutputFolder != FOutputFolder)
            folders.push_back(run->FOutputFolder);
    return folders;
}

bool TExtractionRun::ProgressDue()
{
    const std::int64_t now =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    if (FProgressShownAt != 0 && now - FProgressShownAt < 100)
        return false;
    FProgressShownAt = now;
    return true;
}

void TExtractionRun::CancelAll(const TExtractionHost& host)
{
    std::lock_guard lock(gLock);
    for (TExtractionRun* run : gRuns)
        if (&run->FHost == &host)
            run->FCancelled = true;
}

void TExtractionRun::EndAll(const TExtractionHost& host)
{
    std::lock_guard lock(gLock);
    for (TExtractionRun* run : gRuns)
        if (&run->FHost == &host)
            run->FCancelled = run->FEnding = true;
}

void TExtractionRun::SetIconSource(TIconSource source)
{
    std::lock_guard lock(gLock);
    gIconSource = std::move(source);
}

int TExtractionRun::LastProcessed()
{
    std::lock_guard lock(gLock);
    return gLastProcessed;
}
