// The flat look on the program's real forms, driven by real mouse and key events: one
// baseline for mixed text, popups at the pointer and flipped at screen edges, the
// platform's check box, the plain style's focus, list, header and scroll bar, a button
// dragged off while held, and the skin's texts under a dark desktop palette.
#include "../app/AppTestSupport.h"

#include "browser/Inspector.h"
#include "framework/FileCtrl.h"
#include "skin/About.h"
#include "settings/Option.h"
#include "PixelSupport.h"
#include "XpTestSupport.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <functional>

namespace {

// Rows and columns of the pixels of `image` inside `area` that `ink` accepts.
QRect InkBox(const QImage& image, const std::function<bool(QRgb)>& ink, QRect area = QRect())
{
    if (area.isNull())
        area = image.rect();
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (ink(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

// Text, however its edges are smoothed, against the lighter faces behind it.
bool Dark(QRgb p) { return qRed(p) + qGreen(p) + qBlue(p) < 450; }
bool White(QRgb p) { return qRed(p) > 230 && qGreen(p) > 230 && qBlue(p) > 230; }

// The longest run of `ink` pixels in row `y`.
int LongestRun(const QImage& image, int y, const std::function<bool(QRgb)>& ink)
{
    int best = 0, run = 0;
    for (int x = 0; x < image.width(); ++x)
        best = std::max(best, run = ink(image.pixel(x, y)) ? run + 1 : 0);
    return best;
}

// Runs `inside` once the modal loop that the next call starts (a menu, a dialog) runs.
void WhenShowing(std::function<void()> inside)
{
    QTimer::singleShot(0, qApp, [inside = std::move(inside)] { inside(); });
}

// Rows of `image` that hold a dotted line: five or more pixels of `ink` (black unless
// given), each two from the last, with none of it between them.
int DottedRows(const QImage& image, QRgb ink = 0)
{
    const auto black = [&](int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) == (ink & 0xFFFFFF); };
    int rows = 0;
    for (int y = 0; y < image.height(); ++y) {
        int best = 0;
        for (int x = 0; x < image.width(); ++x) {
            int dots = 0;
            while (x + 2 * dots + 1 < image.width() && black(x + 2 * dots, y) && !black(x + 2 * dots + 1, y))
                ++dots;
            best = std::max(best, dots);
        }
        rows += best >= 5;
    }
    return rows;
}

// The area of `control` as its window shows it (a tool bar paints its own buttons).
QImage WindowArea(QWidget* control)
{
    QWidget* window = control->window();
    return window->grab(QRect(control->mapTo(window, QPoint(0, 0)), control->size())).toImage();
}

QMenu* OpenPopup()
{
    QMenu* menu = nullptr;
    (void)QTest::qWaitFor([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr; });
    return menu;
}

class FlatLookTest : public AppTest {
protected:
    // The main window on a folder of `files` icon files, shown at (x, y).
    TForm1* ShowMainFormOn(int files, QPoint at = QPoint(20, 20))
    {
        const QString folder = MakeFolder(QStringLiteral("icons"));
        for (int i = 0; i < files; ++i)
            QFile::copy(QStringLiteral(GW_TEST_DATA_DIR "/multi.ico"), folder + QStringLiteral("/i%1.ico").arg(i, 2, 10, QLatin1Char('0')));
        WriteIni("[Init]\nDirectory=" + folder.toStdString() + "\n");
        TForm1* f = CreateMainForm();
        ShowMainForm();
        f->move(at);
        QTest::qWait(20);
        return f;
    }

    TSystemColoursScope FColours;
};

TEST_F(FlatLookTest, MixedChineseAndLatinTextSharesOneBaselineAndIsNotClipped)
{
    TForm1* f = ShowMainFormOn(1);
    // The File menu: the "S" of "保存(S)" and the "S" of its shortcut "Ctrl+S".
    QImage menuShot;
    QRect item;
    WhenShowing([&] {
        QMenu* menu = f->FileMenu->MenuWidget();
        QAction* save = nullptr;
        for (QAction* a : menu->actions())
            if (a->text().startsWith(QStringLiteral("保存")))
                save = a;
        ASSERT_NE(save, nullptr);
        QTest::mouseMove(menu, menu->actionGeometry(save).center());
        QTest::qWait(50);
        item = menu->actionGeometry(save);
        menuShot = menu->grab().toImage();
        menu->close();
    });
    QTest::mouseClick(f->MenuButtons[0], Qt::LeftButton, {}, QPoint(10, 8));
    ASSERT_FALSE(menuShot.isNull());
    const QFontMetrics fm(f->XPMenu1->Font().ToQFont());
    const int captionS = item.left() + 24 + 3 + fm.horizontalAdvance(QStringLiteral(" 保存("));
    const int shortcutS = item.right() + 1 - 10 - fm.horizontalAdvance(QStringLiteral("S "));
    const auto rows = [&](int x) {
        const QRect box = InkBox(menuShot, Dark, QRect(x, item.top(), fm.horizontalAdvance(QLatin1Char('S')), item.height()));
        return std::pair(box.top(), box.bottom());
    };
    EXPECT_EQ(rows(captionS), rows(shortcutS));

    // The caption buttons: the Alt-key underline shows, resting and hot, clear of the
    // button's edges and of the hot frame.
    for (bool hot : {false, true}) {
        QCursor::setPos(hot ? f->MenuButtons[0]->mapToGlobal(QPoint(30, 8)) : f->mapToGlobal(QPoint(300, 200)));
        QTest::mouseMove(f->MenuButtons[0], hot ? QPoint(30, 8) : QPoint(-200, 100));
        QTest::qWait(50);
        const QImage button = f->TopPanel->grab(f->MenuButtons[0]->geometry()).toImage();
        const QRect ink = InkBox(button, [](QRgb p) { return qRed(p) < 40 && qGreen(p) < 40 && qBlue(p) < 40; });
        EXPECT_GE(ink.top(), 1) << hot;
        EXPECT_LE(ink.bottom(), button.height() - 3) << hot;
        EXPECT_GE(LongestRun(button, ink.bottom(), Dark), 5) << "underline, hot " << hot;
    }

    // The titles stand in the caption band as far from its bottom as "Glimmerwick".
    const auto titleBottom = [](TNeoForm* form) {
        const QImage shot = form->TopPanel->grab(form->CaptionLabel->geometry()).toImage();
        return InkBox(shot, White).bottom();
    };
    TAboutBox about(nullptr);
    TBrowseItem options(nullptr, f);
    for (TNeoForm* dialog : std::initializer_list<TNeoForm*>{&about, &options}) {
        dialog->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        EXPECT_NEAR(titleBottom(dialog), titleBottom(f), 1) << dialog->Caption().toStdString();
    }
}

TEST_F(FlatLookTest, PopupsOpenAtThePointerAndFlipAtTheScreenEdges)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const struct {
        const char* Case;
        QPoint Window;
        bool List; // the file list, else the folder tree
        bool Up, Left;
    } cases[] = {
        {"list", {20, 20}, true, false, false},
        {"tree", {20, 20}, false, false, false},
        {"list at the bottom edge", {20, screen.bottom() - 300}, true, true, false},
        {"list at the right edge", {screen.right() - 500, 20}, true, false, true},
    };
    for (const auto& c : cases) {
        TForm1* f = ShowMainFormOn(30, c.Window);
        auto* view = c.List ? static_cast<QAbstractItemView*>(f->ListView1) : f->DirectoryListBox1;
        const QRect row = view->visualRect(view->model()->index(view->model()->rowCount() > 2 ? 2 : 0, 0));
        const QPoint click = view->viewport()->mapTo(f, row.center() + QPoint(7, 0));
        QTest::mouseClick(f->windowHandle(), Qt::RightButton, {}, click);
        QMenu* menu = OpenPopup();
        ASSERT_NE(menu, nullptr) << c.Case;
        const QPoint pointer = f->mapToGlobal(click);
        const QRect r = menu->geometry();
        EXPECT_EQ(c.Left ? r.right() + 1 : r.left(), pointer.x()) << c.Case;
        EXPECT_EQ(c.Up ? r.bottom() + 1 : r.top(), pointer.y()) << c.Case;
        menu->close();
        delete FForm;
        FForm = nullptr;
    }

    // Shift+F10 and the Menu key open the list's popup at the selected row.
    TForm1* f = ShowMainFormOn(30);
    QTest::mouseClick(f->ListView1->viewport(), Qt::LeftButton, {}, f->ListView1->visualRect(f->ListView1->model()->index(3, 0)).center());
    const QRect row = f->ListView1->visualRect(f->ListView1->model()->index(3, 0));
    const QRect globalRow(f->ListView1->viewport()->mapToGlobal(row.topLeft()), row.size());
    for (auto [key, modifiers] : {std::pair(Qt::Key_F10, Qt::ShiftModifier), std::pair(Qt::Key_Menu, Qt::NoModifier)}) {
        QTest::keyClick(f->ListView1, key, modifiers);
        QMenu* menu = OpenPopup();
        ASSERT_NE(menu, nullptr) << key;
        EXPECT_EQ(menu, f->PopupMenu1->MenuWidget());
        EXPECT_TRUE(globalRow.contains(menu->pos())) << key;
        menu->close();
    }

    // A caption menu near the bottom edge opens upward from below its button.
    f->move(20, screen.bottom() - 60);
    QTest::qWait(20);
    QRect shown;
    WhenShowing([&] {
        shown = f->FileMenu->MenuWidget()->geometry();
        f->FileMenu->CloseMenu();
    });
    QTest::mouseClick(f->MenuButtons[0], Qt::LeftButton, {}, QPoint(10, 8));
    const QPoint anchor = f->MenuButtons[0]->mapToGlobal(QPoint(0, f->MenuButtons[0]->height() + 2));
    EXPECT_EQ(shown.bottomLeft() + QPoint(0, 1), anchor);
}

TEST_F(FlatLookTest, OptionsDialogCheckBoxesAndButtonsLookAsThePlatformDraws)
{
    TForm1* f = CreateMainForm();
    TBrowseItem d(nullptr, f);
    d.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    TCheckBox* box = d.ExeChk;
    box->SetChecked(true);
    // The box is 11 x 12 inside its frame, the tick inside it at rest, hot and pressed:
    // the highlight where it reads on the box's fill, else black.
    const TColor shadow = RGB(128, 128, 128), highlight = RGB(49, 106, 197);
    const struct {
        const char* State;
        TColor Frame, Tick;
    } states[] = {{"rest", shadow, highlight}, {"hot", highlight, RGB(0, 0, 0)}, {"pressed", highlight, RGB(0, 0, 0)}};
    for (const auto& s : states) {
        if (s.State == std::string("hot"))
            QTest::mouseMove(box, QPoint(30, 10));
        if (s.State == std::string("pressed"))
            QTest::mousePress(box, Qt::LeftButton, {}, QPoint(30, 10));
        QTest::qWait(20);
        const QImage shot = box->grab().toImage();
        const QRect frame = InkBox(shot, [&](QRgb p) { return RGB(qRed(p), qGreen(p), qBlue(p)) == s.Frame; });
        const QRect outline = InkBox(shot, [&](QRgb p) {
            const TColor c = RGB(qRed(p), qGreen(p), qBlue(p));
            return c == s.Frame || c == s.Tick;
        }, QRect(0, 2, 16, shot.height() - 4)); // inside the focus rectangle's rows
        EXPECT_EQ(outline.size(), QSize(11, 12)) << s.State;
        for (int x = outline.left(); x <= outline.right(); ++x)
            for (int y : {outline.top(), outline.bottom()})
                EXPECT_EQ(PixelAt(shot, x, y), s.Frame) << s.State << " " << x << "," << y;
        EXPECT_TRUE(frame.isValid()) << s.State;
    }
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(30, 10));

    // Tabbing to a box draws the dotted focus rectangle around its caption.
    d.Button2->setFocus();
    QTest::keyClick(&d, Qt::Key_Tab);
    QTest::qWait(20);
    QWidget* focused = QApplication::focusWidget();
    ASSERT_TRUE(qobject_cast<TCheckBox*>(focused));
    const QImage shot = focused->grab().toImage();
    const QRect dots = InkBox(shot, Dark, QRect(20, 0, shot.width() - 20, shot.height()));
    int alternations = 0;
    for (int x = dots.left() + 1; x <= dots.right(); ++x)
        alternations += Dark(shot.pixel(x, dots.top())) != Dark(shot.pixel(x - 1, dots.top()));
    EXPECT_GE(alternations, dots.width() - 2);
    // The rectangle stands three pixels clear of the box, its left side drawn: the box's
    // frame (focused, in the highlight) ends at column 12, the caption starts where the
    // box's band ends (17) and the rectangle is one pixel out from it, rows 2 to 17.
    const QRect boxFrame = InkBox(shot, [](QRgb p) { return RGB(qRed(p), qGreen(p), qBlue(p)) == RGB(49, 106, 197); });
    const auto black = [](QRgb p) { return (p & 0xFFFFFF) == 0; };
    const QRect focusRect = InkBox(shot, black, QRect(boxFrame.right() + 1, 0, 8, shot.height()));
    EXPECT_EQ(boxFrame.right(), 12);
    EXPECT_EQ(focusRect.left(), 16);
    EXPECT_EQ(focusRect.top(), 2);
    EXPECT_EQ(focusRect.bottom(), 17);
    int leftDots = 0;
    for (int y = 0; y < shot.height(); ++y)
        leftDots += black(shot.pixel(16, y));
    EXPECT_EQ(leftDots, 8) << "every other pixel of the left side, 2 to 16";

    // A pressed push button dragged off looks raised, pressed again when back, and a
    // release outside does not click.
    TButton* button = d.Button1;
    const auto edge = [button] { return PixelAt(button->grab().toImage(), 0, button->height() / 2); };
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    const TColor pressed = edge();
    QTest::mouseMove(button, QPoint(-30, 10));
    const TColor draggedOff = edge();
    QTest::mouseMove(button, QPoint(12, 10));
    EXPECT_EQ(edge(), pressed);
    QTest::mouseMove(button, QPoint(-30, 10));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-30, 10));
    QTest::qWait(20);
    EXPECT_EQ(draggedOff, edge());
    EXPECT_NE(pressed, draggedOff);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.ModalResult(), 0);
}

