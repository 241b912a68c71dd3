// Extraction helpers shared by the single-file command and the folder walks.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <optional>

// The context of the extraction's window texts, for their translation.
struct TExtractionTexts {
    Q_DECLARE_TR_FUNCTIONS(TExtractionTexts)
};

class TExtractionHost;
class TExtractionRun;
namespace gw {
class OutputNames;
}

// gw::JoinPath for raw file names.
QByteArray JoinPath(const QByteArray& folder, const QByteArray& name);
// The path as the file system resolves it (links and "..": the folder's identity); the
// path itself when it cannot be resolved.
QByteArray CanonicalPath(const QByteArray& path);

// Writes every icon of `source` in the run's format into `outputFolder` under names
// that are free, claimed in `names` (gw::OutputNames::ClaimNumbered: stem + n + the
// format's extension). A name is taken with exclusive creation, so no file is ever
// replaced. Each icon written is told to the host, each that cannot be read or written
// counts as the run's failure, and the progress is shown. Returns false when the output
// folder has gone: the walk should stop.
bool ExtractIntoFreeNames(TExtractionRun& run, const QByteArray& source, const QByteArray& fileName,
                          const QByteArray& outputFolder, gw::OutputNames& names);

// Shows the output-folder dialog; the chosen folder, or nothing when cancelled.
std::optional<QString> ChooseOutputFolder(const TExtractionHost& host);

// Writes every icon of the file `source` in the host's format (as the command starts)
// into `outputFolder` as
// base name + n + the format's extension,
// replacing existing files only when the user agrees, and reports the result.
void ExtractFileIcons(TExtractionHost& host, const QByteArray& source, const QString& outputFolder);

// The folder commands: ask for the output folder and extract every file of the host's
// current folder (and, `recursive`, of every folder below it) on a worker, in the
// host's format as the command starts.
void ExtractFolderIcons(TExtractionHost& host, bool recursive);
