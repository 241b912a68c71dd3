// Start-up: the order in which the main window is put together, and the program itself.
#include "AppTestSupport.h"
#include "app/Startup.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <grp.h>
#include <unistd.h>
#include <cstdio>

namespace {

using StartupTest = AppTest;

TEST_F(StartupTest, MenuButtonsAreBoundBeforeFormCreateWhichRunsBeforeTheFirstShow)
{
    WriteIni("[View]\nExeFile=0\n");
    auto* f = new TForm1(Application);
    FForm = f;
    EXPECT_TRUE(f->FCurrentDir.isEmpty());
    EXPECT_EQ(f->FActiveWalks.load(), 0);
    EXPECT_FALSE(f->FShowDll) << "flags stay off until the settings are read";
    EXPECT_TRUE(f->Sizeable());

    struct Seen {
        bool ran = false;
        bool visible = true;
        std::vector<TPopupMenu*> menus;
    } seen;
    const TNotifyEvent formCreate = f->OnCreate;
    ASSERT_TRUE(formCreate);
    f->OnCreate = [&](TObject* Sender) {
        seen.ran = true;
        seen.visible = f->isVisible();
        for (int i = 0; i < 4; ++i)
            seen.menus.push_back(f->MenuOf(i));
        formCreate(Sender);
    };
    f->AfterConstruction();

    ASSERT_TRUE(seen.ran);
    EXPECT_FALSE(seen.visible);
    EXPECT_EQ(seen.menus, (std::vector<TPopupMenu*>{f->FileMenu, f->ViewMenu, f->SettingMenu, f->Help}));
    EXPECT_EQ(f->MenuOf(4), nullptr);
    EXPECT_FALSE(f->FShowExe);
    EXPECT_TRUE(f->FShowDll);
    EXPECT_FALSE(f->isVisible());

    const char* captions[] = {"文件(&F)", "浏览(&V)", "设置(&S)", "帮助(&H)"};
    for (int i = 0; i < 4; ++i) {
        TSpeedButton* button = f->FindMenuButton(i);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->Name(), QStringLiteral("MenuButton%1").arg(i + 1));
        EXPECT_EQ(button->Caption(), QString::fromUtf8(captions[i]));
        EXPECT_TRUE(button->isVisibleTo(f));
    }
    EXPECT_FALSE(f->FindMenuButton(4)->isVisibleTo(f)) << "unbound slots stay hidden";
}

TEST_F(StartupTest, ApplicationTitleThenMainWindowThenOneHiddenBaseWindow)
{
    ASSERT_EQ(Application->MainForm(), nullptr);
    std::unique_ptr<TNeoForm> neo(CreateApplicationForms());
    FForm = Form1;
    ASSERT_NE(FForm, nullptr);
    EXPECT_EQ(Application->Title(), "Glimmerwick");
    EXPECT_EQ(Application->MainForm(), Form1);
    EXPECT_TRUE(Form1->FShowExe) << "FormCreate ran";
    EXPECT_EQ(ClassName(neo.get()), "TNeoForm");
    EXPECT_FALSE(neo->isVisible());
    EXPECT_EQ(neo->Owner(), static_cast<TComponent*>(Application));
    EXPECT_EQ(neo->ComponentIndex(), Form1->ComponentIndex() + 1);
    EXPECT_EQ(neo->MenuOf(0), nullptr);
}

TEST_F(StartupTest, CaptionMenuButtonDropsItsMenuBelowIt)
{
    TForm1* f = CreateMainForm();
    ShowMainForm();
    TSpeedButton* button = f->FindMenuButton(2);
    bool open = false;
    QPoint shownAt;
    // The menu runs its own loop until it closes; look at it from inside.
    QTimer::singleShot(0, f, [&] {
        open = f->SettingMenu->IsOpen();
        shownAt = f->SettingMenu->MenuWidget()->pos();
        f->SettingMenu->CloseMenu();
    });
    button->Click();
    EXPECT_TRUE(open);
    EXPECT_EQ(shownAt, button->mapToGlobal(QPoint(0, button->height() + 2)));
}

TEST_F(StartupTest, TheProgramStartsPaintsAndKeepsItsSettingsBesideItself)
{
    const QString exe = FFolder + "/glimmerwick";
    ASSERT_TRUE(QFile::copy(QStringLiteral(GW_GLIMMERWICK), exe));
    ASSERT_TRUE(QFile::copy(QStringLiteral(GW_TARNWELL8), FFolder + "/Tarnwell.dll"));
    QFile::setPermissions(exe, QFile::permissions(exe) | QFile::ExeOwner);
    const QString start = MakeFolder("start here");
    QFile ini(FFolder + "/glimmerwick.INI");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(("[Init]\nDirectory=" + start + "\n[View]\nIcoFile=0\n").toUtf8());
    ini.close();

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("GLIMMERWICK_QUIT_AFTER_PAINT", "1");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(exe, QStringList());
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.readAllStandardError().contains("first paint after"));

    TIniFile written((FFolder + "/glimmerwick.INI").toStdString());
    EXPECT_EQ(written.ReadString("Init", "Directory", ""), start.toStdString());
    EXPECT_FALSE(written.ReadBool("View", "IcoFile", true));
    EXPECT_TRUE(written.ReadBool("View", "ExeFile", false));
}

