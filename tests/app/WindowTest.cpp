// The main window and its dialogs as users meet them: resizing, maximising and
// restoring lay out the whole content by its alignments; caption menus switch under the
// pointer and release their buttons when an item is chosen; Enter on a focused button;
// the drive box on other mounts; the output-folder dialog.
#include "AppTestSupport.h"
#include "extract/OutputFolder.h"
#include "framework/Dialogs.h"
#include "framework/FileCtrl.h"
#include "settings/Option.h"
#include "skin/About.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QWindow>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

namespace {

class WindowTest : public AppTest {
protected:
    // Starts the main window in an empty scratch folder, shown at its design size.
    TForm1* StartMainWindow()
    {
        const QString folder = MakeFolder(QStringLiteral("start"));
        WriteIni("[Init]\nDirectory=" + folder.toStdString() + "\n");
        CreateMainForm();
        ShowMainForm();
        return FForm;
    }

    // Drags the bottom-right corner of the frame so that the window ends at `size`.
    void DragCornerTo(QSize size)
    {
        TImage* corner = FForm->BottomRightImage;
        const QPoint grab(6, 5);
        QCursor::setPos(corner->mapToGlobal(grab));
        QTest::mousePress(corner, Qt::LeftButton, {}, grab);
        const QPoint to = FForm->geometry().topLeft() + QPoint(size.width() - 13 + grab.x(), size.height() - 12 + grab.y());
        QCursor::setPos(to);
        QTest::mouseMove(corner, corner->mapFromGlobal(to));
        QTest::mouseRelease(corner, Qt::LeftButton, {}, corner->mapFromGlobal(to));
    }
};

// Steps that a 5 ms timer of the test runs one after another: each waits until its
// condition holds, then acts. The timer keeps ticking inside the modal loops of menus
// and dialogs, where the test's own code is blocked. Past its time it closes whatever
// popup or modal window is open, so that a script stuck inside them fails instead of
// hanging.
class Script {
public:
    struct Step {
        std::function<bool()> Ready;
        std::function<void()> Act;
    };

    explicit Script(std::vector<Step> steps, int timeoutMs = 5000) : FSteps(std::move(steps))
    {
        FClock.start();
        QObject::connect(&FTimer, &QTimer::timeout, [this, timeoutMs] {
            if (FClock.elapsed() > timeoutMs) {
                FNext = FSteps.size() + 1;
                if (QWidget* popup = QApplication::activePopupWidget())
                    popup->close();
                else if (QWidget* modal = QApplication::activeModalWidget())
                    modal->close();
                return;
            }
            if (FNext < FSteps.size() && FSteps[FNext].Ready()) {
                // The action may run a modal loop; Qt holds a timer back while its own
                // handler runs, so the action runs from a timer of its own.
                const std::size_t step = FNext++;
                FStepsDone = FNext;
                QTimer::singleShot(0, &FTimer, [this, step] { FSteps[step].Act(); });
            }
        });
        FTimer.start(5);
    }
    // Every step ran, or the time ran out (then StepsDone tells how far it came).
    bool Over() const { return FNext >= FSteps.size(); }
    std::size_t StepsDone() const { return FStepsDone; }
    bool Completed() const { return FNext == FSteps.size(); }

private:
    std::vector<Step> FSteps;
    std::size_t FNext = 0;
    std::size_t FStepsDone = 0;
    QElapsedTimer FClock;
    QTimer FTimer;
};

QPoint Over(QWidget* w)
{
    return w->mapToGlobal(QPoint(w->width() / 2, w->height() / 2));
}

// Moves the pointer to `global` as the window system reports it: to the popup that
// holds the pointer while one is open, else to the widget under it.
void MovePointerTo(QPoint global)
{
    QCursor::setPos(global);
    QWidget* target = QApplication::activePopupWidget();
    if (!target)
        target = QApplication::widgetAt(global);
    if (target)
        QTest::mouseMove(target, target->mapFromGlobal(global));
}

// A right click as the window system delivers it: the press, the context-menu event
// that the press raises, the release.
void RightClick(QWidget* w, QPoint at)
{
    QTest::mousePress(w, Qt::RightButton, {}, at);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &menu);
    QTest::mouseRelease(w, Qt::RightButton, {}, at);
}

