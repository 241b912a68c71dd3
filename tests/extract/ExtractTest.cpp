// Extraction driven through the real commands: one file, a folder, a folder tree, and
// the output-folder dialog answered as a user would.
#include "AppTestSupport.h"
#include "TestSupport.h"

#include "core/OutputNames.h"
#include "extract/Extraction.h"
#include "extract/ExtractionRun.h"
#include "extract/Extractthd.h"
#include "extract/OutputFolder.h"
#include "framework/Dialogs.h"

#include <QApplication>
#include <QAbstractScrollArea>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <unistd.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

const QString kData = QStringLiteral(GW_TEST_DATA_DIR);

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The bytes the writer produces for icon `index` of `path`.
QByteArray Encoded(const QString& path, int index)
{
    TIcon icon;
    icon.SetHandle(ExtractIconA(0, QFile::encodeName(path).constData(), index));
    const auto& bytes = icon.Encoded();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// Icons of `path` that can be written: groups whose images exist.
int Writable(const QString& path)
{
    const QByteArray raw = QFile::encodeName(path);
    int count = 0;
    for (int i = 0, n = int(ExtractIconA(0, raw.constData(), -1)); i < n; ++i) {
        TIcon icon;
        icon.SetHandle(ExtractIconA(0, raw.constData(), i));
        count += icon.GetHandle() > 1;
    }
    return count;
}

bool WaitUntil(const std::function<bool()>& done, int ms = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

class ExtractTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        // Eight good icons; groups64.dll has a group whose image is missing.
        FLibrary = QStringLiteral(GW_TARNWELL8);
        FBroken = kData + QStringLiteral("/groups64.dll");
        FIco = kData + QStringLiteral("/multi.ico");
        FGroups = int(ExtractIconA(0, QFile::encodeName(FLibrary).constData(), -1));
        ASSERT_GE(FGroups, 3);
        FSource = MakeFolder(QStringLiteral("source"));
        FOut = MakeFolder(QStringLiteral("out"));
        MessageBoxSeam::ClearAnswers();
        MessageBoxSeam::ClearShown();
        ExtractThread::ResetPeakAliveCount();
    }

    void TearDown() override
    {
        // No walk may outlive the window it reports to.
        EXPECT_TRUE(WaitUntil([] { return ExtractThread::AliveCount() == 0; }));
        TExtractionRun::SetIconSource({});
        AppTest::TearDown();
    }

    void Put(const QString& from, const QString& relative)
    {
        const QString to = FSource + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(to).path());
        ASSERT_TRUE(QFile::copy(from, to)) << relative.toStdString();
    }

    // Folders source/d0 .. source/d(count - 1), each with a link `name` to the .ico file.
    void LinkIcoIntoFolders(int count, const QString& name)
    {
        for (int i = 0; i < count; ++i) {
            const QString folder = MakeFolder(QStringLiteral("source/d%1").arg(i));
            ASSERT_EQ(::symlink(QFile::encodeName(FIco).constData(),
                                QFile::encodeName(folder + QLatin1Char('/') + name).constData()),
                      0);
        }
    }

    TForm1* Open(const QString& folder)
    {
        WriteIni(AllKeysFile("1", folder.toStdString(), "1"));
        return CreateMainForm();
    }

    // Answers the next output-folder dialog: enters `folder` and confirms, or cancels.
    static void AnswerDialog(const QString& folder, bool confirm = true)
    {
        // Polls until the dialog runs its modal loop: building it may already let
        // events through.
        auto* timer = new QTimer(qApp);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, folder, confirm] {
            auto* dialog = qobject_cast<TOutputFolder*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->Modal())
                return;
            timer->deleteLater();
            timer->stop();
            if (!folder.isEmpty())
                dialog->DirectoryListBox1->SetDirectory(folder);
            (confirm ? dialog->OKBtn : dialog->CancelBtn)->Click();
        });
        timer->start(1);
    }

    bool WalksDone() const { return FForm->FActiveWalks == 0 && ExtractThread::AliveCount() == 0; }

    QStringList OutFiles() const
    {
        QStringList files = QDir(FOut).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        return files;
    }

    QString Status() const { return FForm->StatusBar1->Panels()->Items(1)->Text(); }

    QString FLibrary;
    QString FBroken;
    QString FIco;
    int FGroups = 0;
    QString FSource;
    QString FOut;
};

TEST_F(ExtractTest, OutputFolderDialogOpensOnTheCurrentFolderAndReportsTheChoice)
{
    QDir::setCurrent(FOut);
    {
        TOutputFolder dialog(nullptr);
        EXPECT_EQ(dialog.DirectoryListBox1->Directory(), FOut);
        EXPECT_EQ(dialog.DirChoose->text(), FOut);
        EXPECT_FALSE(dialog.FChosen);
        EXPECT_TRUE(dialog.FChosenFolder.isEmpty());
        AnswerDialog(QString(), false);
        dialog.ShowModal();
        EXPECT_FALSE(dialog.FChosen);
        EXPECT_TRUE(dialog.FChosenFolder.isEmpty());
    }
    {
        TOutputFolder dialog(nullptr);
        AnswerDialog(FSource);
        dialog.ShowModal();
        EXPECT_TRUE(dialog.FChosen);
        EXPECT_EQ(dialog.FChosenFolder, FSource);
    }
    // The next dialog opens where the last one was left.
    TOutputFolder again(nullptr);
    EXPECT_EQ(again.DirectoryListBox1->Directory(), FSource);
}