TEST_F(FlatLookTest, DriveListHeaderAndScrollBarAreFlat)
{
    TForm1* f = ShowMainFormOn(40);
    // The dropped drive list: the selected row is one flat selection colour.
    QTest::mouseClick(f->Drive1, Qt::LeftButton, {}, QPoint(f->Drive1->width() - 5, 5));
    QAbstractItemView* list = f->Drive1->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }));
    const QRect row = list->visualRect(list->currentIndex());
    const QImage popup = list->viewport()->grab().toImage();
    for (int x = row.right() - 6; x <= row.right() - 2; ++x)
        for (int y = row.top(); y <= row.bottom(); ++y)
            EXPECT_EQ(PixelAt(popup, x, y), RGB(49, 106, 197)) << x << "," << y;
    f->Drive1->hidePopup();

    // Header sections and the scroll bar's thumb and buttons: one face colour top to bottom.
    QHeaderView* header = f->ListView1->header();
    QScrollBar* bar = f->ListView1->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    const QImage head = header->grab().toImage();
    const QImage scroll = bar->grab().toImage();
    EXPECT_EQ(scroll.width(), 16);
    const int x = header->sectionSize(0) - 4;
    for (int y = 2; y < head.height() - 2; ++y)
        EXPECT_EQ(PixelAt(head, x, y), RGB(212, 208, 200)) << y;
    for (int y = 2; y < 14; ++y)
        EXPECT_EQ(PixelAt(scroll, 3, y), RGB(212, 208, 200)) << y;
    // The buttons' arrows point away from the thumb: the widths of their black rows,
    // top to bottom, in the top and the bottom 16 pixels.
    const auto rows = [&](int from) {
        std::vector<int> widths;
        for (int y = from; y < from + 16; ++y) {
            int n = 0;
            for (int x = 0; x < scroll.width(); ++x)
                n += PixelAt(scroll, x, y) == RGB(0, 0, 0);
            if (n)
                widths.push_back(n);
        }
        return widths;
    };
    EXPECT_EQ(rows(0), (std::vector<int>{1, 3, 5, 7}));
    EXPECT_EQ(rows(scroll.height() - 16), (std::vector<int>{7, 5, 3, 1}));
}

