// The skinned frame: pieces and stacking, size limits, edge and caption drags, the
// caption images per window state and activation.
#include "skin/Neowin.h"

#include <QAccessible>
#include <QCursor>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

QRect WorkArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// A skinned window shown at a known place.
std::unique_ptr<TNeoForm> ShownForm(QRect bounds = QRect(100, 80, 400, 300))
{
    auto form = std::make_unique<TNeoForm>(nullptr);
    form->Show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->SetWindowBounds(bounds.x(), bounds.y(), bounds.width(), bounds.height());
    return form;
}

QImage PictureOf(TImage* image)
{
    return image->Picture()->Image();
}

TEST(Frame, PiecesSizesAndStackingOrder)
{
    TNeoForm form(nullptr);
    EXPECT_EQ(form.BorderStyle(), bsNone);
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.size(), QSize(536, 353));
    EXPECT_EQ(form.Color(), TColor(13619151));
    EXPECT_EQ(form.BorderIcons(), TBorderIcons(biSystemMenu | biMinimize | biMaximize));
    EXPECT_TRUE(form.Sizeable());
    EXPECT_EQ(form.MenuTimer->Interval(), 100);
    EXPECT_FALSE(form.MenuTimer->Enabled());

    EXPECT_EQ(form.TopPanel->geometry(), QRect(0, 0, 536, 49));
    EXPECT_EQ(form.BottomPanel->geometry(), QRect(0, 341, 536, 12));
    EXPECT_EQ(form.LeftImage->geometry(), QRect(0, 49, 10, 292));
    EXPECT_EQ(form.RightImage->geometry(), QRect(523, 49, 13, 292));
    EXPECT_EQ(form.TopImage->geometry(), QRect(0, 0, 536, 6));
    EXPECT_EQ(form.ControlBoxImage->geometry(), QRect(9, 5, 26, 21));
    EXPECT_EQ(form.BottomLeftImage->geometry(), QRect(0, 0, 10, 12));
    EXPECT_EQ(form.BottomCenterImage->geometry(), QRect(10, 0, 1024, 12));

    const struct {
        TImage* image;
        QSize size;
    } pictures[] = {
        {form.LeftImage, {10, 800}},          {form.RightImage, {13, 800}},
        {form.MinImage, {17, 19}},            {form.MaxImage, {17, 19}},
        {form.RestoreImage, {17, 19}},        {form.CloseImage, {17, 19}},
        {form.BottomLeftImage, {10, 12}},     {form.BottomCenterImage, {1024, 12}},
        {form.BottomRightImage, {13, 12}},    {form.GetFTopLeftImage, {81, 49}},
        {form.GetFTopCenterImage, {1024, 49}}, {form.GetFTopRightImage, {94, 49}},
        {form.LostFTopLeftImage, {81, 49}},   {form.LostFTopCenterImage, {1025, 49}},
        {form.LostFTopRightImage, {94, 49}},
    };
    for (const auto& p : pictures)
        EXPECT_EQ(PictureOf(p.image).size(), p.size) << p.image->Name().toStdString();
    EXPECT_TRUE(PictureOf(form.TopLeftImage).isNull()) << "empty until the first activation";
    EXPECT_NE(PictureOf(form.GetFTopCenterImage).pixel(500, 10), PictureOf(form.LostFTopCenterImage).pixel(500, 10));
    for (TImage* hidden : {form.GetFTopLeftImage, form.LostFTopRightImage, form.RestoreImage})
        EXPECT_FALSE(hidden->isVisibleTo(&form));

    // Lowest first, as TopPanelResize leaves them.
    std::vector<QString> order;
    for (QObject* child : form.TopPanel->children())
        if (child->isWidgetType())
            order.push_back(child->objectName());
    std::vector<QString> expected = {"TopCenterImage", "CaptionLabel"};
    for (int i = 12; i >= 1; --i)
        expected.push_back(QStringLiteral("MenuButton%1").arg(i));
    for (const char* name : {"TopLeftImage", "ControlBoxImage", "TopImage", "TopRightImage", "MinImage",
                             "RestoreImage", "MaxImage", "CloseImage"})
        expected.push_back(QString::fromLatin1(name));
    EXPECT_EQ(order, expected);
}

