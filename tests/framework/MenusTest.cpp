// Menus: shortcuts, check marks, owner drawing and hints.
#include "framework/ComCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"

#include <QAction>
#include <QTest>

#include <map>

#include <gtest/gtest.h>

namespace {

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const QString& name, const QString& caption)
{
    auto* item = new TMenuItem(owner);
    item->SetName(name);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
}

} // namespace

TEST(Menus, ShortcutsOfAnInvisibleMainMenuStayInForce)
{
    TForm form(nullptr);
    auto* menu = new TMainMenu(&form);
    TMenuItem* file = AddItem(&form, menu->Items(), "N1", "File(&F)");
    file->SetVisible(false);
    TMenuItem* save = AddItem(&form, file, "N7", "Save(&S)");
    save->SetShortCut(ShortCut(Qt::Key_S, Qt::ControlModifier));
    form.SetMenu(menu);
    auto* button = new TButton(&form);
    int saved = 0;
    save->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, save);
        ++saved;
    };
    form.Show();
    button->setFocus();
    QTest::keyClick(button, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saved, 1);
    QTest::keyClick(button, Qt::Key_S);
    EXPECT_EQ(saved, 1);
}

TEST(Menus, FocusedControlsPopupMenuComesBeforeTheMainMenu)
{
    TForm form(nullptr);
    auto* menu = new TMainMenu(&form);
    TMenuItem* top = AddItem(&form, menu->Items(), "N1", "File");
    TMenuItem* mainSave = AddItem(&form, top, "N7", "Save");
    mainSave->SetShortCut(ShortCut(Qt::Key_S, Qt::ControlModifier));
    form.SetMenu(menu);
    auto* popup = new TPopupMenu(&form);
    TMenuItem* popupSave = AddItem(&form, popup->Items(), "SaveMenu", "Save");
    popupSave->SetShortCut(ShortCut(Qt::Key_S, Qt::ControlModifier));
    TMenuItem* preview = AddItem(&form, popup->Items(), "PreviewMenu", "Preview");
    preview->SetShortCut(ShortCut(Qt::Key_V, Qt::ControlModifier | Qt::AltModifier));
    auto* list = new TButton(&form);
    list->SetPopupMenu(popup);
    auto* other = new TButton(&form);
    int mainCount = 0, popupCount = 0, previews = 0;
    mainSave->OnClick = [&](TObject*) { ++mainCount; };
    popupSave->OnClick = [&](TObject*) { ++popupCount; };
    preview->OnClick = [&](TObject*) { ++previews; };
    form.Show();

    list->setFocus();
    QTest::keyClick(list, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(popupCount, 1);
    EXPECT_EQ(mainCount, 0);
    QTest::keyClick(list, Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(previews, 1);

    // A disabled popup item takes the key and does nothing.
    popupSave->SetEnabled(false);
    QTest::keyClick(list, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(popupCount, 1);
    EXPECT_EQ(mainCount, 0);

    // Elsewhere only the main menu answers.
    other->setFocus();
    QTest::keyClick(other, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(mainCount, 1);
    QTest::keyClick(other, Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(previews, 1);
}

TEST(Menus, ClickingACheckedItemLeavesTheMarkToTheHandler)
{
    TPopupMenu popup(nullptr);
    TMenuItem* last = AddItem(nullptr, popup.Items(), "LastAccess", "Remember");
    last->SetChecked(true);
    int clicks = 0;
    last->OnClick = [&](TObject*) {
        ++clicks;
        last->SetChecked(!last->Checked());
    };
    last->Action()->trigger();
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(last->Checked());
    EXPECT_FALSE(last->Action()->isChecked());
    last->Action()->trigger();
    EXPECT_TRUE(last->Checked());
    EXPECT_TRUE(last->Action()->isChecked());
}

TEST(Menus, RadioItemsOfOneGroupExcludeEachOther)
{
    TPopupMenu popup(nullptr);
    TMenuItem* a = AddItem(nullptr, popup.Items(), "A", "a");
    TMenuItem* b = AddItem(nullptr, popup.Items(), "B", "b");
    TMenuItem* c = AddItem(nullptr, popup.Items(), "C", "c");
    for (TMenuItem* item : {a, b})
        item->SetRadioItem(true);
    c->SetRadioItem(true);
    c->SetGroupIndex(1);
    a->SetChecked(true);
    c->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(c->Checked());
}

TEST(Menus, ItemTreeAndParentMenu)
{
    TMainMenu menu(nullptr);
    TMenuItem* top = AddItem(nullptr, menu.Items(), "N1", "File");
    TMenuItem* sub = AddItem(nullptr, top, "N7", "Save");
    TMenuItem* line = AddItem(nullptr, top, "N8", "-");
    EXPECT_EQ(menu.Items()->Count(), 1);
    EXPECT_EQ(top->Count(), 2);
    EXPECT_EQ(sub->Parent(), top);
    EXPECT_EQ(sub->GetParentMenu(), &menu);
    EXPECT_EQ(line->MenuIndex(), 1);
    EXPECT_TRUE(line->IsLine());
    EXPECT_TRUE(line->Action()->isSeparator());
    delete sub;
    EXPECT_EQ(top->Count(), 1);
    EXPECT_EQ(top->Items(0), line);
    EXPECT_EQ(ShortCutToText(ShortCut(Qt::Key_S, Qt::ControlModifier)), "Ctrl+S");
    EXPECT_EQ(ShortCutToText(ShortCut(Qt::Key_V, Qt::ControlModifier | Qt::AltModifier)), "Ctrl+Alt+V");
    EXPECT_EQ(ShortCutToText(ShortCut(Qt::Key_Backspace, Qt::ShiftModifier | Qt::AltModifier)), "Shift+Alt+BkSp");
    EXPECT_EQ(ShortCutToText(TShortCut()), "");
}

TEST(Menus, OwnerDrawnItemsMeasureAndPaintThroughTheirEvents)
{
    TPopupMenu popup(nullptr);
    popup.SetOwnerDraw(true);
    TMenuItem* first = AddItem(nullptr, popup.Items(), "First", "First");
    TMenuItem* second = AddItem(nullptr, popup.Items(), "Second", "Second");
    int measured = 0;
    std::vector<std::pair<TObject*, bool>> drawn;
    auto measure = [&](TObject* sender, TCanvas* canvas, int& width, int& height) {
        ASSERT_NE(canvas, nullptr);
        ++measured;
        width = std::max(width, 140);
        height = sender == first ? 23 : 4;
    };
    auto draw = [&](TObject* sender, TCanvas* canvas, const TRect& r, bool selected) {
        drawn.emplace_back(sender, selected);
        EXPECT_EQ(canvas->Window, popup.MenuWidget());
        canvas->Brush.Color = selected ? clBlue : clRed;
        canvas->FillRect(r);
        // The handler can read back what it painted.
        EXPECT_EQ(canvas->Pixel(r.Left + 1, r.Top + 1), selected ? clBlue : clRed);
    };
    first->OnMeasureItem = measure;
    second->OnMeasureItem = measure;
    first->OnDrawItem = draw;
    second->OnDrawItem = draw;
    popup.Popup(QPoint(10, 10));
    QMenu* menu = popup.MenuWidget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    EXPECT_GE(measured, 2);
    const QRect r1 = menu->actionGeometry(first->Action());
    const QRect r2 = menu->actionGeometry(second->Action());
    EXPECT_EQ(r1.height(), 23);
    EXPECT_EQ(r2.height(), 4);
    EXPECT_GE(r1.width(), 140);

    drawn.clear();
    const QImage image = menu->grab().toImage();
    EXPECT_EQ(image.pixel(r1.center()) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(r2.center()) & 0xFFFFFF, 0xFF0000u);
    EXPECT_FALSE(drawn.empty());

    menu->setActiveAction(first->Action());
    const QImage selected = menu->grab().toImage();
    EXPECT_EQ(selected.pixel(r1.center()) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(selected.pixel(r2.center()) & 0xFFFFFF, 0xFF0000u);

    // Not owner-drawn: the handlers are not asked.
    popup.SetOwnerDraw(false);
    drawn.clear();
    menu->grab();
    EXPECT_TRUE(drawn.empty());
    popup.CloseMenu();
}

TEST(Menus, MenuItemHintsReachTheAutoHintStatusBar)
{
    TForm form(nullptr);
    auto* bar = new TStatusBar(&form);
    bar->SetAutoHint(true);
    bar->Panels()->Add()->SetWidth(171);
    bar->Panels()->Add()->SetWidth(600);
    auto* popup = new TPopupMenu(&form);
    TMenuItem* item = AddItem(&form, popup->Items(), "SaveMenu", "Save");
    item->SetHint("Save this icon as a file.");
    item->Action()->hover();
    EXPECT_EQ(bar->Panels()->Items(0)->Text(), "Save this icon as a file.");
    EXPECT_EQ(bar->Panels()->Items(1)->Text(), "");

    auto* button = new TButton(&form);
    button->SetHint("Up|Browse the parent folder");
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(bar->Panels()->Items(0)->Text(), "Browse the parent folder");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_EQ(bar->Panels()->Items(0)->Text(), "");
    bar->SetAutoHint(false);
    item->Action()->hover();
    EXPECT_EQ(bar->Panels()->Items(0)->Text(), "");
}

TEST(Menus, OwnerDrawnPopupTakesTheMeasuredSizesInsideAThreePixelFrame)
{
    TPopupMenu popup(nullptr);
    popup.SetOwnerDraw(true);
    TMenuItem* open = AddItem(nullptr, popup.Items(), "Open", "Open");
    open->SetShortCut(ShortCut(Qt::Key_O, Qt::ControlModifier));
    TMenuItem* line = AddItem(nullptr, popup.Items(), "Line", "-");
    TMenuItem* close = AddItem(nullptr, popup.Items(), "Close", "Close");
    const std::map<TObject*, QSize> sizes = {{open, {150, 23}}, {line, {40, 4}}, {close, {120, 24}}};
    std::map<TObject*, TRect> rects;
    std::map<TObject*, bool> selected;
    for (TMenuItem* item : {open, line, close}) {
        item->OnMeasureItem = [&](TObject* sender, TCanvas*, int& width, int& height) {
            width = sizes.at(sender).width();
            height = sizes.at(sender).height();
        };
        item->OnDrawItem = [&](TObject* sender, TCanvas* canvas, const TRect& r, bool isSelected) {
            rects[sender] = r;
            selected[sender] = isSelected;
            canvas->Brush.Color = isSelected ? clBlue : clWhite;
            canvas->FillRect(r);
            // The frame around the items belongs to the handler too.
            QWidget* window = canvas->Window;
            canvas->Brush.Color = RGB(122, 120, 110);
            canvas->FrameRect(TRect(0, 0, window->width(), window->height()));
        };
    }
    popup.Popup(QPoint(20, 20));
    QMenu* menu = popup.MenuWidget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));

    // Measured heights, the widest width (widened by twice the font's average character
    // width, as the platform does), the first item at (3, 3), no shortcut column.
    const int w = 150 + 2 * QFontMetrics(menu->font()).averageCharWidth();
    EXPECT_EQ(menu->actionGeometry(open->Action()), QRect(3, 3, w, 23));
    EXPECT_EQ(menu->actionGeometry(line->Action()), QRect(3, 26, w, 4));
    EXPECT_EQ(menu->actionGeometry(close->Action()), QRect(3, 30, w, 24));
    EXPECT_EQ(menu->size(), QSize(w + 6, 57));
    EXPECT_TRUE(QTest::qWaitFor([&] { return rects.size() == 3u; }));
    EXPECT_EQ(rects[open], TRect(3, 3, 3 + w, 26));
    EXPECT_EQ(rects[close], TRect(3, 30, 3 + w, 54));

    QImage image = menu->grab().toImage();
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0x7A786Eu);
    EXPECT_EQ(image.pixel(w + 5, 56) & 0xFFFFFF, 0x7A786Eu);
    EXPECT_EQ(image.pixel(10, 10) & 0xFFFFFF, 0xFFFFFFu);

    // The pointer selects an item: it is drawn selected in the same rectangle.
    QTest::mouseMove(menu, QPoint(20, 40));
    EXPECT_TRUE(QTest::qWaitFor([&] { return selected[close]; }));
    EXPECT_EQ(rects[close], TRect(3, 30, 3 + w, 54));
    image = menu->grab().toImage();
    EXPECT_EQ(image.pixel(20, 40) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(image.pixel(0, 40) & 0xFFFFFF, 0x7A786Eu); // the frame stays
    popup.CloseMenu();
}