// Every piece of the main window where its alignment puts it in a window of `size`.
void ExpectLaidOut(TForm1* f, QSize size, int line)
{
    SCOPED_TRACE(testing::Message() << "window " << size.width() << "x" << size.height() << " (line " << line << ")");
    const int W = size.width(), H = size.height();
    ASSERT_EQ(f->size(), size);
    // The frame.
    EXPECT_EQ(f->TopPanel->geometry(), QRect(0, 0, W, 49));
    EXPECT_EQ(f->BottomPanel->geometry(), QRect(0, H - 12, W, 12));
    EXPECT_EQ(f->LeftImage->geometry(), QRect(0, 49, 10, H - 61));
    EXPECT_EQ(f->RightImage->geometry(), QRect(W - 13, 49, 13, H - 61));
    EXPECT_EQ(f->CloseImage->x(), W - 22);
    EXPECT_EQ(f->BottomRightImage->x(), W - 13);
    // The content fills what the frame leaves; a piece that does not fit keeps no height.
    const int cw = W - 23, ch = H - 61;
    EXPECT_EQ(f->Panel13->geometry(), QRect(10, 49, cw, ch));
    EXPECT_EQ(f->ToolBar1->geometry(), QRect(0, 0, cw, 29));
    EXPECT_EQ(f->Panel11->geometry(), QRect(0, ch - 19, cw, 19));
    EXPECT_EQ(f->StatusBar1->geometry(), QRect(0, 0, cw, 19));
    const int bh = ch - 29 - 19;
    EXPECT_EQ(f->Panel10->geometry(), QRect(0, 29, cw, bh));
    EXPECT_EQ(f->Panel1->geometry(), QRect(0, 0, 171, bh));
    EXPECT_EQ(f->Splitter1->geometry(), QRect(171, 0, 4, bh));
    EXPECT_EQ(f->Panel2->geometry(), QRect(175, 0, cw - 175, bh));
    EXPECT_EQ(f->ListView1->geometry(), QRect(175, 0, cw - 175, bh));
    EXPECT_EQ(f->Panel3->geometry(), QRect(0, bh - 154, 171, 154));
    EXPECT_EQ(f->PreView->geometry(), QRect(0, 0, 171, 154));
    EXPECT_EQ(f->Splitter2->geometry(), QRect(0, bh - 158, 171, 4));
    EXPECT_EQ(f->Panel4->geometry(), QRect(0, 0, 171, std::max(0, bh - 158)));
    EXPECT_EQ(f->Panel5->geometry(), QRect(0, 0, 171, 30));
    EXPECT_EQ(f->DirectoryListBox1->geometry(), QRect(0, 30, 171, std::max(0, bh - 188)));
    EXPECT_EQ(f->Drive1->geometry(), QRect(0, 4, 171, 22));
}
#define EXPECT_LAID_OUT(form, size) ExpectLaidOut(form, size, __LINE__)