TEST_F(FlatLookTest, CaptionButtonTextsKeepTheSkinColoursUnderADarkPalette)
{
    // qt6ct's "darker" scheme: light text on dark faces.
    QPalette dark = QApplication::palette();
    for (auto [role, colour] : {std::pair(QPalette::Window, QColor(66, 66, 66)), std::pair(QPalette::WindowText, QColor(240, 240, 240)),
                                std::pair(QPalette::Button, QColor(72, 72, 72)), std::pair(QPalette::ButtonText, QColor(240, 240, 240)),
                                std::pair(QPalette::Base, QColor(48, 48, 48)), std::pair(QPalette::Text, QColor(240, 240, 240))})
        dark.setColor(role, colour);
    QApplication::setPalette(dark);
    TForm1* f = ShowMainFormOn(1);
    const auto black = [](QRgb p) { return qRed(p) + qGreen(p) + qBlue(p) < 200; };
    for (TSpeedButton* b : {f->MenuButtons[0], f->MenuButtons[1], f->MenuButtons[2], f->MenuButtons[3]})
        EXPECT_GT(InkBox(f->TopPanel->grab(b->geometry()).toImage(), black).width(), 20) << b->Name().toStdString();
    // The options dialog's captions stand on the skin's grey; the status bar keeps the
    // palette's own light text on its dark face.
    TBrowseItem d(nullptr, f);
    d.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_GT(InkBox(d.ExeChk->grab().toImage(), black).width(), 40);
    EXPECT_GT(InkBox(f->StatusBar1->grab().toImage(), [](QRgb p) { return qGray(p) > 200; }).width(), 40);
    // The About box's links turn blue under the pointer and back to the skin's text
    // colour when it leaves them.
    // (The pointer finds the top-level window under it: no other may stand there.)
    d.hide();
    f->hide();
    TAboutBox about(nullptr);
    about.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    for (TLabel* link : {about.Url, about.Email}) {
        QTest::mouseMove(link, QPoint(5, 5));
        QTest::qWait(20);
        EXPECT_GT(InkBox(link->grab().toImage(), [](QRgb p) { return qBlue(p) > 200 && qRed(p) < 60; }).width(), 20);
        QTest::mouseMove(&about, QPoint(about.width() - 20, about.height() / 2));
        QTest::qWait(20);
        EXPECT_GT(InkBox(link->grab().toImage(), black).width(), 40) << link->Name().toStdString();
    }
}

