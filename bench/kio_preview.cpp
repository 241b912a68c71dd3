// Benchmark driver: asks KIO for previews of FILE... as Dolphin does (KIO::PreviewJob,
// the thumbnail worker and its plugins), with the one thumbnail plugin PLUGIN, and
// prints how many previews came back and after how long.
//   kio_preview PLUGIN SIZE FILE...
#include <KFileItem>
#include <KIO/PreviewJob>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: kio_preview PLUGIN SIZE FILE...\n");
        return 2;
    }
    QStringList plugins{QString::fromLocal8Bit(argv[1])};
    const int size = std::atoi(argv[2]);
    KFileItemList items;
    for (int i = 3; i < argc; ++i)
        items << KFileItem(QUrl::fromLocalFile(QFileInfo(QString::fromLocal8Bit(argv[i])).absoluteFilePath()));
    QElapsedTimer timer;
    timer.start();
    int got = 0, failed = 0;
    auto* job = KIO::filePreview(items, QSize(size, size), &plugins);
    job->setIgnoreMaximumSize(true);
    QObject::connect(job, &KIO::PreviewJob::gotPreview, [&](const KFileItem&, const QPixmap&) { ++got; });
    QObject::connect(job, &KIO::PreviewJob::failed, [&](const KFileItem&) { ++failed; });
    QObject::connect(job, &KJob::result, &app, [&] { app.quit(); });
    app.exec();
    std::printf("%d previews, %d failed, %lld ms\n", got, failed, static_cast<long long>(timer.elapsed()));
    return 0;
}
