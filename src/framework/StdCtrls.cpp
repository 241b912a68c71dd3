// Standard controls.
#include "framework/StdCtrls.h"

#include "framework/Forms.h"
#include "framework/Messages.h"
#include "framework/PlainStyle.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>

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

// The caption goes through the canvas, so that it stands on its font's baseline as
// every other text does.
void TCustomLabel::paintEvent(QPaintEvent*)
{
    TCanvas canvas(static_cast<QPaintDevice*>(this));
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    canvas.Font = TFont::FromQFont(font(), FromQColor(palette().color(group, QPalette::WindowText)));
    canvas.Brush.Style = bsClear;
    unsigned flags = DT_NOPREFIX | (wordWrap() ? DT_WORDBREAK : 0u);
    flags |= FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT;
    TRect r(rect());
    if (FLayout != tlTop) {
        TRect measured = r;
        canvas.DrawText(text(), measured, flags | DT_CALCRECT);
        r.Top += FLayout == tlCenter ? (r.Height() - measured.Height()) / 2 : r.Height() - measured.Height();
    }
    canvas.DrawText(text(), r, flags);
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

void TButton::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // The keypad's Enter carries the keypad modifier.
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        Click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

// ---- TCustomCheckBox

TCustomCheckBox::TCustomCheckBox(QWidget* parent, TComponent* owner)
    : QCheckBox(parent)
    , TControl(this, OwnerOr(owner, parent))
{
    setStyle(TPlainStyle::Instance());
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
    setStyle(TPlainStyle::Instance());
}

void TCustomGroupBox::SetCaption(const QString& caption)
{
    if (caption == title())
        return;
    setTitle(caption);
    Perform(this, CM_TEXTCHANGED);
}

// ---- TRadioButton

TRadioButton::TRadioButton(QWidget* parent, TComponent* owner)
    : QRadioButton(parent)
    , TControl(this, OwnerOr(owner, parent))
{
    setStyle(TPlainStyle::Instance());
    connect(this, &QRadioButton::toggled, this, [this](bool on) {
        Perform(this, BM_SETCHECK);
        if (on)
            SafeFire(OnClick, this);
    });
}

void TRadioButton::SetCaption(const QString& caption)
{
    if (caption == text())
        return;
    setText(caption);
    Perform(this, CM_TEXTCHANGED);
}

void TRadioButton::SetAlignment(TAlignment alignment)
{
    FAlignment = alignment;
    setLayoutDirection(alignment == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

// ---- TCustomEdit

TCustomEdit::TCustomEdit(QWidget* parent, TComponent* owner, bool multiLine)
    : QWidget(parent)
    , TControl(this, OwnerOr(owner, parent))
{
    SetColor(clWindow);
    if (multiLine) {
        FPlain = new QPlainTextEdit(this);
        FPlain->setFrameShape(QFrame::NoFrame);
        FEditor = FPlain;
        connect(FPlain, &QPlainTextEdit::textChanged, this, [this] {
            Perform(this, CM_TEXTCHANGED);
            SafeFire(OnChange, this);
        });
    } else {
        FLine = new QLineEdit(this);
        FLine->setFrame(false);
        FEditor = FLine;
        connect(FLine, &QLineEdit::textChanged, this, [this] {
            Perform(this, CM_TEXTCHANGED);
            SafeFire(OnChange, this);
        });
    }
    // The editor gets the focus for the control; the control keeps the focus state
    // that matters to its hooks through its focus proxy.
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(FEditor);
    FEditor->installEventFilter(this);
    resize(121, 21);
    UpdateEditorGeometry();
}

QString TCustomEdit::Text() const
{
    return FLine ? FLine->text() : FPlain->toPlainText();
}

void TCustomEdit::SetText(const QString& text)
{
    if (FLine)
        FLine->setText(text);
    else
        FPlain->setPlainText(text);
}

bool TCustomEdit::ReadOnly() const
{
    return FLine ? FLine->isReadOnly() : FPlain->isReadOnly();
}

void TCustomEdit::SetReadOnly(bool value)
{
    if (FLine)
        FLine->setReadOnly(value);
    else
        FPlain->setReadOnly(value);
}

void TCustomEdit::SetCtl3D(bool value)
{
    if (value == FCtl3D)
        return;
    // The window is re-created: the control saves its modified flag first.
    Perform(this, EM_GETMODIFY);
    Perform(this, CM_CTL3DCHANGED);
    FCtl3D = value;
    UpdateEditorGeometry();
    update();
}

void TCustomEdit::SetBorderStyle(TFormBorderStyle value)
{
    if (value == FBorderStyle)
        return;
    Perform(this, EM_GETMODIFY);
    FBorderStyle = value;
    UpdateEditorGeometry();
    update();
}

void TCustomEdit::SetBorderWidth(int value)
{
    FBorderWidth = std::max(0, value);
    UpdateEditorGeometry();
    update();
}

int TCustomEdit::EdgeWidth() const
{
    if (FBorderStyle == bsNone)
        return 0;
    return FCtl3D ? 2 : 1;
}

void TCustomEdit::UpdateEditorGeometry()
{
    // One pixel of client area stays free around the text, as the platform's edit
    // leaves a margin.
    const int m = EdgeWidth() + FBorderWidth + 1;
    FEditor->setGeometry(m, m, std::max(0, width() - 2 * m), std::max(0, height() - 2 * m));
}

void TCustomEdit::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateEditorGeometry();
}

void TCustomEdit::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    if (!FEditor->hasFocus())
        FEditor->setFocus(event->reason());
}

bool TCustomEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FEditor && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        QFocusEvent copy(event->type(), static_cast<QFocusEvent*>(event)->reason());
        QCoreApplication::sendEvent(this, &copy);
    }
    return QWidget::eventFilter(watched, event);
}

void TCustomEdit::paintEvent(QPaintEvent*)
{
    TCanvas canvas(this);
    canvas.Brush.Color = Color();
    TRect r(rect());
    canvas.FillRect(r);
    if (FBorderStyle == bsNone)
        return;
    if (FCtl3D) {
        Frame3D(&canvas, r, clBtnShadow, clBtnHighlight, 1);
        Frame3D(&canvas, r, cl3DDkShadow, cl3DLight, 1);
    } else {
        Frame3D(&canvas, r, clWindowFrame, clWindowFrame, 1);
    }
}
