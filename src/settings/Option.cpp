// TBrowseItem: the browsing-options dialog, which switches the listed file kinds.
#include "settings/Option.h"

#include "browser/Mainform.h"

TBrowseItem::TBrowseItem(TComponent* Owner, TForm1* MainForm)
    : TNeoForm(Owner)
    , FMainForm(MainForm ? MainForm : Form1)
{
    SetName(QStringLiteral("BrowseItem"));
    SetCaption(QStringLiteral("浏览选项设置"));
    SetClientSize(645, 330);
    SetPosition(poScreenCenter);
    SetFont(QStringLiteral("宋体"), -13);

    GroupBox1 = new TGroupBox(this, this);
    GroupBox1->SetName(QStringLiteral("GroupBox1"));
    GroupBox1->SetBounds(10, 59, 621, 208);
    // The group and its boxes show the dialog's colour.
    GroupBox1->SetParentColor(true);

    auto check = [this](const char* name, const QString& caption, int x, int y, int w, int h) {
        auto* box = new TCheckBox(GroupBox1, this);
        box->SetName(QString::fromLatin1(name));
        box->SetCaption(caption);
        box->SetBounds(x, y, w, h);
        box->SetParentColor(true);
        return box;
    };
    // Created in tab order.
    ExeChk = check("ExeChk", QStringLiteral(".exe可执行程序"), 20, 30, 139, 20);
    DllChk = check("DllChk", QStringLiteral(".dll动态链接库"), 20, 69, 139, 21);
    OcxChk = check("OcxChk", QStringLiteral(".ocx对象控件程序"), 20, 108, 158, 21);
    IclChk = check("IclChk", QStringLiteral(".icl 图标库"), 20, 148, 119, 21);
    CplChk = check("CplChk", QStringLiteral(".cpl 控制面板程序"), 177, 30, 169, 20);
    BplChk = check("BplChk", QStringLiteral(".bpl Borland 包库"), 177, 69, 169, 21);
    ScrChk = check("ScrChk", QStringLiteral(".scr 屏幕保护程序"), 177, 108, 169, 21);
    DrvChk = check("DrvChk", QStringLiteral(".drv 驱动程序"), 177, 148, 139, 21);
    BmpChk = check("BmpChk", QStringLiteral(".bmp 位图文件"), 364, 30, 130, 20);
    JpgChk = check("JpgChk", QStringLiteral(".jpg|.jpeg 压缩文件"), 364, 108, 189, 21);
    JpgChk->SetVisible(false);
    IcoChk = check("IcoChk", QStringLiteral(".ico 图标文件"), 364, 69, 130, 21);

    Button1 = new TButton(this, this);
    Button1->SetName(QStringLiteral("Button1"));
    Button1->SetCaption(QStringLiteral("设置"));
    Button1->SetBounds(433, 276, 93, 30);
    Button1->SetDefault(true);
    Button1->OnClick = [this](TObject* Sender) { Button1Click(Sender); };

    Button2 = new TButton(this, this);
    Button2->SetName(QStringLiteral("Button2"));
    Button2->SetCaption(QStringLiteral("取消"));
    Button2->SetBounds(542, 276, 92, 30);
    Button2->SetCancel(true);
    Button2->OnClick = [this](TObject* Sender) { Button2Click(Sender); };

    // Tab order: the two buttons, then the group box's check boxes.
    QWidget* order[] = {Button1, Button2, ExeChk, DllChk, OcxChk, IclChk, CplChk,
                        BplChk,  ScrChk,  DrvChk, BmpChk, JpgChk, IcoChk};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    Button1->setFocus();

    // The last component of the layout, so that it finds every other one; switched
    // on last, as its form file gives Active last.
    XPMenu1 = CreateXPMenu1(this, false);
    XPMenu1->SetActive(true);

    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
}

void TBrowseItem::FormCreate(TObject* Sender)
{
    (void)Sender;
    if (FMainForm) {
        ExeChk->SetChecked(FMainForm->FShowExe);
        DllChk->SetChecked(FMainForm->FShowDll);
        OcxChk->SetChecked(FMainForm->FShowOcx);
        BplChk->SetChecked(FMainForm->FShowBpl);
        CplChk->SetChecked(FMainForm->FShowCpl);
        IclChk->SetChecked(FMainForm->FShowIcl);
        DrvChk->SetChecked(FMainForm->FShowDrv);
        ScrChk->SetChecked(FMainForm->FShowScr);
        BmpChk->SetChecked(FMainForm->FShowBmp);
        JpgChk->SetChecked(FMainForm->FShowJpg);
        IcoChk->SetChecked(FMainForm->FShowIco);
    }
    SetSizeable(false);
    MaxImage->SetVisible(false);
    MinImage->SetVisible(false);
}

void TBrowseItem::Button1Click(TObject* Sender)
{
    (void)Sender;
    if (FMainForm) {
        FMainForm->FShowExe = ExeChk->Checked();
        FMainForm->FShowDll = DllChk->Checked();
        FMainForm->FShowOcx = OcxChk->Checked();
        FMainForm->FShowBpl = BplChk->Checked();
        FMainForm->FShowCpl = CplChk->Checked();
        FMainForm->FShowIcl = IclChk->Checked();
        FMainForm->FShowDrv = DrvChk->Checked();
        FMainForm->FShowScr = ScrChk->Checked();
        FMainForm->FShowBmp = BmpChk->Checked();
        FMainForm->FShowJpg = JpgChk->Checked();
        FMainForm->FShowIco = IcoChk->Checked();
    }
    Close();
    if (FMainForm)
        FMainForm->RefreshFileList();
}

void TBrowseItem::Button2Click(TObject* Sender)
{
    (void)Sender;
    Close();
}
