// The file a save command writes: chosen in the save dialog, completed with its type's
// extension, put in place of an existing file only when the user agrees.
#pragma once

#include "framework/Dialogs.h"

#include <QCoreApplication>
#include <QLatin1String>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class TSaveFile {
    Q_DECLARE_TR_FUNCTIONS(TSaveFile)
public:
    // Runs `dialog` (its FileName and FilterIndex set by the caller) and returns the file
    // to write: the name chosen, with `extension(FilterIndex)` added when it does not
    // end with it, once the user has agreed to replace the file of that name (when the
    // dialog's options ask for that and one exists). Nothing when cancelled or refused.
    static std::optional<QByteArray> Choose(QWidget* owner, TSaveDialog& dialog,
                                            const std::function<QLatin1String(int filterIndex)>& extension);
    // Writes `bytes` to `path` as every save does: through links, keeping the file's
    // mode, never over a file its owner made read-only. False when there is nothing to
    // write or writing failed.
    static bool Write(const QByteArray& path, const std::vector<std::uint8_t>& bytes);
    // The same for bytes there are: 0, or the errno of the failure (or one of the
    // writer's own refusals).
    static int WriteBytes(const QByteArray& path, const std::vector<std::uint8_t>& bytes);
    // Tells the user that a save failed; with `why`, what failed, on a line of its own.
    static void ReportFailure(QWidget* owner, const QString& why = {});
    // `why` for a write that failed with `err`: the system's reason.
    static QString WriteFailure(int err);
    // The name a save proposes for icon `iconNumber` of the file of raw name `fileName`,
    // in the form the list shows names: gw::NumberedName ("notepad.exe", 0 -> "notepad0").
    static QString ProposedName(const QByteArray& fileName, int iconNumber);
};
