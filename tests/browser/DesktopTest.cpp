// The main window as a desktop program: help through the desktop's viewers, Qt's own
// texts in Chinese, dragging and copying icons, a file named on the command line, the
// keys users expect, dialogs that belong to the main window, and its caption and icon.
#include "AppTestSupport.h"
#include "BrowserSupport.h"
#include "TestSupport.h"

#include "app/Startup.h"
#include "framework/Dialogs.h"
#include "framework/ShellApi.h"
#include "skin/About.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDrag>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kData = QStringLiteral(GW_TEST_DATA_DIR);
const QString kBuild = QStringLiteral(GW_BUILD_DIR);
const QString kImages = QStringLiteral(GW_TEST_IMAGES_DIR);

// Runs `check` once a modal window has opened inside the gesture that follows.
void WhenModal(std::function<void(QWidget*)> check)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, check] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            check(modal);
        }
    });
    timer->start();
}

// Same size, same alpha everywhere, same colour wherever a pixel can be seen.
::testing::AssertionResult SamePixels(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    if (x.size() != y.size())
        return ::testing::AssertionFailure() << "sizes differ";
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            if (qAlpha(p) != qAlpha(q) || (qAlpha(p) && p != q))
                return ::testing::AssertionFailure()
                       << "pixel " << col << "," << row << ": " << std::hex << p << " != " << q;
        }
    return ::testing::AssertionSuccess();
}

class DesktopTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        FIcons = MakeFolder(QStringLiteral("icons"));
        ASSERT_TRUE(QFile::copy(kData + QStringLiteral("/depth32.ico"), FIcons + QStringLiteral("/flame.ico")));
        ASSERT_TRUE(QFile::copy(kData + QStringLiteral("/groups64.dll"), FIcons + QStringLiteral("/lib.dll")));
        MessageBoxSeam::ClearAnswers();
        MessageBoxSeam::ClearShown();
        TSaveDialog::ClearResults();
        FPath = qgetenv("PATH");
    }

    void TearDown() override
    {
        qputenv("PATH", FPath);
        AppTest::TearDown();
    }

    TForm1* OpenShown()
    {
        WriteIni(AllKeysFile("1", FIcons.toStdString(), "1"));
        TForm1* f = CreateMainForm();
        ShowMainForm();
        EXPECT_TRUE(QTest::qWaitForWindowActive(f));
        return f;
    }

    // The row of `name`, as the list shows it.
    int RowOf(const QString& name) const
    {
        for (int i = 0; i < FForm->ListView1->Items()->Count(); ++i)
            if (FForm->ListView1->Items()->Item(i)->Caption() == name)
                return i;
        return -1;
    }

    QPoint RowCentre(int row) const
    {
        TListView* list = FForm->ListView1;
        return list->visualRect(list->model()->index(row, 0)).center();
    }

    // Puts fake xdg-mime and xdg-open first on PATH: xdg-mime knows a handler for the
    // listed MIME types only, xdg-open writes what it is asked to open into the log.
    QString FakeDesktop(const QStringList& handled)
    {
        const QString bin = MakeFolder(QStringLiteral("bin"));
        const QString log = FFolder + QStringLiteral("/opened.log");
        QString cases;
        for (const QString& type : handled)
            cases += QStringLiteral("  %1) echo fake-viewer.desktop ;;\n").arg(type);
        WriteScript(bin + QStringLiteral("/xdg-mime"),
                    QStringLiteral("#!/bin/sh\n[ \"$1 $2\" = \"query default\" ] || exit 1\ncase \"$3\" in\n%1esac\n")
                        .arg(cases));
        WriteScript(bin + QStringLiteral("/xdg-open"), QStringLiteral("#!/bin/sh\necho \"$1\" >> '%1'\n").arg(log));
        qputenv("PATH", (bin + QLatin1Char(':')).toUtf8() + FPath);
        return log;
    }

    static void WriteScript(const QString& path, const QString& text)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    }

    // The help pages beside the program, as the build puts them.
    void InstallHelp()
    {
        ASSERT_TRUE(QFile::copy(kBuild + QStringLiteral("/help.chm"), FFolder + QStringLiteral("/help.chm")));
        MakeFolder(QStringLiteral("help"));
        for (const QString& page : QDir(kBuild + QStringLiteral("/help")).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(kBuild + QStringLiteral("/help/") + page, FFolder + QStringLiteral("/help/") + page));
    }

    static QString ReadText(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    // What a drag of `row` started by the mouse carries.
    struct Dragged {
        bool Started = false;
        QStringList Formats;
        QByteArray Png;
        QImage Image;
        QList<QUrl> Urls;
    };
    Dragged DragRow(int row)
    {
        QWidget* viewport = FForm->ListView1->viewport();
        const QPoint start = RowCentre(row);
        Dragged d;
        // Where the platform runs the drag in a loop of its own, it is looked at from
        // inside; the offscreen platform ends it at once and Qt deletes the drag a
        // little later, so an earlier drag may still be there.
        const QList<QDrag*> earlier = FForm->ListView1->findChildren<QDrag*>();
        auto inspect = [&] {
            QDrag* drag = nullptr;
            for (QDrag* each : FForm->ListView1->findChildren<QDrag*>())
                if (!earlier.contains(each))
                    drag = each;
            if (!drag || d.Started)
                return;
            d.Started = true;
            d.Formats = drag->mimeData()->formats();
            d.Png = drag->mimeData()->data(QStringLiteral("image/png"));
            d.Image = qvariant_cast<QImage>(drag->mimeData()->imageData());
            d.Urls = drag->mimeData()->urls();
            if (QWidget* focus = QApplication::focusWidget())
                QTest::keyClick(focus, Qt::Key_Escape);
        };
        QTimer watch;
        watch.setInterval(10);
        QObject::connect(&watch, &QTimer::timeout, FForm, inspect);
        watch.start();
        QTest::mousePress(viewport, Qt::LeftButton, {}, start);
        const QPoint to = start + QPoint(40, 0);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), viewport->mapToGlobal(QPointF(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        inspect();
        watch.stop();
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
        return d;
    }

    // Ctrl+S on the list, then in the real save dialog: the file type `type` (0: the
    // 16-colour icon, 1: the group as stored, 2: PNG) picked with the arrow keys in its
    // type box, and the proposed name taken with Enter (or the dialog left with Escape).
    void SaveAs(int type, bool accept = true)
    {
        bool done = false;
        WhenModal([&done, type, accept](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_TRUE(types && name);
            QTest::keyClick(types, Qt::Key_Home);
            for (int i = 0; i < type; ++i)
                QTest::keyClick(types, Qt::Key_Down);
            EXPECT_EQ(types->currentIndex(), type);
            done = true;
            QTest::keyClick(name, accept ? Qt::Key_Return : Qt::Key_Escape);
        });
        // A dialog that does not take the keys, or a box nobody expected, must not stop
        // the test run.
        QTimer stuck;
        stuck.setSingleShot(true);
        QObject::connect(&stuck, &QTimer::timeout, qApp, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "left open: " << dialog->metaObject()->className();
                dialog->reject();
            }
        });
        stuck.start(10000);
        QTest::keyClick(FForm->ListView1, Qt::Key_S, Qt::ControlModifier);
        EXPECT_TRUE(done);
        EXPECT_FALSE(QApplication::activeModalWidget()) << "the dialog closed";
        // What a window manager does when the dialog closes; the offscreen platform
        // leaves no window active.
        FForm->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(FForm));
    }

    // Clicks row `row` and waits until it is the current one.
    void ClickRow(int row)
    {
        QTest::mouseClick(FForm->ListView1->viewport(), Qt::LeftButton, {}, RowCentre(row));
        QTRY_COMPARE(FForm->FCurrentIndex, row);
    }

    // The row of icon 3 of lib.dll: the group named 42, four images up to a 256 x 256 PNG.
    int LibraryRow() const
    {
        const int row = RowOf(QStringLiteral("lib.dll")) + 3;
        EXPECT_EQ(FForm->ListView1->Items()->Item(row)->SubItems()->Strings(1), QStringLiteral("3"));
        return row;
    }

    // What the independent tools make of that group: the .ico wrestool writes for it and
    // its largest image as icotool extracts it.
    void LibraryOracle(QByteArray& ico, QImage& largest)
    {
        const QString scratch = MakeFolder(QStringLiteral("oracle"));
        const QString theirs = scratch + QStringLiteral("/theirs.ico");
        Sh(QStringLiteral("%1 -x --type=14 --name=42 -o '%2' '%3' 2>/dev/null")
               .arg(GW_WRESTOOL, theirs, kData + QStringLiteral("/groups64.dll")));
        Sh(QStringLiteral("%1 -x -i 4 -o '%2' '%3' 2>/dev/null")
               .arg(GW_ICOTOOL, scratch + QStringLiteral("/largest.png"), theirs));
        ico = ReadAll(theirs);
        largest = QImage(scratch + QStringLiteral("/largest.png"));
        ASSERT_EQ(IcoImages(ico).size(), 4u);
        ASSERT_EQ(largest.size(), QSize(256, 256));
    }

    static QString IcotoolList(const QString& ico)
    {
        QProcess icotool;
        icotool.start(QStringLiteral(GW_ICOTOOL), {QStringLiteral("-l"), ico});
        icotool.waitForFinished(10000);
        return QString::fromUtf8(icotool.readAllStandardOutput()).trimmed();
    }

    QString FIcons;
    QByteArray FPath;
};

