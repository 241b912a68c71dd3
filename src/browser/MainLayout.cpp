// TForm1's layout as code: its components, image lists, menus and their properties.
#include "browser/Mainform.h"

#include "forms/FormResources.h"
#include "framework/FileNames.h"

#include <QIcon>
#include <QImage>

namespace {

const TShortCut kNone;

QImage Artwork(const QString& name)
{
    return QImage(QStringLiteral(":/images/") + name);
}

} // namespace

void TForm1::CreateLayout()
{
    SetName(QStringLiteral("Form1"));
    SetCaption(QStringLiteral("Glimmerwick"));
    SetClientSize(737, 493);
    SetPosition(poScreenCenter);
    SetFont(QStringLiteral("MS Serif"), -13);
    // The program's icon at every size a window list, task switcher or title bar asks for.
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(Artwork(QStringLiteral("glimmerwick%1.png").arg(size))));
    setWindowIcon(icon);

    // Each image with its drawing for screens of twice the pixel density (name@2x.png).
    auto imageList = [this](const char* name, const char* prefix, int count) {
        auto* list = new TImageList(this);
        list->SetName(QLatin1String(name));
        for (int i = 0; i < count; ++i) {
            const QString base = QLatin1String(prefix) + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
            list->SetDoubleImage(list->Add(Artwork(base + QStringLiteral(".png"))),
                                 Artwork(base + QStringLiteral("@2x.png")));
        }
        return list;
    };
    ImageList1 = imageList("ImageList1", "list1_", 12);
    ImageList2 = imageList("ImageList2", "list2_", 18);

    CreateMenus();

    auto panel = [this](QWidget* parent, const char* name, TAlign align) {
        auto* p = new TPanel(parent, this);
        p->SetName(QString::fromLatin1(name));
        p->SetBevelOuter(bvNone);
        p->SetAlign(align);
        return p;
    };

    Panel13 = panel(this, "Panel13", alClient);

    ToolBar1 = new TToolBar(Panel13, this);
    ToolBar1->SetName(QStringLiteral("ToolBar1"));
    ToolBar1->SetAlign(alTop);
    ToolBar1->SetHeight(29);
    ToolBar1->SetImages(ImageList2);
    ToolBar1->SetFlat(true);
    ToolBar1->SetFont(QStringLiteral("宋体"), -13);
    ToolBar1->setAccessibleName(tr("工具栏"));

    auto button = [this](const char* name, int image, const QString& tip, const QString& status) {
        auto* b = new TToolButton(ToolBar1, this);
        b->SetName(QString::fromLatin1(name));
        b->SetImageIndex(image);
        b->SetHint(tip + QLatin1Char('|') + status);
        return b;
    };
    auto separator = [this](const char* name) {
        auto* b = new TToolButton(ToolBar1, this);
        b->SetName(QString::fromLatin1(name));
        b->SetStyle(tbsSeparator);
        b->SetWidth(8);
        return b;
    };
    UpButton = button("UpButton", 13, tr("向上"), tr("浏览上一级文件夹"));
    SaveButton = button("SaveButton", 1, tr("保存"), tr("保存当前正在浏览的图标为文件"));
    ExitButton = button("ExitButton", 2, tr("退出"), tr("退出Glimmerwick"));
    ToolButton1 = separator("ToolButton1");
    FirstButton = button("FirstButton", 6, tr("第一个"), tr("浏览在列表中显示的第一个图标"));
    BackButton = button("BackButton", 7, tr("上一个"), tr("浏览上一个图标"));
    ForwardButton = button("ForwardButton", 8, tr("下一个"), tr("浏览下一个图标"));
    LastButton = button("LastButton", 9, tr("最后一个"), tr("浏览在列表中显示的最后一个图标"));
    ToolButton2 = separator("ToolButton2");
    HelpButton = button("HelpButton", 11, tr("帮助"), tr("使用说明帮助"));
    AboutButton = button("AboutButton", 12, tr("关于"), tr("关于Glimmerwick"));
    ToolButton3 = separator("ToolButton3");

    PathLable = new TLabel(ToolBar1, this);
    PathLable->SetName(QStringLiteral("PathLable"));
    PathLable->SetFont(QStringLiteral("宋体"), -13);
    PathLable->SetAutoSize(true);
    // The text is centred in the bar's full height; the width follows the text.
    PathLable->SetLayout(tlCenter);
    PathLable->SetBounds(0, 0, 0, ToolBar1->Height());
    PathLable->SetCaption(QString());

    Panel11 = panel(Panel13, "Panel11", alBottom);
    Panel11->SetHeight(19);
    StatusBar1 = new TStatusBar(Panel11, this);
    StatusBar1->SetName(QStringLiteral("StatusBar1"));
    StatusBar1->SetAlign(alClient);
    StatusBar1->Panels()->Add()->SetWidth(171);
    StatusBar1->Panels()->Add()->SetWidth(600);
    StatusBar1->SetAutoHint(true);
    StatusBar1->setAccessibleName(tr("状态栏"));

    Panel10 = panel(Panel13, "Panel10", alClient);
    Panel1 = panel(Panel10, "Panel1", alLeft);
    Panel1->SetWidth(171);

    // Bottom-aligned pieces: the first created lies outermost.
    Panel3 = panel(Panel1, "Panel3", alBottom);
    Panel3->SetHeight(154);
    PreView = new TImage(Panel3, this);
    PreView->SetName(QStringLiteral("PreView"));
    PreView->SetAlign(alClient);
    PreView->setAccessibleName(tr("预览"));

    Splitter2 = new TSplitter(Panel1, this);
    Splitter2->SetName(QStringLiteral("Splitter2"));
    Splitter2->SetAlign(alBottom);
    Splitter2->SetHeight(4);
    Splitter2->setCursor(Qt::SizeVerCursor);

    Panel4 = panel(Panel1, "Panel4", alClient);
    Panel5 = panel(Panel4, "Panel5", alTop);
    Panel5->SetHeight(30);
    Drive1 = new TDriveComboBox(Panel5, this);
    Drive1->SetName(QStringLiteral("Drive1"));
    Drive1->SetBounds(0, 4, 171, 22);
    Drive1->setAccessibleName(tr("驱动器"));

    DirectoryListBox1 = new TDirectoryListBox(Panel4, this);
    DirectoryListBox1->SetName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->SetAlign(alClient);
    DirectoryListBox1->setAccessibleName(tr("文件夹"));
    DirectoryListBox1->SetItemHeight(16);
    DirectoryListBox1->SetDirLabel(PathLable);
    DirectoryListBox1->SetPopupMenu(PopupMenu2);
    // The tree opens in the process's current folder (the root when that is gone).
    try {
        DirectoryListBox1->SetDirectory(CurrentFolder());
    } catch (const std::exception&) {
        DirectoryListBox1->SetDirectory(QStringLiteral("/"));
    }
    Drive1->SetDirList(DirectoryListBox1);

    Splitter1 = new TSplitter(Panel10, this);
    Splitter1->SetName(QStringLiteral("Splitter1"));
    Splitter1->SetAlign(alLeft);
    Splitter1->SetWidth(4);
    Splitter1->setCursor(Qt::SizeHorCursor);

    Panel2 = panel(Panel10, "Panel2", alClient);

    ListView1 = new TListView(Panel10, this);
    ListView1->SetName(QStringLiteral("ListView1"));
    ListView1->SetAlign(alClient);
    ListView1->setAccessibleName(tr("图标列表"));
    ListView1->SetGridLines(true);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->SetSmallImages(ImageList1);
    ListView1->SetFont(QStringLiteral("宋体"), -16);
    ListView1->SetHint(tr("双击保存"));
    ListView1->SetPopupMenu(PopupMenu1);
    const std::pair<const char*, int> columns[] = {{QT_TR_NOOP("文件名"), 308}, {QT_TR_NOOP("文件大小"), 90}, {QT_TR_NOOP("图标序号"), 80}};
    for (const auto& [caption, width] : columns) {
        TListColumn* column = ListView1->Columns()->Add();
        column->SetCaption(tr(caption));
        column->SetWidth(width);
    }

    SavePictureDialog1 = new TSavePictureDialog(this);
    SavePictureDialog1->SetName(QStringLiteral("SavePictureDialog1"));
    SavePictureDialog1->Filter =
        tr("图标文件(*.ico)|*.ico|原始图标(*.ico)|*.ico|PNG 图像(*.png)|*.png");
    SavePictureDialog1->Options = ofOverwritePrompt | ofHideReadOnly | ofEnableSizing;

    Timer1 = new TTimer(this);
    Timer1->SetName(QStringLiteral("Timer1"));
    Timer1->SetInterval(125);
    Timer1->SetEnabled(true);

    ToolBar1->ArrangeControls();
    // Tab goes from the tool bar to the drive box, the folder list and the icon list;
    // the window opens with the focus in the drive box.
    Drive1->setFocus();
    BindCommands();
    BindDesktopCommands();

    // The last component of the layout, so that it finds every other one; switched
    // on last, as its form file gives Active last.
    XPMenu1 = CreateXPMenu1(this, true);
    XPMenu1->SetActive(true);
}

