// The main window as a desktop program: help through the desktop's viewers, Qt's own
// texts in Chinese, dragging and copying icons, a file named on the command line, the
// keys users expect, dialogs that belong to the main window, and its caption and icon.
#include "AppTestSupport.h"

#include "About.h"
#include "Dialogs.h"
#include "ShellApi.h"
#include "Startup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDrag>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

#include <functional>

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

    QString FIcons;
    QByteArray FPath;
};

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
        EXPECT_FALSE(f->FHelpWindow) << c.handled.join(' ').toStdString();
    }

    // No viewer at all: the pages in the program's own window, in Chinese.
    const QString log = FakeDesktop({});
    QFile::remove(log);
    QTest::keyClick(f, Qt::Key_F1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f->FHelpWindow && f->FHelpWindow->isVisible(); }));
    auto* browser = qobject_cast<QTextBrowser*>(f->FHelpWindow.data());
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
    EXPECT_FALSE(f->FHelpWindow);
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
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowHandle()->transientParent(), f->windowHandle());
        for (QAbstractButton* b : box->buttons())
            buttons << b->text();
        QTest::mouseClick(box->button(QMessageBox::Cancel), Qt::LeftButton);
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
    TForm1* f = OpenShown();
    const int row = RowOf(QStringLiteral("flame.ico"));
    ASSERT_GE(row, 0);
    QWidget* viewport = f->ListView1->viewport();
    const QPoint start = RowCentre(row);

    QStringList formats;
    QByteArray png;
    QList<QUrl> urls;
    bool dragged = false;
    // Where the platform runs the drag in a loop of its own, it is looked at from inside;
    // the offscreen platform ends it at once and Qt deletes the drag a little later.
    auto inspect = [&] {
        auto* drag = f->ListView1->findChild<QDrag*>();
        if (!drag || dragged)
            return;
        dragged = true;
        formats = drag->mimeData()->formats();
        png = drag->mimeData()->data(QStringLiteral("image/png"));
        urls = drag->mimeData()->urls();
        if (QWidget* focus = QApplication::focusWidget())
            QTest::keyClick(focus, Qt::Key_Escape);
    };
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, f, inspect);
    watch.start();
    QTest::mousePress(viewport, Qt::LeftButton, {}, start);
    const QPoint to = start + QPoint(40, 0);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), viewport->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    inspect();
    watch.stop();
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    ASSERT_TRUE(dragged);

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

} // namespace