const QString kIco16 = QStringLiteral("--icon --index=1 --width=32 --height=32 --bit-depth=4 --palette-size=16");

TEST_F(DesktopTest, F1OpensTheHelpWithTheViewerTheDesktopHas)
{
    InstallHelp();
    TForm1* f = OpenShown();
    const QString chm = FFolder + QStringLiteral("/help.chm");
    const QString html = FFolder + QStringLiteral("/help/index.html");
    struct Case {
        QStringList handled;
        QString opened;
    } cases[] = {
        {{QStringLiteral("application/vnd.ms-htmlhelp"), QStringLiteral("text/html")}, chm},
        {{QStringLiteral("text/html")}, html},
    };
    for (const Case& c : cases) {
        const QString log = FakeDesktop(c.handled);
        QFile::remove(log);
        QTest::keyClick(f, Qt::Key_F1);
        const QString expected = QUrl::fromLocalFile(c.opened).toString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return ReadText(log).trimmed() == expected; }, 5000))
            << ReadText(log).toStdString() << " instead of " << expected.toStdString();
        EXPECT_FALSE(f->HelpWindow()) << c.handled.join(' ').toStdString();
    }

    // No viewer at all: the pages in the program's own window, in Chinese.
    const QString log = FakeDesktop({});
    QFile::remove(log);
    QTest::keyClick(f, Qt::Key_F1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f->HelpWindow() && f->HelpWindow()->isVisible(); }));
    auto* browser = qobject_cast<QTextBrowser*>(f->HelpWindow());
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->documentTitle(), QStringLiteral("Glimmerwick 使用说明"));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("图标浏览与提取工具")));
    EXPECT_EQ(browser->windowHandle()->transientParent(), f->windowHandle());
    EXPECT_FALSE(QFile::exists(log)) << "nothing was handed to the desktop";
    EXPECT_TRUE(MessageBoxSeam::Shown().empty());
}

TEST_F(DesktopTest, HelpWithoutItsFilesSaysSo)
{
    TForm1* f = OpenShown();
    FakeDesktop({QStringLiteral("application/vnd.ms-htmlhelp"), QStringLiteral("text/html")});
    MessageBoxSeam::SetNextAnswer(IDOK);
    QTest::keyClick(f, Qt::Key_F1);
    ASSERT_EQ(MessageBoxSeam::Shown().size(), std::size_t(1));
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Text, QStringLiteral("找不到帮助文件：") + FFolder + QStringLiteral("/help.chm"));
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Flags, MB_OK | MB_ICONWARNING);
    EXPECT_FALSE(f->HelpWindow());
}

TEST_F(DesktopTest, CtrlQQuitsLikeCtrlX)
{
    TForm1* f = OpenShown();
    QTest::keyClick(f, Qt::Key_Q, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f->isVisible(); }));
    TIniFile written(FIni);
    EXPECT_EQ(written.ReadString("Init", "Directory", ""), FIcons.toStdString()) << "closing wrote the settings";
}

