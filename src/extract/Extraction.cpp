// Extraction of all icons of one file, and the two folder commands.
#include "extract/Extraction.h"

#include "core/FileWrite.h"
#include "core/OutputNames.h"
#include "core/Paths.h"

#include "extract/ExtractionHost.h"
#include "extract/ExtractFormat.h"
#include "extract/ExtractionRun.h"
#include "extract/Extractthd.h"
#include "extract/OutputFolder.h"
#include "framework/Dialogs.h"
#include "framework/FileNames.h"
#include "framework/Forms.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

namespace {

// Makes `folder` the process's current folder again; when it is gone, the nearest
// ancestor that can be entered.
void ReturnToFolder(const QString& folder)
{
    QByteArray path = EncodeFileName(folder);
    while (!path.isEmpty() && ::chdir(path.constData()) != 0) {
        const qsizetype slash = path.lastIndexOf('/');
        path = slash > 0 ? path.left(slash) : (path == "/" ? QByteArray() : QByteArray("/"));
    }
}

} // namespace

// The dialog's folder list moves the process's current folder; when it has closed the
// current folder returns to the window's, so that no folder visited in the dialog (a
// stick to be unmounted) stays in use.
std::optional<QString> ChooseOutputFolder(const TExtractionHost& host)
{
    std::unique_ptr<TOutputFolder> dialog(new TOutputFolder(nullptr));
    dialog->ShowModal();
    ReturnToFolder(host.ShownFolder());
    if (!dialog->FChosen)
        return std::nullopt;
    return dialog->FChosenFolder;
}

QByteArray JoinPath(const QByteArray& folder, const QByteArray& name)
{
    return QByteArray::fromStdString(gw::JoinPath(folder.toStdString(), name.toStdString()));
}

QByteArray CanonicalPath(const QByteArray& path)
{
    char* resolved = ::realpath(path.constData(), nullptr);
    if (!resolved)
        return path;
    QByteArray result(resolved);
    std::free(resolved);
    return result;
}

