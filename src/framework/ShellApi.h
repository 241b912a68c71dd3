// Opening files and addresses with the desktop's default handler.
#pragma once

#include <QString>

#include <functional>

// Asks the desktop to open `target`: a local file path or an address such as
// "mailto:..." or "https://...". The result is whether the request was handed over.
bool ShellOpen(const QString& target);

// The desktop entry that opens files of MIME type `mimeType` by default, as xdg-mime
// answers; empty when there is none (or no xdg-mime to ask).
QString DefaultHandlerFor(const QString& mimeType);

namespace ShellOpenSeam {

// Replaces the desktop for tests; an empty function restores it.
void SetHandler(std::function<bool(const QString& target)> handler);

} // namespace ShellOpenSeam
