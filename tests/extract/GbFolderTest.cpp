// Folders named in GB2312 bytes, as old Chinese disks hold them, driven end to end:
// listed and entered in both folder lists, their files listed, previewed, saved,
// extracted, deleted, and the folder remembered byte for byte.
#include "AppTestSupport.h"

#include "extract/Extractthd.h"
#include "extract/OutputFolder.h"
#include "framework/Dialogs.h"
#include "framework/FileNames.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kData = QStringLiteral(GW_TEST_DATA_DIR);
// 图标 (icons), 程序 (program), 子 (child), 输出 (output) in GB2312.
const QByteArray kIcons = "\xCD\xBC\xB1\xEA";
const QByteArray kProgram = "\xB3\xCC\xD0\xF2";
const QByteArray kChild = "\xD7\xD3";
const QByteArray kOutput = "\xCA\xE4\xB3\xF6";

QByteArray ReadAll(const QByteArray& path)
{
    // QFile cannot open such names; read through the raw bytes.
    FILE* file = std::fopen(path.constData(), "rb");
    if (!file)
        return {};
    QByteArray bytes;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, qsizetype(n));
    std::fclose(file);
    return bytes;
}

QList<QByteArray> Entries(const QByteArray& folder)
{
    QList<QByteArray> names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.')
                names << QByteArray(entry->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool Exists(const QByteArray& path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

QByteArray Encoded(const QByteArray& path, int index)
{
    TIcon icon;
    icon.SetHandle(ExtractIconA(0, path.constData(), index));
    const auto& bytes = icon.Encoded();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

class GbFolderTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        FRoot = QFile::encodeName(FFolder);
        FSource = FRoot + "/" + kIcons;
        FOut = FRoot + "/" + kOutput;
        FLibrary = QFile::encodeName(QStringLiteral(GW_TARNWELL8));
        FGroups = int(ExtractIconA(0, FLibrary.constData(), -1));
        ASSERT_GE(FGroups, 3);
        for (const QByteArray& folder : {FSource, FOut, FSource + "/" + kChild})
            ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
        FFile = FSource + "/" + kProgram + ".dll";
        for (const QByteArray& copy : {FFile, FSource + "/" + kChild + "/" + kProgram + ".exe"})
            ASSERT_EQ(::link(FLibrary.constData(), copy.constData()), 0);
        MessageBoxSeam::ClearAnswers();
        MessageBoxSeam::ClearShown();
        TSaveDialog::ClearResults();
    }

    void TearDown() override
    {
        QTRY_VERIFY(ExtractThread::AliveCount() == 0);
        AppTest::TearDown();
    }

    TForm1* Open()
    {
        WriteIni(AllKeysFile("1", FFolder.toStdString(), "1"));
        TForm1* f = CreateMainForm();
        ShowMainForm();
        return f;
    }

    // Answers the next output-folder dialog as a user does: from the scratch folder it
    // double-clicks the entry `shown`, then clicks OK.
    void AnswerDialog(const QString& shown)
    {
        auto* timer = new QTimer(qApp);
        const QString root = FFolder;
        QObject::connect(timer, &QTimer::timeout, timer, [timer, shown, root] {
            auto* dialog = qobject_cast<TOutputFolder*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->Modal())
                return;
            timer->stop();
            timer->deleteLater();
            dialog->DirectoryListBox1->SetDirectory(root);
            OpenFolderEntry(dialog->DirectoryListBox1, shown);
            QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
        });
        timer->start(1);
    }

    QString Status() const { return FForm->StatusBar1->Panels()->Items(1)->Text(); }

    QByteArray FRoot, FSource, FOut, FLibrary, FFile;
    int FGroups = 0;
};

TEST_F(GbFolderTest, BrowsedSavedExtractedDeletedAndRemembered)
{
    TForm1* f = Open();
    OpenFolderEntry(f->DirectoryListBox1, QStringLiteral("图标"));
    QTRY_COMPARE(EncodeFileName(f->FCurrentDir), FSource);
    EXPECT_TRUE(f->PathLable->Caption().endsWith(QStringLiteral("/图标")));
    EXPECT_EQ(f->DirectoryListBox1->findItems(QStringLiteral("子"), Qt::MatchExactly).size(), 1);
    ASSERT_EQ(f->ListView1->Items()->Count(), FGroups);
    EXPECT_EQ(f->ListView1->Items()->Item(0)->Caption(), QStringLiteral("程序.dll"));
    EXPECT_EQ(Status(), QStringLiteral("一共%1个图标可供浏览！").arg(FGroups));

    // A click on the second row previews icon 1 of the file.
    QTreeView* view = f->ListView1;
    const QPoint row1 = view->visualRect(view->model()->index(1, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row1);
    QTRY_COMPARE(f->FCurrentIndex, 1);
    TIcon expected;
    expected.SetHandle(ExtractIconA(0, FLibrary.constData(), 1));
    EXPECT_EQ(IconTable::Get(f->PreView->Picture()->Icon()->GetHandle())->Pixels,
              IconTable::Get(expected.GetHandle())->Pixels);

    // Ctrl+S: Qt's dialog reads the folder with U+FFFD; the icon lands in the real one.
    TSaveDialog::SetNextResult(QString::fromUtf8(FSource) + QStringLiteral("/保存"));
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(TSaveDialog::LastFileName(), QStringLiteral("程序1"));
    EXPECT_EQ(ReadAll(FSource + "/\xE4\xBF\x9D\xE5\xAD\x98.ico"), Encoded(FLibrary, 1));

    // Ctrl+Alt+S into the GB-named output folder, picked in the dialog by its readable name.
    MessageBoxSeam::SetNextAnswer(IDOK);
    AnswerDialog(QStringLiteral("输出"));
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 1u);
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Text, QStringLiteral("一共%1个图标，全部提取成功！").arg(FGroups));
    EXPECT_TRUE(MessageBoxSeam::Shown()[0].Caption.endsWith(QStringLiteral("/图标/程序.dll")));
    QList<QByteArray> names;
    for (int i = 0; i < FGroups; ++i)
        names << kProgram + QByteArray::number(i) + ".ico";
    std::sort(names.begin(), names.end());
    EXPECT_EQ(Entries(FOut), names);
    EXPECT_EQ(ReadAll(FOut + "/" + kProgram + "2.ico"), Encoded(FLibrary, 2));

    // Ctrl+D deletes the file by its own bytes; the question shows the readable path.
    MessageBoxSeam::SetNextAnswer(IDOK);
    QTest::keyClick(view, Qt::Key_D, Qt::ControlModifier);
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 2u);
    EXPECT_TRUE(MessageBoxSeam::Shown()[1].Text.contains(QStringLiteral("/图标/程序.dll，")));
    EXPECT_FALSE(Exists(FFile));
    ASSERT_EQ(f->ListView1->Items()->Count(), 1);
    EXPECT_EQ(f->ListView1->Items()->Item(0)->Caption(), QStringLiteral("保存.ico"));

    // Ctrl+X closes; the folder is stored and read back byte for byte.
    QTest::keyClick(view, Qt::Key_X, Qt::ControlModifier);
    QTRY_VERIFY(!f->isVisible());
    EXPECT_NE(ReadIni().find("\nDirectory=" + FSource.toStdString() + "\n"), std::string::npos);
    delete FForm;
    FForm = nullptr;
    f = CreateMainForm();
    EXPECT_EQ(EncodeFileName(f->DirectoryListBox1->Directory()), FSource);
    EXPECT_EQ(EncodeFileName(f->FCurrentDir), FSource);
}