// The weakest of the caption, the shortcut and the submenu arrow of `action`'s item in
// `shot` of `menu`, each against the surface under it.
std::pair<double, std::string> WeakestPart(QMenu* menu, const QImage& shot, QAction* action)
{
    const TMenuItem* item = MenuItemOf(action);
    const QRect r = menu->actionGeometry(action);
    const QRect rows(r.left(), r.top() + 2, r.width(), r.height() - 4);
    const QFontMetrics fm(menu->font());
    std::vector<std::pair<std::string, QRect>> parts;
    const QString caption = QLatin1Char(' ') + QString(item->Caption()).remove(QLatin1Char('&'));
    parts.emplace_back("caption", QRect(r.left() + 27, rows.top(), fm.horizontalAdvance(caption), rows.height()));
    if (const QString shortCut = ShortCutToText(item->ShortCut()); !shortCut.isEmpty()) {
        const int w = fm.horizontalAdvance(shortCut + QLatin1Char(' '));
        parts.emplace_back("shortcut", QRect(r.right() + 1 - 10 - w, rows.top(), w, rows.height()));
    }
    if (action->menu())
        parts.emplace_back("arrow", QRect(r.right() - 11, rows.top(), 4, rows.height()));
    std::pair<double, std::string> weakest(21.0, "");
    for (const auto& [name, area] : parts)
        if (const double c = InkContrast(shot, area, QRect(area.left(), rows.top(), area.width(), rows.height())); c < weakest.first)
            weakest = {c, name};
    return weakest;
}