TEST_F(ExtractTest, AllIconsOfOneFileAreWrittenAndReported)
{
    Put(FLibrary, QStringLiteral("shell.dll"));
    TForm1* f = Open(FSource);
    f->FCurrentIndex = 0;

    AnswerDialog(FOut);
    MessageBoxSeam::SetNextAnswer(IDOK);
    f->ExtractFromFileClick(nullptr);
    QStringList expected;
    for (int i = 0; i < FGroups; ++i)
        expected << QStringLiteral("shell%1.ico").arg(i);
    expected.sort();
    EXPECT_EQ(OutFiles(), expected);
    for (int i = 0; i < FGroups; ++i)
        EXPECT_EQ(ReadAll(FOut + QStringLiteral("/shell%1.ico").arg(i)), Encoded(FLibrary, i)) << i;
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 1u);
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Text, QStringLiteral("一共%1个图标，全部提取成功！").arg(FGroups));
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Caption, FSource + QStringLiteral("/shell.dll"));
    EXPECT_EQ(Status(), QStringLiteral("一共%1个图标可供浏览！").arg(FGroups));

    // A second run asks, then replaces the files of the first; the number of files stays.
    MessageBoxSeam::ClearShown();
    AnswerDialog(FOut);
    MessageBoxSeam::SetNextAnswer(IDYES);
    MessageBoxSeam::SetNextAnswer(IDOK);
    f->ExtractFromFileClick(nullptr);
    EXPECT_EQ(OutFiles(), expected);
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 2u);
    EXPECT_EQ(MessageBoxSeam::Shown()[1].Text, QStringLiteral("一共%1个图标，全部提取成功！").arg(FGroups));

    // Cancelled: nothing happens.
    MessageBoxSeam::ClearShown();
    AnswerDialog(QString(), false);
    f->ExtractFromFileClick(nullptr);
    EXPECT_TRUE(MessageBoxSeam::Shown().empty());
}

TEST_F(ExtractTest, OneFileReportsFailuresAndMissingFilesHonestly)
{
    Put(FBroken, QStringLiteral("shell.dll"));
    const int groups = int(ExtractIconA(0, QFile::encodeName(FBroken).constData(), -1));
    const int good = Writable(FBroken);
    ASSERT_LT(good, groups);
    TForm1* f = Open(FSource);
    f->FCurrentIndex = 1;
    // A folder in the way of the second icon's name: that icon cannot be written either.
    ASSERT_TRUE(QDir(FOut).mkdir(QStringLiteral("shell1.ico")));
    AnswerDialog(FOut);
    MessageBoxSeam::SetNextAnswer(IDOK);
    f->ExtractFromFileClick(nullptr);
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 1u);
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Text, QStringLiteral("一共%1个图标，成功提取%2个，%3个提取失败！")
                                                   .arg(groups)
                                                   .arg(good - 1)
                                                   .arg(groups - good + 1));
    EXPECT_TRUE(QFileInfo(FOut + QStringLiteral("/shell1.ico")).isDir());
    // Nothing is left under the names of the icons that failed.
    EXPECT_EQ(OutFiles().size(), good - 1);

    // The file has gone since the scan.
    MessageBoxSeam::ClearShown();
    ASSERT_TRUE(QFile::remove(FSource + QStringLiteral("/shell.dll")));
    f->StatusBar1->Panels()->Items(1)->SetText(QStringLiteral("unchanged"));
    AnswerDialog(FOut);
    MessageBoxSeam::SetNextAnswer(IDOK);
    f->ExtractFromFileClick(nullptr);
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 1u);
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Text, QStringLiteral("这个文件没有可提取的图标资源!"));
    EXPECT_EQ(Status(), QStringLiteral("unchanged"));

    // A current index beyond a shorter list extracts nothing and says nothing.
    MessageBoxSeam::ClearShown();
    f->FCurrentIndex = 1000;
    MessageBoxSeam::ClearAnswers();
    AnswerDialog(FOut);
    f->ExtractFromFileClick(nullptr);
    EXPECT_TRUE(MessageBoxSeam::Shown().empty());
}

TEST_F(ExtractTest, AFolderIsExtractedIntoFreeNamesWithoutItsSubfolders)
{
    Put(FLibrary, QStringLiteral("SETUP.EXE"));
    Put(FLibrary, QStringLiteral("setup.exe.bak"));
    Put(FLibrary, QStringLiteral("sub/inner.dll"));
    Put(FIco, QStringLiteral(".hidden.ico"));
    // Taken before the run: skipped over and left alone.
    std::ofstream((FOut + QStringLiteral("/SETUP1.ico")).toStdString()) << "mine";
    TForm1* f = Open(FSource);

    AnswerDialog(FOut);
    f->ExtractFromFolderClick(nullptr);
    EXPECT_EQ(Status(), QStringLiteral("正在从文件夹") + FSource + QStringLiteral("中提取图标..."));
    ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }));

    QStringList expected{QStringLiteral(".hidden0.ico"), QStringLiteral("SETUP1.ico")};
    for (int i = 0, n = 0; i < FGroups; ++i, ++n) {
        if (n == 1)
            ++n;
        expected << QStringLiteral("SETUP%1.ico").arg(n);
    }
    expected.sort();
    EXPECT_EQ(OutFiles(), expected);
    EXPECT_EQ(ReadAll(FOut + QStringLiteral("/SETUP1.ico")), QByteArray("mine"));
    EXPECT_EQ(ReadAll(FOut + QStringLiteral("/SETUP2.ico")), Encoded(FLibrary, 1));
    EXPECT_EQ(f->FExtractedCount, FGroups + 1);
    EXPECT_EQ(Status(), QStringLiteral("一共提取%1个图标！").arg(FGroups + 1));

    // The same folder again: new names after the first run's, nothing replaced.
    AnswerDialog(FOut);
    f->ExtractFromFolderClick(nullptr);
    ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }));
    EXPECT_EQ(OutFiles().size(), expected.size() + FGroups + 1);
    EXPECT_EQ(Status(), QStringLiteral("一共提取%1个图标！").arg(FGroups + 1));
}