TEST(Frame, CaptionBarAndBottomEdgeFollowTheWidth)
{
    auto form = ShownForm(QRect(50, 50, 700, 320));
    EXPECT_EQ(form->CaptionLabel->geometry(), QRect(85, 11, 525, 31));
    EXPECT_EQ(form->TopRightImage->x(), 606);
    EXPECT_EQ(form->TopCenterImage->x(), 81);
    EXPECT_EQ(form->MinImage->geometry(), QRect(640, 5, 17, 19));
    EXPECT_EQ(form->MaxImage->x(), 659);
    EXPECT_EQ(form->RestoreImage->x(), 659);
    EXPECT_EQ(form->CloseImage->x(), 678);
    EXPECT_EQ(form->BottomRightImage->geometry(), QRect(687, 0, 13, 12));
    EXPECT_EQ(form->RightImage->geometry(), QRect(687, 49, 13, 259));

    form->SetWindowBounds(50, 50, 260, 200);
    EXPECT_EQ(form->CaptionLabel->width(), 85);
    EXPECT_EQ(form->CloseImage->x(), 238);
    EXPECT_EQ(form->BottomRightImage->x(), 247);

    // The white title over the caption bitmap.
    QImage shot = form->grab().toImage();
    EXPECT_EQ(shot.pixelColor(100, 30), PictureOf(form->GetFTopCenterImage).pixelColor(19, 30));
}