// Every enabled item of `menu`, at rest and under the pointer: the weakest contrast, and
// which item and part of it.
std::pair<double, std::string> WeakestItem(QMenu* menu, const std::string& name)
{
    std::pair<double, std::string> weakest(21.0, "");
    const QImage rest = menu->grab().toImage();
    for (QAction* a : menu->actions()) {
        if (a->isSeparator() || !a->isVisible() || !a->isEnabled())
            continue;
        QTest::mouseMove(menu, menu->actionGeometry(a).center());
        QTest::qWait(30);
        const QImage hot = menu->grab().toImage();
        for (const auto& [shot, state] : {std::pair(&rest, "rest"), std::pair(&hot, "hot")}) {
            const auto [c, part] = WeakestPart(menu, *shot, a);
            if (c < weakest.first)
                weakest = {c, name + " / " + a->text().toStdString() + " / " + part + " / " + state};
        }
    }
    return weakest;
}

TEST_F(FlatLookTest, EveryMenuAndTheOptionsDialogReadUnderALightAndADarkPalette)
{
    for (const bool dark : {false, true}) {
        const TSystemColoursScope light;
        if (dark)
            QApplication::setPalette(DarkerPalette());
        TForm1* f = ShowMainFormOn(3);
        std::vector<std::pair<double, std::string>> readings;
        // The caption menus, and the format submenu of the settings menu.
        TPopupMenu* menus[] = {f->FileMenu, f->ViewMenu, f->SettingMenu, f->Help};
        for (int i = 0; i < 4; ++i) {
            WhenShowing([&] {
                QMenu* menu = menus[i]->MenuWidget();
                readings.push_back(WeakestItem(menu, menus[i]->Name().toStdString()));
                for (QAction* a : menu->actions())
                    if (a->menu()) {
                        QTest::mouseMove(menu, menu->actionGeometry(a).center());
                        ASSERT_TRUE(QTest::qWaitFor([&] { return a->menu()->isVisible(); }));
                        readings.push_back(WeakestItem(a->menu(), "format"));
                    }
                menus[i]->CloseMenu();
            });
            QTest::mouseClick(f->MenuButtons[i], Qt::LeftButton, {}, QPoint(10, 8));
        }
        // The list's and the folder list's popups.
        for (QAbstractItemView* view : std::initializer_list<QAbstractItemView*>{f->ListView1, f->DirectoryListBox1}) {
            const QRect row = view->visualRect(view->model()->index(0, 0));
            QTest::mouseClick(f->windowHandle(), Qt::RightButton, {}, view->viewport()->mapTo(f, row.center()));
            QMenu* menu = OpenPopup();
            ASSERT_NE(menu, nullptr);
            readings.push_back(WeakestItem(menu, view->objectName().toStdString()));
            menu->close();
        }
        ASSERT_EQ(readings.size(), 7u);
        for (const auto& [c, where] : readings)
            EXPECT_GE(c, 4.5) << (dark ? "dark: " : "light: ") << where;

        // The options dialog: a box's tick at rest and under the pointer, the buttons'
        // captions at rest and under the pointer.
        TBrowseItem d(nullptr, f);
        d.Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        d.ExeChk->SetChecked(true);
        for (const bool hot : {false, true}) {
            QTest::mouseMove(hot ? static_cast<QWidget*>(d.ExeChk) : &d, hot ? QPoint(40, 8) : QPoint(5, d.height() - 5));
            QTest::qWait(30);
            const QImage box = d.ExeChk->grab().toImage();
            // The tick inside the box's frame, at the left of the control.
            const QRgb back = box.pixel(0, 0);
            const QRect frame = InkBox(box, [&](QRgb p) { return p != back; }, QRect(0, 0, 16, box.height()));
            ASSERT_EQ(frame.size(), QSize(11, 12));
            EXPECT_GE(InkContrast(box, frame.adjusted(1, 1, -1, -1)), 4.5) << (dark ? "dark" : "light") << " tick, hot " << hot;
            for (TButton* b : {d.Button1, d.Button2}) {
                QTest::mouseMove(hot ? static_cast<QWidget*>(b) : &d, hot ? QPoint(10, 10) : QPoint(5, d.height() - 5));
                QTest::qWait(30);
                const QImage shot = b->grab().toImage();
                EXPECT_GE(InkContrast(shot, shot.rect().adjusted(5, 5, -5, -5)), 4.5)
                    << (dark ? "dark " : "light ") << b->Caption().toStdString() << ", hot " << hot;
            }
        }
        d.hide();
        delete FForm;
        FForm = nullptr;
    }
}