// A copy of the program in `folder`, with its icon library.
QString CopyProgram(const QString& folder)
{
    const QString exe = folder + "/glimmerwick";
    EXPECT_TRUE(QFile::copy(QStringLiteral(GW_GLIMMERWICK), exe));
    EXPECT_TRUE(QFile::copy(QStringLiteral(GW_TARNWELL8), folder + "/Tarnwell.dll"));
    QFile::setPermissions(exe, QFile::permissions(exe) | QFile::ExeOwner);
    return exe;
}

// Writes the settings file beside the copy (the fixture's own is named after the tests).
void WriteBeside(const QString& folder, const QByteArray& text)
{
    QFile ini(folder + "/glimmerwick.INI");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(text);
}

// Prepares `process` to run `exe` so that it quits after its first paint, with
// XDG_CONFIG_HOME set to `config`.
void SetUpProgram(QProcess& process, const QString& exe, const QString& config)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("GLIMMERWICK_QUIT_AFTER_PAINT", "1");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", config);
    process.setProcessEnvironment(env);
    process.setProgram(exe);
}

TEST_F(StartupTest, ReplacingTheExecutableWhileItRunsKeepsItsSettingsFile)
{
    const QString exe = CopyProgram(FFolder);
    WriteBeside(FFolder, "[View]\nIcoFile=0\n");

    QProcess process;
    SetUpProgram(process, exe, FFolder + "/config");
    process.start();
    ASSERT_TRUE(process.waitForStarted(10000));
    const pid_t pid = pid_t(process.processId());
    // Once the child runs the copy, it is held while an upgrade renames a new file over it.
    const QString link = QStringLiteral("/proc/%1/exe").arg(pid);
    QElapsedTimer clock;
    clock.start();
    while (QFile::symLinkTarget(link) != exe && clock.elapsed() < 10000)
        QThread::msleep(1);
    ASSERT_EQ(QFile::symLinkTarget(link), exe);
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    const bool replaced = QFile::copy(QStringLiteral(GW_GLIMMERWICK), exe + ".new") &&
                          ::rename(QFile::encodeName(exe + ".new").constData(), QFile::encodeName(exe).constData()) == 0;
    ::kill(pid, SIGCONT);
    ASSERT_TRUE(replaced);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);

    EXPECT_EQ(QDir(FFolder).entryList({"*.INI"}, QDir::Files), QStringList{"glimmerwick.INI"});
    const TIniFile written((FFolder + "/glimmerwick.INI").toStdString());
    EXPECT_FALSE(written.ReadBool("View", "IcoFile", true));
    EXPECT_EQ(written.ReadString("View", "DllFile", "never written"), "1");
}

TEST_F(StartupTest, AnInstalledCopyKeepsItsSettingsInTheConfigFolder)
{
    const QString exe = CopyProgram(FFolder);
    QFile marker(FFolder + "/" + kInstalledMarker);
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    WriteBeside(FFolder, "[View]\nIcoFile=0\n");

    QProcess process;
    SetUpProgram(process, exe, FFolder + "/config");
    process.start();
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);
    QFile beside(FFolder + "/glimmerwick.INI");
    ASSERT_TRUE(beside.open(QIODevice::ReadOnly));
    EXPECT_EQ(beside.readAll(), "[View]\nIcoFile=0\n") << "the file beside an installed copy is not its own";
    const TIniFile own((FFolder + "/config/glimmerwick/glimmerwick.INI").toStdString());
    EXPECT_EQ(own.ReadString("View", "IcoFile", "never written"), "1");
}

TEST_F(StartupTest, ACopyInAFolderItCannotWriteReadsItsSettingsAndWritesThemToTheConfigFolder)
{
    // The copy runs as a plain user, so the folder is closed to it also when the
    // checks run as root.
    const bool root = ::geteuid() == 0;
    const QString exe = CopyProgram(FFolder);
    const QString start = MakeFolder("start");
    const QByteArray text = ("[Init]\nDirectory=" + start + "\n[View]\nIcoFile=0\n").toUtf8();
    WriteBeside(FFolder, text);
    const QString config = MakeFolder("config");
    if (root) {
        ASSERT_EQ(::chown(QFile::encodeName(config).constData(), 65534, 65534), 0);
    }
    QFile::setPermissions(FFolder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                                       QFile::ReadOther | QFile::ExeOther);

    QProcess process;
    SetUpProgram(process, exe, config);
    if (root)
        process.setChildProcessModifier([] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(99);
        });
    process.start();
    const bool finished = process.waitForFinished(30000);
    QFile::setPermissions(FFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(finished);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    QFile beside(FFolder + "/glimmerwick.INI");
    ASSERT_TRUE(beside.open(QIODevice::ReadOnly));
    EXPECT_EQ(beside.readAll(), text);
    const TIniFile own((config + "/glimmerwick/glimmerwick.INI").toStdString());
    EXPECT_EQ(own.ReadString("Init", "Directory", ""), start.toStdString()) << "read from beside the copy";
    EXPECT_FALSE(own.ReadBool("View", "IcoFile", true));
    EXPECT_EQ(own.ReadString("View", "DllFile", "never written"), "1");
}

} // namespace
