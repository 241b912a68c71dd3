// The browsing-options dialog: layout, apply, cancel, and the two settings commands.
#include "AppTestSupport.h"
#include "settings/Option.h"

#include <QApplication>
#include <QTimer>

namespace {

using OptionTest = AppTest;

std::vector<TCheckBox*> Boxes(TBrowseItem* d)
{
    return {d->ExeChk, d->DllChk, d->OcxChk, d->IclChk, d->CplChk, d->BplChk,
            d->ScrChk, d->DrvChk, d->BmpChk, d->JpgChk, d->IcoChk};
}

std::vector<bool*> Flags(TForm1* f)
{
    return {&f->FShowExe, &f->FShowDll, &f->FShowOcx, &f->FShowIcl, &f->FShowCpl, &f->FShowBpl,
            &f->FShowScr, &f->FShowDrv, &f->FShowBmp, &f->FShowJpg, &f->FShowIco};
}

TEST_F(OptionTest, LayoutCaptionsAndTabOrder)
{
    TForm1* f = CreateMainForm();
    TBrowseItem d(nullptr, f);
    EXPECT_EQ(d.Caption(), QStringLiteral("浏览选项设置"));
    EXPECT_EQ(d.ClientWidth(), 645);
    EXPECT_EQ(d.ClientHeight(), 330);
    EXPECT_EQ(d.Position(), poScreenCenter);
    EXPECT_EQ(d.GroupBox1->geometry(), QRect(10, 59, 621, 208));
    EXPECT_TRUE(d.GroupBox1->Caption().isEmpty());

    const struct {
        TCheckBox* box;
        const char* name;
        const char* caption;
        QRect bounds;
    } boxes[] = {
        {d.ExeChk, "ExeChk", ".exe可执行程序", {20, 30, 139, 20}},
        {d.DllChk, "DllChk", ".dll动态链接库", {20, 69, 139, 21}},
        {d.OcxChk, "OcxChk", ".ocx对象控件程序", {20, 108, 158, 21}},
        {d.IclChk, "IclChk", ".icl 图标库", {20, 148, 119, 21}},
        {d.CplChk, "CplChk", ".cpl 控制面板程序", {177, 30, 169, 20}},
        {d.BplChk, "BplChk", ".bpl Borland 包库", {177, 69, 169, 21}},
        {d.ScrChk, "ScrChk", ".scr 屏幕保护程序", {177, 108, 169, 21}},
        {d.DrvChk, "DrvChk", ".drv 驱动程序", {177, 148, 139, 21}},
        {d.BmpChk, "BmpChk", ".bmp 位图文件", {364, 30, 130, 20}},
        {d.IcoChk, "IcoChk", ".ico 图标文件", {364, 69, 130, 21}},
        {d.JpgChk, "JpgChk", ".jpg|.jpeg 压缩文件", {364, 108, 189, 21}},
    };
    for (const auto& b : boxes) {
        EXPECT_EQ(b.box->Name(), b.name);
        EXPECT_EQ(b.box->Caption(), QString::fromUtf8(b.caption)) << b.name;
        EXPECT_EQ(b.box->geometry(), b.bounds) << b.name;
        EXPECT_EQ(b.box->parentWidget(), d.GroupBox1) << b.name;
        EXPECT_EQ(b.box->isVisibleTo(&d), b.box != d.JpgChk) << b.name;
    }
    EXPECT_EQ(d.Button1->Caption(), QStringLiteral("设置"));
    EXPECT_EQ(d.Button1->geometry(), QRect(433, 276, 93, 30));
    EXPECT_TRUE(d.Button1->Default());
    EXPECT_EQ(d.Button2->Caption(), QStringLiteral("取消"));
    EXPECT_EQ(d.Button2->geometry(), QRect(542, 276, 92, 30));
    EXPECT_TRUE(d.Button2->Cancel());

    std::vector<QWidget*> chain;
    for (QWidget* w = d.Button1; chain.size() < 13; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            chain.push_back(w);
    const std::vector<QWidget*> expected = {d.Button1, d.Button2, d.ExeChk, d.DllChk, d.OcxChk, d.IclChk, d.CplChk,
                                            d.BplChk,  d.ScrChk,  d.DrvChk, d.BmpChk, d.JpgChk, d.IcoChk};
    EXPECT_EQ(chain, expected);
    for (int i = 0; i < TNeoForm::kMenuSlots; ++i)
        EXPECT_FALSE(d.FindMenuButton(i)->isVisibleTo(&d)) << "a window without caption menus shows no menu buttons";
}

TEST_F(OptionTest, CheckBoxesShowTheFlagsAndTheDialogIsNotSizeable)
{
    TForm1* f = CreateMainForm();
    const auto flags = Flags(f);
    for (std::size_t i = 0; i < flags.size(); ++i)
        *flags[i] = i % 3 == 0;
    TBrowseItem d(nullptr, f);
    d.AfterConstruction();
    const auto boxes = Boxes(&d);
    for (std::size_t i = 0; i < boxes.size(); ++i)
        EXPECT_EQ(boxes[i]->Checked(), i % 3 == 0) << boxes[i]->Name().toStdString();
    EXPECT_FALSE(d.Sizeable());
    EXPECT_EQ(d.BorderStyle(), bsNone);
    EXPECT_FALSE(d.MaxImage->isVisibleTo(&d));
    EXPECT_FALSE(d.MinImage->isVisibleTo(&d));
    EXPECT_TRUE(d.CloseImage->isVisibleTo(&d));
}

TEST_F(OptionTest, ApplyCopiesEveryBoxClosesAndRebuildsTheList)
{
    TForm1* f = CreateMainForm();
    TBrowseItem d(nullptr, f);
    d.Show();
    const auto boxes = Boxes(&d);
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->SetChecked(i % 2 == 1);
    f->StatusBar1->Panels()->Items(1)->SetText("stale");
    d.Button1->Click();
    const auto flags = Flags(f);
    for (std::size_t i = 0; i < flags.size(); ++i)
        EXPECT_EQ(*flags[i], i % 2 == 1) << i;
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(f->StatusBar1->Panels()->Items(1)->Text(), QStringLiteral("一共0个图标可供浏览！"));

    // Unchanged boxes still rebuild the list.
    TBrowseItem again(nullptr, f);
    again.AfterConstruction();
    f->StatusBar1->Panels()->Items(1)->SetText("stale");
    again.Button1->Click();
    EXPECT_EQ(f->StatusBar1->Panels()->Items(1)->Text(), QStringLiteral("一共0个图标可供浏览！"));
    for (std::size_t i = 0; i < flags.size(); ++i)
        EXPECT_EQ(*flags[i], i % 2 == 1) << i;
}

TEST_F(OptionTest, CancelChangesNothing)
{
    TForm1* f = CreateMainForm();
    TBrowseItem d(nullptr, f);
    d.Show();
    for (TCheckBox* box : Boxes(&d))
        box->SetChecked(false);
    f->StatusBar1->Panels()->Items(1)->SetText("kept");
    d.Button2->Click();
    for (bool* flag : Flags(f))
        EXPECT_TRUE(*flag);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(f->StatusBar1->Panels()->Items(1)->Text(), "kept");
}

// Runs `answer` on the modal dialog once it shows.
void WhenModal(std::function<void(TBrowseItem*)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto* d = qobject_cast<TBrowseItem*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        answer(d);
    });
}