TEST_F(ExtractTest, AnEmptyFolderEndsWithATotalOfZero)
{
    TForm1* f = Open(FSource);
    AnswerDialog(FOut);
    f->ExtractFromFolderClick(nullptr);
    ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }));
    EXPECT_EQ(Status(), QStringLiteral("一共提取0个图标！"));
}

TEST_F(ExtractTest, AFolderTreeIsWalkedFolderByFolderAndNeverItsOutput)
{
    // Three levels; each level's file has its own icons, so the numbers tell the order.
    Put(FLibrary, QStringLiteral("x.dll"));
    Put(kData + QStringLiteral("/groups32.dll"), QStringLiteral("one/x.dll"));
    Put(FIco, QStringLiteral("one/two/x.ico"));
    const int groups32 = Writable(kData + QStringLiteral("/groups32.dll"));
    // The output inside the tree, with .ico files enabled: it must not be walked.
    FOut = MakeFolder(QStringLiteral("source/out"));
    // A link back to the top must not make the walk endless.
    ASSERT_EQ(::symlink(QFile::encodeName(FSource).constData(), QFile::encodeName(FSource + QStringLiteral("/one/loop")).constData()), 0);
    TForm1* f = Open(FSource);

    AnswerDialog(FOut);
    f->ExtractFromMultiFolderClick(nullptr);
    EXPECT_EQ(Status(), QStringLiteral("正在从多级文件夹中提取图标..."));
    ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }));

    const int total = FGroups + groups32 + 1;
    const int failed = int(ExtractIconA(0, QFile::encodeName(kData + QStringLiteral("/groups32.dll")).constData(), -1)) - groups32;
    ASSERT_GT(failed, 0);
    EXPECT_EQ(OutFiles().size(), total);
    EXPECT_EQ(Status(), QStringLiteral("一共提取%1个图标，%2个提取失败！").arg(total).arg(failed));
    EXPECT_EQ(ReadAll(FOut + QStringLiteral("/x0.ico")), Encoded(FLibrary, 0));
    EXPECT_EQ(ReadAll(FOut + QStringLiteral("/x%1.ico").arg(FGroups)),
              Encoded(kData + QStringLiteral("/groups32.dll"), 0));
    EXPECT_EQ(ReadAll(FOut + QStringLiteral("/x%1.ico").arg(total - 1)), Encoded(FIco, 0));
    // One worker for the whole tree.
    EXPECT_EQ(ExtractThread::PeakAliveCount(), 1);
}

TEST_F(ExtractTest, AWideTreeNeedsOneWorker)
{
    const int width = 400;
    LinkIcoIntoFolders(width, QStringLiteral("i.ico"));
    if (HasFatalFailure())
        return;
    TForm1* f = Open(FSource);
    AnswerDialog(FOut);
    f->ExtractFromMultiFolderClick(nullptr);
    ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }, 60000));
    EXPECT_EQ(OutFiles().size(), width);
    EXPECT_EQ(Status(), QStringLiteral("一共提取%1个图标！").arg(width));
    EXPECT_EQ(ExtractThread::PeakAliveCount(), 1);
}

TEST_F(ExtractTest, TheSourceFolderIsRefusedAsOutput)
{
    Put(FLibrary, QStringLiteral("x.dll"));
    TForm1* f = Open(FSource);
    f->StatusBar1->Panels()->Items(1)->SetText(QStringLiteral("before"));

    AnswerDialog(FSource);
    MessageBoxSeam::SetNextAnswer(IDOK);
    f->ExtractFromMultiFolderClick(nullptr);
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 1u);
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Text,
              QStringLiteral("请不要选择被提取文件夹存放图标，请重新选择另外一个文件夹来存放图标！"));
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Flags, unsigned(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(Status(), QStringLiteral("before"));

    // The same folder reached through a link is the same folder.
    const QString link = FFolder + QStringLiteral("/alias");
    ASSERT_EQ(::symlink(QFile::encodeName(FSource).constData(), QFile::encodeName(link).constData()), 0);
    MessageBoxSeam::ClearShown();
    AnswerDialog(link);
    MessageBoxSeam::SetNextAnswer(IDOK);
    f->ExtractFromFolderClick(nullptr);
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 1u);
    EXPECT_EQ(Status(), QStringLiteral("正在从文件夹") + FSource + QStringLiteral("中提取图标..."));
    EXPECT_EQ(ExtractThread::AliveCount(), 0);
    EXPECT_EQ(QDir(FSource).entryList(QDir::Files), QStringList{QStringLiteral("x.dll")});

    // Cancelled: nothing changes.
    MessageBoxSeam::ClearShown();
    f->StatusBar1->Panels()->Items(1)->SetText(QStringLiteral("before"));
    AnswerDialog(QString(), false);
    f->ExtractFromMultiFolderClick(nullptr);
    EXPECT_TRUE(MessageBoxSeam::Shown().empty());
    EXPECT_EQ(Status(), QStringLiteral("before"));
}

