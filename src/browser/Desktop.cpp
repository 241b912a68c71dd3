// The main window's desktop manners: help that opens, dragging and copying icons, the
// file named on the command line, and the keys users expect (F1, Ctrl+Q, Ctrl+C).
#include "browser/Mainform.h"

#include "browser/SaveFile.h"

#include "core/FileWrite.h"
#include "core/IconFile.h"
#include "core/OutputFormat.h"
#include "core/Paths.h"
#include "framework/Dialogs.h"
#include "framework/FileNames.h"
#include "framework/Language.h"
#include "framework/ShellApi.h"
#include "platform/Icon.h"
#include "platform/Profile.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

#include <cerrno>
#include <cstring>

namespace {

QString CompanionPath(const char* name)
{
    return DecodeFileName(QByteArray::fromStdString(CompanionFile(name)));
}

} // namespace

bool TForm1::SelectFileRow(const QByteArray& name)
{
    TListItems* items = ListView1->Items();
    for (int i = 0; i < items->Count(); ++i) {
        const gw::FolderRow* row = RowOf(items->Item(i));
        if (row && row->Name == std::string_view(name.constData(), std::size_t(name.size()))) {
            SelectRow(i);
            ListView1->MakeVisible(i);
            return true;
        }
    }
    return false;
}

int TForm1::BrowsePath(const QByteArray& path)
{
    gw::BrowseTarget target;
    if (const int err = gw::ResolveBrowseTarget(path.toStdString(), target))
        return err;
    try {
        DirectoryListBox1->SetDirectory(DecodeFileName(QByteArray::fromStdString(target.Folder)));
    } catch (const std::exception&) {
        return EACCES;
    }
    if (!target.FileName.empty())
        SelectFileRow(QByteArray::fromStdString(target.FileName));
    return 0;
}

void TForm1::FilesDropped(TObject* Sender, const QList<QByteArray>& Files)
{
    (void)Sender;
    int firstError = 0;
    for (const QByteArray& path : Files) {
        const int err = BrowsePath(path);
        if (err == 0)
            return;
        if (firstError == 0)
            firstError = err;
    }
    if (firstError)
        ShowStatusText(tr("无法浏览%1：%2")
                           .arg(DisplayFileName(DecodeFileName(Files.constFirst())),
                                QString::fromLocal8Bit(std::strerror(firstError))));
}

void TForm1::BindDesktopCommands()
{
    auto shortcut = [this](const QKeySequence& keys, QWidget* scope, Qt::ShortcutContext context, const char* name,
                           void (TForm1::*handler)(TObject*)) {
        auto* s = new QShortcut(keys, scope);
        s->setContext(context);
        connect(s, &QShortcut::activated, this, [this, name, handler] {
            if (FCommandHook && FCommandHook(QString::fromLatin1(name), this))
                return;
            (this->*handler)(this);
        });
    };
    shortcut(QKeySequence(Qt::Key_F1), this, Qt::WindowShortcut, "HelpClick", &TForm1::HelpClick);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this, Qt::WindowShortcut, "CloseClick", &TForm1::CloseClick);
    shortcut(QKeySequence(Qt::Key_Escape), this, Qt::WindowShortcut, "CancelExtractClick", &TForm1::CancelExtractClick);
    auto* copy = new QShortcut(QKeySequence::Copy, ListView1);
    copy->setContext(Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, [this] { CopyIcon(); });
    ListView1->OnDragOut = [this](TListItem* Item) { return RowIconData(RowOf(Item)); };
    DragAcceptFiles(true);
    OnDropFiles = [this](TObject* Sender, const QList<QByteArray>& Files) { FilesDropped(Sender, Files); };
    // F6 and Shift+F6 step between the window's panes without a mouse, as Tab does
    // through every control.
    for (const bool forward : {true, false}) {
        auto* pane = new QShortcut(QKeySequence(forward ? Qt::Key_F6 : (Qt::SHIFT | Qt::Key_F6)), this);
        pane->setContext(Qt::WindowShortcut);
        connect(pane, &QShortcut::activated, this, [this, forward] { FocusNextPane(forward); });
    }
}

