// The main window as users meet it: resizing, maximising and restoring lay out the
// whole content by its alignments.
#include "AppTestSupport.h"

#include <QCursor>
#include <QScreen>

#include <algorithm>

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

} // namespace
