// The icon browser driven through the real main window: the rows of a folder, the
// preview, navigation, Up, Save and Delete.
#include "AppTestSupport.h"
#include "BrowserSupport.h"

#include "framework/Dialogs.h"
#include "framework/ShellApi.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <QAccessible>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QCollator>
#include <QFileInfo>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

namespace {

const QString kData = QStringLiteral(GW_TEST_DATA_DIR);

int IconCount(const QString& path)
{
    return int(ExtractIconA(0, QFile::encodeName(path).constData(), -1));
}

// Pixels of a PNG as Qt reads it, 32-bit ARGB.
QImage PngPixels(const QString& png) { return QImage(png).convertToFormat(QImage::Format_ARGB32); }

class BrowserTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        FIcons = MakeFolder(QStringLiteral("icons"));
        FLibrary = kData + QStringLiteral("/groups64.dll");
        FGroups = IconCount(FLibrary);
        ASSERT_GE(FGroups, 3);
        Copy(FLibrary, QStringLiteral("SETUP.EXE"));
        Copy(FLibrary, QStringLiteral("a.b.dll"));
        Copy(kData + QStringLiteral("/noicons64.dll"), QStringLiteral("empty.exe"));
        Copy(kData + QStringLiteral("/multi.ico"), QStringLiteral("multi.ico"));
        Copy(FLibrary, QStringLiteral("archive.exe.txt"));
        Copy(FLibrary, QStringLiteral(".hidden.ocx"));
        std::ofstream(QString(FIcons + QStringLiteral("/picture.bmp")).toStdString()) << "BM not really";
        QDir(FIcons).mkdir(QStringLiteral("tools.exe"));
        MessageBoxSeam::ClearAnswers();
        MessageBoxSeam::ClearShown();
        TSaveDialog::ClearResults();
    }

    void TearDown() override
    {
        ShellOpenSeam::SetHandler(nullptr);
        AppTest::TearDown();
    }

    void Copy(const QString& from, const QString& name)
    {
        ASSERT_TRUE(QFile::copy(from, FIcons + QLatin1Char('/') + name)) << name.toStdString();
    }

    // A main window that starts in `folder` with every kind switched on.
    TForm1* Open(const QString& folder)
    {
        WriteIni(AllKeysFile("1", folder.toStdString(), "1"));
        return CreateMainForm();
    }

    QStringList Captions() const
    {
        QStringList out;
        for (int i = 0; i < FForm->ListView1->Items()->Count(); ++i)
            out << FForm->ListView1->Items()->Item(i)->Caption();
        return out;
    }

    QString Cell(int row, int column) const
    {
        TListItem* item = FForm->ListView1->Items()->Item(row);
        return column == 0 ? item->Caption() : item->SubItems()->Strings(column - 1);
    }

    QString Status() const { return FForm->StatusBar1->Panels()->Items(1)->Text(); }

    // The pixels ExtractIconA gives for `index` of `path`, to compare with the preview.
    static std::vector<std::uint32_t> Pixels(HICON icon)
    {
        auto image = IconTable::Get(icon);
        return image ? image->Pixels : std::vector<std::uint32_t>{};
    }

    std::vector<std::uint32_t> Expected(const QString& path, int index)
    {
        TIcon holder;
        holder.SetHandle(ExtractIconA(0, QFile::encodeName(path).constData(), index));
        return Pixels(holder.GetHandle());
    }

    std::vector<std::uint32_t> Preview() const
    {
        return Pixels(FForm->PreView->Picture()->Icon()->GetHandle());
    }

    // A key pressed on the focused control, and the control that has the focus after it
    // (itself or a part of it).
    struct TKeyStep {
        QKeyCombination Key;
        QWidget* Focused;
    };

    template <std::size_t N>
    static void PressKeys(const TKeyStep (&steps)[N])
    {
        for (const TKeyStep& step : steps) {
            QTest::keyClick(QApplication::focusWidget(), step.Key.key(), step.Key.keyboardModifiers());
            QTRY_VERIFY2(step.Focused->isAncestorOf(QApplication::focusWidget()) || step.Focused == QApplication::focusWidget(),
                         qPrintable(step.Focused->objectName() + QLatin1String(" after ") +
                                    QKeySequence(step.Key).toString()));
        }
    }

    QString FIcons;
    QString FLibrary;
    int FGroups = 0;
};

