#pragma once
// The standard controls: label, edit, button, check box, combo box, group
// box, and the data-only memo.
#include "platform/core/StringList.h"
#include "platform/gui/Controls.h"

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QCheckBox;
class QComboBox;

namespace plat {

// A line list whose owner hears of every change.
class TControlStrings : public TStringList {
public:
    explicit TControlStrings(std::function<void()> changed) : changed_(std::move(changed)) {}
    void Insert(int i, const String &s) override;
    void Delete(int i) override;
    void Clear() override;
    void SetText(const String &text) override;

protected:
    void Put(int i, const String &s) override;

private:
    std::function<void()> changed_;
};

class TLabel : public TControl {
public:
    explicit TLabel(TComponent *owner);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    bool SeeThrough() const override { return transparent_; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);

protected:
    void TextChanged() override;
    void ColorChanged() override;

private:
    void Fit();
    QLabel *label_;
    bool transparent_ = false;
    bool autoSize_ = true;
    bool wordWrap_ = false;
    TAlignment alignment_ = TAlignment::taLeftJustify;
};

class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent *owner);

    // Limits what the user types or pastes; text assigned by the program is
    // kept whole. 0: no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int n) { maxLength_ = n; }
    bool ReadOnly() const;
    void SetReadOnly(bool v);
    int SelStart() const;
    void SetSelStart(int v);
    int SelLength() const;
    void SetSelLength(int v);
    void SelectAll();
    // Raised for every change of the text, also for assignments.
    TNotifyEvent OnChange;

    bool FilterKey(QKeyEvent *e) override;
    void InsertChar(char32_t key) override;

protected:
    String GetTextValue() const override;
    void SetTextValue(const String &s) override;
    virtual void Change();

private:
    int Room() const;
    QLineEdit *edit_;
    int maxLength_ = 0;
};

class TButton : public TWinControl {
public:
    explicit TButton(TComponent *owner);
    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int r) { modalResult_ = r; }

    // Sets the window's ModalResult to the button's, then OnClick.
    void Click() override;
    bool DialogKey(uint16_t key, TShiftState shift) override;
    void FocusChanged(TWinControl *focused) override;

protected:
    void TextChanged() override;

private:
    QPushButton *button_;
    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false;
    int modalResult_ = mrNone;
};

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent *owner);
    bool Checked() const;
    // Raises OnClick when the state changes, as a click would.
    void SetChecked(bool v);

protected:
    void TextChanged() override;

private:
    QCheckBox *box_;
    bool updating_ = false;
};

enum class TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent *owner);
    ~TComboBox() override;

    TStrings &Items() { return *items_; }
    int ItemIndex() const { return itemIndex_; }
    // From code: no OnChange, as with the framework.
    void SetItemIndex(int i);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle s);
    int DropDownCount = 8;

    // The list's text takes Font's colour; an owner-drawn list may give
    // single items a colour of their own, in the list and, for the chosen
    // item, in the closed box.
    void SetItemColor(int index, TColor c);
    TColor ItemColor(int index) const;

    // Raised when the user picks an item or edits the text.
    TNotifyEvent OnChange;

protected:
    String GetTextValue() const override;
    void SetTextValue(const String &s) override;
    TColor TextColor() const override;
    void Loaded() override;

private:
    void Reload();
    void Picked(int index);
    void ShowItemColor();
    // Makes the widget editable or not after Style; while the window loads it
    // waits for the style to settle, unless the text is wanted first.
    void ApplyStyle();
    void Settle() const;
    QComboBox *combo_;
    std::unique_ptr<TControlStrings> items_;
    std::vector<std::pair<int, TColor>> itemColors_;
    int itemIndex_ = -1;
    TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
    bool styled_ = false;
    bool updating_ = false;
};

// Hidden text fields that the program keeps lines in; no widget.
class TMemo : public TWinControl {
public:
    explicit TMemo(TComponent *owner) : TWinControl(owner) {}
    TStringList &Lines() { return lines_; }
    const TStringList &Lines() const { return lines_; }

protected:
    String GetTextValue() const override { return lines_.Text(); }
    void SetTextValue(const String &s) override { lines_.SetText(s); }

private:
    TStringList lines_;
};

// Rich text kept as its lines; nothing renders it.
class TRichEdit : public TMemo {
public:
    using TMemo::TMemo;
};

} // namespace plat
