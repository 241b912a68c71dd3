// Benchmark driver: the real main window on the offscreen platform. Times the listing of a
// folder and a folder-tree extraction through the real commands, and the longest stall of
// the event loop while each runs.
//
//   gui_bench list FOLDER         rows, seconds, engine-only count seconds, longest stall
//   gui_bench extract TREE OUT    icons written, seconds, icons per second, longest stall
#include "browser/Mainform.h"
#include "extract/Extractthd.h"
#include "extract/OutputFolder.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "platform/Profile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <dirent.h>

#include <cstdio>
#include <fstream>
#include <memory>

namespace {

// Measures the longest gap between ticks of a 1 ms timer: how long the event loop was
// kept from running.
class StallMeter : public QObject {
public:
    StallMeter()
    {
        FTimer.setInterval(1);
        QObject::connect(&FTimer, &QTimer::timeout, this, [this] {
            const qint64 now = FClock.nsecsElapsed();
            if (FLast >= 0 && now - FLast > FLongest)
                FLongest = now - FLast;
            FLast = now;
        });
        FClock.start();
        FTimer.start();
    }
    double LongestMs() const { return FLongest / 1e6; }

private:
    QTimer FTimer;
    QElapsedTimer FClock;
    qint64 FLast = -1;
    qint64 FLongest = 0;
};

TForm1* OpenMainWindow(const QString& folder, QTemporaryDir& home)
{
    SetApplicationFolderForTesting(home.path().toStdString());
    std::ofstream ini(SettingsFileName());
    ini << "[Access]\nLast=1\n[Init]\nDirectory=" << folder.toStdString() << "\n[View]\n";
    ini.close();
    TForm1* form = nullptr;
    Application->CreateForm(form);
    return form;
}

double EngineCount(const QString& folder, int& icons)
{
    ShellIconCache::Clear();
    QElapsedTimer t;
    t.start();
    icons = 0;
    const QByteArray raw = QFile::encodeName(folder);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(raw.constData()), closedir);
    while (dir) {
        dirent* e = readdir(dir.get());
        if (!e)
            break;
        icons += int(ExtractIconA(0, (raw + '/' + e->d_name).constData(), -1));
    }
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    QTemporaryDir home;

    if (mode == QLatin1String("list")) {
        TForm1* form = OpenMainWindow(QStringLiteral("/"), home);
        form->DirectoryListBox1->SetDirectory(folder);
        ShellIconCache::Clear();
        double best = 1e9, stall = 0;
        for (int run = 0; run < 5; ++run) {
            ShellIconCache::Clear();
            StallMeter meter;
            QElapsedTimer t;
            t.start();
            form->RefreshFileList();
            best = std::min(best, t.nsecsElapsed() / 1e9);
            stall = std::max(stall, meter.LongestMs());
        }
        int icons = 0;
        double engine = 1e9;
        for (int run = 0; run < 5; ++run)
            engine = std::min(engine, EngineCount(folder, icons));
        std::printf("rows %d\nlist_seconds %.4f\nengine_count_seconds %.4f\nengine_icons %d\nratio_list_over_engine %.2f\n"
                    "longest_stall_ms %.2f\n",
                    form->ListView1->Items()->Count(), best, engine, icons, best / engine, stall);
        delete form;
        return 0;
    }
    if (mode == QLatin1String("extract") && argc >= 4) {
        const QString out = QString::fromLocal8Bit(argv[3]);
        TForm1* form = OpenMainWindow(folder, home);
        ShellIconCache::Clear();
        MessageBoxSeam::TRecorder boxes;
        MessageBoxSeam::Install(&boxes);
        MessageBoxSeam::SetNextAnswer(IDOK);
        auto* timer = new QTimer(&app);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, out] {
            auto* dialog = qobject_cast<TOutputFolder*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->Modal())
                return;
            timer->stop();
            dialog->DirectoryListBox1->SetDirectory(out);
            dialog->OKBtn->Click();
        });
        timer->start(1);
        StallMeter meter;
        QElapsedTimer t;
        t.start();
        form->ExtractFromMultiFolderClick(nullptr);
        while (form->FActiveWalks > 0 || ExtractThread::AliveCount() > 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        const double seconds = t.nsecsElapsed() / 1e9;
        std::printf("icons %d\nseconds %.4f\nicons_per_second %.1f\nlongest_stall_ms %.2f\nstatus %s\n",
                    form->FExtractedCount, seconds, form->FExtractedCount / seconds, meter.LongestMs(),
                    form->StatusBar1->Panels()->Items(1)->Text().toUtf8().constData());
        delete form;
        return 0;
    }
    return 2;
}
