// Status bar, tool bar, list view, folder list, drive box, splitter, timer, image.
#include "ScratchDir.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/FileCtrl.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <QDir>
#include <QEventLoop>
#include <QHeaderView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

TEST(StatusBar, PanelsHaveWidthsAndTheLastReachesTheEdge)
{
    TStatusBar bar(nullptr);
    bar.resize(800, 19);
    bar.Panels()->Add()->SetWidth(171);
    bar.Panels()->Add()->SetWidth(600);
    bar.Panels()->Items(1)->SetText("Found 3 icons");
    EXPECT_EQ(bar.PanelRect(0), TRect(0, 0, 171, 19));
    EXPECT_EQ(bar.PanelRect(1), TRect(171, 0, 800, 19));
    EXPECT_EQ((*bar.Panels())[1]->Text(), "Found 3 icons");
    EXPECT_EQ(bar.Panels()->Items(1)->Index(), 1);
}

TEST(ToolBar, ButtonsSitLeftToRightAndClick)
{
    TForm form(nullptr);
    auto* bar = new TToolBar(&form);
    bar->resize(300, 29);
    auto* up = new TToolButton(bar);
    auto* sep = new TToolButton(bar);
    sep->SetStyle(tbsSeparator);
    auto* save = new TToolButton(bar);
    auto* label = new TLabel(bar);
    label->SetCaption("/tmp");
    bar->ArrangeControls();
    EXPECT_EQ(up->geometry().x(), 0);
    EXPECT_EQ(sep->geometry(), QRect(23, 2, 8, 22));
    EXPECT_EQ(save->geometry().x(), 31);
    EXPECT_EQ(label->x(), 54);
    EXPECT_EQ(bar->ButtonCount(), 3);
    EXPECT_EQ(save->Index(), 2);

    int clicks = 0;
    save->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, save);
        ++clicks;
    };
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    save->SetEnabled(false);
    QTest::mouseClick(save, Qt::LeftButton);
    save->Click();
    EXPECT_EQ(clicks, 1);
    save->SetHint("Save|Save the icon");
    EXPECT_EQ(save->toolTip(), "Save");
}

TEST(ToolBar, CustomDrawPaintsEachButtonOnTheBarsCanvas)
{
    TToolBar bar(nullptr);
    bar.resize(100, 29);
    auto* a = new TToolButton(&bar);
    auto* b = new TToolButton(&bar);
    b->SetEnabled(false);
    bar.ArrangeControls();
    std::vector<std::pair<TToolButton*, TCustomDrawState>> calls;
    bar.OnCustomDrawButton = [&](TToolBar* sender, TToolButton* button, TCustomDrawState state, bool& defaultDraw) {
        ASSERT_NE(sender->Canvas(), nullptr);
        calls.emplace_back(button, state);
        sender->Canvas()->Brush.Color = clRed;
        sender->Canvas()->FillRect(button->BoundsRect());
        defaultDraw = false;
    };
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(a, &enter);
    const QImage image = bar.grab().toImage();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].first, a);
    EXPECT_TRUE(calls[0].second & cdsHot);
    EXPECT_TRUE(calls[1].second & cdsDisabled);
    EXPECT_FALSE(calls[1].second & cdsHot);
    EXPECT_EQ(image.pixel(a->geometry().center()) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(b->geometry().center()) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(bar.Canvas(), nullptr);
}

namespace {

struct TListFixture : ::testing::Test {
    TListView view{nullptr};
    std::vector<std::pair<QString, bool>> events;

    void SetUp() override
    {
        view.Columns()->Add()->SetCaption("Name");
        view.Columns()->Add()->SetCaption("Size");
        view.Columns()->Items(0)->SetWidth(120);
        view.OnSelectItem = [this](TObject* sender, TListItem* item, bool selected) {
            EXPECT_EQ(sender, &view);
            events.emplace_back(item->Caption(), selected);
        };
    }

    TListItem* Add(const QString& caption, const QString& size)
    {
        TListItem* item = view.Items()->Add();
        item->SetCaption(caption);
        item->SetImageIndex(1);
        item->SubItems()->Add(size);
        return item;
    }
};

} // namespace

