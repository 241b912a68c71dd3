// Components, class tests, events, alignment and forms.
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"

#include <QProcess>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct TTestForm : TForm {
    explicit TTestForm(TComponent* owner = nullptr) : TForm(owner)
    {
        Panel1 = new TPanel(this);
        Panel1->SetName("Panel1");
        Button1 = new TButton(Panel1);
        Button1->SetName("Button1");
        Timer1 = new TTimer(this);
        Timer1->SetName("Timer1");
        Label1 = new TLabel(Panel1);
        Label1->SetName("Label1");
    }
    TPanel* Panel1;
    TButton* Button1;
    TTimer* Timer1;
    TLabel* Label1;
};

} // namespace

TEST(Components, FormOwnsControlsInCreationOrderWhateverTheirParent)
{
    TTestForm form;
    ASSERT_EQ(form.ComponentCount(), 4);
    EXPECT_EQ(form.Components(0), form.Panel1);
    EXPECT_EQ(form.Components(1), form.Button1);
    EXPECT_EQ(form.Components(2), form.Timer1);
    EXPECT_EQ(form.Components(3), form.Label1);
    EXPECT_EQ(form.Button1->Owner(), &form);
    EXPECT_EQ(form.Button1->Parent(), form.Panel1);
    EXPECT_EQ(form.Label1->ComponentIndex(), 3);
    EXPECT_EQ(form.FindComponent("button1"), form.Button1);
    EXPECT_EQ(form.FindComponent("Nothing"), nullptr);
    EXPECT_EQ(form.Button1->Name(), form.Button1->objectName());
}

TEST(Components, DestroyedComponentLeavesItsOwnersList)
{
    TTestForm form;
    delete form.Label1;
    ASSERT_EQ(form.ComponentCount(), 3);
    EXPECT_EQ(form.FindComponent("Label1"), nullptr);
    // Deleting a parent takes its children out of the owner's list as well.
    delete form.Panel1;
    ASSERT_EQ(form.ComponentCount(), 1);
    EXPECT_EQ(form.Components(0), form.Timer1);
}

TEST(Components, TagIsKeptPerComponent)
{
    TTestForm form;
    form.Panel1->Tag = 999;
    EXPECT_EQ(form.Panel1->Tag, 999);
    EXPECT_EQ(form.Button1->Tag, 0);
}

TEST(Components, ClassTestsUseTheMetaObjectSystem)
{
    TTestForm form;
    EXPECT_TRUE(InheritsFrom(form.Panel1, "TCustomPanel"));
    EXPECT_TRUE(InheritsFrom(form.Panel1, "TPanel"));
    EXPECT_FALSE(InheritsFrom(form.Button1, "TCustomPanel"));
    EXPECT_EQ(ClassName(form.Button1), "TButton");
    EXPECT_EQ(ClassName(form.Panel1), "TPanel");
    EXPECT_TRUE(InheritsFrom(&form, "TCustomForm"));
    EXPECT_TRUE(InheritsFrom(&form, "TScrollingWinControl"));
    TCheckBox box(nullptr);
    EXPECT_TRUE(InheritsFrom(&box, "TCustomCheckBox"));
    EXPECT_EQ(ClassName(&box), "TCheckBox");
    EXPECT_TRUE(form.Label1->IsGraphicControl());
    EXPECT_FALSE(form.Button1->IsGraphicControl());
}

TEST(Components, EventsCanBeTestedReplacedAndCleared)
{
    TTestForm form;
    EXPECT_FALSE(form.Button1->OnClick);
    int first = 0, second = 0;
    form.Button1->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, form.Button1);
        ++first;
    };
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    EXPECT_EQ(first, 1);
    form.Button1->OnClick = [&](TObject*) { ++second; };
    form.Button1->Click();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
    form.Button1->OnClick = nullptr;
    form.Button1->Click();
    EXPECT_EQ(second, 1);
}

TEST(Components, HintsSplitIntoToolTipAndStatusText)
{
    EXPECT_EQ(GetShortHint("Up|Browse the parent folder"), "Up");
    EXPECT_EQ(GetLongHint("Up|Browse the parent folder"), "Browse the parent folder");
    EXPECT_EQ(GetShortHint("plain"), "plain");
    EXPECT_EQ(GetLongHint("plain"), "plain");
    TTestForm form;
    form.Button1->SetHint("Up|Browse the parent folder");
    EXPECT_EQ(form.Button1->toolTip(), "Up");
    EXPECT_EQ(form.Button1->Hint(), "Up|Browse the parent folder");
}

