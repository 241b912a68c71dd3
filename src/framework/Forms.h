// Forms and the application object.
#pragma once

#include "framework/Controls.h"
#include "framework/Menus.h"

#include <QPointer>
#include <QWidget>

#include <exception>
#include <memory>

class QEventLoop;
class TMainMenu;
class TIcon;

enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCanResizeEvent = std::function<void(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)>;
// Paths of files dropped on a window, raw bytes (names need not be UTF-8).
using TDropFilesEvent = TEvent<void(TObject* Sender, const QList<QByteArray>& Files)>;

using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;

enum TPosition { poDesigned, poScreenCenter };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;

class TScrollingWinControl : public QWidget, public TControl {
    Q_OBJECT
public:
    explicit TScrollingWinControl(QWidget* parent, TComponent* owner);
};

// A top-level window. OnCreate runs once, after construction is complete: from
// AfterConstruction (TApplication::CreateForm calls it) or at the latest before the
// form is first shown.
class TCustomForm : public TScrollingWinControl {
    Q_OBJECT
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    void AfterConstruction();

    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption) { setWindowTitle(caption); }
    // Client area size.
    int ClientWidth() const { return width(); }
    int ClientHeight() const { return height(); }
    void SetClientSize(int width, int height);
    // Moves and sizes the window in one step. The size passes OnCanResize first: a
    // refused size keeps the current one while the new position still applies.
    void SetWindowBounds(int left, int top, int width, int height);
    // bsNone: a window without the window manager's frame and caption.
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle style);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition position) { FPosition = position; }
    // Which caption buttons the window offers; only recorded for windows that draw
    // their own caption.
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons icons) { FBorderIcons = icons; }
    TWindowState WindowState() const;
    // Maximising a frameless window sets its geometry to the work area (through
    // OnCanResize) where the window system lets a program place its windows, since
    // not every window manager maximises windows without decorations.
    void SetWindowState(TWindowState state);

    TMainMenu* Menu() const { return FMenu; }
    void SetMenu(TMainMenu* menu) { FMenu = menu; }

    void Show();
    void Hide() { hide(); }
    bool Close();
    // Runs a modal loop until ModalResult is set or the form closes.
    TModalResult ShowModal();
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult result);
    bool Modal() const { return FModalLoop != nullptr; }

    // Runs the shortcut as the platform does: the popup menus of the focused control
    // and its parents first, then the form's main menu. True when an item took it.
    // `from` is the control that has the key (by default the form's focus widget).
    bool IsShortCut(const TShortCut& shortCut, QWidget* from = nullptr);

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TCloseEvent OnClose;
    TNotifyEvent OnDestroy;
    // Asked before every size change of the window; may refuse it or change the size.
    TCanResizeEvent OnCanResize;
    // Whether the window takes files dragged onto it from a file manager: local files
    // only, which OnDropFiles gets in the order given.
    void DragAcceptFiles(bool accept) { setAcceptDrops(accept); }
    TDropFilesEvent OnDropFiles;

    // Alt+letter: clicks the visible, enabled button whose caption marks that letter
    // with "&". True when one did.
    bool DialogChar(int key);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CenterOnScreen();
    // Makes a window that is larger than the screen's work area as large as that area,
    // keeps the controls of a layout made smaller than asked inside it, and moves the
    // window wholly onto the area.
    void FitOnScreen();
    bool AllowedSize(int& width, int& height);
    // Whether the border style leaves the window without a sizing frame.
    bool FixedSize() const;
    void ApplySizeConstraints();
    // Sizes (and with `move` places) the window as its code asks, fixed size or not.
    void SetGeometryByCode(const QRect& bounds, bool move);
    bool FResizing = false;

    bool FCreated = false;
    bool FShownOnce = false;
    TPosition FPosition = poDesigned;
    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
    QRect FNormalBounds;
    // The client size the layout asked for last, which its controls' places assume.
    QSize FDesignSize;
    QPointer<TMainMenu> FMenu;
    TModalResult FModalResult = mrNone;
    QEventLoop* FModalLoop = nullptr;
};

class TForm : public TCustomForm {
    Q_OBJECT
public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// The application object: title, icon, main form, hints, message dispatching.
class TApplication : public QObject, public TComponent {
    Q_OBJECT
public:
    TApplication();
    ~TApplication() override;
    static TApplication* Instance();

    void Initialize() {}
    // Minimises every visible window of the application.
    void Minimize();
    QString Title() const { return FTitle; }
    void SetTitle(const QString& title);
    // The application icon; it owns its handle. Assigning a handle through Icon()
    // and calling IconChanged() (or SetIconHandle) applies it to every window.
    TIcon* Icon() const { return FIcon.get(); }
    void SetIconHandle(std::uintptr_t handle);
    void IconChanged();
    QIcon WindowIcon() const { return FWindowIcon; }

    QWidget* MainForm() const { return FMainForm; }
    void SetMainForm(QWidget* form) { FMainForm = form; }
    // Creates a form; the first created becomes the main form.
    template <typename T>
    void CreateForm(T*& reference)
    {
        reference = new T(this);
        if (!FMainForm)
            FMainForm = reference;
        reference->AfterConstruction();
    }
    // Shows the main form and runs the event loop until it closes.
    int Run();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // Handles every waiting event once.
    void ProcessMessages();
    // The framework's standard exception message box.
    void ShowException(const std::exception& e);
    void HandleException(std::exception_ptr e);
    std::uintptr_t Handle() const { return reinterpret_cast<std::uintptr_t>(this); }

    QString Hint() const { return FHint; }
    void SetHint(const QString& hint);
    // Called when the hint changes: the status bars with AutoHint listen here.
    TNotifyEvent OnHint;

signals:
    void HintChanged(const QString& hint);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString FTitle;
    std::unique_ptr<TIcon> FIcon;
    QIcon FWindowIcon;
    QPointer<QWidget> FMainForm;
    QString FHint;
    bool FTerminated = false;
};

// `Application->Title()` etc. reach the one application object, made on first use.
struct TApplicationRef {
    TApplication* operator->() const { return TApplication::Instance(); }
    operator TApplication*() const { return TApplication::Instance(); }
};
inline constexpr TApplicationRef Application{};

// The form that holds `widget`, or null.
TCustomForm* GetParentForm(QWidget* widget);