TEST_F(BrowserTest, RowsOfAFolderWithSizesNumbersOrderAndStatus)
{
    TForm1* f = Open(FIcons);
    EXPECT_EQ(f->FCurrentDir, FIcons);

    const qint64 size = QFileInfo(FLibrary).size();
    // .hidden.ocx, SETUP.EXE, a.b.dll with every group each; multi.ico and picture.bmp
    // one row each; the folder tools.exe, archive.exe.txt and the icon-less empty.exe none.
    const int rows = 3 * FGroups + 2;
    ASSERT_EQ(f->ListView1->Items()->Count(), rows);
    EXPECT_EQ(Status(), QStringLiteral("一共%1个图标可供浏览！").arg(rows));

    QStringList expected;
    for (const char* name : {".hidden.ocx", "SETUP.EXE", "a.b.dll"})
        for (int i = 0; i < FGroups; ++i)
            expected << QString::fromLatin1(name);
    expected << QStringLiteral("multi.ico") << QStringLiteral("picture.bmp");
    // Captions in the locale's order, the icons of one file in ascending order.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseSensitive);
    std::stable_sort(expected.begin(), expected.end(),
                     [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    EXPECT_EQ(Captions(), expected);

    for (int row = 0; row < rows; ++row) {
        const QString caption = Cell(row, 0);
        if (caption == QLatin1String("SETUP.EXE")) {
            EXPECT_EQ(Cell(row, 1), QString::number(size));
            EXPECT_EQ(f->ListView1->Items()->Item(row)->ImageIndex(), 1);
        }
        if (caption == QLatin1String("multi.ico")) {
            EXPECT_EQ(Cell(row, 2), QStringLiteral("0"));
            EXPECT_EQ(f->ListView1->Items()->Item(row)->ImageIndex(), 4);
        }
        if (caption == QLatin1String("a.b.dll")) {
            EXPECT_EQ(f->ListView1->Items()->Item(row)->ImageIndex(), 2);
        }
    }
    const int first = int(expected.indexOf(QStringLiteral("SETUP.EXE")));
    for (int i = 0; i < FGroups; ++i)
        EXPECT_EQ(Cell(first + i, 2), QString::number(i));

    EXPECT_TRUE(f->SaveButton->Enabled());
    EXPECT_TRUE(f->ExtractFromFile->Enabled());
    EXPECT_EQ(f->ListView1->SelCount(), 0);
}

TEST_F(BrowserTest, KindsSwitchedOffAndEmptyFolders)
{
    TForm1* f = Open(FIcons);
    for (bool TForm1::*flag : {&TForm1::FShowExe, &TForm1::FShowDll, &TForm1::FShowOcx, &TForm1::FShowBpl,
                               &TForm1::FShowCpl, &TForm1::FShowIcl, &TForm1::FShowDrv, &TForm1::FShowScr,
                               &TForm1::FShowBmp, &TForm1::FShowJpg})
        f->*flag = false;
    f->RefreshFileList();
    EXPECT_EQ(Captions(), QStringList{QStringLiteral("multi.ico")});

    f->FShowIco = false;
    f->RefreshFileList();
    EXPECT_EQ(f->ListView1->Items()->Count(), 0);
    EXPECT_EQ(Status(), QStringLiteral("一共0个图标可供浏览！"));
    EXPECT_FALSE(f->SaveButton->Enabled());
    EXPECT_FALSE(f->DeleteMenu->Enabled());
    EXPECT_TRUE(f->FirstButton->Enabled());
}

TEST_F(BrowserTest, FileSizesBeyondTwoGibibytesAreShownWhole)
{
    const QString big = FIcons + QStringLiteral("/huge.ico");
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // Sparse: no disk space is used.
        ASSERT_TRUE(f.resize(qint64(5) << 30));
    }
    TForm1* f = Open(FIcons);
    const int row = int(Captions().indexOf(QStringLiteral("huge.ico")));
    ASSERT_GE(row, 0);
    EXPECT_EQ(Cell(row, 1), QStringLiteral("5368709120"));
    (void)f;
}

TEST_F(BrowserTest, SelectingARowPreviewsItsIconAndMovesTheCurrentIndex)
{
    TForm1* f = Open(FIcons);
    const int setup = int(Captions().indexOf(QStringLiteral("SETUP.EXE")));
    ASSERT_GE(setup, 0);

    f->ListView1->Items()->Item(setup + 1)->SetSelected(true);
    EXPECT_EQ(f->FCurrentIndex, setup + 1);
    EXPECT_EQ(Preview(), Expected(FLibrary, 1));
    EXPECT_NE(Expected(FLibrary, 0), Expected(FLibrary, 1));

    f->StatusBar1->Panels()->Items(1)->SetText(QStringLiteral("something else"));
    f->ListView1->Items()->Item(setup)->SetSelected(true);
    EXPECT_EQ(f->FCurrentIndex, setup);
    EXPECT_EQ(Preview(), Expected(FLibrary, 0));
    EXPECT_EQ(Status(), QStringLiteral("一共%1个图标可供浏览！").arg(f->ListView1->Items()->Count()));

    // Clearing the selection keeps the preview and the current index.
    f->ListView1->SetSelected(nullptr);
    EXPECT_EQ(f->FCurrentIndex, setup);
    EXPECT_EQ(Preview(), Expected(FLibrary, 0));

    // An .ico row shows the file's icon; a .bmp row shows nothing.
    const int ico = int(Captions().indexOf(QStringLiteral("multi.ico")));
    f->ListView1->Items()->Item(ico)->SetSelected(true);
    EXPECT_EQ(Preview(), Expected(FIcons + QStringLiteral("/multi.ico"), 0));
    const int bmp = int(Captions().indexOf(QStringLiteral("picture.bmp")));
    f->ListView1->Items()->Item(bmp)->SetSelected(true);
    EXPECT_TRUE(Preview().empty());
}

TEST_F(BrowserTest, AFileGoneSinceTheScanPreviewsNothing)
{
    TForm1* f = Open(FIcons);
    const int row = int(Captions().indexOf(QStringLiteral("SETUP.EXE")));
    ASSERT_TRUE(QFile::remove(FIcons + QStringLiteral("/SETUP.EXE")));
    f->ListView1->Items()->Item(row)->SetSelected(true);
    EXPECT_EQ(f->FCurrentIndex, row);
    EXPECT_EQ(f->PreView->Picture()->Icon()->GetHandle(), HICON(0));
}

TEST_F(BrowserTest, NavigationWrapsAroundAndFollowsTheCurrentIndex)
{
    TForm1* f = Open(FIcons);
    const int n = f->ListView1->Items()->Count();
    ASSERT_GE(n, 5);

    f->TopClick(nullptr);
    EXPECT_EQ(f->ListView1->ItemIndex(), 0);
    EXPECT_EQ(f->FCurrentIndex, 0);
    f->BackClick(nullptr);
    EXPECT_EQ(f->ListView1->ItemIndex(), n - 1);
    f->ForwardClick(nullptr);
    EXPECT_EQ(f->ListView1->ItemIndex(), 0);
    f->ForwardClick(nullptr);
    EXPECT_EQ(f->ListView1->ItemIndex(), 1);
    f->BottomClick(nullptr);
    EXPECT_EQ(f->FCurrentIndex, n - 1);

    // With the selection cleared at index 2, next goes to 3 and previous to 1.
    f->ListView1->SetItemIndex(2);
    f->ListView1->SetSelected(nullptr);
    ASSERT_EQ(f->FCurrentIndex, 2);
    f->ForwardClick(nullptr);
    EXPECT_EQ(f->ListView1->ItemIndex(), 3);
    f->ListView1->SetSelected(nullptr);
    f->BackClick(nullptr);
    EXPECT_EQ(f->ListView1->ItemIndex(), 2);

    // The preview follows every step.
    EXPECT_EQ(Preview(), Expected(FIcons + QLatin1Char('/') + Cell(2, 0), Cell(2, 2).toInt()));
}

TEST_F(BrowserTest, NavigationOnAnEmptyListChangesNothing)
{
    const QString empty = MakeFolder(QStringLiteral("nothing"));
    TForm1* f = Open(empty);
    f->FCurrentIndex = 3;
    for (auto command : {&TForm1::TopClick, &TForm1::BackClick, &TForm1::ForwardClick, &TForm1::BottomClick,
                         &TForm1::SaveMenuClick, &TForm1::DeleteMenuClick, &TForm1::PreviewMenuClick})
        (f->*command)(nullptr);
    EXPECT_EQ(f->ListView1->SelCount(), 0);
    EXPECT_EQ(f->FCurrentIndex, 3);
    EXPECT_TRUE(MessageBoxSeam::Shown().empty());
}

TEST_F(BrowserTest, PreviewCommandReselectsTheCurrentRowOfARebuiltList)
{
    TForm1* f = Open(FIcons);
    const int last = f->ListView1->Items()->Count() - 1;
    f->ListView1->SetItemIndex(last);
    f->FShowOcx = false;
    f->RefreshFileList();
    ASSERT_LT(f->ListView1->Items()->Count(), last + 1);
    f->PreviewMenuClick(nullptr);
    EXPECT_EQ(f->ListView1->SelCount(), 0);
    EXPECT_EQ(f->FCurrentIndex, last);

    f->FCurrentIndex = 1;
    f->PreviewMenuClick(nullptr);
    EXPECT_EQ(f->ListView1->ItemIndex(), 1);
    EXPECT_EQ(Preview(), Expected(FIcons + QLatin1Char('/') + Cell(1, 0), Cell(1, 2).toInt()));
}

TEST_F(BrowserTest, UpGoesToTheParentThenToTheRootAndStaysThere)
{
    const QString inner = MakeFolder(QStringLiteral("icons/inner"));
    TForm1* f = Open(inner);
    f->UpClick(nullptr);
    EXPECT_EQ(f->FCurrentDir, FIcons);
    EXPECT_EQ(f->DirectoryListBox1->Directory(), FIcons);
    EXPECT_EQ(f->ListView1->Items()->Count(), 3 * FGroups + 2);

    // A top-level folder goes to "/"; "/" stays, and the list is still rebuilt.
    f->DirectoryListBox1->SetDirectory(QStringLiteral("/tmp"));
    f->UpClick(nullptr);
    EXPECT_EQ(f->FCurrentDir, QStringLiteral("/"));
    f->StatusBar1->Panels()->Items(1)->SetText(QString());
    f->UpClick(nullptr);
    EXPECT_EQ(f->FCurrentDir, QStringLiteral("/"));
    EXPECT_TRUE(Status().startsWith(QStringLiteral("一共")));
}

TEST_F(BrowserTest, SaveProposesANameAndWritesTheIconWithIcoAdded)
{
    TForm1* f = Open(FIcons);
    const int row = int(Captions().indexOf(QStringLiteral("SETUP.EXE"))) + 2;
    f->FCurrentIndex = row;
    const QString out = MakeFolder(QStringLiteral("out"));

    TSaveDialog::SetNextResult(out + QStringLiteral("/SETUP2"));
    f->SaveMenuClick(nullptr);
    EXPECT_EQ(TSaveDialog::LastFileName(), QStringLiteral("SETUP2"));
    EXPECT_EQ(TSaveDialog::LastFilter(),
              QStringLiteral("图标文件(*.ico)|*.ico|原始图标(*.ico)|*.ico|PNG 图像(*.png)|*.png"));
    const QByteArray written = ReadAll(out + QStringLiteral("/SETUP2.ico"));
    ASSERT_EQ(written.size(), 766);

    // The same icon saved by the writer directly gives the same bytes.
    TIcon icon;
    icon.SetHandle(ExtractIconA(0, QFile::encodeName(FLibrary).constData(), 2));
    const auto& expected = icon.Encoded();
    EXPECT_EQ(written, QByteArray(reinterpret_cast<const char*>(expected.data()), qsizetype(expected.size())));

    // A name that ends in .ico, in any case, is kept as it is.
    TSaveDialog::SetNextResult(out + QStringLiteral("/Chosen.ICO"));
    f->SaveMenuClick(nullptr);
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("/Chosen.ICO")));
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("/Chosen.ICO.ico")));

    // Cancel writes nothing.
    const auto before = QDir(out).entryList(QDir::Files);
    TSaveDialog::SetNextResult(std::nullopt);
    f->SaveMenuClick(nullptr);
    EXPECT_EQ(QDir(out).entryList(QDir::Files), before);

    // Double-click saves the same way.
    TSaveDialog::SetNextResult(out + QStringLiteral("/clicked"));
    f->ListViewDblClick(nullptr);
    EXPECT_EQ(ReadAll(out + QStringLiteral("/clicked.ico")), written);
    EXPECT_TRUE(MessageBoxSeam::Shown().empty());
}