TEST_F(DesktopTest, QtsOwnButtonsAndTheSaveDialogSpeakChinese)
{
    ASSERT_TRUE(InstallQtTranslations()) << "qt6-translations-l10n is missing";
    TForm1* f = OpenShown();
    const int row = RowOf(QStringLiteral("flame.ico"));
    ASSERT_GE(row, 0);
    QTest::mouseClick(f->ListView1->viewport(), Qt::LeftButton, {}, RowCentre(row));

    QStringList filters;
    QString saveText;
    QString cancelText;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        for (int i = 0; i < types->count(); ++i)
            filters << types->itemText(i);
        auto* box = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_NE(box, nullptr);
        saveText = box->button(QDialogButtonBox::Save)->text();
        cancelText = box->button(QDialogButtonBox::Cancel)->text();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    QTest::keyClick(f->ListView1, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(filters, (QStringList{QStringLiteral("图标文件(*.ico)"), QStringLiteral("原始图标(*.ico)"),
                                   QStringLiteral("PNG 图像(*.png)")}));
    EXPECT_EQ(saveText, QStringLiteral("保存(&S)"));
    EXPECT_EQ(cancelText, QStringLiteral("取消"));

    // A message box: the Delete confirmation, cancelled with its Chinese button.
    QStringList buttons;
    WhenModal([&](QWidget* box) {
        ASSERT_EQ(box->objectName(), QStringLiteral("MessageBox"));
        EXPECT_EQ(box->windowHandle()->transientParent(), f->windowHandle());
        TButton* cancel = nullptr;
        for (TButton* b : box->findChildren<TButton*>()) {
            buttons << b->Caption();
            if (b->ModalResult() == IDCANCEL)
                cancel = b;
        }
        ASSERT_NE(cancel, nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    QTest::keyClick(f->ListView1, Qt::Key_D, Qt::ControlModifier);
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("取消"), QStringLiteral("确定")}));
    EXPECT_TRUE(QFile::exists(FIcons + QStringLiteral("/flame.ico")));
}

TEST_F(DesktopTest, SaveDialogFiltersShowTheirPatternsOnce)
{
    const struct {
        const char* filter;
        QStringList expected;
    } cases[] = {
        {"图标文件(*.ico)|*.ico", {QStringLiteral("图标文件(*.ico)")}},
        {"图标文件|*.ico", {QStringLiteral("图标文件 (*.ico)")}},
        {"Icons (*.ico)|*.ico|PNG|*.png", {QStringLiteral("Icons (*.ico)"), QStringLiteral("PNG (*.png)")}},
        // Brackets that name other patterns are part of the description.
        {"Bilder(*.bmp)|*.png;*.jpg", {QStringLiteral("Bilder(*.bmp) (*.png *.jpg)")}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TSaveDialog::NameFilters(QString::fromUtf8(c.filter)), c.expected) << c.filter;
}

TEST_F(DesktopTest, DialogsBelongToTheMainWindow)
{
    TForm1* f = OpenShown();
    QWindow* parent = nullptr;
    WhenModal([&](QWidget* modal) {
        parent = modal->windowHandle() ? modal->windowHandle()->transientParent() : nullptr;
        auto* about = qobject_cast<TAboutBox*>(modal);
        ASSERT_NE(about, nullptr);
        QTest::mouseClick(about->OKButton, Qt::LeftButton);
    });
    QTest::mouseClick(f->AboutButton, Qt::LeftButton);
    EXPECT_EQ(parent, f->windowHandle());
}

TEST_F(DesktopTest, DraggingARowGivesTheIconAsIcoFileAndPng)
{
    OpenShown();
    const int row = RowOf(QStringLiteral("flame.ico"));
    ASSERT_GE(row, 0);
    const Dragged d = DragRow(row);
    ASSERT_TRUE(d.Started);
    const QStringList& formats = d.Formats;
    const QByteArray& png = d.Png;
    const QList<QUrl>& urls = d.Urls;

    EXPECT_TRUE(formats.contains(QStringLiteral("image/png")));
    EXPECT_TRUE(formats.contains(QStringLiteral("text/uri-list")));
    // The PNG holds the icon's pixels: those of the image icotool made the icon from.
    const QImage image = QImage::fromData(png, "PNG").convertToFormat(QImage::Format_ARGB32);
    const QImage source = QImage(kImages + QStringLiteral("/alpha_32.png")).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(image.pixel(16, 16), 0xFF804080u);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_TRUE(SamePixels(image, source));
    // The .ico file is the one Save writes, named as Save proposes, and icotool reads it.
    ASSERT_EQ(urls.size(), 1);
    const QString ico = urls[0].toLocalFile();
    EXPECT_EQ(QFileInfo(ico).fileName(), QStringLiteral("flame0.ico"));
    QProcess icotool;
    icotool.start(QStringLiteral("icotool"), {QStringLiteral("-l"), ico});
    ASSERT_TRUE(icotool.waitForFinished(10000));
    EXPECT_EQ(QString::fromUtf8(icotool.readAllStandardOutput()).trimmed(),
              QStringLiteral("--icon --index=1 --width=32 --height=32 --bit-depth=4 --palette-size=16"));
}

// The file a drag (or Ctrl+C) gives is of the type last chosen in the save dialog; the
// image is the group's largest, whatever the type.
TEST_F(DesktopTest, DraggedIconsAreFilesOfTheTypeChosenLastInTheSaveDialog)
{
    OpenShown();
    QByteArray theirs;
    QImage largest;
    LibraryOracle(theirs, largest);
    ClickRow(LibraryRow());

    const struct {
        const char* What;
        int Type;     // chosen in the dialog before the drag; -1: no Save yet
        bool Accept;  // Enter, or Escape
        const char* Name;
        int Format;   // 0: 16-colour icon, 1: the group as stored, 2: PNG
    } cases[] = {
        {"before any save", -1, true, "lib3.ico", 0},
        {"group as stored", 1, true, "lib3.ico", 1},
        {"PNG", 2, true, "lib3.png", 2},
        {"a dialog left with Escape changes nothing", 0, false, "lib3.png", 2},
        {"16-colour again", 0, true, "lib3.ico", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        if (c.Type >= 0) {
            // The second save into lib3.ico asks before replacing it.
            MessageBoxSeam::SetNextAnswer(IDYES);
            SaveAs(c.Type, c.Accept);
            MessageBoxSeam::ClearAnswers();
        }
        const Dragged d = DragRow(LibraryRow());
        ASSERT_TRUE(d.Started);
        EXPECT_TRUE(SamePixels(QImage::fromData(d.Png, "PNG"), largest));
        EXPECT_TRUE(SamePixels(d.Image, largest));
        ASSERT_EQ(d.Urls.size(), 1);
        const QString file = d.Urls[0].toLocalFile();
        EXPECT_EQ(QFileInfo(file).fileName(), QString::fromLatin1(c.Name));
        switch (c.Format) {
        case 0: EXPECT_EQ(IcotoolList(file), kIco16); break;
        case 1: EXPECT_EQ(IcoImages(ReadAll(file)), IcoImages(theirs)); break;
        default: EXPECT_TRUE(SamePixels(QImage(file), largest)); break;
        }
    }

    // Ctrl+C gives the same.
    QGuiApplication::clipboard()->clear();
    MessageBoxSeam::SetNextAnswer(IDYES);
    SaveAs(1);
    ClickRow(LibraryRow());
    QTest::keyClick(FForm->ListView1, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(SamePixels(QImage::fromData(data->data(QStringLiteral("image/png")), "PNG"), largest));
    ASSERT_EQ(data->urls().size(), 1);
    EXPECT_EQ(IcoImages(ReadAll(data->urls()[0].toLocalFile())), IcoImages(theirs));
}

// Saved through the real dialog, the group as stored and the PNG keep the writer's
// promises: a read-only file is refused and stays, a link is written through.
TEST_F(DesktopTest, FullFidelitySavesRefuseReadOnlyFilesAndWriteThroughLinks)
{
    OpenShown();
    QByteArray theirs;
    QImage largest;
    LibraryOracle(theirs, largest);
    ClickRow(LibraryRow());
    const QString kept = MakeFolder(QStringLiteral("kept"));

    for (const QString& name : {QStringLiteral("lib3.ico"), QStringLiteral("lib3.png")}) {
        SCOPED_TRACE(name.toStdString());
        const int type = name.endsWith(QStringLiteral(".png")) ? 2 : 1;
        const QString path = FIcons + QLatin1Char('/') + name;
        const QByteArray raw = QFile::encodeName(path);

        // Read-only: the failure message, the file as it was (also for root).
        gwtest::WriteBytes(raw.toStdString(), {'o', 'l', 'd'});
        ASSERT_EQ(::chmod(raw.constData(), 0444), 0);
        MessageBoxSeam::ClearShown();
        MessageBoxSeam::SetNextAnswer(IDYES);  // replace?
        MessageBoxSeam::SetNextAnswer(IDOK);   // the failure
        SaveAs(type);
        ASSERT_EQ(MessageBoxSeam::Shown().size(), 2u);
        EXPECT_EQ(MessageBoxSeam::Shown()[1].Text, QStringLiteral("不支持这种格式的图标文件！"));
        EXPECT_EQ(ReadAll(path), QByteArray("old"));
        ASSERT_EQ(::unlink(raw.constData()), 0);

        // A link: it stays, the file it names gets the bytes and keeps its mode.
        const QString real = kept + QLatin1Char('/') + name;
        gwtest::WriteBytes(QFile::encodeName(real).toStdString(), {'o', 'l', 'd'});
        ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
        ASSERT_EQ(::symlink(QFile::encodeName(QStringLiteral("../kept/") + name).constData(), raw.constData()), 0);
        MessageBoxSeam::ClearShown();
        MessageBoxSeam::SetNextAnswer(IDYES);
        SaveAs(type);
        EXPECT_EQ(MessageBoxSeam::Shown().size(), 1u) << "only the question";
        EXPECT_TRUE(QFileInfo(path).isSymLink());
        if (type == 1)
            EXPECT_EQ(IcoImages(ReadAll(real)), IcoImages(theirs));
        else
            EXPECT_TRUE(SamePixels(QImage(real), largest));
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
    }
    EXPECT_EQ(QDir(FIcons).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(QStringLiteral(".glimmerwick")),
              QStringList()) << "no temporary file left";
}

// On a FAT file system (a USB stick: no hard links, no modes) the full-fidelity types
// are saved and replaced like the 16-colour icon.
TEST_F(DesktopTest, FullFidelitySavesWorkOnFat)
{
    gwtest::FatImage fat;
    if (!fat.Mounted())
        GTEST_SKIP() << "no FAT image: " << fat.Why();
    FIcons = QFile::decodeName(QByteArray::fromStdString(fat.Path()));
    ASSERT_TRUE(QFile::copy(kData + QStringLiteral("/groups64.dll"), FIcons + QStringLiteral("/lib.dll")));
    OpenShown();
    QByteArray theirs;
    QImage largest;
    LibraryOracle(theirs, largest);
    ClickRow(LibraryRow());
    const QString ico = FIcons + QStringLiteral("/lib3.ico"), png = FIcons + QStringLiteral("/lib3.png");
    MessageBoxSeam::ClearShown();
    SaveAs(1);
    EXPECT_EQ(IcoImages(ReadAll(ico)), IcoImages(theirs));
    SaveAs(2);
    EXPECT_TRUE(SamePixels(QImage(png), largest));
    EXPECT_TRUE(MessageBoxSeam::Shown().empty()) << "new names: no question, no failure";

    // Replacing, each time after the question.
    for (int i = 0; i < 3; ++i)
        MessageBoxSeam::SetNextAnswer(IDYES);
    SaveAs(0);
    EXPECT_EQ(IcotoolList(ico), kIco16);
    SaveAs(1);
    EXPECT_EQ(IcoImages(ReadAll(ico)), IcoImages(theirs));
    SaveAs(2);
    EXPECT_TRUE(SamePixels(QImage(png), largest));
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 3u);
    EXPECT_TRUE(MessageBoxSeam::Shown()[2].Text.endsWith(QStringLiteral("/lib3.png 已存在。\n要替换它吗？")));
    QStringList names = QDir(FIcons).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("lib.dll"), QStringLiteral("lib3.ico"), QStringLiteral("lib3.png")}));
}

