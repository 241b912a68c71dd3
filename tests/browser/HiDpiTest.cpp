// The main window on screens with more pixels per point: ctest runs this at
// QT_SCALE_FACTOR 1, 1.5 and 2, and each run checks what its screen should show.
#include "AppTestSupport.h"
#include "browser/Inspector.h"
#include "settings/Option.h"

#include <QFile>
#include <QScreen>
#include <QTimer>

namespace {

const QString kData = QStringLiteral(GW_TEST_DATA_DIR);

// hidpi.dll's one icon is stored at 32 (red), 48 (green) and 64 pixels (a blue and
// white checkerboard); depth24.ico only at 32 pixels, colour (8x, 8y, 0x80).
struct TScreenCase {
    qreal Ratio;
    int Side;                // the icon's side in device pixels
    QRgb Even, Odd;          // hidpi.dll's icon where x + y is even, and odd
    QRgb FlatAt35;           // depth24.ico's icon at device pixel (3, 5)
    const char* ListImage;   // the drawing of a library's row image shown pixel for pixel
};
const TScreenCase kCases[] = {
    {1.0, 32, 0xFFE02020, 0xFFE02020, 0xFF182880, "list1_02.png"},     // as ever
    {1.5, 48, 0xFF20E020, 0xFF20E020, 0, nullptr},                   // the 48-pixel image
    {2.0, 64, 0xFF2020E0, 0xFFF0F0F0, 0xFF081080, "list1_02@2x.png"},  // the 64-pixel image
};

// Whether `part` appears in `whole` at some place, compared where `part` is opaque.
bool Contains(const QImage& whole, const QImage& part)
{
    for (int top = 0; top + part.height() <= whole.height(); ++top)
        for (int left = 0; left + part.width() <= whole.width(); ++left) {
            bool same = true;
            for (int y = 0; y < part.height() && same; ++y)
                for (int x = 0; x < part.width() && same; ++x)
                    same = qAlpha(part.pixel(x, y)) != 255 || whole.pixel(left + x, top + y) == part.pixel(x, y);
            if (same)
                return true;
        }
    return false;
}

class HiDpiTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        const qreal ratio = qApp->devicePixelRatio();
        for (const TScreenCase& c : kCases)
            if (qFuzzyCompare(c.Ratio, ratio))
                FCase = &c;
        ASSERT_NE(FCase, nullptr) << "no expectations for device pixel ratio " << ratio;
        FIcons = MakeFolder(QStringLiteral("icons"));
        ASSERT_TRUE(QFile::copy(kData + QStringLiteral("/hidpi64.dll"), FIcons + QStringLiteral("/hidpi.dll")));
        ASSERT_TRUE(QFile::copy(kData + QStringLiteral("/depth24.ico"), FIcons + QStringLiteral("/flat.ico")));
        WriteIni(AllKeysFile("1", FIcons.toStdString(), "1"));
        CreateMainForm();
        ShowMainForm();
    }

    int RowOf(const QString& name) const
    {
        for (int i = 0; i < FForm->ListView1->Items()->Count(); ++i)
            if (FForm->ListView1->Items()->Item(i)->Caption() == name)
                return i;
        return -1;
    }

    // Clicks the row of `name` and returns the preview as the screen shows it.
    QImage PreviewOf(const QString& name)
    {
        TListView* list = FForm->ListView1;
        const int row = RowOf(name);
        EXPECT_GE(row, 0) << name.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
        EXPECT_TRUE(QTest::qWaitFor([&] { return FForm->FCurrentIndex == row && !FForm->PreView->Picture()->Icon()->Empty(); }));
        QTest::qWait(50);  // the repaint that follows
        return FForm->PreView->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    }

    const TScreenCase* FCase = nullptr;
    QString FIcons;
};

TEST_F(HiDpiTest, ThePreviewDrawsTheImageOfTheScreensPixels)
{
    const QImage shown = PreviewOf(QStringLiteral("hidpi.dll"));
    ASSERT_GE(shown.width(), FCase->Side);
    int wrong = 0;
    for (int y = 0; y < FCase->Side; ++y)
        for (int x = 0; x < FCase->Side; ++x)
            if (shown.pixel(x, y) != ((x + y) % 2 ? FCase->Odd : FCase->Even) && ++wrong < 4)
                ADD_FAILURE() << "device pixel " << x << "," << y << ": " << std::hex << shown.pixel(x, y);
    EXPECT_EQ(wrong, 0);
    // What Save writes is still the 32-pixel icon.
    EXPECT_EQ(FForm->PreView->Picture()->Image().size(), QSize(32, 32));
}

