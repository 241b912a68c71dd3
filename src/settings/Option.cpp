// TBrowseItem: the browsing-options dialog, which switches the listed file kinds.
#include "settings/Option.h"

#include "settings/Settings.h"

TBrowseItem::TBrowseItem(TComponent* Owner, TListedKindsOwner* MainForm)
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
    const TWindowFileKind* byTab[std::size(kWindowFileKinds)] = {};
    for (const TWindowFileKind& kind : kWindowFileKinds)
        byTab[kind.TabIndex] = &kind;
    for (const TWindowFileKind* kind : byTab) {
        auto* box = new TCheckBox(GroupBox1, this);
        box->SetName(QString::fromLatin1(kind->CheckBoxName));
        box->SetCaption(tr(kind->Caption));
        box->SetBounds(kind->Left, kind->Top, kind->Width, kind->Height);
        box->SetParentColor(true);
        if (kind->Kind < 0)
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
    for (const TWindowFileKind* kind : byTab) {
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
        for (const TWindowFileKind& kind : kWindowFileKinds)
            (this->*kind.CheckBox)->SetChecked(FMainForm->*kind.Flag);
    }
    SetSizeable(false);
    MaxImage->SetVisible(false);
    MinImage->SetVisible(false);
}

void TBrowseItem::Button1Click(TObject* Sender)
{
    (void)Sender;
    if (FMainForm) {
        for (const TWindowFileKind& kind : kWindowFileKinds)
            FMainForm->*kind.Flag = (this->*kind.CheckBox)->Checked();
    }
    Close();
    if (FMainForm)
        FMainForm->ListedKindsChanged();
}

void TBrowseItem::Button2Click(TObject* Sender)
{
    (void)Sender;
    Close();
}
