// Message boxes and the save dialog.
#include "framework/Dialogs.h"

#include "framework/FileNames.h"
#include "framework/Forms.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <unistd.h>

#include <deque>
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
    QMessageBox box(owner);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (flags & 0xF0) {
    case MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    std::vector<std::pair<QAbstractButton*, int>> ids;
    auto add = [&](QMessageBox::StandardButton b, int id) { ids.emplace_back(box.addButton(b), id); };
    switch (flags & 0xF) {
    case MB_OKCANCEL: add(QMessageBox::Ok, IDOK); add(QMessageBox::Cancel, IDCANCEL); break;
    case MB_YESNOCANCEL: add(QMessageBox::Yes, IDYES); add(QMessageBox::No, IDNO); add(QMessageBox::Cancel, IDCANCEL); break;
    case MB_YESNO: add(QMessageBox::Yes, IDYES); add(QMessageBox::No, IDNO); break;
    default: add(QMessageBox::Ok, IDOK); break;
    }
    box.exec();
    for (const auto& [button, id] : ids)
        if (box.clickedButton() == button)
            return id;
    return (flags & 0xF) == MB_YESNO ? IDNO : IDCANCEL;
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