TEST_F(BrowserTest, SaveAsksAboutTheFileItWritesAndKeepsItWhenRefused)
{
    TForm1* f = Open(FIcons);
    f->FCurrentIndex = int(Captions().indexOf(QStringLiteral("SETUP.EXE")));
    const QString out = MakeFolder(QStringLiteral("out"));
    const QString existing = out + QStringLiteral("/notepad0.ico");
    std::ofstream(existing.toStdString()) << "keep me";

    TSaveDialog::SetNextResult(out + QStringLiteral("/notepad0"));
    MessageBoxSeam::SetNextAnswer(IDNO);
    f->SaveMenuClick(nullptr);
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 1u);
    EXPECT_TRUE(MessageBoxSeam::Shown()[0].Text.contains(existing));
    EXPECT_EQ(ReadAll(existing), QByteArray("keep me"));

    TSaveDialog::SetNextResult(out + QStringLiteral("/notepad0"));
    MessageBoxSeam::SetNextAnswer(IDYES);
    f->SaveMenuClick(nullptr);
    EXPECT_EQ(ReadAll(existing).size(), 766);

    // A name that does not exist yet with .ico added is not asked about.
    MessageBoxSeam::ClearShown();
    TSaveDialog::SetNextResult(out + QStringLiteral("/fresh"));
    f->SaveMenuClick(nullptr);
    EXPECT_TRUE(MessageBoxSeam::Shown().empty());
}