TEST(Align, EdgesInAlignmentOrderThenClient)
{
    TForm form(nullptr);
    form.SetClientSize(300, 200);
    auto* top = new TPanel(&form);
    top->SetHeight(29);
    top->SetAlign(alTop);
    auto* bottom = new TPanel(&form);
    bottom->SetHeight(19);
    bottom->SetAlign(alBottom);
    auto* left = new TPanel(&form);
    left->SetWidth(171);
    left->SetAlign(alLeft);
    auto* splitter = new TSplitter(&form);
    splitter->SetWidth(4);
    splitter->SetAlign(alLeft);
    auto* client = new TPanel(&form);
    client->SetAlign(alClient);

    EXPECT_EQ(top->geometry(), QRect(0, 0, 300, 29));
    EXPECT_EQ(bottom->geometry(), QRect(0, 181, 300, 19));
    EXPECT_EQ(left->geometry(), QRect(0, 29, 171, 152));
    EXPECT_EQ(splitter->geometry(), QRect(171, 29, 4, 152));
    EXPECT_EQ(client->geometry(), QRect(175, 29, 125, 152));

    form.SetClientSize(400, 300);
    EXPECT_EQ(bottom->geometry(), QRect(0, 281, 400, 19));
    EXPECT_EQ(client->geometry(), QRect(175, 29, 225, 252));

    // A hidden control gives its place to the others.
    top->SetVisible(false);
    EXPECT_EQ(left->geometry(), QRect(0, 0, 171, 281));
}

TEST(Align, EveryLevelOfADeepTreeFollowsAResizeOfTheShownForm)
{
    TForm form(nullptr);
    form.SetClientSize(300, 200);
    // Each level: a 10-pixel strip on top, the next level filling the rest.
    std::vector<TPanel*> levels;
    QWidget* parent = &form;
    for (int i = 0; i < 9; ++i) {
        auto* strip = new TPanel(parent);
        strip->SetHeight(10);
        strip->SetAlign(alTop);
        auto* rest = new TPanel(parent);
        rest->SetBevelOuter(bvNone);
        rest->SetAlign(alClient);
        levels.push_back(rest);
        parent = rest;
    }
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (const QSize size : {QSize(500, 400), QSize(250, 150), QSize(640, 480)}) {
        form.resize(size);
        for (std::size_t i = 0; i < levels.size(); ++i)
            EXPECT_EQ(levels[i]->size(), QSize(size.width(), size.height() - 10 * int(i + 1))) << "level " << i;
    }
}

TEST(Align, PanelBevelsNarrowTheClientArea)
{
    TPanel panel(nullptr);
    panel.resize(100, 50);
    panel.SetBevelOuter(bvRaised);
    panel.SetBevelInner(bvLowered);
    panel.SetBorderWidth(2);
    auto* child = new TPanel(&panel);
    child->SetAlign(alClient);
    EXPECT_EQ(child->geometry(), QRect(4, 4, 92, 42));
    panel.SetBevelOuter(bvNone);
    panel.SetBevelInner(bvNone);
    panel.SetBorderWidth(0);
    EXPECT_EQ(child->geometry(), QRect(0, 0, 100, 50));
}

TEST(Forms, OnCreateRunsOnceAfterConstruction)
{
    int created = 0;
    struct TCreating : TForm {
        explicit TCreating(int& count) : TForm(nullptr)
        {
            OnCreate = [&count](TObject*) { ++count; };
        }
    } form(created);
    EXPECT_EQ(created, 0);
    form.AfterConstruction();
    EXPECT_EQ(created, 1);
    form.Show();
    form.Close();
    form.Show();
    EXPECT_EQ(created, 1);
}

TEST(Forms, ShowRunsOnCreateWhenNobodyDidAndCloseAskesOnClose)
{
    TForm form(nullptr);
    int created = 0, shown = 0;
    form.OnCreate = [&](TObject*) { ++created; };
    form.OnShow = [&](TObject*) { ++shown; };
    form.Show();
    EXPECT_EQ(created, 1);
    EXPECT_EQ(shown, 1);
    TCloseAction wanted = caNone;
    form.OnClose = [&](TObject* sender, TCloseAction& action) {
        EXPECT_EQ(sender, &form);
        EXPECT_EQ(action, caHide);
        action = wanted;
    };
    EXPECT_FALSE(form.Close());
    EXPECT_TRUE(form.isVisible());
    wanted = caHide;
    EXPECT_TRUE(form.Close());
    EXPECT_FALSE(form.isVisible());
}