TEST_F(DesktopTest, CtrlCPutsTheIconImageOnTheClipboard)
{
    TForm1* f = OpenShown();
    QGuiApplication::clipboard()->clear();
    const int row = RowOf(QStringLiteral("flame.ico"));
    ASSERT_GE(row, 0);
    QTest::mouseClick(f->ListView1->viewport(), Qt::LeftButton, {}, RowCentre(row));
    QTest::keyClick(f->ListView1, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    const QImage image = QImage::fromData(data->data(QStringLiteral("image/png")), "PNG").convertToFormat(QImage::Format_ARGB32);
    EXPECT_TRUE(SamePixels(image, QImage(kImages + QStringLiteral("/alpha_32.png"))));
    EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).convertToFormat(QImage::Format_ARGB32).pixel(16, 16), 0xFF804080u);
}

TEST_F(DesktopTest, AFileNamedAtStartIsSelectedInItsFolder)
{
    WriteIni(AllKeysFile("1", FFolder.toStdString(), "1"));
    std::unique_ptr<TNeoForm> neo(CreateApplicationForms(QFile::encodeName(FIcons), "lib.dll"));
    FForm = Form1;
    EXPECT_EQ(FForm->FCurrentDir, FIcons) << "the named folder, not the remembered one";
    TListItem* selected = FForm->ListView1->Selected();
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(selected->Caption(), QStringLiteral("lib.dll"));
    EXPECT_EQ(selected->SubItems()->Strings(1), QStringLiteral("0")) << "the file's first row";
    EXPECT_FALSE(FForm->PreView->Picture()->Icon()->Empty());
}

