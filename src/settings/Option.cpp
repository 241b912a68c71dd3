// TBrowseItem: the browsing-options dialog, which switches the listed file kinds.
#include "settings/Option.h"

#include "settings/Settings.h"

#include <QtGlobal>

namespace {

// One kind's check box: the kind it switches, the member, its name, its caption (UTF-8),
// its bounds in the group box and its place in the tab order.
struct TKindCheckBox {
    bool TListedKinds::*Flag;
    TCheckBox* TBrowseItem::*CheckBox;
    const char* Name;
    const char* Caption;
    int Left, Top, Width, Height;
    int TabIndex;
};

// clang-format off
const TKindCheckBox kKindCheckBoxes[] = {
    {&TListedKinds::FShowExe, &TBrowseItem::ExeChk, "ExeChk", QT_TRANSLATE_NOOP("TBrowseItem", ".exe可执行程序"), 20, 30, 139, 20, 0},
    {&TListedKinds::FShowDll, &TBrowseItem::DllChk, "DllChk", QT_TRANSLATE_NOOP("TBrowseItem", ".dll动态链接库"), 20, 69, 139, 21, 1},
    {&TListedKinds::FShowBpl, &TBrowseItem::BplChk, "BplChk", QT_TRANSLATE_NOOP("TBrowseItem", ".bpl Borland 包库"), 177, 69, 169, 21, 5},
    {&TListedKinds::FShowOcx, &TBrowseItem::OcxChk, "OcxChk", QT_TRANSLATE_NOOP("TBrowseItem", ".ocx对象控件程序"), 20, 108, 158, 21, 2},
    {&TListedKinds::FShowIcl, &TBrowseItem::IclChk, "IclChk", QT_TRANSLATE_NOOP("TBrowseItem", ".icl 图标库"), 20, 148, 119, 21, 3},
    {&TListedKinds::FShowCpl, &TBrowseItem::CplChk, "CplChk", QT_TRANSLATE_NOOP("TBrowseItem", ".cpl 控制面板程序"), 177, 30, 169, 20, 4},
    {&TListedKinds::FShowScr, &TBrowseItem::ScrChk, "ScrChk", QT_TRANSLATE_NOOP("TBrowseItem", ".scr 屏幕保护程序"), 177, 108, 169, 21, 6},
    {&TListedKinds::FShowDrv, &TBrowseItem::DrvChk, "DrvChk", QT_TRANSLATE_NOOP("TBrowseItem", ".drv 驱动程序"), 177, 148, 139, 21, 7},
    {&TListedKinds::FShowBmp, &TBrowseItem::BmpChk, "BmpChk", QT_TRANSLATE_NOOP("TBrowseItem", ".bmp 位图文件"), 364, 30, 130, 20, 8},
    {&TListedKinds::FShowJpg, &TBrowseItem::JpgChk, "JpgChk", QT_TRANSLATE_NOOP("TBrowseItem", ".jpg|.jpeg 压缩文件"), 364, 108, 189, 21, 9},
    {&TListedKinds::FShowIco, &TBrowseItem::IcoChk, "IcoChk", QT_TRANSLATE_NOOP("TBrowseItem", ".ico 图标文件"), 364, 69, 130, 21, 10},
};
// clang-format on
static_assert(std::size(kKindCheckBoxes) == std::size(kWindowFileKinds));

// Whether the window ever lists the kind of `flag`; the boxes of others are hidden.
bool Listable(bool TListedKinds::*flag)
{
    for (const TWindowFileKind& k : kWindowFileKinds)
        if (k.Flag == flag)
            return k.Kind >= 0;
    return false;
}

} // namespace

TBrowseItem::TBrowseItem(TComponent* Owner, TListedKindsEditor* MainForm)
    : TNeoForm(Owner)
    , FMainForm(MainForm)
{
    SetName(QStringLiteral("BrowseItem"));
    SetCaption(tr("浏览选项设置"));
    SetClientSize(645, 330);
    SetPosition(poScreenCenter);
    SetFont(QStringLiteral("宋体"), -13);

    GroupBox1 = new TGroupBox(this, this);
    GroupBox1->SetName(QStringLiteral("GroupBox1"));
    GroupBox1->SetBounds(10, 59, 621, 208);
    // The group and its boxes show the dialog's colour.
    GroupBox1->SetParentColor(true);

    // Created in tab order.
    const TKindCheckBox* byTab[std::size(kKindCheckBoxes)] = {};
    for (const TKindCheckBox& kind : kKindCheckBoxes)
        byTab[kind.TabIndex] = &kind;
    for (const TKindCheckBox* kind : byTab) {
        auto* box = new TCheckBox(GroupBox1, this);
        box->SetName(QString::fromLatin1(kind->Name));
        box->SetCaption(tr(kind->Caption));
        box->SetBounds(kind->Left, kind->Top, kind->Width, kind->Height);
        box->SetParentColor(true);
        if (!Listable(kind->Flag))
            box->SetVisible(false);
        this->*kind->CheckBox = box;
    }

    Button1 = new TButton(this, this);
    Button1->SetName(QStringLiteral("Button1"));
    Button1->SetCaption(tr("设置"));
    Button1->SetBounds(433, 276, 93, 30);
    Button1->SetDefault(true);
    Button1->OnClick = [this](TObject* Sender) { Button1Click(Sender); };

    Button2 = new TButton(this, this);
    Button2->SetName(QStringLiteral("Button2"));
    Button2->SetCaption(tr("取消"));
    Button2->SetBounds(542, 276, 92, 30);
    Button2->SetCancel(true);
    Button2->OnClick = [this](TObject* Sender) { Button2Click(Sender); };

    // Tab order: the two buttons, then the group box's check boxes.
    setTabOrder(Button1, Button2);
    QWidget* previous = Button2;
    for (const TKindCheckBox* kind : byTab) {
        setTabOrder(previous, this->*kind->CheckBox);
        previous = this->*kind->CheckBox;
    }
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
        const TListedKinds kinds = FMainForm->ListedKinds();
        for (const TKindCheckBox& kind : kKindCheckBoxes)
            (this->*kind.CheckBox)->SetChecked(kinds.*kind.Flag);
    }
    SetSizeable(false);
    MaxImage->SetVisible(false);
    MinImage->SetVisible(false);
}

void TBrowseItem::Button1Click(TObject* Sender)
{
    (void)Sender;
    TListedKinds kinds;
    for (const TKindCheckBox& kind : kKindCheckBoxes)
        kinds.*kind.Flag = (this->*kind.CheckBox)->Checked();
    Close();
    if (FMainForm)
        FMainForm->SetListedKinds(kinds);
}

void TBrowseItem::Button2Click(TObject* Sender)
{
    (void)Sender;
    Close();
}
