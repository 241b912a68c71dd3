// XPMenu1 on the program's four forms: what the walk hooks on each, counted from the
// forms themselves, and what it leaves alone.
#include "../app/AppTestSupport.h"

#include "XpTestSupport.h"
#include "browser/Inspector.h"
#include "extract/OutputFolder.h"
#include "settings/Option.h"
#include "skin/About.h"
#include "xpmenu/XpSubclass.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct TWalkCounts {
    int Menus = 0;
    int OwnerDrawMenus = 0;
    int Items = 0;
    int HookedItems = 0;
    int ToolBars = 0;
    int HookedToolBars = 0;
    QStringList Subclassed;
    QStringList LeftAlone;
};

void CountItems(const TXPMenu* xp, TMenuItem* item, TWalkCounts& counts)
{
    for (int i = 0; i < item->Count(); ++i) {
        TMenuItem* sub = item->Items(i);
        ++counts.Items;
        if (sub->OnDrawItem.Is(xp, &TXPMenu::DrawItem) && sub->OnMeasureItem.Is(xp, &TXPMenu::MeasureItem))
            ++counts.HookedItems;
        CountItems(xp, sub, counts);
    }
}

TWalkCounts Walk(TComponent* form, const TXPMenu* xp)
{
    TWalkCounts counts;
    for (int i = 0; i < form->ComponentCount(); ++i) {
        TComponent* c = form->Components(i);
        if (auto* menu = dynamic_cast<TMenu*>(c)) {
            ++counts.Menus;
            if (menu->OwnerDraw())
                ++counts.OwnerDrawMenus;
            CountItems(xp, menu->Items(), counts);
        } else if (auto* bar = dynamic_cast<TToolBar*>(c)) {
            ++counts.ToolBars;
            if (bar->OnCustomDrawButton.Is(xp, &TXPMenu::ToolBarDrawButton))
                ++counts.HookedToolBars;
        }
        if (auto* control = dynamic_cast<TControl*>(c)) {
            const QString name = c->Name().isEmpty() ? ClassName(c->AsObject()) : c->Name();
            (TControlSubClass::IsSubclassed(control->Widget()) ? counts.Subclassed : counts.LeftAlone) << name;
        }
    }
    counts.Subclassed.sort();
    counts.LeftAlone.sort();
    return counts;
}

class FormsWalkTest : public AppTest {};

QStringList Names(const char* spaceSeparated)
{
    QStringList list = QString::fromLatin1(spaceSeparated).split(QLatin1Char(' '));
    list.sort();
    return list;
}

QStringList WithCaptionButtons(QStringList list)
{
    for (int i = 1; i <= 12; ++i)
        list << QStringLiteral("MenuButton%1").arg(i);
    list << QStringLiteral("TopPanel") << QStringLiteral("BottomPanel");
    list.sort();
    return list;
}

} // namespace

TEST_F(FormsWalkTest, EveryFormCarriesXPMenu1LastWithItsValues)
{
    TForm1* main = CreateMainForm();
    TBrowseItem options(nullptr, main);
    TAboutBox about(nullptr);
    TOutputFolder output(nullptr);
    TIconInspector inspector(nullptr, QByteArrayLiteral("/no/such/file.dll"), QStringLiteral("file.dll"), 0);
    const struct {
        TScrollingWinControl* Form;
        TXPMenu* XP;
        bool Gradient;
    } forms[] = {{main, main->XPMenu1, true},
                 {&options, options.XPMenu1, false},
                 {&about, about.XPMenu1, false},
                 {&output, output.XPMenu1, false}};
    for (const auto& f : forms) {
        SCOPED_TRACE(f.Form->Name().toStdString());
        ASSERT_NE(f.XP, nullptr);
        EXPECT_EQ(f.XP->Name(), QStringLiteral("XPMenu1"));
        EXPECT_EQ(f.Form->Components(f.Form->ComponentCount() - 1), f.XP);
        EXPECT_EQ(f.XP->Form(), f.Form);
        EXPECT_EQ(f.XP->Gradient(), f.Gradient);
        EXPECT_EQ(f.XP->Font().Name, QStringLiteral("Tahoma"));
        EXPECT_EQ(f.XP->Font().Height, -11);
        EXPECT_EQ(f.XP->Font().Charset, 134);
        EXPECT_EQ(f.XP->Font().Color, clMenuText);
        EXPECT_EQ(f.XP->SelectFontColor(), clMenuText);
        EXPECT_EQ(f.XP->DisabledColor(), clInactiveCaption);
        EXPECT_TRUE(f.XP->OverrideOwnerDraw());
        EXPECT_TRUE(f.XP->FlatMenu());
        EXPECT_TRUE(f.XP->AutoDetect());
        EXPECT_EQ(f.XP->XPControls().Bits(), 0xFFFF);
    }
}

