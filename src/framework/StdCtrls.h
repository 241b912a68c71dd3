// Standard controls: labels, push buttons, check boxes, radio buttons, group boxes,
// edits and memos.
#pragma once

#include "framework/Controls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

class QLineEdit;
class QPlainTextEdit;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCustomLabel : public QLabel, public TControl {
    Q_OBJECT
public:
    explicit TCustomLabel(QWidget* parent, TComponent* owner = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool autoSize);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout layout);
    void SetAlignment(TAlignment alignment);
    bool IsGraphicControl() const override { return true; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void UpdateAlignment();
    void AdjustBounds();

    bool FAutoSize = true;
    TTextLayout FLayout = tlTop;
    TAlignment FAlignment = taLeftJustify;
};

class TLabel : public TCustomLabel {
    Q_OBJECT
public:
    explicit TLabel(QWidget* parent, TComponent* owner = nullptr) : TCustomLabel(parent, owner) {}
};

class TButton : public QPushButton, public TControl {
    Q_OBJECT
public:
    explicit TButton(QWidget* parent, TComponent* owner = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool value) { FCancel = value; }
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int result) { FModalResult = result; }
    // As a click by the user: sets the form's ModalResult, then runs OnClick.
    void Click();

protected:
    // Enter on a focused button clicks that button, whichever is the default one.
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool FDefault = false;
    bool FCancel = false;
    int FModalResult = 0;
};

class TCustomCheckBox : public QCheckBox, public TControl {
    Q_OBJECT
public:
    explicit TCustomCheckBox(QWidget* parent, TComponent* owner = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    bool Checked() const { return checkState() == Qt::Checked; }
    // Runs OnClick when the state changes, as a click does.
    void SetChecked(bool checked);
    TCheckBoxState State() const;
    void SetState(TCheckBoxState state);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);

private:
    TAlignment FAlignment = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
    Q_OBJECT
public:
    explicit TCheckBox(QWidget* parent, TComponent* owner = nullptr) : TCustomCheckBox(parent, owner) {}
};

class TCustomGroupBox : public QGroupBox, public TControl {
    Q_OBJECT
public:
    explicit TCustomGroupBox(QWidget* parent, TComponent* owner = nullptr);
    QString Caption() const { return title(); }
    void SetCaption(const QString& caption);
};

class TGroupBox : public TCustomGroupBox {
    Q_OBJECT
public:
    explicit TGroupBox(QWidget* parent, TComponent* owner = nullptr) : TCustomGroupBox(parent, owner) {}
};

class TRadioButton : public QRadioButton, public TControl {
    Q_OBJECT
public:
    explicit TRadioButton(QWidget* parent, TComponent* owner = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    bool Checked() const { return isChecked(); }
    void SetChecked(bool checked) { setChecked(checked); }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);

private:
    TAlignment FAlignment = taRightJustify;
};

// An edit control: the text editor sits inside the border that the control draws
// itself: with bsSingle a sunken 2-pixel edge (Ctl3D) or a 1-pixel line, with bsNone
// nothing. Changing Ctl3D or BorderStyle re-creates the window on the platform; here
// the control announces it (CM_CTL3DCHANGED, EM_GETMODIFY) the same way.
class TCustomEdit : public QWidget, public TControl {
    Q_OBJECT
public:
    QString Text() const;
    void SetText(const QString& text);
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool value);
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle value);
    // Width of the space between border and text.
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int value);
    bool ReadOnly() const;
    void SetReadOnly(bool value);
    // The Qt widget that edits the text.
    QWidget* Editor() const { return FEditor; }

    TNotifyEvent OnChange;

protected:
    TCustomEdit(QWidget* parent, TComponent* owner, bool multiLine);
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    // The editor's focus changes are the control's own.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateEditorGeometry();
    int EdgeWidth() const;

    QLineEdit* FLine = nullptr;
    QPlainTextEdit* FPlain = nullptr;
    QWidget* FEditor = nullptr;
    bool FCtl3D = true;
    TFormBorderStyle FBorderStyle = bsSingle;
    int FBorderWidth = 0;
};

class TEdit : public TCustomEdit {
    Q_OBJECT
public:
    explicit TEdit(QWidget* parent, TComponent* owner = nullptr) : TCustomEdit(parent, owner, false) {}
};

class TCustomMemo : public TCustomEdit {
    Q_OBJECT
public:
    explicit TCustomMemo(QWidget* parent, TComponent* owner = nullptr) : TCustomEdit(parent, owner, true) {}
};

class TMemo : public TCustomMemo {
    Q_OBJECT
public:
    using TCustomMemo::TCustomMemo;
};

class TCustomRichEdit : public TCustomMemo {
    Q_OBJECT
public:
    using TCustomMemo::TCustomMemo;
};

class TRichEdit : public TCustomRichEdit {
    Q_OBJECT
public:
    using TCustomRichEdit::TCustomRichEdit;
};
