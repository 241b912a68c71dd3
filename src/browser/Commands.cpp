// Preview, navigation, file and extraction commands of the main window.
#include "browser/Mainform.h"

#include "browser/Inspector.h"
#include "browser/SaveFile.h"

#include "core/IconFile.h"
#include "core/OutputFormat.h"
#include "extract/Extraction.h"
#include "extract/ExtractionRun.h"
#include "framework/Dialogs.h"
#include "framework/FileNames.h"
#include "framework/ShellApi.h"
#include "platform/Profile.h"
#include "skin/About.h"

#include <QFile>

#include <memory>

#include <unistd.h>

const gw::FolderRow* TForm1::SelectRow(int index)
{
    ListView1->SetItemIndex(index);
    return RowOf(ListView1->Selected());
}

void TForm1::ShowRowIcon(const gw::FolderRow& Row)
{
    const int iconNumber = Row.Icon;
    const QByteArray path = FRows.Path(Row);
    // On screens with more pixels per point the preview draws the group's image of
    // that many pixels rather than the 32-pixel icon enlarged.
    PreView->SetIcon(ExtractIconA(reinterpret_cast<HINSTANCE>(this), path.constData(), iconNumber),
                     [path, iconNumber](int side) {
                         const auto image = ExtractIconImageNear(path.constData(), iconNumber, side);
                         return image ? IconToImage(*image) : QImage();
                     });
    PreView->setAccessibleDescription(tr("%1，图标%2").arg(TFileRows::ShownName(Row)).arg(iconNumber));
}

void TForm1::ListViewSelect(TObject* Sender, TListItem* Item, bool Selected)
{
    (void)Sender;
    (void)Selected;
    StatusBar1->Panels()->Items(1)->SetText(ListStatusText(ListView1->Items()->Count()));
    try {
        TListItem* selected = ListView1->Selected();
        const gw::FolderRow* row = RowOf(Item);
        if (!selected || !row)
            return;
        FCurrentIndex = selected->Index();
        ShowRowIcon(*row);
    } catch (...) {
        // An icon that cannot be shown (its file changed, memory ran out) leaves the
        // preview as it was; the selection and the current index stand.
    }
}

void TForm1::PreviewMenuClick(TObject* Sender)
{
    (void)Sender;
    const gw::FolderRow* row = SelectRow(FCurrentIndex);
    if (!row)
        return;
    ShowRowIcon(*row);
}

void TForm1::InspectMenuClick(TObject* Sender)
{
    (void)Sender;
    const gw::FolderRow* row = SelectRow(FCurrentIndex);
    if (!row)
        return;
    TIconInspector inspector(nullptr, FRows.Path(*row), TFileRows::ShownName(*row), row->Icon);
    inspector.ShowModal();
}

void TForm1::ListViewDblClick(TObject* Sender) { SaveMenuClick(Sender); }

void TForm1::TopClick(TObject* Sender)
{
    (void)Sender;
    SelectRow(0);
}

void TForm1::BottomClick(TObject* Sender)
{
    (void)Sender;
    SelectRow(ListView1->Items()->Count() - 1);
}

void TForm1::BackClick(TObject* Sender)
{
    (void)Sender;
    const int count = ListView1->Items()->Count();
    SelectRow(FCurrentIndex == 0 ? count - 1 : FCurrentIndex - 1);
}

void TForm1::ForwardClick(TObject* Sender)
{
    (void)Sender;
    const int count = ListView1->Items()->Count();
    const TListItem* selected = ListView1->Selected();
    // Previous tests the current index, next the selection: they differ when no row
    // is selected.
    SelectRow(selected && selected->Index() == count - 1 ? 0 : FCurrentIndex + 1);
}

void TForm1::UpClick(TObject* Sender)
{
    (void)Sender;
    // The parent folder; a top-level folder goes to "/", and "/" stays where it is.
    // Setting the folder rebuilds the list, also when it stays the same.
    QString parent = QStringLiteral("/");
    const qsizetype slash = FCurrentDir.lastIndexOf(QLatin1Char('/'));
    if (slash > 0)
        parent = FCurrentDir.left(slash);
    DirectoryListBox1->SetDirectory(parent);
}

std::vector<std::uint8_t> TForm1::RowIconBytes(const gw::IconFile& f, const gw::FolderRow& Row, gw::OutputFormat format)
{
    if (Row.Icon < 0)
        return {};
    return gw::EncodeGroup(f, std::size_t(Row.Icon), format).value_or(std::vector<std::uint8_t>());
}

