// Extraction helpers shared by the single-file command and the folder walks.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QString>

#include <optional>

// The context of the extraction's window texts, for their translation.
struct TExtractionTexts {
    Q_DECLARE_TR_FUNCTIONS(TExtractionTexts)
};

class TExtractionHost;

// gw::JoinPath for raw file names.
QByteArray JoinPath(const QByteArray& folder, const QByteArray& name);
// The path as the file system resolves it (links and "..": the folder's identity); the
// path itself when it cannot be resolved.
QByteArray CanonicalPath(const QByteArray& path);

// The name an extracted icon's file starts with: the file name without its last four
// characters (the dot and extension of every listed kind); shorter names stay whole.
QByteArray OutputBaseName(const QByteArray& fileName);

// Writes every icon of `source` in the host's format into `outputFolder` under names
// that are free: base name + n + the format's extension, n counting over the names taken. A name is taken with exclusive
// creation, so no file is ever replaced. `nextFree` remembers per base name the number
// after the last one taken, so a command that meets many files of one name looks at
// each taken name once. Each icon written raises the host's FExtractedCount, each
// that cannot be read or written its FFailedCount, and the progress is shown.
// Returns false when the output folder has gone, or the window is closing: the walk
// should stop.
bool ExtractIntoFreeNames(TExtractionHost& host, const QByteArray& source, const QByteArray& fileName,
                          const QByteArray& outputFolder, QHash<QByteArray, int>& nextFree);

// Output names looked at by ExtractIntoFreeNames since the program started.
long long FreeNameLookups();

// Shows the output-folder dialog; the chosen folder, or nothing when cancelled.
std::optional<QString> ChooseOutputFolder(const TExtractionHost& host);

// Writes every icon of the file `source` in the host's format into `outputFolder` as
// base name + n + the format's extension,
// replacing existing files only when the user agrees, and reports the result.
void ExtractFileIcons(TExtractionHost& host, const QByteArray& source, const QString& outputFolder);

// The folder commands: ask for the output folder and extract every file of the host's
// current folder (and, `recursive`, of every folder below it) on a worker.
void ExtractFolderIcons(TExtractionHost& host, bool recursive);
