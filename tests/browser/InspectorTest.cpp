// The icon inspector opened from the real main window: its entries against what
// wrestool and icotool report, its pictures, its two saves, and files it cannot read.
#include "AppTestSupport.h"
#include "BrowserSupport.h"

#include "browser/Inspector.h"
#include "framework/Dialogs.h"

#include <QMenu>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <fstream>
#include <functional>

#include <unistd.h>

namespace {

const QString kData = QStringLiteral(GW_TEST_DATA_DIR);

// An image as the independent tools report it: the .ico that wrestool extracts (or the
// .ico file itself) listed by icotool, each image's bytes from that file's directory.
struct ToolImage {
    int Width, Height, Bits;
    bool Png;
    qint64 Bytes;
};

std::vector<ToolImage> ToolImages(const QString& ico)
{
    std::vector<ToolImage> out;
    const auto stored = IcoImages(ReadAll(ico));
    const QString listing = ShOut(QStringLiteral("%1 -l '%2'").arg(GW_ICOTOOL, ico));
    static const QRegularExpression line(QStringLiteral("--width=(\\d+) --height=(\\d+) --bit-depth=(\\d+)"));
    auto it = line.globalMatch(listing);
    for (std::size_t i = 0; it.hasNext() && i < stored.size(); ++i) {
        const auto m = it.next();
        out.push_back({m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                       stored[i].second.startsWith("\x89PNG"), stored[i].second.size()});
    }
    // The inspector's order: largest first, the deeper first within one size.
    std::stable_sort(out.begin(), out.end(), [](const ToolImage& a, const ToolImage& b) {
        return a.Width * a.Height != b.Width * b.Height ? a.Width * a.Height > b.Width * b.Height : a.Bits > b.Bits;
    });
    return out;
}

QString EntryText(const ToolImage& i)
{
    return QStringLiteral("%1 × %2，%3位 %4，%5字节")
        .arg(i.Width)
        .arg(i.Height)
        .arg(i.Bits)
        .arg(i.Png ? QStringLiteral("PNG") : QStringLiteral("DIB"))
        .arg(i.Bytes);
}

class InspectorTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        FIcons = MakeFolder(QStringLiteral("icons"));
        FOut = MakeFolder(QStringLiteral("out"));
        for (const auto& [from, name] : {std::pair("groups64.dll", "library.dll"), {"library4.icl", "old.icl"},
                                         {"multi.ico", "multi.ico"}, {"groups64.dll", "shrinks.dll"},
                                         {"repeated.ico", "repeated.ico"}, {"overdecoded.ico", "overdecoded.ico"}})
            ASSERT_TRUE(QFile::copy(kData + QLatin1Char('/') + QLatin1String(from), FIcons + QLatin1Char('/') + QLatin1String(name)));
        std::ofstream(QString(FIcons + QStringLiteral("/picture.bmp")).toStdString()) << "BM not really";
        MessageBoxSeam::ClearAnswers();
        MessageBoxSeam::ClearShown();
        TSaveDialog::ClearResults();
        WriteIni(AllKeysFile("1", FIcons.toStdString(), "1"));
        CreateMainForm();
        ShowMainForm();
    }

    int Row(const QString& file, int icon) const
    {
        for (int i = 0; i < FForm->ListView1->Items()->Count(); ++i) {
            TListItem* item = FForm->ListView1->Items()->Item(i);
            if (item->Caption() == file && item->SubItems()->Strings(1).toInt() == icon)
                return i;
        }
        return -1;
    }

    void ClickRow(int row)
    {
        QTreeView* view = FForm->ListView1;
        const QRect r = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
        QTRY_COMPARE(FForm->FCurrentIndex, row);
    }

    // Runs `gesture`, and `look` on the inspector once it is up (the dialog is modal:
    // `look` must close it). False when no inspector came up.
    bool WithInspector(const std::function<void()>& gesture, const std::function<void(TIconInspector*)>& look)
    {
        bool seen = false, tooLate = false;
        auto* timer = new QTimer(qApp);
        QObject::connect(timer, &QTimer::timeout, timer, [&, timer] {
            auto* inspector = qobject_cast<TIconInspector*>(QApplication::activeModalWidget());
            if (!inspector || !inspector->isVisible())
                return;
            timer->stop();
            timer->deleteLater();
            seen = true;
            look(inspector);
        });
        timer->start(5);
        QTimer late(qApp);
        late.setSingleShot(true);
        QObject::connect(&late, &QTimer::timeout, qApp, [&tooLate] {
            if (auto* inspector = qobject_cast<TIconInspector*>(QApplication::activeModalWidget())) {
                tooLate = true;
                inspector->Close();
            }
        });
        late.start(20000);
        gesture();
        return seen && !tooLate && !QApplication::activeModalWidget();
    }

    QStringList EntryTexts(TIconInspector* inspector) const
    {
        QStringList out;
        for (int i = 0; i < inspector->ImageList->count(); ++i)
            out << inspector->ImageList->item(i)->text();
        return out;
    }

    QString FIcons;
    QString FOut;
};

