// Forms (creation, closing, modal loop, shortcut dispatch) and the application object.
#include "framework/Forms.h"

#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/FileNames.h"
#include "framework/StdCtrls.h"
#include "framework/Thread.h"
#include "platform/Icon.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QAbstractButton>
#include <QEventLoop>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

#include <algorithm>

TScrollingWinControl::TScrollingWinControl(QWidget* parent, TComponent* owner)
    : QWidget(parent)
    , TControl(this, owner)
{
}

// ---- TCustomForm

TCustomForm::TCustomForm(TComponent* owner)
    : TScrollingWinControl(nullptr, owner)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    TApplication::Instance();
}

TCustomForm::~TCustomForm()
{
    Fire(OnDestroy, this);
    if (FModalLoop)
        FModalLoop->quit();
    if (Application->MainForm() == this)
        Application->SetMainForm(nullptr);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style)
{
    FBorderStyle = style;
    const bool visible = isVisible();
    setWindowFlag(Qt::FramelessWindowHint, style == bsNone);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, style == bsSingle || style == bsDialog);
    ApplySizeConstraints();
    if (visible)
        show();
}

bool TCustomForm::FixedSize() const
{
    return FBorderStyle == bsSingle || FBorderStyle == bsDialog;
}

void TCustomForm::ApplySizeConstraints()
{
    // A dialog or single border has no sizing frame: the window manager is told that
    // the size is fixed, so it offers no resizing. Code still sizes the window.
    if (FixedSize()) {
        setFixedSize(size());
    } else if (minimumSize() == maximumSize()) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

void TCustomForm::SetGeometryByCode(const QRect& bounds, bool move)
{
    if (FixedSize()) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    FResizing = true;
    if (move)
        setGeometry(bounds);
    else
        resize(bounds.size());
    FResizing = false;
    if (FixedSize())
        setFixedSize(size());
    AlignControls(this);
}

TWindowState TCustomForm::WindowState() const
{
    const Qt::WindowStates state = windowState();
    if (state & Qt::WindowMinimized)
        return wsMinimized;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return wsMaximized;
    return wsNormal;
}

void TCustomForm::SetWindowState(TWindowState state)
{
    const TWindowState old = WindowState();
    if (state == old)
        return;
    // Wayland forbids placing windows; there the compositor sizes the maximised window.
    const bool placeOurselves = FBorderStyle == bsNone && isVisible() &&
                                !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    if (old == wsNormal)
        FNormalBounds = geometry();
    switch (state) {
    case wsMinimized:
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMinimized);
        break;
    case wsMaximized:
        // Placed first: setting the geometry of a maximised window would end that state.
        if (placeOurselves) {
            QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
            if (screen) {
                const QRect area = screen->availableGeometry();
                int w = area.width(), h = area.height();
                if (AllowedSize(w, h)) {
                    FResizing = true;
                    setGeometry(area.x(), area.y(), w, h);
                    FResizing = false;
                    AlignControls(this);
                }
            }
        }
        setWindowState(Qt::WindowMaximized);
        break;
    case wsNormal:
        setWindowState(Qt::WindowNoState);
        if (placeOurselves && old == wsMaximized && FNormalBounds.isValid())
            setGeometry(FNormalBounds);
        break;
    }
}

void TCustomForm::AfterConstruction()
{
    if (FCreated)
        return;
    FCreated = true;
    Fire(OnCreate, this);
}

void TCustomForm::CenterOnScreen()
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

namespace {

// After `container` has shrunk from `before`, the controls placed by position in it keep
// inside it: those in its right (lower) half keep their distance to the right (bottom)
// edge, those reaching across the middle give up the width (height) lost. Aligned
// controls are left to their alignment, and what lies in them to their own handlers.
void KeepControlsInside(QWidget* container, QSize before)
{
    const int dx = std::max(0, before.width() - container->width());
    const int dy = std::max(0, before.height() - container->height());
    if (dx == 0 && dy == 0)
        return;
    for (QObject* child : container->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        TControl* control = widget && !widget->isWindow() ? TControl::Of(widget) : nullptr;
        if (!control)
            continue;
        if (control->Align() != alNone)
            continue;
        QRect g = widget->geometry();
        if (g.left() >= before.width() / 2)
            g.translate(-dx, 0);
        else if (g.right() >= before.width() / 2)
            g.setWidth(std::max(0, g.width() - dx));
        if (g.top() >= before.height() / 2)
            g.translate(0, -dy);
        else if (g.bottom() >= before.height() / 2)
            g.setHeight(std::max(0, g.height() - dy));
        widget->setGeometry(g);
    }
}

} // namespace

void TCustomForm::FitOnScreen()
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // What the window manager adds around the client area, once known.
    const QSize decoration = frameGeometry().size() - size();
    // The layout's controls stand where its size put them, which the window may already
    // have given up (a skinned window takes no more than the work area).
    const QSize design = FDesignSize.expandedTo(size());
    const QSize fitted = size().boundedTo(area.size() - decoration);
    if (fitted != size())
        SetGeometryByCode(QRect(pos(), fitted), false);
    KeepControlsInside(this, design);
    // Wholly on the screen, its top left corner first.
    const QSize outer = size() + decoration;
    QPoint p = pos();
    p.setX(std::max(area.left(), std::min(p.x(), area.right() + 1 - outer.width())));
    p.setY(std::max(area.top(), std::min(p.y(), area.bottom() + 1 - outer.height())));
    if (p != pos())
        move(p);
}

