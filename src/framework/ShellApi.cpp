// Opening files and addresses with the desktop's default handler.
#include "framework/ShellApi.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

std::function<bool(const QString&)>& Handler()
{
    static std::function<bool(const QString&)> handler;
    return handler;
}

} // namespace

bool ShellOpen(const QString& target)
{
    if (Handler())
        return Handler()(target);
    const QUrl url = target.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(target) : QUrl(target);
    if (QDesktopServices::openUrl(url))
        return true;
    // Platform plugins without desktop services (offscreen, minimal, some Wayland
    // setups) refuse; the desktop's opener is still there to ask.
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    return !xdgOpen.isEmpty() && QProcess::startDetached(xdgOpen, {url.toString()});
}

QString DefaultHandlerFor(const QString& mimeType)
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return {};
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    // The answer comes from files; a query that hangs is treated as "no handler".
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    const QString answer = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    return answer.endsWith(QLatin1String(".desktop")) ? answer : QString();
}

namespace ShellOpenSeam {

void SetHandler(std::function<bool(const QString&)> handler)
{
    Handler() = std::move(handler);
}

} // namespace ShellOpenSeam