TEST_F(BrowserTest, AFailedSaveReportsAndLeavesNoFile)
{
    TForm1* f = Open(FIcons);
    f->FCurrentIndex = int(Captions().indexOf(QStringLiteral("picture.bmp")));
    const QString out = MakeFolder(QStringLiteral("out"));
    const QString existing = out + QStringLiteral("/picture0.ico");
    std::ofstream(existing.toStdString()) << "old";

    TSaveDialog::SetNextResult(out + QStringLiteral("/picture0"));
    MessageBoxSeam::SetNextAnswer(IDYES); // replace?
    MessageBoxSeam::SetNextAnswer(IDOK);  // the failure
    f->SaveMenuClick(nullptr);
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 2u);
    EXPECT_EQ(MessageBoxSeam::Shown()[1].Text, QStringLiteral("不支持这种格式的图标文件！"));
    EXPECT_EQ(MessageBoxSeam::Shown()[1].Caption, QStringLiteral("Glimmerwick:"));
    EXPECT_EQ(MessageBoxSeam::Shown()[1].Flags, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(ReadAll(existing), QByteArray("old"));
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("picture0.ico")});
}

TEST_F(BrowserTest, DeleteAsksAndRemovesEveryRowOfTheFile)
{
    TForm1* f = Open(FIcons);
    const int n = f->ListView1->Items()->Count();
    const int row = int(Captions().indexOf(QStringLiteral("a.b.dll"))) + 1;
    f->FCurrentIndex = row;
    const QString path = FIcons + QStringLiteral("/a.b.dll");

    MessageBoxSeam::SetNextAnswer(IDCANCEL);
    f->DeleteMenuClick(nullptr);
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 1u);
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Text, QStringLiteral("确定要删除") + path + QStringLiteral("，这会删除整个文件？"));
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Flags, unsigned(MB_OKCANCEL | MB_ICONINFORMATION));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(f->ListView1->Items()->Count(), n);
    EXPECT_EQ(Preview(), Expected(FLibrary, 1));

    MessageBoxSeam::SetNextAnswer(IDOK);
    f->DeleteMenuClick(nullptr);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(f->ListView1->Items()->Count(), n - FGroups);
    EXPECT_FALSE(Captions().contains(QStringLiteral("a.b.dll")));
}