TEST_F(TListFixture, RowsShowCaptionAndSubItems)
{
    Add("b.dll", "100");
    Add("a.exe", "20");
    auto* model = view.model();
    EXPECT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->columnCount(), 2);
    EXPECT_EQ(model->index(0, 0).data().toString(), "b.dll");
    EXPECT_EQ(model->index(1, 1).data().toString(), "20");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Size");
    EXPECT_EQ(view.Columns()->Items(0)->Width(), 120);
    EXPECT_EQ(view.header()->sectionSize(0), 120);
    view.Items()->Item(1)->SubItems()->SetStrings(0, "21");
    EXPECT_EQ(model->index(1, 1).data().toString(), "21");
    EXPECT_TRUE(view.uniformRowHeights());
}

TEST_F(TListFixture, SelectionEventsDeselectThenSelect)
{
    TListItem* a = Add("a", "1");
    TListItem* b = Add("b", "2");
    EXPECT_EQ(view.ItemIndex(), -1);
    a->SetSelected(true);
    b->SetSelected(true);
    EXPECT_EQ(events, (std::vector<std::pair<QString, bool>>{{"a", true}, {"a", false}, {"b", true}}));
    EXPECT_EQ(view.Selected(), b);
    EXPECT_EQ(view.ItemIndex(), 1);
    EXPECT_TRUE(b->Selected());
    EXPECT_FALSE(a->Selected());
    // A click selects as well.
    events.clear();
    view.resize(300, 200);
    view.show();
    const QRect r = view.visualRect(view.model()->index(0, 0));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    EXPECT_EQ(view.ItemIndex(), 0);
    EXPECT_EQ(events.back(), (std::pair<QString, bool>{"a", true}));
    // A click below the rows clears the selection.
    events.clear();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10, view.viewport()->height() - 5));
    EXPECT_EQ(view.ItemIndex(), -1);
    EXPECT_EQ(events, (std::vector<std::pair<QString, bool>>{{"a", false}}));
}

TEST_F(TListFixture, SortKeepsTheSelectedItemAndRenumbers)
{
    Add("c", "3");
    TListItem* a = Add("a", "1");
    Add("b", "2");
    a->SetSelected(true);
    events.clear();
    view.CustomSort([](TListItem* x, TListItem* y) { return QString::compare(x->Caption(), y->Caption()); });
    EXPECT_EQ(view.Items()->Item(0), a);
    EXPECT_EQ(a->Index(), 0);
    EXPECT_EQ(view.Items()->Item(2)->Caption(), "c");
    EXPECT_EQ(view.Selected(), a);
    EXPECT_EQ(view.model()->index(0, 0).data().toString(), "a");
    EXPECT_TRUE(events.empty());
}

TEST_F(TListFixture, FiftyThousandRowsWithAndWithoutBatching)
{
    view.resize(400, 300);
    view.show();
    for (int i = 0; i < 50000; ++i)
        Add(QString::number(i), "1");
    EXPECT_EQ(view.Items()->Count(), 50000);
    EXPECT_EQ(view.model()->rowCount(), 50000);
    view.Items()->Clear();
    EXPECT_EQ(view.model()->rowCount(), 0);
    view.Items()->BeginUpdate();
    for (int i = 0; i < 50000; ++i)
        Add(QString::number(i), "1");
    view.Items()->EndUpdate();
    EXPECT_EQ(view.model()->rowCount(), 50000);
    view.Items()->Item(49999)->SetSelected(true);
    view.MakeVisible(49999);
    EXPECT_EQ(view.ItemIndex(), 49999);
    view.Items()->Delete(0);
    EXPECT_EQ(view.Items()->Item(0)->Index(), 0);
    EXPECT_EQ(view.ItemIndex(), 49998);
}

TEST_F(TListFixture, DoubleClickRunsOnDblClick)
{
    Add("a", "1");
    view.resize(300, 200);
    view.show();
    int clicks = 0;
    view.OnDblClick = [&](TObject*) { ++clicks; };
    const QRect r = view.visualRect(view.model()->index(0, 0));
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    EXPECT_EQ(clicks, 1);
}

namespace {

struct TFolderFixture : ::testing::Test {
    ScratchDir dir;
    QString root;
    QString saved = QDir::currentPath();

    void SetUp() override
    {
        root = QDir(dir.path()).canonicalPath();
        QDir d(root);
        for (const char* name : {"beta", "Alpha", "gamma", "beta/inner"})
            d.mkpath(name);
        QFile file(root + "/file.exe");
        file.open(QIODevice::WriteOnly);
    }
    void TearDown() override { QDir::setCurrent(saved); }
};

} // namespace

