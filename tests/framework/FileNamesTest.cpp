// File names that are not UTF-8: their text form gives the bytes back, the readable
// form reads the Chinese code page, and paths from Qt's dialogs find their files again.
#include "ScratchDir.h"
#include "framework/Dialogs.h"
#include "framework/FileCtrl.h"
#include "framework/FileNames.h"
#include "framework/StdCtrls.h"

#include <QFile>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(FileNamesTest, EveryByteSequenceRoundTrips)
{
    const struct {
        const char* what;
        QByteArray bytes;
        QString text; // expected text; empty: only the round trip is checked
    } cases[] = {
        {"ASCII", "/usr/share", QStringLiteral("/usr/share")},
        {"UTF-8 Chinese", "/tmp/\xE5\x9B\xBE\xE6\xA0\x87", QStringLiteral("/tmp/图标")},
        {"four-byte UTF-8", "\xF0\x9F\x98\x80", QString::fromUcs4(U"\U0001F600", 1)},
        // CD BC happens to be valid UTF-8 (U+037C); B1 EA is not.
        {"GB2312", "/tmp/\xCD\xBC\xB1\xEA", QStringLiteral("/tmp/") + QChar(0x037C) + QChar(0xDCB1) + QChar(0xDCEA)},
        {"overlong slash", "a\xC0\xAF" "b", QStringLiteral("a") + QChar(0xDCC0) + QChar(0xDCAF) + QStringLiteral("b")},
        {"encoded surrogate", "\xED\xA0\x80", QString(QChar(0xDCED)) + QChar(0xDCA0) + QChar(0xDC80)},
        {"cut sequence at the end", "x\xE5\x9B", QStringLiteral("x") + QChar(0xDCE5) + QChar(0xDC9B)},
        {"escape bytes after a pair", "\xF0\x9F\x98\x80\xDC\x80", {}},
        {"every byte", [] {
             QByteArray all;
             for (int i = 1; i < 256; ++i)
                 all += char(i);
             return all;
         }(), {}},
    };
    for (const auto& c : cases) {
        const QString text = DecodeFileName(c.bytes);
        if (!c.text.isEmpty()) {
            EXPECT_EQ(text, c.text) << c.what;
        }
        EXPECT_EQ(EncodeFileName(text), c.bytes) << c.what;
    }
}

TEST(FileNamesTest, ReadableFormReadsTheChineseCodePagePartByPart)
{
    const struct {
        QByteArray bytes;
        QString shown;
    } cases[] = {
        {"/tmp/\xCD\xBC\xB1\xEA/\xE5\x9B\xBE", QStringLiteral("/tmp/图标/图")},
        {"\xB3\xCC\xD0\xF2.dll", QStringLiteral("程序.dll")},
        // GBK: a trail byte in the ASCII range.
        {"\x81\x40", QStringLiteral("丂")},
        {"caf\xE9", QStringLiteral("caf") + QChar(QChar::ReplacementCharacter)},
        {"plain", QStringLiteral("plain")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DisplayFileName(DecodeFileName(c.bytes)), c.shown) << c.bytes.toHex().toStdString();
}

TEST(FileNamesTest, FolderFunctionsUseTheRawBytes)
{
    ScratchDir scratch;
    const QByteArray root = QFile::encodeName(scratch.path());
    const QByteArray gb = root + "/\xCD\xBC\xB1\xEA";
    const QByteArray twin = root + "/\xCD\xBC\xB1\xEB";
    ASSERT_EQ(::mkdir(gb.constData(), 0755), 0);
    const QString folder = DecodeFileName(gb);
    EXPECT_TRUE(IsFolder(folder));
    EXPECT_FALSE(IsFolder(DecodeFileName(root + "/missing")));

    const QString start = CurrentFolder();
    ASSERT_EQ(::chdir(gb.constData()), 0);
    EXPECT_EQ(CurrentFolder(), folder);
    EXPECT_EQ(NormalizeFolder(QStringLiteral("x/..")), folder);
    ASSERT_EQ(::chdir(EncodeFileName(start).constData()), 0);

    // Qt's dialogs return the name with U+FFFD for the bytes it cannot read.
    const QString lossy = QString::fromUtf8(gb) + QStringLiteral("/new.ico");
    EXPECT_EQ(RecoverFileName(lossy), folder + QStringLiteral("/new.ico"));
    EXPECT_EQ(RecoverFileName(QStringLiteral("/usr/x.ico")), QStringLiteral("/usr/x.ico"));
    // Two folders that read alike that way: neither is guessed.
    ASSERT_EQ(::mkdir(twin.constData(), 0755), 0);
    ASSERT_EQ(QString::fromUtf8(twin), QString::fromUtf8(gb));
    EXPECT_EQ(RecoverFileName(lossy), lossy);
}

TEST(FileNamesTest, SaveDialogOpensInACurrentFolderQtCannotName)
{
    ScratchDir scratch;
    const QByteArray gb = QFile::encodeName(scratch.path()) + "/\xCD\xBC\xB1\xEA";
    ASSERT_EQ(::mkdir(gb.constData(), 0755), 0);
    const QString start = CurrentFolder();
    ASSERT_EQ(::chdir(gb.constData()), 0);

    // The user accepts the proposed name in Qt's own dialog with Enter.
    QString shownIn;
    QTimer::singleShot(0, [&shownIn] {
        QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        shownIn = dialog->directory().path();
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        QTest::keyClick(name, Qt::Key_Return);
    });
    TSaveDialog dialog(nullptr);
    dialog.Filter = QStringLiteral("图标文件(*.ico)|*.ico");
    dialog.FileName = QStringLiteral("icon0");
    const bool chosen = dialog.Execute();
    ASSERT_EQ(::chdir(EncodeFileName(start).constData()), 0);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(shownIn, QStringLiteral("/proc/self/cwd"));
    EXPECT_EQ(EncodeFileName(dialog.FileName), gb + "/icon0");
}

TEST(FileNamesTest, AStickMountedUnderAGbNameIsADriveShownReadably)
{
    ScratchDir scratch;
    const QByteArray root = QFile::encodeName(scratch.path());
    const QByteArray stick = root + "/\xCD\xBC\xB1\xEA";
    ASSERT_EQ(::mkdir(stick.constData(), 0755), 0);
    QFile table(scratch.path() + "/mounts");
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    // The mount table writes such bytes as they are; blanks as \040.
    table.write("/dev/sdb1 " + stick + " vfat rw 0 0\n");
    table.close();
    SetMountTablePath(scratch.path() + "/mounts");
    const QString drive = DecodeFileName(stick);
    EXPECT_EQ(MountRoots(), (QStringList{"/", drive}));
    TDriveComboBox drives(nullptr);
    EXPECT_EQ(drives.itemText(1), QString::fromUtf8(root) + QStringLiteral("/图标"));
    EXPECT_EQ(drives.itemData(1).toString(), drive);
    SetMountTablePath(QString());
}

} // namespace
