// The main window's desktop manners: help that opens, dragging and copying icons, the
// file named on the command line, and the keys users expect (F1, Ctrl+Q, Ctrl+C).
#include "Mainform.h"

#include "Dialogs.h"
#include "FileNames.h"
#include "Icon.h"
#include "Profile.h"
#include "ShellApi.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

namespace {

QString CompanionPath(const char* name)
{
    std::string folder = ApplicationFolder();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return DecodeFileName(QByteArray::fromStdString(folder + name));
}

} // namespace

bool TForm1::SelectFileRow(const QByteArray& name)
{
    TListItems* items = ListView1->Items();
    for (int i = 0; i < items->Count(); ++i) {
        const auto* raw = static_cast<const QByteArray*>(items->Item(i)->Data);
        if (raw && *raw == name) {
            SelectRow(i);
            ListView1->MakeVisible(i);
            return true;
        }
    }
    return false;
}

void TForm1::BindDesktopCommands()
{
    auto shortcut = [this](const QKeySequence& keys, QWidget* scope, Qt::ShortcutContext context, const char* name,
                           void (TForm1::*handler)(TObject*)) {
        auto* s = new QShortcut(keys, scope);
        s->setContext(context);
        connect(s, &QShortcut::activated, this, [this, name, handler] {
            if (CommandHook && CommandHook(QString::fromLatin1(name), this))
                return;
            (this->*handler)(this);
        });
    };
    shortcut(QKeySequence(Qt::Key_F1), this, Qt::WindowShortcut, "HelpClick", &TForm1::HelpClick);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this, Qt::WindowShortcut, "CloseClick", &TForm1::CloseClick);
    auto* copy = new QShortcut(QKeySequence::Copy, ListView1);
    copy->setContext(Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, [this] { CopyIcon(); });
    ListView1->OnDragOut = [this](TListItem* Item) { return RowIconData(Item); };
}

void TForm1::OpenHelp()
{
    const QString chm = CompanionPath("help.chm");
    if (QFile::exists(chm) && !DefaultHandlerFor(QStringLiteral("application/vnd.ms-htmlhelp")).isEmpty() &&
        ShellOpen(chm))
        return;
    const QString index = CompanionPath("help/index.html");
    if (!QFile::exists(index)) {
        MessageBox(this, QStringLiteral("找不到帮助文件：") + chm, QStringLiteral("Glimmerwick:"),
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
        browser->setWindowTitle(QStringLiteral("Glimmerwick 使用说明"));
        browser->setOpenExternalLinks(true);
        browser->resize(640, 480);
        browser->setSource(QUrl::fromLocalFile(index));
        FHelpWindow = browser;
    }
    FHelpWindow->show();
    FHelpWindow->raise();
    FHelpWindow->activateWindow();
}

QMimeData* TForm1::RowIconData(TListItem* Item)
{
    if (!Item)
        return nullptr;
    TIcon icon;
    icon.SetHandle(ExtractIconA(reinterpret_cast<HINSTANCE>(this), RowPath(Item).constData(),
                                Item->SubItems()->Strings(1).toInt()));
    const QImage image = HIconToImage(icon.GetHandle());
    if (image.isNull())
        return nullptr;
    auto* data = new QMimeData;
    data->setImageData(image);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    data->setData(QStringLiteral("image/png"), png);

    // The file a drop target copies: named as Save proposes (notepad.exe, icon 0 ->
    // notepad0.ico), in a scratch folder of this process.
    try {
        const std::vector<std::uint8_t>& bytes = icon.Encoded();
        if (!FScratchFolder)
            FScratchFolder = std::make_unique<QTemporaryDir>();
        if (FScratchFolder->isValid()) {
            const QString caption = Item->Caption();
            const QString name = caption.left(caption.size() - 4) + Item->SubItems()->Strings(1) + QStringLiteral(".ico");
            QFile file(FScratchFolder->filePath(name));
            if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) == qint64(bytes.size()) &&
                file.flush())
                data->setUrls({QUrl::fromLocalFile(file.fileName())});
        }
    } catch (const std::exception&) {
        // An icon the writer cannot encode still goes as an image.
    }
    return data;
}

void TForm1::CopyIcon()
{
    if (QMimeData* data = RowIconData(ListView1->Selected()))
        QGuiApplication::clipboard()->setMimeData(data);
}