TEST_F(FormsWalkTest, SwitchedOnEachFormIsWalkedAndGivenBack)
{
    TForm1* main = CreateMainForm();
    ShowMainForm();
    TBrowseItem options(nullptr, main);
    TAboutBox about(nullptr);
    TOutputFolder output(nullptr);
    TIconInspector inspector(nullptr, QByteArrayLiteral("/no/such/file.dll"), QStringLiteral("file.dll"), 0);
    const struct {
        TCustomForm* Form;
        TXPMenu* XP;
        int Menus, Items, ToolBars;
        QStringList Subclassed;
    } forms[] = {
        {main, main->XPMenu1, 7, 52, 1,
         WithCaptionButtons(Names("Drive1 Panel1 Panel2 Panel3 Panel4 Panel5 Panel10 Panel11 Panel13"))},
        {&options, options.XPMenu1, 0, 0, 0,
         WithCaptionButtons(Names("GroupBox1 Button1 Button2 ExeChk DllChk OcxChk IclChk CplChk BplChk ScrChk DrvChk "
                                  "BmpChk JpgChk IcoChk"))},
        {&about, about.XPMenu1, 0, 0, 0, WithCaptionButtons(Names("OKButton"))},
        {&output, output.XPMenu1, 0, 0, 0, Names("OKBtn CancelBtn DriveComboBox1")},
        {&inspector, inspector.XPMenu1, 0, 0, 0, WithCaptionButtons(Names("SavePngButton SaveIcoButton CloseButton"))},
    };
    for (const auto& f : forms) {
        SCOPED_TRACE(f.Form->Name().toStdString());
        if (f.Form != main) {
            f.Form->Show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(f.Form));
        }
        f.XP->SetActive(true);
        const TWalkCounts on = Walk(f.Form, f.XP);
        EXPECT_EQ(on.Menus, f.Menus);
        EXPECT_EQ(on.OwnerDrawMenus, f.Menus);
        EXPECT_EQ(on.Items, f.Items);
        EXPECT_EQ(on.HookedItems, f.Items);
        EXPECT_EQ(on.ToolBars, f.ToolBars);
        EXPECT_EQ(on.HookedToolBars, f.ToolBars);
        // Exactly these controls; labels, images, lists, trees, splitters, the status
        // bar, tool buttons and the frame pictures are left alone.
        EXPECT_EQ(on.Subclassed, f.Subclassed);
        EXPECT_EQ(f.XP->SubClassCount(), f.Subclassed.size());
        std::cout << f.Form->Name().toStdString() << ": " << on.Menus << " menus, " << on.Items << " items, "
                  << on.ToolBars << " tool bar(s), " << on.Subclassed.size() << " controls subclassed, "
                  << on.LeftAlone.size() << " controls left alone\n";

        f.XP->SetActive(false);
        const TWalkCounts off = Walk(f.Form, f.XP);
        EXPECT_EQ(off.HookedItems, 0);
        EXPECT_EQ(off.OwnerDrawMenus, 0);
        EXPECT_EQ(off.HookedToolBars, 0);
        // Each shown control is given back at its next paint; hidden ones (the
        // unused caption buttons) get no message and wait for one, or for the end.
        auto shownStillSubclassed = [&] {
            QStringList shown;
            for (const QString& name : Walk(f.Form, f.XP).Subclassed)
                if (auto* control = dynamic_cast<TControl*>(f.Form->FindComponent(name));
                    control && control->Widget()->isVisible())
                    shown << name;
            return shown.join(QLatin1Char(' ')).toStdString();
        };
        // Panels covered entirely by their children get no paint either; the pointer
        // passing over them brings their next message.
        QTest::qWait(50);
        for (const QString& name : Walk(f.Form, f.XP).Subclassed)
            if (auto* control = dynamic_cast<TControl*>(f.Form->FindComponent(name));
                control && control->Widget()->isVisible()) {
                QWidget* w = control->Widget();
                QWidget* under = w->childAt(w->width() / 2, w->height() / 2);
                QTest::mouseMove(under ? under : w, (under ? under : w)->rect().center());
            }
        GW_TRY_EQ(shownStillSubclassed(), std::string());
        EXPECT_EQ(f.XP->SubClassCount(), Walk(f.Form, f.XP).Subclassed.size());
    }
}
