// Message boxes and the save dialog, each with a seam that lets tests answer them.
#pragma once

#include "framework/Classes.h"

class TForm;

#include <QString>
#include <QStringList>
#include <QWidget>

#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_YESNOCANCEL = 0x3;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_ICONSTOP = 0x10;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// A modal message box owned by `owner` with the caption, text, icon and buttons of
// `flags`; returns the ID of the button chosen.
int MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags);
void ShowMessage(const QString& text);
// Gives every message box the program's look, once its controls are in place and before
// it is shown (the flat-look component installs one).
void SetMessageBoxLook(std::function<void(TForm&)> look);

namespace MessageBoxSeam {

struct TShownBox {
    QString Caption;
    QString Text;
    unsigned Flags = 0;
};

// What a test puts in place of the real boxes: answers for the next boxes, and every
// box asked for, answered or shown.
struct TRecorder {
    std::deque<int> Answers;
    std::vector<TShownBox> Shown;
};

// Puts `recorder` in place until Install(nullptr). Without one, every box is shown and
// nothing is kept.
void Install(TRecorder* recorder);

// On the installed recorder (std::logic_error without one). A box with an answer
// queued is recorded and answered without being shown; without one a real box is
// shown and recorded.
void SetNextAnswer(int id);
void ClearAnswers();
int PendingAnswers();
// Every box asked for since the last ClearShown.
const std::vector<TShownBox>& Shown();
void ClearShown();

} // namespace MessageBoxSeam

enum TOpenOption { ofOverwritePrompt = 0x1, ofHideReadOnly = 0x2, ofEnableSizing = 0x4 };

// The save dialog. Filter is "description|pattern|description|pattern...".
class TSaveDialog : public QObject, public TComponent {
    Q_OBJECT
public:
    explicit TSaveDialog(TComponent* owner);

    QString Filter;
    QString FileName;
    QString InitialDir;
    QString DefaultExt;
    QString Title;
    unsigned Options = ofHideReadOnly | ofEnableSizing;
    // The filter shown first, and after Execute the one the user chose (from 1).
    int FilterIndex = 1;

    // True when the user chose a file (FileName then holds it).
    bool Execute(QWidget* owner = nullptr);

    // What a test puts in place of the real dialog: the results of the next Executes
    // (file name, nullopt when cancelled; filter chosen with it, 0: the one shown
    // first), and the filter and initial name the last Execute received.
    struct TRecorder {
        std::deque<std::pair<std::optional<QString>, int>> Results;
        QString LastFilter;
        QString LastFileName;
    };
    // Puts `recorder` in place until Install(nullptr). Without one every Execute shows
    // the real dialog and nothing is kept.
    static void Install(TRecorder* recorder);

    // On the installed recorder (std::logic_error without one). An Execute with a
    // result queued returns it without showing a dialog; with ofOverwritePrompt and an
    // existing file the question goes through the message box seam: Yes keeps the
    // name, No cancels.
    static void SetNextResult(std::optional<QString> fileName, int filterIndex = 0);
    static void ClearResults();
    static QString LastFilter();
    static QString LastFileName();
    // The name filters of a Qt file dialog for `filter` ("description|pattern|...").
    static QStringList NameFilters(const QString& filter);
};

class TSavePictureDialog : public TSaveDialog {
    Q_OBJECT
public:
    explicit TSavePictureDialog(TComponent* owner) : TSaveDialog(owner) {}
};