TEST_F(TFolderFixture, EnteringAFolderListsAncestorsThenSortedSubfolders)
{
    TDirectoryListBox list(nullptr);
    list.resize(171, 200);
    auto* label = new TLabel(nullptr);
    list.SetDirLabel(label);
    int changes = 0;
    list.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        EXPECT_EQ(QDir::currentPath(), list.Directory());
        ++changes;
    };
    list.SetDirectory(root + "/");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(list.Directory(), root);
    const int depth = root.count('/');
    ASSERT_EQ(list.count(), depth + 1 + 3);
    EXPECT_EQ(list.GetItemPath(0), "/");
    EXPECT_EQ(list.item(0)->text(), "/");
    EXPECT_EQ(list.GetItemPath(depth), root);
    EXPECT_EQ(list.currentRow(), depth);
    EXPECT_EQ(list.item(depth + 1)->text(), "Alpha");
    EXPECT_EQ(list.item(depth + 2)->text(), "beta");
    EXPECT_EQ(list.GetItemPath(depth + 3), root + "/gamma");
    EXPECT_EQ(list.item(depth + 1)->sizeHint().height(), 16);
    EXPECT_FALSE(label->Caption().isEmpty());

    // Opening an entry enters it.
    list.setCurrentRow(depth + 2);
    list.OpenCurrent();
    EXPECT_EQ(list.Directory(), root + "/beta");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(list.item(list.count() - 1)->text(), "inner");
    delete label;
}

TEST_F(TFolderFixture, AFolderThatCannotBeEnteredThrows)
{
    TDirectoryListBox list(nullptr);
    list.SetDirectory(root);
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    EXPECT_THROW(list.SetDirectory(root + "/missing"), EInOutError);
    EXPECT_THROW(list.SetDirectory(root + "/file.exe"), EInOutError);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(list.Directory(), root);
    list.SetDirectory("/");
    EXPECT_EQ(list.Directory(), "/");
    EXPECT_EQ(list.count() >= 1, true);
    EXPECT_EQ(list.GetItemPath(1).count('/'), 1);
}

TEST(Folders, LongFoldersAreShortenedWithAnEllipsis)
{
    QFont font = MakeFont("Sans", -13);
    const QString path = "/home/user/a/rather/deep/folder/tree/icons";
    EXPECT_EQ(TDirectoryListBox::MinimizeName(path, font, 10000), path);
    const QString shortened = TDirectoryListBox::MinimizeName(path, font, 150);
    EXPECT_TRUE(shortened.contains("...")) << shortened.toStdString();
    EXPECT_TRUE(shortened.endsWith("icons")) << shortened.toStdString();
    EXPECT_LE(QFontMetrics(font).horizontalAdvance(shortened), 150);
}

TEST_F(TFolderFixture, DrivesAreMountRootsWithoutPseudoFileSystems)
{
    const QStringList roots = MountRoots();
    ASSERT_FALSE(roots.isEmpty());
    EXPECT_EQ(roots.first(), "/");
    EXPECT_FALSE(roots.contains("/proc"));
    EXPECT_FALSE(roots.contains("/sys"));
    EXPECT_EQ(DriveOf("/"), "/");
    // Other tests mount and unmount FAT images in the temporary folder meanwhile: the
    // table read again for each root may no longer hold theirs.
    for (const QString& r : roots)
        if (!r.startsWith(QDir::tempPath() + QLatin1Char('/')))
            EXPECT_EQ(DriveOf(r), r);

    QFile table(root + "/mounts");
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    QDir(root).mkpath("with space");
    table.write(("overlay / overlay rw 0 0\n"
                 "proc /proc proc rw 0 0\n"
                 "tmpfs " + root + "/gamma tmpfs rw 0 0\n"
                 "/dev/sdb1 " + root + "/beta ext4 rw 0 0\n"
                 "/dev/sdc1 " + root + "/with\\040space ext4 rw 0 0\n"
                 "/dev/sda1 " + root + "/file.exe ext4 rw 0 0\n").toUtf8());
    table.close();
    SetMountTablePath(root + "/mounts");
    EXPECT_EQ(MountRoots(), (QStringList{"/", root + "/beta", root + "/with space"}));
    EXPECT_EQ(DriveOf(root + "/beta/inner"), root + "/beta");
    EXPECT_EQ(DriveOf(root + "/betamax"), "/");
    SetMountTablePath(QString());
}