TEST_F(DesktopTest, CaptionIsDrawnBeforeTheWindowIsEverActivated)
{
    // A compositor that shows new windows without focusing them.
    struct NoActivation : QObject {
        bool eventFilter(QObject*, QEvent* e) override
        {
            return e->type() == QEvent::WindowActivate || e->type() == QEvent::ActivationChange;
        }
    } noActivation;
    WriteIni(AllKeysFile("1", FIcons.toStdString(), "1"));
    TForm1* f = CreateMainForm();
    f->installEventFilter(&noActivation);
    ShowMainForm();
    const QImage shown = f->TopCenterImage->Picture()->Image();
    ASSERT_FALSE(shown.isNull()) << "the caption stays blank until the window is activated";
    EXPECT_EQ(shown, f->LostFTopCenterImage->Picture()->Image());
    // What is painted is that bitmap, not the white of an empty caption.
    const QImage painted = f->TopCenterImage->grab().toImage();
    EXPECT_EQ(painted.pixel(painted.width() / 2, painted.height() / 2),
              shown.pixel(std::min(shown.width() - 1, painted.width() / 2), painted.height() / 2));
}

TEST_F(DesktopTest, TheWindowIconComesInEverySizeOfTheDesktop)
{
    TForm1* f = CreateMainForm();
    const QList<QSize> sizes = f->windowIcon().availableSizes();
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
}


