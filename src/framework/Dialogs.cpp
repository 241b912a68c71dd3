// Message boxes and the save dialog.
#include "framework/Dialogs.h"

#include "framework/ExtCtrls.h"
#include "framework/FileNames.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "forms/FormResources.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QIcon>
#include <QLabel>

#include <unistd.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <stdexcept>

namespace {

MessageBoxSeam::TRecorder* gRecorder = nullptr;

MessageBoxSeam::TRecorder& Recorder()
{
    if (!gRecorder)
        throw std::logic_error("no message box recorder is installed");
    return *gRecorder;
}
TSaveDialog::TRecorder* gSaveRecorder = nullptr;

TSaveDialog::TRecorder& SaveRecorder()
{
    if (!gSaveRecorder)
        throw std::logic_error("no save dialog recorder is installed");
    return *gSaveRecorder;
}


std::function<void(TForm&)> gMessageBoxLook;

// The symbol of a message box's icon flag, empty for none.
QString SymbolOf(unsigned flags)
{
    switch (flags & 0xF0) {
    case MB_ICONSTOP: return QStringLiteral(":/images/msg_error.png");
    case MB_ICONQUESTION: return QStringLiteral(":/images/msg_question.png");
    case MB_ICONWARNING: return QStringLiteral(":/images/msg_warning.png");
    case MB_ICONINFORMATION: return QStringLiteral(":/images/msg_information.png");
    default: return QString();
    }
}

// Lays out a message box as the platform does: the 32 x 32 symbol at the top left, the
// text beside it (centred on the symbol when shorter), and the buttons, 75 x 23 and 6
// apart, centred below, with 12 pixels of margin all round. Buttons answer with their
// IDs as modal results; the first is the default, the last one that cancels takes Esc.
void BuildMessageBox(TForm& box, const QString& text, const QString& caption, unsigned flags)
{
    constexpr int kMargin = 12, kSymbol = 32, kGap = 12, kButtonWidth = 75, kButtonHeight = 23, kButtonGap = 6;
    constexpr int kTextWidth = 420;
    InitFormResources();
    box.SetName(QStringLiteral("MessageBox"));
    box.SetCaption(caption);
    box.SetBorderStyle(bsDialog);
    box.SetFont(QStringLiteral("宋体"), -12);

    int textLeft = kMargin;
    int symbolHeight = 0;
    if (const QString symbol = SymbolOf(flags); !symbol.isEmpty()) {
        auto* image = new QLabel(&box);
        image->setObjectName(QStringLiteral("Symbol"));
        image->setPixmap(QIcon(symbol).pixmap(QSize(kSymbol, kSymbol), box.devicePixelRatioF()));
        image->setGeometry(kMargin, kMargin, kSymbol, kSymbol);
        textLeft += kSymbol + kGap;
        symbolHeight = kSymbol;
    }

    auto* label = new TLabel(&box, &box);
    label->SetName(QStringLiteral("Text"));
    label->SetAutoSize(false);
    label->setWordWrap(true);
    label->SetCaption(text);
    TRect measured(0, 0, kTextWidth, 0);
    {
        QImage scratch(1, 1, QImage::Format_RGB32);
        TCanvas canvas(&scratch);
        canvas.Font = TFont::FromQFont(box.font(), clWindowText);
        canvas.DrawText(text, measured, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    }
    const int textWidth = std::min(kTextWidth, measured.Width() + 1);
    const int textHeight = measured.Height();
    const int textTop = kMargin + std::max(0, (symbolHeight - textHeight) / 2);
    label->SetBounds(textLeft, textTop, textWidth, textHeight);

    struct TChoice {
        const char* Text;
        int Id;
    };
    std::vector<TChoice> choices;
    switch (flags & 0xF) {
    case MB_OKCANCEL: choices = {{"OK", IDOK}, {"Cancel", IDCANCEL}}; break;
    case MB_YESNOCANCEL: choices = {{"&Yes", IDYES}, {"&No", IDNO}, {"Cancel", IDCANCEL}}; break;
    case MB_YESNO: choices = {{"&Yes", IDYES}, {"&No", IDNO}}; break;
    default: choices = {{"OK", IDOK}}; break;
    }
    const int row = static_cast<int>(choices.size()) * kButtonWidth + (static_cast<int>(choices.size()) - 1) * kButtonGap;
    const int width = std::max(textLeft + textWidth, kMargin + row) + kMargin;
    const int buttonsTop = kMargin + std::max(symbolHeight, textTop - kMargin + textHeight) + kGap + 2;
    int x = (width - row) / 2;
    TButton* first = nullptr;
    for (const TChoice& choice : choices) {
        auto* button = new TButton(&box, &box);
        // Qt's own names of the standard buttons, in the language of its translations.
        button->SetCaption(QCoreApplication::translate("QPlatformTheme", choice.Text));
        button->SetModalResult(choice.Id);
        button->SetBounds(x, buttonsTop, kButtonWidth, kButtonHeight);
        x += kButtonWidth + kButtonGap;
        if (!first) {
            first = button;
            button->SetDefault(true);
        }
        // Esc answers Cancel, No where there is no Cancel, and OK when it stands alone.
        if (choice.Id == IDCANCEL || (choice.Id == IDNO && (flags & 0xF) == MB_YESNO) || choices.size() == 1)
            button->SetCancel(true);
    }
    box.SetClientSize(width, buttonsTop + kButtonHeight + kMargin);
    box.SetPosition(poScreenCenter);
    if (gMessageBoxLook)
        gMessageBoxLook(box);
    first->setFocus();
}

} // namespace

int MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags)
{
    if (gRecorder) {
        gRecorder->Shown.push_back({caption, text, flags});
        if (!gRecorder->Answers.empty()) {
            const int answer = gRecorder->Answers.front();
            gRecorder->Answers.pop_front();
            return answer;
        }
    }
    TForm box(nullptr);
    BuildMessageBox(box, text, caption, flags);
    const int answer = box.ShowModal();
    for (int i = 0; i < box.ComponentCount(); ++i)
        if (const auto* button = dynamic_cast<const TButton*>(box.Components(i)); button && button->ModalResult() == answer)
            return answer;
    return (flags & 0xF) == MB_YESNO ? IDNO : IDCANCEL;
}