TEST_F(HiDpiTest, AnIconWithoutLargerImagesIsDrawnAsBefore)
{
    if (!FCase->FlatAt35)
        GTEST_SKIP() << "the enlarged 32-pixel image is Qt's own at this ratio";
    const QImage shown = PreviewOf(QStringLiteral("flat.ico"));
    EXPECT_EQ(shown.pixel(3, 5), FCase->FlatAt35);
}

TEST_F(HiDpiTest, TheListsRowImagesAreDrawnForTheScreensPixels)
{
    if (!FCase->ListImage)
        GTEST_SKIP() << "no drawing of this density";
    TListView* list = FForm->ListView1;
    const int library = RowOf(QStringLiteral("hidpi.dll"));
    ASSERT_GE(library, 0);
    QTest::qWait(50);
    const QImage shown = list->viewport()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QRect row = list->visualRect(list->model()->index(library, 0));
    const qreal ratio = FCase->Ratio;
    const QImage rowShown = shown.copy(QRect(row.topLeft() * ratio, row.size() * ratio));
    const QImage drawing = QImage(QStringLiteral(":/images/") + QLatin1String(FCase->ListImage))
                               .convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(drawing.width(), qRound(16 * ratio));
    EXPECT_TRUE(Contains(rowShown, drawing)) << FCase->ListImage;
}

TEST_F(HiDpiTest, TheInspectorShowsEachStoredPixelOnOneDevicePixel)
{
    // The 64-pixel image: a blue and white checkerboard of single pixels.
    QImage checker(64, 64, QImage::Format_ARGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            checker.setPixel(x, y, (x + y) % 2 ? 0xFFF0F0F0 : 0xFF2020E0);
    PreviewOf(QStringLiteral("hidpi.dll"));
    bool found = false, shown = false;
    QTimer::singleShot(0, qApp, [&] {
        auto* inspector = qobject_cast<TIconInspector*>(QApplication::activeModalWidget());
        if (!inspector)
            return;
        shown = true;
        // Whole on the screen, however small the screen is in points.
        const QRect area = inspector->screen()->availableGeometry();
        EXPECT_TRUE(area.contains(inspector->frameGeometry())) << area.width() << "x" << area.height();
        TImageEntryList* list = inspector->ImageList;
        for (int row = 0; row < list->count() && !found; ++row) {
            list->scrollToItem(list->item(row));
            QTest::qWait(20);
            found = Contains(list->viewport()->grab().toImage().convertToFormat(QImage::Format_ARGB32), checker);
        }
        inspector->Close();
    });
    QTest::keyClick(FForm->ListView1, Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(found) << "at device pixel ratio " << FCase->Ratio;
}

} // namespace

namespace {

TEST_F(HiDpiTest, TheOptionsDialogFitsTheScreenWithItsControlsInsideItsFrame)
{
    TBrowseItem d(nullptr, FForm);
    d.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    const QRect area = d.screen()->availableGeometry();
    EXPECT_TRUE(area.contains(d.frameGeometry())) << area.width() << "x" << area.height();
    // The buttons keep their places from the right and bottom edges of the 645 x 330
    // layout, and the group box its margins, however much smaller the window is.
    const auto gaps = [&d](QWidget* control) {
        const QRect g = control->geometry();
        return std::pair(d.width() - 1 - g.right(), d.height() - 1 - g.bottom());
    };
    EXPECT_EQ(gaps(d.Button1), std::pair(645 - 526, 330 - 306)) << FCase->Ratio;
    EXPECT_EQ(gaps(d.Button2), std::pair(645 - 634, 330 - 306)) << FCase->Ratio;
    EXPECT_EQ(gaps(d.GroupBox1).first, 645 - 631) << FCase->Ratio;
    EXPECT_EQ(d.GroupBox1->x(), 10);
}

} // namespace