void TForm1::FocusNextPane(bool forward)
{
    QWidget* const panes[] = {DirectoryListBox1, ListView1, ToolBar1, Drive1};
    const int count = int(std::size(panes));
    int current = -1;
    for (int i = 0; i < count; ++i)
        if (panes[i]->isAncestorOf(QApplication::focusWidget()) || panes[i] == QApplication::focusWidget())
            current = i;
    const int next = current < 0 ? 0 : (current + (forward ? 1 : count - 1)) % count;
    panes[next]->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void TForm1::OpenHelp()
{
    // The help in the window's language.
    const std::string name = UiLanguage() == ulEnglish ? "help-en" : "help";
    const QString chm = CompanionPath((name + ".chm").c_str());
    if (QFile::exists(chm) && !DefaultHandlerFor(QStringLiteral("application/vnd.ms-htmlhelp")).isEmpty() &&
        ShellOpen(chm))
        return;
    const QString index = CompanionPath((name + "/index.html").c_str());
    if (!QFile::exists(index)) {
        MessageBox(this, tr("找不到帮助文件：") + chm, QStringLiteral("Glimmerwick:"),
                   MB_OK | MB_ICONWARNING);
        return;
    }
    if (!DefaultHandlerFor(QStringLiteral("text/html")).isEmpty() && ShellOpen(index))
        return;
    // No browser either: the pages in a window of our own, links followed inside it.
    if (!FHelpWindow) {
        auto* browser = new QTextBrowser(this);
        browser->setWindowFlag(Qt::Window);
        browser->setAttribute(Qt::WA_DeleteOnClose);
        browser->setObjectName(QStringLiteral("HelpWindow"));
        browser->setWindowTitle(tr("Glimmerwick 使用说明"));
        browser->setOpenExternalLinks(true);
        browser->resize(640, 480);
        browser->setSource(QUrl::fromLocalFile(index));
        FHelpWindow = browser;
    }
    FHelpWindow->show();
    FHelpWindow->raise();
    FHelpWindow->activateWindow();
}

QMimeData* TForm1::RowIconData(const gw::FolderRow* Row)
{
    if (!Row)
        return nullptr;
    const QByteArray path = FRows.Path(*Row);
    // The file is read once for both the image and the file a drop target copies.
    const gw::IconFile file = gw::IconFile::Open(path.toStdString());
    // The window's 16-colour icon, made only where it is needed.
    TIcon icon;
    auto icon16 = [&]() -> TIcon& {
        if (!icon.GetHandle())
            icon.SetHandle(ExtractIconA(reinterpret_cast<HINSTANCE>(this), path.constData(), Row->Icon));
        return icon;
    };
    // The image: the group's largest image as Save's PNG holds it; the 32x32 icon where
    // the reader has no group to give (a row whose file changed since the scan).
    std::vector<std::uint8_t> largest = RowIconBytes(file, *Row, gw::OutputFormat::Png);
    QByteArray png(reinterpret_cast<const char*>(largest.data()), qsizetype(largest.size()));
    QImage image = QImage::fromData(png, "PNG");
    if (image.isNull()) {
        image = HIconToImage(icon16().GetHandle());
        if (image.isNull())
            return nullptr;
        png.clear();
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    auto* data = new QMimeData;
    data->setImageData(image);
    data->setData(QStringLiteral("image/png"), png);

    // The file a drop target copies: what Save writes in the type chosen last, named as
    // Save proposes (notepad.exe, icon 0 -> notepad0.ico), in a scratch folder of this
    // process.
    std::vector<std::uint8_t> bytes;
    try {
        bytes = FSettings.SaveFileType == gw::OutputFormat::Icon16 ? icon16().Encoded()
                : FSettings.SaveFileType == gw::OutputFormat::Png  ? std::move(largest)
                                                          : RowIconBytes(file, *Row, FSettings.SaveFileType);
    } catch (const std::exception&) {
        // An icon the writer cannot encode still goes as an image.
    }
    if (!FScratchFolder)
        FScratchFolder = std::make_unique<QTemporaryDir>();
    if (!bytes.empty() && FScratchFolder->isValid()) {
        const QString name = TSaveFile::ProposedName(TFileRows::Name(*Row), Row->Icon) +
                             QLatin1String(gw::Extension(FSettings.SaveFileType));
        const QString file = FScratchFolder->filePath(name);
        if (FileWrite::Replace(EncodeFileName(file).toStdString(), bytes.data(), bytes.size()) == 0)
            data->setUrls({QUrl::fromLocalFile(file)});
    }
    return data;
}

void TForm1::CopyIcon()
{
    if (QMimeData* data = RowIconData(RowOf(ListView1->Selected())))
        QGuiApplication::clipboard()->setMimeData(data);
}