TEST_F(BrowserTest, FileNamesThatAreNotUtf8AreListedPreviewedSavedAndDeleted)
{
    const QByteArray raw = QFile::encodeName(FIcons) + "/caf\xe9-\xff.dll";
    ASSERT_EQ(::link(QFile::encodeName(FLibrary).constData(), raw.constData()), 0);
    TForm1* f = Open(FIcons);
    int row = -1;
    for (int i = 0; i < f->ListView1->Items()->Count(); ++i)
        if (Cell(i, 0).startsWith(QStringLiteral("caf")))
            row = row < 0 ? i : row;
    ASSERT_GE(row, 0);
    EXPECT_EQ(Cell(row, 2), QStringLiteral("0"));

    f->ListView1->SetItemIndex(row + 1);
    EXPECT_EQ(Preview(), Expected(FLibrary, 1));

    const QString out = MakeFolder(QStringLiteral("out"));
    TSaveDialog::SetNextResult(out + QStringLiteral("/odd"));
    f->SaveMenuClick(nullptr);
    EXPECT_EQ(ReadAll(out + QStringLiteral("/odd.ico")).size(), 766);

    MessageBoxSeam::SetNextAnswer(IDOK);
    f->DeleteMenuClick(nullptr);
    struct stat st;
    EXPECT_NE(::stat(raw.constData(), &st), 0);
}

TEST_F(BrowserTest, ARebuildDuringAScanEndsTheOuterScan)
{
    const QString other = MakeFolder(QStringLiteral("other"));
    ASSERT_TRUE(QFile::copy(kData + QStringLiteral("/multi.ico"), other + QStringLiteral("/only.ico")));
    TForm1* f = Open(FIcons);

    // The first time the scan lets events through, the folder changes.
    bool moved = false;
    QTimer::singleShot(0, f, [&] {
        moved = true;
        f->DirectoryListBox1->SetDirectory(other);
    });
    f->RefreshFileList();
    ASSERT_TRUE(moved);
    EXPECT_EQ(Captions(), QStringList{QStringLiteral("only.ico")});
    EXPECT_EQ(Status(), QStringLiteral("一共1个图标可供浏览！"));
}

