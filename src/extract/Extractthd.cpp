// Folder and folder-tree extraction: the worker that hands folder walks to the GUI thread.
#include "extract/Extractthd.h"

#include "browser/Mainform.h"
#include "extract/Extraction.h"
#include "framework/Forms.h"

#include <memory>
#include <tuple>

namespace {

std::atomic<int> gAlive{0};
std::atomic<int> gPeak{0};

} // namespace

ExtractThread::ExtractThread(const QByteArray& Folder, const QByteArray& OutputFolder, bool Recursive,
                             bool CreateSuspended)
    : TThread(true)
    , FFolder(Folder)
    , FOutputFolder(OutputFolder)
    , FRecursive(Recursive)
    , FRules(OutputFolder.toStdString())
    , FForm(Form1)
{
    FreeOnTerminate = true;
    const int alive = ++gAlive;
    for (int peak = gPeak; alive > peak && !gPeak.compare_exchange_weak(peak, alive);) {
    }
    // A walk counts as active from the moment it is requested, so that the total is
    // shown once, when the last walk of the tree has ended.
    if (FForm)
        ++FForm->FActiveWalks;
    if (!CreateSuspended) {
        try {
            Start();
        } catch (...) {
            // No thread: the walk will never run, so it is not counted.
            --gAlive;
            if (FForm)
                --FForm->FActiveWalks;
            throw;
        }
    }
}

ExtractThread::~ExtractThread()
{
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
    explicit TWalkEnd(TForm1* form) : FForm(form) {}
    ~TWalkEnd()
    {
        if (!FForm)
            return;
        if (--FForm->FActiveWalks == 0)
            ShowExtractStatus();
    }
    TWalkEnd(const TWalkEnd&) = delete;
    TWalkEnd& operator=(const TWalkEnd&) = delete;

private:
    QPointer<TForm1> FForm;
};

} // namespace

void ExtractThread::WalkFolder()
{
    TForm1* form = FForm;
    if (!form)
        return;
    TWalkEnd end(form);
    TIcon holder;
    // A folder that cannot be read gives a walk without entries.
    std::vector<gw::ExtractRules::Entry> entries;
    const int stops = FRules.DepthStops();
    (void)FRules.List(FFolder.toStdString(), FDepth, entries);
    // Subfolders beyond the depth limit are not walked, and count as failures.
    if (FRecursive)
        form->FFailedCount += FRules.DepthStops() - stops;
    for (const gw::ExtractRules::Entry& e : entries) {
        const QByteArray name = QByteArray::fromStdString(e.Name);
        const QByteArray path = QByteArray::fromStdString(e.Path);
        if (e.Folder) {
            if (FRecursive) {
                ++form->FActiveWalks;
                FPending.emplace_back(path, FDepth + 1);
            }
        } else if (WalkExtracts(*form, name) &&
                   !ExtractIntoFreeNames(*form, holder, path, name, FOutputFolder, FNextFree)) {
            // The output folder has gone: nothing more of this command can be written.
            form->FActiveWalks -= int(FPending.size());
            FPending.clear();
            return;
        }
        QPointer<TForm1> alive(form);
        Application->ProcessMessages();
        if (!alive || !FForm)
            return;
    }
}

void ShowExtractStatus()
{
    TForm1* form = Form1;
    if (!form)
        return;
    QString text;
    if (form->FActiveWalks > 0)
        text = QStringLiteral("已提取%1个图标...").arg(form->FExtractedCount);
    else if (form->FFailedCount > 0)
        text = QStringLiteral("一共提取%1个图标，%2个提取失败！").arg(form->FExtractedCount).arg(form->FFailedCount);
    else
        text = QStringLiteral("一共提取%1个图标！").arg(form->FExtractedCount);
    form->StatusBar1->Panels()->Items(1)->SetText(text);
}
