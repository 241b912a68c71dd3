// The plain look and places of the combo box, check box, radio button and group box,
// which the flat look paints over.
#include "../xpmenu/PixelSupport.h"
#include "framework/FileCtrl.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

constexpr QRgb kWhite = 0xFFFFFF, kFace = 0xD4D0C8, kShadow = 0x808080, kLight = 0xF1EFE2;

class PlainStyleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QCursor::setPos(1000, 900);
        // A light colour of its own, so that each pixel names its role.
        QPalette pal = QApplication::palette();
        for (auto group : {QPalette::Active, QPalette::Inactive})
            pal.setColor(group, QPalette::Light, QColor(241, 239, 226));
        QApplication::setPalette(pal);
        Form = std::make_unique<TForm>(nullptr);
        Form->SetClientSize(300, 160);
    }
    void Show()
    {
        Form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    }
    TSystemColoursScope Colours;
    std::unique_ptr<TForm> Form;
};

} // namespace

TEST_F(PlainStyleTest, ComboBoxFieldIsPlainAndItsButtonIsOneWiderThanTheThumb)
{
    auto* combo = new TCustomComboBox(Form.get(), Form.get());
    combo->SetBounds(8, 8, 209, 19);
    combo->addItem(QStringLiteral("/"));
    Show();
    // Without the focus (the only control of the window takes it).
    combo->clearFocus();
    const int w = combo->width(), h = combo->height();
    const int s = GetSystemMetrics(SM_CXHTHUMB);
    const QImage image = combo->grab().toImage();

    // Row 4 crosses the button above its arrow: field, then the button's S + 1 columns
    // (light left edge, face, shadow right edge) inside the two-pixel edge.
    std::string row;
    for (int x = w - s - 6; x < w; ++x) {
        const QRgb p = At(image, x, 4);
        row += p == kWhite ? 'w' : p == kFace ? 'f' : p == kShadow ? 'd' : p == kLight ? 'l' : '?';
    }
    EXPECT_EQ(row, "www" + std::string("l") + std::string(s - 1, 'f') + "dwl");

    // Right of the caption the field is one colour: no gradient, no frame inside.
    std::set<QRgb> field;
    for (int y = 1; y < h - 1; ++y)
        for (int x = w / 2; x < w - s - 3; ++x)
            field.insert(At(image, x, y));
    EXPECT_EQ(field, std::set<QRgb>{kWhite});
    EXPECT_EQ(At(image, w / 2, 0), kShadow) << "a one-pixel sunken edge";
    EXPECT_EQ(At(image, w / 2, h - 1), kLight);
}

TEST_F(PlainStyleTest, ComboBoxListDropsBelowTheBox)
{
    auto* combo = new TCustomComboBox(Form.get(), Form.get());
    combo->SetBounds(8, 8, 209, 19);
    combo->addItems({QStringLiteral("/"), QStringLiteral("/mnt")});
    Show();
    QTest::mouseClick(combo, Qt::LeftButton, {}, QPoint(combo->width() - 5, 9));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() != nullptr; }));
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_TRUE(popup);
    EXPECT_TRUE(combo->DroppedDown());
    EXPECT_GE(popup->mapToGlobal(QPoint(0, 0)).y(), combo->mapToGlobal(QPoint(0, combo->height())).y());
    QTest::keyClick(combo->view(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !combo->DroppedDown(); }));
}

