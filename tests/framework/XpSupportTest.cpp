// Framework pieces the flat-look component stands on: events that know their handler,
// ownership notices, parent colours, WM_DESTROY to hooks, the control bar and the
// minimal edit, memo, radio, bit button and up-down controls.
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Messages.h"
#include "framework/StdCtrls.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct THandler : QObject {
    int Calls = 0;
    void Run(TObject*) { ++Calls; }
    void Other(TObject*) { Calls += 100; }
};

struct TRecorder : TComponent {
    explicit TRecorder(QObject* self, TComponent* owner) : TComponent(self, owner) {}
    std::vector<std::pair<TComponent*, TOperation>> Seen;
    void Notification(TComponent* c, TOperation op) override { Seen.emplace_back(c, op); }
};

} // namespace

TEST(Events, BoundHandlersKnowTheirObjectAndMethod)
{
    THandler a, b;
    TEvent<void(TObject*)> event = TEvent<void(TObject*)>::Bind(&a, &THandler::Run);
    EXPECT_TRUE(event.Is(&a, &THandler::Run));
    EXPECT_FALSE(event.Is(&b, &THandler::Run));
    EXPECT_FALSE(event.Is(&a, &THandler::Other));
    event(nullptr);
    EXPECT_EQ(a.Calls, 1);

    // A plain callable has no identity; an empty event is nobody's.
    event = [](TObject*) {};
    EXPECT_TRUE(event);
    EXPECT_FALSE(event.Is(&a, &THandler::Run));
    event = nullptr;
    EXPECT_FALSE(event);
    EXPECT_FALSE(event.Is(&a, &THandler::Run));

    // A handler whose object is gone does nothing.
    auto gone = std::make_unique<THandler>();
    event = TEvent<void(TObject*)>::Bind(gone.get(), &THandler::Run);
    gone.reset();
    event(nullptr);
}

TEST(Components, OwnersAndOwnedHearOfInsertionRemovalAndTheOwnersEnd)
{
    QObject ownerObject, childObject;
    auto owner = std::make_unique<TRecorder>(&ownerObject, nullptr);
    TRecorder child(&childObject, owner.get());
    ASSERT_EQ(owner->Seen.size(), 1u);
    EXPECT_EQ(owner->Seen[0], std::make_pair(static_cast<TComponent*>(&child), opInsert));
    // The address only: the owner is gone when it is compared.
    const auto ownerAddress = reinterpret_cast<std::uintptr_t>(static_cast<TComponent*>(owner.get()));
    owner.reset();
    ASSERT_EQ(child.Seen.size(), 1u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(child.Seen[0].first), ownerAddress);
    EXPECT_EQ(child.Seen[0].second, opRemove);
    EXPECT_EQ(child.Owner(), nullptr);
}

TEST(Controls, ParentColorFollowsTheParent)
{
    int parentColorMessages = 0;
    int key = 0;
    TForm form(nullptr);
    auto* panel = new TPanel(&form, &form);
    panel->SetColor(RGB(207, 207, 207));
    auto* box = new TGroupBox(panel, &form);
    box->SetParentColor(true);
    EXPECT_EQ(box->Color(), RGB(207, 207, 207));
    EXPECT_EQ(box->palette().color(QPalette::Window), QColor(207, 207, 207));
    HookWindowProc(box, &key, [&](TMessage& m) { parentColorMessages += m.Msg == CM_PARENTCOLORCHANGED; });
    panel->SetColor(RGB(10, 20, 30));
    EXPECT_EQ(box->Color(), RGB(10, 20, 30));
    EXPECT_EQ(box->palette().color(QPalette::Window), QColor(10, 20, 30));
    EXPECT_EQ(parentColorMessages, 1);
    box->SetColor(clWhite);
    EXPECT_FALSE(box->ParentColor());
    panel->SetColor(RGB(1, 2, 3));
    EXPECT_EQ(box->Color(), clWhite);
}

TEST(Messages, HooksHearWmDestroyWhileTheControlStillExists)
{
    TForm form(nullptr);
    auto* button = new TButton(&form, &form);
    int key = 0;
    QString seenText;
    unsigned seen = 0;
    HookWindowProc(button, &key, [&](TMessage& m) {
        if (m.Msg == WM_DESTROY) {
            seen = m.Msg;
            seenText = button->text(); // the Qt widget is intact
        }
    });
    button->SetCaption(QStringLiteral("OK"));
    delete button;
    EXPECT_EQ(seen, WM_DESTROY);
    EXPECT_EQ(seenText, QStringLiteral("OK"));
}

TEST(Controls, SystemMetricsAreThePlatformsFiguresNotTheStyles)
{
    EXPECT_EQ(GetSystemMetrics(SM_CXHTHUMB), 16);
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
}