TEST(Frame, SizeLimitsApplyToCodeDragsAndMaximising)
{
    auto form = ShownForm();
    const QRect area = WorkArea();

    form->SetWindowBounds(100, 80, 199, 300);
    EXPECT_EQ(form->geometry(), QRect(100, 80, 400, 300)) << "199 wide is refused";
    form->SetWindowBounds(100, 80, 200, 300);
    EXPECT_EQ(form->size(), QSize(200, 300));
    form->SetWindowBounds(100, 80, 300, 59);
    EXPECT_EQ(form->size(), QSize(200, 300)) << "59 high is refused";
    form->SetWindowBounds(100, 80, 300, 60);
    EXPECT_EQ(form->size(), QSize(300, 60));

    // A refused size still moves the window.
    form->SetWindowBounds(150, 90, 120, 60);
    EXPECT_EQ(form->geometry(), QRect(150, 90, 300, 60));

    form->SetWindowBounds(0, 0, area.width() + 300, area.height() + 1);
    EXPECT_EQ(form->size(), area.size()) << "cut to the work area";
    form->SetClientSize(area.width() + 5, 400);
    EXPECT_EQ(form->size(), QSize(area.width(), 400));
    form->SetBounds(10, 10, 150, 150);
    EXPECT_EQ(form->size(), QSize(area.width(), 400)) << "plain set-bounds passes the limits too";

    int w = 5000, h = 5000;
    bool ok = false;
    form->FormCanResize(form.get(), w, h, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(QSize(w, h), area.size());

    form->SetWindowBounds(100, 80, 400, 300);
    form->MaxImageClick(form->MaxImage);
    EXPECT_EQ(form->WindowState(), wsMaximized);
    QTRY_COMPARE(form->geometry(), area);
    form->RestoreImageClick(form->RestoreImage);
    EXPECT_EQ(form->WindowState(), wsNormal);
    QTRY_COMPARE(form->geometry(), QRect(100, 80, 400, 300));
}

// Drags edge `image` grabbed at (ax, ay) to the screen point `to`.
void DragEdge(TNeoForm* form, TImage* image, QPoint anchor, QPoint to)
{
    Fire(image->OnMouseDown, image, mbLeft, TShiftState(ssLeft), anchor.x(), anchor.y());
    QCursor::setPos(to);
    Fire(image->OnMouseMove, image, TShiftState(ssLeft), 0, 0);
    Fire(image->OnMouseUp, image, mbLeft, TShiftState(0), 0, 0);
    (void)form;
}

TEST(Frame, EachEdgeMovesItsOwnSides)
{
    auto form = ShownForm();
    const QRect start(100, 80, 400, 300); // right = 500, bottom = 380
    const QPoint anchor(4, 3);
    const QPoint P(130, 120);
    const struct {
        TImage* image;
        QRect expected; // left, top, right, bottom as a rectangle
    } cases[] = {
        {form->LeftImage, QRect(QPoint(126, 80), QPoint(499, 379))},
        {form->RightImage, QRect(QPoint(100, 80), QPoint(130 + 13 - 4 - 1, 379))},
        {form->TopImage, QRect(QPoint(100, 117), QPoint(499, 379))},
        {form->BottomLeftImage, QRect(QPoint(126, 80), QPoint(499, 120 + 12 - 3 - 1))},
        {form->BottomCenterImage, QRect(QPoint(100, 80), QPoint(499, 120 + 12 - 3 - 1))},
        {form->BottomRightImage, QRect(QPoint(100, 80), QPoint(130 + 13 - 4 - 1, 120 + 12 - 3 - 1))},
    };
    for (const auto& c : cases) {
        form->SetWindowBounds(start.x(), start.y(), start.width(), start.height());
        DragEdge(form.get(), c.image, anchor, P + QPoint(0, 0));
        // Shrinking below the minimum is refused: grow instead where the table shrinks.
        if (c.expected.width() < 200 || c.expected.height() < 60)
            EXPECT_EQ(form->size(), start.size()) << c.image->Name().toStdString();
        else
            EXPECT_EQ(form->geometry(), c.expected) << c.image->Name().toStdString();
        EXPECT_FALSE(form->FSizing);
    }

    // Growing drags, which every edge accepts.
    const QPoint far(700, 500);
    form->SetWindowBounds(start.x(), start.y(), start.width(), start.height());
    DragEdge(form.get(), form->BottomRightImage, QPoint(6, 5), far);
    EXPECT_EQ(form->geometry(), QRect(100, 80, 700 + 13 - 6 - 100, 500 + 12 - 5 - 80));
    form->SetWindowBounds(start.x(), start.y(), start.width(), start.height());
    DragEdge(form.get(), form->LeftImage, QPoint(2, 0), QPoint(40, 0));
    EXPECT_EQ(form->geometry(), QRect(38, 80, 500 - 38, 300));
    form->SetWindowBounds(start.x(), start.y(), start.width(), start.height());
    DragEdge(form.get(), form->TopImage, QPoint(0, 1), QPoint(0, 31));
    EXPECT_EQ(form->geometry(), QRect(100, 30, 400, 380 - 30));

    // The right edge at 199 and 200 pixels.
    form->SetWindowBounds(start.x(), start.y(), start.width(), start.height());
    DragEdge(form.get(), form->RightImage, QPoint(0, 0), QPoint(100 + 199 - 13, 200));
    EXPECT_EQ(form->width(), 400);
    DragEdge(form.get(), form->RightImage, QPoint(0, 0), QPoint(100 + 200 - 13, 200));
    EXPECT_EQ(form->width(), 200);
    // Past the minimum on the left the window shifts instead of shrinking.
    DragEdge(form.get(), form->LeftImage, QPoint(0, 0), QPoint(150, 200));
    EXPECT_EQ(form->geometry(), QRect(150, 80, 200, 300));
}

TEST(Frame, DragsNeedAPressAndAreIgnoredWhileMaximisedOrNotSizeable)
{
    auto form = ShownForm();
    const QRect start = form->geometry();
    QCursor::setPos(QPoint(700, 500));
    Fire(form->RightImage->OnMouseMove, form->RightImage, TShiftState(0), 0, 0);
    EXPECT_EQ(form->geometry(), start) << "no drag without a press";

    form->SetSizeable(false);
    for (TImage* edge : {form->LeftImage, form->RightImage, form->TopImage, form->BottomLeftImage,
                         form->BottomCenterImage, form->BottomRightImage})
        EXPECT_EQ(edge->cursor().shape(), Qt::ArrowCursor) << edge->Name().toStdString();
    DragEdge(form.get(), form->BottomRightImage, QPoint(0, 0), QPoint(700, 500));
    EXPECT_EQ(form->geometry(), start);

    // The caption still moves a window that is not sizeable.
    Fire(form->CaptionLabel->OnMouseDown, form->CaptionLabel, mbLeft, TShiftState(ssLeft), 10, 4);
    EXPECT_TRUE(form->FMoving);
    EXPECT_EQ(form->FMoveOffsetX, 95);
    EXPECT_EQ(form->FMoveOffsetY, 15);
    QCursor::setPos(QPoint(300, 200));
    Fire(form->CaptionLabel->OnMouseMove, form->CaptionLabel, TShiftState(ssLeft), 0, 0);
    EXPECT_EQ(form->pos(), QPoint(205, 185));
    Fire(form->CaptionLabel->OnMouseUp, form->CaptionLabel, mbLeft, TShiftState(0), 0, 0);
    EXPECT_FALSE(form->FMoving);
    QCursor::setPos(QPoint(400, 300));
    Fire(form->CaptionLabel->OnMouseMove, form->CaptionLabel, TShiftState(0), 0, 0);
    EXPECT_EQ(form->pos(), QPoint(205, 185)) << "released";

    form->SetSizeable(true);
    EXPECT_EQ(form->BottomLeftImage->cursor().shape(), Qt::SizeBDiagCursor);
    form->CaptionLabelDblClick(form->CaptionLabel);
    ASSERT_EQ(form->WindowState(), wsMaximized);
    const QRect maximised = form->geometry();
    EXPECT_EQ(form->TopImage->cursor().shape(), Qt::ArrowCursor);
    DragEdge(form.get(), form->RightImage, QPoint(0, 0), QPoint(300, 300));
    Fire(form->CaptionLabel->OnMouseDown, form->CaptionLabel, mbLeft, TShiftState(ssLeft), 10, 4);
    QCursor::setPos(QPoint(500, 400));
    Fire(form->CaptionLabel->OnMouseMove, form->CaptionLabel, TShiftState(ssLeft), 0, 0);
    EXPECT_EQ(form->geometry(), maximised);
}

TEST(Frame, ImagesAndCursorsFollowTheWindowState)
{
    auto form = ShownForm();
    EXPECT_TRUE(form->MaxImage->isVisible());
    EXPECT_FALSE(form->RestoreImage->isVisible());
    EXPECT_EQ(form->LeftImage->cursor().shape(), Qt::SizeHorCursor);
    EXPECT_EQ(form->TopImage->cursor().shape(), Qt::SizeVerCursor);
    EXPECT_EQ(form->BottomRightImage->cursor().shape(), Qt::SizeFDiagCursor);

    // A real click on the maximise image.
    QTest::mouseClick(form->MaxImage, Qt::LeftButton, {}, QPoint(8, 8));
    EXPECT_EQ(form->WindowState(), wsMaximized);
    EXPECT_FALSE(form->MaxImage->isVisible());
    EXPECT_TRUE(form->RestoreImage->isVisible());
    EXPECT_EQ(form->BottomCenterImage->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(form->Sizeable()) << "maximising keeps the setting";

    form->CaptionLabelDblClick(form->CaptionLabel);
    EXPECT_EQ(form->WindowState(), wsNormal);
    EXPECT_TRUE(form->MaxImage->isVisible());
    EXPECT_FALSE(form->RestoreImage->isVisible());
    EXPECT_EQ(form->BottomCenterImage->cursor().shape(), Qt::SizeVerCursor);

    // Without biMaximize the double-click does nothing and the images stay.
    form->SetBorderIcons(biSystemMenu);
    form->CaptionLabelDblClick(form->CaptionLabel);
    EXPECT_EQ(form->WindowState(), wsNormal);

    form->MinImageClick(form->MinImage);
    EXPECT_EQ(form->WindowState(), wsMinimized) << "not the main form: only this window";
    EXPECT_TRUE(form->MaxImage->isVisible()) << "minimising changes nothing in the frame";
}

TEST(Frame, MinimiseOnTheMainFormMinimisesTheApplication)
{
    auto main = ShownForm();
    auto other = ShownForm(QRect(300, 300, 300, 200));
    QWidget* previous = Application->MainForm();
    Application->SetMainForm(main.get());
    main->MinImageClick(main->MinImage);
    EXPECT_EQ(main->WindowState(), wsMinimized);
    EXPECT_EQ(other->WindowState(), wsMinimized);
    Application->SetMainForm(previous);
}

TEST(Frame, CloseImageAndControlBoxDoubleClickClose)
{
    auto form = ShownForm();
    QTest::mouseClick(form->ControlBoxImage, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(form->isVisible()) << "a single click does nothing";
    QTest::mouseDClick(form->ControlBoxImage, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(form->isVisible());

    form->Show();
    QTest::mouseClick(form->CloseImage, Qt::LeftButton, {}, QPoint(8, 8));
    EXPECT_FALSE(form->isVisible());

    // As a modal dialog the close image ends it with the cancel result.
    form->SetModalResult(mrNone);
    QTimer::singleShot(0, form.get(), [&] { QTest::mouseClick(form->CloseImage, Qt::LeftButton, {}, QPoint(8, 8)); });
    EXPECT_EQ(form->ShowModal(), mrCancel);
}

// A screen reader finds the caption's images as named buttons and presses them through
// the accessibility interface; the press arrives through the event loop and does what a
// click (the window icon: a double click) does. An edge image stays no button.
TEST(Frame, CaptionImagesAreNamedButtonsThatAScreenReaderPresses)
{
    auto form = ShownForm();
    const struct {
        TImage* TNeoForm::*image;
        const char* name;
        TWindowState state; // after the press, for the state buttons
        bool closes;
    } cases[] = {
        {&TNeoForm::MaxImage, "最大化", wsMaximized, false},
        {&TNeoForm::RestoreImage, "还原", wsNormal, false},
        {&TNeoForm::MinImage, "最小化", wsMinimized, false},
        {&TNeoForm::CloseImage, "关闭", wsNormal, true},
        {&TNeoForm::ControlBoxImage, "窗口图标", wsNormal, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form->SetWindowState(wsNormal);
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        if (c.state == wsNormal && !c.closes)
            form->SetWindowState(wsMaximized);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(form.get()->*c.image);
        ASSERT_TRUE(a);
        EXPECT_EQ(a->role(), QAccessible::Button);
        EXPECT_EQ(a->text(QAccessible::Name), QString::fromUtf8(c.name));
        ASSERT_TRUE(a->actionInterface());
        ASSERT_TRUE(a->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
        a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        if (c.closes) {
            EXPECT_TRUE(form->isVisible()) << "the press waits for the event loop";
            EXPECT_TRUE(QTest::qWaitFor([&] { return !form->isVisible(); }, 2000));
        } else {
            EXPECT_TRUE(QTest::qWaitFor([&] { return form->WindowState() == c.state; }, 2000));
        }
    }
    QAccessibleInterface* edge = QAccessible::queryAccessibleInterface(form->LeftImage);
    ASSERT_TRUE(edge);
    EXPECT_NE(edge->role(), QAccessible::Button);
    EXPECT_FALSE(edge->actionInterface() &&
                 edge->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
}

TEST(Frame, CaptionPicturesFollowActivation)
{
    auto form = ShownForm();
    TMessage m;
    m.Msg = WM_ACTIVATE;
    m.WParam = WA_INACTIVE;
    form->MenuTimer->SetEnabled(true);
    form->WndProc(m);
    EXPECT_FALSE(form->MenuTimer->Enabled());
    EXPECT_EQ(PictureOf(form->TopLeftImage), PictureOf(form->LostFTopLeftImage));
    EXPECT_EQ(PictureOf(form->TopCenterImage), PictureOf(form->LostFTopCenterImage));
    EXPECT_EQ(PictureOf(form->TopRightImage), PictureOf(form->LostFTopRightImage));
    for (std::uintptr_t active : {WA_ACTIVE, WA_CLICKACTIVE}) {
        form->WndProc(m); // inactive first
        m.WParam = active;
        form->WndProc(m);
        EXPECT_EQ(PictureOf(form->TopLeftImage), PictureOf(form->GetFTopLeftImage));
        EXPECT_EQ(PictureOf(form->TopCenterImage), PictureOf(form->GetFTopCenterImage));
        EXPECT_EQ(PictureOf(form->TopRightImage), PictureOf(form->GetFTopRightImage));
        m.WParam = WA_INACTIVE;
    }
    // The pictures are copies: changing the source leaves the caption alone.
    form->GetFTopLeftImage->SetBitmap(QImage(81, 49, QImage::Format_ARGB32));
    EXPECT_NE(PictureOf(form->TopLeftImage), PictureOf(form->GetFTopLeftImage));

    // Real activation changes.
    auto other = ShownForm(QRect(300, 300, 300, 200));
    QApplication::setActiveWindow(other.get());
    QTRY_COMPARE(PictureOf(form->TopCenterImage), PictureOf(form->LostFTopCenterImage));
    QTRY_COMPARE(PictureOf(other->TopCenterImage), PictureOf(other->GetFTopCenterImage));
    QApplication::setActiveWindow(form.get());
    QTRY_COMPARE(PictureOf(form->TopCenterImage), PictureOf(form->GetFTopCenterImage));
    QTRY_COMPARE(PictureOf(other->TopCenterImage), PictureOf(other->LostFTopCenterImage));
}

TEST(Frame, TheTitleIsCopiedFromTheCaptionOnce)
{
    TNeoForm form(nullptr);
    form.SetCaption(QStringLiteral("标题"));
    EXPECT_EQ(form.CaptionLabel->Caption(), QStringLiteral("标题"));
    form.Show();
    form.SetCaption(QStringLiteral("later"));
    EXPECT_EQ(form.CaptionLabel->Caption(), QStringLiteral("标题"));
}

} // namespace