TEST_F(TFolderFixture, ChoosingADriveReturnsToTheFolderLastShownThere)
{
    QFile table(root + "/mounts");
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write(("/dev/sdb1 " + root + "/beta ext4 rw 0 0\n").toUtf8());
    table.close();
    SetMountTablePath(root + "/mounts");
    const QString other = root + "/beta";

    TDirectoryListBox list(nullptr);
    TDriveComboBox drives(nullptr);
    EXPECT_TRUE(InheritsFrom(&drives, "TCustomCombo"));
    EXPECT_EQ(drives.count(), 2);
    drives.SetDirList(&list);
    std::vector<QString> order;
    list.OnChange = [&](TObject*) { order.push_back("list " + list.Directory()); };
    drives.OnChange = [&](TObject*) { order.push_back("drive " + drives.Drive()); };
    list.SetDirectory(root + "/Alpha");
    drives.SetDrive(root + "/Alpha");
    order.clear();

    drives.SetDrive(other);
    EXPECT_EQ(order, (std::vector<QString>{"list " + other, "drive " + other}));
    EXPECT_EQ(drives.currentText(), other);
    list.SetDirectory(other + "/inner");
    order.clear();
    drives.SetDrive("/");
    EXPECT_EQ(order, (std::vector<QString>{"list " + root + "/Alpha", "drive /"}));
    order.clear();
    drives.SetDrive(other + "/inner");
    EXPECT_EQ(order, (std::vector<QString>{"list " + other + "/inner", "drive " + other}));
    // The same drive again changes nothing.
    order.clear();
    drives.SetDrive(other);
    EXPECT_TRUE(order.empty());
    SetMountTablePath(QString());
}

TEST(Splitter, DraggingResizesTheNeighbourAndReportsTheMove)
{
    TForm form(nullptr);
    form.resize(400, 200);
    auto* left = new TPanel(&form);
    left->SetWidth(171);
    left->SetAlign(alLeft);
    auto* splitter = new TSplitter(&form);
    splitter->SetWidth(4);
    splitter->SetAlign(alLeft);
    auto* client = new TPanel(&form);
    client->SetAlign(alClient);
    EXPECT_EQ(splitter->FindControl(), left);
    int moves = 0;
    splitter->OnMoved = [&](TObject*) { ++moves; };
    form.Show();
    QTest::mousePress(splitter, Qt::LeftButton, Qt::NoModifier, QPoint(2, 50));
    QTest::mouseMove(splitter, QPoint(32, 50));
    // The splitter has followed the pointer, which is over its left edge again.
    QTest::mouseRelease(splitter, Qt::LeftButton, Qt::NoModifier, QPoint(2, 50));
    EXPECT_EQ(left->Width(), 201);
    EXPECT_EQ(splitter->x(), 201);
    EXPECT_EQ(client->x(), 205);
    EXPECT_EQ(moves, 1);
    splitter->MoveBy(-1000);
    EXPECT_EQ(left->Width(), splitter->MinSize());
    EXPECT_EQ(moves, 2);
    splitter->MoveBy(0);
    EXPECT_EQ(moves, 2);
}

TEST(Splitter, BottomSplitterResizesTheControlBelow)
{
    TPanel column(nullptr);
    column.SetBevelOuter(bvNone);
    column.SetBounds(0, 0, 171, 400);
    auto* preview = new TPanel(&column);
    preview->SetHeight(154);
    preview->SetAlign(alBottom);
    auto* splitter = new TSplitter(&column);
    splitter->SetAlign(alBottom);
    splitter->SetHeight(4);
    auto* tree = new TPanel(&column);
    tree->SetAlign(alClient);
    EXPECT_EQ(splitter->geometry(), QRect(0, 242, 171, 4));
    splitter->MoveBy(-40); // up: the preview grows
    EXPECT_EQ(preview->Height(), 194);
    EXPECT_EQ(tree->Height(), 202);
}