void TForm1::CreateMenus()
{
    auto item = [this](TMenuItem* parent, const char* name, const QString& caption, int image,
                       const TShortCut& shortCut, const QString& hint = QString()) {
        auto* i = new TMenuItem(this);
        i->SetName(QString::fromLatin1(name));
        i->SetCaption(caption);
        i->SetImageIndex(image);
        if (!shortCut.isEmpty())
            i->SetShortCut(shortCut);
        i->SetHint(hint);
        parent->Add(i);
        return i;
    };
    auto line = [&](TMenuItem* parent, const char* name) {
        return item(parent, name, QStringLiteral("-"), -1, kNone);
    };
    auto popup = [this](const char* name, TImageList* images) {
        auto* menu = new TPopupMenu(this);
        menu->SetName(QString::fromLatin1(name));
        menu->SetImages(images);
        menu->SetOwnerDraw(true);
        return menu;
    };
    const auto ctrl = Qt::ControlModifier;
    const auto ctrlAlt = Qt::ControlModifier | Qt::AltModifier;

    MainMenu1 = new TMainMenu(this);
    MainMenu1->SetName(QStringLiteral("MainMenu1"));
    MainMenu1->SetImages(ImageList2);
    MainMenu1->SetOwnerDraw(true);
    TMenuItem* root = MainMenu1->Items();
    N1 = item(root, "N1", tr("文件(&F)"), -1, kNone);
    N7 = item(N1, "N7", tr("保存(&S)"), 1, ShortCut(Qt::Key_S, ctrl));
    N16 = item(N1, "N16", tr("删除(&D)"), 16, ShortCut(Qt::Key_D, ctrl));
    N8 = line(N1, "N8");
    N9 = item(N1, "N9", tr("退出(&X)"), 2, ShortCut(Qt::Key_X, ctrl));
    V1 = item(root, "V1", tr("浏览(&V)"), -1, kNone);
    N10 = item(V1, "N10", tr("第一个(&F)"), 6, kNone);
    N11 = item(V1, "N11", tr("上一个(&B)"), 7, kNone);
    N12 = item(V1, "N12", tr("下一个(&N)"), 8, kNone);
    N13 = item(V1, "N13", tr("最后一个(&L)"), 9, kNone);
    O1 = item(root, "O1", tr("设置(&S)"), -1, kNone);
    Options = item(O1, "Options", tr("浏览选项(&O)..."), 14, kNone);
    LastAccess = item(O1, "LastAccess", tr("最后一次访问路径记忆(&L)"), 15, kNone);
    LastAccess->SetChecked(true);
    FormatMenu = FFormatMenus.AddTo(this, O1, QStringLiteral("FormatMenu"));
    H1 = item(root, "H1", tr("帮助(&H)"), -1, kNone);
    N2 = item(H1, "N2", tr("使用说明(&H)"), 11, ShortCut(Qt::Key_H, ctrl));
    N3 = line(H1, "N3");
    Glimmerwick1 = item(H1, "Glimmerwick1", tr("关于&Glimmerwick..."), 12, kNone);
    // No menu bar: the top items are invisible, their items stay enabled and their
    // shortcuts in force.
    for (TMenuItem* top : {N1, V1, O1, H1})
        top->SetVisible(false);
    SetMenu(MainMenu1);

    FileMenu = popup("FileMenu", ImageList2);
    Save = item(FileMenu->Items(), "Save", tr("保存(&S)"), 1, ShortCut(Qt::Key_S, ctrl));
    Delete = item(FileMenu->Items(), "Delete", tr("删除(&D)"), 16, ShortCut(Qt::Key_D, ctrl));
    N19 = line(FileMenu->Items(), "N19");
    Exit = item(FileMenu->Items(), "Exit", tr("退出(&X)"), 2, ShortCut(Qt::Key_X, ctrl));

    ViewMenu = popup("ViewMenu", ImageList2);
    First = item(ViewMenu->Items(), "First", tr("第一个(&F)"), 6, kNone);
    Back = item(ViewMenu->Items(), "Back", tr("上一个(&B)"), 7, kNone);
    Next = item(ViewMenu->Items(), "Next", tr("下一个(&N)"), 8, kNone);
    Last = item(ViewMenu->Items(), "Last", tr("最后一个(&L)"), 9, kNone);

    SettingMenu = popup("SettingMenu", ImageList2);
    Option = item(SettingMenu->Items(), "Option", tr("浏览选项(&O)..."), 14, kNone);
    LastAccessed = item(SettingMenu->Items(), "LastAccessed", tr("最后一次访问记忆(&L)"), 15, kNone);
    LastAccessed->SetChecked(true);
    FormatSetting = FFormatMenus.AddTo(this, SettingMenu->Items(), QStringLiteral("FormatSetting"));

    Help = popup("Help", ImageList2);
    HelpMenu = item(Help->Items(), "HelpMenu", tr("使用说明(&H)"), 11, ShortCut(Qt::Key_H, ctrl));
    AboutMenu = item(Help->Items(), "AboutMenu", tr("关于Glimmerwick..."), 12, kNone);

    PopupMenu1 = popup("PopupMenu1", ImageList2);
    TMenuItem* p1 = PopupMenu1->Items();
    PreviewMenu = item(p1, "PreviewMenu", tr("预览(&V)"), 2, ShortCut(Qt::Key_V, ctrlAlt),
                       tr("浏览该图标资源。"));
    InspectMenu = item(p1, "InspectMenu", tr("详细信息(&I)..."), 17, ShortCut(Qt::Key_I, ctrl),
                       tr("查看该图标的每一种尺寸和颜色。"));
    SaveMenu = item(p1, "SaveMenu", tr("保存(&S)"), 1, ShortCut(Qt::Key_S, ctrl),
                    tr("将该图标保存为文件。"));
    DeleteMenu = item(p1, "DeleteMenu", tr("删除(&D)"), 16, ShortCut(Qt::Key_D, ctrl),
                      tr("删除这个文件。"));
    ExtractFromFile = item(p1, "ExtractFromFile", tr("提取所有图标(&A)"), 0, ShortCut(Qt::Key_S, ctrlAlt),
                           tr("提取所选文件中包含的所有图标。"));
    N4 = line(p1, "N4");
    N5 = item(p1, "N5", tr("第一个(&F)"), 6, ShortCut(Qt::Key_F, ctrl), tr("在列表中显示的第一个图标。"));
    N14 = item(p1, "N14", tr("上一个(&B)"), 7, ShortCut(Qt::Key_B, ctrl), tr("显示上一个图标。"));
    N15 = item(p1, "N15", tr("下一个(&N)"), 8, ShortCut(Qt::Key_N, ctrl), tr("显示下一个图标。"));
    N17 = item(p1, "N17", tr("最后一个(&L)"), 9, ShortCut(Qt::Key_L, ctrl),
               tr("在列表中显示的最后一个图标。"));
    N6 = line(p1, "N6");
    N18 = item(p1, "N18", tr("上一级文件夹(&U)"), 13,
               ShortCut(Qt::Key_Backspace, Qt::ShiftModifier | Qt::AltModifier), tr("返回上一级文件夹进行浏览。"));

    PopupMenu2 = popup("PopupMenu2", nullptr);
    ExtractFromFolder = item(PopupMenu2->Items(), "ExtractFromFolder", tr("从文件夹中提取"), -1, kNone,
                             tr("从该文件夹中提取所有exe文件和dll文件中包含的图标。(不包含子文件夹)"));
    ExtractFromMultiFolder =
        item(PopupMenu2->Items(), "ExtractFromMultiFolder", tr("从多级文件夹中提取(包含子文件夹)"), -1, kNone,
             tr("从该文件夹中提取所有exe文件和dll文件中包含的图标。(包含子文件夹)"));
    CancelExtract = item(PopupMenu2->Items(), "CancelExtract", tr("取消提取(&C)"), -1, kNone);
    CancelExtract->SetVisible(false);
}
