// Folder and folder-tree extraction: the worker that hands folder walks to the GUI thread.
#include "extract/Extractthd.h"

#include "extract/Extraction.h"
#include "extract/ExtractionHost.h"
#include "extract/ExtractionRun.h"
#include "framework/Forms.h"
#include "platform/Icon.h"

#include <memory>
#include <tuple>

namespace {

std::atomic<int> gAlive{0};
std::atomic<int> gPeak{0};

} // namespace

ExtractThread::ExtractThread(std::shared_ptr<TExtractionRun> Run, const QByteArray& Folder, const QByteArray& OutputFolder,
                             bool Recursive, bool CreateSuspended)
    : TThread(true)
    , FFolder(Folder)
    , FOutputFolder(OutputFolder)
    , FRecursive(Recursive)
    , FRules(OutputFolder.toStdString())
    , FRun(std::move(Run))
    , FWindow(FRun->Host().ExtractionWindow())
{
    FreeOnTerminate = true;
    const int alive = ++gAlive;
    for (int peak = gPeak; alive > peak && !gPeak.compare_exchange_weak(peak, alive);) {
    }
    // A walk counts as active from the moment it is requested, so that the total is
    // shown once, when the last walk of the tree has ended.
    FRun->Host().WalksStarted(1);
    if (!CreateSuspended) {
        try {
            Start();
        } catch (...) {
            // No thread: the walk will never run, so it is not counted.
            --gAlive;
            FRun->Host().WalksEnded(1);
            throw;
        }
    }
}

ExtractThread::~ExtractThread()
{
    // The command ends with its last walk's worker, before the worker counts as gone.
    FRun.reset();
    --gAlive;
}

int ExtractThread::AliveCount() { return gAlive; }
int ExtractThread::PeakAliveCount() { return gPeak; }
void ExtractThread::ResetPeakAliveCount() { gPeak = gAlive.load(); }

void ExtractThread::Execute()
{
    FPending.emplace_back(FFolder, 0);
    while (!FPending.empty()) {
        std::tie(FFolder, FDepth) = FPending.front();
        FPending.pop_front();
        bool ran = false;
        try {
            Synchronize([this, &ran] {
                ran = true;
                WalkFolder();
            });
        } catch (...) {
            // That folder's walk ended early and has settled its count; the folders
            // queued go on.
        }
        // The program is ending: walks not handed over are not run.
        if (!ran)
            return;
    }
}

namespace {

// Ends a walk's registration however the walk ends, and shows the total when it was
// the last one.
class TWalkEnd {
public:
    TWalkEnd(TExtractionRun& run, QWidget* window) : FRun(run), FWindow(window) {}
    ~TWalkEnd()
    {
        if (!FWindow)
            return;
        if (FRun.Host().WalksEnded(1) == 0)
            ShowExtractStatus(FRun);
    }
    TWalkEnd(const TWalkEnd&) = delete;
    TWalkEnd& operator=(const TWalkEnd&) = delete;

private:
    TExtractionRun& FRun;
    QPointer<QWidget> FWindow;
};

} // namespace

void ExtractThread::WalkFolder()
{
    QWidget* window = FWindow;
    if (!window)
        return;
    TExtractionRun& run = *FRun;
    TExtractionHost& host = run.Host();
    TWalkEnd end(run, window);
    // Neither the rest of this folder nor those queued are walked: the user has
    // cancelled, or the output folder has gone and nothing more can be written.
    auto stop = [this, &host] {
        host.WalksEnded(int(FPending.size()));
        FPending.clear();
    };
    if (run.Cancelled()) {
        stop();
        return;
    }
    // The output folders of the other commands running now are not walked.
    FRules.AvoidAlso(run.OtherOutputFolders());
    // A folder that cannot be read gives a walk without entries.
    std::vector<gw::ExtractRules::Entry> entries;
    const int stops = FRules.DepthStops();
    (void)FRules.List(FFolder.toStdString(), FDepth, entries);
    // Subfolders beyond the depth limit are not walked, and count as failures.
    if (FRecursive)
        run.AddFailed(FRules.DepthStops() - stops);
    for (const gw::ExtractRules::Entry& e : entries) {
        const QByteArray name = QByteArray::fromStdString(e.Name);
        const QByteArray path = QByteArray::fromStdString(e.Path);
        if (e.Folder) {
            if (FRecursive) {
                host.WalksStarted(1);
                FPending.emplace_back(path, FDepth + 1);
            }
        } else if (host.ExtractsFile(name)) {
            if (run.Cancelled() || !ExtractIntoFreeNames(run, path, name, FOutputFolder, FRules.Names())) {
                stop();
                return;
            }
            run.FileProcessed();
            ShowExtractStatus(run);
        }
        Application->ProcessMessages();
        if (!FWindow)
            return;
        if (run.Ending()) {
            stop();
            return;
        }
    }
}

void ShowExtractStatus(TExtractionRun& run)
{
    // bench/progress.sh sets GW_BENCH_NO_PROGRESS to time the walks without their
    // progress texts; nothing else reads it.
    static const bool kNoProgress = qEnvironmentVariableIsSet("GW_BENCH_NO_PROGRESS");
    TExtractionHost& host = run.Host();
    QString text;
    if (host.ActiveWalks() > 0) {
        if (kNoProgress || !run.ProgressDue())
            return;
        text = TExtractionTexts::tr("正在提取：已处理%1个文件，提取%2个图标……").arg(run.Processed()).arg(host.IconsWritten());
    } else if (run.Cancelled()) {
        text = TExtractionTexts::tr("提取已取消：一共提取%1个图标，%2个提取失败！").arg(host.IconsWritten()).arg(run.Failed());
    } else if (run.Failed() > 0) {
        text = TExtractionTexts::tr("一共提取%1个图标，%2个提取失败！").arg(host.IconsWritten()).arg(run.Failed());
    } else {
        text = TExtractionTexts::tr("一共提取%1个图标！").arg(host.IconsWritten());
    }
    host.ShowStatusText(text);
}
