// The animated application icon: frames from Tarnwell.dll, missing frames, failures.
#include "AppTestSupport.h"
#include "TestSupport.h"

#include <QFile>

namespace {

class AppIconTest : public AppTest {
protected:
    void UseLibrary(const char* source)
    {
        ASSERT_TRUE(QFile::copy(QString::fromUtf8(source), FFolder + "/Tarnwell.dll"));
    }

    // The image of icon `index` of the library, read on its own.
    QImage Frame(int index)
    {
        const std::string path = FFolder.toStdString() + "/Tarnwell.dll";
        TIcon icon;
        icon.SetHandle(ExtractIconA(0, path.c_str(), index));
        return HIconToImage(icon.GetHandle());
    }

    QImage Shown() { return HIconToImage(Application->Icon()->GetHandle()); }
};

TEST_F(AppIconTest, EightFramesCycleOnePerTick)
{
    UseLibrary(GW_TARNWELL8);
    TForm1* f = CreateMainForm();
    f->Timer1->SetEnabled(false);
    std::vector<QImage> frames;
    for (int i = 0; i < 8; ++i)
        frames.push_back(Frame(i));
    for (int i = 0; i < 8; ++i) {
        ASSERT_FALSE(frames[i].isNull()) << i;
        if (i > 0) {
            EXPECT_NE(frames[i], frames[i - 1]) << "neighbouring frames differ";
        }
    }
    const std::size_t alive = IconTable::AliveCount();
    for (int tick = 0; tick < 10; ++tick) {
        f->ChangeIconTime(f->Timer1);
        EXPECT_EQ(IconFrameCounter, tick + 1);
        EXPECT_EQ(Shown(), frames[tick % 8]) << tick;
        EXPECT_FALSE(f->windowIcon().isNull());
        EXPECT_EQ(f->windowIcon().cacheKey(), Application->WindowIcon().cacheKey()) << "the window shows it";
    }
    EXPECT_LE(IconTable::AliveCount(), alive + 1) << "each tick's handle replaces the last";
}

TEST_F(AppIconTest, MissingFramesShowTheDefaultIconAndTheTimerKeepsRunning)
{
    UseLibrary(GW_TARNWELL3);
    TForm1* f = CreateMainForm();
    for (int tick = 0; tick < 16; ++tick) {
        f->ChangeIconTime(f->Timer1);
        const bool present = tick % 8 < 3;
        EXPECT_EQ(Application->Icon()->GetHandle() != 0, present) << tick;
        EXPECT_EQ(f->windowIcon().isNull(), !present) << tick;
        if (present) {
            EXPECT_EQ(Shown(), Frame(tick % 8));
        }
    }
    EXPECT_EQ(IconFrameCounter, 16);
    EXPECT_TRUE(f->Timer1->Enabled());
}

TEST_F(AppIconTest, WithoutTheLibraryTheTimerKeepsRunning)
{
    TForm1* f = CreateMainForm();
    f->ChangeIconTime(f->Timer1);
    f->ChangeIconTime(f->Timer1);
    EXPECT_EQ(Application->Icon()->GetHandle(), 0u);
    EXPECT_EQ(IconFrameCounter, 2);
    EXPECT_TRUE(f->Timer1->Enabled());
}

TEST_F(AppIconTest, AFailureStopsTheTimerForGoodWithoutAdvancing)
{
    UseLibrary(GW_TARNWELL8);
    TForm1* f = CreateMainForm();
    f->ChangeIconTime(f->Timer1);
    ASSERT_EQ(IconFrameCounter, 1);
    f->SetAppIconSource([](HINSTANCE, const char*, int) -> HICON { throw std::runtime_error("no icon"); });
    f->ChangeIconTime(f->Timer1);
    EXPECT_EQ(IconFrameCounter, 1);
    EXPECT_FALSE(f->Timer1->Enabled());
    EXPECT_EQ(Shown(), Frame(0)) << "the icon shown last stays";
}

TEST_F(AppIconTest, TheTimerTicksEvery125Milliseconds)
{
    UseLibrary(GW_TARNWELL8);
    TForm1* f = CreateMainForm();
    ASSERT_TRUE(f->Timer1->Enabled());
    EXPECT_EQ(f->Timer1->Interval(), 125);
    QTRY_VERIFY_WITH_TIMEOUT(IconFrameCounter >= 3, 2000);
    QTest::qWait(10);
    EXPECT_EQ(Shown(), Frame((IconFrameCounter - 1) % 8));
}

TEST_F(AppIconTest, LibraryRewrittenWhileTheTimerRunsDoesNotStopTheProgram)
{
    // Updating the program replaces the library under the running animation.
    UseLibrary(GW_TARNWELL8);
    TForm1* f = CreateMainForm();
    const std::string path = FFolder.toStdString() + "/Tarnwell.dll";
    const auto whole = gwtest::ReadBytes(path);
    const std::vector<std::uint8_t> head(whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() / 3));
    gwtest::FileRewriter rewriter(path, {whole, head, {}});
    QTRY_VERIFY_WITH_TIMEOUT(IconFrameCounter >= 8 && rewriter.Rounds() >= 8, 5000);
    EXPECT_TRUE(f->Timer1->Enabled());
}

} // namespace