TEST_F(InspectorTest, EntriesAreTheStoredImagesAsTheToolsReportThem)
{
    const struct {
        const char* File;
        int Icon;
        const char* Oracle;  // wrestool's arguments; empty: the file is an .ico
        const char* Group;
        const char* Language;
    } cases[] = {
        {"library.dll", 3, "--type=14 --name=42", "图标组：42", "语言：1033"},
        {"library.dll", 2, "--type=14 --name=7 --language=1031", "图标组：7", "语言：1031（另有1033）"},
        {"library.dll", 0, "--type=14 --name=APPLE", "图标组：APPLE", "语言：1033"},
        {"old.icl", 0, "--type=14 --name=SUNRISE", "图标组：SUNRISE", ""},
        {"old.icl", 3, "--type=14 --name=2", "图标组：2", ""},
        {"multi.ico", 0, "", "图标文件", ""},
    };
    bool first = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.File) + " " + std::to_string(c.Icon));
        const QString file = FIcons + QLatin1Char('/') + QLatin1String(c.File);
        QString ico = file;
        if (*c.Oracle) {
            ico = FOut + QStringLiteral("/oracle.ico");
            QFile::remove(ico);
            Sh(QStringLiteral("%1 -x %2 -o '%3' '%4' 2>/dev/null").arg(GW_WRESTOOL, QLatin1String(c.Oracle), ico, file));
        }
        const auto expected = ToolImages(ico);
        ASSERT_FALSE(expected.empty());
        QStringList texts;
        for (const ToolImage& i : expected)
            texts << EntryText(i);

        const int row = Row(QLatin1String(c.File), c.Icon);
        ASSERT_GE(row, 0);
        ClickRow(row);
        const auto gesture = [&] {
            if (!first) {
                QTest::keyClick(FForm->ListView1, Qt::Key_I, Qt::ControlModifier);
                return;
            }
            // The first time through the list's popup, as a user opens it.
            QTest::keyClick(FForm->ListView1, Qt::Key_Menu);
            QMenu* menu = FForm->PopupMenu1->MenuWidget();
            QTRY_VERIFY(menu->isVisible());
            QAction* inspect = nullptr;
            for (QAction* a : menu->actions())
                if (a->text().startsWith(QStringLiteral("详细信息(&I)...")))
                    inspect = a;
            ASSERT_TRUE(inspect && inspect->isEnabled());
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(inspect).center());
        };
        const bool shown = WithInspector(gesture, [&](TIconInspector* d) {
            EXPECT_EQ(d->Caption(), QStringLiteral("图标详情"));
            EXPECT_EQ(d->FileLabel->Caption(), QStringLiteral("%1，图标%2").arg(QLatin1String(c.File)).arg(c.Icon));
            EXPECT_EQ(d->GroupLabel->Caption(), QString::fromUtf8(c.Group));
            EXPECT_EQ(d->LanguageLabel->Caption(), QString::fromUtf8(c.Language));
            EXPECT_EQ(EntryTexts(d), texts);
            EXPECT_EQ(d->ImageList->currentRow(), 0);
            EXPECT_EQ(d->focusWidget(), d->ImageList);
            // Each picture at its real size, no entry taller than it needs.
            for (int i = 0; i < d->ImageList->count(); ++i)
                EXPECT_EQ(d->ImageList->visualItemRect(d->ImageList->item(i)).height(),
                          std::max(expected[std::size_t(i)].Height, 3 * d->ImageList->fontMetrics().height()) + 8);
            QTest::keyClick(d->ImageList, Qt::Key_Escape);
        });
        EXPECT_TRUE(shown);
        first = false;
    }

    // A file whose name is not UTF-8 is read by its own bytes.
    const QByteArray raw = QFile::encodeName(FIcons) + "/caf\xe9.dll";
    ASSERT_EQ(::link(QFile::encodeName(FIcons + QStringLiteral("/library.dll")).constData(), raw.constData()), 0);
    FForm->RefreshFileList();
    int row = -1;
    for (int i = 0; i < FForm->ListView1->Items()->Count(); ++i)
        if (FForm->ListView1->Items()->Item(i)->Caption().startsWith(QStringLiteral("caf")) &&
            FForm->ListView1->Items()->Item(i)->SubItems()->Strings(1) == QStringLiteral("3"))
            row = i;
    ASSERT_GE(row, 0);
    ClickRow(row);
    EXPECT_TRUE(WithInspector([&] { QTest::keyClick(FForm->ListView1, Qt::Key_I, Qt::ControlModifier); },
                              [&](TIconInspector* d) {
        EXPECT_EQ(d->ImageList->count(), 4);
        QTest::keyClick(d->ImageList, Qt::Key_Escape);
    }));
}

