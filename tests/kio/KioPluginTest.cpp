// The KDE thumbnail plugin as KIO's thumbnail worker uses it: found by its metadata,
// created through its plugin factory (or the older new_creator symbol), asked for
// previews of libraries, icon libraries, icon files and cursors. Each preview is the
// image glimmerwick-thumbnailer writes for the same file and size.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <KIO/ThumbCreator>
#include <KPluginFactory>
#include <KPluginMetaData>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QLibrary>
#include <QPluginLoader>

#include <cstdlib>
#include <memory>

using namespace gwtest;

namespace {

std::string Shell(const std::string& command)
{
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p))
            out += buf;
        ::pclose(p);
    }
    return out;
}

// The thumbnailer's PNG of `file` at `size` as an image; null when it wrote none.
QImage ThumbnailerImage(const std::string& file, int size, const TempDir& dir)
{
    const std::string png = dir / "t.png";
    QFile::remove(QString::fromStdString(png));
    const std::string command = std::string(GW_THUMBNAILER) + " -s " + std::to_string(size) + " '" + file + "' '" + png + "'";
    if (std::system(command.c_str()) != 0)
        return {};
    return QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_ARGB32);
}

ThumbCreator* CreateThroughFactory(QObject*& owner)
{
    const KPluginMetaData md(QStringLiteral(GW_KIO_PLUGIN));
    const auto result = KPluginFactory::instantiatePlugin<QObject>(md);
    owner = result.plugin;
    return dynamic_cast<ThumbCreator*>(owner);
}

} // namespace

TEST(KioPlugin, MetadataNamesTheTypesAsTheWorkerReadsThem)
{
    const KPluginMetaData md(QStringLiteral(GW_KIO_PLUGIN));
    ASSERT_TRUE(md.isValid());
    const QStringList types = md.mimeTypes();
    for (const char* t : {"application/x-ms-dos-executable", "application/x-msdownload", "application/x-ms-ne-executable",
                          "image/vnd.microsoft.icon", "application/x-navi-animation"})
        EXPECT_TRUE(types.contains(QLatin1String(t))) << t;
    EXPECT_TRUE(md.supportsMimeType(QStringLiteral("image/x-icon"))) << "aliases resolve";
    EXPECT_TRUE(md.rawData().value(QStringLiteral("CacheThumbnail")).toBool());
    // Found where the worker looks: Qt 5's plugin folder, kf5/thumbcreator.
    EXPECT_TRUE(md.fileName().endsWith(QLatin1String("/kf5/thumbcreator/glimmerwickthumbnail.so")));
}

TEST(KioPlugin, PreviewsAreTheThumbnailersImages)
{
    QObject* owner = nullptr;
    ThumbCreator* creator = CreateThroughFactory(owner);
    ASSERT_NE(creator, nullptr) << "the factory made no ThumbCreator";
    std::unique_ptr<QObject> keep(owner);
    TempDir dir;
    // Wine's own libraries where wine is installed: the icons of real system files.
    const std::string shell32 = Shell("find /usr/lib -path '*-windows/shell32.dll' 2>/dev/null | head -n 1 | tr -d '\\n'");
    struct Case { std::string File; int Size; int Side; };
    std::vector<Case> cases = {
        {DataPath("groups32.dll"), 128, 32},   // PE32: 32 x 32 stored, never enlarged
        {DataPath("groups64.dll"), 16, 16},
        {DataPath("library9.icl"), 16, 16},    // NE icon library
        {DataPath("library4.icl"), 256, 32},
        {DataPath("png256.ico"), 128, 128},    // stored PNG scaled down
        {DataPath("png256.ico"), 256, 256},
        {DataPath("anim.ani"), 32, 32},        // first frame of an animated cursor
        {DataPath("arrow.cur"), 64, 32},
    };
    if (!shell32.empty())
        cases.push_back({shell32, 256, 256});
    else
        std::printf("wine's shell32.dll is not installed: previews of the test's own files only\n");
    for (const Case& c : cases) {
        QImage img;
        ASSERT_TRUE(creator->create(QString::fromStdString(c.File), c.Size, c.Size, img)) << c.File;
        EXPECT_EQ(img.size(), QSize(c.Side, c.Side)) << c.File << " " << c.Size;
        const QImage expected = ThumbnailerImage(c.File, c.Size, dir);
        ASSERT_FALSE(expected.isNull()) << c.File;
        EXPECT_TRUE(img.convertToFormat(QImage::Format_ARGB32) == expected) << c.File << " " << c.Size;
    }
    QImage none;
    EXPECT_FALSE(creator->create(QString::fromStdString(DataPath("noicons32.dll")), 128, 128, none));
    EXPECT_FALSE(creator->create(QString::fromStdString(dir / "missing.dll"), 128, 128, none));
    EXPECT_TRUE(none.isNull());
}

// One pixel checked against icotool's reading of the same icon: the colours pass
// through the plugin unchanged (ARGB order, alpha kept).
TEST(KioPlugin, PixelsAreIcotools)
{
    QObject* owner = nullptr;
    ThumbCreator* creator = CreateThroughFactory(owner);
    ASSERT_NE(creator, nullptr);
    std::unique_ptr<QObject> keep(owner);
    TempDir dir;
    const std::string ico = DataPath("sizes.ico");
    ASSERT_EQ(std::system((std::string(GW_ICOTOOL) + " -x -w 48 -o '" + dir / "48.png" + "' '" + ico + "'").c_str()), 0);
    const Rgba theirs = LoadPng(dir / "48.png");
    QImage img;
    ASSERT_TRUE(creator->create(QString::fromStdString(ico), 48, 48, img));
    ASSERT_EQ(img.width(), theirs.Width);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            ASSERT_EQ(int(qAlpha(p)), theirs.Alpha(x, y)) << x << "," << y;
            if (qAlpha(p)) {
                ASSERT_EQ(p & 0xFFFFFFu, theirs.At(x, y) & 0xFFFFFFu) << x << "," << y;
            }
        }
}

// Workers that predate plugin factories resolve new_creator.
TEST(KioPlugin, TheOlderEntryPointMakesACreatorToo)
{
    QLibrary library(QStringLiteral(GW_KIO_PLUGIN));
    const auto make = reinterpret_cast<ThumbCreator* (*)()>(library.resolve("new_creator"));
    ASSERT_NE(make, nullptr) << library.errorString().toStdString();
    std::unique_ptr<ThumbCreator> creator(make());
    QImage img;
    ASSERT_TRUE(creator->create(QString::fromStdString(DataPath("library9.icl")), 16, 16, img));
    EXPECT_EQ(img.size(), QSize(16, 16));
}