// The full-fidelity choices of the save dialog, as a user meets them: a click on the
// row and Ctrl+S open the real dialog with the three types, the 16-colour icon
// first; Escape closes it without writing. The choice then goes through the dialog's
// seam (typed names do not enable Qt's Save button under the offscreen platform):
// the group as stored is checked against wrestool and icotool, the PNG against the
// image icotool extracts.
TEST_F(BrowserTest, SaveOffersTheGroupAsStoredAndItsLargestImageAsPng)
{
    TForm1* f = Open(FIcons);
    ShowMainForm();
    const int row = int(Captions().indexOf(QStringLiteral("SETUP.EXE"))) + 3;  // group 42
    ASSERT_EQ(f->ListView1->Items()->Item(row)->SubItems()->Strings(1), QStringLiteral("3"));
    QTreeView* view = f->ListView1;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(row, 0)).center());
    QTRY_COMPARE(f->FCurrentIndex, row);

    QStringList offered;
    int first = -1;
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, &offered, &first] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_TRUE(types);
        for (int i = 0; i < types->count(); ++i)
            offered << types->itemText(i);
        first = types->currentIndex();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    timer->start(5);
    QTimer::singleShot(10000, qApp, [] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    const auto before = QDir(FIcons).entryList(QDir::Files);
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(offered, (QStringList{QStringLiteral("图标文件(*.ico)"), QStringLiteral("原始图标(*.ico)"),
                                    QStringLiteral("PNG 图像(*.png)")}));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(QDir(FIcons).entryList(QDir::Files), before);

    const QString out = MakeFolder(QStringLiteral("out"));
    TSaveDialog::SetNextResult(out + QStringLiteral("/whole"), 2);
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    const QByteArray whole = ReadAll(out + QStringLiteral("/whole.ico"));
    const QString theirs = out + QStringLiteral("/theirs.ico");
    Sh(QStringLiteral("%1 -x --type=14 --name=42 -o '%2' '%3' 2>/dev/null").arg(GW_WRESTOOL, theirs, FLibrary));
    const auto ours = IcoImages(whole), expected = IcoImages(ReadAll(theirs));
    ASSERT_EQ(ours.size(), 4u);
    EXPECT_EQ(ours, expected);

    TSaveDialog::SetNextResult(out + QStringLiteral("/large"), 3);
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    const QString png = out + QStringLiteral("/large.png");
    Sh(QStringLiteral("%1 -x -i 4 -o '%2' '%3' 2>/dev/null").arg(GW_ICOTOOL, out + QStringLiteral("/ref.png"), theirs));
    const QImage a = PngPixels(png), b = PngPixels(out + QStringLiteral("/ref.png"));
    ASSERT_EQ(a.size(), QSize(256, 256));
    ASSERT_EQ(b.size(), QSize(256, 256));
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            ASSERT_TRUE(qAlpha(a.pixel(x, y)) == 0 ? qAlpha(b.pixel(x, y)) == 0 : a.pixel(x, y) == b.pixel(x, y))
                << x << "," << y;

    // The next Save offers the 16-colour icon first again and writes it.
    TSaveDialog::SetNextResult(out + QStringLiteral("/small"));
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadAll(out + QStringLiteral("/small.ico")).size(), 766);
    EXPECT_TRUE(MessageBoxSeam::Shown().empty());
}

// The row is the data and the cells only show it: a row chosen by the mouse is saved,
// copied and deleted as the file and icon it was listed for, whatever its cells say.
TEST_F(BrowserTest, ARowsCommandsTakeTheRowNotItsCells)
{
    TForm1* f = Open(FIcons);
    ShowMainForm();
    const int row = int(Captions().indexOf(QStringLiteral("a.b.dll"))) + 3;  // group 42
    f->ListView1->Items()->Item(row)->SubItems()->SetStrings(1, QStringLiteral("0"));
    QTreeView* view = f->ListView1;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(row, 0)).center());
    QTRY_COMPARE(f->FCurrentIndex, row);

    const QString out = MakeFolder(QStringLiteral("out"));
    const QString theirs = out + QStringLiteral("/theirs.ico");
    Sh(QStringLiteral("%1 -x --type=14 --name=42 -o '%2' '%3' 2>/dev/null").arg(GW_WRESTOOL, theirs, FLibrary));
    const auto expected = IcoImages(ReadAll(theirs));
    ASSERT_EQ(expected.size(), 4u);
    TSaveDialog::SetNextResult(out + QStringLiteral("/saved"), 2);
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(IcoImages(ReadAll(out + QStringLiteral("/saved.ico"))), expected);

    // Copied: the type saved last, under the name Save proposes for the row.
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied);
    ASSERT_EQ(copied->urls().size(), 1);
    EXPECT_EQ(copied->urls().front().fileName(), QStringLiteral("a.b3.ico"));
    EXPECT_EQ(IcoImages(ReadAll(copied->urls().front().toLocalFile())), expected);

    MessageBoxSeam::SetNextAnswer(IDOK);
    QTest::keyClick(view, Qt::Key_D, Qt::ControlModifier);
    EXPECT_FALSE(QFile::exists(FIcons + QStringLiteral("/a.b.dll")));
    EXPECT_TRUE(QFile::exists(FIcons + QStringLiteral("/SETUP.EXE")));
    EXPECT_FALSE(Captions().contains(QStringLiteral("a.b.dll")));
}