TEST_F(ExtractTest, KindsSwitchedOffAndDanglingLinksAreSkipped)
{
    Put(FLibrary, QStringLiteral("x.dll"));
    Put(FIco, QStringLiteral("y.ico"));
    ASSERT_EQ(::symlink("/nonexistent/gone.dll", QFile::encodeName(FSource + QStringLiteral("/gone.dll")).constData()), 0);
    TForm1* f = Open(FSource);
    f->FShowDll = false;
    AnswerDialog(FOut);
    f->ExtractFromFolderClick(nullptr);
    ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }));
    EXPECT_EQ(OutFiles(), QStringList{QStringLiteral("y0.ico")});
}

// Opens the folder list's context menu as a right click does and clicks the item.
void ChooseFolderCommand(TForm1* f, const QString& caption)
{
    // A scroll area takes a click's menu request on its viewport.
    QWidget* list = f->DirectoryListBox1;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(list))
        list = area->viewport();
    const QPoint at(20, 20);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->mapToGlobal(at));
    QCoreApplication::sendEvent(list, &event);
    QMenu* menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr; }, 5000));
    QAction* chosen = nullptr;
    for (QAction* a : menu->actions())
        if (a->text().remove(QLatin1Char('&')) == caption)
            chosen = a;
    ASSERT_NE(chosen, nullptr);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
}

TEST_F(ExtractTest, FolderCommandsCountIconsThatCannotBeWritten)
{
    // A name whose output name is one byte longer than a file system allows.
    const QString longName = QString(251, QLatin1Char('x')) + QStringLiteral(".dll");
    Put(FLibrary, longName);
    Put(FLibrary, QStringLiteral("ok.dll"));
    TForm1* f = Open(FSource);
    ShowMainForm();

    AnswerDialog(FOut);
    ChooseFolderCommand(f, QStringLiteral("从文件夹中提取"));
    ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }));
    EXPECT_EQ(Status(), QStringLiteral("一共提取%1个图标，%1个提取失败！").arg(FGroups));
    EXPECT_EQ(OutFiles().size(), FGroups);

    // Into a read-only and into a full FAT file system: every icon fails, and says so.
    for (const bool full : {false, true}) {
        gwtest::FatImage fat(1024, !full);
        if (!fat.Mounted()) {
            std::printf("skipped the FAT cases: %s\n", fat.Why().c_str());
            break;
        }
        if (full)
            fat.Fill();
        ASSERT_TRUE(QFile::remove(FSource + QLatin1Char('/') + longName));
        Put(FLibrary, longName);
        AnswerDialog(QString::fromStdString(fat.Path()));
        ChooseFolderCommand(f, QStringLiteral("从文件夹中提取"));
        ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }));
        EXPECT_EQ(Status(), QStringLiteral("一共提取0个图标，%1个提取失败！").arg(2 * FGroups)) << (full ? "full" : "read-only");
    }
}

// Folders more than 256 levels below the command's folder are not walked, and the
// total says so as a failure instead of passing over them in silence.
TEST_F(ExtractTest, ATreeDeeperThanTheLimitCountsWhatItLeavesOut)
{
    QString folder = FSource;
    for (int level = 1; level <= 258; ++level) {
        folder += QStringLiteral("/d");
        ASSERT_EQ(::mkdir(QFile::encodeName(folder).constData(), 0755), 0);
        if (level == 256 || level == 257) {
            ASSERT_TRUE(QFile::copy(FIco, folder + QStringLiteral("/x.ico")));
        }
    }
    TForm1* f = Open(FSource);
    ShowMainForm();

    AnswerDialog(FOut);
    ChooseFolderCommand(f, QStringLiteral("从多级文件夹中提取(包含子文件夹)"));
    ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }));
    EXPECT_EQ(OutFiles(), QStringList{QStringLiteral("x0.ico")});
    EXPECT_EQ(Status(), QStringLiteral("一共提取1个图标，1个提取失败！"));
}

TEST_F(ExtractTest, AWalkStopsWhenItsOutputFolderIsRemoved)
{
    for (const char* name : {"a.dll", "b.dll", "c.dll", "one/d.dll", "two/e.dll", "two/three/f.dll"})
        Put(FLibrary, QString::fromLatin1(name));
    TForm1* f = Open(FSource);
    // The output folder goes while the third file is being read.
    int counted = 0;
    const QString out = FOut;
    TExtractionRun::SetIconSource([&counted, out](HINSTANCE instance, const char* file, int index) {
        if (index == -1 && ++counted == 3)
            QDir(out).removeRecursively();
        return ExtractIconA(instance, file, index);
    });
    AnswerDialog(FOut);
    f->ExtractFromMultiFolderClick(nullptr);
    ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }));
    EXPECT_EQ(counted, 3) << "files were read after the output folder had gone";
    EXPECT_EQ(Status(), QStringLiteral("一共提取%1个图标，1个提取失败！").arg(2 * FGroups));
}

