// A file manager's part in a drag, for the drop test under Xvfb: a small window at the
// screen's top left that drags the URLs given on its command line (already encoded, as
// file managers put them) when the mouse is pressed on it and prints the drop's action,
// and that takes files dropped on it and prints their URLs.
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class TDragSource : public QWidget {
public:
    explicit TDragSource(QList<QUrl> urls) : FUrls(std::move(urls))
    {
        setWindowTitle(QStringLiteral("drag source"));
        setGeometry(0, 0, 120, 80);
        setAcceptDrops(true);
    }

protected:
    void mousePressEvent(QMouseEvent*) override
    {
        auto* data = new QMimeData;
        data->setUrls(FUrls);
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction action = drag->exec(Qt::CopyAction);
        std::printf("dropped %s\n", action == Qt::CopyAction ? "copy" : "none");
        std::fflush(stdout);
    }

    void dragEnterEvent(QDragEnterEvent* event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent* event) override
    {
        event->acceptProposedAction();
        for (const QUrl& url : event->mimeData()->urls())
            std::printf("received %s\n", url.toEncoded().constData());
        std::fflush(stdout);
    }

private:
    QList<QUrl> FUrls;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i)
        urls.append(QUrl::fromEncoded(argv[i]));
    TDragSource source(urls);
    source.show();
    return app.exec();
}
