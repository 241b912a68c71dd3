// Worker threads with Synchronize: a worker hands a call to the GUI thread and waits
// until it has run there.
#pragma once

#include "framework/Classes.h"

#include <atomic>
#include <functional>
#include <thread>

class TThread {
public:
    // A suspended thread starts with Start().
    explicit TThread(bool createSuspended);
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void Start();
    void Resume() { Start(); }
    void Terminate() { FTerminated = true; }
    bool Terminated() const { return FTerminated; }
    bool Finished() const { return FFinished; }
    // Waits for the end of Execute (not for a FreeOnTerminate thread).
    void WaitFor();

    // Deletes the object on its own thread after Execute and OnTerminate.
    bool FreeOnTerminate = false;
    // Runs on the GUI thread after Execute.
    TNotifyEvent OnTerminate;

    // Runs `method` on the GUI thread and returns when it has run. From the GUI
    // thread it runs at once. The call waits in the GUI thread's event queue, so it
    // also runs inside Application->ProcessMessages(). Calls still waiting when the
    // application object goes away return without running.
    static void Synchronize(TThread* thread, const std::function<void()>& method);
    // Releases every waiting call without running it.
    static void CancelPendingSynchronize();
    // Calls waiting for the GUI thread.
    static int PendingSynchronizeCount();

protected:
    virtual void Execute() = 0;
    void Synchronize(const std::function<void()>& method) { Synchronize(this, method); }

private:
    void Run();

    std::thread FThread;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    bool FStarted = false;
};