TEST_F(FlatLookTest, ARightClickInTheFolderListLeavesTheHighlightOnTheFolderShown)
{
    const QString folder = MakeFolder(QStringLiteral("shown"));
    MakeFolder(QStringLiteral("shown/other"));
    QFile::copy(QStringLiteral(GW_TEST_DATA_DIR "/multi.ico"), folder + QStringLiteral("/one.ico"));
    WriteIni("[Init]\nDirectory=" + folder.toStdString() + "\n");
    TForm1* f = CreateMainForm();
    ShowMainForm();
    TDirectoryListBox* list = f->DirectoryListBox1;
    const int shown = list->currentRow();
    ASSERT_EQ(list->GetItemPath(shown), folder);
    const int other = shown + 1;
    ASSERT_EQ(list->GetItemPath(other), folder + QStringLiteral("/other"));
    const QRect row = list->visualRect(list->model()->index(other, 0));
    QTest::mouseClick(f->windowHandle(), Qt::RightButton, {}, list->viewport()->mapTo(f, row.center()));
    QMenu* menu = OpenPopup();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu, f->PopupMenu2->MenuWidget());
    EXPECT_EQ(list->currentRow(), shown);
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->row(list->selectedItems().front()), shown);
    menu->close();
    EXPECT_EQ(f->FCurrentDir, folder);
    // The left button still moves it.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(list->currentRow(), other);
}

