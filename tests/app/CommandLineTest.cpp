// The command line: what the arguments ask for, and the program started with them.
#include "AppTestSupport.h"
#include "app/CommandLine.h"

#include <QFile>
#include <QProcess>

#include <unistd.h>

namespace {

using CommandLineTest = AppTest;

TEST_F(CommandLineTest, ArgumentsNameAFolderOrAFileInItsFolder)
{
    const std::string root = FFolder.toStdString();
    const std::string icons = MakeFolder("icons").toStdString();
    std::ofstream(icons + "/a.dll") << "MZ";
    // A name that is not UTF-8 (GB2312 bytes) is kept byte for byte.
    const std::string gbName = "\xCD\xBC\xB1\xEA.ico";
    std::ofstream(icons + "/" + gbName) << "x";
    ASSERT_EQ(::symlink((icons + "/a.dll").c_str(), (root + "/link.dll").c_str()), 0);

    const struct {
        std::vector<std::string> args;
        TCommandLine::TAction action;
        std::string folder;
        std::string file;
    } cases[] = {
        {{}, TCommandLine::caRun, "", ""},
        {{icons}, TCommandLine::caRun, icons, ""},
        {{icons + "/"}, TCommandLine::caRun, icons, ""},
        {{"icons"}, TCommandLine::caRun, icons, ""},
        {{"icons/../icons/a.dll"}, TCommandLine::caRun, icons, "a.dll"},
        {{icons + "/" + gbName}, TCommandLine::caRun, icons, gbName},
        // A link is shown where it was named, not where it points.
        {{"link.dll"}, TCommandLine::caRun, root, "link.dll"},
        {{"--", "-odd"}, TCommandLine::caError, "", ""},
        {{"--version", "nonexistent"}, TCommandLine::caVersion, "", ""},
        {{"nonexistent", "--help"}, TCommandLine::caHelp, "", ""},
        {{"-h"}, TCommandLine::caHelp, "", ""},
        {{"nonexistent"}, TCommandLine::caError, "", ""},
        {{"--verbose"}, TCommandLine::caError, "", ""},
        {{icons, icons}, TCommandLine::caError, "", ""},
        {{"--", "--version"}, TCommandLine::caError, "", ""},
    };
    for (const auto& c : cases) {
        const TCommandLine result = ParseCommandLine(c.args, root);
        std::string shown;
        for (const auto& a : c.args)
            shown += "[" + a + "]";
        EXPECT_EQ(result.Action, c.action) << shown;
        EXPECT_EQ(result.Folder, c.folder) << shown;
        EXPECT_EQ(result.FileName, c.file) << shown;
        EXPECT_EQ(result.Message.empty(), c.action != TCommandLine::caError) << shown;
    }
}

struct TRun {
    int Status = -1;
    QString Out;
    QString Err;
};

// The built program with `args`; `display` false takes every display away.
TRun RunProgram(const QStringList& args, bool display, const QString& folder)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    if (display) {
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("GLIMMERWICK_QUIT_AFTER_PAINT", "1");
    }
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(folder + "/glimmerwick", args);
    TRun run;
    if (!process.waitForFinished(30000))
        return run;
    run.Status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    run.Err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

TEST_F(CommandLineTest, TheProgramAnswersItsArgumentsWithAndWithoutADisplay)
{
    const QString exe = FFolder + "/glimmerwick";
    ASSERT_TRUE(QFile::copy(QStringLiteral(GW_GLIMMERWICK), exe));
    ASSERT_TRUE(QFile::copy(QStringLiteral(GW_TARNWELL8), FFolder + "/Tarnwell.dll"));

    // --help and --version need no display.
    TRun help = RunProgram({"--help"}, false, FFolder);
    EXPECT_EQ(help.Status, 0);
    EXPECT_TRUE(help.Out.startsWith("Usage: glimmerwick [--lang zh|en] [FOLDER | FILE]\n"));
    TRun version = RunProgram({"--version"}, false, FFolder);
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out, "glimmerwick " + QString::fromLatin1(GW_VERSION) + "\n");

    // No display: one line and status 1, not an abort with a page of text.
    TRun none = RunProgram({}, false, FFolder);
    EXPECT_EQ(none.Status, 1);
    EXPECT_EQ(none.Err, "glimmerwick: cannot open a display (neither DISPLAY nor WAYLAND_DISPLAY is set)\n");

    // A usage error is one also without a display; Qt's own options are not the program's.
    for (const QStringList& args : {QStringList{"--frobnicate"}, QStringList{"-style", "fusion", "a", "b"}}) {
        TRun usage = RunProgram(args, false, FFolder);
        EXPECT_EQ(usage.Status, 2) << args.join(' ').toStdString();
    }
    TRun qtOnly = RunProgram({"-style", "fusion"}, false, FFolder);
    EXPECT_EQ(qtOnly.Status, 1);

    TRun wrong = RunProgram({"--frobnicate"}, true, FFolder);
    EXPECT_EQ(wrong.Status, 2);
    EXPECT_TRUE(wrong.Err.contains("glimmerwick: unknown option --frobnicate\n")) << wrong.Err.toStdString();
    TRun missing = RunProgram({"no such folder"}, true, FFolder);
    EXPECT_EQ(missing.Status, 2);
    EXPECT_TRUE(missing.Err.contains("glimmerwick: no such folder: No such file or directory\n"));

    // A folder named on the command line is browsed, so it is the one remembered.
    const QString start = MakeFolder("open me");
    TRun browse = RunProgram({"open me"}, true, FFolder);
    EXPECT_EQ(browse.Status, 0) << browse.Err.toStdString();
    EXPECT_TRUE(browse.Err.contains("first paint after"));
    EXPECT_EQ(TIniFile((FFolder + "/glimmerwick.INI").toStdString()).ReadString("Init", "Directory", ""),
              start.toStdString());
}

} // namespace