TEST_F(ExtractTest, AWalkEndedByAnErrorStillEndsTheCommand)
{
    Put(FLibrary, QStringLiteral("ok.dll"));
    Put(FLibrary, QStringLiteral("sub/boom.dll"));
    Put(FLibrary, QStringLiteral("other/ok.dll"));
    TForm1* f = Open(FSource);
    TExtractionRun::SetIconSource([](HINSTANCE instance, const char* file, int index) -> HICON {
        if (QByteArray(file).endsWith("/boom.dll"))
            throw std::bad_alloc();
        return ExtractIconA(instance, file, index);
    });
    AnswerDialog(FOut);
    f->ExtractFromMultiFolderClick(nullptr);
    ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }, 5000)) << "active walks: " << f->FActiveWalks;
    // The other folders are still walked, and the total is shown.
    EXPECT_EQ(Status(), QStringLiteral("一共提取%1个图标！").arg(2 * FGroups));

    // A later command shows its own total.
    AnswerDialog(FOut);
    f->ExtractFromFolderClick(nullptr);
    ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }, 5000));
    EXPECT_EQ(Status(), QStringLiteral("一共提取%1个图标！").arg(FGroups));
}

TEST_F(ExtractTest, ManyFilesOfOneNameLookAtEachTakenNameOnce)
{
    const int folders = 300;
    LinkIcoIntoFolders(folders, QStringLiteral("setup.ico"));
    if (HasFatalFailure())
        return;
    TForm1* f = Open(FSource);
    const long long before = gw::OutputNames::NumberedLookups();
    AnswerDialog(FOut);
    f->ExtractFromMultiFolderClick(nullptr);
    ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }, 60000));
    EXPECT_EQ(OutFiles().size(), folders);
    EXPECT_TRUE(QFile::exists(FOut + QStringLiteral("/setup%1.ico").arg(folders - 1)));
    // Starting from 0 for every file would look at 300 * 301 / 2 names.
    EXPECT_EQ(gw::OutputNames::NumberedLookups() - before, folders);
}

// Answers the next message boxes as a user does, one action per box, in order.
void AnswerBoxes(std::vector<std::function<void(QWidget*)>> actions)
{
    auto* timer = new QTimer(qApp);
    auto handled = std::make_shared<QPointer<QWidget>>();
    auto queue = std::make_shared<std::vector<std::function<void(QWidget*)>>>(std::move(actions));
    QObject::connect(timer, &QTimer::timeout, timer, [timer, handled, queue] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || box->objectName() != QLatin1String("MessageBox") || box == handled->data() || !box->isVisible())
            return;
        *handled = box;
        auto action = queue->front();
        queue->erase(queue->begin());
        if (queue->empty()) {
            timer->stop();
            timer->deleteLater();
        }
        action(box);
    });
    timer->start(5);
}

void PressKey(QWidget* box, Qt::Key key) { QTest::keyClick(box, key); }

// Clicks the button that answers `id` (IDYES ...).
void ClickButton(QWidget* box, int id)
{
    TButton* button = nullptr;
    for (TButton* b : box->findChildren<TButton*>())
        if (b->ModalResult() == id)
            button = b;
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

TEST_F(ExtractTest, TheUserIsAskedOnceBeforeIconFilesAreReplaced)
{
    Put(FLibrary, QStringLiteral("a.dll"));
    std::ofstream((FOut + QStringLiteral("/a0.ico")).toStdString()) << "mine";
    std::ofstream((FOut + QStringLiteral("/a2.ico")).toStdString()) << "mine too";
    // A folder of such a name cannot be replaced and is not asked about.
    ASSERT_TRUE(QDir(FOut).mkdir(QStringLiteral("a3.ico")));
    // A link out of the output folder is never followed by an extraction.
    const QString outside = MakeFolder(QStringLiteral("elsewhere")) + QStringLiteral("/precious");
    std::ofstream(outside.toStdString()) << "precious";
    ASSERT_EQ(::symlink(QFile::encodeName(outside).constData(), QFile::encodeName(FOut + QStringLiteral("/a4.ico")).constData()), 0);
    TForm1* f = Open(FSource);
    ShowMainForm();
    const QString question = QStringLiteral("3个同名图标文件已存在。\n要替换它们吗？");

    // Escape answers No: the user's files stay, and are told apart from the failures
    // (the folder of an icon's name).
    AnswerDialog(FOut);
    AnswerBoxes({[](QWidget* b) { PressKey(b, Qt::Key_Escape); }, [](QWidget* b) { PressKey(b, Qt::Key_Return); }});
    QTest::keyClick(f->ListView1, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 2u);
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Text, question);
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Caption, FSource + QStringLiteral("/a.dll"));
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Flags, unsigned(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(MessageBoxSeam::Shown()[1].Text,
              QStringLiteral("一共%1个图标，成功提取%2个，保留3个已有的同名文件，1个提取失败！").arg(FGroups).arg(FGroups - 4));
    EXPECT_EQ(ReadAll(FOut + QStringLiteral("/a0.ico")), QByteArray("mine"));
    EXPECT_EQ(ReadAll(FOut + QStringLiteral("/a2.ico")), QByteArray("mine too"));
    EXPECT_EQ(ReadAll(FOut + QStringLiteral("/a1.ico")), Encoded(FLibrary, 1));

    // Yes replaces them.
    MessageBoxSeam::ClearShown();
    AnswerDialog(FOut);
    AnswerBoxes({[](QWidget* b) { ClickButton(b, IDYES); }, [](QWidget* b) { PressKey(b, Qt::Key_Return); }});
    QTest::keyClick(f->ListView1, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 2u);
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Text, QStringLiteral("%1个同名图标文件已存在。\n要替换它们吗？").arg(FGroups - 1));
    EXPECT_EQ(ReadAll(FOut + QStringLiteral("/a0.ico")), Encoded(FLibrary, 0));
    EXPECT_EQ(ReadAll(FOut + QStringLiteral("/a2.ico")), Encoded(FLibrary, 2));
    EXPECT_EQ(MessageBoxSeam::Shown()[1].Text,
              QStringLiteral("一共%1个图标，成功提取%2个，2个提取失败！").arg(FGroups).arg(FGroups - 2));
    EXPECT_EQ(ReadAll(outside), QByteArray("precious"));
}