TEST(Timer, TicksWhileEnabled)
{
    TTimer timer(nullptr);
    int ticks = 0;
    timer.OnTimer = [&](TObject* sender) {
        EXPECT_EQ(sender, &timer);
        ++ticks;
    };
    timer.SetInterval(5);
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 3, 2000);
    timer.SetEnabled(false);
    const int stopped = ticks;
    QTest::qWait(30);
    EXPECT_EQ(ticks, stopped);
}

TEST(Timer, TicksInsideALoopThatItsOwnHandlerRuns)
{
    TTimer timer(nullptr);
    timer.SetInterval(5);
    int ticks = 0;
    int deepest = 0;
    int depth = 0;
    timer.OnTimer = [&](TObject*) {
        ++ticks;
        ++depth;
        deepest = std::max(deepest, depth);
        if (depth == 1) {
            // As a menu shown from a tick: a loop of its own, left after three more ticks.
            QEventLoop loop;
            const int until = ticks + 3;
            QTimer check;
            QObject::connect(&check, &QTimer::timeout, &loop, [&] {
                if (ticks >= until)
                    loop.quit();
            });
            check.start(1);
            QTimer::singleShot(2000, &loop, &QEventLoop::quit);
            loop.exec();
        }
        --depth;
    };
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 5, 3000);
    timer.SetEnabled(false);
    EXPECT_EQ(deepest, 2) << "ticks reached the handler's own loop";
}

TEST(Image, IconIsDrawnAtNaturalSizeTopLeftAndOwned)
{
    TImage image(nullptr);
    image.resize(40, 40);
    QPalette pal = image.palette();
    pal.setColor(QPalette::Window, Qt::white);
    image.setPalette(pal);
    image.setAutoFillBackground(true);
    gw::IconImage icon;
    icon.Width = icon.Height = 4;
    icon.Pixels.assign(16, 0xFF0000FF);
    icon.Mask.assign(16, 0);
    icon.Mask[15] = 1;
    const std::size_t before = IconTable::AliveCount();
    image.SetIcon(IconTable::Create(icon));
    const QImage shown = image.grab().toImage();
    EXPECT_EQ(shown.pixel(0, 0) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(shown.pixel(2, 2) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(shown.pixel(3, 3) & 0xFFFFFF, 0xFFFFFFu); // transparent by the mask
    EXPECT_EQ(shown.pixel(4, 0) & 0xFFFFFF, 0xFFFFFFu);
    image.SetIcon(0);
    EXPECT_EQ(IconTable::AliveCount(), before);
}

TEST(Dialogs, MessageBoxSeamAnswersAndRecords)
{
    MessageBoxSeam::ClearShown();
    MessageBoxSeam::SetNextAnswer(IDNO);
    EXPECT_EQ(MessageBox(nullptr, "Delete?", "Glimmerwick:", MB_YESNO | MB_ICONINFORMATION), IDNO);
    ASSERT_EQ(MessageBoxSeam::Shown().size(), 1u);
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Caption, "Glimmerwick:");
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Text, "Delete?");
    EXPECT_EQ(MessageBoxSeam::Shown()[0].Flags, MB_YESNO | MB_ICONINFORMATION);
    EXPECT_EQ(MessageBoxSeam::PendingAnswers(), 0);
}

TEST(Dialogs, SaveDialogSeamAsksBeforeOverwriting)
{
    ScratchDir dir;
    const QString existing = dir.path() + "/a.ico";
    QFile(existing).open(QIODevice::WriteOnly);
    TSaveDialog dialog(nullptr);
    dialog.Filter = "Icon files(*.ico)|*.ico";
    dialog.Options |= ofOverwritePrompt;
    dialog.FileName = "shell320";
    MessageBoxSeam::ClearShown();

    TSaveDialog::SetNextResult(existing);
    MessageBoxSeam::SetNextAnswer(IDNO);
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(MessageBoxSeam::Shown().size(), 1u);
    EXPECT_EQ(TSaveDialog::LastFilter(), "Icon files(*.ico)|*.ico");
    EXPECT_EQ(TSaveDialog::LastFileName(), "shell320");

    TSaveDialog::SetNextResult(existing);
    MessageBoxSeam::SetNextAnswer(IDYES);
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, existing);

    TSaveDialog::SetNextResult(dir.path() + "/new.ico");
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(MessageBoxSeam::Shown().size(), 2u);

    TSaveDialog::SetNextResult(std::nullopt);
    EXPECT_FALSE(dialog.Execute());
}

