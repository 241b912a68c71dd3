// The About box: layout, link colours and targets, how it ends; the main window's
// About command.
#include "browser/Mainform.h"
#include "framework/ShellApi.h"
#include "skin/About.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The colour a label's text is drawn in, as RGB.
TColor FontColor(TLabel* label)
{
    return ColorToRGB(label->Font().Color);
}

// A move of the pointer without buttons, as the control under it receives one.
void MoveOver(QWidget* w, QPoint p)
{
    QMouseEvent move(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

TEST(About, LayoutOnTheSkinnedFrame)
{
    TAboutBox box(nullptr);
    EXPECT_EQ(box.Caption(), QStringLiteral("关于"));
    EXPECT_EQ(box.CaptionLabel->Caption(), QStringLiteral("关于"));
    EXPECT_EQ(box.size(), QSize(298, 213));
    EXPECT_EQ(box.Color(), TColor(13619151));
    EXPECT_EQ(box.Position(), poScreenCenter);
    EXPECT_EQ(box.BorderStyle(), bsNone);
    EXPECT_FALSE(box.Sizeable());
    EXPECT_EQ(box.ProgramIcon->geometry(), QRect(32, 56, 65, 57));
    EXPECT_TRUE(box.ProgramIcon->Stretch());
    EXPECT_EQ(box.ProgramIcon->Picture()->Image().size(), QSize(136, 163));
    EXPECT_EQ(box.ProductName->Caption(), QStringLiteral("Glimmerwick"));
    EXPECT_EQ(box.ProductName->pos(), QPoint(112, 64));
    EXPECT_EQ(box.Version->geometry(), QRect(112, 88, 57, std::max(13, box.Version->fontMetrics().height())));
    EXPECT_EQ(box.Version->Caption(), QStringLiteral("版本:0.6"));
    EXPECT_EQ(box.Copyright->geometry(), QRect(32, 128, 241, std::max(13, box.Copyright->fontMetrics().height())));
    EXPECT_EQ(box.Url->geometry(), QRect(32, 152, 161, std::max(13, box.Url->fontMetrics().height())));
    EXPECT_EQ(box.Email->geometry(), QRect(32, 176, 161, std::max(13, box.Email->fontMetrics().height())));
    EXPECT_EQ(box.Email->Caption(), QStringLiteral("E-mail:") + QString::fromLatin1(kAboutMailTo).mid(7));
    EXPECT_TRUE(QString::fromLatin1(kAboutMailTo).startsWith(QLatin1String("mailto:")));
    EXPECT_EQ(box.OKButton->geometry(), QRect(199, 164, 75, 25));
    EXPECT_EQ(box.OKButton->Caption(), QStringLiteral("确定"));
    EXPECT_TRUE(box.OKButton->Default());
    EXPECT_EQ(box.OKButton->ModalResult(), mrOk);
    // Only the close image in the caption; the links fit their labels.
    EXPECT_FALSE(box.MinImage->isVisibleTo(&box));
    EXPECT_FALSE(box.MaxImage->isVisibleTo(&box));
    EXPECT_TRUE(box.CloseImage->isVisibleTo(&box));
    for (TLabel* link : {box.Url, box.Email})
        EXPECT_LE(link->fontMetrics().horizontalAdvance(link->Caption()), link->width()) << link->Name().toStdString();
    for (int i = 0; i < TNeoForm::kMenuSlots; ++i)
        EXPECT_FALSE(box.FindMenuButton(i)->isVisibleTo(&box));
}

TEST(About, LinksTurnBlueUnderThePointerAndBackOnlyOverTheBackground)
{
    TAboutBox box(nullptr);
    box.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    ASSERT_NE(ColorToRGB(clWindowText), TColor(clBlue));
    EXPECT_EQ(FontColor(box.Url), ColorToRGB(clWindowText));
    EXPECT_EQ(FontColor(box.Email), ColorToRGB(clWindowText));

    MoveOver(box.Url, QPoint(5, 5));
    EXPECT_EQ(FontColor(box.Url), clBlue);
    EXPECT_EQ(box.Url->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(FontColor(box.Email), ColorToRGB(clWindowText));
    MoveOver(box.Email, QPoint(5, 5));
    EXPECT_EQ(FontColor(box.Email), clBlue);
    EXPECT_EQ(FontColor(box.Url), clBlue) << "another control leaves the colour";
    MoveOver(box.OKButton, QPoint(5, 5));
    EXPECT_EQ(FontColor(box.Url), clBlue);

    MoveOver(&box, QPoint(150, 120));
    EXPECT_EQ(FontColor(box.Url), ColorToRGB(clWindowText));
    EXPECT_EQ(FontColor(box.Email), ColorToRGB(clWindowText));
    EXPECT_EQ(box.Url->Font().Style, box.Email->Font().Style) << "only the colour changes";
    EXPECT_FALSE(box.Url->Font().Style & fsUnderline);
}

TEST(About, LinksOpenThroughTheDesktopAndFailuresAreIgnored)
{
    TAboutBox box(nullptr);
    std::vector<QString> opened;
    ShellOpenSeam::SetHandler([&](const QString& target) {
        opened.push_back(target);
        return false;
    });
    QTest::mouseClick(box.Url, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(box.Email, Qt::LeftButton, {}, QPoint(5, 5));
    ShellOpenSeam::SetHandler({});
    EXPECT_EQ(box.Url->Caption(), QStringLiteral("glimmerwick.github.io"));
    const std::vector<QString> expected = {QStringLiteral("https://glimmerwick.github.io/"),
                                           QStringLiteral("mailto:gw@example.org")};
    EXPECT_EQ(opened, expected);
}

TEST(About, OkEndsWithOkCloseImageWithCancelAndEdgesDoNothing)
{
    TAboutBox box(nullptr);
    QTimer::singleShot(0, &box, [&] { QTest::keyClick(&box, Qt::Key_Return); });
    EXPECT_EQ(box.ShowModal(), mrOk);
    QTimer::singleShot(0, &box, [&] { QTest::mouseClick(box.CloseImage, Qt::LeftButton, {}, QPoint(8, 8)); });
    EXPECT_EQ(box.ShowModal(), mrCancel);

    box.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    const QRect start = box.geometry();
    EXPECT_EQ(box.RightImage->cursor().shape(), Qt::ArrowCursor);
    Fire(box.RightImage->OnMouseDown, box.RightImage, mbLeft, TShiftState(ssLeft), 0, 0);
    QCursor::setPos(start.bottomRight() + QPoint(100, 100));
    Fire(box.RightImage->OnMouseMove, box.RightImage, TShiftState(ssLeft), 0, 0);
    EXPECT_EQ(box.geometry(), start);

    // biMaximize stays: the title double-click maximises and shows the restore image.
    box.CaptionLabelDblClick(box.CaptionLabel);
    EXPECT_EQ(box.WindowState(), wsMaximized);
    EXPECT_TRUE(box.RestoreImage->isVisible());
    box.CaptionLabelDblClick(box.CaptionLabel);
    EXPECT_EQ(box.WindowState(), wsNormal);
    EXPECT_TRUE(box.MaxImage->isVisible()) << "restoring shows the image the constructor hid";
    EXPECT_FALSE(box.RestoreImage->isVisible());
}

TEST(About, TheMainWindowsAboutCommandShowsAnOwnerlessBoxModally)
{
    TForm1 main(nullptr);
    QPointer<TAboutBox> seen;
    bool modal = false;
    TComponent* owner = &main;
    QTimer::singleShot(0, &main, [&] {
        seen = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(seen);
        modal = seen->Modal();
        owner = seen->Owner();
        seen->OKButton->Click();
    });
    main.AboutClick(main.AboutButton);
    EXPECT_TRUE(modal);
    EXPECT_EQ(owner, nullptr);
    EXPECT_TRUE(seen.isNull()) << "destroyed when the modal call returns";
}

} // namespace