TEST_F(WindowTest, ResizingMaximisingAndRestoringLayOutTheWholeContent)
{
    TForm1* f = StartMainWindow();
    EXPECT_LAID_OUT(f, QSize(737, 493));

    for (const QSize size : {QSize(790, 580), QSize(420, 330), QSize(700, 260), QSize(760, 520)}) {
        DragCornerTo(size);
        EXPECT_LAID_OUT(f, size);
    }
    const QRect normal = f->geometry();

    const QSize area = f->screen()->availableGeometry().size();
    QTest::mouseClick(f->MaxImage, Qt::LeftButton, {}, QPoint(8, 8));
    QTRY_COMPARE(f->size(), area);
    EXPECT_LAID_OUT(f, area);

    QTest::mouseClick(f->RestoreImage, Qt::LeftButton, {}, QPoint(8, 8));
    QTRY_COMPARE(f->geometry(), normal);
    EXPECT_LAID_OUT(f, normal.size());

    // The title's double-click maximises and restores alike.
    QTest::mouseDClick(f->CaptionLabel, Qt::LeftButton, {}, QPoint(40, 10));
    QTRY_COMPARE(f->size(), area);
    EXPECT_LAID_OUT(f, area);
    QTest::mouseDClick(f->CaptionLabel, Qt::LeftButton, {}, QPoint(40, 10));
    QTRY_COMPARE(f->geometry(), normal);
    EXPECT_LAID_OUT(f, normal.size());
}

TEST_F(WindowTest, HoveringSwitchesCaptionMenusAnyNumberOfTimes)
{
    TForm1* f = StartMainWindow();
    TSpeedButton* buttons[] = {f->FindMenuButton(0), f->FindMenuButton(1), f->FindMenuButton(2), f->FindMenuButton(3)};
    TPopupMenu* menus[] = {f->FileMenu, f->ViewMenu, f->SettingMenu, f->Help};
    // Clicked on File, then hovered along the caption and back.
    const std::vector<int> route = {0, 1, 2, 3, 2, 0, 3, 1};
    std::vector<int> opened;
    std::vector<Script::Step> steps;
    for (std::size_t k = 0; k < route.size(); ++k) {
        const int slot = route[k];
        steps.push_back({[&, slot] { return menus[slot]->IsOpen(); }, [&, k, slot] {
            opened.push_back(slot);
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(buttons[i]->Down(), i == slot) << "button " << i << " while menu " << slot << " shows";
                EXPECT_EQ(menus[i]->IsOpen(), i == slot) << "menu " << i << " while menu " << slot << " shows";
            }
            EXPECT_EQ(menus[slot]->MenuWidget()->pos(), buttons[slot]->mapToGlobal(QPoint(0, 18)));
            if (k + 1 < route.size()) {
                MovePointerTo(Over(buttons[route[k + 1]]));
            } else {
                MovePointerTo(f->ListView1->mapToGlobal(QPoint(100, 100)));
                QTest::keyClick(menus[slot]->MenuWidget(), Qt::Key_Escape);
            }
        }});
    }
    Script script(std::move(steps));

    QCursor::setPos(Over(buttons[0]));
    QTest::mouseClick(buttons[0], Qt::LeftButton, {}, QPoint(10, 8));
    QTRY_VERIFY_WITH_TIMEOUT(script.Over(), 10000);
    EXPECT_TRUE(script.Completed()) << "stuck after " << script.StepsDone() << " menus";
    EXPECT_EQ(opened, route);
    QTRY_VERIFY(std::none_of(std::begin(menus), std::end(menus), [](TPopupMenu* m) { return m->IsOpen(); }));
    for (TSpeedButton* b : buttons)
        EXPECT_FALSE(b->Down()) << b->Name().toStdString();
    EXPECT_EQ(f->FDownMenuIndex, -1);
    EXPECT_EQ(f->FOpenMenuIndex, -1);
}

