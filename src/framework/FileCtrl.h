// The folder list and the drive box, over native paths with "/" separators.
#pragma once

#include "framework/Controls.h"
#include "framework/StdCtrls.h"

#include <QComboBox>
#include <QListWidget>
#include <QPointer>

#include <stdexcept>

class TDriveComboBox;

// A folder that cannot be entered.
class EInOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The mount roots of the file systems that hold files ("drives"): "/" first, then the
// others in the order of /proc/self/mounts, without pseudo file systems.
QStringList MountRoots();
// The mount root that holds `path`.
QString DriveOf(const QString& path);
// "/" at the root, no trailing separator elsewhere, "." and ".." resolved.
QString NormalizeFolder(const QString& path);

// The classic folder list: the ancestors of the current folder as open folders, the
// current folder last of them, then its sorted subfolders.
class TDirectoryListBox : public QListWidget, public TControl {
    Q_OBJECT
public:
    explicit TDirectoryListBox(QWidget* parent, TComponent* owner = nullptr);

    QString Directory() const { return FDirectory; }
    // Enters `path`: makes it the process's current folder, rebuilds the entries,
    // updates the label and runs OnChange. Throws EInOutError when it cannot be entered.
    void SetDirectory(const QString& path);
    // The folder of entry `index`.
    QString GetItemPath(int index) const;
    // Enters the folder of entry `index`, as a double click does.
    void OpenCurrent();
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int height);
    // A label that shows the current folder, shortened with an ellipsis to the label's
    // own width, or to the list's width when the label sizes itself to its text.
    TCustomLabel* DirLabel() const { return FDirLabel; }
    void SetDirLabel(TCustomLabel* label);
    // The folder shortened with an ellipsis to `width` pixels in `font`.
    static QString MinimizeName(const QString& path, const QFont& font, int width);

    TNotifyEvent OnChange;

protected:
    // Only the left button moves the highlight: a right click leaves it on the current
    // entry, which the popup menu then acts on.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class TDriveComboBox;
    void Rebuild();
    void UpdateLabel();

    QString FDirectory;
    QStringList FPaths;
    int FItemHeight = 16;
    QPointer<TCustomLabel> FDirLabel;
    // The drive box that drives this list; it shows the drive of every folder entered.
    QPointer<TDriveComboBox> FDriveCombo;
};

// Replaces the mount table that MountRoots reads (tests); empty: /proc/self/mounts.
void SetMountTablePath(const QString& path);

class TCustomCombo : public QComboBox, public TControl {
    Q_OBJECT
public:
    explicit TCustomCombo(QWidget* parent, TComponent* owner = nullptr);
    bool DroppedDown() const { return FDroppedDown; }

    void showPopup() override;
    void hidePopup() override;

private:
    bool FDroppedDown = false;
};

class TCustomComboBox : public TCustomCombo {
    Q_OBJECT
public:
    using TCustomCombo::TCustomCombo;
};

class TDriveComboBox : public TCustomComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent, TComponent* owner = nullptr);

    QString Drive() const { return FDrive; }
    // Selects the drive that holds `path`; a linked folder list moves to the folder
    // last shown on that drive (at first its root); then OnChange runs. Selecting the
    // drive already selected changes nothing.
    void SetDrive(const QString& path);
    // Links the folder list that the box drives. The box follows the list in turn:
    // whenever the list enters a folder, the box shows that folder's drive.
    TDirectoryListBox* DirList() const { return FDirList; }
    void SetDirList(TDirectoryListBox* list);
    // Reads the mount table again.
    void BuildList();

    TNotifyEvent OnChange;

private:
    friend class TDirectoryListBox;
    // Shows `drive` as the selected one, without moving the list or running OnChange.
    void ShowDrive(const QString& drive);

    QString FDrive;
    QPointer<TDirectoryListBox> FDirList;
    bool FUpdating = false;
};