TEST_F(ExtractTest, ALongExtractionKeepsTheWindowAnsweringAndShowsItsProgress)
{
    Put(kData + QStringLiteral("/shared1000.dll"), QStringLiteral("many.dll"));
    TForm1* f = Open(FSource);
    ShowMainForm();
    // A timer of the window's own thread sees the status while the extraction runs.
    QStringList seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
        if (!QApplication::activeModalWidget())
            seen << Status();
    });
    watch.start(1);
    AnswerDialog(FOut);
    AnswerBoxes({[](QWidget* b) { PressKey(b, Qt::Key_Return); }});
    QTest::keyClick(f->ListView1, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    watch.stop();
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 1u);
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Text, QStringLiteral("一共1000个图标，全部提取成功！"));
    EXPECT_EQ(OutFiles().size(), 1000);
    const QRegularExpression progress(QStringLiteral("^正在从文件中提取图标...\\((\\d+)/1000\\)$"));
    int midway = 0;
    for (const QString& text : seen) {
        const auto match = progress.match(text);
        midway += match.hasMatch() && match.captured(1).toInt() < 1000;
    }
    EXPECT_GT(midway, 0) << "the window did not answer during the extraction";
}

// Runs `program` with `args`; its exit code.
int RunTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// The contents of every file of `folder`, sorted: what was written, whatever the names.
QList<QByteArray> Contents(const QString& folder)
{
    QList<QByteArray> all;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        all << ReadAll(folder + QLatin1Char('/') + name);
    std::sort(all.begin(), all.end());
    return all;
}

// Each format chosen in the settings menu writes, for a folder of a library with a
// 256-pixel PNG image and a group whose image is missing: the 16-colour icons; the
// groups byte for byte as glimmerwick-cli extract writes them; each group's largest
// image as icotool finds it in the group. The choice is kept across starts.
TEST_F(ExtractTest, EachFormatWritesWhatTheIndependentToolsFind)
{
    Put(FBroken, QStringLiteral("lib.dll"));
    const QString cliOut = MakeFolder(QStringLiteral("cli"));
    ASSERT_EQ(RunTool(QStringLiteral(GW_CLI), {QStringLiteral("extract"), QStringLiteral("-o"), cliOut, FBroken}), 1);
    const QList<QByteArray> stored = Contents(cliOut);
    ASSERT_EQ(stored.size(), 6);

    TForm1* f = Open(FSource);
    ShowMainForm();
    const struct {
        const char* Item;
        const char* Extension;
    } formats[] = {{"Icon16", ".ico"}, {"Original", ".ico"}, {"Png", ".png"}};
    QString originals;
    for (const auto& format : formats) {
        SCOPED_TRACE(format.Item);
        auto* item = f->findChild<TMenuItem*>(QStringLiteral("FormatSetting") + QLatin1String(format.Item));
        ASSERT_NE(item, nullptr);
        item->Click();
        for (const char* menu : {"FormatMenu", "FormatSetting"})
            EXPECT_TRUE(f->findChild<TMenuItem*>(QLatin1String(menu) + QLatin1String(format.Item))->Checked());
        FOut = MakeFolder(QLatin1String(format.Item));
        AnswerDialog(FOut);
        ChooseFolderCommand(f, QStringLiteral("从文件夹中提取"));
        ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }));
        EXPECT_EQ(Status(), QStringLiteral("一共提取6个图标，1个提取失败！"));
        QStringList expected;
        for (int i = 0; i < 6; ++i)
            expected << QStringLiteral("lib%1%2").arg(i).arg(QLatin1String(format.Extension));
        ASSERT_EQ(OutFiles(), expected);
        if (QLatin1String(format.Item) == QLatin1String("Icon16")) {
            for (int i = 0; i < 6; ++i)
                EXPECT_EQ(ReadAll(FOut + QLatin1Char('/') + expected[i]), Encoded(FBroken, i)) << i;
        } else if (QLatin1String(format.Item) == QLatin1String("Original")) {
            EXPECT_EQ(Contents(FOut), stored);
            originals = FOut;
        } else {
            for (int i = 0; i < 6; ++i) {
                // The largest image as icotool extracts it from the stored group.
                const QString ico = originals + QStringLiteral("/lib%1.ico").arg(i);
                const QString dir = MakeFolder(QStringLiteral("icotool%1").arg(i));
                ASSERT_EQ(RunTool(QStringLiteral(GW_ICOTOOL), {QStringLiteral("-x"), QStringLiteral("-o"), dir, ico}), 0);
                QImage largest;
                for (const QString& name : QDir(dir).entryList(QDir::Files)) {
                    const QImage image(dir + QLatin1Char('/') + name);
                    if (image.width() > largest.width() ||
                        (image.width() == largest.width() && image.depth() > largest.depth()))
                        largest = image;
                }
                const QImage ours(FOut + QLatin1Char('/') + expected[i]);
                ASSERT_FALSE(ours.isNull()) << i;
                EXPECT_EQ(ours.size(), largest.size()) << i;
                EXPECT_EQ(ours.convertToFormat(QImage::Format_ARGB32), largest.convertToFormat(QImage::Format_ARGB32))
                    << i;
            }
            // Group 42's 256-pixel image is stored as PNG: it is written as it is stored.
            const QByteArray png = ReadAll(FOut + QStringLiteral("/lib3.png"));
            EXPECT_EQ(QImage::fromData(png).width(), 256);
            EXPECT_TRUE(ReadAll(originals + QStringLiteral("/lib3.ico")).contains(png));
        }
    }

    // A PNG saved: the type chosen last in the save dialog is kept too.
    TSaveDialog::SetNextResult(FOut + QStringLiteral("/saved"), 3);
    QTest::keyClick(f->ListView1, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(QFile::exists(FOut + QStringLiteral("/saved.png")));
    CloseMainForm();
    EXPECT_NE(ReadIni().find("[Extract]\nFormat=3\nSaveType=3\n"), std::string::npos) << ReadIni();
    delete FForm;
    FForm = nullptr;
    f = CreateMainForm();
    EXPECT_TRUE(f->findChild<TMenuItem*>(QStringLiteral("FormatMenuPng"))->Checked());
    EXPECT_FALSE(f->findChild<TMenuItem*>(QStringLiteral("FormatSettingIcon16"))->Checked());
    EXPECT_EQ(f->Settings().SaveFileType, gw::OutputFormat::Png);
}