TEST_F(BrowserTest, FullFidelitySaveKeepsTheSavePromises)
{
    TForm1* f = Open(FIcons);
    const QString out = MakeFolder(QStringLiteral("out"));
    f->FCurrentIndex = int(Captions().indexOf(QStringLiteral("multi.ico")));

    // An .ico row saved as stored is the file's own images; .PNG in any case is kept.
    TSaveDialog::SetNextResult(out + QStringLiteral("/copy"), 2);
    f->SaveMenuClick(nullptr);
    EXPECT_EQ(IcoImages(ReadAll(out + QStringLiteral("/copy.ico"))), IcoImages(ReadAll(FIcons + QStringLiteral("/multi.ico"))));
    TSaveDialog::SetNextResult(out + QStringLiteral("/Big.PNG"), 3);
    f->SaveMenuClick(nullptr);
    EXPECT_FALSE(PngPixels(out + QStringLiteral("/Big.PNG")).isNull());
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("/Big.PNG.png")));

    // Through a link to the file it names, which keeps its mode; refused: untouched.
    const QString target = out + QStringLiteral("/target.png");
    std::ofstream(target.toStdString()) << "old";
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    ASSERT_EQ(::symlink("target.png", QFile::encodeName(out + QStringLiteral("/link.png")).constData()), 0);
    TSaveDialog::SetNextResult(out + QStringLiteral("/link"), 3);
    MessageBoxSeam::SetNextAnswer(IDYES);
    f->SaveMenuClick(nullptr);
    EXPECT_TRUE(QFileInfo(out + QStringLiteral("/link.png")).isSymLink());
    EXPECT_FALSE(PngPixels(target).isNull());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A file without icons: the failure message, and the existing file kept.
    f->FCurrentIndex = int(Captions().indexOf(QStringLiteral("picture.bmp")));
    const QString existing = out + QStringLiteral("/picture0.ico");
    std::ofstream(existing.toStdString()) << "old";
    MessageBoxSeam::ClearShown();
    TSaveDialog::SetNextResult(out + QStringLiteral("/picture0"), 2);
    MessageBoxSeam::SetNextAnswer(IDYES);
    MessageBoxSeam::SetNextAnswer(IDOK);
    f->SaveMenuClick(nullptr);
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 2u);
    EXPECT_EQ(MessageBoxSeam::Shown()[1].Text, QStringLiteral("不支持这种格式的图标文件！"));
    EXPECT_EQ(ReadAll(existing), QByteArray("old"));
}

} // namespace

namespace {

QString AccessibleText(QObject* object, QAccessible::Text text)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(object);
    return a ? a->text(text) : QString();
}

} // namespace

TEST_F(BrowserTest, ScreenReadersFindEveryControlNamedAndReadTheRowsAndThePreview)
{
    TForm1* f = Open(FIcons);
    ShowMainForm();
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));

    // Every control Tab reaches, and every button of the caption and the tool bar.
    QList<QWidget*> controls;
    f->ListView1->setFocus();
    for (int i = 0; i < 12; ++i) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_TRUE(focused);
        if (!controls.contains(focused))
            controls << focused;
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    for (QAbstractButton* b : f->findChildren<QAbstractButton*>())
        if (b->isVisible() && !(qobject_cast<TToolButton*>(b) && qobject_cast<TToolButton*>(b)->Style() == tbsSeparator))
            controls << b;
    ASSERT_GE(controls.size(), 4 + 9);
    for (QWidget* w : controls) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_TRUE(a) << w->objectName().toStdString();
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << w->metaObject()->className() << " " << w->objectName().toStdString();
        EXPECT_NE(a->role(), QAccessible::Client) << w->objectName().toStdString();
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(f->ToolButton1)->role(), QAccessible::Separator);
    EXPECT_EQ(AccessibleText(f->UpButton, QAccessible::Name), QStringLiteral("向上"));
    EXPECT_EQ(AccessibleText(f->UpButton, QAccessible::Description), QStringLiteral("浏览上一级文件夹"));
    EXPECT_EQ(AccessibleText(f->ListView1, QAccessible::Name), QStringLiteral("图标列表"));

    // The first row, clicked, is read cell by cell; the preview says what it shows.
    const QRect row = f->ListView1->visualRect(f->ListView1->model()->index(0, 0));
    QTest::mouseClick(f->ListView1->viewport(), Qt::LeftButton, {}, row.center());
    QAccessibleTableInterface* table = QAccessible::queryAccessibleInterface(f->ListView1)->tableInterface();
    ASSERT_TRUE(table);
    for (int column = 0; column < 3; ++column) {
        QAccessibleInterface* cell = table->cellAt(0, column);
        ASSERT_TRUE(cell);
        EXPECT_EQ(cell->text(QAccessible::Name), Cell(0, column)) << column;
    }
    QTRY_COMPARE(AccessibleText(f->PreView, QAccessible::Description),
                 QStringLiteral("%1，图标%2").arg(Cell(0, 0), Cell(0, 2)));
    EXPECT_EQ(AccessibleText(f->PreView, QAccessible::Name), QStringLiteral("预览"));

    // F6 steps through the panes and around; Shift+F6 back.
    const TKeyStep steps[] = {
        {Qt::Key_F6, f->UpButton},  {Qt::Key_F6, f->Drive1},    {Qt::Key_F6, f->DirectoryListBox1},
        {Qt::Key_F6, f->ListView1}, {Qt::SHIFT | Qt::Key_F6, f->DirectoryListBox1},
        {Qt::SHIFT | Qt::Key_F6, f->Drive1}, {Qt::SHIFT | Qt::Key_F6, f->UpButton},
    };
    PressKeys(steps);
}

