// Benchmark driver: the real main window on the offscreen platform. Times the listing of a
// folder and a folder-tree extraction through the real commands, and the longest stall of
// the event loop while each runs.
//
//   gui_bench list FOLDER         rows, seconds, engine-only count seconds, longest stall
//   gui_bench extract TREE OUT    icons written, seconds, icons per second, longest stall
//   gui_bench progress TREE OUT [FORMAT]
//                                 the same with the window shown, in extraction format
//                                 FORMAT (1 16-colour icons, 2 groups as stored, 3 PNG),
//                                 RUNS times (default 10) into new folders of OUT: the
//                                 median, every run's seconds and CPU seconds, and how
//                                 often the status bar was painted
//   gui_bench inspect FILE INDEX  milliseconds from the inspector command to the inspector
//                                 painted with every image of group INDEX (median, best of
//                                 RUNS), and of reading and decoding the group alone
#include "browser/Inspector.h"
#include "browser/Mainform.h"
#include "extract/ExtractionRun.h"
#include "extract/Extractthd.h"
#include "extract/OutputFolder.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "platform/Profile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <dirent.h>
#include <sys/resource.h>

#include <algorithm>
#include <vector>
#include <cstdio>
#include <cstdlib>
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

// User and system time of the process so far.
double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Counts the paints of the widget it filters.
struct PaintCounter : QObject {
    int Count = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++Count;
        return QObject::eventFilter(watched, event);
    }
};

TForm1* OpenMainWindow(const QString& folder, QTemporaryDir& home, int format = 1)
{
    SetApplicationFolderForTesting(home.path().toStdString());
    std::ofstream ini(SettingsFileName());
    ini << "[Access]\nLast=1\n[Init]\nDirectory=" << folder.toStdString() << "\n[View]\n[Extract]\nFormat="
        << format << "\n";
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
    if ((mode == QLatin1String("extract") || mode == QLatin1String("progress")) && argc >= 4) {
        const QString out = QString::fromLocal8Bit(argv[3]);
        const bool shown = mode == QLatin1String("progress");
        // The progress benchmark extracts RUNS times (each into a new folder of OUT,
        // from a cold reader cache) and prints the median.
        const int runs = shown && qEnvironmentVariableIsSet("RUNS") ? std::max(1, qEnvironmentVariableIntValue("RUNS"))
                         : shown                                    ? 10
                                                                    : 1;
        TForm1* form = OpenMainWindow(folder, home, argc >= 5 ? std::atoi(argv[4]) : 1);
        PaintCounter statusPaints;
        if (shown) {
            form->Show();
            form->StatusBar1->installEventFilter(&statusPaints);
        }
        MessageBoxSeam::TRecorder boxes;
        MessageBoxSeam::Install(&boxes);
        std::vector<double> times, cpus;
        double stall = 0;
        for (int run = 0; run < runs; ++run) {
            const QString into = shown ? out + QStringLiteral("/run%1").arg(run) : out;
            QDir().mkpath(into);
            ShellIconCache::Clear();
            MessageBoxSeam::SetNextAnswer(IDOK);
            auto* timer = new QTimer(&app);
            QObject::connect(timer, &QTimer::timeout, timer, [timer, into] {
                auto* dialog = qobject_cast<TOutputFolder*>(QApplication::activeModalWidget());
                if (!dialog || !dialog->Modal())
                    return;
                timer->stop();
                dialog->DirectoryListBox1->SetDirectory(into);
                dialog->OKBtn->Click();
            });
            timer->start(1);
            StallMeter meter;
            QElapsedTimer t;
            const double cpu = CpuSeconds();
            t.start();
            form->ExtractFromMultiFolderClick(nullptr);
            while (form->FActiveWalks > 0 || ExtractThread::AliveCount() > 0) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            }
            times.push_back(t.nsecsElapsed() / 1e9);
            cpus.push_back(CpuSeconds() - cpu);
            stall = std::max(stall, meter.LongestMs());
            timer->deleteLater();
        }
        std::vector<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        const double seconds = sorted[sorted.size() / 2];
        std::printf("icons %d\nseconds %.4f\nicons_per_second %.1f\nlongest_stall_ms %.2f\nstatus %s\n",
                    form->FExtractedCount, seconds, form->FExtractedCount / seconds, stall,
                    form->StatusBar1->Panels()->Items(1)->Text().toUtf8().constData());
        if (shown) {
            // One progress update as the walk makes it: the text set and painted.
            const int updates = 200;
            QElapsedTimer u;
            u.start();
            for (int i = 0; i < updates; ++i) {
                form->ShowStatusText(QStringLiteral("正在提取：已处理%1个文件，提取%2个图标……").arg(i).arg(i / 3));
                form->StatusBar1->repaint();
            }
            std::printf("update_ms %.4f\n", u.nsecsElapsed() / 1e6 / updates);
            std::printf("files %d\nstatus_paints %d\nruns", TExtractionRun::LastProcessed(), statusPaints.Count - updates);
            for (double each : times)
                std::printf(" %.4f", each);
            std::printf("\ncpu");
            for (double each : cpus)
                std::printf(" %.4f", each);
            std::printf("\n");
        }
        delete form;
        return 0;
    }
    if (mode == QLatin1String("inspect") && argc >= 4) {
        // The file alone in a folder of its own, so that the window lists it only.
        const QString file = QString::fromLocal8Bit(argv[2]);
        const int group = std::atoi(argv[3]);
        QTemporaryDir folder;
        const QString copy = folder.path() + QStringLiteral("/") + QFileInfo(file).fileName();
        if (!QFile::copy(file, copy))
            return 1;
        TForm1* form = OpenMainWindow(folder.path(), home);
        form->Show();
        int row = -1;
        for (int i = 0; i < form->ListView1->Items()->Count(); ++i)
            if (form->ListView1->Items()->Item(i)->SubItems()->Strings(1).toInt() == group)
                row = i;
        if (row < 0)
            return 1;
        form->SelectRow(row);
        const int runs = qEnvironmentVariableIsSet("RUNS") ? std::max(1, qEnvironmentVariableIntValue("RUNS")) : 20;
        std::vector<double> opened, read;
        int images = 0;
        QElapsedTimer t;
        auto* timer = new QTimer(&app);
        QObject::connect(timer, &QTimer::timeout, timer, [&] {
            auto* inspector = qobject_cast<TIconInspector*>(QApplication::activeModalWidget());
            if (!inspector || !inspector->isVisible())
                return;
            inspector->grab();  // every entry painted
            opened.push_back(t.nsecsElapsed() / 1e6);
            images = inspector->ImageList->count();
            inspector->Close();
        });
        timer->start(0);
        for (int run = 0; run < runs; ++run) {
            t.start();
            form->InspectMenuClick(nullptr);
        }
        timer->stop();
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer r;
            r.start();
            const gw::IconFile f(copy.toStdString());
            const auto stored = gw::GroupStoredImages(f, std::size_t(group));
            read.push_back(r.nsecsElapsed() / 1e6);
        }
        std::sort(opened.begin(), opened.end());
        std::sort(read.begin(), read.end());
        std::printf("images %d\nruns %d\ninspector_open_median_ms %.2f\ninspector_open_best_ms %.2f\n"
                    "group_read_median_ms %.2f\n",
                    images, runs, opened[opened.size() / 2], opened.front(), read[read.size() / 2]);
        delete form;
        return 0;
    }
    return 2;
}
