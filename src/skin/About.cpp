// TAboutBox: the modal About dialog with the product picture, version and links.
#include "skin/About.h"

#include "framework/ShellApi.h"

#include <QUrl>

#include <algorithm>

const char* const kAboutMailTo = "mailto:gw@example.org";

namespace {

void SetFontColor(TLabel* label, TColor color)
{
    TFont font = label->Font();
    font.Color = color;
    label->SetFont(font);
}

} // namespace

TAboutBox::TAboutBox(TComponent* Owner)
    : TNeoForm(Owner)
{
    SetName(QStringLiteral("AboutBox"));
    SetCaption(tr("关于"));
    SetClientSize(298, 213);
    SetFont(QStringLiteral("宋体"), -13);
    SetPosition(poScreenCenter);
    OnMouseMove = [this](TObject* S, TShiftState Sh, int X, int Y) { UrlMouseLeave(S, Sh, X, Y); };

    auto label = [this](const char* name, const QString& caption, int x, int y) {
        auto* l = new TLabel(this, this);
        l->SetName(QString::fromLatin1(name));
        l->SetBounds(x, y, 0, 13);
        l->SetCaption(caption);
        return l;
    };

    OKButton = new TButton(this, this);
    OKButton->SetName(QStringLiteral("OKButton"));
    OKButton->SetCaption(tr("确定"));
    OKButton->SetBounds(199, 164, 75, 25);
    OKButton->SetDefault(true);
    OKButton->SetModalResult(mrOk);

    ProgramIcon = new TImage(this, this);
    ProgramIcon->SetName(QStringLiteral("ProgramIcon"));
    ProgramIcon->SetBounds(32, 56, 65, 57);
    ProgramIcon->SetStretch(true);
    ProgramIcon->SetBitmap(QImage(QStringLiteral(":/skin/Product.png")));

    ProductName = label("ProductName", QStringLiteral("Glimmerwick"), 112, 64);
    Version = label("Version", QString(), 112, 88);
    Version->SetAutoSize(false);
    Version->SetBounds(112, 88, 57, 13);
    Version->SetCaption(tr("版本:0.6"));
    Copyright = label("Copyright", QString(), 32, 128);
    Copyright->SetAutoSize(false);
    Copyright->SetBounds(32, 128, 241, 13);
    Copyright->SetCaption(QStringLiteral("© the Glimmerwick developers"));
    Url = label("Url", QString(), 32, 152);
    Url->SetAutoSize(false);
    Url->setWordWrap(true);
    Url->SetBounds(32, 152, 161, 13);
    // The homepage by its host name, which fits the row; a click opens the page.
    Url->SetCaption(QUrl(QStringLiteral(GW_HOMEPAGE)).host());
    Url->OnClick = [this](TObject* Sender) { UrlClick(Sender); };
    Url->OnMouseMove = [this](TObject* S, TShiftState Sh, int X, int Y) { UrlMouseMove(S, Sh, X, Y); };
    Email = label("Email", QString(), 32, 176);
    Email->SetAutoSize(false);
    Email->SetBounds(32, 176, 161, 13);
    Email->SetCaption(QStringLiteral("E-mail:") + QString::fromLatin1(kAboutMailTo).mid(7));
    Email->OnClick = [this](TObject* Sender) { EmailClick(Sender); };
    Email->OnMouseMove = [this](TObject* S, TShiftState Sh, int X, int Y) { EmailMouseMove(S, Sh, X, Y); };
    for (TLabel* l : {ProductName, Version, Copyright, Url, Email}) {
        SetFontColor(l, clWindowText);
        // The rows are laid out for a 13-pixel line; desktop fonts need a little more.
        l->SetHeight(std::max(l->Height(), l->fontMetrics().height()));
    }
    OKButton->setFocus();

    // The last component of the layout, so that it finds every other one; switched
    // on last, as its form file gives Active last.
    XPMenu1 = CreateXPMenu1(this, false);
    XPMenu1->SetActive(true);

    // Constructor body.
    SetSizeable(false);
    MaxImage->SetVisible(false);
    MinImage->SetVisible(false);
}

void TAboutBox::UrlMouseMove(TObject* Sender, TShiftState Shift, int X, int Y)
{
    (void)Sender, (void)Shift, (void)X, (void)Y;
    SetFontColor(Url, clBlue);
    Url->setCursor(Qt::PointingHandCursor);
}

void TAboutBox::EmailMouseMove(TObject* Sender, TShiftState Shift, int X, int Y)
{
    (void)Sender, (void)Shift, (void)X, (void)Y;
    SetFontColor(Email, clBlue);
    Email->setCursor(Qt::PointingHandCursor);
}

void TAboutBox::UrlMouseLeave(TObject* Sender, TShiftState Shift, int X, int Y)
{
    (void)Sender, (void)Shift, (void)X, (void)Y;
    SetFontColor(Url, clWindowText);
    SetFontColor(Email, clWindowText);
}

void TAboutBox::UrlClick(TObject* Sender)
{
    (void)Sender;
    ShellOpen(QStringLiteral(GW_HOMEPAGE));
}

void TAboutBox::EmailClick(TObject* Sender)
{
    (void)Sender;
    ShellOpen(QString::fromLatin1(kAboutMailTo));
}