TEST(Mouse, ControlsReportMouseAndResizeEvents)
{
    TPanel panel(nullptr);
    panel.resize(100, 50);
    std::vector<std::string> seen;
    panel.OnMouseDown = [&](TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
        EXPECT_EQ(sender, &panel);
        EXPECT_EQ(button, mbLeft);
        EXPECT_TRUE(shift & ssCtrl);
        seen.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    };
    panel.OnMouseMove = [&](TObject*, TShiftState, int x, int y) {
        seen.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    };
    panel.OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
        seen.push_back("up " + std::to_string(x) + "," + std::to_string(y));
    };
    int resized = 0;
    panel.OnResize = [&](TObject*) { ++resized; };
    panel.show();
    QTest::mousePress(&panel, Qt::LeftButton, Qt::ControlModifier, QPoint(3, 4));
    QTest::mouseMove(&panel, QPoint(10, 12));
    QTest::mouseRelease(&panel, Qt::LeftButton, Qt::ControlModifier, QPoint(10, 12));
    EXPECT_EQ(seen, (std::vector<std::string>{"down 3,4", "move 10,12", "up 10,12"}));
    panel.SetWidth(120);
    EXPECT_GE(resized, 1);
}

TEST(Forms, CanResizeRefusesOrCorrectsTheSize)
{
    TForm form(nullptr);
    form.OnCanResize = [](TObject*, int& w, int& h, bool& resize) {
        if (w < 100)
            resize = false;
        h = std::max(h, 50);
    };
    form.SetClientSize(200, 20);
    EXPECT_EQ(form.size(), QSize(200, 50));
    form.SetClientSize(60, 80);
    EXPECT_EQ(form.size(), QSize(200, 50));
}

TEST(SpeedButton, GroupedButtonsToggleOnUserClicksOnly)
{
    TPanel panel(nullptr);
    panel.resize(200, 40);
    auto* file = new TSpeedButton(&panel);
    file->SetBounds(0, 0, 52, 16);
    file->SetGroupIndex(1);
    file->SetAllowAllUp(true);
    auto* view = new TSpeedButton(&panel);
    view->SetBounds(52, 0, 52, 16);
    view->SetGroupIndex(1);
    int clicks = 0;
    file->OnClick = [&](TObject*) { ++clicks; };
    panel.show();
    QTest::mouseClick(file, Qt::LeftButton);
    EXPECT_TRUE(file->Down());
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(file, Qt::LeftButton);
    EXPECT_FALSE(file->Down());
    file->Click();
    EXPECT_FALSE(file->Down());
    EXPECT_EQ(clicks, 3);
    file->SetDown(true);
    view->SetDown(true);
    EXPECT_FALSE(file->Down());
    EXPECT_TRUE(file->IsGraphicControl());
    EXPECT_EQ(ClassName(file), "TSpeedButton");
}

TEST(SpeedButton, RestingFlatTransparentButtonShowsWhatLiesBehind)
{
    TPanel panel(nullptr);
    panel.SetBevelOuter(bvNone);
    panel.SetColor(clRed);
    panel.resize(60, 20);
    auto* button = new TSpeedButton(&panel);
    button->SetBounds(0, 0, 52, 16);
    button->SetFlat(true);
    const QImage image = panel.grab().toImage();
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(51, 15) & 0xFFFFFF, 0xFF0000u);
    button->SetDown(true);
    const QImage down = panel.grab().toImage();
    EXPECT_NE(down.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
}

TEST(SpeedButton, AltAndTheMarkedLetterClicksTheButton)
{
    TForm form(nullptr);
    auto* top = new TPanel(&form);
    top->resize(300, 40);
    auto* file = new TSpeedButton(top);
    file->SetCaption("File(&F)");
    auto* help = new TSpeedButton(top);
    help->SetCaption("Help(&H)");
    help->SetVisible(false);
    int files = 0, helps = 0;
    file->OnClick = [&](TObject*) { ++files; };
    help->OnClick = [&](TObject*) { ++helps; };
    auto* edit = new TButton(&form);
    form.Show();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F, Qt::AltModifier);
    QTest::keyClick(edit, Qt::Key_H, Qt::AltModifier);
    EXPECT_EQ(files, 1);
    EXPECT_EQ(helps, 0);
}