TEST_F(FlatLookTest, AMessageBoxHasTheFormsLook)
{
    TForm1* f = ShowMainFormOn(2);
    TBrowseItem options(nullptr, f);
    const QString file = f->FCurrentDir + QStringLiteral("/i00.ico");
    QTest::mouseClick(f->ListView1->viewport(), Qt::LeftButton, {}, f->ListView1->visualRect(f->ListView1->model()->index(0, 0)).center());
    bool looked = false;
    WhenShowing([&] {
        QWidget* box = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (box = QApplication::activeModalWidget()) != nullptr; }));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
        QTest::qWait(30);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Glimmerwick:"));
        // Symbol, text, buttons: the symbol 32 x 32 at the top left, the text to its right,
        // the two buttons centred below both.
        auto* symbol = box->findChild<QLabel*>(QStringLiteral("Symbol"));
        auto* text = box->findChild<TLabel*>(QStringLiteral("Text"));
        const QList<TButton*> buttons = box->findChildren<TButton*>();
        ASSERT_TRUE(symbol && text);
        ASSERT_EQ(buttons.size(), 2);
        EXPECT_EQ(symbol->geometry(), QRect(12, 12, 32, 32));
        EXPECT_TRUE(text->Caption().startsWith(QStringLiteral("确定要删除")));
        EXPECT_GE(text->x(), symbol->geometry().right() + 1);
        const QRect row = buttons[0]->geometry() | buttons[1]->geometry();
        EXPECT_NEAR(row.left(), box->width() - 1 - row.right(), 1);
        EXPECT_GT(row.top(), std::max(symbol->geometry().bottom(), text->geometry().bottom()));
        // Qt's names of the buttons (its translations are not installed in these tests).
        EXPECT_EQ(buttons[0]->Caption(), QStringLiteral("OK"));
        EXPECT_EQ(buttons[1]->Caption(), QStringLiteral("Cancel"));
        // The forms' font; flat buttons without icons, as the options dialog paints its
        // own: the same face at rest, and the dotted focus on the default one.
        EXPECT_EQ(QFontInfo(text->font()).family(), QFontInfo(options.font()).family());
        EXPECT_EQ(QFontInfo(text->font()).pixelSize(), 12);
        options.Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&options));
        const QImage restingOption = options.Button2->grab().toImage();
        box->activateWindow();
        QTest::qWait(30);
        for (TButton* b : buttons) {
            EXPECT_TRUE(b->icon().isNull());
            EXPECT_EQ(b->size(), QSize(75, 23));
        }
        EXPECT_EQ(QApplication::focusWidget(), buttons[0]);
        const QImage cancel = buttons[1]->grab().toImage();
        EXPECT_EQ(PixelAt(cancel, 3, cancel.height() / 2), PixelAt(restingOption, 3, restingOption.height() / 2));
        EXPECT_EQ(PixelAt(cancel, 3, cancel.height() / 2), RGB(219, 216, 209));
        EXPECT_GT(DottedRows(buttons[0]->grab().toImage()), DottedRows(cancel));
        options.hide();
        looked = true;
        // Esc answers Cancel: the file stays.
        QTest::keyClick(box, Qt::Key_Escape);
    });
    QTest::keyClick(f->ListView1, Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(looked);
    EXPECT_TRUE(QFile::exists(file));
}

TEST_F(FlatLookTest, AnItemThatOpensASubmenuShowsItsArrowAndOpensItUnderThePointer)
{
    TForm1* f = ShowMainFormOn(1);
    QImage shot;
    QRect item;
    WhenShowing([&] {
        QMenu* menu = OpenPopup();
        ASSERT_NE(menu, nullptr);
        QAction* format = nullptr;
        for (QAction* a : menu->actions())
            if (a->menu())
                format = a;
        ASSERT_NE(format, nullptr);
        item = menu->actionGeometry(format);
        shot = menu->grab().toImage();
        QTest::mouseMove(menu, item.center());
        QMenu* sub = format->menu();
        ASSERT_TRUE(QTest::qWaitFor([&] { return sub->isVisible(); }));
        QAction* png = sub->actions().back();
        QTest::mouseMove(sub, sub->actionGeometry(png).center());
        QTest::qWait(50);
        QTest::mouseClick(sub, Qt::LeftButton, {}, sub->actionGeometry(png).center());
    });
    QTest::mouseClick(f->MenuButtons[2], Qt::LeftButton, {}, QPoint(10, 8));
    ASSERT_FALSE(shot.isNull());
    // Black columns 7, 5, 3 and 1 pixels high, the point 8 pixels in from the right.
    const auto black = [](QRgb p) { return (p & 0xffffff) == 0x000000; };
    const int middle = item.top() + item.height() / 2;
    for (int column = 0; column < 4; ++column) {
        const QRect ink = InkBox(shot, black, QRect(item.right() - 11 + column, item.top(), 1, item.height()));
        EXPECT_EQ(ink.height(), 7 - 2 * column) << column;
        EXPECT_EQ(ink.top(), middle - 3 + column) << column;
    }
    EXPECT_TRUE(InkBox(shot, black, QRect(item.right() - 7, item.top(), 7, item.height())).isNull());
    // The chosen item is clicked once the menu has closed.
    EXPECT_TRUE(QTest::qWaitFor([f] { return f->Settings().ExtractFormat == gw::OutputFormat::Png; }));
}

} // namespace

