// Standard controls.
#include "StdCtrls.h"

#include "Forms.h"
#include "Messages.h"

#include <QMouseEvent>

namespace {
TComponent* OwnerOr(TComponent* owner, QWidget* parent)
{
    return owner ? owner : DefaultOwnerFor(parent);
}
} // namespace

// ---- TCustomLabel

TCustomLabel::TCustomLabel(QWidget* parent, TComponent* owner)
    : QLabel(parent)
    , TControl(this, OwnerOr(owner, parent))
{
    UpdateAlignment();
}

void TCustomLabel::SetCaption(const QString& caption)
{
    if (caption == text())
        return;
    setText(caption);
    AdjustBounds();
    Perform(this, CM_TEXTCHANGED);
}

void TCustomLabel::SetAutoSize(bool autoSize)
{
    FAutoSize = autoSize;
    AdjustBounds();
}

void TCustomLabel::SetLayout(TTextLayout layout)
{
    FLayout = layout;
    UpdateAlignment();
}

void TCustomLabel::SetAlignment(TAlignment alignment)
{
    FAlignment = alignment;
    UpdateAlignment();
}

void TCustomLabel::UpdateAlignment()
{
    Qt::Alignment a = FAlignment == taCenter ? Qt::AlignHCenter : FAlignment == taRightJustify ? Qt::AlignRight : Qt::AlignLeft;
    a |= FLayout == tlCenter ? Qt::AlignVCenter : FLayout == tlBottom ? Qt::AlignBottom : Qt::AlignTop;
    setAlignment(a);
}

void TCustomLabel::AdjustBounds()
{
    if (!FAutoSize)
        return;
    const QFontMetrics fm(font());
    const int w = fm.horizontalAdvance(text());
    // A label whose text is centred vertically keeps its height.
    resize(w, FLayout == tlTop ? fm.height() : height());
}

void TCustomLabel::mousePressEvent(QMouseEvent* event)
{
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        SafeFire(OnClick, this);
}

void TCustomLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLabel::mouseDoubleClickEvent(event);
    SafeFire(OnDblClick, this);
}

// ---- TButton

TButton::TButton(QWidget* parent, TComponent* owner)
    : QPushButton(parent)
    , TControl(this, OwnerOr(owner, parent))
{
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] {
        if (FModalResult != 0)
            if (TCustomForm* form = GetParentForm(this))
                form->SetModalResult(FModalResult);
        SafeFire(OnClick, this);
    });
}

void TButton::SetCaption(const QString& caption)
{
    if (caption == text())
        return;
    setText(caption);
    Perform(this, CM_TEXTCHANGED);
}

void TButton::SetDefault(bool value)
{
    FDefault = value;
    setDefault(value);
}

void TButton::Click()
{
    if (isEnabled())
        click();
}

// ---- TCustomCheckBox

TCustomCheckBox::TCustomCheckBox(QWidget* parent, TComponent* owner)
    : QCheckBox(parent)
    , TControl(this, OwnerOr(owner, parent))
{
    connect(this, &QCheckBox::stateChanged, this, [this] {
        Perform(this, BM_SETCHECK);
        SafeFire(OnClick, this);
    });
}

void TCustomCheckBox::SetCaption(const QString& caption)
{
    if (caption == text())
        return;
    setText(caption);
    Perform(this, CM_TEXTCHANGED);
}

void TCustomCheckBox::SetChecked(bool checked)
{
    setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

TCheckBoxState TCustomCheckBox::State() const
{
    switch (checkState()) {
    case Qt::Checked: return cbChecked;
    case Qt::PartiallyChecked: return cbGrayed;
    default: return cbUnchecked;
    }
}

void TCustomCheckBox::SetState(TCheckBoxState state)
{
    if (state == cbGrayed)
        setTristate(true);
    setCheckState(state == cbChecked ? Qt::Checked : state == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
}

void TCustomCheckBox::SetAlignment(TAlignment alignment)
{
    FAlignment = alignment;
    setLayoutDirection(alignment == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

// ---- TCustomGroupBox

TCustomGroupBox::TCustomGroupBox(QWidget* parent, TComponent* owner)
    : QGroupBox(parent)
    , TControl(this, OwnerOr(owner, parent))
{
}

void TCustomGroupBox::SetCaption(const QString& caption)
{
    if (caption == title())
        return;
    setTitle(caption);
    Perform(this, CM_TEXTCHANGED);
}
