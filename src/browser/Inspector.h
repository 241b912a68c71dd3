// TIconInspector: the dialog that shows every stored image of one icon group and saves
// one image as PNG or the whole group as it is stored.
#pragma once

#include "core/IconFile.h"
#include "framework/Dialogs.h"
#include "skin/Neowin.h"
#include "xpmenu/Xpmenu.h"

#include <QListWidget>

#include <memory>
#include <vector>

// The images of a group, one entry each: the picture at its real size (up to the
// shown limit) with its size, depth, format and stored bytes beside it.
class TImageEntryList : public QListWidget, public TControl {
    Q_OBJECT
public:
    explicit TImageEntryList(QWidget* parent, TComponent* owner = nullptr);
    // Replaces the entries by `images`, the first one selected.
    void SetImages(const std::vector<gw::StoredImage>& images);
    // Lines of text an entry shows beside its picture; `entries`: the group's entries
    // that name the image, said when there are several.
    static QStringList EntryLines(const gw::ImageSummary& summary, int entries = 1);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class TIconInspector : public TNeoForm {
    Q_OBJECT
public:
    // The dialog for icon `IconNumber` of the file at `Path` (raw bytes), which the
    // list shows as `ShownName`. Reads the group at once; a file that cannot be read,
    // or holds no such group, leaves the dialog saying so.
    TIconInspector(TComponent* Owner, const QByteArray& Path, const QString& ShownName, int IconNumber);
    ~TIconInspector() override;

    TLabel* FileLabel;
    TLabel* GroupLabel;
    TLabel* LanguageLabel;
    TImageEntryList* ImageList;
    TLabel* MessageLabel;
    // What is damaged in the file and this group, under the images; hidden when nothing is.
    TLabel* WarningLabel;
    TButton* SavePngButton;
    TButton* SaveIcoButton;
    TButton* CloseButton;
    TSavePictureDialog* SaveDialog1;
    TXPMenu* XPMenu1;

    // The images shown, largest first; empty when the icon cannot be read.
    const std::vector<gw::StoredImage>& Images() const { return FImages; }

    // Saves the selected image as a PNG file.
    void SavePngButtonClick(TObject* Sender);
    // Saves the whole group as the .ico it is stored as.
    void SaveIcoButtonClick(TObject* Sender);

private:
    // Shows the faults of the file and of group FGroup's images under the images.
    void ShowWarnings();
    // Asks for the file and writes `bytes` to it, as the main window's Save does; a
    // failure says what failed: `unreadable` when there are no bytes.
    void SaveAs(const QString& proposedName, const QString& filter, QLatin1String extension,
                const std::vector<std::uint8_t>& bytes, const QString& unreadable);

    std::unique_ptr<gw::IconFile> FFile;
    std::size_t FGroup = 0;
    std::vector<gw::StoredImage> FImages;
    // The list's name of the file without its extension, and the icon number: the
    // start of every file name the dialog proposes.
    QString FBaseName;
};