void TCustomForm::Show()
{
    AfterConstruction();
    show();
    raise();
}

bool TCustomForm::Close()
{
    return close();
}

TModalResult TCustomForm::ShowModal()
{
    AfterConstruction();
    FModalResult = mrNone;
    setWindowModality(Qt::ApplicationModal);
    // A modal form belongs to the window it was opened from, as on the platform: window
    // managers keep it above that window and place it with it.
    if (!parentWidget()) {
        QWidget* over = QApplication::activeWindow();
        if (!over || over == this)
            over = Application->MainForm();
        if (over && over != this) {
            over = over->window();
            over->winId();
            winId();
            windowHandle()->setTransientParent(over->windowHandle());
        }
    }
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    FModalLoop = &loop;
    if (FModalResult == mrNone && isVisible())
        loop.exec(QEventLoop::DialogExec);
    FModalLoop = nullptr;
    hide();
    setWindowModality(Qt::NonModal);
    return FModalResult;
}

void TCustomForm::SetModalResult(TModalResult result)
{
    FModalResult = result;
    if (result != mrNone && FModalLoop)
        close();
}

void TCustomForm::closeEvent(QCloseEvent* event)
{
    TCloseAction action = caHide;
    SafeFire(OnClose, this, action);
    if (action == caNone) {
        FModalResult = mrNone;
        event->ignore();
        return;
    }
    event->accept();
    if (FModalLoop) {
        if (FModalResult == mrNone)
            FModalResult = mrCancel;
        FModalLoop->quit();
    }
    if (Application->MainForm() == this)
        Application->Terminate();
    if (action == caFree)
        deleteLater();
}

void TCustomForm::showEvent(QShowEvent* event)
{
    if (!FShownOnce) {
        FShownOnce = true;
        if (FPosition == poScreenCenter)
            CenterOnScreen();
        FitOnScreen();
    }
    QWidget::showEvent(event);
    SafeFire(OnShow, this);
}

bool TCustomForm::event(QEvent* event)
{
    if (event->type() == QEvent::Show)
        AfterConstruction();
    return QWidget::event(event);
}

void TCustomForm::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool escape = event->key() == Qt::Key_Escape;
    if ((enter || escape) && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        for (TButton* button : findChildren<TButton*>()) {
            if (!button->isVisibleTo(this) || !button->isEnabled())
                continue;
            if ((enter && button->Default()) || (escape && button->Cancel())) {
                button->Click();
                return;
            }
        }
    }
    QWidget::keyPressEvent(event);
}

namespace {

QList<QByteArray> DroppedFiles(const QMimeData* data)
{
    QList<QByteArray> files;
    if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
            if (const QByteArray path = LocalFileBytes(url); !path.isEmpty())
                files.append(path);
    return files;
}

} // namespace

void TCustomForm::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void TCustomForm::dragMoveEvent(QDragMoveEvent* event)
{
    // A drag that the program started itself (a row dragged out of the list) passes
    // over its own windows without being taken back.
    if (OnDropFiles && !event->source() && !DroppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TCustomForm::dropEvent(QDropEvent* event)
{
    const QList<QByteArray> files = event->source() ? QList<QByteArray>() : DroppedFiles(event->mimeData());
    if (files.isEmpty() || !OnDropFiles) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    SafeFire(OnDropFiles, this, files);
}

void TCustomForm::SetClientSize(int width, int height)
{
    FDesignSize = QSize(width, height);
    if (!AllowedSize(width, height))
        return;
    SetGeometryByCode(QRect(0, 0, width, height), false);
}

void TCustomForm::SetWindowBounds(int left, int top, int width, int height)
{
    if (!AllowedSize(width, height)) {
        width = this->width();
        height = this->height();
    }
    SetGeometryByCode(QRect(left, top, width, height), true);
}

bool TCustomForm::AllowedSize(int& width, int& height)
{
    if (!OnCanResize)
        return true;
    bool resize = true;
    OnCanResize(this, width, height, resize);
    return resize;
}

void TCustomForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (FResizing || !OnCanResize)
        return;
    // A size the window manager chose: take it back or correct it when refused.
    int w = event->size().width(), h = event->size().height();
    const bool ok = AllowedSize(w, h);
    const QSize wanted = ok ? QSize(w, h) : event->oldSize();
    if (wanted.isValid() && wanted != size()) {
        FResizing = true;
        resize(wanted);
        FResizing = false;
    }
}

bool TCustomForm::DialogChar(int key)
{
    const QString letter = QKeySequence(key).toString().toLower();
    if (letter.size() != 1)
        return false;
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(this) || !button->isEnabled())
            continue;
        const QString text = button->text().toLower();
        const int amp = text.indexOf(QLatin1Char('&'));
        if (amp >= 0 && amp + 1 < text.size() && text.mid(amp + 1, 1) == letter) {
            button->click();
            return true;
        }
    }
    return false;
}

