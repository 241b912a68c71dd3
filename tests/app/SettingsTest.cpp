// Settings: reading in FormCreate, writing in FormClose, and the files that go wrong.
#include "AppTestSupport.h"

#include <QFile>

#include <QElapsedTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using SettingsTest = AppTest;

bool AllKinds(const TForm1* f, bool value)
{
    for (bool flag : {f->FShowExe, f->FShowDll, f->FShowOcx, f->FShowBpl, f->FShowCpl, f->FShowIcl, f->FShowDrv,
                      f->FShowScr, f->FShowBmp, f->FShowJpg, f->FShowIco})
        if (flag != value)
            return false;
    return true;
}

TEST_F(SettingsTest, WithoutAFileStartsAtTheRootWithEverythingOnAndCloseWritesAllKeys)
{
    TForm1* f = CreateMainForm();
    EXPECT_TRUE(f->LastAccess->Checked());
    EXPECT_TRUE(f->LastAccessed->Checked());
    EXPECT_TRUE(AllKinds(f, true));
    EXPECT_EQ(f->DirectoryListBox1->Directory(), "/");
    EXPECT_EQ(f->FCurrentDir, "/");
    EXPECT_EQ(f->PathLable->Caption(), "/");
    EXPECT_EQ(QDir::currentPath(), "/");

    CloseMainForm();
    EXPECT_EQ(ReadIni(), AllKeysFile("1", "/", "1"));
}

TEST_F(SettingsTest, RememberedFolderIsEnteredAndWrittenBackAsShownAtClose)
{
    const QString remembered = MakeFolder("remembered");
    const QString later = MakeFolder("remembered/later");
    WriteIni("[Access]\nLast=1\n[Init]\nDirectory=" + remembered.toStdString() + "\n");
    TForm1* f = CreateMainForm();
    EXPECT_EQ(f->DirectoryListBox1->Directory(), remembered);
    EXPECT_EQ(f->FCurrentDir, remembered);
    EXPECT_EQ(f->PathLable->Caption(), remembered);
    // Laying the window out does not shorten the full text written at start.
    ShowMainForm();
    EXPECT_EQ(f->PathLable->Caption(), remembered);
    EXPECT_EQ(QDir::currentPath(), remembered);
    EXPECT_EQ(f->Drive1->Drive(), DriveOf(remembered));

    f->DirectoryListBox1->SetDirectory(later);
    CloseMainForm();
    EXPECT_EQ(TIniFile(FIni).ReadString("Init", "Directory", ""), later.toStdString());
}

TEST_F(SettingsTest, LastOffKeepsTheStartFolderAndStillWritesTheFolderShown)
{
    const QString start = MakeFolder("start");
    const QString elsewhere = MakeFolder("elsewhere");
    QDir::setCurrent(start);
    WriteIni("[Access]\nLast=0\n[Init]\nDirectory=" + elsewhere.toStdString() + "\n");
    TForm1* f = CreateMainForm();
    EXPECT_EQ(f->DirectoryListBox1->Directory(), start);
    EXPECT_EQ(f->FCurrentDir, start);
    EXPECT_FALSE(f->LastAccess->Checked());
    EXPECT_FALSE(f->LastAccessed->Checked());
    EXPECT_TRUE(AllKinds(f, true));

    CloseMainForm();
    TIniFile ini(FIni);
    EXPECT_FALSE(ini.ReadBool("Access", "Last", true));
    EXPECT_EQ(ini.ReadString("Init", "Directory", ""), start.toStdString());
}

TEST_F(SettingsTest, ValueRulesAndForeignKeysSurviveALoadAndSave)
{
    const QString folder = MakeFolder("values");
    WriteIni("; my notes\n[View]\nExeFile=0x0\nDllFile=yes\nOcxFile=0\nJpgFile=0\nIcoFile=0X1\nMine=keep\n"
             "[Init]\nDirectory=" + folder.toStdString() + "\n");
    TForm1* f = CreateMainForm();
    EXPECT_FALSE(f->FShowExe) << "0x0 is hexadecimal zero";
    EXPECT_TRUE(f->FShowDll) << "not a number gives the default";
    EXPECT_FALSE(f->FShowOcx);
    EXPECT_FALSE(f->FShowJpg);
    EXPECT_TRUE(f->FShowIco);
    EXPECT_TRUE(f->FShowBmp) << "a missing key gives the default";

    CloseMainForm();
    const std::string text = ReadIni();
    EXPECT_EQ(text.rfind("; my notes\n[View]\nExeFile=0\nDllFile=1\nOcxFile=0\nJpgFile=0\nIcoFile=1\nMine=keep\n", 0), 0u)
        << text;
    TIniFile ini(FIni);
    EXPECT_FALSE(ini.ReadBool("View", "JpgFile", true));
    EXPECT_EQ(ini.ReadString("View", "Mine", ""), "keep");
    EXPECT_TRUE(ini.ReadBool("View", "BmpFile", false));
}

