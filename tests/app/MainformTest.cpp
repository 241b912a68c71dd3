// The main window: components of the layout, command bindings, shortcuts, availability
// and the splitters.
#include "AppTestSupport.h"

namespace {

using MainformTest = AppTest;

template <typename T>
T* Find(QObject* form, const char* name)
{
    T* found = form->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

TEST_F(MainformTest, ComponentTreeClassesAndParents)
{
    TForm1* f = CreateMainForm();
    EXPECT_EQ(f->Caption(), "Glimmerwick");
    EXPECT_EQ(f->Menu(), f->MainMenu1);
    EXPECT_EQ(f->Position(), poScreenCenter);
    EXPECT_FALSE(f->windowIcon().isNull());
    EXPECT_EQ(f->windowIcon().pixmap(32, 32).width(), 32);

    const struct {
        const char* name;
        const char* className;
        const char* parent;
    } tree[] = {
        {"Panel13", "TPanel", "Form1"},         {"ToolBar1", "TToolBar", "Panel13"},
        {"PathLable", "TLabel", "ToolBar1"},    {"Panel11", "TPanel", "Panel13"},
        {"StatusBar1", "TStatusBar", "Panel11"}, {"Panel10", "TPanel", "Panel13"},
        {"Panel1", "TPanel", "Panel10"},        {"Panel4", "TPanel", "Panel1"},
        {"Panel5", "TPanel", "Panel4"},         {"Drive1", "TDriveComboBox", "Panel5"},
        {"DirectoryListBox1", "TDirectoryListBox", "Panel4"},
        {"Splitter2", "TSplitter", "Panel1"},   {"Panel3", "TPanel", "Panel1"},
        {"PreView", "TImage", "Panel3"},        {"Splitter1", "TSplitter", "Panel10"},
        {"Panel2", "TPanel", "Panel10"},        {"ListView1", "TListView", "Panel10"},
    };
    for (const auto& c : tree) {
        QWidget* w = Find<QWidget>(f, c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(ClassName(w), c.className) << c.name;
        EXPECT_EQ(w->parentWidget()->objectName(), c.parent) << c.name;
        EXPECT_EQ(TComponent::Of(w)->Owner(), f) << c.name;
    }
    for (const char* name : {"ImageList1", "ImageList2", "MainMenu1", "FileMenu", "ViewMenu", "SettingMenu",
                             "Help", "PopupMenu1", "PopupMenu2", "SavePictureDialog1", "Timer1"})
        EXPECT_NE(f->FindComponent(QString::fromLatin1(name)), nullptr) << name;

    EXPECT_EQ(f->ImageList1->Count(), 12);
    EXPECT_EQ(f->ImageList2->Count(), 18);
    EXPECT_EQ(f->ImageList1->Width(), 16);
    EXPECT_EQ(f->ToolBar1->Images(), f->ImageList2);
    EXPECT_EQ(f->ListView1->SmallImages(), f->ImageList1);
    EXPECT_EQ(f->ListView1->PopupMenu(), f->PopupMenu1);
    EXPECT_EQ(f->DirectoryListBox1->PopupMenu(), f->PopupMenu2);
    EXPECT_EQ(f->DirectoryListBox1->DirLabel(), f->PathLable);
    EXPECT_EQ(f->Drive1->DirList(), f->DirectoryListBox1);
    EXPECT_EQ(f->ListView1->Hint(), QStringLiteral("双击保存"));
    EXPECT_EQ(f->Timer1->Interval(), 125);
    EXPECT_TRUE(f->Timer1->Enabled());
    EXPECT_EQ(f->SavePictureDialog1->Filter,
              QStringLiteral("图标文件(*.ico)|*.ico|原始图标(*.ico)|*.ico|PNG 图像(*.png)|*.png"));
    EXPECT_TRUE(f->SavePictureDialog1->Options & ofOverwritePrompt);

    ASSERT_EQ(f->ListView1->Columns()->Count(), 3);
    const std::pair<QString, int> columns[] = {{"文件名", 308}, {"文件大小", 90}, {"图标序号", 80}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(f->ListView1->Columns()->Items(i)->Caption(), columns[i].first);
        EXPECT_EQ(f->ListView1->Columns()->Items(i)->Width(), columns[i].second);
    }
    ASSERT_EQ(f->StatusBar1->Panels()->Count(), 2);
    EXPECT_EQ(f->StatusBar1->Panels()->Items(1)->Width(), 600);
    EXPECT_TRUE(f->StatusBar1->AutoHint());
}

TEST_F(MainformTest, ToolBarButtonsInOrderWithImagesAndHints)
{
    TForm1* f = CreateMainForm();
    const struct {
        const char* name;
        int image;
        const char* hint;
    } buttons[] = {
        {"UpButton", 13, "向上|浏览上一级文件夹"},
        {"SaveButton", 1, "保存|保存当前正在浏览的图标为文件"},
        {"ExitButton", 2, "退出|退出Glimmerwick"},
        {nullptr, -1, nullptr},
        {"FirstButton", 6, "第一个|浏览在列表中显示的第一个图标"},
        {"BackButton", 7, "上一个|浏览上一个图标"},
        {"ForwardButton", 8, "下一个|浏览下一个图标"},
        {"LastButton", 9, "最后一个|浏览在列表中显示的最后一个图标"},
        {nullptr, -1, nullptr},
        {"HelpButton", 11, "帮助|使用说明帮助"},
        {"AboutButton", 12, "关于|关于Glimmerwick"},
        {nullptr, -1, nullptr},
    };
    ASSERT_EQ(f->ToolBar1->ButtonCount(), int(std::size(buttons)));
    for (int i = 0; i < f->ToolBar1->ButtonCount(); ++i) {
        TToolButton* b = f->ToolBar1->Buttons(i);
        if (!buttons[i].name) {
            EXPECT_EQ(b->Style(), tbsSeparator) << i;
            continue;
        }
        EXPECT_EQ(b->Name(), buttons[i].name);
        EXPECT_EQ(b->ImageIndex(), buttons[i].image) << buttons[i].name;
        EXPECT_EQ(b->Hint(), QString::fromUtf8(buttons[i].hint));
        EXPECT_EQ(b->toolTip(), GetShortHint(QString::fromUtf8(buttons[i].hint)));
    }
}

struct TItemRow {
    const char* name;
    const char* caption;
    int image;
    const char* shortCut;
    const char* hint;
};

void CheckItems(TForm1* f, const std::vector<TItemRow>& rows)
{
    for (const TItemRow& row : rows) {
        auto* item = qobject_cast<TMenuItem*>(f->FindComponent(QString::fromLatin1(row.name))->AsObject());
        ASSERT_NE(item, nullptr) << row.name;
        EXPECT_EQ(item->Caption(), QString::fromUtf8(row.caption)) << row.name;
        EXPECT_EQ(item->ImageIndex(), row.image) << row.name;
        EXPECT_EQ(item->ShortCut(), QKeySequence::fromString(QString::fromLatin1(row.shortCut))) << row.name;
        EXPECT_EQ(item->Hint(), QString::fromUtf8(row.hint)) << row.name;
    }
}

TEST_F(MainformTest, MenusHoldTheirItemsWithCaptionsImagesShortcutsAndHints)
{
    TForm1* f = CreateMainForm();
    CheckItems(f, {
        {"N7", "保存(&S)", 1, "Ctrl+S", ""},
        {"N16", "删除(&D)", 16, "Ctrl+D", ""},
        {"N8", "-", -1, "", ""},
        {"N9", "退出(&X)", 2, "Ctrl+X", ""},
        {"N10", "第一个(&F)", 6, "", ""},
        {"N11", "上一个(&B)", 7, "", ""},
        {"N12", "下一个(&N)", 8, "", ""},
        {"N13", "最后一个(&L)", 9, "", ""},
        {"Options", "浏览选项(&O)...", 14, "", ""},
        {"LastAccess", "最后一次访问路径记忆(&L)", 15, "", ""},
        {"N2", "使用说明(&H)", 11, "Ctrl+H", ""},
        {"N3", "-", -1, "", ""},
        {"Glimmerwick1", "关于&Glimmerwick...", 12, "", ""},
        {"Save", "保存(&S)", 1, "Ctrl+S", ""},
        {"Delete", "删除(&D)", 16, "Ctrl+D", ""},
        {"Exit", "退出(&X)", 2, "Ctrl+X", ""},
        {"First", "第一个(&F)", 6, "", ""},
        {"Last", "最后一个(&L)", 9, "", ""},
        {"Option", "浏览选项(&O)...", 14, "", ""},
        {"LastAccessed", "最后一次访问记忆(&L)", 15, "", ""},
        {"HelpMenu", "使用说明(&H)", 11, "Ctrl+H", ""},
        {"AboutMenu", "关于Glimmerwick...", 12, "", ""},
        {"PreviewMenu", "预览(&V)", 2, "Ctrl+Alt+V", "浏览该图标资源。"},
        {"InspectMenu", "详细信息(&I)...", 17, "Ctrl+I", "查看该图标的每一种尺寸和颜色。"},
        {"SaveMenu", "保存(&S)", 1, "Ctrl+S", "将该图标保存为文件。"},
        {"DeleteMenu", "删除(&D)", 16, "Ctrl+D", "删除这个文件。"},
        {"ExtractFromFile", "提取所有图标(&A)", 0, "Ctrl+Alt+S", "提取所选文件中包含的所有图标。"},
        {"N5", "第一个(&F)", 6, "Ctrl+F", "在列表中显示的第一个图标。"},
        {"N14", "上一个(&B)", 7, "Ctrl+B", "显示上一个图标。"},
        {"N15", "下一个(&N)", 8, "Ctrl+N", "显示下一个图标。"},
        {"N17", "最后一个(&L)", 9, "Ctrl+L", "在列表中显示的最后一个图标。"},
        {"N18", "上一级文件夹(&U)", 13, "Shift+Alt+Backspace", "返回上一级文件夹进行浏览。"},
        {"ExtractFromFolder", "从文件夹中提取", -1, "",
         "从该文件夹中提取所有exe文件和dll文件中包含的图标。(不包含子文件夹)"},
        {"ExtractFromMultiFolder", "从多级文件夹中提取(包含子文件夹)", -1, "",
         "从该文件夹中提取所有exe文件和dll文件中包含的图标。(包含子文件夹)"},
    });
    EXPECT_EQ(f->FileMenu->Items()->Count(), 4);
    EXPECT_EQ(f->PopupMenu1->Items()->Count(), 12);
    EXPECT_EQ(f->PopupMenu1->Items()->Items(1), f->InspectMenu);
    EXPECT_EQ(f->PopupMenu1->Items()->Items(11), f->N18);
    EXPECT_EQ(f->PopupMenu2->Images(), nullptr);
    for (TMenu* menu : std::initializer_list<TMenu*>{f->MainMenu1, f->FileMenu, f->ViewMenu, f->SettingMenu,
                                                     f->Help, f->PopupMenu1, f->PopupMenu2})
        EXPECT_TRUE(menu->OwnerDraw()) << menu->Name().toStdString();
    for (TMenuItem* top : {f->N1, f->V1, f->O1, f->H1}) {
        EXPECT_FALSE(top->Visible());
        EXPECT_TRUE(top->Enabled());
    }
    EXPECT_TRUE(f->LastAccess->Checked());
    EXPECT_TRUE(f->LastAccessed->Checked());
}

TEST_F(MainformTest, EveryCommandReachesItsHandler)
{
    TForm1* f = CreateMainForm();
    QStringList calls;
    f->SetCommandHook([&](const QString& handler, TObject*) {
        calls << handler;
        return true;
    });
    const std::pair<const char*, const char*> bindings[] = {
        {"UpButton", "UpClick"},           {"SaveButton", "SaveMenuClick"},
        {"ExitButton", "CloseClick"},      {"FirstButton", "TopClick"},
        {"BackButton", "BackClick"},       {"ForwardButton", "ForwardClick"},
        {"LastButton", "BottomClick"},     {"HelpButton", "HelpClick"},
        {"AboutButton", "AboutClick"},     {"N7", "SaveMenuClick"},
        {"N16", "DeleteMenuClick"},        {"N9", "CloseClick"},
        {"N10", "TopClick"},               {"N11", "BackClick"},
        {"N12", "ForwardClick"},           {"N13", "BottomClick"},
        {"Options", "OptionsClick"},       {"LastAccess", "LastAccessClick"},
        {"N2", "HelpClick"},               {"Glimmerwick1", "AboutClick"},
        {"Save", "SaveMenuClick"},         {"Delete", "DeleteMenuClick"},
        {"Exit", "CloseClick"},            {"First", "TopClick"},
        {"Back", "BackClick"},             {"Next", "ForwardClick"},
        {"Last", "BottomClick"},           {"Option", "OptionsClick"},
        {"LastAccessed", "LastAccessClick"}, {"HelpMenu", "HelpClick"},
        {"AboutMenu", "AboutClick"},       {"PreviewMenu", "PreviewMenuClick"},
        {"InspectMenu", "InspectMenuClick"},
        {"SaveMenu", "SaveMenuClick"},     {"DeleteMenu", "DeleteMenuClick"},
        {"ExtractFromFile", "ExtractFromFileClick"}, {"N5", "TopClick"},
        {"N14", "BackClick"},              {"N15", "ForwardClick"},
        {"N17", "BottomClick"},            {"N18", "UpClick"},
        {"ExtractFromFolder", "ExtractFromFolderClick"},
        {"ExtractFromMultiFolder", "ExtractFromMultiFolderClick"},
    };
    // Every command is enabled while the list has a row.
    f->ListView1->Items()->Add()->SetCaption("a.exe");
    f->UpdateCommandAvailability();
    for (const auto& [name, handler] : bindings) {
        calls.clear();
        QObject* object = f->FindComponent(QString::fromLatin1(name))->AsObject();
        if (auto* button = qobject_cast<TToolButton*>(object))
            button->Click();
        else if (auto* item = qobject_cast<TMenuItem*>(object))
            item->Click();
        EXPECT_EQ(calls, QStringList{handler}) << name;
    }

    calls.clear();
    Fire(f->DirectoryListBox1->OnChange, f->DirectoryListBox1);
    Fire(f->Drive1->OnChange, f->Drive1);
    Fire(f->Splitter1->OnMoved, f->Splitter1);
    Fire(f->ListView1->OnDblClick, f->ListView1);
    Fire(f->Timer1->OnTimer, f->Timer1);
    EXPECT_EQ(calls, (QStringList{"DirectorySelected", "DriveChange", "SplitterMoved", "ListViewDblClick",
                                  "ChangeIconTime"}));
    EXPECT_TRUE(f->ListView1->OnSelectItem);
    EXPECT_FALSE(f->Splitter2->OnMoved) << "only the list splitter reports its moves";
}

TEST_F(MainformTest, ShortcutsOfTheInvisibleMainMenuStayInForce)
{
    TForm1* f = CreateMainForm();
    ShowMainForm();
    QStringList calls;
    f->SetCommandHook([&](const QString& handler, TObject*) {
        calls << handler;
        return true;
    });
    f->DirectoryListBox1->setFocus();
    QTest::keyClick(f->DirectoryListBox1, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(f->DirectoryListBox1, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(f->DirectoryListBox1, Qt::Key_H, Qt::ControlModifier);
    QTest::keyClick(f->DirectoryListBox1, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(calls, (QStringList{"SaveMenuClick", "DeleteMenuClick", "HelpClick", "CloseClick"}));

    // The list's own menu answers while the list has the focus.
    calls.clear();
    f->ListView1->Items()->Add()->SetCaption("a.exe");
    f->UpdateCommandAvailability();
    f->ListView1->setFocus();
    QTest::keyClick(f->ListView1, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(f->ListView1, Qt::Key_Backspace, Qt::ShiftModifier | Qt::AltModifier);
    QTest::keyClick(f->ListView1, Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(f->ListView1, Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(calls, (QStringList{"TopClick", "UpClick", "PreviewMenuClick", "InspectMenuClick"}));
}

TEST_F(MainformTest, CommandsThatNeedARowFollowTheList)
{
    TForm1* f = CreateMainForm();
    ASSERT_EQ(f->ListView1->Items()->Count(), 0);
    const std::vector<TMenuItem*> needRow = {f->PreviewMenu, f->InspectMenu, f->SaveMenu, f->DeleteMenu, f->ExtractFromFile,
                                             f->Save, f->Delete};
    auto check = [&](bool enabled) {
        EXPECT_EQ(f->SaveButton->Enabled(), enabled);
        for (TMenuItem* i : needRow)
            EXPECT_EQ(i->Enabled(), enabled) << i->Name().toStdString();
        // The rest never change.
        for (TToolButton* b : {f->UpButton, f->ExitButton, f->FirstButton, f->BackButton, f->ForwardButton,
                               f->LastButton, f->HelpButton, f->AboutButton})
            EXPECT_TRUE(b->Enabled()) << b->Name().toStdString();
        for (TMenuItem* i : {f->N7, f->N16, f->N9, f->N10, f->N13, f->Exit, f->First, f->N5, f->N18,
                             f->ExtractFromFolder, f->Options, f->LastAccess})
            EXPECT_TRUE(i->Enabled()) << i->Name().toStdString();
    };
    check(false);

    f->ListView1->Items()->Add()->SetCaption("a.exe");
    f->UpdateCommandAvailability();
    check(true);

    f->RefreshFileList();
    EXPECT_EQ(f->ListView1->Items()->Count(), 0);
    check(false);
    EXPECT_EQ(f->StatusBar1->Panels()->Items(1)->Text(), QStringLiteral("一共0个图标可供浏览！"));
}

TEST_F(MainformTest, ListSplitterMovesPreviewDriveBoxAndFirstStatusPanelTogether)
{
    TForm1* f = CreateMainForm();
    ShowMainForm();
    EXPECT_EQ(f->PreView->Width(), 171);
    EXPECT_EQ(f->StatusBar1->Panels()->Items(0)->Width(), 172) << "set by FormCreate";
    EXPECT_EQ(f->Drive1->Width(), 171);
    const int listLeft = f->ListView1->x();

    for (int delta : {40, -90}) {
        const int before = f->PreView->Width();
        f->Splitter1->MoveBy(delta);
        EXPECT_EQ(f->PreView->Width(), before + delta);
        EXPECT_EQ(f->StatusBar1->Panels()->Items(0)->Width(), f->PreView->Width() + 1);
        EXPECT_EQ(f->Drive1->Width(), f->PreView->Width());
    }
    EXPECT_EQ(f->ListView1->x(), listLeft - 50);

    const int previewHeight = f->Panel3->Height();
    f->Splitter2->MoveBy(-30);
    EXPECT_EQ(f->Panel3->Height(), previewHeight + 30);
    EXPECT_EQ(f->StatusBar1->Panels()->Items(0)->Width(), f->PreView->Width() + 1);
}

TEST_F(MainformTest, LayoutAtTheDesignSize)
{
    TForm1* f = CreateMainForm();
    ShowMainForm();
    EXPECT_EQ(f->ToolBar1->Height(), 29);
    EXPECT_EQ(f->Panel11->Height(), 19);
    EXPECT_EQ(f->Panel1->Width(), 171);
    EXPECT_EQ(f->Panel5->Height(), 30);
    EXPECT_EQ(f->Drive1->geometry(), QRect(0, 4, 171, 22));
    EXPECT_EQ(f->Panel3->Height(), 154);
    EXPECT_EQ(f->Splitter2->Height(), 4);
    EXPECT_EQ(f->Splitter1->Width(), 4);
    EXPECT_EQ(f->Splitter1->x(), 171);
    EXPECT_EQ(f->ListView1->x(), 175);
    EXPECT_EQ(f->ListView1->geometry(), f->Panel2->geometry());
    EXPECT_EQ(f->Splitter2->y() + 4, f->Panel3->y()) << "the splitter lies between tree and preview";
    EXPECT_EQ(f->DirectoryListBox1->y(), 30);
    EXPECT_EQ(f->DirectoryListBox1->ItemHeight(), 16);
    EXPECT_EQ(f->Splitter1->cursor().shape(), Qt::SizeHorCursor);
    EXPECT_EQ(f->Splitter2->cursor().shape(), Qt::SizeVerCursor);

    // The path label follows the last separator and is centred in the bar's height.
    TToolButton* last = f->ToolButton3;
    EXPECT_GE(f->PathLable->x(), last->x() + last->width());
    EXPECT_NEAR(f->PathLable->y() + f->PathLable->height() / 2.0, f->ToolBar1->Height() / 2.0, 2.0);
}

} // namespace