TEST_F(GbFolderTest, FolderAndTreeAreExtractedIntoAGbFolder)
{
    TForm1* f = Open();
    OpenFolderEntry(f->DirectoryListBox1, QStringLiteral("图标"));
    QTRY_COMPARE(EncodeFileName(f->FCurrentDir), FSource);

    AnswerDialog(QStringLiteral("输出"));
    f->ExtractFromFolderClick(nullptr);
    EXPECT_TRUE(Status().startsWith(QStringLiteral("正在从文件夹")));
    EXPECT_TRUE(Status().endsWith(QStringLiteral("/图标中提取图标...")));
    QTRY_COMPARE(Status(), QStringLiteral("一共提取%1个图标！").arg(FGroups));
    EXPECT_EQ(Entries(FOut).size(), FGroups);

    AnswerDialog(QStringLiteral("输出"));
    f->ExtractFromMultiFolderClick(nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("一共提取%1个图标！").arg(2 * FGroups), 20000);
    // The first run's names are taken, so the tree's start after them; the file in
    // the subfolder shares the base name.
    EXPECT_EQ(Entries(FOut).size(), 3 * FGroups);
    EXPECT_EQ(ReadAll(FOut + "/" + kProgram + QByteArray::number(3 * FGroups - 1) + ".ico"),
              Encoded(FLibrary, FGroups - 1));
}

} // namespace