TEST_F(PlainStyleTest, CheckAndRadioBoxesLieInTheirBandAtTheReadingSide)
{
    const int s = GetSystemMetrics(SM_CXHTHUMB);
    auto* left = new TCheckBox(Form.get(), Form.get());
    left->SetBounds(10, 10, 120, 17);
    left->SetChecked(true);
    auto* right = new TCheckBox(Form.get(), Form.get());
    right->SetBounds(10, 40, 120, 21);
    right->SetAlignment(taLeftJustify);
    auto* radio = new TRadioButton(Form.get(), Form.get());
    radio->SetBounds(10, 70, 120, 17);
    radio->SetChecked(true);
    for (auto* c : {static_cast<QAbstractButton*>(left), static_cast<QAbstractButton*>(right),
                    static_cast<QAbstractButton*>(radio)})
        c->setText(QString());
    Show();
    const struct {
        QWidget* Control;
        int Margin, Height;
        bool AtRight;
    } cases[] = {{left, 3, s, false}, {right, 3, s, true}, {radio, 4, s - 1, false}};
    for (const auto& c : cases) {
        const QImage image = c.Control->grab().toImage();
        const int w = image.width(), h = image.height();
        const int top = c.Margin + (h - 2 * c.Margin - s) / 2;
        // The band the flat box covers: S - 1 columns at the side, Height rows from top.
        const QRect band = c.AtRight ? QRect(w - s + 1, top, s - 1, c.Height) : QRect(0, top, s - 1, c.Height);
        int ink = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (At(image, x, y) != kFace) {
                    EXPECT_TRUE(band.contains(x, y)) << c.Control->metaObject()->className() << " at " << x << "," << y;
                    ++ink;
                }
        EXPECT_GT(ink, 8);
    }
}

TEST_F(PlainStyleTest, TheFocusRectangleGoesRoundTheCaptionClearOfTheBoxsBand)
{
    const int s = GetSystemMetrics(SM_CXHTHUMB);
    for (const TAlignment alignment : {taRightJustify, taLeftJustify}) {
        auto* box = new TCheckBox(Form.get(), Form.get());
        box->SetBounds(10, 10, 120, 21);
        box->SetAlignment(alignment);
        box->SetCaption(QStringLiteral("Abc"));
        box->SetVisible(true);
        Show();
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        // The key that moves the focus gives it to the only control.
        const bool atRight = alignment == taLeftJustify;
        for (int i = 0; i < 3 && !box->hasFocus(); ++i)
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : Form.get(), Qt::Key_Tab);
        QTest::qWait(20);
        ASSERT_TRUE(box->hasFocus());
        const QImage image = box->grab().toImage();
        const int w = image.width();
        // Every black pixel outside the box's band (S - 1 columns at its side): the dots
        // and the caption inside them.
        QRect ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = atRight ? 0 : s - 1; x < (atRight ? w - s + 1 : w); ++x)
                if (At(image, x, y) == 0)
                    ink |= QRect(x, y, 1, 1);
        // The caption starts at the band's end (17 from the box's side); the dots one
        // pixel out, from row 2 of the 21.
        EXPECT_EQ(atRight ? w - 1 - ink.right() : ink.left(), 16) << atRight;
        EXPECT_EQ(ink.top(), 2) << atRight;
        int dots = 0;
        for (int y = ink.top(); y <= ink.bottom(); ++y)
            dots += At(image, atRight ? ink.right() : ink.left(), y) == 0;
        EXPECT_EQ(ink.bottom(), 18) << atRight;
        // Rows 2 to 18: dots on every other one, which ones by the column's parity.
        EXPECT_EQ(dots, atRight ? 8 : 9) << "the side next to the box, " << atRight;
        delete box;
    }
}

TEST_F(PlainStyleTest, GroupBoxFrameIsAnEtchedLineFromHalfTheCaptionHeight)
{
    auto* group = new TGroupBox(Form.get(), Form.get());
    group->SetBounds(10, 10, 200, 100);
    group->SetCaption(QStringLiteral("Files"));
    Show();
    const QImage image = group->grab().toImage();
    const int th = QFontMetrics(group->font()).height();
    const int w = image.width(), h = image.height();
    std::string column, left;
    for (int y = th / 2 - 1; y <= th / 2 + 2; ++y)
        column += At(image, w - 40, y) == kShadow ? 'd' : At(image, w - 40, y) == kLight ? 'l' : '.';
    EXPECT_EQ(column, ".dl.");
    for (int x = 0; x < 3; ++x)
        left += At(image, x, h / 2) == kShadow ? 'd' : At(image, x, h / 2) == kLight ? 'l' : '.';
    EXPECT_EQ(left, "dl.");
    EXPECT_EQ(At(image, w / 2, h - 2), kShadow);
    EXPECT_EQ(At(image, w / 2, h - 1), kLight);
    // The caption breaks the line from column 8 on, its ink starting after a blank pixel.
    EXPECT_EQ(At(image, 7, th / 2), kShadow);
    EXPECT_EQ(At(image, 8, th / 2), kFace);
}
