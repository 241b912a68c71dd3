// The main window as users meet it: resizing, maximising and restoring lay out the
// whole content by its alignments; caption menus switch under the pointer and release
// their buttons when an item is chosen.
#include "AppTestSupport.h"
#include "About.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <functional>
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

} // namespace