void SetMessageBoxLook(std::function<void(TForm&)> look)
{
    gMessageBoxLook = std::move(look);
}

void ShowMessage(const QString& text)
{
    MessageBox(Application->MainForm(), text, Application->Title(), MB_OK);
}

namespace MessageBoxSeam {
void Install(TRecorder* recorder) { gRecorder = recorder; }
void SetNextAnswer(int id) { Recorder().Answers.push_back(id); }
void ClearAnswers() { Recorder().Answers.clear(); }
int PendingAnswers() { return static_cast<int>(Recorder().Answers.size()); }
const std::vector<TShownBox>& Shown() { return Recorder().Shown; }
void ClearShown() { Recorder().Shown.clear(); }
} // namespace MessageBoxSeam

TSaveDialog::TSaveDialog(TComponent* owner)
    : QObject(owner ? owner->AsObject() : nullptr)
    , TComponent(this, owner)
{
}

void TSaveDialog::Install(TRecorder* recorder) { gSaveRecorder = recorder; }

void TSaveDialog::SetNextResult(std::optional<QString> fileName, int filterIndex)
{
    SaveRecorder().Results.emplace_back(std::move(fileName), filterIndex);
}

void TSaveDialog::ClearResults() { SaveRecorder().Results.clear(); }
QString TSaveDialog::LastFilter() { return SaveRecorder().LastFilter; }
QString TSaveDialog::LastFileName() { return SaveRecorder().LastFileName; }

QStringList TSaveDialog::NameFilters(const QString& filter)
{
    // "a|*.x|b|*.y" becomes "a (*.x);;b (*.y)". A description that already ends with its
    // patterns in brackets ("图标文件(*.ico)") is the whole entry: Qt takes the patterns
    // from the brackets, and appending them would show them twice.
    QStringList filters;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')).simplified();
        const QString description = parts[i].trimmed();
        if (description.endsWith(QLatin1Char(')'))) {
            const qsizetype open = description.lastIndexOf(QLatin1Char('('));
            if (open >= 0 && description.mid(open + 1, description.size() - open - 2).simplified() == patterns) {
                filters << description;
                continue;
            }
        }
        filters << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return filters;
}

bool TSaveDialog::Execute(QWidget* owner)
{
    if (gSaveRecorder) {
        gSaveRecorder->LastFilter = Filter;
        gSaveRecorder->LastFileName = FileName;
    }
    if (gSaveRecorder && !gSaveRecorder->Results.empty()) {
        const auto [result, filterIndex] = gSaveRecorder->Results.front();
        gSaveRecorder->Results.pop_front();
        if (!result)
            return false;
        const QString chosen = RecoverFileName(*result);
        if ((Options & ofOverwritePrompt) && ::access(EncodeFileName(chosen).constData(), F_OK) == 0) {
            const QString text = QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(DisplayFileName(chosen));
            if (MessageBox(owner, text, Title.isEmpty() ? QStringLiteral("Save As") : Title,
                           MB_YESNO | MB_ICONWARNING) != IDYES)
                return false;
        }
        FileName = chosen;
        if (filterIndex > 0)
            FilterIndex = filterIndex;
        return true;
    }
    const QStringList filters = NameFilters(Filter);
    QFileDialog dialog(owner, Title);
    dialog.setNameFilters(filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(Options & ofOverwritePrompt));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    // Qt cannot name a folder whose name is not UTF-8, and would open elsewhere; the
    // process's current folder is reached through its link in /proc instead.
    const QString current = CurrentFolder();
    const bool unnamable = InitialDir.isEmpty() && current != QString::fromUtf8(EncodeFileName(current));
    const QString viaProc = QStringLiteral("/proc/self/cwd");
    if (!InitialDir.isEmpty())
        dialog.setDirectory(InitialDir);
    else if (unnamable)
        dialog.setDirectory(viaProc);
    if (!DefaultExt.isEmpty())
        dialog.setDefaultSuffix(DefaultExt);
    if (FilterIndex >= 1 && FilterIndex <= filters.size())
        dialog.selectNameFilter(filters[FilterIndex - 1]);
    if (!FileName.isEmpty())
        dialog.selectFile(FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    if (const qsizetype picked = filters.indexOf(dialog.selectedNameFilter()); picked >= 0)
        FilterIndex = int(picked) + 1;
    QString chosen = dialog.selectedFiles().constFirst();
    if (unnamable && chosen.startsWith(viaProc + QLatin1Char('/')))
        chosen = current + chosen.mid(viaProc.size());
    FileName = RecoverFileName(chosen);
    return true;
}