// A command writes the format chosen when it started: a choice made while its walks run
// is the next command's.
TEST_F(ExtractTest, AFormatChosenDuringAWalkIsTheNextCommands)
{
    for (int i = 0; i < 3; ++i)
        Put(kData + QStringLiteral("/shared1000.dll"), QStringLiteral("d%1/many.dll").arg(i));
    Put(FLibrary, QStringLiteral("one.dll"));
    TForm1* f = Open(FSource);
    ShowMainForm();
    ASSERT_EQ(f->Settings().ExtractFormat, gw::OutputFormat::Icon16);
    AnswerDialog(FOut);
    ChooseFolderCommand(f, QStringLiteral("从多级文件夹中提取(包含子文件夹)"));
    const QRegularExpression progress(QStringLiteral("^正在提取：已处理(\\d+)个文件"));
    ASSERT_TRUE(WaitUntil([&] {
        const auto m = progress.match(Status());
        return m.hasMatch() && m.captured(1).toInt() >= 1;
    })) << Status().toStdString();
    ASSERT_GT(f->FActiveWalks, 0);
    f->findChild<TMenuItem*>(QStringLiteral("FormatMenuPng"))->Click();
    ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }, 60000));
    EXPECT_EQ(Status(), QStringLiteral("一共提取%1个图标！").arg(3000 + FGroups));
    const QStringList written = OutFiles();
    EXPECT_EQ(written.size(), 3000 + FGroups);
    EXPECT_EQ(written.filter(QRegularExpression(QStringLiteral("\\.ico$"))).size(), 3000 + FGroups);

    FOut = MakeFolder(QStringLiteral("next"));
    AnswerDialog(FOut);
    ChooseFolderCommand(f, QStringLiteral("从文件夹中提取"));
    ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }, 60000));
    QStringList png;
    for (int i = 0; i < FGroups; ++i)
        png << QStringLiteral("one%1.png").arg(i);
    png.sort();
    EXPECT_EQ(OutFiles(), png);
}

// A folder tree extraction shows its progress and stops when the user cancels it, by
// Escape in the window or by the folder list's cancel item, and says so.
// Two tree extractions of one folder, the second started while the first runs, each
// into a folder of that tree: neither walks the other's output folder, so each writes
// the icons of the tree's files and nothing else.
TEST_F(ExtractTest, ARunningWalksOutputFolderIsLeftOutOfEveryOtherWalk)
{
    // Four folders of ten icon files, so that the first walk has folders left when the
    // second starts.
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 10; ++j)
            Put(FIco, QStringLiteral("d%1/icon%2.ico").arg(i).arg(j));
    // Sorted first, the output folders are walked before the libraries.
    const QString first = MakeFolder(QStringLiteral("source/0first")), second = MakeFolder(QStringLiteral("source/0second"));
    TForm1* f = Open(FSource);
    ShowMainForm();
    const QString tree = QStringLiteral("从多级文件夹中提取(包含子文件夹)");
    // The second command is chosen from the window's own event loop once the first
    // has written its first file's icons.
    bool started = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
        if (started || QApplication::activeModalWidget() || WalksDone() || QDir(first).isEmpty(QDir::Files))
            return;
        started = true;
        AnswerDialog(second);
        ChooseFolderCommand(f, tree);
    });
    watch.start(1);
    AnswerDialog(first);
    ChooseFolderCommand(f, tree);
    ASSERT_TRUE(WaitUntil([&] { return started && WalksDone(); }, 60000));
    watch.stop();
    for (const QString& out : {first, second})
        EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 40) << out.toStdString();
}

