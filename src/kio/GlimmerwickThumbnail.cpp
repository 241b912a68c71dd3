// The KIO thumbnail plugin: KDE's file managers (Dolphin) ask it, through the thumbnail
// worker, for a preview of a Windows executable, library, icon library, icon or cursor
// file. The preview is the one glimmerwick-thumbnailer writes: the image of the file's
// first icon group (of a file without icons, its first cursor group) nearest the size
// asked for, a larger one scaled down, never one blown up.
#include "core/IconDecoder.h"
#include "core/IconFile.h"

#include <KIO/ThumbCreator>
#include <KPluginFactory>

#include <QFile>
#include <QImage>

#include <algorithm>

namespace {

// The image of `path` for a preview of at most `side` pixels a side; a null image when the
// file holds no icon or cursor that can be read.
QImage Preview(const QString& path, int side)
{
    const gw::IconFile f = gw::IconFile::Open(QFile::encodeName(path).toStdString());
    const bool cursors = f.Ok() && f.Catalog.Groups().empty();
    if (!f.Ok() || f.Catalog.Groups(cursors).empty())
        return {};
    const auto image = gw::GroupImageAt(f, 0, std::clamp(side, 1, gw::kMaxIconSide), false, nullptr, cursors);
    if (!image || image->Width <= 0 || image->Height <= 0)
        return {};
    // Rows of 0xAARRGGBB words, alpha meaningful on every pixel: QImage's ARGB32.
    return QImage(reinterpret_cast<const uchar*>(image->Pixels.data()), image->Width, image->Height,
                  image->Width * 4, QImage::Format_ARGB32)
        .copy();
}

} // namespace

class GlimmerwickThumbnail : public QObject, public ThumbCreator
{
    Q_OBJECT
public:
    GlimmerwickThumbnail(QObject* parent, const QVariantList&) : QObject(parent) {}

    bool create(const QString& path, int width, int height, QImage& img) override
    {
        img = Preview(path, std::max(width, height));
        return !img.isNull();
    }
};

K_PLUGIN_CLASS_WITH_JSON(GlimmerwickThumbnail, "glimmerwickthumbnail.json")

// Thumbnail workers older than plugin factories load the creator through this symbol.
extern "C" Q_DECL_EXPORT ThumbCreator* new_creator()
{
    return new GlimmerwickThumbnail(nullptr, {});
}

#include "GlimmerwickThumbnail.moc"
