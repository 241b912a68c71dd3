// Worker threads and the hand-over of calls to the GUI thread.
#include "framework/Thread.h"

#include "framework/Forms.h"

#include <QCoreApplication>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>

namespace {

struct TSyncCall {
    std::function<void()> Method;
    std::mutex Mutex;
    std::condition_variable Done;
    bool Finished = false;
    std::exception_ptr Error;
};

std::mutex gPendingMutex;
std::set<std::shared_ptr<TSyncCall>> gPending;

void Finish(const std::shared_ptr<TSyncCall>& call)
{
    {
        std::lock_guard lock(call->Mutex);
        call->Finished = true;
    }
    call->Done.notify_all();
}

bool OnGuiThread()
{
    return !QCoreApplication::instance() || QThread::currentThread() == QCoreApplication::instance()->thread();
}

} // namespace

TThread::TThread(bool createSuspended)
{
    if (QCoreApplication::instance())
        TApplication::Instance();
    if (!createSuspended)
        Start();
}

TThread::~TThread()
{
    if (FThread.joinable()) {
        if (FThread.get_id() == std::this_thread::get_id())
            FThread.detach();
        else
            FThread.join();
    }
}

void TThread::Start()
{
    if (FStarted)
        return;
    FStarted = true;
    FThread = std::thread([this] { Run(); });
}

void TThread::WaitFor()
{
    if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id())
        FThread.join();
}

void TThread::Run()
{
    try {
        Execute();
    } catch (...) {
        // An exception ends the thread; it is not reported.
    }
    FFinished = true;
    if (OnTerminate)
        Synchronize(this, [this] { OnTerminate(nullptr); });
    if (FreeOnTerminate) {
        FThread.detach();
        delete this;
    }
}

void TThread::Synchronize(TThread*, const std::function<void()>& method)
{
    if (OnGuiThread()) {
        method();
        return;
    }
    auto call = std::make_shared<TSyncCall>();
    call->Method = method;
    {
        std::lock_guard lock(gPendingMutex);
        gPending.insert(call);
    }
    QObject* receiver = TApplication::Instance();
    const bool posted = QMetaObject::invokeMethod(receiver, [call] {
        {
            std::lock_guard lock(gPendingMutex);
            if (!gPending.erase(call))
                return; // cancelled meanwhile
        }
        try {
            call->Method();
        } catch (...) {
            call->Error = std::current_exception();
        }
        Finish(call);
    }, Qt::QueuedConnection);
    if (!posted) {
        std::lock_guard lock(gPendingMutex);
        gPending.erase(call);
        return;
    }
    std::unique_lock lock(call->Mutex);
    call->Done.wait(lock, [&] { return call->Finished; });
    if (call->Error)
        std::rethrow_exception(call->Error);
}

void TThread::CancelPendingSynchronize()
{
    std::set<std::shared_ptr<TSyncCall>> pending;
    {
        std::lock_guard lock(gPendingMutex);
        pending.swap(gPending);
    }
    for (const auto& call : pending)
        Finish(call);
}

int TThread::PendingSynchronizeCount()
{
    std::lock_guard lock(gPendingMutex);
    return static_cast<int>(gPending.size());
}