void TForm1::SaveMenuClick(TObject* Sender)
{
    (void)Sender;
    const gw::FolderRow* row = SelectRow(FCurrentIndex);
    if (!row)
        return;
    SavePictureDialog1->FileName = TSaveFile::ProposedName(TFileRows::Name(*row), row->Icon);
    // The 16-colour icon is the choice offered first every time; the filter lists the
    // formats in the order of their values.
    auto formatOf = [](int filterIndex) {
        return gw::OutputFormatFromValue(filterIndex).value_or(gw::OutputFormat::Icon16);
    };
    SavePictureDialog1->FilterIndex = int(gw::OutputFormat::Icon16);
    const auto target = TSaveFile::Choose(this, *SavePictureDialog1, [&formatOf](int filterIndex) {
        return QLatin1String(gw::Extension(formatOf(filterIndex)));
    });
    if (!target)
        return;
    const gw::OutputFormat format = formatOf(SavePictureDialog1->FilterIndex);
    FSettings.SaveFileType = format;
    bool saved = false;
    try {
        if (format == gw::OutputFormat::Icon16) {
            PreView->Picture()->Icon()->SaveToFile(target->toStdString());
            saved = true;
        } else {
            const gw::IconFile file = gw::IconFile::Open(FRows.Path(*row).toStdString());
            saved = TSaveFile::Write(*target, RowIconBytes(file, *row, format));
        }
    } catch (...) {
        // The 16-colour writer throws when it cannot write: reported below like the rest.
    }
    if (!saved)
        TSaveFile::ReportFailure(this);
}

void TForm1::DeleteMenuClick(TObject* Sender)
{
    (void)Sender;
    const gw::FolderRow* row = SelectRow(FCurrentIndex);
    if (!row)
        return;
    ShowRowIcon(*row);
    const QString text = tr("确定要删除%1，这会删除整个文件？").arg(RowDisplayPath(*row));
    if (MessageBox(this, text, QStringLiteral("Glimmerwick:"), MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
        return;
    // Not reported when it fails: the rebuilt list still shows the file then.
    ::unlink(FRows.Path(*row).constData());
    RefreshFileList();
}

void TForm1::HelpClick(TObject* Sender)
{
    (void)Sender;
    OpenHelp();
}

void TForm1::AboutClick(TObject* Sender)
{
    (void)Sender;
    const std::unique_ptr<TAboutBox> about(new TAboutBox(nullptr));
    about->ShowModal();
}

void TForm1::CloseClick(TObject* Sender)
{
    (void)Sender;
    Close();
}

void TForm1::ExtractFromFileClick(TObject* Sender)
{
    (void)Sender;
    const auto folder = ChooseOutputFolder(*this);
    if (!folder)
        return;
    if (FCurrentIndex < 0 || FCurrentIndex >= ListView1->Items()->Count())
        return;
    if (const gw::FolderRow* row = RowOf(ListView1->Items()->Item(FCurrentIndex)))
        ExtractAllIcons(FRows.Path(*row), *folder);
}

void TForm1::ExtractAllIcons(const QByteArray& Source, const QString& OutputFolder)
{
    ExtractFileIcons(*this, Source, OutputFolder);
}

void TForm1::ExtractFromFolderClick(TObject* Sender)
{
    (void)Sender;
    ExtractFolderIcons(*this, false);
}

void TForm1::ExtractFromMultiFolderClick(TObject* Sender)
{
    (void)Sender;
    ExtractFolderIcons(*this, true);
}

void TForm1::CancelExtractClick(TObject* Sender)
{
    (void)Sender;
    if (FActiveWalks > 0)
        TExtractionRun::CancelAll(*this);
}

QWidget* TForm1::ExtractionWindow() { return this; }

QString TForm1::ShownFolder() const { return DirectoryListBox1->Directory(); }

bool TForm1::ExtractsFile(const QByteArray& fileName) const
{
    return FindListedKind(*this, std::string_view(fileName.constData(), fileName.size())) != nullptr;
}

gw::OutputFormat TForm1::ExtractFormat() const { return FSettings.ExtractFormat; }

void TForm1::FolderExtractionStarted() { FExtractedCount = 0; }

void TForm1::IconWritten() { ++FExtractedCount; }

int TForm1::IconsWritten() const { return FExtractedCount; }

void TForm1::WalksStarted(int count) { FActiveWalks += count; }

int TForm1::WalksEnded(int count) { return FActiveWalks -= count; }

int TForm1::ActiveWalks() const { return FActiveWalks; }

void TForm1::ShowStatusText(const QString& text) { StatusBar1->Panels()->Items(1)->SetText(text); }

void TForm1::ShowListStatus() { ShowStatusText(ListStatusText(ListView1->Items()->Count())); }

TListedKinds TForm1::ListedKinds() const { return *this; }

void TForm1::SetListedKinds(const TListedKinds& kinds)
{
    static_cast<TListedKinds&>(*this) = kinds;
    RefreshFileList();
}