TEST_F(WindowTest, ChoosingACaptionMenuItemReleasesItsButtonBeforeTheCommandRuns)
{
    TForm1* f = StartMainWindow();
    TSpeedButton* helpButton = f->FindMenuButton(3);
    bool sawAbout = false;
    Script script({
        {[&] { return f->Help->IsOpen(); }, [&] {
            QMenu* menu = f->Help->MenuWidget();
            const QPoint item = menu->actionGeometry(f->AboutMenu->Action()).center();
            MovePointerTo(menu->mapToGlobal(item));
            QTest::mouseClick(menu, Qt::LeftButton, {}, item);
        }},
        {[&] { return qobject_cast<TAboutBox*>(QApplication::activeModalWidget()) != nullptr; }, [&] {
            sawAbout = true;
            EXPECT_FALSE(helpButton->Down()) << "released while the About box shows";
            EXPECT_EQ(f->FDownMenuIndex, -1);
            EXPECT_EQ(f->FOpenMenuIndex, -1);
            auto* about = static_cast<TAboutBox*>(QApplication::activeModalWidget());
            QTest::mouseClick(about->OKButton, Qt::LeftButton);
        }},
    });

    QCursor::setPos(Over(helpButton));
    QTest::mouseClick(helpButton, Qt::LeftButton, {}, QPoint(10, 8));
    QTRY_VERIFY_WITH_TIMEOUT(script.Over(), 10000);
    EXPECT_TRUE(script.Completed());
    EXPECT_TRUE(sawAbout);
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    EXPECT_FALSE(helpButton->Down());
}

// Shows `dialog` modally; once it shows, `prepare` acts and names the widget to focus,
// which then gets Enter (from the keypad with `keypad`). A dialog that Enter does not
// end closes after two seconds. Returns the modal result.
TModalResult EnterOn(TCustomForm* dialog, std::function<QWidget*()> prepare, bool keypad = false)
{
    QTimer::singleShot(0, dialog, [=] {
        QWidget* focus = prepare();
        focus->setFocus(Qt::TabFocusReason);
        if (keypad)
            QTest::keyClick(focus, Qt::Key_Enter, Qt::KeypadModifier);
        else
            QTest::keyClick(focus, Qt::Key_Return);
    });
    QTimer::singleShot(2000, dialog, [=] { dialog->close(); });
    return dialog->ShowModal();
}

TEST_F(WindowTest, EnterOnAFocusedButtonClicksThatButtonInEveryDialog)
{
    TForm1* f = StartMainWindow();
    // The options dialog: the check box is clicked first, so that applying shows.
    const struct {
        const char* Name;
        TButton* TBrowseItem::*Focus; // null: the check box keeps the focus
        bool Keypad;
        bool Applied;
    } options[] = {
        {"apply", &TBrowseItem::Button1, false, true},
        {"cancel", &TBrowseItem::Button2, false, false},
        {"cancel, keypad Enter", &TBrowseItem::Button2, true, false},
        {"check box: the default button", nullptr, true, true},
    };
    for (const auto& c : options) {
        SCOPED_TRACE(c.Name);
        f->FShowExe = true;
        TBrowseItem dialog(nullptr, f);
        EnterOn(&dialog, [&]() -> QWidget* {
            QTest::mouseClick(dialog.ExeChk, Qt::LeftButton);
            return c.Focus ? static_cast<QWidget*>(dialog.*c.Focus) : dialog.ExeChk;
        }, c.Keypad);
        EXPECT_EQ(f->FShowExe, !c.Applied);
    }

    for (const bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "output folder: OK" : "output folder: cancel");
        TOutputFolder dialog(nullptr);
        const TModalResult result = EnterOn(&dialog, [&] { return ok ? dialog.OKBtn : dialog.CancelBtn; });
        EXPECT_EQ(dialog.FChosen, ok);
        EXPECT_EQ(result, ok ? mrOk : mrCancel);
    }

    TAboutBox about(nullptr);
    EXPECT_EQ(EnterOn(&about, [&] { return about.OKButton; }), mrOk) << "about: OK";
}

// A scratch folder listed as a mounted file system of its own ("a USB stick").
class MountTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        FStick = MakeFolder(QStringLiteral("stick"));
        MakeFolder(QStringLiteral("stick/icons"));
        MakeFolder(QStringLiteral("home/user"));
        std::ofstream(FFolder.toStdString() + "/mounts")
            << "/dev/sdz1 " << FStick.toStdString() << " vfat rw 0 0\n";
        SetMountTablePath(FFolder + QStringLiteral("/mounts"));
    }

    void TearDown() override
    {
        SetMountTablePath(QString());
        WindowTest::TearDown();
    }

    // Double-clicks the folder list's entry of `folder`.
    static void OpenEntry(TDirectoryListBox* list, const QString& folder)
    {
        int row = -1;
        for (int i = 0; i < list->count(); ++i)
            if (list->GetItemPath(i) == folder)
                row = i;
        ASSERT_GE(row, 0) << folder.toStdString();
        list->scrollToItem(list->item(row));
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        ASSERT_EQ(list->Directory(), folder);
    }

    QString FStick;
};