TEST(ControlBar, EachBandIsPaintedThroughOnBandPaint)
{
    TForm form(nullptr);
    auto* bar = new TControlBar(&form, &form);
    bar->SetBounds(0, 0, 200, 30);
    bar->SetColor(RGB(212, 208, 200));
    auto* a = new TPanel(bar, &form);
    a->SetBounds(0, 0, 50, 22);
    auto* b = new TPanel(bar, &form);
    b->SetBounds(0, 0, 60, 22);
    bar->ArrangeBands();
    EXPECT_EQ(a->Left(), TControlBar::kGripWidth);
    EXPECT_EQ(b->Left(), a->Left() + a->Width() + 2 + TControlBar::kGripWidth);
    std::vector<std::pair<TControl*, TRect>> bands;
    bar->OnBandPaint = [&](TObject*, TControl* control, TCanvas* canvas, TRect& r, TBandPaintOptions& options) {
        bands.emplace_back(control, r);
        canvas->Brush.Color = RGB(1, 2, 3);
        canvas->FillRect(r);
        options = 0;
    };
    QImage image(bar->size(), QImage::Format_ARGB32);
    bar->render(&image);
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_EQ(bands[0].first, a);
    EXPECT_EQ(bands[0].second, TRect(0, 0, 61, 30));
    EXPECT_EQ(bands[1].first, b);
    // The grip area of the first band carries the handler's colour, not a grip.
    EXPECT_EQ(image.pixelColor(4, 10), QColor(1, 2, 3));
    EXPECT_EQ(image.pixelColor(5, 3), QColor(1, 2, 3));
}

TEST(Edits, Ctl3DAndBorderStyleChangeTheFrameAndAnnounceTheNewWindow)
{
    std::vector<unsigned> seen;
    int key = 0;
    TForm form(nullptr);
    form.resize(200, 100);
    auto* button = new TButton(&form, &form);
    button->SetBounds(0, 50, 75, 25);
    auto* edit = new TEdit(&form, &form);
    edit->SetBounds(0, 0, 100, 21);
    HookWindowProc(edit, &key, [&](TMessage& m) {
        if (m.Msg != WM_PAINT)
            seen.push_back(m.Msg);
    });
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(edit->Ctl3D());
    EXPECT_EQ(edit->BorderStyle(), bsSingle);
    EXPECT_EQ(edit->Editor()->geometry(), QRect(3, 3, 94, 15));
    seen.clear();
    edit->SetCtl3D(false);
    EXPECT_EQ(seen, (std::vector<unsigned>{EM_GETMODIFY, CM_CTL3DCHANGED}));
    EXPECT_EQ(edit->Editor()->geometry(), QRect(2, 2, 96, 17));
    edit->SetBorderStyle(bsNone);
    EXPECT_EQ(edit->Editor()->geometry(), QRect(1, 1, 98, 19));

    // Clicking into it gives it the focus; typing goes to the editor; the control
    // hears its focus and text changes.
    button->setFocus();
    seen.clear();
    QTest::mouseClick(edit->Editor(), Qt::LeftButton);
    QTest::keyClicks(edit->Editor(), QStringLiteral("ab"));
    EXPECT_EQ(edit->Text(), QStringLiteral("ab"));
    EXPECT_TRUE(edit->Focused());
    EXPECT_NE(std::find(seen.begin(), seen.end(), WM_SETFOCUS), seen.end());
    EXPECT_EQ(std::count(seen.begin(), seen.end(), CM_TEXTCHANGED), 2);
    seen.clear();
    button->setFocus();
    EXPECT_NE(std::find(seen.begin(), seen.end(), WM_KILLFOCUS), seen.end());
}

TEST(Edits, MemoAndRichEditAreEdits)
{
    TForm form(nullptr);
    auto* memo = new TMemo(&form, &form);
    auto* rich = new TRichEdit(&form, &form);
    memo->SetText(QStringLiteral("a\nb"));
    EXPECT_EQ(memo->Text(), QStringLiteral("a\nb"));
    EXPECT_TRUE(InheritsFrom(memo, "TCustomEdit"));
    EXPECT_TRUE(InheritsFrom(rich, "TCustomMemo"));
    EXPECT_TRUE(InheritsFrom(rich, "TCustomRichEdit"));
    EXPECT_FALSE(InheritsFrom(memo, "TCustomRichEdit"));
    rich->SetBorderWidth(2);
    EXPECT_EQ(rich->BorderWidth(), 2);
}

TEST(Buttons, RadioBitButtonAndUpDownAnswerTheirUsers)
{
    TForm form(nullptr);
    form.resize(300, 200);
    auto* radio1 = new TRadioButton(&form, &form);
    radio1->SetBounds(0, 0, 100, 20);
    auto* radio2 = new TRadioButton(&form, &form);
    radio2->SetBounds(0, 30, 100, 20);
    int clicks = 0;
    radio2->OnClick = [&](TObject*) { ++clicks; };
    auto* bit = new TBitBtn(&form, &form);
    bit->SetBounds(0, 60, 80, 25);
    bit->Glyph()->SetSize(16, 16);
    bit->Glyph()->Image().fill(Qt::red);
    bit->GlyphChanged();
    int bitClicks = 0;
    bit->OnClick = [&](TObject*) { ++bitClicks; };
    auto* updown = new TUpDown(&form, &form);
    updown->SetBounds(120, 0, 17, 22);
    updown->SetRange(0, 2);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    QTest::mouseClick(radio2, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_TRUE(radio2->Checked());
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(bit, Qt::LeftButton);
    EXPECT_EQ(bitClicks, 1);
    EXPECT_TRUE(InheritsFrom(bit, "TButton"));
    EXPECT_EQ(ClassName(bit), QStringLiteral("TBitBtn"));
    EXPECT_FALSE(bit->icon().isNull());

    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(updown, Qt::LeftButton, {}, QPoint(8, 4));
    EXPECT_EQ(updown->Position(), 2); // stops at Max
    QTest::mouseClick(updown, Qt::LeftButton, {}, QPoint(8, 18));
    EXPECT_EQ(updown->Position(), 1);
}
