// Folder and folder-tree extraction: the worker that hands folder walks to the GUI thread.
#pragma once

#include "core/ExtractRules.h"
#include "framework/Thread.h"

#include <QByteArray>
#include <QPointer>

#include <atomic>
#include <deque>
#include <memory>

class QWidget;
class TExtractionRun;

// One worker per folder command. It hands the walk of its folder to the GUI thread
// and waits until it has run; a recursive walk queues the folder's subfolders, whose
// walks the same worker hands over next, in the order they were met. So every folder
// is finished before any of its subfolders starts, and a tree of any width needs one
// thread, not one per folder.
class ExtractThread : public TThread {
public:
    // Folders are raw path bytes: names need not be valid UTF-8. The walks are those of
    // the command `Run`, which they own; they report to its host, and end when the
    // host's window has gone.
    ExtractThread(std::shared_ptr<TExtractionRun> Run, const QByteArray& Folder, const QByteArray& OutputFolder,
                  bool Recursive, bool CreateSuspended);
    ~ExtractThread() override;

    // Workers alive now, and the most alive at once since the last reset (tests).
    static int AliveCount();
    static int PeakAliveCount();
    static void ResetPeakAliveCount();

protected:
    void Execute() override;

private:
    // Walks FFolder on the GUI thread: extracts the icons of its files and queues its
    // subfolders when recursive.
    void WalkFolder();

    QByteArray FFolder;
    QByteArray FOutputFolder;
    bool FRecursive;
    // The folder's level below the command's folder.
    int FDepth = 0;
    // What the walks take: never the output folder, nothing beyond the depth limit; the
    // names the command's icons have taken.
    gw::ExtractRules FRules;
    // Folders waiting for their walk, with their levels; touched by the GUI thread
    // only inside a walk, while this worker waits in Synchronize.
    std::deque<std::pair<QByteArray, int>> FPending;
    std::shared_ptr<TExtractionRun> FRun;
    QPointer<QWidget> FWindow;
};

// Shows the progress while the host's walks are active (at most every 100 ms), and the
// total, or that the user cancelled `run`, when none is.
void ShowExtractStatus(TExtractionRun& run);
