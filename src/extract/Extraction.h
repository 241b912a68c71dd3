// Extraction helpers shared by the single-file command and the folder walks.
#pragma once

#include <QByteArray>
#include <QHash>

class TForm1;
class TIcon;

// gw::JoinPath for raw file names.
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
// name + n + ".ico", n counting over the names taken. A name is taken with exclusive
// creation, so no file is ever replaced. `nextFree` remembers per base name the number
// after the last one taken, so a command that meets many files of one name looks at
// each taken name once. Each icon written raises the form's FExtractedCount, each
// that cannot be read or written its FFailedCount, and the progress is shown.
// Returns false when the output folder has gone: the walk should stop.
bool ExtractIntoFreeNames(TForm1& form, TIcon& holder, const QByteArray& source, const QByteArray& fileName,
                          const QByteArray& outputFolder, QHash<QByteArray, int>& nextFree);

// Output names looked at by ExtractIntoFreeNames since the program started.
long long FreeNameLookups();
