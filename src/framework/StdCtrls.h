// Standard controls: labels, push buttons, check boxes, group boxes.
#pragma once

#include "Controls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

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