TEST_F(SettingsTest, SwitchingJpgInTheFileChangesNothingInTheList)
{
    const QString folder = MakeFolder("pictures");
    for (const char* name : {"a.jpg", "b.jpeg", "c.JPG"})
        QFile(folder + "/" + name).open(QIODevice::WriteOnly);
    for (const char* value : {"0", "1"}) {
        WriteIni("[Init]\nDirectory=" + folder.toStdString() + "\n[View]\nJpgFile=" + value + "\n");
        TForm1* f = CreateMainForm();
        EXPECT_EQ(f->FShowJpg, value[0] == '1');
        EXPECT_EQ(f->ListView1->Items()->Count(), 0);
        delete FForm;
        FForm = nullptr;
    }
}

TEST_F(SettingsTest, UnreachableRememberedFolderStartsInTheNearestAncestorAndKeepsTheKinds)
{
    const QString kept = MakeFolder("kept/here");
    WriteIni("[Access]\nLast=1\n[Init]\nDirectory=" + kept.toStdString() +
             "/gone/deeper\n[View]\nExeFile=0\nIcoFile=0\n");
    TForm1* f = CreateMainForm();
    EXPECT_EQ(f->DirectoryListBox1->Directory(), kept);
    EXPECT_EQ(f->FCurrentDir, kept);
    EXPECT_FALSE(f->FShowExe);
    EXPECT_FALSE(f->FShowIco);
    EXPECT_TRUE(f->FShowDll);
    EXPECT_EQ(f->StatusBar1->Panels()->Items(1)->Text(), QStringLiteral("一共0个图标可供浏览！"))
        << "the list was filled";

    CloseMainForm();
    TIniFile ini(FIni);
    EXPECT_FALSE(ini.ReadBool("View", "ExeFile", true)) << "a kind read as off stays off";
    EXPECT_FALSE(ini.ReadBool("View", "IcoFile", true));
    EXPECT_TRUE(ini.ReadBool("View", "DllFile", false));
}

TEST_F(SettingsTest, RememberedPathThatIsAFileOrRelativeFallsBack)
{
    const QString folder = MakeFolder("holder");
    QFile(folder + "/plain.txt").open(QIODevice::WriteOnly);
    WriteIni("[Init]\nDirectory=" + folder.toStdString() + "/plain.txt\n");
    EXPECT_EQ(CreateMainForm()->DirectoryListBox1->Directory(), folder);
    delete FForm;
    FForm = nullptr;

    WriteIni("[Init]\nDirectory=relative/name\n");
    EXPECT_EQ(CreateMainForm()->DirectoryListBox1->Directory(), "/");
}

TEST_F(SettingsTest, FolderNamesWithBlanksAndChineseRoundTrip)
{
    const QString folder = MakeFolder(QStringLiteral(" 图标 folder "));
    WriteIni("[Init]\nDirectory=/\n");
    CreateMainForm()->DirectoryListBox1->SetDirectory(folder);
    CloseMainForm();
    delete FForm;
    FForm = nullptr;
    EXPECT_EQ(CreateMainForm()->DirectoryListBox1->Directory(), folder);
}

TEST_F(SettingsTest, ChangesSurviveARestart)
{
    TForm1* f = CreateMainForm();
    f->FShowBmp = false;
    f->FShowScr = false;
    f->LastAccessClick(f->LastAccess);
    CloseMainForm();
    delete FForm;
    FForm = nullptr;

    f = CreateMainForm();
    EXPECT_FALSE(f->FShowBmp);
    EXPECT_FALSE(f->FShowScr);
    EXPECT_TRUE(f->FShowExe);
    EXPECT_FALSE(f->LastAccess->Checked());
    EXPECT_FALSE(f->LastAccessed->Checked());
}

TEST_F(SettingsTest, GarbageFileGivesDefaultsAndKeepsItsBytes)
{
    std::string garbage;
    for (int i = 0; i < 3000; ++i)
        garbage += char((i * 131 + 7) % 256);
    garbage += "\n";
    WriteIni(garbage);
    TForm1* f = CreateMainForm();
    EXPECT_TRUE(AllKinds(f, true));
    EXPECT_TRUE(f->LastAccess->Checked());
    f->FShowDrv = false;
    CloseMainForm();
    const std::string after = ReadIni();
    EXPECT_EQ(after.substr(0, garbage.size()), garbage);
    EXPECT_FALSE(TIniFile(FIni).ReadBool("View", "DrvFile", true));
}