bool TCustomForm::IsShortCut(const TShortCut& shortCut, QWidget* from)
{
    if (!from)
        from = focusWidget();
    for (QWidget* w = from; w && w->window() == this; w = w->parentWidget())
        if (TControl* control = TControl::Of(w); control && control->PopupMenu())
            if (control->PopupMenu()->IsShortCut(shortCut))
                return true;
    return FMenu && FMenu->IsShortCut(shortCut);
}

void HandleEventException(std::exception_ptr error)
{
    Application->HandleException(error);
}

TCustomForm* GetParentForm(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget())
        if (auto* form = qobject_cast<TCustomForm*>(w))
            return form;
    return nullptr;
}

// ---- TApplication

namespace {
QPointer<TApplication> gApplication;
}

TApplication::TApplication()
    : QObject(qApp)
    , TComponent(this, nullptr)
    , FIcon(std::make_unique<TIcon>())
{
    setObjectName(QStringLiteral("Application"));
    gApplication = this;
    if (qApp) {
        qApp->installEventFilter(this);
        // Forms must go while the Qt application is still whole; as its child the
        // application object would only go after the Qt application's own teardown.
        qAddPostRoutine([] { delete gApplication.data(); });
    }
}

TApplication::~TApplication()
{
    TThread::CancelPendingSynchronize();
    // Forms owned by the application have no Qt parent; they go with it.
    std::vector<QWidget*> forms;
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* w = qobject_cast<QWidget*>(Components(i)->AsObject()); w && !w->parentWidget())
            forms.push_back(w);
    for (QWidget* w : forms)
        delete w;
    if (gApplication == this)
        gApplication = nullptr;
}

TApplication* TApplication::Instance()
{
    if (!gApplication)
        new TApplication;
    return gApplication;
}

void TApplication::SetTitle(const QString& title)
{
    // Kept here only: Qt would append an application display name to every window's
    // title, and each window's title is exactly its caption.
    FTitle = title;
}

void TApplication::SetIconHandle(std::uintptr_t handle)
{
    FIcon->SetHandle(handle);
    IconChanged();
}

void TApplication::IconChanged()
{
    const QImage image = HIconToImage(FIcon->GetHandle());
    FWindowIcon = image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
    QApplication::setWindowIcon(FWindowIcon);
}

int TApplication::Run()
{
    if (auto* form = qobject_cast<TCustomForm*>(FMainForm.data()))
        form->Show();
    else if (FMainForm)
        FMainForm->show();
    if (FTerminated)
        return 0;
    for (;;) {
        try {
            return QApplication::exec();
        } catch (const std::exception& e) {
            ShowException(e);
        }
    }
}

void TApplication::Terminate()
{
    FTerminated = true;
    QCoreApplication::quit();
}

void TApplication::Minimize()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && qobject_cast<TCustomForm*>(w))
            w->setWindowState(w->windowState() | Qt::WindowMinimized);
}

void TApplication::ProcessMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::ShowException(const std::exception& e)
{
    QString text = QString::fromUtf8(e.what());
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    ::MessageBox(FMainForm, text, FTitle.isEmpty() ? QCoreApplication::applicationName() : FTitle,
                 MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException(std::exception_ptr e)
{
    try {
        std::rethrow_exception(e);
    } catch (const std::exception& ex) {
        ShowException(ex);
    } catch (...) {
        ::MessageBox(FMainForm, QStringLiteral("Unknown exception."), FTitle, MB_OK | MB_ICONSTOP);
    }
}

void TApplication::SetHint(const QString& hint)
{
    if (FHint == hint)
        return;
    FHint = hint;
    Fire(OnHint, this);
    emit HintChanged(hint);
}

bool TApplication::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        const int k = key->key();
        if (k == Qt::Key_unknown || k == Qt::Key_Control || k == Qt::Key_Shift || k == Qt::Key_Alt ||
            k == Qt::Key_Meta || !watched->isWidgetType())
            break;
        auto* form = qobject_cast<TCustomForm*>(static_cast<QWidget*>(watched)->window());
        if (!form)
            break;
        const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
        bool taken = false;
        SafeCall([&] {
            taken = form->IsShortCut(ShortCut(k, mods), static_cast<QWidget*>(watched)) ||
                    (mods == Qt::AltModifier && form->DialogChar(k));
        });
        if (taken)
            return true;
        break;
    }
    case QEvent::Enter:
    case QEvent::Leave: {
        // The long part of the hint of the control under the pointer.
        if (!watched->isWidgetType())
            break;
        auto* w = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Leave)
            w = w->parentWidget();
        QString hint;
        for (; w; w = w->parentWidget()) {
            const QVariant v = w->property("gwHint");
            if (v.isValid() && !v.toString().isEmpty()) {
                hint = GetLongHint(v.toString());
                break;
            }
            if (w->isWindow())
                break;
        }
        SetHint(hint);
        break;
    }
    default:
        break;
    }
    return false;
}