TEST_F(FlatLookTest, EveryKindOfControlTheKeyboardReachesShowsTheDottedFocusRectangle)
{
    TForm1* f = ShowMainFormOn(3);
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    TBrowseItem d(nullptr, f);
    // Tab until `control` has the focus: its area then shows dotted lines, which go when
    // the next Tab takes the focus away. Counted against the area without the focus:
    // text in the bitmap font ("WvNw" in a scratch folder's random name) has dotted rows
    // of its own.
    const auto check = [](QWidget* control) {
        for (int i = 0; i < 12 && QApplication::focusWidget() != control; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), control) << control->objectName().toStdString();
        QTest::qWait(20);
        const int focused = DottedRows(WindowArea(control));
        QTest::keyClick(control, Qt::Key_Tab);
        QTest::qWait(20);
        EXPECT_GT(focused, DottedRows(WindowArea(control))) << control->objectName().toStdString();
    };
    for (QWidget* control : std::initializer_list<QWidget*>{f->UpButton, f->Drive1, f->DirectoryListBox1, f->ListView1})
        check(control);
    d.Show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    for (QWidget* control : std::initializer_list<QWidget*>{d.Button1, d.Button2, d.ExeChk})
        check(control);
}

TEST_F(FlatLookTest, TheInspectorsImageListShowsTheFocusOnItsCurrentImage)
{
    TForm1* f = ShowMainFormOn(1);
    QTest::mouseClick(f->ListView1->viewport(), Qt::LeftButton, {}, f->ListView1->visualRect(f->ListView1->model()->index(0, 0)).center());
    int focused = -1, unfocused = -1;
    WhenShowing([&] {
        auto* inspector = qobject_cast<TIconInspector*>(QApplication::activeModalWidget());
        ASSERT_NE(inspector, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(inspector));
        QWidget* list = inspector->ImageList;
        for (int i = 0; i < 12 && QApplication::focusWidget() != list; ++i)
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : inspector, Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), list);
        QTest::qWait(20);
        // On the selected entry, in the selection's text colour.
        const QRgb ink = list->palette().color(QPalette::HighlightedText).rgb();
        focused = DottedRows(WindowArea(list), ink);
        QTest::keyClick(list, Qt::Key_Tab);
        QTest::qWait(20);
        unfocused = DottedRows(WindowArea(list), ink);
        inspector->Close();
    });
    QTest::keyClick(f->ListView1, Qt::Key_I, Qt::ControlModifier);
    EXPECT_GT(focused, unfocused);
}

TEST_F(FlatLookTest, MenusDrawChineseFromTheSongFacesBitmapsAsTheFormsDo)
{
    TForm1* f = ShowMainFormOn(1);
    int smoothed = -1, ink = 0;
    WhenShowing([&] {
        QMenu* menu = f->FileMenu->MenuWidget();
        QAction* remove = nullptr;
        for (QAction* a : menu->actions())
            if (a->text().startsWith(QStringLiteral("删除")))
                remove = a;
        ASSERT_NE(remove, nullptr);
        const QImage shot = menu->grab().toImage();
        const QRect item = menu->actionGeometry(remove);
        const QFontMetrics fm(menu->font());
        const QRect glyphs(item.left() + 27 + fm.horizontalAdvance(QLatin1Char(' ')), item.top() + 2,
                           fm.horizontalAdvance(QStringLiteral("删除")), item.height() - 4);
        // Each column's surface shows in its top row, above the text; every other pixel
        // is black ink.
        smoothed = 0;
        for (int x = glyphs.left(); x <= glyphs.right(); ++x) {
            const QRgb surface = shot.pixel(x, glyphs.top());
            for (int y = glyphs.top(); y <= glyphs.bottom(); ++y) {
                const QRgb p = shot.pixel(x, y);
                ink += (p & 0xFFFFFF) == 0;
                smoothed += p != surface && (p & 0xFFFFFF) != 0;
            }
        }
        f->FileMenu->CloseMenu();
    });
    QTest::mouseClick(f->MenuButtons[0], Qt::LeftButton, {}, QPoint(10, 8));
    EXPECT_GT(ink, 40);
    EXPECT_EQ(smoothed, 0);
}
