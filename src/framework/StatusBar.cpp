// TStatusBar: the status bar and its panels.
#include "framework/ComCtrls.h"

#include "framework/Forms.h"

#include <QAccessible>

void TStatusPanel::SetText(const QString& text)
{
    if (text == FText)
        return;
    FText = text;
    FBar->update();
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(FBar, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void TStatusPanel::SetWidth(int width)
{
    FWidth = width;
    FBar->update();
}

int TStatusPanel::Index() const
{
    const auto& items = FBar->Panels()->FItems;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].get() == this)
            return static_cast<int>(i);
    return -1;
}

TStatusPanel* TStatusPanels::Add()
{
    FItems.push_back(std::make_unique<TStatusPanel>(FBar));
    FBar->update();
    return FItems.back().get();
}

void TStatusPanels::Clear()
{
    FItems.clear();
    FBar->update();
}

TStatusBar::TStatusBar(QWidget* parent, TComponent* owner)
    : QWidget(parent)
    , TControl(this, owner ? owner : DefaultOwnerFor(parent))
    , FPanels(this)
{
    resize(100, 19);
    SetColor(clBtnFace);
    connect(Application, &TApplication::HintChanged, this, [this](const QString& hint) {
        if (FAutoHint && FPanels.Count() > 0)
            FPanels.Items(0)->SetText(hint);
    });
}

TRect TStatusBar::PanelRect(int index) const
{
    int left = 0;
    for (int i = 0; i < index; ++i)
        left += FPanels.Items(i)->Width();
    const int right = index == FPanels.Count() - 1 ? width() : left + FPanels.Items(index)->Width();
    return TRect(left, 0, right, height());
}

QString TStatusBar::ShownText() const
{
    QStringList texts;
    for (int i = 0; i < FPanels.Count(); ++i)
        if (!FPanels.Items(i)->Text().isEmpty())
            texts << FPanels.Items(i)->Text();
    return texts.join(QLatin1Char(' '));
}

void TStatusBar::paintEvent(QPaintEvent*)
{
    TCanvas canvas(this);
    canvas.Font = Font();
    for (int i = 0; i < FPanels.Count(); ++i) {
        TRect r = PanelRect(i);
        r.Right -= 2;
        Frame3D(&canvas, r, clBtnShadow, clBtnHighlight, 1);
        canvas.Brush.Style = bsClear;
        TRect text(r.Left + 2, r.Top, r.Right - 1, r.Bottom);
        canvas.DrawText(FPanels.Items(i)->Text(), text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}