// Files dragged from a file manager onto the window: each event posted to the window and
// dispatched by the event loop, as the window system's events are.
class DropTest : public DesktopTest {
protected:
    // Drags `urls` over the widget `over` and drops them there; whether the window
    // took the drag when it entered.
    bool Drop(const QList<QUrl>& urls, QWidget* over)
    {
        QMimeData data;
        data.setUrls(urls);
        QWindow* window = FForm->windowHandle();
        const QPoint at = over->mapTo(FForm, over->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window, &enter);
        const bool taken = enter.isAccepted();
        if (taken) {
            QCoreApplication::postEvent(window, new QDragMoveEvent(at, Qt::CopyAction, &data, Qt::LeftButton, {}));
            QCoreApplication::postEvent(window, new QDropEvent(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {}));
        } else {
            QCoreApplication::postEvent(window, new QDragLeaveEvent);
        }
        QTest::qWait(100);
        return taken;
    }

    QString Status() const { return FForm->StatusBar1->Panels()->Items(1)->Text(); }
    QString SelectedCaption() const
    {
        const TListItem* item = FForm->ListView1->Selected();
        return item ? item->Caption() : QString();
    }
};

TEST_F(DropTest, AFolderIsBrowsedAndAFileSelectedInItsFolder)
{
    TForm1* f = OpenShown();
    const QString other = MakeFolder(QStringLiteral("other"));
    ASSERT_TRUE(QFile::copy(kData + QStringLiteral("/depth4.ico"), other + QStringLiteral("/one.ico")));
    // A GB2312 name, as a file manager percent-encodes its bytes.
    const QByteArray gbName("\xB2\xE2\xCA\xD4.dll");
    const QByteArray gbPath = QFile::encodeName(other) + '/' + gbName;
    ASSERT_EQ(::link(QFile::encodeName(kData + QStringLiteral("/groups64.dll")).constData(), gbPath.constData()), 0);

    EXPECT_TRUE(Drop({QUrl::fromLocalFile(other)}, f->ListView1));
    EXPECT_EQ(f->FCurrentDir, other);
    EXPECT_EQ(f->DirectoryListBox1->Directory(), other);

    EXPECT_TRUE(Drop({QUrl::fromLocalFile(FIcons + QStringLiteral("/lib.dll"))}, f->DirectoryListBox1));
    EXPECT_EQ(f->FCurrentDir, FIcons);
    EXPECT_EQ(SelectedCaption(), QStringLiteral("lib.dll"));
    EXPECT_EQ(f->ListView1->Selected()->SubItems()->Strings(1), QStringLiteral("0")) << "the file's first row";
    EXPECT_FALSE(f->PreView->Picture()->Icon()->Empty());

    EXPECT_TRUE(Drop({QUrl::fromEncoded("file://" + QFile::encodeName(other).toPercentEncoding("/") + "/%B2%E2%CA%D4.dll")},
                     f->PreView));
    EXPECT_EQ(f->FCurrentDir, other);
    ASSERT_NE(f->ListView1->Selected(), nullptr);
    EXPECT_EQ(TFileRows::Name(*TForm1::RowOf(f->ListView1->Selected())), gbName);
}