TEST_F(MountTest, StartingInARememberedFolderOnAnotherMountListsItOnce)
{
    const QString icons = FStick + QStringLiteral("/icons");
    // An icon file gives one row without being read.
    std::ofstream((icons + QStringLiteral("/one.ico")).toStdString()) << "icon";
    WriteIni("[Access]\nLast=1\n[Init]\nDirectory=" + icons.toStdString() + "\n");

    FForm = new TForm1(Application);
    int selected = 0;
    FForm->SetCommandHook([&](const QString& handler, TObject*) {
        selected += handler == QLatin1String("DirectorySelected");
        return false;
    });
    FForm->AfterConstruction();
    EXPECT_EQ(FForm->DirectoryListBox1->Directory(), icons);
    EXPECT_EQ(FForm->Drive1->Drive(), FStick);
    EXPECT_EQ(FForm->Drive1->currentText(), FStick);
    EXPECT_EQ(selected, 1) << "the folder is entered once";
    EXPECT_EQ(FForm->ListView1->Items()->Count(), 1);
}

TEST_F(MountTest, TheDriveBoxFollowsTheFolderListAcrossMountsAndChoosingTheShownDriveWorks)
{
    const QString home = FFolder + QStringLiteral("/home/user");
    WriteIni("[Init]\nDirectory=" + home.toStdString() + "\n");
    CreateMainForm();
    ShowMainForm();
    TDirectoryListBox* list = FForm->DirectoryListBox1;
    TDriveComboBox* drives = FForm->Drive1;
    ASSERT_EQ(drives->count(), 2);
    EXPECT_EQ(drives->currentText(), QStringLiteral("/"));

    // Up to the scratch folder and down onto the stick, with the mouse.
    OpenEntry(list, FFolder);
    OpenEntry(list, FStick);
    OpenEntry(list, FStick + QStringLiteral("/icons"));
    EXPECT_EQ(drives->Drive(), FStick);
    EXPECT_EQ(drives->currentText(), FStick);
    EXPECT_EQ(FForm->FCurrentDir, FStick + QStringLiteral("/icons"));

    // Choosing "/" in the box returns to the folder last shown there.
    drives->setFocus(Qt::TabFocusReason);
    QTest::keyClick(drives, Qt::Key_Up);
    EXPECT_EQ(drives->currentText(), QStringLiteral("/"));
    EXPECT_EQ(list->Directory(), FFolder);
    EXPECT_EQ(FForm->FCurrentDir, FFolder);
    // And the stick to its folder.
    QTest::keyClick(drives, Qt::Key_Down);
    EXPECT_EQ(list->Directory(), FStick + QStringLiteral("/icons"));
    EXPECT_EQ(FForm->FCurrentDir, FStick + QStringLiteral("/icons"));

    // Leaving the stick by the Up command shows "/" again.
    QTest::mouseClick(FForm->UpButton, Qt::LeftButton);
    QTest::mouseClick(FForm->UpButton, Qt::LeftButton);
    EXPECT_EQ(list->Directory(), FFolder);
    EXPECT_EQ(drives->currentText(), QStringLiteral("/"));
}

