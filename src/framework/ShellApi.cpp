// Opening files and addresses with the desktop's default handler.
#include "ShellApi.h"

#include <QDesktopServices>
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
    return QDesktopServices::openUrl(url);
}

namespace ShellOpenSeam {

void SetHandler(std::function<bool(const QString&)> handler)
{
    Handler() = std::move(handler);
}

} // namespace ShellOpenSeam