TEST(Forms, ShowModalEndsWithTheButtonsModalResult)
{
    TForm form(nullptr);
    auto* ok = new TButton(&form);
    ok->SetModalResult(mrOk);
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    QTimer::singleShot(0, ok, [ok] { QTest::mouseClick(ok, Qt::LeftButton); });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(form.isVisible());

    // Closing the window cancels.
    QTimer::singleShot(0, &form, [&form] { form.Close(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
}

TEST(Forms, EnterAndEscapeClickTheDefaultAndCancelButtons)
{
    TForm form(nullptr);
    auto* apply = new TButton(&form);
    apply->SetDefault(true);
    auto* cancel = new TButton(&form);
    cancel->SetCancel(true);
    auto* box = new TCheckBox(&form);
    int applied = 0, cancelled = 0;
    apply->OnClick = [&](TObject*) { ++applied; };
    cancel->OnClick = [&](TObject*) { ++cancelled; };
    form.Show();
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(applied, 1);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(cancelled, 1);
    apply->SetEnabled(false);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(applied, 1);
}

TEST(Forms, BorderStyleNoneDropsTheWindowFrame)
{
    TForm form(nullptr);
    EXPECT_FALSE(form.windowFlags() & Qt::FramelessWindowHint);
    form.SetBorderStyle(bsNone);
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.BorderStyle(), bsNone);
    form.SetBorderStyle(bsSizeable);
    EXPECT_FALSE(form.windowFlags() & Qt::FramelessWindowHint);
}

TEST(Forms, CheckBoxClickFollowsEveryChangeOfState)
{
    TCheckBox box(nullptr);
    int clicks = 0;
    box.OnClick = [&](TObject*) { ++clicks; };
    box.SetChecked(true);
    EXPECT_TRUE(box.Checked());
    box.SetChecked(true);
    EXPECT_EQ(clicks, 1);
    box.SetState(cbGrayed);
    EXPECT_EQ(box.State(), cbGrayed);
    EXPECT_FALSE(box.Checked());
    EXPECT_EQ(clicks, 2);
}

TEST(Application, TitleMainFormAndIcon)
{
    Application->SetTitle("Glimmerwick");
    EXPECT_EQ(Application->Title(), "Glimmerwick");
    gw::IconImage image;
    image.Width = image.Height = 2;
    image.Pixels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    image.Mask = {0, 0, 0, 1};
    const std::size_t before = IconTable::AliveCount();
    Application->SetIconHandle(IconTable::Create(image));
    ASSERT_FALSE(Application->WindowIcon().isNull());
    const QImage shown = Application->WindowIcon().pixmap(2, 2).toImage();
    EXPECT_EQ(shown.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(qAlpha(shown.pixel(1, 1)), 0);
    // The icon object owns its handle: a new one frees the old.
    Application->SetIconHandle(0);
    EXPECT_EQ(IconTable::AliveCount(), before);
    EXPECT_TRUE(Application->WindowIcon().isNull());
}

TEST(Application, ExceptionsEscapingHandlersAreShownAndTheProgramGoesOn)
{
    TForm form(nullptr);
    auto* button = new TButton(&form);
    int after = 0;
    button->OnClick = [](TObject*) { throw std::runtime_error("Cannot create file x.ico"); };
    MessageBoxSeam::ClearShown();
    MessageBoxSeam::SetNextAnswer(IDOK);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 1u);
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Text, "Cannot create file x.ico.");
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Flags, MB_OK | MB_ICONSTOP);
    button->OnClick = [&](TObject*) { ++after; };
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(MessageBoxSeam::Shown().size(), 1u);
}

TEST(Application, FormsOwnedByTheApplicationGoCleanlyAtExit)
{
    QProcess probe;
    probe.start(QCoreApplication::applicationFilePath(), {"--shutdown-probe"});
    ASSERT_TRUE(probe.waitForFinished(20000));
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.exitCode(), 0);
}