TEST_F(MountTest, OutputFolderDialogShortensToItsLabelIsFixedInSizeAndGivesBackTheCurrentFolder)
{
    const QString home = FFolder + QStringLiteral("/home/user");
    // A folder deep enough that its path is wider than the label.
    QString deep = FStick;
    for (const char* name : {"extracted-icons-of-the-week", "old-disks-2004", "level-below-that"})
        deep += QLatin1Char('/') + QLatin1String(name);
    QDir().mkpath(deep);
    WriteIni("[Init]\nDirectory=" + home.toStdString() + "\n");
    CreateMainForm();
    ShowMainForm();
    QDir::setCurrent(home);

    for (const bool confirm : {false, true}) {
        SCOPED_TRACE(confirm ? "confirmed" : "cancelled");
        TOutputFolder* shown = nullptr;
        Script script({
            {[&] { return FForm->PopupMenu2->IsOpen(); }, [&] {
                 QMenu* menu = FForm->PopupMenu2->MenuWidget();
                 const QPoint item = menu->actionGeometry(FForm->ExtractFromFolder->Action()).center();
                 MovePointerTo(menu->mapToGlobal(item));
                 QTest::mouseClick(menu, Qt::LeftButton, {}, item);
             }},
            {[&] { return (shown = qobject_cast<TOutputFolder*>(QApplication::activeModalWidget())) != nullptr; }, [&] {
                 EXPECT_EQ(shown->DirChoose->Caption(), home) << "opens on the main window's folder, written in full";
                 EXPECT_EQ(shown->minimumSize(), QSize(311, 317));
                 EXPECT_EQ(shown->maximumSize(), QSize(311, 317));
                 ASSERT_NE(shown->windowHandle(), nullptr);
                 EXPECT_EQ(shown->windowHandle()->minimumSize(), QSize(311, 317)) << "what a window manager reads";
                 EXPECT_EQ(shown->windowHandle()->maximumSize(), QSize(311, 317));

                 // Onto the stick with the drive box, then down the deep folder.
                 shown->DriveComboBox1->setFocus(Qt::TabFocusReason);
                 QTest::keyClick(shown->DriveComboBox1, Qt::Key_Down);
                 // The stick's folder last shown, at first its root.
                 EXPECT_EQ(DriveOf(shown->DirectoryListBox1->Directory()), FStick);
                 if (shown->DirectoryListBox1->Directory() != FStick)
                     OpenEntry(shown->DirectoryListBox1, FStick);
                 QString at = FStick;
                 for (const QString& part : deep.mid(FStick.size() + 1).split(QLatin1Char('/'))) {
                     at += QLatin1Char('/') + part;
                     OpenEntry(shown->DirectoryListBox1, at);
                 }
                 EXPECT_EQ(QDir::currentPath(), deep);
                 const QString label = shown->DirChoose->Caption();
                 const int width = shown->DirChoose->fontMetrics().horizontalAdvance(label);
                 const QFont font = shown->DirChoose->font();
                 ASSERT_NE(TDirectoryListBox::MinimizeName(deep, font, 286), TDirectoryListBox::MinimizeName(deep, font, 209))
                     << "a folder whose shortening tells the two widths apart";
                 EXPECT_EQ(label, TDirectoryListBox::MinimizeName(deep, font, 286)) << "the label's own width";
                 EXPECT_LE(width, 286) << label.toStdString();

                 QWidget* button = confirm ? static_cast<QWidget*>(shown->OKBtn) : shown->CancelBtn;
                 QTest::mouseClick(button, Qt::LeftButton);
             }},
        });
        // The folder list's popup menu, by a right click.
        TDirectoryListBox* list = FForm->DirectoryListBox1;
        RightClick(list->viewport(), list->visualItemRect(list->item(0)).center());
        QTRY_VERIFY_WITH_TIMEOUT(script.Over(), 10000);
        ASSERT_TRUE(script.Completed()) << "stuck after " << script.StepsDone() << " steps";
        EXPECT_EQ(QDir::currentPath(), home) << "back in the main window's folder";
        EXPECT_EQ(FForm->DirectoryListBox1->Directory(), home);
        if (confirm)
            QTRY_COMPARE(FForm->StatusBar1->Panels()->Items(1)->Text(), QStringLiteral("一共提取0个图标！"));
    }
}

} // namespace