// Ctrl+Q while a folder tree or a single file of 1000 icons is being extracted: the
// window closes and the extraction stops at its next icon, instead of writing on
// unseen.
TEST_F(ExtractTest, QuittingStopsEveryExtractionAtItsNextIcon)
{
    for (int i = 0; i < 20; ++i)
        Put(kData + QStringLiteral("/shared1000.dll"), QStringLiteral("d%1/many.dll").arg(i));
    Put(kData + QStringLiteral("/shared1000.dll"), QStringLiteral("many.dll"));
    const QRegularExpression treeProgress(QStringLiteral("^正在提取：已处理(\\d+)个文件"));
    const QRegularExpression fileProgress(QStringLiteral("^正在从文件中提取图标...\\((\\d+)/1000\\)$"));
    const struct {
        const char* Case;
        std::function<void(TForm1*)> Start;
        const QRegularExpression& Progress;
    } cases[] = {
        {"a folder tree", [](TForm1* f) { ChooseFolderCommand(f, QStringLiteral("从多级文件夹中提取(包含子文件夹)")); },
         treeProgress},
        {"one file",
         [](TForm1* f) { QTest::keyClick(f->ListView1, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier); },
         fileProgress},
    };
    int run = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        FOut = MakeFolder(QStringLiteral("out%1").arg(run++));
        MessageBoxSeam::ClearShown();
        // A box that should not come (the result of an extraction that went on) is
        // answered, not waited for.
        MessageBoxSeam::ClearAnswers();
        MessageBoxSeam::SetNextAnswer(IDOK);
        TForm1* f = Open(FSource);
        ShowMainForm();
        // Ctrl+Q is pressed from the window's own event loop once progress shows.
        bool quit = false;
        qsizetype atQuit = 0;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
            const auto m = c.Progress.match(Status());
            if (quit || QApplication::activeModalWidget() || !m.hasMatch() || m.captured(1).toInt() < 1)
                return;
            // The user comes back to the window first.
            if (QApplication::activeWindow() != f) {
                f->activateWindow();
                return;
            }
            quit = true;
            atQuit = OutFiles().size();
            QTest::keyClick(f, Qt::Key_Q, Qt::ControlModifier);
        });
        watch.start(1);
        AnswerDialog(FOut);
        c.Start(f);
        ASSERT_TRUE(WaitUntil([&] { return quit && WalksDone(); }));
        watch.stop();
        EXPECT_FALSE(f->isVisible());
        const qsizetype written = OutFiles().size();
        EXPECT_GT(written, 0);
        EXPECT_LE(written, atQuit + 1) << "the extraction went on after the window closed";
        // Nothing more is written afterwards, and no result is reported.
        QTest::qWait(300);
        EXPECT_EQ(OutFiles().size(), written);
        EXPECT_TRUE(MessageBoxSeam::Shown().empty());
        delete FForm;
        FForm = nullptr;
    }
}

TEST_F(ExtractTest, ATreeExtractionShowsItsProgressAndStopsWhenCancelled)
{
    for (int i = 0; i < 20; ++i)
        Put(kData + QStringLiteral("/shared1000.dll"), QStringLiteral("d%1/many.dll").arg(i));
    TForm1* f = Open(FSource);
    ShowMainForm();
    const std::function<void()> cancels[] = {
        [f] { QTest::keyClick(f, Qt::Key_Escape); },
        [f] { ChooseFolderCommand(f, QStringLiteral("取消提取(C)")); },
    };
    int run = 0;
    for (const auto& cancel : cancels) {
        SCOPED_TRACE(run);
        FOut = MakeFolder(QStringLiteral("out%1").arg(run++));
        EXPECT_FALSE(f->CancelExtract->Visible());
        AnswerDialog(FOut);
        ChooseFolderCommand(f, QStringLiteral("从多级文件夹中提取(包含子文件夹)"));
        const QRegularExpression progress(QStringLiteral("^正在提取：已处理(\\d+)个文件，提取(\\d+)个图标……$"));
        ASSERT_TRUE(WaitUntil([&] {
            const auto m = progress.match(Status());
            return m.hasMatch() && m.captured(1).toInt() >= 1;
        })) << Status().toStdString();
        // The user comes back to the window once the output-folder dialog has closed.
        f->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f));
        cancel();
        ASSERT_TRUE(WaitUntil([this] { return WalksDone(); }));
        const QRegularExpression end(QStringLiteral("^提取已取消：一共提取(\\d+)个图标，0个提取失败！$"));
        const auto m = end.match(Status());
        ASSERT_TRUE(m.hasMatch()) << Status().toStdString();
        const int written = m.captured(1).toInt();
        EXPECT_EQ(OutFiles().size(), written);
        EXPECT_GE(written, 1000);
        EXPECT_LT(written, 20000);
        EXPECT_EQ(written % 1000, 0) << "a file is finished before the walk stops";
    }
    // Escape with nothing running changes nothing.
    QTest::keyClick(f, Qt::Key_Escape);
    EXPECT_TRUE(Status().startsWith(QStringLiteral("提取已取消")));
}

} // namespace