TEST_F(OptionTest, OptionsCommandShowsAModalDialogAndDestroysIt)
{
    TForm1* f = CreateMainForm();
    ShowMainForm();
    WhenModal([](TBrowseItem* d) {
        EXPECT_TRUE(d->BmpChk->Checked());
        d->BmpChk->SetChecked(false);
        QTest::keyClick(d, Qt::Key_Return);
    });
    f->Options->Click();
    EXPECT_FALSE(f->FShowBmp);
    EXPECT_TRUE(f->FShowExe);
    EXPECT_TRUE(f->findChildren<TBrowseItem*>().isEmpty());
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TBrowseItem*>(w), nullptr);

    WhenModal([](TBrowseItem* d) {
        d->ExeChk->SetChecked(false);
        QTest::keyClick(d, Qt::Key_Escape);
    });
    f->Option->Click();
    EXPECT_TRUE(f->FShowExe) << "Escape cancels";
}

TEST_F(OptionTest, EitherRememberItemFlipsBoth)
{
    TForm1* f = CreateMainForm();
    f->LastAccess->Click();
    EXPECT_FALSE(f->LastAccess->Checked());
    EXPECT_FALSE(f->LastAccessed->Checked());
    f->LastAccessed->Click();
    EXPECT_TRUE(f->LastAccess->Checked());
    EXPECT_TRUE(f->LastAccessed->Checked());
}

} // namespace