namespace {

bool IsFolder(const QByteArray& path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

bool ExtractIntoFreeNames(TExtractionRun& run, const QByteArray& source, const QByteArray& fileName,
                          const QByteArray& outputFolder, gw::OutputNames& names)
{
    TFileIcons icons(run, source);
    const std::string base = gw::JoinPath(outputFolder.toStdString(), gw::IconFileStem(fileName.toStdString()));
    for (int i = 0; i < icons.Count(); ++i) {
        if (run.Ending())
            return false;
        const std::vector<std::uint8_t> bytes = icons.Bytes(i);
        const int err = bytes.empty() ? EINVAL
                                      : names.ClaimNumbered(base, gw::Extension(run.Format()),
                                                            [&bytes](const std::string& target) {
                                                                // A cheap look first; the exclusive creation
                                                                // settles races with other programs.
                                                                return ::access(target.c_str(), F_OK) == 0
                                                                           ? EEXIST
                                                                           : FileWrite::WriteNew(target, bytes.data(),
                                                                                                 bytes.size());
                                                            });
        if (err == 0) {
            run.Host().IconWritten();
        } else {
            // One icon that cannot be written does not stop the others, unless the
            // folder they go to has gone.
            run.AddFailed();
            if (!IsFolder(outputFolder))
                return false;
        }
        ShowExtractStatus(run);
    }
    return true;
}

void ExtractFileIcons(TExtractionHost& host, const QByteArray& source, const QString& outputFolder)
{
    QWidget* const window = host.ExtractionWindow();
    const QString caption = DisplayFileName(DecodeFileName(source));
    const TExtractionRun run(host, host.ExtractFormat());
    TFileIcons icons(run, source);
    const int count = icons.Count();
    if (count == 0) {
        MessageBox(window, TExtractionTexts::tr("这个文件没有可提取的图标资源!"), caption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    const std::string name = source.mid(source.lastIndexOf('/') + 1).toStdString();
    const QByteArray folder = EncodeFileName(outputFolder);
    const char* const extension = gw::Extension(run.Format());
    auto target = [&](int i) {
        return JoinPath(folder, QByteArray::fromStdString(gw::NumberedName(name, i) + extension));
    };
    auto taken = [](const QByteArray& path) {
        struct stat st;
        return ::lstat(path.constData(), &st) == 0 && !S_ISDIR(st.st_mode);
    };

    // The user's files are replaced only when the user agrees, asked once for all.
    int existing = 0;
    for (int i = 0; i < count; ++i)
        existing += taken(target(i));
    const bool replace = existing == 0 ||
                         MessageBox(window, TExtractionTexts::tr("%1个同名图标文件已存在。\n要替换它们吗？").arg(existing),
                                    caption, MB_YESNO | MB_ICONQUESTION) == IDYES;

    host.ShowStatusText(TExtractionTexts::tr("正在从文件中提取图标..."));
    const QPointer<QWidget> alive(window);
    int written = 0;
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        const QByteArray path = target(i);
        if (!replace && taken(path)) {
            ++kept;
        } else {
            const std::vector<std::uint8_t> bytes = icons.Bytes(i);
            // An existing file is replaced only once the icon is encoded and written:
            // a failure leaves it as it was. Never through a link to a file out of
            // the output folder.
            if (!bytes.empty())
                written += (replace ? FileWrite::Replace(path.toStdString(), bytes.data(), bytes.size(),
                                                         folder.toStdString())
                                    : FileWrite::WriteNew(path.toStdString(), bytes.data(), bytes.size())) == 0;
        }
        // A file of many icons takes a while: the window keeps answering, as
        // during a folder walk, and shows how far the extraction has come.
        host.ShowStatusText(TExtractionTexts::tr("正在从文件中提取图标...(%1/%2)").arg(i + 1).arg(count));
        Application->ProcessMessages();
        if (!alive || run.Ending())
            return;
    }
    // Success is reported only when every icon was written; the files the user chose
    // to keep are neither.
    const QString text = written == count ? TExtractionTexts::tr("一共%1个图标，全部提取成功！").arg(count)
                         : kept == 0      ? TExtractionTexts::tr("一共%1个图标，成功提取%2个，%3个提取失败！")
                                           .arg(count)
                                           .arg(written)
                                           .arg(count - written)
                                     : TExtractionTexts::tr("一共%1个图标，成功提取%2个，保留%3个已有的同名文件，%4个提取失败！")
                                           .arg(count)
                                           .arg(written)
                                           .arg(kept)
                                           .arg(count - written - kept);
    MessageBox(window, text, caption, MB_OK | MB_ICONINFORMATION);
    if (alive)
        host.ShowListStatus();
}

namespace {

// True when `output` is the folder being extracted: the same text, or the same folder
// reached another way.
bool IsSourceFolder(const QString& output, const QString& source)
{
    return output == source || CanonicalPath(EncodeFileName(output)) == CanonicalPath(EncodeFileName(source));
}

void RefuseSourceFolder(QWidget* window)
{
    MessageBox(window, TExtractionTexts::tr("请不要选择被提取文件夹存放图标，请重新选择另外一个文件夹来存放图标！"),
               QStringLiteral("Glimmerwick:"), MB_OK | MB_ICONWARNING);
}

} // namespace

void ExtractFolderIcons(TExtractionHost& host, bool recursive)
{
    const auto output = ChooseOutputFolder(host);
    if (!output)
        return;
    const QString folder = host.ShownFolder();
    // The folder command shows what it extracts before it looks at the output folder.
    if (!recursive)
        host.ShowStatusText(TExtractionTexts::tr("正在从文件夹%1中提取图标...").arg(DisplayFileName(folder)));
    if (IsSourceFolder(*output, folder)) {
        RefuseSourceFolder(host.ExtractionWindow());
        return;
    }
    if (recursive)
        host.ShowStatusText(TExtractionTexts::tr("正在从多级文件夹中提取图标..."));
    host.FolderExtractionStarted();
    const QByteArray outputFolder = EncodeFileName(*output);
    new ExtractThread(std::make_shared<TExtractionRun>(host, host.ExtractFormat(), outputFolder.toStdString()),
                      EncodeFileName(folder), outputFolder, recursive, false);
}