TEST_F(InspectorTest, ThePicturesAreDrawnAtRealSizeAndBothSavesWriteWhatIsStored)
{
    const QString oracle = FOut + QStringLiteral("/oracle.ico");
    Sh(QStringLiteral("%1 -x --type=14 --name=42 -o '%2' '%3' 2>/dev/null").arg(GW_WRESTOOL, oracle, FIcons + QStringLiteral("/library.dll")));
    const auto stored = IcoImages(ReadAll(oracle));
    ASSERT_EQ(stored.size(), 4u);  // 16 (4 bits), 32 (8 bits), 48 (32 bits), 256 (PNG)
    Sh(QStringLiteral("%1 -x -i 3 -o '%2' '%3'").arg(GW_ICOTOOL, FOut + QStringLiteral("/ref48.png"), oracle));
    ClickRow(Row(QStringLiteral("library.dll"), 3));

    const bool shown = WithInspector([&] { QTest::keyClick(FForm->ListView1, Qt::Key_I, Qt::ControlModifier); },
                                     [&](TIconInspector* d) {
        // The 256-pixel PNG at its size: its transparent 16-pixel border shows the
        // list's white once the entry is no longer selected.
        QTest::keyClick(d->ImageList, Qt::Key_Down);
        EXPECT_EQ(d->ImageList->currentRow(), 1);
        const QRect r = d->ImageList->visualItemRect(d->ImageList->item(0));
        const QImage shot = d->ImageList->viewport()->grab(r).toImage();
        const struct {
            int X, Y;
            QRgb Colour;
        } pixels[] = {{4 + 15, 4 + 15, 0xFFFFFFFF}, {4 + 16, 4 + 16, 0xFFE02020},
                      {4 + 239, 4 + 239, 0xFF303030}, {4 + 240, 4 + 240, 0xFFFFFFFF}, {4 + 100, 4 + 100, 0xFF600060}};
        for (const auto& p : pixels)
            EXPECT_EQ(shot.pixel(p.X, p.Y), p.Colour) << p.X << "," << p.Y;

        // Arrow keys move between the entries, left and right too, and stop at the ends.
        for (auto [key, row] : {std::pair(Qt::Key_Right, 2), {Qt::Key_Right, 3}, {Qt::Key_Right, 3},
                                {Qt::Key_Left, 2}, {Qt::Key_Up, 1}, {Qt::Key_Home, 0}, {Qt::Key_Down, 1}}) {
            QTest::keyClick(d->ImageList, key);
            EXPECT_EQ(d->ImageList->currentRow(), row) << key;
        }

        // The 48 x 48 image as PNG: icotool's pixels; its proposed name tells which.
        TSaveDialog::SetNextResult(FOut + QStringLiteral("/image48"));
        QTest::mouseClick(d->SavePngButton, Qt::LeftButton);
        EXPECT_EQ(TSaveDialog::LastFileName(), QStringLiteral("library3_48x48_32"));
        EXPECT_EQ(TSaveDialog::LastFilter(), QStringLiteral("PNG 图像(*.png)|*.png"));
        const QImage ours = QImage(FOut + QStringLiteral("/image48.png")).convertToFormat(QImage::Format_ARGB32);
        const QImage theirs = QImage(FOut + QStringLiteral("/ref48.png")).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(ours.size(), QSize(48, 48));
        EXPECT_EQ(ours, theirs);

        // The 256-pixel image is the stored PNG, byte for byte.
        QTest::keyClick(d->ImageList, Qt::Key_Up);
        TSaveDialog::SetNextResult(FOut + QStringLiteral("/big.PNG"));
        QTest::mouseClick(d->SavePngButton, Qt::LeftButton);
        EXPECT_EQ(ReadAll(FOut + QStringLiteral("/big.PNG")), stored[3].second);

        // The group as stored: wrestool's images. An existing file is replaced only
        // when the user agrees.
        std::ofstream(QString(FOut + QStringLiteral("/group.ico")).toStdString()) << "old";
        TSaveDialog::SetNextResult(FOut + QStringLiteral("/group"));
        MessageBoxSeam::SetNextAnswer(IDNO);
        QTest::mouseClick(d->SaveIcoButton, Qt::LeftButton);
        EXPECT_EQ(TSaveDialog::LastFileName(), QStringLiteral("library3"));
        EXPECT_EQ(ReadAll(FOut + QStringLiteral("/group.ico")), QByteArray("old"));
        TSaveDialog::SetNextResult(FOut + QStringLiteral("/group.ico"));
        MessageBoxSeam::SetNextAnswer(IDYES);
        QTest::mouseClick(d->SaveIcoButton, Qt::LeftButton);
        EXPECT_EQ(IcoImages(ReadAll(FOut + QStringLiteral("/group.ico"))), stored);
        ASSERT_EQ(MessageBoxSeam::Shown().size(), 2u);
        EXPECT_EQ(MessageBoxSeam::Shown()[0].Text, QStringLiteral("%1 已存在。\n要替换它吗？").arg(FOut + QStringLiteral("/group.ico")));

        // A save that fails says what failed: the system's reason it cannot write, or
        // that the file, cut short since the dialog opened, cannot be read.
        TSaveDialog::SetNextResult(FOut + QStringLiteral("/no/such/folder/x"));
        MessageBoxSeam::SetNextAnswer(IDOK);
        QTest::mouseClick(d->SaveIcoButton, Qt::LeftButton);
        ASSERT_EQ(MessageBoxSeam::Shown().size(), 3u);
        EXPECT_EQ(MessageBoxSeam::Shown()[2].Text,
                  QStringLiteral("不支持这种格式的图标文件！\n无法写入该文件：No such file or directory"));
        ASSERT_TRUE(QFile(FIcons + QStringLiteral("/library.dll")).resize(4096));
        TSaveDialog::SetNextResult(FOut + QStringLiteral("/cut"));
        MessageBoxSeam::SetNextAnswer(IDOK);
        QTest::mouseClick(d->SaveIcoButton, Qt::LeftButton);
        ASSERT_EQ(MessageBoxSeam::Shown().size(), 4u);
        EXPECT_EQ(MessageBoxSeam::Shown()[3].Text, QStringLiteral("不支持这种格式的图标文件！\n无法读取该文件。"));
        EXPECT_FALSE(QFile::exists(FOut + QStringLiteral("/cut.ico")));

        QTest::mouseClick(d->CloseButton, Qt::LeftButton);
    });
    EXPECT_TRUE(shown);
}