TEST_F(DropTest, OnlyLocalFilesAreTakenAndTheFirstThatCanBeBrowsedIs)
{
    TForm1* f = OpenShown();
    const QString gone = FIcons + QStringLiteral("/gone");
    const QString other = MakeFolder(QStringLiteral("other"));
    // Nothing local: the drag is refused.
    EXPECT_FALSE(Drop({QUrl(QStringLiteral("https://example.org/x.dll")),
                       QUrl(QStringLiteral("file://elsewhere/srv/x.dll"))}, f->ListView1));
    EXPECT_EQ(f->FCurrentDir, FIcons);
    // A vanished path, then a usable one: the usable one is browsed.
    EXPECT_TRUE(Drop({QUrl(QStringLiteral("https://example.org/x.dll")), QUrl::fromLocalFile(gone),
                      QUrl::fromLocalFile(other)}, f->ListView1));
    EXPECT_EQ(f->FCurrentDir, other);
    // Only a vanished path: the view stays and the status bar says why.
    EXPECT_TRUE(Drop({QUrl::fromLocalFile(gone)}, f->ListView1));
    EXPECT_EQ(f->FCurrentDir, other);
    EXPECT_EQ(Status(), QStringLiteral("无法浏览%1：No such file or directory").arg(gone));
    // A folder that cannot be entered.
    if (::geteuid() != 0) {
        const QString locked = MakeFolder(QStringLiteral("locked"));
        ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
        EXPECT_TRUE(Drop({QUrl::fromLocalFile(locked)}, f->ListView1));
        EXPECT_EQ(f->FCurrentDir, other);
        EXPECT_TRUE(Status().startsWith(QStringLiteral("无法浏览%1：").arg(locked)));
        ::chmod(QFile::encodeName(locked).constData(), 0700);
    }
}

} // namespace