TEST_F(SettingsTest, ReadOnlyFileIsReadAndLeftAsItWas)
{
    const QString folder = MakeFolder("readonly");
    const std::string text = "[Access]\nLast=1\n[Init]\nDirectory=" + folder.toStdString() + "\n[View]\nExeFile=0\n";
    WriteIni(text);
    ::chmod(FIni.c_str(), 0444);
    TForm1* f = CreateMainForm();
    EXPECT_EQ(f->FCurrentDir, folder);
    EXPECT_FALSE(f->FShowExe);
    f->LastAccessClick(f->LastAccessed);
    CloseMainForm();
    EXPECT_EQ(ReadIni(), text);
    EXPECT_EQ(QDir(FFolder).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(SettingsTest, HugeFileIsReadAndTheUsersChangesAreKept)
{
    std::string filler;
    while (filler.size() < TIniFile::kMaxFileSize)
        filler += "; notes\n";
    WriteIni("[View]\nExeFile=0\n" + filler + "[Mine]\nkeep=1\n");
    TForm1* f = CreateMainForm();
    ShowMainForm();
    EXPECT_FALSE(f->FShowExe);
    EXPECT_TRUE(f->FShowDll);
    f->FShowDll = false;
    QTest::keyClick(f->ListView1, Qt::Key_X, Qt::ControlModifier);
    QTRY_VERIFY(!f->isVisible());
    const TIniFile ini(FIni);
    EXPECT_FALSE(ini.ReadBool("View", "ExeFile", true));
    EXPECT_FALSE(ini.ReadBool("View", "DllFile", true));
    const std::string text = ReadIni();
    EXPECT_NE(text.find(filler + "[Mine]\nkeep=1\n"), std::string::npos) << "the rest is carried over";
}

TEST_F(SettingsTest, FolderThatCannotBeStoredDoesNotStopTheOtherSettings)
{
    const QString start = MakeFolder("start");
    const QString broken = MakeFolder("start/line\nbreak");
    WriteIni("[Access]\nLast=1\n[Init]\nDirectory=" + start.toStdString() + "\n");
    TForm1* f = CreateMainForm();
    ShowMainForm();
    OpenFolderEntry(f->DirectoryListBox1, QStringLiteral("line\nbreak"));
    QTRY_COMPARE(f->FCurrentDir, broken);
    f->FShowIco = false;
    f->LastAccessClick(f->LastAccess);
    QTest::keyClick(f->ListView1, Qt::Key_X, Qt::ControlModifier);
    QTRY_VERIFY(!f->isVisible());

    const TIniFile ini(FIni);
    EXPECT_EQ(ini.ReadString("Init", "Directory", ""), start.toStdString()) << "the old folder stays";
    EXPECT_FALSE(ini.ReadBool("Access", "Last", true));
    EXPECT_FALSE(ini.ReadBool("View", "IcoFile", true));
    EXPECT_TRUE(ini.ReadBool("View", "ExeFile", false));
}

TEST_F(SettingsTest, FifoAsTheSettingsFileBlocksNeitherStartNorClose)
{
    ASSERT_EQ(::mkfifo(FIni.c_str(), 0644), 0);
    // Unblocks a reader that waits on the FIFO, should one do so, so that a fault
    // shows as a failure rather than a hang.
    std::atomic<bool> over{false};
    std::thread guard([&] {
        for (int i = 0; i < 100 && !over; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        for (int i = 0; i < 2 && !over; ++i) {
            const int fd = ::open(FIni.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    QElapsedTimer clock;
    clock.start();
    TForm1* f = CreateMainForm();
    ShowMainForm();
    EXPECT_TRUE(AllKinds(f, true));
    QTest::keyClick(f->ListView1, Qt::Key_X, Qt::ControlModifier);
    QTRY_VERIFY(!f->isVisible());
    const qint64 elapsed = clock.elapsed();
    over = true;
    guard.join();
    EXPECT_LT(elapsed, 10000) << "start and close waited for a writer on the FIFO";
    struct stat st {};
    ASSERT_EQ(::lstat(FIni.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(SettingsTest, KindsThatWereNeverReadAreNotWritten)
{
    WriteIni("[View]\nExeFile=0\n");
    auto* f = new TForm1(Application);
    FForm = f;
    // Closing before FormCreate has run: nothing was read.
    TCloseAction action = caHide;
    f->FormClose(f, action);
    EXPECT_FALSE(TIniFile(FIni).ReadBool("View", "ExeFile", true));
    EXPECT_EQ(TIniFile(FIni).ReadString("View", "DllFile", "absent"), "absent");
}

} // namespace
