// Extraction helpers shared by the single-file command and the folder walks.
#pragma once

#include <QByteArray>

class TForm1;
class TIcon;

// folder + "/" + name, with one separator also at the root.
QByteArray JoinPath(const QByteArray& folder, const QByteArray& name);
// The path as the file system resolves it (links and "..": the folder's identity); the
// path itself when it cannot be resolved.
QByteArray CanonicalPath(const QByteArray& path);

// The name an extracted icon's file starts with: the file name without its last four
// characters (the dot and extension of every listed kind); shorter names stay whole.
QByteArray OutputBaseName(const QByteArray& fileName);

// Whether a folder walk extracts the file `fileName`: its extension names a file kind
// whose flag is on now (the flags are read when the file is met).
bool WalkExtracts(const TForm1& form, const QByteArray& fileName);

// Writes every icon of `source` into `outputFolder` under names that are free: base
// name + n + ".ico", n counting from 0 over the names taken. A name is taken with
// exclusive creation, so no file is ever replaced. Each icon written raises the
// form's FExtractedCount and shows the progress; a failed icon is passed over.
void ExtractIntoFreeNames(TForm1& form, TIcon& holder, const QByteArray& source, const QByteArray& fileName,
                          const QByteArray& outputFolder);
