// Worker threads handing calls to the GUI thread.
#include "framework/Forms.h"
#include "framework/Thread.h"

#include <QTest>
#include <QThread>

#include <atomic>

#include <gtest/gtest.h>

namespace {

struct TWorker : TThread {
    explicit TWorker(std::function<void(TWorker*)> body, std::atomic<bool>* destroyed = nullptr)
        : TThread(true), Body(std::move(body)), Destroyed(destroyed) {}
    ~TWorker() override
    {
        if (Destroyed)
            *Destroyed = true;
    }
    void Execute() override { Body(this); }
    void Sync(const std::function<void()>& f) { Synchronize(f); }
    std::function<void(TWorker*)> Body;
    std::atomic<bool>* Destroyed;
};

} // namespace

TEST(Thread, SynchronizeRunsOnTheGuiThreadAndTheWorkerWaits)
{
    std::atomic<bool> ran{false}, after{false};
    QThread* ranOn = nullptr;
    TWorker worker([&](TWorker* self) {
        self->Sync([&] {
            ranOn = QThread::currentThread();
            ran = true;
        });
        after = true;
    });
    worker.Start();
    // Nothing runs until the GUI thread handles its messages.
    QTest::qSleep(50);
    EXPECT_FALSE(ran);
    EXPECT_FALSE(after);
    EXPECT_EQ(TThread::PendingSynchronizeCount(), 1);
    Application->ProcessMessages();
    EXPECT_TRUE(ran);
    worker.WaitFor();
    EXPECT_TRUE(after);
    EXPECT_EQ(ranOn, QThread::currentThread());
    EXPECT_TRUE(worker.Finished());
}

TEST(Thread, SynchronizeFromTheGuiThreadRunsAtOnce)
{
    bool ran = false;
    TThread::Synchronize(nullptr, [&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(Thread, FreeOnTerminateDeletesAfterOnTerminate)
{
    std::atomic<bool> destroyed{false};
    bool terminated = false;
    auto* worker = new TWorker([](TWorker*) {}, &destroyed);
    worker->FreeOnTerminate = true;
    worker->OnTerminate = [&](TObject*) {
        EXPECT_FALSE(destroyed);
        terminated = true;
    };
    worker->Start();
    QTRY_VERIFY_WITH_TIMEOUT(destroyed.load(), 2000);
    EXPECT_TRUE(terminated);
}

TEST(Thread, PendingCallsAreReleasedWithoutRunning)
{
    std::atomic<bool> ran{false}, returned{false};
    TWorker worker([&](TWorker* self) {
        self->Sync([&] { ran = true; });
        returned = true;
    });
    worker.Start();
    for (int i = 0; i < 200 && TThread::PendingSynchronizeCount() == 0; ++i)
        QTest::qSleep(5);
    TThread::CancelPendingSynchronize();
    worker.WaitFor();
    EXPECT_TRUE(returned);
    Application->ProcessMessages();
    EXPECT_FALSE(ran);
}

TEST(Thread, ManyWorkersHandOverInTurn)
{
    std::atomic<int> active{0};
    int walks = 0;
    std::vector<std::unique_ptr<TWorker>> workers;
    for (int i = 0; i < 8; ++i) {
        workers.push_back(std::make_unique<TWorker>([&](TWorker* self) {
            ++active;
            self->Sync([&] { ++walks; });
            --active;
        }));
        workers.back()->Start();
    }
    QTRY_COMPARE_WITH_TIMEOUT(walks, 8, 2000);
    for (auto& w : workers)
        w->WaitFor();
    EXPECT_EQ(active, 0);
}