TEST_F(BrowserTest, TheKeyboardReachesTheToolBarMovesAlongItAndPressesItsButtons)
{
    TForm1* f = Open(FIcons);
    ShowMainForm();
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    const int n = f->ListView1->Items()->Count();
    ASSERT_GE(n, 5);
    // The window opens with the focus in the drive box.
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->Drive1));
    QTest::mouseClick(f->ListView1->viewport(), Qt::LeftButton, {},
                      f->ListView1->visualRect(f->ListView1->model()->index(0, 0)).center());
    ASSERT_EQ(f->ListView1->ItemIndex(), 0);

    // Tab stops once in the tool bar; the arrows go along it, over the separators and
    // round its ends; Tab leaves it and Shift+Tab comes back to the button it left; F6
    // comes back there too.
    const TKeyStep steps[] = {
        {Qt::Key_Tab, f->UpButton},     {Qt::Key_Right, f->SaveButton},  {Qt::Key_Right, f->ExitButton},
        {Qt::Key_Right, f->FirstButton}, {Qt::Key_End, f->AboutButton},  {Qt::Key_Right, f->UpButton},
        {Qt::Key_Left, f->AboutButton},  {Qt::Key_Home, f->UpButton},    {Qt::Key_Down, f->SaveButton},
        {Qt::Key_Tab, f->Drive1},        {Qt::SHIFT | Qt::Key_Tab, f->SaveButton},
        {Qt::Key_F6, f->Drive1},         {Qt::Key_F6, f->DirectoryListBox1}, {Qt::Key_F6, f->ListView1},
        {Qt::Key_F6, f->SaveButton},     {Qt::Key_Right, f->ExitButton}, {Qt::Key_Right, f->FirstButton},
        {Qt::Key_Right, f->BackButton},  {Qt::Key_Right, f->ForwardButton},
    };
    PressKeys(steps);

    // Space and Enter press the focused button, which keeps the focus.
    QTest::keyClick(f->ForwardButton, Qt::Key_Space);
    EXPECT_EQ(f->ListView1->ItemIndex(), 1);
    QTest::keyClick(f->ForwardButton, Qt::Key_Return);
    EXPECT_EQ(f->ListView1->ItemIndex(), 2);
    EXPECT_EQ(QApplication::focusWidget(), f->ForwardButton);
    QTest::keyClick(f->ForwardButton, Qt::Key_Right);
    QTest::keyClick(f->LastButton, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(f->ListView1->ItemIndex(), n - 1);
    // A click presses a button without taking the focus.
    f->ListView1->setFocus();
    QTest::mouseClick(f->FirstButton, Qt::LeftButton);
    EXPECT_EQ(f->ListView1->ItemIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), f->ListView1);

    // In a folder without icons Save is disabled, and the keys pass over it.
    const TKeyStep up[] = {{Qt::SHIFT | Qt::Key_F6, f->DirectoryListBox1}, {Qt::SHIFT | Qt::Key_F6, f->Drive1},
                           {Qt::SHIFT | Qt::Key_F6, f->LastButton},        {Qt::Key_Home, f->UpButton}};
    PressKeys(up);
    QTest::keyClick(f->UpButton, Qt::Key_Space);
    QTRY_COMPARE(f->ListView1->Items()->Count(), 0);
    ASSERT_FALSE(f->SaveButton->isEnabled());
    const TKeyStep past[] = {{Qt::Key_Right, f->ExitButton}, {Qt::Key_Left, f->UpButton}};
    PressKeys(past);
}