TEST(PopupMenu, ModalPopupReturnsWhenTheMenuCloses)
{
    TPopupMenu popup(nullptr);
    auto* item = new TMenuItem(nullptr);
    item->SetCaption("Save");
    popup.Items()->Add(item);
    int popups = 0;
    popup.OnPopup = [&](TObject*) { ++popups; };
    bool wasOpen = false;
    QTimer::singleShot(50, [&] {
        wasOpen = popup.IsOpen();
        popup.CloseMenu();
    });
    popup.PopupModal(QPoint(20, 20));
    EXPECT_TRUE(wasOpen);
    EXPECT_FALSE(popup.IsOpen());
    EXPECT_EQ(popups, 1);
}

TEST(PopupMenu, AnItemChosenFromAModalPopupRunsAfterThePopupHasReturned)
{
    TPopupMenu popup(nullptr);
    auto* first = new TMenuItem(nullptr);
    first->SetCaption("First");
    auto* second = new TMenuItem(nullptr);
    second->SetCaption("Second");
    popup.Items()->Add(first);
    popup.Items()->Add(second);
    std::vector<std::string> order;
    second->OnClick = [&](TObject*) { order.push_back("click"); };
    QTimer::singleShot(20, [&] {
        QMenu* menu = popup.MenuWidget();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(second->Action()).center());
    });
    TMenuItem* chosen = popup.PopupModal(QPoint(20, 20));
    order.push_back("returned");
    EXPECT_EQ(chosen, second);
    QTRY_COMPARE(order.size(), std::size_t(2));
    EXPECT_EQ(order, (std::vector<std::string>{"returned", "click"}));

    // Dismissed without a choice: nothing to run.
    QTimer::singleShot(20, [&] { popup.CloseMenu(); });
    EXPECT_EQ(popup.PopupModal(QPoint(20, 20)), nullptr);
    QTest::qWait(10);
    EXPECT_EQ(order.size(), std::size_t(2));
}

TEST(PopupMenu, ARightClickOpensTheControlsPopupMenuOnce)
{
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetBounds(0, 0, 100, 100);
    TPopupMenu first(nullptr), second(nullptr);
    for (TPopupMenu* menu : {&first, &second}) {
        auto* item = new TMenuItem(nullptr);
        item->SetCaption("Item");
        menu->Items()->Add(item);
    }
    int firstPopups = 0, secondPopups = 0;
    first.OnPopup = [&](TObject*) { ++firstPopups; };
    second.OnPopup = [&](TObject*) { ++secondPopups; };
    panel->SetPopupMenu(&first);
    panel->SetPopupMenu(&second);
    form.Show();
    emit panel->customContextMenuRequested(QPoint(10, 10));
    EXPECT_EQ(firstPopups, 0);
    EXPECT_EQ(secondPopups, 1);
    EXPECT_TRUE(second.IsOpen());
    second.CloseMenu();
}

TEST(ToolBar, SeparatorsAreNeitherCustomDrawnNorHot)
{
    TForm form(nullptr);
    form.resize(200, 40);
    auto* bar = new TToolBar(&form);
    bar->resize(200, 29);
    auto* up = new TToolButton(bar);
    auto* sep = new TToolButton(bar);
    sep->SetStyle(tbsSeparator);
    auto* save = new TToolButton(bar);
    bar->ArrangeControls();
    std::vector<std::pair<TToolButton*, TCustomDrawState>> calls;
    bar->OnCustomDrawButton = [&](TToolBar*, TToolButton* button, TCustomDrawState state, bool& defaultDraw) {
        calls.emplace_back(button, state);
        defaultDraw = false;
    };
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    calls.clear();
    bar->repaint();
    // Each paint of the bar asks for the two buttons, in order, never the separator.
    ASSERT_GE(calls.size(), 2u);
    ASSERT_EQ(calls.size() % 2, 0u);
    for (std::size_t i = 0; i < calls.size(); i += 2) {
        EXPECT_EQ(calls[i].first, up);
        EXPECT_EQ(calls[i + 1].first, save);
    }

    // The pointer over the separator makes nothing hot; over a button it does.
    QTest::mouseMove(sep, QPoint(4, 10));
    EXPECT_FALSE(sep->DrawState() & cdsHot);
    QTest::mouseMove(save, QPoint(4, 10));
    EXPECT_TRUE(QTest::qWaitFor([&] { return (save->DrawState() & cdsHot) != 0; }));
}