// An image that 256 entries name is one entry that says so; images that would take more
// than 64 MiB a group once decoded are refused with the reason.
TEST_F(InspectorTest, AnImageNamedManyTimesIsShownOnceAndHugeGroupsAreRefused)
{
    const qint64 png = QFileInfo(kData + QStringLiteral("/big1024.png")).size();
    const struct {
        const char* File;
        QStringList Entries;
        QString Message;
    } cases[] = {
        {"repeated.ico", {QStringLiteral("1024 × 1024，32位 PNG，%1字节，256个条目共用").arg(png)}, {}},
        {"overdecoded.ico", {}, QStringLiteral("该图标的图像超过每组64 MiB的上限。")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        const int row = Row(QLatin1String(c.File), 0);
        ASSERT_GE(row, 0);
        ClickRow(row);
        const bool shown = WithInspector([&] { QTest::keyClick(FForm->ListView1, Qt::Key_I, Qt::ControlModifier); },
                                         [&](TIconInspector* d) {
            EXPECT_EQ(EntryTexts(d), c.Entries);
            EXPECT_EQ(d->MessageLabel->isVisible(), !c.Message.isEmpty());
            if (!c.Message.isEmpty())
                EXPECT_EQ(d->MessageLabel->Caption(), c.Message);
            QTest::keyClick(d->focusWidget(), Qt::Key_Escape);
        });
        EXPECT_TRUE(shown);
    }
}

// A file listed whole and cut short before the inspector opens: the images it still
// holds are shown, and what is damaged is named under them. multi.ico's second image,
// 32 x 32 at 32 bits, starts at 382 (0x17e): its colour bits after the 40-byte header
// run past the cut at 4000. An undamaged file shows no such line.
TEST_F(InspectorTest, DamageIsNamedUnderTheImages)
{
    const struct {
        const char* Case;
        QString File;
        qint64 CutAt;  // 0: left whole
        QString Warning;
    } cases[] = {
        {"a file cut short", QStringLiteral("multi.ico"), 4000,
         QStringLiteral("文件有损坏之处：\nicon 0: truncated colour bits at 0x1a6")},
        {"a whole file", QStringLiteral("library.dll"), 0, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        const int row = Row(c.File, 0);
        ASSERT_GE(row, 0);
        ClickRow(row);
        if (c.CutAt) {
            ASSERT_TRUE(QFile(FIcons + QLatin1Char('/') + c.File).resize(c.CutAt));
        }
        const bool shown = WithInspector([&] { QTest::keyClick(FForm->ListView1, Qt::Key_I, Qt::ControlModifier); },
                                         [&](TIconInspector* d) {
            EXPECT_TRUE(d->ImageList->isVisible());
            EXPECT_EQ(d->WarningLabel->isVisible(), !c.Warning.isEmpty());
            if (!c.Warning.isEmpty()) {
                EXPECT_EQ(d->WarningLabel->Caption(), c.Warning);
                EXPECT_EQ(d->ImageList->count(), 2);
                // Under the images, clear of them and of the buttons, every line shown.
                const QRect images = d->ImageList->geometry(), warning = d->WarningLabel->geometry();
                EXPECT_GT(warning.top(), images.bottom());
                EXPECT_LT(warning.bottom(), d->SavePngButton->geometry().top());
                EXPECT_GE(warning.height(), 2 * d->WarningLabel->fontMetrics().height());
            }
            QTest::keyClick(d->ImageList, Qt::Key_Escape);
        });
        EXPECT_TRUE(shown);
    }
}

TEST_F(InspectorTest, FilesThatCannotBeReadSaySoAndOfferNoSave)
{
    const int shrinks = Row(QStringLiteral("shrinks.dll"), 3);
    ASSERT_GE(shrinks, 0);
    const struct {
        const char* Case;
        int Row;
        std::function<void()> Before;
    } cases[] = {
        {"a .bmp row", Row(QStringLiteral("picture.bmp"), 0), [] {}},
        // Listed whole, cut short before the inspector opens.
        {"a file cut short", shrinks, [this] { QFile(FIcons + QStringLiteral("/shrinks.dll")).resize(4096); }},
        {"a file gone", shrinks, [this] { QFile::remove(FIcons + QStringLiteral("/shrinks.dll")); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        ASSERT_GE(c.Row, 0);
        ClickRow(c.Row);
        c.Before();
        const bool shown = WithInspector([&] { QTest::keyClick(FForm->ListView1, Qt::Key_I, Qt::ControlModifier); },
                                         [&](TIconInspector* d) {
            EXPECT_TRUE(d->MessageLabel->isVisible());
            EXPECT_EQ(d->MessageLabel->Caption(), QStringLiteral("无法读取该图标。"));
            EXPECT_FALSE(d->ImageList->isVisible());
            EXPECT_FALSE(d->SavePngButton->isEnabled());
            EXPECT_FALSE(d->SaveIcoButton->isEnabled());
            ASSERT_EQ(d->focusWidget(), d->CloseButton);
            QTest::keyClick(d->CloseButton, Qt::Key_Escape);
        });
        EXPECT_TRUE(shown);
    }
    EXPECT_TRUE(MessageBoxSeam::Shown().empty());
}

} // namespace
